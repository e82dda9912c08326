#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <random>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/varmarshal.h"

using ::testing::AnyOf;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// Structural equality: same types, same bounds, same elements; '' when equal, else where they part.
AnsiString Difference(const Variant& a, const Variant& b, const AnsiString& path = "value") {
    if (a.VType() != b.VType())
        return path + ": type " + std::to_string(a.VType()) + " against " + std::to_string(b.VType());
    if (VarIsArray(a)) {
        const int dims = VarArrayDimCount(a);
        if (dims != VarArrayDimCount(b)) return path + ": dimensions";
        std::vector<int> low, high, index;
        for (int d = 1; d <= dims; ++d) {
            low.push_back(VarArrayLowBound(a, d));
            high.push_back(VarArrayHighBound(a, d));
            if (low.back() != VarArrayLowBound(b, d) || high.back() != VarArrayHighBound(b, d))
                return path + ": bounds of dimension " + std::to_string(d);
            if (high.back() < low.back()) return "";
        }
        index = low;
        for (;;) {
            AnsiString at = path + "[";
            for (int i : index)
                at += std::to_string(i) + ",";
            const AnsiString d = Difference(a.GetElement(index), b.GetElement(index), at + "]");
            if (!d.empty()) return d;
            std::size_t k = 0;
            for (; k < index.size(); ++k) {
                if (index[k] < high[k]) {
                    ++index[k];
                    break;
                }
                index[k] = low[k];
            }
            if (k == index.size()) return "";
        }
    }
    switch (a.VType()) {
    case varEmpty:
    case varNull:
        return "";
    case varDispatch:
        return a.AsDispatch() == b.AsDispatch() ? "" : path + ": another object";
    case varError:
        return a.AsError() == b.AsError() ? "" : path + ": error code";
    case varString:
        return a.AsString() == b.AsString() ? "" : path + ": bytes";
    case varOleStr:
        return a.AsWideString() == b.AsWideString() ? "" : path + ": text";
    case varCurrency:
        return VarToScaledCurrency(a) == VarToScaledCurrency(b) ? "" : path + ": scaled currency";
    case varDouble:
    case varSingle:
    case varDate: {
        const double x = a.AsFloat(), y = b.AsFloat();
        return std::memcmp(&x, &y, sizeof x) == 0 ? "" : path + ": bits of the number";
    }
    default:
        return VarSameValue(a, b) ? "" : path + ": " + VarToStr(a) + " against " + VarToStr(b);
    }
}

Variant Filled(const std::vector<int>& bounds, TVarType type, const std::function<Variant(int)>& value) {
    Variant array = VarArrayCreate(bounds, type);
    std::vector<int> index;
    for (std::size_t k = 0; k < bounds.size(); k += 2)
        index.push_back(bounds[k]);
    for (int n = 0;; ++n) {
        array.PutElement(index, value(n));
        std::size_t k = 0;
        for (; k < index.size(); ++k) {
            if (index[k] < bounds[2 * k + 1]) {
                ++index[k];
                break;
            }
            index[k] = bounds[2 * k];
        }
        if (k == index.size()) return array;
    }
}

Variant Nested(int levels) {
    Variant v = 1;
    for (int i = 0; i < levels; ++i)
        v = VarArrayOf({v});
    return v;
}

AnsiString ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const EMarshalError& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return AnsiString("not EMarshalError: ") + e.what();
    }
    return "(no error)";
}

std::string Body(const std::string& frame) {
    return frame.substr(4);
}

std::string Le16(unsigned v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
}
std::string Le32(Cardinal v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

// Hands out numbers for objects, as a connection does for the objects it serves.
class THandleTable : public IDispatchHandles {
public:
    Cardinal HandleOf(IDispatch* object) override {
        for (auto& [h, v] : FObjects)
            if (v.AsDispatch() == object) return h;
        const Cardinal h = static_cast<Cardinal>(FObjects.size()) + 1;
        FObjects[h] = Variant(object);
        return h;
    }
    Variant ObjectOf(Cardinal handle) override {
        auto it = FObjects.find(handle);
        if (it == FObjects.end()) throw EMarshalError("Unknown object handle " + std::to_string(handle));
        return it->second;
    }

private:
    std::map<Cardinal, Variant> FObjects;
};

class TPlain : public TAutoObject {};

} // namespace

TEST(VarMarshal, RoundTripOfEveryType) {
    const AnsiString gbk = "进口信用证";
    const AnsiString withNul("a\0b", 3);
    const WideString wide = u"\u4fe1\u7528\u8bc1 \U0001F4B0";
    const Variant cases[] = {
        Variant(),
        Null(),
        Variant(static_cast<short>(-32768)),
        Variant(static_cast<short>(32767)),
        Variant(INT_MIN),
        Variant(123456789),
        Variant(1.5f),
        Variant(-3.4e38f),
        Variant(3.141592653589793),
        Variant(-1e-310), // subnormal
        Variant(-0.0),
        VarFromCurrency(12345.6789),
        VarFromCurrency(-99999999999.9999),
        VarFromScaledCurrency(922337203685477580LL), // beyond a double's exact integers
        VarFromCurrency(0),
        VarFromDateTime(45291.75),
        VarFromDateTime(-693593.0),
        Variant(wide),
        Variant(WideString()),
        Variant(gbk),
        Variant(withNul),
        Variant(AnsiString()),
        Variant(true),
        Variant(false),
        Variant(static_cast<Byte>(255)),
        Variant(static_cast<long long>(INT64_MIN)),
        Variant(static_cast<long long>(INT64_MAX)),
        VarFromError(-2147352572),
        Variant(static_cast<IDispatch*>(nullptr)),
        // Arrays: every element type, bounds that start elsewhere than 0, several dimensions, nesting.
        VarArrayOf({1, "two", 3.0, Null(), Variant(), VarArrayOf({Variant(u"x"), false})}),
        Filled({-1, 1, 5, 8}, varInteger, [](int n) { return n * 1000 - 7; }),
        Filled({1, 3, -2, 0}, varVariant, [&](int n) { return n % 2 ? Variant(gbk) : Variant(n * 0.5); }),
        Filled({0, 1, 0, 1, 10, 12}, varDouble, [](int n) { return n / 3.0; }),
        Filled({0, 2}, varSmallint, [](int n) { return static_cast<short>(-n); }),
        Filled({0, 2}, varSingle, [](int n) { return static_cast<float>(n) / 7; }),
        Filled({0, 2}, varCurrency, [](int n) { return VarFromCurrency(n * 1.2345); }),
        Filled({0, 2}, varDate, [](int n) { return VarFromDateTime(45000 + n / 4.0); }),
        Filled({0, 2}, varOleStr, [](int n) { return Variant(WideString(n, u'\u5b57')); }),
        Filled({0, 2}, varString, [](int n) { return Variant(AnsiString(n, 'z')); }),
        Filled({0, 2}, varError, [](int n) { return VarFromError(n); }),
        Filled({0, 2}, varBoolean, [](int n) { return n == 1; }),
        Filled({0, 2}, varInt64, [](int n) { return static_cast<long long>(n) << 40; }),
        Filled({0, 1}, varDispatch, [](int) { return Variant(static_cast<IDispatch*>(nullptr)); }),
        Filled({100, 100099}, varByte, [](int n) { return static_cast<Byte>(n * 31); }),
        VarArrayCreate({0, -1}, varVariant),
        VarArrayCreate({5, 4, 0, 3}, varInteger),
        Nested(MaxNesting),
    };
    for (const Variant& value : cases) {
        SCOPED_TRACE(VarTypeAsText(value.VType()));
        const std::string bytes = MarshalVariant(value);
        EXPECT_EQ(Difference(UnmarshalVariant(bytes), value), "");
    }
}

// The element types an array can be made with are exactly those the wire carries: an empty array of
// each type that VarArrayCreate takes is read back, and of each other type refused.
TEST(VarMarshal, ArrayElementTypesAgreeWithVariants) {
    for (TVarType type = 0; type <= varTypeMask; ++type) {
        bool created = true;
        try {
            VarArrayCreate({0, -1}, type);
        } catch (const EVariantError&) {
            created = false;
        }
        bool read = true;
        try {
            UnmarshalVariant(Le16(varArray | type) + "\x01" + Le32(0) + Le32(0));
        } catch (const EMarshalError&) {
            read = false;
        }
        EXPECT_EQ(read, created) << "type " << type;
    }
}

TEST(VarMarshal, BytesOnTheWire) {
    // The documented layout, for a reader in any language.
    EXPECT_EQ(MarshalVariant(Variant(0x01020304)), Le16(varInteger) + Le32(0x01020304));
    EXPECT_EQ(MarshalVariant(Variant(AnsiString("ab"))), Le16(varString) + Le32(2) + "ab");
    EXPECT_EQ(MarshalVariant(Variant(WideString(u"A"))), Le16(varOleStr) + Le32(1) + Le16('A'));
    EXPECT_EQ(MarshalVariant(VarFromCurrency(1.5)), Le16(varCurrency) + Le32(15000) + Le32(0));
    EXPECT_EQ(MarshalVariant(Filled({-1, 0}, varSmallint, [](int n) { return static_cast<short>(n + 7); })),
              Le16(varArray | varSmallint) + "\x01" + Le32(static_cast<Cardinal>(-1)) + Le32(2) + Le16(7) +
                  Le16(8));
}

TEST(VarMarshal, ObjectsNeedAHandleTable) {
    Variant object(new TPlain);
    const Variant array = VarArrayOf({object, 5, object});
    EXPECT_EQ(ErrorOf([&] { MarshalVariant(array); }), "An automation object cannot be marshalled here");

    THandleTable table;
    const std::string bytes = MarshalVariant(array, &table);
    EXPECT_EQ(Difference(UnmarshalVariant(bytes, &table), array), "");
    EXPECT_EQ(ErrorOf([&] { UnmarshalVariant(bytes); }), "An automation object cannot be unmarshalled here");
    EXPECT_EQ(ErrorOf([&] { UnmarshalVariant(Le16(varDispatch) + Le32(77), &table); }),
              "Unknown object handle 77");
}

TEST(VarMarshal, FramesRoundTrip) {
    TMarshalFrame call;
    call.Kind = fkCall;
    call.Handle = 7;
    call.Flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    call.Name = "GetMessage";
    call.Args = {{"E", false, 0}, {123, false, 0}, {Variant(), true, 0}};
    TMarshalFrame back = DecodeFrame(Body(EncodeFrame(call)));
    EXPECT_EQ(back.Kind, fkCall);
    EXPECT_EQ(back.Handle, 7u);
    EXPECT_EQ(back.Flags, call.Flags);
    EXPECT_EQ(back.Name, "GetMessage");
    ASSERT_EQ(back.Args.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Difference(back.Args[i].Value, call.Args[i].Value), "");
        EXPECT_EQ(back.Args[i].ByRef, i == 2);
        EXPECT_EQ(back.Args[i].Index, i);
    }

    TMarshalFrame result;
    result.Kind = fkResult;
    result.Result = Filled({1, 2, 1, 3}, varVariant, [](int n) { return n; });
    result.Args = {{"文本", true, 2}};
    back = DecodeFrame(Body(EncodeFrame(result)));
    EXPECT_EQ(back.Kind, fkResult);
    EXPECT_EQ(Difference(back.Result, result.Result), "");
    ASSERT_EQ(back.Args.size(), 1u);
    EXPECT_EQ(back.Args[0].Index, 2);
    EXPECT_EQ(back.Args[0].Value.AsString(), "文本");

    TMarshalFrame error;
    error.Kind = fkError;
    error.Name = "EConvertError";
    error.Message = "'x' is not a valid integer value";
    back = DecodeFrame(Body(EncodeFrame(error)));
    EXPECT_EQ(back.Kind, fkError);
    EXPECT_EQ(back.Name, error.Name);
    EXPECT_EQ(back.Message, error.Message);

    TMarshalFrame open;
    open.Kind = fkOpen;
    open.Flags = MarshalProtocolVersion;
    open.Name = "RAVEZ01A.Rarer1";
    back = DecodeFrame(Body(EncodeFrame(open)));
    EXPECT_EQ(back.Kind, fkOpen);
    EXPECT_EQ(back.Name, open.Name);
    EXPECT_EQ(back.Flags, MarshalProtocolVersion);

    const std::string release = EncodeFrame(TMarshalFrame{fkRelease, 9, 0, "", "", Variant(), {}, "", ""});
    EXPECT_EQ(DecodeFrameLength(release.data()), release.size() - 4);
    EXPECT_EQ(DecodeFrame(Body(release)).Handle, 9u);
}

TEST(VarMarshal, MalformedValuesAreRefused) {
    const std::string arrayHead = Le16(varArray | varVariant);
    struct Case {
        const char* what;
        std::string bytes;
        const char* expected;
    };
    const Case cases[] = {
        {"nothing", "", "Malformed frame: truncated"},
        {"half a type", "\x03", "Malformed frame: truncated"},
        {"short integer", Le16(varInteger) + "\x01\x02", "Malformed frame: truncated"},
        {"type 0x000D", Le16(0x000D), "Malformed frame: bad variant type 0x000D"},
        {"a lone varVariant", Le16(varVariant), "Malformed frame: bad variant type 0x000C"},
        {"by-reference bit", Le16(0x4000 | varInteger) + Le32(1), "Malformed frame: bad variant type 0x4003"},
        {"array of nothing", Le16(varArray | varEmpty), "Malformed frame: bad variant type 0x2000"},
        {"unknown high bits", Le16(0x1003), "Malformed frame: bad variant type 0x1003"},
        {"Boolean byte 2", Le16(varBoolean) + "\x02", "Malformed frame: bad Boolean byte 2"},
        {"string longer than the frame", Le16(varString) + Le32(0xFFFFFFFF) + "abc",
         "Malformed frame: truncated"},
        {"wide string longer than the frame", Le16(varOleStr) + Le32(0x7FFFFFFF) + "ab",
         "Malformed frame: truncated"},
        {"array of 0 dimensions", arrayHead + std::string(1, '\0'), "Malformed frame: array of 0 dimensions"},
        {"array of 65 dimensions", arrayHead + "\x41", "Malformed frame: array of 65 dimensions"},
        {"bounds past the integer range", arrayHead + "\x01" + Le32(INT_MAX) + Le32(2),
         "Malformed frame: bad array bounds"},
        {"two billion elements in a few bytes", arrayHead + "\x01" + Le32(0) + Le32(0x7FFFFFFF) + Le16(0),
         "Malformed frame: array larger than its frame"},
        {"a product of dimensions that overflows",
         Le16(varArray | varByte) + "\x03" + Le32(0) + Le32(0x7FFFFFFF) + Le32(0) + Le32(0x7FFFFFFF) +
             Le32(0) + Le32(0x7FFFFFFF),
         "Malformed frame: array larger than its frame"},
        {"an empty shape the Variant refuses",
         Le16(varArray | varInteger) + "\x03" + Le32(0) + Le32(0x7FFFFFFF) + Le32(0) + Le32(0x7FFFFFFF) +
             Le32(0) + Le32(0),
         "Malformed frame: bad array bounds"},
        {"bytes left over", Le16(varNull) + "x", "Malformed frame: 1 bytes left over"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorOf([&] { UnmarshalVariant(c.bytes); }), c.expected) << c.what;

    // An empty dimension makes an empty array, however large the others claim to be.
    const Variant empty = UnmarshalVariant(Le16(varArray | varInteger) + "\x02" + Le32(0) + Le32(0x7FFFFFFF) +
                                           Le32(1) + Le32(0));
    EXPECT_EQ(VarArrayHighBound(empty, 1), 0x7FFFFFFE);
    EXPECT_EQ(VarArrayHighBound(empty, 2), 0);
}

TEST(VarMarshal, EveryTruncationIsRefused) {
    const Variant value = VarArrayOf(
        {1, "two", Filled({-1, 1, 2, 3}, varOleStr, [](int n) { return Variant(WideString(n, u'q')); }),
         VarFromCurrency(2.5), Variant(true)});
    const std::string bytes = MarshalVariant(value);
    // An array's count is checked against the bytes left before its elements are read.
    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_THAT(
            ErrorOf([&] { UnmarshalVariant(bytes.substr(0, n)); }),
            AnyOf(Eq("Malformed frame: truncated"), Eq("Malformed frame: array larger than its frame")))
            << n;
}

TEST(VarMarshal, LimitsOnBothSides) {
    // Nesting: as deep as the limit goes out and comes back; one more is refused by the writer, and a
    // hand-made frame one deeper by the reader.
    EXPECT_THAT(ErrorOf([] { MarshalVariant(Nested(MaxNesting + 1)); }), HasSubstr("nested deeper than 32"));
    std::string deep;
    for (int i = 0; i <= MaxNesting; ++i)
        deep += Le16(varArray | varVariant) + "\x01" + Le32(0) + Le32(1);
    deep += Le16(varNull);
    EXPECT_EQ(ErrorOf([&] { UnmarshalVariant(deep); }), "Malformed frame: arrays nested deeper than 32");

    // Too many elements: refused before the array is made.
    const Cardinal many = static_cast<Cardinal>(MaxFrameElements) + 1;
    const std::string booleans =
        Le16(varArray | varBoolean) + "\x01" + Le32(0) + Le32(many) + std::string(many, '\0');
    EXPECT_EQ(ErrorOf([&] { UnmarshalVariant(booleans); }),
              "Malformed frame: more than 8388608 array elements");
    EXPECT_THAT(ErrorOf([&] {
                    MarshalVariant(VarArrayCreate({0, static_cast<int>(many) - 1}, varBoolean));
                }),
                StartsWith("Too many array elements to marshal"));

    // Frame lengths.
    EXPECT_EQ(ErrorOf([] { DecodeFrameLength("\xFF\xFF\xFF\xFF"); }),
              "Frame too large: 4294967295 bytes (limit 67108864)");
    EXPECT_EQ(ErrorOf([] { DecodeFrameLength(std::string(4, '\0').data()); }),
              "Malformed frame: empty frame");
    EXPECT_THAT(ErrorOf([] {
                    MarshalVariant(VarArrayCreate({0, static_cast<int>(MaxFrameSize)}, varByte));
                }),
                StartsWith("Frame too large"));
    TMarshalFrame call;
    call.Name = AnsiString(256, 'n');
    EXPECT_THAT(ErrorOf([&] { EncodeFrame(call); }), StartsWith("Name too long to marshal"));
    call.Name = "Sum";
    call.Args.resize(256);
    EXPECT_EQ(ErrorOf([&] { EncodeFrame(call); }), "Too many arguments to marshal for 'Sum'");
}

TEST(VarMarshal, MalformedFramesAreRefused) {
    struct Case {
        const char* what;
        std::string body;
        const char* expected;
    };
    const Case cases[] = {
        {"empty body", "", "Malformed frame: truncated"},
        {"unknown kind", "\x09", "Malformed frame: bad frame kind 9"},
        {"call cut after the name", "\x02" + Le32(1) + Le16(1) + "\x03" + "Foo",
         "Malformed frame: truncated"},
        {"call with a bad by-reference flag",
         "\x02" + Le32(1) + Le16(1) + "\x01" + "F" + "\x01\x02" + Le16(varNull),
         "Malformed frame: bad by-reference flag 2"},
        {"call with more arguments than sent",
         "\x02" + Le32(1) + Le16(1) + "\x01" + "F" + "\x02\x00" + Le16(varNull),
         "Malformed frame: truncated"},
        {"release with bytes left over", "\x05" + Le32(1) + "z", "Malformed frame: 1 bytes left over"},
        {"error with a message past the end", "\x04\x01X" + Le32(100) + "short",
         "Malformed frame: truncated"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorOf([&] { DecodeFrame(c.body); }), c.expected) << c.what;
}

TEST(VarMarshal, DamagedFramesNeverCrash) {
    // Random damage to a valid frame either decodes or raises EMarshalError; never anything else.
    TMarshalFrame call;
    call.Name = "LoadTable";
    call.Handle = 3;
    call.Flags = DISPATCH_METHOD;
    call.Args = {{VarArrayOf({"a", 1, VarArrayOf({2.5, Null()})}), false, 0},
                 {Filled({1, 2, 0, 2}, varInt64, [](int n) { return static_cast<long long>(n); }), true, 0},
                 {Variant(u"宽字符"), false, 0}};
    const std::string body = Body(EncodeFrame(call));
    std::mt19937 random(20240611);
    int decoded = 0;
    for (int round = 0; round < 5000; ++round) {
        std::string damaged = body;
        const int hits = 1 + static_cast<int>(random() % 4);
        for (int h = 0; h < hits; ++h)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        if (random() % 4 == 0) damaged.resize(random() % damaged.size());
        try {
            DecodeFrame(damaged);
            ++decoded;
        } catch (const EMarshalError&) {
        }
    }
    EXPECT_LT(decoded, 5000);
}
