#pragma once
// TfrmKvrx58: the letter-of-credit issuance form: the header fields of the documents with their
// lookups (F2) and date picks over the single-table form's commands; the program's other pages and rules come
// with the form levels above the base.
#include "classlib/controls/stdctrls.h"
#include "framework/DoubleCF.h"
#include "framework/KnlDouble.h"
#include "programs/kvrx58/Kvrx58CD.h"

class TfrmKvrx58 : public TfrmDouble, public TKvrx58View {
    KVR_CLASS(TfrmKvrx58, TfrmDouble)
public:
    explicit TfrmKvrx58(TComponent* owner, bool load = true);

    // Set while a bank account picked from the list is written to the issuing bank (it needs no check of
    // its own); the bank's check clears it, and the pick clears it in any case afterwards.
    bool BankAccountPicked = false;

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
    // Before the framework's save: the header's checks, each line's self-financed share, and W 100113
    // when the issued amount is not the lines' total at the currency's money decimals.
    bool PrepareSave(bool adding) override;
    // A purchase-order line may be on one line of the document only (E 000002).
    bool ValidateRecord(TDataSet* dataSet) override;
    // Entering change mode also runs the data module's currency hook.
    bool EditRecord() override;

    // Focus to the control bound to a header field, when there is one that can take it.
    void FocusFieldControl(const AnsiString& fieldName);

    TdmKvrx58* Module() const { return static_cast<TdmKvrx58*>(DataModule); }

    // What the data module asks of the form.
    AnsiString ViewNextDocumentNo() override { return NextDocumentNo(); }
    void ViewFocusField(const AnsiString& fieldName) override { FocusFieldControl(fieldName); }
    // The type decides what the framework's save does after a new document is stored.
    void ViewTypeFlags(bool confirmAfterSave, bool printAfterSave) override {
        AutoConfirmMode = confirmAfterSave ? 1 : 0;
        AutoPrintAfterSave = printAfterSave;
    }
    bool ViewTakeBankAccountPicked() override {
        const bool picked = BankAccountPicked;
        BankAccountPicked = false;
        return picked;
    }

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    // The usance days take digits and Backspace only.
    void edTA010KeyPress(TObject* sender, char& key);
    // Jumps to the supplier query and the purchase-order query of the purchasing system.
    void miBYVX31Click(TObject* sender);
    void miBYVX37Click(TObject* sender);

private:
    TLineKeyIndex FOrderLines; // the lines' order lines, for ValidateRecord
};

// Whether another line of lines, not of the current line's number TB003, holds the current line's
// order line (TB004, TB005, TB006); index keeps the lines' order lines between calls.
bool OrderLineTaken(TClientDataSet* lines, TLineKeyIndex& index);
