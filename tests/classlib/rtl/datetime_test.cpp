#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/format.h"

namespace {

// Every test starts from the default settings and a fixed clock, and leaves them so.
class DateTimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetACP(936);
        Restore();
        SetNowForTesting(EncodeDateTime(2024, 6, 15, 10, 20, 30, 400));
    }
    void TearDown() override {
        Restore();
        ResetNowForTesting();
    }
    static void Restore() {
        SetShortDateFormat("yyyy/mm/dd");
        SetLongDateFormat("yyyy'年'm'月'd'日'");
        SetShortTimeFormat("hh:nn");
        SetLongTimeFormat("hh:nn:ss");
        SetDateSeparator('/');
        SetTimeSeparator(':');
    }
};

struct TParts {
    Word Year, Month, Day, Hour, Min, Sec, MSec;
    bool operator==(const TParts&) const = default;
};

TParts PartsOf(TDateTime value) {
    TParts p{};
    DecodeDateTime(value, p.Year, p.Month, p.Day, p.Hour, p.Min, p.Sec, p.MSec);
    return p;
}

void PrintTo(const TParts& p, std::ostream* os) {
    *os << p.Year << "-" << p.Month << "-" << p.Day << " " << p.Hour << ":" << p.Min << ":" << p.Sec << "."
        << p.MSec;
}

} // namespace

TEST_F(DateTimeTest, DateNumbersRoundTrip) {
    struct Case {
        int year, month, day;
        double serial;
        int weekDay;
    };
    const Case cases[] = {
        {1899, 12, 30, 0, 7},     {1899, 12, 29, -1, 6},  {1900, 1, 1, 2, 2},
        {2000, 2, 29, 36585, 3},  {2023, 5, 7, 45053, 1}, {2024, 2, 29, 45351, 5},
        {1752, 9, 14, -53797, 5}, {1, 1, 1, -693593, 2},  {9999, 12, 31, 2958465, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serial);
        EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.serial);
        Word y, m, d;
        DecodeDate(c.serial, y, m, d);
        EXPECT_EQ(y, c.year);
        EXPECT_EQ(m, c.month);
        EXPECT_EQ(d, c.day);
        EXPECT_EQ(DayOfWeek(c.serial), c.weekDay);
    }
    // Every day of a span that crosses leap years and both centuries' rules.
    for (int serial = -1000; serial < 80000; ++serial) {
        Word y, m, d;
        DecodeDate(serial, y, m, d);
        ASSERT_EQ(EncodeDate(y, m, d), serial);
    }
}

TEST_F(DateTimeTest, InvalidDatesAndTimes) {
    struct Case {
        int year, month, day;
    };
    const Case badDates[] = {{2023, 2, 29}, {1900, 2, 29}, {0, 1, 1},    {10000, 1, 1}, {2023, 13, 1},
                             {2023, 0, 1},  {2023, 4, 31}, {2023, 1, 0}, {-5, 1, 1},    {65536 + 2023, 1, 1}};
    for (const Case& c : badDates) {
        TDateTime result = 123;
        EXPECT_FALSE(TryEncodeDate(c.year, c.month, c.day, result));
        EXPECT_EQ(result, 123);
    }
    try {
        EncodeDate(2023, 2, 29);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Invalid argument to date encode");
    }
    TDateTime t;
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, t));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, t));
    EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, t));
    EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, t));
    EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, t));
    EXPECT_THROW(EncodeTime(25, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeDateTime(2023, 2, 30, 0, 0, 0, 0), EConvertError);

    // Values outside the calendar decode as zeros instead of garbage.
    for (double bad : {1e300, -1e9, std::nan(""), HUGE_VAL})
        EXPECT_EQ(PartsOf(bad), (TParts{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(DayOfWeek(std::nan("")), 0);
}

TEST_F(DateTimeTest, TimesDecodeToTheMillisecond) {
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(PartsOf(0.5), (TParts{1899, 12, 30, 12, 0, 0, 0}));
    EXPECT_EQ(PartsOf(EncodeTime(23, 59, 59, 999)), (TParts{1899, 12, 30, 23, 59, 59, 999}));
    // Far from day 0 a double holds the time less precisely; every millisecond must still come back.
    for (double day : {0.0, 45053.0, 2958465.0}) {
        for (int ms = 0; ms < MSecsPerDay; ms += 997) {
            const Word h = static_cast<Word>(ms / 3600000), n = static_cast<Word>(ms / 60000 % 60),
                       s = static_cast<Word>(ms / 1000 % 60), z = static_cast<Word>(ms % 1000);
            const TDateTime value = day + EncodeTime(h, n, s, z);
            Word hh, nn, ss, zz;
            DecodeTime(value, hh, nn, ss, zz);
            ASSERT_EQ((TParts{0, 0, 0, hh, nn, ss, zz}), (TParts{0, 0, 0, h, n, s, z})) << day;
        }
    }
    // A hair before midnight rounds to midnight of the next day: date and time agree.
    EXPECT_EQ(PartsOf(45053.9999999999), (TParts{2023, 5, 8, 0, 0, 0, 0}));
    Word y, m, d;
    DecodeDate(45053.9999999999, y, m, d);
    EXPECT_EQ(d, 8);
    // Before 1899 the fraction still counts forward from midnight.
    EXPECT_EQ(PartsOf(-1.25), (TParts{1899, 12, 29, 6, 0, 0, 0}));
    EXPECT_EQ(PartsOf(EncodeDateTime(1800, 1, 1, 18, 0, 0, 0)), (TParts{1800, 1, 1, 18, 0, 0, 0}));
}

TEST_F(DateTimeTest, LeapYearsAndMonthLengths) {
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_EQ(DaysInAMonth(2023, 2), 28);
    EXPECT_EQ(DaysInAMonth(2024, 2), 29);
    EXPECT_EQ(DaysInAMonth(2023, 4), 30);
    EXPECT_EQ(DaysInAMonth(2023, 12), 31);
    EXPECT_EQ(DaysInAMonth(2023, 13), 0);
    EXPECT_EQ(DaysInAMonth(2023, 0), 0);
}

TEST_F(DateTimeTest, IncMonthClipsToTheMonthEnd) {
    struct Case {
        TDateTime from;
        int months;
        TDateTime expected;
    };
    const Case cases[] = {
        {EncodeDate(2023, 1, 31), 1, EncodeDate(2023, 2, 28)},
        {EncodeDate(2024, 1, 31), 1, EncodeDate(2024, 2, 29)},
        {EncodeDate(2023, 3, 31), -1, EncodeDate(2023, 2, 28)},
        {EncodeDate(2023, 12, 15), 1, EncodeDate(2024, 1, 15)},
        {EncodeDate(2023, 1, 15), -13, EncodeDate(2021, 12, 15)},
        {EncodeDate(2024, 2, 29), 12, EncodeDate(2025, 2, 28)},
        {EncodeDate(2023, 5, 31), 0, EncodeDate(2023, 5, 31)},
        {EncodeDateTime(2023, 1, 31, 10, 30, 0, 0), 1, EncodeDateTime(2023, 2, 28, 10, 30, 0, 0)},
        {EncodeDateTime(1899, 1, 31, 6, 0, 0, 0), 1, EncodeDateTime(1899, 2, 28, 6, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(DateTimeToStr(c.from));
        EXPECT_EQ(PartsOf(IncMonth(c.from, c.months)), PartsOf(c.expected));
    }
    EXPECT_EQ(IncMonth(EncodeDate(2023, 1, 31)), EncodeDate(2023, 2, 28));
    EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
}

TEST_F(DateTimeTest, FormatPatterns) {
    const TDateTime value = EncodeDateTime(2023, 5, 7, 9, 5, 3, 45);
    struct Case {
        const char* format;
        const char* expected;
    };
    const Case cases[] = {
        {"yyyy/mm/dd hh:nn:ss:zzz", "2023/05/07 09:05:03:045"},
        {"YYYY/MM/DD hh:nn:ss:zzz", "2023/05/07 09:05:03:045"},
        {"yy-m-d h:n:s.z", "23-5-7 9:5:3.45"},
        {"yyyymmdd", "20230507"},
        {"hh:mm", "09:05"},
        {"mm/dd hh:mm", "05/07 09:05"},
        {"c", "2023/05/07 09:05:03"},
        {"", "2023/05/07 09:05:03"},
        {"ddddd", "2023/05/07"},
        {"dddddd", "2023年5月7日"},
        {"t", "09:05"},
        {"tt", "09:05:03"},
        {"h:nn am/pm", "9:05 am"},
        {"h:nn AM/PM", "9:05 AM"},
        {"h a/p", "9 a"},
        {"hh ampm", "09 AM"},
        {"'yyyy' yyyy", "yyyy 2023"},
        {"\"mm\"-mm", "mm-05"},
        {"ddd dddd mmm mmmm", "Sun Sunday May May"},
        {"yyyy年mm月dd日", "2023年05月07日"},
        // 0x82 0x64 and 0x81 0x6D are characters whose trail bytes read as "d" and "m".
        {"yyyy俤乵", "2023俤乵"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(FormatDateTime(c.format, value), c.expected);
    }
    EXPECT_EQ(FormatDateTime("h:nn am/pm", EncodeTime(15, 0, 0, 0)), "3:00 pm");
    EXPECT_EQ(FormatDateTime("hh AM/PM", 0), "12 AM");
    EXPECT_EQ(FormatDateTime("hh AM/PM", EncodeTime(12, 30, 0, 0)), "12 PM");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2023, 5, 7)), "2023/05/07");
    EXPECT_EQ(DateToStr(value), "2023/05/07");
    EXPECT_EQ(TimeToStr(value), "09:05:03");
}

TEST_F(DateTimeTest, SeparatorsAndFormatsAreSettings) {
    const TDateTime value = EncodeDateTime(2023, 5, 7, 9, 5, 3, 45);
    SetDateSeparator('-');
    SetTimeSeparator('.');
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", value), "2023-05-07 09.05.03.045");
    EXPECT_EQ(DateTimeToStr(value), "2023-05-07 09.05.03");
    TDateTime parsed;
    ASSERT_TRUE(TryStrToDate("2023-5-7", parsed));
    EXPECT_EQ(parsed, EncodeDate(2023, 5, 7));
    EXPECT_FALSE(TryStrToDate("2023/5/7", parsed));

    SetDateSeparator('/');
    SetTimeSeparator(':');
    SetShortDateFormat("dd/mm/yyyy");
    SetLongTimeFormat("hh:nn:ss.zzz");
    EXPECT_EQ(DateToStr(value), "07/05/2023");
    EXPECT_EQ(TimeToStr(value), "09:05:03.045");
    EXPECT_EQ(StrToDate("7/5/2023"), EncodeDate(2023, 5, 7));
    SetShortDateFormat("m/d/yy");
    EXPECT_EQ(DateToStr(value), "5/7/23");
    EXPECT_EQ(StrToDate("5/7/23"), EncodeDate(2023, 5, 7));

    // A format that names itself stops instead of recursing.
    SetShortDateFormat("c");
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2023, 5, 7)), "");
}

TEST_F(DateTimeTest, ReadingDatesAndTimes) {
    struct Case {
        const char* text;
        bool valid;
        TDateTime expected;
    };
    // The clock says 15 June 2024: two-digit years fall within 50 years before it or after.
    const Case cases[] = {
        {"2023/05/07", true, EncodeDate(2023, 5, 7)},
        {" 2023/5/7 ", true, EncodeDate(2023, 5, 7)},
        {"23/5/7", true, EncodeDate(2023, 5, 7)},
        {"80/1/1", true, EncodeDate(1980, 1, 1)},
        {"74/1/1", true, EncodeDate(1974, 1, 1)},
        {"73/1/1", true, EncodeDate(2073, 1, 1)},
        {"5/7", true, EncodeDate(2024, 5, 7)},
        {"0023/5/7", true, EncodeDate(23, 5, 7)},
        {"2023/02/30", false, 0},
        {"2023/05", false, 0},
        {"abc", false, 0},
        {"", false, 0},
        {"2023/05/07x", false, 0},
        {"2023//07", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TDateTime value = -7;
        EXPECT_EQ(TryStrToDate(c.text, value), c.valid);
        EXPECT_EQ(value, c.valid ? c.expected : -7);
    }
    try {
        StrToDate("abc");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid date");
    }

    EXPECT_EQ(StrToTime("12:30"), EncodeTime(12, 30, 0, 0));
    EXPECT_EQ(StrToTime("1:05:09 PM"), EncodeTime(13, 5, 9, 0));
    EXPECT_EQ(StrToTime("12:00 am"), 0);
    EXPECT_EQ(StrToTime("09:05:03.045"), EncodeTime(9, 5, 3, 45));
    EXPECT_EQ(StrToTime("09:05:03:045"), EncodeTime(9, 5, 3, 45));
    TDateTime t;
    EXPECT_FALSE(TryStrToTime("25:00", t));
    EXPECT_FALSE(TryStrToTime("12", t));
    EXPECT_FALSE(TryStrToTime("13:00 PM", t));
    EXPECT_THROW(StrToTime("x"), EConvertError);

    EXPECT_EQ(StrToDateTime("2023/05/07 12:30:15"), EncodeDateTime(2023, 5, 7, 12, 30, 15, 0));
    EXPECT_EQ(StrToDateTime("2023/05/07"), EncodeDate(2023, 5, 7));
    EXPECT_EQ(StrToDateTime("12:30"), EncodeTime(12, 30, 0, 0));
    EXPECT_EQ(PartsOf(StrToDateTime("1800/01/01 18:00")), (TParts{1800, 1, 1, 18, 0, 0, 0}));
    EXPECT_FALSE(TryStrToDateTime("2023/05/07 noon", t));
    // Text written by FormatDateTime reads back.
    const TDateTime stamp = EncodeDateTime(2026, 12, 31, 23, 59, 58, 0);
    EXPECT_EQ(StrToDateTime(DateTimeToStr(stamp)), stamp);
}

TEST_F(DateTimeTest, TheClockCanBeFixed) {
    const TDateTime moment = EncodeDateTime(2024, 2, 29, 23, 59, 59, 999);
    SetNowForTesting(moment);
    EXPECT_EQ(Now(), moment);
    EXPECT_EQ(Date(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(Time(), EncodeTime(23, 59, 59, 999));
    EXPECT_EQ(FormatDateTime("yyyymmdd", Now()), "20240229");

    ResetNowForTesting();
    const TDateTime real = Now();
    EXPECT_NE(real, moment);
    EXPECT_GT(real, EncodeDate(2024, 1, 1));
    const TDateTime today = Date();
    EXPECT_EQ(today, std::trunc(today));
    EXPECT_GE(Time(), 0.0);
    EXPECT_LT(Time(), 1.0);
}
