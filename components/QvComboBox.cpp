#include "components/QvComboBox.h"

KVR_MESSAGE_MAP(TQvComboBox, m) {
    m.Handle(CM_ENABLEDCHANGED, &TQvComboBox::CMEnabledChanged);
    m.Handle(CM_VISIBLECHANGED, &TQvComboBox::CMVisibleChanged);
}

KVR_PUBLISHED(TQvComboBox, c) {
    c.Property("Caption", &TQvComboBox::Caption, &TQvComboBox::SetCaption);
    c.Property("LabelPosition", &TQvComboBox::LabelPosition, &TQvComboBox::SetLabelPosition).Default(lpLeft);
    c.Property("LabelSpacing", &TQvComboBox::LabelSpacing, &TQvComboBox::SetLabelSpacing).Default(4);
}
