#include "dialogs/DocuConditionCF.h"

#include <memory>

#include "classlib/objects/formloader.h"
#include "classlib/rtl/strutils.h"
#include "framework/Brokers.h"
#include "framework/RadicalCF.h"

KVR_PUBLISHED(TfrmDocuCondition, c) {
    c.Field("lblCondition", &TfrmDocuCondition::lblCondition);
    c.Field("edConName", &TfrmDocuCondition::edConName);
    c.Field("btnOk", &TfrmDocuCondition::btnOk);
    c.Field("btnCancel", &TfrmDocuCondition::btnCancel);
    c.Method("FormCreate", &TfrmDocuCondition::FormCreate);
    c.Method("FormKeyPress", &TfrmDocuCondition::FormKeyPress);
    c.Method("btnOkClick", &TfrmDocuCondition::btnOkClick);
}

KVR_FORM_RESOURCE(TfrmDocuCondition, R"(inherited frmDocuCondition: TfrmDocuCondition
  Left = 271
  Top = 213
  BorderIcons = []
  Width = 327
  Height = 177
  KeyPreview = True
  OnCreate = FormCreate
  OnKeyPress = FormKeyPress
  object edConName: TEdit
    Left = 96
    Top = 40
    Width = 180
    Height = 21
    Color = 11534335
    MaxLength = 20
    TabOrder = 0
  end
  object lblCondition: TDBLabel
    Caption = '方案名'
    FocusControl = edConName
    Gap = 4
    Pos = psLeft
  end
  object btnOk: TButton
    Left = 72
    Top = 100
    Width = 75
    Height = 25
    Caption = '确定'
    TabOrder = 1
    OnClick = btnOkClick
  end
  object btnCancel: TButton
    Left = 176
    Top = 100
    Width = 75
    Height = 25
    Cancel = True
    Caption = '取消'
    ModalResult = 2
    TabOrder = 2
  end
end
)");

TfrmDocuCondition::TfrmDocuCondition(TComponent* owner, bool load) : TQVForm(owner, false) {
    if (load) InitInheritedComponent(this);
}

void TfrmDocuCondition::FormCreate(TObject* sender) {
    TQVForm::FormCreate(sender);
    ConvertCodePage();
    if (auto* form = dynamic_cast<TCustomForm*>(Owner())) SetCaption(form->Caption());
    ReplaceScheme = false;
}

void TfrmDocuCondition::FormKeyPress(TObject*, char& key) {
    if (key == '\r') SelectNext(ActiveControl(), true, true);
}

TBrokers* TfrmDocuCondition::DocumentBroker() const {
    for (TComponent* owner = Owner(); owner; owner = owner->Owner())
        if (auto* form = dynamic_cast<TfrmRadical*>(owner)) return form->Broker;
    return nullptr;
}

AnsiString TfrmDocuCondition::Text(const AnsiString& ident, const AnsiString& defaultText) {
    AnsiString text;
    GetLangString("TfrmDocuCondition", ident, text, true, defaultText);
    return text;
}

void TfrmDocuCondition::btnOkClick(TObject*) {
    const AnsiString name = Trim(edConName->Text());
    if (name.empty()) {
        ShowMessageDlg(Text("sProjNameEmpty", "方案名不可空白!"), mtError, {mbOK});
        edConName->SetFocus();
        return;
    }
    TBrokers* broker = DocumentBroker();
    Variant row;
    const bool exists =
        broker &&
        broker->CheckValue("DOCUS", "01", row,
                           VarArrayOf({Variant(name), Variant(broker->UserID), Variant(broker->ProgramID)}));
    if (exists) {
        if (ShowMessageDlg(Text("sReplaceProj", "此方案名已存在！是否将原来的方案替换为此方案?"),
                           mtConfirmation, {mbOK, mbCancel}) != mrOk) {
            edConName->SetFocus();
            return;
        }
        ReplaceScheme = true;
    }
    SetModalResult(mrOk);
}

void ShowDocuConditionDialog(TComponent* qbeForm, Variant& result) {
    std::unique_ptr<TfrmDocuCondition> dialog(new TfrmDocuCondition(qbeForm));
    const TModalResult answer = dialog->ShowModal();
    if (answer == mrCancel)
        result = VarArrayOf({Variant(AnsiString())});
    else
        result = VarArrayOf({Variant(dialog->edConName->Text()), Variant(dialog->ReplaceScheme)});
}
