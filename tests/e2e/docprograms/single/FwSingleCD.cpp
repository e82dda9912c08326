#include "tests/e2e/docprograms/single/FwSingleCD.h"

#include "classlib/objects/formloader.h"

KVR_PUBLISHED(TdmFwSingle, c) {}

KVR_FORM_RESOURCE(TdmFwSingle, R"(inherited dmFwSingle: TdmFwSingle
  inherited MIDAS: TSocketConnection
    Address = '127.0.0.1'
  end
  inherited cdsMain: TwwClientDataSet
    ProviderName = 'pvdMain'
    object cdsMainDC001: TStringField
      DisplayLabel = '代号'
      FieldName = 'DC001'
      Size = 6
    end
    object cdsMainDC002: TStringField
      DisplayLabel = '名称'
      FieldName = 'DC002'
      Size = 20
    end
    object cdsMainDC003: TFloatField
      DisplayLabel = '金额'
      FieldName = 'DC003'
    end
    object cdsMainDC004: TFloatField
      DisplayLabel = '汇率'
      FieldName = 'DC004'
    end
    object cdsMainDC005: TStringField
      DisplayLabel = '锁定'
      FieldName = 'DC005'
      Size = 1
    end
    object cdsMainCOMPANY: TStringField
      FieldName = 'COMPANY'
      Visible = False
      Size = 10
    end
    object cdsMainCREATOR: TStringField
      FieldName = 'CREATOR'
      Visible = False
      Size = 10
    end
    object cdsMainUSR_GROUP: TStringField
      FieldName = 'USR_GROUP'
      Visible = False
      Size = 10
    end
    object cdsMainCREATE_DATE: TStringField
      FieldName = 'CREATE_DATE'
      Visible = False
      Size = 17
    end
    object cdsMainMODIFIER: TStringField
      FieldName = 'MODIFIER'
      Visible = False
      Size = 10
    end
    object cdsMainMODI_DATE: TStringField
      FieldName = 'MODI_DATE'
      Visible = False
      Size = 17
    end
    object cdsMainFLAG: TFloatField
      FieldName = 'FLAG'
      Visible = False
    end
  end
end
)");

TdmFwSingle::TdmFwSingle(TComponent* owner, bool load) : TdmSingle(owner, false) {
    if (load) InitInheritedComponent(this);
}

void TdmFwSingle::FormLinked() {
    TdmSingle::FormLinked();
    LoadNumberFields(MainTable);
    SetDecimalGroupFields(2, "cdsMain:DC003");
    SetDecimalGroupFields(7, "cdsMain:DC004");
    SetKeepFields("DC002");
}
