#pragma once
// The system's ANSI code page, a process setting (default 936), its lead-byte tests, and the code-page
// conversion service. Conversions run on ICU converters cached per thread and behave as the platform's
// conversion routines did: they never raise, unmappable characters become the default character, a
// destination size of 0 asks for the needed length, and an unknown code page fails with 0.
#include "classlib/rtl/types.h"

// Code page numbers with a meaning of their own: the ANSI and OEM code pages of the system, and UTF-8.
inline constexpr unsigned CP_ACP = 0;
inline constexpr unsigned CP_OEMCP = 1;
inline constexpr unsigned CP_UTF8 = 65001;

unsigned GetACP();
// Sets the ANSI code page: 936, 950, 1252 or 437. Any other value is refused (false) and the setting
// stays as it was, so byte-string routines never run on a code page they cannot split into characters.
bool SetACP(unsigned codePage);
// The OEM code page that goes with the ANSI one: the same for the Chinese code pages, else 437.
unsigned GetOEMCP();
// True for the code pages the service converts: 936, 950, 1252, 437 and CP_UTF8 (CP_ACP and CP_OEMCP
// stand for the current settings).
bool IsValidCodePage(unsigned codePage);

// True when the byte starts a double-byte character in the code page (0x81..0xFE in 936 and 950; none
// in 1252, 437 or UTF-8). CP_ACP and CP_OEMCP stand for the current settings.
bool IsDBCSLeadByteEx(unsigned codePage, Byte value);
bool IsDBCSLeadByte(Byte value);
// True when the byte can follow a lead byte as the second byte of a double-byte character (0x40..0x7E
// and 0x80..0xFE in 936 and 950). A lead byte followed by anything else is a broken character of one
// byte, so the byte after it (an ASCII letter, a NUL) stays a character of its own.
bool IsDBCSTrailByteEx(unsigned codePage, Byte value);

// Length in bytes of the character that starts at index in text, in the system code page: 2 for a lead
// byte followed by a trail byte, else 1; 0 at or past the end.
int CharLength(const AnsiString& text, std::size_t index);

// The platform-shaped conversions. srcLen -1 means NUL-terminated: the NUL is converted too and counted
// in the result. dstLen 0 returns the needed length without writing (dst may then be null). The result
// is the number of units written; 0 on failure: unknown code page, null or empty source, negative
// lengths, or a destination too small (its contents are then undefined).
//
// Decoding (bytes to UTF-16): a byte sequence that is not a character of the code page, or a character
// without a Unicode mapping, becomes '?' (U+003F), the Unicode default character of the platform's
// tables for 936, 950, 1252 and 437; for CP_UTF8 it becomes U+FFFD, as the platform's UTF-8 decoder
// did. Only the bytes of the broken sequence are replaced: a lead byte followed by a byte that cannot
// be a trail byte is one '?', and that byte is decoded on its own (the platform swallowed it).
//
// Encoding (UTF-16 to bytes): characters without a mapping (and lone surrogates) become defaultChar,
// one character of the destination code page (one byte, or a lead and a trail byte), '?' when null;
// *usedDefaultChar, when given, tells whether that happened. The code page's best-fit mappings are used
// as the platform did by default (a full-width letter becomes its ASCII letter). For CP_UTF8 there is
// nothing unmappable; a lone surrogate becomes U+FFFD's three bytes, defaultChar is not used and
// *usedDefaultChar reports the replacement (the platform refused those arguments for UTF-8).
int MultiByteToWideChar(unsigned codePage, const char* src, int srcLen, char16_t* dst, int dstLen);
int WideCharToMultiByte(unsigned codePage, const char16_t* src, int srcLen, char* dst, int dstLen,
                        const char* defaultChar, bool* usedDefaultChar);

// Whole-string conversions over the two above. An unknown code page gives an empty result.
WideString AnsiToWide(const AnsiString& text, unsigned codePage = GetACP());
AnsiString WideToAnsi(const WideString& text, unsigned codePage = GetACP());
// Bytes of one code page to another through UTF-16; the text is returned unchanged when both are the
// same code page.
AnsiString ConvertCodePage(const AnsiString& text, unsigned fromCodePage, unsigned toCodePage);
AnsiString Utf8ToAnsi(const AnsiString& text); // UTF-8 to the system code page
AnsiString AnsiToUtf8(const AnsiString& text); // the system code page to UTF-8
WideString Utf8ToWide(const AnsiString& text);
AnsiString WideToUtf8(const WideString& text);

// A conversion layer for one code page, slotted in inside the two conversions above so that every
// conversion of that code page (the whole-string ones too) goes through it. Each operation receives the
// code page (CP_ACP and CP_OEMCP already resolved), an explicit source length (a NUL-terminated source
// already measured, its NUL included) and the base conversion, which it calls to do the table work
// before or after its own mapping. It must not call the public conversions for its own code page.
using TMultiByteToWideCharProc = int (*)(unsigned codePage, const char* src, int srcLen, char16_t* dst,
                                         int dstLen);
using TWideCharToMultiByteProc = int (*)(unsigned codePage, const char16_t* src, int srcLen, char* dst,
                                         int dstLen, const char* defaultChar, bool* usedDefaultChar);
struct TCodePageLayer {
    int (*MultiByteToWideChar)(unsigned codePage, const char* src, int srcLen, char16_t* dst, int dstLen,
                               TMultiByteToWideCharProc base);
    int (*WideCharToMultiByte)(unsigned codePage, const char16_t* src, int srcLen, char* dst, int dstLen,
                               const char* defaultChar, bool* usedDefaultChar, TWideCharToMultiByteProc base);
};
// Installs the layer for a code page (null removes it) and returns the one it replaces. The layer must
// stay valid while conversions may still be running on it; a null operation leaves that direction to
// the base conversion.
const TCodePageLayer* SetCodePageLayer(unsigned codePage, const TCodePageLayer* layer);
