#include "tests/e2e/docprograms/qbe/FwQbeCF.h"

#include "classlib/objects/formloader.h"
#include "framework/AppServer.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TfrmFwQbe, c) {
    c.Field("gdHead", &TfrmFwQbe::gdHead);
    c.Field("mnCondition", &TfrmFwQbe::mnCondition);
    c.Method("FormCreate", &TfrmFwQbe::FormCreate);
    c.Method("FormShow", &TfrmFwQbe::FormShow);
    c.Method("LoadSavedConditions", &TfrmFwQbe::LoadSavedConditions);
    c.Method("RunSavedCondition", &TfrmFwQbe::RunSavedCondition);
}

KVR_FORM_RESOURCE(TfrmFwQbe, R"(inherited frmFwQbe: TfrmFwQbe
  Left = 200
  Top = 120
  Width = 560
  Height = 300
  Caption = 'frmFwQbe'
  OnShow = FormShow
  object gdHead: TFDBGrid
    Left = 0
    Top = 30
    Width = 540
    Height = 200
    DataSource = dmFwBase.dsMain
    TabOrder = 0
  end
  object mnCondition: TPopupMenu
  end
end
)");

TfrmFwQbe::TfrmFwQbe(TComponent* owner, bool load) : TfrmBase(owner, false) {
    if (load) InitInheritedComponent(this);
}

TClass TfrmFwQbe::DataModuleClass() {
    return TdmFwBase::StaticClass();
}

void TfrmFwQbe::FormCreate(TObject* sender) {
    CreateDataModule();
    TfrmBase::FormCreate(sender);
    VersionText = "1.00.00";
}

void TfrmFwQbe::FormShow(TObject* sender) {
    TfrmBase::FormShow(sender);
    LoadSavedConditions(this);
}

TQBEForm* TfrmFwQbe::Dialog() {
    auto* dialog = dynamic_cast<TQBEForm*>(QBEForm);
    if (!dialog) {
        dialog = new TQBEForm(this);
        QBEForm = dialog;
        dialog->SetHeadDataSet(Module()->cdsMain, "FWDOC", false, "", "DC001");
    }
    return dialog;
}

bool TfrmFwQbe::QueryRecords() {
    AnsiString where, order;
    if (!Dialog()->Execute(where, order)) return false;
    SetQueryCondition(Module()->cdsMain, where, order);
    return true;
}

// One menu item a saved condition: mnu0, mnu1 ... captioned with the scheme's name.
void TfrmFwQbe::LoadSavedConditions(TObject*) {
    while (mnCondition->Items()->Count() > 0)
        delete mnCondition->Items()->Items(0);
    TClientDataSet* schemes = Module()->cdsSaveCondition;
    TAppServer(Module()->AppServer)
        .LoadTable(VarArrayOf({Variant(Broker->UserID), Variant(Broker->ProgramID)}));
    schemes->Close();
    schemes->Open();
    int number = 0;
    for (schemes->First(); !schemes->Eof(); schemes->Next()) {
        auto* item = new TMenuItem(this);
        item->SetName("mnu" + IntToStr(number++));
        item->SetCaption(schemes->FieldByName("NCONDITION")->AsString());
        item->SetOnClick(TNotifyEvent(this, &TfrmFwQbe::RunSavedCondition));
        mnCondition->Items()->Add(item);
    }
}

// A saved condition runs without the dialog: its page restored, its texts built and applied; a
// scheme that does not load runs nothing.
void TfrmFwQbe::RunSavedCondition(TObject* sender) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    TClientDataSet* schemes = Module()->cdsSaveCondition;
    if (!item || !schemes->Locate("NCONDITION", Variant(item->Caption()), {})) return;
    TQBEForm* dialog = Dialog();
    if (!dialog->LoadScheme(schemes->FieldByName("ActivePage")->AsInteger(),
                            schemes->FieldByName("VCONDITION")->AsString()))
        return;
    AnsiString where, order;
    dialog->BuildQuery(where, order);
    SetQueryCondition(Module()->cdsMain, where, order);
}
