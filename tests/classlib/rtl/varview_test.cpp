#include <gtest/gtest.h>

#include "classlib/rtl/dispatch.h"
#include "classlib/rtl/varview.h"

namespace {

class TNoRefDispatch : public IDispatch {
public:
    void AddRef() override {}
    void Release() override {}
};

// An array whose low bound is not 0: positions count from the low bound.
Variant ShiftedArray() {
    Variant array = VarArrayCreate({3, 5}, varVariant);
    array.PutElement({3}, Variant("a"));
    array.PutElement({4}, Null());
    array.PutElement({5}, VarArrayOf({Variant(1)}));
    return array;
}

} // namespace

TEST(VarView, TextOfEveryKindOfValue) {
    TNoRefDispatch object;
    struct Case {
        const char* name;
        Variant value;
        const char* text;
    };
    const Case cases[] = {
        {"unassigned", Variant(), ""},
        {"null", Null(), ""},
        {"integer", Variant(42), "42"},
        {"float", Variant(1.5), "1.5"},
        {"boolean", Variant(true), "True"},
        {"text", Variant("abc"), "abc"},
        {"blank text", Variant("  "), "  "},
        {"array", VarArrayOf({Variant("x")}), ""},
        {"object", Variant(static_cast<IDispatch*>(&object)), ""},
        {"error code", VarFromError(5), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VarText(c.value), c.text) << c.name;
}

TEST(VarView, ItemsCountFromTheLowBoundAndReadAsEmptyOutside) {
    const Variant array = ShiftedArray();
    EXPECT_EQ(VarArrayLength(array), 3);
    EXPECT_EQ(VarArrayItemText(array, 0), "a");
    EXPECT_EQ(VarArrayItemText(array, 1), "");
    EXPECT_EQ(VarArrayItemText(array, 2), ""); // a nested array has no text
    EXPECT_TRUE(VarIsArray(VarArrayItem(array, 2)));
    EXPECT_TRUE(VarIsEmpty(VarArrayItem(array, 3)));
    EXPECT_TRUE(VarIsEmpty(VarArrayItem(array, -1)));
    ASSERT_EQ(VarArrayItems(array).size(), 3u);
    EXPECT_EQ(VarArrayItems(array)[0], Variant("a"));
}

TEST(VarView, AnythingButAOneDimensionalArrayHasNoItems) {
    const Variant values[] = {Variant(), Null(), Variant("abc"), VarArrayCreate({0, 1, 0, 1}, varVariant),
                              VarArrayOf({})};
    for (const Variant& value : values) {
        EXPECT_EQ(VarArrayLength(value), 0);
        EXPECT_TRUE(VarArrayItems(value).empty());
        EXPECT_TRUE(VarIsEmpty(VarArrayItem(value, 0)));
        EXPECT_EQ(VarArrayItemText(value, 0), "");
    }
}

TEST(VarView, BlankValues) {
    EXPECT_TRUE(VarIsBlank(Variant()));
    EXPECT_TRUE(VarIsBlank(Null()));
    EXPECT_TRUE(VarIsBlank(Variant(" \t")));
    EXPECT_FALSE(VarIsBlank(Variant(" x")));
    EXPECT_FALSE(VarIsBlank(Variant(0)));
}
