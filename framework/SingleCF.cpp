#include "framework/SingleCF.h"

#include "classlib/controls/menus.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/strutils.h"
#include "foundation/libstrs.h"
#include "framework/Brokers.h"
#include "framework/FormModes.h"

KVR_PUBLISHED(TfrmSingle, c) {
    c.Field("pgHead", &TfrmSingle::pgHead);
    c.Field("tbsHead1", &TfrmSingle::tbsHead1);
    c.Field("tbsBrowse", &TfrmSingle::tbsBrowse);
    c.Field("gdHead", &TfrmSingle::gdHead);
    c.Method("miOKClick", &TfrmSingle::miOKClick);
    c.Method("miCancelClick", &TfrmSingle::miCancelClick);
    c.Method("miPrintClick", &TfrmSingle::miPrintClick);
    c.Method("FormClose", &TfrmSingle::FormClose);
}

KVR_FORM_RESOURCE(TfrmSingle, R"(inherited frmSingle: TfrmSingle
  inherited ToolBar1: TToolBar
    inherited btnPrint: TToolButton
      OnClick = miPrintClick
    end
    object btnOK: TToolButton
      Enabled = False
      Hint = '保存'
      ImageIndex = 10
      OnClick = miOKClick
    end
    object btnCancel: TToolButton
      Enabled = False
      Hint = '取消'
      ImageIndex = 11
      OnClick = miCancelClick
    end
  end
  inherited MainMenu: TMainMenu
    inherited MenuItem1: TMenuItem
      object miOK: TMenuItem
        Caption = '确定'
        Enabled = False
        ShortCut = 123
        OnClick = miOKClick
      end
      object miCancel: TMenuItem
        Caption = '取消'
        Enabled = False
        OnClick = miCancelClick
      end
    end
  end
  object pgHead: TExtPageControl
    Left = 0
    Top = 29
    Width = 700
    Height = 300
    Align = alClient
    TabOrder = 1
    object tbsHead1: TTabSheet
      Caption = '详细字段'
    end
    object tbsBrowse: TTabSheet
      Caption = '信息浏览'
      object gdHead: TFDBGrid
        Left = 0
        Top = 0
        Width = 692
        Height = 272
        Align = alClient
        Color = 15532027
        ReadOnly = True
        TabOrder = 0
      end
    end
  end
end
)");

TfrmSingle::TfrmSingle(TComponent* owner, bool load) : TfrmBase(owner, false) {
    if (load) InitInheritedComponent(this);
}

void TfrmSingle::ConnectDataModule() {
    TfrmBase::ConnectDataModule();
    if (TdmBase* module = BaseModule(); module && gdHead) gdHead->SetDataSource(module->dsMain);
    // The program's own pages come before the browse page, which stays the last.
    if (pgHead && tbsBrowse) tbsBrowse->SetPageIndex(pgHead->PageCount() - 1);
}

void TfrmSingle::AfterFormShow() {
    TfrmBase::AfterFormShow();
    switch (OpenMode) {
    case OPEN_MODE_ADD:
        AddRecord(true);
        break;
    case OPEN_MODE_EDIT:
        EditRecord();
        break;
    case OPEN_MODE_PRINT:
        PreviewMode = false;
        PrintRecords();
        break;
    default:
        break;
    }
}

void TfrmSingle::ShowFirstPage() {
    if (pgHead && pgHead->PageCount() > 0) pgHead->SetActivePageIndex(0);
}

void TfrmSingle::FocusIfPossible(TWinControl* control) {
    if (control && control->CanFocus()) control->SetFocus();
}

bool TfrmSingle::AddRecord(bool keepValues) {
    TdmSingle* module = SingleModule();
    if (!module) return false;
    if (keepValues) module->ClearKeptValues();
    ShowFirstPage();
    const bool added = TfrmBase::AddRecord(keepValues);
    FocusIfPossible(AddFocusEdit);
    return added;
}

bool TfrmSingle::EditRecord() {
    if (!SingleModule()) return false;
    if (IsFocusPageOne || (pgHead && pgHead->ActivePage() == tbsBrowse)) ShowFirstPage();
    const bool editing = TfrmBase::EditRecord();
    if (editing) FocusIfPossible(EditFocusEdit);
    return editing;
}

bool TfrmSingle::SaveRecord() {
    TdmSingle* module = SingleModule();
    if (!module) return false;
    TClientDataSet* main = module->cdsMain;
    bool saved = false;
    try {
        if (main->State() == dsEdit || main->State() == dsInsert) main->Post();
        if (EditState == esInsert) module->BeforeSaveDetails();
        saved = module->SaveDataSet(main);
    } catch (const EAbort&) {
        // A check has spoken; the record stays as the user has it.
        LastSaveFailed = true;
        if (main->State() != dsEdit && main->State() != dsInsert && !main->IsEmpty()) main->Edit();
        return false;
    }
    LastSaveFailed = !saved;
    if (!saved) {
        Broker->Say("E", "000008");
        if (main->State() != dsEdit && main->State() != dsInsert && !main->IsEmpty()) main->Edit();
        return false;
    }
    if (CloseAfterSave) {
        SetEditState(esBrowse);
        Close();
    } else if (IsKeepOnAdd && EditState == esInsert) {
        AddRecord(false);
    } else {
        SetEditState(esBrowse);
        RecordChanged(main);
    }
    return true;
}

bool TfrmSingle::CancelEdit(bool ask) {
    const bool cancelled = TfrmBase::CancelEdit(ask);
    if (cancelled) LastWhere = "1=1";
    return cancelled;
}

bool TfrmSingle::QueryRecords() {
    TdmSingle* module = SingleModule();
    if (!module) return false;
    SetQueryCondition(module->cdsMain, LastWhere.empty() ? AnsiString("1=1") : LastWhere, LastOrder);
    SetEditState(esBrowse);
    if (pgHead && tbsBrowse) pgHead->SetActivePage(tbsBrowse);
    FocusIfPossible(gdHead);
    return true;
}

bool TfrmSingle::ValidateRecord(TDataSet* dataSet) {
    TdmSingle* module = SingleModule();
    if (module && dataSet == module->cdsMain &&
        (dataSet->State() == dsEdit || dataSet->State() == dsInsert) && !module->KeyFields.empty()) {
        // The key fields but the one the server numbers.
        AnsiString keys;
        for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i) {
            const AnsiString key = Trim(GetToken(module->KeyFields, ",", i));
            if (module->AutoKey && SameText(key, module->GetAutoKeyField())) continue;
            keys += (keys.empty() ? "" : ",") + key;
        }
        if (!keys.empty() && !CheckRequired(dataSet, dataSet->Name() + ":" + keys)) return false;
    }
    return TfrmBase::ValidateRecord(dataSet);
}

AnsiString TfrmSingle::NextDocumentNo() {
    TdmSingle* module = SingleModule();
    if (!module || !Broker) return AnsiString();
    // The document date in the form's date kind; today without one.
    TDateTime date = Now();
    if (TField* field = module->DateField.empty() ? nullptr : module->cdsMain->FindField(module->DateField)) {
        if (auto* dateField = dynamic_cast<TDateTimeField*>(field)) {
            date = dateField->AsDateTime();
        } else {
            const AnsiString stored = field->AsString();
            int y = 0, m = 0, d = 0;
            if (stored.size() == 8 && TryStrToInt(stored.substr(0, 4), y) &&
                TryStrToInt(stored.substr(4, 2), m) && TryStrToInt(stored.substr(6, 2), d))
                TryEncodeDate(y, m, d, date);
        }
    }
    Variant number;
    try {
        Broker->QueryMaxSeq(module->cdsMain, module->MainTable, number,
                            FormatDateByKind(DateKind, DateSeparator, date), module->KeyFields);
    } catch (const Exception&) {
        number = Variant();
    }
    const AnsiString text = VarToStr(number);
    if (text.empty() || SameText(text, "unKnow") || SameText(text, "unknown")) {
        Broker->Say("E", "000033");
        return AnsiString();
    }
    return text;
}

void TfrmSingle::UpdateButtonStates() {
    TfrmBase::UpdateButtonStates();
    const bool editing = EditState != esBrowse;
    for (const char* name : {"btnOK", "btnCancel"})
        if (auto* button = dynamic_cast<TControl*>(FindComponent(name))) button->SetEnabled(editing);
    for (const char* name : {"miOK", "miCancel"})
        if (auto* item = dynamic_cast<TMenuItem*>(FindComponent(name))) item->SetEnabled(editing);
}

void TfrmSingle::miOKClick(TObject*) {
    if (EditState != esBrowse) SaveRecord();
}

void TfrmSingle::miPrintClick(TObject*) {
    PreviewMode = false;
    PrintRecords();
}

void TfrmSingle::miCancelClick(TObject*) {
    if (EditState != esBrowse) CancelEdit(true);
}

void TfrmSingle::FormClose(TObject* sender, TCloseAction& action) {
    TfrmBase::FormClose(sender, action);
    ReturnCode = OpenMode == OPEN_MODE_ADD_WITH_PARAM || OpenMode == OPEN_MODE_EDIT_WITH_PARAM ? 1 : 2;
}
