#pragma once
// The workbooks of the Excel automation stand-in as data: sheets of cells, each cell a value and a
// style (font and number format), saved as an ".xlsx" workbook through libxlsxwriter. The automation
// objects (excelapp.h) are views on these.
//
// Texts (values, names, formats) are held in the system code page, as automation hands them over;
// they become UTF-8 only when a workbook is saved.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "classlib/graphics/colors.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/variants.h"

// The spreadsheet's limits.
inline constexpr int ExcelMaxRows = 1048576;
inline constexpr int ExcelMaxColumns = 16384;

// Underline kinds of the font, by the automation constants.
inline constexpr int xlUnderlineStyleNone = -4142;
inline constexpr int xlUnderlineStyleSingle = 2;
inline constexpr int xlUnderlineStyleDouble = -4119;
inline constexpr int xlUnderlineStyleSingleAccounting = 4;
inline constexpr int xlUnderlineStyleDoubleAccounting = 5;
inline constexpr int xlColorIndexAutomatic = -4105;
inline constexpr int xlColorIndexNone = -4142;

// What the spreadsheet refuses; it reaches an automation client as the server's failure.
KVR_DECLARE_EXCEPTION(EExcelError, Exception)

// The look of a cell. Empty or negative members stand for the workbook's default.
struct TExcelStyle {
    AnsiString FontName;
    double Size = 0;
    bool Bold = false;
    bool Italic = false;
    int Underline = xlUnderlineStyleNone;
    bool Strikethrough = false;
    TColor Color = -1;       // 0x00BBGGRR as the automation interface gives colours; -1 automatic
    AnsiString NumberFormat; // the format code; empty for General

    bool operator==(const TExcelStyle&) const = default;
};

// The default font of a new workbook.
inline constexpr const char* ExcelDefaultFontName = "Calibri";
inline constexpr double ExcelDefaultFontSize = 11;

// The colour of a palette index (1 to 56), -1 for any other index.
TColor ExcelPaletteColor(int index);
// The palette index of a colour, xlColorIndexAutomatic when the palette does not hold it.
int ExcelPaletteIndex(TColor color);

class TExcelBook;

class TExcelSheet {
public:
    TExcelSheet(TExcelBook& book, AnsiString name) : FBook(book), FName(std::move(name)) {}

    const AnsiString& Name() const { return FName; }

    // Rows and columns from 1. Value writes follow the spreadsheet's rules: a text becomes a number
    // when it reads as one, unless the cell is formatted as text ("@") or the text starts with an
    // apostrophe (which is dropped).
    Variant Value(int row, int column) const;
    void SetValue(int row, int column, const Variant& value);
    const TExcelStyle& Style(int row, int column) const;
    void SetStyle(int row, int column, const TExcelStyle& style);

private:
    friend class TExcelBook;
    struct TCell {
        Variant Value;
        std::uint32_t Style = 0; // index into the book's style table; 0 is the default
    };
    TCell& CellAt(int row, int column);
    const TCell* FindCell(int row, int column) const;

    TExcelBook& FBook;
    AnsiString FName;
    // By row, then column (from 0): an export fills its sheet densely, row after row.
    std::vector<std::vector<TCell>> FRows;
};

class TExcelBook {
public:
    explicit TExcelBook(int sheetCount);

    int SheetCount() const { return static_cast<int>(FSheets.size()); }
    TExcelSheet& Sheet(int index) const { return *FSheets[index]; }
    // Raises EExcelError when another sheet of the book has the name, or the name is no sheet name.
    void RenameSheet(TExcelSheet& sheet, const AnsiString& name);

    // Writes the workbook (a system path) in the ".xlsx" format whatever the name's extension; the
    // file is replaced only once the new one is complete. Raises EExcelError when it cannot be.
    // A workbook saved is unchanged until a value, a style or a sheet name is written again.
    void SaveAs(const AnsiString& fileName);
    // True when something was written to the workbook since it was made or last saved.
    bool Changed() const { return FChanged; }

private:
    friend class TExcelSheet;
    std::uint32_t StyleIndex(const TExcelStyle& style);

    std::vector<std::unique_ptr<TExcelSheet>> FSheets;
    std::vector<TExcelStyle> FStyles; // 0: the default
    struct TStyleHash {
        std::size_t operator()(const TExcelStyle& style) const;
    };
    std::unordered_map<TExcelStyle, std::uint32_t, TStyleHash> FStyleIndex;
    bool FChanged = false;
};

// A text as the spreadsheet reads a typed entry: a number when it is one (blanks around, a sign,
// digits grouped by "," or not, a decimal part, an exponent), else nothing.
bool ExcelParseNumber(const AnsiString& text, double& value);
