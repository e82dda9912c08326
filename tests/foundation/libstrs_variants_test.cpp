#include <gtest/gtest.h>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/variants.h"
#include "foundation/libstrs.h"

namespace {

// "中文" in GBK and in BIG5.
const AnsiString kGbk = "\xD6\xD0\xCE\xC4";
const AnsiString kBig5 = "\xA4\xA4\xA4\xE5";
const WideString kWide = u"中文";

class LibStrsCodePages : public ::testing::Test {
protected:
    void SetUp() override { SetACP(936); }
};

TEST_F(LibStrsCodePages, ConversionsByCodePage) {
    EXPECT_EQ(WideToAnsiCP(kWide, 950), kBig5);
    EXPECT_EQ(WideToAnsiCP(kWide, 936), kGbk);
    EXPECT_EQ(AnsiToWideCP(kBig5, 950), kWide);
    EXPECT_EQ(AnsiToWideCP(kGbk, 936), kWide);
    // A code page that gives no length: the plain conversion of the system code page.
    EXPECT_EQ(WideToAnsiCP(kWide, 12345), kGbk);
    EXPECT_EQ(AnsiToWideCP(kGbk, 12345), kWide);
    EXPECT_EQ(WideToAnsiCP(u"", 950), "");
}

TEST_F(LibStrsCodePages, VarWideToAnsiConvertsStringsOfAnyKind) {
    Variant r = VarWideToAnsi(Variant(kWide), 950);
    EXPECT_EQ(VarType(r), varString);
    EXPECT_EQ(r.AsString(), kBig5);
    // A byte string is in the system code page.
    r = VarWideToAnsi(Variant(kGbk), 950);
    EXPECT_EQ(VarType(r), varString);
    EXPECT_EQ(r.AsString(), kBig5);
    // Other values stay as they are.
    EXPECT_TRUE(VarIsEmpty(VarWideToAnsi(Variant(), 950)));
    EXPECT_TRUE(VarIsNull(VarWideToAnsi(Null(), 950)));
    EXPECT_EQ(VarType(VarWideToAnsi(Variant(42), 950)), varInteger);
}

TEST_F(LibStrsCodePages, VarAnsiToWideReadsByteStringsInTheCodePage) {
    Variant r = VarAnsiToWide(Variant(kBig5), 950);
    EXPECT_EQ(VarType(r), varOleStr);
    EXPECT_EQ(r.AsWideString(), kWide);
    r = VarAnsiToWide(Variant(kWide), 950);
    EXPECT_EQ(VarType(r), varOleStr);
    EXPECT_EQ(r.AsWideString(), kWide);
    EXPECT_TRUE(VarIsNull(VarAnsiToWide(Null(), 950)));
    EXPECT_EQ(VarAnsiToWide(Variant(2.5), 950).AsFloat(), 2.5);
}

TEST_F(LibStrsCodePages, OneDimensionalArraysAreConvertedDeep) {
    const Variant value =
        VarArrayOf({Variant(kWide), Variant(7), Variant(kGbk), VarArrayOf({Variant(kWide)})});
    const Variant r = VarWideToAnsi(value, 950);
    ASSERT_TRUE(VarIsArray(r));
    EXPECT_EQ(VarType(r[0]), varString);
    EXPECT_EQ(r[0].AsString(), kBig5);
    EXPECT_EQ(r[1].AsInteger(), 7);
    EXPECT_EQ(r[2].AsString(), kGbk); // inside an array only wide strings are converted
    const Variant inner = r[3];
    ASSERT_TRUE(VarIsArray(inner));
    EXPECT_EQ(inner[0].AsString(), kBig5);
    // The value itself is not changed.
    EXPECT_EQ(VarType(value[0]), varOleStr);

    const Variant back = VarArrayAnsiToWide(r, 950);
    EXPECT_EQ(VarType(back[0]), varOleStr);
    EXPECT_EQ(back[0].AsWideString(), kWide);
    EXPECT_EQ(Variant(back[3])[0].AsWideString(), kWide);
    // The array routines leave a value that is no array alone.
    EXPECT_EQ(VarType(VarArrayWideToAnsi(Variant(kWide), 950)), varOleStr);
}

TEST_F(LibStrsCodePages, TwoDimensionalArraysAreConvertedOneLevel) {
    Variant grid = VarArrayCreate({0, 1, 1, 2}, varVariant);
    grid.PutElement({0, 1}, Variant(kWide));
    grid.PutElement({0, 2}, Variant(3));
    grid.PutElement({1, 1}, VarArrayOf({Variant(kWide)}));
    const Variant r = VarWideToAnsi(grid, 950);
    EXPECT_EQ(VarArrayLowBound(r, 2), 1);
    EXPECT_EQ(r.GetElement({0, 1}).AsString(), kBig5);
    EXPECT_EQ(r.GetElement({0, 2}).AsInteger(), 3);
    EXPECT_EQ(VarType(Variant(r.GetElement({1, 1}))[0]), varOleStr); // no recursion
    EXPECT_TRUE(VarIsEmpty(r.GetElement({1, 2})));
}

TEST_F(LibStrsCodePages, ArrayOfWideStringsBecomesAnArrayOfVariants) {
    // Put back into an array of wide strings, a converted text would turn wide again.
    Variant names = VarArrayCreate({1, 2}, varOleStr);
    names.PutElement({1}, Variant(kWide));
    names.PutElement({2}, Variant(u"A"));
    const Variant r = VarArrayWideToAnsi(names, 950);
    EXPECT_EQ(VarType(r), varArray | varVariant);
    EXPECT_EQ(VarArrayLowBound(r, 1), 1);
    EXPECT_EQ(VarType(r[1]), varString);
    EXPECT_EQ(r[1].AsString(), kBig5);
    EXPECT_EQ(r[2].AsString(), "A");
}

} // namespace
