#pragma once
// TDBLabel: a free label that attaches itself to a control, keeps its place beside it (Pos, Gap) and can
// take its caption from the display label of the control's bound field.
#include "classlib/controls/stdctrls.h"

KVR_ENUM(TPos, psTop, psLeft, psRight, psBottom);

class TDBLabel : public TLabel {
    KVR_CLASS(TDBLabel, TLabel)
public:
    explicit TDBLabel(TComponent* owner);
    ~TDBLabel() override;

    bool AutoAlign() const { return FAutoAlign; }
    void SetAutoAlign(bool value);
    bool AutoCaption() const { return FAutoCaption; }
    void SetAutoCaption(bool value);
    TWinControl* FocusControl() const { return TLabel::FocusControl(); }
    // A control that another TDBLabel of the same parent serves is refused with an error dialog.
    void SetFocusControl(TWinControl* value);
    Byte Gap() const { return FGap; }
    void SetGap(Byte value);
    TPos Pos() const { return FPos; }
    void SetPos(TPos value);

    // Caption from the field, then the place beside the control.
    void RefreshLabel();
    void AlignToControl();
    void CaptionFromField();
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool ServedElsewhere(TWinControl* control) const;
    void Hook();
    void Unhook();
    void ControlWndProc(TMessage& message);

    bool FAutoAlign = true;
    bool FAutoCaption = true;
    Byte FGap = 4;
    TPos FPos = psLeft;
    TWndMethod FOldWndProc;
    TWinControl* FHooked = nullptr;
};
