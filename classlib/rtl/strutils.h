#pragma once
// Byte-string routines of the class library. Case conversions touch the single-byte letters only and
// never the trail byte of a double-byte character in the system code page; searches match only whole
// characters. Character boundaries are those of CharLength (codepages.h).
#include "classlib/rtl/types.h"

AnsiString Trim(const AnsiString& s); // blanks and control characters at both ends
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);
AnsiString UpperCase(const AnsiString& s); // a..z only
AnsiString LowerCase(const AnsiString& s); // A..Z only
// The letters of the system code page's single-byte characters: in 1252 and 437 the accented letters
// too (é to É), in 936 and 950 the ASCII letters.
AnsiString AnsiUpperCase(const AnsiString& s);
AnsiString AnsiLowerCase(const AnsiString& s);
int CompareText(const AnsiString& a, const AnsiString& b); // without regard to the case of letters
bool SameText(const AnsiString& a, const AnsiString& b);
int CompareStr(const AnsiString& a, const AnsiString& b);
AnsiString QuotedStr(const AnsiString& s); // in single quotes, inner quotes doubled

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         TReplaceFlags flags);

// 1-based position of sub in s, 0 when absent; a match starts and ends on character boundaries, so it
// never begins at a trail byte nor takes half of a double-byte character.
int AnsiPos(const AnsiString& sub, const AnsiString& s);
// The same search from the character that starts at or after the 1-based offset (0 when offset < 1).
int AnsiPosEx(const AnsiString& sub, const AnsiString& s, int offset);
// The first whole-character occurrence of subStr in the NUL-terminated str; null when absent or when
// either is null.
const char* AnsiStrPos(const char* str, const char* subStr);
// Pos as the class library has it: 1-based, byte-wise.
int Pos(const AnsiString& sub, const AnsiString& s);
// Copy(s, index, count) with a 1-based index, clipped to the text.
AnsiString Copy(const AnsiString& s, int index, int count);

// What the byte at an index is in the system code page: a single-byte character, the lead byte or the
// trail byte of a double-byte one. A lead byte without a trail byte after it is a single byte, as
// CharLength counts it. Outside the text: mbSingleByte.
enum TMbcsByteType { mbSingleByte, mbLeadByte, mbTrailByte };
TMbcsByteType ByteType(const AnsiString& s, int index);     // 1-based index
TMbcsByteType StrByteType(const char* str, unsigned index); // 0-based index into a NUL-terminated text
// The last character of s (one or two bytes); '' for an empty text.
AnsiString AnsiLastChar(const AnsiString& s);
