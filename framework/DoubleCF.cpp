#include "framework/DoubleCF.h"

#include "classlib/controls/messages.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/AppServer.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TfrmDouble, c) {
    c.Field("pgBody", &TfrmDouble::pgBody);
    c.Field("tbsBody1", &TfrmDouble::tbsBody1);
    c.Field("gdBody1", &TfrmDouble::gdBody1);
    c.Method("FormKeyDown", &TfrmDouble::FormKeyDown);
}

KVR_FORM_RESOURCE(TfrmDouble, R"(inherited frmDouble: TfrmDouble
  object pgBody: TExtPageControl
    Left = 0
    Top = 330
    Width = 700
    Height = 200
    Align = alBottom
    TabOrder = 2
    object tbsBody1: TTabSheet
      Caption = '单身'
      object gdBody1: TFDBGrid
        Left = 0
        Top = 0
        Width = 692
        Height = 172
        Align = alClient
        TabOrder = 0
      end
    end
  end
end
)");

TfrmDouble::TfrmDouble(TComponent* owner, bool load) : TfrmSingle(owner, false) {
    if (load) InitInheritedComponent(this);
}

void TfrmDouble::ConnectDataModule() {
    TfrmSingle::ConnectDataModule();
    if (TdmDouble* module = DoubleModule(); module && gdBody1) gdBody1->SetDataSource(module->dsBody1);
}

bool TfrmDouble::LinesCheck() {
    TdmDouble* module = DoubleModule();
    if (!module->cdsBody1->IsEmpty() || EditState != esInsert) return true;
    if (LinesOption == 2) {
        Broker->Say("E", "000032", {"单身没有资料"});
        return false;
    }
    if (LinesOption == 1) return Broker->Say("W", "100079", {"单身没有资料"}) == mrOk;
    return true;
}

bool TfrmDouble::SaveRecord() {
    TdmDouble* module = DoubleModule();
    if (!module) return false;
    TClientDataSet* main = module->cdsMain;
    TClientDataSet* body = module->cdsBody1;
    const auto backToEdit = [main] {
        if (main->State() != dsEdit && main->State() != dsInsert && !main->IsEmpty()) main->Edit();
    };
    const bool adding = EditState == esInsert;
    bool saved = false;
    try {
        if (body->State() == dsEdit || body->State() == dsInsert) body->Post();
        if (main->State() == dsEdit || main->State() == dsInsert) main->Post();
        AnsiString shownNumber;
        if (module->AutoKey && !module->GetAutoKeyField().empty())
            shownNumber = main->FieldByName(module->GetAutoKeyField())->AsString();
        if (!LinesCheck()) {
            LastSaveFailed = true;
            backToEdit();
            return false;
        }
        module->StoreKeyValues();
        main->Edit();
        if (adding) module->BeforeSaveDetails();
        main->Post();
        TAppServer(module->AppServer).SetIsSeq(module->AutoKey);
        saved = module->SaveDataSet(main);
        if (saved && adding) {
            ServerNumber = VarToStr(TAppServer(module->AppServer).WhatIs("SEQNO"));
            if (module->AutoKey && !ServerNumber.empty() && ServerNumber != shownNumber)
                Broker->Say("I", "000006",
                            {main->FieldByName(module->GetAutoKeyField())->DisplayLabel(), ServerNumber});
        }
        if (saved) {
            LastSaveFailed = false;
            if (CloseAfterSave) {
                SetEditState(esBrowse);
                Close();
            } else if (IsKeepOnAdd && adding) {
                AddRecord(false);
            } else {
                SetEditState(esBrowse);
                if (adding) RequeryByKey(ServerNumber.empty() ? shownNumber : ServerNumber);
                RecordChanged(main);
            }
            ApplyRights();
            return true;
        }
    } catch (const EAbort&) {
        LastSaveFailed = true;
        backToEdit();
        return false;
    } catch (const Exception& e) {
        WriteAlertLog("Radical", "DoubleCF-876 :" + e.Message(), 'D');
        LastSaveFailed = true;
        backToEdit();
        throw;
    }
    LastSaveFailed = true;
    Broker->Say("E", "000008");
    backToEdit();
    return false;
}

void TfrmDouble::RequeryByKey(const AnsiString& number) {
    TdmDouble* module = DoubleModule();
    AnsiString where;
    for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i) {
        const AnsiString key = Trim(GetToken(module->KeyFields, ",", i));
        TField* field = module->cdsMain->FindField(key);
        if (!field) return;
        const AnsiString value =
            (!number.empty() && SameText(key, module->GetAutoKeyField())) ? number : field->AsString();
        where += (where.empty() ? "" : " AND ") + module->MainTable + "." + key + " = " + QuotedStr(value);
    }
    if (!where.empty()) SetQueryCondition(module->cdsMain, where, module->KeyFields);
}

bool TfrmDouble::CancelEdit(bool ask) {
    TdmDouble* module = DoubleModule();
    if (module && (module->cdsBody1->State() == dsEdit || module->cdsBody1->State() == dsInsert))
        module->cdsBody1->Cancel();
    const bool cancelled = TfrmSingle::CancelEdit(ask);
    ApplyRights();
    return cancelled;
}

bool TfrmDouble::DeleteRecord(bool confirm) {
    // The lines go with their header in the same packet: the server deletes them with it.
    return TfrmSingle::DeleteRecord(confirm);
}

bool TfrmDouble::PrintRecords() {
    TdmDouble* module = DoubleModule();
    if (!module || !TfrmSingle::PrintRecords() || module->cdsMain->IsEmpty()) return false;
    std::vector<Variant> keys;
    for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i) {
        const AnsiString key = Trim(GetToken(module->KeyFields, ",", i));
        const bool numbered =
            EditState == esInsert && module->AutoKey && SameText(key, module->GetAutoKeyField());
        TField* field = module->cdsMain->FindField(key);
        keys.push_back(Variant(numbered ? ServerNumber : field ? field->AsString() : AnsiString()));
    }
    const Variant params =
        VarArrayOf({Broker->UserID, Broker->CompanyID, PrintProgram, static_cast<int>(Handle())});
    const Variant data = VarArrayOf({PreviewMode, VarArrayOf(keys)});
    Broker->ExecWorkCommand(params, data);
    return true;
}

bool TfrmDouble::InsertLine() {
    TdmDouble* module = DoubleModule();
    if (!module || EditState == esBrowse) return false;
    TClientDataSet* body = module->cdsBody1;
    if (body->State() == dsEdit || body->State() == dsInsert) body->Post();
    body->Append();
    return body->State() == dsInsert;
}

bool TfrmDouble::DeleteLine() {
    TdmDouble* module = DoubleModule();
    if (!module || EditState == esBrowse || module->cdsBody1->IsEmpty()) return false;
    if (Broker->Say("C", "000005") != mrOk) return false;
    module->cdsBody1->Delete();
    return true;
}

void TfrmDouble::FormKeyDown(TObject* sender, Word& key, TShiftState shift) {
    TfrmSingle::FormKeyDown(sender, key, shift);
    if (key == VK_DELETE && shift.Contains(ssCtrl) && DeleteLine()) key = 0;
    if (key == VK_INSERT && shift.Empty() && ActiveControl() == gdBody1 && InsertLine()) key = 0;
}
