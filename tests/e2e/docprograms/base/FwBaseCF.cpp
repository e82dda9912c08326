#include "tests/e2e/docprograms/base/FwBaseCF.h"

#include "classlib/objects/formloader.h"

KVR_PUBLISHED(TfrmFwBase, c) {
    c.Field("btnSave", &TfrmFwBase::btnSave);
    c.Method("FormCreate", &TfrmFwBase::FormCreate);
    c.Method("btnSaveClick", &TfrmFwBase::btnSaveClick);
}

KVR_FORM_RESOURCE(TfrmFwBase, R"(inherited frmFwBase: TfrmFwBase
  Left = 200
  Top = 120
  Width = 560
  Height = 300
  Caption = 'frmFwBase'
  object edDC001: TDBEdit
    Left = 80
    Top = 40
    Width = 80
    Height = 21
    DataField = 'DC001'
    DataSource = dmFwBase.dsMain
    TabOrder = 0
  end
  object edDC002: TDBEdit
    Left = 80
    Top = 70
    Width = 200
    Height = 21
    DataField = 'DC002'
    DataSource = dmFwBase.dsMain
    TabOrder = 1
  end
  object edDC003: TDBEdit
    Left = 80
    Top = 100
    Width = 100
    Height = 21
    DataField = 'DC003'
    DataSource = dmFwBase.dsMain
    TabOrder = 2
  end
  object edDC004: TDBEdit
    Left = 80
    Top = 130
    Width = 120
    Height = 21
    DataField = 'DC004'
    DataSource = dmFwBase.dsMain
    TabOrder = 3
  end
  object btnSave: TButton
    Left = 80
    Top = 170
    Width = 75
    Height = 25
    Caption = '保存'
    Enabled = False
    TabOrder = 4
    OnClick = btnSaveClick
  end
end
)");

TfrmFwBase::TfrmFwBase(TComponent* owner, bool load) : TfrmBase(owner, false) {
    if (load) InitInheritedComponent(this);
}

TClass TfrmFwBase::DataModuleClass() {
    return TdmFwBase::StaticClass();
}

void TfrmFwBase::FormCreate(TObject* sender) {
    CreateDataModule();
    TfrmBase::FormCreate(sender);
    RequiredFields = "cdsMain:DC001,DC002";
    VersionText = "1.00.00";
}

void TfrmFwBase::UpdateButtonStates() {
    TfrmBase::UpdateButtonStates();
    if (btnSave) btnSave->SetEnabled(EditState != esBrowse);
}

bool TfrmFwBase::SaveRecord() {
    TClientDataSet* main = Module()->cdsMain;
    bool saved = false;
    try {
        // Posted here, so that the record's checks run before the module makes it ready to send.
        if (main->State() == dsEdit || main->State() == dsInsert) main->Post();
        saved = Module()->SaveDataSet(main);
    } catch (const EAbort&) {
        return false; // the check that stopped the post has spoken
    }
    if (!saved) {
        Broker->Say("E", "000008");
        LastSaveFailed = true;
        return false;
    }
    SetEditState(esBrowse);
    RecordChanged(main);
    return true;
}

void TfrmFwBase::btnSaveClick(TObject*) {
    SaveRecord();
}
