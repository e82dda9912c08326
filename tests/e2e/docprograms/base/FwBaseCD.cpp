#include "tests/e2e/docprograms/base/FwBaseCD.h"

#include "classlib/objects/formloader.h"

KVR_PUBLISHED(TdmFwBase, c) {}

KVR_FORM_RESOURCE(TdmFwBase, R"(inherited dmFwBase: TdmFwBase
  inherited MIDAS: TSocketConnection
    Address = '127.0.0.1'
  end
  inherited cdsMain: TwwClientDataSet
    ProviderName = 'pvdMain'
    object cdsMainCOMPANY: TStringField
      FieldName = 'COMPANY'
      Size = 10
    end
    object cdsMainCREATOR: TStringField
      FieldName = 'CREATOR'
      Size = 10
    end
    object cdsMainUSR_GROUP: TStringField
      FieldName = 'USR_GROUP'
      Size = 10
    end
    object cdsMainCREATE_DATE: TStringField
      FieldName = 'CREATE_DATE'
      Size = 17
    end
    object cdsMainMODIFIER: TStringField
      FieldName = 'MODIFIER'
      Size = 10
    end
    object cdsMainMODI_DATE: TStringField
      FieldName = 'MODI_DATE'
      Size = 17
    end
    object cdsMainFLAG: TFloatField
      FieldName = 'FLAG'
    end
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
  end
end
)");

TdmFwBase::TdmFwBase(TComponent* owner, bool load) : TdmBase(owner, false) {
    if (load) InitInheritedComponent(this);
}

void TdmFwBase::FormLinked() {
    TdmBase::FormLinked();
    LoadNumberFields(MainTable);
    SetDecimalGroupFields(2, "cdsMain:DC003");
    SetDecimalGroupFields(7, "cdsMain:DC004");
}
