#pragma once
// TF2Button: a small flat pick button beside an edit (its F2Control). Pressing it focuses the edit and
// asks the form to run its F2 lookup for it (message 0x40A).
#include "components/GSpeedButton.h"

// The form's F2 lookup request: WParam 0, LParam the control.
constexpr Cardinal WM_F2LOOKUP = 0x40A;

class TF2Button : public TGSpeedButton {
    KVR_CLASS(TF2Button, TGSpeedButton)
public:
    explicit TF2Button(TComponent* owner);
    ~TF2Button() override;

    bool AutoAlign() const { return FAutoAlign; }
    void SetAutoAlign(bool value);
    TWinControl* F2Control() const { return FF2Control; }
    // Refused with "不能同时有两个 F2Button 指到同一个 Edit." when another button of the same parent
    // already serves the control.
    void SetF2Control(TWinControl* value);
    Byte Gap() const { return FGap; }
    void SetGap(Byte value);

    void Click() override;
    void Notification(TComponent* component, TOperation operation) override;
    // Square, as high as the control, beside it at Gap pixels.
    void AlignToControl();

private:
    void Hook();
    void Unhook();
    void ControlWndProc(TMessage& message);

    bool FAutoAlign = true;
    TWinControl* FF2Control = nullptr;
    Byte FGap = 2;
    TWndMethod FOldWndProc;
    bool FHooked = false;
};
