#pragma once
// Row storage of the client data sets: the record layout, the rows with their change log, and the
// order a cursor shows them in. A row is one allocation: the row header, then a fixed record buffer
// laid out by the row store's layout (null bits, then each column at its offset: numbers in place,
// strings and byte fields of a declared size in place with a 2-byte length, memos, blobs and variants
// out of line, a nested data set as a pointer to its row store). So a row costs its raw bytes plus a
// small header.
#include <atomic>
#include <memory>
#include <vector>

#include "classlib/db/datapacket.h"

struct TRowStore;

enum TStorageKind : Byte {
    skInt16,
    skInt32,
    skInt64,
    skDouble,
    skCurrency,
    skBool,
    skInline,
    skHeap,
    skVariant,
    skNested
};

struct TColumn {
    AnsiString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int Attributes = 0;
    TStorageKind Kind = skVariant;
    int Offset = 0;
    bool Stored = true; // false: an internal calculated column, kept with the row but not in packets
    std::shared_ptr<struct TRecordLayout> Nested;
};

struct TRecordLayout {
    std::vector<TColumn> Columns;
    int NullBytes = 0;
    int RecordSize = 0;
    bool HasNested = false;
    bool HasOutOfLine = false;

    static std::shared_ptr<TRecordLayout> Build(const std::vector<TPacketField>& fields,
                                                const std::vector<TPacketField>& internalCalc = {});
    int IndexOf(const AnsiString& name) const;      // -1 when absent
    std::vector<TPacketField> PacketFields() const; // the stored columns, nested ones included

    // Values of a record buffer.
    bool IsNull(const Byte* rec, int col) const { return rec[col >> 3] & (1u << (col & 7)); }
    void SetNull(Byte* rec, int col) const; // frees an out-of-line value; a nested store stays
    Variant GetValue(const Byte* rec, int col) const;
    // Converts the value to the column's type; EDatabaseError for a string longer than the size, a
    // value that does not convert raises as the Variant does.
    void SetValue(Byte* rec, int col, const Variant& value) const;
    bool GetString(const Byte* rec, int col, AnsiString& value) const; // false when null
    void SetString(Byte* rec, int col, const AnsiString& value) const;
    TRowStore* NestedStore(const Byte* rec, int col) const;

    void InitRecord(Byte* rec) const;  // all null, nested slots empty
    void ClearRecord(Byte* rec) const; // frees out-of-line values; nested slots are left alone
    // Copies src into an initialised dst (whose values are freed first); nested slots copy the
    // pointer when shareNested, else become empty.
    void CopyRecord(Byte* dst, const Byte* src, bool shareNested) const;
    // A record buffer of its own (the edit buffer, a row's original values): allocated initialised or
    // as a copy of src, and freed with its out-of-line values.
    Byte* NewRecord() const;
    Byte* NewCopy(const Byte* src, bool shareNested) const;
    void FreeRecord(Byte* rec) const;
    bool SameValues(const Byte* a, const Byte* b) const; // the stored columns other than nested ones
    int Compare(const Byte* a, const Byte* b, int col, bool caseInsensitive) const;
    int RowBytes() const; // a row's allocation
};

struct TRow {
    Byte* Original = nullptr; // the values as delivered, for a modified or deleted row
    int Id = 0;
    TUpdateStatus Status = usUnmodified;
    bool Deleted = false;
    Byte* Data() { return reinterpret_cast<Byte*>(this + 1); }
    const Byte* Data() const { return reinterpret_cast<const Byte*>(this + 1); }
};

// The rows of one level: the top data set's, or one row's nested rows. Shared by the cursors over it
// (clones) and held by its owner row, so it lives while anyone uses it.
struct TRowStore {
    explicit TRowStore(std::shared_ptr<TRecordLayout> layout) : Layout(std::move(layout)) {}
    ~TRowStore();
    TRowStore(const TRowStore&) = delete;
    TRowStore& operator=(const TRowStore&) = delete;

    std::shared_ptr<TRecordLayout> Layout;
    std::vector<TRow*> Rows; // storage order; deleted rows stay until merged
    int Version = 0;         // bumped on every insert or removal, so cursors know to rebuild
    // Every change of the rows' values or of which rows there are counts here. LastRow is the row of
    // the latest change when that change was its insert or edit alone (nil for any other), so that a
    // reader of the rows one change behind can catch up with that row only.
    unsigned Changes = 0;
    TRow* LastRow = nullptr;
    void Touch(TRow* row = nullptr) {
        ++Changes;
        LastRow = row;
    }
    bool Complete = true; // no rows left at the provider
    Variant OwnerData;
    int RefCount = 0;

    void AddRef() { ++RefCount; }
    void Release() {
        if (--RefCount == 0) delete this;
    }

    TRow* NewRow(); // initialised, with empty nested stores, not yet in Rows
    void FreeRow(TRow* row);
    void Insert(TRow* row, const TRow* before); // a new row into Rows, before `before` (nil: at the end)
    void Remove(TRow* row);                     // takes it out of Rows and frees it
    void Clear();
    TRow* FindRow(int id, TRowStore** owner);

    // The change log. A row keeps its values as delivered (its original) from its first change until
    // the change is merged or reverted; these are the only places that make or free one.
    int ChangeCount() const;
    // Posts an edit: false when values hold what the row holds, which logs nothing.
    bool PostEdit(TRow* row, const Byte* values);
    // An inserted row goes; any other stays, marked deleted, with its original, until merged.
    void DeleteRow(TRow* row);
    void AcceptRow(TRow* row); // the row as it stands leaves the log (merged)
    void RevertRow(TRow* row); // back to its original values, nested rows left to their own log
    void CancelUpdates();
    void MergeChangeLog();
    // A deep copy (rows with their ids, states and original values, nested rows too), and taking
    // another store's rows in place of this one's (cursors over this store stay valid).
    TRowStore* Clone() const;
    void TakeRowsFrom(TRowStore& other);
    // Loads packet rows (values by column, nested rows by the nested layout).
    void LoadRows(const Variant& rows);
    Variant RowValues(const TRow* row, bool current) const; // a packet row; nested rows inside
    Variant PacketRows() const;                             // the current rows, deleted ones left out
    Variant DeltaRows() const;                              // delta rows (datapacket.h); Empty if none

private:
    TRow* AllocRow() const;                                     // uninitialised values
    void KeepOriginal(TRow* row, const Byte* values = nullptr); // values: nil for the row's own
    void DropOriginal(TRow* row);
};

// The order a cursor shows one level's rows in: the rows not deleted, sorted by the index keys when
// there are any (stably, so rows of equal keys keep their storage order). Rows added or removed behind
// its back (by another cursor over the same rows, a packet, a reconcile) show in the store's Version;
// Sync rebuilds then.
class TRowOrder {
public:
    struct TKey {
        int Column;
        bool Descending;
        bool CaseInsensitive;
    };
    TRowOrder() = default;
    ~TRowOrder() { Detach(); }
    TRowOrder(const TRowOrder&) = delete;
    TRowOrder& operator=(const TRowOrder&) = delete;

    void Attach(TRowStore* store); // held (AddRef) while attached; the order is built
    void Detach();
    TRowStore* Store() const { return FStore; }
    void SetKeys(std::vector<TKey> keys); // the order is built again
    bool HasKeys() const { return !FKeys.empty(); }

    int Count() const { return static_cast<int>(FRows.size()); }
    TRow* Row(int index) const { return FRows[index]; }
    int IndexOfId(int rowId) const; // -1 when the row is not in the order

    void Rebuild();
    // Rebuilds when the rows changed behind the order's back, and moves `index` to where its row is
    // now (when the row is still stored); false when nothing had changed.
    bool Sync(int& index);
    // A row just posted into the store takes its place: by the keys, else at `position` (-1 or past the
    // end: the end). Answers its position.
    int Place(TRow* row, int position);
    // The row at `index` after its values changed: moved to its place by the keys. Answers its position.
    int Reposition(int index);
    void Erase(int index);
    // The order already shows the store's latest change.
    void Stamp() { FVersion = FStore ? FStore->Version : -1; }

private:
    bool Less(const TRow* a, const TRow* b) const;
    TRowStore* FStore = nullptr;
    std::vector<TRow*> FRows;
    int FVersion = -1;
    std::vector<TKey> FKeys;
};

int NewRowId();
