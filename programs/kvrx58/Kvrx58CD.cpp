#include "programs/kvrx58/Kvrx58CD.h"

#include "classlib/objects/formloader.h"

KVR_PUBLISHED(TdmKvrx58, c) {
    c.Field("cdsMain", &TdmKvrx58::cdsMain);
    c.Field("dsMain", &TdmKvrx58::dsMain);
    c.Method("cdsMainTA005Validate", &TdmKvrx58::cdsMainTA005Validate);
    c.Method("cdsMainTA036Validate", &TdmKvrx58::cdsMainTA036Validate);
}

KVR_FORM_RESOURCE(TdmKvrx58, R"(inherited dmKvrx58: TdmKvrx58
  inherited MIDAS: TSocketConnection
    Address = '127.0.0.1'
    ServerName = 'RavEZ01A.Rarer1'
  end
  object cdsMain: TClientDataSet
    ProviderName = 'pvdMain'
    RemoteServer = MIDAS
    object cdsMainTA001: TStringField
      DisplayLabel = '单别'
      DisplayWidth = 6
      FieldName = 'TA001'
      Size = 4
    end
    object cdsMainTA002: TStringField
      DisplayLabel = '单号'
      DisplayWidth = 11
      FieldName = 'TA002'
      Size = 11
    end
    object cdsMainTA008: TStringField
      DisplayLabel = '开证日期'
      DisplayWidth = 10
      FieldName = 'TA008'
      OnGetText = DateFieldGetText
      OnSetText = DateFieldSetText
      OnValidate = DateFieldValidate
      Size = 8
    end
    object cdsMainTA005: TStringField
      DisplayLabel = '供应商'
      DisplayWidth = 10
      FieldName = 'TA005'
      OnValidate = cdsMainTA005Validate
      Size = 10
    end
    object cdsMainTA036: TStringField
      DisplayLabel = '工厂'
      DisplayWidth = 6
      FieldName = 'TA036'
      OnValidate = cdsMainTA036Validate
      Size = 6
    end
    object cdsMainTA016: TStringField
      DisplayLabel = '开证币种'
      DisplayWidth = 4
      FieldName = 'TA016'
      Size = 4
    end
  end
  object dsMain: TDataSource
    DataSet = cdsMain
  end
end
)");

TdmKvrx58::TdmKvrx58(TComponent* owner, bool load) : TdmRadical(owner, false) {
    if (load) InitInheritedComponent(this);
}

bool TdmKvrx58::IsLocalServer() {
    return MIDAS && MIDAS->Address() == "127.0.0.1";
}

// The supplier: its currency comes with it.
void TdmKvrx58::cdsMainTA005Validate(TField* sender) {
    CheckCode(sender, "BYVMA", "W", "TA005C,TA016", "01");
}

void TdmKvrx58::cdsMainTA036Validate(TField* sender) {
    CheckCode(sender, "TAZMB", "E", "TA036C", "01");
}
