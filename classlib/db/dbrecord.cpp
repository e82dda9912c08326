#include "classlib/db/dbrecord.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "classlib/objects/typeinfo.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"

namespace {
std::atomic<int> GNextRowId{0};

TStorageKind KindOf(TFieldType type) {
    switch (type) {
    case ftSmallint:
        return skInt16;
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return skInt32;
    case ftLargeint:
        return skInt64;
    case ftFloat:
    case ftBCD:
    case ftFMTBcd:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
        return skDouble;
    case ftCurrency:
        return skCurrency;
    case ftBoolean:
        return skBool;
    case ftString:
    case ftFixedChar:
    case ftBytes:
    case ftVarBytes:
        return skInline;
    case ftMemo:
    case ftFmtMemo:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
        return skHeap;
    case ftDataSet:
        return skNested;
    default:
        return skVariant;
    }
}

int WidthOf(const TColumn& c) {
    switch (c.Kind) {
    case skInt16:
        return 2;
    case skInt32:
        return 4;
    case skBool:
        return 1;
    case skInline:
        return 2 + c.Size;
    default:
        return 8;
    }
}

bool IsBinary(TFieldType t) {
    return t == ftBytes || t == ftVarBytes || t == ftBlob || t == ftGraphic || t == ftTypedBinary;
}

AnsiString BytesOf(const Variant& v) {
    if (VarIsArray(v) && (VarType(v) & varTypeMask) == varByte) {
        Variant copy = v;
        const int n = VarArrayHighBound(copy, 1) - VarArrayLowBound(copy, 1) + 1;
        const char* p = static_cast<const char*>(VarArrayLock(copy));
        AnsiString s(p, p + n);
        VarArrayUnlock(copy);
        return s;
    }
    return v.AsString();
}

Variant BytesVariant(const AnsiString& s) {
    Variant v = VarArrayCreate({0, static_cast<int>(s.size()) - 1}, varByte);
    if (!s.empty()) {
        std::memcpy(VarArrayLock(v), s.data(), s.size());
        VarArrayUnlock(v);
    }
    return v;
}

template <class T> T Load(const Byte* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T> void Store(Byte* p, T v) {
    std::memcpy(p, &v, sizeof v);
}
} // namespace

int NewRowId() {
    return ++GNextRowId;
}

std::shared_ptr<TRecordLayout> TRecordLayout::Build(const std::vector<TPacketField>& fields,
                                                    const std::vector<TPacketField>& internalCalc) {
    auto layout = std::make_shared<TRecordLayout>();
    auto add = [&](const TPacketField& f, bool stored) {
        TColumn c;
        c.Name = f.Name;
        c.DataType = f.DataType;
        c.Size = f.Size;
        c.Attributes = f.Attributes;
        c.Kind = KindOf(f.DataType);
        c.Stored = stored;
        if (c.Kind == skInline && c.Size <= 0)
            c.Size = f.DataType == ftBytes || f.DataType == ftVarBytes ? 16 : 20;
        if (c.Kind == skNested) {
            c.Nested = Build(f.Nested);
            layout->HasNested = true;
        }
        if (c.Kind == skHeap || c.Kind == skVariant) layout->HasOutOfLine = true;
        layout->Columns.push_back(std::move(c));
    };
    for (const TPacketField& f : fields)
        add(f, true);
    for (const TPacketField& f : internalCalc)
        add(f, false);
    const int n = static_cast<int>(layout->Columns.size());
    layout->NullBytes = (n + 7) / 8;
    // Eight-byte columns first, then the narrower ones, so nothing needs padding.
    int offset = (layout->NullBytes + 7) & ~7;
    for (int pass = 0; pass < 2; ++pass)
        for (TColumn& c : layout->Columns) {
            const int w = WidthOf(c);
            if ((w == 8) != (pass == 0)) continue;
            c.Offset = offset;
            offset += w;
        }
    layout->RecordSize = (offset + 7) & ~7;
    return layout;
}

int TRecordLayout::IndexOf(const AnsiString& name) const {
    for (std::size_t i = 0; i < Columns.size(); ++i)
        if (SameIdent(Columns[i].Name, name)) return static_cast<int>(i);
    return -1;
}

std::vector<TPacketField> TRecordLayout::PacketFields() const {
    std::vector<TPacketField> out;
    for (const TColumn& c : Columns) {
        if (!c.Stored) continue;
        TPacketField f{c.Name, c.DataType, c.Size, c.Attributes, {}};
        if (c.Nested) f.Nested = c.Nested->PacketFields();
        out.push_back(std::move(f));
    }
    return out;
}

int TRecordLayout::RowBytes() const {
    return static_cast<int>(sizeof(TRow)) + RecordSize;
}

void TRecordLayout::InitRecord(Byte* rec) const {
    std::memset(rec, 0, RecordSize);
    std::memset(rec, 0xFF, NullBytes);
}

void TRecordLayout::SetNull(Byte* rec, int col) const {
    const TColumn& c = Columns[col];
    Byte* p = rec + c.Offset;
    if (c.Kind == skHeap) {
        delete Load<AnsiString*>(p);
        Store<AnsiString*>(p, nullptr);
    } else if (c.Kind == skVariant) {
        delete Load<Variant*>(p);
        Store<Variant*>(p, nullptr);
    }
    if (c.Kind != skNested) rec[col >> 3] |= Byte(1u << (col & 7));
}

void TRecordLayout::ClearRecord(Byte* rec) const {
    if (!HasOutOfLine) return;
    for (int i = 0; i < static_cast<int>(Columns.size()); ++i)
        if (Columns[i].Kind == skHeap || Columns[i].Kind == skVariant) SetNull(rec, i);
}

void TRecordLayout::CopyRecord(Byte* dst, const Byte* src, bool shareNested) const {
    ClearRecord(dst);
    std::memcpy(dst, src, RecordSize);
    if (!HasOutOfLine && !HasNested) return;
    for (const TColumn& c : Columns) {
        Byte* p = dst + c.Offset;
        if (c.Kind == skHeap) {
            if (auto* s = Load<AnsiString*>(p)) Store(p, new AnsiString(*s));
        } else if (c.Kind == skVariant) {
            if (auto* v = Load<Variant*>(p)) Store(p, new Variant(*v));
        } else if (c.Kind == skNested && !shareNested) {
            Store<TRowStore*>(p, nullptr);
        }
    }
}

Byte* TRecordLayout::NewRecord() const {
    Byte* rec = new Byte[RecordSize];
    InitRecord(rec);
    return rec;
}

Byte* TRecordLayout::NewCopy(const Byte* src, bool shareNested) const {
    Byte* rec = NewRecord();
    CopyRecord(rec, src, shareNested);
    return rec;
}

void TRecordLayout::FreeRecord(Byte* rec) const {
    if (!rec) return;
    ClearRecord(rec);
    delete[] rec;
}

TRowStore* TRecordLayout::NestedStore(const Byte* rec, int col) const {
    return Load<TRowStore*>(rec + Columns[col].Offset);
}

bool TRecordLayout::GetString(const Byte* rec, int col, AnsiString& value) const {
    if (IsNull(rec, col)) {
        value.clear();
        return false;
    }
    const TColumn& c = Columns[col];
    const Byte* p = rec + c.Offset;
    if (c.Kind == skInline) {
        const Word n = Load<Word>(p);
        value.assign(reinterpret_cast<const char*>(p + 2), n);
        return true;
    }
    if (c.Kind == skHeap) {
        auto* s = Load<AnsiString*>(p);
        value = s ? *s : AnsiString();
        return true;
    }
    value = VarToStr(GetValue(rec, col));
    return true;
}

void TRecordLayout::SetString(Byte* rec, int col, const AnsiString& value) const {
    const TColumn& c = Columns[col];
    Byte* p = rec + c.Offset;
    if (c.Kind == skInline) {
        if (static_cast<int>(value.size()) > c.Size)
            throw EDatabaseError("Value of field '" + c.Name + "' is too long (" +
                                 std::to_string(value.size()) + " bytes; the field holds " +
                                 std::to_string(c.Size) + ")");
        Store<Word>(p, static_cast<Word>(value.size()));
        std::memcpy(p + 2, value.data(), value.size());
        rec[col >> 3] &= Byte(~(1u << (col & 7)));
        return;
    }
    if (c.Kind == skHeap) {
        auto* s = Load<AnsiString*>(p);
        if (s)
            *s = value;
        else
            Store(p, new AnsiString(value));
        rec[col >> 3] &= Byte(~(1u << (col & 7)));
        return;
    }
    SetValue(rec, col, Variant(value));
}

Variant TRecordLayout::GetValue(const Byte* rec, int col) const {
    const TColumn& c = Columns[col];
    if (c.Kind == skNested) return Variant();
    if (IsNull(rec, col)) return Null();
    const Byte* p = rec + c.Offset;
    switch (c.Kind) {
    case skInt16:
        return Variant(static_cast<int>(Load<short>(p)));
    case skInt32:
        return Variant(Load<int>(p));
    case skInt64:
        return Variant(static_cast<long long>(Load<Int64>(p)));
    case skDouble:
        if (c.DataType == ftDate || c.DataType == ftTime || c.DataType == ftDateTime ||
            c.DataType == ftTimeStamp)
            return VarFromDateTime(Load<double>(p));
        return Variant(Load<double>(p));
    case skCurrency:
        return VarFromScaledCurrency(Load<Int64>(p));
    case skBool:
        return Variant(p[0] != 0);
    case skInline:
    case skHeap: {
        AnsiString s;
        GetString(rec, col, s);
        return IsBinary(c.DataType) ? BytesVariant(s) : Variant(s);
    }
    case skVariant: {
        auto* v = Load<Variant*>(p);
        return v ? *v : Null();
    }
    default:
        return Variant();
    }
}

void TRecordLayout::SetValue(Byte* rec, int col, const Variant& value) const {
    const TColumn& c = Columns[col];
    if (c.Kind == skNested) return;
    if (VarIsNull(value) || (VarIsEmpty(value) && c.Kind != skVariant)) {
        SetNull(rec, col);
        return;
    }
    Byte* p = rec + c.Offset;
    switch (c.Kind) {
    case skInt16: {
        const int v = value.AsInteger();
        if (v < -32768 || v > 32767)
            throw EDatabaseError(std::to_string(v) + " is not a valid value for field '" + c.Name + "'");
        Store<short>(p, static_cast<short>(v));
        break;
    }
    case skInt32:
        Store<int>(p, value.AsInteger());
        break;
    case skInt64:
        Store<Int64>(p, value.AsInt64());
        break;
    case skDouble:
        Store<double>(p, value.VType() == varDate ? value.AsDateTime() : value.AsFloat());
        break;
    case skCurrency:
        Store<Int64>(p, VarToScaledCurrency(value));
        break;
    case skBool:
        p[0] = value.AsBoolean() ? 1 : 0;
        break;
    case skInline:
    case skHeap:
        SetString(rec, col, IsBinary(c.DataType) ? BytesOf(value) : value.AsString());
        return;
    case skVariant: {
        auto* v = Load<Variant*>(p);
        if (v)
            *v = value;
        else
            Store(p, new Variant(value));
        break;
    }
    default:
        return;
    }
    rec[col >> 3] &= Byte(~(1u << (col & 7)));
}

bool TRecordLayout::SameValues(const Byte* a, const Byte* b) const {
    for (int i = 0; i < static_cast<int>(Columns.size()); ++i) {
        const TColumn& c = Columns[i];
        if (!c.Stored || c.Kind == skNested) continue;
        if (IsNull(a, i) != IsNull(b, i)) return false;
        if (IsNull(a, i)) continue;
        if (c.Kind == skHeap || c.Kind == skVariant) {
            if (!VarSameValue(GetValue(a, i), GetValue(b, i))) return false;
        } else if (c.Kind == skInline) {
            const Word n = Load<Word>(a + c.Offset);
            if (n != Load<Word>(b + c.Offset) || std::memcmp(a + c.Offset + 2, b + c.Offset + 2, n) != 0)
                return false;
        } else if (std::memcmp(a + c.Offset, b + c.Offset, WidthOf(c)) != 0) {
            return false;
        }
    }
    return true;
}

int TRecordLayout::Compare(const Byte* a, const Byte* b, int col, bool caseInsensitive) const {
    const bool na = IsNull(a, col), nb = IsNull(b, col);
    if (na || nb) return na == nb ? 0 : na ? -1 : 1;
    const TColumn& c = Columns[col];
    const Byte* pa = a + c.Offset;
    const Byte* pb = b + c.Offset;
    auto cmp = [](auto x, auto y) { return x < y ? -1 : y < x ? 1 : 0; };
    switch (c.Kind) {
    case skInt16:
        return cmp(Load<short>(pa), Load<short>(pb));
    case skInt32:
        return cmp(Load<int>(pa), Load<int>(pb));
    case skInt64:
    case skCurrency:
        return cmp(Load<Int64>(pa), Load<Int64>(pb));
    case skDouble:
        return cmp(Load<double>(pa), Load<double>(pb));
    case skBool:
        return cmp(pa[0], pb[0]);
    case skInline:
    case skHeap: {
        AnsiString sa, sb;
        GetString(a, col, sa);
        GetString(b, col, sb);
        const int r = caseInsensitive ? CompareText(sa, sb) : CompareStr(sa, sb);
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    case skVariant: {
        const TVariantRelationship r = VarCompareValue(GetValue(a, col), GetValue(b, col));
        return r == vrLessThan ? -1 : r == vrGreaterThan ? 1 : 0;
    }
    default:
        return 0;
    }
}

// ---- row stores ----

TRowStore::~TRowStore() {
    Clear();
}

TRow* TRowStore::AllocRow() const {
    void* mem = ::operator new(sizeof(TRow) + Layout->RecordSize);
    return new (mem) TRow();
}

TRow* TRowStore::NewRow() {
    TRow* row = AllocRow();
    row->Id = NewRowId();
    Layout->InitRecord(row->Data());
    if (Layout->HasNested)
        for (const TColumn& c : Layout->Columns)
            if (c.Kind == skNested) {
                auto* nested = new TRowStore(c.Nested);
                nested->AddRef();
                Store<TRowStore*>(row->Data() + c.Offset, nested);
            }
    return row;
}

void TRowStore::FreeRow(TRow* row) {
    Layout->ClearRecord(row->Data());
    if (Layout->HasNested)
        for (const TColumn& c : Layout->Columns)
            if (c.Kind == skNested)
                if (TRowStore* nested = Load<TRowStore*>(row->Data() + c.Offset)) nested->Release();
    DropOriginal(row);
    row->~TRow();
    ::operator delete(row);
}

void TRowStore::Insert(TRow* row, const TRow* before) {
    auto it = before ? std::find(Rows.begin(), Rows.end(), before) : Rows.end();
    Rows.insert(it, row);
    ++Version;
    Touch(row);
}

void TRowStore::Remove(TRow* row) {
    for (auto it = Rows.begin(); it != Rows.end(); ++it)
        if (*it == row) {
            Rows.erase(it);
            break;
        }
    FreeRow(row);
    ++Version;
    Touch();
}

void TRowStore::Clear() {
    for (TRow* row : Rows)
        FreeRow(row);
    Rows.clear();
    ++Version;
    Touch();
}

int TRowStore::ChangeCount() const {
    int n = 0;
    for (const TRow* row : Rows) {
        if (row->Status != usUnmodified) ++n;
        if (Layout->HasNested)
            for (int i = 0; i < static_cast<int>(Layout->Columns.size()); ++i)
                if (Layout->Columns[i].Kind == skNested)
                    if (TRowStore* s = Layout->NestedStore(row->Data(), i)) n += s->ChangeCount();
    }
    return n;
}

TRow* TRowStore::FindRow(int id, TRowStore** owner) {
    for (TRow* row : Rows) {
        if (row->Id == id) {
            if (owner) *owner = this;
            return row;
        }
        if (Layout->HasNested)
            for (int i = 0; i < static_cast<int>(Layout->Columns.size()); ++i)
                if (Layout->Columns[i].Kind == skNested)
                    if (TRowStore* s = Layout->NestedStore(row->Data(), i))
                        if (TRow* found = s->FindRow(id, owner)) return found;
    }
    return nullptr;
}

void TRowStore::KeepOriginal(TRow* row, const Byte* values) {
    if (!row->Original) row->Original = Layout->NewCopy(values ? values : row->Data(), false);
}

void TRowStore::DropOriginal(TRow* row) {
    Layout->FreeRecord(row->Original);
    row->Original = nullptr;
}

bool TRowStore::PostEdit(TRow* row, const Byte* values) {
    if (Layout->SameValues(values, row->Data())) return false;
    if (row->Status == usUnmodified) {
        KeepOriginal(row);
        row->Status = usModified;
    }
    Layout->CopyRecord(row->Data(), values, true);
    Touch(row);
    return true;
}

void TRowStore::DeleteRow(TRow* row) {
    if (row->Status == usInserted) {
        Remove(row);
        return;
    }
    KeepOriginal(row);
    row->Status = usDeleted;
    row->Deleted = true;
    ++Version;
    Touch();
}

void TRowStore::AcceptRow(TRow* row) {
    DropOriginal(row);
    row->Status = usUnmodified;
    row->Deleted = false;
    Touch(); // after a refresh from the server, or a revert, the values are others
}

void TRowStore::RevertRow(TRow* row) {
    if (row->Original) {
        // Keep the nested stores of the current values: they are reverted on their own.
        Byte* data = row->Data();
        std::vector<TRowStore*> nested;
        for (const TColumn& c : Layout->Columns)
            if (c.Kind == skNested) nested.push_back(Load<TRowStore*>(data + c.Offset));
        Layout->CopyRecord(data, row->Original, false);
        std::size_t k = 0;
        for (const TColumn& c : Layout->Columns)
            if (c.Kind == skNested) Store<TRowStore*>(data + c.Offset, nested[k++]);
    }
    AcceptRow(row);
}

void TRowStore::CancelUpdates() {
    std::vector<TRow*> keep;
    for (TRow* row : Rows) {
        if (row->Status == usInserted) {
            FreeRow(row);
            continue;
        }
        RevertRow(row);
        if (Layout->HasNested)
            for (int i = 0; i < static_cast<int>(Layout->Columns.size()); ++i)
                if (Layout->Columns[i].Kind == skNested)
                    if (TRowStore* s = Layout->NestedStore(row->Data(), i)) s->CancelUpdates();
        keep.push_back(row);
    }
    Rows = std::move(keep);
    ++Version;
    Touch();
}

void TRowStore::MergeChangeLog() {
    std::vector<TRow*> keep;
    for (TRow* row : Rows) {
        if (row->Deleted) {
            FreeRow(row);
            continue;
        }
        AcceptRow(row);
        if (Layout->HasNested)
            for (int i = 0; i < static_cast<int>(Layout->Columns.size()); ++i)
                if (Layout->Columns[i].Kind == skNested)
                    if (TRowStore* s = Layout->NestedStore(row->Data(), i)) s->MergeChangeLog();
        keep.push_back(row);
    }
    Rows = std::move(keep);
    ++Version;
    Touch();
}

void TRowStore::LoadRows(const Variant& rows) {
    TVarArrayView list(rows);
    const int columns = static_cast<int>(Layout->Columns.size());
    // All the rows or none: a row that does not fit leaves the store as it was.
    std::vector<TRow*> loaded;
    loaded.reserve(list.Count());
    try {
        for (int r = 0; r < list.Count(); ++r) {
            TVarArrayView values(list[r]);
            TRow* row = NewRow();
            loaded.push_back(row);
            for (int i = 0, v = 0; i < columns; ++i) {
                const TColumn& c = Layout->Columns[i];
                if (!c.Stored) continue;
                const Variant& value = values[v++];
                if (c.Kind == skNested) {
                    if (VarIsArray(value)) Layout->NestedStore(row->Data(), i)->LoadRows(value);
                } else {
                    Layout->SetValue(row->Data(), i, value);
                }
            }
        }
    } catch (...) {
        for (TRow* row : loaded)
            FreeRow(row);
        throw;
    }
    Rows.insert(Rows.end(), loaded.begin(), loaded.end());
    ++Version;
    Touch();
}

Variant TRowStore::RowValues(const TRow* row, bool current) const {
    const Byte* data = current || !row->Original ? row->Data() : row->Original;
    std::vector<Variant> values;
    values.reserve(Layout->Columns.size());
    for (int i = 0; i < static_cast<int>(Layout->Columns.size()); ++i) {
        const TColumn& c = Layout->Columns[i];
        if (!c.Stored) continue;
        if (c.Kind == skNested) {
            TRowStore* s = current ? Layout->NestedStore(row->Data(), i) : nullptr;
            values.push_back(s ? s->PacketRows() : Variant());
        } else {
            values.push_back(Layout->GetValue(data, i));
        }
    }
    return VarArrayFromVector(std::move(values));
}

Variant TRowStore::PacketRows() const {
    std::vector<Variant> rows;
    rows.reserve(Rows.size());
    for (const TRow* row : Rows)
        if (!row->Deleted) rows.push_back(RowValues(row, true));
    return VarArrayFromVector(std::move(rows));
}

Variant TRowStore::DeltaRows() const {
    std::vector<Variant> rows;
    for (const TRow* row : Rows) {
        if (row->Status == usUnmodified && !Layout->HasNested) continue;
        std::vector<Variant> values;
        bool nestedChanged = false;
        for (int i = 0; i < static_cast<int>(Layout->Columns.size()); ++i) {
            const TColumn& c = Layout->Columns[i];
            if (!c.Stored) continue;
            if (c.Kind == skNested) {
                TRowStore* s = Layout->NestedStore(row->Data(), i);
                Variant nested = s ? s->DeltaRows() : Variant();
                nestedChanged = nestedChanged || !VarIsEmpty(nested);
                values.push_back(nested);
            } else {
                values.push_back(Layout->GetValue(row->Data(), i));
            }
        }
        if (row->Status == usUnmodified && !nestedChanged) continue;
        Variant old;
        if (row->Status != usInserted) {
            std::vector<Variant> o;
            const Byte* data = row->Original ? row->Original : row->Data();
            for (int i = 0; i < static_cast<int>(Layout->Columns.size()); ++i) {
                const TColumn& c = Layout->Columns[i];
                if (!c.Stored) continue;
                o.push_back(c.Kind == skNested ? Variant() : Layout->GetValue(data, i));
            }
            old = VarArrayFromVector(std::move(o));
        }
        rows.push_back(
            MakeDeltaRow(row->Status, row->Id, VarArrayFromVector(std::move(values)), std::move(old)));
    }
    if (rows.empty()) return Variant();
    return VarArrayFromVector(std::move(rows));
}

TRowStore* TRowStore::Clone() const {
    auto* copy = new TRowStore(Layout);
    copy->Complete = Complete;
    copy->OwnerData = OwnerData;
    copy->Rows.reserve(Rows.size());
    for (const TRow* row : Rows) {
        TRow* r = AllocRow();
        r->Id = row->Id;
        r->Status = row->Status;
        r->Deleted = row->Deleted;
        Layout->InitRecord(r->Data());
        Layout->CopyRecord(r->Data(), row->Data(), false);
        if (row->Original) copy->KeepOriginal(r, row->Original);
        for (const TColumn& c : Layout->Columns)
            if (c.Kind == skNested) {
                TRowStore* nested = Load<TRowStore*>(row->Data() + c.Offset);
                TRowStore* nestedCopy = nested ? nested->Clone() : new TRowStore(c.Nested);
                nestedCopy->AddRef();
                Store<TRowStore*>(r->Data() + c.Offset, nestedCopy);
            }
        copy->Rows.push_back(r);
    }
    return copy;
}

void TRowStore::TakeRowsFrom(TRowStore& other) {
    for (TRow* row : Rows)
        FreeRow(row);
    Rows = std::move(other.Rows);
    other.Rows.clear();
    ++Version;
    Touch();
}

// ---- the order of a cursor ----

void TRowOrder::Attach(TRowStore* store) {
    if (store) store->AddRef();
    Detach();
    FStore = store;
    Rebuild();
}

void TRowOrder::Detach() {
    TRowStore* s = FStore;
    FStore = nullptr;
    FRows.clear();
    FVersion = -1;
    if (s) s->Release();
}

void TRowOrder::SetKeys(std::vector<TKey> keys) {
    FKeys = std::move(keys);
    Rebuild();
}

bool TRowOrder::Less(const TRow* a, const TRow* b) const {
    for (const TKey& k : FKeys) {
        int r = FStore->Layout->Compare(a->Data(), b->Data(), k.Column, k.CaseInsensitive);
        if (k.Descending) r = -r;
        if (r != 0) return r < 0;
    }
    return false;
}

int TRowOrder::IndexOfId(int rowId) const {
    for (int i = 0; i < Count(); ++i)
        if (FRows[i]->Id == rowId) return i;
    return -1;
}

void TRowOrder::Rebuild() {
    FRows.clear();
    FVersion = -1;
    if (!FStore) return;
    FRows.reserve(FStore->Rows.size());
    for (TRow* row : FStore->Rows)
        if (!row->Deleted) FRows.push_back(row);
    if (HasKeys())
        std::stable_sort(FRows.begin(), FRows.end(),
                         [this](const TRow* a, const TRow* b) { return Less(a, b); });
    FVersion = FStore->Version;
}

bool TRowOrder::Sync(int& index) {
    if (!FStore || FVersion == FStore->Version) return false;
    // The row at index may be gone (freed): it is looked for by id only when it is still stored.
    int keep = 0;
    if (index >= 0 && index < Count()) {
        const TRow* cur = FRows[index];
        if (std::find(FStore->Rows.begin(), FStore->Rows.end(), cur) != FStore->Rows.end()) keep = cur->Id;
    }
    Rebuild();
    if (keep) {
        const int i = IndexOfId(keep);
        if (i >= 0) index = i;
    }
    return true;
}

int TRowOrder::Place(TRow* row, int position) {
    if (HasKeys()) {
        auto it = std::upper_bound(FRows.begin(), FRows.end(), row,
                                   [this](const TRow* a, const TRow* b) { return Less(a, b); });
        position = static_cast<int>(it - FRows.begin());
    } else if (position < 0 || position > Count()) {
        position = Count();
    }
    FRows.insert(FRows.begin() + position, row);
    Stamp();
    return position;
}

int TRowOrder::Reposition(int index) {
    if (!HasKeys()) return index;
    TRow* row = FRows[index];
    FRows.erase(FRows.begin() + index);
    return Place(row, -1);
}

void TRowOrder::Erase(int index) {
    FRows.erase(FRows.begin() + index);
}
