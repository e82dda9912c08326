#pragma once
// TFCheckListBox: an owner-drawn list box whose items carry a check mark drawn with symbol-font glyphs.
#include <vector>

#include "classlib/controls/stdctrls.h"

// The check state of one item, kept in the item's object slot. It goes with its item: an item moved to
// another check list box with its object takes its check along, and a check lives while some check list
// box holds it in an item and is freed with the last one.
class TCheck : public TObject {
    KVR_CLASS(TCheck, TObject)
public:
    bool Checked = false;

private:
    friend class TFCheckListBox;
    int FHolders = 0; // the check list boxes holding it
};

KVR_EVENT_TYPE(TCheckEvent, void(TObject* sender, int index));

class TFCheckListBox : public TCustomListBox {
    KVR_CLASS(TFCheckListBox, TCustomListBox)
public:
    explicit TFCheckListBox(TComponent* owner);
    ~TFCheckListBox() override;

    // False for an index out of range.
    bool Checked(int index);
    // Stores the value when it differs, then always redraws the item and calls DoCheck.
    void SetChecked(int index, bool value);
    void Toggle(int index);

    TColor BarColor() const { return FBarColor; }
    void SetBarColor(TColor value);
    int BoxSize() const { return FBoxSize; }
    // A size not smaller than ItemHeight becomes ItemHeight.
    void SetBoxSize(int value);
    int CheckStyle() const { return FCheckStyle; }
    void SetCheckStyle(int value);
    const TCheckEvent& OnCheck() const { return FOnCheck; }
    void SetOnCheck(const TCheckEvent& value) { FOnCheck = value; }

    // The check box of an item in the client area.
    TRect BoxRect(int index) const;
    // The glyph character and colour of a check style and state; character 0 draws nothing.
    static void CheckGlyph(int checkStyle, bool checked, char& glyph, TColor& color);

    void ItemsChanged() override;

protected:
    virtual void DoCheck(int index);
    void DrawItem(int index, TRect rect, TOwnerDrawState state) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(Word& key, TShiftState shift) override;

private:
    TCheck* GetCheck(int index);
    void DrawCheck(const TRect& rect, bool checked, bool selected);

    // The checks in this list's items now, each held once (sorted).
    void HoldChecks();
    std::vector<TCheck*> FHeld;
    bool FReleasing = false;
    TColor FBarColor;
    int FBoxSize = 18;
    int FCheckStyle = 1;
    TCheckEvent FOnCheck;
};
