#include "components/F2Button.h"

#include "classlib/controls/dialogs.h"

TF2Button::TF2Button(TComponent* owner) : TGSpeedButton(owner) {
    SetGlyphIndex(8);
    SetFlat(true);
}

TF2Button::~TF2Button() {
    Unhook();
}

void TF2Button::Click() {
    TGSpeedButton::Click();
    if (!FF2Control || !FF2Control->Enabled()) return;
    // A shown control has its window; focusing one that has not made it yet makes it.
    if (FF2Control->CanFocus()) {
        FF2Control->HandleNeeded();
        FF2Control->SetFocus();
    }
    if (!FF2Control->Focused()) return;
    auto* form = dynamic_cast<TWinControl*>(FF2Control->Owner());
    if (form) SendMessage(form->Handle(), WM_F2LOOKUP, 0, reinterpret_cast<LPARAM>(FF2Control));
}

void TF2Button::SetF2Control(TWinControl* value) {
    if (value == FF2Control) return;
    if (value && Parent()) {
        for (int i = 0; i < Parent()->ComponentCount(); ++i) {
            auto* other = dynamic_cast<TF2Button*>(Parent()->Components(i));
            if (other && other != this && other->FF2Control == value) {
                MessageDlg("不能同时有两个 F2Button 指到同一个 Edit.", mtError, TMsgDlgButtons{mbOK}, 0);
                return;
            }
        }
        // Buttons are usually owned by the form rather than by their parent: look there too.
        for (int i = 0; i < Parent()->ControlCount(); ++i) {
            auto* other = dynamic_cast<TF2Button*>(Parent()->Controls(i));
            if (other && other != this && other->FF2Control == value) {
                MessageDlg("不能同时有两个 F2Button 指到同一个 Edit.", mtError, TMsgDlgButtons{mbOK}, 0);
                return;
            }
        }
    }
    Unhook();
    FF2Control = value;
    if (value) value->FreeNotification(this);
    Hook();
    AlignToControl();
}

void TF2Button::SetAutoAlign(bool value) {
    Unhook();
    FAutoAlign = value;
    Hook();
    AlignToControl();
}

void TF2Button::SetGap(Byte value) {
    FGap = value;
    AlignToControl();
}

void TF2Button::AlignToControl() {
    if (!FF2Control || !FAutoAlign) return;
    int size = FF2Control->Height();
    SetBounds(FF2Control->Left() + FF2Control->Width() + FGap, FF2Control->Top(), size, size);
}

void TF2Button::Notification(TComponent* component, TOperation operation) {
    TGSpeedButton::Notification(component, operation);
    if (operation == opRemove && component == FF2Control) {
        FHooked = false; // the control and its window procedure are going
        FF2Control = nullptr;
    }
}

// Only at design time does the button follow its control's moves and sizes.
void TF2Button::Hook() {
    if (FHooked || !FF2Control || !FAutoAlign || !ComponentState().Contains(csDesigning)) return;
    FOldWndProc = FF2Control->WindowProc();
    FF2Control->SetWindowProc(TWndMethod(this, &TF2Button::ControlWndProc));
    FHooked = true;
}

void TF2Button::Unhook() {
    if (!FHooked) return;
    if (FF2Control) FF2Control->SetWindowProc(FOldWndProc);
    FHooked = false;
}

void TF2Button::ControlWndProc(TMessage& message) {
    Cardinal msg = message.Msg;
    FOldWndProc(message);
    if (msg == WM_MOVE || msg == WM_SIZE) AlignToControl();
    if (msg == WM_DESTROY) Unhook();
}

KVR_PUBLISHED(TF2Button, c) {
    c.Property("AutoAlign", &TF2Button::AutoAlign, &TF2Button::SetAutoAlign).Default(true);
    c.Property("F2Control", &TF2Button::F2Control, &TF2Button::SetF2Control);
    c.Property("Gap", &TF2Button::Gap, &TF2Button::SetGap).Default(2);
}
