#include "dialogs/QvColorQBE.h"

#include "classlib/objects/formloader.h"
#include "classlib/rtl/strutils.h"
#include "dialogs/OptionsCF.h"
#include "foundation/AlertLog.h"
#include "framework/BaseCF.h"

KVR_PUBLISHED(TColorQBEForm, c) {
    c.Field("pnlHead", &TColorQBEForm::pnlHead);
    c.Field("chkColorManage", &TColorQBEForm::chkColorManage);
    c.Field("pnlMain", &TColorQBEForm::pnlMain);
    c.Field("boxMain", &TColorQBEForm::boxMain);
    c.Field("pnlFoot", &TColorQBEForm::pnlFoot);
    c.Field("BBCancel", &TColorQBEForm::BBCancel);
    c.Field("BBOK", &TColorQBEForm::BBOK);
    c.Method("FormCreate", &TColorQBEForm::FormCreate);
    c.Method("FormShow", &TColorQBEForm::FormShow);
    c.Method("FormCloseQuery", &TColorQBEForm::FormCloseQuery);
    c.Method("FormDestroy", &TColorQBEForm::FormDestroy);
    c.Method("chkColorManageClick", &TColorQBEForm::chkColorManageClick);
}

KVR_FORM_RESOURCE(TColorQBEForm, R"(inherited ColorQBEForm: TColorQBEForm
  Caption = '颜色筛选'
  ClientHeight = 300
  ClientWidth = 320
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnShow = FormShow
  object pnlHead: TPanel
    Left = 0
    Top = 0
    Width = 320
    Height = 30
    Align = alTop
    TabOrder = 0
    Visible = False
    object chkColorManage: TBitCheckBox
      Left = 20
      Top = 7
      Width = 200
      Height = 17
      Caption = '启用颜色管理'
      TabOrder = 0
      OnClick = chkColorManageClick
    end
  end
  object pnlMain: TPanel
    Left = 0
    Top = 30
    Width = 320
    Height = 229
    Align = alClient
    TabOrder = 1
    object boxMain: TScrollBox
      Left = 1
      Top = 1
      Width = 318
      Height = 227
      Align = alClient
      TabOrder = 0
    end
  end
  object pnlFoot: TPanel
    Left = 0
    Top = 259
    Width = 320
    Height = 41
    Align = alBottom
    TabOrder = 2
    object BBCancel: TBitBtn
      Left = 224
      Top = 8
      Width = 80
      Height = 25
      Cancel = True
      Caption = '取消(&C)'
      ModalResult = 2
      TabOrder = 1
    end
    object BBOK: TBitBtn
      Left = 136
      Top = 8
      Width = 80
      Height = 25
      Caption = '确定(&O)'
      Default = True
      ModalResult = 1
      TabOrder = 0
    end
  end
end
)");

namespace {

// A colour text is a decimal colour number; anything else gives no colour.
bool ColorOf(const AnsiString& text, TColor& color) {
    int value = 0;
    if (!TryStrToInt(Trim(text), value)) return false;
    color = static_cast<TColor>(value);
    return true;
}

} // namespace

TColorQBEForm::TColorQBEForm(TComponent* owner, bool load) : TQVForm(owner, false) {
    if (load) InitInheritedComponent(this);
}

TColorQBEForm::~TColorQBEForm() = default;

void TColorQBEForm::FormCreate(TObject* sender) {
    TQVForm::FormCreate(sender);
    if (auto* form = dynamic_cast<TfrmBase*>(Owner()))
        chkColorManage->SetChecked(form->ReadUserDefineFlag("InputSettings003", "IsColorManage", false));
    Conditions = std::make_unique<TColorConditions>();
}

void TColorQBEForm::FormShow(TObject* sender) {
    TQVForm::FormShow(sender);
    ConvertCodePage();
}

void TColorQBEForm::FormDestroy(TObject*) {
    Conditions.reset();
}

TBitCheckBox* TColorQBEForm::ConditionBox(int index) const {
    return dynamic_cast<TBitCheckBox*>(FindComponent("chkColor" + IntToStr(index)));
}

void TColorQBEForm::BuildConditionBoxes() {
    for (int i = 0; i < FBoxCount; ++i)
        delete ConditionBox(i);
    FBoxCount = 0;
    if (!Conditions) return;
    Canvas()->Font()->Assign(Font());
    for (int i = 0; i < Conditions->Count(); ++i) {
        TColorCondition* condition = Conditions->Items(i);
        auto* box = new TBitCheckBox(this);
        box->SetName("chkColor" + IntToStr(i));
        box->SetParent(boxMain);
        box->SetCaption(condition->Msg);
        box->SetLeft(20);
        box->SetTop(i * 20 + 5);
        box->SetWidth(Canvas()->TextWidth(condition->Msg) + 3 * Canvas()->TextWidth("0") + 4);
        TColor color;
        if (ColorOf(condition->BkColor, color)) box->SetColor(color);
        if (ColorOf(condition->ColorX, color)) box->Font()->SetColor(color);
        box->SetChecked(condition->Checked);
        ++FBoxCount;
    }
}

bool TColorQBEForm::Execute(bool colorManage, TColorConditions* conditions) {
    chkColorManage->SetChecked(colorManage);
    InitialColorManage = colorManage;
    boxMain->SetEnabled(colorManage);
    if (conditions) Conditions->Assign(conditions);
    // The list may have changed since the boxes were made: one box per condition, always.
    if (FBoxCount != Conditions->Count()) BuildConditionBoxes();
    for (int i = 0; i < Conditions->Count(); ++i)
        if (TBitCheckBox* box = ConditionBox(i)) box->SetChecked(Conditions->Items(i)->Checked);
    const bool ok = ShowModal() == mrOk;
    if (ok && conditions) conditions->Assign(Conditions.get());
    return ok;
}

void TColorQBEForm::chkColorManageClick(TObject*) {
    const bool on = chkColorManage->Checked();
    boxMain->SetEnabled(on);
    if (on) return;
    for (int i = 0; i < FBoxCount; ++i)
        if (TBitCheckBox* box = ConditionBox(i)) box->SetChecked(false);
}

void TColorQBEForm::FormCloseQuery(TObject*, bool&) {
    if (ModalResult() != mrOk) return;
    for (int i = 0; i < Conditions->Count(); ++i)
        if (TBitCheckBox* box = ConditionBox(i)) Conditions->Items(i)->Checked = box->Checked();
    if (chkColorManage->Checked() == InitialColorManage) return;
    auto* form = dynamic_cast<TfrmRadical*>(Owner());
    if (!form || !form->Broker) return;
    TBrokers* broker = form->Broker;
    try {
        Variant result;
        // Stored for every program of the user.
        broker->CallCounter(
            "SetUserDefine",
            VarArrayOf({broker->CompanyID, broker->UserID, AllProgramsColumn,
                        "InputSettings003/IsColorManage", BoolToText(chkColorManage->Checked())}),
            result);
    } catch (const Exception& e) {
        WriteAlertLog("Class QvColorQBE-SetUserDefine", e.Message(), 'D');
    }
}

TColorQBEForm* CreateColorQBEForm(TComponent* owner, TColorConditions* conditions) {
    auto* dialog = new TColorQBEForm(owner);
    if (conditions) dialog->Conditions->Assign(conditions);
    dialog->BuildConditionBoxes();
    return dialog;
}
