#include "dialogs/QvQBE.h"

#include "classlib/objects/formloader.h"
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
#include "framework/knlRadical.h"

namespace {

const char* const kAuditFields[] = {"COMPANY",  "CREATOR",   "USR_GROUP", "CREATE_DATE",
                                    "MODIFIER", "MODI_DATE", "FLAG"};
const char* const kAttachFields[] = {"Parent",   "SeqNo", "KeyValues", "CompanyID", "UserID",  "Type",
                                     "FileName", "DocID", "Revision",  "AddDate",   "AddTime", "KeyFields"};

bool IsAudit(const AnsiString& name) {
    for (const char* audit : kAuditFields)
        if (SameText(name, audit)) return true;
    return false;
}

bool IsAttachField(const AnsiString& name) {
    for (const char* field : kAttachFields)
        if (SameText(name, field)) return true;
    return false;
}

// The last count characters of a name read as a number of at least 1.
bool NumberedName(const AnsiString& name, int count) {
    if (static_cast<int>(name.size()) < count) return false;
    const AnsiString tail = name.substr(name.size() - count);
    if (tail.find_first_not_of("0123456789") != AnsiString::npos) return false;
    return StrToIntDef(tail, 0) >= 1;
}

AnsiString PadRight(const AnsiString& text, int width) {
    return static_cast<int>(text.size()) >= width ? text : text + AnsiString(width - text.size(), ' ');
}

AnsiString AfterTab(const AnsiString& text) {
    const size_t tab = text.find('\t');
    return tab == AnsiString::npos ? text : text.substr(tab + 1);
}

void PrepareValueField(TClientDataSet* cds) {
    if (cds->Active()) return;
    cds->FieldDefs()->Add("QBE", ftString, 255);
    cds->CreateDataSet();
    cds->Append();
}

} // namespace

TQBEForm::TQBEForm(TComponent* owner, bool load)
    : TQVForm(owner, false), FRecords(std::make_unique<TRecordInfoList>()),
      FOperators(std::make_unique<TStringList>()), FMessages(std::make_unique<TStringList>()) {
    if (load) InitInheritedComponent(this);
}

TQBEForm::~TQBEForm() {
    // A form freed without its OnDestroy still gives the grid its own window procedure back: the grid's
    // editor talks to it while the controls die, after this object is gone.
    if (sg1 && FGridWndProc) sg1->SetWindowProc(FGridWndProc);
}

// ---- what the dialog reaches through its form ----

TfrmRadical* TQBEForm::DocumentForm() const {
    return dynamic_cast<TfrmRadical*>(Owner());
}

TdmRadical* TQBEForm::DataModule() const {
    TfrmRadical* form = DocumentForm();
    return form ? form->DataModule : nullptr;
}

AnsiString TQBEForm::Message(int line) const {
    if (line >= 0 && line < FMessages->Count()) return FMessages->Strings(line);
    // A language text written before a line was added still says it, in the built-in words.
    const TStrings* own = moMsgLNG ? moMsgLNG->Lines() : nullptr;
    return own && line >= 0 && line < own->Count() ? own->Strings(line) : AnsiString();
}

void TQBEForm::ShowError(int line, const AnsiString& what) {
    ShowMessageDlg(Message(line) + what, mtError, {mbOK});
}

TQBEForm::TValueKind TQBEForm::FieldValueKind(TField* field) const {
    TdmRadical* module = DataModule();
    if (!field) return TValueKind::Plain;
    if (Pos(UpperCase(field->FieldName()), "CREATE_DATE,MODI_DATE") > 0) return TValueKind::Date;
    if (!module) return TValueKind::Plain;
    const TFieldGetTextEvent& getText = field->OnGetText();
    if (getText == PublishedMethod<TFieldGetTextEvent>(module, "DateFieldGetText")) return TValueKind::Date;
    if (getText == PublishedMethod<TFieldGetTextEvent>(module, "YMFieldGetText"))
        return TValueKind::YearMonth;
    if (getText == PublishedMethod<TFieldGetTextEvent>(module, "YearFieldGetText")) return TValueKind::Year;
    return TValueKind::Plain;
}

AnsiString TQBEForm::ToUI(const AnsiString& text) const {
    return QvConverter ? VarToStr(QvConverter->DBToUI(text)) : text;
}

AnsiString TQBEForm::ToDB(const AnsiString& text) const {
    return QvConverter ? VarToStr(QvConverter->UIToDB(text)) : text;
}

AnsiString TQBEForm::FromUI(const AnsiString& text) const {
    return QvConverter ? VarToStr(QvConverter->UIToProgram(text)) : text;
}

TQBEDateSettings TQBEForm::DateSettings() const {
    TQBEDateSettings settings;
    if (TdmRadical* module = DataModule()) {
        settings.DateMask = module->DateFieldEditMask();
        settings.YMMask = module->YMFieldEditMask();
        settings.DateKind = module->DateKind;
        settings.DateSeparator = module->DateSeparator.empty() ? AnsiString("/") : module->DateSeparator;
    }
    return settings;
}

// ---- creation ----

void TQBEForm::FormCreate(TObject* sender) {
    TQVForm::FormCreate(sender);
    cbTopRow->SetText("500");
    PrepareValueField(cdsTemp);
    PrepareValueField(cdsTemp2);
    CbOperator->SetItemIndex(0);
    CbOperator2->SetItemIndex(0);
    rgLogic->SetItemIndex(0);
    rgLogic2->SetItemIndex(0);
    FFirstActivation = true;
    FBodyBound = false;
    Converted = false;
    ExtPageControl1->SetActivePage(TabSheet1);
    TabSheet3->SetTabVisible(false);
    LoadLanguageTexts();
    const bool chinese = GetUICodePage() == "936" || GetUICodePage() == "950";
    FLabelWidth = chinese ? 14 : 22;
    // Label and field name in two columns: tab stops of 6 characters, 10 on an English interface.
    FTabFormat = chinese ? 0x6C0 : 0xAC0;
    Canvas()->Font()->Assign(cboField->Font());
    const int itemHeight = chinese ? Canvas()->TextHeight("测试") + 2 : Canvas()->TextHeight("Test") + 5;
    cboField->SetItemHeight(itemHeight);
    cboField2->SetItemHeight(itemHeight);
    FHintedItem = -1;
    FDesignHeight = Height();
    // The wheel over the grid first takes its empty rows away.
    FGridWndProc = sg1->WindowProc();
    sg1->SetWindowProc(TWndMethod(this, &TQBEForm::sg1WndProc));

    sg1->SetOptions(sg1->Options() | TGridOptions{goEditing, goAlwaysShowEditor});
    sg1->AutoEditNextCell = true;
    sg1->SetColWidths(0, 131);
    sg1->SetColWidths(1, 88);
    sg1->SetColWidths(2, 187);
    sg1->SetColWidths(3, 32);
    for (int col = 0; col < 4; ++col)
        sg1->SetFixedAlignCol(col, TMyAlign::alCenter);
    sg1->GetColControl(1)->SetKind(TCellControlKind::ctPickList);
    sg1->GetColControl(1)->SetPickList(FOperators.get());
    sg1->GetColControl(3)->SetKind(TCellControlKind::ctPickList);
    TStringList connectives;
    connectives.SetText("AND\r\nOR\r\n");
    sg1->GetColControl(3)->SetPickList(&connectives);
    sg1->GetColControl(0)->SetKind(TCellControlKind::ctPickList);
    sg1->SetCells(3, 1, "AND");
    sg1->OnComboBoxClick = TNotifyEvent(this, &TQBEForm::sg1PickListClick);
    sg1->OnValidateEdit = TCellEventBool(this, &TQBEForm::sg1ValidateEdit);
    sg1->OnCalcCellColors = TCalcCellColorsEvent(this, &TQBEForm::sg1CalcCellColors);
}

void TQBEForm::LoadLanguageTexts() {
    AnsiString text;
    GetLangString("TQBEForm", "C_Operators", text, false, DefaultOperatorLines());
    FOperators->SetText(text);
    GetLangString("TQBEForm", "Cells00", text, false, "查询字段");
    sg1->SetCells(0, 0, text);
    GetLangString("TQBEForm", "Cells10", text, false, "操作符");
    sg1->SetCells(1, 0, text);
    GetLangString("TQBEForm", "Cells20", text, false, "条件");
    sg1->SetCells(2, 0, text);
    GetLangString("TQBEForm", "moMsgLngLines", text, false, moMsgLNG->Lines()->Text());
    FMessages->SetText(text);
}

void TQBEForm::FormDestroy(TObject*) {
    if (sg1 && FGridWndProc) sg1->SetWindowProc(FGridWndProc);
    FreeHint();
    FRecords->Clear();
}

void TQBEForm::FormClose(TObject*, TCloseAction&) {
    FinishRename(false);
    FreeHint();
}

namespace {

// The widest item of a combo in its own font, TABs expanded as the field lists draw them.
int WidestItem(TCanvas* canvas, TCustomComboBox* combo) {
    canvas->Font()->Assign(combo->Font());
    int widest = 0;
    for (int i = 0; i < combo->Items()->Count(); ++i)
        widest = std::max(widest, canvas->TextWidth(StringReplace(combo->Items()->Strings(i), "\t", "      ",
                                                                  rfReplaceAll)));
    return widest;
}

} // namespace

void TQBEForm::FormShow(TObject* sender) {
    TQVForm::FormShow(sender);
    // The lists drop wide enough for label and field name side by side.
    for (TComboBox* fields : {cboField, cboField2})
        fields->SetDropDownWidth(std::max(fields->Width(), WidestItem(Canvas(), fields) + 60));
    for (TComboBox* operators : {CbOperator, CbOperator2})
        operators->SetDropDownWidth(WidestItem(Canvas(), operators) + 5);
    // The converter turns combos into lists on a traditional-Chinese interface; the row limit is typed.
    if (GetUICodePage() == "950") cbTopRow->SetStyle(csDropDown);
}

void TQBEForm::FormActivate(TObject*) {
    if (FFirstActivation) {
        ExtPageControl1->SetActivePage(TabSheet1);
        if (!Panel2->Visible() || !FBodyBound) Memo1->SetHeight(Memo1->Height() + 10);
    }
    // A reopened dialog starts without its detail filter; within one run it is kept.
    if (FNewRun && chkBody->Visible()) {
        if (ExtPageControl1->ActivePage() == TabSheet3) ExtPageControl1->SetActivePage(TabSheet2);
        TabSheet3->SetTabVisible(false);
        chkBody->SetChecked(false);
    }
    UpdateDefaultButton();
    FFirstActivation = false;
    FNewRun = false;
}

void TQBEForm::UpdateDefaultButton() {
    BBOK->SetDefault(ExtPageControl1->ActivePageIndex() != 0);
}

void TQBEForm::ExtPageControl1Change(TObject*) {
    UpdateDefaultButton();
}

void TQBEForm::FormKeyPress(TObject*, char& key) {
    if (key == '\r' && ActiveControl() == sg1 && sg1->Col() == sg1->ColCount() - 1)
        sg1->AfterLastCellEdit = NextNewRow(VK_RETURN) <= 0 ? lc_first : lc_newcolrow;
    if (key == 27) {
        key = 0;
        SetModalResult(mrCancel);
    }
}

void TQBEForm::cbTopRowKeyPress(TObject*, char& key) {
    if (!(key >= '0' && key <= '9') && key != 8) key = 0;
}

// ---- binding ----

void TQBEForm::SetHeadDataSet(TDataSet* dataSet, const AnsiString& headTable, bool hideRowLimit,
                              const AnsiString& selectList, const AnsiString& keyList) {
    FHeadDataSet = dataSet;
    FHeadTable = headTable;
    FKeyList = keyList;
    FHeadSelect = Trim(selectList);
    if (SameText(headTable, "ATTACH"))
        FHeadSelect =
            "QVNMA.MA002 UserName, WOQ.MB002 ProgName, QVN.MB002 CompanyName, DMS.Status, DMS.DocName, "
            "DMS.DocType, DMS.Description";
    BuildFieldLists();
    // The height follows the row limit's panel from the designed height, however often the head is bound.
    Panel2->SetVisible(!hideRowLimit);
    SetHeight(hideRowLimit ? FDesignHeight - Panel2->Height() : FDesignHeight);
    ExtPageControl1->SetActivePage(TabSheet1);
    FRecords->Clear();
    if (!FColumnsSet) {
        lstCondition->Columns()->Clear();
        TListColumn* name = lstCondition->Columns()->Add();
        name->SetCaption(Message(2));
        name->SetAlignment(taRightJustify);
        TListColumn* date = lstCondition->Columns()->Add();
        date->SetCaption(Message(3));
        FColumnsSet = true;
    }
    BuildColumnList();
    ConvertCodePage();
    // The operators as the user interface shows them (the converted pick list), so that a row's
    // operator is found again among them when the condition is built.
    FOperators->Assign(sg1->GetColControl(1)->PickList());
    // The schemes' names come from the database, converted for the user interface as they are listed:
    // listed after the form's conversion, which would convert them again.
    try {
        LoadSchemeList();
    } catch (const Exception&) {
        // No scheme list (no server yet): the dialog works without one.
    }
    FillKeyRows();
}

void TQBEForm::SetBodyDataSet(TDataSet* dataSet, const AnsiString& bodyTable, const AnsiString& extraFrom,
                              const AnsiString& bodySelectList, const AnsiString& bodyLinkList) {
    FBodyDataSet = dataSet;
    FBodyTable = bodyTable;
    if (!Trim(extraFrom).empty()) FBodyExtraFrom = extraFrom;
    FBodySelect = Trim(bodySelectList);
    FBodyLinkList = bodyLinkList;
    FBodyBound = true;
    chkBody->SetVisible(Panel2->Visible());
    BuildBodyFieldLists();
}

void TQBEForm::BuildFieldLists() {
    cboField->Items()->Clear();
    ListBox1->Items()->Clear();
    FFieldNames.clear();
    FFieldTypes.clear();
    if (!FHeadDataSet || !FHeadDataSet->Active()) return;
    std::vector<AnsiString> main, tail;
    std::vector<AnsiString> mainNames, tailNames;
    std::vector<int> mainTypes, tailTypes;
    const bool attach = SameText(FHeadTable, "ATTACH");
    const std::vector<AnsiString> entries = SelectListEntries(FHeadSelect);
    for (int i = 0; i < FHeadDataSet->FieldCount(); ++i) {
        TField* field = FHeadDataSet->Fields()->Fields(i);
        if (field->FieldKind() != fkData) continue;
        const AnsiString name = field->FieldName();
        if (!IsColumnName(name)) continue;
        AnsiString label =
            PadRight(Converted ? field->DisplayLabel() : ToDB(field->DisplayLabel()), FLabelWidth);
        if (IsAudit(name)) {
            tail.push_back(label + "\t" + name);
            tailNames.push_back(name);
            tailTypes.push_back(field->DataType());
            continue;
        }
        AnsiString expr;
        if ((field->Visible() && NumberedName(name, 2)) || (attach && IsAttachField(name))) {
            expr = name;
        } else if (field->Visible()) {
            bool found = false;
            expr = SelectExpression(name, FHeadTable, FHeadSelect, found);
            if (!found) expr = entries.empty() ? AnsiString() : name;
        }
        if (expr.empty()) continue;
        main.push_back(label + "\t" + expr);
        mainNames.push_back(name);
        mainTypes.push_back(field->DataType());
    }
    for (size_t i = 0; i < main.size(); ++i) {
        cboField->Items()->Add(main[i]);
        ListBox1->Items()->Add(main[i]);
        FFieldNames.push_back(mainNames[i]);
        FFieldTypes.push_back(mainTypes[i]);
    }
    for (size_t i = 0; i < tail.size(); ++i) {
        cboField->Items()->Add(tail[i]);
        ListBox1->Items()->Add(tail[i]);
        FFieldNames.push_back(tailNames[i]);
        FFieldTypes.push_back(tailTypes[i]);
    }
    if (cboField->Items()->Count() > 0) {
        cboField->SetItemIndex(0);
        cboFieldChange(cboField);
    }
}

void TQBEForm::BuildBodyFieldLists() {
    cboField2->Items()->Clear();
    FBodyFieldNames.clear();
    FBodyFieldTypes.clear();
    if (!FBodyDataSet || !FBodyDataSet->Active()) return;
    const bool attach = SameText(FBodyTable, "ATTACH");
    for (int i = 0; i < FBodyDataSet->FieldCount(); ++i) {
        TField* field = FBodyDataSet->Fields()->Fields(i);
        if (field->FieldKind() != fkData) continue;
        const AnsiString name = field->FieldName();
        if (!IsColumnName(name)) continue;
        const AnsiString label = PadRight(ToDB(field->DisplayLabel()), FLabelWidth);
        AnsiString expr;
        if (attach || (field->Visible() && (NumberedName(name, 2) || NumberedName(name, 3)))) {
            expr = name;
        } else if (field->Visible()) {
            bool found = false;
            expr = SelectExpression(name, FBodyTable, FBodySelect, found);
            if (found && UpperCase(expr).find("SELECT") != AnsiString::npos) continue;
            if (!found) expr = FBodySelect.empty() ? AnsiString() : name;
        }
        if (expr.empty()) continue;
        cboField2->Items()->Add(label + "\t" + expr);
        FBodyFieldNames.push_back(name);
        FBodyFieldTypes.push_back(field->DataType());
    }
    if (cboField2->Items()->Count() > 0) {
        cboField2->SetItemIndex(0);
        cboField2Change(cboField2);
    }
}

void TQBEForm::SetDefaultTopRow(int rows) {
    const AnsiString text = IntToStr(rows);
    int index = cbTopRow->Items()->IndexOf(text);
    if (index < 0) {
        cbTopRow->Items()->Insert(0, text);
        index = 0;
    }
    cbTopRow->SetItemIndex(index);
    cbTopRow->SetText(text);
}

int TQBEForm::GetTopRow() const {
    return StrToIntDef(Trim(cbTopRow->Text()), 500);
}

// ---- running ----

bool TQBEForm::Execute(AnsiString& where, AnsiString& orderBy) {
    FNewRun = true;
    if (ShowModal() != mrOk) return false;
    orderBy = Trim(FOrderBy).empty() ? FKeyList : FOrderBy;
    GetCondition(where);
    where = FromUI(where);
    return true;
}

void TQBEForm::GetCondition(AnsiString& where) const {
    where = FLeftPage != 0 && chkBody->Checked() ? FWhere2 : FWhere;
}

void TQBEForm::BuildQuery(AnsiString& where, AnsiString& orderBy) {
    DoCondition(this);
    GetCondition(where);
    where = FromUI(where);
    orderBy = FOrderBy;
}

void TQBEForm::BBOKClick(TObject* sender) {
    DoCondition(sender);
    if (FConditionFault) SetModalResult(mrNone);
}

AnsiString TQBEForm::GridCondition() const {
    return ::GridCondition(GridRows(sg1), *FRecords, *FOperators, DateSettings());
}

void TQBEForm::DoCondition(TObject*) {
    FLeftPage = ExtPageControl1->ActivePageIndex();
    FConditionFault = false;
    if (FLeftPage <= 0) {
        if (sg1->EditorMode()) sg1->SetEditorMode(false);
        FWhere = GridCondition();
        FWhere2 = FWhere;
        FOrderBy = "";
        // The first row whose value its field cannot take is said and gets the cursor; OK then leaves
        // the dialog open rather than fetch without that row.
        for (int row = 1; row < sg1->RowCount(); ++row) {
            if (SayRowFault(row)) continue;
            FConditionFault = true;
            sg1->MoveCurrent(2, row);
            if (sg1->CanFocus()) sg1->SetFocus();
            break;
        }
        return;
    }
    if (chkBody->Checked()) {
        FWhere = Trim(Memo1->Lines()->Text());
        FDetail = Trim(Memo2->Lines()->Text());
        TfrmRadical* form = DocumentForm();
        FWhere2 =
            DetailCondition(FWhere, FDetail, FHeadTable, FKeyList, FBodyTable, FBodyLinkList, FBodyExtraFrom,
                            form ? form->Database : AnsiString(), form ? form->SkipDbQualifier : false);
    } else {
        FWhere = Memo1->Lines()->Text();
        FWhere2 = FWhere;
    }
    std::vector<TSortItem> items;
    for (int i = 0; i < ListBox2->Items()->Count(); ++i)
        items.push_back({ListBox2->Items()->Strings(i), SortItemChecked(ListBox2, i)});
    FOrderBy = SortCondition(items, FHeadTable, FHeadSelect);
}

// ---- the condition grid ----

void TQBEForm::ClearGrid() {
    if (sg1->EditorMode()) sg1->SetEditorMode(false);
    while (sg1->RowCount() > 2)
        sg1->RemoveRow(sg1->RowCount() - 1);
    for (int col = 0; col < sg1->ColCount(); ++col) {
        sg1->SetCells(col, 1, "");
        sg1->ResetCellProps(col, 1);
    }
    FLastFieldCell = "";
}

void TQBEForm::BuildColumnList() {
    FRecords->Clear();
    ClearGrid();
    TGridStrings* fields = sg1->GetColControl(0)->PickList();
    if (fields) fields->Clear();
    if (!FHeadDataSet) return;
    TdmRadical* module = DataModule();
    const AnsiString dateMask = module ? module->DateFieldEditMask() : AnsiString();
    const AnsiString ymMask = module ? module->YMFieldEditMask() : AnsiString();
    // The combo boxes of the form's head grid, found once rather than once a field.
    TfrmRadical* form = DocumentForm();
    std::vector<TwwDBComboBox*> gridCombos;
    if (form)
        if (TComponent* grid = form->FindComponent("gdHead"))
            for (int c = 0; c < form->ComponentCount(); ++c)
                if (auto* combo = dynamic_cast<TwwDBComboBox*>(form->Components(c));
                    combo && combo->Parent() == grid)
                    gridCombos.push_back(combo);
    TStringList lines;
    for (int i = 0; i < FHeadDataSet->FieldCount(); ++i) {
        TField* field = FHeadDataSet->Fields()->Fields(i);
        if (!field->Visible() || field->FieldKind() != fkData || QBEFieldClass(field->DataType()) < 0)
            continue;
        const AnsiString expr = GridColumnExpression(field->FieldName(), FHeadTable, FHeadSelect);
        if (expr.empty()) continue;
        auto* record = new TRecordInfo;
        record->DisplayLabel = Trim(field->DisplayLabel());
        record->DataType = field->DataType();
        record->ColumnExpr = expr;
        const TValueKind kind = FieldValueKind(field);
        const bool dateField = kind == TValueKind::Date;
        const bool ymField = kind == TValueKind::YearMonth;
        AnsiString controlType, parameters;
        if (wwDataSet_GetControl(FHeadDataSet, field->FieldName(), controlType, parameters) &&
            SameText(controlType, "CheckBox"))
            record->CheckBox = true;
        else
            record->EditMask = dateField ? dateMask : ymField ? ymMask : AnsiString();
        // The combo boxes of the form's head grid give the field its pick list (the last one wins),
        // and so does the combo that the data set names as the field's grid editor.
        if (form) {
            for (TwwDBComboBox* combo : gridCombos)
                if (SameText(combo->DataField(), field->FieldName()))
                    record->PickList->Assign(combo->Items());
            if (record->PickList->Count() == 0 && SameText(controlType, "CustomEdit"))
                if (auto* combo = dynamic_cast<TwwDBComboBox*>(
                        form->FindComponent(Trim(parameters.substr(0, parameters.find(';'))))))
                    record->PickList->Assign(combo->Items());
        }
        FRecords->AddRecord(field->FieldName(), record);
        lines.Add((Converted ? record->DisplayLabel : FromUI(record->DisplayLabel)) + "\t" +
                  field->FieldName());
    }
    sg1->GetColControl(0)->SetPickList(&lines);
}

void TQBEForm::FillKeyRows() {
    if (!FHeadDataSet) return;
    int placed = 0;
    for (const AnsiString& key : SelectListEntries(FKeyList)) {
        const AnsiString name = Trim(key);
        TField* field = FHeadDataSet->FindField(name);
        if (!field || !field->Visible()) continue;
        const int row = placed + 1;
        if (row >= sg1->RowCount()) {
            sg1->SetRowCount(row + 1);
            sg1->SetCells(1, row,
                          FOperators->Count() > 0 ? AnsiString(FOperators->Strings(0).substr(
                                                        0, FOperators->Strings(0).find('\t')))
                                                  : AnsiString());
            sg1->SetCells(3, row, "AND");
        }
        sg1->SetCells(0, row, Trim(field->DisplayLabel()));
        PrepareValueCell(row);
        ++placed;
    }
    if (placed > 0) sg1->MoveCurrent(2, 1);
}

void TQBEForm::PrepareValueCell(int row) {
    const AnsiString label = Trim(sg1->Cells(0, row));
    FLastFieldCell = label;
    sg1->SetCells(2, row, "");
    sg1->ResetCellProps(2, row);
    const TRecordInfo* record = FRecords->FindRecord(label);
    if (!record) return;
    if (record->CheckBox) {
        TControlInfo* control = sg1->GetCellControl(2, row);
        control->SetKind(TCellControlKind::ctCheckBox);
        control->SetCheckedText("Y");
        control->SetUncheckedText("N");
        sg1->SetCells(2, row, "N");
    } else if (QBEFieldClass(record->DataType) == 0 && record->PickList->Count() == 0) {
        sg1->SetAlignCell(2, row, TMyAlign::alRight);
    } else {
        if (!record->EditMask.empty()) sg1->SetCellEditMask(2, row, record->EditMask);
        if (record->PickList->Count() > 0) {
            TControlInfo* control = sg1->GetCellControl(2, row);
            control->SetKind(TCellControlKind::ctPickList);
            control->SetPickList(record->PickList.get());
        }
    }
}

void TQBEForm::sg1SelectCell(TObject*, int col, int row, bool&) {
    if (row < 1) return;
    if (Trim(sg1->Cells(1, row)).empty() && FOperators->Count() > 0) {
        const AnsiString first = FOperators->Strings(0);
        sg1->SetCells(1, row, first.substr(0, first.find('\t')));
    }
    if (Trim(sg1->Cells(3, row)).empty()) sg1->SetCells(3, row, "AND");
    // The numeric-entry mode follows the row the cursor goes to, whatever its column.
    const TRecordInfo* record = FRecords->FindRecord(Trim(sg1->Cells(0, row)));
    sg1->SetTag(record && QBEFieldClass(record->DataType) == 0 ? 1 : 0);
    if (col == 0) FLastFieldCell = Trim(sg1->Cells(0, row));
}

void TQBEForm::sg1PickListClick(TObject*) {
    if (sg1->Col() == 0) PickField(sg1->Row());
}

void TQBEForm::PickField(int row) {
    if (row < 1) return;
    const AnsiString label = Trim(sg1->Cells(0, row));
    if (label == FLastFieldCell) return;
    PrepareValueCell(row);
    const TRecordInfo* record = FRecords->FindRecord(label);
    sg1->SetTag(record && QBEFieldClass(record->DataType) == 0 ? 1 : 0);
}

void TQBEForm::sg1ValidateEdit(TObject*, int col, int row, bool& result) {
    if (row < 1) return;
    // A field typed rather than picked prepares its value cell too.
    if (col == 0) {
        PickField(row);
        return;
    }
    if (col != 2 || sg1->Cells(2, row).empty()) return;
    // Only a value typed for the field in its row is checked here: a field typed over since then empties
    // the cell when it is left, and OK checks every row as it finally stands.
    const TRecordInfo* record = FRecords->FindRecord(Trim(sg1->Cells(0, row)));
    if (!record) return;
    if (!record->EditMask.empty() && sg1->GetCellEditMask(2, row) != record->EditMask) return;
    if (QBEFieldClass(record->DataType) == 0 && record->PickList->Count() == 0 &&
        sg1->GetAlignCell(2, row) != TMyAlign::alRight)
        return;
    // A value that is not what its field takes is said, and the cell keeps it for the user to mend.
    if (!SayRowFault(row)) result = false;
}

bool TQBEForm::SayRowFault(int row) {
    const TConditionRow cells{sg1->Cells(0, row), sg1->Cells(1, row), sg1->Cells(2, row), sg1->Cells(3, row)};
    const TQBERowCheck check = CheckRowValue(cells, *FRecords, *FOperators, DateSettings());
    switch (check.Fault) {
    case TQBEValueFault::None:
        return true;
    case TQBEValueFault::Number:
        ShowError(12, check.Piece);
        break;
    case TQBEValueFault::Date:
        ShowError(6);
        break;
    case TQBEValueFault::Month:
        ShowError(7);
        break;
    }
    return false;
}

void TQBEForm::sg1KeyPress(TObject*, char& key) {
    // Numbers take their digits, the decimal point, a sign and the commas of a list.
    if (sg1->Tag() == 1 && sg1->Col() == 2 && !(key >= '0' && key <= '9') && key != '.' && key != '-' &&
        key != ',' && key != ' ' && key != 8 && key != '\r' && key != 27)
        key = 0;
}

int TQBEForm::RemoveEmptyRows() {
    int removed = 0;
    if (sg1->EditorMode()) sg1->SetEditorMode(false);
    for (int row = sg1->RowCount() - 1; row >= 1; --row) {
        if (!Trim(sg1->Cells(0, row)).empty()) continue;
        if (sg1->RowCount() > 2) {
            sg1->RemoveRow(row);
        } else {
            for (int col = 0; col < sg1->ColCount(); ++col)
                sg1->SetCells(col, row, "");
            sg1->ResetCellProps(2, row);
        }
        ++removed;
    }
    return removed;
}

int TQBEForm::NextNewRow(Word key) const {
    const TGridStrings* fields = sg1->GetColControl(0)->PickList();
    if (!fields || fields->Count() == 0) return -1;
    int result = -1;
    if ((key == VK_RETURN || key == VK_DOWN) && sg1->Row() == sg1->RowCount() - 1) {
        if (sg1->RowCount() == 2)
            result = !Trim(sg1->Cells(1, 1)).empty() && !Trim(sg1->Cells(3, 1)).empty() ? 2 : -1;
        else
            result = sg1->RowCount();
    } else if (key == VK_INSERT) {
        result = sg1->Row();
    }
    for (int row = 1; row < sg1->RowCount(); ++row)
        if (Trim(sg1->Cells(0, row)).empty()) return -1;
    return result;
}

void TQBEForm::sg1KeyDown(TObject*, Word& key, TShiftState shift) {
    if (key == VK_UP || key == VK_DOWN) {
        if (RemoveEmptyRows() > 0) {
            key = 0;
            return;
        }
    }
    if (key == VK_DELETE && shift.Contains(ssCtrl)) {
        if (sg1->EditorMode()) sg1->SetEditorMode(false);
        if (sg1->RowCount() > 2) {
            sg1->RemoveRow(sg1->Row());
        } else {
            for (int col = 0; col < sg1->ColCount(); ++col)
                sg1->SetCells(col, 1, "");
        }
        key = 0;
        return;
    }
    if (key == VK_DOWN) {
        const int at = NextNewRow(VK_DOWN);
        if (at > 0) {
            key = 0;
            sg1->InsertRow(at);
            const AnsiString first = FOperators->Count() > 0 ? FOperators->Strings(0) : AnsiString();
            sg1->SetCells(1, at, first.substr(0, first.find('\t')));
            sg1->SetCells(3, at, "AND");
            sg1->MoveCurrent(0, at);
        }
    }
}

void TQBEForm::sg1MouseDown(TObject*, TMouseButton, TShiftState, int x, int y) {
    int col = 0, row = 0;
    sg1->MouseToCell(x, y, col, row);
    if (col > 0 && row > 0 && row < sg1->RowCount() && !Trim(sg1->Cells(0, row)).empty()) RemoveEmptyRows();
}

void TQBEForm::sg1CalcCellColors(TObject*, int, int row, TRect, TGridDrawState, TFont* font, TBrush* brush) {
    if (row < 1) return;
    brush->SetColor(row % 2 == 1 ? TColor(15532027) : TColor(15202766));
    font->SetColor(clBlack);
}

// ---- the advanced and detail pages ----

void TQBEForm::cboFieldChange(TObject*) {
    PrepareValueEditor(false);
}

void TQBEForm::cboField2Change(TObject*) {
    PrepareValueEditor(true);
}

void TQBEForm::PrepareValueEditor(bool body) {
    TClientDataSet* cds = body ? cdsTemp2 : cdsTemp;
    TwwDBComboBox* combo = body ? cboValue2 : cboValue;
    TFDbCheckBox* check = body ? ckbValue2 : ckbValue;
    TComboBox* fields = body ? cboField2 : cboField;
    TDataSet* dataSet = body ? FBodyDataSet : FHeadDataSet;
    const std::vector<AnsiString>& names = body ? FBodyFieldNames : FFieldNames;
    const int index = fields->ItemIndex();
    TField* field = dataSet && index >= 0 && index < static_cast<int>(names.size())
                        ? dataSet->FindField(names[index])
                        : nullptr;
    TField* value = cds->Active() && cds->FieldCount() > 0 ? cds->Fields()->Fields(0) : nullptr;

    // The value field is emptied under its old handlers, then takes the new field's.
    if (value) {
        if (cds->State() == dsBrowse) cds->Edit();
        value->Clear();
    }
    combo->SetOnKeyPress(field && IsNumberField(field->DataType())
                             ? TKeyPressEvent(this, &TQBEForm::ForFloatKeyPress)
                             : TKeyPressEvent());
    // The control the form edits the field with: a combo's items, or a check box's two values.
    AnsiString controlType, parameters;
    if (field) wwDataSet_GetControl(dataSet, field->FieldName(), controlType, parameters);
    const bool checkBox = SameText(controlType, "CheckBox");
    // A check box's values are taken as they are, whatever the field shows otherwise.
    const TValueKind kind = checkBox ? TValueKind::Plain : FieldValueKind(field);
    (body ? FValueKind2 : FValueKind) = kind;
    TdmRadical* module = DataModule();
    if (value) {
        AnsiString mask;
        TFieldGetTextEvent getText;
        TFieldNotifyEvent validate;
        TFieldSetTextEvent setText;
        if (module && kind == TValueKind::Date) {
            mask = module->DateFieldEditMask();
            getText = PublishedMethod<TFieldGetTextEvent>(module, "DateFieldGetText");
            validate = PublishedMethod<TFieldNotifyEvent>(module, "DateFieldValidate");
        } else if (module && kind == TValueKind::YearMonth) {
            mask = module->YMFieldEditMask();
            getText = PublishedMethod<TFieldGetTextEvent>(module, "YMFieldGetText");
            validate = PublishedMethod<TFieldNotifyEvent>(module, "YMFieldValidate");
        } else if (module && kind == TValueKind::Year) {
            getText = PublishedMethod<TFieldGetTextEvent>(module, "YearFieldGetText");
        }
        // The module's text handlers, through one that says a text they cannot read.
        if (module && kind != TValueKind::Plain) setText = TFieldSetTextEvent(this, &TQBEForm::ValueSetText);
        value->SetEditMask(mask);
        value->SetOnGetText(getText);
        value->SetOnSetText(setText);
        value->SetOnValidate(validate);
    }
    combo->SetOnExit(kind == TValueKind::Date ? TNotifyEvent(this, &TQBEForm::DateFieldDBComboDlgExit)
                                              : TNotifyEvent(this, &TQBEForm::cboValueExit));

    combo->Items()->Clear();
    if (checkBox) {
        const AnsiString checked = Trim(Copy(parameters, 1, Pos(";", parameters + ";") - 1));
        const AnsiString unchecked =
            Trim(Copy(parameters, Pos(";", parameters + ";") + 1, parameters.size()));
        check->SetValueChecked(checked);
        check->SetValueUnchecked(unchecked);
        // The box shows a state: Add sends the one it shows.
        if (value) value->SetAsString(unchecked);
        combo->SetVisible(false);
        check->SetVisible(true);
        return;
    }
    check->SetVisible(false);
    combo->SetVisible(true);
    auto* source = SameText(controlType, "CustomEdit") && DocumentForm()
                       ? dynamic_cast<TwwDBCustomComboBox*>(DocumentForm()->FindComponent(Trim(parameters)))
                       : nullptr;
    if (source && source->Items()->Count() > 0) {
        combo->SetStyle(source->Style());
        combo->SetMapList(source->MapList());
        combo->Items()->Assign(source->Items());
    } else {
        combo->SetStyle(csSimple);
        combo->SetMapList(false);
    }
    combo->SetText("");
}

void TQBEForm::ValueSetText(TField* sender, const AnsiString& text) {
    TdmRadical* module = DataModule();
    if (!sender || !module) return;
    const TValueKind kind = sender->DataSet() == cdsTemp2 ? FValueKind2 : FValueKind;
    // A mask left blank is no value.
    if (Trim(StringReplace(text, module->DateSeparator, "", rfReplaceAll)).empty()) {
        sender->Clear();
        return;
    }
    switch (kind) {
    case TValueKind::Date:
        module->DateFieldSetText(sender, text);
        break;
    case TValueKind::YearMonth:
        module->YMFieldSetText(sender, text);
        break;
    case TValueKind::Year: {
        int year = 0;
        if (!TryStrToInt(Trim(text), year)) {
            ShowError(12, Trim(text));
            Abort();
        }
        module->YearFieldSetText(sender, text);
        break;
    }
    case TValueKind::Plain:
        sender->SetAsString(text);
        return;
    }
    // What the module's handler could not read it leaves empty: said, and the text stays typed.
    if (sender->AsString().empty()) {
        ShowError(kind == TValueKind::YearMonth ? 7 : 6);
        Abort();
    }
}

void TQBEForm::DateFieldDBComboDlgExit(TObject* sender) {
    auto* combo = dynamic_cast<TwwDBComboBox*>(sender);
    TClientDataSet* cds = combo == cboValue2 ? cdsTemp2 : cdsTemp;
    TdmRadical* module = DataModule();
    if (!combo || !module || !cds->Active() || cds->FieldCount() == 0) return;
    TField* value = cds->Fields()->Fields(0);
    // A date mask with nothing typed into it leaves no date behind.
    if (Trim(StringReplace(combo->Text(), module->DateSeparator, "", rfReplaceAll)).empty() &&
        !value->AsString().empty() && value->EditMask() == module->DateFieldEditMask())
        value->Clear();
}

void TQBEForm::ForFloatKeyPress(TObject* sender, char& key) {
    const auto* combo = dynamic_cast<TCustomComboBox*>(sender);
    if (key == 8 || (key >= '0' && key <= '9') || key == '-') return;
    if (key == '.' && (!combo || combo->Text().find('.') == AnsiString::npos)) return;
    key = 0;
}

void TQBEForm::cboValueExit(TObject*) {}

void TQBEForm::AddAdvanced(bool body) {
    TClientDataSet* cds = body ? cdsTemp2 : cdsTemp;
    TwwDBComboBox* combo = body ? cboValue2 : cboValue;
    TComboBox* fields = body ? cboField2 : cboField;
    TComboBox* operators = body ? CbOperator2 : CbOperator;
    TRadioGroup* logic = body ? rgLogic2 : rgLogic;
    TMemo* memo = body ? Memo2 : Memo1;
    const std::vector<AnsiString>& names = body ? FBodyFieldNames : FFieldNames;
    const std::vector<int>& types = body ? FBodyFieldTypes : FFieldTypes;
    // A pending edit is posted first; a value its field refused keeps the focus and adds nothing.
    if (cds->Active() && (cds->State() == dsEdit || cds->State() == dsInsert)) {
        try {
            cds->UpdateRecord();
        } catch (const EAbort&) {
            if (combo->CanFocus()) combo->SetFocus();
            return;
        }
    }
    const AnsiString value =
        cds->Active() && cds->FieldCount() > 0 ? cds->Fields()->Fields(0)->AsString() : AnsiString();
    if (value.empty()) {
        ShowError(0);
        if (combo->CanFocus()) combo->SetFocus();
        return;
    }
    const int index = fields->ItemIndex();
    if (index < 0 || index >= static_cast<int>(names.size())) return;
    const AnsiString expr = Trim(AfterTab(fields->Items()->Strings(index)));
    // A number field takes a number only: anything else is said and nothing added.
    AnsiString number;
    if (IsNumberField(static_cast<TFieldType>(types[index])) && !QBENumber(value, number)) {
        ShowError(12, Trim(value));
        if (combo->CanFocus()) combo->SetFocus();
        return;
    }
    TfrmRadical* form = DocumentForm();
    const AnsiString condition =
        AdvancedCondition(operators->ItemIndex(), value, expr, names[index], body ? FBodyTable : FHeadTable,
                          body ? FBodySelect : FHeadSelect, types[index], form ? form->SQLType : 0);
    if (condition.empty()) {
        ShowError(0);
        return;
    }
    if (memo->Lines()->Count() == 0)
        memo->Lines()->Add(condition);
    else
        memo->Lines()->Add("  " + (logic->ItemIndex() == 1 ? AnsiString("OR") : AnsiString("AND")) + " " +
                           condition);
    logic->SetEnabled(memo->Lines()->Count() > 0);
}

void TQBEForm::BbAssignClick(TObject*) {
    AddAdvanced(false);
}

void TQBEForm::BbAssign2Click(TObject*) {
    AddAdvanced(true);
}

void TQBEForm::BBClearClick(TObject*) {
    Memo1->Lines()->Clear();
    rgLogic->SetEnabled(false);
}

void TQBEForm::BBClear2Click(TObject*) {
    Memo2->Lines()->Clear();
    rgLogic2->SetEnabled(false);
}

void TQBEForm::Memo1Change(TObject*) {
    rgLogic->SetEnabled(Memo1->Lines()->Count() > 0);
}

void TQBEForm::Memo2Change(TObject*) {
    rgLogic2->SetEnabled(Memo2->Lines()->Count() > 0);
}

void TQBEForm::chkBodyClick(TObject*) {
    TabSheet3->SetTabVisible(chkBody->Checked());
    ExtPageControl1->SetActivePage(chkBody->Checked() ? TabSheet3 : TabSheet2);
    UpdateDefaultButton();
}

void TQBEForm::ListBox1DblClick(TObject*) {
    CopySortItems();
}

void TQBEForm::CopySortItems() {
    for (int i = 0; i < ListBox1->Items()->Count(); ++i) {
        if (!ListBox1->Selected(i) && i != ListBox1->ItemIndex()) continue;
        const AnsiString item = ListBox1->Items()->Strings(i);
        if (ListBox2->Items()->IndexOf(item) < 0) ListBox2->Items()->Add(item);
    }
}

void TQBEForm::ListBox2DblClick(TObject*) {
    const int index = ListBox2->ItemIndex();
    if (index >= 0) ListBox2->Items()->Delete(index);
}

bool TQBEForm::SortItemOffered(const AnsiString& text) const {
    const AnsiString wanted = Trim(AfterTab(text));
    for (int i = 0; i < ListBox1->Items()->Count(); ++i)
        if (Trim(AfterTab(ListBox1->Items()->Strings(i))) == wanted) return true;
    return false;
}

// ---- drawing, the sort list's drag and hints, the grid's wheel ----

void TQBEForm::cboFieldDrawItem(TWinControl* control, int index, TRect rect, TOwnerDrawState state) {
    auto* combo = dynamic_cast<TCustomComboBox*>(control);
    if (!combo) return;
    TCanvas* canvas = combo->Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(state.Contains(odSelected) ? clHighlight : combo->Color());
    canvas->FillRect(rect);
    canvas->Font()->Assign(combo->Font());
    if (state.Contains(odSelected)) canvas->Font()->SetColor(clHighlightText);
    if (index < 0 || index >= combo->Items()->Count()) return;
    // Tab stops every (format >> 8) average characters: the label, then the field name in its column.
    const int tabWidth = std::max(1, static_cast<int>(FTabFormat >> 8) * canvas->TextWidth("0"));
    const AnsiString item = combo->Items()->Strings(index);
    int x = rect.Left + 3;
    size_t start = 0;
    for (;;) {
        const size_t tab = item.find('\t', start);
        const AnsiString piece = item.substr(start, tab == AnsiString::npos ? AnsiString::npos : tab - start);
        canvas->TextRect(rect, x, rect.Top + 1, piece);
        if (tab == AnsiString::npos) break;
        x += canvas->TextWidth(piece);
        x = rect.Left + 3 + ((x - rect.Left - 3) / tabWidth + 1) * tabWidth;
        start = tab + 1;
    }
}

void TQBEForm::ListBox2MouseDown(TObject*, TMouseButton button, TShiftState, int x, int y) {
    FDragItem = button == mbLeft ? ListBox2->ItemAtPos(TPoint{x, y}, true) : -1;
}

void TQBEForm::ListBox2MouseUp(TObject*, TMouseButton button, TShiftState, int x, int y) {
    const int dragged = FDragItem;
    FDragItem = -1;
    if (button != mbLeft || dragged < 0) return;
    const int over = ListBox2->ItemAtPos(TPoint{x, y}, true);
    if (over == dragged) return;
    bool accept = false;
    ListBox2DragOver(ListBox2, ListBox2, x, y, accept);
    if (accept) ListBox2DragDrop(ListBox2, ListBox2, x, y);
}

void TQBEForm::ListBox2DragOver(TObject*, TObject* source, int, int, bool& accept) {
    accept = source == ListBox2;
}

void TQBEForm::ListBox2DragDrop(TObject*, TObject* source, int x, int y) {
    if (source != ListBox2) return;
    const int from = ListBox2->ItemIndex();
    const int count = ListBox2->Items()->Count();
    if (from < 0 || from >= count) return;
    // Below the last item the dragged one goes to the end.
    int to = ListBox2->ItemAtPos(TPoint{x, y}, true);
    if (to < 0) to = count - 1;
    if (to == from) return;
    ListBox2->Items()->Move(from, to);
    ListBox2->SetItemIndex(to);
}

void TQBEForm::ListBox1MouseMove(TObject* sender, TShiftState, int x, int y) {
    auto* list = dynamic_cast<TCustomListBox*>(sender);
    if (!list) return;
    const int index = list->ItemAtPos(TPoint{x, y}, true);
    if (index == FHintedItem && FHintList == list) return;
    FreeHint();
    if (index < 0) return;
    const AnsiString text = StringReplace(list->Items()->Strings(index), "\t", " ", rfReplaceAll);
    TCanvas* canvas = list->Canvas();
    canvas->Font()->Assign(list->Font());
    const TRect item = list->ItemRect(index);
    const int width = canvas->TextWidth(text) + 6;
    if (width <= item.Width()) return;
    // Over the item, moved left as far as needed to stay on the desktop.
    TPoint at = list->ClientToScreen(TPoint{item.Left, item.Top});
    at.X = std::max(0, std::min(at.X, Screen->Width() - width));
    at = ScreenToClient(at);
    const bool english = GetUICodePage() != "936" && GetUICodePage() != "950";
    FHint = new TPanel(this);
    FHint->SetParent(this);
    FHint->SetColor(TColor(14548991));
    FHint->Font()->Assign(list->Font());
    FHint->SetCaption(text);
    FHint->SetBounds(at.X, at.Y, width, item.Height() + (english ? 4 : 0));
    FHint->BringToFront();
    FHintList = list;
    FHintedItem = index;
}

void TQBEForm::TabSheet2MouseMove(TObject*, TShiftState, int, int) {
    FreeHint();
}

void TQBEForm::FreeHint() {
    delete FHint;
    FHint = nullptr;
    FHintList = nullptr;
    FHintedItem = -1;
}

void TQBEForm::sg1MouseWheelDown(TObject*, TShiftState, TPoint, bool& handled) {
    handled = RemoveEmptyRows() > 0;
}

void TQBEForm::sg1MouseWheelUp(TObject*, TShiftState, TPoint, bool& handled) {
    handled = RemoveEmptyRows() > 0;
}

void TQBEForm::sg1WndProc(TMessage& message) {
    if (message.Msg == WM_MOUSEWHEEL) {
        const auto delta = static_cast<short>((message.WParam >> 16) & 0xFFFF);
        const TPoint at{static_cast<short>(message.LParam & 0xFFFF),
                        static_cast<short>((message.LParam >> 16) & 0xFFFF)};
        bool handled = false;
        if (delta < 0)
            sg1MouseWheelDown(sg1, KeyboardShiftState(), at, handled);
        else
            sg1MouseWheelUp(sg1, KeyboardShiftState(), at, handled);
        if (handled) {
            message.Result = 1;
            return;
        }
    }
    if (FGridWndProc) FGridWndProc(message);
}
