#include "programs/kvrx58/Kvrx58CD.h"

#include <cmath>

#include "classlib/objects/formloader.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/LibVCLs.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TdmKvrx58, c) {
    c.Field("cdsMainqryBody", &TdmKvrx58::cdsMainqryBody);
    c.Method("cdsMainTA001Validate", &TdmKvrx58::cdsMainTA001Validate);
    c.Method("cdsMainTA002Validate", &TdmKvrx58::cdsMainTA002Validate);
    c.Method("cdsMainTA008Validate", &TdmKvrx58::cdsMainTA008Validate);
    c.Method("cdsMainTA005Validate", &TdmKvrx58::cdsMainTA005Validate);
    c.Method("cdsMainTA006Validate", &TdmKvrx58::cdsMainTA006Validate);
    c.Method("cdsMainTA036Validate", &TdmKvrx58::cdsMainTA036Validate);
    c.Method("cdsMainTA016Validate", &TdmKvrx58::cdsMainTA016Validate);
    c.Method("cdsMainTA017Validate", &TdmKvrx58::cdsMainTA017Validate);
    c.Method("cdsMainTA018Validate", &TdmKvrx58::cdsMainTA018Validate);
    c.Method("cdsMainTA021Validate", &TdmKvrx58::cdsMainTA021Validate);
    c.Method("cdsMainTA024Validate", &TdmKvrx58::cdsMainTA024Validate);
    c.Method("cdsBody1TB004Validate", &TdmKvrx58::cdsBody1TB004Validate);
    c.Method("cdsBody1TB005Validate", &TdmKvrx58::cdsBody1TB005Validate);
    c.Method("cdsBody1TB006Validate", &TdmKvrx58::cdsBody1TB006Validate);
    c.Method("cdsMainTA023CGetText", &TdmKvrx58::cdsMainTA023CGetText);
    c.Method("cdsMainTA005SetText", &TdmKvrx58::cdsMainTA005SetText);
}

KVR_FORM_RESOURCE(TdmKvrx58, R"(inherited dmKvrx58: TdmKvrx58
  inherited MIDAS: TSocketConnection
    Address = '127.0.0.1'
    ServerName = 'RavEZ01A.Rarer1'
  end
  inherited cdsMain: TwwClientDataSet
    ControlType.Strings = (
      'TA038;CustomEdit;cboTA038G'
      'TA039;CheckBox;Y;N'
      'TA044;CustomEdit;cboTA044G')
    ProviderName = 'pvdMain'
    object cdsMainTA001: TStringField
      DisplayLabel = '单别'
      DisplayWidth = 6
      FieldName = 'TA001'
      OnValidate = cdsMainTA001Validate
      Size = 4
    end
    object cdsMainTA001C: TStringField
      DisplayLabel = '单别名称'
      DisplayWidth = 10
      FieldName = 'TA001C'
      Size = 10
    end
    object cdsMainTA002: TStringField
      DisplayLabel = '单号'
      DisplayWidth = 11
      FieldName = 'TA002'
      OnValidate = cdsMainTA002Validate
      Size = 11
    end
    object cdsMainTA008: TStringField
      DisplayLabel = '开证日期'
      DisplayWidth = 10
      FieldName = 'TA008'
      OnGetText = DateFieldGetText
      OnSetText = DateFieldSetText
      OnValidate = cdsMainTA008Validate
      Size = 8
    end
    object cdsMainTA004: TStringField
      DisplayLabel = 'L/C单号'
      DisplayWidth = 20
      FieldName = 'TA004'
      Size = 20
    end
    object cdsMainTA005: TStringField
      DisplayLabel = '供应商'
      DisplayWidth = 10
      FieldName = 'TA005'
      OnSetText = cdsMainTA005SetText
      OnValidate = cdsMainTA005Validate
      Size = 10
    end
    object cdsMainTA005C: TStringField
      DisplayLabel = '供应商名称'
      DisplayWidth = 20
      FieldName = 'TA005C'
      Size = 20
    end
    object cdsMainTA039: TStringField
      DisplayLabel = '结束'
      DisplayWidth = 1
      FieldName = 'TA039'
      ReadOnly = True
      Size = 1
    end
    object cdsMainTA042: TStringField
      DisplayLabel = '审核日'
      DisplayWidth = 10
      FieldName = 'TA042'
      OnGetText = DateFieldGetText
      OnSetText = DateFieldSetText
      OnValidate = DateFieldValidate
      Size = 8
    end
    object cdsMainTA043: TStringField
      DisplayLabel = '审核者'
      DisplayWidth = 10
      FieldName = 'TA043'
      Size = 10
    end
    object cdsMainTA043C: TStringField
      DisplayLabel = '审核者名称'
      DisplayWidth = 10
      FieldName = 'TA043C'
      Size = 10
    end
    object cdsMainTA006: TStringField
      DisplayLabel = '开证银行'
      DisplayWidth = 10
      FieldName = 'TA006'
      OnValidate = cdsMainTA006Validate
      Size = 10
    end
    object cdsMainTA006C: TStringField
      DisplayLabel = '银行名称'
      DisplayWidth = 40
      FieldName = 'TA006C'
      Size = 40
    end
    object cdsMainTA007: TStringField
      DisplayLabel = '额度别'
      DisplayWidth = 4
      FieldName = 'TA007'
      Size = 4
    end
    object cdsMainTA010: TFloatField
      DisplayLabel = '远期天数'
      DisplayWidth = 10
      FieldName = 'TA010'
    end
    object cdsMainTA009: TStringField
      DisplayLabel = '有效日期'
      DisplayWidth = 10
      FieldName = 'TA009'
      OnGetText = DateFieldGetText
      OnSetText = DateFieldSetText
      OnValidate = DateFieldValidate
      Size = 8
    end
    object cdsMainTA011: TStringField
      DisplayLabel = '许可证号'
      DisplayWidth = 20
      FieldName = 'TA011'
      Size = 20
    end
    object cdsMainTA036: TStringField
      DisplayLabel = '工厂'
      DisplayWidth = 6
      FieldName = 'TA036'
      OnValidate = cdsMainTA036Validate
      Size = 6
    end
    object cdsMainTA036C: TStringField
      DisplayLabel = '工厂名称'
      DisplayWidth = 20
      FieldName = 'TA036C'
      Size = 20
    end
    object cdsMainTA012: TStringField
      DisplayLabel = '装船期限'
      DisplayWidth = 10
      FieldName = 'TA012'
      OnGetText = DateFieldGetText
      OnSetText = DateFieldSetText
      OnValidate = DateFieldValidate
      Size = 8
    end
    object cdsMainTA013: TStringField
      DisplayLabel = '运送方式'
      DisplayWidth = 20
      FieldName = 'TA013'
      Size = 20
    end
    object cdsMainTA014: TStringField
      DisplayLabel = 'E.T.D'
      DisplayWidth = 10
      FieldName = 'TA014'
      OnGetText = DateFieldGetText
      OnSetText = DateFieldSetText
      OnValidate = DateFieldValidate
      Size = 8
    end
    object cdsMainTA015: TStringField
      DisplayLabel = 'E.T.A'
      DisplayWidth = 10
      FieldName = 'TA015'
      OnGetText = DateFieldGetText
      OnSetText = DateFieldSetText
      OnValidate = DateFieldValidate
      Size = 8
    end
    object cdsMainTA016: TStringField
      DisplayLabel = '开证币种'
      DisplayWidth = 4
      FieldName = 'TA016'
      OnValidate = cdsMainTA016Validate
      Size = 4
    end
    object cdsMainTA017: TFloatField
      DisplayLabel = '开证汇率'
      DisplayWidth = 10
      FieldName = 'TA017'
      OnValidate = cdsMainTA017Validate
    end
    object cdsMainTA018: TFloatField
      DisplayLabel = '开证金额'
      DisplayWidth = 10
      FieldName = 'TA018'
      OnValidate = cdsMainTA018Validate
    end
    object cdsMainTA019: TFloatField
      DisplayLabel = '更改金额'
      DisplayWidth = 10
      FieldName = 'TA019'
    end
    object cdsMainTA019C: TFloatField
      DisplayLabel = '总金额'
      DisplayWidth = 10
      FieldName = 'TA019C'
    end
    object cdsMainTA020: TFloatField
      DisplayLabel = '已到货额'
      DisplayWidth = 10
      FieldName = 'TA020'
    end
    object cdsMainTA021: TFloatField
      DisplayLabel = '自筹比率 '
      DisplayWidth = 10
      FieldName = 'TA021'
      OnGetText = PercentFieldGetText
      OnSetText = PercentFieldSetText
      OnValidate = cdsMainTA021Validate
    end
    object cdsMainTA022: TFloatField
      DisplayLabel = '原币自筹金额'
      DisplayWidth = 10
      FieldName = 'TA022'
    end
    object cdsMainTA023: TFloatField
      DisplayLabel = '自筹金额'
      DisplayWidth = 10
      FieldName = 'TA023'
    end
    object cdsMainTA024: TFloatField
      DisplayLabel = '手续费'
      DisplayWidth = 10
      FieldName = 'TA024'
      OnValidate = cdsMainTA024Validate
    end
    object cdsMainTA025: TFloatField
      DisplayLabel = '保险费'
      DisplayWidth = 10
      FieldName = 'TA025'
      OnValidate = cdsMainTA024Validate
    end
    object cdsMainTA026: TFloatField
      DisplayLabel = '签证费'
      DisplayWidth = 10
      FieldName = 'TA026'
      OnValidate = cdsMainTA024Validate
    end
    object cdsMainTA027: TFloatField
      DisplayLabel = '邮电费'
      DisplayWidth = 10
      FieldName = 'TA027'
      OnValidate = cdsMainTA024Validate
    end
    object cdsMainTA028: TFloatField
      DisplayLabel = '杂项费用'
      DisplayWidth = 10
      FieldName = 'TA028'
      OnValidate = cdsMainTA024Validate
    end
    object cdsMainTA029: TFloatField
      DisplayLabel = '其他费用'
      DisplayWidth = 10
      FieldName = 'TA029'
      OnValidate = cdsMainTA024Validate
    end
    object cdsMainTA033: TFloatField
      DisplayLabel = '费用合计'
      DisplayWidth = 10
      FieldName = 'TA033'
    end
    object cdsMainTA034: TFloatField
      DisplayLabel = '已摊费用'
      DisplayWidth = 10
      FieldName = 'TA034'
    end
    object cdsMainTA035: TFloatField
      DisplayLabel = '已摊自筹额'
      DisplayWidth = 10
      FieldName = 'TA035'
    end
    object cdsMainTA037: TStringField
      DisplayLabel = '备注'
      DisplayWidth = 20
      FieldName = 'TA037'
      Size = 255
    end
    object cdsMainTA041: TFloatField
      DisplayLabel = '打印'
      DisplayWidth = 10
      FieldName = 'TA041'
    end
    object cdsMainTA038: TStringField
      DisplayLabel = '审核码'
      DisplayWidth = 10
      FieldName = 'TA038'
      Size = 1
    end
    object cdsMainTA044: TStringField
      DisplayLabel = '签核状态'
      DisplayWidth = 16
      FieldName = 'TA044'
      Size = 1
    end
    object cdsMainTA045: TFloatField
      DisplayLabel = '传送次数'
      DisplayWidth = 10
      FieldName = 'TA045'
    end
    object cdsMainTA023C: TStringField
      DisplayLabel = '本币'
      DisplayWidth = 4
      FieldKind = fkCalculated
      FieldName = 'TA023C'
      OnGetText = cdsMainTA023CGetText
      Size = 4
      Visible = False
    end
    object cdsMainTA003: TStringField
      DisplayLabel = '类别'
      DisplayWidth = 1
      FieldName = 'TA003'
      Size = 1
      Visible = False
    end
    object cdsMainTA030: TFloatField
      DisplayLabel = '隐藏字段'
      DisplayWidth = 10
      FieldName = 'TA030'
      Visible = False
    end
    object cdsMainTA031: TFloatField
      DisplayLabel = '隐藏字段'
      DisplayWidth = 10
      FieldName = 'TA031'
      Visible = False
    end
    object cdsMainTA032: TFloatField
      DisplayLabel = '隐藏字段'
      DisplayWidth = 10
      FieldName = 'TA032'
      Visible = False
    end
    object cdsMainTA040: TFloatField
      DisplayLabel = '隐藏字段'
      DisplayWidth = 10
      FieldName = 'TA040'
      Visible = False
    end
    object cdsMainFLAG: TFloatField
      DisplayWidth = 10
      FieldName = 'FLAG'
      Visible = False
    end
    object cdsMainMODI_DATE: TStringField
      DisplayWidth = 23
      FieldName = 'MODI_DATE'
      Size = 17
      Visible = False
    end
    object cdsMainCREATE_DATE: TStringField
      DisplayWidth = 23
      FieldName = 'CREATE_DATE'
      Size = 17
      Visible = False
    end
    object cdsMainMODIFIER: TStringField
      DisplayWidth = 10
      FieldName = 'MODIFIER'
      Size = 10
      Visible = False
    end
    object cdsMainUSR_GROUP: TStringField
      DisplayWidth = 10
      FieldName = 'USR_GROUP'
      Size = 10
      Visible = False
    end
    object cdsMainCREATOR: TStringField
      DisplayWidth = 10
      FieldName = 'CREATOR'
      Size = 10
      Visible = False
    end
    object cdsMainCOMPANY: TStringField
      DisplayWidth = 10
      FieldName = 'COMPANY'
      Size = 10
      Visible = False
    end
    object cdsMainqryBody: TDataSetField
      FieldName = 'qryBody'
      Visible = False
    end
    object cdsMainUDF01: TStringField
      DisplayWidth = 20
      FieldName = 'UDF01'
      Size = 255
      Visible = False
    end
    object cdsMainUDF02: TStringField
      DisplayWidth = 20
      FieldName = 'UDF02'
      Size = 255
      Visible = False
    end
    object cdsMainUDF03: TStringField
      DisplayWidth = 20
      FieldName = 'UDF03'
      Size = 255
      Visible = False
    end
    object cdsMainUDF04: TStringField
      DisplayWidth = 20
      FieldName = 'UDF04'
      Size = 255
      Visible = False
    end
    object cdsMainUDF05: TStringField
      DisplayWidth = 20
      FieldName = 'UDF05'
      Size = 255
      Visible = False
    end
    object cdsMainUDF06: TStringField
      DisplayWidth = 20
      FieldName = 'UDF06'
      Size = 255
      Visible = False
    end
    object cdsMainUDF51: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF51'
      Visible = False
    end
    object cdsMainUDF52: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF52'
      Visible = False
    end
    object cdsMainUDF53: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF53'
      Visible = False
    end
    object cdsMainUDF54: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF54'
      Visible = False
    end
    object cdsMainUDF55: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF55'
      Visible = False
    end
    object cdsMainUDF56: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF56'
      Visible = False
    end
    object cdsMainUDF07: TStringField
      DisplayWidth = 255
      FieldName = 'UDF07'
      Size = 255
      Visible = False
    end
    object cdsMainUDF08: TStringField
      DisplayWidth = 255
      FieldName = 'UDF08'
      Size = 255
      Visible = False
    end
    object cdsMainUDF09: TStringField
      DisplayWidth = 255
      FieldName = 'UDF09'
      Size = 255
      Visible = False
    end
    object cdsMainUDF10: TStringField
      DisplayWidth = 255
      FieldName = 'UDF10'
      Size = 255
      Visible = False
    end
    object cdsMainUDF11: TStringField
      DisplayWidth = 255
      FieldName = 'UDF11'
      Size = 255
      Visible = False
    end
    object cdsMainUDF12: TStringField
      DisplayWidth = 255
      FieldName = 'UDF12'
      Size = 255
      Visible = False
    end
    object cdsMainUDF57: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF57'
      Visible = False
    end
    object cdsMainUDF58: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF58'
      Visible = False
    end
    object cdsMainUDF59: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF59'
      Visible = False
    end
    object cdsMainUDF60: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF60'
      Visible = False
    end
    object cdsMainUDF61: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF61'
      Visible = False
    end
    object cdsMainUDF62: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF62'
      Visible = False
    end
  end
  inherited cdsBody1: TwwClientDataSet
    ControlType.Strings = (
      'TB004;CustomEdit;cboTB004G')
    DataSetField = cdsMainqryBody
    object cdsBody1TB003: TStringField
      DisplayLabel = '序号'
      DisplayWidth = 4
      FieldName = 'TB003'
      Size = 4
    end
    object cdsBody1TB004: TStringField
      DisplayLabel = '采购单别'
      DisplayWidth = 4
      FieldName = 'TB004'
      OnValidate = cdsBody1TB004Validate
      Size = 4
    end
    object cdsBody1TB005: TStringField
      DisplayLabel = '采购单号'
      DisplayWidth = 11
      FieldName = 'TB005'
      OnValidate = cdsBody1TB005Validate
      Size = 11
    end
    object cdsBody1TB006: TStringField
      DisplayLabel = '采购序号'
      DisplayWidth = 4
      FieldName = 'TB006'
      OnValidate = cdsBody1TB006Validate
      Size = 4
    end
    object cdsBody1TB007: TStringField
      DisplayLabel = '入库仓库'
      DisplayWidth = 10
      FieldName = 'TB007'
      ReadOnly = True
      Size = 10
    end
    object cdsBody1TD007C: TStringField
      DisplayLabel = '仓库名称'
      DisplayWidth = 20
      FieldName = 'TD007C'
      ReadOnly = True
      Size = 20
    end
    object cdsBody1TD004C: TStringField
      DisplayLabel = '品号'
      DisplayWidth = 20
      FieldName = 'TD004C'
      ReadOnly = True
      Size = 20
    end
    object cdsBody1TD005C: TStringField
      DisplayLabel = '品名'
      DisplayWidth = 60
      FieldName = 'TD005C'
      Size = 60
    end
    object cdsBody1TD006C: TStringField
      DisplayLabel = '规格'
      DisplayWidth = 60
      FieldName = 'TD006C'
      Size = 60
    end
    object cdsBody1TD008C: TFloatField
      DisplayLabel = '采购量'
      DisplayWidth = 10
      FieldName = 'TD008C'
      ReadOnly = True
    end
    object cdsBody1TD015C: TFloatField
      DisplayLabel = '未交量'
      DisplayWidth = 10
      FieldName = 'TD015C'
      ReadOnly = True
    end
    object cdsBody1TD009C: TStringField
      DisplayLabel = '单位'
      DisplayWidth = 4
      FieldName = 'TD009C'
      ReadOnly = True
      Size = 4
    end
    object cdsBody1TD039C: TFloatField
      DisplayLabel = '计价数量'
      DisplayWidth = 10
      FieldName = 'TD039C'
      ReadOnly = True
    end
    object cdsBody1TD038C: TStringField
      DisplayLabel = '计价单位'
      DisplayWidth = 4
      FieldName = 'TD038C'
      ReadOnly = True
      Size = 4
    end
    object cdsBody1TD010C: TFloatField
      DisplayLabel = '采购单价'
      DisplayWidth = 10
      FieldName = 'TD010C'
      ReadOnly = True
    end
    object cdsBody1TD011C: TFloatField
      DisplayLabel = '采购金额'
      DisplayWidth = 10
      FieldName = 'TD011C'
      ReadOnly = True
    end
    object cdsBody1TD012C: TStringField
      DisplayLabel = '预交货日'
      DisplayWidth = 10
      FieldName = 'TD012C'
      OnGetText = DateFieldGetText
      OnSetText = DateFieldSetText
      ReadOnly = True
      Size = 8
    end
    object cdsBody1TD030C: TFloatField
      DisplayLabel = '采购包装数量'
      DisplayWidth = 10
      FieldName = 'TD030C'
      ReadOnly = True
    end
    object cdsBody1TD032C: TStringField
      DisplayLabel = '包装单位'
      DisplayWidth = 4
      FieldName = 'TD032C'
      ReadOnly = True
      Size = 4
    end
    object cdsBody1FLAG: TFloatField
      DisplayWidth = 10
      FieldName = 'FLAG'
      Visible = False
    end
    object cdsBody1MODI_DATE: TStringField
      DisplayWidth = 23
      FieldName = 'MODI_DATE'
      Size = 17
      Visible = False
    end
    object cdsBody1CREATE_DATE: TStringField
      DisplayWidth = 23
      FieldName = 'CREATE_DATE'
      Size = 17
      Visible = False
    end
    object cdsBody1MODIFIER: TStringField
      DisplayWidth = 10
      FieldName = 'MODIFIER'
      Size = 10
      Visible = False
    end
    object cdsBody1USR_GROUP: TStringField
      DisplayWidth = 10
      FieldName = 'USR_GROUP'
      Size = 10
      Visible = False
    end
    object cdsBody1CREATOR: TStringField
      DisplayWidth = 10
      FieldName = 'CREATOR'
      Size = 10
      Visible = False
    end
    object cdsBody1COMPANY: TStringField
      DisplayWidth = 10
      FieldName = 'COMPANY'
      Size = 10
      Visible = False
    end
    object cdsBody1TD031C: TFloatField
      DisplayLabel = '已交包装数量'
      DisplayWidth = 10
      FieldName = 'TD031C'
      Visible = False
    end
    object cdsBody1TB008: TFloatField
      DisplayLabel = '隐藏字段'
      DisplayWidth = 10
      FieldName = 'TB008'
      Visible = False
    end
    object cdsBody1TB009: TStringField
      DisplayLabel = '审核'
      DisplayWidth = 1
      FieldName = 'TB009'
      Size = 1
      Visible = False
    end
    object cdsBody1TB002: TStringField
      DisplayLabel = '单号'
      DisplayWidth = 11
      FieldName = 'TB002'
      Size = 11
      Visible = False
    end
    object cdsBody1TB001: TStringField
      DisplayLabel = '单别'
      DisplayWidth = 4
      FieldName = 'TB001'
      Size = 4
      Visible = False
    end
    object cdsBody1UDF01: TStringField
      DisplayWidth = 20
      FieldName = 'UDF01'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF02: TStringField
      DisplayWidth = 20
      FieldName = 'UDF02'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF03: TStringField
      DisplayWidth = 20
      FieldName = 'UDF03'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF04: TStringField
      DisplayWidth = 20
      FieldName = 'UDF04'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF05: TStringField
      DisplayWidth = 20
      FieldName = 'UDF05'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF06: TStringField
      DisplayWidth = 20
      FieldName = 'UDF06'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF51: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF51'
      Visible = False
    end
    object cdsBody1UDF52: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF52'
      Visible = False
    end
    object cdsBody1UDF53: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF53'
      Visible = False
    end
    object cdsBody1UDF54: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF54'
      Visible = False
    end
    object cdsBody1UDF55: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF55'
      Visible = False
    end
    object cdsBody1UDF56: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF56'
      Visible = False
    end
    object cdsBody1UDF07: TStringField
      DisplayWidth = 255
      FieldName = 'UDF07'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF08: TStringField
      DisplayWidth = 255
      FieldName = 'UDF08'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF09: TStringField
      DisplayWidth = 255
      FieldName = 'UDF09'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF10: TStringField
      DisplayWidth = 255
      FieldName = 'UDF10'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF11: TStringField
      DisplayWidth = 255
      FieldName = 'UDF11'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF12: TStringField
      DisplayWidth = 255
      FieldName = 'UDF12'
      Size = 255
      Visible = False
    end
    object cdsBody1UDF57: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF57'
      Visible = False
    end
    object cdsBody1UDF58: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF58'
      Visible = False
    end
    object cdsBody1UDF59: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF59'
      Visible = False
    end
    object cdsBody1UDF60: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF60'
      Visible = False
    end
    object cdsBody1UDF61: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF61'
      Visible = False
    end
    object cdsBody1UDF62: TFloatField
      DisplayWidth = 10
      FieldName = 'UDF62'
      Visible = False
    end
  end
end
)");

namespace {

// A computed value written as the edit text of a number field, so that its own validation runs.
void SetNumber(TField* field, long double value) {
    SetFieldText(field, FloatToStr(static_cast<double>(value)), true);
}

AnsiString ValueAt(const Variant& values, int n) {
    return n <= values.GetElement({0}).AsInteger() ? VarToStr(values.GetElement({n})) : AnsiString();
}

} // namespace

TdmKvrx58::TdmKvrx58(TComponent* owner, bool load) : TdmDouble(owner, false) {
    if (load) InitInheritedComponent(this);
}

// ---- new records and lines ----

void TdmKvrx58::SetDefaultValues(TDataSet* dataSet) {
    TdmDouble::SetDefaultValues(dataSet);
    if (dataSet != cdsMain) return;
    const AnsiString closing = Broker ? Broker->GetSysSetting("Sys011") : AnsiString();
    if (FormatDateTime("yyyymm", Now()) >= closing)
        SetFieldText(Head("TA008"), FormatDateTime("yyyymmdd", Now()), false);
    SetFieldText(Head("TA003"), "1", false);
    // The default factory is looked up through the issue date: its value is the key.
    if (Head("TA036")->AsString().empty()) CheckCode(Head("TA008"), "TAZMB", "N", "TA036,TA036C", "02");
    SetFieldText(Head("TA021"), "10", true); // 10 %, through the percentage text
    SetFieldText(Head("TA038"), "N", false);
    SetFieldText(Head("TA039"), "N", false);
    SetFieldText(Head("TA045"), "0", true);
}

void TdmKvrx58::InitBodyLine() {
    TdmDouble::InitBodyLine();
    SetFieldText(Line("TB009"), "N", false);
}

void TdmKvrx58::BodyChanged() {
    TdmDouble::BodyChanged();
    SumBodyToHead(Head("TA040"), "TD011C");
}

int TdmKvrx58::MoneyDecimals() {
    const int digits = GetCurrencySetting(Head("TA016")->AsString(), cdtMoney);
    return digits < 0 ? 2 : digits;
}

int TdmKvrx58::LocalMoneyDecimals() {
    const int digits = GetCurrencySetting(Broker ? Broker->GetSysSetting("SYS003") : AnsiString(), cdtMoney);
    return digits < 0 ? 2 : digits;
}

void TdmKvrx58::ShareSelfFinanced() {
    if (cdsBody1->IsEmpty()) return;
    const long double total = Head("TA040")->AsFloat();
    const long double financed = Head("TA023")->AsFloat();
    // The shares are amounts of the local currency, whatever the credit's currency is.
    const long double unit = std::pow(10.0L, LocalMoneyDecimals());
    const auto money = [unit](long double value) { return std::round(value * unit) / unit; };
    // The last line that has a share takes what the others left, so that the shares add up to TA023.
    int last = 0, line = 0;
    for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next()) {
        ++line;
        if (Line("TD011C")->AsFloat() != 0) last = line;
    }
    long double given = 0;
    line = 0;
    for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next()) {
        ++line;
        const long double amount = Line("TD011C")->AsFloat();
        long double share = 0;
        if (amount != 0 && total != 0)
            share = line == last ? money(financed - given) : money(amount / total * financed);
        given += share;
        cdsBody1->Edit();
        SetFieldText(Line("TB008"), FloatToStr(static_cast<double>(share)), true);
        cdsBody1->Post();
    }
}

// ---- calculations ----

void TdmKvrx58::SumCharges() {
    long double sum = 0;
    for (const char* name : {"TA024", "TA025", "TA026", "TA027", "TA028", "TA029"})
        sum += Head(name)->AsFloat();
    SetNumber(Head("TA033"), sum);
}

void TdmKvrx58::ComputeSelfFinanced() {
    const long double amount = Head("TA018")->AsFloat();
    const long double ratio = Head("TA021")->AsFloat();
    const long double rate = Head("TA017")->AsFloat();
    SetNumber(Head("TA022"), amount * ratio);
    // An amount of the local currency: at its decimals, so that the lines' shares can add up to it.
    const long double unit = std::pow(10.0L, LocalMoneyDecimals());
    SetNumber(Head("TA023"), std::round(amount * ratio * rate * unit) / unit);
}

void TdmKvrx58::CurrencyChanged() {}

void TdmKvrx58::ApplyLocalCurrencyDecimals() {
    if (!Broker) return;
    // Looked up through the currency field: only while the record has a currency.
    if (!cdsMain->Active() || Head("TA016")->AsString().empty()) return;
    Variant row;
    if (!CodeExists(Head("TA016"), "TAZMF", row, VarArrayOf({Broker->GetSysSetting("Sys003")}), "01")) return;
    if (!VarIsArray(row) || VarArrayHighBound(row, 1) - VarArrayLowBound(row, 1) < 2) return;
    int places = 0;
    if (!TryStrToInt(Trim(VarToStr(row.GetElement({VarArrayLowBound(row, 1) + 2}))), places)) places = 0;
    SetDecimalGroupPlaces(0, places);
}

void TdmKvrx58::NumberDocument() {
    if (TKvrx58View* view = ProgramView()) SetFieldText(Head("TA002"), view->ViewNextDocumentNo(), false);
}

// ---- header fields ----

void TdmKvrx58::cdsMainTA001Validate(TField* sender) {
    if (sender->AsString().empty()) {
        Head("TA001C")->Clear();
        Head("TA002")->Clear();
        return; // no type: nothing to look up
    }
    Variant values;
    GetCodeValues(sender, "TAZMQ", values,
                  VarArrayOf({sender->AsString(), "A1", Broker ? Broker->UserID : ""}), "01");
    if (values.GetElement({0}).AsInteger() == 0) {
        if (Broker) Broker->Say("E", "100007", {""});
        Abort();
    }
    Head("TA001C")->SetAsString(ValueAt(values, 1));
    const bool numbered = AutoKey;
    SetAutoKey(ValueAt(values, 3) != "4");
    TKvrx58View* view = ProgramView();
    TBaseView* base = BaseView();
    if (AutoKey) {
        NumberDocument();
        if (view) view->ViewFocusField("TA008");
    } else if (numbered && base && base->ViewEditState() == esInsert) {
        // The number that the other type's numbering gave is not the user's: a hand-numbered type
        // starts from an empty number.
        Head("TA002")->Clear();
    }
    if (view) view->ViewTypeFlags(ValueAt(values, 11) == "Y", ValueAt(values, 12) == "Y");
    const AnsiString programID = Broker ? Broker->ProgramID : AnsiString();
    const bool signOff =
        CheckCodeByKeys(sender, "WOQMQ", "N", VarArrayOf({programID, sender->AsString()}), "", "02");
    SetFieldText(Head("TA044"), signOff ? "0" : "N", false);
}

void TdmKvrx58::cdsMainTA002Validate(TField* sender) {
    CheckUnique(sender, "KVRTA", "E", "TA001,TA002", "01");
}

void TdmKvrx58::cdsMainTA008Validate(TField* sender) {
    const AnsiString closing = Broker ? Broker->GetSysSetting("Sys011") : AnsiString();
    const AnsiString date = sender->AsString();
    if (!date.empty() && date.substr(0, 6) < closing) {
        if (Broker) Broker->Say("E", "100013", {""});
        Abort();
    }
    DateFieldValidate(sender);
    TBaseView* base = BaseView();
    if (base && base->ViewEditState() == esInsert && AutoKey) NumberDocument();
    SetFieldText(Head("TA042"), date, false);
}

void TdmKvrx58::cdsMainTA005Validate(TField* sender) {
    CheckCode(sender, "BYVMA", "W", "TA005C,TA016", "01");
}

void TdmKvrx58::cdsMainTA005SetText(TField* sender, const AnsiString& text) {
    ProviderFieldSetText(sender, text, "61");
}

void TdmKvrx58::cdsMainTA006Validate(TField* sender) {
    // A bank account picked from the list is checked already; whatever is typed next is checked again.
    if (TKvrx58View* view = ProgramView(); view && view->ViewTakeBankAccountPicked()) return;
    CheckCode(sender, "TAZMO", "W", "TA006C", "02");
}

void TdmKvrx58::cdsMainTA036Validate(TField* sender) {
    CheckCode(sender, "TAZMB", "E", "TA036C", "01");
}

void TdmKvrx58::cdsMainTA016Validate(TField* sender) {
    CheckCode(sender, "TAZMF", "E", "", "01");
    if (Broker) {
        Variant rate;
        Broker->CallCounter("ExchangeRate", VarArrayOf({sender->AsString(), "W", Head("TA008")->AsString()}),
                            rate);
        SetFieldText(Head("TA017"), VarToStr(rate), true);
    }
    CurrencyChanged();
}

void TdmKvrx58::cdsMainTA017Validate(TField* sender) {
    if (sender->AsFloat() < 0) {
        if (Broker) Broker->Say("E", "100006", {sender->DisplayLabel()});
        Abort();
    }
    ComputeSelfFinanced();
}

void TdmKvrx58::cdsMainTA018Validate(TField* sender) {
    if (sender->AsFloat() < 0) {
        if (Broker) Broker->Say("E", "100006", {sender->DisplayLabel()});
        Abort();
    }
    SetNumber(Head("TA019C"), static_cast<long double>(sender->AsFloat()) + Head("TA019")->AsFloat());
    ComputeSelfFinanced();
}

void TdmKvrx58::cdsMainTA021Validate(TField*) {
    ComputeSelfFinanced();
}

void TdmKvrx58::cdsMainTA024Validate(TField*) {
    SumCharges();
}

void TdmKvrx58::cdsMainTA023CGetText(TField*, AnsiString& text, bool) {
    text = Broker ? Broker->GetSysSetting("SYS003") : AnsiString();
}

// ---- lines ----

void TdmKvrx58::cdsBody1TB004Validate(TField*) {
    Line("TB005")->Clear(); // which empties the order line in turn
}

void TdmKvrx58::cdsBody1TB005Validate(TField*) {
    Line("TB006")->Clear();
}

void TdmKvrx58::cdsBody1TB006Validate(TField* sender) {
    const AnsiString type = Line("TB004")->AsString(), number = Line("TB005")->AsString(),
                     line = sender->AsString();
    if (type.empty() || number.empty() || line.empty()) return;
    Variant values;
    GetCodeValues(sender, "KVRTB", values,
                  VarArrayOf({type, number, line, Head("TA001")->AsString() + Head("TA002")->AsString()}),
                  "01");
    if (values.GetElement({0}).AsInteger() > 0 && Broker)
        Broker->Say("W", "000005",
                    {Line("TB004")->DisplayLabel() + "+" + Line("TB005")->DisplayLabel() + "+" +
                     sender->DisplayLabel()},
                    936, true);
    GetCodeValues(sender, "BYVTD", values,
                  VarArrayOf({type, number, line, Head("TA005")->AsString(), Head("TA036")->AsString(),
                              Head("TA016")->AsString()}),
                  "10");
    if (values.GetElement({0}).AsInteger() == 0) {
        if (Broker) Broker->Say("E", "100061", {""});
        Abort();
    }
    // Value 11 (the delivered quantity) is not shown.
    static const char* const targets[] = {"TB007",  "TD007C", "TD004C", "TD005C", "TD006C", "TD015C",
                                          "TD010C", "TD011C", "TD012C", "TD009C", nullptr,  "TD008C",
                                          "TD030C", "TD031C", "TD032C", "TD038C", "TD039C"};
    for (int n = 1; n <= 17; ++n)
        if (const char* target = targets[n - 1]) SetFieldText(Line(target), ValueAt(values, n), true);
}
