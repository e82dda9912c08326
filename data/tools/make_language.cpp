// Writes the GB/BIG5 mapping file "Language" from ICU: its code-page converters and its simplified and
// traditional Chinese transforms.
//
// The file holds one line per BIG5 ordinal, then one line per GB ordinal, in ordinal order:
//   [BIG5]
//   BIG5A440=$B0A1     the BIG5 pair A4 40 and the GB code of its simplified form
//   ...
//   [GB]
//   GBB0A1=$B0A1       the GB pair B0 A1 and the BIG5 code of its traditional form
//   GB----=$0000       an ordinal that no GB pair has (the rows AA..AF of the first area)
// The reader keeps the lines that do not start with "[", tells the tables apart by the tag at the start,
// and takes the code from the value after "=": "$" and four upper-case hexadecimal digits. A pair without a
// counterpart (no character, a user-defined character, a form the other code page cannot hold) has the code
// 0000, which reads as a blank text, so the conversion falls back to the system's for it.
//
// Usage: make_language <output file>
#include <unicode/translit.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "foundation/GBOrdinals.h"

namespace {

// Every ordinal a pair that passes the lead test can have: GB up to A9A0, BIG5 up to the lead byte FF.
constexpr int kGBEntries = 22729;
constexpr int kBIG5Entries = 14915;

struct TConverterDeleter {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using TConverter = std::unique_ptr<UConverter, TConverterDeleter>;

TConverter OpenStrict(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    TConverter converter(ucnv_open(name, &status));
    if (U_FAILURE(status)) return nullptr;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return U_SUCCESS(status) ? std::move(converter) : nullptr;
}

bool Decode(UConverter* converter, const std::string& bytes, icu::UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    UChar buffer[8];
    ucnv_reset(converter);
    const int32_t length =
        ucnv_toUChars(converter, buffer, 8, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) return false;
    text.setTo(buffer, length);
    return true;
}

bool Encode(UConverter* converter, const icu::UnicodeString& text, std::string& bytes) {
    UErrorCode status = U_ZERO_ERROR;
    char buffer[16];
    ucnv_reset(converter);
    const int32_t length =
        ucnv_fromUChars(converter, buffer, sizeof buffer, text.getBuffer(), text.length(), &status);
    if (U_FAILURE(status)) return false;
    bytes.assign(buffer, static_cast<std::size_t>(length));
    return true;
}

bool IsOneCharacter(const icu::UnicodeString& text) {
    if (text.countChar32() != 1) return false;
    const UChar32 c = text.char32At(0);
    return c != 0xFFFD && !(c >= 0xE000 && c <= 0xF8FF) && !(c >= 0xF0000);
}

// The code of the counterpart of one double-byte character in the other code page, 0 for none.
unsigned Counterpart(unsigned lead, unsigned trail, UConverter* from, icu::Transliterator& transform,
                     UConverter* to) {
    const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
    icu::UnicodeString character;
    if (!Decode(from, pair, character) || !IsOneCharacter(character)) return 0;
    transform.transliterate(character);
    std::string bytes;
    if (!IsOneCharacter(character) || !Encode(to, character, bytes) || bytes.size() != 2) return 0;
    icu::UnicodeString back;
    if (!Decode(to, bytes, back) || back != character) return 0;
    return static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
}

struct TEntry {
    unsigned Pair = 0; // lead << 8 | trail; 0 for an ordinal that no pair has
    unsigned Code = 0;
};

bool FillTable(std::vector<TEntry>& table, int (*ordinal)(unsigned, unsigned), unsigned firstLead,
               unsigned lastLead, UConverter* from, icu::Transliterator& transform, UConverter* to) {
    for (unsigned lead = firstLead; lead <= lastLead; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const int index = ordinal(lead, trail);
            if (index < 0) continue;
            if (index >= static_cast<int>(table.size()) || table[index].Pair != 0) {
                std::fprintf(stderr, "make_language: ordinal %d of %02X%02X out of place\n", index, lead,
                             trail);
                return false;
            }
            table[index] = {lead << 8 | trail, Counterpart(lead, trail, from, transform, to)};
        }
    }
    return true;
}

void WriteTable(std::FILE* file, const char* tag, const std::vector<TEntry>& table) {
    std::fprintf(file, "[%s]\n", tag);
    for (const TEntry& entry : table) {
        if (entry.Pair != 0)
            std::fprintf(file, "%s%04X=$%04X\n", tag, entry.Pair, entry.Code);
        else
            std::fprintf(file, "%s----=$%04X\n", tag, entry.Code);
    }
}

std::unique_ptr<icu::Transliterator> OpenTransform(const char* id) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> transform(
        icu::Transliterator::createInstance(id, UTRANS_FORWARD, status));
    return U_SUCCESS(status) ? std::move(transform) : nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_language <output file>\n");
        return 2;
    }
    TConverter gb = OpenStrict("windows-936-2000");
    TConverter big5 = OpenStrict("windows-950-2000");
    std::unique_ptr<icu::Transliterator> toTraditional = OpenTransform("Hans-Hant");
    std::unique_ptr<icu::Transliterator> toSimplified = OpenTransform("Hant-Hans");
    if (!gb || !big5 || !toTraditional || !toSimplified) {
        std::fprintf(stderr, "make_language: ICU converters or transforms are missing\n");
        return 1;
    }

    std::vector<TEntry> big5Table(kBIG5Entries);
    std::vector<TEntry> gbTable(kGBEntries);
    if (!FillTable(big5Table, BIG5Ordinal, 0xA1, 0xFF, big5.get(), *toSimplified, gb.get()) ||
        !FillTable(gbTable, GBOrdinal, 0x81, 0xFE, gb.get(), *toTraditional, big5.get()))
        return 1;

    // Written aside and moved into place, so a failed run never leaves a half file that looks current.
    const std::string target = argv[1];
    const std::string temporary = target + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        std::perror(temporary.c_str());
        return 1;
    }
    WriteTable(file, "BIG5", big5Table);
    WriteTable(file, "GB", gbTable);
    const bool written = std::ferror(file) == 0;
    if (std::fclose(file) != 0 || !written || std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::perror(target.c_str());
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
