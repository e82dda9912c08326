#include "components/QvComboBox.h"

TQvComboBox::TQvComboBox(TComponent* owner) : TComboBox(owner) {
    FEditLabel = CreateEditLabel(this);
}

void TQvComboBox::SetCaption(const AnsiString& value) {
    if (!FEditLabel) return;
    FEditLabel->SetCaption(value);
    PlaceLabel();
}

void TQvComboBox::SetLabelPosition(TLabelPosition value) {
    if (!FEditLabel) return;
    FLabelPosition = value;
    PlaceLabel();
}

void TQvComboBox::SetLabelSpacing(int value) {
    if (value < 0) return;
    FLabelSpacing = value;
    PlaceLabel();
}

void TQvComboBox::SetBounds(int left, int top, int width, int height) {
    TComboBox::SetBounds(left, top, width, height);
    PlaceLabel();
}

void TQvComboBox::SetParent(TWinControl* value) {
    TComboBox::SetParent(value);
    if (FEditLabel) FEditLabel->SetParent(value);
}

void TQvComboBox::Notification(TComponent* component, TOperation operation) {
    TComboBox::Notification(component, operation);
    if (operation == opRemove && component == FEditLabel) FEditLabel = nullptr;
}

void TQvComboBox::CMEnabledChanged(TMessage& message) {
    InheritedMessage(message);
    if (FEditLabel) FEditLabel->SetEnabled(Enabled());
}

void TQvComboBox::CMVisibleChanged(TMessage& message) {
    InheritedMessage(message);
    if (FEditLabel) FEditLabel->SetVisible(Visible());
}

KVR_MESSAGE_MAP(TQvComboBox, m) {
    m.Handle(CM_ENABLEDCHANGED, &TQvComboBox::CMEnabledChanged);
    m.Handle(CM_VISIBLECHANGED, &TQvComboBox::CMVisibleChanged);
}

KVR_PUBLISHED(TQvComboBox, c) {
    c.Property("Caption", &TQvComboBox::Caption, &TQvComboBox::SetCaption);
    c.Property("LabelPosition", &TQvComboBox::LabelPosition, &TQvComboBox::SetLabelPosition).Default(lpLeft);
    c.Property("LabelSpacing", &TQvComboBox::LabelSpacing, &TQvComboBox::SetLabelSpacing).Default(4);
}
