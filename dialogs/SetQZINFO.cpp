#include "dialogs/SetQZINFO.h"

#include <memory>

#include "classlib/objects/formloader.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TfrmSetQZINFO, c) {
    c.Field("Panel1", &TfrmSetQZINFO::Panel1);
    c.Field("lbl01", &TfrmSetQZINFO::lbl01);
    c.Field("cbo01", &TfrmSetQZINFO::cbo01);
    c.Field("lbl02", &TfrmSetQZINFO::lbl02);
    c.Field("ed02", &TfrmSetQZINFO::ed02);
    c.Field("F2Button1", &TfrmSetQZINFO::F2Button1);
    c.Field("Panel2", &TfrmSetQZINFO::Panel2);
    c.Field("btnOK", &TfrmSetQZINFO::btnOK);
    c.Field("btnCancel", &TfrmSetQZINFO::btnCancel);
    c.Method("FormCloseQuery", &TfrmSetQZINFO::FormCloseQuery);
    c.Method("ed02Exit", &TfrmSetQZINFO::ed02Exit);
    c.Method("FormShow", &TfrmSetQZINFO::FormShow);
}

KVR_FORM_RESOURCE(TfrmSetQZINFO, R"(inherited frmSetQZINFO: TfrmSetQZINFO
  BorderIcons = []
  Caption = '传送表单信息'
  ClientHeight = 183
  ClientWidth = 311
  Position = poDesktopCenter
  ShowHint = True
  OnCloseQuery = FormCloseQuery
  OnShow = FormShow
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 311
    Height = 142
    Align = alClient
    Font.Height = -16
    Font.Name = '宋体'
    ParentFont = False
    TabOrder = 0
    object lbl01: TLabel
      Left = 40
      Top = 36
      Caption = '急件'
      FocusControl = cbo01
    end
    object cbo01: TComboBox
      Left = 136
      Top = 32
      Width = 121
      Height = 24
      Style = csDropDownList
      Color = 11534335
      TabOrder = 0
      Items.Strings = (
        '1.一般'
        '2.急件'
        ' ')
    end
    object lbl02: TLabel
      Left = 40
      Top = 84
      Caption = '表单关系人'
      FocusControl = ed02
    end
    object ed02: TEdit
      Left = 136
      Top = 80
      Width = 121
      Height = 24
      Color = 11534335
      Hint = '[F2]人员信息查询'
      MaxLength = 10
      TabOrder = 1
      OnExit = ed02Exit
    end
    object F2Button1: TF2Button
      Left = 259
      Top = 80
      Width = 24
      Height = 24
      Hint = '人员信息查询'
      GlyphIndex = 39
      F2Control = ed02
    end
  end
  object Panel2: TPanel
    Left = 0
    Top = 142
    Width = 311
    Height = 41
    Align = alBottom
    TabOrder = 1
    object btnOK: TButton
      Left = 64
      Top = 8
      Width = 75
      Height = 25
      Caption = '审核'
      ModalResult = 1
      TabOrder = 0
    end
    object btnCancel: TButton
      Left = 168
      Top = 8
      Width = 75
      Height = 25
      Cancel = True
      Caption = '取消'
      ModalResult = 2
      TabOrder = 1
    end
  end
end
)");

TfrmSetQZINFO::TfrmSetQZINFO(TComponent* owner, bool load) : TfrmQVDialog(owner, false) {
    if (load) InitInheritedComponent(this);
}

void TfrmSetQZINFO::FormShow(TObject* sender) {
    TfrmQVDialog::FormShow(sender);
    cbo01->SetItemIndex(0);
    ed02->SetText(Brokers ? Brokers->UserID : AnsiString());
}

void TfrmSetQZINFO::ed02Exit(TObject*) {}

void TfrmSetQZINFO::DoF2Key(Word& key, TWinControl* control) {
    TfrmQVDialog::DoF2Key(key, control);
    if (control == ed02) LookupInto(ed02, "QVNMA", VarArrayOf({ed02->Text()}), Variant("01"));
}

void TfrmSetQZINFO::FormCloseQuery(TObject*, bool& canClose) {
    if (ModalResult() != mrOk) return;
    if (ed02->Text().empty()) {
        if (Brokers) Brokers->Say("E", "000003", {lbl02->Caption()});
        if (ed02->CanFocus()) ed02->SetFocus();
        canClose = false;
        return;
    }
    if (!ValidateCode({ed02}, "E", VarArrayOf({ed02->Text()}), "01", "QVNMA")) {
        if (ed02->CanFocus()) ed02->SetFocus();
        canClose = false;
        return;
    }
    QZResult = VarArrayOf({cbo01->ItemIndex() + 1, ed02->Text()});
}

bool ExecuteSetQZInfo(TComponent* owner, Variant& result) {
    result = Variant();
    std::unique_ptr<TfrmSetQZINFO> dialog(new TfrmSetQZINFO(owner));
    const bool ok = dialog->ShowModal() == mrOk;
    result = dialog->QZResult;
    return ok;
}
