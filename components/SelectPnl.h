#pragma once
// TSelectPanel: a query-condition input. The user gives either a range (a begin and an end value, each
// in a masked edit with a pick button) or a list of values (a list view with pick, delete and clear
// buttons); a third style switches between the two with a check box. On exit the range is tidied:
// trimmed, and swapped so that begin is not after end.
#include <functional>
#include <memory>

#include "classlib/controls/comctrls.h"
#include "classlib/controls/extctrls.h"
#include "classlib/controls/forms.h"
#include "classlib/controls/mask.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/strutils.h"
#include "components/BtChkBox.h"
#include "components/F2Button.h"

KVR_ENUM(TSelectStyle, sp_Range, sp_Discrete, sp_UserChoice);
// In the unit's own namespace: the form streams' value type holds the global name.
namespace SelectPnl {
KVR_ENUM(TValueType, vt_String, vt_Number, vt_Date, vt_Time, vt_Float, vt_OtherMask);
} // namespace SelectPnl
KVR_ENUM(TDateType, dt_NoneCare, dt_YYYYMMDD, dt_MMDDYYYY, dt_DDMMYYYY, dt_YYMMDD, dt_YYYMMDD);
KVR_ENUM(TCheckDuplicate, cd_None, cd_CheckCase, cd_CaseInsensitive);

class TSelectPanel;
// One list entry while the list is reordered.
struct TSelectItemCopy;

KVR_EVENT_TYPE(TOpenWinClickEvent, void(TObject* senderParent, TObject* sender));
// The same shape as the close query: Sender, var Accept.
using TDeleteClickEvent = TCloseQueryEvent;
KVR_EVENT_TYPE(TStyleChangingEvent,
               void(TObject* sender, TSelectStyle nowStyle, TSelectStyle& newStyle, bool& accept));
KVR_EVENT_TYPE(TStyleChangeEvent, void(TObject* sender, TSelectStyle oldStyle, TSelectStyle newStyle));
KVR_EVENT_TYPE(TItemSelectEvent, void(TObject* sender, TListItem* xItem, int xIndex, bool xIsSelect));

// A range edit: its change notification reaches the inherited handler only while it is not suppressed.
class TOruMaskEdit : public TMaskEdit {
    KVR_CLASS(TOruMaskEdit, TMaskEdit)
public:
    explicit TOruMaskEdit(TComponent* owner) : TMaskEdit(owner) {}
    bool Suppress = false;

protected:
    void Change() override;
};

// The value list; takes the focus before it handles a left mouse press.
class TOruListView : public TListView {
    KVR_CLASS(TOruListView, TListView)
public:
    explicit TOruListView(TComponent* owner, TSelectPanel* panel = nullptr);
    bool ColumnsAutoSize = true;

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    TSelectPanel* FPanel;
};

// The switch between range and list.
class TOruCheckBox : public TBitCheckBox {
    KVR_CLASS(TOruCheckBox, TBitCheckBox)
public:
    explicit TOruCheckBox(TComponent* owner) : TBitCheckBox(owner) {}
};

class TSelectPanel : public TGroupBox {
    KVR_CLASS(TSelectPanel, TGroupBox)
    KVR_MESSAGES(TSelectPanel)
public:
    explicit TSelectPanel(TComponent* owner);
    ~TSelectPanel() override;

    TSelectStyle Style() const { return FStyle; }
    void SetStyle(TSelectStyle value);
    const AnsiString& HintWord() const { return FHintWord; }
    void SetHintWord(const AnsiString& value);
    bool UserChoice() const { return FUserChoice; }
    void SetUserChoice(bool value);
    TStrings* BeginWords() const { return FBeginWords.get(); }
    void SetBeginWords(TStrings* value);
    TStrings* FinalWords() const { return FFinalWords.get(); }
    void SetFinalWords(TStrings* value);
    const AnsiString& EditMask() const { return FEditMask; }
    void SetEditMask(const AnsiString& value);
    SelectPnl::TValueType ValueType() const { return FValueType; }
    void SetValueType(SelectPnl::TValueType value) { FValueType = value; }
    TDateType DateType() const { return FDateType; }
    void SetDateType(TDateType value) { FDateType = value; }
    const AnsiString& DateSign() const { return FDateSign; }
    void SetDateSign(const AnsiString& value) { FDateSign = value; }
    bool AutoChangeDateSite() const { return FAutoChangeDateSite; }
    void SetAutoChangeDateSite(bool value) { FAutoChangeDateSite = value; }
    const AnsiString& Discard() const { return FDiscard; }
    void SetDiscard(const AnsiString& value) { FDiscard = value; }
    bool UseDiscard() const { return FUseDiscard; }
    void SetUseDiscard(bool value) { FUseDiscard = value; }
    bool CanOpenWin() const { return FCanOpenWin; }
    void SetCanOpenWin(bool value);
    int GlyphIndex() const { return FGlyphIndex; }
    void SetGlyphIndex(int value);
    bool UseVertical() const { return FUseVertical; }
    void SetUseVertical(bool value);
    int OtherWidth() const { return FOtherWidth; }
    void SetOtherWidth(int value) { FOtherWidth = value; }
    int OtherHeight() const { return FOtherHeight; }
    void SetOtherHeight(int value) { FOtherHeight = value; }
    TCheckDuplicate CheckDuplicate() const { return FCheckDuplicate; }
    void SetCheckDuplicate(TCheckDuplicate value);
    // On: the list is put in the order of its texts now and whenever duplicates are checked.
    bool SortListBox() const { return FSortListBox; }
    void SetSortListBox(bool value);
    TStrings* ChildHints() const { return FChildHints.get(); }
    void SetChildHints(TStrings* value);
    TListItems* Items() const { return FListView->Items(); }
    TListColumns* Columns() const { return FListView->Columns(); }
    void SetColumns(TListColumns* value) { FListView->SetColumns(value); }
    bool ShowColumnHeader() const { return FShowColumnHeader; }
    void SetShowColumnHeader(bool value) { FShowColumnHeader = value; }
    bool ColumnsAutoSize() const { return FListView->ColumnsAutoSize; }
    void SetColumnsAutoSize(bool value) { FListView->ColumnsAutoSize = value; }
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool value) { FHideSelection = value; }

    // The caption of each list column, one a line.
    AnsiString ColumnCaptions() const;
    void SetColumnCaptions(const AnsiString& value);

    // The children, for the owner form's pick window and for tests.
    TOruCheckBox* SwitchBox() const { return FSwitch; }
    TOruMaskEdit* BeginEdit() const { return FBeginEdit; }
    TOruMaskEdit* EndEdit() const { return FEndEdit; }
    TF2Button* BeginButton() const { return FBeginButton; }
    TF2Button* EndButton() const { return FEndButton; }
    TOruListView* ListView() const { return FListView; }
    TF2Button* ListButton() const { return FListButton; }
    TGSpeedButton* DeleteButton() const { return FDeleteButton; }
    TGSpeedButton* ClearButton() const { return FClearButton; }
    TPanel* RangePanel() const { return FRangePanel; }
    TPanel* ListPanel() const { return FListPanel; }
    TLabel* BeginLabel() const { return FBeginLabel; }
    TLabel* EndLabel() const { return FEndLabel; }
    // The range is the visible input: sp_Range, or sp_UserChoice with the switch checked.
    bool RangeShown() const;

    // The date a range text stands for by DateType and DateSign; 0 when it is none.
    TDateTime ReadDate(const AnsiString& text) const;
    // A header click on a list column: sorts by it, reversing on a second click of the same column.
    void ColumnClick(int column);
    int SortColumn() const { return FSortColumn; }
    bool SortDescending() const { return FSortDescending; }

    void SetEnabled(bool value) override;
    void SetFocus() override;
    void DoExit() override;

    // Published events.
    TOpenWinClickEvent OnOpenWinClick;
    TNotifyEvent OnClearClick;
    TDeleteClickEvent OnDeleteClick;
    TNotifyEvent OnTypeClick;
    TStyleChangingEvent OnStyleChanging;
    TStyleChangeEvent OnStyleChange;
    TItemSelectEvent OnItemSelect;
    TNotifyEvent OnItemChange;

protected:
    void WMSize(TMessage& message);
    void CMFontChanged(TMessage& message);
    void Loaded() override;

private:
    void Layout();
    void ShowParts();
    void AssignHints();
    void KeepTwo(TStrings* words);
    void WordsChanged(TObject*);
    void HintsChanged(TObject*);
    void PickClick(TObject* sender);
    void DeleteClick(TObject*);
    void ClearClick(TObject*);
    void SwitchClick(TObject*);
    void ListSelectItem(TObject*, TListItem* item, bool selected);
    void RemoveDuplicates();
    void ReorderItems(const std::function<int(const TSelectItemCopy&, const TSelectItemCopy&)>& compare);
    void SortByText();
    void SwapRange();
    bool ShouldSwap();
    bool IsBlankMask(const AnsiString& text) const { return text == FEmptyMaskText; }
    bool IsDiscarded(const AnsiString& text) const { return FUseDiscard && Trim(text) == FDiscard; }
    // Child events passed on as the panel's own.
    void ChildClick(TObject* sender);
    void ChildDblClick(TObject* sender);
    void ChildMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ChildMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ChildMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void ChildKeyDown(TObject* sender, Word& key, TShiftState shift);
    void ChildKeyUp(TObject* sender, Word& key, TShiftState shift);
    void ChildKeyPress(TObject* sender, char& key);
    // The Sender a child's mouse event is passed on with, and its point in that Sender's coordinates.
    TObject* MouseSender(TObject* child, int& x, int& y);

    TSelectStyle FStyle = sp_Range;
    AnsiString FHintWord;
    bool FUserChoice = true;
    std::unique_ptr<TStringList> FBeginWords, FFinalWords, FChildHints;
    AnsiString FEditMask, FEmptyMaskText;
    SelectPnl::TValueType FValueType = SelectPnl::vt_String;
    TDateType FDateType = dt_NoneCare;
    AnsiString FDateSign = "/";
    bool FAutoChangeDateSite = true;
    AnsiString FDiscard;
    bool FUseDiscard = false;
    bool FCanOpenWin = true;
    int FGlyphIndex = 8;
    bool FUseVertical = false;
    int FOtherWidth = 200, FOtherHeight = 105;
    TCheckDuplicate FCheckDuplicate = cd_None;
    bool FSortListBox = false;
    bool FShowColumnHeader = false;
    bool FHideSelection = false;
    int FSortColumn = 0;
    bool FSortDescending = false;
    bool FReordering = false;

    // Made in the constructor in this order; a resize while they are made finds the later ones nil.
    TOruCheckBox* FSwitch = nullptr;
    TPanel* FRangePanel = nullptr;
    TLabel* FBeginLabel = nullptr;
    TOruMaskEdit* FBeginEdit = nullptr;
    TF2Button* FBeginButton = nullptr;
    TLabel* FEndLabel = nullptr;
    TOruMaskEdit* FEndEdit = nullptr;
    TF2Button* FEndButton = nullptr;
    TPanel* FListPanel = nullptr;
    TOruListView* FListView = nullptr;
    TF2Button* FListButton = nullptr;
    TGSpeedButton* FDeleteButton = nullptr;
    TGSpeedButton* FClearButton = nullptr;
};
