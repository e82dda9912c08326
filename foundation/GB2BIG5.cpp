#include "foundation/GB2BIG5.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "classlib/controls/dialogs.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/VeltraneIni.h"
#include "foundation/libstrs.h"

namespace {

const char* const kLanguageFile = "Language";
const char* const kMissingFileMessage = "Can't find file Language !!";

struct TLanguageTables {
    std::vector<std::uint16_t> BIG5; // BIG5 ordinal -> GB code
    std::vector<std::uint16_t> GB;   // GB ordinal -> BIG5 code
};
using TTablesPtr = std::shared_ptr<const TLanguageTables>;

enum class TLoadState { NotTried, Loaded, Failed };

// The tables in use and whether the conversions have tried to load them. Conversions copy the pointer
// under the lock and convert without it, so a reload never pulls a table from under a running one.
std::mutex gTablesLock;
TTablesPtr gTables;
TLoadState gLoadState = TLoadState::NotTried;
// Held by the one conversion that loads on first use, so that the others wait for its tables instead
// of loading (and reporting) a second time.
std::mutex gFirstLoadLock;

std::atomic<TLanguageMessageProc> gMessageProc{nullptr};

void Report(const AnsiString& text) {
    const TLanguageMessageProc proc = gMessageProc.load();
    if (proc)
        proc(text);
    else
        ShowMessage(text);
}

// The lookup of the client folder stays in this one place.
AnsiString ClientFolder() {
    TVeltraneIniC ini;
    return ini.ClientPath;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Characters 2 to 5 of the value: four upper-case hexadecimal digits; the first is not read.
bool ReadCode(const AnsiString& value, std::uint16_t& code) {
    if (value.size() < 5) return false;
    unsigned result = 0;
    for (std::size_t i = 1; i <= 4; ++i) {
        const int digit = HexValue(value[i]);
        if (digit < 0) return false;
        result = result << 4 | static_cast<unsigned>(digit);
    }
    code = static_cast<std::uint16_t>(result);
    return true;
}

struct TReadResult {
    TTablesPtr Tables; // null on failure
    AnsiString Failure;
};

TReadResult ReadLanguageFile() {
    const AnsiString fileName = LanguageFileName();
    AnsiString content;
    if (fileName.empty() || !ReadFileBytes(fileName, content)) return {nullptr, kMissingFileMessage};

    auto tables = std::make_shared<TLanguageTables>();
    bool inGB = false;
    int lineNumber = 0;
    for (std::size_t start = 0; start < content.size();) {
        std::size_t end = content.find('\n', start);
        if (end == AnsiString::npos) end = content.size();
        AnsiString line = content.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') continue;
        if (Trim(line).empty()) continue;

        const bool big5 = line.compare(0, 4, "BIG5") == 0;
        const bool gb = !big5 && line.compare(0, 2, "GB") == 0;
        std::uint16_t code = 0;
        // BIG5 lines first, then GB lines, nothing else; a line out of place would shift every entry
        // after it onto the wrong ordinal.
        if ((!big5 && !gb) || (big5 && inGB) || !ReadCode(GetToken(line, "=", 2), code))
            return {nullptr, Format("Invalid line %d in file %s !!", {lineNumber, fileName})};
        inGB = gb;
        (big5 ? tables->BIG5 : tables->GB).push_back(code);
    }
    return {std::move(tables), AnsiString()};
}

TTablesPtr CurrentTables() {
    {
        std::lock_guard<std::mutex> lock(gTablesLock);
        if (gLoadState != TLoadState::NotTried) return gTables;
    }
    std::lock_guard<std::mutex> first(gFirstLoadLock);
    {
        std::lock_guard<std::mutex> lock(gTablesLock);
        if (gLoadState != TLoadState::NotTried) return gTables;
    }
    LoadLanguageTable();
    std::lock_guard<std::mutex> lock(gTablesLock);
    return gTables;
}

// A code that reads as a blank text (two bytes at or below the blank, 0000 among them) is no entry.
bool IsBlankCode(std::uint16_t code) {
    return (code >> 8) <= 0x20 && (code & 0xFF) <= 0x20;
}

// One double-byte character through the system's conversion; writes at most four bytes. The pair is
// copied unchanged in the unlikely case that the conversion fails.
std::size_t SystemPair(const char* pair, unsigned fromCodePage, unsigned toCodePage, char* out) {
    char16_t wide[2];
    const int units = MultiByteToWideChar(fromCodePage, pair, 2, wide, 2);
    const int bytes = units > 0 ? WideCharToMultiByte(toCodePage, wide, units, out, 4, nullptr, nullptr) : 0;
    if (bytes > 0) return static_cast<std::size_t>(bytes);
    out[0] = pair[0];
    out[1] = pair[1];
    return 2;
}

template <bool FromGB> AnsiString ConvertText(const AnsiString& text) {
    if (text.empty()) return text;
    const TTablesPtr tables = CurrentTables();
    const std::vector<std::uint16_t>* table = tables ? (FromGB ? &tables->GB : &tables->BIG5) : nullptr;
    const unsigned fromCodePage = FromGB ? 936 : 950;
    const unsigned toCodePage = FromGB ? 950 : 936;

    // No byte grows beyond two: a single byte gives at most two, a pair at most four.
    AnsiString out(text.size() * 2, '\0');
    std::size_t at = 0;
    for (std::size_t i = 0; i < text.size();) {
        const Byte lead = static_cast<Byte>(text[i]);
        if (FromGB && lead == 0x80) {
            out[at++] = '\xA3';
            out[at++] = '\xE1';
            ++i;
            continue;
        }
        if (!(FromGB ? IsGBLead(text, i) : IsBIG5Lead(text, i))) {
            out[at++] = text[i++];
            continue;
        }
        const Byte trail = static_cast<Byte>(text[i + 1]);
        if (!FromGB && lead == 0xA3 && trail == 0xE1) {
            out[at++] = '\x80';
            i += 2;
            continue;
        }
        const int ordinal = FromGB ? GBOrdinal(lead, trail) : BIG5Ordinal(lead, trail);
        std::uint16_t code = 0;
        if (table && ordinal >= 0 && static_cast<std::size_t>(ordinal) < table->size())
            code = (*table)[ordinal];
        if (!IsBlankCode(code)) {
            out[at++] = static_cast<char>(code >> 8);
            out[at++] = static_cast<char>(code & 0xFF);
        } else {
            at += SystemPair(text.data() + i, fromCodePage, toCodePage, out.data() + at);
        }
        i += 2;
    }
    out.resize(at);
    return out;
}

} // namespace

bool IsGBLead(const AnsiString& text, std::size_t index) {
    if (index + 1 >= text.size()) return false;
    const Byte lead = static_cast<Byte>(text[index]);
    const Byte trail = static_cast<Byte>(text[index + 1]);
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

bool IsBIG5Lead(const AnsiString& text, std::size_t index) {
    if (index + 1 >= text.size()) return false;
    const Byte lead = static_cast<Byte>(text[index]);
    const Byte trail = static_cast<Byte>(text[index + 1]);
    return lead >= 0x81 && lead <= 0xFE &&
           ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE));
}

AnsiString GBToBig5(const AnsiString& text) {
    return ConvertText<true>(text);
}

AnsiString Big5ToGB(const AnsiString& text) {
    return ConvertText<false>(text);
}

AnsiString LanguageFileName() {
    // Without a client folder the name would be a bare "Language" in whatever the current folder is.
    const AnsiString clientPath = ClientFolder();
    if (!clientPath.empty() && FileExists(clientPath + kLanguageFile)) return clientPath + kLanguageFile;
    const AnsiString besideExecutable =
        IncludeTrailingBackslash(ExtractFilePath(GetModuleFileName())) + kLanguageFile;
    if (FileExists(besideExecutable)) return besideExecutable;
    return AnsiString();
}

bool LoadLanguageTable() {
    TReadResult result = ReadLanguageFile();
    const bool loaded = result.Tables != nullptr;
    {
        std::lock_guard<std::mutex> lock(gTablesLock);
        if (loaded) {
            gTables = std::move(result.Tables);
            gLoadState = TLoadState::Loaded;
        } else if (gLoadState == TLoadState::NotTried) {
            gLoadState = TLoadState::Failed;
        }
    }
    // Outside the lock: the message may well convert a text on its way to the screen.
    if (!loaded) Report(result.Failure);
    return loaded;
}

void UnloadLanguageTable() {
    std::lock_guard<std::mutex> lock(gTablesLock);
    gTables.reset();
    gLoadState = TLoadState::NotTried;
}

bool LanguageTableLoaded() {
    std::lock_guard<std::mutex> lock(gTablesLock);
    return gTables != nullptr;
}

TLanguageMessageProc SetLanguageMessageProc(TLanguageMessageProc proc) {
    return gMessageProc.exchange(proc);
}

TTranslator::TTranslator(const AnsiString& libraryName) {
    FHandle = LoadLibrary(libraryName);
    if (FHandle == 0) throw Exception(Format("Load Library %s Error!", {libraryName}));
    FGBtoBIG5 = reinterpret_cast<TConvertProc>(GetProcAddress(FHandle, "GBtoBIG5"));
    FBIG5toGB = reinterpret_cast<TConvertProc>(GetProcAddress(FHandle, "BIG5toGB"));
    FGetBIG5Data = reinterpret_cast<TDataProc>(GetProcAddress(FHandle, "GetBIG5Data"));
    FGetGBData = reinterpret_cast<TDataProc>(GetProcAddress(FHandle, "GetGBData"));
    FSaveOrder = reinterpret_cast<TDataProc>(GetProcAddress(FHandle, "SaveOrder"));
    if (FGBtoBIG5 == nullptr || FBIG5toGB == nullptr) {
        FreeLibrary(FHandle);
        FHandle = 0;
        throw Exception("Get Library Procedure Address Error!");
    }
}

TTranslator::~TTranslator() {
    if (FHandle != 0) FreeLibrary(FHandle);
}

AnsiString TTranslator::GBToBIG5(const AnsiString& text) const {
    return Apply(FGBtoBIG5, text);
}

AnsiString TTranslator::BIG5ToGB(const AnsiString& text) const {
    return Apply(FBIG5toGB, text);
}

AnsiString TTranslator::Apply(TConvertProc proc, const AnsiString& text) {
    if (proc == nullptr || text.empty()) return text;
    AnsiString result;
    for (std::size_t start = 0;;) {
        std::size_t end = text.find('\0', start);
        if (end == AnsiString::npos) end = text.size();
        if (end > start) {
            const char* converted = nullptr;
            if (start == 0 && end == text.size()) {
                converted = proc(text.c_str());
            } else {
                const AnsiString part = text.substr(start, end - start);
                converted = proc(part.c_str());
            }
            if (converted == nullptr) return text;
            result += converted;
        }
        if (end == text.size()) break;
        result += '\0';
        start = end + 1;
    }
    return result;
}
