#pragma once
// Simplified Chinese in code page 936 ("GB", GB2312 and its GBK extension) and traditional Chinese in
// code page 950 ("BIG5"). Two independent means:
// - GBToBig5 and Big5ToGB, driven by the mapping file Language, loaded once into two module-wide
//   tables; a pair the tables do not cover goes through the system's code-page conversion;
// - TTranslator, the binding to the translator library Qvlanguage.so (the code converter's means).
//
// The mapping file, a text file in code-page bytes, read line by line: lines starting with "[" and
// blank lines are skipped; every BIG5 line ("BIG5...") comes first, then every GB line ("GB..."); the
// i-th line of a kind fills entry i of its table with the code after "=": one character, then four
// upper-case hexadecimal digits ("BIG5A440=$B0A1"). Entry i of the BIG5 table is the GB code of the BIG5
// character of BIG5 ordinal i, and the reverse for the GB table; a code is two bytes, high byte first.
#include <cstddef>

#include "classlib/rtl/dynlib.h"
#include "classlib/rtl/types.h"
#include "foundation/GBOrdinals.h"

// GBOrdinal and BIG5Ordinal (GBOrdinals.h) give the indexes of the two tables.

// True when text[index] and text[index + 1] make one double-byte character: a lead byte 0x81..0xFE and
// a trail byte of the code page (GB 0x40..0x7E and 0x80..0xFE, BIG5 0x40..0x7E and 0xA1..0xFE). Any
// other high byte is a character of its own, and so is the byte after it.
bool IsGBLead(const AnsiString& text, std::size_t index);
bool IsBIG5Lead(const AnsiString& text, std::size_t index);

// GB text to BIG5 and back. The byte 0x80 of GB (the euro sign) and the BIG5 pair A3 E1 stand for each
// other; other bytes that do not make a double-byte character are copied unchanged. Both load the
// mapping file on their first use; when it cannot be loaded every pair goes through the system.
AnsiString GBToBig5(const AnsiString& text);
AnsiString Big5ToGB(const AnsiString& text);

// ClientPath + "Language", else the executable's folder + "Language"; '' when neither exists.
AnsiString LanguageFileName();
// Loads the mapping file into new tables and puts them in use only when the whole file was read;
// otherwise the tables in use stay as they were, the failure is reported and the result is false. The
// conversions call it once; a failure they met is not reported again.
bool LoadLanguageTable();
// Drops the tables: the next conversion loads the file again (module unload, tests).
void UnloadLanguageTable();
bool LanguageTableLoaded();

// Where the mapping file's failures are reported: ShowMessage unless replaced. Returns the one replaced;
// null puts ShowMessage back.
using TLanguageMessageProc = void (*)(const AnsiString& text);
TLanguageMessageProc SetLanguageMessageProc(TLanguageMessageProc proc);

inline constexpr const char* TranslatorLibraryName = "Qvlanguage.so";

// The translator library, loaded by name (beside the executable first) and bound by name: GBtoBIG5 and
// BIG5toGB are required, GetBIG5Data, GetGBData and SaveOrder bound when present and never called.
class TTranslator {
public:
    // Exception "Load Library %s Error!" when the library cannot be loaded, "Get Library Procedure
    // Address Error!" when it lacks a required procedure (the library is then unloaded again).
    explicit TTranslator(const AnsiString& libraryName = TranslatorLibraryName);
    ~TTranslator();
    TTranslator(const TTranslator&) = delete;
    TTranslator& operator=(const TTranslator&) = delete;

    // The library's conversion of the text; a NUL byte in the text is kept in place and the parts
    // between such bytes are converted one by one, as the library reads a text up to its NUL.
    AnsiString GBToBIG5(const AnsiString& text) const;
    AnsiString BIG5ToGB(const AnsiString& text) const;

private:
    using TConvertProc = const char* (*)(const char* text);
    using TDataProc = void (*)();

    static AnsiString Apply(TConvertProc proc, const AnsiString& text);

    HMODULE FHandle = 0;
    TConvertProc FGBtoBIG5 = nullptr;
    TConvertProc FBIG5toGB = nullptr;
    TDataProc FGetBIG5Data = nullptr;
    TDataProc FGetGBData = nullptr;
    TDataProc FSaveOrder = nullptr;
};
