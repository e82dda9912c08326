#pragma once
// The system's ANSI code page, a process setting (default 936), and its lead-byte tests.
#include "classlib/rtl/types.h"

unsigned GetACP();
void SetACP(unsigned codePage);

// True when the byte starts a double-byte character in the code page (936, 950; none in 1252 or 437).
bool IsDBCSLeadByteEx(unsigned codePage, Byte value);
bool IsDBCSLeadByte(Byte value);

// Length in bytes of the character that starts at index in text, in the system code page: 2 for a lead
// byte that has a byte after it, else 1; 0 at or past the end.
int CharLength(const AnsiString& text, std::size_t index);
