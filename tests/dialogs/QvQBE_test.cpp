// The query dialog over a started base document form: binding the head, the condition grid, the
// advanced page, running the dialog, and saved schemes kept by a server double.
#include "dialogs/QvQBE.h"

#include "classlib/graphics/glyphs.h"
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
    // TA002 shown as a date, TA004 as a year-month, by the module's handlers; the head set again to take
    // them.
    void StartWithDisplayHandlers() {
        StartWithSchemes();
        Main()->FieldByName("TA002")->SetOnGetText(
            PublishedMethod<TFieldGetTextEvent>(Module(), "DateFieldGetText"));
        Main()->FieldByName("TA004")->SetOnGetText(
            PublishedMethod<TFieldGetTextEvent>(Module(), "YMFieldGetText"));
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
    // The row that is no number is said and OK leaves the dialog open on it; mended, OK runs.
    TakeDialogs();
    Script.Steps.push_back([](TCustomForm* form) { static_cast<TQBEForm*>(form)->BBOK->Click(); });
    Script.Steps.push_back([this](TCustomForm* form) {
        auto* dialog = static_cast<TQBEForm*>(form);
        EXPECT_EQ(Shown(), std::vector<AnsiString>{"不是有效的数值: abc"});
        EXPECT_EQ(dialog->sg1->Row(), 3);
        EXPECT_EQ(dialog->sg1->Col(), 2);
        EXPECT_EQ(dialog->sg1->Cells(2, 3), "abc");
        SetRow(3, Label("TA003"), "等于", "7");
        dialog->BBOK->Click();
    });
    EXPECT_TRUE(Dialog->Execute(where, order));
    EXPECT_EQ(where, " (TESTA.TA001 = 'A''1')  OR (TESTA.TA003 > 1.5 ) AND (TESTA.TA003 = 7 ) ");
}

TEST_F(QBEForm, ValuesTheirFieldCannotTakeAreSaidWhenTheCellIsLeft) {
    StartWithDisplayHandlers();
    struct {
        const char* Field;
        const char* Operator;
        AnsiString Value;
        const char* Said; // "" when the value is taken
    } cases[] = {
        {"TA003", "存在于", "90,30", ""},
        {"TA003", "存在于", "90, 30,", ""},
        {"TA003", "存在于", "90,3x,30", "不是有效的数值: 3x"},
        {"TA003", "存在于", "1) OR (1=1", "不是有效的数值: 1) OR (1=1"},
        {"TA003", "大于", "-1.5", ""},
        {"TA003", "大于", "90,30", "不是有效的数值: 90,30"},
        {"TA002", "等于", "2026/11/08", ""},
        {"TA002", "等于", "2026/02/30", "日期格式不正确!"},
        {"TA004", "等于", "2026/11", ""},
        {"TA004", "等于", "2026/13", "年月格式不正确!"},
        {"TA001", "存在于", "A,3x", ""},
    };
    TakeDialogs();
    for (const auto& c : cases) {
        SCOPED_TRACE(AnsiString(c.Field) + " " + c.Operator + " " + c.Value);
        SetRow(1, Label(c.Field), c.Operator, c.Value);
        bool accepted = true;
        Dialog->sg1ValidateEdit(Dialog->sg1, 2, 1, accepted);
        const std::vector<AnsiString> said = Shown();
        EXPECT_EQ(accepted, *c.Said == 0);
        EXPECT_EQ(said, *c.Said ? std::vector<AnsiString>{c.Said} : std::vector<AnsiString>{});
        // The text stays in its cell for the user to mend.
        EXPECT_EQ(Dialog->sg1->Cells(2, 1), c.Value);
    }
    // The list reaches the server as typed, piece by piece read as numbers.
    SetRow(1, Label("TA003"), "存在于", "90, 30,");
    Dialog->DoCondition(nullptr);
    EXPECT_EQ(Dialog->Where(), " (TESTA.TA003 IN (90,30) ) ");
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

// The advanced page's value as a user leaves it: the combo's text posted to the value field.
class QBEAdvanced : public QBEForm {
protected:
    void Start() {
        StartWithDisplayHandlers();
        Dialog->ExtPageControl1->SetActivePage(Dialog->TabSheet2);
        TakeDialogs();
    }
    void Pick(const char* field) {
        for (int i = 0; i < Dialog->cboField->Items()->Count(); ++i)
            if (Dialog->cboField->Items()->Strings(i).find(AnsiString("\t") + field) != AnsiString::npos)
                Dialog->cboField->SetItemIndex(i);
        Dialog->cboFieldChange(Dialog->cboField);
    }
    // Typed over the combo's text key by key, as its key filter sees it.
    void Type(const AnsiString& typed) {
        Dialog->cboValue->Perform(EM_SETSEL, 0, -1);
        for (char ch : typed)
            Dialog->cboValue->Perform(WM_CHAR, static_cast<unsigned char>(ch), 1);
    }
    void Add(const char* field, const AnsiString& typed) {
        Pick(field);
        Type(typed);
        Dialog->BbAssignClick(Dialog->BbAssign);
    }
    AnsiString LastLine() const {
        TStrings* lines = Dialog->Memo1->Lines();
        return lines->Count() > 0 ? lines->Strings(lines->Count() - 1) : AnsiString();
    }
};

TEST_F(QBEAdvanced, ValuesGoOutInTheirStoredFormOrAreSaid) {
    Start();
    struct {
        const char* Field;
        AnsiString Typed;
        const char* Line; // the memo's new line; "" when nothing is added
        const char* Said; // the message, "" for none
    } cases[] = {
        {"TA002", "2026/11/08", "(TESTA.TA002 = '20261108')", ""},
        {"TA002", "2026/02/30", "", "E000005"},
        {"TA002", "abc", "", "日期格式不正确!"},
        {"TA002", "    /  /  ", "", "请输入条件值!"},
        {"TA004", "2026/11", "  AND (TESTA.TA004 = '202611')", ""},
        {"TA004", "2026/13", "", "E100002"},
        {"TA003", "-1.50", "  AND (TESTA.TA003 = -1.5)", ""},
        {"TA003", "1-2", "", "不是有效的数值: 1-2"},
        {"TA001", "A'1", "  AND (TESTA.TA001 = 'A''1')", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(AnsiString(c.Field) + " " + c.Typed);
        const int before = Dialog->Memo1->Lines()->Count();
        Add(c.Field, c.Typed);
        std::vector<AnsiString> said;
        for (const TDialogRecord& record : TakeDialogs())
            said.push_back(TrimRight(record.Text));
        // A message of the catalogue is recorded by its kind and code (and what follows them).
        ASSERT_EQ(said.size(), *c.Said ? 1u : 0u);
        if (*c.Said) {
            EXPECT_EQ(said[0].substr(0, strlen(c.Said)), c.Said);
        }
        if (*c.Line)
            EXPECT_EQ(LastLine(), c.Line);
        else
            EXPECT_EQ(Dialog->Memo1->Lines()->Count(), before);
    }
}

TEST_F(QBEAdvanced, TheValueEditorFollowsTheFieldsControl) {
    Start();
    auto* main = dynamic_cast<TwwClientDataSet*>(Main());
    ASSERT_NE(main, nullptr);
    main->ControlType()->Add("TA001;CustomEdit;cboKind");
    main->ControlType()->Add("TA004;CheckBox;T;F");
    auto* kinds = new TwwDBComboBox(BaseForm);
    kinds->SetName("cboKind");
    kinds->SetStyle(csDropDownList);
    kinds->Items()->SetText("甲种\tA1\r\n乙种\tA2\r\n");

    // A combo of the form lends its items: the label picked, its stored value added.
    Pick("TA001");
    EXPECT_EQ(Dialog->cboValue->Items()->Count(), 2);
    EXPECT_EQ(Dialog->cboValue->Style(), csDropDownList);
    EXPECT_TRUE(Dialog->cboValue->Visible());
    Dialog->cboValue->SelectItem(1);
    Dialog->BbAssignClick(Dialog->BbAssign);
    EXPECT_EQ(LastLine(), "(TESTA.TA001 = 'A2')");

    // A check box field shows the check box with its own values, and Add sends the state shown.
    Pick("TA004");
    EXPECT_FALSE(Dialog->cboValue->Visible());
    EXPECT_TRUE(Dialog->ckbValue->Visible());
    EXPECT_EQ(Dialog->ckbValue->ValueChecked(), "T");
    Dialog->BbAssignClick(Dialog->BbAssign);
    EXPECT_EQ(LastLine(), "  AND (TESTA.TA004 = 'F')");
    Dialog->ckbValue->Click();
    Dialog->BbAssignClick(Dialog->BbAssign);
    EXPECT_EQ(LastLine(), "  AND (TESTA.TA004 = 'T')");

    // Back to a plain field: the combo is simple and empty again, without items.
    Pick("TA002");
    EXPECT_TRUE(Dialog->cboValue->Visible());
    EXPECT_FALSE(Dialog->ckbValue->Visible());
    EXPECT_EQ(Dialog->cboValue->Items()->Count(), 0);
    EXPECT_EQ(Dialog->cboValue->Style(), csSimple);
    EXPECT_TRUE(Dialog->cdsTemp->FieldByName("QBE")->IsNull());
}

TEST_F(QBEAdvanced, NumberFieldsTakeNumberKeysAndDateMasksLeftBlankAreEmpty) {
    Start();
    struct {
        const char* Field;
        const char* Keys;
        const char* Kept;
    } cases[] = {
        {"TA003", "-1.5.x2", "-1.52"}, // a second point and letters are refused
        {"TA001", "-1.5.x2", "-1.5.x2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Field);
        Pick(c.Field);
        Type(c.Keys);
        EXPECT_EQ(Dialog->cboValue->Text(), c.Kept);
    }
    // The date field's value field takes the module's mask; a mask left blank on exit empties it.
    Pick("TA002");
    TField* value = Dialog->cdsTemp->FieldByName("QBE");
    EXPECT_EQ(value->EditMask(), Module()->DateFieldEditMask());
    value->SetAsString("20261108");
    Dialog->cboValue->SetText("    /  /  ");
    Dialog->DateFieldDBComboDlgExit(Dialog->cboValue);
    EXPECT_TRUE(value->AsString().empty());
    Pick("TA003");
    EXPECT_EQ(value->EditMask(), "");
}

TEST_F(QBEAdvanced, CreationDatesComparedByTheServersDatabaseKind) {
    Start();
    TClientDataSet audit(nullptr);
    audit.FieldDefs()->Add("TA001", ftString, 4);
    audit.FieldDefs()->Add("CREATE_DATE", ftString, 17);
    audit.CreateDataSet();
    struct {
        int Kind;
        const char* Line;
    } cases[] = {{0, "(SUBSTRING(TESTA.CREATE_DATE ,1,8 ) = '20261108')"},
                 {2, "(SUBSTR(TESTA.CREATE_DATE, 1, 8) = '20261108')"}};
    for (const auto& c : cases) {
        BaseForm->SQLType = c.Kind;
        Dialog->SetHeadDataSet(&audit, "TESTA", false, "", "TA001");
        Dialog->BBClearClick(nullptr);
        Add("CREATE_DATE", "2026/11/08");
        EXPECT_EQ(LastLine(), c.Line) << c.Kind;
    }
}

TEST_F(QBEForm, TheWheelOverTheGridFirstTakesItsEmptyRowsAway) {
    StartWithSchemes();
    SetRow(1, Label("TA001"), "等于", "A1");
    SetRow(2, "", "等于", "");
    SetRow(3, Label("TA002"), "等于", "x");
    struct {
        short Delta;
        int Rows;
        LRESULT Handled;
    } steps[] = {{-120, 3, 1}, {120, 3, 0}};
    for (const auto& step : steps) {
        const LRESULT handled =
            Dialog->sg1->Perform(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<Word>(step.Delta)) << 16, 0);
        EXPECT_EQ(handled, step.Handled) << step.Delta;
        EXPECT_EQ(Dialog->sg1->RowCount(), step.Rows) << step.Delta;
    }
    EXPECT_EQ(Dialog->sg1->Cells(0, 2), Label("TA002"));
    SetRow(3, "", "等于", "");
    EXPECT_EQ(Dialog->sg1->Perform(WM_MOUSEWHEEL, static_cast<WPARAM>(120) << 16, 0), 1);
    EXPECT_EQ(Dialog->sg1->RowCount(), 3);
}

TEST_F(QBEForm, SortItemsAreDraggedWithinTheirListAndLongOnesShownWhole) {
    StartWithSchemes();
    TCustomListBox* sort = Dialog->ListBox2;
    for (int i = 0; i < 3; ++i)
        sort->Items()->Add(Dialog->ListBox1->Items()->Strings(i));
    SetSortItemChecked(sort, 0, true);
    const AnsiString first = sort->Items()->Strings(0), second = sort->Items()->Strings(1),
                     third = sort->Items()->Strings(2);
    // Pressed on an item (right of its check box), let go over another item or below the last.
    auto drag = [&](int from, int toY) {
        const TRect item = sort->ItemRect(from);
        const int x = item.Right - 10;
        sort->Perform(WM_LBUTTONDOWN, 0x0001, MakeLParam(x, (item.Top + item.Bottom) / 2));
        sort->Perform(WM_LBUTTONUP, 0, MakeLParam(x, toY));
    };
    const auto middle = [&](int index) {
        return (sort->ItemRect(index).Top + sort->ItemRect(index).Bottom) / 2;
    };
    drag(0, middle(2));
    EXPECT_EQ(sort->Items()->Text(), second + "\r\n" + third + "\r\n" + first + "\r\n");
    EXPECT_TRUE(SortItemChecked(sort, 2)); // the check goes with its item
    drag(0, sort->ClientHeight() - 2);
    EXPECT_EQ(sort->Items()->Text(), third + "\r\n" + first + "\r\n" + second + "\r\n");
    drag(1, middle(1)); // let go where it was pressed: nothing moves
    EXPECT_EQ(sort->Items()->Text(), third + "\r\n" + first + "\r\n" + second + "\r\n");

    // A sort column wider than its list is shown whole over its item, TABs as blanks; short ones not.
    TCustomListBox* offered = Dialog->ListBox1;
    offered->Items()->Insert(
        0, "很长的栏位名称\tCASE WHEN TESTA.TA003 > 100 THEN TESTA.TA002 ELSE TESTA.TA004 END");
    const TRect longItem = offered->ItemRect(0), shortItem = offered->ItemRect(1);
    offered->Perform(WM_MOUSEMOVE, 0, MakeLParam(10, (longItem.Top + longItem.Bottom) / 2));
    ASSERT_NE(Dialog->HintWindow(), nullptr);
    EXPECT_EQ(Dialog->HintWindow()->Caption(),
              "很长的栏位名称 CASE WHEN TESTA.TA003 > 100 THEN TESTA.TA002 ELSE TESTA.TA004 END");
    EXPECT_EQ(Dialog->HintWindow()->Color(), TColor(14548991));
    EXPECT_LE(Dialog->HintWindow()->ClientToScreen(TPoint{Dialog->HintWindow()->Width(), 0}).X,
              Screen->Width());
    offered->Perform(WM_MOUSEMOVE, 0, MakeLParam(10, (shortItem.Top + shortItem.Bottom) / 2));
    EXPECT_EQ(Dialog->HintWindow(), nullptr);
    offered->Perform(WM_MOUSEMOVE, 0, MakeLParam(10, (longItem.Top + longItem.Bottom) / 2));
    ASSERT_NE(Dialog->HintWindow(), nullptr);
    Dialog->TabSheet2->Perform(WM_MOUSEMOVE, 0, MakeLParam(300, 5));
    EXPECT_EQ(Dialog->HintWindow(), nullptr);
}

TEST_F(QBEForm, FieldListsDrawTwoColumnsAndDropWideEnoughForThem) {
    StartWithSchemes();
    Dialog->FormShow(Dialog);
    TCanvas* canvas = Dialog->Canvas();
    canvas->Font()->Assign(Dialog->cboField->Font());
    EXPECT_EQ(Dialog->cboField->ItemHeight(), canvas->TextHeight("测试") + 2);
    EXPECT_EQ(Dialog->cboField2->ItemHeight(), Dialog->cboField->ItemHeight());
    int widest = 0;
    for (int i = 0; i < Dialog->cboField->Items()->Count(); ++i)
        widest = std::max(widest, canvas->TextWidth(StringReplace(Dialog->cboField->Items()->Strings(i), "\t",
                                                                  "      ", rfReplaceAll)));
    EXPECT_EQ(Dialog->cboField->DropDownWidth(), std::max(Dialog->cboField->Width(), widest + 60));
    EXPECT_GE(Dialog->CbOperator->DropDownWidth(), Dialog->CbOperator->Width());

    // The field names of two items stand in one column, whatever their labels: found by solid ink, so
    // with the characters drawn as boxes.
    struct TBoxText {
        TBoxText() { SetTextLook(tlBoxes); }
        ~TBoxText() { SetTextLook(tlGlyphs); }
    } boxText;
    auto nameColumn = [&](int index) {
        Dialog->cboField->SetItemIndex(index);
        TBitmap bitmap;
        bitmap.SetSize(Dialog->cboField->Width(), Dialog->cboField->Height());
        Dialog->cboField->PaintTo(&bitmap, 0, 0);
        // The label ends, blanks follow, then the name: the first dark column after a run of 12 blank ones.
        int blank = 0;
        for (int x = 3; x < bitmap.Width() - 20; ++x) {
            bool dark = false;
            for (int y = 3; y < bitmap.Height() - 3; ++y)
                dark = dark || bitmap.Pixel(x, y) == clBlack || bitmap.Pixel(x, y) == clHighlightText;
            if (dark && blank >= 12) return x;
            blank = dark ? 0 : blank + 1;
        }
        return -1;
    };
    const int a = nameColumn(0), b = nameColumn(2);
    EXPECT_GT(a, 0);
    EXPECT_EQ(a, b);
}

TEST_F(QBEForm, TheRowLimitIsTypedAgainOnATraditionalChineseInterface) {
    for (const char* codePage : {"936", "950"}) {
        SCOPED_TRACE(codePage);
        WriteFile("C:\\Veltrane\\VeltraneC.ini",
                  AnsiString("[Server Information]\r\nComputerName=127.0.0.1\r\n"
                             "ServerPort=211\r\n[CodePage]\r\nUICodePage=") +
                      codePage + "\r\nDBCodePage=936\r\n");
        StartWithSchemes();
        Dialog->cbTopRow->SetStyle(csDropDownList); // as the converter leaves a combo
        Dialog->FormShow(Dialog);
        EXPECT_EQ(Dialog->cbTopRow->Style(), AnsiString(codePage) == "950" ? csDropDown : csDropDownList);
        delete Dialog;
        delete BaseForm;
        BaseForm = nullptr;
    }
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

namespace {

// The base form takes the dialog's condition and sort as they stand and re-queries its records with them.
TEST_F(QBEForm, TheBaseFormAppliesTheDialogsConditionAndSort) {
    StartWithSchemes();
    SetRow(1, Label("TA001"), "等于", "A2");
    Dialog->DoCondition(nullptr);
    BaseForm->QBEForm = Dialog;
    BaseForm->ApplyQBECondition();
    EXPECT_EQ(BaseForm->LastWhere, Dialog->Where());
    EXPECT_NE(BaseForm->LastWhere.find("TESTA.TA001 = 'A2'"), AnsiString::npos);
    EXPECT_EQ(BaseForm->LastOrder, Dialog->OrderBy());
    const Variant request = Server->Schemes->LastDataRequest();
    ASSERT_TRUE(VarIsArray(request));
    EXPECT_NE(VarToStr(request.GetElement({0})).find("TA001 = 'A2'"), AnsiString::npos);
    EXPECT_TRUE(Main()->Active());
    BaseForm->QBEForm = nullptr;
}

} // namespace
