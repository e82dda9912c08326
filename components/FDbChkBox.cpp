#include "components/FDbChkBox.h"

#include "classlib/dbctrls/dbctrls.h"

TFDbCheckBox::TFDbCheckBox(TComponent* owner) : TBitCheckBox(owner), FDataLink(new TFieldDataLink) {
    FControlStyle.Include(csReplicatable);
    SetState(cbUnchecked);
    FDataLink->SetControl(this);
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TFDbCheckBox::DataChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TFDbCheckBox::UpdateData));
}

TFDbCheckBox::~TFDbCheckBox() {
    FDataLink->SetDataSource(nullptr);
}

void TFDbCheckBox::SetDataSource(TDataSource* value) {
    if (FDataLink->DataSource() == value) return;
    if (FDataLink->DataSource()) FDataLink->DataSource()->RemoveFreeNotification(this);
    FDataLink->SetDataSource(value);
    if (value) value->FreeNotification(this);
}

void TFDbCheckBox::SetDataField(const AnsiString& value) {
    FDataLink->SetFieldName(value);
}

void TFDbCheckBox::Notification(TComponent* component, TOperation operation) {
    TBitCheckBox::Notification(component, operation);
    if (operation == opRemove && FDataLink && component == FDataLink->DataSource())
        FDataLink->SetDataSource(nullptr);
}

void TFDbCheckBox::SetValueChecked(const AnsiString& value) {
    FValueChecked = value;
    DataChange(nullptr);
}

void TFDbCheckBox::SetValueUnchecked(const AnsiString& value) {
    FValueUnchecked = value;
    DataChange(nullptr);
}

void TFDbCheckBox::SetAutoCaption(bool value) {
    FAutoCaption = value;
    if (value && FDataLink->Field()) SetCaption(FDataLink->Field()->DisplayLabel());
}

TCheckBoxState TFDbCheckBox::FieldState() const {
    TField* field = FDataLink->Field();
    if (!field || field->IsNull()) return cbUnchecked;
    if (field->DataType() == ftBoolean) return field->AsBoolean() ? cbChecked : cbUnchecked;
    AnsiString text = field->Text();
    if (InValueList(text, FValueChecked)) return cbChecked;
    if (InValueList(text, FValueUnchecked)) return cbUnchecked;
    return cbGrayed;
}

void TFDbCheckBox::DataChange(TObject*) {
    SetState(FieldState());
}

void TFDbCheckBox::UpdateData(TObject*) {
    TField* field = FDataLink->Field();
    if (!field) return;
    if (State() == cbGrayed)
        field->Clear();
    else if (field->DataType() == ftBoolean)
        field->SetAsBoolean(Checked());
    else
        field->SetText(FirstListValue(Checked() ? FValueChecked : FValueUnchecked));
}

void TFDbCheckBox::Toggle() {
    if (!FDataLink->Edit()) return;
    TBitCheckBox::Toggle();
    FDataLink->SetModified();
}

void TFDbCheckBox::KeyPress(char& key) {
    TBitCheckBox::KeyPress(key);
    if (key == 8 || key == ' ')
        FDataLink->Edit();
    else if (key == 27)
        FDataLink->Reset();
}

void TFDbCheckBox::DoExit() {
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
    TBitCheckBox::DoExit();
}

void TFDbCheckBox::CMGetDataLink(TMessage& message) {
    message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
}

KVR_MESSAGE_MAP(TFDbCheckBox, m) {
    m.Handle(CM_GETDATALINK, &TFDbCheckBox::CMGetDataLink);
}

KVR_PUBLISHED(TFDbCheckBox, c) {
    c.Property("DataField", &TFDbCheckBox::DataField, &TFDbCheckBox::SetDataField);
    c.Property("DataSource", &TFDbCheckBox::DataSource, &TFDbCheckBox::SetDataSource);
    c.Property("ReadOnly", &TFDbCheckBox::ReadOnly, &TFDbCheckBox::SetReadOnly).Default(false);
    c.Property("ValueChecked", &TFDbCheckBox::ValueChecked, &TFDbCheckBox::SetValueChecked);
    c.Property("ValueUnchecked", &TFDbCheckBox::ValueUnchecked, &TFDbCheckBox::SetValueUnchecked);
    c.Property("AutoCaption", &TFDbCheckBox::AutoCaption, &TFDbCheckBox::SetAutoCaption).Default(true);
}
