#pragma once
// TQvComboBox: the plain combo box carrying its caption label, as the labelled edits do.
#include "classlib/controls/stdctrls.h"
#include "components/QvEditLabel.h"

class TQvComboBox : public TLabelledControl<TComboBox> {
    KVR_CLASS(TQvComboBox, TComboBox)
    KVR_MESSAGES(TQvComboBox)
public:
    explicit TQvComboBox(TComponent* owner) : TLabelledControl(owner) {}
};
