#pragma once
// TdmDouble: the data module of a header-plus-body document. The header is cdsMain's record, its lines
// are cdsBody1, nested in cdsMain through the program's data-set field "qryBody", so that one change
// packet carries a header and its lines. The module fills new lines (header keys, line number, mapped
// header values, values carried over from the last line, user-defined-field defaults), keeps a clone
// cursor over the lines for numbering and duplicate checks, totals line fields into header fields,
// writes the header key into the lines before a new document is saved, checks the user's data rights
// on lines, sorts the line grid and exports header and lines to a workbook.
//
// Key lists correspond item by item: header key k (M11_KEY) matches body key k (D11_KEY); the body
// list has one item more, the line number.
#include <memory>
#include <vector>

#include "framework/KnlDouble.h"
#include "framework/SingleCD.h"

// What the header-plus-body data module adds to what it asks of its form (TRadicalView, TBaseView,
// TSingleView).
class TDoubleView {
public:
    // A new line started: the body grid's first column is selected.
    virtual void ViewLineStarted() = 0;
    // The comma list of line fields a new line takes from the last one.
    virtual AnsiString ViewCarryOverFields() = 0;
    // A line's field changed (nil: the line as a whole): the line summary and counters follow.
    virtual void ViewLineChanged(TField* field) = 0;
    virtual void ViewShowLineSummary() = 0;
    virtual void ViewShowRecordCounters() = 0;
    virtual void ViewHeadPosted() = 0;
    // A new line: the body grid's user-defined combo columns take their default texts.
    virtual void ViewApplyBodyDefaultTexts() = 0;
    // The lines' user-defined fields (tag "Z01D") whose defaults the server computes; nil for none.
    virtual TUDFFields* ViewBodyUDFDefaults() = 0;

protected:
    ~TDoubleView() = default;
};

class TdmDouble : public TdmSingle {
    KVR_CLASS(TdmDouble, TdmSingle)
public:
    explicit TdmDouble(TComponent* owner, bool load = true);
    ~TdmDouble() override;

    // Components of the stream.
    TwwClientDataSet* cdsBody1 = nullptr;
    TwwDataSource* dsBody1 = nullptr;
    TwwClientDataSet* cdsBodyColor = nullptr;
    TwwDataSource* dsBodyColor = nullptr;

    // Fields, in declaration order.
    TwwClientDataSet* LineClone = nullptr;
    bool BodyChangeReaction = false;
    bool AutoLineNumber = false;
    AnsiString BodyKeyFields;
    AnsiString LineNumberField;
    AnsiString HeadToBodyMap;    // "HEAD->BODY,HEAD2->BODY2"
    AnsiString InitialBodyOrder; // "IndexName=..." or "IndexFieldNames=..." or ''
    AnsiString DefaultBodyOrder; // index field names after the form's last query
    TField* SortedBodyField = nullptr;

    // Virtual operations, in slot order (after TdmSingle's).
    virtual void InitBodyLine();
    virtual void BodyChanged();
    virtual bool RestoreBodyOrder();
    // Dynamic operations.
    virtual bool BodyLineRejected();
    // False when no next number fits the field (the message has been shown).
    virtual bool NextLineNumber(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& text);
    virtual int TotalLineFilter(const AnsiString& fieldName, const Variant& condition, Variant& value);
    virtual void InitLineFlags(int count, Variant& flags);
    virtual void CheckBodyHook();

    // Overrides.
    bool OpenMainData() override;
    void ShowManagedFields(bool show) override;
    bool CanModify() override;
    void BeforeSaveDetails() override;

    void SetBodyKeyFields(const AnsiString& keys);
    void SetAutoLineNumber(bool on);
    bool IsDuplicateLine(TField* field, const AnsiString& keys);
    double SumBodyField(const AnsiString& fieldName, int digits, const AnsiString& condition);
    bool SumBodyToHead(TField* headField, const AnsiString& bodyFieldName, const AnsiString& condition = "",
                       int digits = -1);
    bool RefreshBodyShadow();
    void SortBodyByField(const AnsiString& fieldName);
    bool ExportBodyToExcel(TDataSet* head, TDataSet* body, bool withFormats, TComponent* form);
    bool ExportBodyToExcelPlain(TDataSet* head, TDataSet* body, TComponent* form);
    // Steps of InitBodyLine.
    void CopyHeadKeyToLine();
    void MarkLineKeyPending();
    void CopyMappedHeadFields();
    void CarryOverLineValues();
    // The body key field at item i (1-based), alias cut off; '' past the list.
    AnsiString BodyKeyField(int index) const;
    int BodyKeyCount() const { return static_cast<int>(KeyNames(FBodyKeys, BodyKeyFields).size()); }
    // Whether any line still carries the pending-key placeholder.
    bool HasPendingLineKey();
    // The most lines an export writes.
    static constexpr int MaxExportRows = 65535;

    // Handlers of the stream.
    void DataModuleCreate(TObject* sender);
    void DataModuleDestroy(TObject* sender);
    void cdsMainAfterPost(TDataSet* dataSet);
    void cdsMainAfterScroll(TDataSet* dataSet);
    void cdsBody1AfterOpen(TDataSet* dataSet);
    void cdsBody1AfterEdit(TDataSet* dataSet);
    void cdsBody1BeforePost(TDataSet* dataSet);
    void cdsBody1AfterPost(TDataSet* dataSet);
    void cdsBody1AfterDelete(TDataSet* dataSet);
    void cdsBody1AfterScroll(TDataSet* dataSet);
    void cdsBody1NewRecord(TDataSet* dataSet);
    // The server's refusal of a line: shown in a box captioned as a failed save, then logged.
    void cdsBody1ReconcileError(TCustomClientDataSet* dataSet, EReconcileError* e, TUpdateKind updateKind,
                                TReconcileAction& action);
    void dsBody1DataChange(TObject* sender, TField* field);

    // The form that shows the module; nil when the owner is something else.
    TDoubleView* DoubleView() const { return OwnerView(Owner(), FDoubleView); }

private:
    mutable TDoubleView* FDoubleView = nullptr;
    AnsiString HeadKeyField(int index) const;
    // A key list's names, read again only when its text changes: every new line and every line of
    // a save asks for them.
    struct TKeyNames {
        AnsiString Text;
        bool Read = false;
        std::vector<AnsiString> Names;
    };
    static const std::vector<AnsiString>& KeyNames(TKeyNames& cache, const AnsiString& text);
    mutable TKeyNames FBodyKeys, FHeadKeys;
    // The line clone over the lines of the current header.
    void EnsureBodyShadow();
    // The next line number: the lines walked once, then counted on while lines are only added.
    bool NextNumberOfLine(AnsiString& text);
    TClientDataSet* FScanClone = nullptr; // the lines without an order, for the walks that need none
    TLineKeyIndex FLineKeys;              // the lines' keys, for the duplicate check
    // The last totals of line fields (a program may total several after each change), latest last.
    std::vector<std::unique_ptr<TLineTotal>> FLineTotals;
    bool FNumberCached = false;
    int FHighestLine = 0;
    AnsiString FLastGivenNumber;
    AnsiString LangText(const AnsiString& section, const AnsiString& ident, const AnsiString& def) const;
    // The rows of an export: (header bookmark row, line row) walked in order, at most MaxExportRows.
    bool WriteBodyExport(TDataSet* head, TDataSet* body, TComponent* form, bool throughExcel,
                         bool withFormats);
    void UpdateCounters(bool body);
    // Whether a program answers TotalLineFilter: then each line is walked to with the cursor.
    bool FiltersTotalLines();
    // Whether SumBodyField may read the lines as stored rather than walk them: the same sum, nothing
    // that the walk would set off.
    bool CanSumStoredLines(TField* field, TField* filter);
};
