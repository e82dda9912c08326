#include "framework/DoubleCD.h"

#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"
#include "framework/BaseCF.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TdmDouble, c) {
    c.Field("cdsBody1", &TdmDouble::cdsBody1);
    c.Field("dsBody1", &TdmDouble::dsBody1);
    c.Method("cdsBody1NewRecord", &TdmDouble::cdsBody1NewRecord);
    c.Method("cdsBody1BeforePost", &TdmDouble::cdsBody1BeforePost);
    c.Method("cdsBody1AfterEdit", &TdmDouble::cdsBody1AfterEdit);
    c.Method("cdsBody1AfterPost", &TdmDouble::cdsBody1AfterPost);
    c.Method("cdsBody1AfterDelete", &TdmDouble::cdsBody1AfterDelete);
}

KVR_FORM_RESOURCE(TdmDouble, R"(inherited dmDouble: TdmDouble
  object cdsBody1: TwwClientDataSet
    ValidateWithMask = True
    BeforePost = cdsBody1BeforePost
    AfterEdit = cdsBody1AfterEdit
    AfterPost = cdsBody1AfterPost
    AfterDelete = cdsBody1AfterDelete
    OnNewRecord = cdsBody1NewRecord
  end
  object dsBody1: TwwDataSource
    DataSet = cdsBody1
  end
end
)");

namespace {

// Twenty "~": a line's header key while the header has none yet.
const AnsiString PendingKey(20, '~');

AnsiString KeyItem(const AnsiString& list, int index) {
    AnsiString item = Trim(GetToken(list, ",", index));
    const auto blank = item.find(' ');
    return blank == AnsiString::npos ? item : item.substr(0, blank);
}

bool Editing(TDataSet* dataSet) {
    return dataSet->State() == dsEdit || dataSet->State() == dsInsert;
}

} // namespace

TdmDouble::TdmDouble(TComponent* owner, bool load) : TdmSingle(owner, false) {
    if (load) InitInheritedComponent(this);
}

void TdmDouble::SetBodyKeyFields(const AnsiString& keys) {
    if (keys == BodyKeyFields) return;
    BodyKeyFields = keys;
    if (AutoLineNumber && LineNumberField.empty() && !keys.empty())
        LineNumberField = KeyItem(keys, GetTokenCount(keys, ","));
}

bool TdmDouble::OpenMainData() {
    const bool opened = TdmSingle::OpenMainData();
    if (!opened) return false;
    if (Broker) SetBodyKeyFields(Broker->GetSvrSetting("D11_KEY"));
    if (cdsBody1 && !cdsBody1->Active()) cdsBody1->Open();
    return cdsBody1 && cdsBody1->Active();
}

AnsiString TdmDouble::GetAutoKeyField() {
    return TdmSingle::GetAutoKeyField();
}

AnsiString TdmDouble::NextLineNumber() const {
    TField* field = LineNumberField.empty() ? nullptr : cdsBody1->FindField(LineNumberField);
    if (!field) return AnsiString();
    Int64 highest = 0;
    // A clone walks the lines without moving the user's line.
    std::unique_ptr<TClientDataSet> clone(new TClientDataSet(nullptr));
    clone->CloneCursor(cdsBody1, false, false);
    for (clone->First(); !clone->Eof(); clone->Next()) {
        Int64 value = 0;
        if (TryStrToInt64(Trim(clone->FieldByName(LineNumberField)->AsString()), value) && value > highest)
            highest = value;
    }
    AnsiString text = IntToStr(highest + 1);
    const int size = field->Size();
    if (size > 0 && static_cast<int>(text.size()) > size) return AnsiString();
    if (size > 0) text = AnsiString(size - text.size(), '0') + text;
    return text;
}

void TdmDouble::CopyHeadKeyToLine() {
    for (int i = 1; i <= GetTokenCount(KeyFields, ",") && i <= GetTokenCount(BodyKeyFields, ","); ++i) {
        TField* head = cdsMain->FindField(KeyItem(KeyFields, i));
        TField* line = cdsBody1->FindField(KeyItem(BodyKeyFields, i));
        if (!head || !line) continue;
        if (cdsBody1->State() == dsBrowse) cdsBody1->Edit();
        line->SetAsString(head->AsString());
    }
}

void TdmDouble::SumBodyToHead(TField* totalField, const AnsiString& sourceField) {
    if (!totalField || !cdsBody1->Active()) return;
    long double total = 0;
    std::unique_ptr<TClientDataSet> clone(new TClientDataSet(nullptr));
    clone->CloneCursor(cdsBody1, false, false);
    for (clone->First(); !clone->Eof(); clone->Next())
        if (TField* source = clone->FindField(sourceField)) total += source->AsFloat();
    if (Editing(cdsMain)) SetFieldText(totalField, FloatToStr(static_cast<double>(total)), true);
}

void TdmDouble::InitBodyLine() {}

void TdmDouble::BodyChanged() {}

void TdmDouble::BeforeSaveDetails() {
    if (!cdsBody1 || !cdsBody1->Active() || cdsBody1->IsEmpty()) return;
    cdsBody1->DisableControls();
    const bool reaction = BodyChangeReaction;
    BodyChangeReaction = false;
    try {
        for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next()) {
            cdsBody1->Edit();
            CopyHeadKeyToLine();
            // A line that cannot take the key stops the save: no "~" may reach the server.
            cdsBody1->Post();
        }
    } catch (...) {
        if (Editing(cdsBody1)) cdsBody1->Cancel();
        BodyChangeReaction = reaction;
        cdsBody1->EnableControls();
        throw;
    }
    BodyChangeReaction = reaction;
    cdsBody1->EnableControls();
}

// ---- lines ----

void TdmDouble::cdsBody1NewRecord(TDataSet* dataSet) {
    if (!Editing(cdsMain)) {
        dataSet->Cancel();
        return;
    }
    StampAuditFields(dataSet);
    if (cdsMain->State() == dsInsert) {
        for (int i = 1; i < GetTokenCount(BodyKeyFields, ","); ++i)
            if (auto* field = dynamic_cast<TStringField*>(dataSet->FindField(KeyItem(BodyKeyFields, i))))
                field->SetAsString(
                    PendingKey.substr(0, field->Size() > 0 ? field->Size() : PendingKey.size()));
    } else {
        CopyHeadKeyToLine();
    }
    if (AutoLineNumber && !LineNumberField.empty()) {
        const AnsiString number = NextLineNumber();
        if (number.empty()) {
            if (Broker) Broker->Say("E", "000032", {"line number"});
            dataSet->Cancel();
            Abort();
        }
        SetFieldText(dataSet->FieldByName(LineNumberField), number, true);
    }
    InitBodyLine();
    InitNullFields(dataSet);
}

void TdmDouble::cdsBody1BeforePost(TDataSet* dataSet) {
    if (auto* form = dynamic_cast<TfrmBase*>(Owner()); form && !form->ValidateRecord(dataSet)) Abort();
}

// A changed line carries its own stamp, so that the server knows it from a line changed by another user.
void TdmDouble::cdsBody1AfterEdit(TDataSet* dataSet) {
    StampAuditFields(dataSet);
}

void TdmDouble::cdsBody1AfterPost(TDataSet*) {
    if (BodyChangeReaction) BodyChanged();
}

void TdmDouble::cdsBody1AfterDelete(TDataSet*) {
    if (BodyChangeReaction) BodyChanged();
}
