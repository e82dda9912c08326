#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/variants.h"

namespace {

AnsiString VariantErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EVariantError& e) {
        return e.Message();
    }
    return "(no error)";
}

// A dispatch object that counts its holders instead of freeing itself.
class TCountedDispatch : public IDispatch {
public:
    void AddRef() override { ++FRefs; }
    void Release() override { --FRefs; }
    int Refs() const { return FRefs; }

private:
    int FRefs = 0;
};

const char* const IndexError = "Variant or safe array index out of bounds";

} // namespace

TEST(Variant, TypeCodesOfConstructedValues) {
    struct Case {
        Variant value;
        TVarType type;
    };
    const Case cases[] = {
        {Variant(), varEmpty},
        {Null(), varNull},
        {Unassigned(), varEmpty},
        {Variant(short(1)), varSmallint},
        {Variant(1), varInteger},
        {Variant(1.5f), varSingle},
        {Variant(1.5), varDouble},
        {VarFromCurrency(1.5), varCurrency},
        {VarFromDateTime(45053.5), varDate},
        {Variant(u"wide"), varOleStr},
        {Variant(WideString(u"wide")), varOleStr},
        {VarFromError(5), varError},
        {Variant(true), varBoolean},
        {Variant(Byte(7)), varByte},
        {Variant(Int64(1) << 40), varInt64},
        {Variant(std::size_t(3)), varInt64},
        {Variant("bytes"), varString},
        {Variant(AnsiString("bytes")), varString},
        {VarArrayOf({1, 2}), varArray | varVariant},
        {VarArrayCreate({0, 1}, varInteger), varArray | varInteger},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(VarTypeAsText(c.type));
        EXPECT_EQ(VarType(c.value), c.type);
    }
    EXPECT_EQ(VarTypeAsText(varArray | varVariant), "Array Variant");
    EXPECT_TRUE(VarIsEmpty(Variant()));
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_TRUE(VarIsArray(VarArrayOf({})));
    EXPECT_TRUE(VarIsStr(Variant(u"x")));
    EXPECT_TRUE(VarIsNumeric(VarFromCurrency(1)));
    EXPECT_FALSE(VarIsNumeric(Variant("1")));
}

TEST(Variant, ToText) {
    struct Case {
        Variant value;
        const char* expected;
    };
    const Case cases[] = {
        {Variant(), ""},
        {Variant(42), "42"},
        {Variant(Int64(-1) << 40), "-1099511627776"},
        {Variant(1.5), "1.5"},
        {Variant(1.0 / 3), "0.333333333333333"},
        {Variant(1e20), "1E20"},
        {VarFromCurrency(1234.5), "1234.5"},
        {Variant(true), "True"},
        {Variant(false), "False"},
        {VarFromDateTime(EncodeDate(2023, 5, 7)), "2023/05/07"},
        {VarFromDateTime(EncodeDateTime(2023, 5, 7, 12, 30, 0, 0)), "2023/05/07 12:30:00"},
        {Variant(u"wide"), "wide"},
        {Variant("浏览"), "浏览"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(c.value.AsString(), c.expected);
        EXPECT_EQ(VarToStr(c.value), c.expected);
    }
    EXPECT_EQ(VarToStr(Null()), "");
    EXPECT_EQ(VarToWideStr(Null()), u"");
    EXPECT_EQ(Variant("abc").AsWideString(), u"abc");
    EXPECT_EQ(VarToWideStr(Variant(7)), u"7");
}

TEST(Variant, ToNumbers) {
    struct Case {
        Variant value;
        int integer;
        double real;
    };
    // Floating values round half to even into integers, as the class library did.
    const Case cases[] = {
        {Variant(), 0, 0},
        {Variant(2.5), 2, 2.5},
        {Variant(3.5), 4, 3.5},
        {Variant(-2.5), -2, -2.5},
        {Variant(2.6f), 3, double(2.6f)},
        {Variant("12"), 12, 12},
        {Variant(" 12 "), 12, 12},
        {Variant("12.6"), 13, 12.6},
        {Variant(u"-4"), -4, -4},
        {Variant("$FF"), 255, 255},
        {Variant("True"), -1, -1},
        {Variant(true), -1, -1},
        {Variant(false), 0, 0},
        {VarFromCurrency(2.5), 2, 2.5},
        {VarFromCurrency(3.5), 4, 3.5},
        {VarFromCurrency(-1.2345), -1, -1.2345},
        {VarFromDateTime(45053.75), 45054, 45053.75},
        {Variant(Byte(200)), 200, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(VarToStr(c.value));
        EXPECT_EQ(c.value.AsInteger(), c.integer);
        EXPECT_EQ(c.value.AsInt64(), c.integer);
        EXPECT_DOUBLE_EQ(c.value.AsFloat(), c.real);
    }
    EXPECT_EQ(Variant(Int64(1) << 40).AsInt64(), Int64(1) << 40);
    EXPECT_DOUBLE_EQ(Variant(1.23456).AsCurrency(), 1.2346);
    EXPECT_DOUBLE_EQ(VarAsType(Variant("1.5"), varCurrency).AsFloat(), 1.5);
}

TEST(Variant, ToBooleanAndDate) {
    EXPECT_TRUE(Variant("True").AsBoolean());
    EXPECT_TRUE(Variant(u"TRUE").AsBoolean());
    EXPECT_FALSE(Variant("false").AsBoolean());
    EXPECT_TRUE(Variant("1").AsBoolean());
    EXPECT_FALSE(Variant("0").AsBoolean());
    EXPECT_TRUE(Variant(-1).AsBoolean());
    EXPECT_FALSE(Variant(0.0).AsBoolean());
    EXPECT_FALSE(Variant().AsBoolean());

    const TDateTime when = EncodeDateTime(2023, 5, 7, 12, 30, 15, 0);
    EXPECT_DOUBLE_EQ(Variant("2023/05/07 12:30:15").AsDateTime(), when);
    EXPECT_DOUBLE_EQ(Variant("45053").AsDateTime(), 45053);
    EXPECT_DOUBLE_EQ(VarFromDateTime(when).AsDateTime(), when);
    EXPECT_DOUBLE_EQ(VarToDateTime(Variant(45053.5)), 45053.5);
    EXPECT_EQ(VarType(VarAsType(Variant("2023/05/07"), varDate)), varDate);
}

TEST(Variant, FailedConversionsRaise) {
    EXPECT_EQ(VariantErrorOf([] { Null().AsInteger(); }),
              "Could not convert variant of type (Null) into type (Integer)");
    EXPECT_EQ(VariantErrorOf([] { Null().AsFloat(); }),
              "Could not convert variant of type (Null) into type (Double)");
    EXPECT_EQ(VariantErrorOf([] { Null().AsString(); }),
              "Could not convert variant of type (Null) into type (String)");
    EXPECT_EQ(VariantErrorOf([] { Variant("abc").AsInteger(); }),
              "Could not convert variant of type (String) into type (Integer)");
    EXPECT_EQ(VariantErrorOf([] { Variant(u"abc").AsFloat(); }),
              "Could not convert variant of type (OleStr) into type (Double)");
    EXPECT_EQ(VariantErrorOf([] { Variant("maybe").AsBoolean(); }),
              "Could not convert variant of type (String) into type (Boolean)");
    EXPECT_EQ(VariantErrorOf([] { Variant("abc").AsDateTime(); }),
              "Could not convert variant of type (String) into type (Date)");
    EXPECT_EQ(VariantErrorOf([] { VarArrayOf({1}).AsString(); }),
              "Could not convert variant of type (Array Variant) into type (String)");
    EXPECT_EQ(VariantErrorOf([] { VarToStr(VarArrayOf({1})); }),
              "Could not convert variant of type (Array Variant) into type (String)");
    EXPECT_EQ(VariantErrorOf([] { Variant(3e9).AsInteger(); }),
              "Overflow while converting variant of type (Double) into type (Integer)");
    EXPECT_EQ(VariantErrorOf([] { Variant(Int64(1) << 40).AsInteger(); }),
              "Overflow while converting variant of type (Int64) into type (Integer)");
    EXPECT_EQ(VariantErrorOf([] { Variant(1e300).AsInt64(); }),
              "Overflow while converting variant of type (Double) into type (Int64)");
    EXPECT_EQ(VariantErrorOf([] { VarAsType(Variant(300), varByte); }),
              "Overflow while converting variant of type (Integer) into type (Byte)");
    EXPECT_EQ(VariantErrorOf([] { VarAsType(Variant(1e300), varCurrency); }),
              "Overflow while converting variant of type (Double) into type (Currency)");
    EXPECT_EQ(VariantErrorOf([] { Variant(std::nan("")).AsInteger(); }),
              "Overflow while converting variant of type (Double) into type (Integer)");
    EXPECT_THROW(Variant(5).AsDispatch(), EVariantError);
}

TEST(Variant, CopiesAreIndependent) {
    Variant a = VarArrayOf({1, "two", VarArrayOf({3})});
    Variant b = a;
    b.PutElement({1}, "changed");
    b[0] = 10;
    EXPECT_EQ(a.GetElement({1}).AsString(), "two");
    EXPECT_EQ(a[0].AsInteger(), 1);
    EXPECT_EQ(b.GetElement({1}).AsString(), "changed");

    Variant text = "shared";
    Variant copy = text;
    copy = 5;
    EXPECT_EQ(text.AsString(), "shared");

    Variant moved = std::move(a);
    EXPECT_EQ(VarArrayHighBound(moved, 1), 2);
    a = moved; // a moved-from Variant can be assigned again
    EXPECT_EQ(a.GetElement({2}).GetElement({0}).AsInteger(), 3);
    a = a;
    EXPECT_EQ(VarArrayHighBound(a, 1), 2);
}

TEST(VariantArray, OneDimension) {
    Variant v = VarArrayCreate({1, 3}, varInteger);
    EXPECT_EQ(VarArrayDimCount(v), 1);
    EXPECT_EQ(VarArrayLowBound(v, 1), 1);
    EXPECT_EQ(VarArrayHighBound(v, 1), 3);
    EXPECT_EQ(VarType(v.GetElement({1})), varInteger);
    EXPECT_EQ(v.GetElement({1}).AsInteger(), 0);

    // A typed array converts what is stored into its element type.
    v.PutElement({2}, "7");
    EXPECT_EQ(VarType(v.GetElement({2})), varInteger);
    EXPECT_EQ(v.GetElement({2}).AsInteger(), 7);
    v[3] = 2.5;
    EXPECT_EQ(VarType(v[3].Value()), varInteger);
    EXPECT_EQ(v[3].AsInteger(), 2);
    const Variant& constView = v;
    EXPECT_EQ(constView[2].AsInteger(), 7);
    EXPECT_THROW(v.PutElement({1}, "x"), EVariantError);

    EXPECT_EQ(VariantErrorOf([&] { v.GetElement({0}); }), IndexError);
    EXPECT_EQ(VariantErrorOf([&] { v.GetElement({4}); }), IndexError);
    EXPECT_EQ(VariantErrorOf([&] { v[4] = 1; }), IndexError);
    EXPECT_EQ(VariantErrorOf([&] { v.GetElement({1, 1}); }), IndexError);
    EXPECT_EQ(VariantErrorOf([&] { VarArrayHighBound(v, 2); }), IndexError);
    EXPECT_EQ(VariantErrorOf([&] { VarArrayLowBound(v, 0); }), IndexError);
    EXPECT_EQ(VariantErrorOf([] { Variant(1).GetElement({0}); }), "Variant is not an array");
    EXPECT_EQ(VariantErrorOf([] { VarArrayLowBound(Variant(1), 1); }), "Variant is not an array");
    EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);

    Variant list = VarArrayOf({1, "a", Null()});
    EXPECT_EQ(VarArrayLowBound(list, 1), 0);
    EXPECT_EQ(VarArrayHighBound(list, 1), 2);
    EXPECT_TRUE(VarIsNull(list[2].Value()));
    EXPECT_EQ(VarType(list[1].Value()), varString);
}

TEST(VariantArray, TwoDimensionsAsTheServerList) {
    // One column per server: row 0 the host, row 1 the port.
    Variant servers = VarArrayCreate({0, 1, 0, 2}, varVariant);
    EXPECT_EQ(VarArrayDimCount(servers), 2);
    EXPECT_EQ(VarArrayLowBound(servers, 2), 0);
    EXPECT_EQ(VarArrayHighBound(servers, 1), 1);
    EXPECT_EQ(VarArrayHighBound(servers, 2), 2);
    for (int i = 0; i <= 2; ++i) {
        servers.PutElement({0, i}, "host" + IntToStr(i));
        servers.PutElement({1, i}, 211 + i);
    }
    for (int i = 0; i <= 2; ++i) {
        EXPECT_EQ(servers.GetElement({0, i}).AsString(), "host" + IntToStr(i));
        EXPECT_EQ(servers.GetElement({1, i}).AsInteger(), 211 + i);
    }
    EXPECT_EQ(VariantErrorOf([&] { servers.GetElement({2, 0}); }), IndexError);
    EXPECT_EQ(VariantErrorOf([&] { servers.GetElement({0, 3}); }), IndexError);
    EXPECT_EQ(VariantErrorOf([&] { servers.GetElement({0, -1}); }), IndexError);
    EXPECT_EQ(VariantErrorOf([&] { servers.GetElement({0}); }), IndexError);
    EXPECT_EQ(VariantErrorOf([&] { servers[0].Value(); }), IndexError);

    Variant bounded = VarArrayCreate({-2, 2, 10, 11, 1, 1}, varDouble);
    EXPECT_EQ(VarArrayDimCount(bounded), 3);
    bounded.PutElement({-2, 11, 1}, 1.5);
    bounded.PutElement({2, 10, 1}, 2.5);
    EXPECT_DOUBLE_EQ(bounded.GetElement({-2, 11, 1}).AsFloat(), 1.5);
    EXPECT_DOUBLE_EQ(bounded.GetElement({2, 10, 1}).AsFloat(), 2.5);
    EXPECT_DOUBLE_EQ(bounded.GetElement({0, 10, 1}).AsFloat(), 0);
}

TEST(VariantArray, RedimKeepsElements) {
    Variant v = VarArrayOf({1, 2, 3});
    VarArrayRedim(v, 4);
    EXPECT_EQ(VarArrayHighBound(v, 1), 4);
    for (int i = 0; i <= 2; ++i)
        EXPECT_EQ(v[i].AsInteger(), i + 1);
    EXPECT_TRUE(VarIsEmpty(v[4].Value()));
    VarArrayRedim(v, 0);
    EXPECT_EQ(VarArrayHighBound(v, 1), 0);
    EXPECT_EQ(v[0].AsInteger(), 1);
    VarArrayRedim(v, -1);
    EXPECT_EQ(VarArrayHighBound(v, 1), -1);
    EXPECT_EQ(VariantErrorOf([&] { v.GetElement({0}); }), IndexError);
    EXPECT_THROW(VarArrayRedim(v, -2), EVariantError);

    // Only the last dimension grows, so every element keeps its indices.
    Variant grid = VarArrayCreate({1, 3, 0, 1}, varInteger);
    for (int i = 1; i <= 3; ++i)
        for (int j = 0; j <= 1; ++j)
            grid.PutElement({i, j}, i * 10 + j);
    VarArrayRedim(grid, 3);
    EXPECT_EQ(VarArrayHighBound(grid, 1), 3);
    EXPECT_EQ(VarArrayHighBound(grid, 2), 3);
    for (int i = 1; i <= 3; ++i) {
        for (int j = 0; j <= 1; ++j)
            EXPECT_EQ(grid.GetElement({i, j}).AsInteger(), i * 10 + j);
        EXPECT_EQ(grid.GetElement({i, 3}).AsInteger(), 0);
    }
    Variant scalar = 5;
    EXPECT_THROW(VarArrayRedim(scalar, 1), EVariantError);
}

TEST(VariantArray, CreationErrors) {
    const char* const createError = "Error creating variant or safe array";
    EXPECT_EQ(VariantErrorOf([] { VarArrayCreate({0}, varVariant); }), createError);
    EXPECT_EQ(VariantErrorOf([] { VarArrayCreate({}, varVariant); }), createError);
    EXPECT_EQ(VariantErrorOf([] { VarArrayCreate({3, 1}, varVariant); }), createError);
    EXPECT_EQ(VariantErrorOf([] { VarArrayCreate({0, 1}, varEmpty); }), createError);
    EXPECT_EQ(VariantErrorOf([] { VarArrayCreate({0, 1}, varArray | varVariant); }), createError);
    EXPECT_EQ(VariantErrorOf([] { VarArrayCreate({0, 0x7FFFFFFE, 0, 0x7FFFFFFE}, varByte); }), createError);
    EXPECT_EQ(VarArrayHighBound(VarArrayCreate({5, 4}, varVariant), 1), 4);
}

TEST(VariantArray, ByteArraysLockAndConvert) {
    Variant bytes = VarArrayCreate({0, 3}, varByte);
    auto* data = static_cast<Byte*>(VarArrayLock(bytes));
    std::memcpy(data, "\x01\x02\xFE\xFF", 4);
    EXPECT_EQ(VariantErrorOf([&] { VarArrayRedim(bytes, 10); }), "Variant or safe array is locked");
    VarArrayUnlock(bytes);
    EXPECT_THROW(VarArrayUnlock(bytes), EVariantError);
    EXPECT_EQ(VarType(bytes[2].Value()), varByte);
    EXPECT_EQ(bytes[3].AsInteger(), 255);
    bytes[0] = 200;
    EXPECT_EQ(bytes.GetElement({0}).AsInteger(), 200);
    EXPECT_THROW(bytes[0] = 256, EVariantError);
    EXPECT_THROW(bytes[0] = -1, EVariantError);

    Variant copy = bytes; // a copy is its own, unlocked array
    static_cast<Byte*>(VarArrayLock(copy))[1] = 9;
    VarArrayUnlock(copy);
    EXPECT_EQ(bytes[1].AsInteger(), 2);
    EXPECT_EQ(copy[1].AsInteger(), 9);

    Variant variants = VarArrayOf({1, 2});
    static_cast<Variant*>(VarArrayLock(variants))[1] = "x";
    VarArrayUnlock(variants);
    EXPECT_EQ(variants[1].AsString(), "x");
    Variant integers = VarArrayCreate({0, 1}, varInteger);
    EXPECT_THROW(VarArrayLock(integers), EVariantError);
}

TEST(VariantArray, NestedArrays) {
    Variant outer = VarArrayOf({1, VarArrayOf({2, 3})});
    EXPECT_TRUE(VarIsArray(outer[1].Value()));
    EXPECT_EQ(outer.GetElement({1}).GetElement({1}).AsInteger(), 3);
    // Storing an array into one of its own elements stores a copy of the whole.
    outer.PutElement({0}, outer);
    EXPECT_EQ(outer.GetElement({0}).GetElement({1}).GetElement({0}).AsInteger(), 2);
    EXPECT_EQ(VarArrayHighBound(outer.GetElement({0}), 1), 1);
}

TEST(VariantCompare, MixedTypes) {
    struct Case {
        Variant a;
        Variant b;
        bool equal;
        bool less;
    };
    const Case cases[] = {
        {Variant(1), Variant(1.0), true, false},
        {Variant(1), Variant(2), false, true},
        {Variant(Int64(1) << 60), Variant((Int64(1) << 60) + 1), false, true},
        {Variant(2.5), Variant(2), false, false},
        {Variant("abc"), Variant("abd"), false, true},
        {Variant("abc"), Variant(u"abc"), true, false},
        {Variant("B"), Variant("a"), false, true},
        {Variant(5), Variant("5"), true, false},
        {Variant(5), Variant("10"), false, true},
        {Variant("2.5"), Variant(2.5), true, false},
        {Null(), Null(), true, false},
        {Null(), Variant(0), false, true},
        {Variant(0), Null(), false, false},
        {Variant(), Variant(0), true, false},
        {Variant(), Variant(""), true, false},
        {Variant(), Variant(-1), false, false},
        {Variant(), Variant(), true, false},
        {Variant(), Null(), false, false},
        {Variant(true), Variant(-1), true, false},
        {Variant(false), Variant(true), false, true},
        {Variant(true), Variant("True"), true, false},
        {VarFromDateTime(45053), Variant(45053.0), true, false},
        {VarFromDateTime(45053), Variant("2023/05/08"), false, true},
        {VarFromCurrency(1.5), Variant(1.5), true, false},
        {VarFromCurrency(1.0001), VarFromCurrency(1.0002), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(VarToStr(c.a) + " vs " + VarToStr(c.b));
        EXPECT_EQ(c.a == c.b, c.equal);
        EXPECT_EQ(c.a != c.b, !c.equal);
        EXPECT_EQ(c.a < c.b, c.less);
        EXPECT_EQ(c.a >= c.b, !c.less);
        // The same-value test takes an unassigned value only as equal to another unassigned one.
        const bool aEmpty = VarIsEmpty(c.a), bEmpty = VarIsEmpty(c.b);
        EXPECT_EQ(VarSameValue(c.a, c.b), aEmpty || bEmpty ? aEmpty && bEmpty : c.equal);
    }
    EXPECT_TRUE(Null() <= Null());
    EXPECT_TRUE(Variant(3) > Null());
}

TEST(VariantCompare, IncomparableValues) {
    EXPECT_EQ(VariantErrorOf([] { (void)(Variant(5) == Variant("abc")); }),
              "Could not convert variant of type (String) into type (Double)");
    EXPECT_EQ(VariantErrorOf([] { (void)(VarArrayOf({1}) == VarArrayOf({1})); }),
              "Invalid variant operation");
    EXPECT_EQ(VariantErrorOf([] { (void)(Variant(true) < Variant("maybe")); }),
              "Could not convert variant of type (String) into type (Boolean)");
    // The compare functions never raise.
    EXPECT_FALSE(VarSameValue(Variant(5), Variant("abc")));
    EXPECT_EQ(VarCompareValue(Variant(5), Variant("abc")), vrNotEqual);
    EXPECT_EQ(VarCompareValue(VarArrayOf({1}), Variant(1)), vrNotEqual);
    EXPECT_EQ(VarCompareValue(Variant(1), Variant(2)), vrLessThan);
    EXPECT_EQ(VarCompareValue(Variant("b"), Variant("a")), vrGreaterThan);
    EXPECT_EQ(VarCompareValue(Variant(), Variant(0)), vrNotEqual);
    EXPECT_EQ(VarCompareValue(Null(), Null()), vrEqual);
    EXPECT_EQ(VarCompareValue(Variant(std::nan("")), Variant(1.0)), vrNotEqual);
}

TEST(VariantDispatch, HoldsAReference) {
    TCountedDispatch object;
    {
        Variant v(&object);
        EXPECT_EQ(object.Refs(), 1);
        EXPECT_TRUE(VarIsDispatch(v));
        EXPECT_FALSE(VarIsEmpty(v));
        EXPECT_EQ(v.AsDispatch(), &object);
        Variant copy = v;
        EXPECT_EQ(object.Refs(), 2);
        EXPECT_TRUE(copy == v);
        copy = 5;
        EXPECT_EQ(object.Refs(), 1);

        Variant list = VarArrayOf({v, v});
        EXPECT_EQ(object.Refs(), 3);
        Variant listCopy = list;
        EXPECT_EQ(object.Refs(), 5);
        listCopy.Clear();
        EXPECT_EQ(object.Refs(), 3);
        EXPECT_EQ(list[1].Value().AsDispatch(), &object);
        EXPECT_THROW(v.AsString(), EVariantError);
        EXPECT_THROW((void)(v == Variant(1)), EVariantError);
    }
    EXPECT_EQ(object.Refs(), 0);

    Variant none(static_cast<IDispatch*>(nullptr));
    EXPECT_TRUE(VarIsDispatch(none));
    EXPECT_TRUE(VarIsEmpty(none));
    EXPECT_EQ(none.AsDispatch(), nullptr);
    EXPECT_EQ(Variant().AsDispatch(), nullptr);

    Variant typed = VarArrayCreate({0, 0}, varDispatch);
    typed[0] = Variant(&object);
    EXPECT_EQ(object.Refs(), 1);
    typed = Variant();
    EXPECT_EQ(object.Refs(), 0);
}

TEST(Variant, WideTextThroughTheSystemCodePage) {
    const unsigned saved = GetACP();
    SetACP(936);
    EXPECT_EQ(Variant(u"浏览 A1").AsString(), "浏览 A1");
    EXPECT_EQ(Variant("浏览 A1").AsWideString(), u"浏览 A1");
    EXPECT_EQ(VarToWideStr(Variant("单号")), u"单号");
    EXPECT_TRUE(Variant("浏览") == Variant(u"浏览"));
    EXPECT_EQ(VarType(VarAsType(Variant(u"x"), varString)), varString);
    EXPECT_EQ(VarType(VarAsType(Variant("x"), varOleStr)), varOleStr);
    SetACP(950);
    EXPECT_EQ(Variant(u"中文").AsString(), "\xA4\xA4\xA4\xE5");
    EXPECT_EQ(Variant("\xA4\xA4\xA4\xE5").AsWideString(), u"中文");
    SetACP(1252);
    EXPECT_EQ(Variant(u"caf\u00E9").AsString(), "caf\xE9");
    SetACP(saved);
}
