// The labelled data-aware edits and combo boxes (label placement, the pick button and its dialog or F2
// request) and the attached label.
#include <gtest/gtest.h>

#include "classlib/controls/dialogs.h"
#include "classlib/db/dbclient.h"
#include "components/DBLabel.h"
#include "components/F2Button.h"
#include "components/QvComboBox.h"
#include "components/QvDBComboBox.h"
#include "components/QvDBEdit.h"

namespace {

// A form that records the F2 lookups asked of it.
class TF2Form : public TForm {
    KVR_CLASS(TF2Form, TForm)
    KVR_MESSAGES(TF2Form)
public:
    explicit TF2Form(TComponent* owner) : TForm(owner) {}
    std::vector<LPARAM> Lookups;
    void WMF2Lookup(TMessage& message) { Lookups.push_back(message.LParam); }
};

} // namespace

KVR_MESSAGE_MAP(TF2Form, m) {
    m.Handle(WM_F2LOOKUP, &TF2Form::WMF2Lookup);
}
KVR_PUBLISHED(TF2Form, c) {
    (void)c;
}

namespace {

struct TRecorder : TObject {
    std::vector<TObject*> Dialogs;
    void Dialog(TObject* sender) { Dialogs.push_back(sender); }
};

class LabelledTest : public ::testing::Test {
protected:
    LabelledTest() {
        Form = new TF2Form(Application);
        Form->SetBounds(0, 0, 400, 300);
        Cds = new TClientDataSet(Form);
        Cds->FieldDefs()->Add("TA003", ftString, 10);
        Cds->CreateDataSet();
        Cds->FieldByName("TA003")->SetDisplayLabel("供应商");
        Cds->Append();
        Cds->Post();
        Ds = new TDataSource(Form);
        Ds->SetDataSet(Cds);
    }
    ~LabelledTest() override {
        Application->SetModalDriver(nullptr);
        Form->Free();
    }
    template <class T> T* Add(int left, int top, int width, int height) {
        auto* control = new T(Form);
        control->SetParent(Form);
        control->SetBounds(left, top, width, height);
        return control;
    }
    // Fixes the label's size to 24 x 13, as a caption of that size would have.
    static void SizeLabel(TLabel* label) {
        label->SetAutoSize(false);
        label->SetBounds(label->Left(), label->Top(), 24, 13);
    }
    TF2Form* Form;
    TClientDataSet* Cds;
    TDataSource* Ds;
    TRecorder Rec;
};

TEST_F(LabelledTest, LabelPlacedOnEverySide) {
    struct Case {
        TLabelPosition position;
        int left, top;
    } cases[] = {
        {lpLeft, 48, 7},
        {lpRight, 76 + 100 + 4, 7},
        {lpAbove, 76, 3 - 13 - 4},
        {lpBelow, 76, 3 + 21 + 4},
    };
    auto* edit = Add<TQvDBEdit>(76, 3, 100, 21);
    ASSERT_NE(edit->EditLabel(), nullptr);
    EXPECT_EQ(edit->EditLabel()->Name(), "EditLabel");
    EXPECT_EQ(edit->EditLabel()->FocusControl(), edit);
    EXPECT_EQ(edit->EditLabel()->Parent(), Form);
    SizeLabel(edit->EditLabel());
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.position));
        edit->SetLabelPosition(c.position);
        EXPECT_EQ(edit->EditLabel()->Left(), c.left);
        EXPECT_EQ(edit->EditLabel()->Top(), c.top);
    }
    edit->SetLabelPosition(lpLeft);
    edit->SetLabelSpacing(-1); // ignored
    EXPECT_EQ(edit->LabelSpacing(), 4);
    edit->SetLabelSpacing(10);
    EXPECT_EQ(edit->EditLabel()->Left(), 76 - 24 - 10);
    edit->SetBounds(100, 50, 100, 21); // the label follows
    EXPECT_EQ(edit->EditLabel()->Left(), 100 - 24 - 10);
    EXPECT_EQ(edit->EditLabel()->Top(), 54);
}

TEST_F(LabelledTest, StateFollowsAndAFreedLabelIsForgotten) {
    auto* edit = Add<TQvDBEdit>(76, 3, 100, 21);
    auto* combo = Add<TQvComboBox>(76, 40, 100, 21);
    auto* dbCombo = Add<TQvDBComboBox>(76, 80, 100, 21);
    edit->SetCaption("代号");
    EXPECT_EQ(edit->EditLabel()->Caption(), "代号");
    for (TWinControl* control : {static_cast<TWinControl*>(edit), static_cast<TWinControl*>(combo),
                                 static_cast<TWinControl*>(dbCombo)}) {
        auto* label = dynamic_cast<TLabel*>(control->FindComponent("EditLabel"));
        ASSERT_NE(label, nullptr);
        control->SetEnabled(false);
        control->SetVisible(false);
        EXPECT_FALSE(label->Enabled());
        EXPECT_FALSE(label->Visible());
    }
    edit->EditLabel()->Free();
    EXPECT_EQ(edit->EditLabel(), nullptr);
    EXPECT_EQ(edit->Caption(), "");
    edit->SetCaption("x");
    edit->SetLabelPosition(lpAbove);
    EXPECT_EQ(edit->LabelPosition(), lpLeft); // only while the label exists
    edit->SetBounds(0, 0, 50, 21);
}

TEST_F(LabelledTest, DesignTimeDataFieldGivesTheCaption) {
    auto* edit = Add<TQvDBEdit>(76, 3, 100, 21);
    auto* combo = Add<TQvDBComboBox>(76, 40, 100, 21);
    edit->SetDataSource(Ds);
    combo->SetDataSource(Ds);
    edit->SetDataField("TA003"); // at run time the caption stays
    EXPECT_EQ(edit->Caption(), "");
    edit->SetDesigning(true);
    combo->SetDesigning(true);
    edit->SetDataField("TA003");
    combo->SetDataField("TA003");
    EXPECT_EQ(edit->Caption(), "供应商");
    EXPECT_EQ(combo->Caption(), "供应商");
    // Without a data set the caption stays.
    edit->SetCaption("Other");
    edit->SetDataSource(nullptr);
    edit->SetDataField("TA003");
    EXPECT_EQ(edit->Caption(), "Other");
}

TEST_F(LabelledTest, PickButtonPlacedBesideTheEdit) {
    auto* edit = Add<TQvBtnDBEdit>(76, 3, 52, 21);
    TGSpeedButton* button = edit->Button();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->Name(), "F2Button");
    EXPECT_TRUE(button->Flat());
    EXPECT_EQ(edit->GlyphIndex(), 8);
    EXPECT_EQ(button->Parent(), Form);
    EXPECT_EQ(button->BoundsRect(), Bounds(130, 3, 21, 21));
    edit->SetButtonSpacing(5);
    EXPECT_EQ(button->Left(), 133);
    edit->SetButtonHint("[F2]供应商查询");
    EXPECT_EQ(button->Hint(), "[F2]供应商查询");
    edit->SetEnabled(false);
    EXPECT_FALSE(button->Enabled());
    button->Free();
    EXPECT_EQ(edit->Button(), nullptr);
    edit->SetBounds(0, 0, 60, 21);
    edit->SetGlyphIndex(3);
    EXPECT_EQ(edit->GlyphIndex(), 8); // only while the button exists
}

TEST_F(LabelledTest, PickButtonRunsTheDialogOrAsksTheForm) {
    auto* edit = Add<TQvBtnDBEdit>(76, 3, 52, 21);
    Form->Show();
    edit->Button()->Click();
    ASSERT_EQ(Form->Lookups.size(), 1u);
    EXPECT_EQ(Form->Lookups[0], reinterpret_cast<LPARAM>(edit));
    EXPECT_TRUE(edit->Focused());
    edit->SetOnDialog(TNotifyEvent(&Rec, &TRecorder::Dialog));
    edit->Button()->Click();
    EXPECT_EQ(Form->Lookups.size(), 1u); // OnDialog instead of the form's lookup
    ASSERT_EQ(Rec.Dialogs.size(), 1u);
    EXPECT_EQ(Rec.Dialogs[0], edit);
}

TEST_F(LabelledTest, AttachedLabelPlacesItselfAndNeverGoesNegative) {
    struct Case {
        TPos pos;
        int controlLeft, controlTop, left, top;
    } cases[] = {
        {psLeft, 100, 50, 100 - 40 - 4, 50 + 21 / 2 - 13 / 2},
        {psRight, 100, 50, 100 + 80 + 4, 50 + 21 / 2 - 13 / 2},
        {psTop, 100, 50, 100, 50 - 13 - 4},
        {psBottom, 100, 50, 100, 50 + 21 + 4},
        {psLeft, 10, 50, 0, 50 + 21 / 2 - 13 / 2},
        {psTop, 10, 5, 10, 0},
    };
    auto* edit = Add<TEdit>(100, 50, 80, 21);
    auto* label = new TDBLabel(Form);
    label->SetParent(Form);
    EXPECT_EQ(label->Caption(), "挂靠标签");
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 40, 13);
    label->SetFocusControl(edit);
    EXPECT_EQ(label->Caption(), "挂靠标签"); // a plain edit has no data source
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.pos));
        edit->SetBounds(c.controlLeft, c.controlTop, 80, 21);
        label->SetPos(c.pos);
        EXPECT_EQ(label->Left(), c.left);
        EXPECT_EQ(label->Top(), c.top);
    }
    // Equal heights share the top.
    edit->SetBounds(100, 50, 80, 13);
    label->SetPos(psLeft);
    EXPECT_EQ(label->Top(), 50);
}

TEST_F(LabelledTest, AttachedLabelTakesTheFieldLabelAndRefusesASecondLabel) {
    auto* edit = Add<TDBEdit>(100, 50, 80, 21);
    edit->SetDataSource(Ds);
    edit->SetDataField("TA003");
    auto* label = new TDBLabel(Form);
    label->SetParent(Form);
    label->SetFocusControl(edit);
    EXPECT_EQ(label->Caption(), "供应商");

    auto* second = new TDBLabel(Form);
    second->SetParent(Form);
    TQueuedDriver driver;
    driver.Answer("OK");
    TModalDriverScope scope(&driver);
    second->SetFocusControl(edit);
    EXPECT_EQ(second->FocusControl(), nullptr);
    ASSERT_NE(Application->LastDialog(), nullptr);
    EXPECT_EQ(Application->LastDialog()->Text, "不能同时有两个 DBLabel 指到同一个 Control.");
    // A control whose data source has no data set leaves the caption.
    label->SetCaption("Kept");
    Ds->SetDataSet(nullptr);
    label->SetAutoCaption(true);
    EXPECT_EQ(label->Caption(), "Kept");
}

} // namespace
