// The copy dialog over a header data set of its own: one pair of edits per key field with its pick
// buttons, the key field that is missing, and the checks of each page before it is left.
#include <gtest/gtest.h>

#include <memory>

#include "dialogs/QvCopy.h"
#include "tests/dialogs/DialogFixture.h"

namespace {

class CopyDialog : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        Head = std::make_unique<TClientDataSet>(nullptr);
        for (const char* name : {"TA001", "TA002", "TA003"})
            Head->FieldDefs()->Add(name, ftString, 11);
        Head->CreateDataSet();
        Head->FieldByName("TA001")->SetDisplayLabel("单别");
        Head->FieldByName("TA002")->SetDisplayLabel("单号");
        Head->Append();
        Head->FieldByName("TA001")->SetAsString("5102");
        Head->FieldByName("TA002")->SetAsString("H0001");
        Head->FieldByName("TA003")->SetAsString("X");
        Head->Post();
        Source = std::make_unique<TDataSource>(nullptr);
        Source->SetDataSet(Head.get());
        Dialog = std::make_unique<TfrmCopy>(nullptr);
    }
    void TearDown() override {
        Dialog.reset();
        Source.reset();
        Head.reset();
        DialogFixture::TearDown();
    }
    std::unique_ptr<TClientDataSet> Head;
    std::unique_ptr<TDataSource> Source;
    std::unique_ptr<TfrmCopy> Dialog;
};

} // namespace

TEST_F(CopyDialog, OnePairPerKeyFieldWithThePickButtonsButTheLastOfSeveral) {
    const struct {
        const char* Keys;
        int Pairs;
        std::vector<bool> Buttons;
    } cases[] = {{"TA001", 1, {true, false}},
                 {"TA001,TA002", 2, {true, false, false}},
                 {"TA001,TA002,TA003", 3, {true, true, false, false}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Keys);
        Dialog = std::make_unique<TfrmCopy>(nullptr);
        ASSERT_TRUE(Dialog->SetUp(Head.get(), Source.get(), c.Keys));
        for (int i = 1; i <= TfrmCopy::MaxKeys; ++i) {
            EXPECT_EQ(Dialog->SourceEdit(i)->Visible(), i <= c.Pairs) << i;
            EXPECT_EQ(Dialog->DestEdit(i)->Visible(), i <= c.Pairs) << i;
        }
        for (std::size_t i = 0; i < c.Buttons.size(); ++i)
            EXPECT_EQ(Dialog->DestButton(static_cast<int>(i) + 1)->Visible(), c.Buttons[i]) << i + 1;
    }
    EXPECT_EQ(Dialog->SourceLabel(1)->Caption(), "单别");
    EXPECT_EQ(Dialog->SourceEdit(2)->Text(), "H0001");
    EXPECT_EQ(Dialog->DestEdit(2)->DataField(), "TA002");
    EXPECT_EQ(Dialog->DestEdit(1)->Text(), "5102");
}

TEST_F(CopyDialog, AMissingKeyFieldStopsTheSetUpWithTheRestHidden) {
    EXPECT_FALSE(Dialog->SetUp(Head.get(), Source.get(), "TA001,NOPE,TA003"));
    EXPECT_EQ(Shown(), std::vector<AnsiString>{"Error happend in QvCopy"});
    EXPECT_TRUE(Dialog->SourceEdit(1)->Visible());
    EXPECT_FALSE(Dialog->SourceEdit(2)->Visible());
    EXPECT_FALSE(Dialog->SourceEdit(3)->Visible());
}

TEST_F(CopyDialog, AnEmptySourceKeyKeepsTheSourcePage) {
    ASSERT_TRUE(Dialog->SetUp(Head.get(), Source.get(), "TA001,TA002"));
    Dialog->SourceEdit(2)->SetText(" ");
    Dialog->BBOKClick(nullptr);
    EXPECT_EQ(Shown(), std::vector<AnsiString>{"单号 不可空白 !"});
    EXPECT_EQ(Dialog->PageControl1->ActivePage(), Dialog->tbsSource);
    EXPECT_EQ(Dialog->BBOK->ModalResult(), mrNone);
}

TEST_F(CopyDialog, ClosingWithOKNeedsBothKeysUnlessEmptyOnesAreAllowed) {
    ASSERT_TRUE(Dialog->SetUp(Head.get(), Source.get(), "TA001,TA002"));
    Head->Edit();
    Head->FieldByName("TA002")->SetAsString("");
    Dialog->SetModalResult(mrOk);
    bool canClose = true;
    Dialog->FormCloseQuery(nullptr, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_EQ(Shown(), std::vector<AnsiString>{"单号 不可空白 !"});

    Dialog->AllowEmpty = 1;
    canClose = true;
    Dialog->FormCloseQuery(nullptr, canClose);
    EXPECT_TRUE(canClose);
    ASSERT_EQ(Dialog->DestValues.size(), 2u);
    EXPECT_EQ(VarToStr(Dialog->SourceValues[1]), "H0001");
    EXPECT_EQ(VarToStr(Dialog->DestValues[0]), "5102");
    EXPECT_EQ(VarToStr(Dialog->DestValues[1]), "");
    Head->Cancel();
}

TEST_F(CopyDialog, CancelGivesFalseAndLeavesTheResults) {
    Script.Steps.push_back([](TCustomForm* form) { UserAnswer(form, "BBCancel"); });
    Variant r1 = 1, r2 = 2, r3 = 3;
    EXPECT_FALSE(ShowCopyDialog(nullptr, Head.get(), Source.get(), 0, r1, r2, r3, "TA001,TA002"));
    EXPECT_EQ(r1.AsInteger() + r2.AsInteger() * 10 + r3.AsInteger() * 100, 321);
    EXPECT_EQ(Head->State(), dsBrowse);
}
