#pragma once
// TClientDataSet: rows in memory with a change log, fed by a provider on an application server (or by
// a data packet), with nested data sets, indexes, clone cursors, and applying and reconciling.
//
// Wiring to a server:
//     cds->SetRemoteServer(midas);          // a TCustomRemoteServer: its AppServer() is the server
//     cds->SetProviderName("pvdMain");      // object; or cds->SetAppServer(object) without one
//     cds->SetPacketRecords(20);            // -1: every row at once
//     cds->SetDataRequest(VarArrayOf({where, order}));
//     cds->Open();                          // AS_GetRecords(..., grMetaData | grReset, ...)
//     ... edit ...
//     if (cds->ApplyUpdates(0) == 0) ...    // AS_ApplyUpdates; OnReconcileError per rejected row
//
// The change log: each row keeps its update status and, once changed, its original values. Posting an
// edit that changed nothing logs nothing (so a header whose lines changed is sent as usUnmodified with
// its changed lines). ChangeCount counts the changed rows of every level. The calls of provider.h and
// the packets of datapacket.h are the whole contract with the server.
//
// A nested data set (SetDataSetField with the master's TDataSetField) shows the nested rows of the
// master's current row, follows the master's cursor, puts the master in edit when it changes, and its
// changes travel in the master's delta. Its own ApplyUpdates applies the master's. Cancelling the
// master's edit undoes the line changes made under it. A master's default fields are made anew at
// each open, so a data set nested in a default data-set field is bound again after the master reopens
// (persistent fields, as a data module's stream declares them, stay bound).
//
// Reconcile actions: raSkip and raCorrect keep the row in the change log; raAbort keeps it and every
// row after it; raMerge takes the row as applied; raCancel reverts it to its original values;
// raRefresh takes the server's current values when the error carries them (else as raCancel). Rows
// without errors leave the change log when the server committed.
//
// Filters and aggregates are not supported; CancelUpdates, MergeChangeLog and the log work on all
// levels.
#include "classlib/db/db.h"
#include "classlib/db/provider.h"

class TCustomClientDataSet;

KVR_ENUM(TReconcileAction, raSkip, raAbort, raMerge, raCorrect, raCancel, raRefresh);

class EReconcileError : public EDatabaseError {
public:
    EReconcileError(AnsiString message, int errorCode, int previousError, AnsiString context)
        : EDatabaseError(std::move(message)), FErrorCode(errorCode), FPreviousError(previousError),
          FContext(std::move(context)) {}
    const char* ClassName() const override { return "EReconcileError"; }
    int ErrorCode() const { return FErrorCode; }
    int PreviousError() const { return FPreviousError; }
    const AnsiString& Context() const { return FContext; }

private:
    int FErrorCode;
    int FPreviousError;
    AnsiString FContext;
};

KVR_EVENT_TYPE(TReconcileErrorEvent, void(TCustomClientDataSet* dataSet, EReconcileError* e,
                                          TUpdateKind updateKind, TReconcileAction& action));

KVR_ENUM(TIndexOption, ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression, ixNonMaintained);
KVR_SET(TIndexOptions, TIndexOption);

class TIndexDef : public TCollectionItem {
    KVR_CLASS(TIndexDef, TCollectionItem)
public:
    explicit TIndexDef(TCollection* collection) : TCollectionItem(collection) {}
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& value) { FName = value; }
    const AnsiString& Fields() const { return FFields; }
    void SetFields(const AnsiString& value) { FFields = value; }
    const AnsiString& DescFields() const { return FDescFields; }
    void SetDescFields(const AnsiString& value) { FDescFields = value; }
    const AnsiString& CaseInsFields() const { return FCaseInsFields; }
    void SetCaseInsFields(const AnsiString& value) { FCaseInsFields = value; }
    TIndexOptions Options() const { return FOptions; }
    void SetOptions(TIndexOptions value) { FOptions = value; }
    AnsiString DisplayName() const override { return FName; }
    void Assign(TPersistent* source) override;

private:
    AnsiString FName, FFields, FDescFields, FCaseInsFields;
    TIndexOptions FOptions;
};

class TIndexDefs : public TOwnedCollection {
    KVR_CLASS(TIndexDefs, TOwnedCollection)
public:
    explicit TIndexDefs(TPersistent* owner) : TOwnedCollection(owner, TIndexDef::StaticClass()) {}
    TIndexDef* Items(int index) const { return static_cast<TIndexDef*>(TCollection::Items(index)); }
    TIndexDef* AddIndexDef() { return static_cast<TIndexDef*>(TCollection::Add()); }
    void Add(const AnsiString& name, const AnsiString& fields, TIndexOptions options);
    int IndexOf(const AnsiString& name) const;
    TIndexDef* Find(const AnsiString& name) const; // EDatabaseError "Index 'X' not found"
    void Update() {}
};

KVR_ENUM(TParamType, ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult);

class TParam : public TCollectionItem {
    KVR_CLASS(TParam, TCollectionItem)
public:
    explicit TParam(TCollection* collection) : TCollectionItem(collection) {}
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& value) { FName = value; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType value) { FDataType = value; }
    TParamType ParamType() const { return FParamType; }
    void SetParamType(TParamType value) { FParamType = value; }
    const Variant& Value() const { return FValue; }
    void SetValue(const Variant& value) { FValue = value; }
    AnsiString AsString() const { return VarToStr(FValue); }
    void SetAsString(const AnsiString& value) { FValue = value; }
    bool IsNull() const { return VarIsNull(FValue) || VarIsEmpty(FValue); }
    AnsiString DisplayName() const override { return FName; }

private:
    AnsiString FName;
    TFieldType FDataType = ftUnknown;
    TParamType FParamType = ptInput;
    Variant FValue;
};

class TParams : public TOwnedCollection {
    KVR_CLASS(TParams, TOwnedCollection)
public:
    explicit TParams(TPersistent* owner) : TOwnedCollection(owner, TParam::StaticClass()) {}
    TParam* Items(int index) const { return static_cast<TParam*>(TCollection::Items(index)); }
    TParam* CreateParam(TFieldType dataType, const AnsiString& name, TParamType paramType);
    TParam* FindParam(const AnsiString& name) const;
    TParam* ParamByName(const AnsiString& name) const; // EDatabaseError "Parameter 'X' not found"
    // As the provider receives them: an array of [Name, Value] pairs, Empty for none.
    Variant ToVariant() const;
};

class TCustomClientDataSet : public TDataSet {
    KVR_CLASS(TCustomClientDataSet, TDataSet)
public:
    explicit TCustomClientDataSet(TComponent* owner);
    ~TCustomClientDataSet() override;

    // The server.
    const AnsiString& ProviderName() const { return FProviderName; }
    void SetProviderName(const AnsiString& value);
    TCustomRemoteServer* RemoteServer() const { return FRemoteServer; }
    void SetRemoteServer(TCustomRemoteServer* value);
    // The server object: the remote server's, or the one given here.
    Variant AppServer() const;
    void SetAppServer(const Variant& value) { FAppServer = value; }
    bool HasAppServer() const { return !VarIsEmpty(AppServer()); }
    int PacketRecords() const { return FPacketRecords; }
    void SetPacketRecords(int value) { FPacketRecords = value < -1 ? -1 : value; }
    bool FetchOnDemand() const { return FFetchOnDemand; }
    void SetFetchOnDemand(bool value) { FFetchOnDemand = value; }
    // Sent unchanged with every AS_GetRecords; the framework's is [condition, sort text].
    const Variant& DataRequest() const { return FDataRequest; }
    void SetDataRequest(const Variant& value) { FDataRequest = value; }
    const AnsiString& CommandText() const { return FCommandText; }
    void SetCommandText(const AnsiString& value) { FCommandText = value; }
    TParams* Params() const { return FParams; }
    // The next packet from the provider; the number of rows that came (0 when all are here).
    int GetNextPacket();
    void FetchAll();
    bool AllFetched() const { return !Store() || Store()->Complete; }

    // The change log.
    int ChangeCount() const;
    TUpdateStatus UpdateStatus() const;
    void CancelUpdates();
    void MergeChangeLog();
    void RevertRecord();
    Variant Delta() const;
    // Applies the change log through the provider; the number of rows the server rejected.
    int ApplyUpdates(int maxErrors);
    const TReconcileErrorEvent& OnReconcileError() const { return FOnReconcileError; }
    void SetOnReconcileError(const TReconcileErrorEvent& value) { FOnReconcileError = value; }

    // The rows as a data packet; setting it (re)opens the data set over the packet's rows.
    Variant Data() const;
    void SetData(const Variant& value);
    void SaveToFile(const AnsiString& fileName) const;
    void LoadFromFile(const AnsiString& fileName);
    // An empty data set from FieldDefs (or from the persistent fields when there are no definitions).
    void CreateDataSet();
    void EmptyDataSet();

    // Indexes: IndexFieldNames orders ascending by a ";" list; IndexName names an IndexDefs entry.
    const AnsiString& IndexName() const { return FIndexName; }
    void SetIndexName(const AnsiString& value);
    const AnsiString& IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const AnsiString& value);
    TIndexDefs* IndexDefs() const { return FIndexDefs; }

    // Shares Source's rows with a cursor of its own. Reset: no index; KeepSettings: this data set's
    // own index; neither: Source's index. The cursor starts on Source's current row.
    void CloneCursor(TCustomClientDataSet* source, bool reset, bool keepSettings = false);

    void Notification(TComponent* component, TOperation operation) override;
    // The rows this cursor shows (shared with its clones); nil while closed.
    TRowStore* Store() const { return FOrder.Store(); }
    // The rows in this cursor's order, read without moving it (no events, no calculated fields), for
    // walks over many rows: their number (0 while closed), a row's record, read through Layout(), and
    // the identity its bookmark keeps.
    int OrderedCount() const;
    const Byte* OrderedRecord(int index) const { return FOrder.Row(index)->Data(); }
    int OrderedRowId(int index) const { return FOrder.Row(index)->Id; }

protected:
    // The storage: the rows of one level (FOrder's store) in this cursor's order, with their change log.
    void InternalOpen() override;
    void InternalClose() override;
    int InternalRowCount() const override { return FOrder.Count(); }
    Byte* InternalRecord(int index) const override { return FOrder.Row(index)->Data(); }
    int InternalRowId(int index) const override { return FOrder.Row(index)->Id; }
    bool InternalSync(int& current) const override { return FOrder.Sync(current); }
    Byte* InternalInsert() override;
    void InternalFreeInsert(Byte* record) override;
    void InternalEdit() override;
    int InternalPost() override;
    void InternalDelete() override;
    bool InternalCancel() override;
    void InternalEndEdit() override;
    bool InternalMasterRows(bool again) override;
    int FetchMore() override { return GetNextPacket(); }
    bool CanFetchMore() const override;

private:
    TRow* CurrentRow() const { return HasCurrent() ? FOrder.Row(FCurrent) : nullptr; }
    void RebuildOrder(int keepRowId);
    Variant CallGetRecords(int count, int options, Variant& ownerData);
    void LoadPacket(const Variant& packet);
    void UpdateIndex();
    void ApplyIndexChange();
    void RefreshNested();
    void MergeExcept(TRowStore* store, const std::vector<int>& keep);
    TCustomClientDataSet* ReconcileTarget(TRowStore* store);

    AnsiString FProviderName;
    TCustomRemoteServer* FRemoteServer = nullptr;
    Variant FAppServer;
    int FPacketRecords = -1;
    bool FFetchOnDemand = true;
    Variant FDataRequest;
    AnsiString FCommandText;
    TParams* FParams;
    AnsiString FIndexName, FIndexFieldNames;
    TIndexDefs* FIndexDefs;
    mutable TRowOrder FOrder;
    TRow* FInsertRow = nullptr; // the row being inserted, not yet among the rows
    // The nested rows of the edited row as they were at Edit (column, copy): Cancel puts them back.
    std::vector<std::pair<int, TRowStore*>> FNestedSnapshot;
    Variant FPendingData;
    TRowStore* FCloneStore = nullptr;
    TReconcileErrorEvent FOnReconcileError;
};

class TClientDataSet : public TCustomClientDataSet {
    KVR_CLASS(TClientDataSet, TCustomClientDataSet)
public:
    explicit TClientDataSet(TComponent* owner) : TCustomClientDataSet(owner) {}
};
