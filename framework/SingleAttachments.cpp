#include "framework/SingleAttachments.h"

#include "classlib/automation/comobj.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/SingleCF.h"
#include "framework/SingleServices.h"

using namespace single_services;

AnsiString TSingleAttachments::BuildKey(const AnsiString& separator) const {
    TdmSingle* module = F.SingleModule();
    if (!module) return AnsiString();
    AnsiString key;
    const int count = GetTokenCount(module->KeyFields, ",");
    for (int i = 1; i <= count; ++i) {
        TField* field = module->cdsMain->FindField(Trim(GetToken(module->KeyFields, ",", i)));
        key += (i > 1 ? separator : AnsiString()) + (field ? field->AsString() : AnsiString());
    }
    return key;
}

void TSingleAttachments::LoadKeys() {
    if (!FKeys) FKeys = std::make_unique<TStringList>();
    FKeys->SetSorted(false);
    FKeys->Clear();
    TBrokers* broker = F.Broker;
    Variant rows;
    broker->CallCounter(
        "SimpleSql",
        VarArrayOf({" SELECT DISTINCT KeyValues FROM ATTACH WHERE Parent = " + QuotedStr(broker->ProgramID) +
                        " AND CompanyID = " + QuotedStr(broker->CompanyID),
                    "KeyValues", broker->Database, "N"}),
        rows);
    for (const Variant& row : VarArrayItems(rows))
        FKeys->Add(VarArrayItemText(row, 0));
    if (FKeys->Count() > 0) FKeys->SetSorted(true);
}

bool TSingleAttachments::HasAttachment() const {
    if (!FKeys || FKeys->Count() == 0) return false;
    int index = 0;
    return FKeys->Find(BuildKey("||"), index);
}

void TSingleAttachments::Show() {
    if (!F.AttachmentsEnabled || F.EditState == esInsert) return;
    if (F.EditState != esEdit && !(F.EditState == esBrowse && F.miLast && F.miLast->Enabled())) return;
    TdmSingle* module = F.SingleModule();
    if (!module) return;
    TBrokers* broker = F.Broker;
    const AnsiString key = BuildKey("||");
    Variant dialog = CreateOleObject("AttachC.Class1");
    VarCall(dialog, "Init",
            {VarArrayOf({broker->CompanyID, broker->UserID, broker->ProgramID, key,
                         StringReplace(module->KeyFields, ",", "||", rfReplaceAll), "1"})});
    VarSet(dialog, "ParentHandle", Variant(static_cast<int>(F.Handle())));
    VarCall(dialog, "ShowModal");
    dialog = Variant();
    // What the dialog stored shows on the record at once.
    try {
        F.LoadAttachmentKeys();
    } catch (const Exception& e) {
        WriteAlertLog(broker->ProgramID, "Single-Attach:" + e.Message(), 'D');
    }
}

void TSingleAttachments::RecordDeleted(const AnsiString& key) {
    TBrokers* broker = F.Broker;
    try {
        Variant result;
        broker->CallCounter(
            "TransactionSQL",
            VarArrayOf({VarArrayOf({" DELETE FROM ATTACH  WHERE Parent = " + QuotedStr(broker->ProgramID) +
                                    " " + "       AND CompanyID = " + QuotedStr(broker->CompanyID) + " " +
                                    "       AND KeyValues = " + QuotedStr(key) + " "}),
                        AnsiString()}),
            result);
    } catch (const Exception& e) {
        // The record is gone; attachments left behind are only clutter.
        WriteAlertLog(broker->ProgramID, "Single-Attach:" + e.Message(), 'D');
    }
    if (FKeys) {
        int index = 0;
        if (FKeys->Find(key, index)) FKeys->Delete(index);
    }
}
