#include "classlib/controls/checklst.h"

namespace {
constexpr int kBoxWidth = 13;
} // namespace

TCheckListBox::TCheckListBox(TComponent* owner) : TCustomListBox(owner) {}

void TCheckListBox::ItemsChanged() {
    // The states follow their items by object slot order; a grown list adds unchecked items.
    FStates.resize(static_cast<size_t>(Count()));
    TCustomListBox::ItemsChanged();
}

TCheckBoxState TCheckListBox::State(int index) const {
    if (index < 0 || index >= static_cast<int>(FStates.size())) return cbUnchecked;
    return FStates[static_cast<size_t>(index)].State;
}

void TCheckListBox::SetState(int index, TCheckBoxState value) {
    if (index < 0 || index >= static_cast<int>(FStates.size())) return;
    FStates[static_cast<size_t>(index)].State = value;
    RedrawItem(index);
}

bool TCheckListBox::ItemEnabled(int index) const {
    if (index < 0 || index >= static_cast<int>(FStates.size())) return false;
    return FStates[static_cast<size_t>(index)].Enabled;
}

void TCheckListBox::SetItemEnabled(int index, bool value) {
    if (index < 0 || index >= static_cast<int>(FStates.size())) return;
    FStates[static_cast<size_t>(index)].Enabled = value;
    RedrawItem(index);
}

void TCheckListBox::ToggleItem(int index) {
    if (!ItemEnabled(index)) return;
    TCheckBoxState next = cbChecked;
    switch (State(index)) {
    case cbUnchecked:
        next = FAllowGrayed ? cbGrayed : cbChecked;
        break;
    case cbGrayed:
        next = cbChecked;
        break;
    case cbChecked:
        next = cbUnchecked;
        break;
    }
    SetState(index, next);
    if (FOnClickCheck) FOnClickCheck(this);
}

void TCheckListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect({rect.Left, rect.Top, rect.Left + kBoxWidth + 4, rect.Bottom});
    TRect box{rect.Left + 2, rect.Top + (rect.Height() - kBoxWidth) / 2, rect.Left + 2 + kBoxWidth,
              rect.Top + (rect.Height() - kBoxWidth) / 2 + kBoxWidth};
    unsigned flags = State(index) == cbGrayed
                         ? DFCS_BUTTON3STATE | DFCS_CHECKED
                         : DFCS_BUTTONCHECK | (State(index) == cbChecked ? DFCS_CHECKED : 0);
    if (!ItemEnabled(index)) flags |= DFCS_INACTIVE;
    DrawFrameControl(canvas, box, DFC_BUTTON, flags);
    TRect text{rect.Left + kBoxWidth + 4, rect.Top, rect.Right, rect.Bottom};
    if (!ItemEnabled(index)) state.Include(odDisabled);
    TCustomListBox::DrawItem(index, text, state);
}

void TCheckListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomListBox::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    int index = ItemAtPos({x, y});
    TRect item = ItemRect(index);
    if (index >= 0 && x < item.Left + kBoxWidth + 4) ToggleItem(index);
}

void TCheckListBox::KeyPress(char& key) {
    if (key == ' ' && ItemIndex() >= 0) {
        ToggleItem(ItemIndex());
        key = 0;
        return;
    }
    TCustomListBox::KeyPress(key);
}

void TCheckListBox::DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const {
    for (int i = 0; i < Count(); ++i) {
        const char* mark = State(i) == cbChecked ? "[x] " : State(i) == cbGrayed ? "[-] " : "[ ] ";
        lines.push_back(indent + mark + Items()->Get(i));
    }
}

KVR_PUBLISHED(TCheckListBox, c) {
    c.Property("AllowGrayed", &TCheckListBox::AllowGrayed, &TCheckListBox::SetAllowGrayed).Default(false);
    c.Property("OnClickCheck", &TCheckListBox::OnClickCheck, &TCheckListBox::SetOnClickCheck);
}
