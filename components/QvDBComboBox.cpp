#include "components/QvDBComboBox.h"

TQvDBComboBox::TQvDBComboBox(TComponent* owner) : TwwDBComboBox(owner) {
    FEditLabel = CreateEditLabel(this);
}

void TQvDBComboBox::SetCaption(const AnsiString& value) {
    if (!FEditLabel) return;
    FEditLabel->SetCaption(value);
    PlaceLabel();
}

void TQvDBComboBox::SetLabelPosition(TLabelPosition value) {
    if (!FEditLabel) return;
    FLabelPosition = value;
    PlaceLabel();
}

void TQvDBComboBox::SetLabelSpacing(int value) {
    if (value < 0) return;
    FLabelSpacing = value;
    PlaceLabel();
}

void TQvDBComboBox::SetDataField(const AnsiString& value) {
    TwwDBComboBox::SetDataField(value);
    if (!ComponentState().Contains(csDesigning) || !DataSource() || !DataSource()->DataSet()) return;
    TField* field = DataSource()->DataSet()->FindField(value);
    if (field && field->DisplayLabel() != Caption()) SetCaption(field->DisplayLabel());
}

void TQvDBComboBox::SetBounds(int left, int top, int width, int height) {
    TwwDBComboBox::SetBounds(left, top, width, height);
    PlaceLabel();
}

void TQvDBComboBox::SetParent(TWinControl* value) {
    TwwDBComboBox::SetParent(value);
    if (FEditLabel) FEditLabel->SetParent(value);
}

void TQvDBComboBox::Notification(TComponent* component, TOperation operation) {
    TwwDBComboBox::Notification(component, operation);
    if (operation == opRemove && component == FEditLabel) FEditLabel = nullptr;
}

void TQvDBComboBox::CMEnabledChanged(TMessage& message) {
    InheritedMessage(message);
    if (FEditLabel) FEditLabel->SetEnabled(Enabled());
}

void TQvDBComboBox::CMVisibleChanged(TMessage& message) {
    InheritedMessage(message);
    if (FEditLabel) FEditLabel->SetVisible(Visible());
}

KVR_MESSAGE_MAP(TQvDBComboBox, m) {
    m.Handle(CM_ENABLEDCHANGED, &TQvDBComboBox::CMEnabledChanged);
    m.Handle(CM_VISIBLECHANGED, &TQvDBComboBox::CMVisibleChanged);
}

KVR_PUBLISHED(TQvDBComboBox, c) {
    c.Property("Caption", &TQvDBComboBox::Caption, &TQvDBComboBox::SetCaption);
    c.Property("DataField", &TQvDBComboBox::DataField, &TQvDBComboBox::SetDataField);
    c.Property("LabelPosition", &TQvDBComboBox::LabelPosition, &TQvDBComboBox::SetLabelPosition)
        .Default(lpLeft);
    c.Property("LabelSpacing", &TQvDBComboBox::LabelSpacing, &TQvDBComboBox::SetLabelSpacing).Default(4);
}
