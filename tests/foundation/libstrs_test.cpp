#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "foundation/libstrs.h"

namespace {

TEST(LibStrsNumbers, FormatZeroPadFillsWithZeros) {
    EXPECT_EQ(FormatZeroPad(3, 7), "007");
    EXPECT_EQ(FormatZeroPad(2, 12345), "12345");
    EXPECT_EQ(FormatZeroPad(6, 1234567890123LL), "1234567890123");
    EXPECT_EQ(FormatZeroPad(0, 0), "0");
}

TEST(LibStrsNumbers, RoundFloatRoundsHalvesAwayFromZeroAtEveryMagnitude) {
    const struct {
        int digits;
        double value, expected;
    } cases[] = {
        {2, 2.675, 2.68},
        {0, -0.5, -1},
        {0, 0.5, 1},
        {0, 2.5, 3},
        {2, 1.005, 1.01},
        {2, -1.005, -1.01},
        {2, 12345678.125, 12345678.13},
        {2, -12345678.125, -12345678.13},
        {2, 5000000.015, 5000000.02},
        {2, 999999999999.995, 1000000000000.0},
        {2, 0.125, 0.13},
        {2, 0.124999, 0.12},
        {2, 999.995, 1000},
        {4, 1.00005, 1.0001},
        {3, 0.0005, 0.001},
        {2, 0.004, 0},
        {2, 1e-20, 0},
        {2, 1.5e20, 1.5e20}, // no decimals left to round
        {6, 0.1, 0.1},
        {15, 0.1, 0.1},
        {-1, 2.5, 3}, // no negative number of decimals
    };
    for (const auto& c : cases)
        EXPECT_EQ(RoundFloat(c.digits, c.value), c.expected) << c.value << " to " << c.digits;
}

TEST(LibStrsNumbers, RoundFloatNeverGivesNegativeZeroOrNonNumbers) {
    for (double value : {0.0, -0.0, -0.001, -0.004999}) {
        const double r = RoundFloat(2, value);
        EXPECT_EQ(r, 0) << value;
        EXPECT_FALSE(std::signbit(r)) << value;
    }
    EXPECT_EQ(RoundFloat(2, std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundFloat(2, std::numeric_limits<double>::infinity()), 0);
}

TEST(LibStrsNumbers, CompareFloatAllowsATenBillionth) {
    EXPECT_EQ(CompareFloat(1.00000000001, 1.0), 0);
    EXPECT_EQ(CompareFloat(0.1 + 0.2, 0.3), 0);
    EXPECT_EQ(CompareFloat(1.0, 1.000000001), -1);
    EXPECT_EQ(CompareFloat(1.000000001, 1.0), 1);
    EXPECT_EQ(CompareFloat(-2, 1), -1);
    EXPECT_EQ(CompareFloat(0, -0.0), 0);
    // Large amounts compare on their fifteen significant digits: a difference past them is none,
    // one within them counts however small beside the amounts.
    EXPECT_EQ(CompareFloat(1e20, 1e20 + 65536), 0);
    EXPECT_EQ(CompareFloat(123456789012345.0, 123456789012346.0), -1);
    EXPECT_EQ(CompareFloat(99999999999999.9, 99999999999999.8), 1);
}

// An overflowed amount is no zero: infinities order by their sign, a NaN equals nothing (itself
// included) and sorts after every number.
TEST(LibStrsNumbers, CompareFloatOrdersInfinitiesAndNaN) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double A, B;
        int Result;
    } cases[] = {
        {inf, 1, 1},     {1, inf, -1},    {-inf, -1e300, -1}, {-1e300, -inf, 1},  {inf, inf, 0},
        {-inf, -inf, 0}, {-inf, inf, -1}, {inf, -inf, 1},     {nan, 0, 1},        {0, nan, -1},
        {nan, inf, 1},   {-inf, nan, -1}, {nan, nan, 1},      {1e308 * 10, 1, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareFloat(c.A, c.B), c.Result) << c.A << " vs " << c.B;
}

TEST(LibStrsTimeSpans, SecondsToTimeStr) {
    EXPECT_EQ(SecondsToTimeStr(0), "0000:00:00");
    EXPECT_EQ(SecondsToTimeStr(2670), "0000:44:30");
    EXPECT_EQ(SecondsToTimeStr(-3661), "-0001:01:01");
    EXPECT_EQ(SecondsToTimeStr(36000000), "10000:00:00");
    EXPECT_EQ(SecondsToTimeStr(std::numeric_limits<Int64>::min()), "0000:00:00");
}

TEST(LibStrsTimeSpans, AddTimeStrAddsOrSubtractsSpans) {
    const struct {
        AnsiString first, second;
        int sign;
        long long total;
        AnsiString text;
    } cases[] = {
        {"01:30:00", "00:45:30", -1, 2670, "0000:44:30"},
        {"01:30:00", "00:45:30", 1, 8130, "0002:15:30"},
        {" 01:30:00 ", "00:45:30", 1, 8130, "0002:15:30"},
        {"00:00:10", "00:01:00", -1, -50, "-0000:00:50"},
        {"100:00:00", "00:00:01", 1, 360001, "0100:00:01"},
        // Bad input: the neutral answer.
        {"01:30:00", "00:45:30", 0, 0, "000:00:00"},
        {"01:30:00", "00:45:30", 2, 0, "000:00:00"},
        {"1:30:00", "00:45:30", 1, 0, "000:00:00"},
        {"01:30:0a", "00:45:30", 1, 0, "000:00:00"},
        {"01:30:00", "00-45-30", 1, 0, "000:00:00"},
        {"0130:00:00:", "00:45:30", 1, 0, "000:00:00"},
        {"01300000::", "00:45:30", 1, 0, "000:00:00"}, // empty fields are no numbers
        {"99999999999999999999:00:00", "00:00:00", 1, 0, "000:00:00"},
    };
    for (const auto& c : cases) {
        const Variant r = AddTimeStr(c.first, c.second, c.sign);
        ASSERT_TRUE(VarIsArray(r));
        EXPECT_EQ(VarArrayLowBound(r, 1), 0);
        EXPECT_EQ(VarArrayHighBound(r, 1), 1);
        EXPECT_EQ(r[0].AsInt64(), c.total) << c.first << " " << c.sign << " " << c.second;
        EXPECT_EQ(r[1].AsString(), c.text) << c.first << " " << c.sign << " " << c.second;
    }
}

// ---------------------------------------------------------------------------------------------------

TEST(LibStrsDates, FormatDateByKind) {
    const TDateTime may7 = EncodeDate(2023, 5, 7);
    const TDateTime may1950 = EncodeDate(1950, 5, 7);
    const struct {
        int kind;
        AnsiString separator;
        TDateTime date;
        AnsiString expected;
    } cases[] = {
        {1, "/", may7, "2023/05/07"},
        {2, "/", may7, "05/07/2023"},
        {3, "-", may7, "07-05-2023"},
        {4, "/", may7, "112/05/07"},
        {5, "/", may7, "112/05/07"},
        {4, "/", may1950, "39/05/07"},
        {5, "/", may1950, "039/05/07"},
        {1, "", may7, "20230507"},
        {1, "-/", may7, "2023-05-07"}, // the first character only
        {1, "年", may7, "2023年05年07"},
        {0, "/", may7, ""},
        {6, "/", may7, ""},
        {1, "/", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateByKind(c.kind, c.separator, c.date), c.expected) << "kind " << c.kind;
}

TEST(LibStrsDates, FormatDateTimeByKindAddsTheTimeWithMilliseconds) {
    const TDateTime value = EncodeDateTime(2023, 5, 7, 8, 9, 10, 11);
    EXPECT_EQ(FormatDateTimeByKind(1, "/", value), "2023/05/07 08:09:10:011");
    EXPECT_EQ(FormatDateTimeByKind(3, ".", value), "07.05.2023 08:09:10:011");
    EXPECT_EQ(FormatDateTimeByKind(5, "/", value), "112/05/07 08:09:10:011");
    EXPECT_EQ(FormatDateTimeByKind(9, "/", value), "");
    EXPECT_EQ(FormatDateTimeByKind(1, "/", 0), "");
}

TEST(LibStrsDates, StrToDateByKindRefusesDaysPastTheMonthEnd) {
    const struct {
        AnsiString text;
        int kind;
        AnsiString separator;
        TDateTime expected;
    } cases[] = {
        {"2023/5/7", 1, "/", EncodeDate(2023, 5, 7)},
        {" 2023 / 05 / 07 ", 1, "/", EncodeDate(2023, 5, 7)},
        {"5/7/2023", 2, "/", EncodeDate(2023, 5, 7)},
        {"7/5/2023", 3, "/", EncodeDate(2023, 5, 7)},
        {"112/5/7", 4, "/", EncodeDate(2023, 5, 7)},
        {"112/5/7", 5, "/", EncodeDate(2023, 5, 7)},
        {"2024/2/29", 1, "/", EncodeDate(2024, 2, 29)},
        {"2023-5-7", 1, "-", EncodeDate(2023, 5, 7)},
        {"1120507", 5, "", EncodeDate(2023, 5, 7)},
        {"880507", 4, "", EncodeDate(1999, 5, 7)},
        {"05072023", 2, "", EncodeDate(2023, 5, 7)},
        {"9999/12/31", 1, "/", EncodeDate(9999, 12, 31)},
        // Failures give 0.
        {"", 1, "/", 0},
        {"   ", 1, "/", 0},
        {"2023/13/1", 1, "/", 0},
        {"2023/0/1", 1, "/", 0},
        {"2023/5", 1, "/", 0},
        {"2023/x/7", 1, "/", 0},
        {"2023/5/7", 0, "/", 0},
        {"2023/5/7", 6, "/", 0},
        {"2023/5/7", 1, "", 0},
        {"2023/2/29", 1, "/", 0}, // a day past the month's end is no date
        {"2023/2/31", 1, "/", 0},
        {"2023/4/31", 1, "/", 0},
        {"10000/1/1", 1, "/", 0},
        {"9999/12/32", 1, "/", 0},
        {"2147483647/1/1", 4, "/", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToDateByKind(c.text, c.kind, c.separator), c.expected)
            << '"' << c.text << "\" kind " << c.kind;
}

TEST(LibStrsDates, DateStrToYMD) {
    const struct {
        AnsiString text;
        int kind;
        AnsiString separator;
        AnsiString expected;
    } cases[] = {
        {"2023/5/7", 1, "/", "20230507"},
        {"5/7/2023", 2, "/", "20230507"},
        {"7/5/2023", 3, "/", "20230507"},
        {"112/5/7", 4, "/", "20230507"},
        {"112/5/7", 5, "/", "20230507"},
        {"2023/5/7", 9, "/", "20230507"}, // other kinds read as year/month/day
        {"20230507", 1, "", "20230507"},
        {"2023 5 7", 1, "", "20230507"},
        // Without a separator the parts are read by the kind's widths: the year is what the month and
        // day leave (kind 4 writes two digits before 2011, three after).
        {"05072023", 2, "", "20230507"},
        {"07052023", 3, "", "20230507"},
        {"880507", 4, "", "19990507"},
        {"1120507", 4, "", "20230507"},
        {"1120507", 5, "", "20230507"},
        {"0390507", 5, "", "19500507"},
        {"2023057", 1, "", "0"},
        {"10000/1/1", 1, "/", "0"},        // past 9999
        {"2023/2/31", 1, "/", "20230231"}, // not checked as a calendar date
        {"", 1, "/", "0"},
        {"  ", 1, "/", "0"},
        {"2023/0/7", 1, "/", "0"},
        {"2023/x/7", 1, "/", "0"},
        {"2023/5", 1, "/", "0"},
        {"202305", 1, "", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateStrToYMD(c.text, c.kind, c.separator), c.expected)
            << '"' << c.text << "\" kind " << c.kind;
}

// Every text FormatDateByKind writes, with a separator and without, reads back.
TEST(LibStrsDates, DateTextsOfEveryKindReadBack) {
    const TDateTime dates[] = {EncodeDate(2023, 5, 7),  EncodeDate(1999, 12, 31), EncodeDate(2010, 1, 1),
                               EncodeDate(2011, 2, 28), EncodeDate(1950, 5, 7),   EncodeDate(9999, 12, 31)};
    for (TDateTime date : dates)
        for (int kind = 1; kind <= 5; ++kind)
            for (const char* separator : {"/", "-", ""}) {
                const AnsiString text = FormatDateByKind(kind, separator, date);
                SCOPED_TRACE(text + " kind " + std::to_string(kind));
                EXPECT_EQ(StrToDateByKind(text, kind, separator), date);
                EXPECT_EQ(DateStrToYMD(text, kind, separator), FormatDateTime("yyyymmdd", date));
            }
}

TEST(LibStrsDates, YMDTexts) {
    EXPECT_EQ(YMDStrToDate("20230507"), EncodeDate(2023, 5, 7));
    EXPECT_EQ(YMDStrToDate("20240229"), EncodeDate(2024, 2, 29));
    for (const char* bad : {"20230229", "2023057", "202305071", "20231301", "00000101", "2023ab07", ""})
        EXPECT_EQ(YMDStrToDate(bad), 0) << bad;

    const struct {
        AnsiString text;
        bool valid;
    } cases[] = {
        {"", true},          {"20230507", true},  {"17530101", true},    {"99991231", true},
        {"17521231", false}, {"20230229", false}, {"20240229", true},    {"20231301", false},
        {"2023ab07", false}, {"0000", false},     {"20230507xyz", true}, // characters after the eighth are
                                                                         // not examined
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidYMDStr(c.text), c.valid) << '"' << c.text << '"';
}

TEST(LibStrsDates, YMDHNSZStrToDateTime) {
    EXPECT_EQ(YMDHNSZStrToDateTime("20230507080910011"), EncodeDateTime(2023, 5, 7, 8, 9, 10, 11));
    EXPECT_EQ(YMDHNSZStrToDateTime("20230507"), EncodeDate(2023, 5, 7));
    // Without a whole date the time alone.
    EXPECT_EQ(YMDHNSZStrToDateTime("00000000123000000"), EncodeTime(12, 30, 0, 0));
    EXPECT_EQ(YMDHNSZStrToDateTime("20230000123000000"), EncodeTime(12, 30, 0, 0));
    // An invalid part gives 0.
    EXPECT_EQ(YMDHNSZStrToDateTime("20230230080910011"), 0);
    EXPECT_EQ(YMDHNSZStrToDateTime("20230507250000000"), 0);
    EXPECT_EQ(YMDHNSZStrToDateTime(""), 0);
}

// ---------------------------------------------------------------------------------------------------

TEST(LibStrsVariants, IifAndEmptyOrNull) {
    EXPECT_EQ(IifVariant(true, Variant(1), Variant("b")).AsInteger(), 1);
    EXPECT_EQ(IifVariant(false, Variant(1), Variant("b")).AsString(), "b");
    EXPECT_TRUE(VarIsEmptyOrNull(Variant()));
    EXPECT_TRUE(VarIsEmptyOrNull(Null()));
    EXPECT_FALSE(VarIsEmptyOrNull(Variant(0)));
    EXPECT_FALSE(VarIsEmptyOrNull(Variant("")));
}

TEST(LibStrsCaptions, LocalizeButtonCaption) {
    const struct {
        const char *name, *caption;
    } cases[] = {
        {"Yes", "是(&Y)"},       {"No", "否(&N)"},
        {"OK", "确定"},          {"Cancel", "取消"},
        {"Abort", "中断(&A)"},   {"Retry", "重试(&R)"},
        {"Ignore", "忽略(&I)"},  {"All", "全部(&A)"},
        {"NoToAll", "全否(&o)"}, {"YesToAll", "全是(&A)"},
        {"Help", "帮助(&H)"},    {"Close", "Close"},
        {"yes", "yes"},          {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LocalizeButtonCaption(c.name), c.caption) << c.name;
}

} // namespace
