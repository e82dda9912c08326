#pragma once
// TfrmDouble: the document form of a header-plus-body document: the single-table form's header above
// the line pages pgBody with the line grid gdBody1, the line commands, and the save sequence of a
// header with its lines in one change packet (the lines check, the server's number, the re-query).
#include "framework/DoubleCD.h"
#include "framework/SingleCF.h"

class TfrmDouble : public TfrmSingle {
    KVR_CLASS(TfrmDouble, TfrmSingle)
public:
    explicit TfrmDouble(TComponent* owner, bool load = true);

    // Components of the stream.
    TPageControl* pgBody = nullptr;
    TTabSheet* tbsBody1 = nullptr;
    TFDBGrid* gdBody1 = nullptr;

    // What a save of a new document without lines does: 0 and 3 save, 1 asks W 100079, 2 refuses
    // with E 000032.
    int LinesOption = 0;
    AnsiString ServerNumber; // the number the server gave the last added document

    TdmDouble* DoubleModule() const { return dynamic_cast<TdmDouble*>(DataModule); }

    void ConnectDataModule() override;
    bool SaveRecord() override;
    bool CancelEdit(bool ask) override;
    bool DeleteRecord(bool confirm) override;
    // The current document printed through the host's command with its print program and keys.
    bool PrintRecords() override;

    // A new line after the current one; the current line deleted after C 000005.
    bool InsertLine();
    bool DeleteLine();

    // Handlers of the stream.
    void FormKeyDown(TObject* sender, Word& key, TShiftState shift);

private:
    bool LinesCheck();
    void RequeryByKey(const AnsiString& number);
};
