#pragma once
// Dates and times of the class library. A TDateTime counts days since 30 December 1899; its fraction
// is the time of day (0.5 is noon). Before that day the value is negative and the fraction still counts
// forward from midnight (-1.25 is 29 December 1899, 06:00).
#include "classlib/rtl/types.h"

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = HoursPerDay * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month); // 0 for a month outside 1..12

// Years 1..9999. Encode raises EConvertError on invalid parts; TryEncode returns False and leaves the
// result alone.
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec, TDateTime& value);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec);

// Decoding rounds to the nearest millisecond; a time that rounds up to midnight carries into the next
// day, so the date and time parts always agree. Values outside years 1..9999 decode as all zeros.
void DecodeDate(TDateTime date, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec);
void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour, Word& min, Word& sec,
                    Word& msec);

int DayOfWeek(TDateTime date); // 1 Sunday .. 7 Saturday
// The same day months later (or earlier), clipped to the last day of a shorter month; the time stays.
TDateTime IncMonth(TDateTime date, int numberOfMonths = 1);

// The clock: local time, or the moment a test fixed.
TDateTime Now();
TDateTime Date();
TDateTime Time();
void SetNowForTesting(TDateTime value);
void ResetNowForTesting();

// Process settings ("/" and ":" in a format mean the separators).
AnsiString ShortDateFormat(); // "yyyy/mm/dd"
void SetShortDateFormat(const AnsiString& value);
AnsiString LongDateFormat(); // "yyyy'年'm'月'd'日'"
void SetLongDateFormat(const AnsiString& value);
AnsiString ShortTimeFormat(); // "hh:nn"
void SetShortTimeFormat(const AnsiString& value);
AnsiString LongTimeFormat(); // "hh:nn:ss"
void SetLongTimeFormat(const AnsiString& value);
char DateSeparator(); // '/'
void SetDateSeparator(char value);
char TimeSeparator(); // ':'
void SetTimeSeparator(char value);

// Specifiers (either case): y yy yyyy, m mm mmm mmmm (minutes right after an hour), d dd ddd dddd,
// ddddd (short date), dddddd (long date), c (short date and long time, the time left out at
// midnight), h hh, n nn, s ss, z zzz, t (short time), tt (long time), am/pm a/p ampm (12-hour clock),
// "/" and ":" (separators), 'text' and "text" (literals). An empty format means c.
AnsiString FormatDateTime(const AnsiString& format, TDateTime value);
AnsiString DateToStr(TDateTime value);
AnsiString TimeToStr(TDateTime value);
AnsiString DateTimeToStr(TDateTime value);

// Readers by the short date format's order of year, month and day and the separators: "2023/5/7",
// a date without year in the current year, a two-digit year within 50 years of now; times
// "h:n[:s[.z]]" with an optional AM/PM. Failures raise EConvertError ("'text' is not a valid date").
bool TryStrToDate(const AnsiString& text, TDateTime& value);
TDateTime StrToDate(const AnsiString& text);
bool TryStrToTime(const AnsiString& text, TDateTime& value);
TDateTime StrToTime(const AnsiString& text);
bool TryStrToDateTime(const AnsiString& text, TDateTime& value);
TDateTime StrToDateTime(const AnsiString& text);
