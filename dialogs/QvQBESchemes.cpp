// The query form's saved schemes: the conditions on the page stored on the application server under a
// name for the user and program, listed, loaded back, renamed and deleted.
#include "dialogs/QvQBE.h"

#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "dialogs/DocuConditionCF.h"
#include "dialogs/QBESchemes.h"
#include "dialogs/QBESortList.h"
#include "foundation/libstrs.h"
#include "framework/AppServer.h"
#include "framework/Brokers.h"
#include "framework/RadicalCD.h"
#include "framework/RadicalCF.h"

namespace {

Variant WideArray(const std::vector<Variant>& values) {
    std::vector<Variant> wide;
    for (const Variant& value : values)
        wide.push_back(VarIsStr(value) ? Variant(AnsiToWideCP(value.AsString(), 936)) : value);
    return VarArrayOf(wide);
}

} // namespace

AnsiString TQBEForm::SchemeText() const {
    const AnsiString topRow = cbTopRow->Text();
    if (ExtPageControl1->ActivePageIndex() <= 0) return GridSchemeText(topRow, GridRows(sg1));
    TAdvancedScheme scheme;
    scheme.TopRow = topRow;
    scheme.Conditions = Memo1->Lines()->Text();
    for (int i = 0; i < ListBox2->Items()->Count(); ++i)
        scheme.Sort.push_back({ListBox2->Items()->Strings(i), SortItemChecked(ListBox2, i)});
    scheme.Body = chkBody->Checked();
    scheme.BodyConditions = Memo2->Lines()->Text();
    return AdvancedSchemeText(scheme);
}

bool TQBEForm::SaveScheme(const AnsiString& name, bool replace) {
    TfrmRadical* form = DocumentForm();
    TdmRadical* module = DataModule();
    if (!form || !module || !form->Broker) return false;
    try {
        if (sg1->EditorMode()) sg1->SetEditorMode(false);
        const Variant params = WideArray(
            {Variant(ToDB(name)), Variant(form->Broker->UserID), Variant(FormatDateTime("yyyymmdd", Date())),
             Variant(form->Broker->ProgramID), Variant(ToDB(SchemeText())),
             Variant(ExtPageControl1->ActivePageIndex() < 0 ? 0 : ExtPageControl1->ActivePageIndex()),
             Variant(replace)});
        const AnsiString answer = TAppServer(module->AppServer).InsertConTable(params);
        if (!answer.empty()) throw Exception(answer);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

bool TQBEForm::LoadSchemeList() {
    TfrmRadical* form = DocumentForm();
    TdmRadical* module = DataModule();
    if (!form || !module || !form->Broker || !module->cdsSaveCondition) return false;
    const TViewStyle style = lstCondition->ViewStyle();
    lstCondition->SetViewStyle(vsList);
    lstCondition->Items()->Clear();
    try {
        TAppServer(module->AppServer)
            .LoadTable(WideArray({Variant(form->Broker->UserID), Variant(form->Broker->ProgramID)}));
        TClientDataSet* schemes = module->cdsSaveCondition;
        schemes->Close();
        schemes->Open();
        schemes->First();
        while (!schemes->Eof()) {
            TListItem* item = lstCondition->Items()->Add();
            item->SetImageIndex(0);
            item->SetCaption(ToUI(schemes->FieldByName("NCONDITION")->AsString()));
            const AnsiString day = Trim(schemes->FieldByName("CREATE_DATE")->AsString());
            TDateTime date;
            AnsiString shown = day;
            if (day.size() == 8 &&
                TryEncodeDate(StrToIntDef(day.substr(0, 4), 0), StrToIntDef(day.substr(4, 2), 0),
                              StrToIntDef(day.substr(6, 2), 0), date))
                shown = DateToStr(date);
            item->SubItems()->Add(shown);
            schemes->Next();
        }
    } catch (const Exception& failure) {
        lstCondition->SetViewStyle(style);
        throw Exception(failure.Message());
    }
    lstCondition->SetViewStyle(style);
    return true;
}

bool TQBEForm::LoadScheme(int page, const AnsiString& text) {
    try {
        if (page < 0 || page > 2) return false;
        if (page == 2) TabSheet3->SetTabVisible(true);
        ExtPageControl1->SetActivePageIndex(page);
        if (page == 0) {
            AnsiString topRow;
            std::vector<TConditionRow> rows;
            ClearGrid();
            if (!ParseGridScheme(text, topRow, rows)) return false;
            cbTopRow->SetText(topRow);
            for (size_t i = 0; i < rows.size(); ++i) {
                const int row = static_cast<int>(i) + 1;
                if (row >= sg1->RowCount()) sg1->SetRowCount(row + 1);
                sg1->SetCells(0, row, ToUI(rows[i].Field));
                PrepareValueCell(row);
                sg1->SetCells(1, row, ToUI(rows[i].Operator));
                sg1->SetCells(2, row, Trim(rows[i].Value).empty() ? AnsiString() : ToUI(rows[i].Value));
                sg1->SetCells(3, row, ToUI(rows[i].Connective));
            }
            // The cursor goes to the last row once its cells are set: an editor opened on a cell before
            // would write its old text back when the cursor leaves it.
            if (!rows.empty()) sg1->MoveCurrent(0, static_cast<int>(rows.size()));
            return true;
        }
        TAdvancedScheme scheme;
        if (!ParseAdvancedScheme(text, scheme)) return false;
        ListBox2->Items()->Clear();
        cbTopRow->SetText(scheme.TopRow);
        Memo1->Lines()->SetText(ToUI(scheme.Conditions));
        for (const TSortItem& item : scheme.Sort) {
            const AnsiString shown = ToUI(item.Text);
            // Only the columns the sort list offers come back; anything else in a stored text is dropped.
            if (!SortItemOffered(shown)) continue;
            const int index = ListBox2->Items()->Add(shown);
            SetSortItemChecked(ListBox2, index, item.Descending);
        }
        chkBody->SetChecked(scheme.Body);
        TabSheet3->SetTabVisible(scheme.Body);
        if (scheme.Body && page == 2) ExtPageControl1->SetActivePage(TabSheet3);
        Memo2->Lines()->SetText(ToUI(scheme.BodyConditions));
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void TQBEForm::ReloadOwnerMenu() {
    TfrmRadical* form = DocumentForm();
    if (!form) return;
    try {
        const TNotifyEvent reload = PublishedMethod<TNotifyEvent>(form, "LoadSavedConditions");
        if (reload) reload(this);
    } catch (const EInvalidOperation&) {
    }
}

void TQBEForm::btnInsertClick(TObject*) {
    if (pnlCondition->CanFocus()) lstCondition->SetFocus();
    if (sg1->Focused() && sg1->EditorMode()) {
        bool valid = true;
        sg1ValidateEdit(sg1, sg1->Col(), sg1->Row(), valid);
        if (!valid) return;
    }
    Variant result;
    ShowDocuConditionDialog(this, result);
    const AnsiString name = VarToStr(result.GetElement({0}));
    if (Trim(name).empty()) return;
    if (SaveScheme(Trim(name), result.GetElement({1}).AsBoolean())) {
        LoadSchemeList();
        ReloadOwnerMenu();
    } else {
        ShowError(1);
    }
}

void TQBEForm::btnOpenClick(TObject*) {
    TListItem* item = lstCondition->Selected();
    TfrmRadical* form = DocumentForm();
    TdmRadical* module = DataModule();
    if (!item || !form || !module || !module->cdsSaveCondition) return;
    TClientDataSet* schemes = module->cdsSaveCondition;
    if (!schemes->Locate("NCONDITION;CREATOR;PROGRAMME",
                         VarArrayOf({Variant(ToDB(item->Caption())), Variant(form->Broker->UserID),
                                     Variant(form->Broker->ProgramID)}),
                         {}))
        return;
    if (!LoadScheme(schemes->FieldByName("ActivePage")->AsInteger(),
                    schemes->FieldByName("VCONDITION")->AsString()))
        ShowError(4);
}

void TQBEForm::btnDeleteClick(TObject*) {
    TListItem* item = lstCondition->Selected();
    TfrmRadical* form = DocumentForm();
    TdmRadical* module = DataModule();
    if (!item || !form || !module) return;
    if (ShowMessageDlg(Message(5) + item->Caption(), mtConfirmation, {mbYes, mbNo}) != mrYes) return;
    const AnsiString answer =
        TAppServer(module->AppServer)
            .DeleteConTable(WideArray({Variant(ToDB(item->Caption())), Variant(form->Broker->UserID),
                                       Variant(form->Broker->ProgramID)}));
    if (!answer.empty()) throw Exception(answer);
    LoadSchemeList();
    ReloadOwnerMenu();
}

void TQBEForm::lstConditionEdited(TObject*, TListItem* item, AnsiString& newName) {
    if (!item) return;
    const AnsiString oldName = item->Caption();
    if (Trim(newName).empty()) {
        ShowError(8);
        newName = oldName;
        return;
    }
    if (newName.size() >= 21) {
        ShowError(9);
        newName = oldName;
        return;
    }
    for (int i = 0; i < lstCondition->Items()->Count(); ++i) {
        TListItem* other = lstCondition->Items()->Item(i);
        if (other != item && other->Caption() == newName) {
            ShowError(10);
            newName = oldName;
            return;
        }
    }
    if (newName == oldName) return;
    TfrmRadical* form = DocumentForm();
    TdmRadical* module = DataModule();
    if (!form || !module) return;
    const AnsiString user = form->Broker->UserID, program = form->Broker->ProgramID;
    const AnsiString answer =
        TAppServer(module->AppServer)
            .ChangeConName(VarArrayOf({Variant(ToDB(oldName)), Variant(user), Variant(program)}),
                           VarArrayOf({Variant(ToDB(newName)), Variant(user), Variant(program)}));
    if (!answer.empty()) {
        // Shown once, here; the name stays as it was.
        ShowMessageDlg(Message(11) + answer, mtError, {mbOK});
        newName = oldName;
        return;
    }
    item->SetCaption(newName);
    if (TClientDataSet* schemes = module->cdsSaveCondition;
        schemes &&
        schemes->Locate("NCONDITION;CREATOR;PROGRAMME",
                        VarArrayOf({Variant(ToDB(oldName)), Variant(user), Variant(program)}), {})) {
        schemes->Edit();
        schemes->FieldByName("NCONDITION")->SetAsString(ToDB(newName));
        schemes->Post();
    }
    if (auto* menu = dynamic_cast<TPopupMenu*>(form->FindComponent("mnCondition")))
        for (int i = 0; i < menu->Items()->Count(); ++i)
            if (menu->Items()->Items(i)->Caption() == oldName) menu->Items()->Items(i)->SetCaption(newName);
}

// The platform's list view has no label editing of its own: F2 puts an edit over the selected item.
void TQBEForm::lstConditionKeyDown(TObject*, Word& key, TShiftState) {
    if (key != VK_F2 || !lstCondition->Selected()) return;
    key = 0;
    FRenaming = lstCondition->Selected();
    edRename->SetText(FRenaming->Caption());
    edRename->SetVisible(true);
    edRename->SetFocus();
}

void TQBEForm::edRenameKeyPress(TObject*, char& key) {
    if (key == '\r') {
        key = 0;
        FinishRename(true);
    } else if (key == 27) {
        key = 0;
        FinishRename(false);
    }
}

void TQBEForm::edRenameExit(TObject*) {
    FinishRename(true);
}

void TQBEForm::FinishRename(bool accept) {
    TListItem* item = FRenaming;
    FRenaming = nullptr;
    if (!item || !edRename) return;
    edRename->SetVisible(false);
    if (!accept) return;
    AnsiString name = edRename->Text();
    lstConditionEdited(lstCondition, item, name);
}

void TQBEForm::SetView(TViewStyle style, TMenuItem* item) {
    lstCondition->SetViewStyle(style);
    for (TMenuItem* each : {ViewIcon, ViewSmallIcon, ViewList, ViewReport})
        each->SetChecked(each == item);
}

void TQBEForm::ToolButton1Click(TObject*) {
    ToolButton1->SetTag((ToolButton1->Tag() + 1) % 4);
    static const char* const names[] = {"ViewIcon", "ViewSmallIcon", "ViewList", "ViewReport"};
    const TNotifyEvent action =
        PublishedMethod<TNotifyEvent>(this, AnsiString(names[ToolButton1->Tag()]) + "Execute");
    if (action) action(this);
}

void TQBEForm::ViewIconExecute(TObject*) {
    SetView(vsIcon, ViewIcon);
}

void TQBEForm::ViewSmallIconExecute(TObject*) {
    SetView(vsSmallIcon, ViewSmallIcon);
}

void TQBEForm::ViewListExecute(TObject*) {
    SetView(vsList, ViewList);
}

void TQBEForm::ViewReportExecute(TObject*) {
    SetView(vsReport, ViewReport);
}
