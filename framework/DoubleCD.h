#pragma once
// TdmDouble: the data module of a header-plus-body document: the header in cdsMain and its lines in
// cdsBody1, nested through a data-set field, so that one change packet carries both. It fills new lines
// (header keys, line number), totals body fields into header fields, writes the header key into the
// lines before an added document is saved, and refuses a line number its field cannot hold.
#include "framework/SingleCD.h"

class TdmDouble : public TdmSingle {
    KVR_CLASS(TdmDouble, TdmSingle)
public:
    explicit TdmDouble(TComponent* owner, bool load = true);

    // Components of the stream (the program's stream nests cdsBody1 in its header's data-set field).
    TwwClientDataSet* cdsBody1 = nullptr;
    TwwDataSource* dsBody1 = nullptr;

    AnsiString BodyKeyFields;   // D11_KEY: the header's keys position by position, then the line number
    AnsiString LineNumberField; // the last body key, numbered by the module
    bool AutoLineNumber = true;
    bool BodyChangeReaction = true;

    // Virtual operations, in slot order (after TdmSingle's).
    // A new line after the framework's filling; the program adds its own values.
    virtual void InitBodyLine();
    // After a line was posted or deleted.
    virtual void BodyChanged();

    void SetBodyKeyFields(const AnsiString& keys);
    // The highest numeric line number plus one, zero-padded to the field's size; '' when the field
    // cannot hold it (a number past 9999 in four characters must not wrap into a duplicate).
    AnsiString NextLineNumber() const;
    // TotalField := the sum of the lines' SourceField.
    void SumBodyToHead(TField* totalField, const AnsiString& sourceField);
    void CopyHeadKeyToLine();

    bool OpenMainData() override;
    AnsiString GetAutoKeyField() override;
    void BeforeSaveDetails() override;

    // Handlers of the stream.
    void cdsBody1NewRecord(TDataSet* dataSet);
    void cdsBody1BeforePost(TDataSet* dataSet);
    void cdsBody1AfterEdit(TDataSet* dataSet);
    void cdsBody1AfterPost(TDataSet* dataSet);
    void cdsBody1AfterDelete(TDataSet* dataSet);
};
