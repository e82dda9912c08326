#pragma once
// TfrmSingle: the document form of a single-table document: the base form's commands with save and
// cancel, a row of detail pages (pgHead) whose last page tbsBrowse holds the browse grid gdHead, the
// open mode the host asks for, saving with keep-on-add, and the next document number.
#include "classlib/controls/comctrls.h"
#include "components/FDBGrid.h"
#include "framework/BaseCF.h"
#include "framework/SingleCD.h"

class TfrmSingle : public TfrmBase {
    KVR_CLASS(TfrmSingle, TfrmBase)
public:
    explicit TfrmSingle(TComponent* owner, bool load = true);

    // Components of the stream.
    TPageControl* pgHead = nullptr;
    TTabSheet* tbsHead1 = nullptr;
    TTabSheet* tbsBrowse = nullptr;
    TFDBGrid* gdHead = nullptr;

    // Focused after Add and after Change (the program names them).
    TWinControl* AddFocusEdit = nullptr;
    TWinControl* EditFocusEdit = nullptr;

    TdmSingle* SingleModule() const { return dynamic_cast<TdmSingle*>(DataModule); }

    void ConnectDataModule() override;
    void AfterFormShow() override;
    bool AddRecord(bool keepValues) override;
    bool EditRecord() override;
    bool SaveRecord() override;
    bool CancelEdit(bool ask) override;
    bool QueryRecords() override;
    bool KeepFailedEdit() override { return false; }
    // Save and cancel run while a record is being added or changed.
    void UpdateButtonStates() override;
    bool ValidateRecord(TDataSet* dataSet) override;
    // The next number of a document of the record's type and date. '' when the host gives none
    // (E 000033 said), so that no placeholder is ever taken for a number.
    virtual AnsiString NextDocumentNo();

    // Handlers of the stream.
    void miOKClick(TObject* sender);
    void miCancelClick(TObject* sender);
    void miPrintClick(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);

private:
    void ShowFirstPage();
    static void FocusIfPossible(TWinControl* control);
};
