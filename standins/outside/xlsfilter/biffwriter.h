#pragma once
// A workbook of the classic binary spreadsheet format: one worksheet of number and text cells, written
// as BIFF8 records (texts in a shared string table, UTF-16 where needed) inside a compound document, as
// the spreadsheet programs save an ".xls" file. Nothing but cell values: one font, the General format.
//
//     TBiffWorkbook book;
//     book.Number(0, 0, 12.5);
//     book.Text(0, 1, u"名称");
//     SaveFileBytes(name, book.Build());
//
// Rows and columns count from 0. A cell written twice keeps its last value.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/types.h"

KVR_DECLARE_EXCEPTION(EBiffError, Exception)

class TBiffWorkbook {
public:
    // The format's limits: a cell outside them, or a longer text, raises EBiffError.
    static constexpr int MaxRows = 65536;
    static constexpr int MaxColumns = 256;
    static constexpr std::size_t MaxTextLength = 32767; // UTF-16 units

    explicit TBiffWorkbook(std::u16string sheetName = u"Sheet1");

    void Number(int row, int column, double value);
    void Text(int row, int column, const std::u16string& text);
    int CellCount() const { return static_cast<int>(FCells.size()); }

    // The whole file: a compound document holding the "Workbook" stream.
    std::string Build() const;

private:
    struct TCell {
        std::uint32_t Row;
        std::uint16_t Column;
        bool IsText;
        std::uint32_t Order; // write order, so that the last write of a cell wins
        double Value;        // the number, or the shared string's index
    };
    void CheckCell(int row, int column) const;
    std::string BuildGlobals(const std::vector<TCell>& cells, std::uint32_t& sheetOffsetAt) const;
    std::string BuildSheet(const std::vector<TCell>& cells) const;

    std::u16string FSheetName;
    std::vector<TCell> FCells;
    std::vector<std::u16string> FStrings;
    std::unordered_map<std::u16string, std::uint32_t> FStringIndex;
};

// The compound document (sector size 512, no mini stream) holding one stream of that name; a stream
// shorter than the mini-stream cutoff is padded with zeros to it, as the spreadsheet programs do.
std::string BuildCompoundDocument(const std::u16string& streamName, std::string stream);
