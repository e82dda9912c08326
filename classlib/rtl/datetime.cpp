#include "classlib/rtl/datetime.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/exceptions.h"

namespace {

// Day numbers of 1 January 0001 and 31 December 9999 in TDateTime counting.
constexpr long MinDateDay = -693593;
constexpr long MaxDateDay = 2958465;
// 30 December 1899 counted from 1 January 1970.
constexpr long DateDelta1970 = 25569;
constexpr int TwoDigitYearCenturyWindow = 50;

const char* const ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const LongMonthNames[12] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
const char* const ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const LongDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

struct TSettings {
    std::mutex Lock;
    AnsiString ShortDate = "yyyy/mm/dd";
    AnsiString LongDate = "yyyy'年'm'月'd'日'";
    AnsiString ShortTime = "hh:nn";
    AnsiString LongTime = "hh:nn:ss";
};

TSettings& Settings() {
    static TSettings settings;
    return settings;
}

std::atomic<char> gDateSeparator{'/'};
std::atomic<char> gTimeSeparator{':'};
std::atomic<bool> gFixedNow{false};
std::atomic<double> gFixedNowValue{0.0};

AnsiString ReadSetting(AnsiString TSettings::*field) {
    TSettings& s = Settings();
    std::lock_guard<std::mutex> guard(s.Lock);
    return s.*field;
}

void WriteSetting(AnsiString TSettings::*field, const AnsiString& value) {
    TSettings& s = Settings();
    std::lock_guard<std::mutex> guard(s.Lock);
    s.*field = value;
}

// Days from 1 January 1970 of a proleptic Gregorian date, and back.
long DaysFromCivil(long y, long m, long d) {
    y -= m <= 2 ? 1 : 0;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, long& y, long& m, long& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

// A date-time as a whole day number and milliseconds into that day, rounded once so that the date and
// the time never disagree about a value a hair before midnight.
struct TTimeStamp {
    bool Valid = false;
    long Day = 0;
    long MSecs = 0;
};

TTimeStamp ToTimeStamp(TDateTime value) {
    TTimeStamp stamp;
    if (!std::isfinite(value)) return stamp;
    const double whole = std::trunc(value);
    if (whole < MinDateDay - 1 || whole > MaxDateDay + 1) return stamp;
    long day = static_cast<long>(whole);
    long msecs = std::lround(std::fabs(value - whole) * MSecsPerDay);
    if (msecs >= MSecsPerDay) {
        msecs -= MSecsPerDay;
        day += value < 0 ? -1 : 1;
    }
    if (day < MinDateDay || day > MaxDateDay) return stamp;
    stamp.Valid = true;
    stamp.Day = day;
    stamp.MSecs = msecs;
    return stamp;
}

// A whole day number with a time of day, written the class library's way for days before 1899.
TDateTime ComposeDateTime(double day, double time) {
    return day < 0 ? day - time : day + time;
}

struct TDateParts {
    Word Year = 0, Month = 0, Day = 0, Hour = 0, Min = 0, Sec = 0, MSec = 0;
    int WeekDay = 0; // 1 Sunday .. 7 Saturday, 0 for an invalid value
};

TDateParts Decode(TDateTime value) {
    TDateParts parts;
    const TTimeStamp stamp = ToTimeStamp(value);
    if (!stamp.Valid) return parts;
    long y, m, d;
    CivilFromDays(stamp.Day - DateDelta1970, y, m, d);
    parts.Year = static_cast<Word>(y);
    parts.Month = static_cast<Word>(m);
    parts.Day = static_cast<Word>(d);
    parts.Hour = static_cast<Word>(stamp.MSecs / 3600000);
    parts.Min = static_cast<Word>(stamp.MSecs / 60000 % 60);
    parts.Sec = static_cast<Word>(stamp.MSecs / 1000 % 60);
    parts.MSec = static_cast<Word>(stamp.MSecs % 1000);
    // 30 December 1899 (day 0) was a Saturday.
    parts.WeekDay = static_cast<int>(((stamp.Day % 7) + 7 + 6) % 7) + 1;
    return parts;
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool StartsWithText(const AnsiString& s, std::size_t pos, const char* prefix) {
    for (std::size_t k = 0; prefix[k]; ++k) {
        if (pos + k >= s.size() || UpperAscii(s[pos + k]) != prefix[k]) return false;
    }
    return true;
}

void AppendNumber(AnsiString& out, int value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
    out += buffer;
}

// An "h" uses the 12-hour clock when an am/pm specifier follows before the next hour.
bool Uses12HourClock(const AnsiString& f, std::size_t pos) {
    bool inQuotes = false;
    char quote = 0;
    while (pos < f.size()) {
        const char c = f[pos];
        if (CharLength(f, pos) == 2) {
            pos += 2;
            continue;
        }
        if (inQuotes) {
            if (c == quote) inQuotes = false;
        } else if (c == '\'' || c == '"') {
            inQuotes = true;
            quote = c;
        } else if (c == 'a' || c == 'A') {
            return StartsWithText(f, pos, "AM/PM") || StartsWithText(f, pos, "A/P") ||
                   StartsWithText(f, pos, "AMPM");
        } else if (c == 'h' || c == 'H') {
            return false;
        }
        ++pos;
    }
    return false;
}

void AppendDateTime(AnsiString& out, const AnsiString& f, const TDateParts& p, int level) {
    // Formats nest (c holds the short date format); the depth is bounded so that a setting that names
    // itself cannot recurse without end.
    if (level > 2) return;
    char lastToken = ' ';
    std::size_t i = 0;
    while (i < f.size()) {
        if (CharLength(f, i) == 2) {
            out.append(f, i, 2);
            i += 2;
            continue;
        }
        const char starter = f[i];
        char token = UpperAscii(starter);
        if (token >= 'A' && token <= 'Z') {
            if (token == 'M' && lastToken == 'H') token = 'N';
            lastToken = token;
        }
        std::size_t count = 1;
        auto countRun = [&] {
            while (i + count < f.size() && UpperAscii(f[i + count]) == UpperAscii(starter))
                ++count;
        };
        switch (token) {
        case 'Y':
            countRun();
            if (count <= 2)
                AppendNumber(out, p.Year % 100, 2);
            else
                AppendNumber(out, p.Year, 4);
            break;
        case 'M':
            countRun();
            if (count <= 2)
                AppendNumber(out, p.Month, static_cast<int>(count));
            else if (p.Month >= 1)
                out += count == 3 ? ShortMonthNames[p.Month - 1] : LongMonthNames[p.Month - 1];
            break;
        case 'D':
            countRun();
            if (count <= 2)
                AppendNumber(out, p.Day, static_cast<int>(count));
            else if (count <= 4) {
                if (p.WeekDay >= 1)
                    out += count == 3 ? ShortDayNames[p.WeekDay - 1] : LongDayNames[p.WeekDay - 1];
            } else {
                AppendDateTime(out, count == 5 ? ShortDateFormat() : LongDateFormat(), p, level + 1);
            }
            break;
        case 'H': {
            countRun();
            int hour = p.Hour;
            if (Uses12HourClock(f, i + count)) {
                hour %= 12;
                if (hour == 0) hour = 12;
            }
            AppendNumber(out, hour, count >= 2 ? 2 : 1);
            break;
        }
        case 'N':
            countRun();
            AppendNumber(out, p.Min, count >= 2 ? 2 : 1);
            break;
        case 'S':
            countRun();
            AppendNumber(out, p.Sec, count >= 2 ? 2 : 1);
            break;
        case 'Z':
            countRun();
            AppendNumber(out, p.MSec, count >= 3 ? 3 : 1);
            break;
        case 'T':
            countRun();
            AppendDateTime(out, count == 1 ? ShortTimeFormat() : LongTimeFormat(), p, level + 1);
            break;
        case 'C':
            countRun();
            AppendDateTime(out, ShortDateFormat(), p, level + 1);
            if (p.Hour != 0 || p.Min != 0 || p.Sec != 0 || p.MSec != 0) {
                out += ' ';
                AppendDateTime(out, LongTimeFormat(), p, level + 1);
            }
            break;
        case 'A':
            if (StartsWithText(f, i, "AM/PM")) {
                out.append(f, p.Hour >= 12 ? i + 3 : i, 2);
                count = 5;
            } else if (StartsWithText(f, i, "A/P")) {
                out += f[p.Hour >= 12 ? i + 2 : i];
                count = 3;
            } else if (StartsWithText(f, i, "AMPM")) {
                out += p.Hour >= 12 ? "PM" : "AM";
                count = 4;
            } else {
                out += starter;
            }
            break;
        case '/':
            out += DateSeparator();
            break;
        case ':':
            out += TimeSeparator();
            break;
        case '\'':
        case '"': {
            std::size_t j = i + 1;
            while (j < f.size() && f[j] != starter)
                j += CharLength(f, j);
            out.append(f, i + 1, std::min(j, f.size()) - i - 1);
            count = j < f.size() ? j - i + 1 : f.size() - i;
            break;
        }
        default:
            out += starter;
            break;
        }
        i += count;
    }
}

// A small scanner over a date or time text: blanks are allowed before every number and separator.
struct TScanner {
    const AnsiString& Text;
    std::size_t Pos = 0;

    void SkipBlanks() {
        while (Pos < Text.size() && Text[Pos] == ' ')
            ++Pos;
    }
    bool AtEnd() {
        SkipBlanks();
        return Pos >= Text.size();
    }
    bool Char(char c) {
        SkipBlanks();
        if (Pos < Text.size() && Text[Pos] == c) {
            ++Pos;
            return true;
        }
        return false;
    }
    bool Number(int& value, int& digits) {
        SkipBlanks();
        value = 0;
        digits = 0;
        while (Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9') {
            if (digits >= 9) return false;
            value = value * 10 + (Text[Pos] - '0');
            ++digits;
            ++Pos;
        }
        return digits > 0;
    }
};

int CurrentYear() {
    return Decode(Now()).Year;
}

bool ScanDate(TScanner& scan, TDateTime& value) {
    // The order of the parts is the order of the first of them in the short date format.
    char order = 'M';
    for (char c : ShortDateFormat()) {
        const char u = UpperAscii(c);
        if (u == 'Y' || u == 'M' || u == 'D') {
            order = u;
            break;
        }
    }
    const char sep = DateSeparator();
    int n1, n2, n3 = 0, d1, d2, d3 = 0;
    if (!scan.Number(n1, d1) || !scan.Char(sep) || !scan.Number(n2, d2)) return false;
    const bool hasThird = scan.Char(sep);
    if (hasThird && !scan.Number(n3, d3)) return false;
    int year, month, day, yearDigits;
    if (!hasThird) {
        year = CurrentYear();
        yearDigits = 4;
        if (order == 'D') {
            day = n1;
            month = n2;
        } else {
            month = n1;
            day = n2;
        }
    } else if (order == 'Y') {
        year = n1, yearDigits = d1, month = n2, day = n3;
    } else if (order == 'D') {
        day = n1, month = n2, year = n3, yearDigits = d3;
    } else {
        month = n1, day = n2, year = n3, yearDigits = d3;
    }
    if (yearDigits <= 2 && year <= 99) {
        const int windowStart = CurrentYear() - TwoDigitYearCenturyWindow;
        year += windowStart / 100 * 100;
        if (year < windowStart) year += 100;
    }
    return TryEncodeDate(year, month, day, value);
}

bool ScanTime(TScanner& scan, TDateTime& value) {
    int hour, min = 0, sec = 0, msec = 0, digits;
    if (!scan.Number(hour, digits)) return false;
    bool hasMinutes = false;
    if (scan.Char(TimeSeparator())) {
        if (!scan.Number(min, digits)) return false;
        hasMinutes = true;
        if (scan.Char(TimeSeparator())) {
            if (!scan.Number(sec, digits)) return false;
            if ((scan.Char('.') || scan.Char(TimeSeparator())) && !scan.Number(msec, digits)) return false;
        }
    }
    scan.SkipBlanks();
    int shift = -1; // -1 no am/pm, 0 am, 12 pm
    for (const char* marker : {"AM", "PM", "A", "P"}) {
        if (StartsWithText(scan.Text, scan.Pos, marker)) {
            shift = marker[0] == 'A' ? 0 : 12;
            scan.Pos += std::char_traits<char>::length(marker);
            break;
        }
    }
    if (shift >= 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + shift;
    } else if (!hasMinutes) {
        return false;
    }
    return TryEncodeTime(hour, min, sec, msec, value);
}

} // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInAMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    date = static_cast<double>(DaysFromCivil(year, month, day) + DateDelta1970);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result;
    if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
    return result;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time) {
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000)
        return false;
    time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime result;
    if (!TryEncodeTime(hour, min, sec, msec, result)) throw EConvertError("Invalid argument to time encode");
    return result;
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec, TDateTime& value) {
    TDateTime date, time;
    if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, min, sec, msec, time)) return false;
    value = ComposeDateTime(date, time);
    return true;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec) {
    return ComposeDateTime(EncodeDate(year, month, day), EncodeTime(hour, min, sec, msec));
}

void DecodeDate(TDateTime date, Word& year, Word& month, Word& day) {
    const TDateParts p = Decode(date);
    year = p.Year;
    month = p.Month;
    day = p.Day;
}

void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec) {
    const TDateParts p = Decode(time);
    hour = p.Hour;
    min = p.Min;
    sec = p.Sec;
    msec = p.MSec;
}

void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour, Word& min, Word& sec,
                    Word& msec) {
    const TDateParts p = Decode(value);
    year = p.Year;
    month = p.Month;
    day = p.Day;
    hour = p.Hour;
    min = p.Min;
    sec = p.Sec;
    msec = p.MSec;
}

int DayOfWeek(TDateTime date) {
    return Decode(date).WeekDay;
}

TDateTime IncMonth(TDateTime date, int numberOfMonths) {
    const TTimeStamp stamp = ToTimeStamp(date);
    if (!stamp.Valid) throw EConvertError("Invalid argument to date encode");
    long y, m, d;
    CivilFromDays(stamp.Day - DateDelta1970, y, m, d);
    const long months = y * 12 + (m - 1) + numberOfMonths;
    const long year = months >= 0 ? months / 12 : -1;
    const int month = static_cast<int>(months - year * 12 + 1);
    if (year < 1 || year > 9999) throw EConvertError("Invalid argument to date encode");
    const int day = std::min(static_cast<int>(d), DaysInAMonth(static_cast<int>(year), month));
    return ComposeDateTime(EncodeDate(static_cast<int>(year), month, day),
                           static_cast<double>(stamp.MSecs) / MSecsPerDay);
}

TDateTime Now() {
    if (gFixedNow.load()) return gFixedNowValue.load();
    // <chrono> cannot be compiled for the GBK execution character set (it holds a micro sign).
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const std::time_t t = ts.tv_sec;
    const long ms = ts.tv_nsec / 1000000;
    std::tm local{};
    localtime_r(&t, &local);
    TDateTime result = 0;
    TryEncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(ms), result);
    return result;
}

TDateTime Date() {
    const TTimeStamp stamp = ToTimeStamp(Now());
    return static_cast<double>(stamp.Day);
}

TDateTime Time() {
    const TTimeStamp stamp = ToTimeStamp(Now());
    return static_cast<double>(stamp.MSecs) / MSecsPerDay;
}

void SetNowForTesting(TDateTime value) {
    gFixedNowValue.store(value);
    gFixedNow.store(true);
}

void ResetNowForTesting() {
    gFixedNow.store(false);
}

AnsiString ShortDateFormat() {
    return ReadSetting(&TSettings::ShortDate);
}
void SetShortDateFormat(const AnsiString& value) {
    WriteSetting(&TSettings::ShortDate, value);
}
AnsiString LongDateFormat() {
    return ReadSetting(&TSettings::LongDate);
}
void SetLongDateFormat(const AnsiString& value) {
    WriteSetting(&TSettings::LongDate, value);
}
AnsiString ShortTimeFormat() {
    return ReadSetting(&TSettings::ShortTime);
}
void SetShortTimeFormat(const AnsiString& value) {
    WriteSetting(&TSettings::ShortTime, value);
}
AnsiString LongTimeFormat() {
    return ReadSetting(&TSettings::LongTime);
}
void SetLongTimeFormat(const AnsiString& value) {
    WriteSetting(&TSettings::LongTime, value);
}
char DateSeparator() {
    return gDateSeparator.load();
}
void SetDateSeparator(char value) {
    gDateSeparator.store(value);
}
char TimeSeparator() {
    return gTimeSeparator.load();
}
void SetTimeSeparator(char value) {
    gTimeSeparator.store(value);
}

AnsiString FormatDateTime(const AnsiString& format, TDateTime value) {
    AnsiString out;
    AppendDateTime(out, format.empty() ? AnsiString("c") : format, Decode(value), 0);
    return out;
}

AnsiString DateToStr(TDateTime value) {
    return FormatDateTime("ddddd", value);
}
AnsiString TimeToStr(TDateTime value) {
    return FormatDateTime("tt", value);
}
AnsiString DateTimeToStr(TDateTime value) {
    return FormatDateTime("c", value);
}

bool TryStrToDate(const AnsiString& text, TDateTime& value) {
    TScanner scan{text};
    TDateTime result;
    if (!ScanDate(scan, result) || !scan.AtEnd()) return false;
    value = result;
    return true;
}

TDateTime StrToDate(const AnsiString& text) {
    TDateTime result;
    if (!TryStrToDate(text, result)) throw EConvertError("'" + text + "' is not a valid date");
    return result;
}

bool TryStrToTime(const AnsiString& text, TDateTime& value) {
    TScanner scan{text};
    TDateTime result;
    if (!ScanTime(scan, result) || !scan.AtEnd()) return false;
    value = result;
    return true;
}

TDateTime StrToTime(const AnsiString& text) {
    TDateTime result;
    if (!TryStrToTime(text, result)) throw EConvertError("'" + text + "' is not a valid time");
    return result;
}

bool TryStrToDateTime(const AnsiString& text, TDateTime& value) {
    TScanner scan{text};
    TDateTime date, time = 0;
    if (ScanDate(scan, date)) {
        if (!scan.AtEnd() && !ScanTime(scan, time)) return false;
        if (!scan.AtEnd()) return false;
        value = ComposeDateTime(date, time);
        return true;
    }
    return TryStrToTime(text, value);
}

TDateTime StrToDateTime(const AnsiString& text) {
    TDateTime result;
    if (!TryStrToDateTime(text, result)) throw EConvertError("'" + text + "' is not a valid date and time");
    return result;
}
