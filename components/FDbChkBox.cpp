#include "components/FDbChkBox.h"

#include "classlib/dbctrls/dbctrls.h"

TFDbCheckBox::TFDbCheckBox(TComponent* owner) : TBitCheckBox(owner), TDataAware(this) {
    FControlStyle.Include(csReplicatable);
    SetState(cbUnchecked);
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TFDbCheckBox::DataChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TFDbCheckBox::UpdateData));
}

TFDbCheckBox::~TFDbCheckBox() {
    FDataLink->SetDataSource(nullptr);
}

void TFDbCheckBox::SetDataField(const AnsiString& value) {
    FDataLink->SetFieldName(value);
}

void TFDbCheckBox::Notification(TComponent* component, TOperation operation) {
    TBitCheckBox::Notification(component, operation);
    DataSourceNotification(component, operation);
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
    return FieldCheckState(FDataLink->Field(), FValueChecked, FValueUnchecked, cbUnchecked);
}

void TFDbCheckBox::DataChange(TObject*) {
    SetState(FieldState());
}

void TFDbCheckBox::UpdateData(TObject*) {
    WriteFieldCheckState(FDataLink->Field(), State(), FValueChecked, FValueUnchecked);
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
    UpdateRecordOnExit(this);
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
