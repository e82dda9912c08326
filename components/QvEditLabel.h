#pragma once
// The caption label that the labelled edits and combo boxes carry beside them.
#include "classlib/controls/stdctrls.h"

KVR_ENUM(TLabelPosition, lpAbove, lpBelow, lpLeft, lpRight);

// Creates the control's own label "EditLabel" (owned by the control, caption empty, focus control the
// control).
TLabel* CreateEditLabel(TWinControl* control);
// Moves the label (its size unchanged) to its place beside the control; nothing without a label.
void PlaceEditLabel(const TControl* control, TLabel* label, TLabelPosition position, int spacing);

// The labelled control: a control of class TBase carrying its caption label, which follows the
// control's bounds, parent, enabled and visible state and leaves with it. The labelled combo boxes and
// edits are this over their plain controls; each declares the published properties and the two
// messages itself (CM_ENABLEDCHANGED to CMEnabledChanged, CM_VISIBLECHANGED to CMVisibleChanged).
template <class TBase> class TLabelledControl : public TBase {
public:
    explicit TLabelledControl(TComponent* owner) : TBase(owner) { FEditLabel = CreateEditLabel(this); }

    TLabel* EditLabel() const { return FEditLabel; }
    // The label's caption; '' when the label is gone.
    AnsiString Caption() const { return FEditLabel ? FEditLabel->Caption() : AnsiString(); }
    void SetCaption(const AnsiString& value) {
        if (!FEditLabel) return;
        FEditLabel->SetCaption(value);
        PlaceParts();
    }
    TLabelPosition LabelPosition() const { return FLabelPosition; }
    void SetLabelPosition(TLabelPosition value) {
        if (!FEditLabel) return;
        FLabelPosition = value;
        PlaceParts();
    }
    int LabelSpacing() const { return FLabelSpacing; }
    // A negative spacing is ignored.
    void SetLabelSpacing(int value) {
        if (value < 0) return;
        FLabelSpacing = value;
        PlaceParts();
    }

    void SetBounds(int left, int top, int width, int height) override {
        TBase::SetBounds(left, top, width, height);
        PlaceParts();
    }
    void SetParent(TWinControl* value) override {
        TBase::SetParent(value);
        if (FEditLabel) FEditLabel->SetParent(value);
    }
    void Notification(TComponent* component, TOperation operation) override {
        TBase::Notification(component, operation);
        if (operation == opRemove && component == FEditLabel) FEditLabel = nullptr;
    }

protected:
    // Puts the carried parts beside the control; a control with more parts extends it.
    virtual void PlaceParts() { PlaceEditLabel(this, FEditLabel, FLabelPosition, FLabelSpacing); }
    // Gives the carried parts the control's enabled and visible state.
    virtual void CopyState() {
        if (!FEditLabel) return;
        FEditLabel->SetEnabled(this->Enabled());
        FEditLabel->SetVisible(this->Visible());
    }
    void CMEnabledChanged(TMessage& message) {
        this->InheritedMessage(message);
        CopyState();
    }
    void CMVisibleChanged(TMessage& message) {
        this->InheritedMessage(message);
        CopyState();
    }

    TLabel* FEditLabel = nullptr;
    TLabelPosition FLabelPosition = lpLeft;
    int FLabelSpacing = 4;
};
