#pragma once
// TQvRadioButton: the system radio button, its caption painted again by the control after every paint
// at an offset chosen by the font size. The offsets are shared with TQVCheckBox.
#include <memory>

#include "classlib/controls/stdctrls.h"

// Where the caption starts when it is right of the box, by font size in points.
int QvCaptionOffset(int fontSize);
// With the caption left of the box: the corrections of the text's right edge and of its top.
int QvLeftCaptionRightAdjust(int fontSize);
int QvLeftCaptionTopAdjust(int fontSize);

class TQvRadioButton : public TButtonControl {
    KVR_CLASS(TQvRadioButton, TButtonControl)
    KVR_MESSAGES(TQvRadioButton)
public:
    explicit TQvRadioButton(TComponent* owner);
    ~TQvRadioButton() override;

    TLeftRight Alignment() const { return FAlignment; }
    // A change recreates the window.
    void SetAlignment(TLeftRight value);
    bool Checked() const { return FChecked; }
    void SetCheckedValue(bool value) { SetChecked(value); }
    // The side the caption is on for the controls' alignment query.
    TAlignment GetControlsAlignment() const { return taRightJustify; }
    // Whether the button's window state holds the check (BM_SETCHECK when the window exists).
    bool WindowChecked() const { return FWindowChecked; }

protected:
    bool GetChecked() const override { return FChecked; }
    void SetChecked(bool value) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Paint() override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyPress(char& key) override;
    void WMPaint(TMessage& message);
    void WMEnable(TMessage& message);
    void CNCommand(TMessage& message);
    void BMSetCheck(TMessage& message);
    void CMDialogChar(TMessage& message);

private:
    std::unique_ptr<TControlCanvas> FCanvas;
    TLeftRight FAlignment = taRightJustify;
    bool FChecked = false;
    bool FWindowChecked = false;
};
