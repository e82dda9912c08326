#pragma once
// TCheckListBox: a list box whose items carry check boxes.
#include <vector>

#include "classlib/controls/stdctrls.h"

class TCheckListBox : public TCustomListBox {
    KVR_CLASS(TCheckListBox, TCustomListBox)
public:
    explicit TCheckListBox(TComponent* owner);

    // Out of range: reads give false / cbUnchecked / false, writes do nothing.
    bool Checked(int index) const { return State(index) == cbChecked; }
    void SetChecked(int index, bool value) { SetState(index, value ? cbChecked : cbUnchecked); }
    TCheckBoxState State(int index) const;
    void SetState(int index, TCheckBoxState value);
    bool ItemEnabled(int index) const;
    void SetItemEnabled(int index, bool value);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool value) { FAllowGrayed = value; }
    const TNotifyEvent& OnClickCheck() const { return FOnClickCheck; }
    void SetOnClickCheck(const TNotifyEvent& value) { FOnClickCheck = value; }
    // The user's toggle of an item: the next state, then OnClickCheck; a disabled item does not change.
    void ToggleItem(int index);
    void ItemsChanged() override;
    void DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const override;

protected:
    void DrawItem(int index, TRect rect, TOwnerDrawState state) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyPress(char& key) override;

private:
    struct TItemState {
        TCheckBoxState State = cbUnchecked;
        bool Enabled = true;
    };
    std::vector<TItemState> FStates;
    bool FAllowGrayed = false;
    TNotifyEvent FOnClickCheck;
};
