#pragma once
// Code-page conversions of the outside stand-ins (the XML document object, the translator library).
// Every conversion they make goes through here, so they behave as the class library's conversions:
// no exceptions, unmappable characters become the default character.
#include <cstddef>
#include <string>

#include "classlib/rtl/types.h"

namespace outsidecp {

// Bytes of a code page to UTF-8; broken sequences become a replacement character.
std::string ToUtf8(const char* bytes, std::size_t length, unsigned codePage);
inline std::string ToUtf8(const AnsiString& text, unsigned codePage) {
    return ToUtf8(text.data(), text.size(), codePage);
}

// UTF-8 to bytes of a code page; characters without a mapping become the default character.
AnsiString FromUtf8(const char* utf8, std::size_t length, unsigned codePage);
inline AnsiString FromUtf8(const std::string& utf8, unsigned codePage) {
    return FromUtf8(utf8.data(), utf8.size(), codePage);
}

WideString ToWide(const AnsiString& text, unsigned codePage);
AnsiString FromWide(const WideString& text, unsigned codePage);

// The bytes of one character in the code page when it has an exact mapping there (one that reads back
// as the same character); false for a character the code page cannot hold.
bool EncodeExact(char32_t character, unsigned codePage, std::string& bytes);

}  // namespace outsidecp
