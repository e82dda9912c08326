#include <gtest/gtest.h>

#include "classlib/controls/grids.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/db/dbclient.h"
#include "classlib/rtl/codepages.h"
#include "foundation/libColormanage.h"

namespace {

// A grid bound to a data set, as the form's data grids are.
class TColorTestGrid : public TDrawGrid {
    KVR_CLASS(TColorTestGrid, TDrawGrid)
public:
    explicit TColorTestGrid(TComponent* owner) : TDrawGrid(owner) {}
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* value) { FDataSource = value; }

private:
    TDataSource* FDataSource = nullptr;
};
KVR_PUBLISHED(TColorTestGrid, c) {
    c.Property("DataSource", &TColorTestGrid::DataSource, &TColorTestGrid::SetDataSource);
}

// The colour manager of a form: a component the form lacks and one switched off come first, and a
// control whose colour field is missing stands before one that has it.
const char* const kColorXml =
    "<colormanager>"
    "<head>"
    "<component name=\"edtGone\" enable=\"Y\"><condition value=\"x\"/></component>"
    "<component name=\"edtOff\" enable=\"N\"/>"
    "<component name=\"gdHead\" enable=\"Y\">"
    "<condition value=\"LC005 &gt; 1000\" colorx=\"255\" bkcolor=\"16777215\" msg=\"大额\"/>"
    "<condition value=\"LC006 = 'N'\" colorx=\"0\" bkcolor=\"65535\"/>"
    "</component>"
    "<component name=\"edtBank\" enable=\"Y\"/>"
    "<component name=\"edtAmount\" enable=\"Y\"/>"
    "<component name=\"edtNote\" enable=\"Y\"/>"
    "</head>"
    "<body>"
    "<component name=\"LD003\" enable=\"Y\"/>"
    "<component name=\"gdBody1\" enable=\"Y\"/>"
    "</body>"
    "</colormanager>";

class ColorManageTest : public ::testing::Test {
protected:
    void SetUp() override {
        FSavedACP = GetACP();
        SetACP(936);
        form = new TComponent(nullptr);
        gdHead = Make<TColorTestGrid>("gdHead");
        gdBody1 = Make<TColorTestGrid>("gdBody1");
        edtBank = Make<TEdit>("edtBank");
        edtAmount = Make<TEdit>("edtAmount");
        edtNote = Make<TEdit>("edtNote");
        edtNote->SetColor(clBtnFace);
        edtNote->Font()->SetStyle(TFontStyles{fsBold});
        Make<TEdit>("edtOff");
        head = TColorComponents::CreateFromXml(form, "head", kColorXml);
        body = TColorComponents::CreateFromXml(form, "body", kColorXml);
    }
    void TearDown() override {
        head.reset();
        body.reset();
        delete form;
        SetACP(FSavedACP);
    }
    template <class T> T* Make(const char* name) {
        T* component = new T(form);
        component->SetName(name);
        return component;
    }
    // A colour data set of key field "KEY" and one string field per name, with rows of
    // (key, texts...).
    TClientDataSet* ColorData(std::initializer_list<const char*> fields,
                              std::initializer_list<std::vector<const char*>> rows) {
        auto* cds = new TClientDataSet(form);
        cds->FieldDefs()->Add("KEY", ftString, 10);
        for (const char* name : fields)
            cds->FieldDefs()->Add(name, ftString, 100);
        cds->CreateDataSet();
        for (const auto& row : rows) {
            cds->Append();
            for (std::size_t i = 0; i < row.size(); ++i)
                cds->Fields()->Fields(static_cast<int>(i))->SetAsString(row[i]);
            cds->Post();
        }
        return cds;
    }
    // A field of the grid's data, as the grid hands the field of the cell it draws.
    TField* GridField(const char* name) {
        if (!FGridData) {
            FGridData = new TClientDataSet(form);
            for (const char* field : {"LD003", "LD004", "LC005"})
                FGridData->FieldDefs()->Add(field, ftString, 10);
            FGridData->CreateDataSet();
        }
        return FGridData->FieldByName(name);
    }

    TComponent* form = nullptr;
    TColorTestGrid *gdHead = nullptr, *gdBody1 = nullptr;
    TEdit *edtBank = nullptr, *edtAmount = nullptr, *edtNote = nullptr;
    std::unique_ptr<TColorComponents> head, body;
    TClientDataSet* FGridData = nullptr;
    unsigned FSavedACP = 936;
};

TEST_F(ColorManageTest, TheDocumentGivesOneItemPerEnabledComponentTheFormHas) {
    ASSERT_EQ(head->Count(), 4); // edtGone is not on the form, edtOff is switched off
    EXPECT_EQ(head->Items(0)->Component, gdHead);
    EXPECT_EQ(head->Items(1)->Component, edtBank);
    EXPECT_EQ(head->Items(0)->FieldName, "");
    TColorConditions* conditions = head->Items(0)->Conditions();
    ASSERT_EQ(conditions->Count(), 2);
    EXPECT_EQ(conditions->Items(0)->Value, "LC005 > 1000");
    EXPECT_EQ(conditions->Items(0)->ColorX, "255");
    EXPECT_EQ(conditions->Items(0)->BkColor, "16777215");
    EXPECT_EQ(conditions->Items(0)->Msg, "大额");
    EXPECT_EQ(conditions->Items(1)->Msg, "");

    // In the body a field's name makes a column item of gdBody1.
    ASSERT_EQ(body->Count(), 2);
    EXPECT_EQ(body->FindComponent("gdBody1", "LD003"), body->Items(0));
    EXPECT_EQ(body->FindComponent("gdBody1", ""), body->Items(1));
    EXPECT_EQ(body->FindByField("LD003"), body->Items(0));
    EXPECT_EQ(body->FindByField("LD009"), nullptr);

    try {
        TColorComponents::CreateFromXml(form, "head", "<colormanager><head>");
        FAIL() << "bad XML was taken";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "颜色管理xml格式错误");
    }
}

TEST_F(ColorManageTest, AGridCellTakesTheColoursOfItsRecord) {
    TClientDataSet* colors =
        ColorData({"gdHead"}, {{"K1", "bkcolor=255;colorx=65280;bold=Y;italic=Y"},
                               {"K2", "bkcolor=16777215;colorx=16777215"}, // white on white
                               {"K3", "bkcolor=';colorx=';bold='"},        // nothing given
                               {"K4", "colorx=16777215"},                  // white text on the window colour
                               {"K5", "bkcolor=16777215"},                 // the window colour as text colour
                               {"K6", "bkcolor=red;colorx=255"}});         // no number
    const struct {
        const char* Key;
        TColor Brush, Font;
        bool Result;
        TColor ExpectBrush, ExpectFont;
        bool Bold;
    } cases[] = {
        {"K1", clWindow, clWindowText, true, 255, 65280, true},
        {"K2", clWindow, clWindowText, true, clWhite, clBlack, false},
        {"K3", clWindow, clWindowText, true, clWindow, clWindowText, false},
        {"K4", clWindow, clWindowText, true, clWindow, clBlack, false},
        {"K5", clWindow, clWindow, true, clWhite, clBlack, false}, // resolved before inverting
        {"K6", clWindow, clWindowText, false, clWindow, clWindowText, false},
        {"NONE", clWindow, clWindowText, true, clWindow, clWindowText, false},
    };
    for (const auto& c : cases) {
        TBrush brush;
        TFont font;
        brush.SetColor(c.Brush);
        font.SetColor(c.Font);
        EXPECT_EQ(head->ApplyToRecord(gdHead, GridField("LC005"), &brush, &font, colors, c.Key, "KEY"),
                  c.Result)
            << c.Key;
        EXPECT_EQ(brush.Color(), c.ExpectBrush) << c.Key;
        EXPECT_EQ(font.Color(), c.ExpectFont) << c.Key;
        EXPECT_EQ(font.Style().Contains(fsBold), c.Bold) << c.Key;
    }
    EXPECT_EQ(InvertColor(clWindow), clBlack);
    EXPECT_EQ(InvertColor(RGB(0, 100, 255)), RGB(255, 155, 0));
}

// A column item colours its column; a gdBody1 item colours whole rows only when the colour data set
// has a gdBody1 field, and gives way to the column item in its column.
TEST_F(ColorManageTest, BodyItemsColourTheirColumnOrTheWholeRow) {
    TClientDataSet* columnOnly = ColorData({"LD003"}, {{"K1", "bkcolor=255"}});
    TClientDataSet* rows = ColorData({"LD003", "gdBody1"}, {{"K1", "bkcolor=255", "bkcolor=65280"}});
    const struct {
        TClientDataSet* Colors;
        const char* Field;
        TColor Expect;
    } cases[] = {
        {columnOnly, "LD003", 255},
        {columnOnly, "LD004", clWindow},
        {rows, "LD003", 255},
        {rows, "LD004", 65280},
    };
    for (const auto& c : cases) {
        TBrush brush;
        TFont font;
        brush.SetColor(clWindow);
        EXPECT_TRUE(body->ApplyToRecord(gdBody1, GridField(c.Field), &brush, &font, c.Colors, "K1", "KEY"));
        EXPECT_EQ(brush.Color(), c.Expect) << c.Field;
    }
    // The head's grid is not the body's.
    TBrush brush;
    TFont font;
    brush.SetColor(clWindow);
    EXPECT_TRUE(body->ApplyToRecord(gdHead, GridField("LD003"), &brush, &font, rows, "K1", "KEY"));
    EXPECT_EQ(brush.Color(), clWindow);
}

TEST_F(ColorManageTest, ControlsTakeEachRecordsColoursAndStartAgainFromTheirOwn) {
    head->SaveOriginalColors();
    // No field for edtBank: the controls after it are coloured all the same.
    TClientDataSet* colors =
        ColorData({"gdHead", "edtAmount", "edtNote"},
                  {{"K1", "bkcolor=255", "bkcolor=65280;colorx=255;bold=Y", "bkcolor=65280"},
                   {"K2", "bkcolor=255", "", "colorx=12632256"},
                   {"K3", "", "bkcolor=16777215;colorx=16777215;italic=Y", ""}});
    const TColor gridFont = gdHead->Font()->Color();
    colors->First();
    head->ApplyForDataSet(colors);
    EXPECT_EQ(edtAmount->Color(), 65280);
    EXPECT_EQ(edtAmount->Font()->Color(), 255);
    EXPECT_TRUE(edtAmount->Font()->Style().Contains(fsBold));
    EXPECT_EQ(edtNote->Color(), clBtnFace);                 // its own colour is not white: no background
    EXPECT_TRUE(edtNote->Font()->Style().Contains(fsBold)); // its own type stays
    EXPECT_EQ(edtBank->Color(), clWindow);
    EXPECT_EQ(gdHead->Color(), clWindow); // a data grid colours its cells, not itself
    EXPECT_EQ(gdHead->Font()->Color(), gridFont);

    colors->Next(); // nothing for edtAmount: its own colours come back
    head->ApplyForDataSet(colors);
    EXPECT_EQ(edtAmount->Color(), clWindow);
    EXPECT_EQ(edtAmount->Font()->Color(), clWindowText);
    EXPECT_FALSE(edtAmount->Font()->Style().Contains(fsBold));
    EXPECT_EQ(edtNote->Font()->Color(), InvertColor(12632256)); // the button face's own colour

    colors->Next(); // white on white: the text is inverted
    head->ApplyForDataSet(colors);
    EXPECT_EQ(edtAmount->Color(), clWhite);
    EXPECT_EQ(edtAmount->Font()->Color(), clBlack);
    EXPECT_TRUE(edtAmount->Font()->Style().Contains(fsItalic));

    head->RestoreOriginalColors();
    EXPECT_EQ(edtAmount->Color(), clWindow);
    EXPECT_EQ(edtAmount->Font()->Color(), clWindowText);
    EXPECT_TRUE(edtAmount->Font()->Style().Empty());
}

TEST_F(ColorManageTest, AConditionCopiesAllButItsReservedText) {
    TColorConditions conditions;
    TColorCondition* source = conditions.Add();
    source->Value = "A = 1";
    source->ColorX = "255";
    source->BkColor = "0";
    source->Msg = "m";
    source->Reserved = "r";
    source->Checked = true;
    TColorCondition* copy = conditions.Add();
    copy->Assign(source);
    EXPECT_EQ(copy->Value, "A = 1");
    EXPECT_EQ(copy->ColorX, "255");
    EXPECT_EQ(copy->BkColor, "0");
    EXPECT_EQ(copy->Msg, "m");
    EXPECT_TRUE(copy->Checked);
    EXPECT_EQ(copy->Reserved, "");
}

} // namespace
