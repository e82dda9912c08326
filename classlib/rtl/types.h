#pragma once
// The class library's basic types. AnsiString holds bytes in a code page (a Chinese character is two
// bytes); WideString holds UTF-16.
#include <cstdint>
#include <string>

using AnsiString = std::string;
using WideString = std::u16string;
using Byte = std::uint8_t;
using Word = std::uint16_t;
using Cardinal = std::uint32_t;
using Int64 = std::int64_t;
using Extended = double;
using TDateTime = double;
