#pragma once
// TdmSingle: the data module of a single-table document, the parent of the header-plus-body module.
// Over the base module it adds the auto-numbered key, values carried over from the last saved record
// to the next new one, the host's default values, user-defined-field defaults, the key condition of
// the current record, sorting by a grid column, the multi-select column, the colour refresh, the save
// hook with its reconcile report, and the three exports of a data set:
//
//     ExportToExcel(ds, source, true)    a new workbook through the spreadsheet program, numbers as numbers
//     ExportToExcel(ds, source, false)   the same, numbers as their display text
//     ExportToXLSFile(ds, source)        an ".xls" file written directly (TXLSExport)
//
// Every export writes the user's file <client folder>\c_data\<user>\<program>_yyyymmddhhnnss.xls: the
// labels of the visible fields, then one row a record, and asks at the end whether to open it.
#include <functional>
#include <memory>

#include "classlib/objects/stringlist.h"
#include "foundation/OleExcel.h"
#include "framework/BaseCD.h"
#include "framework/ExportSheet.h"
#include "standins/outside/xlsfilter/xlsfilter.h"

class TUDFFields;

// The report library's spreadsheet filter as the exports use it.
class TXLSExport : public TQRXLSFilter {
    KVR_CLASS(TXLSExport, TQRXLSFilter)
public:
    explicit TXLSExport(const AnsiString& fileName) : TQRXLSFilter(fileName) {}
    void CreateStream(const AnsiString& fileName) override;
    void CloseStream() override;
};

// The progress window of a long export (the dialogs' status window); the form makes it
// (TfrmSingle::MakeExportStatusDialog) and the exporting module frees it.
class TExportStatus {
public:
    virtual ~TExportStatus() = default;
    virtual void ShowStatus(const AnsiString& caption, int min, int max) = 0;
    virtual void StepIt() = 0;
    virtual void CloseStatus() = 0;
};

// What the single-table data module adds to what it asks of its form (TRadicalView, TBaseView).
class TSingleView {
public:
    virtual bool ViewColorManaged() = 0;
    // After a save with colour management: a new record's colour row fetched, else the colours of the
    // last condition queried again.
    virtual void ViewColorsAfterSave(bool adding) = 0;
    virtual void ViewColorDataChanged() = 0;
    // The header's colour components: whether there are any, and applied for the located colour row.
    virtual bool ViewHasHeadColors() = 0;
    virtual void ViewApplyHeadColors(TDataSet* colorRow) = 0;
    // Whether the browse grid has the current record among its selected rows.
    virtual bool ViewIsRecordSelected() = 0;
    // A new record: the user-settings document's default texts into the user-defined combo fields.
    virtual void ViewApplyDefaultTexts() = 0;
    // The header's user-defined fields whose defaults the server computes (tag "Z01" without related
    // fields); nil for none.
    virtual TUDFFields* ViewHeadUDFDefaults() = 0;
    // The progress window of an export; none (nullptr) shows none.
    virtual std::unique_ptr<TExportStatus> MakeExportStatusDialog() = 0;

protected:
    ~TSingleView() = default;
};

class TdmSingle : public TdmBase {
    KVR_CLASS(TdmSingle, TdmBase)
public:
    explicit TdmSingle(TComponent* owner, bool load = true);
    ~TdmSingle() override;

    // Components of the stream.
    TOLEExcel* OLEExcel1 = nullptr;

    // Fields, in declaration order.
    bool AutoKey = false;
    TStringList* KeepList = nullptr; // "FIELD= " lines: a kept field and its value followed by a blank
    TField* SortField = nullptr;
    TField* MultiSelectField = nullptr;
    int KeyCount = 0;
    Variant DefaultValues; // [0, i] field names, [1, i] values
    AnsiString DefaultOrder;
    bool MultiSelectVisible = false;

    // Virtual operations, in slot order (after TdmBase's).
    virtual void SetAutoKey(bool on);
    virtual void ApplyDefaultValues();
    virtual AnsiString GetAutoKeyField();
    virtual bool ExportToXLSFile(TDataSet* dataSet, TComponent* controlSource);
    // Called by the form's save before SaveDataSet when a new record is saved.
    virtual void BeforeSaveDetails();
    virtual bool ExportToExcel(TDataSet* dataSet, TComponent* controlSource, bool asNumbers);
    virtual bool ExportToExcelText(TDataSet* dataSet, TComponent* controlSource);
    virtual void FetchAll(TDataSet* dataSet);
    // The places of the first decimal group 0-10 whose field list holds the field; def when none.
    virtual int GetFieldDecimals(const AnsiString& fieldName, int def);
    using TdmBase::GetFieldDecimals;
    virtual void GetExportText(TComponent* controlSource, AnsiString& text, const AnsiString& displayText,
                               const AnsiString& fieldName);
    virtual void SetupNumberFormats();

    // Overrides.
    void SetDefaultValues(TDataSet* dataSet) override;
    void SetKeyFields(const AnsiString& list) override;
    bool CanModify() override;
    bool SaveDataSet(TCustomClientDataSet* dataSet) override;

    // ---- carried-over values ----
    void SetKeepFields(const AnsiString& list);
    void SnapshotKeptValues(TDataSet* dataSet, TStringList* list);
    void RestoreKeptValues(TDataSet* dataSet, TStringList* list);
    void ClearKeptValues();

    void StoreKeyValues();
    // The current record's key condition ("T.K = 'v' and ..."), only while cdsMain browses.
    bool KeyCondition(AnsiString& text);
    // Title-click sort: ascending, then descending, then ascending again; '' drops the sort.
    void SortByField(const AnsiString& fieldName);
    void AddMultiSelectField();
    void SetMultiSelectVisible(bool show);
    void RefreshColor();
    // Each user-defined field takes the server's default for the texts of its related fields; the
    // first assignment that fails is said (E 000032), the others of the call are not.
    void FillUDFDefaults(TDataSet* dataSet, TUDFFields* udfFields);

    // The export file of now: folder and full name (system paths), a name no file has yet.
    AnsiString ExportFolder() const;
    AnsiString ExportFileName() const;

    // Handlers of the stream.
    void DataModuleCreate(TObject* sender);
    void DataModuleDestroy(TObject* sender);
    void cdsMainBeforeOpen(TDataSet* dataSet);
    void cdsMainAfterScroll(TDataSet* dataSet);
    void cdsMainReconcileError(TCustomClientDataSet* dataSet, EReconcileError* e, TUpdateKind updateKind,
                               TReconcileAction& action);
    void MultiSelectedGetText(TField* sender, AnsiString& text, bool displayText);

    // The form that shows the module; nil when the owner is something else.
    TSingleView* SingleView() const { return OwnerView(Owner(), FSingleView); }

protected:
    // What the export writer asks of the module: a field's text as the control source shows it, a
    // number's decimals, the percentage mask.
    TExportSheet::THooks ExportHooks(TComponent* controlSource);
    // The form's progress window for an export; none without a form.
    std::unique_ptr<TExportStatus> MakeExportStatus();

private:
    mutable TSingleView* FSingleView = nullptr;
    // The form's message dialog for an export: a warning with OK, or the open question (true for Yes).
    void ExportWarning(const AnsiString& text);
    bool AskOpen(const AnsiString& text);
    AnsiString UIText(const AnsiString& text) const;
    AnsiString LangText(const AnsiString& ident, const AnsiString& def) const;
    // Creates the folder when missing; false (said through the text) when it cannot.
    bool EnsureExportFolder(const AnsiString& folder, const AnsiString& failureText);
    bool ExportThroughExcel(TDataSet* dataSet, TComponent* controlSource, bool asNumbers, bool fixedTexts);
    AnsiString ProgramID() const;
};

// Whether a data set can be sorted by the field: not a nested, object, blob, variant or raw-bytes field,
// nor a calculated or aggregate one.
bool IsSortableField(const TField* field);
