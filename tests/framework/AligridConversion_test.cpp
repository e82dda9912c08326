// The aligned string grid on a form converted for a BIG5 user interface: its texts as shown, hints,
// fonts and pick lists, reached by the code converter through the grid's class name.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/rtl/codepages.h"
#include "components/Aligrid.h"
#include "foundation/CodeConverter.h"
#include "foundation/TempPlatform.h"

namespace {

AnsiString Big5(const WideString& text) {
    return WideToAnsi(text, 950);
}

class AligridConversionTest : public TempPlatform {
protected:
    void SetUp() override {
        TempPlatform::SetUp();
        SetPlatformKey({{"ClientPath", "C:\\Veltrane\\"}});
        WriteFile("C:\\Veltrane\\VeltraneC.ini", "[CodePage]\r\nUICodePage=950\r\nDBCodePage=936\r\n");
        FForm = std::make_unique<TForm>(nullptr);
        Grid = new TStringAlignGrid(FForm.get());
        Grid->SetName("agLines");
        Grid->SetParent(FForm.get());
    }
    void TearDown() override {
        FForm.reset();
        TempPlatform::TearDown();
    }
    std::unique_ptr<TForm> FForm;
    TStringAlignGrid* Grid = nullptr;
};

TEST_F(AligridConversionTest, TextsHintsFontsAndPickListsTakeTheUserInterfacesCodePage) {
    Grid->SetCells(1, 0, "金额");
    Grid->SetCells(1, 1, "银行");
    Grid->SetHint("网格");
    Grid->SetHintCell(1, 1, "开证银行");
    SetGridCellControl(Grid, 2, -1, true, "美元\r\n港币", TCellControlKind::ctPickList);
    SetGridCellControl(Grid, 3, 1, false, "是;否", TCellControlKind::ctCheckBox);
    Grid->FontCol(1)->SetStyle(TFontStyles{fsBold});
    Grid->FontCol(1)->SetName("Arial");
    TCodeConverter converter(nullptr);
    ASSERT_EQ(converter.UIConvertMode(), 2);
    converter.ConvertForm(FForm.get());

    EXPECT_EQ(Grid->Cells(1, 0), Big5(u"金額"));
    EXPECT_EQ(Grid->Cells(1, 1), Big5(u"銀行"));
    EXPECT_EQ(Grid->GetHintCell(1, 1), Big5(u"開證銀行"));
    EXPECT_FALSE(Grid->HasCellHint(2, 2)); // the grid's hint is not copied into the cells
    EXPECT_EQ(Grid->GetCellPickList(2, 3)->Get(1), Big5(u"港幣"));
    // A check-box cell gets its text as shown, converted.
    EXPECT_EQ(Grid->Cells(3, 1), Big5(u"否"));
    // The column's own font takes the BIG5 character set and keeps its style; no cell gained a font.
    EXPECT_EQ(Grid->GetCellFont(1, 2)->Charset(), CHINESEBIG5_CHARSET);
    EXPECT_EQ(Grid->GetCellFont(1, 2)->Style(), TFontStyles{fsBold});
    EXPECT_EQ(Grid->CellPropsOf(1, 2), nullptr);
    EXPECT_EQ(Grid->FixedFont()->Charset(), CHINESEBIG5_CHARSET);
    EXPECT_EQ(Grid->Font()->Charset(), CHINESEBIG5_CHARSET);
}

} // namespace
