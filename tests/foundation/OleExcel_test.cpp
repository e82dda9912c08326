#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TempPlatform.h"
#include "classlib/automation/autoobj.h"
#include "classlib/automation/comserv.h"
#include "classlib/controls/forms.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/files.h"
#include "foundation/OleExcel.h"
#include "readback/ReadBack.h"

namespace {

class OleExcelTest : public TempPlatform {
protected:
    void SetUp() override {
        TempPlatform::SetUp();
        SetClassRegistryFileName(std::string(KVR_BINARY_DIR) + "/data/classes.ini");
        excel = std::make_unique<TOLEExcel>(nullptr);
    }
    void TearDown() override {
        excel.reset();
        SetClassRegistryFileName("");
        TempPlatform::TearDown();
    }
    std::unique_ptr<TOLEExcel> excel;
};

TEST_F(OleExcelTest, NumberFormatFollowsTypeDecimalsAndThousandSign) {
    const struct {
        TNumberType Type;
        Word Decimals;
        const char* Thousand;
        const char* Format;
    } cases[] = {
        {tp_Number4, 0, ",", "#,##0_ "}, // no decimal point without decimals
        {tp_Number4, 2, ",", "#,##0.00_ "},
        {tp_Number4, 2, "", "0.00_ "}, // no thousands part without a sign
        {tp_Number1, 2, ",", "#,##0.00_);(#,##0.00)"},
        {tp_Number2, 1, "", "0.0_);(0.0)"},
        {tp_Number3, 3, ",", "#,##0.000;#,##0.000"},
        {tp_Number5, 2, ",", "#,##0.00_ ;-#,##0.00 "},
        {tp_Number5, 0, "", "0_ ;-0 "},
    };
    for (const auto& c : cases) {
        excel->SetNumberType(c.Type);
        excel->SetDecimals(c.Decimals);
        excel->SetThousandSign(c.Thousand);
        EXPECT_EQ(excel->NumberFormat(), c.Format)
            << c.Type << " " << c.Decimals << " '" << c.Thousand << "'";
    }
    EXPECT_EQ(TOLEExcel::CompareFloat(1, 1 + 5e-9), 0);
    EXPECT_EQ(TOLEExcel::CompareFloat(0, -0.01), -1);
    EXPECT_EQ(TOLEExcel::CompareFloat(0, 0.01), 1);
}

TEST_F(OleExcelTest, DefaultsAndTheUserInterfaceCodePageOfTheClient) {
    EXPECT_TRUE(excel->AutoCloseExcel());
    EXPECT_EQ(excel->NumberType(), tp_Number4);
    EXPECT_EQ(excel->ThousandSign(), ",");
    EXPECT_EQ(excel->DecimalSeparator(), '.');
    EXPECT_EQ(excel->UICodePage(), "936");
    const AnsiString client = "C:\\Veltrane\\Client\\";
    SetPlatformKey({{"ClientPath", client}});
    WriteFile(client + "VeltraneC.ini",
              "[CodePage]\r\nUICodePage=950\r\n[Server Information]\r\nComputerName=a\r\n");
    EXPECT_EQ(TOLEExcel(nullptr).UICodePage(), "950");

    // As a data module's stream holds it.
    TDataModule module(nullptr);
    ReadComponentFromText(&module,
                          "object dmSingle: TDataModule\r\n"
                          "  object OLEExcel1: TOLEExcel\r\n"
                          "    AutoCloseExcel = True\r\n    ExceptRaise = True\r\n    Visible = False\r\n"
                          "    NumberType = tp_Number2\r\n    Decimals = 3\r\n"
                          "    ThousandSign = ','\r\n    UICodePage = '950'\r\n"
                          "  end\r\nend\r\n");
    auto* streamed = dynamic_cast<TOLEExcel*>(module.FindComponent("OLEExcel1"));
    ASSERT_NE(streamed, nullptr);
    EXPECT_EQ(streamed->UICodePage(), "950");
    EXPECT_EQ(streamed->NumberFormat(), "#,##0.000_);(#,##0.000)");
}

// Every cell writer formats the cell it writes: a code written as text keeps its zeros, and A1 stays
// as it was.
TEST_F(OleExcelTest, CellsWrittenAreReadBackWithTheirFormatsAndFonts) {
    excel->SetConnected(true);
    ASSERT_TRUE(excel->Connected());
    excel->SetVisible(false);
    excel->NewWorkbook();
    excel->SetSheetName("KVRX58");
    excel->SetDecimals(2);
    TFont font;
    font.SetName("宋体");
    font.SetSize(12);
    font.SetStyle(TFontStyles{fsBold, fsUnderline});
    TFont plain;
    plain.SetName("Arial");
    plain.SetSize(9);
    plain.SetStyle(TFontStyles{fsItalic, fsStrikeOut});

    excel->WriteText(1, 1, &font, false, "信用证号");
    excel->WriteText(3, 2, &font, true, "00123");
    excel->WriteText(3, 3, nullptr, false, "00456");
    excel->WriteInteger(4, 2, true, 42);
    excel->WriteInteger(4, 3, false, 43);
    excel->WriteNumber(5, 2, &plain, true, -1234.5);
    excel->WriteNumber(5, 3, &plain, true, 1234.5);
    excel->WriteNumber(5, 4, nullptr, true, -2.25);
    excel->WriteNumber(5, 5, nullptr, false, 0.125);
    excel->SelectCell(1, 1);
    const AnsiString file = "C:\\Export\\KVRX58_20240203090507.xls";
    ASSERT_TRUE(ForceDirectories("C:\\Export"));
    excel->SaveAs(file);
    excel->SetConnected(false);
    EXPECT_FALSE(excel->Connected());

    const TReadBook book = ReadBack(NativePath(file));
    ASSERT_TRUE(book.Error.empty()) << book.Error;
    EXPECT_EQ(book.SheetNames, std::vector<std::string>{"KVRX58"});
    const struct {
        int Row, Column;
        const char* Type;
        const char* Value;
        const char* Format;
        const char* Color;
    } cells[] = {
        {0, 0, "text", u8"信用证号", "General", "auto"}, // A1 is not made a text cell
        {2, 1, "text", "00123", "@", "auto"},
        {2, 2, "number", "456.0", "General", "auto"}, // not as text: the spreadsheet reads a number
        {3, 1, "number", "42.0", "0_ ", "auto"},
        {3, 2, "number", "43.0", "General", "auto"},
        {4, 1, "number", "-1234.5", "#,##0.00_ ", "FF0000"}, // negative with a font: red
        {4, 2, "number", "1234.5", "#,##0.00_ ", "auto"},
        {4, 3, "number", "-2.25", "#,##0.00_ ", "auto"}, // without a font: the default colour
        {4, 4, "number", "0.125", "General", "auto"},
    };
    for (const auto& c : cells) {
        const TReadCell& cell = book.At(0, c.Row, c.Column);
        EXPECT_EQ(cell.Type, c.Type) << c.Row << "," << c.Column;
        EXPECT_EQ(cell.Value, c.Value) << c.Row << "," << c.Column;
        EXPECT_EQ(cell.NumberFormat, c.Format) << c.Row << "," << c.Column;
        EXPECT_EQ(cell.Color, c.Color) << c.Row << "," << c.Column;
    }
    const TReadCell& bold = book.At(0, 2, 1);
    EXPECT_EQ(bold.FontName, u8"宋体");
    EXPECT_DOUBLE_EQ(bold.Size, 12);
    EXPECT_TRUE(bold.Bold);
    EXPECT_FALSE(bold.Italic);
    EXPECT_EQ(bold.Underline, "single");
    EXPECT_FALSE(bold.Strike);
    const TReadCell& italic = book.At(0, 4, 1);
    EXPECT_EQ(italic.FontName, "Arial");
    EXPECT_DOUBLE_EQ(italic.Size, 9);
    EXPECT_FALSE(italic.Bold);
    EXPECT_TRUE(italic.Italic);
    EXPECT_EQ(italic.Underline, "none");
    EXPECT_TRUE(italic.Strike);
}

// A stand-in server that records what it is asked; it plays workbook, sheet, cell and font as well.
class TRecordingExcel : public TAutoObject {
public:
    explicit TRecordingExcel(std::vector<std::string>& log) : FLog(log) {}
    Variant Invoke(const AnsiString& name, Word flags, TDispArgs args) override {
        std::string entry = name;
        if (flags & DISPATCH_PROPERTYPUT) {
            entry += "=" + VarToStr(*args.back().Value);
        } else if (!args.empty()) {
            for (std::size_t i = 0; i < args.size(); ++i)
                entry += (i ? "," : "(") + VarToStr(*args[i].Value);
            entry += ")";
        }
        FLog.push_back(entry);
        for (const char* object : {"WorkBooks", "Add", "ActiveSheet", "Cells", "Font"})
            if (name == object) return Variant(this);
        return Variant();
    }

private:
    std::vector<std::string>& FLog;
};

class OleExcelCallsTest : public OleExcelTest {
protected:
    void SetUp() override {
        OleExcelTest::SetUp();
        FRegistration = RegisterOleObjectFactory("Excel.Application",
                                                 [this] { return Variant(new TRecordingExcel(log)); });
    }
    void TearDown() override {
        OleExcelTest::TearDown();
        RevokeOleObjectFactory(FRegistration);
    }
    std::vector<std::string> log;
    int FRegistration = 0;
};

TEST_F(OleExcelCallsTest, NothingIsAskedOfAServerThatIsNotThere) {
    excel->SetVisible(true);
    excel->NewWorkbook();
    excel->SetSheetName("x");
    excel->SaveAs("x.xls");
    excel->SelectCell(1, 1);
    excel->SetConnected(false);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(excel->Visible());
    // The cell writers need a sheet.
    EXPECT_THROW(excel->WriteText(1, 1, nullptr, true, "x"), EOleError);
    EXPECT_THROW(excel->WriteNumber(1, 1, nullptr, true, 1), EOleError);
}

TEST_F(OleExcelCallsTest, TheServerQuitsOnDisconnectAndDestroyOnlyWhenAutoClosing) {
    excel->SetConnected(true);
    excel->SetVisible(true);
    EXPECT_TRUE(excel->Visible());
    excel->NewWorkbook();
    excel->SetConnected(false);
    EXPECT_EQ(log, (std::vector<std::string>{"Visible=True", "SheetsInNewWorkbook=1", "WorkBooks", "Add",
                                             "ActiveSheet", "Quit"}));
    log.clear();
    excel->SetConnected(true);
    excel.reset();
    EXPECT_EQ(log, std::vector<std::string>{"Quit"});

    log.clear();
    TOLEExcel keep(nullptr);
    keep.SetAutoCloseExcel(false);
    keep.SetConnected(true);
    keep.SetConnected(false);
    EXPECT_TRUE(log.empty());
}

TEST_F(OleExcelCallsTest, AFontGoesOnTheCellWithItsStyleAndNegativesInRed) {
    excel->SetConnected(true);
    excel->NewWorkbook();
    log.clear();
    TFont font;
    font.SetName("宋体");
    font.SetSize(10);
    font.SetStyle(TFontStyles{fsBold, fsItalic});
    excel->WriteNumber(7, 3, &font, true, -0.5);
    EXPECT_EQ(log, (std::vector<std::string>{"Cells(7,3)", "NumberFormatLocal=#,##0_ ", "Font", "Color=255",
                                             "Name=宋体", "FontStyle=Bold Italic", "Underline=-4142",
                                             "Strikethrough=False", "Size=10", "Value=-0.5"}));
    log.clear();
    font.SetStyle(TFontStyles{});
    excel->WriteText(2, 4, &font, true, "007");
    EXPECT_EQ(log,
              (std::vector<std::string>{"Cells(2,4)", "NumberFormatLocal=@", "Font", "Name=宋体",
                                        "Underline=-4142", "Strikethrough=False", "Size=10", "Value=007"}));
}

} // namespace
