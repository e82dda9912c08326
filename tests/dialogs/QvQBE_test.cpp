// The query dialog over a started base document form: binding the head, the condition grid, the
// advanced page, running the dialog, and saved schemes kept by a server double.
#include "dialogs/QvQBE.h"

#include "dialogs/DocuConditionCF.h"
#include "dialogs/QBESortList.h"
#include "framework/SingleCF.h"
#include "tests/dialogs/DialogFixture.h"

namespace {

class QBEForm : public DialogFixture {
protected:
    // A scheme server: pvdConSave holds the rows; the scheme calls change them and are recorded.
    void StartWithSchemes() {
        StartForm();
        TMemoryProviderData& schemes = Server->Schemes->Provider("pvdConSave");
        schemes.Fields = {{"NCONDITION", ftString, 20, 0, {}}, {"CREATOR", ftString, 10, 0, {}},
                          {"PROGRAMME", ftString, 10, 0, {}},  {"CREATE_DATE", ftString, 8, 0, {}},
                          {"VCONDITION", ftMemo, 0, 0, {}},    {"ActivePage", ftInteger, 0, 0, {}}};
        schemes.KeyFields = "NCONDITION;CREATOR;PROGRAMME";
        Server->Server->On("LoadTable", [this](TDispArgs) {
            Calls.push_back("LoadTable");
            return Variant();
        });
        Server->Server->On("InsertConTable", [this](TDispArgs args) {
            const Variant p = *args[0].Value;
            Calls.push_back("InsertConTable " + VarToStr(p.GetElement({0})));
            if (!RefuseText.empty()) return Variant(RefuseText);
            Rows().push_back(VarArrayOf({p.GetElement({0}), p.GetElement({1}), p.GetElement({3}),
                                         p.GetElement({2}), p.GetElement({4}), p.GetElement({5})}));
            return Variant(AnsiString());
        });
        Server->Server->On("DeleteConTable", [this](TDispArgs args) {
            const AnsiString name = VarToStr(args[0].Value->GetElement({0}));
            Calls.push_back("DeleteConTable " + name);
            std::erase_if(Rows(), [&](const Variant& row) { return VarToStr(row.GetElement({0})) == name; });
            return Variant(AnsiString());
        });
        Server->Server->On("ChangeConName", [this](TDispArgs args) {
            const AnsiString from = VarToStr(args[0].Value->GetElement({0}));
            const AnsiString to = VarToStr(args[1].Value->GetElement({0}));
            Calls.push_back("ChangeConName " + from + " " + to);
            if (!RefuseText.empty()) return Variant(RefuseText);
            for (Variant& row : Rows())
                if (VarToStr(row.GetElement({0})) == from) row.PutElement({0}, Variant(to));
            return Variant(AnsiString());
        });
        // No scheme of the name exists unless a test says so.
        Validator->On("CheckValue",
                      [](TDispArgs args) { return Variant(args[0].Value->AsString() != "DOCUS"); });
        Dialog = new TQBEForm(BaseForm);
        Dialog->SetHeadDataSet(Main(), "TESTA", false, "", "TA001");
    }
    std::vector<Variant>& Rows() { return Server->Schemes->Provider("pvdConSave").Rows; }
    AnsiString Label(const char* field) const { return Main()->FieldByName(field)->DisplayLabel(); }
    void SetRow(int row, const AnsiString& field, const AnsiString& op, const AnsiString& value,
                const AnsiString& connective = "AND") {
        // What a user typed has reached its cell: the editor is closed before cells are set here.
        if (Dialog->sg1->EditorMode()) Dialog->sg1->SetEditorMode(false);
        if (row >= Dialog->sg1->RowCount()) Dialog->sg1->SetRowCount(row + 1);
        Dialog->sg1->SetCells(0, row, field);
        Dialog->PrepareValueCell(row);
        Dialog->sg1->SetCells(1, row, op);
        Dialog->sg1->SetCells(2, row, value);
        Dialog->sg1->SetCells(3, row, connective);
    }
    std::vector<AnsiString> Items() const {
        std::vector<AnsiString> items;
        for (int i = 0; i < Dialog->lstCondition->Items()->Count(); ++i)
            items.push_back(Dialog->lstCondition->Items()->Item(i)->Caption());
        return items;
    }

    TQBEForm* Dialog = nullptr;
    std::vector<AnsiString> Calls;
    AnsiString RefuseText;
};

TEST_F(QBEForm, BindingTheHeadOffersItsFieldsAndPutsTheKeysInTheGrid) {
    StartWithSchemes();
    EXPECT_EQ(Dialog->sg1->Cells(0, 1), Label("TA001"));
    EXPECT_EQ(Dialog->sg1->Col(), 2);
    EXPECT_EQ(Dialog->sg1->Row(), 1);
    const TRecordInfo* amount = Dialog->RecordList()->FindRecord(Label("TA003"));
    ASSERT_NE(amount, nullptr);
    EXPECT_EQ(amount->ColumnExpr, "TESTA.TA003");
    // The audit fields close the advanced page's list.
    const int count = Dialog->cboField->Items()->Count();
    ASSERT_GE(count, 2);
    EXPECT_NE(Dialog->cboField->Items()->Strings(count - 1).find("\tUSR_GROUP"), AnsiString::npos);
    EXPECT_TRUE(Dialog->Panel2->Visible());

    // A check-box field gets a check-box value cell holding N.
    auto* main = dynamic_cast<TwwClientDataSet*>(Main());
    ASSERT_NE(main, nullptr);
    main->ControlType()->Add("TA004;CheckBox;Y;N");
    Dialog->SetHeadDataSet(Main(), "TESTA", false, "", "TA001");
    ASSERT_TRUE(Dialog->RecordList()->FindRecord(Label("TA004"))->CheckBox);
    SetRow(1, Label("TA004"), "等于", "N");
    EXPECT_TRUE(Dialog->sg1->IsCheckCell(2, 1));
}

TEST_F(QBEForm, RowLimitItemsAndTheHiddenRowLimitPanel) {
    StartWithSchemes();
    struct {
        int Rows;
        int Index;
        int Count;
    } cases[] = {{500, 0, 6}, {300, 0, 7}, {1000, 5, 7}, {300, 0, 7}};
    for (const auto& c : cases) {
        Dialog->SetDefaultTopRow(c.Rows);
        EXPECT_EQ(Dialog->cbTopRow->ItemIndex(), c.Index) << c.Rows;
        EXPECT_EQ(Dialog->cbTopRow->Items()->Count(), c.Count) << c.Rows;
        EXPECT_EQ(Dialog->GetTopRow(), c.Rows);
    }
    Dialog->cbTopRow->SetText("abc");
    EXPECT_EQ(Dialog->GetTopRow(), 500);
    const int designed = Dialog->DesignHeight();
    Dialog->SetHeadDataSet(Main(), "TESTA", true, "", "TA001");
    Dialog->SetHeadDataSet(Main(), "TESTA", true, "", "TA001");
    EXPECT_EQ(Dialog->Height(), designed - 33);
    EXPECT_FALSE(Dialog->Panel2->Visible());
    Dialog->SetHeadDataSet(Main(), "TESTA", false, "", "TA001");
    EXPECT_EQ(Dialog->Height(), designed);
}

TEST_F(QBEForm, ExecuteReturnsTheGridsWhereAndTheKeysAsSortOnOk) {
    StartWithSchemes();
    AnsiString where = "untouched", order = "untouched";
    Script.Steps.push_back([](TCustomForm* form) { static_cast<TQBEForm*>(form)->BBCancel->Click(); });
    EXPECT_FALSE(Dialog->Execute(where, order));
    EXPECT_EQ(where, "untouched");

    // The key row without a value gives nothing: an empty WHERE, the keys as order.
    Script.Steps.push_back([](TCustomForm* form) { static_cast<TQBEForm*>(form)->BBOK->Click(); });
    EXPECT_TRUE(Dialog->Execute(where, order));
    EXPECT_EQ(where, "");
    EXPECT_EQ(order, "TA001");

    SetRow(1, Label("TA001"), "等于", "A'1", "OR");
    SetRow(2, Label("TA003"), "大于", "1.50");
    SetRow(3, Label("TA003"), "等于", "abc");
    Script.Steps.push_back([](TCustomForm* form) { static_cast<TQBEForm*>(form)->BBOK->Click(); });
    EXPECT_TRUE(Dialog->Execute(where, order));
    EXPECT_EQ(where, " (TESTA.TA001 = 'A''1')  OR (TESTA.TA003 > 1.5 ) ");
}

TEST_F(QBEForm, NumericEntryFollowsTheRowAndAcceptsSignsAndLists) {
    StartWithSchemes();
    SetRow(1, Label("TA003"), "存在于", "");
    SetRow(2, Label("TA002"), "等于", "");
    bool can = true;
    Dialog->sg1SelectCell(Dialog->sg1, 2, 1, can);
    EXPECT_EQ(Dialog->sg1->Tag(), 1);
    Dialog->sg1->MoveCurrent(2, 1);
    for (char key : {'-', ',', '5', '.'}) {
        char k = key;
        Dialog->sg1KeyPress(Dialog->sg1, k);
        EXPECT_EQ(k, key);
    }
    char letter = 'x';
    Dialog->sg1KeyPress(Dialog->sg1, letter);
    EXPECT_EQ(letter, 0);
    // Moving to a text row's value cell switches the mode off, whatever column the cursor arrives in.
    Dialog->sg1SelectCell(Dialog->sg1, 2, 2, can);
    EXPECT_EQ(Dialog->sg1->Tag(), 0);
    Dialog->sg1->MoveCurrent(2, 2);
    letter = 'x';
    Dialog->sg1KeyPress(Dialog->sg1, letter);
    EXPECT_EQ(letter, 'x');
}

TEST_F(QBEForm, EmptyRowsAreRemovedAndTheLastRowCleared) {
    StartWithSchemes();
    SetRow(1, Label("TA001"), "等于", "A1");
    SetRow(2, "", "等于", "");
    SetRow(3, "", "等于", "");
    SetRow(4, Label("TA002"), "等于", "x");
    EXPECT_EQ(Dialog->RemoveEmptyRows(), 2);
    EXPECT_EQ(Dialog->sg1->RowCount(), 3);
    EXPECT_EQ(Dialog->sg1->Cells(0, 2), Label("TA002"));
    Dialog->sg1->SetRowCount(2);
    Dialog->sg1->SetCells(0, 1, "");
    EXPECT_EQ(Dialog->RemoveEmptyRows(), 1);
    EXPECT_EQ(Dialog->sg1->RowCount(), 2);
    EXPECT_EQ(Dialog->sg1->Cells(1, 1), "");
}

TEST_F(QBEForm, AdvancedPageAddsQuotedLinesAndSortsByTheChosenColumns) {
    StartWithSchemes();
    Dialog->ExtPageControl1->SetActivePage(Dialog->TabSheet2);
    auto add = [&](const char* field, int op, const AnsiString& value) {
        for (int i = 0; i < Dialog->cboField->Items()->Count(); ++i)
            if (Dialog->cboField->Items()->Strings(i).find(AnsiString("\t") + field) != AnsiString::npos)
                Dialog->cboField->SetItemIndex(i);
        Dialog->cboFieldChange(Dialog->cboField);
        Dialog->CbOperator->SetItemIndex(op);
        Dialog->cdsTemp->FieldByName("QBE")->SetAsString(value);
        Dialog->BbAssignClick(Dialog->BbAssign);
    };
    add("TA002", 0, "it's");
    Dialog->rgLogic->SetItemIndex(1);
    add("TA003", 3, "5");
    add("TA003", 6, "5");
    add("TA003", 0, "5 OR 1=1"); // no number: nothing added, line 0 shown
    add("TA002", 0, "");
    EXPECT_EQ(Dialog->Memo1->Lines()->Text(),
              "(TESTA.TA002 = 'it''s')\r\n  OR (TESTA.TA003 > 5)\r\n  OR (TESTA.TA003 like '5%')\r\n");
    EXPECT_EQ(TakeDialogs().size(), 2u);
    EXPECT_TRUE(Dialog->rgLogic->Enabled());

    Dialog->ListBox1->SetItemIndex(0);
    Dialog->ListBox1DblClick(Dialog->ListBox1);
    Dialog->ListBox1DblClick(Dialog->ListBox1); // already there
    ASSERT_EQ(Dialog->ListBox2->Items()->Count(), 1);
    SetSortItemChecked(Dialog->ListBox2, 0, true);
    Dialog->DoCondition(nullptr);
    EXPECT_EQ(Dialog->OrderBy(), "TESTA.TA001 desc");
    EXPECT_EQ(Dialog->Where(), Dialog->Memo1->Lines()->Text());
}

TEST_F(QBEForm, SchemesSaveListOpenRenameAndDelete) {
    StartWithSchemes();
    SetRow(1, Label("TA001"), "等于", "A1");
    SetRow(2, "", "等于", "");
    SetRow(3, Label("TA003"), "大于", "150");
    Script.Steps.push_back([](TCustomForm* form) {
        auto* dialog = static_cast<TfrmDocuCondition*>(form);
        dialog->edConName->SetText("大额");
        dialog->btnOk->Click();
    });
    Dialog->btnInsertClick(nullptr);
    EXPECT_EQ(Items(), std::vector<AnsiString>{"大额"});
    ASSERT_EQ(Rows().size(), 1u);
    // The empty middle row is not stored.
    EXPECT_EQ(VarToStr(Rows()[0].GetElement({4})), "500\x07" + Label("TA001") + "\r\n等于\r\nA1\r\nAND\x08" +
                                                       Label("TA003") + "\r\n大于\r\n150\r\nAND\x08");

    // Cancelling the name dialog saves nothing and shows nothing.
    Calls.clear();
    Script.Steps.push_back([](TCustomForm* form) { form->SetModalResult(mrCancel); });
    Dialog->btnInsertClick(nullptr);
    EXPECT_TRUE(Calls.empty());
    EXPECT_EQ(Shown(), std::vector<AnsiString>{});

    // Open gives back two rows.
    Dialog->sg1->SetRowCount(2);
    SetRow(1, "", "", "");
    Dialog->lstCondition->SetItemIndex(0);
    Dialog->btnOpenClick(nullptr);
    EXPECT_EQ(Dialog->sg1->RowCount(), 3);
    EXPECT_EQ(Dialog->sg1->Cells(0, 2), Label("TA003"));
    Dialog->DoCondition(nullptr);
    EXPECT_EQ(Dialog->Where(), " (TESTA.TA001 = 'A1' ) AND (TESTA.TA003 > 150 ) ");

    // Renames: the name checks send nothing; 20 characters are sent, 21 refused.
    TListItem* item = Dialog->lstCondition->Items()->Item(0);
    struct {
        AnsiString Name;
        bool Sent;
        int Shown;
    } renames[] = {{"  ", false, 1},
                   {AnsiString(21, 'N'), false, 1},
                   {"大额", false, 0},
                   {AnsiString(20, 'N'), true, 0}};
    for (const auto& r : renames) {
        Calls.clear();
        AnsiString name = r.Name;
        Dialog->lstConditionEdited(Dialog->lstCondition, item, name);
        EXPECT_EQ(!Calls.empty(), r.Sent) << r.Name;
        EXPECT_EQ(static_cast<int>(Shown().size()), r.Shown) << r.Name;
    }
    EXPECT_EQ(item->Caption(), AnsiString(20, 'N'));
    // A refusal is shown once and keeps the old name.
    RefuseText = "方案名称已经存在";
    AnsiString name = "其他";
    Dialog->lstConditionEdited(Dialog->lstCondition, item, name);
    EXPECT_EQ(item->Caption(), AnsiString(20, 'N'));
    EXPECT_EQ(Shown().size(), 1u);
    RefuseText = "";

    Script.Answers.push_back("Yes");
    Dialog->btnDeleteClick(nullptr);
    EXPECT_TRUE(Items().empty());
    EXPECT_TRUE(Rows().empty());
}

TEST_F(QBEForm, AdvancedSchemesRestoreTheDetailPageAndSortFlags) {
    StartWithSchemes();
    TStringList body;
    Dialog->SetBodyDataSet(Main(), "TESTB", "", "", "TB001");
    ASSERT_TRUE(Dialog->chkBody->Visible());
    const AnsiString sortItem = Dialog->ListBox1->Items()->Strings(0);
    const AnsiString text = "200\x07(TESTA.TA002 = 'x')\x03" + sortItem + "\x08" + "1\t" +
                            "bogus\tTA001; DROP TABLE X\x08" + "0\t\x03" + "1\x03(TESTB.TB002 = 'y')";
    ASSERT_TRUE(Dialog->LoadScheme(2, text));
    EXPECT_EQ(Dialog->ExtPageControl1->ActivePage(), Dialog->TabSheet3);
    EXPECT_TRUE(Dialog->TabSheet3->TabVisible());
    EXPECT_TRUE(Dialog->chkBody->Checked());
    EXPECT_EQ(Dialog->cbTopRow->Text(), "200");
    // Only the offered sort column comes back, checked.
    ASSERT_EQ(Dialog->ListBox2->Items()->Count(), 1);
    EXPECT_TRUE(SortItemChecked(Dialog->ListBox2, 0));
    AnsiString where, order;
    Dialog->BuildQuery(where, order);
    EXPECT_EQ(order, "TESTA.TA001 desc");
    EXPECT_NE(where.find("select count(*) FROM DEMO..TESTB TESTB where  (TESTA.TA001=TESTB.TB001) and  ( "
                         "(TESTB.TB002 = 'y') ) "),
              AnsiString::npos)
        << where;
    EXPECT_FALSE(Dialog->LoadScheme(1, "no parts"));
}

} // namespace

namespace {

TEST_F(QBEForm, TheDetailBoxHoldsWithinARunAndStartsUncheckedWhenReopened) {
    StartWithSchemes();
    Dialog->SetBodyDataSet(Main(), "TESTB", "", "", "TB001");
    SetRow(1, Label("TA001"), "等于", "A1");
    AnsiString where, order;
    Script.Steps.push_back([](TCustomForm* form) {
        auto* dialog = static_cast<TQBEForm*>(form);
        dialog->ExtPageControl1->SetActivePage(dialog->TabSheet2);
        dialog->chkBody->SetChecked(true);
        dialog->chkBodyClick(dialog->chkBody);
        dialog->Memo2->Lines()->Add("(TESTB.TB002 = 'y')");
        // Activated again within the run: the detail filter stays.
        dialog->FormActivate(dialog);
        EXPECT_TRUE(dialog->chkBody->Checked());
        EXPECT_TRUE(dialog->TabSheet3->TabVisible());
        // OK from page 0 gives the grid's WHERE even with the box checked.
        dialog->ExtPageControl1->SetActivePage(dialog->TabSheet1);
        dialog->BBOK->Click();
    });
    ASSERT_TRUE(Dialog->Execute(where, order));
    EXPECT_EQ(where, " (TESTA.TA001 = 'A1' ) ");
    Script.Steps.push_back([](TCustomForm* form) {
        auto* dialog = static_cast<TQBEForm*>(form);
        EXPECT_FALSE(dialog->chkBody->Checked());
        EXPECT_FALSE(dialog->TabSheet3->TabVisible());
        dialog->BBCancel->Click();
    });
    EXPECT_FALSE(Dialog->Execute(where, order));
}

} // namespace
