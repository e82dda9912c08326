#include "components/QvRadioButton.h"

int QvCaptionOffset(int fontSize) {
    if (fontSize >= 1 && fontSize <= 8) return 17;
    if (fontSize >= 9 && fontSize <= 15) return 19;
    if (fontSize >= 16 && fontSize <= 17) return 20;
    if (fontSize >= 18 && fontSize <= 23) return 21;
    if (fontSize >= 24 && fontSize <= 29) return 23;
    if (fontSize >= 30 && fontSize <= 35) return 25;
    if (fontSize >= 36 && fontSize <= 41) return 27;
    if (fontSize >= 42 && fontSize <= 43) return 29;
    if (fontSize >= 44 && fontSize <= 60) return 31;
    if (fontSize >= 61 && fontSize <= 80) return 39;
    return 44;
}

// Small fonts (1 to 8 points) are placed as 9 to 11 points are, so their caption stays inside the
// control.
int QvLeftCaptionRightAdjust(int fontSize) {
    if ((fontSize >= 1 && fontSize <= 11) || (fontSize >= 13 && fontSize <= 15) ||
        (fontSize >= 18 && fontSize <= 23))
        return 0;
    if (fontSize == 12) return 14;
    if ((fontSize >= 16 && fontSize <= 17) || (fontSize >= 42 && fontSize <= 43)) return -10;
    if (fontSize >= 24 && fontSize <= 29) return -4;
    if (fontSize >= 30 && fontSize <= 35) return -6;
    if (fontSize >= 36 && fontSize <= 41) return -8;
    if (fontSize >= 44 && fontSize <= 60) return -12;
    if (fontSize >= 61 && fontSize <= 80) return -20;
    return -25;
}

int QvLeftCaptionTopAdjust(int fontSize) {
    if ((fontSize >= 1 && fontSize <= 11) || (fontSize >= 13 && fontSize <= 15)) return 0;
    if (fontSize == 12 || (fontSize >= 18 && fontSize <= 23)) return -2;
    if (fontSize >= 16 && fontSize <= 17) return -1;
    if (fontSize >= 24 && fontSize <= 29) return -4;
    if (fontSize >= 30 && fontSize <= 35) return -6;
    if (fontSize >= 36 && fontSize <= 41) return -8;
    if (fontSize >= 42 && fontSize <= 43) return -10;
    if (fontSize >= 44 && fontSize <= 60) return -12;
    if (fontSize >= 61 && fontSize <= 80) return -20;
    return -25;
}

TQvRadioButton::TQvRadioButton(TComponent* owner) : TButtonControl(owner), FCanvas(new TControlCanvas) {
    FCanvas->SetControl(this);
    SetBounds(Left(), Top(), 113, 17);
    TControlStyle style;
    style.Include(csSetCaption);
    style.Include(csDoubleClicks);
    SetControlStyle(style);
    SetTabStop(false);
}

TQvRadioButton::~TQvRadioButton() = default;

void TQvRadioButton::SetAlignment(TLeftRight value) {
    if (FAlignment == value) return;
    FAlignment = value;
    if (HandleAllocated()) {
        DestroyHandle();
        HandleNeeded();
    }
    Invalidate();
}

void TQvRadioButton::SetChecked(bool value) {
    if (FChecked == value) return;
    FChecked = value;
    SetTabStop(value);
    if (HandleAllocated()) Perform(BM_SETCHECK, value ? 1 : 0);
    Invalidate();
    if (!value) return;
    // Only buttons of this class share the group; other radio buttons of the parent keep their state.
    if (Parent()) {
        for (int i = 0; i < Parent()->ControlCount(); ++i) {
            auto* other = dynamic_cast<TQvRadioButton*>(Parent()->Controls(i));
            if (other && other != this) other->SetChecked(false);
        }
    }
    Changed();
    if (!FClicksDisabled && !ComponentState().Contains(csLoading)) Click();
}

void TQvRadioButton::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    params.WinClassName = "BUTTON";
    params.Style |= BS_RADIOBUTTON;
    if (FAlignment == taLeftJustify) params.Style |= BS_LEFTTEXT;
}

void TQvRadioButton::CreateWnd() {
    TButtonControl::CreateWnd();
    Perform(BM_SETCHECK, FChecked ? 1 : 0);
}

void TQvRadioButton::BMSetCheck(TMessage& message) {
    FWindowChecked = message.WParam != 0;
}

void TQvRadioButton::CNCommand(TMessage& message) {
    Word code = HiWord(message.WParam);
    if (code == BN_CLICKED)
        SetChecked(true);
    else if (code == BN_DOUBLECLICKED)
        DblClick();
}

void TQvRadioButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TButtonControl::MouseUp(button, shift, x, y);
    if (button == mbLeft && x >= 0 && y >= 0 && x < Width() && y < Height() && IsEnabledInTree()) {
        if (CanFocus() && !Focused()) SetFocus();
        Perform(CN_COMMAND, static_cast<WPARAM>(BN_CLICKED) << 16);
    }
}

void TQvRadioButton::KeyPress(char& key) {
    TButtonControl::KeyPress(key);
    if (key == ' ') {
        Perform(CN_COMMAND, static_cast<WPARAM>(BN_CLICKED) << 16);
        key = 0;
    }
}

void TQvRadioButton::CMDialogChar(TMessage& message) {
    if (IsAccel(static_cast<Word>(message.WParam), Caption()) && CanFocus()) {
        SetFocus();
        message.Result = 1;
    }
}

// The system's look of the button; WM_PAINT then draws the caption again at its own offset.
void TQvRadioButton::Paint() {
    PaintRadioButton(Canvas(), ClientRect(), Color(), Font(), Caption(), FAlignment, FChecked,
                     IsEnabledInTree());
}

void TQvRadioButton::WMPaint(TMessage& message) {
    InheritedMessage(message);
    TCanvas* paint = PaintCanvas(message);
    if (!paint || !paint->Target()) return;
    FCanvas->SetTarget(paint->Target(), paint->Origin());
    TRect client = ClientRect();
    TRect text{client.Left + QvCaptionOffset(Font()->Size()), client.Top, client.Right, client.Bottom};
    FCanvas->Brush()->SetStyle(bsSolid);
    FCanvas->Brush()->SetColor(Color());
    FCanvas->Pen()->SetColor(Color());
    FCanvas->FillRect({text.Left - 4, text.Top - 4, text.Right + 4, text.Bottom + 4});
    FCanvas->Font()->Assign(Font());
    FCanvas->Brush()->SetStyle(bsClear);
    DrawText(FCanvas.get(), Caption(), text, DT_SINGLELINE | DT_VCENTER);
    FCanvas->Brush()->SetStyle(bsSolid);
    FCanvas->ClearTarget();
}

void TQvRadioButton::WMEnable(TMessage& message) {
    InheritedMessage(message);
    Invalidate();
}

KVR_MESSAGE_MAP(TQvRadioButton, m) {
    m.Handle(WM_PAINT, &TQvRadioButton::WMPaint);
    m.Handle(WM_ENABLE, &TQvRadioButton::WMEnable);
    m.Handle(CN_COMMAND, &TQvRadioButton::CNCommand);
    m.Handle(BM_SETCHECK, &TQvRadioButton::BMSetCheck);
    m.Handle(CM_DIALOGCHAR, &TQvRadioButton::CMDialogChar);
}

KVR_PUBLISHED(TQvRadioButton, c) {
    c.Property("Alignment", &TQvRadioButton::Alignment, &TQvRadioButton::SetAlignment)
        .Default(taRightJustify);
    c.Property("Checked", &TQvRadioButton::Checked, &TQvRadioButton::SetCheckedValue).Default(false);
    c.Property("TabStop", &TQvRadioButton::TabStop, &TQvRadioButton::SetTabStop).Default(false);
}
