#include "tests/e2e/docprograms/double/FwDoubleCD.h"

#include "classlib/objects/formloader.h"
#include "classlib/rtl/strutils.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TdmFwDouble, c) {
    c.Field("cdsMainqryBody", &TdmFwDouble::cdsMainqryBody);
    c.Method("cdsBody1DL004Validate", &TdmFwDouble::cdsBody1DL004Validate);
}

KVR_FORM_RESOURCE(TdmFwDouble, R"(inherited dmFwDouble: TdmFwDouble
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
    object cdsMainDH001: TStringField
      DisplayLabel = '单别'
      FieldName = 'DH001'
      Size = 4
    end
    object cdsMainDH002: TStringField
      DisplayLabel = '单号'
      FieldName = 'DH002'
      Size = 11
    end
    object cdsMainDH003: TStringField
      DisplayLabel = '单据日期'
      FieldName = 'DH003'
      Size = 8
    end
    object cdsMainDH004: TStringField
      DisplayLabel = '说明'
      FieldName = 'DH004'
      Size = 20
    end
    object cdsMainDH005: TFloatField
      DisplayLabel = '总金额'
      FieldName = 'DH005'
    end
    object cdsMainDH006: TStringField
      DisplayLabel = '审核码'
      FieldName = 'DH006'
      Size = 1
    end
    object cdsMainDH007: TStringField
      DisplayLabel = '审核日期'
      FieldName = 'DH007'
      Size = 8
    end
    object cdsMainqryBody: TDataSetField
      FieldName = 'qryBody'
      Visible = False
    end
  end
  inherited cdsBody1: TwwClientDataSet
    DataSetField = cdsMainqryBody
    object cdsBody1COMPANY: TStringField
      FieldName = 'COMPANY'
      Size = 10
      Visible = False
    end
    object cdsBody1CREATOR: TStringField
      FieldName = 'CREATOR'
      Size = 10
      Visible = False
    end
    object cdsBody1USR_GROUP: TStringField
      FieldName = 'USR_GROUP'
      Size = 10
      Visible = False
    end
    object cdsBody1CREATE_DATE: TStringField
      FieldName = 'CREATE_DATE'
      Size = 17
      Visible = False
    end
    object cdsBody1MODIFIER: TStringField
      FieldName = 'MODIFIER'
      Size = 10
      Visible = False
    end
    object cdsBody1MODI_DATE: TStringField
      FieldName = 'MODI_DATE'
      Size = 17
      Visible = False
    end
    object cdsBody1FLAG: TFloatField
      FieldName = 'FLAG'
      Visible = False
    end
    object cdsBody1DL001: TStringField
      FieldName = 'DL001'
      Size = 4
      Visible = False
    end
    object cdsBody1DL002: TStringField
      FieldName = 'DL002'
      Size = 11
      Visible = False
    end
    object cdsBody1DL003: TStringField
      DisplayLabel = '序号'
      FieldName = 'DL003'
      Size = 4
    end
    object cdsBody1DL004: TStringField
      DisplayLabel = '品名'
      FieldName = 'DL004'
      Size = 20
      OnValidate = cdsBody1DL004Validate
    end
    object cdsBody1DL005: TFloatField
      DisplayLabel = '数量'
      FieldName = 'DL005'
    end
    object cdsBody1DL006: TFloatField
      DisplayLabel = '金额'
      FieldName = 'DL006'
    end
    object cdsBody1DL007: TStringField
      FieldName = 'DL007'
      Size = 1
      Visible = False
    end
  end
end
)");

TdmFwDouble::TdmFwDouble(TComponent* owner, bool load) : TdmDouble(owner, false) {
    if (load) InitInheritedComponent(this);
}

void TdmFwDouble::SetDefaultValues(TDataSet* dataSet) {
    TdmDouble::SetDefaultValues(dataSet);
    if (dataSet != cdsMain) return;
    cdsMain->FieldByName("DH001")->SetAsString("5101");
    SetAutoKey(true);
}

void TdmFwDouble::BodyChanged() {
    TdmDouble::BodyChanged();
    if (LineChecks) SumBodyToHead(cdsMain->FieldByName("DH005"), "DL006", AnsiString(), 2);
}

void TdmFwDouble::cdsBody1DL004Validate(TField* sender) {
    if (!LineChecks || Trim(sender->AsString()).empty() || !IsDuplicateLine(sender, "DL004")) return;
    Broker->Say("E", "000032", {sender->DisplayLabel() + " " + Trim(sender->AsString()) + " 重复"});
    Abort();
}
