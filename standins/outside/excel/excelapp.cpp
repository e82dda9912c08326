// The spreadsheet program's automation server "Excel.Application", as far as the module drives it:
//
//   Application: Visible, SheetsInNewWorkbook (1-255), Workbooks, ActiveWorkbook, ActiveSheet, Quit
//   Workbooks:   Add([template]) -> Workbook (with SheetsInNewWorkbook sheets "Sheet1", ...), Count
//   Workbook:    ActiveSheet, SaveAs(FileName, ...) (an ".xlsx" workbook, whatever the extension)
//   Worksheet:   Name, Cells(Row, Column) -> Range
//   Range:       Select, Value, NumberFormatLocal, Font
//   Font:        Name, FontStyle, Underline, Strikethrough, Size, Color, ColorIndex
//
// The server speaks the simplified-Chinese locale: NumberFormatLocal "G/通用格式" is the General
// format, and FontStyle takes "Bold", "Italic", "Bold Italic", "Regular" or the Chinese "加粗",
// "倾斜", "常规". A value written as text becomes a number when it reads as one, unless the cell's
// format is text ("@"). Anything else fails as the real server fails: an unknown member, a value a
// property cannot take, a cell outside the sheet; after Quit every object of the server is
// disconnected and every call on it fails.
#include <memory>
#include <vector>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/comserv.h"
#include "classlib/rtl/strutils.h"
#include "standins/outside/excel/excelbook.h"

namespace {

struct TExcelState {
    bool Quit = false;
    bool Visible = false;
    int SheetsInNewWorkbook = 3;
    std::vector<std::shared_ptr<TExcelBook>> Books;
    std::shared_ptr<TExcelBook> ActiveBook;
};
using TState = std::shared_ptr<TExcelState>;

class TExcelObject : public TAutoObject {
public:
    Variant Invoke(const AnsiString& name, Word flags, TDispArgs args) override {
        if (FState->Quit) throw EOleError("The object invoked has disconnected from its clients");
        return TAutoObject::Invoke(name, flags, args);
    }

protected:
    explicit TExcelObject(TState state) : FState(std::move(state)) {}
    TState FState;
};

[[noreturn]] void CannotSet(const char* property, const char* cls) {
    throw EExcelError(AnsiString("Unable to set the ") + property + " property of the " + cls + " class");
}

// One cell of a sheet: the book keeps the sheet alive.
struct TCellRef {
    std::shared_ptr<TExcelBook> Book;
    TExcelSheet* Sheet;
    int Row, Column;

    const TExcelStyle& Style() const { return Sheet->Style(Row, Column); }
    template <class F> void ChangeStyle(F&& change) const {
        TExcelStyle style = Style();
        change(style);
        Sheet->SetStyle(Row, Column, style);
    }
};

class TExcelFont : public TExcelObject {
public:
    TExcelFont(TState state, TCellRef cell) : TExcelObject(std::move(state)), FCell(std::move(cell)) {}

    AnsiString Name() const {
        const AnsiString& name = FCell.Style().FontName;
        return name.empty() ? AnsiString(ExcelDefaultFontName) : name;
    }
    void SetName(const AnsiString& value) {
        if (Trim(value).empty()) CannotSet("Name", "Font");
        FCell.ChangeStyle([&](TExcelStyle& s) { s.FontName = value; });
    }
    AnsiString FontStyle() const {
        const TExcelStyle& s = FCell.Style();
        if (s.Bold && s.Italic) return "Bold Italic";
        if (s.Bold) return "Bold";
        if (s.Italic) return "Italic";
        return "Regular";
    }
    void SetFontStyle(const AnsiString& value) {
        const AnsiString upper = UpperCase(value);
        const bool bold = upper.find("BOLD") != AnsiString::npos || value.find("加粗") != AnsiString::npos;
        const bool italic =
            upper.find("ITALIC") != AnsiString::npos || value.find("倾斜") != AnsiString::npos;
        const bool regular = SameText(Trim(value), "Regular") || Trim(value) == "常规";
        if (!bold && !italic && !regular) CannotSet("FontStyle", "Font");
        FCell.ChangeStyle([&](TExcelStyle& s) {
            s.Bold = bold;
            s.Italic = italic;
        });
    }
    int Underline() const { return FCell.Style().Underline; }
    void SetUnderline(int value) {
        if (value == -1) value = xlUnderlineStyleSingle; // True
        if (value == 0) value = xlUnderlineStyleNone;    // False
        if (value != xlUnderlineStyleNone && value != xlUnderlineStyleSingle &&
            value != xlUnderlineStyleDouble && value != xlUnderlineStyleSingleAccounting &&
            value != xlUnderlineStyleDoubleAccounting)
            CannotSet("Underline", "Font");
        FCell.ChangeStyle([&](TExcelStyle& s) { s.Underline = value; });
    }
    bool Strikethrough() const { return FCell.Style().Strikethrough; }
    void SetStrikethrough(bool value) {
        FCell.ChangeStyle([&](TExcelStyle& s) { s.Strikethrough = value; });
    }
    double Size() const {
        const double size = FCell.Style().Size;
        return size > 0 ? size : ExcelDefaultFontSize;
    }
    void SetSize(double value) {
        if (!(value >= 1 && value <= 409)) CannotSet("Size", "Font");
        FCell.ChangeStyle([&](TExcelStyle& s) { s.Size = value; });
    }
    double Color() const { return FCell.Style().Color < 0 ? 0 : FCell.Style().Color; }
    void SetColor(double value) {
        if (!(value >= 0 && value <= 0xFFFFFF)) CannotSet("Color", "Font");
        FCell.ChangeStyle([&](TExcelStyle& s) { s.Color = static_cast<TColor>(value); });
    }
    int ColorIndex() const {
        const TColor color = FCell.Style().Color;
        return color < 0 ? xlColorIndexAutomatic : ExcelPaletteIndex(color);
    }
    void SetColorIndex(int value) {
        TColor color = -1;
        if (value != xlColorIndexAutomatic && value != xlColorIndexNone) {
            color = ExcelPaletteColor(value);
            if (color < 0) CannotSet("ColorIndex", "Font");
        }
        FCell.ChangeStyle([&](TExcelStyle& s) { s.Color = color; });
    }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("Name", &TExcelFont::Name, &TExcelFont::SetName),
            AutoProperty("FontStyle", &TExcelFont::FontStyle, &TExcelFont::SetFontStyle),
            AutoProperty("Underline", &TExcelFont::Underline, &TExcelFont::SetUnderline),
            AutoProperty("Strikethrough", &TExcelFont::Strikethrough, &TExcelFont::SetStrikethrough),
            AutoProperty("Size", &TExcelFont::Size, &TExcelFont::SetSize),
            AutoProperty("Color", &TExcelFont::Color, &TExcelFont::SetColor),
            AutoProperty("ColorIndex", &TExcelFont::ColorIndex, &TExcelFont::SetColorIndex),
        };
        return members;
    }

private:
    TCellRef FCell;
};

// The local name of the General format.
constexpr const char* GeneralLocal = "G/通用格式";

class TExcelRange : public TExcelObject {
public:
    TExcelRange(TState state, TCellRef cell) : TExcelObject(std::move(state)), FCell(std::move(cell)) {}

    bool Select() { return true; }
    Variant Value() const { return FCell.Sheet->Value(FCell.Row, FCell.Column); }
    void SetValue(const Variant& value) { FCell.Sheet->SetValue(FCell.Row, FCell.Column, value); }
    AnsiString NumberFormatLocal() const {
        const AnsiString& format = FCell.Style().NumberFormat;
        return format.empty() ? AnsiString(GeneralLocal) : format;
    }
    void SetNumberFormatLocal(const AnsiString& value) {
        const bool general = value == GeneralLocal || SameText(value, "General");
        FCell.ChangeStyle([&](TExcelStyle& s) { s.NumberFormat = general ? AnsiString() : value; });
    }
    Variant Font() const { return Variant(new TExcelFont(FState, FCell)); }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoMethod("Select", &TExcelRange::Select),
            AutoProperty("Value", &TExcelRange::Value, &TExcelRange::SetValue),
            AutoProperty("NumberFormatLocal", &TExcelRange::NumberFormatLocal,
                         &TExcelRange::SetNumberFormatLocal),
            AutoProperty("Font", &TExcelRange::Font),
        };
        return members;
    }

private:
    TCellRef FCell;
};

class TExcelWorksheet : public TExcelObject {
public:
    TExcelWorksheet(TState state, std::shared_ptr<TExcelBook> book, TExcelSheet& sheet)
        : TExcelObject(std::move(state)), FBook(std::move(book)), FSheet(sheet) {}

    AnsiString Name() const { return FSheet.Name(); }
    void SetName(const AnsiString& value) { FBook->RenameSheet(FSheet, value); }
    Variant Cells(int row, int column) const {
        FSheet.Style(row, column); // a cell outside the sheet fails here, as the real Cells does
        return Variant(new TExcelRange(FState, TCellRef{FBook, &FSheet, row, column}));
    }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("Name", &TExcelWorksheet::Name, &TExcelWorksheet::SetName),
            AutoProperty("Cells", &TExcelWorksheet::Cells),
        };
        return members;
    }

private:
    std::shared_ptr<TExcelBook> FBook;
    TExcelSheet& FSheet;
};

class TExcelWorkbook : public TExcelObject {
public:
    TExcelWorkbook(TState state, std::shared_ptr<TExcelBook> book)
        : TExcelObject(std::move(state)), FBook(std::move(book)) {}

    Variant ActiveSheet() const { return Variant(new TExcelWorksheet(FState, FBook, FBook->Sheet(0))); }
    // The file name, then the optional arguments of the real call (format, passwords, ...), not used.
    void SaveAs(TDispArgs args) {
        if (args.empty()) throw EOleError("Invalid number of parameters for 'SaveAs'");
        FBook->SaveAs(args[0].Value->AsString());
    }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("ActiveSheet", &TExcelWorkbook::ActiveSheet),
            AutoMethod("SaveAs", &TExcelWorkbook::SaveAs),
        };
        return members;
    }

private:
    std::shared_ptr<TExcelBook> FBook;
};

class TExcelWorkbooks : public TExcelObject {
public:
    explicit TExcelWorkbooks(TState state) : TExcelObject(std::move(state)) {}

    // The optional template argument is not used: a new book is always empty.
    Variant Add(TDispArgs args) {
        if (args.size() > 1) throw EOleError("Invalid number of parameters for 'Add'");
        auto book = std::make_shared<TExcelBook>(FState->SheetsInNewWorkbook);
        FState->Books.push_back(book);
        FState->ActiveBook = book;
        return Variant(new TExcelWorkbook(FState, book));
    }
    int Count() const { return static_cast<int>(FState->Books.size()); }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoMethod("Add", &TExcelWorkbooks::Add),
            AutoProperty("Count", &TExcelWorkbooks::Count),
        };
        return members;
    }
};

class TExcelApplication : public TExcelObject {
public:
    TExcelApplication() : TExcelObject(std::make_shared<TExcelState>()) {}

    bool Visible() const { return FState->Visible; }
    void SetVisible(bool value) { FState->Visible = value; }
    int SheetsInNewWorkbook() const { return FState->SheetsInNewWorkbook; }
    void SetSheetsInNewWorkbook(int value) {
        if (value < 1 || value > 255) CannotSet("SheetsInNewWorkbook", "Application");
        FState->SheetsInNewWorkbook = value;
    }
    Variant Workbooks() const { return Variant(new TExcelWorkbooks(FState)); }
    // Nothing (an unset object) while no workbook is open.
    Variant ActiveWorkbook() const {
        if (!FState->ActiveBook) return Variant(static_cast<IDispatch*>(nullptr));
        return Variant(new TExcelWorkbook(FState, FState->ActiveBook));
    }
    Variant ActiveSheet() const {
        if (!FState->ActiveBook) return Variant(static_cast<IDispatch*>(nullptr));
        return Variant(new TExcelWorksheet(FState, FState->ActiveBook, FState->ActiveBook->Sheet(0)));
    }
    // Closes every workbook without saving and ends the server.
    void Quit() {
        FState->Books.clear();
        FState->ActiveBook.reset();
        FState->Quit = true;
    }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("Visible", &TExcelApplication::Visible, &TExcelApplication::SetVisible),
            AutoProperty("SheetsInNewWorkbook", &TExcelApplication::SheetsInNewWorkbook,
                         &TExcelApplication::SetSheetsInNewWorkbook),
            AutoProperty("Workbooks", &TExcelApplication::Workbooks),
            AutoProperty("ActiveWorkbook", &TExcelApplication::ActiveWorkbook),
            AutoProperty("ActiveSheet", &TExcelApplication::ActiveSheet),
            AutoMethod("Quit", &TExcelApplication::Quit),
        };
        return members;
    }
};

TAutoObjectFactory gExcelFactory("Excel.Application", [] { return Variant(new TExcelApplication); });

} // namespace
