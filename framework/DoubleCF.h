#pragma once
// TfrmDouble: the document form of a header-plus-body document: the header pages of the single-table
// form above the body page control pgBody with the line grid gdBody1. Its data module is a TdmDouble,
// whose lines travel in the header's change packet. Over the single form it adds the body-line
// commands and keys, the save sequence with its lines check and the server's number, re-query after
// an add, the record counters and the line summary.
//
// Lines option (the program's kind, element 8 of its catalogue row): what a save does with a document
// that has no lines: 2 ("E") refuses with E 000032, 1 ("W") asks W 100079, 0 and 3 save.
#include <functional>
#include <memory>
#include <vector>

#include "dialogs/QvCopy.h"
#include "framework/DoubleCD.h"
#include "framework/SignOff.h"
#include "framework/SingleCF.h"

class TfrmDouble;

// The confirm-date dialog as the form drives it (the dialogs' TQVConfirmDateForm): prepared with the
// SYS025 value, the stored date (YYYYMMDD) and the date field's label, then shown modally.
class TConfirmDateDialog {
public:
    virtual ~TConfirmDateDialog() = default;
    virtual void Prepare(const AnsiString& kind, const AnsiString& dateText, const AnsiString& caption) = 0;
    // False unless the user answered OK; then date is the chosen date, YYYYMMDD.
    virtual bool Execute(AnsiString& date) = 0;
};
// ---- document copy, re-query and host links (DoubleCopy.cpp) ----
// The copy dialog's call when its source page is confirmed: reads the source document of the key
// values (one text per header key field) and starts the new document; false when it did not.
bool ReadCopySource(TfrmDouble* form, const Variant& keyValues, Variant& head, Variant& extras,
                    Variant& lines);
// "RPAD(expr,size,' ')".
AnsiString KeyRangeExpr(const AnsiString& expr, int size);
// qualifier.name, or name when the trimmed qualifier is empty.
AnsiString JoinQualified(const AnsiString& qualifier, const AnsiString& name);
// One header key field of a re-query condition.
struct TRequeryKey {
    AnsiString Qualified; // the qualified column name
    AnsiString Value;     // the field's text
    bool Numeric = false;
    int Size = 0;
};
// The condition of a range re-query (the current document and the ones after it by key) before the
// query dialog's condition; sqlType 1 pads with RPAD and joins with "||", 0 joins with "+". Ends in
// " and " unless empty.
AnsiString RangeRequeryCondition(const std::vector<TRequeryKey>& keys, int sqlType);
// ---- end of document copy ----

class TfrmDouble : public TfrmSingle, public TDoubleView, public TCopySource {
    KVR_CLASS(TfrmDouble, TfrmSingle)
public:
    static constexpr int LineSummaryMax = 5;

    explicit TfrmDouble(TComponent* owner, bool load = true);
    ~TfrmDouble() override;

    // Components of the stream.
    TPanel* sprBody = nullptr;
    TExtPageControl* pgBody = nullptr;
    TTabSheet* tbsBody1 = nullptr;
    TFDBGrid* gdBody1 = nullptr;
    TPanel* pnlFoot = nullptr;
    TMenuItem* miBodyToExcel = nullptr;
    TMenuItem* miBodyToExcel2 = nullptr;

    // Fields.
    Byte AutoConfirmMode = 2;
    bool AutoPrintAfterSave = false;
    Byte LinesOption = 0;
    AnsiString ConfirmFieldName;
    TField* ConfirmField = nullptr;
    AnsiString BodyConfirmField;
    AnsiString ConfirmDateField;
    AnsiString SignOffStatusField;
    TField* SignOffField = nullptr;
    int SavedHeadHeight = 0;
    bool RangeRequery = true;
    AnsiString LineSummaryList;                // comma list of body field names
    AnsiString CarryOverFields;                // comma list of line fields a new line takes from the last one
    std::unique_ptr<TUDFFields> BodyUDFFields; // the lines' user-defined fields (tag "Z01D")
    // A header field that feeds a line user-defined field changed: the lines are computed anew after
    // the header's post; the names of those header fields, ";"-joined.
    bool BodyRecalcPending = false;
    AnsiString BodyRecalcNames;
    AnsiString NumberBeforeSave;
    AnsiString ServerNumber;

    // Virtual operations (the ones this level acts on).
    virtual bool GetPrintParams(Variant& params, Variant& data);
    virtual void AfterSave();
    // Dynamic operations.
    virtual void ShowLineSummary();

    std::unique_ptr<TColorComponents> BodyColors; // colour conditions of the part "body"

    // Overrides.
    void ConnectDataModule() override;
    void ApplyInputSettings() override;
    // Attachments on; no batch running; the browse grid's multi-select column shown.
    void ConfigureProgram() override;
    // The body grid's settings and its required columns (cdsBody1) over the header's.
    void ApplyUserSettings() override;
    // The body's user-defined fields: labels from the field catalogue, hidden.
    void SetupUserFields() override;
    // F2 in the body grid puts the line into edit; on a user-defined column, its lookup.
    void DoF2Key(Word& key, TWinControl* control) override;
    // The query reopens the lines, steps the cursor so the detail follows and reloads attachments.
    void RunSavedCondition(TObject* sender) override;
    void ApplyColorFilter() override;
    void BeforeShowAction() override;
    void ColorDataChanged() override;
    void BuildHeadColors(const AnsiString& text) override;
    // A field of the header's table, else of the lines' table (D11_TABLE).
    TField* FindMainField(const AnsiString& table, const AnsiString& field) override;
    bool AddRecord(bool fresh) override;
    bool EditRecord() override;
    bool DeleteRecord(bool confirm) override;
    bool QueryRecords() override;
    bool PrintRecords() override;
    bool PrepareSave(bool adding) override;
    bool ApplySave(bool adding) override;
    void SaveStopped() override;
    void SaveFailed() override;
    void SaveRaised(const Exception& e) override;
    void FinishSave(bool adding) override;
    void LeaveEditAfterSave(bool adding) override;
    bool CancelEdit(bool ask) override;
    bool ValidateRecord(TDataSet* dataSet) override;
    void ShowState(Byte state) override;
    void pgHeadChange(TObject* sender) override;
    void SetQueryCondition(TCustomClientDataSet* dataSet, const AnsiString& where,
                           const AnsiString& order) override;
    void UpdateButtonStates() override;

    TdmDouble* DoubleModule() const { return dynamic_cast<TdmDouble*>(DataModule); }

    // ---- document copy, re-query, printing and host links (DoubleCopy.cpp) ----
    TToolButton* btnFlow = nullptr;
    TPopupMenu* DropDownPopupMenu = nullptr;
    TMenuItem* QVPager = nullptr;
    TMenuItem* Attach = nullptr;
    TMenuItem* mnuCopy = nullptr;
    // The copied document's source: its header key values, and each line's body key values.
    std::vector<Variant> CopySourceKeys;
    std::vector<std::vector<Variant>> CopySourceLineKeys;
    virtual void CopyDocument();
    virtual void CopySourceRead() {}
    virtual void AfterCopyHead() {}
    virtual void AfterCopyLine() {}
    // The value a source field gives the copy: Unassigned for keys, audit columns and nested data.
    virtual void GetCopyHeadValue(TField* field, Variant& value);
    virtual void GetCopyBodyValue(TField* field, Variant& value);
    // The confirm-date dialog, made at the first confirmation that asks for a date: by default the
    // dialogs' confirm-date form; a program or a test overrides it.
    virtual std::unique_ptr<TConfirmDateDialog> MakeConfirmDateDialog();
    // The copy dialog run modally: by default the dialogs' copy form (ShowCopyDialog); a program or a
    // test overrides it. True on OK.
    virtual bool RunCopyDialog(TComponent* owner, TDataSet* dataSet, Byte kind, Variant& extras,
                               Variant& lines, Variant& head, const AnsiString& keyFields,
                               TDataSource* dataSource);
    virtual void AfterCopyLineExtra(const Variant& extra) { (void)extra; }
    virtual void GetCopyLineExtra(Variant& extra) { extra = Variant(); }
    // The user-defined fields of a copied record that the tag links to its source, computed from the
    // source's keys.
    virtual void CopyUserAttributes(TDataSet* dataSet, const AnsiString& tag, const AnsiString& programID,
                                    const std::vector<Variant>& sourceKeys);
    bool ReadCopySource(const Variant& keyValues, Variant& head, Variant& extras, Variant& lines) override;
    void ApplyQBECondition() override;
    // The header re-queried by the current document's key, range re-query left as it is.
    void RequeryCurrentKey();
    // The link text of the current document for the host's main-menu window; '' without a key.
    AnsiString BuildDocumentLink();
    // The link sent to the host's main-menu window; false when there is no document or no window.
    bool SendLinkToMessageCentre();
    void mnuCopyClick(TObject* sender);
    void QVPagerClick(TObject* sender);
    void AttachClick(TObject* sender);
    void btnReFreshClick(TObject* sender);
    // mnuCopy hidden, enabled like btnFirst; a program that copies documents shows it after this.
    virtual void UpdateCopyCommand();
    static void DeclareCopyPublished(TClassBuilder<TfrmDouble>& c);
    // ---- end of document copy ----

    void SetConfirmField(const AnsiString& name);
    void SetSignOffStatusField(const AnsiString& name);
    void SetBodyConfirmField(const AnsiString& name) { BodyConfirmField = name; }
    void SetConfirmDateField(const AnsiString& name) { ConfirmDateField = name; }
    bool IsConfirmedOrVoid() const;
    void CopyConfirmToBody();
    void BindLineSummary();
    // The fields the line summary shows (at most five).
    const std::vector<TField*>& LineSummaryFields() const { return FSummary; }
    // What the data module asks of the form.
    void ViewLineStarted() override { FocusFirstBodyColumn(); }
    AnsiString ViewCarryOverFields() override { return CarryOverFields; }
    void ViewApplyBodyDefaultTexts() override;
    TUDFFields* ViewBodyUDFDefaults() override { return BodyUDFFields.get(); }
    void ViewLineChanged(TField* field) override;
    void ViewShowLineSummary() override { ShowLineSummary(); }
    void ViewShowRecordCounters() override { ShowRecordCounters(); }
    void ViewHeadPosted() override { HeadPosted(); }
    // Status panels 2 and 3: header counters on the browse page, line counters on a detail page.
    void ShowRecordCounters();
    // The header was posted (cdsMain's AfterPost): the pending line user-defined fields computed anew.
    void HeadPosted();
    // After W 200399 answered OK, every line's user-defined fields that the changed header fields feed;
    // any other answer aborts the post and leaves the work pending.
    void RecalculateBodyUDF();
    void UDFFieldChanged(TField* field) override;
    void RestoreUDFHandlers() override;
    // One line user-defined field computed by the server and written when its text differs; the first
    // failure of a walk (said) is shown.
    void WriteBodyUDF(TUDFField* item, bool& said);
    // A new line: the body grid's first data column becomes the selected one.
    void FocusFirstBodyColumn();
    // A new line after the last one; the current line deleted after C 000005. False when the form
    // does not edit, the grid is read-only or (delete) there is no line.
    bool InsertLine();
    bool DeleteLine();
    // The grid's keyboard insert and delete.
    void SetBodyKeysEnabled(bool on);
    bool BodyEmpty() const;

    // The query dialog's advanced page bound to the lines.
    void BindQueryDialogToLines();
    // Every data-aware date editor of the body grid empties its field when its text is cleared.
    void BindDateEditors();
    // Editors of the line user-defined columns, as the user settings give their kind: a combo of
    // the set items, else an edit whose button opens the field's lookup.
    void BindBodyUDFEditors();

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void gdBody1CalcCellColors(TObject* sender, TField* field, TGridDrawState state, bool highlight,
                               TFont* font, TBrush* brush);
    // The titles of the line's key columns take the key colour.
    void gdBody1CalcTitleAttributes(TObject* sender, const AnsiString& fieldName, TFont* font, TBrush* brush);
    // The sorted line column's title shows image 0 ascending, 1 descending.
    void gdBody1CalcTitleImage(TObject* sender, TField* field, int& titleImageIndex);
    void gdBody1MouseMove(TObject* sender, TShiftState shift, int x, int y);
    void gdBody1MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void gdBody1KeyUp(TObject* sender, Word& key, TShiftState shift);
    void FormKeyDown(TObject* sender, Word& key, TShiftState shift);
    void FormKeyPress(TObject* sender, char& key);
    // The dialog button of a body column's editor: F2 for that editor while the document is edited.
    void BodyCustomDlg(TObject* sender);
    void gdBody1Enter(TObject* sender);
    void gdBody1Exit(TObject* sender);
    void gdBody1KeyDown(TObject* sender, Word& key, TShiftState shift);
    void gdBody1TitleButtonClick(TObject* sender, const AnsiString& fieldName);
    void miBodyToExcelClick(TObject* sender);
    void miBodyToExcel2Click(TObject* sender);

    // ---- confirmation, void and the transaction manager (DoubleConfirm.cpp) ----
    // Confirm codes: "Y" confirmed, "N" or empty not, "V" void, "U" confirmation failed. Kinds: 0 un-void,
    // 1 void (both saved here as an edit), 2 unconfirm, 3 confirm (both run by the transaction manager
    // TransManagerC.Class1 on the server).
    TImage* ImgConfirm = nullptr;
    TToolButton* btnConfirm = nullptr;
    TToolButton* btnUnConfirm = nullptr;
    TToolButton* btnInvalid = nullptr;
    TMenuItem* miConfirm = nullptr;
    TMenuItem* miUnConfirm = nullptr;
    TMenuItem* miInvalid = nullptr;
    TMenuItem* miBBConfirm = nullptr;
    TMenuItem* miBBCancelConfirm = nullptr;
    Byte ConfirmKind = 0;      // the kind under way, read when the request is built
    bool BatchRunning = false; // a batch confirm or unconfirm runs
    AnsiString ConfirmStamp;   // "CONFIRM", "INVALID", "NOGOOD" or '' as ImgConfirm shows it

    // Runs one action on the current document: the save's result for kinds 0 and 1, True for 2 and 3.
    virtual bool ConfirmDocument(Byte kind, bool askDate);
    virtual void ConfirmSucceeded(Byte kind, const Variant& request, const Variant& result);
    virtual void ConfirmFailed(Byte kind, const Variant& request, const Variant& result);
    virtual bool RunConfirmTransaction(const Variant& request, Variant& result, bool askDate);
    // Builds the request and calls the manager; result: [ErrorCode, ResultDesc, ErrorDescript] on
    // failure, [.., .., ReturnSeq] on success.
    virtual bool CallTransactionManager(const Variant& ignored, Variant& result, bool askDate);
    // [automation identifier, program code]: the defaults, or the catalogue's when it names them.
    virtual bool GetTransactionServer(Variant& pair);
    virtual bool AcceptConfirmDate(const AnsiString& dateText);
    // False when no confirm date could be had (the manager is then not called).
    virtual bool BuildConfirmRequest(Byte kind, bool askDate, Variant& pair, Variant& request);
    virtual bool MayConfirm(Byte kind);
    virtual void GetTransactionProgID(AnsiString& text);
    virtual void GetTransactionProgram(AnsiString& text);
    void ShowTransactionResult(const Variant& result, bool success);
    // The selected rows of gdHead, one transaction each; a summary at the end.
    void ConfirmBatch(Byte kind);
    bool ConfirmOne(Byte kind, int& answer, bool ask);
    // The stamp and the enabled state of the confirm, unconfirm and void commands.
    void UpdateConfirmImage();
    void PlaceConfirmImage();
    void miConfirmClick(TObject* sender);
    void miUnConfirmClick(TObject* sender);
    void miInvalidClick(TObject* sender);
    void miBBConfirmClick(TObject* sender);
    void miBBCancelConfirmClick(TObject* sender);
    static void PublishConfirm(TClassBuilder<TfrmDouble>& c);

    // ---- sign-off (SignOff.cpp holds the work, the form its commands) ----
    TToolButton* btnAttach = nullptr; // the document's attachments: image 17 when it has some, else 16
    // Enabled while attachments are on and a stored document is shown or edited.
    void UpdateAttachButton();
    void btnAttachClick(TObject* sender);
    TToolButton* btnSepSorvane = nullptr;
    TToolButton* btnSorvane = nullptr;
    TPopupMenu* popSorvane = nullptr;
    TMenuItem* miGoConfirm = nullptr;
    TMenuItem* miGoUnConfirm = nullptr;
    TMenuItem* miGoInvalid = nullptr;
    TMenuItem* miViewSorvane = nullptr;
    TMenuItem* mConfirmErp = nullptr;
    TMenuItem* mUpdateConfirm = nullptr;
    std::unique_ptr<TSignOff> SignOff;
    virtual void LoadSignOffTypes();
    virtual void LoadSignOffTypesQz();
    virtual void ShowSignOffOpinion();
    virtual bool AskSignOffInfo();
    virtual void UpdateSignOffActions();
    // The settings asked before a send ([form type, person]); by default the dialogs' sign-off settings
    // dialog. True on OK.
    virtual bool RunSignOffSettings(Variant& result);
    // The flow window over the rows of the sign-off information; by default the dialogs' one.
    virtual void ShowSignOffSteps(const Variant& rows);
    bool SignOffRequired(Byte kind) { return SignOff->Required(kind); }
    void SendForSignOff(bool fromCommand, Byte kind, bool showErrors) {
        SignOff->Send(fromCommand, kind, showErrors);
    }
    bool SignOffPending() { return SignOff->Pending(); }
    void btnSorvaneClick(TObject* sender);
    void miGoConfirmClick(TObject* sender);
    void miGoUnConfirmClick(TObject* sender);
    void miGoInvalidClick(TObject* sender);
    void miViewSorvaneClick(TObject* sender);
    void mConfirmErpClick(TObject* sender);
    void mUpdateConfirmClick(TObject* sender);
    static void PublishSignOff(TClassBuilder<TfrmDouble>& c);

private:
    AnsiString ConfirmLangText(const AnsiString& ident, const AnsiString& def);
    void StampLinesForCode();
    std::unique_ptr<TConfirmDateDialog> FConfirmDateDialog;
    Variant FConfirmRequest; // the request of the transaction under way, for the hooks
    // ---- end of confirmation ----

private:
    AnsiString LangText(const AnsiString& ident, const AnsiString& def);
    // After a query: the lines opened again, the cursor stepped, the attachment keys read again.
    void RefreshAfterQuery();
    void ReloadAttachmentKeys();
    bool FBodyLinkHover = false;
    bool CheckLines();
    void Requery(const AnsiString& numberOverride);
    void BackToEdit();
    bool FRenumbered = false; // the save of a new document gave it another number than it showed
    std::vector<TField*> FSummary;
    AnsiString FHeadCountText, FBodyCountText; // the counters' captions, read once
};
