#include "programs/kvrx58/Kvrx58CF.h"

#include "classlib/objects/formloader.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/datetime.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TfrmKvrx58, c) {
    c.Method("FormCreate", &TfrmKvrx58::FormCreate);
}

KVR_FORM_RESOURCE(TfrmKvrx58, R"(inherited frmKvrx58: TfrmKvrx58
  Left = 217
  Top = 124
  Width = 719
  Height = 599
  Caption = 'frmKvrx58'
  object pnlHead: TPanel
    Left = 0
    Top = 30
    Width = 711
    Height = 72
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
    object edTA001: TQvBtnDBEdit
      Left = 64
      Top = 8
      Width = 60
      Height = 21
      Caption = '单别'
      DataField = 'TA001'
      DataSource = dmKvrx58.dsMain
      Hint = '[F2]单据性质信息'
      ButtonHint = '单据性质信息'
      TabOrder = 0
    end
    object edTA002: TQvDBEdit
      Left = 208
      Top = 8
      Width = 100
      Height = 21
      Caption = '单号'
      DataField = 'TA002'
      DataSource = dmKvrx58.dsMain
      TabOrder = 1
    end
    object edTA008: TQvBtnDBEdit
      Left = 400
      Top = 8
      Width = 90
      Height = 21
      Caption = '开证日期'
      DataField = 'TA008'
      DataSource = dmKvrx58.dsMain
      GlyphIndex = 9
      Hint = '[F2]日期快手'
      TabOrder = 2
    end
    object edTA005: TQvBtnDBEdit
      Left = 64
      Top = 40
      Width = 90
      Height = 21
      Caption = '供应商'
      DataField = 'TA005'
      DataSource = dmKvrx58.dsMain
      GlyphIndex = 61
      Hint = '[F2]供应商信息查询'
      TabOrder = 3
    end
    object edTA036: TQvBtnDBEdit
      Left = 400
      Top = 40
      Width = 60
      Height = 21
      Caption = '工厂'
      DataField = 'TA036'
      DataSource = dmKvrx58.dsMain
      GlyphIndex = 63
      Hint = '[F2]工厂信息查询'
      TabOrder = 4
    end
  end
end
)");

TfrmKvrx58::TfrmKvrx58(TComponent* owner, bool load) : TfrmBase(owner, false) {
    if (load) InitInheritedComponent(this);
}

TClass TfrmKvrx58::DataModuleClass() {
    return TdmKvrx58::StaticClass();
}

void TfrmKvrx58::FormCreate(TObject* sender) {
    CreateDataModule();
    TfrmBase::FormCreate(sender);
    VersionText = "890110-1.00.00";
}

void TfrmKvrx58::DoF2Key(Word& key, TWinControl* control) {
    TfrmBase::DoF2Key(key, control);
    if (!control || !Module() || !Module()->cdsMain) return;
    AnsiString dataField;
    GetStrPropByName(control, "DataField", dataField);
    TField* field = Module()->cdsMain->FindField(Trim(dataField));
    if (!field) return;
    const AnsiString name = UpperCase(field->FieldName());
    if (name == "TA001")
        OpenLookup(field, "TAZMQ", VarArrayOf({"A1", Broker->UserID}), "01");
    else if (name == "TA008")
        PickDate(field);
    else if (name == "TA005")
        OpenLookup(field, "BYVMA", Variant(AnsiString()), "01");
    else if (name == "TA036")
        OpenLookup(field, "TAZMB", Variant(AnsiString()), "01");
}

AnsiString TfrmKvrx58::NextDocumentNo() {
    TdmKvrx58* module = Module();
    if (!module || !Broker) return AnsiString();
    // The issue date in the form's date kind; today when the document has none.
    const AnsiString stored = module->cdsMain->FieldByName("TA008")->AsString();
    TDateTime date = Now();
    if (stored.size() == 8) {
        int y = 0, m = 0, d = 0;
        if (TryStrToInt(stored.substr(0, 4), y) && TryStrToInt(stored.substr(4, 2), m) &&
            TryStrToInt(stored.substr(6, 2), d))
            TryEncodeDate(y, m, d, date);
    }
    Variant number;
    try {
        Broker->QueryMaxSeq(module->cdsMain, module->MainTable, number,
                            FormatDateByKind(DateKind, DateSeparator, date), module->KeyFields);
    } catch (const Exception&) {
        number = Variant();
    }
    const AnsiString text = VarToStr(number);
    if (text.empty() || SameText(text, "unKnow") || SameText(text, "unknown")) {
        Broker->Say("E", "000033");
        return AnsiString();
    }
    return text;
}

void TfrmKvrx58::FocusFieldControl(const AnsiString& fieldName) {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* control = dynamic_cast<TWinControl*>(Components(i));
        if (!control) continue;
        AnsiString dataField;
        GetStrPropByName(control, "DataField", dataField);
        if (!SameText(Trim(dataField), fieldName)) continue;
        if (control->CanFocus()) control->SetFocus();
        return;
    }
}
