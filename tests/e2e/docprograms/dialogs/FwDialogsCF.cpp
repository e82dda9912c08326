#include "tests/e2e/docprograms/dialogs/FwDialogsCF.h"

#include "classlib/objects/formloader.h"
#include "dialogs/OptionsCF.h"
#include "dialogs/QVConfirmDate.h"

KVR_PUBLISHED(TfrmFwDialogs, c) {
    c.Field("btnOptions", &TfrmFwDialogs::btnOptions);
    c.Field("btnConfirmDate", &TfrmFwDialogs::btnConfirmDate);
    c.Field("btnColorFilter", &TfrmFwDialogs::btnColorFilter);
    c.Field("lblAnswer", &TfrmFwDialogs::lblAnswer);
    c.Method("FormCreate", &TfrmFwDialogs::FormCreate);
    c.Method("btnOptionsClick", &TfrmFwDialogs::btnOptionsClick);
    c.Method("btnConfirmDateClick", &TfrmFwDialogs::btnConfirmDateClick);
    c.Method("btnColorFilterClick", &TfrmFwDialogs::btnColorFilterClick);
}

KVR_FORM_RESOURCE(TfrmFwDialogs, R"(inherited frmFwDialogs: TfrmFwDialogs
  Left = 200
  Top = 120
  Width = 560
  Height = 300
  Caption = '对话框测试作业'
  object btnOptions: TButton
    Left = 16
    Top = 40
    Width = 90
    Height = 25
    Caption = '选项'
    TabOrder = 0
    OnClick = btnOptionsClick
  end
  object btnConfirmDate: TButton
    Left = 116
    Top = 40
    Width = 90
    Height = 25
    Caption = '审核'
    TabOrder = 1
    OnClick = btnConfirmDateClick
  end
  object btnColorFilter: TButton
    Left = 216
    Top = 40
    Width = 90
    Height = 25
    Caption = '颜色筛选'
    TabOrder = 2
    OnClick = btnColorFilterClick
  end
  object lblAnswer: TLabel
    Left = 16
    Top = 80
    Caption = ''
  end
end
)");

namespace {

AnsiString Flag(const char* name, bool value) {
    return AnsiString(name) + "=" + (value ? "Y" : "N");
}

} // namespace

TfrmFwDialogs::TfrmFwDialogs(TComponent* owner, bool load) : TfrmBase(owner, false) {
    if (load) InitInheritedComponent(this);
}

TClass TfrmFwDialogs::DataModuleClass() {
    return TdmFwBase::StaticClass();
}

void TfrmFwDialogs::FormCreate(TObject* sender) {
    CreateDataModule();
    TfrmBase::FormCreate(sender);
    VersionText = "1.00.00";
    FConditions = std::make_unique<TColorConditions>();
    const char* conditions[][4] = {{"DC003 > 150", "255", "16777215", "大额"},
                                   {"DC001 = 'D001'", "", "", "首笔"}};
    for (const auto& c : conditions) {
        TColorCondition* condition = FConditions->Add();
        condition->Value = c[0];
        condition->ColorX = c[1];
        condition->BkColor = c[2];
        condition->Msg = c[3];
        condition->Checked = true;
    }
}

void TfrmFwDialogs::btnOptionsClick(TObject*) {
    TfrmOptions dialog(this);
    if (dialog.ShowModal() != mrOk) {
        lblAnswer->SetCaption("cancel");
        return;
    }
    lblAnswer->SetCaption(
        Flag("keep", dialog.IsKeepOnAdd()) + " " + Flag("page1", dialog.IsFocusPageOne()) + " " +
        Flag("colour", dialog.IsColorManage()) + " " + Flag("qty,", dialog.IsNumberThousand()) + " " +
        Flag("qty0", dialog.IsNumberAutoZero()) + " " + Flag("money,", dialog.IsMoneyThousand()) + " " +
        Flag("money0", dialog.IsMoneyAutoZero()));
}

void TfrmFwDialogs::btnConfirmDateClick(TObject*) {
    TQVConfirmDateForm dialog(this);
    dialog.Prepare("0", "20260105", "审核");
    lblAnswer->SetCaption(dialog.ShowModal() == mrOk ? dialog.ConfirmDate : AnsiString("cancel"));
}

void TfrmFwDialogs::btnColorFilterClick(TObject*) {
    if (!FColorFilter) FColorFilter = CreateColorQBEForm(this, FConditions.get());
    AnsiString answer = FColorFilter->Execute(FColorManage, FConditions.get()) ? "ok" : "cancel";
    FColorManage = FColorFilter->IsColorManage();
    for (int i = 0; i < FConditions->Count(); ++i)
        answer += " " + Flag(FConditions->Items(i)->Msg.c_str(), FConditions->Items(i)->Checked);
    lblAnswer->SetCaption(answer);
}
