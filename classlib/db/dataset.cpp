#include "classlib/db/db.h"

#include <algorithm>

#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"

// ---- TDataSet ----

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner), FFields(std::make_unique<TFields>(this)), FFieldDefs(new TFieldDefs(this)) {}

TDataSet::~TDataSet() {
    // The concrete data set has freed its rows (and an insert's record) by now.
    if (!FInsertBuffer && FLayout) FLayout->FreeRecord(FEditBuffer);
    for (TDataSource* source : std::vector<TDataSource*>(FDataSources))
        source->SetDataSet(nullptr);
    if (FDataSetField) FDataSetField->SetNestedDataSet(nullptr);
    for (TField* field : std::vector<TField*>(FFields->FList)) {
        field->FDataSet = nullptr;
        if (field->FDefaultField) delete field;
    }
    FFields->FList.clear();
    delete FFieldDefs;
}

void TDataSet::BeforeDestruction() {
    if (Active()) {
        try {
            CloseNested();
            FreeEditBuffer();
            FState = dsInactive;
            CloseCursor();
        } catch (...) {
        }
    }
    TComponent::BeforeDestruction();
}

void TDataSet::CheckActive() const {
    if (FState == dsInactive) DatabaseError(SDataSetClosed, const_cast<TDataSet*>(this));
}

void TDataSet::CheckInactive() const {
    if (FState != dsInactive) DatabaseError(SDataSetOpen, const_cast<TDataSet*>(this));
}

TField* TDataSet::FieldByName(const AnsiString& name) const {
    return FFields->FieldByName(name);
}

void TDataSet::GetFieldNames(std::vector<AnsiString>& names) const {
    names.clear();
    for (TField* f : FFields->FList)
        names.push_back(f->FieldName());
}

void TDataSet::AddField(TField* field) {
    FFields->FList.push_back(field);
    FreeNotification(field);
}

void TDataSet::RemoveField(TField* field) {
    auto& list = FFields->FList;
    list.erase(std::remove(list.begin(), list.end(), field), list.end());
    if (field->FDataSet == this) field->FDataSet = nullptr;
}

void TDataSet::MoveField(TField* field, int index) {
    auto& list = FFields->FList;
    auto it = std::find(list.begin(), list.end(), field);
    if (it == list.end()) return;
    list.erase(it);
    index = std::clamp(index, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + index, field);
    DataEvent(deLayoutChange);
}

void TDataSet::SetDataSetField(TDataSetField* value) {
    if (value == FDataSetField) return;
    CheckInactive();
    if (FDataSetField) FDataSetField->SetNestedDataSet(nullptr);
    FDataSetField = value;
    if (value) {
        if (value->NestedDataSet() && value->NestedDataSet() != this)
            value->NestedDataSet()->FDataSetField = nullptr;
        value->SetNestedDataSet(this);
        value->FreeNotification(this);
    }
}

TDataSet* TDataSet::ParentDataSet() const {
    return FDataSetField ? FDataSetField->DataSet() : nullptr;
}

void TDataSet::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == FDataSetField) {
        CloseNested();
        FDataSetField = nullptr;
    }
    if (auto* field = dynamic_cast<TField*>(component))
        if (field->FDataSet == this) RemoveField(field);
}

void TDataSet::GetChildren(const TGetChildProc& proc, TComponent* root) {
    for (TField* f : FFields->FList)
        if (!f->FDefaultField && f->Owner() == root) proc(f);
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        SetActive(true);
    }
}

// ---- open and close ----

void TDataSet::SetActive(bool value) {
    if (ComponentState().Contains(csLoading)) {
        FStreamedActive = value;
        return;
    }
    if (value == Active()) return;
    if (value) {
        DoEvent(FBeforeOpen);
        try {
            FState = dsOpening;
            OpenCursor();
        } catch (...) {
            FState = dsInactive;
            try {
                CloseCursor();
            } catch (...) {
            }
            throw;
        }
        FState = dsInactive;
        SetState(dsBrowse);
        CalculateFields();
        // Nested data sets open with their master, as they closed with it.
        for (TField* f : FFields->FList)
            if (auto* df = AsDataSetField(f))
                if (df->NestedDataSet() && !df->NestedDataSet()->Active()) df->NestedDataSet()->Open();
        DataEvent(deDataSetChange);
        DoEvent(FAfterOpen);
        if (!IsEmpty()) DoEvent(FAfterScroll);
    } else {
        if (!ComponentState().Contains(csDestroying)) DoEvent(FBeforeClose);
        CloseNested();
        FreeEditBuffer();
        SetState(dsInactive);
        CloseCursor();
        if (!ComponentState().Contains(csDestroying)) DoEvent(FAfterClose);
    }
}

void TDataSet::OpenCursor() {
    InternalOpen();
    CreateFields();
    BindFields();
    SetCurrent(RowCount() == 0 ? -1 : 0);
    FBof = true;
    FEof = RowCount() == 0;
}

void TDataSet::CloseCursor() {
    InternalClose();
    DestroyDefaultFields();
    for (TField* f : FFields->FList)
        f->Bind(-1, -1);
    FCalcValues.clear();
    FLayout.reset();
    FCurrent = -1;
    FBof = FEof = true;
}

void TDataSet::CloseNested() {
    for (TField* f : FFields->FList)
        if (auto* df = AsDataSetField(f))
            if (df->NestedDataSet() && df->NestedDataSet()->Active()) df->NestedDataSet()->Close();
    if (FDataSetField && Active() && !FDataSetField->DataSet()) Close();
}

void TDataSet::CreateFields() {
    if (!FFields->FList.empty()) return;
    FDefaultFields = true;
    for (const TColumn& c : FLayout->Columns) {
        if (!c.Stored) continue;
        TClass cls = FieldClassOf(c.DataType);
        if (!cls) cls = TField::StaticClass();
        auto* field = static_cast<TField*>(cls->CreateComponent(nullptr));
        field->FDefaultField = true;
        field->FFieldName = c.Name;
        if (c.Kind == skInline || c.DataType == ftBCD) field->FSize = c.Size;
        field->FRequired = c.Attributes & faRequired;
        field->FReadOnly = c.Attributes & faReadOnly;
        field->FVisible = !(c.Attributes & faHidden);
        field->FDataSet = this;
        FFields->FList.push_back(field);
    }
}

void TDataSet::DestroyDefaultFields() {
    if (!FDefaultFields) return;
    FDefaultFields = false;
    std::vector<TField*> fields = FFields->FList;
    FFields->FList.clear();
    for (TField* f : fields) {
        if (f->FDefaultField) {
            f->FDataSet = nullptr;
            delete f;
        } else {
            FFields->FList.push_back(f);
        }
    }
}

void TDataSet::BindFields() {
    int slots = 0;
    for (TField* f : FFields->FList) {
        switch (f->FieldKind()) {
        case fkData:
        case fkInternalCalc: {
            const int col = FLayout->IndexOf(f->FieldName());
            if (col < 0) DatabaseError("Field '" + f->FieldName() + "' not found", this);
            f->Bind(col, -1);
            break;
        }
        case fkAggregate:
            f->Bind(-1, -1);
            break;
        default:
            f->Bind(-1, slots++);
        }
    }
    FCalcValues.assign(slots, Null());
}

// ---- order and position ----

void TDataSet::KeepCursorOn(int rowId) {
    if (rowId) {
        const int i = FindRowIndex(rowId);
        if (i >= 0) FCurrent = i;
    }
    if (FCurrent >= RowCount()) FCurrent = RowCount() - 1;
    if (FCurrent < 0 && RowCount() > 0) FCurrent = 0;
}

void TDataSet::CheckOrder() const {
    auto* self = const_cast<TDataSet*>(this);
    if (InternalSync(self->FCurrent)) self->KeepCursorOn(0);
}

int TDataSet::FindRowIndex(int rowId) const {
    for (int i = 0; i < RowCount(); ++i)
        if (InternalRowId(i) == rowId) return i;
    return -1;
}

void TDataSet::SetCurrent(int index) {
    FCurrent = index;
    FDisplayRow = -1;
}

void TDataSet::SetDisplayRow(int index) {
    // While inserting, the current row is not the record being edited: it can be shown as it stands.
    if (index == FCurrent && FState != dsInsert) index = -1;
    if (index == FDisplayRow) return;
    FDisplayRow = index;
    CalculateFields();
}

const Byte* TDataSet::ActiveBuffer() const {
    if (FState == dsInactive || FState == dsOpening) return nullptr;
    if (FEditBuffer) {
        if (FDisplayRow < 0) return FEditBuffer;
    }
    CheckOrder();
    if (FDisplayRow >= 0 && FDisplayRow < RowCount()) return InternalRecord(FDisplayRow);
    if (FEditBuffer) return FEditBuffer;
    return HasCurrent() ? InternalRecord(FCurrent) : nullptr;
}

bool TDataSet::IsEmpty() const {
    CheckOrder();
    return FState != dsInsert && RowCount() == 0;
}

int TDataSet::RecordCount() const {
    CheckActive();
    CheckOrder();
    return RowCount();
}

int TDataSet::RecNo() const {
    CheckActive();
    if (FState == dsInsert) return -1;
    CheckOrder();
    return RowCount() == 0 ? 0 : FCurrent + 1;
}

void TDataSet::SetRecNo(int value) {
    CheckBrowseMode();
    if (value < 1 || value > RowCount() || value == FCurrent + 1) return;
    DoEvent(FBeforeScroll);
    SetCurrent(value - 1);
    FBof = FEof = false;
    DoScrolled();
    DoAfterScrollEvents();
}

void TDataSet::DoScrolled() {
    CalculateFields();
    DataEvent(deDataSetScroll);
}

void TDataSet::DoAfterScrollEvents() {
    NotifyDetails();
    DoEvent(FAfterScroll);
}

void TDataSet::NotifyDetails() {
    for (TField* f : FFields->FList)
        if (auto* df = AsDataSetField(f))
            if (df->NestedDataSet() && df->NestedDataSet()->Active()) df->NestedDataSet()->MasterChanged();
}

void TDataSet::MasterChanged() {
    FollowMaster(false);
}

void TDataSet::RefreshFromMaster() {
    FollowMaster(true);
}

void TDataSet::FollowMaster(bool again) {
    if (!Active() || !FDataSetField) return;
    if (again) FreeEditBuffer();
    if (!InternalMasterRows(again)) return;
    if (FState != dsBrowse) SetState(dsBrowse);
    ShowFirstRow();
}

void TDataSet::ShowFirstRow() {
    SetCurrent(RowCount() == 0 ? -1 : 0);
    FBof = true;
    FEof = RowCount() == 0;
    CalculateFields();
    DataEvent(deDataSetChange);
    DoAfterScrollEvents();
}

void TDataSet::First() {
    CheckBrowseMode();
    DoEvent(FBeforeScroll);
    CheckOrder();
    ShowFirstRow();
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoEvent(FBeforeScroll);
    while (CanFetchMore())
        if (FetchMore() == 0) break;
    CheckOrder();
    SetCurrent(RowCount() - 1);
    FEof = true;
    FBof = RowCount() == 0;
    CalculateFields();
    DataEvent(deDataSetChange);
    DoAfterScrollEvents();
}

void TDataSet::Next() {
    MoveBy(1);
}

void TDataSet::Prior() {
    MoveBy(-1);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int result = 0;
    DoEvent(FBeforeScroll);
    CheckOrder();
    if ((distance > 0 && !FEof) || (distance < 0 && !FBof)) {
        FBof = FEof = false;
        Int64 target = static_cast<Int64>(FCurrent) + distance;
        while (target >= RowCount() && CanFetchMore())
            if (FetchMore() == 0) break;
        if (target >= RowCount()) {
            target = RowCount() - 1;
            FEof = true;
        }
        if (target < 0) {
            target = 0;
            FBof = true;
        }
        if (RowCount() == 0) FBof = FEof = true;
        result = static_cast<int>(target) - FCurrent;
        if (RowCount() > 0) SetCurrent(static_cast<int>(target));
        if (result != 0) DoScrolled();
    }
    if (result != 0)
        DoAfterScrollEvents();
    else
        DoEvent(FAfterScroll);
    return result;
}

// ---- editing ----

void TDataSet::CheckCanModify() const {
    if (!CanModify()) DatabaseError(SDataSetReadOnly, const_cast<TDataSet*>(this));
}

void TDataSet::CheckParentState() {
    if (TDataSet* parent = ParentDataSet()) parent->Edit();
}

void TDataSet::FreeEditBuffer() {
    InternalEndEdit();
    if (FInsertBuffer)
        InternalFreeInsert(FEditBuffer);
    else if (FLayout)
        FLayout->FreeRecord(FEditBuffer);
    FEditBuffer = nullptr;
    FInsertBuffer = false;
}

void TDataSet::DoCheckOperation(void (TDataSet::*op)(), const TDataSetErrorEvent& handler) {
    for (;;) {
        try {
            (this->*op)();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (handler) handler(this, &e, action);
            if (action == daFail) throw;
            if (action == daAbort) Abort();
        }
    }
}

void TDataSet::Append() {
    FAppending = true;
    Insert();
}

void TDataSet::Insert() {
    const bool append = FAppending;
    FAppending = false;
    CheckBrowseMode();
    CheckCanModify();
    DoEvent(FBeforeInsert);
    CheckParentState();
    DoEvent(FBeforeScroll);
    FEditBuffer = InternalInsert();
    FInsertBuffer = true;
    FAppendPending = append;
    SetState(dsInsert);
    FBof = FEof = false;
    NotifyDetails();
    try {
        DoEvent(FOnNewRecord);
    } catch (...) {
        if (FState == dsInsert) {
            FreeEditBuffer();
            SetState(dsBrowse);
            NotifyDetails();
            Resync();
        }
        throw;
    }
    FModified = false;
    CalculateFields();
    DataEvent(deDataSetChange);
    DoEvent(FAfterInsert);
    DoEvent(FAfterScroll);
}

void TDataSet::InternalEditStart() {
    if (!HasCurrent()) DatabaseError(SDataSetEmpty, this);
    // Nested rows are shared with the row: they change in place and go back through InternalCancel.
    FEditBuffer = FLayout->NewCopy(InternalRecord(FCurrent), true);
    InternalEdit();
}

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    CheckActive();
    CheckOrder();
    if (RowCount() == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    DoEvent(FBeforeEdit);
    CheckParentState();
    DoCheckOperation(&TDataSet::InternalEditStart, FOnEditError);
    SetState(dsEdit);
    CalculateFields();
    DataEvent(deRecordChange);
    DoEvent(FAfterEdit);
}

void TDataSet::InternalPostStep() {
    for (TField* f : FFields->FList)
        if (f->Required() && f->FieldKind() == fkData && f->IsNull() && f->DataType() != ftDataSet &&
            !f->ReadOnly())
            DatabaseError("Field '" + f->DisplayName() + "' must have a value", this);
    CheckOrder();
    FCurrent = InternalPost();
    if (FInsertBuffer) {
        // The storage holds the new record now.
        FEditBuffer = nullptr;
        FInsertBuffer = false;
    }
    if (TDataSet* parent = ParentDataSet()) parent->FModified = true;
}

void TDataSet::PostNested() {
    for (TField* f : FFields->FList)
        if (auto* df = AsDataSetField(f))
            if (TDataSet* nested = df->NestedDataSet())
                if (nested->Active()) nested->CheckBrowseMode();
}

void TDataSet::Post() {
    UpdateRecord();
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    DoEvent(FBeforePost);
    DoCheckOperation(&TDataSet::InternalPostStep, FOnPostError);
    FreeEditBuffer();
    SetState(dsBrowse);
    Resync();
    DoEvent(FAfterPost);
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    DoEvent(FBeforeCancel);
    const bool scrollEvents = FState == dsInsert;
    if (scrollEvents) DoEvent(FBeforeScroll);
    // Lines changed under this edit go back to what they were when it began.
    const bool restoreNested = InternalCancel();
    FreeEditBuffer();
    SetState(dsBrowse);
    Resync();
    if (scrollEvents) NotifyDetails();
    if (restoreNested)
        for (TField* f : FFields->FList)
            if (auto* df = AsDataSetField(f))
                if (df->NestedDataSet()) df->NestedDataSet()->RefreshFromMaster();
    DoEvent(FAfterCancel);
    if (scrollEvents) DoEvent(FAfterScroll);
}

void TDataSet::InternalDeleteStep() {
    if (!HasCurrent()) DatabaseError(SDataSetEmpty, this);
    const bool wasLast = FCurrent == RowCount() - 1;
    InternalDelete();
    if (FCurrent >= RowCount()) FCurrent = RowCount() - 1;
    FEof = wasLast || RowCount() == 0;
    FBof = RowCount() == 0;
    if (TDataSet* parent = ParentDataSet()) parent->FModified = true;
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    CheckOrder();
    if (RowCount() == 0) DatabaseError(SDataSetEmpty, this);
    DataEvent(deCheckBrowseMode);
    DoEvent(FBeforeDelete);
    DoEvent(FBeforeScroll);
    CheckParentState();
    DoCheckOperation(&TDataSet::InternalDeleteStep, FOnDeleteError);
    FreeEditBuffer();
    SetState(dsBrowse);
    const bool bof = FBof, eof = FEof;
    Resync();
    FBof = bof;
    FEof = eof;
    DoEvent(FAfterDelete);
    DoAfterScrollEvents();
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (FState == dsEdit || FState == dsInsert) {
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::UpdateRecord() {
    if (FState != dsEdit && FState != dsInsert) DatabaseError(SNotEditing, this);
    DataEvent(deUpdateRecord);
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    Resync();
}

void TDataSet::Resync() {
    CheckOrder();
    if (FCurrent >= RowCount()) FCurrent = RowCount() - 1;
    if (FCurrent < 0 && RowCount() > 0) FCurrent = 0;
    FDisplayRow = -1;
    CalculateFields();
    DataEvent(deDataSetChange);
}

void TDataSet::SetState(TDataSetState value) {
    if (FState == value) return;
    FState = value;
    FModified = false;
    DataEvent(deUpdateState);
}

// ---- field values ----

void TDataSet::SetFieldValue(TField* field, const Variant& value) {
    CheckActive();
    const TFieldKind kind = field->FieldKind();
    if (field->CalcSlot() >= 0) {
        if (!FInCalc && FState != dsEdit && FState != dsInsert) DatabaseError(SNotEditing, this);
        FCalcValues[field->CalcSlot()] = value;
        if (!FInCalc) {
            if (field->FOnChange) field->FOnChange(field);
            DataEvent(deFieldChange, field);
        }
        return;
    }
    if (field->Column() < 0) DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
    Byte* rec = FEditBuffer;
    if (FInCalc && kind == fkInternalCalc && !rec) {
        const int index = FDisplayRow >= 0 ? FDisplayRow : FCurrent;
        if (index < 0 || index >= RowCount()) return;
        FLayout->SetValue(InternalRecord(index), field->Column(), value);
        return;
    }
    if (FInCalc) {
        // Only internal calculated fields take values while fields are calculated.
        if (kind == fkInternalCalc) FLayout->SetValue(rec, field->Column(), value);
        return;
    }
    if (FState != dsEdit && FState != dsInsert) DatabaseError(SNotEditing, this);
    if (field->ReadOnly()) DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
    if (field->FOnValidate) {
        Variant old = FLayout->GetValue(rec, field->Column());
        FLayout->SetValue(rec, field->Column(), value);
        try {
            field->FOnValidate(field);
        } catch (...) {
            FLayout->SetValue(rec, field->Column(), old);
            throw;
        }
    } else {
        FLayout->SetValue(rec, field->Column(), value);
    }
    if (field->FOnChange) field->FOnChange(field);
    DataEvent(deFieldChange, field);
}

void TDataSet::SetFieldString(TField* field, const AnsiString& value) {
    // The common case without a Variant: a data field of the edited row, no validation handler.
    if (field->CalcSlot() >= 0 || field->Column() < 0 || FInCalc || field->FOnValidate || !FEditBuffer ||
        field->ReadOnly() || (FState != dsEdit && FState != dsInsert)) {
        SetFieldValue(field, Variant(value));
        return;
    }
    FLayout->SetString(FEditBuffer, field->Column(), value);
    if (field->FOnChange) field->FOnChange(field);
    DataEvent(deFieldChange, field);
}

Variant TDataSet::CalcValue(const TField* field) const {
    const int slot = field->CalcSlot();
    return slot >= 0 && slot < static_cast<int>(FCalcValues.size()) ? FCalcValues[slot] : Null();
}

void TDataSet::CalculateFields() {
    if (FInCalc || !FLayout) return;
    bool any = !FCalcValues.empty();
    if (!any && FOnCalcFields)
        for (TField* f : FFields->FList)
            if (f->FieldKind() == fkInternalCalc) any = true;
    if (!any) return;
    for (Variant& v : FCalcValues)
        v = Null();
    if (!ActiveBuffer()) return;
    FInCalc = true;
    const TDataSetState saved = FState;
    try {
        for (TField* f : FFields->FList)
            if (f->FieldKind() == fkLookup && f->LookupDataSet() && f->LookupDataSet()->Active() &&
                f->CalcSlot() >= 0) {
                std::vector<Variant> keys;
                for (const AnsiString& name : SplitFieldNames(f->KeyFields()))
                    keys.push_back(FieldByName(name)->AsVariant());
                Variant key = keys.size() == 1 ? keys[0] : VarArrayOf(keys);
                FCalcValues[f->CalcSlot()] =
                    f->LookupDataSet()->Lookup(f->LookupKeyFields(), key, f->LookupResultField());
            }
        if (FOnCalcFields) {
            FState = dsCalcFields;
            FOnCalcFields(this);
        }
    } catch (...) {
        FState = saved;
        FInCalc = false;
        throw;
    }
    FState = saved;
    FInCalc = false;
}

// ---- data events ----

void TDataSet::DataEvent(TDataEvent event, TObject* info) {
    switch (event) {
    case deFieldChange: {
        auto* field = static_cast<TField*>(info);
        if (field && (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc)) FModified = true;
        if (FAutoCalcFields && FState != dsSetKey) CalculateFields();
        break;
    }
    case deCheckBrowseMode:
        PostNested();
        break;
    default:
        break;
    }
    if (FDisableCount == 0) {
        for (TDataSource* source : std::vector<TDataSource*>(FDataSources))
            source->DataEvent(event, info);
    } else if ((event == deUpdateState && FState == dsInactive) || event == deLayoutChange) {
        FEnableEvent = deLayoutChange;
    }
}

void TDataSet::AddDataSource(TDataSource* source) {
    FDataSources.push_back(source);
}

void TDataSet::RemoveDataSource(TDataSource* source) {
    FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), source), FDataSources.end());
}

void TDataSet::DisableControls() {
    if (FDisableCount == 0) {
        FDisableState = FState;
        FEnableEvent = deDataSetChange;
    }
    ++FDisableCount;
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount == 0) {
        if (FDisableState != FState) DataEvent(deUpdateState);
        if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent);
    }
}

// ---- bookmarks ----

TBookmark TDataSet::GetBookmark() const {
    CheckOrder();
    if (!Active() || !HasCurrent()) return nullptr;
    return new TBookmarkRec{InternalRowId(FCurrent)};
}

bool TDataSet::BookmarkValid(TBookmark bookmark) const {
    CheckOrder();
    return bookmark && FindRowIndex(bookmark->RowId) >= 0;
}

void TDataSet::GotoBookmark(TBookmark bookmark) {
    CheckBrowseMode();
    const int i = bookmark ? FindRowIndex(bookmark->RowId) : -1;
    if (i < 0) DatabaseError(SRecordNotFound, this);
    DoEvent(FBeforeScroll);
    SetCurrent(i);
    FBof = FEof = false;
    DoScrolled();
    DoAfterScrollEvents();
}

int TDataSet::CompareBookmarks(TBookmark a, TBookmark b) const {
    if (!a || !b) return a == b ? 0 : a ? 1 : -1;
    const int ia = FindRowIndex(a->RowId), ib = FindRowIndex(b->RowId);
    return ia < ib ? -1 : ia > ib ? 1 : 0;
}

TBookmarkStr TDataSet::Bookmark() const {
    CheckOrder();
    return HasCurrent() ? std::to_string(InternalRowId(FCurrent)) : TBookmarkStr();
}

void TDataSet::SetBookmark(const TBookmarkStr& value) {
    TBookmarkRec rec{StrToIntDef(value, 0)};
    GotoBookmark(&rec);
}

// ---- searching ----

bool TDataSet::MatchesRow(const Byte* rec, const std::vector<TField*>& fields,
                          const std::vector<Variant>& values, TLocateOptions options) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const TField* f = fields[i];
        if (f->Column() < 0) return false;
        const Variant& key = values[i];
        const bool rowNull = FLayout->IsNull(rec, f->Column());
        if (VarIsNull(key) || VarIsEmpty(key)) {
            if (!rowNull) return false;
            continue;
        }
        if (rowNull) return false;
        const TColumn& c = FLayout->Columns[f->Column()];
        if (c.Kind == skInline || c.Kind == skHeap || options.Contains(loPartialKey) ||
            options.Contains(loCaseInsensitive)) {
            AnsiString s;
            FLayout->GetString(rec, f->Column(), s);
            if (c.Kind != skInline && c.Kind != skHeap) s = VarToStr(FLayout->GetValue(rec, f->Column()));
            AnsiString k = VarToStr(key);
            if (options.Contains(loPartialKey) && s.size() > k.size()) s.resize(k.size());
            if (options.Contains(loCaseInsensitive) ? !SameText(s, k) : s != k) return false;
        } else if (!VarSameValue(FLayout->GetValue(rec, f->Column()), key)) {
            try {
                if (!(FLayout->GetValue(rec, f->Column()) == key)) return false;
            } catch (const EVariantError&) {
                return false;
            }
        }
    }
    return true;
}

namespace {
std::vector<Variant> KeyValueList(const Variant& keyValues, std::size_t count) {
    std::vector<Variant> values;
    if (count == 1 && !(VarIsArray(keyValues) && VarArrayLength(keyValues) == 1 &&
                        (VarType(keyValues) & varTypeMask) == varVariant)) {
        values.push_back(keyValues);
        return values;
    }
    TVarArrayView view(keyValues);
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(view[static_cast<int>(i)]);
    return values;
}
} // namespace

bool TDataSet::Locate(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options) {
    CheckBrowseMode();
    std::vector<TField*> fields;
    for (const AnsiString& name : SplitFieldNames(keyFields))
        fields.push_back(FieldByName(name));
    if (fields.empty()) return false;
    const std::vector<Variant> values = KeyValueList(keyValues, fields.size());
    while (CanFetchMore())
        if (FetchMore() == 0) break;
    CheckOrder();
    for (int i = 0; i < RowCount(); ++i)
        if (MatchesRow(InternalRecord(i), fields, values, options)) {
            DoEvent(FBeforeScroll);
            SetCurrent(i);
            FBof = FEof = false;
            DoScrolled();
            DoAfterScrollEvents();
            return true;
        }
    return false;
}

Variant TDataSet::Lookup(const AnsiString& keyFields, const Variant& keyValues,
                         const AnsiString& resultFields) {
    CheckActive();
    std::vector<TField*> fields;
    for (const AnsiString& name : SplitFieldNames(keyFields))
        fields.push_back(FieldByName(name));
    std::vector<TField*> results;
    for (const AnsiString& name : SplitFieldNames(resultFields))
        results.push_back(FieldByName(name));
    if (fields.empty() || results.empty()) return Null();
    const std::vector<Variant> values = KeyValueList(keyValues, fields.size());
    CheckOrder();
    for (int i = 0; i < RowCount(); ++i) {
        const Byte* rec = InternalRecord(i);
        if (!MatchesRow(rec, fields, values, {})) continue;
        std::vector<Variant> out;
        for (TField* r : results)
            out.push_back(r->Column() >= 0 ? FLayout->GetValue(rec, r->Column()) : Null());
        return out.size() == 1 ? out[0] : VarArrayOf(out);
    }
    return Null();
}

KVR_PUBLISHED(TDataSet, c) {
    c.Property("Active", &TDataSet::Active, &TDataSet::SetActive).Default(0);
    c.Property("AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields).Default(1);
    c.Property("FieldDefs", &TDataSet::FieldDefs, nullptr).Stored(false);
    c.Property("BeforeOpen", &TDataSet::BeforeOpen, &TDataSet::SetBeforeOpen);
    c.Property("AfterOpen", &TDataSet::AfterOpen, &TDataSet::SetAfterOpen);
    c.Property("BeforeClose", &TDataSet::BeforeClose, &TDataSet::SetBeforeClose);
    c.Property("AfterClose", &TDataSet::AfterClose, &TDataSet::SetAfterClose);
    c.Property("BeforeInsert", &TDataSet::BeforeInsert, &TDataSet::SetBeforeInsert);
    c.Property("AfterInsert", &TDataSet::AfterInsert, &TDataSet::SetAfterInsert);
    c.Property("BeforeEdit", &TDataSet::BeforeEdit, &TDataSet::SetBeforeEdit);
    c.Property("AfterEdit", &TDataSet::AfterEdit, &TDataSet::SetAfterEdit);
    c.Property("BeforePost", &TDataSet::BeforePost, &TDataSet::SetBeforePost);
    c.Property("AfterPost", &TDataSet::AfterPost, &TDataSet::SetAfterPost);
    c.Property("BeforeCancel", &TDataSet::BeforeCancel, &TDataSet::SetBeforeCancel);
    c.Property("AfterCancel", &TDataSet::AfterCancel, &TDataSet::SetAfterCancel);
    c.Property("BeforeDelete", &TDataSet::BeforeDelete, &TDataSet::SetBeforeDelete);
    c.Property("AfterDelete", &TDataSet::AfterDelete, &TDataSet::SetAfterDelete);
    c.Property("BeforeScroll", &TDataSet::BeforeScroll, &TDataSet::SetBeforeScroll);
    c.Property("AfterScroll", &TDataSet::AfterScroll, &TDataSet::SetAfterScroll);
    c.Property("OnCalcFields", &TDataSet::OnCalcFields, &TDataSet::SetOnCalcFields);
    c.Property("OnDeleteError", &TDataSet::OnDeleteError, &TDataSet::SetOnDeleteError);
    c.Property("OnEditError", &TDataSet::OnEditError, &TDataSet::SetOnEditError);
    c.Property("OnNewRecord", &TDataSet::OnNewRecord, &TDataSet::SetOnNewRecord);
    c.Property("OnPostError", &TDataSet::OnPostError, &TDataSet::SetOnPostError);
}
