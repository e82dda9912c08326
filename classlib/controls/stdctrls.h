#pragma once
// The standard controls: labels, edits, memos, list and combo boxes, check boxes, radio buttons, group
// boxes.
#include <algorithm>
#include <memory>
#include <vector>

#include "classlib/controls/clipbrd.h"
#include "classlib/controls/controls.h"
#include "classlib/controls/forms.h"
#include "classlib/objects/stringlist.h"

// Left or right only, named as the alignment (the class library's subrange).
using TLeftRight = TAlignment;
KVR_ENUM(TTextLayout, tlTop, tlCenter, tlBottom);
KVR_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase);
KVR_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth);
KVR_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable);
KVR_ENUM(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable);
KVR_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed);
KVR_ENUM(TOwnerDrawStateElement, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault,
         odComboBoxEdit);
KVR_SET(TOwnerDrawState, TOwnerDrawStateElement);

KVR_EVENT_TYPE(TDrawItemEvent, void(TWinControl* control, int index, TRect rect, TOwnerDrawState state));
KVR_EVENT_TYPE(TMeasureItemEvent, void(TWinControl* control, int index, int& height));

// ---- labels ----

class TCustomLabel : public TGraphicControl {
    KVR_CLASS(TCustomLabel, TGraphicControl)
    KVR_MESSAGES(TCustomLabel)
public:
    explicit TCustomLabel(TComponent* owner);

    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool value);

    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;

protected:
    void Paint() override;
    virtual void AdjustBounds();
    void CMTextChanged(TMessage& message);
    void CMFontChanged(TMessage& message);
    void CMDialogChar(TMessage& message);

private:
    unsigned TextFlags() const;
    TWinControl* FFocusControl = nullptr;
    bool FAutoSize = true;
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FTransparent = false;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
};

class TLabel : public TCustomLabel {
    KVR_CLASS(TLabel, TCustomLabel)
public:
    explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

// ---- edits ----

class TCustomEdit : public TCustomControl {
    KVR_CLASS(TCustomEdit, TCustomControl)
    KVR_MESSAGES(TCustomEdit)
public:
    explicit TCustomEdit(TComponent* owner);

    // Bytes, as the platform's edits count; 0 means no limit. Typing and pasting stop at it.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase value);
    char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char value);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool value) { FAutoSelect = value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool Modified() const { return FModified; }
    void SetModified(bool value) { FModified = value; }
    // Selection in bytes; a start inside a double-byte character moves to its start.
    int SelStart() const { return FSelStart; }
    void SetSelStart(int value);
    int SelLength() const { return FSelLength; }
    void SetSelLength(int value);
    AnsiString SelText() const;
    // Replaces the selection, within MaxLength, and leaves the caret after the new text.
    void SetSelText(const AnsiString& value);
    void SelectAll();
    void ClearSelection();
    void Clear() { SetText(""); }
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& value) { FOnChange = value; }

    AnsiString DumpText() const override;

protected:
    virtual void Change();
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void DoEnter() override;
    void Paint() override;
    // What the edit shows: the text, or PasswordChar for every byte.
    virtual AnsiString DisplayText() const;
    // Typing one character (a double-byte character arrives as its two bytes in turn).
    virtual void TypeChar(char key);
    virtual void DeleteKey(bool backwards);
    void ReplaceSelection(const AnsiString& value, bool byUser);
    // The bytes being edited (what Text gives for a plain edit), read and written without formatting.
    AnsiString EditBuffer() const { return TControl::GetText(); }
    void SetEditBuffer(const AnsiString& value);
    void SetTextByUser(const AnsiString& value);
    void CMTextChanged(TMessage& message);
    void WMCut(TMessage& message);
    void WMCopy(TMessage& message);
    void WMPaste(TMessage& message);
    void WMClear(TMessage& message);
    void WMGetDlgCode(TMessage& message);
    void EMSetSel(TMessage& message);
    void EMGetSel(TMessage& message);
    void EMLimitText(TMessage& message);
    void EMSetReadOnly(TMessage& message);

    int FSelStart = 0;
    int FSelLength = 0;
    bool FModified = false;

private:
    int FMaxLength = 0;
    bool FReadOnly = false;
    TEditCharCase FCharCase = ecNormal;
    char FPasswordChar = 0;
    bool FAutoSelect = true;
    TBorderStyle FBorderStyle = bsSingle;
    char FPendingLead = 0; // the first byte of a double-byte character being typed
    TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
    KVR_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

class TCustomMemo;
// The lines of a memo: a string list whose changes become the memo's text.
class TMemoStrings : public TStringList {
    KVR_CLASS(TMemoStrings, TStringList)
public:
    explicit TMemoStrings(TCustomMemo* memo = nullptr) : FMemo(memo) {}

protected:
    void Changed() override;

private:
    TCustomMemo* FMemo;
};

class TCustomMemo : public TCustomEdit {
    KVR_CLASS(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;

    TStrings* Lines() const;
    void SetLines(TStrings* value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool value) { FWantReturns = value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool value) { FWantTabs = value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);

protected:
    friend class TMemoStrings;
    void KeyPress(char& key) override;
    void Change() override;
    void Paint() override;

private:
    std::unique_ptr<TMemoStrings> FLines;
    bool FSyncing = false;
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
    TAlignment FAlignment = taLeftJustify;
};

class TMemo : public TCustomMemo {
    KVR_CLASS(TMemo, TCustomMemo)
public:
    explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

// ---- list boxes ----

class TCustomListBox;
// The items of a list or combo box; changes repaint the owner and keep its selection in range.
class TListItemsStrings : public TStringList {
    KVR_CLASS(TListItemsStrings, TStringList)
public:
    explicit TListItemsStrings(TWinControl* owner = nullptr) : FOwner(owner) {}

protected:
    void Changed() override;

private:
    TWinControl* FOwner;
};

class TCustomListBox : public TCustomControl {
    KVR_CLASS(TCustomListBox, TCustomControl)
    KVR_MESSAGES(TCustomListBox)
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    TStrings* Items() const;
    void SetItems(TStrings* value);
    int Count() const { return Items()->Count(); }
    // -1 when none; an index out of range selects nothing.
    int ItemIndex() const { return FItemIndex; }
    virtual void SetItemIndex(int value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool value);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool value) { FExtendedSelect = value; }
    // Selected[i]: with MultiSelect each item has its own mark; without it, the current item.
    bool Selected(int index) const;
    void SetSelected(int index, bool value);
    int SelCount() const;
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle value);
    int ItemHeight() const { return FItemHeight; }
    virtual void SetItemHeight(int value);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);
    bool IntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool value) { FIntegralHeight = value; }
    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int value) { FTabWidth = value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    int TopIndex() const { return FTopIndex; }
    void SetTopIndex(int value);
    const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
    void SetOnDrawItem(const TDrawItemEvent& value) { FOnDrawItem = value; }
    const TMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
    void SetOnMeasureItem(const TMeasureItemEvent& value) { FOnMeasureItem = value; }

    // The rectangle of item index in the client area (empty when it is scrolled out of view).
    TRect ItemRect(int index) const;
    // The item under a client point; -1 when none.
    int ItemAtPos(const TPoint& pos, bool existing = true) const;
    void Clear();
    // Paints item index again, with its current state.
    void RedrawItem(int index);

    AnsiString DumpText() const override;
    void DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const override;
    virtual void ItemsChanged();

protected:
    // Owner drawing: OnDrawItem when assigned and the style is owner-drawn, else the default look.
    virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
    void DefaultDrawItem(int index, const TRect& rect, TOwnerDrawState state);
    TOwnerDrawState ItemState(int index) const;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    TRect ItemsArea() const;
    void WMGetDlgCode(TMessage& message);

private:
    std::unique_ptr<TListItemsStrings> FItems;
    int FItemIndex = -1;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    std::vector<bool> FSelected;
    TListBoxStyle FStyle = lbStandard;
    int FItemHeight = 16;
    bool FSorted = false;
    bool FIntegralHeight = false;
    int FTabWidth = 0;
    TBorderStyle FBorderStyle = bsSingle;
    int FTopIndex = 0;
    TDrawItemEvent FOnDrawItem;
    TMeasureItemEvent FOnMeasureItem;
};

class TListBox : public TCustomListBox {
    KVR_CLASS(TListBox, TCustomListBox)
public:
    explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// ---- combo boxes ----

class TCustomComboBox : public TCustomControl {
    KVR_CLASS(TCustomComboBox, TCustomControl)
    KVR_MESSAGES(TCustomComboBox)
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    TStrings* Items() const;
    void SetItems(TStrings* value);
    int ItemIndex() const { return FItemIndex; }
    // Also shows the item's text in the edit part; -1 clears it.
    void SetItemIndex(int value);
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle value);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int value) { FDropDownCount = value; }
    bool DroppedDown() const { return FDroppedDown; }
    void SetDroppedDown(bool value);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int value);
    // The width of the dropped list (CB_SETDROPPEDWIDTH): never narrower than the combo itself.
    int DropDownWidth() const { return std::max(FDropDownWidth, Width()); }
    void SetDropDownWidth(int value) { FDropDownWidth = value; }
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value) { FMaxLength = value; }
    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase value) { FCharCase = value; }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& value) { FOnChange = value; }
    const TNotifyEvent& OnSelect() const { return FOnSelect; }
    void SetOnSelect(const TNotifyEvent& value) { FOnSelect = value; }
    const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
    void SetOnDropDown(const TNotifyEvent& value) { FOnDropDown = value; }
    const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(const TNotifyEvent& value) { FOnCloseUp = value; }
    const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
    void SetOnDrawItem(const TDrawItemEvent& value) { FOnDrawItem = value; }

    // The user picks item index from the list: text, OnChange, then OnSelect.
    void SelectItem(int index);
    void ItemsChanged();
    // The rectangle of item index in the dropped list, in the combo's coordinates (below the edit).
    TRect DropDownItemRect(int index) const;
    AnsiString DumpText() const override;

protected:
    virtual void Change();
    virtual void Select();
    virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
    void Paint() override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    bool EditableText() const { return FStyle == csDropDown || FStyle == csSimple; }
    void WMGetDlgCode(TMessage& message);
    void EMSetSel(TMessage& message);
    bool FTextSelected = false;

private:
    void SetTextByUser(const AnsiString& value);

    std::unique_ptr<TListItemsStrings> FItems;
    int FItemIndex = -1;
    TComboBoxStyle FStyle = csDropDown;
    int FDropDownCount = 8;
    bool FDroppedDown = false;
    int FItemHeight = 16;
    int FDropDownWidth = 0;
    int FMaxLength = 0;
    bool FSorted = false;
    TEditCharCase FCharCase = ecNormal;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnSelect;
    TNotifyEvent FOnDropDown;
    TNotifyEvent FOnCloseUp;
    TDrawItemEvent FOnDrawItem;
};

class TComboBox : public TCustomComboBox {
    KVR_CLASS(TComboBox, TCustomComboBox)
public:
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

// ---- buttons with a state ----

class TButtonControl : public TCustomControl {
    KVR_CLASS(TButtonControl, TCustomControl)
    KVR_MESSAGES(TButtonControl)
public:
    explicit TButtonControl(TComponent* owner);

protected:
    virtual bool GetChecked() const { return false; }
    virtual void SetChecked(bool) {}
    void CMDialogChar(TMessage& message);
    void WMGetDlgCode(TMessage& message);
    bool FClicksDisabled = false;
};

class TCustomCheckBox : public TButtonControl {
    KVR_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* owner);

    bool Checked() const { return FState == cbChecked; }
    void SetCheckedValue(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    // A change runs the click handling (OnClick) unless clicks are disabled.
    void SetState(TCheckBoxState value);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool value) { FAllowGrayed = value; }
    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight value);

    // Space and clicks: unchecked, checked, then grayed when allowed.
    virtual void Toggle();

protected:
    bool GetChecked() const override { return Checked(); }
    void SetChecked(bool value) override { SetCheckedValue(value); }
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyPress(char& key) override;
    void Paint() override;
    // The box's rectangle in the client area.
    TRect BoxRect() const;

private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TLeftRight FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
    KVR_CLASS(TCheckBox, TCustomCheckBox)
public:
    explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

class TRadioButton : public TButtonControl {
    KVR_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* owner);

    bool Checked() const { return FChecked; }
    // Checking one unchecks the other radio buttons of the same parent.
    void SetCheckedValue(bool value);
    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight value);

protected:
    bool GetChecked() const override { return FChecked; }
    void SetChecked(bool value) override { SetCheckedValue(value); }
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyPress(char& key) override;
    void Paint() override;

private:
    bool FChecked = false;
    TLeftRight FAlignment = taRightJustify;
};

// The system's look of a radio button over client: the round box on the side the caption leaves free
// (alignment taRightJustify: the caption right of the box), the caption from its side's left edge, grey
// when disabled. TRadioButton and the suite's own radio buttons paint with it.
void PaintRadioButton(TCanvas* canvas, const TRect& client, TColor color, TFont* font,
                      const AnsiString& caption, TLeftRight alignment, bool checked, bool enabled);

// ---- group boxes ----

class TCustomGroupBox : public TCustomControl {
    KVR_CLASS(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* owner);
    void AdjustClientRect(TRect& rect) override;

protected:
    void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
    KVR_CLASS(TGroupBox, TCustomGroupBox)
public:
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};

// Texts of a case: applies CharCase to ASCII letters, leaving double-byte characters alone.
AnsiString ApplyCharCase(const AnsiString& text, TEditCharCase charCase);
