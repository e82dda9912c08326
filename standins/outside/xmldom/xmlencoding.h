#pragma once
// The system's code pages as libxml2 encodings, converted by the class library's rules, so that a
// document declared GB2312 holding GBK characters loads, and characters a code page cannot hold are
// written as character references instead of being lost.
#include <string>

#include "classlib/rtl/types.h"

namespace xmldom {

// Registers the encodings (936 under GB2312, GBK, CP936 and its other names; 950 under BIG5, CP950 and
// its other names; 1252; 437) with libxml2. Called once, before the first parse.
void RegisterCodePageEncodings();

// The name libxml2 knows a code page by once registered; null for a code page without one.
const char* CodePageEncodingName(unsigned codePage);

// The conversions between the module's texts and libxml2's UTF-8.
std::string ToUtf8(const AnsiString& text, unsigned codePage);
AnsiString FromUtf8(const char* utf8, std::size_t length, unsigned codePage);

}  // namespace xmldom
