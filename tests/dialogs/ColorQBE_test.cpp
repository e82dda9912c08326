// The colour filter: its condition boxes, and what OK and Cancel leave in the form's conditions and in
// the stored colour-management switch.
#include <memory>

#include "dialogs/QvColorQBE.h"
#include "tests/dialogs/DialogFixture.h"

namespace {

class ColorQBE : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        Add("TA003 > 150", "255", "65535", "大额", true);
        Add("TA004 = 'USD'", "", "", "美元", false);
        Add("TA001 like 'A%'", "red", "16711680", "甲类", false);
    }
    void Add(const char* value, const char* colorX, const char* bkColor, const char* msg, bool checked) {
        TColorCondition* condition = FormConditions.Add();
        condition->Value = value;
        condition->ColorX = colorX;
        condition->BkColor = bkColor;
        condition->Msg = msg;
        condition->Checked = checked;
    }
    TColorQBEForm* Open() {
        StartForm();
        Dialog = CreateColorQBEForm(BaseForm, &FormConditions);
        return Dialog;
    }
    // Runs the dialog: step acts on it, then answer is clicked.
    bool Run(bool colorManage, const char* answer, std::function<void(TColorQBEForm*)> step = {}) {
        Script.Steps.push_back([this, step, answer](TCustomForm*) {
            if (step) step(Dialog);
            UserClick(Dialog, answer);
        });
        Counter->Calls.clear();
        return Dialog->Execute(colorManage, &FormConditions);
    }
    std::vector<bool> Checked() const {
        std::vector<bool> checked;
        for (int i = 0; i < FormConditions.Count(); ++i)
            checked.push_back(FormConditions.Items(i)->Checked);
        return checked;
    }
    std::vector<AnsiString> Writes() {
        std::vector<AnsiString> writes;
        for (const auto& call : Counter->Calls) {
            if (call.Args.empty() || !SameText(VarToStr(call.Args[0]), "SetUserDefine")) continue;
            const Variant& p = call.Args[1];
            writes.push_back(VarToStr(p.GetElement({2})) + "|" + VarToStr(p.GetElement({3})) + "|" +
                             VarToStr(p.GetElement({4})));
        }
        return writes;
    }
    TColorConditions FormConditions;
    TColorQBEForm* Dialog = nullptr; // owned by the form
};

TEST_F(ColorQBE, ABoxPerConditionInTheConditionsColours) {
    Open();
    EXPECT_EQ(Dialog->Caption(), "颜色筛选");
    const int zero = Dialog->Canvas()->TextWidth("0");
    struct {
        const char* Caption;
        bool OwnColor, OwnFont; // a colour of its own, else the parent's
        TColor Color;
        TColor FontColor;
    } cases[] = {
        {"大额", true, true, static_cast<TColor>(65535), static_cast<TColor>(255)},
        {"美元", false, false, clNone, clNone},                       // no colours: a plain box
        {"甲类", true, false, static_cast<TColor>(16711680), clNone}, // a text colour that is no number
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        TBitCheckBox* box = Dialog->ConditionBox(i);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->Name(), "chkColor" + IntToStr(i));
        EXPECT_EQ(box->Owner(), Dialog);
        EXPECT_EQ(box->Parent(), Dialog->boxMain);
        EXPECT_EQ(box->Caption(), cases[i].Caption);
        EXPECT_EQ(box->Left(), 20);
        EXPECT_EQ(box->Top(), i * 20 + 5);
        EXPECT_EQ(box->Width(), Dialog->Canvas()->TextWidth(cases[i].Caption) + 3 * zero + 4);
        EXPECT_EQ(box->ParentColor(), !cases[i].OwnColor);
        EXPECT_EQ(box->ParentFont(), !cases[i].OwnFont);
        EXPECT_EQ(box->Color(), cases[i].OwnColor ? cases[i].Color : Dialog->boxMain->Color());
        EXPECT_EQ(box->Font()->Color(),
                  cases[i].OwnFont ? cases[i].FontColor : Dialog->boxMain->Font()->Color());
    }
    EXPECT_EQ(Dialog->ConditionBox(3), nullptr);
}

TEST_F(ColorQBE, CancelLeavesTheConditionsAndTheStoredSwitchAsTheyWere) {
    Open();
    EXPECT_FALSE(Run(true, "BBCancel", [](TColorQBEForm* d) {
        EXPECT_TRUE(d->boxMain->Enabled());
        EXPECT_TRUE(d->ConditionBox(0)->Checked());
        d->ConditionBox(0)->Click();
        d->ConditionBox(1)->Click();
        d->chkColorManage->Click();
    }));
    EXPECT_EQ(Checked(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(Writes().empty());
}

TEST_F(ColorQBE, OKTakesTheBoxesAndStoresTheSwitchOnlyWhenItChanged) {
    Open();
    EXPECT_TRUE(Run(true, "BBOK", [](TColorQBEForm* d) {
        d->ConditionBox(0)->Click();
        d->ConditionBox(2)->Click();
    }));
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(Dialog->IsColorManage());

    // Off: every condition goes off, and the switch is stored for every program.
    EXPECT_TRUE(Run(true, "BBOK", [](TColorQBEForm* d) {
        EXPECT_TRUE(d->ConditionBox(2)->Checked()); // the boxes start from the form's conditions
        d->chkColorManage->Click();
        EXPECT_FALSE(d->boxMain->Enabled());
    }));
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Writes(), std::vector<AnsiString>{"********************|InputSettings003/IsColorManage|False"});
    EXPECT_FALSE(Dialog->IsColorManage());

    // Switched on again from off.
    EXPECT_TRUE(Run(false, "BBOK", [](TColorQBEForm* d) {
        EXPECT_FALSE(d->boxMain->Enabled());
        d->chkColorManage->Click();
        EXPECT_TRUE(d->boxMain->Enabled());
    }));
    EXPECT_EQ(Writes(), std::vector<AnsiString>{"********************|InputSettings003/IsColorManage|True"});
}

TEST_F(ColorQBE, StartsFromTheStoredSwitchAndFollowsAChangedList) {
    UserDefines["InputSettings003"] =
        "<InputSettings003><IsColorManage>True</IsColorManage></InputSettings003>";
    Open();
    EXPECT_TRUE(Dialog->IsColorManage());
    // A fourth condition since the dialog was made gets its box.
    Add("TA002 = '丁'", "0", "", "丁类", true);
    EXPECT_TRUE(Run(true, "BBOK", [](TColorQBEForm* d) {
        ASSERT_NE(d->ConditionBox(3), nullptr);
        EXPECT_EQ(d->ConditionBox(3)->Caption(), "丁类");
        d->ConditionBox(3)->Click();
    }));
    EXPECT_EQ(Checked(), (std::vector<bool>{true, false, false, false}));
}

TEST_F(ColorQBE, AFailingStoreIsNotShownAndTheDialogCloses) {
    Open();
    Counter->On("GETCOUNTER", [](TDispArgs) -> Variant { throw Exception("server down"); });
    EXPECT_TRUE(Run(true, "BBOK", [](TColorQBEForm* d) { d->chkColorManage->Click(); }));
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(Shown().empty());
}

} // namespace
