#include "dialogs/OptionsCF.h"

#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/GB2BIG5.h"
#include "foundation/LibXml.h"
#include "framework/BaseCF.h"

const char* const AllProgramsColumn = "********************";

KVR_PUBLISHED(TfrmOptions, c) {
    c.Field("pgMain", &TfrmOptions::pgMain);
    c.Field("tsGeneral", &TfrmOptions::tsGeneral);
    c.Field("chkKeepOnAdd", &TfrmOptions::chkKeepOnAdd);
    c.Field("chkFocusPageOne", &TfrmOptions::chkFocusPageOne);
    c.Field("chkColorManage", &TfrmOptions::chkColorManage);
    c.Field("chkFastInput", &TfrmOptions::chkFastInput);
    c.Field("lblNote1", &TfrmOptions::lblNote1);
    c.Field("lblNote2", &TfrmOptions::lblNote2);
    c.Field("tsDisplay", &TfrmOptions::tsDisplay);
    c.Field("lblType", &TfrmOptions::lblType);
    c.Field("lstType", &TfrmOptions::lstType);
    c.Field("lblExplain", &TfrmOptions::lblExplain);
    c.Field("pnlNumber", &TfrmOptions::pnlNumber);
    c.Field("grpNumber", &TfrmOptions::grpNumber);
    c.Field("lblNumberExample", &TfrmOptions::lblNumberExample);
    c.Field("chkNumberThousand", &TfrmOptions::chkNumberThousand);
    c.Field("chkNumberAutoZero", &TfrmOptions::chkNumberAutoZero);
    c.Field("pnlMoney", &TfrmOptions::pnlMoney);
    c.Field("grpMoney", &TfrmOptions::grpMoney);
    c.Field("lblMoneyExample", &TfrmOptions::lblMoneyExample);
    c.Field("chkMoneyThousand", &TfrmOptions::chkMoneyThousand);
    c.Field("chkMoneyAutoZero", &TfrmOptions::chkMoneyAutoZero);
    c.Field("btnOK", &TfrmOptions::btnOK);
    c.Field("btnCancel", &TfrmOptions::btnCancel);
    c.Field("mmoMsg", &TfrmOptions::mmoMsg);
    c.Method("FormCreate", &TfrmOptions::FormCreate);
    c.Method("FormShow", &TfrmOptions::FormShow);
    c.Method("FormDestroy", &TfrmOptions::FormDestroy);
    c.Method("btnOKClick", &TfrmOptions::btnOKClick);
    c.Method("lstTypeClick", &TfrmOptions::lstTypeClick);
    c.Method("chkMoneyThousandClick", &TfrmOptions::chkMoneyThousandClick);
    c.Method("chkMoneyAutoZeroClick", &TfrmOptions::chkMoneyAutoZeroClick);
    c.Method("chkNumberThousandClick", &TfrmOptions::chkNumberThousandClick);
    c.Method("chkNumberAutoZeroClick", &TfrmOptions::chkNumberAutoZeroClick);
}

KVR_FORM_RESOURCE(TfrmOptions, R"(inherited frmOptions: TfrmOptions
  BorderIcons = [biSystemMenu]
  Caption = '选项'
  ClientHeight = 272
  ClientWidth = 474
  Position = poDesktopCenter
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnShow = FormShow
  object pgMain: TExtPageControl
    Left = 8
    Top = 8
    Width = 458
    Height = 220
    TabOrder = 0
    object tsGeneral: TTabSheet
      Caption = '常规'
      object chkKeepOnAdd: TBitCheckBox
        Left = 24
        Top = 20
        Width = 260
        Height = 17
        Caption = '保存后继续录入下一笔(&N)'
        Checked = True
        TabOrder = 0
      end
      object chkFocusPageOne: TBitCheckBox
        Left = 24
        Top = 50
        Width = 260
        Height = 17
        Caption = '修改时转至第一页(&F)'
        Checked = True
        TabOrder = 1
      end
      object chkColorManage: TBitCheckBox
        Left = 24
        Top = 80
        Width = 180
        Height = 17
        Caption = '启用颜色管理'
        TabOrder = 2
      end
      object lblNote1: TLabel
        Left = 210
        Top = 82
        Caption = '(下次开启生效)'
      end
      object chkFastInput: TBitCheckBox
        Left = 24
        Top = 110
        Width = 180
        Height = 17
        Caption = '启用模糊输入'
        Checked = True
        TabOrder = 3
      end
      object lblNote2: TLabel
        Left = 210
        Top = 112
        Caption = '(下次开启生效)'
      end
    end
    object tsDisplay: TTabSheet
      Caption = '显示'
      object lblType: TLabel
        Left = 12
        Top = 8
        Caption = '分类(&C)'
        FocusControl = lstType
      end
      object lstType: TListBox
        Left = 12
        Top = 26
        Width = 100
        Height = 150
        Items.Strings = (
          '数值'
          '金额')
        TabOrder = 0
        OnClick = lstTypeClick
      end
      object lblExplain: TLabel
        Left = 124
        Top = 140
        Width = 320
        Height = 40
        Caption = '数值格式用于一般数字的表示。'#13#10'金额格式则提供了单价、金额的专用格式'#13#10
        WordWrap = True
      end
      object pnlNumber: TPanel
        Left = 124
        Top = 8
        Width = 320
        Height = 126
        BevelOuter = bvNone
        TabOrder = 1
        object grpNumber: TGroupBox
          Left = 0
          Top = 0
          Width = 320
          Height = 50
          Caption = '示例'
          object lblNumberExample: TLabel
            Left = 12
            Top = 22
            Caption = '1234567.7'
          end
        end
        object chkNumberThousand: TBitCheckBox
          Left = 4
          Top = 64
          Width = 260
          Height = 17
          Caption = '使用(,)千位分隔符(&U)'
          Checked = True
          TabOrder = 1
          OnClick = chkNumberThousandClick
        end
        object chkNumberAutoZero: TBitCheckBox
          Left = 4
          Top = 94
          Width = 260
          Height = 17
          Caption = '小数位自动补零(&Z)'
          Checked = True
          TabOrder = 2
          OnClick = chkNumberAutoZeroClick
        end
      end
      object pnlMoney: TPanel
        Left = 124
        Top = 8
        Width = 320
        Height = 126
        BevelOuter = bvNone
        TabOrder = 2
        object grpMoney: TGroupBox
          Left = 0
          Top = 0
          Width = 320
          Height = 50
          Caption = '示例'
          object lblMoneyExample: TLabel
            Left = 12
            Top = 22
          end
        end
        object chkMoneyThousand: TBitCheckBox
          Left = 4
          Top = 64
          Width = 260
          Height = 17
          Caption = '使用千位分隔符(,)(&U)'
          Checked = True
          TabOrder = 1
          OnClick = chkMoneyThousandClick
        end
        object chkMoneyAutoZero: TBitCheckBox
          Left = 4
          Top = 94
          Width = 260
          Height = 17
          Caption = '小数位自动补零(&Z)'
          Checked = True
          TabOrder = 2
          OnClick = chkMoneyAutoZeroClick
        end
      end
    end
  end
  object btnOK: TButton
    Left = 306
    Top = 238
    Width = 75
    Height = 25
    Caption = '确定'
    Default = True
    ModalResult = 1
    TabOrder = 1
    OnClick = btnOKClick
  end
  object btnCancel: TButton
    Left = 390
    Top = 238
    Width = 75
    Height = 25
    Cancel = True
    Caption = '取消'
    ModalResult = 2
    TabOrder = 2
  end
  object mmoMsg: TMemo
    Left = 8
    Top = 238
    Width = 100
    Height = 25
    Lines.Strings = (
      '选项')
    TabOrder = 3
    Visible = False
  end
end
)");

// ---- stored forms ----

AnsiString BoolToText(bool value) {
    return value ? "True" : "False";
}

AnsiString NumberSettingsXml(const TNumberSettings& settings) {
    return "<NumberFieldsSetting Enabled=\"True\">  <QuantityFieldAutoZero>" +
           BoolToText(settings.QuantityAutoZero) + "</QuantityFieldAutoZero>  <QuantityFieldThousand>" +
           BoolToText(settings.QuantityThousand) + "</QuantityFieldThousand>  <MoneyFieldAutoZero>" +
           BoolToText(settings.MoneyAutoZero) + "</MoneyFieldAutoZero>  <MoneyFieldThousand>" +
           BoolToText(settings.MoneyThousand) + "</MoneyFieldThousand></NumberFieldsSetting>";
}

bool ReadNumberSettings(const AnsiString& xml, TNumberSettings& settings) {
    xmldom::DocumentPtr doc;
    LoadXmlDocument(xml, doc);
    xmldom::NodePtr root = doc ? doc->documentElement() : nullptr;
    if (!root) return false;
    auto read = [&root](const char* name) {
        xmldom::NodePtr node = root->selectSingleNode(name);
        return !node || node->nodeType() != xmldom::NODE_ELEMENT || SameText(node->text(), "True");
    };
    settings.QuantityAutoZero = read("QuantityFieldAutoZero");
    settings.QuantityThousand = read("QuantityFieldThousand");
    settings.MoneyAutoZero = read("MoneyFieldAutoZero");
    settings.MoneyThousand = read("MoneyFieldThousand");
    return true;
}

AnsiString NumberDisplayFormat(bool thousand, bool autoZero, int places) {
    return Format("#%s##0.%s", {AnsiString(thousand ? "," : ""),
                                AnsiString(places > 0 ? places : 0, autoZero ? '0' : '#')});
}

// ---- the dialog ----

TfrmOptions::TfrmOptions(TComponent* owner, bool load) : TfrmQVDialog(owner, false) {
    if (load) InitInheritedComponent(this);
}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::FormCreate(TObject* sender) {
    TfrmQVDialog::FormCreate(sender);
    AnsiString caption = mmoMsg->Lines()->Count() > 0 ? mmoMsg->Lines()->Strings(0) : AnsiString();
    if (GetSystemCodePage() == "950") caption = GBToBig5(caption);
    SetCaption(caption);
    pgMain->SetActivePageIndex(0);
    for (int i = 0; i < tsDisplay->ControlCount(); ++i)
        if (auto* panel = dynamic_cast<TPanel*>(tsDisplay->Controls(i))) panel->SetVisible(false);
    lstType->SetItemIndex(0);
    CustomizeOptions();
}

void TfrmOptions::CustomizeOptions() {}

void TfrmOptions::FormShow(TObject* sender) {
    TfrmQVDialog::FormShow(sender);
    LoadOptions();
    RefreshDisplay();
}

void TfrmOptions::FormDestroy(TObject*) {
    Snapshot.reset();
}

void TfrmOptions::LoadOptions() {
    if (Brokers) {
        try {
            Variant answer;
            Brokers->CallCounter(
                "GetUserDefine",
                VarArrayOf({Brokers->CompanyID, Brokers->UserID, Brokers->ProgramID, "NumberFieldsSetting"}),
                answer);
            const AnsiString xml = VarIsNull(answer) || VarIsEmpty(answer) ? AnsiString() : VarToStr(answer);
            TNumberSettings settings;
            if (!Trim(xml).empty() && ReadNumberSettings(xml, settings)) {
                chkNumberAutoZero->SetChecked(settings.QuantityAutoZero);
                chkNumberThousand->SetChecked(settings.QuantityThousand);
                chkMoneyAutoZero->SetChecked(settings.MoneyAutoZero);
                chkMoneyThousand->SetChecked(settings.MoneyThousand);
            }
        } catch (const Exception&) {
            // The boxes keep what they show.
        }
    }
    if (auto* form = dynamic_cast<TfrmBase*>(Owner())) {
        chkFocusPageOne->SetChecked(form->ReadUserDefineFlag("InputSettings001", "IsFocusPageOne", true));
        chkKeepOnAdd->SetChecked(form->ReadUserDefineFlag("InputSettings002", "IsKeepOnAdd", true));
        chkColorManage->SetChecked(form->ReadUserDefineFlag("InputSettings003", "IsColorManage", false));
        chkFastInput->SetChecked(form->ReadUserDefineFlag("InputSettings004", "FastInputEnabled", true));
    }
}

// ---- display ----

void TfrmOptions::ShowSelectedPanel() {
    const int selected = lstType->ItemIndex();
    pnlNumber->SetVisible(selected == 0);
    pnlMoney->SetVisible(selected == 1);
}

int TfrmOptions::MoneyDecimals() {
    auto* form = dynamic_cast<TfrmBase*>(Owner());
    if (!form) return 2;
    TdmBase* module = form->BaseModule();
    if (!module || !Brokers) return 0;
    return std::max(0, module->GetCurrencySetting(Brokers->GetSysSetting("sys003"), cdtMoney));
}

void TfrmOptions::RefreshMoneySample() {
    lblMoneyExample->SetCaption(FormatFloat(
        NumberDisplayFormat(chkMoneyThousand->Checked(), chkMoneyAutoZero->Checked(), MoneyDecimals()),
        9999999.9));
}

void TfrmOptions::RefreshNumberSample() {
    lblNumberExample->SetCaption(FormatFloat(
        NumberDisplayFormat(chkNumberThousand->Checked(), chkNumberAutoZero->Checked(), 3), 9999999.9));
}

void TfrmOptions::TakeSnapshot() {
    Snapshot = std::make_unique<TStringList>();
    for (TBitCheckBox* box : {chkKeepOnAdd, chkFocusPageOne, chkColorManage, chkFastInput, chkNumberThousand,
                              chkNumberAutoZero, chkMoneyThousand, chkMoneyAutoZero})
        Snapshot->Add(box->Name() + "=" + BoolToText(box->Checked()));
}

void TfrmOptions::RefreshDisplay() {
    ShowSelectedPanel();
    RefreshNumberSample();
    RefreshMoneySample();
    TakeSnapshot();
}

// Switching the kind shows its panel only: the snapshot stays the one taken when the dialog was shown,
// so that a box changed before the switch is still saved.
void TfrmOptions::lstTypeClick(TObject*) {
    ShowSelectedPanel();
    RefreshNumberSample();
    RefreshMoneySample();
}

void TfrmOptions::chkMoneyThousandClick(TObject*) {
    RefreshMoneySample();
}

void TfrmOptions::chkMoneyAutoZeroClick(TObject*) {
    RefreshMoneySample();
}

void TfrmOptions::chkNumberThousandClick(TObject*) {
    RefreshNumberSample();
}

void TfrmOptions::chkNumberAutoZeroClick(TObject*) {
    RefreshNumberSample();
}

// ---- saving ----

bool TfrmOptions::Changed(const TBitCheckBox* box) const {
    // Without a snapshot (never shown) every box counts as changed.
    if (!Snapshot || Snapshot->IndexOfName(box->Name()) < 0) return true;
    return Snapshot->Values(box->Name()) != BoolToText(box->Checked());
}

void TfrmOptions::WriteSetting(const AnsiString& column, const AnsiString& keyPath, const AnsiString& value) {
    if (!Brokers) return;
    try {
        Variant result;
        Brokers->CallCounter("SetUserDefine",
                             VarArrayOf({Brokers->CompanyID, Brokers->UserID, column, keyPath, value}),
                             result);
    } catch (const Exception& e) {
        WriteAlertLog("Class OptionsCF-SetUserDefine", keyPath + " " + e.Message(), 'D');
    }
}

void TfrmOptions::SaveOptions() {
    const AnsiString program = Brokers ? Brokers->ProgramID : AnsiString();
    if (Changed(chkKeepOnAdd))
        WriteSetting(AllProgramsColumn, "InputSettings002/IsKeepOnAdd", BoolToText(chkKeepOnAdd->Checked()));
    if (Changed(chkFocusPageOne))
        WriteSetting(AllProgramsColumn, "InputSettings001/IsFocusPageOne",
                     BoolToText(chkFocusPageOne->Checked()));
    if (Changed(chkColorManage))
        WriteSetting(program, "InputSettings003/IsColorManage", BoolToText(chkColorManage->Checked()));
    if (Changed(chkFastInput))
        WriteSetting(program, "InputSettings004/FastInputEnabled", BoolToText(chkFastInput->Checked()));
    if (Changed(chkNumberAutoZero) || Changed(chkNumberThousand) || Changed(chkMoneyAutoZero) ||
        Changed(chkMoneyThousand)) {
        TNumberSettings settings;
        settings.QuantityAutoZero = chkNumberAutoZero->Checked();
        settings.QuantityThousand = chkNumberThousand->Checked();
        settings.MoneyAutoZero = chkMoneyAutoZero->Checked();
        settings.MoneyThousand = chkMoneyThousand->Checked();
        WriteSetting(AllProgramsColumn, ".", NumberSettingsXml(settings));
    }
}

void TfrmOptions::btnOKClick(TObject*) {
    SetModalResult(mrOk);
    SaveOptions();
}
