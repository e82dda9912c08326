#pragma once
// TQvDBComboBox: the commercial data-aware combo box carrying its caption label, as the labelled edits do.
#include "classlib/dbctrls/wwdbctrls.h"
#include "components/QvEditLabel.h"

class TQvDBComboBox : public TLabelledControl<TwwDBComboBox> {
    KVR_CLASS(TQvDBComboBox, TwwDBComboBox)
    KVR_MESSAGES(TQvDBComboBox)
public:
    explicit TQvDBComboBox(TComponent* owner) : TLabelledControl(owner) {}

    // At design time a found field whose display label differs from the caption gives it.
    void SetDataField(const AnsiString& value) override;
};
