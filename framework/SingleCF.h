#pragma once
// TfrmSingle: the document form of a single-table document and the base of the header-plus-body form.
// Over the base form it adds its detail pages (pgHead: the program's pages first, tbsBrowse with the
// browse grid gdHead last), the open modes the host asks for, the query through the query-by-example
// dialog and the user's saved query conditions, saving with keep-on-add, print and preview, the two
// exports and the close result the controller hands to the host.
//
// Open modes (FormModes.h): 1 adds, 3 changes, 5 prints, 7 and 8 add or change with the host's
// parameter and close after a successful save (result code 1; every other close gives 2).
#include <functional>
#include <memory>

#include "classlib/controls/extctrls.h"
#include "classlib/objects/stringlist.h"
#include "components/ExtPage.h"
#include "components/FDBGrid.h"
#include "foundation/libColormanage.h"
#include "foundation/MT_Doc.h"
#include "foundation/libUDF.h"
#include "framework/BaseCF.h"
#include "framework/SingleCD.h"

class TfrmSingle;
class TSingleAttachments;
class TSingleUserFields;
class TSingleColorFilter;
class TSingleLinks;
class TSingleImport;
class TSinglePrintFormats;

// The query-by-example dialog as the form drives it (the dialogs' TQBEForm). The component it wraps
// is owned by the form.
class TQueryDialog {
public:
    virtual ~TQueryDialog() = default;
    virtual TComponent* Component() const = 0;
    virtual void SetHeadDataSet(TDataSet* dataSet, const AnsiString& headTable, bool hideRowLimit,
                                const AnsiString& selectList, const AnsiString& keyList) = 0;
    virtual void SetDefaultTopRow(int rows) = 0;
    // The lines the advanced page queries (the header-plus-body form binds them); none by default.
    virtual void SetBodyDataSet(TDataSet* dataSet, const AnsiString& bodyTable, const AnsiString& extraFrom,
                                const AnsiString& selectList, const AnsiString& linkList) {
        (void)dataSet, (void)bodyTable, (void)extraFrom, (void)selectList, (void)linkList;
    }
    // False when the user cancels; the outputs are then untouched.
    virtual bool Execute(AnsiString& where, AnsiString& orderBy) = 0;
    virtual int GetTopRow() = 0;
    virtual bool LoadScheme(const Variant& page, const AnsiString& text) = 0;
    virtual void BuildQuery(AnsiString& where, AnsiString& orderBy) = 0;
};

// ---- services: each a helper the form owns, in a unit of its own (SingleAttachments, SingleUserFields,
// SingleLinks, SinglePrintFormats, SingleColorFilter, SingleImport; sign-off settings in SingleSignOff)
// ----
// The colour-condition query dialog as the form drives it (the dialogs' TColorQBEForm), made once
// over the header grid's conditions; the component it wraps is owned by the form.
class TColorQueryDialog {
public:
    virtual ~TColorQueryDialog() = default;
    // Runs the dialog; true on OK, with the conditions' ticks taken back.
    virtual bool Execute(bool colorManage, TColorConditions* conditions) = 0;
    // The colour-management switch as the user left it.
    virtual bool IsColorManage() const = 0;
};

// A drill-down link row (WOQMR) as its condition needs it: the source fields, the target fields and
// their separator.
struct TGridLink {
    AnsiString Source1, Source2, Target1, Target2, Separator;
};
// The condition that opens the target program for the record's texts of the two source fields; ''
// when the values give none. The values enter as quoted literals.
AnsiString BuildGridLinkCondition(const TGridLink& link, const AnsiString& value1, const AnsiString& value2,
                                  int sqlType);
// The colour filter's condition: the ticked conditions or-ed, within the remembered condition unless
// that holds them already; every "$$" becomes database + "..".
AnsiString BuildColorFilter(const std::vector<AnsiString>& ticked, const AnsiString& remembered,
                            const AnsiString& database);
// ---- end of services ----

class TfrmSingle : public TfrmBase, public TSingleView {
    KVR_CLASS(TfrmSingle, TfrmBase)
public:
    explicit TfrmSingle(TComponent* owner, bool load = true);
    ~TfrmSingle() override;

    // Components of the stream.
    TToolButton* btnOK = nullptr;
    TToolButton* btnCancel = nullptr;
    TPanel* pnlHead = nullptr; // the header area above the pages, when the program's stream has one
    TExtPageControl* pgHead = nullptr;
    TTabSheet* tbsHead1 = nullptr;
    TTabSheet* tbsUDF = nullptr;
    TTabSheet* tbsBrowse = nullptr;
    TFDBGrid* gdHead = nullptr;
    TImageList* imgSingle = nullptr;
    TPopupMenu* mnCondition = nullptr;
    TPopupMenu* pmColorCondition = nullptr;
    TPopupMenu* popPrint = nullptr;
    TPopupMenu* pmMultiSelect = nullptr;
    TMenuItem* miPreview = nullptr;
    TMenuItem* miPrint = nullptr;
    TMenuItem* miOK = nullptr;
    TMenuItem* miCancel = nullptr;
    TMenuItem* miExport = nullptr;
    TMenuItem* miTable2Excel = nullptr;
    TMenuItem* miTable2Excel2 = nullptr;
    TMenuItem* miDirectPrint = nullptr;
    TMenuItem* miPriewPrint = nullptr;
    TMenuItem* miBBSelectAll = nullptr;
    TMenuItem* miBBUnSelectAll = nullptr;
    TToolButton* btnColorQuery = nullptr; // made at creation
    TToolButton* btnCalc = nullptr;       // made at creation

    // Fields.
    bool IsColorManage = false;
    bool StartConditionSet = false;
    bool QueryRan = false; // the last query command queried (not cancelled in its dialog)
    // Focused after Add and after Change when they can take the focus (the program names them).
    TWinControl* AddFocusEdit = nullptr;
    TWinControl* EditFocusEdit = nullptr;
    std::unique_ptr<TColorComponents> HeadColors;

    // Virtual operations, in slot order (after TfrmBase's).
    virtual void pgHeadChange(TObject* sender);
    virtual void BeforeShowAction();
    virtual void OpenAddWithParam(const Variant& param);
    virtual void OpenEditWithParam(const Variant& param);
    virtual void RunSavedCondition(TObject* sender);
    // The colour-manager text of the form; '' without one (the user-settings level reads it).
    virtual AnsiString ColorManagerText();
    // Dynamic operations.
    virtual void BuildHeadColors(const AnsiString& text);
    // The next number of a document of the record's type and date. '' when the host gives none
    // (E 000033 said), so that no placeholder is ever taken for a number.
    virtual AnsiString NextDocumentNo();
    // The form makes its own dialogs: by default the dialogs' forms; a program or a test overrides
    // these. None (nullptr): the query command fetches the last condition again, the colour filter
    // runs from its menu alone, an export shows no progress.
    virtual std::unique_ptr<TQueryDialog> MakeQueryDialog();
    virtual std::unique_ptr<TColorQueryDialog> MakeColorQueryDialog(TColorConditions* conditions);
    std::unique_ptr<TExportStatus> MakeExportStatusDialog() override;
    // The steps of SaveRecord, which the header-plus-body form extends. PrepareSave posts the record
    // once, with what goes with it, and checks it; false or EAbort stops the save (SaveStopped) with
    // the record still being edited. ApplySave sends the change packet: its result is the save's.
    // SaveFailed answers a refused packet, SaveRaised an exception of either step before it goes on.
    // After a successful apply FinishSave runs, then LeaveEditAfterSave even when FinishSave raised.
    virtual bool PrepareSave(bool adding);
    virtual bool ApplySave(bool adding);
    virtual void SaveStopped();
    virtual void SaveFailed();
    virtual void SaveRaised(const Exception& e);
    virtual void FinishSave(bool adding);
    virtual void LeaveEditAfterSave(bool adding);

    // Overrides.
    void ConnectDataModule() override;
    void ApplyInputSettings() override;
    void ConfigureProgram() override;
    void AfterFormShow() override;
    bool AddRecord(bool keepValues) override;
    bool EditRecord() override;
    bool QueryRecords() override;
    bool SaveRecord() override;
    bool CancelEdit(bool ask) override;
    bool KeepFailedEdit() override;
    bool ValidateRecord(TDataSet* dataSet) override;
    void ColorDataChanged() override;
    // Save and cancel only while a record is being edited.
    void UpdateButtonStates() override;
    void SetQueryCondition(TCustomClientDataSet* dataSet, const AnsiString& where,
                           const AnsiString& order) override;

    // What the data module asks of the form.
    bool ViewColorManaged() override { return IsColorManage; }
    void ViewColorsAfterSave(bool adding) override;
    void ViewColorDataChanged() override { ColorDataChanged(); }
    bool ViewHasHeadColors() override { return static_cast<bool>(HeadColors); }
    void ViewApplyHeadColors(TDataSet* colorRow) override;
    bool ViewIsRecordSelected() override { return IsRecordSelected(); }
    void ViewApplyDefaultTexts() override;
    TUDFFields* ViewHeadUDFDefaults() override { return HeadUDFDefaults.get(); }

    TdmSingle* SingleModule() const { return dynamic_cast<TdmSingle*>(DataModule); }
    TQueryDialog* QueryDialog() const { return FQueryDialog.get(); }
    // Whether the browse grid has the current record among its selected rows.
    bool IsRecordSelected() const;
    // The saved query conditions into mnCondition; btnQuery drops them down when there are any.
    void LoadSavedConditions();
    // The close result for the controller: 1 after open modes 7 and 8, else 2.
    int CloseResult() const;

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormDestroy(TObject* sender);
    void FormResize(TObject* sender);
    void miOKClick(TObject* sender);
    void miCancelClick(TObject* sender);
    void miPrintClick(TObject* sender);
    void miPreviewClick(TObject* sender);
    void miTable2ExcelClick(TObject* sender);
    void miTable2Excel2Click(TObject* sender);
    void miBBSelectAllClick(TObject* sender);
    void miBBUnSelectAllClick(TObject* sender);
    void btnCalcClick(TObject* sender);

    // ---- keyboard, page rights and command states (SingleKeys.cpp) ----
    TMenuItem* miBBPrint = nullptr;
    TMenuItem* P1 = nullptr; // the batch menu
    TMenuItem* miTools = nullptr;
    TMenuItem* miCacl = nullptr;
    TMenuItem* miOptions = nullptr;
    TImageList* SortMapList = nullptr; // the title images of the sorted column: 0 ascending, 1 descending
    // The pop-up menu of the lookup edits: their F2, F3 and F4 lookups by mouse.
    TPopupMenu* popOpenF2Window = nullptr;
    TMenuItem* miOpenF2Window = nullptr;
    TMenuItem* miOpenF3Window = nullptr;
    TMenuItem* miOpenF4Window = nullptr;
    void miCaclClick(TObject* sender);
    void miOpenF2WindowClick(TObject* sender);
    void miOpenF3WindowClick(TObject* sender);
    void miOpenF4WindowClick(TObject* sender);
    // Ctrl+Tab / Ctrl+PgDn and Ctrl+Shift+Tab / Ctrl+PgUp turn the header pages; while a record is
    // edited they never land on the browse page.
    void FormKeyDown(TObject* sender, Word& key, TShiftState shift);
    void pgHeadChanging(TObject* sender, bool& allowChange);
    // Pages 0..14 by the rights 0..14 while editing; the browse page only while not.
    void EnableHeadPages(bool editing);
    void ShowState(Byte state) override;
    virtual void UpdateBatchMenu();
    void miBBPrintClick(TObject* sender);
    void P1Click(TObject* sender);
    // "+", "*", "/" in a number field run the calculator on it; Enter in a memo stays in it.
    void FormKeyPress(TObject* sender, char& key);
    // The calculator on a control's value (a field's shown text); its result goes back when the
    // control takes input.
    void CalculateIntoControl(TWinControl* control);
    TField* ControlField(TWinControl* control) const;
    // The browse grid: the selection column picks rows by double click or Space.
    void gdHeadDblClick(TObject* sender);
    void gdHeadKeyDown(TObject* sender, Word& key, TShiftState shift);
    // The selection column takes a tick: the grid edits there and nowhere else.
    void gdHeadColEnter(TObject* sender);
    void ToggleHeadSelection();
    // The options dialog: keep-on-add, focus-page-one and the colour management as the user left them;
    // the grids redraw with the number formats.
    void miOptionsClick(TObject* sender);
    // Required and key inputs take their colours; the browse grid's columns fill its width.
    void ColorGridColumns() override;
    // The field has a drill-down link (its cells are drawn as links while browsing).
    bool IsLinkField(const AnsiString& name) const;
    int FPageBeforeChange = 0; // the active page before the user changed it
    void btnColorQueryClick(TObject* sender);
    // A title click sorts by its column (again: the other way round), but the selection column's.
    void gdHeadTitleButtonClick(TObject* sender, const AnsiString& fieldName);
    void gdHeadCalcTitleImage(TObject* sender, TField* field, int& titleImageIndex);
    // Key columns' titles take the key colour.
    void gdHeadCalcTitleAttributes(TObject* sender, const AnsiString& fieldName, TFont* font, TBrush* brush);
    void gdHeadCalcCellColors(TObject* sender, TField* field, TGridDrawState state, bool highlight,
                              TFont* font, TBrush* brush);

    // ---- services: attachments, user-defined fields, drill-down links, print formats, sign-off
    // settings, the colour filter and the data import of open mode 11. The operations below are the
    // form's (a descendant overrides them); the helpers behind them hold the services' work and state.
    // ----
    TMenuItem* miVoucherFormats = nullptr;       // in MenuItem1, filled when it opens
    TMenuItem* miVoucherFormatsPrint = nullptr;  // in popPrint
    bool AttachmentsEnabled = false;             // the header-plus-body form offers attachments
    std::unique_ptr<TUDFFields> HeadUDFFields;   // tag "Z01"
    std::unique_ptr<TUDFFields> HeadUDFDefaults; // tag "Z01" without related fields: the server's defaults
    AnsiString FormatKeyField;                   // keys the default print format; '' for the first key field

    virtual TField* FindMainField(const AnsiString& table, const AnsiString& field);
    virtual void ShowAttachments();
    virtual bool HasAttachment();
    virtual void LoadAttachmentKeys();
    virtual void CollectEditableFields();
    // The server's value of a computed field; false when the server gives none (or fails).
    virtual bool QueryUDFData(TUDFField* item, const TStrings* values, AnsiString& text);
    virtual void UDFFieldChanged(TField* field);
    virtual TField* FindQualifiedField(const AnsiString& reference);
    virtual void ApplyColorFilter();
    virtual void ColorMenuClick(TObject* sender);
    virtual void FollowGridLink(TFDBGrid* grid, TDataSet* dataSet);
    virtual void GetSignOffSetting(const AnsiString& docType, const AnsiString& key, AnsiString (&result)[2]);
    virtual void GetSignOffSettingTop(const AnsiString& docType, const AnsiString& key,
                                      AnsiString (&result)[2]);
    virtual void BuildLinkQuery(const AnsiString& program, const AnsiString& table, AnsiString& result,
                                const AnsiString& where, const AnsiString& linkNo,
                                const AnsiString& otherTable);
    virtual AnsiString GetLinkKeyValue();
    virtual void LoadVoucherFormats(TMenuItem* menu, bool force);
    virtual void ImportXml(const AnsiString& text);

    void SetupUserFields() override;
    void DoF2Key(Word& key, TWinControl* control) override;
    bool DeleteRecord(bool confirm) override;

    // The key values of the current record in key-field order, joined by separator.
    AnsiString BuildAttachmentKey(const AnsiString& separator);
    // The helpers of the services, owned by the form.
    TSingleAttachments& Attachments() const { return *FAttachments; }
    TSingleUserFields& UserFields() const { return *FUserFields; }
    TSingleColorFilter& ColorFilter() const { return *FColorFilter; }
    TSingleLinks& Links() const { return *FLinks; }
    TSingleImport& Import() const { return *FImport; }
    TSinglePrintFormats& PrintFormats() const { return *FPrintFormats; }
    // Scope "Y": the items with related fields, "N": those without, anything else all.
    std::unique_ptr<TUDFFields> LoadUDFFields(const AnsiString& program, const AnsiString& tag,
                                              const AnsiString& scope);
    // The items with related fields, each related field hooked to UDFFieldChanged.
    std::unique_ptr<TUDFFields> LoadHeaderUDFFields(const AnsiString& program, const AnsiString& tag);
    void FillLinkedUDFValues(const AnsiString& program, const AnsiString& tag, TDataSet* dataSet,
                             const std::vector<AnsiString>& values);
    void SetUDFLookupHints();
    // F2 on a user-defined field: the lookup its settings name (DataSource, RefFileID, F2Field,
    // F2FieldID, RefFieldID, RefCondID of the form's format document), else the phrase picker.
    void OpenUDFLookup(TDataSet* dataSet, TDBEdit* edit);
    // An attribute of the component in the form's format document; '' without one.
    AnsiString FormatSetting(const AnsiString& componentName, const AnsiString& name);
    void LoadLinkFields();
    // The program's colour-manager text (WOQNH); '' without one.
    AnsiString LoadColorXml();
    void FillColorMenu();
    void DrawColorMenuItem(TObject* sender, TCanvas* canvas, TRect rect, bool selected);
    void gdHeadMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void gdHeadMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void gdHeadKeyUp(TObject* sender, Word& key, TShiftState shift);
    void MenuItem1Click(TObject* sender);
    void popPrintPopup(TObject* sender);
    void MenuItemVoucherFormatClick(TObject* sender);

private:
    void RestoreUDFHandlers();
    // ---- end of services ----

private:
    // The services' helpers, made with the form; parts of it, so they see its private members.
    std::unique_ptr<TSingleAttachments> FAttachments;
    std::unique_ptr<TSingleUserFields> FUserFields;
    std::unique_ptr<TSingleColorFilter> FColorFilter;
    std::unique_ptr<TSingleLinks> FLinks;
    std::unique_ptr<TSingleImport> FImport;
    std::unique_ptr<TSinglePrintFormats> FPrintFormats;
    friend class TSingleUserFields;
    friend class TSingleColorFilter;
    friend class TSingleLinks;
    friend class TSingleImport;
    friend class TSinglePrintFormats;
    void BindQueryDialog();
    void ShowFirstPage();
    static void FocusIfPossible(TWinControl* control);
    // Steps 4 to 6 of a query: the condition applied, the browse page shown.
    void RunQuery(const AnsiString& where, const AnsiString& order);
    std::unique_ptr<TQueryDialog> FQueryDialog;
    AnsiString FQueryBinding;
    bool FCloseRequested = false;
};
