#include "components/QvDBComboBox.h"

void TQvDBComboBox::SetDataField(const AnsiString& value) {
    TwwDBComboBox::SetDataField(value);
    if (!ComponentState().Contains(csDesigning) || !DataSource() || !DataSource()->DataSet()) return;
    TField* field = DataSource()->DataSet()->FindField(value);
    if (field && field->DisplayLabel() != Caption()) SetCaption(field->DisplayLabel());
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
