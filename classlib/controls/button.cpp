#include "classlib/controls/button.h"

KVR_PUBLISHED(TButton, c) {
    c.Property("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(0);
    c.Property("Default", &TButton::Default, &TButton::SetDefault).Default(0);
    c.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(0);
}

KVR_MESSAGE_MAP(TButton, m) {
    m.Handle(CM_DIALOGKEY, &TButton::CMDialogKey);
    m.Handle(CM_DIALOGCHAR, &TButton::CMDialogChar);
    m.Handle(WM_GETDLGCODE, &TButton::WMGetDlgCode);
    m.Handle(WM_KEYUP, &TButton::WMKeyUp);
    m.Handle(BM_CLICK, &TButton::BMClick);
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    FWidth = 75;
    FHeight = 25;
    FColor = clBtnFace;
    FParentColor = false;
    SetTabStop(true);
    FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csClickEvents, csCaptureMouse};
}

void TButton::SetDefault(bool value) {
    if (FDefault == value) return;
    FDefault = value;
    Invalidate();
}

bool TButton::IsActive() const {
    TWinControl* focused = nullptr;
    if (TCustomForm* form = GetParentForm(this)) focused = form->FocusedControl();
    if (focused == this) return true;
    return FDefault && !dynamic_cast<TButton*>(focused);
}

void TButton::Click() {
    if (TCustomForm* form = GetParentForm(this); form && FModalResult != mrNone)
        form->SetModalResult(FModalResult);
    inherited::Click();
}

void TButton::CMDialogKey(TMessage& message) {
    Word key = static_cast<Word>(message.WParam);
    if (((key == VK_RETURN && IsActive()) || (key == VK_ESCAPE && FCancel)) &&
        KeyDataToShiftState(message.LParam).Empty() && CanFocus()) {
        Click();
        message.Result = 1;
        return;
    }
    InheritedMessage(message);
}

void TButton::CMDialogChar(TMessage& message) {
    if (IsAccel(static_cast<Word>(message.WParam), Caption()) && CanFocus()) {
        Click();
        message.Result = 1;
        return;
    }
    InheritedMessage(message);
}

void TButton::WMGetDlgCode(TMessage& message) {
    message.Result = DLGC_BUTTON | (IsActive() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

void TButton::WMKeyUp(TMessage& message) {
    InheritedMessage(message);
    if (message.WParam == VK_SPACE && KeyboardShiftState().Empty()) Click();
}

void TButton::BMClick(TMessage&) {
    Click();
}

void TButton::PaintWindow(TCanvas* canvas) {
    TRect r = ClientRect();
    bool focused = Focused();
    if (IsActive() && (focused || FDefault)) {
        // The default button's extra black frame.
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clWindowFrame);
        canvas->FrameRect(r);
        InflateRect(&r, -1, -1);
    }
    TRect face = r;
    DrawFrameControl(canvas, face, DFC_BUTTON, DFCS_BUTTONPUSH | (IsEnabledInTree() ? 0 : DFCS_INACTIVE));
    PrepareCaptionCanvas(canvas);
    canvas->Font()->SetColor(IsEnabledInTree() ? clBtnText : clGrayText);
    TRect text = r;
    DrawText(canvas, Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (focused) {
        TRect f = r;
        InflateRect(&f, -3, -3);
        canvas->DrawFocusRect(f);
    }
}
