#include "standins/outside/excel/excelbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"

namespace {

// The default palette, as 0xRRGGBB.
constexpr std::uint32_t Palette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

constexpr TColor FromRRGGBB(std::uint32_t rgb) {
    return RGB(static_cast<Byte>(rgb >> 16), static_cast<Byte>(rgb >> 8), static_cast<Byte>(rgb));
}

constexpr std::uint32_t ToRRGGBB(TColor color) {
    return (static_cast<std::uint32_t>(GetRValue(color)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
}

constexpr std::size_t MaxTextLength = 32767;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void CheckCell(int row, int column) {
    if (row < 1 || row > ExcelMaxRows || column < 1 || column > ExcelMaxColumns)
        throw EExcelError("Application-defined or object-defined error: no cell (" + IntToStr(row) + ", " +
                          IntToStr(column) + ")");
}

// Text values keep the code page they came in; wide ones stay wide until saved.
AnsiString Utf8Of(const Variant& text) {
    return text.VType() == varOleStr ? WideToUtf8(text.AsWideString()) : AnsiToUtf8(text.AsString());
}

// In characters; a text of no more bytes than the limit is within it whatever its characters.
bool TooLong(const Variant& value, const AnsiString& text) {
    if (value.VType() == varOleStr) return value.AsWideString().size() > MaxTextLength;
    return text.size() > MaxTextLength && AnsiToWide(text).size() > MaxTextLength;
}

// What a cell stores for a value written to it.
Variant CellValue(const Variant& value, const AnsiString& numberFormat) {
    switch (value.VType()) {
    case varEmpty:
    case varNull:
        return Variant();
    case varBoolean:
        return Variant(value.AsBoolean());
    case varString:
    case varOleStr: {
        const AnsiString text = value.AsString();
        if (TooLong(value, text)) throw EExcelError("A cell holds at most 32767 characters");
        if (numberFormat == "@") return value;
        if (!text.empty() && text[0] == '\'')
            return value.VType() == varOleStr ? Variant(value.AsWideString().substr(1))
                                              : Variant(text.substr(1));
        double number = 0;
        if (ExcelParseNumber(text, number)) return Variant(number);
        return value;
    }
    default:
        if (!VarIsNumeric(value) && value.VType() != varDate) break;
        return Variant(value.AsFloat());
    }
    throw EExcelError("Type mismatch");
}

} // namespace

TColor ExcelPaletteColor(int index) {
    return index >= 1 && index <= 56 ? FromRRGGBB(Palette[index - 1]) : -1;
}

int ExcelPaletteIndex(TColor color) {
    for (int i = 0; i < 56; ++i)
        if (FromRRGGBB(Palette[i]) == color) return i + 1;
    return xlColorIndexAutomatic;
}

bool ExcelParseNumber(const AnsiString& text, double& value) {
    const AnsiString t = Trim(text);
    std::size_t i = 0;
    AnsiString plain;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) plain += t[i++];
    // Digits, in groups of three after a first group of one to three when "," separates them.
    std::size_t digits = 0, group = 0;
    bool grouped = false;
    for (; i < t.size(); ++i) {
        if (IsDigit(t[i])) {
            plain += t[i];
            ++digits;
            ++group;
        } else if (t[i] == ',' && group >= 1 && (grouped ? group == 3 : group <= 3) && i + 1 < t.size() &&
                   IsDigit(t[i + 1])) {
            grouped = true;
            group = 0;
        } else {
            break;
        }
    }
    if (grouped && group != 3) return false;
    if (i < t.size() && t[i] == '.') {
        plain += t[i++];
        for (; i < t.size() && IsDigit(t[i]); ++i, ++digits)
            plain += t[i];
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        plain += t[i++];
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) plain += t[i++];
        std::size_t exponent = 0;
        for (; i < t.size() && IsDigit(t[i]); ++i, ++exponent)
            plain += t[i];
        if (exponent == 0) return false;
    }
    if (i != t.size()) return false;
    char* end = nullptr;
    value = std::strtod(plain.c_str(), &end);
    return end && *end == '\0';
}

// ---- sheets ----

TExcelSheet::TCell& TExcelSheet::CellAt(int row, int column) {
    CheckCell(row, column);
    if (FRows.size() < static_cast<std::size_t>(row)) FRows.resize(row);
    std::vector<TCell>& cells = FRows[row - 1];
    if (cells.size() < static_cast<std::size_t>(column)) cells.resize(column);
    return cells[column - 1];
}

const TExcelSheet::TCell* TExcelSheet::FindCell(int row, int column) const {
    CheckCell(row, column);
    if (FRows.size() < static_cast<std::size_t>(row)) return nullptr;
    const std::vector<TCell>& cells = FRows[row - 1];
    return cells.size() < static_cast<std::size_t>(column) ? nullptr : &cells[column - 1];
}

Variant TExcelSheet::Value(int row, int column) const {
    const TCell* cell = FindCell(row, column);
    return cell ? cell->Value : Variant();
}

void TExcelSheet::SetValue(int row, int column, const Variant& value) {
    TCell& cell = CellAt(row, column);
    cell.Value = CellValue(value, FBook.FStyles[cell.Style].NumberFormat);
    FBook.FChanged = true;
}

const TExcelStyle& TExcelSheet::Style(int row, int column) const {
    const TCell* cell = FindCell(row, column);
    return FBook.FStyles[cell ? cell->Style : 0];
}

void TExcelSheet::SetStyle(int row, int column, const TExcelStyle& style) {
    CellAt(row, column).Style = FBook.StyleIndex(style);
    FBook.FChanged = true;
}

// ---- books ----

std::size_t TExcelBook::TStyleHash::operator()(const TExcelStyle& s) const {
    std::size_t h = std::hash<std::string>()(s.FontName) ^ (std::hash<std::string>()(s.NumberFormat) << 1);
    h ^= std::hash<double>()(s.Size) + 0x9E3779B9 + (h << 6) + (h >> 2);
    h ^= std::hash<int>()(s.Color) + 0x9E3779B9 + (h << 6) + (h >> 2);
    h ^= static_cast<std::size_t>(s.Bold) | (static_cast<std::size_t>(s.Italic) << 1) |
         (static_cast<std::size_t>(s.Strikethrough) << 2) |
         (static_cast<std::size_t>(s.Underline & 0xFFFF) << 3);
    return h;
}

TExcelBook::TExcelBook(int sheetCount) {
    FStyles.emplace_back();
    FStyleIndex.emplace(FStyles.front(), 0);
    for (int i = 1; i <= sheetCount; ++i)
        FSheets.push_back(std::make_unique<TExcelSheet>(*this, "Sheet" + IntToStr(i)));
}

std::uint32_t TExcelBook::StyleIndex(const TExcelStyle& style) {
    auto [it, added] = FStyleIndex.try_emplace(style, static_cast<std::uint32_t>(FStyles.size()));
    if (added) FStyles.push_back(style);
    return it->second;
}

void TExcelBook::RenameSheet(TExcelSheet& sheet, const AnsiString& name) {
    const WideString wide = AnsiToWide(name);
    const bool valid = !wide.empty() && wide.size() <= 31 &&
                       wide.find_first_of(u":\\/?*[]") == WideString::npos && wide.front() != u'\'' &&
                       wide.back() != u'\'';
    if (!valid) throw EExcelError("'" + name + "' is no valid sheet name");
    for (const auto& other : FSheets)
        if (other.get() != &sheet && SameText(other->FName, name))
            throw EExcelError("That name is already taken: '" + name + "'");
    sheet.FName = name;
    FChanged = true;
}

namespace {

lxw_format* MakeFormat(lxw_workbook* book, const TExcelStyle& style) {
    lxw_format* format = workbook_add_format(book);
    if (!style.FontName.empty()) format_set_font_name(format, AnsiToUtf8(style.FontName).c_str());
    if (style.Size > 0) format_set_font_size(format, style.Size);
    if (style.Bold) format_set_bold(format);
    if (style.Italic) format_set_italic(format);
    switch (style.Underline) {
    case xlUnderlineStyleSingle:
        format_set_underline(format, LXW_UNDERLINE_SINGLE);
        break;
    case xlUnderlineStyleDouble:
        format_set_underline(format, LXW_UNDERLINE_DOUBLE);
        break;
    case xlUnderlineStyleSingleAccounting:
        format_set_underline(format, LXW_UNDERLINE_SINGLE_ACCOUNTING);
        break;
    case xlUnderlineStyleDoubleAccounting:
        format_set_underline(format, LXW_UNDERLINE_DOUBLE_ACCOUNTING);
        break;
    default:
        break;
    }
    if (style.Strikethrough) format_set_font_strikeout(format);
    if (style.Color >= 0) format_set_font_color(format, ToRRGGBB(style.Color));
    if (!style.NumberFormat.empty()) format_set_num_format(format, AnsiToUtf8(style.NumberFormat).c_str());
    return format;
}

} // namespace

void TExcelBook::SaveAs(const AnsiString& fileName) {
    const AnsiString target = NativePath(fileName);
    if (target.empty()) throw EExcelError("The file name is empty");
    const std::size_t slash = target.rfind('/');
    if (slash != AnsiString::npos && !std::filesystem::is_directory(slash ? target.substr(0, slash) : "/"))
        throw EExcelError("Cannot access the file '" + fileName + "'");
    // Written beside the target first, so that a failed save leaves an earlier file as it was.
    const AnsiString partial = target + ".partial";
    lxw_workbook* book = workbook_new(partial.c_str());
    if (!book) throw EExcelError("Cannot access the file '" + fileName + "'");
    std::vector<lxw_format*> formats(FStyles.size(), nullptr);
    for (std::size_t i = 1; i < FStyles.size(); ++i)
        formats[i] = MakeFormat(book, FStyles[i]);
    lxw_error failure = LXW_NO_ERROR;
    const auto check = [&failure](lxw_error error) {
        if (failure == LXW_NO_ERROR) failure = error;
    };
    for (const auto& sheet : FSheets) {
        lxw_worksheet* out = workbook_add_worksheet(book, AnsiToUtf8(sheet->FName).c_str());
        if (!out) {
            check(LXW_ERROR_SHEETNAME_ALREADY_USED);
            continue;
        }
        for (std::size_t r = 0; r < sheet->FRows.size(); ++r) {
            const std::vector<TExcelSheet::TCell>& cells = sheet->FRows[r];
            for (std::size_t c = 0; c < cells.size(); ++c) {
                const TExcelSheet::TCell& cell = cells[c];
                const auto row = static_cast<lxw_row_t>(r);
                const auto column = static_cast<lxw_col_t>(c);
                lxw_format* format = formats[cell.Style];
                switch (cell.Value.VType()) {
                case varEmpty:
                    if (format) check(worksheet_write_blank(out, row, column, format));
                    break;
                case varBoolean:
                    check(worksheet_write_boolean(out, row, column, cell.Value.AsBoolean(), format));
                    break;
                case varString:
                case varOleStr:
                    check(worksheet_write_string(out, row, column, Utf8Of(cell.Value).c_str(), format));
                    break;
                default:
                    check(worksheet_write_number(out, row, column, cell.Value.AsFloat(), format));
                    break;
                }
            }
        }
    }
    check(workbook_close(book));
    if (failure != LXW_NO_ERROR) {
        std::remove(partial.c_str());
        throw EExcelError("Cannot save the file '" + fileName + "': " + lxw_strerror(failure));
    }
    if (std::rename(partial.c_str(), target.c_str()) != 0) {
        std::remove(partial.c_str());
        throw EExcelError("Cannot access the file '" + fileName + "'");
    }
    FChanged = false;
}
