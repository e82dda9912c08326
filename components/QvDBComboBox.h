#pragma once
// TQvDBComboBox: the commercial data-aware combo box carrying its caption label, as the labelled edits do.
#include "classlib/dbctrls/wwdbctrls.h"
#include "components/QvEditLabel.h"

class TQvDBComboBox : public TwwDBComboBox {
    KVR_CLASS(TQvDBComboBox, TwwDBComboBox)
    KVR_MESSAGES(TQvDBComboBox)
public:
    explicit TQvDBComboBox(TComponent* owner);

    TLabel* EditLabel() const { return FEditLabel; }
    AnsiString Caption() const { return FEditLabel ? FEditLabel->Caption() : AnsiString(); }
    void SetCaption(const AnsiString& value);
    TLabelPosition LabelPosition() const { return FLabelPosition; }
    void SetLabelPosition(TLabelPosition value);
    int LabelSpacing() const { return FLabelSpacing; }
    void SetLabelSpacing(int value);
    // At design time a found field whose display label differs from the caption gives it.
    void SetDataField(const AnsiString& value) override;

    void SetBounds(int left, int top, int width, int height) override;
    void SetParent(TWinControl* value) override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void CMEnabledChanged(TMessage& message);
    void CMVisibleChanged(TMessage& message);

private:
    void PlaceLabel() { PlaceEditLabel(this, FEditLabel, FLabelPosition, FLabelSpacing); }
    TLabel* FEditLabel = nullptr;
    TLabelPosition FLabelPosition = lpLeft;
    int FLabelSpacing = 4;
};
