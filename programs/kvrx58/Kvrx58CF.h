#pragma once
// TfrmKvrx58: the letter-of-credit issuance form: the header fields of the documents with their
// lookups (F2) and date picks over the base form's commands; the program's other pages and rules come
// with the form levels above the base.
#include "framework/BaseCF.h"
#include "programs/kvrx58/Kvrx58CD.h"

class TfrmKvrx58 : public TfrmBase {
    KVR_CLASS(TfrmKvrx58, TfrmBase)
public:
    explicit TfrmKvrx58(TComponent* owner, bool load = true);

    // Set by a bank account picked from the list (it needs no check of its own), cleared by the next
    // check of the issuing bank.
    bool BankAccountPicked = false;
    // From the document type: confirm and print right after a save.
    bool ConfirmAfterSave = false;
    bool PrintAfterSave = false;

    TClass DataModuleClass() override;
    void DoF2Key(Word& key, TWinControl* control) override;

    // The next number of a document of the current type and issue date; '' when the host has none
    // (E 000033 said), so that no placeholder reaches the number field.
    AnsiString NextDocumentNo();
    // Focus to the control bound to a header field, when there is one that can take it.
    void FocusFieldControl(const AnsiString& fieldName);

    TdmKvrx58* Module() const { return static_cast<TdmKvrx58*>(DataModule); }

    // Handlers of the stream.
    void FormCreate(TObject* sender);
};
