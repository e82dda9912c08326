#pragma once
// TQBEForm: the query dialog of every document form. It turns what the user enters into the WHERE text
// (without the word WHERE) and the ORDER BY text of the form's next fetch, plus a row limit: page 0 from
// the condition grid sg1 (one condition per row), pages 1 and 2 from the lines their Add buttons build
// into Memo1 and Memo2 (the detail page restricts the heads through a sub-query on the body table), the
// sort list of page 1. Its left panel keeps the user's saved query schemes of the program.
//
// The memos are read-only: their lines come only from Add and from saved schemes, so no typed text
// reaches the server (the condition texts are built in dialogs/QBEConditions.h).
#include <memory>
#include <vector>

#include "classlib/controls/buttons.h"
#include "classlib/controls/comctrls.h"
#include "classlib/controls/extctrls.h"
#include "classlib/controls/menus.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/db/dbclient.h"
#include "classlib/dbctrls/wwdbctrls.h"
#include "components/Aligrid.h"
#include "components/BtChkBox.h"
#include "components/ExtPage.h"
#include "components/FDbChkBox.h"
#include "components/QvComboBox.h"
#include "dialogs/QBEConditions.h"
#include "framework/QVForm.h"

class TfrmRadical;
class TdmRadical;

class TQBEForm : public TQVForm {
    KVR_CLASS(TQBEForm, TQVForm)
public:
    explicit TQBEForm(TComponent* owner, bool load = true);
    ~TQBEForm() override;

    // Components of the stream.
    TPanel* Panel2 = nullptr;
    TQvComboBox* cbTopRow = nullptr;
    TPanel* pnlCondition = nullptr;
    TLabel* lblCondition = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* btnInsert = nullptr;
    TToolButton* btnOpen = nullptr;
    TToolButton* btnDelete = nullptr;
    TToolButton* ToolButton1 = nullptr;
    TListView* lstCondition = nullptr;
    TEdit* edRename = nullptr;
    TPopupMenu* mnList = nullptr;
    TMenuItem* ViewIcon = nullptr;
    TMenuItem* ViewSmallIcon = nullptr;
    TMenuItem* ViewList = nullptr;
    TMenuItem* ViewReport = nullptr;
    TExtPageControl* ExtPageControl1 = nullptr;
    TTabSheet* TabSheet1 = nullptr;
    TStringAlignGrid* sg1 = nullptr;
    TMemo* moMsgLNG = nullptr;
    TTabSheet* TabSheet2 = nullptr;
    TComboBox* cboField = nullptr;
    TComboBox* CbOperator = nullptr;
    TwwDBComboBox* cboValue = nullptr;
    TFDbCheckBox* ckbValue = nullptr;
    TRadioGroup* rgLogic = nullptr;
    TButton* BBClear = nullptr;
    TButton* BbAssign = nullptr;
    TMemo* Memo1 = nullptr;
    TBitCheckBox* chkBody = nullptr;
    TLabel* Label1 = nullptr;
    // Check list boxes (TFCheckListBox); held as list boxes since that unit and the aligned grid's cannot
    // share a translation unit (their event types collide): QBESortList.h reaches their check marks.
    TCustomListBox* ListBox1 = nullptr;
    TCustomListBox* ListBox2 = nullptr;
    TSpeedButton* btnSortAdd = nullptr;
    TSpeedButton* btnSortRemove = nullptr;
    TTabSheet* TabSheet3 = nullptr;
    TComboBox* cboField2 = nullptr;
    TComboBox* CbOperator2 = nullptr;
    TwwDBComboBox* cboValue2 = nullptr;
    TFDbCheckBox* ckbValue2 = nullptr;
    TRadioGroup* rgLogic2 = nullptr;
    TButton* BBClear2 = nullptr;
    TButton* BbAssign2 = nullptr;
    TMemo* Memo2 = nullptr;
    TPanel* Panel1 = nullptr;
    TButton* BBOK = nullptr;
    TButton* BBCancel = nullptr;
    TClientDataSet* cdsTemp = nullptr;
    TClientDataSet* cdsTemp2 = nullptr;
    TDataSource* dsTemp = nullptr;
    TDataSource* dsTemp2 = nullptr;

    // ---- what the document forms call ----
    void SetHeadDataSet(TDataSet* dataSet, const AnsiString& headTable, bool hideRowLimit,
                        const AnsiString& selectList, const AnsiString& keyList);
    void SetBodyDataSet(TDataSet* dataSet, const AnsiString& bodyTable, const AnsiString& extraFrom,
                        const AnsiString& bodySelectList, const AnsiString& bodyLinkList);
    void SetDefaultTopRow(int rows);
    // Shows the dialog; false on Cancel (the outputs untouched).
    bool Execute(AnsiString& where, AnsiString& orderBy);
    // The row limit; 500 when cbTopRow holds no number.
    int GetTopRow() const;
    void GetCondition(AnsiString& where) const;
    // The texts of the current page without showing the dialog (a saved scheme run from the form).
    void BuildQuery(AnsiString& where, AnsiString& orderBy);
    void DoCondition(TObject* sender);

    // ---- saved schemes ----
    bool SaveScheme(const AnsiString& name, bool replace);
    bool LoadSchemeList();
    bool LoadScheme(int page, const AnsiString& text);
    // The text of the active page as a scheme stores it.
    AnsiString SchemeText() const;

    // ---- the condition grid ----
    void BuildColumnList();
    void FillKeyRows();
    // Rows removed or cleared.
    int RemoveEmptyRows();
    int NextNewRow(Word key) const;
    AnsiString GridCondition() const;
    // The value cell of the row prepared for the field in its field cell, as after a pick.
    void PrepareValueCell(int row);
    // A field picked or typed into the row's field cell: its value cell prepared when the field changed.
    void PickField(int row);

    static int FindWholeWord(const AnsiString& word, const AnsiString& list) {
        return QBEFindWholeWord(word, list);
    }

    const AnsiString& Where() const { return FWhere; }
    const AnsiString& Where2() const { return FWhere2; }
    const AnsiString& OrderBy() const { return FOrderBy; }
    TRecordInfoList* RecordList() const { return FRecords.get(); }
    int DesignHeight() const { return FDesignHeight; }

    // ---- handlers of the stream ----
    void FormCreate(TObject* sender);
    void FormActivate(TObject* sender);
    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormDestroy(TObject* sender);
    void FormKeyPress(TObject* sender, char& key);
    void ExtPageControl1Change(TObject* sender);
    void cbTopRowKeyPress(TObject* sender, char& key);
    void sg1SelectCell(TObject* sender, int col, int row, bool& canSelect);
    void sg1PickListClick(TObject* sender);
    void sg1ValidateEdit(TObject* sender, int col, int row, bool& result);
    void sg1KeyDown(TObject* sender, Word& key, TShiftState shift);
    void sg1KeyPress(TObject* sender, char& key);
    void sg1MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void sg1CalcCellColors(TObject* sender, int col, int row, TRect rect, TGridDrawState state, TFont* font,
                           TBrush* brush);
    void cboFieldChange(TObject* sender);
    void cboField2Change(TObject* sender);
    void ForFloatKeyPress(TObject* sender, char& key);
    void cboValueExit(TObject* sender);
    void DateFieldDBComboDlgExit(TObject* sender);
    // Label and field name of a field list's item in two columns.
    void cboFieldDrawItem(TWinControl* control, int index, TRect rect, TOwnerDrawState state);
    // The sort list's items are dragged within it: pressed on one item, let go over another (or below
    // the last, which moves it to the end).
    void ListBox2MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ListBox2MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ListBox2DragOver(TObject* sender, TObject* source, int x, int y, bool& accept);
    void ListBox2DragDrop(TObject* sender, TObject* source, int x, int y);
    // A sort item wider than its list shows whole in a hint over it while the mouse is on it.
    void ListBox1MouseMove(TObject* sender, TShiftState shift, int x, int y);
    void TabSheet2MouseMove(TObject* sender, TShiftState shift, int x, int y);
    void sg1MouseWheelDown(TObject* sender, TShiftState shift, TPoint mousePos, bool& handled);
    void sg1MouseWheelUp(TObject* sender, TShiftState shift, TPoint mousePos, bool& handled);
    // The long-item hint now showing; nil when none.
    TPanel* HintWindow() const { return FHint; }
    // The value field's text through the module's date, year-month or year handler.
    void ValueSetText(TField* sender, const AnsiString& text);
    void BbAssignClick(TObject* sender);
    void BbAssign2Click(TObject* sender);
    void BBClearClick(TObject* sender);
    void BBClear2Click(TObject* sender);
    void Memo1Change(TObject* sender);
    void Memo2Change(TObject* sender);
    void chkBodyClick(TObject* sender);
    void ListBox1DblClick(TObject* sender);
    void ListBox2DblClick(TObject* sender);
    void BBOKClick(TObject* sender);
    void btnInsertClick(TObject* sender);
    void btnOpenClick(TObject* sender);
    void btnDeleteClick(TObject* sender);
    // The in-place rename of a scheme: newName is what the user typed over the item's caption.
    void lstConditionEdited(TObject* sender, TListItem* item, AnsiString& newName);
    void lstConditionKeyDown(TObject* sender, Word& key, TShiftState shift);
    void edRenameKeyPress(TObject* sender, char& key);
    void edRenameExit(TObject* sender);
    void ToolButton1Click(TObject* sender);
    void ViewIconExecute(TObject* sender);
    void ViewSmallIconExecute(TObject* sender);
    void ViewListExecute(TObject* sender);
    void ViewReportExecute(TObject* sender);

private:
    TfrmRadical* DocumentForm() const;
    TdmRadical* DataModule() const;
    AnsiString Message(int line) const;
    // Message line, followed by what it is about.
    void ShowError(int line, const AnsiString& what = AnsiString());
    // How a field's value is typed: by its text handlers (dates, year-months, years) or as it stands.
    enum class TValueKind { Plain, Date, YearMonth, Year };
    TValueKind FieldValueKind(TField* field) const;
    // The value combo, its key filter and the value field of page 1 or 2 made ready for the picked field.
    void PrepareValueEditor(bool body);
    // Says the fault of a grid row's value; false when there is one.
    bool SayRowFault(int row);
    AnsiString ToUI(const AnsiString& text) const;
    AnsiString ToDB(const AnsiString& text) const;
    AnsiString FromUI(const AnsiString& text) const;
    TQBEDateSettings DateSettings() const;
    void LoadLanguageTexts();
    void BuildFieldLists();
    void BuildBodyFieldLists();
    void AddAdvanced(bool body);
    void SetView(TViewStyle style, TMenuItem* item);
    void UpdateDefaultButton();
    void ClearGrid();
    void ReloadOwnerMenu();
    void FinishRename(bool accept);
    void CopySortItems();
    bool SortItemOffered(const AnsiString& text) const;

    TDataSet* FHeadDataSet = nullptr;
    AnsiString FHeadTable, FKeyList, FHeadSelect;
    std::vector<AnsiString> FFieldNames;
    std::vector<int> FFieldTypes;
    AnsiString FWhere, FWhere2, FOrderBy;
    TDataSet* FBodyDataSet = nullptr;
    AnsiString FBodyTable, FBodyLinkList, FBodySelect, FBodyExtraFrom, FDetail;
    std::vector<AnsiString> FBodyFieldNames;
    std::vector<int> FBodyFieldTypes;
    bool FFirstActivation = true;
    bool FNewRun = true; // the first activation of a run of Execute
    bool FBodyBound = false;
    bool FColumnsSet = false;
    int FLeftPage = 0;
    std::unique_ptr<TRecordInfoList> FRecords;
    int FLabelWidth = 14;
    AnsiString FLastFieldCell;
    std::unique_ptr<TStringList> FOperators;
    std::unique_ptr<TStringList> FMessages;
    int FDesignHeight = 0;
    TListItem* FRenaming = nullptr;
    void sg1WndProc(TMessage& message);
    void FreeHint();
    bool FConditionFault = false; // the last DoCondition found a grid value its field cannot take
    unsigned FTabFormat = 0x6C0;
    TWndMethod FGridWndProc;
    int FDragItem = -1;
    TPanel* FHint = nullptr;
    TCustomListBox* FHintList = nullptr;
    int FHintedItem = -1;
    TValueKind FValueKind = TValueKind::Plain, FValueKind2 = TValueKind::Plain;
};
