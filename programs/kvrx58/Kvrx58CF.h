#pragma once
// TfrmKvrx58: the letter-of-credit issuance form: the header fields of the documents with their
// lookups (F2) and date picks over the base form's commands; the program's other pages and rules come
// with the form levels above the base.
#include "classlib/controls/stdctrls.h"
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

    // Components of the stream.
    TMemo* memLNG = nullptr;
    TCustomEdit* edTA006 = nullptr;
    TCustomEdit* edTA006C = nullptr;

    TClass DataModuleClass() override;
    void DoF2Key(Word& key, TWinControl* control) override;
    // F3 on the issuing bank: a bank account picked from the list.
    void DoF3Key(Word& key, TWinControl* control) override;
    // The field lists of the framework levels: required fields, decimal groups, currency bindings and
    // the amounts the user's rights govern.
    void ConfigureProgram() override;
    // Columns by system setting (pricing unit, packages, sign-off state, send count), edit masks and
    // the local currency's decimals.
    void ApplyInputSettings() override;
    // Entering change mode also runs the data module's currency hook.
    bool EditRecord() override;

    // The next number of a document of the current type and issue date; '' when the host has none
    // (E 000033 said), so that no placeholder reaches the number field.
    AnsiString NextDocumentNo();
    // Focus to the control bound to a header field, when there is one that can take it.
    void FocusFieldControl(const AnsiString& fieldName);

    TdmKvrx58* Module() const { return static_cast<TdmKvrx58*>(DataModule); }

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    // The usance days take digits and Backspace only.
    void edTA010KeyPress(TObject* sender, char& key);
    // Jumps to the supplier query and the purchase-order query of the purchasing system.
    void miBYVX31Click(TObject* sender);
    void miBYVX37Click(TObject* sender);
};
