#pragma once
// Byte-string routines of the class library. Case conversions touch the single-byte letters only and
// never the trail byte of a double-byte character in the system code page.
#include "classlib/rtl/types.h"

AnsiString Trim(const AnsiString& s);       // blanks and control characters at both ends
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);
AnsiString UpperCase(const AnsiString& s);
AnsiString LowerCase(const AnsiString& s);
AnsiString AnsiUpperCase(const AnsiString& s);
AnsiString AnsiLowerCase(const AnsiString& s);
int CompareText(const AnsiString& a, const AnsiString& b);   // without regard to the case of letters
bool SameText(const AnsiString& a, const AnsiString& b);
int CompareStr(const AnsiString& a, const AnsiString& b);
AnsiString QuotedStr(const AnsiString& s);  // in single quotes, inner quotes doubled

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         TReplaceFlags flags);

// 1-based position of sub in s, 0 when absent; never matches inside a double-byte character.
int AnsiPos(const AnsiString& sub, const AnsiString& s);
// Pos as the class library has it: 1-based, byte-wise.
int Pos(const AnsiString& sub, const AnsiString& s);
// Copy(s, index, count) with a 1-based index, clipped to the text.
AnsiString Copy(const AnsiString& s, int index, int count);
