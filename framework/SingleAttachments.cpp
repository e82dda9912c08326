// TfrmSingle's attachments: the keys of the records that have any, the host's attachment dialog, and
// a deleted record's attachments deleted with it.
#include "classlib/automation/comobj.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/SingleCF.h"
#include "framework/SingleServices.h"

using namespace single_services;

AnsiString TfrmSingle::BuildAttachmentKey(const AnsiString& separator) {
    TdmSingle* module = SingleModule();
    if (!module) return AnsiString();
    AnsiString key;
    const int count = GetTokenCount(module->KeyFields, ",");
    for (int i = 1; i <= count; ++i) {
        TField* field = module->cdsMain->FindField(Trim(GetToken(module->KeyFields, ",", i)));
        key += (i > 1 ? separator : AnsiString()) + (field ? field->AsString() : AnsiString());
    }
    return key;
}

void TfrmSingle::LoadAttachmentKeys() {
    if (!AttachmentKeys) AttachmentKeys = std::make_unique<TStringList>();
    AttachmentKeys->SetSorted(false);
    AttachmentKeys->Clear();
    Variant rows;
    Broker->CallCounter(
        "SimpleSql",
        VarArrayOf({" SELECT DISTINCT KeyValues FROM ATTACH WHERE Parent = " + QuotedStr(Broker->ProgramID) +
                        " AND CompanyID = " + QuotedStr(Broker->CompanyID),
                    "KeyValues", Broker->Database, "N"}),
        rows);
    for (const Variant& row : VarArrayItems(rows))
        AttachmentKeys->Add(VarArrayItemText(row, 0));
    if (AttachmentKeys->Count() > 0) AttachmentKeys->SetSorted(true);
}

bool TfrmSingle::HasAttachment() {
    if (!AttachmentKeys || AttachmentKeys->Count() == 0) return false;
    int index = 0;
    return AttachmentKeys->Find(BuildAttachmentKey("||"), index);
}

void TfrmSingle::ShowAttachments() {
    if (!AttachmentsEnabled || EditState == esInsert) return;
    if (EditState != esEdit && !(EditState == esBrowse && miLast && miLast->Enabled())) return;
    TdmSingle* module = SingleModule();
    if (!module) return;
    const AnsiString key = BuildAttachmentKey("||");
    Variant dialog = CreateOleObject("AttachC.Class1");
    VarCall(dialog, "Init",
            {VarArrayOf({Broker->CompanyID, Broker->UserID, Broker->ProgramID, key,
                         StringReplace(module->KeyFields, ",", "||", rfReplaceAll), "1"})});
    VarSet(dialog, "ParentHandle", Variant(static_cast<int>(Handle())));
    VarCall(dialog, "ShowModal");
    dialog = Variant();
    // What the dialog stored shows on the record at once.
    try {
        LoadAttachmentKeys();
    } catch (const Exception& e) {
        WriteAlertLog(Broker->ProgramID, "Single-Attach:" + e.Message(), 'D');
    }
}

bool TfrmSingle::DeleteRecord(bool confirm) {
    const AnsiString key = BuildAttachmentKey("||");
    const bool deleted = TfrmBase::DeleteRecord(confirm);
    if (!deleted) return deleted;
    try {
        Variant result;
        Broker->CallCounter(
            "TransactionSQL",
            VarArrayOf({VarArrayOf({" DELETE FROM ATTACH  WHERE Parent = " + QuotedStr(Broker->ProgramID) +
                                    " " + "       AND CompanyID = " + QuotedStr(Broker->CompanyID) + " " +
                                    "       AND KeyValues = " + QuotedStr(key) + " "}),
                        AnsiString()}),
            result);
    } catch (const Exception& e) {
        // The record is gone; attachments left behind are only clutter.
        WriteAlertLog(Broker->ProgramID, "Single-Attach:" + e.Message(), 'D');
    }
    if (AttachmentKeys) {
        int index = 0;
        if (AttachmentKeys->Find(key, index)) AttachmentKeys->Delete(index);
    }
    if (TdmSingle* module = SingleModule()) RecordChanged(module->cdsMain);
    return deleted;
}
