#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/format.h"

namespace {

class FormatTest : public ::testing::Test {
protected:
    void SetUp() override {
        FSavedACP = GetACP();
        SetACP(936);
    }
    void TearDown() override { SetACP(FSavedACP); }

private:
    unsigned FSavedACP = 936;
};

AnsiString ErrorOf(const AnsiString& format, const std::vector<TVarRec>& args) {
    try {
        Format(format, args);
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "(no error)";
}

} // namespace

TEST_F(FormatTest, Directives) {
    struct Case {
        const char* format;
        std::vector<TVarRec> args;
        const char* expected;
    };
    const Case cases[] = {
        {"%s-%s", {"abc", AnsiString("def")}, "abc-def"},
        {"%d", {42}, "42"},
        {"%d", {-42}, "-42"},
        {"%5d|", {42}, "   42|"},
        {"%-5d|", {42}, "42   |"},
        {"%.4d", {-5}, "-0005"},
        {"%.*d", {6, 42}, "000042"},
        {"%.*d", {4, Int64(1) << 40}, "1099511627776"},
        {"%*d|", {4, 7}, "   7|"},
        {"%*d|", {-4, 7}, "7   |"},
        {"%u", {-1}, "4294967295"},
        {"%u", {std::numeric_limits<unsigned long long>::max()}, "18446744073709551615"},
        {"%d", {std::numeric_limits<unsigned long long>::max()}, "18446744073709551615"},
        {"%d", {std::numeric_limits<Int64>::min()}, "-9223372036854775808"},
        {"%x", {255}, "FF"},
        {"%.4x", {255}, "00FF"},
        {"%x", {-1}, "FFFFFFFF"},
        {"%x", {Int64(-1)}, "FFFFFFFFFFFFFFFF"},
        {"%X", {48879}, "BEEF"},
        {"%3.2f", {3.14159}, "3.14"},
        {"%f", {1.5}, "1.50"},
        {"%.2f", {2.675}, "2.68"},
        {"%.0f", {2.5}, "3"},
        {"%.0f", {-0.4}, "0"},
        {"%.3f", {-1e-9}, "0.000"},
        {"%8.3f|", {-3.14159}, "  -3.142|"},
        {"%.2f", {1e17}, "100000000000000000.00"},
        {"%e", {1234.5}, "1.23450000000000E+003"},
        {"%.3e", {-1234.5}, "-1.23E+003"},
        {"%.3e", {0.0}, "0.00E+000"},
        {"%g", {0.5}, "0.5"},
        {"%g", {1e20}, "1E020"},
        {"%g", {1e-7}, "1E-007"},
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%.0n", {-999.5}, "-1,000"},
        {"%%", {}, "%"},
        {"100%% %s", {"done"}, "100% done"},
        {"%-10s|", {"ab"}, "ab        |"},
        {"%10s|", {"ab"}, "        ab|"},
        {"%.2s", {"abcd"}, "ab"},
        {"%1:s %0:s %s", {"a", "b"}, "b a b"},
        {"%0:s%0:s", {"x"}, "xx"},
        {"%s", {'c'}, "c"},
        {"%s", {true}, "True"},
        {"%s", {WideString(u"wide")}, "wide"},
        {"%s|%d|%f", {Variant(12), Variant("34"), Variant(1.5)}, "12|34|1.50"},
        {"%p", {reinterpret_cast<const void*>(std::uintptr_t(0xAB))}, "00000000000000AB"},
        // Date texts as the date-by-kind routines build them.
        {"%.4d%s%.2d%s%.2d %.2d:%.2d:%.2d:%.3d",
         {2023, "/", 5, "/", 7, 9, 5, 3, 45},
         "2023/05/07 09:05:03:045"},
        {"%.3d%s%.2d", {39, "-", 5}, "039-05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(Format(c.format, c.args), c.expected);
    }
    EXPECT_EQ(Format("no directives"), "no directives");
    EXPECT_EQ(Format("%d items", {3}), "3 items");
}

TEST_F(FormatTest, DoubleByteTextIsNeverCut) {
    // "浏览" is four bytes in code page 936: widths count bytes, a precision never halves a character.
    EXPECT_EQ(Format("[%5s]", {"浏览"}), "[ 浏览]");
    EXPECT_EQ(Format("%.3s", {"浏览"}), "浏");
    EXPECT_EQ(Format("%.4s", {"浏览"}), "浏览");
    EXPECT_EQ(Format("单号%s：%d", {"A1", 5}), "单号A1：5");
    EXPECT_EQ(Format("%s", {WideString(u"浏览")}), "浏览");
}

TEST_F(FormatTest, MismatchesRaise) {
    const AnsiString invalidD = "Format '%d' invalid or incompatible with argument";
    EXPECT_EQ(ErrorOf("%d", {"abc"}), invalidD);
    EXPECT_EQ(ErrorOf("%d", {1.5}), invalidD);
    EXPECT_EQ(ErrorOf("%d", {'c'}), invalidD);
    EXPECT_EQ(ErrorOf("%d", {true}), invalidD);
    EXPECT_EQ(ErrorOf("%d", {}), "No argument for format '%d'");
    EXPECT_EQ(ErrorOf("%s %s", {"a"}), "No argument for format '%s %s'");
    EXPECT_EQ(ErrorOf("%f", {1}), "Format '%f' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf("%s", {1}), "Format '%s' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf("%y", {1}), "Format '%y' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf("%p", {1}), "Format '%p' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf("50%", {}), "Format '50%' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf("%*d", {"x", 1}), "Format '%*d' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf("%999999999d", {1}), "Format '%999999999d' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf("%5:d", {1}), "No argument for format '%5:d'");
    // A Variant argument converts by the Variant's rules and raises as they do.
    EXPECT_THROW(Format("%d", {Variant("abc")}), EVariantError);
    EXPECT_THROW(Format("%s", {Null()}), EVariantError);
}

TEST_F(FormatTest, ArgumentListsKeepTheirValues) {
    // The vector outlives the temporaries it was built from.
    std::vector<TVarRec> args;
    args.push_back(AnsiString("temporary ") + "text");
    args.push_back(Variant(u"wide"));
    EXPECT_EQ(Format("%s/%s", args), "temporary text/wide");
}

TEST_F(FormatTest, FormatFloatPatterns) {
    struct Case {
        const char* pattern;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"#,##0.00", 1234.5, "1,234.50"},
        {"#,##0.00", -1234.5, "-1,234.50"},
        {"#,##0.00", 0, "0.00"},
        {"#,##0.00", 0.005, "0.01"},
        {"#,##0.00", 999.995, "1,000.00"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0.00", -0.001, "0.00"},
        {"#,##0.#######", 1234.5, "1,234.5"},
        {"#,##0.#######", 0, "0"},
        {"#,##0.#######", 1.23456789, "1.2345679"},
        {"#,##0.#######", 1234567, "1,234,567"},
        {"#,##0.#######", 123, "123"},
        {"##0.#######", 0.5, "0.5"},
        {"##0.#######", 123456.1, "123456.1"},
        {"##0.#######", -0.25, "-0.25"},
        {"#,##0.", 1234.5, "1,235"},
        {"#,##0.", 999.4, "999"},
        {"0.00;-0.00;zero", 1.5, "1.50"},
        {"0.00;-0.00;zero", -1.5, "-1.50"},
        {"0.00;-0.00;zero", 0, "zero"},
        {"0.00;-0.00;zero", -0.001, "zero"},
        {"0.00;(0.00)", -1.5, "(1.50)"},
        {"0.00;(0.00)", -0.001, "0.00"},
        {"0.00;;nil", -2, "-2.00"},
        {"0.00E+00", 1234.5, "1.23E+03"},
        {"0.00E+00", 0.000123, "1.23E-04"},
        {"0.00E+00", 0, "0.00E+00"},
        {"0.0E-0", 1234.5, "1.2E3"},
        {"0.0E-0", 0.00012, "1.2E-4"},
        {"'Total: '0.0", 5, "Total: 5.0"},
        {"\"#\"0", 7, "#7"},
        {"#.##", 0.5, ".5"},
        {".00", 12.5, "12.50"},
        {"0000", 42, "0042"},
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"0.00", 2.675, "2.68"},
        {"0.00元", 1.5, "1.50元"},
        // 0x81 0x45 is one character whose trail byte reads as "E": it must stay a literal.
        {"0丒+0", 5, "0丒+5"},
        {"", 1.5, "1.5"},
        {"0.00", 1e25, "1E25"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected);
    }
    EXPECT_EQ(FormatFloat("0.00", std::nan("")), "NAN");
    EXPECT_EQ(FormatFloat("0.00", -HUGE_VAL), "-INF");
}

TEST_F(FormatTest, FloatToStrGeneralForm) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1.5, "1.5"},
        {-1.5, "-1.5"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {100, "100"},
        {1234567.891, "1234567.891"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {999999999999999.9, "1E15"},
        {1.5e300, "1.5E300"},
        {0.0001, "0.0001"},
        {0.00001, "0.00001"},
        {0.000001, "1E-6"},
        {-1.25e-10, "-1.25E-10"},
        {5e-324, "4.94065645841247E-324"},
        {HUGE_VAL, "INF"},
        {-HUGE_VAL, "-INF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FloatToStr(c.value), c.expected);
    }
    EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
    // Text and back gives the same text: the normalisation the rounding routines rely on.
    for (double v : {2.675, 0.1, 1234.5678, -9.87654321e-5})
        EXPECT_EQ(FloatToStr(StrToFloat(FloatToStr(v))), FloatToStr(v));
}

TEST_F(FormatTest, FloatToStrF) {
    EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
    EXPECT_EQ(FloatToStrF(1234.5678, ffNumber, 15, 2), "1,234.57");
    EXPECT_EQ(FloatToStrF(1234.5678, ffExponent, 4, 2), "1.235E+03");
    EXPECT_EQ(FloatToStrF(1234.5678, ffGeneral, 4, 0), "1235");
    EXPECT_EQ(FloatToStrF(123456.0, ffFixed, 4, 2), "1.235E5");
}

TEST_F(FormatTest, IntegerTexts) {
    EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::max()), "9223372036854775807");
    EXPECT_EQ(IntToStr(std::size_t(7)), "7");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(Int64(-1), 0), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(0, 0), "0");

    struct Case {
        const char* text;
        bool valid;
        int value;
    };
    const Case cases[] = {
        {"123", true, 123},
        {" 42 ", true, 42},
        {"-7", true, -7},
        {"+7", true, 7},
        {"$FF", true, 255},
        {"0x1F", true, 31},
        {"-$10", true, -16},
        {"$FFFFFFFF", true, -1},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"$100000000", false, 0},
        {"", false, 0},
        {"abc", false, 0},
        {"12a", false, 0},
        {"1 2", false, 0},
        {"$", false, 0},
        {"-", false, 0},
        {"1.5", false, 0},
        {"$G", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int value = 99;
        EXPECT_EQ(TryStrToInt(c.text, value), c.valid);
        EXPECT_EQ(StrToIntDef(c.text, -99), c.valid ? c.value : -99);
        if (c.valid) {
            EXPECT_EQ(StrToInt(c.text), c.value);
        }
    }
    try {
        StrToInt("abc");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }

    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<Int64>::max());
    EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<Int64>::min());
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64(" 4294967296 "), 4294967296LL);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 5), 5);
    Int64 big = 0;
    EXPECT_FALSE(TryStrToInt64("1e3", big));
    EXPECT_THROW(StrToInt64("x"), EConvertError);
}

TEST_F(FormatTest, FloatingPointTexts) {
    struct Case {
        const char* text;
        bool valid;
        double value;
    };
    const Case cases[] = {
        {"1.5", true, 1.5},  {" -2.5e3 ", true, -2500}, {"1.", true, 1},
        {".5", true, 0.5},   {"+3", true, 3},           {"1E-2", true, 0.01},
        {"1e-400", true, 0}, {"1e400", false, 0},       {"abc", false, 0},
        {"", false, 0},      {"1,5", false, 0},         {"1e", false, 0},
        {"inf", false, 0},   {"nan", false, 0},         {"0x10", false, 0},
        {".", false, 0},     {"- 1", false, 0},         {"1.5.2", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double value = 99;
        EXPECT_EQ(TryStrToFloat(c.text, value), c.valid);
        if (c.valid) {
            EXPECT_EQ(value, c.value);
        }
        EXPECT_EQ(StrToFloatDef(c.text, -99), c.valid ? c.value : -99);
    }
    try {
        StrToFloat("abc");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
    }
}

TEST_F(FormatTest, BooleanTexts) {
    EXPECT_EQ(BoolToStr(true), "-1");
    EXPECT_EQ(BoolToStr(false, true), "False");
    EXPECT_TRUE(StrToBool("true"));
    EXPECT_FALSE(StrToBool(" FALSE "));
    EXPECT_TRUE(StrToBool("2"));
    EXPECT_FALSE(StrToBool("0"));
    EXPECT_TRUE(StrToBoolDef("maybe", true));
    EXPECT_THROW(StrToBool("maybe"), EConvertError);
}
