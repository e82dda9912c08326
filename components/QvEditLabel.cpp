#include "components/QvEditLabel.h"

TLabel* CreateEditLabel(TWinControl* control) {
    auto* label = new TLabel(control);
    label->SetName("EditLabel");
    label->SetCaption("");
    label->SetFocusControl(control);
    return label;
}

void PlaceEditLabel(const TControl* control, TLabel* label, TLabelPosition position, int spacing) {
    if (!label) return;
    int left = control->Left(), top = control->Top();
    switch (position) {
    case lpAbove:
        top = control->Top() - label->Height() - spacing;
        break;
    case lpBelow:
        top = control->Top() + control->Height() + spacing;
        break;
    case lpLeft:
        left = control->Left() - label->Width() - spacing;
        top = control->Top() + (control->Height() - label->Height()) / 2;
        break;
    case lpRight:
        left = control->Left() + control->Width() + spacing;
        top = control->Top() + (control->Height() - label->Height()) / 2;
        break;
    }
    label->SetBounds(left, top, label->Width(), label->Height());
}
