#include "components/DBLabel.h"

#include <algorithm>

#include "classlib/controls/dialogs.h"
#include "classlib/db/db.h"
#include "classlib/objects/rtti.h"

TDBLabel::TDBLabel(TComponent* owner) : TLabel(owner) {
    SetCaption("挂靠标签");
    RefreshLabel();
}

TDBLabel::~TDBLabel() {
    Unhook();
}

void TDBLabel::SetAutoAlign(bool value) {
    Unhook();
    FAutoAlign = value;
    Hook();
    RefreshLabel();
}

void TDBLabel::SetAutoCaption(bool value) {
    FAutoCaption = value;
    RefreshLabel();
}

void TDBLabel::SetGap(Byte value) {
    if (FGap == value) return;
    FGap = value;
    RefreshLabel();
}

void TDBLabel::SetPos(TPos value) {
    FPos = value;
    RefreshLabel();
}

bool TDBLabel::ServedElsewhere(TWinControl* control) const {
    if (!Parent()) return false;
    for (int i = 0; i < Parent()->ComponentCount(); ++i) {
        auto* other = dynamic_cast<TDBLabel*>(Parent()->Components(i));
        if (other && other != this && other->FocusControl() == control) return true;
    }
    // Labels are usually owned by the form rather than by their parent: look at the parent's controls.
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* other = dynamic_cast<TDBLabel*>(Parent()->Controls(i));
        if (other && other != this && other->FocusControl() == control) return true;
    }
    return false;
}

void TDBLabel::SetFocusControl(TWinControl* value) {
    if (value == FocusControl()) return;
    if (value && ServedElsewhere(value)) {
        MessageDlg("不能同时有两个 DBLabel 指到同一个 Control.", mtError, TMsgDlgButtons{mbOK}, 0);
        return;
    }
    Unhook();
    TLabel::SetFocusControl(value);
    Hook();
    RefreshLabel();
}

void TDBLabel::RefreshLabel() {
    CaptionFromField();
    AlignToControl();
}

void TDBLabel::CaptionFromField() {
    TWinControl* control = FocusControl();
    if (!FAutoCaption || !control) return;
    try {
        if (!IsPublishedProp(control, "DataSource") || !IsPublishedProp(control, "DataField")) return;
        auto* source = dynamic_cast<TDataSource*>(GetObjectProp(control, "DataSource"));
        if (!source || !source->DataSet()) return;
        if (TField* field = source->DataSet()->FindField(GetStrProp(control, "DataField")))
            SetCaption(field->DisplayLabel());
    } catch (const Exception&) {
        // The caption stays as it was.
    }
}

void TDBLabel::AlignToControl() {
    TWinControl* c = FocusControl();
    if (!c || !FAutoAlign) return;
    int left = 0, top = 0;
    switch (FPos) {
    case psTop:
        left = c->Left();
        top = c->Top() - Height() - FGap;
        break;
    case psBottom:
        left = c->Left();
        top = c->Top() + c->Height() + FGap;
        break;
    case psLeft:
    case psRight:
        top = c->Height() == Height() ? c->Top() : c->Top() + c->Height() / 2 - Height() / 2;
        left = FPos == psLeft ? c->Left() - Width() - FGap : c->Left() + c->Width() + FGap;
        break;
    }
    SetBounds(std::max(left, 0), std::max(top, 0), Width(), Height());
}

void TDBLabel::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == FHooked) FHooked = nullptr; // its window procedure goes too
    TLabel::Notification(component, operation);
}

// Only at design time does the label follow its control's moves, sizes and text.
void TDBLabel::Hook() {
    TWinControl* control = FocusControl();
    if (FHooked || !control || !ComponentState().Contains(csDesigning)) return;
    FOldWndProc = control->WindowProc();
    control->SetWindowProc(TWndMethod(this, &TDBLabel::ControlWndProc));
    FHooked = control;
}

void TDBLabel::Unhook() {
    if (!FHooked) return;
    FHooked->SetWindowProc(FOldWndProc);
    FHooked = nullptr;
}

void TDBLabel::ControlWndProc(TMessage& message) {
    Cardinal msg = message.Msg;
    FOldWndProc(message);
    if (msg == WM_MOVE || msg == WM_SIZE || msg == CM_TEXTCHANGED) RefreshLabel();
    if (msg == WM_DESTROY) Unhook();
}

KVR_PUBLISHED(TDBLabel, c) {
    c.Property("AutoAlign", &TDBLabel::AutoAlign, &TDBLabel::SetAutoAlign).Default(true);
    c.Property("AutoCaption", &TDBLabel::AutoCaption, &TDBLabel::SetAutoCaption).Default(true);
    c.Property("FocusControl", &TDBLabel::FocusControl, &TDBLabel::SetFocusControl);
    c.Property("Gap", &TDBLabel::Gap, &TDBLabel::SetGap).Default(4);
    c.Property("Pos", &TDBLabel::Pos, &TDBLabel::SetPos).Default(psLeft);
}
