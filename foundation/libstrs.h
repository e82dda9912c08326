#pragma once
// The suite's free string, date and number routines. Texts are byte strings in the program's code page;
// every position search walks by characters, so it never matches inside a double-byte character. No
// routine raises: bad input gives the neutral value ('', 0, "0", -1).
#include <initializer_list>

#include "classlib/rtl/types.h"
#include "classlib/rtl/variants.h"

// Padding. Options: the target length, then optionally the code of the pad character (default blank).
AnsiString PadLeft(const AnsiString& text, std::initializer_list<int> options);
AnsiString PadRight(const AnsiString& text, std::initializer_list<int> options);

// Tokens. Fields are counted from 1; an empty delimiter never matches, so the text is one field.
AnsiString GetToken(const AnsiString& text, const AnsiString& delimiter, int index);
int GetTokenCount(const AnsiString& text, const AnsiString& delimiter);
// Returns the part before the first delimiter and leaves the part after it in text; without a
// delimiter returns the whole text and empties it.
AnsiString FetchToken(AnsiString& text, const AnsiString& delimiter);

AnsiString FormatZeroPad(int digits, Int64 value); // "%.*d"
// Replaces Old by New until none is left, searching again from the start after each replacement
// (occurrences that a replacement forms count too). When New holds Old the search goes on after each
// inserted text instead. A pattern that forms occurrences without end stops at a guard (the text at most
// as long as a single pass could make it): the text as far as it got comes back, and finished (when
// given) says whether the replacement was complete.
AnsiString ReplaceAllText(const AnsiString& text, const AnsiString& oldText, const AnsiString& newText,
                          bool trim, bool* finished = nullptr);
bool IsLocalHostAddr(const AnsiString& text);

// Date texts by the suite's date-format kinds: 1 y/m/d, 2 m/d/y, 3 d/m/y, 4 and 5 the year minus 1911
// first (at least two and three digits). Every text FormatDateByKind writes reads back: the reading
// takes the fields between the separator, or without one the month and day two digits each and the
// year what they leave. StrToDateByKind gives 0 for no date (a day past the month's end included);
// DateStrToYMD gives YYYYMMDD of the fields, not checked as a calendar date, or "0".
// A kind's layout: the order of the year (Y), month (M) and day (D) in its texts, the year's least
// digits when written, and what is taken off the year; nil for a kind outside 1..5.
struct TDateKindLayout {
    const char* Order;
    int YearDigits;
    int YearOffset;
};
const TDateKindLayout* DateKindLayout(int kind);
AnsiString FormatDateByKind(int kind, const AnsiString& separator, TDateTime date);
AnsiString FormatDateTimeByKind(int kind, const AnsiString& separator, TDateTime dateTime);
TDateTime StrToDateByKind(const AnsiString& text, int kind, const AnsiString& separator);
AnsiString DateStrToYMD(const AnsiString& text, int kind, const AnsiString& separator);
TDateTime YMDStrToDate(const AnsiString& text);
bool IsValidYMDStr(const AnsiString& text);
TDateTime YMDHNSZStrToDateTime(const AnsiString& text);

// Rounds to digits decimals, a half at the last place away from zero, on the value's decimal text (15
// significant digits), so that the rounding holds at every magnitude.
double RoundFloat(int digits, double value);
// 0 when the values (taken at 15 significant digits) differ by less than 1e-10, -1 when a is smaller,
// 1 when it is greater. Infinities order by their sign (equal to one of the same sign); a NaN equals
// nothing, itself included, and comes after every number (a NaN first gives 1, second -1).
int CompareFloat(double a, double b);

AnsiString SecondsToTimeStr(Int64 seconds); // "hhhh:nn:ss", "-" in front of a negative span
// [total seconds, text] of first + sign * second, each "hh:nn:ss"; [0, "000:00:00"] on bad input.
Variant AddTimeStr(const AnsiString& first, const AnsiString& second, int sign);

// Code-page conversions by Windows code-page number; the plain default conversion when the code page
// gives no length.
AnsiString WideToAnsiCP(const WideString& text, unsigned codePage);
WideString AnsiToWideCP(const AnsiString& text, unsigned codePage);
// Strings of a Variant (and of its arrays) between wide and code-page text. A failure is written to the
// alert log and the value comes back unconverted.
Variant VarWideToAnsi(const Variant& value, unsigned codePage);
Variant VarAnsiToWide(const Variant& value, unsigned codePage);
Variant VarArrayWideToAnsi(const Variant& value, unsigned codePage);
Variant VarArrayAnsiToWide(const Variant& value, unsigned codePage);

Variant IifVariant(bool condition, const Variant& a, const Variant& b);
bool VarIsEmptyOrNull(const Variant& value);

// The Chinese caption of a dialog button by its name ("Yes", "OK", ...); other names come back as given.
AnsiString LocalizeButtonCaption(const AnsiString& name);
