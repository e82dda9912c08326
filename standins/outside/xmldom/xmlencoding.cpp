#include "standins/outside/xmldom/xmlencoding.h"

#include <libxml/encoding.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>

#include "classlib/rtl/codepages.h"

namespace xmldom {
namespace {

bool IsDoubleByte(unsigned codePage) {
    return codePage == 936 || codePage == 950;
}

// The bytes of one character when the code page holds it exactly, not through a best fit or the
// default character; anything else is written as a character reference.
bool EncodeExact(char32_t character, unsigned codePage, std::string& bytes) {
    if (character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF)) return false;
    char16_t units[2];
    int count = 1;
    if (character >= 0x10000) {
        units[0] = static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10));
        units[1] = static_cast<char16_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<char16_t>(character);
    }
    char buffer[8];
    bool usedDefault = false;
    const int written =
        WideCharToMultiByte(codePage, units, count, buffer, sizeof buffer, nullptr, &usedDefault);
    if (written <= 0 || usedDefault) return false;
    char16_t back[4];
    if (MultiByteToWideChar(codePage, buffer, written, back, 4) != count ||
        !std::equal(units, units + count, back))
        return false;
    bytes.assign(buffer, static_cast<std::size_t>(written));
    return true;
}

// libxml2 hands over chunks: only whole characters are taken, the rest waits for the next chunk.
int DecodeChunk(unsigned codePage, unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    if (in == nullptr || *inlen <= 0) {
        *outlen = 0;
        *inlen = 0;
        return 0;
    }
    const int budget = *outlen / 3; // any byte gives at most three bytes of UTF-8
    int take = 0;
    while (take < *inlen && take < budget) {
        if (IsDoubleByte(codePage) && in[take] >= 0x81 && in[take] <= 0xFE) {
            if (take + 1 >= *inlen || take + 2 > budget) break;
            take += 2;
        } else {
            take += 1;
        }
    }
    const AnsiString utf8 = WideToUtf8(
        AnsiToWide(AnsiString(reinterpret_cast<const char*>(in), static_cast<std::size_t>(take)), codePage));
    if (static_cast<int>(utf8.size()) > *outlen) {
        *outlen = 0;
        *inlen = 0;
        return -1;
    }
    std::memcpy(out, utf8.data(), utf8.size());
    *outlen = static_cast<int>(utf8.size());
    *inlen = take;
    return *outlen;
}

// Stops at a character the code page cannot hold and answers -2: libxml2 then writes it as a character
// reference and goes on.
int EncodeChunk(unsigned codePage, unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    if (in == nullptr || *inlen <= 0) {
        *outlen = 0;
        *inlen = 0;
        return 0;
    }
    int read = 0;
    int written = 0;
    int result = 0;
    std::string bytes;
    while (read < *inlen) {
        const unsigned char lead = in[read];
        if (lead < 0x80) {
            if (written >= *outlen) break;
            out[written++] = lead;
            ++read;
            continue;
        }
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0) {
            result = -2;
            break;
        }
        if (read + length > *inlen) break;
        char32_t character = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            character = (character << 6) | (in[read + k] & 0x3F);
        if (!EncodeExact(character, codePage, bytes)) {
            result = -2;
            break;
        }
        if (written + static_cast<int>(bytes.size()) > *outlen) break;
        std::memcpy(out + written, bytes.data(), bytes.size());
        written += static_cast<int>(bytes.size());
        read += length;
    }
    *inlen = read;
    *outlen = written;
    return result < 0 ? result : written;
}

template <unsigned CodePage>
int Decode(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    return DecodeChunk(CodePage, out, outlen, in, inlen);
}

template <unsigned CodePage>
int Encode(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    return EncodeChunk(CodePage, out, outlen, in, inlen);
}

struct TEncoding {
    unsigned CodePage;
    const char* Name;
    xmlCharEncodingInputFunc Input;
    xmlCharEncodingOutputFunc Output;
    std::initializer_list<const char*> Aliases;
};

const TEncoding kEncodings[] = {
    {936,
     "WINDOWS-936",
     Decode<936>,
     Encode<936>,
     {"GB2312", "GBK", "CP936", "MS936", "X-GBK", "EUC-CN", "X-EUC-CN", "CSGB2312", "GB_2312-80"}},
    {950,
     "WINDOWS-950",
     Decode<950>,
     Encode<950>,
     {"BIG5", "BIG-5", "CN-BIG5", "CSBIG5", "X-X-BIG5", "CP950", "MS950"}},
    {1252, "WINDOWS-1252", Decode<1252>, Encode<1252>, {"CP1252", "X-CP1252"}},
    {437, "IBM437", Decode<437>, Encode<437>, {"CP437", "IBM-437", "437", "CSPC8CODEPAGE437"}},
};

} // namespace

void RegisterCodePageEncodings() {
    for (const TEncoding& encoding : kEncodings) {
        for (const char* alias : encoding.Aliases)
            xmlAddEncodingAlias(encoding.Name, alias);
        xmlNewCharEncodingHandler(encoding.Name, encoding.Input, encoding.Output);
    }
}

const char* CodePageEncodingName(unsigned codePage) {
    for (const TEncoding& encoding : kEncodings)
        if (encoding.CodePage == codePage) return encoding.Name;
    return nullptr;
}

} // namespace xmldom
