#include "classlib/db/db.h"

#include <algorithm>

// ---- TDataSource ----

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
    for (TDataLink* link : std::vector<TDataLink*>(FLinks))
        link->SetDataSource(nullptr);
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* value) {
    if (value == FDataSet) return;
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        FDataSet->RemoveFreeNotification(this);
    }
    FDataSet = value;
    if (value) {
        value->AddDataSource(this);
        value->FreeNotification(this);
    }
    UpdateState();
    for (TDataLink* link : std::vector<TDataLink*>(FLinks))
        link->UpdateState();
}

void TDataSource::SetEnabled(bool value) {
    if (FEnabled == value) return;
    FEnabled = value;
    UpdateState();
}

void TDataSource::Edit() {
    if (FAutoEdit && FDataSet && FState == dsBrowse) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet) const {
    return FDataSet && FDataSet == dataSet;
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FDataSet) {
        FDataSet = nullptr;
        UpdateState();
    }
}

void TDataSource::UpdateState() {
    const TDataSetState state = FEnabled && FDataSet ? FDataSet->State() : dsInactive;
    if (state == FState) return;
    const bool activeChanged = (state == dsInactive) != (FState == dsInactive);
    FState = state;
    for (TDataLink* link : std::vector<TDataLink*>(FLinks))
        link->UpdateState();
    (void)activeChanged;
    if (FOnStateChange) FOnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent event, TObject* info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (FState == dsInactive) return;
    for (TDataLink* link : std::vector<TDataLink*>(FLinks))
        link->DataEvent(event, info);
    switch (event) {
    case deFieldChange:
        if (FOnDataChange) FOnDataChange(this, static_cast<TField*>(info));
        break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (FOnDataChange) FOnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (FOnUpdateData) FOnUpdateData(this);
        break;
    default:
        break;
    }
}

void TDataSource::AddDataLink(TDataLink* link) {
    FLinks.push_back(link);
}

void TDataSource::RemoveDataLink(TDataLink* link) {
    FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
}

KVR_PUBLISHED(TDataSource, c) {
    c.Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(1);
    c.Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    c.Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(1);
    c.Property("OnDataChange", &TDataSource::OnDataChange, &TDataSource::SetOnDataChange);
    c.Property("OnStateChange", &TDataSource::OnStateChange, &TDataSource::SetOnStateChange);
    c.Property("OnUpdateData", &TDataSource::OnUpdateData, &TDataSource::SetOnUpdateData);
}

// ---- TDataLink ----

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    if (FDataSource) FDataSource->RemoveDataLink(this);
    FDataSource = nullptr;
}

void TDataLink::SetDataSource(TDataSource* value) {
    if (value == FDataSource) return;
    if (FDataSource) FDataSource->RemoveDataLink(this);
    FDataSource = value;
    if (value) value->AddDataLink(this);
    UpdateState();
}

void TDataLink::SetReadOnly(bool value) {
    if (FReadOnly == value) return;
    FReadOnly = value;
    UpdateState();
}

void TDataLink::UpdateState() {
    const TDataSetState state = FDataSource ? FDataSource->State() : dsInactive;
    SetActive(state != dsInactive);
    SetEditing((state == dsEdit || state == dsInsert) && !FReadOnly);
}

void TDataLink::SetActive(bool value) {
    if (FActive == value) return;
    FActive = value;
    FFirstRecord = 0;
    UpdateWindow();
    ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
    if (FEditing == value) return;
    FEditing = value;
    EditingChanged();
}

bool TDataLink::Edit() {
    if (!FReadOnly && FDataSource) FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord() {
    // A write that moves the focus (a field check sending the user to the next field) leaves the
    // control again while its value is being written: that second leaving has nothing to write.
    if (FUpdating) return;
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::SetBufferCount(int value) {
    FBufferCount = value < 1 ? 1 : value;
    UpdateWindow();
}

namespace {

// The rows a grid shows: the data set's rows, and while inserting the new record among them (before
// the current row, or after the last one when appending).
int ShownCount(const TDataSet* ds) {
    return ds->RowCount() + (ds->State() == dsInsert ? 1 : 0);
}

int ShownCurrent(const TDataSet* ds) {
    if (ds->State() == dsInsert && ds->Appending()) return ds->RowCount();
    return std::max(ds->CurrentIndex(), 0);
}

} // namespace

void TDataLink::UpdateWindow() {
    TDataSet* ds = DataSet();
    if (!FActive || !ds) {
        FFirstRecord = 0;
        return;
    }
    const int current = ShownCurrent(ds);
    const int count = ShownCount(ds);
    if (current < FFirstRecord) FFirstRecord = current;
    if (current >= FFirstRecord + FBufferCount) FFirstRecord = current - FBufferCount + 1;
    if (FFirstRecord > std::max(0, count - FBufferCount)) FFirstRecord = std::max(0, count - FBufferCount);
    if (FFirstRecord > current) FFirstRecord = current;
}

int TDataLink::ActiveRecord() const {
    TDataSet* ds = DataSet();
    if (!FActive || !ds || (ds->CurrentIndex() < 0 && ds->State() != dsInsert)) return 0;
    return ShownCurrent(ds) - FFirstRecord;
}

void TDataLink::SetActiveRecord(int value) {
    TDataSet* ds = DataSet();
    if (!FActive || !ds) return;
    const int shown = FFirstRecord + value, current = ShownCurrent(ds);
    if (shown == current || value < 0) {
        ds->SetDisplayRow(-1);
        return;
    }
    // Rows after an inserted record stand one place further down.
    ds->SetDisplayRow(ds->State() == dsInsert && shown > current ? shown - 1 : shown);
}

int TDataLink::RecordCount() const {
    TDataSet* ds = DataSet();
    if (!FActive || !ds) return 0;
    return std::max(0, std::min(FBufferCount, ShownCount(ds) - FFirstRecord));
}

bool TDataLink::Bof() const {
    return DataSet() ? DataSet()->Bof() : true;
}

bool TDataLink::Eof() const {
    return DataSet() ? DataSet()->Eof() : true;
}

int TDataLink::MoveBy(int distance) {
    return DataSet() ? DataSet()->MoveBy(distance) : 0;
}

void TDataLink::DataEvent(TDataEvent event, TObject* info) {
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating) RecordChanged(static_cast<TField*>(info));
        break;
    case deDataSetChange:
        UpdateWindow();
        DataSetChanged();
        break;
    case deDataSetScroll:
        UpdateWindow();
        DataSetScrolled(0);
        break;
    case deLayoutChange:
        UpdateWindow();
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(static_cast<TField*>(info));
        break;
    default:
        break;
    }
}

KVR_PUBLISHED(TDataLink, c) {
    (void)c;
}

// ---- TFieldDataLink ----

void TFieldDataLink::SetFieldName(const AnsiString& value) {
    if (value == FFieldName) return;
    FFieldName = value;
    UpdateField();
}

void TFieldDataLink::UpdateField() {
    TField* field = nullptr;
    if (Active() && !FFieldName.empty() && DataSet()) field = DataSet()->FieldByName(FFieldName);
    FField = field;
    EditingChanged();
    RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly() && FField && FField->CanModify();
}

bool TFieldDataLink::Edit() {
    if (CanModify()) TDataLink::Edit();
    return FEditing;
}

void TFieldDataLink::Reset() {
    RecordChanged(nullptr);
}

void TFieldDataLink::SetFieldEditing(bool value) {
    if (FEditing == value) return;
    FEditing = value;
    FModified = false;
    if (FOnEditingChange) FOnEditingChange(this);
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    if (FOnActiveChange) FOnActiveChange(this);
}

void TFieldDataLink::EditingChanged() {
    SetFieldEditing(Editing() && CanModify());
}

void TFieldDataLink::LayoutChanged() {
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* field) {
    if (field == nullptr || field == FField) {
        FModified = false;
        if (FOnDataChange) FOnDataChange(this);
    }
}

void TFieldDataLink::UpdateData() {
    if (FModified) {
        if (FField && FOnUpdateData) FOnUpdateData(this);
        FModified = false;
    }
}

KVR_PUBLISHED(TFieldDataLink, c) {
    (void)c;
}
