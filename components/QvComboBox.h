#pragma once
// TQvComboBox: the plain combo box carrying its caption label, as the labelled edits do.
#include "classlib/controls/stdctrls.h"
#include "components/QvEditLabel.h"

class TQvComboBox : public TComboBox {
    KVR_CLASS(TQvComboBox, TComboBox)
    KVR_MESSAGES(TQvComboBox)
public:
    explicit TQvComboBox(TComponent* owner);

    TLabel* EditLabel() const { return FEditLabel; }
    AnsiString Caption() const { return FEditLabel ? FEditLabel->Caption() : AnsiString(); }
    void SetCaption(const AnsiString& value);
    TLabelPosition LabelPosition() const { return FLabelPosition; }
    void SetLabelPosition(TLabelPosition value);
    int LabelSpacing() const { return FLabelSpacing; }
    void SetLabelSpacing(int value);

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
