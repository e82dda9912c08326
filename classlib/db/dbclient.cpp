#include "classlib/db/dbclient.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "classlib/automation/comobj.h"
#include "classlib/automation/varmarshal.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"

// ---- index definitions and parameters ----

void TIndexDef::Assign(TPersistent* source) {
    if (auto* other = dynamic_cast<TIndexDef*>(source)) {
        FName = other->FName;
        FFields = other->FFields;
        FDescFields = other->FDescFields;
        FCaseInsFields = other->FCaseInsFields;
        FOptions = other->FOptions;
        return;
    }
    TCollectionItem::Assign(source);
}

KVR_PUBLISHED(TIndexDef, c) {
    c.Property("Name", &TIndexDef::Name, &TIndexDef::SetName);
    c.Property("Fields", &TIndexDef::Fields, &TIndexDef::SetFields);
    c.Property("DescFields", &TIndexDef::DescFields, &TIndexDef::SetDescFields);
    c.Property("CaseInsFields", &TIndexDef::CaseInsFields, &TIndexDef::SetCaseInsFields);
    c.Property("Options", &TIndexDef::Options, &TIndexDef::SetOptions).Default(0);
}

void TIndexDefs::Add(const AnsiString& name, const AnsiString& fields, TIndexOptions options) {
    TIndexDef* def = AddIndexDef();
    def->SetName(name);
    def->SetFields(fields);
    def->SetOptions(options);
}

int TIndexDefs::IndexOf(const AnsiString& name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items(i)->Name(), name)) return i;
    return -1;
}

TIndexDef* TIndexDefs::Find(const AnsiString& name) const {
    const int i = IndexOf(name);
    if (i < 0) throw EDatabaseError("Index '" + name + "' not found");
    return Items(i);
}

KVR_PUBLISHED(TIndexDefs, c) {
    (void)c;
}

KVR_PUBLISHED(TParam, c) {
    c.Property("Name", &TParam::Name, &TParam::SetName);
    c.Property("DataType", &TParam::DataType, &TParam::SetDataType).Default(ftUnknown);
    c.Property("ParamType", &TParam::ParamType, &TParam::SetParamType).Default(ptInput);
    c.Property("Value", &TParam::Value, &TParam::SetValue);
}

TParam* TParams::CreateParam(TFieldType dataType, const AnsiString& name, TParamType paramType) {
    auto* p = static_cast<TParam*>(Add());
    p->SetName(name);
    p->SetDataType(dataType);
    p->SetParamType(paramType);
    return p;
}

TParam* TParams::FindParam(const AnsiString& name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items(i)->Name(), name)) return Items(i);
    return nullptr;
}

TParam* TParams::ParamByName(const AnsiString& name) const {
    TParam* p = FindParam(name);
    if (!p) throw EDatabaseError("Parameter '" + name + "' not found");
    return p;
}

Variant TParams::ToVariant() const {
    if (Count() == 0) return Variant();
    std::vector<Variant> pairs;
    for (int i = 0; i < Count(); ++i)
        pairs.push_back(VarArrayOf({Variant(Items(i)->Name()), Items(i)->Value()}));
    return VarArrayOf(pairs);
}

KVR_PUBLISHED(TParams, c) {
    (void)c;
}

// ---- TCustomClientDataSet ----

TCustomClientDataSet::TCustomClientDataSet(TComponent* owner)
    : TDataSet(owner), FParams(new TParams(this)), FIndexDefs(new TIndexDefs(this)) {}

TCustomClientDataSet::~TCustomClientDataSet() {
    if (Active()) {
        try {
            CloseNested();
            FreeEditBuffer();
            FState = dsInactive;
            InternalClose();
        } catch (...) {
        }
    }
    if (FCloneStore) FCloneStore->Release();
    delete FParams;
    delete FIndexDefs;
}

void TCustomClientDataSet::SetProviderName(const AnsiString& value) {
    if (value == FProviderName) return;
    CheckInactive();
    FProviderName = value;
}

void TCustomClientDataSet::SetRemoteServer(TCustomRemoteServer* value) {
    if (value == FRemoteServer) return;
    CheckInactive();
    if (FRemoteServer) FRemoteServer->RemoveFreeNotification(this);
    FRemoteServer = value;
    if (value) value->FreeNotification(this);
}

void TCustomClientDataSet::Notification(TComponent* component, TOperation operation) {
    TDataSet::Notification(component, operation);
    if (operation == opRemove && component == FRemoteServer) FRemoteServer = nullptr;
}

Variant TCustomClientDataSet::AppServer() const {
    if (FRemoteServer) return FRemoteServer->GetServer();
    return FAppServer;
}

Variant TCustomClientDataSet::CallGetRecords(int count, int options, Variant& ownerData) {
    Variant server = AppServer();
    if (VarIsEmpty(server)) DatabaseError("Remote server has no application server", this);
    Variant recsOut = 0;
    Variant packet = VarCall(server, AS_GetRecords,
                             {FProviderName, count, ByRef(recsOut), options, FCommandText,
                              FParams->ToVariant(), FDataRequest, ByRef(ownerData)});
    if (!IsDataPacket(packet))
        DatabaseError("Invalid data packet from provider '" + FProviderName + "'", this);
    return packet;
}

void TCustomClientDataSet::LoadPacket(const Variant& packet) {
    std::vector<TPacketField> fields = ReadPacketFields(packet);
    std::vector<TPacketField> internalCalc;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields()->Fields(i);
        if (f->FieldKind() == fkInternalCalc)
            internalCalc.push_back({f->FieldName(), f->DataType(), f->Size(), 0, {}});
    }
    auto layout = TRecordLayout::Build(fields, internalCalc);
    auto* store = new TRowStore(layout);
    try {
        store->LoadRows(PacketRows(packet));
    } catch (...) {
        delete store;
        throw;
    }
    store->Complete = PacketFlags(packet) & pfComplete;
    FLayout = layout;
    FOrder.Attach(store);
    FFieldDefs->Assign(fields);
}

void TCustomClientDataSet::InternalOpen() {
    if (FDataSetField) {
        TDataSet* master = FDataSetField->DataSet();
        if (!master || !master->Active() || FDataSetField->Column() < 0)
            DatabaseError("Cannot open a nested dataset while its master is closed", this);
        auto layout = master->Layout()->Columns[FDataSetField->Column()].Nested;
        FLayout = layout;
        TRowStore* store = FDataSetField->NestedStore();
        FOrder.Attach(store ? store : new TRowStore(layout));
        FFieldDefs->Assign(layout->PacketFields());
    } else if (FCloneStore) {
        FLayout = FCloneStore->Layout;
        FOrder.Attach(FCloneStore);
        FFieldDefs->Assign(FLayout->PacketFields());
    } else if (!VarIsEmpty(FPendingData)) {
        Variant packet = FPendingData;
        LoadPacket(packet);
        FPendingData = Variant();
    } else if (!FProviderName.empty()) {
        Variant ownerData;
        Variant packet = CallGetRecords(FPacketRecords, grMetaData | grReset, ownerData);
        LoadPacket(packet);
        Store()->OwnerData = ownerData;
    } else {
        DatabaseError("Missing data provider or data packet", this);
    }
    UpdateIndex();
}

void TCustomClientDataSet::InternalClose() {
    InternalEndEdit();
    FOrder.Detach();
    FOrder.SetKeys({});
    if (FCloneStore) {
        FCloneStore->Release();
        FCloneStore = nullptr;
    }
}

void TCustomClientDataSet::RebuildOrder(int keepRowId) {
    FOrder.Rebuild();
    KeepCursorOn(keepRowId);
}

// ---- rows: insert, edit, post, delete ----

Byte* TCustomClientDataSet::InternalInsert() {
    if (!Store()) DatabaseError(SDataSetClosed, this);
    FInsertRow = Store()->NewRow();
    return FInsertRow->Data();
}

void TCustomClientDataSet::InternalFreeInsert(Byte*) {
    if (FInsertRow) Store()->FreeRow(FInsertRow);
    FInsertRow = nullptr;
}

void TCustomClientDataSet::InternalEdit() {
    InternalEndEdit();
    TRow* row = CurrentRow();
    if (FLayout->HasNested)
        for (int i = 0; i < static_cast<int>(FLayout->Columns.size()); ++i)
            if (TRowStore* nested =
                    FLayout->Columns[i].Kind == skNested ? FLayout->NestedStore(row->Data(), i) : nullptr)
                FNestedSnapshot.emplace_back(i, nested->Clone());
}

int TCustomClientDataSet::InternalPost() {
    if (FState == dsInsert) {
        TRow* row = FInsertRow;
        FInsertRow = nullptr;
        row->Status = usInserted;
        // Insert puts the row before the current one, Append at the end.
        TRow* before = FAppendPending ? nullptr : CurrentRow();
        Store()->Insert(row, before);
        return FOrder.Place(row, before ? FCurrent : -1);
    }
    TRow* row = CurrentRow();
    return Store()->PostEdit(row, FEditBuffer) ? FOrder.Reposition(FCurrent) : FCurrent;
}

void TCustomClientDataSet::InternalDelete() {
    TRow* row = CurrentRow();
    FOrder.Erase(FCurrent);
    Store()->DeleteRow(row);
    FOrder.Stamp();
}

bool TCustomClientDataSet::InternalCancel() {
    if (FState != dsEdit || FNestedSnapshot.empty()) return false;
    if (TRow* row = CurrentRow())
        for (auto& [col, copy] : FNestedSnapshot)
            if (TRowStore* nested = FLayout->NestedStore(row->Data(), col)) nested->TakeRowsFrom(*copy);
    return true;
}

void TCustomClientDataSet::InternalEndEdit() {
    for (auto& [col, copy] : FNestedSnapshot)
        delete copy;
    FNestedSnapshot.clear();
}

bool TCustomClientDataSet::InternalMasterRows(bool again) {
    TRowStore* store = FDataSetField->NestedStore();
    if (store == Store() && !again) return false;
    // No master row: an empty level until there is one.
    if (!store) store = new TRowStore(FLayout);
    FreeEditBuffer();
    FOrder.Attach(store);
    return true;
}

bool TCustomClientDataSet::CanFetchMore() const {
    return FFetchOnDemand && Store() && !Store()->Complete && !FDataSetField && !FProviderName.empty();
}

int TCustomClientDataSet::GetNextPacket() {
    CheckActive();
    TRowStore* store = Store();
    if (!store || store->Complete || FProviderName.empty() || FDataSetField) return 0;
    Variant ownerData = store->OwnerData;
    Variant packet = CallGetRecords(FPacketRecords == 0 ? -1 : FPacketRecords, 0, ownerData);
    const Variant rows = PacketRows(packet);
    const int before = static_cast<int>(store->Rows.size());
    CheckOrder();
    TRow* cur = CurrentRow();
    const int keep = cur ? cur->Id : 0;
    store->LoadRows(rows);
    store->Complete = PacketFlags(packet) & pfComplete;
    store->OwnerData = ownerData;
    const int added = static_cast<int>(store->Rows.size()) - before;
    RebuildOrder(keep);
    if (added > 0) {
        FEof = false;
        DataEvent(deDataSetChange);
    }
    return added;
}

void TCustomClientDataSet::FetchAll() {
    CheckActive();
    const int saved = FPacketRecords;
    FPacketRecords = -1;
    try {
        while (GetNextPacket() > 0) {
        }
    } catch (...) {
        FPacketRecords = saved;
        throw;
    }
    FPacketRecords = saved;
}

// ---- indexes ----

void TCustomClientDataSet::UpdateIndex() {
    std::vector<TRowOrder::TKey> keys;
    std::vector<AnsiString> names, desc, caseIns;
    bool allDesc = false, allCaseIns = false;
    if (!FLayout) {
    } else if (!FIndexFieldNames.empty()) {
        names = SplitFieldNames(FIndexFieldNames);
    } else if (!FIndexName.empty()) {
        TIndexDef* def = FIndexDefs->Find(FIndexName);
        names = SplitFieldNames(def->Fields());
        desc = SplitFieldNames(def->DescFields());
        caseIns = SplitFieldNames(def->CaseInsFields());
        allDesc = def->Options().Contains(ixDescending) && desc.empty();
        allCaseIns = def->Options().Contains(ixCaseInsensitive) && caseIns.empty();
    }
    auto in = [](const std::vector<AnsiString>& list, const AnsiString& name) {
        return std::any_of(list.begin(), list.end(), [&](const AnsiString& n) { return SameIdent(n, name); });
    };
    for (const AnsiString& name : names) {
        const int col = FLayout->IndexOf(name);
        if (col < 0) DatabaseError("Field '" + name + "' not found", this);
        keys.push_back({col, allDesc || in(desc, name), allCaseIns || in(caseIns, name)});
    }
    FOrder.SetKeys(std::move(keys));
}

void TCustomClientDataSet::ApplyIndexChange() {
    if (!Active()) return;
    CheckBrowseMode();
    CheckOrder();
    TRow* cur = CurrentRow();
    UpdateIndex();
    RebuildOrder(cur ? cur->Id : 0);
    Resync();
}

void TCustomClientDataSet::SetIndexName(const AnsiString& value) {
    if (Active() && !value.empty()) FIndexDefs->Find(value);
    FIndexName = value;
    if (!value.empty()) FIndexFieldNames.clear();
    ApplyIndexChange();
}

void TCustomClientDataSet::SetIndexFieldNames(const AnsiString& value) {
    FIndexFieldNames = value;
    if (!value.empty()) FIndexName.clear();
    ApplyIndexChange();
}

int TCustomClientDataSet::OrderedCount() const {
    if (!Active()) return 0;
    CheckOrder();
    return FOrder.Count();
}

// ---- the change log ----

int TCustomClientDataSet::ChangeCount() const {
    return Active() && Store() ? Store()->ChangeCount() : 0;
}

TUpdateStatus TCustomClientDataSet::UpdateStatus() const {
    if (FState == dsInsert) return usInserted;
    CheckOrder();
    TRow* row = CurrentRow();
    return row ? row->Status : usUnmodified;
}

void TCustomClientDataSet::RefreshNested() {
    for (int i = 0; i < FieldCount(); ++i)
        if (auto* df = AsDataSetField(Fields()->Fields(i)))
            if (df->NestedDataSet()) df->NestedDataSet()->RefreshFromMaster();
}

void TCustomClientDataSet::CancelUpdates() {
    CheckActive();
    for (int i = 0; i < FieldCount(); ++i)
        if (auto* df = AsDataSetField(Fields()->Fields(i)))
            if (df->NestedDataSet() && df->NestedDataSet()->Active()) df->NestedDataSet()->Cancel();
    Cancel();
    CheckOrder();
    TRow* cur = CurrentRow();
    const int keep = cur ? cur->Id : 0;
    Store()->CancelUpdates();
    RebuildOrder(keep);
    FBof = FCurrent <= 0;
    FEof = RowCount() == 0;
    Resync();
    RefreshNested();
}

void TCustomClientDataSet::MergeChangeLog() {
    CheckBrowseMode();
    CheckOrder();
    TRow* cur = CurrentRow();
    const int keep = cur ? cur->Id : 0;
    Store()->MergeChangeLog();
    RebuildOrder(keep);
    Resync();
}

void TCustomClientDataSet::RevertRecord() {
    CheckActive();
    if (FState == dsEdit || FState == dsInsert) Cancel();
    CheckOrder();
    TRow* row = CurrentRow();
    if (!row) return;
    // An inserted row is freed by its removal: nothing of it is read after.
    const int keep = row->Status == usInserted ? 0 : row->Id;
    if (keep)
        Store()->RevertRow(row);
    else
        Store()->Remove(row);
    ++Store()->Version;
    RebuildOrder(keep);
    Resync();
    RefreshNested();
}

Variant TCustomClientDataSet::Delta() const {
    CheckActive();
    Variant rows = Store()->DeltaRows();
    if (VarIsEmpty(rows)) rows = VarArrayOf(std::vector<Variant>{});
    return MakeDataPacket(FLayout->PacketFields(), std::move(rows), pfDelta);
}

TCustomClientDataSet* TCustomClientDataSet::ReconcileTarget(TRowStore* store) {
    if (store == Store()) return this;
    for (int i = 0; i < FieldCount(); ++i)
        if (auto* df = AsDataSetField(Fields()->Fields(i)))
            if (auto* nested = dynamic_cast<TCustomClientDataSet*>(df->NestedDataSet())) {
                if (nested->FOnReconcileError) return nested;
            }
    return this;
}

void TCustomClientDataSet::MergeExcept(TRowStore* store, const std::vector<int>& keep) {
    std::vector<TRow*> rows;
    for (TRow* row : store->Rows) {
        const bool kept = std::find(keep.begin(), keep.end(), row->Id) != keep.end();
        if (!kept) {
            if (row->Deleted) {
                store->FreeRow(row);
                continue;
            }
            store->AcceptRow(row);
        }
        for (int i = 0; i < static_cast<int>(store->Layout->Columns.size()); ++i)
            if (store->Layout->Columns[i].Kind == skNested)
                if (TRowStore* nested = store->Layout->NestedStore(row->Data(), i)) MergeExcept(nested, keep);
        rows.push_back(row);
    }
    store->Rows = std::move(rows);
    ++store->Version;
}

int TCustomClientDataSet::ApplyUpdates(int maxErrors) {
    CheckActive();
    if (FDataSetField) {
        if (auto* master = dynamic_cast<TCustomClientDataSet*>(FDataSetField->DataSet()))
            return master->ApplyUpdates(maxErrors);
    }
    CheckBrowseMode();
    if (ChangeCount() == 0) return 0;
    Variant server = AppServer();
    if (VarIsEmpty(server)) DatabaseError("Remote server has no application server", this);
    const Variant delta = Delta();
    Variant errorCount = 0;
    Variant ownerData = FDataRequest;
    Variant result = VarCall(server, AS_ApplyUpdates,
                             {FProviderName, delta, maxErrors, ByRef(errorCount), ByRef(ownerData)});
    if (VarArrayLength(result) < epSlotCount)
        DatabaseError("Invalid answer of provider '" + FProviderName + "'", this);
    bool committed;
    std::vector<Variant> errors;
    {
        TVarArrayView answer(result);
        committed = answer[epCommitted].AsBoolean();
        TVarArrayView list(answer[epErrors]);
        for (int i = 0; i < list.Count(); ++i)
            errors.push_back(list[i]);
    }
    std::vector<int> keep;
    bool aborted = false;
    for (const Variant& entry : errors) {
        if (VarArrayLength(entry) < reCurrentValues) continue;
        TVarArrayView e(entry);
        const int rowId = e[reRowId].AsInteger();
        TRowStore* owner = nullptr;
        TRow* row = Store()->FindRow(rowId, &owner);
        if (!row) continue;
        if (aborted) {
            keep.push_back(rowId);
            continue;
        }
        const TUpdateKind kind = row->Status == usInserted  ? ukInsert
                                 : row->Status == usDeleted ? ukDelete
                                                            : ukModify;
        EReconcileError error(VarToStr(e[reMessage]), e[reErrorCode].AsInteger(),
                              e[rePreviousError].AsInteger(), VarToStr(e[reContext]));
        TReconcileAction action = raSkip;
        TCustomClientDataSet* target = ReconcileTarget(owner);
        if (target->FOnReconcileError) target->FOnReconcileError(target, &error, kind, action);
        switch (action) {
        case raMerge:
            break;
        case raCancel:
        case raRefresh:
            if (action == raRefresh && VarIsArray(e[reCurrentValues])) {
                int col = 0;
                TVarArrayView values(e[reCurrentValues]);
                for (int i = 0; i < static_cast<int>(owner->Layout->Columns.size()); ++i) {
                    const TColumn& c = owner->Layout->Columns[i];
                    if (!c.Stored) continue;
                    if (c.Kind != skNested) owner->Layout->SetValue(row->Data(), i, values[col]);
                    ++col;
                }
                owner->AcceptRow(row);
            } else if (row->Status == usInserted) {
                owner->Remove(row);
            } else {
                owner->RevertRow(row);
            }
            ++owner->Version;
            break;
        case raAbort:
            aborted = true;
            keep.push_back(rowId);
            break;
        default:
            keep.push_back(rowId);
        }
    }
    if (committed) MergeExcept(Store(), keep);
    CheckOrder();
    Resync();
    RefreshNested();
    return errorCount.AsInteger();
}

// ---- packets ----

Variant TCustomClientDataSet::Data() const {
    if (!Active()) return FPendingData;
    return MakeDataPacket(FLayout->PacketFields(), Store()->PacketRows(), Store()->Complete ? pfComplete : 0);
}

void TCustomClientDataSet::SetData(const Variant& value) {
    if (Active()) Close();
    if (VarIsEmpty(value) || VarIsNull(value)) {
        FPendingData = Variant();
        return;
    }
    ReadPacketFields(value); // refuses a bad packet before anything changes
    FPendingData = value;
    Open();
}

void TCustomClientDataSet::SaveToFile(const AnsiString& fileName) const {
    TMarshalWriter writer;
    writer.WriteVariant(Data());
    std::ofstream out(NativePath(fileName), std::ios::binary | std::ios::trunc);
    if (!out) throw EInOutError("Cannot create file " + fileName, 2);
    out.write(writer.Bytes().data(), static_cast<std::streamsize>(writer.Bytes().size()));
    if (!out) throw EInOutError("Cannot write file " + fileName, 29);
}

void TCustomClientDataSet::LoadFromFile(const AnsiString& fileName) {
    std::ifstream in(NativePath(fileName), std::ios::binary);
    if (!in) throw EInOutError("Cannot open file " + fileName, 2);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TMarshalReader reader(bytes);
    Variant packet = reader.ReadVariant();
    reader.ExpectEnd();
    SetData(packet);
}

void TCustomClientDataSet::CreateDataSet() {
    CheckInactive();
    std::vector<TPacketField> fields;
    if (FFieldDefs->Count() > 0) {
        fields = FFieldDefs->ToPacketFields();
    } else {
        for (int i = 0; i < FieldCount(); ++i) {
            TField* f = Fields()->Fields(i);
            if (f->FieldKind() != fkData) continue;
            fields.push_back({f->FieldName(), f->DataType(), f->Size(), f->Required() ? faRequired : 0, {}});
        }
    }
    if (fields.empty()) DatabaseError("Field definitions are required", this);
    FPendingData = MakeDataPacket(fields, VarArrayOf(std::vector<Variant>{}), pfComplete);
    Open();
}

void TCustomClientDataSet::EmptyDataSet() {
    CheckActive();
    Cancel();
    Store()->Clear();
    FOrder.Rebuild();
    FCurrent = -1;
    FBof = FEof = true;
    Resync();
    RefreshNested();
}

// ---- clones ----

void TCustomClientDataSet::CloneCursor(TCustomClientDataSet* source, bool reset, bool keepSettings) {
    if (!source) DatabaseError("No source dataset to clone", this);
    source->CheckActive();
    Close();
    source->CheckOrder();
    TRow* cur = source->CurrentRow();
    const int rowId = cur ? cur->Id : 0;
    if (reset) {
        FIndexName.clear();
        FIndexFieldNames.clear();
    } else if (!keepSettings) {
        FIndexDefs->Assign(source->FIndexDefs);
        FIndexName = source->FIndexName;
        FIndexFieldNames = source->FIndexFieldNames;
        SetReadOnly(source->ReadOnly());
    }
    FCloneStore = source->Store();
    FCloneStore->AddRef();
    try {
        Open();
    } catch (...) {
        if (FCloneStore) {
            FCloneStore->Release();
            FCloneStore = nullptr;
        }
        throw;
    }
    const int i = FindRowIndex(rowId);
    if (i >= 0) {
        SetCurrent(i);
        FBof = FEof = false;
        Resync();
    }
}

KVR_PUBLISHED(TCustomClientDataSet, c) {
    (void)c;
}

KVR_PUBLISHED(TClientDataSet, c) {
    c.Property("CommandText", &TClientDataSet::CommandText, &TClientDataSet::SetCommandText);
    c.Property("DataSetField", &TClientDataSet::DataSetField, &TClientDataSet::SetDataSetField);
    c.Property("FetchOnDemand", &TClientDataSet::FetchOnDemand, &TClientDataSet::SetFetchOnDemand).Default(1);
    c.Property("IndexDefs", &TClientDataSet::IndexDefs, nullptr);
    c.Property("IndexFieldNames", &TClientDataSet::IndexFieldNames, &TClientDataSet::SetIndexFieldNames);
    c.Property("IndexName", &TClientDataSet::IndexName, &TClientDataSet::SetIndexName);
    c.Property("PacketRecords", &TClientDataSet::PacketRecords, &TClientDataSet::SetPacketRecords)
        .Default(-1);
    c.Property("Params", &TClientDataSet::Params, nullptr);
    c.Property("ProviderName", &TClientDataSet::ProviderName, &TClientDataSet::SetProviderName);
    c.Property("ReadOnly", &TClientDataSet::ReadOnly, &TClientDataSet::SetReadOnly).Default(0);
    c.Property("RemoteServer", &TClientDataSet::RemoteServer, &TClientDataSet::SetRemoteServer);
    c.Property("OnReconcileError", &TClientDataSet::OnReconcileError, &TClientDataSet::SetOnReconcileError);
}
