#include "standins/outside/xlsfilter/biffwriter.h"

#include <algorithm>
#include <cstring>

namespace {

// Record identifiers of BIFF8.
enum : std::uint16_t {
    rtBOF = 0x0809,
    rtEOF = 0x000A,
    rtCodePage = 0x0042,
    rtWindow1 = 0x003D,
    rtDateMode = 0x0022,
    rtFont = 0x0031,
    rtXF = 0x00E0,
    rtStyle = 0x0293,
    rtBoundSheet = 0x0085,
    rtSST = 0x00FC,
    rtContinue = 0x003C,
    rtExtSST = 0x00FF,
    rtDimensions = 0x0200,
    rtWindow2 = 0x023E,
    rtNumber = 0x0203,
    rtLabelSST = 0x00FD,
};

// The most data one record may hold; longer data goes on in CONTINUE records.
constexpr std::size_t MaxRecordData = 8224;
// The cell format of every cell: the first after the fifteen style formats.
constexpr std::uint16_t CellXF = 15;

void Put8(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
}
void Put16(std::string& out, unsigned value) {
    Put8(out, value);
    Put8(out, value >> 8);
}
void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
void Patch32(std::string& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
void PutDouble(std::string& out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Put32(out, static_cast<std::uint32_t>(bits));
    Put32(out, static_cast<std::uint32_t>(bits >> 32));
}

void Record(std::string& out, std::uint16_t type, const std::string& data) {
    Put16(out, type);
    Put16(out, static_cast<unsigned>(data.size()));
    out += data;
}

bool Compressible(const std::u16string& text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x100; });
}

void PutChars(std::string& out, const std::u16string& text, std::size_t from, std::size_t count,
              bool compressed) {
    for (std::size_t i = from; i < from + count; ++i)
        compressed ? Put8(out, text[i]) : Put16(out, text[i]);
}

// A string with an 8-bit length (sheet and font names).
void PutShortString(std::string& out, const std::u16string& text) {
    const bool compressed = Compressible(text);
    Put8(out, static_cast<unsigned>(text.size()));
    Put8(out, compressed ? 0 : 1);
    PutChars(out, text, 0, text.size(), compressed);
}

std::string BOF(std::uint16_t substream) {
    std::string d;
    Put16(d, 0x0600); // BIFF8
    Put16(d, substream);
    Put16(d, 0x0DBB); // build
    Put16(d, 0x07CC); // year
    Put32(d, 0);
    Put32(d, 0x0006); // the lowest version that can read it: BIFF8
    return d;
}

std::string Font() {
    std::string d;
    Put16(d, 200);    // 10 points, in twips
    Put16(d, 0);      // plain
    Put16(d, 0x7FFF); // automatic colour
    Put16(d, 400);    // normal weight
    Put16(d, 0);      // no super- or subscript
    Put8(d, 0);       // no underline
    Put8(d, 2);       // swiss family
    Put8(d, 0);       // ANSI charset
    Put8(d, 0);
    PutShortString(d, u"Arial");
    return d;
}

std::string XF(bool style) {
    std::string d;
    Put16(d, 0);                       // font 0
    Put16(d, 0);                       // General
    Put16(d, style ? 0xFFF5 : 0x0001); // locked; a style format has no parent
    Put8(d, 0x20);                     // general, bottom aligned
    Put8(d, 0);                        // no rotation
    Put8(d, 0);                        // no indent
    Put8(d, style ? 0xF4 : 0);         // which attributes a cell format takes from the style
    Put32(d, 0);                       // no borders
    Put32(d, 0);                       // no border colours, no pattern
    Put16(d, 0x20C0);                  // pattern colours: system foreground and background
    return d;
}

// The shared string table: SST and its CONTINUE records, then the EXTSST index of every eighth (or
// so) string. No string header is split across records; a string's characters may be, the next record
// starting with the flags of the characters that follow.
void SharedStrings(std::string& out, const std::vector<std::u16string>& strings, std::uint32_t total) {
    const std::size_t bucket = std::max<std::size_t>(8, (strings.size() + 127) / 128);
    struct TIndex {
        std::uint32_t Position;
        std::uint16_t Offset;
    };
    std::vector<TIndex> index;
    std::string data;
    std::uint16_t type = rtSST;
    std::size_t recordStart = out.size(); // where the record being filled will stand
    const auto flush = [&] {
        Record(out, type, data);
        data.clear();
        type = rtContinue;
        recordStart = out.size();
    };
    Put32(data, total);
    Put32(data, static_cast<std::uint32_t>(strings.size()));
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const std::u16string& s = strings[i];
        const bool compressed = Compressible(s);
        const std::size_t width = compressed ? 1 : 2;
        if (data.size() + 3 + width > MaxRecordData) flush();
        if (i % bucket == 0)
            index.push_back({static_cast<std::uint32_t>(recordStart + 4 + data.size()),
                             static_cast<std::uint16_t>(4 + data.size())});
        Put16(data, static_cast<unsigned>(s.size()));
        Put8(data, compressed ? 0 : 1);
        std::size_t done = 0;
        while (done < s.size()) {
            const std::size_t room = (MaxRecordData - data.size()) / width;
            if (room == 0) {
                flush();
                Put8(data, compressed ? 0 : 1);
                continue;
            }
            const std::size_t n = std::min(room, s.size() - done);
            PutChars(data, s, done, n, compressed);
            done += n;
        }
    }
    flush();
    std::string ext;
    Put16(ext, static_cast<unsigned>(bucket));
    for (const TIndex& entry : index) {
        Put32(ext, entry.Position);
        Put16(ext, entry.Offset);
        Put16(ext, 0);
    }
    Record(out, rtExtSST, ext);
}

} // namespace

TBiffWorkbook::TBiffWorkbook(std::u16string sheetName) : FSheetName(std::move(sheetName)) {
    if (FSheetName.empty() || FSheetName.size() > 31)
        throw EBiffError("A worksheet name has 1 to 31 characters");
}

void TBiffWorkbook::CheckCell(int row, int column) const {
    if (row < 0 || row >= MaxRows || column < 0 || column >= MaxColumns)
        throw EBiffError("Cell (" + std::to_string(row) + ", " + std::to_string(column) +
                         ") lies outside the worksheet of " + std::to_string(MaxRows) + " rows and " +
                         std::to_string(MaxColumns) + " columns");
}

void TBiffWorkbook::Number(int row, int column, double value) {
    CheckCell(row, column);
    FCells.push_back({static_cast<std::uint32_t>(row), static_cast<std::uint16_t>(column), false,
                      static_cast<std::uint32_t>(FCells.size()), value});
}

void TBiffWorkbook::Text(int row, int column, const std::u16string& text) {
    CheckCell(row, column);
    if (text.size() > MaxTextLength)
        throw EBiffError("The text of cell (" + std::to_string(row) + ", " + std::to_string(column) +
                         ") is longer than " + std::to_string(MaxTextLength) + " characters");
    auto [at, added] = FStringIndex.try_emplace(text, static_cast<std::uint32_t>(FStrings.size()));
    if (added) FStrings.push_back(text);
    FCells.push_back({static_cast<std::uint32_t>(row), static_cast<std::uint16_t>(column), true,
                      static_cast<std::uint32_t>(FCells.size()), static_cast<double>(at->second)});
}

std::string TBiffWorkbook::BuildGlobals(const std::vector<TCell>& cells, std::uint32_t& sheetOffsetAt) const {
    std::string out;
    Record(out, rtBOF, BOF(0x0005));
    std::string d;
    Put16(d, 1200); // texts are UTF-16
    Record(out, rtCodePage, d);
    d.clear();
    for (unsigned v : {0u, 0u, 0x3A98u, 0x2328u, 0x0038u, 0u, 0u, 1u, 0x0258u})
        Put16(d, v);
    Record(out, rtWindow1, d);
    d.clear();
    Put16(d, 0); // dates count from 1900
    Record(out, rtDateMode, d);
    // Four fonts: readers skip index 4, as the format reserves it.
    for (int i = 0; i < 4; ++i)
        Record(out, rtFont, Font());
    for (int i = 0; i < 15; ++i)
        Record(out, rtXF, XF(true));
    Record(out, rtXF, XF(false));
    d.clear();
    Put16(d, 0x8000); // built-in style of format 0
    Put8(d, 0);       // Normal
    Put8(d, 0xFF);
    Record(out, rtStyle, d);
    d.clear();
    Put32(d, 0); // the worksheet's position, patched once known
    Put8(d, 0);  // visible
    Put8(d, 0);  // worksheet
    PutShortString(d, FSheetName);
    sheetOffsetAt = static_cast<std::uint32_t>(out.size() + 4);
    Record(out, rtBoundSheet, d);
    std::uint32_t texts = 0;
    for (const TCell& cell : cells)
        texts += cell.IsText ? 1 : 0;
    SharedStrings(out, FStrings, texts);
    Record(out, rtEOF, std::string());
    return out;
}

std::string TBiffWorkbook::BuildSheet(const std::vector<TCell>& cells) const {
    std::string out;
    Record(out, rtBOF, BOF(0x0010));
    std::string d;
    std::uint32_t lastRow = 0;
    std::uint16_t firstColumn = MaxColumns, lastColumn = 0;
    for (const TCell& cell : cells) {
        lastRow = std::max(lastRow, cell.Row);
        firstColumn = std::min(firstColumn, cell.Column);
        lastColumn = std::max(lastColumn, cell.Column);
    }
    Put32(d, cells.empty() ? 0 : cells.front().Row);
    Put32(d, cells.empty() ? 0 : lastRow + 1);
    Put16(d, cells.empty() ? 0 : firstColumn);
    Put16(d, cells.empty() ? 0 : lastColumn + 1);
    Put16(d, 0);
    Record(out, rtDimensions, d);
    d.clear();
    for (unsigned v : {0x06B6u, 0u, 0u, 0x40u, 0u, 0u, 0u})
        Put16(d, v);
    Put32(d, 0);
    Record(out, rtWindow2, d);
    for (const TCell& cell : cells) {
        d.clear();
        Put16(d, cell.Row);
        Put16(d, cell.Column);
        Put16(d, CellXF);
        if (cell.IsText) {
            Put32(d, static_cast<std::uint32_t>(cell.Value));
            Record(out, rtLabelSST, d);
        } else {
            PutDouble(d, cell.Value);
            Record(out, rtNumber, d);
        }
    }
    Record(out, rtEOF, std::string());
    return out;
}

std::string TBiffWorkbook::Build() const {
    // Cells in row order, each once: the last write of a cell stands.
    std::vector<TCell> cells = FCells;
    std::sort(cells.begin(), cells.end(), [](const TCell& a, const TCell& b) {
        if (a.Row != b.Row) return a.Row < b.Row;
        if (a.Column != b.Column) return a.Column < b.Column;
        return a.Order > b.Order;
    });
    cells.erase(
        std::unique(cells.begin(), cells.end(),
                    [](const TCell& a, const TCell& b) { return a.Row == b.Row && a.Column == b.Column; }),
        cells.end());
    std::uint32_t sheetOffsetAt = 0;
    std::string stream = BuildGlobals(cells, sheetOffsetAt);
    Patch32(stream, sheetOffsetAt, static_cast<std::uint32_t>(stream.size()));
    stream += BuildSheet(cells);
    return BuildCompoundDocument(u"Workbook", std::move(stream));
}

namespace {

constexpr std::size_t SectorSize = 512;
constexpr std::size_t IdsPerSector = SectorSize / 4;
constexpr std::size_t HeaderDifatCount = 109;
constexpr std::size_t MiniStreamCutoff = 4096;
constexpr std::uint32_t FreeSector = 0xFFFFFFFF;
constexpr std::uint32_t EndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t FatSector = 0xFFFFFFFD;
constexpr std::uint32_t DifatSector = 0xFFFFFFFC;
constexpr std::uint32_t NoStream = 0xFFFFFFFF;

std::size_t SectorsFor(std::size_t bytes) {
    return (bytes + SectorSize - 1) / SectorSize;
}

std::string DirectoryEntry(const std::u16string& name, Byte type, std::uint32_t child, std::uint32_t start,
                           std::uint32_t size) {
    std::string e;
    for (std::size_t i = 0; i < 32; ++i)
        Put16(e, i < name.size() ? name[i] : 0);
    Put16(e, name.empty() ? 0 : static_cast<unsigned>((name.size() + 1) * 2));
    Put8(e, type);
    Put8(e, type == 0 ? 0 : 1); // black
    Put32(e, NoStream);         // left sibling
    Put32(e, NoStream);         // right sibling
    Put32(e, child);
    e.append(16, '\0'); // class id
    Put32(e, 0);        // state
    e.append(16, '\0'); // creation and modification times
    Put32(e, start);
    Put32(e, size);
    Put32(e, 0);
    return e;
}

} // namespace

std::string BuildCompoundDocument(const std::u16string& streamName, std::string stream) {
    if (stream.size() < MiniStreamCutoff) stream.resize(MiniStreamCutoff, '\0');
    const std::size_t streamSectors = SectorsFor(stream.size());
    const std::size_t dirSectors = 1;
    // The FAT covers every sector, its own and those of the DIFAT included.
    std::size_t fatSectors = 0, difatSectors = 0;
    for (;;) {
        const std::size_t total = streamSectors + dirSectors + fatSectors + difatSectors;
        const std::size_t fat = (total + IdsPerSector - 1) / IdsPerSector;
        const std::size_t difat =
            fat > HeaderDifatCount ? (fat - HeaderDifatCount + IdsPerSector - 2) / (IdsPerSector - 1) : 0;
        if (fat == fatSectors && difat == difatSectors) break;
        fatSectors = fat;
        difatSectors = difat;
    }
    const std::uint32_t dirStart = static_cast<std::uint32_t>(streamSectors);
    const std::uint32_t fatStart = dirStart + static_cast<std::uint32_t>(dirSectors);
    const std::uint32_t difatStart = fatStart + static_cast<std::uint32_t>(fatSectors);

    std::vector<std::uint32_t> fat(fatSectors * IdsPerSector, FreeSector);
    for (std::uint32_t i = 0; i < streamSectors; ++i)
        fat[i] = i + 1 < streamSectors ? i + 1 : EndOfChain;
    fat[dirStart] = EndOfChain;
    for (std::uint32_t i = 0; i < fatSectors; ++i)
        fat[fatStart + i] = FatSector;
    for (std::uint32_t i = 0; i < difatSectors; ++i)
        fat[difatStart + i] = DifatSector;

    std::string out;
    out.reserve((1 + streamSectors + dirSectors + fatSectors + difatSectors) * SectorSize);
    for (unsigned b : {0xD0u, 0xCFu, 0x11u, 0xE0u, 0xA1u, 0xB1u, 0x1Au, 0xE1u})
        Put8(out, b);
    out.append(16, '\0'); // class id
    Put16(out, 0x003E);   // minor version
    Put16(out, 0x0003);   // major version: 512-byte sectors
    Put16(out, 0xFFFE);   // little-endian
    Put16(out, 9);        // sector size 2^9
    Put16(out, 6);        // mini sector size 2^6
    out.append(6, '\0');
    Put32(out, 0); // directory sectors: not counted in version 3
    Put32(out, static_cast<std::uint32_t>(fatSectors));
    Put32(out, dirStart);
    Put32(out, 0); // transactions
    Put32(out, MiniStreamCutoff);
    Put32(out, EndOfChain); // no mini FAT
    Put32(out, 0);
    Put32(out, difatSectors ? difatStart : EndOfChain);
    Put32(out, static_cast<std::uint32_t>(difatSectors));
    for (std::size_t i = 0; i < HeaderDifatCount; ++i)
        Put32(out, i < fatSectors ? fatStart + static_cast<std::uint32_t>(i) : FreeSector);

    out += stream;
    out.resize(SectorSize * (1 + streamSectors), '\0');
    out += DirectoryEntry(u"Root Entry", 5, 1, EndOfChain, 0);
    out += DirectoryEntry(streamName, 2, NoStream, 0, static_cast<std::uint32_t>(stream.size()));
    out += DirectoryEntry(u"", 0, NoStream, 0, 0);
    out += DirectoryEntry(u"", 0, NoStream, 0, 0);
    for (std::uint32_t id : fat)
        Put32(out, id);
    // The FAT sectors past the header's 109, 127 to a DIFAT sector, each ending in the next one's number.
    std::size_t listed = HeaderDifatCount;
    for (std::size_t s = 0; s < difatSectors; ++s) {
        for (std::size_t i = 0; i < IdsPerSector - 1; ++i, ++listed)
            Put32(out, listed < fatSectors ? fatStart + static_cast<std::uint32_t>(listed) : FreeSector);
        Put32(out, s + 1 < difatSectors ? difatStart + static_cast<std::uint32_t>(s + 1) : EndOfChain);
    }
    return out;
}
