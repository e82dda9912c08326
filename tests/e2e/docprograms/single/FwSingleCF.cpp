#include "tests/e2e/docprograms/single/FwSingleCF.h"

#include "classlib/objects/formloader.h"

KVR_PUBLISHED(TfrmFwSingle, c) {
    c.Method("FormCreate", &TfrmFwSingle::FormCreate);
    c.Method("miAttachClick", &TfrmFwSingle::miAttachClick);
}

KVR_FORM_RESOURCE(TfrmFwSingle, R"(inherited frmFwSingle: TfrmFwSingle
  Left = 200
  Top = 120
  Width = 560
  Height = 320
  Caption = 'frmFwSingle'
  inherited MainMenu: TMainMenu
    inherited MenuItem1: TMenuItem
      object miAttach: TMenuItem
        Caption = '附件'
        OnClick = miAttachClick
      end
    end
  end
  inherited pgHead: TExtPageControl
    inherited tbsHead1: TTabSheet
      object edDC001: TDBEdit
        Left = 80
        Top = 20
        Width = 80
        Height = 21
        DataField = 'DC001'
        DataSource = dmFwSingle.dsMain
        TabOrder = 0
      end
      object edDC002: TDBEdit
        Left = 80
        Top = 50
        Width = 200
        Height = 21
        DataField = 'DC002'
        DataSource = dmFwSingle.dsMain
        TabOrder = 1
      end
      object edDC003: TDBEdit
        Left = 80
        Top = 80
        Width = 100
        Height = 21
        DataField = 'DC003'
        DataSource = dmFwSingle.dsMain
        TabOrder = 2
      end
    end
  end
end
)");

TfrmFwSingle::TfrmFwSingle(TComponent* owner, bool load) : TfrmSingle(owner, false) {
    if (load) InitInheritedComponent(this);
}

TClass TfrmFwSingle::DataModuleClass() {
    return TdmFwSingle::StaticClass();
}

void TfrmFwSingle::FormCreate(TObject* sender) {
    CreateDataModule();
    TfrmSingle::FormCreate(sender);
    RequiredFields = "cdsMain:DC002";
    VersionText = "1.00.00";
    PrintProgram = "FWPRT01";
}

void TfrmFwSingle::ConfigureProgram() {
    TfrmSingle::ConfigureProgram();
    AttachmentsEnabled = true;
}

void TfrmFwSingle::miAttachClick(TObject*) {
    ShowAttachments();
}

void TfrmFwSingle::ApplyInputSettings() {
    TfrmSingle::ApplyInputSettings();
    IsColorManage = true;
}

bool TfrmFwSingle::PrintRecords() {
    if (!TfrmSingle::PrintRecords()) return false;
    TdmSingle* module = SingleModule();
    const AnsiString key = module && module->cdsMain->Active()
                               ? module->cdsMain->FieldByName("DC001")->AsString()
                               : AnsiString();
    Variant result;
    return Broker->ExecWork("FWPRT01", VarArrayOf({PreviewMode ? "preview" : "print", key}), false, result) >=
           0;
}

AnsiString TfrmFwSingle::ColorManagerText() {
    return "<colormanager><head><component name=\"gdHead\" enable=\"Y\">"
           "<condition value=\"DC003 &gt; 250\" colorx=\"16777215\" bkcolor=\"255\" msg=\"大额\"/>"
           "<condition value=\"DC003 &lt; 150\" colorx=\"16711680\" msg=\"小额\"/>"
           "</component></head></colormanager>";
}
