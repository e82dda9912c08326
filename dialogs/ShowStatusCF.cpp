#include "dialogs/ShowStatusCF.h"

#include "classlib/objects/formloader.h"

KVR_PUBLISHED(TfrmShowStatus, c) {
    c.Field("Bevel1", &TfrmShowStatus::Bevel1);
    c.Field("Label1", &TfrmShowStatus::Label1);
    c.Field("StatusBar", &TfrmShowStatus::StatusBar);
    c.Method("FormCreate", &TfrmShowStatus::FormCreate);
    c.Method("FormDestroy", &TfrmShowStatus::FormDestroy);
}

KVR_FORM_RESOURCE(TfrmShowStatus, R"(inherited frmShowStatus: TfrmShowStatus
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = 'Status'
  ClientHeight = 65
  ClientWidth = 501
  Position = poScreenCenter
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  object Bevel1: TBevel
    Left = 4
    Top = 4
    Width = 493
    Height = 57
  end
  object Label1: TLabel
    Left = 12
    Top = 10
    Caption = '处理进度'
  end
  object StatusBar: TGauge
    Left = 12
    Top = 30
    Width = 477
    Height = 22
    BackColor = clWindow
    ForeColor = clBlue
    Progress = 0
  end
end
)");

TfrmShowStatus::TfrmShowStatus(TComponent* owner, bool load) : TQVForm(owner, false) {
    if (load) InitInheritedComponent(this);
}

void TfrmShowStatus::FormCreate(TObject* sender) {
    TQVForm::FormCreate(sender);
}

void TfrmShowStatus::FormDestroy(TObject*) {}

void TfrmShowStatus::ShowStatus(const AnsiString& caption, int min, int max) {
    const AnsiString text = QvConverter ? VarToStr(QvConverter->ProgramToUI(caption)) : caption;
    SetCaption(text);
    Label1->SetCaption(text);
    if (min == 0 && max == 0) {
        StatusBar->SetVisible(false);
    } else {
        StatusBar->SetMinValue(min);
        StatusBar->SetMaxValue(max);
        StatusBar->SetProgress(min);
        StatusBar->SetVisible(true);
    }
    Show();
    Repaint();
}

void TfrmShowStatus::StepIt() {
    if (StatusBar->Progress() < StatusBar->MaxValue()) StatusBar->AddProgress(1);
}

void TfrmShowStatus::CloseStatus() {
    Close();
}
