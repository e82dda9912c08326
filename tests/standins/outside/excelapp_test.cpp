#include <algorithm>
#include <fstream>

#include "SpreadsheetTest.h"
#include "classlib/automation/comobj.h"
#include "classlib/automation/comserv.h"
#include "standins/outside/excel/excelapp.h"

namespace {

// The server as the module reaches it: by name, through the class registry file of the data folder.
// What it keeps goes to the user "kept"'s folder in the test's folder, and the files it writes are listed.
class ExcelServerTest : public SpreadsheetTest {
protected:
    void SetUp() override {
        SpreadsheetTest::SetUp();
        SetExcelKeeping(FFolder.string(), "kept", "KVRX58");
        SetExcelFileListener([this](const AnsiString& file) { written.push_back(file); });
        SetClassRegistryFileName(std::string(KVR_BINARY_DIR) + "/data/classes.ini");
        app = CreateOleObject("Excel.Application");
        VarSet(app, "SheetsInNewWorkbook", 1);
        book = VarCall(VarGet(app, "Workbooks"), "Add");
        sheet = VarGet(book, "ActiveSheet");
    }
    void TearDown() override {
        app.Clear();
        book.Clear();
        sheet.Clear();
        SetClassRegistryFileName("");
        SetExcelFileListener(nullptr);
        SetExcelKeeping("", "", "");
        SpreadsheetTest::TearDown();
    }
    // The files in the keeping folder, by name.
    std::vector<std::string> Kept() const {
        std::vector<std::string> names;
        std::error_code missing;
        for (const auto& entry : std::filesystem::directory_iterator(FFolder / "kept", missing))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> written;
    Variant Cell(int row, int column) const { return VarGet(sheet, "Cells", {row, column}); }
    Variant FontOf(int row, int column) const { return VarGet(Cell(row, column), "Font"); }

    Variant app, book, sheet;
};

TEST_F(ExcelServerTest, AWorkbookSavedIsReadBackWithItsValuesFontsAndFormats) {
    VarSet(app, "Visible", false);
    EXPECT_FALSE(VarGet(app, "Visible").AsBoolean());
    VarSet(sheet, "Name", "信用证");
    VarSet(Cell(1, 1), "Value", "开证行");
    VarSet(Cell(1, 2), "Value", 42);
    VarSet(Cell(1, 3), "Value", true);
    VarSet(Cell(2, 1), "NumberFormatLocal", "@");
    VarSet(Cell(2, 1), "Value", "00123");
    VarSet(Cell(2, 2), "NumberFormatLocal", "0_ ");
    VarSet(Cell(2, 2), "Value", 7);
    VarSet(Cell(2, 3), "NumberFormatLocal", "#,##0.00_ ");
    VarSet(Cell(2, 3), "Value", -1234.5);
    VarSet(Cell(2, 4), "NumberFormatLocal", "G/通用格式");
    VarSet(Cell(2, 4), "Value", "12.5");
    const Variant font = FontOf(2, 3);
    VarSet(font, "Name", "宋体");
    VarSet(font, "FontStyle", "Bold Italic");
    VarSet(font, "Underline", 2);
    VarSet(font, "Strikethrough", true);
    VarSet(font, "Size", 14);
    VarSet(font, "Color", 255);
    VarSet(FontOf(1, 1), "ColorIndex", 5);
    VarSet(FontOf(1, 2), "FontStyle", "加粗");
    EXPECT_EQ(VarGet(FontOf(2, 3), "FontStyle").AsString(), "Bold Italic");
    EXPECT_EQ(VarGet(FontOf(2, 3), "ColorIndex").AsInteger(), 3); // red in the palette
    EXPECT_EQ(VarGet(Cell(2, 4), "NumberFormatLocal").AsString(), "G/通用格式");
    VarCall(book, "SaveAs", {Path("book.xls")});

    const TReadBook read = ReadBack(Path("book.xls"));
    ASSERT_TRUE(read.Error.empty()) << read.Error;
    EXPECT_EQ(read.Format, "xlsx");
    ASSERT_EQ(read.SheetNames, std::vector<std::string>{u8"信用证"});
    const struct {
        int Row, Column;
        const char* Type;
        const char* Value;
        const char* Format;
    } cells[] = {
        {0, 0, "text", u8"开证行", "General"}, {0, 1, "number", "42.0", "General"},
        {0, 2, "bool", "1", "General"},        {1, 0, "text", "00123", "@"},
        {1, 1, "number", "7.0", "0_ "},        {1, 2, "number", "-1234.5", "#,##0.00_ "},
        {1, 3, "number", "12.5", "General"},
    };
    for (const auto& c : cells) {
        const TReadCell& cell = read.At(0, c.Row, c.Column);
        EXPECT_EQ(cell.Type, c.Type) << c.Row << "," << c.Column;
        EXPECT_EQ(cell.Value, c.Value) << c.Row << "," << c.Column;
        EXPECT_EQ(cell.NumberFormat, c.Format) << c.Row << "," << c.Column;
    }
    const TReadCell& styled = read.At(0, 1, 2);
    EXPECT_EQ(styled.FontName, u8"宋体");
    EXPECT_TRUE(styled.Bold);
    EXPECT_TRUE(styled.Italic);
    EXPECT_EQ(styled.Underline, "single");
    EXPECT_TRUE(styled.Strike);
    EXPECT_DOUBLE_EQ(styled.Size, 14);
    EXPECT_EQ(styled.Color, "FF0000");
    EXPECT_EQ(read.At(0, 0, 0).Color, "0000FF");
    EXPECT_TRUE(read.At(0, 0, 1).Bold);
    EXPECT_FALSE(read.At(0, 1, 0).Bold);
    EXPECT_EQ(read.At(0, 1, 0).Color, "auto");
}

// A typed text becomes a number unless its cell is formatted as text: the rule that makes a code lose
// its zeros when the "@" goes elsewhere.
TEST_F(ExcelServerTest, TextsBecomeNumbersUnlessTheirCellIsText) {
    const struct {
        const char* Format; // nullptr: General
        const char* Written;
        TVarType Expected;
        const char* Read;
    } cases[] = {
        {nullptr, "00123", varDouble, "123"},    {"@", "00123", varString, "00123"},
        {nullptr, "'00123", varString, "00123"}, {nullptr, " -1,234.50 ", varDouble, "-1234.5"},
        {nullptr, "1,23", varString, "1,23"},    {nullptr, "12A", varString, "12A"},
        {nullptr, "1e3", varDouble, "1000"},     {"0_ ", "5", varDouble, "5"},
    };
    int row = 1;
    for (const auto& c : cases) {
        const Variant cell = Cell(row++, 2);
        if (c.Format) VarSet(cell, "NumberFormatLocal", c.Format);
        VarSet(cell, "Value", c.Written);
        const Variant value = VarGet(cell, "Value");
        EXPECT_EQ(value.VType(), c.Expected) << c.Written;
        EXPECT_EQ(VarToStr(value), c.Read) << c.Written;
    }
    // Formatting a cell as text afterwards does not turn its number back into the code.
    VarSet(Cell(20, 1), "Value", "007");
    VarSet(Cell(20, 1), "NumberFormatLocal", "@");
    EXPECT_EQ(VarToStr(VarGet(Cell(20, 1), "Value")), "7");
}

TEST_F(ExcelServerTest, WhatTheServerRefusesRaises) {
    for (const Variant& object : {app, book, sheet, Cell(1, 1), FontOf(1, 1)})
        EXPECT_THROW(VarGet(object, "NoSuchMember"), EOleError);
    const struct {
        Variant Object;
        const char* Property;
        Variant Value;
    } refused[] = {
        {FontOf(1, 1), "Underline", 7},
        {FontOf(1, 1), "Size", 0},
        {FontOf(1, 1), "ColorIndex", 99},
        {FontOf(1, 1), "FontStyle", "Heavy"},
        {FontOf(1, 1), "Color", -1},
        {app, "SheetsInNewWorkbook", 0},
        {sheet, "Name", "a/b"},
        {sheet, "Name", AnsiString(32, 'n')},
        {sheet, "Name", ""},
        {Cell(1, 1), "Value", VarArrayCreate({0, 1}, varVariant)},
    };
    for (const auto& r : refused)
        EXPECT_THROW(VarSet(r.Object, r.Property, r.Value), EOleException) << r.Property;
    // A cell holds 32767 characters, however many bytes they take.
    EXPECT_THROW(VarSet(Cell(1, 1), "Value", AnsiString(32768, 'x')), EOleException);
    AnsiString wide;
    for (int i = 0; i < 16000; ++i)
        wide += "证";
    VarSet(Cell(1, 1), "Value", wide);
    EXPECT_EQ(VarGet(Cell(1, 1), "Value").AsString(), wide);
    EXPECT_THROW(Cell(0, 1), EOleException);
    EXPECT_THROW(Cell(1, 16385), EOleException);
    EXPECT_THROW(Cell(1048577, 1), EOleException);

    // Two sheets of one book cannot share a name, in any case; sheets of two books can.
    VarSet(app, "SheetsInNewWorkbook", 2);
    const Variant two = VarCall(VarGet(app, "Workbooks"), "Add");
    EXPECT_EQ(VarGet(VarGet(app, "Workbooks"), "Count").AsInteger(), 2);
    EXPECT_EQ(VarGet(VarGet(app, "ActiveSheet"), "Name").AsString(), "Sheet1");
    EXPECT_THROW(VarSet(VarGet(two, "ActiveSheet"), "Name", "SHEET2"), EOleException);
    VarSet(sheet, "Name", "Sheet2");

    // A save that cannot be made leaves nothing behind.
    EXPECT_THROW(VarCall(book, "SaveAs", {Path("no/such/folder/x.xls")}), EOleException);
    EXPECT_FALSE(std::filesystem::exists(Path("no/such/folder")));
}

TEST_F(ExcelServerTest, AfterQuitEveryObjectIsDisconnected) {
    const Variant cell = Cell(1, 1);
    VarCall(app, "Quit");
    for (const Variant& object : {app, book, sheet, cell})
        EXPECT_THROW(VarGet(object, "Name"), EOleError);
    // A new server starts afresh.
    const Variant again = CreateOleObject("Excel.Application");
    EXPECT_EQ(VarGet(VarGet(again, "Workbooks"), "Count").AsInteger(), 0);
    EXPECT_TRUE(VarIsEmpty(VarGet(again, "ActiveSheet")));
}

// ---- workbooks left to the user ----

TEST_F(ExcelServerTest, AWorkbookLeftToTheUserIsKeptOnceInTheKeepingFolder) {
    // What the program does after writing "开证行" into A1 of its workbook.
    enum TEnd { Shown, Quit, Released, SavedThenShownAndQuit, ShownWrittenAgainThenQuit, NothingWritten };
    const struct {
        const char* Name;
        TEnd End;
        std::size_t KeptFiles;
        const char* Value; // what A1 of the kept file holds
    } cases[] = {
        {"made visible", Shown, 1, u8"开证行"},
        {"quit", Quit, 1, u8"开证行"},
        {"every reference released", Released, 1, u8"开证行"},
        {"saved by the program", SavedThenShownAndQuit, 0, nullptr},
        {"changed after being kept", ShownWrittenAgainThenQuit, 1, u8"受益人"},
        {"an empty workbook", NothingWritten, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove_all(FFolder / "kept");
        std::filesystem::remove(Path("mine.xls"));
        written.clear();
        app = CreateOleObject("Excel.Application");
        book = VarCall(VarGet(app, "Workbooks"), "Add");
        sheet = VarGet(book, "ActiveSheet");
        if (c.End != NothingWritten) VarSet(Cell(1, 1), "Value", "开证行");
        switch (c.End) {
        case Shown:
            VarSet(app, "Visible", true);
            break;
        case Quit:
            VarCall(app, "Quit");
            break;
        case Released:
            break;
        case SavedThenShownAndQuit:
            VarCall(book, "SaveAs", {Path("mine.xls")});
            VarSet(app, "Visible", true);
            VarCall(app, "Quit");
            break;
        case ShownWrittenAgainThenQuit:
            VarSet(app, "Visible", true);
            VarSet(Cell(1, 1), "Value", "受益人");
            VarCall(app, "Quit");
            break;
        case NothingWritten:
            VarSet(app, "Visible", true);
            VarCall(app, "Quit");
            break;
        }
        app.Clear();
        book.Clear();
        sheet.Clear();
        const std::vector<std::string> kept = Kept();
        ASSERT_EQ(kept.size(), c.KeptFiles);
        if (c.End == SavedThenShownAndQuit) {
            EXPECT_EQ(written, std::vector<AnsiString>{Path("mine.xls")});
            EXPECT_TRUE(std::filesystem::exists(Path("mine.xls")));
        }
        if (kept.empty()) continue;
        // Named by the program and the time, as the file exports are.
        EXPECT_TRUE(kept[0].size() == 26 && kept[0].compare(0, 7, "KVRX58_") == 0 &&
                    kept[0].compare(21, 5, ".xlsx") == 0)
            << kept[0];
        const std::string file = (FFolder / "kept" / kept[0]).string();
        EXPECT_EQ(written.back(), file);
        const TReadBook read = ReadBack(file);
        ASSERT_TRUE(read.Error.empty()) << read.Error;
        EXPECT_EQ(read.Format, "xlsx");
        EXPECT_EQ(read.At(0, 0, 0).Value, c.Value);
    }
}

TEST_F(ExcelServerTest, TwoWorkbooksKeptInOneSecondGetTwoFiles) {
    VarSet(Cell(1, 1), "Value", 1);
    const Variant second = VarCall(VarGet(app, "Workbooks"), "Add");
    VarSet(VarGet(VarGet(second, "ActiveSheet"), "Cells", {1, 1}), "Value", 2);
    VarCall(app, "Quit");
    const std::vector<std::string> kept = Kept();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1].substr(0, kept[0].size() - 5) + ".xlsx", kept[0]); // NAME.xlsx and NAME_2.xlsx
    EXPECT_EQ(ReadBack((FFolder / "kept" / kept[0]).string()).At(0, 0, 0).Value, "1.0");
    EXPECT_EQ(ReadBack((FFolder / "kept" / kept[1]).string()).At(0, 0, 0).Value, "2.0");
}

TEST_F(ExcelServerTest, AWorkbookThatCannotBeKeptStaysOpenAndTheProgramHearsWhy) {
    // A file where the keeping folder should be.
    std::ofstream(Path("kept")) << "not a folder";
    VarSet(Cell(1, 1), "Value", "开证行");
    EXPECT_THROW(VarSet(app, "Visible", true), EOleException);
    EXPECT_THROW(VarCall(app, "Quit"), EOleException);
    // Still open: the program can save it elsewhere, and then quit.
    EXPECT_EQ(VarToStr(VarGet(Cell(1, 1), "Value")), "开证行");
    VarCall(book, "SaveAs", {Path("elsewhere.xlsx")});
    VarCall(app, "Quit");
    EXPECT_EQ(ReadBack(Path("elsewhere.xlsx")).At(0, 0, 0).Value, u8"开证行");
    EXPECT_TRUE(written.size() == 1 && written[0] == Path("elsewhere.xlsx"));
}

} // namespace
