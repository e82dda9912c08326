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
//
// What a program leaves to the user (a workbook made visible, or still open at Quit or at the end) is
// kept as a file (excelapp.h).
#include "standins/outside/excel/excelapp.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/comserv.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/registry.h"
#include "classlib/rtl/strutils.h"
#include "standins/outside/excel/excelbook.h"

namespace {

// Where kept workbooks go and who hears of written files. Never freed: workbooks are still kept while
// the process's static objects go away.
struct TKeeping {
    std::mutex Lock;
    AnsiString Folder, User, Program;
    std::function<void(const AnsiString&)> Listener;
};
TKeeping& Keeping() {
    static TKeeping& keeping = *new TKeeping;
    return keeping;
}

void TellWritten(const AnsiString& file) {
    std::function<void(const AnsiString&)> listener;
    {
        std::lock_guard<std::mutex> lock(Keeping().Lock);
        listener = Keeping().Listener;
    }
    if (listener) listener(file);
}

// The platform's client folder, as the module's exports find it.
AnsiString ClientFolder() {
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly("Software\\QVN\\Veltrane")) return AnsiString();
    return registry.ReadString("ClientPath");
}

AnsiString KeepingFolder(AnsiString& program) {
    AnsiString folder, user;
    {
        std::lock_guard<std::mutex> lock(Keeping().Lock);
        folder = Keeping().Folder;
        user = Keeping().User;
        program = Keeping().Program.empty() ? AnsiString("Book") : Keeping().Program;
    }
    if (!folder.empty()) {
        folder = NativePath(folder);
    } else if (const AnsiString client = ClientFolder(); !client.empty()) {
        folder = NativePath(client) + "/c_data";
    } else {
        std::error_code failure;
        const std::filesystem::path temp = std::filesystem::temp_directory_path(failure);
        folder = (failure ? AnsiString("/tmp") : AnsiString(temp.string())) + "/c_data";
    }
    return user.empty() ? folder : folder + "/" + user;
}

struct TExcelState;
void KeepBooks(TExcelState& state);

struct TExcelState {
    TExcelState();
    ~TExcelState();
    TExcelState(const TExcelState&) = delete;
    TExcelState& operator=(const TExcelState&) = delete;

    bool Quit = false;
    bool Visible = false;
    int SheetsInNewWorkbook = 3;
    std::vector<std::shared_ptr<TExcelBook>> Books;
    std::shared_ptr<TExcelBook> ActiveBook;
    std::unordered_map<const TExcelBook*, AnsiString> KeptFiles; // where each book was kept before
};
using TState = std::shared_ptr<TExcelState>;

// The applications alive, kept once more when the process ends.
struct TLiveStates {
    std::mutex Lock;
    std::vector<TExcelState*> States;
};
TLiveStates& LiveStates() {
    static TLiveStates& states = *new TLiveStates;
    return states;
}

TExcelState::TExcelState() {
    std::lock_guard<std::mutex> lock(LiveStates().Lock);
    LiveStates().States.push_back(this);
}

// Nothing can be refused any more: a workbook that cannot be kept is reported on the error output.
void KeepBooksAtTheEnd(TExcelState& state) {
    try {
        KeepBooks(state);
    } catch (const Exception& e) {
        std::cerr << "Excel.Application: a workbook could not be kept: " << e.Message() << std::endl;
    }
}

TExcelState::~TExcelState() {
    {
        std::lock_guard<std::mutex> lock(LiveStates().Lock);
        auto& states = LiveStates().States;
        states.erase(std::remove(states.begin(), states.end(), this), states.end());
    }
    KeepBooksAtTheEnd(*this);
}

struct TKeepAtExit {
    ~TKeepAtExit() {
        std::vector<TExcelState*> states;
        {
            std::lock_guard<std::mutex> lock(LiveStates().Lock);
            states = LiveStates().States;
        }
        for (TExcelState* state : states)
            KeepBooksAtTheEnd(*state);
    }
} gKeepAtExit;

// Writes every open workbook changed since it was made, saved or kept; raises EExcelError when one
// cannot be written (the rest are still tried, and none is closed).
void KeepBooks(TExcelState& state) {
    AnsiString failure;
    for (const auto& book : state.Books) {
        if (!book->Changed()) continue;
        AnsiString& file = state.KeptFiles[book.get()];
        try {
            if (file.empty()) {
                AnsiString program;
                const AnsiString folder = KeepingFolder(program);
                std::error_code error;
                std::filesystem::create_directories(folder.c_str(), error);
                if (!std::filesystem::is_directory(folder.c_str()))
                    throw EExcelError("Cannot make the folder '" + folder + "'");
                const AnsiString stem =
                    folder + "/" + program + "_" + FormatDateTime("yyyymmddhhnnss", Now());
                AnsiString name = stem + ".xlsx";
                for (int n = 2; std::filesystem::exists(name.c_str(), error); ++n)
                    name = stem + "_" + IntToStr(n) + ".xlsx";
                book->SaveAs(name);
                file = name;
            } else {
                book->SaveAs(file);
            }
            TellWritten(file);
        } catch (const Exception& e) {
            if (failure.empty()) failure = e.Message();
        }
    }
    if (!failure.empty()) throw EExcelError("The workbook could not be kept: " + failure);
}

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
        const AnsiString file = args[0].Value->AsString();
        FBook->SaveAs(file);
        TellWritten(NativePath(file));
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
    // What the user would now look at is kept.
    void SetVisible(bool value) {
        FState->Visible = value;
        if (value) KeepBooks(*FState);
    }
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
    // Closes every workbook and ends the server; the workbooks are kept first, and stay open when one
    // cannot be.
    void Quit() {
        KeepBooks(*FState);
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

void SetExcelKeeping(const AnsiString& folder, const AnsiString& user, const AnsiString& program) {
    std::lock_guard<std::mutex> lock(Keeping().Lock);
    Keeping().Folder = folder;
    Keeping().User = user;
    Keeping().Program = program;
}

void SetExcelFileListener(std::function<void(const AnsiString& file)> listener) {
    std::lock_guard<std::mutex> lock(Keeping().Lock);
    Keeping().Listener = std::move(listener);
}
