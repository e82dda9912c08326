// The user-settings document written, read back and applied to a form: visibility, labels, pages,
// combo items, the required flag and the order of a grid's columns; and grid columns fitted to a width.
#include <gtest/gtest.h>

#include "classlib/controls/comctrls.h"
#include "classlib/controls/extctrls.h"
#include "classlib/controls/forms.h"
#include "classlib/dbctrls/wwdbgrid.h"
#include "foundation/LibVCLs.h"
#include "foundation/MT_Doc.h"

namespace {

TEST(MTDoc, BooleansAreWholeWords) {
    struct Case {
        const char* value;
        bool result;
    } cases[] = {{"N", false}, {"false", false}, {" 0 ", false}, {"No", true},  {"", true},
                 {"Y", true},  {"-1", true},     {"F", true},    {"ALS", true}, {"||", true}};
    for (const Case& c : cases)
        EXPECT_EQ(MTBoolValue(c.value), c.result) << c.value;
}

class MTDocForm : public ::testing::Test {
protected:
    MTDocForm() {
        Form = new TForm(Application);
        Form->SetName("frmDoc");
        Form->SetBounds(0, 0, 600, 400);
        Head = Add<TPanel>("pnlHead");
        Pages = Add<TPageControl>("pgHead");
        Sheet = new TTabSheet(Form);
        Sheet->SetName("tbsOther");
        Sheet->SetPageControl(Pages);
        Sheet->SetCaption("Other");
        Edit = Add<TEdit>("edTA005");
        Label = Add<TLabel>("lblTA005");
        Combo = Add<TwwDBComboBox>("cboUDF01");
        Cds = new TwwClientDataSet(Form);
        for (int i = 1; i <= 12; ++i)
            Cds->FieldDefs()->Add("TB0" + AnsiString(i < 10 ? "0" : "") + std::to_string(i), ftString, 10);
        Cds->CreateDataSet();
        Ds = new TwwDataSource(Form);
        Ds->SetDataSet(Cds);
        Grid = Add<TwwDBGrid>("gdBody1");
        Grid->SetDataSource(Ds);
    }
    ~MTDocForm() override { Form->Free(); }
    template <class T> T* Add(const char* name) {
        auto* control = new T(Form);
        control->SetName(name);
        control->SetParent(Form);
        return control;
    }
    TForm* Form;
    TPanel* Head;
    TPageControl* Pages;
    TTabSheet* Sheet;
    TEdit* Edit;
    TLabel* Label;
    TwwDBComboBox* Combo;
    TwwClientDataSet* Cds;
    TwwDataSource* Ds;
    TwwDBGrid* Grid;
};

TEST_F(MTDocForm, AWrittenDocumentReadsBackAndApplies) {
    TMT_Doc written;
    written.SetComponentSetting("edTA005", "DCVisible", "N");
    written.SetComponentSetting("edTA005", "Required", "-1");
    written.SetComponentSetting("edTA005", "Parent", "Other");
    written.SetComponentSetting("lblTA005", "DisplayLabel", "Bank");
    written.SetComponentSetting("lblTA005", "Left", "oops"); // one bad number: that setting only
    written.SetComponentSetting("lblTA005", "Top", "33");
    written.SetComponentSetting("cboUDF01", "Items", "One\r\nTwo");
    written.SetComponentSetting("tbsOther", "DCVisible", "false");
    // Twelve columns in reverse order: 12 must come after 2.
    for (int i = 1; i <= 12; ++i)
        written.SetFieldSetting("gdBody1", "TB0" + AnsiString(i < 10 ? "0" : "") + std::to_string(i), "Index",
                                std::to_string(12 - i));
    written.SetFieldSetting("gdBody1", "TB003", "DisplayLabel", "Qty");
    written.SetFieldSetting("gdBody1", "TB004", "DCVisible", "N");
    written.SetFieldSetting("gdBody1", "TB005", "Required", "-1");

    std::unique_ptr<TMT_Doc> doc(TMT_Doc::CreateFromXml(written.Xml()));
    AnsiString text;
    doc->GetComponentProperty("lblTA005", "DisplayLabel", text);
    EXPECT_EQ(text, "Bank");
    doc->GetFieldProperty("gdBody1", "TB003", text, "DisplayLabel");
    EXPECT_EQ(text, "Qty");
    doc->GetComponentProperty("lblTA005", "Nothing", text);
    EXPECT_EQ(text, "");

    doc->ApplyToForm(Form);
    EXPECT_FALSE(Edit->Visible());
    EXPECT_EQ(Edit->Parent(), Sheet); // the page whose caption is the value
    EXPECT_EQ(Label->Caption(), "Bank");
    EXPECT_EQ(Label->Top(), 33);
    EXPECT_EQ(Combo->Items()->Count(), 1);
    EXPECT_EQ(Combo->Items()->Get(0), "One\tTwo");
    EXPECT_FALSE(Sheet->TabVisible());

    doc->ApplyToGrid(Grid, "gdBody1");
    EXPECT_EQ(Cds->Fields()->Fields(0)->FieldName(), "TB012");
    EXPECT_EQ(Cds->Fields()->Fields(2)->FieldName(), "TB010");
    EXPECT_EQ(Cds->Fields()->Fields(11)->FieldName(), "TB001");
    EXPECT_EQ(Cds->FieldByName("TB003")->DisplayLabel(), "Qty");
    EXPECT_FALSE(Cds->FieldByName("TB004")->Visible());
    EXPECT_TRUE(Cds->FieldByName("TB005")->Required());
    // The grid follows: eleven visible columns in the new order, titled.
    ASSERT_EQ(Grid->ColumnCount(), 11);
    EXPECT_EQ(Grid->Columns()[0].FieldName, "TB012");
    EXPECT_EQ(Grid->Columns()[8].Title, "Qty"); // TB004 hidden

    AnsiString ids;
    doc->GetNodeIDs("Components/*[Required='-1']", ids);
    EXPECT_EQ(ids, "TA005");
    doc->GetNodeIDs("gdBody1/*[Required='-1']", ids);
    EXPECT_EQ(ids, "TB005");
}

TEST(MTDoc, TextThatIsNoXmlRaises) {
    EXPECT_THROW(delete TMT_Doc::CreateFromXml("<MT_User"), EOleError);
    TMT_Doc empty;
    AnsiString text;
    empty.GetFieldProperty("gdHead", "TA001", text, "Index");
    EXPECT_EQ(text, "");
    EXPECT_NE(empty.Xml().find("<Components"), AnsiString::npos);
}

TEST_F(MTDocForm, FitGridColumnsWidensTheColumnsOrTheParent) {
    Cds->Close();
    Cds->FieldDefs()->Clear();
    Cds->FieldDefs()->Add("A", ftString, 4);
    Cds->FieldDefs()->Add("B", ftString, 4);
    Cds->CreateDataSet();
    Grid->SetBounds(0, 0, 300, 100);
    const int a = Grid->ColWidths(1), b = Grid->ColWidths(2);
    const int used = Grid->ColWidths(0) + 1 + a + 1 + b + 1 + HorzScrollBarHeight + 2;
    FitGridColumns(Grid);
    const int share = (Grid->ClientWidth() - used) / 2;
    EXPECT_EQ(Grid->ColWidths(1), a + share);
    EXPECT_EQ(Grid->ColWidths(2), b + share);
    EXPECT_EQ(Grid->ColWidths(0), 11);
    EXPECT_TRUE(Grid->Enabled());
    // Columns that fill the width already widen the parent instead.
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(0, 0, 100, 100);
    Grid->SetParent(panel);
    Grid->SetBounds(0, 0, 60, 100);
    FitGridColumns(Grid);
    EXPECT_GT(panel->ClientWidth(), 100);
}

} // namespace
