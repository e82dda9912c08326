// Quick find over a data grid: the search rules, the dialog run by a user, and a record being edited.
#include "dialogs/QvSearch.h"

#include "tests/dialogs/DialogFixture.h"

namespace {

class TMissRecorder : public TObject {
public:
    bool Missed = false;
    void AfterSearch(TObject*, bool& found) { Missed = Missed || !found; }
};

class QuickFind : public ::testing::Test {
protected:
    QuickFind() {
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 500, 400);
        Cds = new TwwClientDataSet(Form);
        Cds->FieldDefs()->Add("CODE", ftString, 6);
        Cds->FieldDefs()->Add("NAME", ftString, 10);
        Cds->FieldDefs()->Add("HIDDEN", ftString, 10);
        Cds->CreateDataSet();
        Cds->FieldByName("CODE")->SetDisplayLabel("代号");
        Cds->FieldByName("NAME")->SetDisplayLabel("名称");
        Cds->FieldByName("HIDDEN")->SetVisible(false);
        const char* names[] = {"xABCx", "abc", "  abc", "ABC  ", "zzz"};
        for (int i = 0; i < 5; ++i) {
            Cds->Append();
            Cds->FieldByName("CODE")->SetAsString("C" + std::to_string(i + 1));
            Cds->FieldByName("NAME")->SetAsString(names[i]);
            Cds->FieldByName("HIDDEN")->SetAsString("abc");
            Cds->Post();
        }
        Ds = new TwwDataSource(Form);
        Ds->SetDataSet(Cds);
        Grid = new TwwDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 400, 200);
        Grid->SetDataSource(Ds);
        Dialog = new TqvSearchDialog(Form);
        Dialog->SearchGrid = Grid;
        Form->Show();
        Previous = Application->SetModalDriver(&Script);
    }
    ~QuickFind() override {
        Application->SetModalDriver(Previous);
        Form->Free();
    }
    int At(int recNo) {
        Cds->SetRecNo(recNo);
        return recNo;
    }

    TForm* Form;
    TwwClientDataSet* Cds;
    TwwDataSource* Ds;
    TwwDBGrid* Grid;
    TqvSearchDialog* Dialog;
    TDialogUser Script;
    TModalDriver* Previous = nullptr;
};

TEST_F(QuickFind, SearchRulesOfCursorCaseAndWholeWords) {
    struct {
        const char* Field;
        const char* Text;
        int Start;
        bool FromBeginning, Backward, Whole, Case;
        int Expected; // 0: not found, the cursor back at Start
    } cases[] = {
        {"NAME", "abc", 1, false, false, false, false, 2}, // the current record is not looked at
        {"NAME", "abc", 2, true, false, false, false, 1},
        {"NAME", "abc", 1, false, false, true, false, 2},
        {"NAME", "abc", 2, false, false, true, false, 4}, // leading blanks stay, trailing ones go
        {"NAME", "ABC", 1, true, false, true, true, 4},
        {"NAME", "abc", 4, false, false, true, true, 0},
        {"NAME", "abc", 5, false, true, false, false, 4},
        {"NAME", "xabcx", 3, true, true, true, false, 1},
        {"NAME", "abc", 1, false, true, false, false, 0}, // nothing before the first record
        {"NAME", "abc", 5, false, false, false, false, 0},
        {"NAME", "qqq", 3, true, false, false, false, 0},
        {"NAME", "", 3, true, false, false, false, 0},
        {"HIDDEN", "abc", 1, true, false, false, false, 0}, // only visible fields are searched
        {"NOSUCH", "abc", 1, true, false, false, false, 0},
        {"CODE", "c5", 1, false, false, true, false, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Text) + " from " + std::to_string(c.Start));
        At(c.Start);
        const bool found = Dialog->Search(c.Field, c.Text, c.FromBeginning, c.Backward, c.Whole, c.Case);
        EXPECT_EQ(found, c.Expected != 0);
        EXPECT_EQ(Cds->RecNo(), c.Expected ? c.Expected : c.Start);
    }
}

TEST_F(QuickFind, TheUserFindsNextAndTheOriginTurnsToTheCursor) {
    At(1);
    std::vector<int> seen;
    TMissRecorder recorder;
    Dialog->AfterSearch = TQvAfterExecuteEvent(&recorder, &TMissRecorder::AfterSearch);
    Dialog->Origin = TSearchOrigin::soFromBeginning;
    Dialog->WholeWordsOnly = true;
    Dialog->ShowMessages = true;
    Script.Steps.push_back([&](TCustomForm* form) {
        auto* dialog = static_cast<TfrmSearchDlg*>(form);
        // The fields by label, the hidden one left out.
        ASSERT_EQ(dialog->cbbFields->Items()->Count(), 2);
        EXPECT_EQ(dialog->cbbFields->Items()->Strings(0), "代号");
        dialog->cbbFields->SetItemIndex(1);
        dialog->cbbText->SetText("abc");
        dialog->btnNext->Click();
        seen.push_back(Cds->RecNo());
        EXPECT_TRUE(dialog->rbCursor->Checked());
        dialog->btnNext->Click();
        seen.push_back(Cds->RecNo());
        dialog->btnNext->Click(); // a miss: the dialog says so and the cursor stays
        seen.push_back(Cds->RecNo());
        dialog->btnClose->Click();
    });
    EXPECT_FALSE(Dialog->Execute());
    EXPECT_EQ(seen, (std::vector<int>{2, 4, 4}));
    EXPECT_TRUE(recorder.Missed);
    ASSERT_EQ(Application->Dialogs().size(), 1u);
    EXPECT_EQ(Application->Dialogs()[0].Text, "Search string \"abc\" not found");
    Application->ClearDialogs();
    EXPECT_EQ(Dialog->LastText(), "abc");

    // The field list in the data set's order.
    Dialog->SortFields = sfSortByFieldNo;
    Cds->FieldByName("CODE")->SetDisplayLabel("甲");
    Script.Steps.push_back([&](TCustomForm* form) {
        auto* dialog = static_cast<TfrmSearchDlg*>(form);
        EXPECT_EQ(dialog->cbbText->Text(), "abc");
        EXPECT_EQ(dialog->cbbFields->Items()->Strings(0), "甲");
        dialog->btnClose->Click();
    });
    Dialog->Execute();
}

TEST_F(QuickFind, ARecordBeingEditedIsNeverPosted) {
    At(2);
    Cds->Edit();
    Cds->FieldByName("NAME")->SetAsString("typed");
    EXPECT_THROW(Dialog->Execute(), ESearchError);
    EXPECT_FALSE(Dialog->Search("NAME", "abc", true, false, false, false));
    EXPECT_EQ(Cds->State(), dsEdit);
    EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "typed");
    Cds->Cancel();
    EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "abc");
    Cds->Close();
    EXPECT_THROW(Dialog->Execute(), ESearchError);
}

} // namespace
