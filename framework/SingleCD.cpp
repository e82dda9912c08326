#include "framework/SingleCD.h"

#include "classlib/objects/formloader.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"
#include "framework/BaseCF.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TdmSingle, c) {
    c.Method("cdsMainReconcileError", &TdmSingle::cdsMainReconcileError);
}

KVR_FORM_RESOURCE(TdmSingle, R"(inherited dmSingle: TdmSingle
  inherited cdsMain: TwwClientDataSet
    OnReconcileError = cdsMainReconcileError
  end
end
)");

TdmSingle::TdmSingle(TComponent* owner, bool load) : TdmBase(owner, false), FKeepList(new TStringList) {
    if (load) InitInheritedComponent(this);
}

TdmSingle::~TdmSingle() = default;

// ---- auto key ----

void TdmSingle::SetAutoKey(bool on) {
    if (AutoKey != on) {
        AutoKey = on;
        AutoKeyField.clear();
    }
    if (AutoKey && !KeyFields.empty() && AutoKeyField.empty()) {
        AutoKeyField = Trim(GetToken(KeyFields, ",", GetTokenCount(KeyFields, ",")));
        if (TField* field = cdsMain ? cdsMain->FindField(AutoKeyField) : nullptr) field->SetRequired(false);
    }
}

AnsiString TdmSingle::GetAutoKeyField() {
    return AutoKeyField;
}

void TdmSingle::SetKeyFields(const AnsiString& list) {
    TdmBase::SetKeyFields(list);
    KeyCount = list.empty() ? 0 : GetTokenCount(list, ",");
    if (AutoKey && AutoKeyField.empty() && !KeyFields.empty())
        AutoKeyField = Trim(GetToken(KeyFields, ",", GetTokenCount(KeyFields, ",")));
}

void TdmSingle::StoreKeyValues() {
    for (int i = 1; i <= KeyCount && i <= 10; ++i) {
        TField* field = cdsMain->FindField(Trim(GetToken(KeyFields, ",", i)));
        KeyValues[i] = field ? Variant(field->AsString()) : Variant();
    }
}

bool TdmSingle::KeyCondition(AnsiString& text) {
    text.clear();
    if (!cdsMain || cdsMain->State() != dsBrowse) return false;
    for (int i = 1; i <= GetTokenCount(KeyFields, ","); ++i) {
        TField* field = cdsMain->FindField(Trim(GetToken(KeyFields, ",", i)));
        if (!field) continue;
        const AnsiString name = (MainTable.empty() ? AnsiString() : MainTable + ".") + field->FieldName();
        const bool quoted = field->InheritsFrom(TStringField::StaticClass());
        // Values are quoted with their quotes doubled; a number that is not one names no record.
        AnsiString value = field->AsString();
        if (quoted) {
            value = QuotedStr(value);
        } else {
            double number = 0;
            if (!TryStrToFloat(value, number)) return false;
        }
        if (!text.empty()) text += " and ";
        text += name + " = " + value;
    }
    return !text.empty();
}

// ---- new records ----

void TdmSingle::SetDefaultValues(TDataSet* dataSet) {
    TdmBase::SetDefaultValues(dataSet);
    if (dataSet != cdsMain) return;
    AutoKey = false; // the program decides it again for every record
    RestoreKeptValues(cdsMain);
    ApplyDefaultValues();
}

void TdmSingle::ApplyDefaultValues() {
    if (!VarIsArray(DefaultValues) || VarArrayDimCount(DefaultValues) != 2) return;
    for (int i = VarArrayLowBound(DefaultValues, 2); i <= VarArrayHighBound(DefaultValues, 2); ++i) {
        TField* field = cdsMain->FindField(VarToStr(DefaultValues.GetElement({0, i})));
        if (field) field->SetValue(DefaultValues.GetElement({1, i}));
    }
}

void TdmSingle::BeforeSaveDetails() {}

void TdmSingle::FetchAll(TDataSet* dataSet) {
    auto* client = dynamic_cast<TCustomClientDataSet*>(dataSet);
    if (!client || !client->Active()) return;
    while (client->GetNextPacket() > 0) {
    }
    client->First();
}

// ---- carried-over values ----

void TdmSingle::SetKeepFields(const AnsiString& list) {
    if (list.empty()) return;
    FKeepList->Clear();
    for (int i = 1; i <= GetTokenCount(list, ","); ++i) {
        const AnsiString name = Trim(GetToken(list, ",", i));
        if (!name.empty()) FKeepList->Add(name + "= ");
    }
}

void TdmSingle::SnapshotKeptValues(TDataSet* dataSet) {
    for (int i = 0; i < FKeepList->Count(); ++i) {
        const AnsiString name = FKeepList->Names(i);
        AnsiString value = " ";
        try {
            if (TField* field = dataSet->FindField(name); field && !field->IsNull())
                value = field->AsString() + " ";
        } catch (const Exception&) {
            value = " ";
        }
        FKeepList->SetValueFromIndex(i, value);
    }
}

void TdmSingle::RestoreKeptValues(TDataSet* dataSet) {
    for (int i = 0; i < FKeepList->Count(); ++i) {
        TField* field = dataSet->FindField(FKeepList->Names(i));
        if (!field) continue;
        try {
            SetFieldText(field, Trim(FKeepList->ValueFromIndex(i)), true);
        } catch (const Exception&) {
            // A kept value that no longer passes its check is simply not carried over.
        }
    }
}

void TdmSingle::ClearKeptValues() {
    for (int i = 0; i < FKeepList->Count(); ++i)
        FKeepList->SetValueFromIndex(i, " ");
}

// ---- saving ----

bool TdmSingle::SaveDataSet(TCustomClientDataSet* dataSet) {
    auto* form = dynamic_cast<TfrmBase*>(Owner());
    const bool adding = form && form->EditState == esInsert;
    const bool saved = TdmBase::SaveDataSet(dataSet);
    if (saved && adding && dataSet == cdsMain) SnapshotKeptValues(cdsMain);
    return saved;
}

void TdmSingle::cdsMainReconcileError(TCustomClientDataSet*, EReconcileError* e, TUpdateKind,
                                      TReconcileAction& action) {
    // The refused rows stay in the change log: the user's input is kept for another try.
    action = raSkip;
    const AnsiString message = e ? e->Message() : AnsiString();
    if (auto* form = dynamic_cast<TfrmBase*>(Owner()))
        form->ShowMessageDlg(message, mtError, TMsgDlgButtons{mbOK});
    const AnsiString log = Broker ? Broker->ProgramID : AnsiString("Single");
    WriteAlertLog(log, "Single保存失败Context :" + (e ? e->Context() : AnsiString()), 'D');
    WriteAlertLog(log, "Single保存失败PreviousError :" + IntToStr(e ? e->PreviousError() : 0), 'D');
}
