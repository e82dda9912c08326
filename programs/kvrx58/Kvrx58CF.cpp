#include "programs/kvrx58/Kvrx58CF.h"

#include <cmath>
#include <memory>

#include "classlib/objects/formloader.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/datetime.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TfrmKvrx58, c) {
    c.Field("memLNG", &TfrmKvrx58::memLNG);
    c.Field("edTA006", &TfrmKvrx58::edTA006);
    c.Field("edTA006C", &TfrmKvrx58::edTA006C);
    c.Method("FormCreate", &TfrmKvrx58::FormCreate);
    c.Method("edTA010KeyPress", &TfrmKvrx58::edTA010KeyPress);
    c.Method("miBYVX31Click", &TfrmKvrx58::miBYVX31Click);
    c.Method("miBYVX37Click", &TfrmKvrx58::miBYVX37Click);
}

KVR_FORM_RESOURCE(TfrmKvrx58, R"(inherited frmKvrx58: TfrmKvrx58
  Left = 217
  Top = 124
  Width = 719
  Height = 599
  Caption = 'frmKvrx58'
  inherited ToolBar1: TToolBar
    object BtnSearchs: TToolButton
      DropdownMenu = PopSearchs
      Hint = '资料查询'
      ImageIndex = 20
      Style = tbsDropDown
    end
  end
  object PopSearchs: TPopupMenu
    object miBYVX31: TMenuItem
      Caption = '供应商信息查询'
      OnClick = miBYVX31Click
    end
    object miBYVX37: TMenuItem
      Caption = '采购单查询'
      OnClick = miBYVX37Click
    end
  end
  object pnlHead: TPanel
    Left = 0
    Top = 29
    Width = 711
    Height = 107
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
    end
    object txtTA001C: TDBText
      Left = 150
      Top = 12
      Width = 90
      Height = 13
      DataField = 'TA001C'
      DataSource = dmKvrx58.dsMain
    end
    object edTA002: TQvDBEdit
      Left = 280
      Top = 8
      Width = 100
      Height = 21
      Caption = '单号'
      DataField = 'TA002'
      DataSource = dmKvrx58.dsMain
    end
    object edTA008: TQvBtnDBEdit
      Left = 460
      Top = 8
      Width = 90
      Height = 21
      Caption = '开证日期'
      DataField = 'TA008'
      DataSource = dmKvrx58.dsMain
      GlyphIndex = 9
      Hint = '[F2]日期快手'
    end
    object edTA004: TQvDBEdit
      Left = 64
      Top = 36
      Width = 150
      Height = 21
      Caption = 'L/C单号'
      DataField = 'TA004'
      DataSource = dmKvrx58.dsMain
    end
    object chkTA039: TFDbCheckBox
      Left = 600
      Top = 10
      Width = 60
      Height = 17
      Caption = '结束'
      DataField = 'TA039'
      DataSource = dmKvrx58.dsMain
      TabStop = False
      ValueChecked = 'Y'
      ValueUnchecked = 'N'
    end
    object edTA005: TQvBtnDBEdit
      Left = 280
      Top = 36
      Width = 90
      Height = 21
      Caption = '供应商'
      DataField = 'TA005'
      DataSource = dmKvrx58.dsMain
      GlyphIndex = 61
      Hint = '[F2]供应商信息查询'
    end
    object txtTA005C: TDBText
      Left = 396
      Top = 40
      Width = 150
      Height = 13
      DataField = 'TA005C'
      DataSource = dmKvrx58.dsMain
    end
    object edTA042: TQvDBEdit
      Left = 64
      Top = 64
      Width = 90
      Height = 21
      Caption = '审核日'
      Color = clBtnFace
      DataField = 'TA042'
      DataSource = dmKvrx58.dsMain
      ReadOnly = True
      TabStop = False
    end
    object edTA043: TQvDBEdit
      Left = 280
      Top = 64
      Width = 90
      Height = 21
      Caption = '审核者'
      Color = clBtnFace
      DataField = 'TA043'
      DataSource = dmKvrx58.dsMain
      ReadOnly = True
      TabStop = False
    end
    object txtTA043C: TDBText
      Left = 374
      Top = 68
      Width = 80
      Height = 13
      DataField = 'TA043C'
      DataSource = dmKvrx58.dsMain
    end
    object cboTA044: TQvDBComboBox
      Left = 530
      Top = 64
      Width = 110
      Height = 21
      Caption = '签核状态'
      DataField = 'TA044'
      DataSource = dmKvrx58.dsMain
      Items.Strings = (
        '待处理'#9'0'
        '传送中'#9'S'
        '签核中'#9'1'
        '退件'#9'2'
        '已核准'#9'3'
        '撤销审核中'#9'4'
        '作废中'#9'5'
        '取消作废中'#9'6'
        '不运行电子签核'#9'N')
      ReadOnly = True
      Style = csSimple
    end
    object edTA045: TQvDBEdit
      Left = 600
      Top = 36
      Width = 40
      Height = 21
      Caption = '传送次数'
      Color = clBtnFace
      DataField = 'TA045'
      DataSource = dmKvrx58.dsMain
      ReadOnly = True
      TabStop = False
    end
  end
  inherited pgHead: TExtPageControl
    Top = 136
    Height = 420
    inherited tbsHead1: TTabSheet
      Caption = '银行信息'
      object edTA006: TQvBtnDBEdit
        Left = 72
        Top = 8
        Width = 90
        Height = 21
        Caption = '开证银行'
        DataField = 'TA006'
        DataSource = dmKvrx58.dsMain
        GlyphIndex = 74
        Hint = '[F2]金融机构信息查询[F3]银行账号信息查询'
        ButtonHint = '金融机构信息查询'
      end
      object edTA006C: TDBEdit
        Left = 188
        Top = 8
        Width = 240
        Height = 21
        Color = clBtnFace
        DataField = 'TA006C'
        DataSource = dmKvrx58.dsMain
        ReadOnly = True
        TabStop = False
      end
      object edTA007: TQvDBEdit
        Left = 72
        Top = 36
        Width = 60
        Height = 21
        Caption = '额度别'
        DataField = 'TA007'
        DataSource = dmKvrx58.dsMain
      end
      object edTA010: TQvDBEdit
        Left = 220
        Top = 36
        Width = 60
        Height = 21
        Caption = '远期天数'
        DataField = 'TA010'
        DataSource = dmKvrx58.dsMain
        OnKeyPress = edTA010KeyPress
      end
      object edTA009: TQvBtnDBEdit
        Left = 370
        Top = 36
        Width = 90
        Height = 21
        Caption = '有效日期'
        DataField = 'TA009'
        DataSource = dmKvrx58.dsMain
        GlyphIndex = 9
        Hint = '[F2]日期快手'
      end
      object edTA011: TQvDBEdit
        Left = 72
        Top = 64
        Width = 150
        Height = 21
        Caption = '许可证号'
        DataField = 'TA011'
        DataSource = dmKvrx58.dsMain
      end
      object edTA036: TQvBtnDBEdit
        Left = 300
        Top = 64
        Width = 60
        Height = 21
        Caption = '工厂'
        DataField = 'TA036'
        DataSource = dmKvrx58.dsMain
        GlyphIndex = 63
        Hint = '[F2]工厂信息查询'
      end
      object txtTA036C: TDBText
        Left = 386
        Top = 68
        Width = 120
        Height = 13
        DataField = 'TA036C'
        DataSource = dmKvrx58.dsMain
      end
      object edTA012: TQvBtnDBEdit
        Left = 72
        Top = 92
        Width = 90
        Height = 21
        Caption = '装船期限'
        DataField = 'TA012'
        DataSource = dmKvrx58.dsMain
        GlyphIndex = 9
        Hint = '[F2]日期快手'
      end
      object edTA013: TQvBtnDBEdit
        Left = 260
        Top = 92
        Width = 120
        Height = 21
        Caption = '运送方式'
        DataField = 'TA013'
        DataSource = dmKvrx58.dsMain
        GlyphIndex = 11
        Hint = '[F2]常用语查询'
      end
      object edTA014: TQvBtnDBEdit
        Left = 72
        Top = 120
        Width = 90
        Height = 21
        Caption = 'E.T.D'
        DataField = 'TA014'
        DataSource = dmKvrx58.dsMain
        GlyphIndex = 9
        Hint = '[F2]日期快手'
      end
      object edTA015: TQvBtnDBEdit
        Left = 260
        Top = 120
        Width = 90
        Height = 21
        Caption = 'E.T.A'
        DataField = 'TA015'
        DataSource = dmKvrx58.dsMain
        GlyphIndex = 9
        Hint = '[F2]日期快手'
      end
    end
    object TabSheet1: TTabSheet
      Caption = '金额信息'
      object edTA016: TQvBtnDBEdit
        Left = 72
        Top = 8
        Width = 60
        Height = 21
        Caption = '开证币种'
        DataField = 'TA016'
        DataSource = dmKvrx58.dsMain
        GlyphIndex = 44
        Hint = '[F2]币种信息查询'
      end
      object edTA017: TQvBtnDBEdit
        Left = 260
        Top = 8
        Width = 90
        Height = 21
        Caption = '开证汇率'
        DataField = 'TA017'
        DataSource = dmKvrx58.dsMain
        GlyphIndex = 44
        Hint = '[F2]币种汇率查询'
      end
      object edTA018: TQvDBEdit
        Left = 72
        Top = 36
        Width = 110
        Height = 21
        Caption = '开证金额'
        DataField = 'TA018'
        DataSource = dmKvrx58.dsMain
      end
      object edTA019: TQvDBEdit
        Left = 260
        Top = 36
        Width = 110
        Height = 21
        Caption = '更改金额'
        Color = clBtnFace
        DataField = 'TA019'
        DataSource = dmKvrx58.dsMain
        ReadOnly = True
        TabStop = False
      end
      object edTA019C: TQvDBEdit
        Left = 460
        Top = 36
        Width = 110
        Height = 21
        Caption = '总金额'
        Color = clBtnFace
        DataField = 'TA019C'
        DataSource = dmKvrx58.dsMain
        ReadOnly = True
        TabStop = False
      end
      object edTA021: TQvDBEdit
        Left = 72
        Top = 64
        Width = 60
        Height = 21
        Caption = '自筹比率 '
        DataField = 'TA021'
        DataSource = dmKvrx58.dsMain
      end
      object edTA022: TQvDBEdit
        Left = 260
        Top = 64
        Width = 110
        Height = 21
        Caption = '原币自筹金额'
        Color = clBtnFace
        DataField = 'TA022'
        DataSource = dmKvrx58.dsMain
        ReadOnly = True
        TabStop = False
      end
      object edTA023: TQvDBEdit
        Left = 460
        Top = 64
        Width = 110
        Height = 21
        Caption = '自筹金额'
        DataField = 'TA023'
        DataSource = dmKvrx58.dsMain
      end
      object txtTA023C: TDBText
        Left = 574
        Top = 68
        Width = 30
        Height = 13
        DataField = 'TA023C'
        DataSource = dmKvrx58.dsMain
      end
      object edTA035: TQvDBEdit
        Left = 72
        Top = 92
        Width = 110
        Height = 21
        Caption = '已摊自筹额'
        DataField = 'TA035'
        DataSource = dmKvrx58.dsMain
      end
      object edTA020: TQvDBEdit
        Left = 260
        Top = 92
        Width = 110
        Height = 21
        Caption = '已到货额'
        DataField = 'TA020'
        DataSource = dmKvrx58.dsMain
      end
    end
    object TabSheet2: TTabSheet
      Caption = '费用信息'
      object edTA024: TQvDBEdit
        Left = 72
        Top = 8
        Width = 100
        Height = 21
        Caption = '手续费'
        DataField = 'TA024'
        DataSource = dmKvrx58.dsMain
      end
      object edTA025: TQvDBEdit
        Left = 262
        Top = 8
        Width = 100
        Height = 21
        Caption = '保险费'
        DataField = 'TA025'
        DataSource = dmKvrx58.dsMain
      end
      object edTA026: TQvDBEdit
        Left = 452
        Top = 8
        Width = 100
        Height = 21
        Caption = '签证费'
        DataField = 'TA026'
        DataSource = dmKvrx58.dsMain
      end
      object edTA027: TQvDBEdit
        Left = 72
        Top = 36
        Width = 100
        Height = 21
        Caption = '邮电费'
        DataField = 'TA027'
        DataSource = dmKvrx58.dsMain
      end
      object edTA028: TQvDBEdit
        Left = 262
        Top = 36
        Width = 100
        Height = 21
        Caption = '杂项费用'
        DataField = 'TA028'
        DataSource = dmKvrx58.dsMain
      end
      object edTA029: TQvDBEdit
        Left = 452
        Top = 36
        Width = 100
        Height = 21
        Caption = '其他费用'
        DataField = 'TA029'
        DataSource = dmKvrx58.dsMain
      end
      object edTA033: TQvDBEdit
        Left = 72
        Top = 64
        Width = 100
        Height = 21
        Caption = '费用合计'
        Color = clBtnFace
        DataField = 'TA033'
        DataSource = dmKvrx58.dsMain
        ReadOnly = True
        TabStop = False
      end
      object edTA034: TQvDBEdit
        Left = 262
        Top = 64
        Width = 100
        Height = 21
        Caption = '已摊费用'
        Color = clBtnFace
        DataField = 'TA034'
        DataSource = dmKvrx58.dsMain
        ReadOnly = True
        TabStop = False
      end
      object edTA037: TQvBtnDBEdit
        Left = 72
        Top = 92
        Width = 380
        Height = 21
        Caption = '备注'
        DataField = 'TA037'
        DataSource = dmKvrx58.dsMain
        GlyphIndex = 11
        Hint = '[F2]常用语查询'
      end
      object edTA041: TQvDBEdit
        Left = 540
        Top = 92
        Width = 40
        Height = 21
        Caption = '打印'
        Color = clBtnFace
        DataField = 'TA041'
        DataSource = dmKvrx58.dsMain
        ReadOnly = True
        TabStop = False
      end
    end
    inherited tbsBrowse: TTabSheet
      object cboTA038G: TwwDBComboBox
        Left = 8
        Top = 40
        Width = 80
        Height = 21
        DataField = 'TA038'
        DataSource = dmKvrx58.dsMain
        Items.Strings = (
          '已审核'#9'Y'
          '未审核'#9'N'
          '作废'#9'V'
          '审核失败'#9'U')
        Style = csDropDown
        Visible = False
      end
      object cboTA044G: TwwDBComboBox
        Left = 96
        Top = 40
        Width = 110
        Height = 21
        DataField = 'TA044'
        DataSource = dmKvrx58.dsMain
        Items.Strings = (
          '待处理'#9'0'
          '传送中'#9'S'
          '签核中'#9'1'
          '退件'#9'2'
          '已核准'#9'3'
          '撤销审核中'#9'4'
          '作废中'#9'5'
          '取消作废中'#9'6'
          '不运行电子签核'#9'N')
        Style = csDropDownList
        Visible = False
      end
    end
  end
  inherited Status: TStatusBar
    Top = 553
  end
  inherited pgBody: TExtPageControl
    Top = 336
    Height = 215
    inherited tbsBody1: TTabSheet
      object cboTB004G: TwwDBComboDlg
        Left = 8
        Top = 40
        Width = 60
        Height = 21
        DataField = 'TB004'
        DataSource = dmKvrx58.dsBody1
        Hint = '[F2]采购信息查询'
        TabOrder = 1
        Visible = False
        OnCustomDlg = BodyCustomDlg
      end
    end
  end
  object memLNG: TMemo
    Left = 8
    Top = 330
    Width = 80
    Height = 21
    Lines.Strings = (
      ' 或 ')
    Visible = False
  end
end
)");

TfrmKvrx58::TfrmKvrx58(TComponent* owner, bool load) : TfrmDouble(owner, false) {
    if (load) InitInheritedComponent(this);
}

TClass TfrmKvrx58::DataModuleClass() {
    return TdmKvrx58::StaticClass();
}

void TfrmKvrx58::FormCreate(TObject* sender) {
    CreateDataModule();
    TfrmDouble::FormCreate(sender);
    VersionText = "890110-1.00.00";
}

void TfrmKvrx58::DoF2Key(Word& key, TWinControl* control) {
    TfrmDouble::DoF2Key(key, control);
    if (!control || !Module() || !Module()->cdsMain) return;
    if (gdBody1 && (control == gdBody1 || control->Parent() == gdBody1)) {
        TClientDataSet* body = Module()->cdsBody1;
        if (body->State() == dsBrowse) body->Edit(); // an empty body gets its first line
        TField* selected = gdBody1->SelectedField();
        if (!selected || selected->ReadOnly()) {
            key = 0;
            return;
        }
        if (SameText(selected->FieldName(), "TB004")) {
            TClientDataSet* main = Module()->cdsMain;
            OpenLookupFor(
                selected, "TB004,TB005,TB006", true, false,
                VarArrayOf({main->FieldByName("TA005")->AsString(), main->FieldByName("TA036")->AsString(),
                            main->FieldByName("TA016")->AsString(), AnsiString(),
                            body->FieldByName("TB004")->AsString(), body->FieldByName("TB005")->AsString()}),
                "06", "BYVTD");
        }
        return;
    }
    AnsiString dataField;
    GetStrPropByName(control, "DataField", dataField);
    TField* field = Module()->cdsMain->FindField(Trim(dataField));
    if (!field) return;
    const AnsiString name = UpperCase(field->FieldName());
    const Variant none(AnsiString{});
    if (name == "TA001")
        OpenLookup(field, "TAZMQ", VarArrayOf({"A1", Broker->UserID}), "01");
    else if (name == "TA008" || name == "TA009" || name == "TA012" || name == "TA014" || name == "TA015")
        PickDate(field);
    else if (name == "TA005")
        OpenLookup(field, "BYVMA", none, "01");
    else if (name == "TA006")
        OpenLookup(field, "TAZMO", none, "01");
    else if (name == "TA036")
        OpenLookup(field, "TAZMB", none, "01");
    else if (name == "TA016")
        OpenLookup(field, "TAZMF", none, "01");
    else if (name == "TA017")
        OpenLookup(field, "TAZMG", Variant(Module()->cdsMain->FieldByName("TA016")->AsString()), "03");
    else if (name == "TA013" || name == "TA037")
        PickPhrase(field);
}

void TfrmKvrx58::DoF3Key(Word& key, TWinControl* control) {
    TfrmDouble::DoF3Key(key, control);
    if (!control || !edTA006 || !Broker || !Module()) return;
    AnsiString dataField;
    GetStrPropByName(control, "DataField", dataField);
    if (!SameText(Trim(dataField), "TA006")) return;
    // Only a document being added or changed takes an account: a browsed one would show an account that
    // its record never gets.
    TClientDataSet* main = Module()->cdsMain;
    if (edTA006->ReadOnly() || (main->State() != dsEdit && main->State() != dsInsert)) return;
    // The bank accounts, seeded with what the issuing bank's edit holds.
    Variant rows;
    Broker->OpenF2Window("GIMMA", "01", rows, "", "", "", 0, "", false, false, edTA006->Text(),
                         VarArrayOf({AnsiString()}));
    if (!VarIsArray(rows) || VarArrayHighBound(rows, 1) < VarArrayLowBound(rows, 1)) return;
    const Variant first = rows.GetElement({VarArrayLowBound(rows, 1)});
    const int low = VarArrayLowBound(first, 1);
    const AnsiString account = VarToStr(first.GetElement({low}));
    const AnsiString name =
        low + 1 <= VarArrayHighBound(first, 1) ? VarToStr(first.GetElement({low + 1})) : "";
    // Written to the record at once, so that the issuing bank's check skips itself for this account only;
    // the flag never outlives the pick (an equal value, a cancelled edit), so the next typed bank is checked.
    BankAccountPicked = true;
    try {
        SetFieldText(main->FieldByName("TA006"), account, false);
    } catch (...) {
        BankAccountPicked = false;
        throw;
    }
    BankAccountPicked = false;
    // The account's name, which the bank's name would otherwise show again at the next repaint.
    SetFieldText(main->FieldByName("TA006C"), name, false);
    edTA006->SetText(account);
    if (edTA006C) edTA006C->SetText(name);
}

void TfrmKvrx58::ConfigureProgram() {
    TfrmDouble::ConfigureProgram();
    TdmKvrx58* module = Module();
    if (!module) return;
    AddFocusEdit = dynamic_cast<TWinControl*>(FindComponent("edTA001"));
    EditFocusEdit = dynamic_cast<TWinControl*>(FindComponent("edTA008"));
    module->SetKeepFields("TA001,TA036,TA008");
    LineSummaryList = "TD004C,TD005C";
    module->AutoKeyField = "TA002";
    PrintProgram = "KVRX71";
    module->DateField = "TA008";
    MergeRequiredFields("CdsMain:TA006,TA008,TA004,TA005,TA036,TA016;cdsBody1:TB004,TB005,TB006,TB008");
    module->SetDecimalGroupFields(2, "CdsMain:TA024,TA025,TA026,TA027,TA028,TA029,TA033,TA034,TA035,TA023");
    module->SetParamDecimalFields("CdsBody1:TD008C,TD015C,TD030C,TD031C,TD039C");
    module->SetDecimalGroupFields(7, "CdsMain:TA017");
    TField* currency = module->cdsMain->FieldByName("TA016");
    module->SetCurrencyBinding(currency, cdtPrice, "CdsBody1:TD010C");
    module->SetCurrencyBinding(currency, cdtMoney,
                               "cdsMain:TA018,TA019,TA019C,TA020,TA022,TA023;CdsBody1:TD011C");
    // A line's share of the self-financed amount is local money: written at the local currency's
    // decimals, not at those of the credit's currency (a yen credit would lose the fen of its shares).
    module->SetCurrencyBinding(nullptr, cdtMoney, "CdsBody1:TB008");
    RestrictedFieldsB =
        "CdsMain:TA018,TA019,TA020,TA022,TA023,TA033,TA034,TA024,TA025,TA026,TA027,TA028,TA029,"
        "TA035,TA040,TA019C;cdsBody1:TD010C,TD011C";
    SetConfirmField("TA038");
    SetBodyConfirmField("TB009");
    SetConfirmDateField("TA042");
    LinkedDocFields = "cdsBody1:TD004C";
    SetSignOffStatusField("TA044");
}

void TfrmKvrx58::ApplyInputSettings() {
    TdmKvrx58* module = Module();
    if (!module || !Broker) {
        TfrmDouble::ApplyInputSettings();
        return;
    }
    TClientDataSet* body = module->cdsBody1;
    const auto setting = [this](const char* name) { return Trim(Broker->GetSysSetting(name)); };
    const auto show = [body](std::initializer_list<const char*> fields, bool visible) {
        for (const char* name : fields)
            if (TField* field = body->FindField(name)) field->SetVisible(visible);
    };
    const AnsiString sys024 = setting("SYS024");
    const bool sys070 = setting("SYS070") == "Y";
    show({"TD038C", "TD039C"}, sys024 == "1" && sys070);
    if (setting("Sys060") != "Y") {
        if (TControl* combo = dynamic_cast<TControl*>(FindComponent("cboTA044"))) combo->SetVisible(false);
        module->cdsMain->FieldByName("TA044")->SetVisible(false);
    }
    if (setting("Sys042") != "Y") {
        if (TControl* edit = dynamic_cast<TControl*>(FindComponent("edTA045"))) edit->SetVisible(false);
        module->cdsMain->FieldByName("TA045")->SetVisible(false);
    }
    TfrmDouble::ApplyInputSettings();
    const AnsiString dateMask = module->DateFieldEditMask();
    for (const char* name : {"TA008", "TA009", "TA012", "TA014", "TA015"})
        module->cdsMain->FieldByName(name)->SetEditMask(dateMask);
    body->FieldByName("TD012C")->SetEditMask(dateMask);
    module->cdsMain->FieldByName("TA021")->SetEditMask(module->PercentFieldEditMask());
    if (sys024 == "1" || sys024 == "2") {
        show({"TD030C", "TD032C"}, false);
    } else if (sys024 == "3") {
        show({"TD030C", "TD032C"}, true);
        if (sys070) show({"TD038C", "TD039C"}, true);
    }
    module->ApplyLocalCurrencyDecimals();
}

bool TfrmKvrx58::PrepareSave(bool adding) {
    TdmKvrx58* module = Module();
    TClientDataSet* body = module->cdsBody1;
    TClientDataSet* main = module->cdsMain;
    if (body->State() == dsEdit || body->State() == dsInsert) PostRecord(body);
    // The header's checks come before the shares and the amount warning; its one post runs them again.
    if (main->State() != dsEdit && main->State() != dsInsert) main->Edit();
    if (!ValidateRecord(main)) Abort();
    // The line controls come back on every path, the warning's Cancel and a failing line included.
    body->DisableControls();
    try {
        module->ShareSelfFinanced();
    } catch (...) {
        body->EnableControls();
        throw;
    }
    body->EnableControls();
    // Compared at the currency's money decimals: 0.1 + 0.2 is 0.3 for a letter of credit.
    const long double unit = std::pow(10.0L, module->MoneyDecimals());
    const auto money = [unit](double value) { return std::llround(value * unit); };
    if (money(main->FieldByName("TA018")->AsFloat()) != money(main->FieldByName("TA040")->AsFloat()))
        Broker->Say("W", "100113", {""}, 936, true);
    return TfrmDouble::PrepareSave(adding);
}

bool TfrmKvrx58::ValidateRecord(TDataSet* dataSet) {
    if (!TfrmDouble::ValidateRecord(dataSet)) return false;
    TdmKvrx58* module = Module();
    if (!module || dataSet != module->cdsBody1) return true;
    if (OrderLineTaken(module->cdsBody1, FOrderLines)) {
        Broker->Say("E", "000002",
                    {dataSet->FieldByName("TB004")->DisplayLabel() + "+" +
                     dataSet->FieldByName("TB005")->DisplayLabel() + "+" +
                     dataSet->FieldByName("TB006")->DisplayLabel()});
        Abort();
    }
    return true;
}

bool OrderLineTaken(TClientDataSet* lines, TLineKeyIndex& index) {
    // Another line of the same order line, lines of the same line number aside: looked up in the
    // lines' key index, so that checking every line costs no walk over the lines each.
    const int found =
        index.HasDuplicate(lines, lines->FieldByName("TB004"), "TB004+TB005+TB006", '\x01', "TB003");
    if (found >= 0) return found == 1;
    const AnsiString key = lines->FieldByName("TB004")->AsString() + "\x01" +
                           lines->FieldByName("TB005")->AsString() + "\x01" +
                           lines->FieldByName("TB006")->AsString();
    // The other lines, by their place in a clone (not by RecNo, which moves as lines are inserted).
    std::unique_ptr<TClientDataSet> clone(new TClientDataSet(nullptr));
    clone->CloneCursor(lines, false, false);
    const AnsiString own = lines->FieldByName("TB003")->AsString();
    for (clone->First(); !clone->Eof(); clone->Next()) {
        if (clone->FieldByName("TB003")->AsString() == own) continue;
        const AnsiString other = clone->FieldByName("TB004")->AsString() + "\x01" +
                                 clone->FieldByName("TB005")->AsString() + "\x01" +
                                 clone->FieldByName("TB006")->AsString();
        if (other == key) return true;
    }
    return false;
}

bool TfrmKvrx58::EditRecord() {
    const bool editing = TfrmDouble::EditRecord();
    if (editing && Module()) Module()->CurrencyChanged();
    return editing;
}

void TfrmKvrx58::edTA010KeyPress(TObject*, char& key) {
    if (key != 8 && (key < '0' || key > '9')) key = 0;
}

void TfrmKvrx58::miBYVX31Click(TObject*) {
    TField* supplier = Module()->cdsMain->FieldByName("TA005");
    if (supplier->AsString().empty()) {
        Broker->Say("E", "200139", {supplier->DisplayName()});
        return;
    }
    RunProgram("BYVX31", " BYVMA.MA001 =" + QuotedStr(supplier->AsString()));
}

void TfrmKvrx58::miBYVX37Click(TObject*) {
    TClientDataSet* body = Module()->cdsBody1;
    TField* type = body->FieldByName("TB004");
    TField* number = body->FieldByName("TB005");
    if (type->AsString().empty() || number->AsString().empty()) {
        // The connecting word comes from the form, so that the language file can translate it.
        const AnsiString word =
            memLNG && memLNG->Lines()->Count() > 0 ? memLNG->Lines()->Strings(0) : AnsiString();
        Broker->Say("E", "200139", {type->DisplayName() + word + number->DisplayName()});
        return;
    }
    RunProgram("BYVX37", " BYVTC.TC001 =" + QuotedStr(type->AsString()) +
                             " AND BYVTC.TC002 =" + QuotedStr(number->AsString()));
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
