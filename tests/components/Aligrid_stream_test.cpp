// The aligned grid's form-stream properties, byte for byte against expectations written from the
// format (value-type bytes, the record's tags), the older properties it still reads, and grids that go
// out and back through the binary and the text form.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "classlib/objects/formloader.h"
#include "components/Aligrid.h"

namespace {

AnsiString Bytes(std::initializer_list<int> bytes) {
    AnsiString s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}
AnsiString Name(const char* name) {
    return AnsiString(1, static_cast<char>(std::strlen(name))) + name;
}

AnsiString ReadFixture(const char* name) {
    std::ifstream in(std::string(KVR_SOURCE_DIR) + "/tests/components/fixtures/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class AligridStreamTest : public ::testing::Test {
protected:
    AligridStreamTest() {
        Form = new TForm(Application);
        Form->SetName("frmGrid");
    }
    ~AligridStreamTest() override { Form->Free(); }
    // A form of no owner to read into: its name comes from the stream.
    static TForm* NewForm() { return new TForm(nullptr); }
    TStringAlignGrid* AddGrid(TForm* form) {
        auto* grid = new TStringAlignGrid(form);
        grid->SetName("grdLines");
        grid->SetParent(form);
        return grid;
    }
    // The grid's extra properties as written, from the first of them to the end of the stream.
    static AnsiString ExtraProperties(const AnsiString& binary) {
        std::size_t start = binary.find(Name("HintCell"));
        if (start == AnsiString::npos) start = binary.find(Name("Cells"));
        if (start == AnsiString::npos) start = binary.find(Name("PropCell"));
        return start == AnsiString::npos ? AnsiString() : binary.substr(start);
    }
    TForm* Form;
};

TEST_F(AligridStreamTest, AGridWithoutRecordsWritesFiveEmptyLists) {
    auto* grid = AddGrid(Form);
    grid->SetCells(1, 1, "text");
    grid->GetCellControl(3, 3); // asking for a control leaves nothing to write
    grid->GetCellProps(2, 2);   // nor does an empty record
    const AnsiString expected = Name("PropCell") + Bytes({1, 0}) + Name("PropCol") + Bytes({1, 0}) +
                                Name("PropRow") + Bytes({1, 0}) + Name("PropFixedCol") + Bytes({1, 0}) +
                                Name("PropFixedRow") + Bytes({1, 0}) +
                                Bytes({0}); // the grid's properties end
    const AnsiString binary = WriteComponentToBinary(Form);
    EXPECT_EQ(binary.find(Name("HintCell")), AnsiString::npos);
    EXPECT_EQ(binary.find(Name("Cells")), AnsiString::npos); // not read with Cells: texts stay out
    EXPECT_EQ(ExtraProperties(binary).substr(0, expected.size()), expected);
}

TEST_F(AligridStreamTest, RecordsHintsAndValuesByteForByte) {
    auto* grid = AddGrid(Form);
    SetGridCellControl(grid, 1, 2, false, "a\r\nb", TCellControlKind::ctPickList);
    grid->SetAlignCol(2, TMyAlign::alCenter);
    grid->BrushCol(2)->SetColor(clRed);
    grid->SetEditRow(3, false);
    grid->BrushFixedCol(1); // a copy of the fixed brush: clBtnFace, a system colour
    grid->SetFixedAlignRow(0, TMyAlign::alCenter);
    grid->SetHintCell(1, 1, "tip");
    const AnsiString expected =
        Name("HintCell") + Bytes({1, 2, 1, 2, 1, 6, 3, 't', 'i', 'p', 0}) +
        // (1, 2): tag 9, kind 3, text '', count 8, False, lines, '' and '', end.
        Name("PropCell") +
        Bytes({1, 2, 1, 2, 2, 2, 9, 2, 3, 6, 0, 2, 8, 8, 6, 4, 'a', 13, 10, 'b', 6, 0, 6, 0, 2, 0, 0}) +
        // Column 2: align 2, brush (255 as a 16-bit integer, style 0), end.
        Name("PropCol") + Bytes({1, 2, 2, 2, 1, 2, 2, 2, 4, 3, 0xFF, 0, 2, 0, 2, 0, 0}) + Name("PropRow") +
        Bytes({1, 2, 3, 2, 3, 2, 1, 2, 0, 0}) +
        // Fixed column 1: brush clBtnFace as a 32-bit integer.
        Name("PropFixedCol") + Bytes({1, 2, 1, 2, 4, 4, 0x0F, 0, 0, 0x80, 2, 0, 2, 0, 0}) +
        Name("PropFixedRow") + Bytes({1, 2, 0, 2, 1, 2, 2, 2, 0, 0}) + Bytes({0});
    const AnsiString written = ExtraProperties(WriteComponentToBinary(Form));
    EXPECT_EQ(written.substr(0, expected.size()), expected);
    // In the text form: PropFixedRow = (0 1 2 0).
    const AnsiString text = WriteComponentToText(Form);
    EXPECT_NE(text.find("PropFixedRow = (\r\n      0\r\n      1\r\n      2\r\n      0)"), AnsiString::npos)
        << text;
}

TEST_F(AligridStreamTest, ALongMaskIsCutTo255AndABareShortString) {
    auto* grid = AddGrid(Form);
    grid->SetCellEditMask(2, 1, AnsiString(300, '0'));
    const AnsiString binary = WriteComponentToBinary(Form);
    const AnsiString expected =
        Name("PropCell") + Bytes({1, 2, 2, 2, 1, 2, 8, 0xFF}) + AnsiString(255, '0') + Bytes({2, 0, 0});
    EXPECT_NE(binary.find(expected), AnsiString::npos);
    TForm* copy = NewForm();
    ReadComponentFromBinary(copy, binary);
    auto* read = dynamic_cast<TStringAlignGrid*>(copy->FindComponent("grdLines"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetCellEditMask(2, 1), AnsiString(255, '0'));
    copy->Free();
}

TEST_F(AligridStreamTest, OlderPropertiesAndOddEntriesRead) {
    TForm* form = NewForm();
    ReadComponentFromText(form, ReadFixture("aligrid_older.txt"));
    auto* grid = dynamic_cast<TStringAlignGrid*>(form->FindComponent("grdOld"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->FixedRowPropsOf(0)->Align, TMyAlign::alCenter);
    EXPECT_EQ(grid->GetAlignCell(3, 0), TMyAlign::alCenter);
    EXPECT_EQ(grid->CellPropsOf(2, 3)->Align, TMyAlign::alRight);
    EXPECT_EQ(grid->ColPropsOf(2)->Editable, 2);
    EXPECT_EQ(grid->ColPropsOf(3)->Editable, 1);
    EXPECT_EQ(grid->CellPropsOf(1, 2)->Editable, 0); // 255 + 1 leaves it not set
    EXPECT_EQ(grid->GetCellColor(3, 2), clRed);
    EXPECT_EQ(grid->GetSelectedCellColor(1, 2), clLime);
    EXPECT_EQ(grid->GetHintCell(1, 1), "tip");
    EXPECT_EQ(grid->Cells(1, 1), "abc");
    EXPECT_EQ(grid->Cells(2, 2), "def");
    EXPECT_EQ(grid->ColPropsOf(1)->Align, TMyAlign::alCenter); // index 65537 is column 1
    ASSERT_NE(grid->GetCellPickList(4, 4), nullptr);
    EXPECT_TRUE(grid->GetCellPickList(4, 4)->ListOnly);
    EXPECT_EQ(grid->GetCellPickList(4, 4)->DropDownCount, 5);
    EXPECT_EQ(grid->GetCellPickList(4, 4)->Count(), 2);
    EXPECT_EQ(grid->CellPropsOf(3, 3)->Wordwrap, T_Wordwrap::ww_wordwrap); // tag 12 skipped, no value

    // Saved again: the older names go, their content in the Prop... form; Cells and hints are kept.
    const AnsiString text = WriteComponentToText(form);
    EXPECT_EQ(text.find("FixedAlignRow"), AnsiString::npos);
    EXPECT_EQ(text.find("ColorCol"), AnsiString::npos);
    EXPECT_NE(text.find("PropFixedRow = (\r\n      0\r\n      1\r\n      2\r\n      0)"), AnsiString::npos)
        << text;
    EXPECT_NE(text.find("Cells = ("), AnsiString::npos);
    EXPECT_NE(text.find("HintCell = ("), AnsiString::npos);
    form->Free();
}

TEST_F(AligridStreamTest, CellsAreWrittenAsShownAndOnlyWhenRead) {
    TForm* form = NewForm();
    ReadComponentFromText(form, "object frmOld: TForm\r\n  object grdOld: TStringAlignGrid\r\n"
                                "    Cells = (1 1 'abc')\r\n  end\r\nend\r\n");
    auto* grid = dynamic_cast<TStringAlignGrid*>(form->FindComponent("grdOld"));
    SetGridCellControl(grid, 2, 1, false, "Y;N", TCellControlKind::ctCheckBox);
    grid->SetCells(2, 1, "?");
    grid->SetCells(1, 1, "");
    const AnsiString binary = WriteComponentToBinary(form);
    EXPECT_NE(binary.find(Name("Cells") + Bytes({1, 2, 2, 2, 1, 6, 1, 'N', 0})), AnsiString::npos);
    form->Free();
}

TEST_F(AligridStreamTest, BadStreamsRaiseTheReadError) {
    const char* bad[] = {
        "    PropCol = (1 'x' 0)\r\n",                        // a string where a tag is expected
        "    PropCol = (1 1 2\r\n",                           // a list not closed
        "    PropCell = (1 1 9 7 '' 8 False '' '' '' 0)\r\n", // no such control kind
        "    PropRow = (1 3 7 0)\r\n",                        // editable is 1 or 2
    };
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        TForm* form = NewForm();
        EXPECT_THROW(ReadComponentFromText(
                         form, AnsiString("object frmOld: TForm\r\n  object grdOld: TStringAlignGrid\r\n") +
                                   line + "  end\r\nend\r\n"),
                     EReadError);
        form->Free();
    }
}

TEST_F(AligridStreamTest, AGridGoesOutAndBackUnchanged) {
    auto* grid = AddGrid(Form);
    grid->SetColCount(6);
    grid->SetAlignCell(1, 1, TMyAlign::alRight);
    grid->GetCellProps(1, 1)->Wordwrap = T_Wordwrap::ww_ellipsis;
    grid->FontCell(2, 2)->SetStyle(TFontStyles{fsBold, fsUnderline});
    grid->FontRow(3)->SetName("Courier New");
    grid->SetSelectedColorCell(3, 3, clYellow);
    grid->GetCellProps(4, 4)->SetSelectedFont(grid->Font());
    SetGridCellControl(grid, 5, -1, true, "甲\r\n乙", TCellControlKind::ctPickList);
    SetGridCellControl(grid, -1, 4, false, "是;否", TCellControlKind::ctCheckBox);
    SetGridCellControl(grid, 1, 3, false, "...", TCellControlKind::ctText);
    grid->SetHintCell(2, 1, "提示");
    const AnsiString first = WriteComponentToBinary(Form);
    // Binary to text and back gives the same bytes; a grid read from either writes them again.
    EXPECT_EQ(ObjectTextToBinary(ObjectBinaryToText(first)), first);
    TForm* copy = NewForm();
    ReadComponentFromText(copy, ObjectBinaryToText(first));
    EXPECT_EQ(WriteComponentToBinary(copy), first);
    auto* read = dynamic_cast<TStringAlignGrid*>(copy->FindComponent("grdLines"));
    EXPECT_EQ(read->GetWordwrapCell(1, 1), T_Wordwrap::ww_ellipsis);
    EXPECT_EQ(read->GetCellFont(2, 2)->Style(), (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(read->GetCellPickList(5, 2)->Get(1), "乙");
    EXPECT_EQ(read->GetCellControlInfo(3, 4)->UncheckedText(), "否");
    EXPECT_EQ(read->GetCellControlInfo(1, 3)->Text(), "...");
    copy->Free();
}

} // namespace
