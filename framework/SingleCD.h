#pragma once
// TdmSingle: the data module of a single-table document: the auto-numbered key, the values carried
// over from the last saved record to the next new one, default values handed over by the host, the key
// condition of the current record, the save hook and the report of the rows the server refused.
#include "classlib/db/dbclient.h"
#include "framework/BaseCD.h"

class TdmSingle : public TdmBase {
    KVR_CLASS(TdmSingle, TdmBase)
public:
    explicit TdmSingle(TComponent* owner, bool load = true);
    ~TdmSingle() override;

    bool AutoKey = false;    // the last key field is numbered by the server
    int KeyCount = 0;        // number of key fields
    Variant DefaultValues;   // two rows: field names, values (open modes with a parameter)
    AnsiString DefaultOrder; // index field names of the default order

    // Virtual operations, in slot order (after TdmBase's).
    virtual void SetAutoKey(bool on);
    virtual void ApplyDefaultValues();
    virtual AnsiString GetAutoKeyField();
    // Called by the form's save before the data module's save when a new record is saved.
    virtual void BeforeSaveDetails();
    virtual void FetchAll(TDataSet* dataSet);

    void SetDefaultValues(TDataSet* dataSet) override;
    void SetKeyFields(const AnsiString& list) override;
    bool SaveDataSet(TCustomClientDataSet* dataSet) override;

    // ---- carried-over values ----
    void SetKeepFields(const AnsiString& list);
    void SnapshotKeptValues(TDataSet* dataSet);
    void RestoreKeptValues(TDataSet* dataSet);
    void ClearKeptValues();
    // "FIELD=value " lines, one a kept field.
    const TStringList* KeepList() const { return FKeepList.get(); }

    void StoreKeyValues();
    // The current record's key as a condition: [table.]field = value, " and " between; false when empty.
    bool KeyCondition(AnsiString& text);

    // Handlers of the stream.
    void cdsMainReconcileError(TCustomClientDataSet* dataSet, EReconcileError* e, TUpdateKind updateKind,
                               TReconcileAction& action);

private:
    std::unique_ptr<TStringList> FKeepList;
};
