// The document forms' data grid by its picture: alternating and focused row colours, the blank area
// below the rows, bitmap check boxes, ledger amount cells; a click below the rows appends.
#include <gtest/gtest.h>

#include "classlib/controls/forms.h"
#include "classlib/graphics/bitmap.h"
#include "components/FDBGrid.h"

namespace {

class FDBGridTest : public ::testing::Test {
protected:
    FDBGridTest() {
        Form = new TForm(Application);
        Form->SetName("frmHead");
        Form->SetBounds(0, 0, 500, 400);
        Cds = new TwwClientDataSet(Form);
        Cds->FieldDefs()->Add("CODE", ftString, 6);
        Cds->FieldDefs()->Add("DONE", ftBoolean);
        Cds->FieldDefs()->Add("AMT", ftFloat);
        Cds->CreateDataSet();
        for (int i = 1; i <= 3; ++i) {
            Cds->Append();
            Cds->FieldByName("CODE")->SetAsString("C" + std::to_string(i));
            Cds->FieldByName("DONE")->SetAsBoolean(i == 2);
            Cds->FieldByName("AMT")->SetAsFloat(1234.5 * i);
            Cds->Post();
        }
        Cds->First();
        Ds = new TwwDataSource(Form);
        Ds->SetDataSet(Cds);
        Grid = new TFDBGrid(Form);
        Grid->SetName("gdHead");
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 400, 200);
        Grid->SetDataSource(Ds);
        Grid->Selected()->Add("CODE\t6\tCode");
        Grid->Selected()->Add("DONE\t4\tDone");
        Grid->Selected()->Add("AMT\t16\tAmount");
        Form->Show();
    }
    ~FDBGridTest() override { Form->Free(); }
    TBitmap& Picture() {
        FPicture = std::make_unique<TBitmap>();
        PaintControlPicture(Grid, FPicture.get());
        return *FPicture;
    }
    // A pixel inside a cell, off its text: near its bottom right corner.
    TColor CellBackground(TBitmap& picture, int col, int row) {
        TRect r = Grid->CellRect(col, row);
        return picture.Pixel(r.Right - 2, r.Bottom - 2);
    }
    TForm* Form;
    TwwClientDataSet* Cds;
    TwwDataSource* Ds;
    TFDBGrid* Grid;
    std::unique_ptr<TBitmap> FPicture;
};

TEST_F(FDBGridTest, RowsAlternateAndTheBlankAreaGoesOn) {
    TFDBGridColors* colors = Grid->GridColors();
    TBitmap& picture = Picture();
    EXPECT_EQ(CellBackground(picture, 1, 1), colors->FocusRecColor()); // the current record
    EXPECT_EQ(CellBackground(picture, 1, 2), colors->EvenRecColor());
    EXPECT_EQ(CellBackground(picture, 1, 3), colors->OddRecColor());
    // The last row was odd: the blank rows below go on even, then odd.
    TRect last = Grid->CellRect(1, 3);
    const int rowStep = Grid->DefaultRowHeight() + Grid->GridLineWidth();
    EXPECT_EQ(picture.Pixel(last.Left + 5, last.Bottom + rowStep / 2), colors->EvenRecColor());
    EXPECT_EQ(picture.Pixel(last.Left + 5, last.Bottom + rowStep + rowStep / 2), colors->OddRecColor());
    // The indicator column goes on in the title colour.
    EXPECT_EQ(picture.Pixel(5, last.Bottom + rowStep / 2), ColorToRGB(Grid->TitleColor()));

    // Without the blank grid the area keeps the grid's colour.
    Grid->SetGrawGridInBlank(false);
    EXPECT_EQ(Picture().Pixel(last.Left + 5, last.Bottom + rowStep / 2), ColorToRGB(Grid->Color()));
}

TEST_F(FDBGridTest, AnInsertedRecordTakesTheColourOfItsPlace) {
    Cds->Next();
    Cds->Insert(); // before C2: rows C1, new, C2, C3
    TBitmap& picture = Picture();
    EXPECT_EQ(Grid->CellText(1, 3), "C2");
    EXPECT_EQ(CellBackground(picture, 1, 2), Grid->GridColors()->FocusRecColor());
    EXPECT_EQ(CellBackground(picture, 1, 3), Grid->GridColors()->OddRecColor());
    EXPECT_EQ(CellBackground(picture, 1, 4), Grid->GridColors()->EvenRecColor());
}

TEST_F(FDBGridTest, BooleanCellsShowTheBitmapBoxes) {
    TBitmap& picture = Picture();
    TBitmap checked;
    checked.LoadFromResourceName("CHECKED");
    for (int row : {2, 3}) {
        TRect r = Grid->CellRect(2, row);
        int x = r.Left + (r.Width() - checked.Width()) / 2 + 2,
            y = r.Top + (r.Height() - checked.Height()) / 2 + 1;
        EXPECT_EQ(picture.Pixel(x + 2, y + 2), clWhite) << row;                      // inside the box
        EXPECT_EQ(picture.Pixel(x + 3, y + 6), row == 2 ? clBlack : clWhite) << row; // the tick
    }
}

TEST_F(FDBGridTest, LedgerCellsDrawOneBoxPerDigit) {
    TCurrencyStyle* style = Grid->CHNCurrencyFields();
    style->SetCurrencyNames("AMT=2");
    style->Set_Enabled(true);
    int invalidated = Grid->InvalidateCount();
    TBitmap& picture = Picture();
    EXPECT_EQ(Grid->InvalidateCount(), invalidated); // painting sets nothing that repaints
    EXPECT_EQ(style->DigitalNumber(), 10);
    // The amount cell of row 2 holds the red line of the decimal point.
    TRect r = Grid->CellRect(3, 2);
    int red = 0;
    for (int x = r.Left; x < r.Right; ++x)
        red += picture.Pixel(x, r.Top + 1) == 255;
    EXPECT_EQ(red, 1);
}

TEST(CurrencyStyle, DrawsDigitsLinesAndMarks) {
    TCurrencyStyle style;
    style.SetFixColWidth(false);
    style.SetDigitalNumber(12);
    style.SetColorUseGridCellColor(false);
    TBitmap bitmap;
    bitmap.SetSize(131, 20);
    TCanvas* canvas = bitmap.Canvas();
    // Twelve columns of 10 pixels and 11 lines of 1 in 131 pixels: line i at x = 10 + 11 i.
    style.DrawCurrencyCell(canvas, {0, 0, 131, 20}, false, 0, 2, 12.5);
    EXPECT_EQ(bitmap.Pixel(109, 5), 255);  // the decimal point: two columns right of it
    EXPECT_EQ(bitmap.Pixel(76, 5), 32768); // thousands
    EXPECT_EQ(bitmap.Pixel(43, 5), 32768); // millions
    EXPECT_EQ(bitmap.Pixel(98, 5), 12632256);
    auto inked = [&](int left) {
        for (int x = left; x < left + 10; ++x)
            for (int y = 0; y < 20; ++y)
                if (bitmap.Pixel(x, y) != 16777215) return true;
        return false;
    };
    EXPECT_TRUE(inked(121)); // the last decimal, "0"
    EXPECT_TRUE(inked(88));  // "1" of 12.50
    EXPECT_FALSE(inked(77)); // left of it: empty
    // Too wide for the columns: "#" marks in every column.
    style.DrawCurrencyCell(canvas, {0, 0, 131, 20}, false, 0, 2, 1e15);
    EXPECT_TRUE(inked(11));
    // Nothing to divide by: the cell is filled and no digit drawn.
    style.SetDigitalNumber(0);
    EXPECT_NO_THROW(style.DrawCurrencyCell(canvas, {0, 0, 131, 20}, false, 0, 2, 12.5));
    style.SetFixColWidth(true);
    EXPECT_NO_THROW(style.DrawCurrencyCell(canvas, {0, 0, 2, 20}, false, 0, 2, 12.5));
    // Field entries, with and without places.
    style.SetCurrencyNames("TA018;TA019=4;TA020=x");
    int d = 0;
    EXPECT_TRUE(style.FieldDecimals("TA019", d));
    EXPECT_EQ(d, 4);
    EXPECT_TRUE(style.FieldDecimals("ta020", d));
    EXPECT_EQ(d, 2);
    EXPECT_FALSE(style.FieldDecimals("TA01", d));
}

TEST_F(FDBGridTest, AClickBelowTheRowsAppends) {
    TRect last = Grid->CellRect(3, 3);
    Grid->SetKeyOptions({dgAllowInsert});
    Grid->MouseClickAt(last.Left + 3, last.Bottom + 30);
    ASSERT_EQ(Cds->State(), dsInsert);
    EXPECT_TRUE(Cds->Appending());
    EXPECT_EQ(Grid->Col(), 3);
    // Again on the empty new record: only the column moves.
    TRect first = Grid->CellRect(1, 1);
    Grid->MouseClickAt(first.Left + 3, Grid->CellRect(1, 4).Bottom + 30);
    EXPECT_EQ(Cds->State(), dsInsert);
    EXPECT_EQ(Grid->Col(), 1);
    Cds->Cancel();
    // A read-only data set appends nothing.
    Cds->SetReadOnly(true);
    Grid->MouseClickAt(last.Left + 3, last.Bottom + 30);
    EXPECT_EQ(Cds->State(), dsBrowse);
}

} // namespace
