#pragma once
// TdmRadical: the root of every document data module. It connects the module to the application
// server and the lookup-window server (in this process when the client INI's first server is
// 127.0.0.1, else over TCP), receives the program's settings list, opens its client data sets, keeps
// the server's date, saves data sets and translates display labels. It also carries the published
// field handlers that show and take dates, times, months, days, percentages and durations in the
// user's format, the code checks of entered codes, the code lookups driven by SYS053 to SYS056, and the
// audit columns of every table.
//
// A descendant declares its stream ("inherited dmX: TdmX ... end") and applies its chain itself:
//
//     TdmX::TdmX(TComponent* owner, bool load) : TdmRadical(owner, false) {
//         if (load) InitInheritedComponent(this);
//     }
//
// Dates are stored as YYYYMMDD text (or in date fields) and shown by DateKind (1 y/m/d, 2 m/d/y,
// 3 d/m/y, 4 and 5 the ROC year first, two and three digits) with DateSeparator. The audit columns
// are COMPANY, CREATOR, USR_GROUP, CREATE_DATE, MODIFIER, MODI_DATE and FLAG; FLAG is negative while a
// row is new or changed and not yet saved.
#include "classlib/automation/sconnect.h"
#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"
#include "classlib/db/dbclient.h"

class TBrokers;

// What a data module asks of the form that shows it, and all it asks: the form implements it, and each
// data-module level that needs more adds a view of its own (TBaseView, TSingleView, TDoubleView). A
// module whose owner is no such form works alone: texts stay as they are, language texts take their
// defaults and messages go to the application.
class TRadicalView {
public:
    // The form's code converter: database to interface, program to interface, interface to program,
    // interface to database.
    virtual AnsiString ViewDbToUI(const AnsiString& text) = 0;
    virtual AnsiString ViewToUI(const AnsiString& text) = 0;
    virtual AnsiString ViewFromUI(const AnsiString& text) = 0;
    virtual AnsiString ViewUIToDb(const AnsiString& text) = 0;
    // The language text of the section and ident, def when there is none.
    virtual AnsiString ViewLangText(const AnsiString& section, const AnsiString& ident,
                                    const AnsiString& def) = 0;
    virtual AnsiString ViewProgramID() = 0;
    virtual AnsiString ViewUICodePage() = 0;
    // The client folder, with its backslash: the client INI's folder, else the configured one.
    virtual AnsiString ViewClientFolder() = 0;
    // Whether the controller handed the form a parameter text.
    virtual bool ViewHasParamText() = 0;
    // A message box over the form; the button pressed.
    virtual int ViewMessage(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons) = 0;

protected:
    ~TRadicalView() = default;
};

// The owner as a level's view, looked up once it is one (a cross cast is slow on the hot paths).
template <class TView> TView* OwnerView(TComponent* owner, TView*& cache) {
    if (!cache) cache = dynamic_cast<TView*>(owner);
    return cache;
}

class TdmRadical : public TDataModule {
    KVR_CLASS(TdmRadical, TDataModule)
public:
    explicit TdmRadical(TComponent* owner, bool load = true);

    // Components of the stream.
    TSimpleObjectBroker* SOB = nullptr;
    TSocketConnection* MIDAS = nullptr;         // the application server
    TClientDataSet* cdsSaveCondition = nullptr; // the saved query schemes (provider pvdConSave)
    TSocketConnection* scLookUpData = nullptr;  // the lookup-window server

    // Fields, in declaration order.
    int DateKind = 1;
    AnsiString DateSeparator;
    bool CreateFlag = false;          // set by DataModuleCreate; sent with Connect
    AnsiString ServerDate;            // YYYYMMDD
    Variant AppServer;                // the application server object
    TField* BarCodeSetting = nullptr; // its text is the module's bar-code setting; may be nil
    TBrokers* Broker = nullptr;       // the form's broker

    // Virtual operations, in slot order.
    virtual void SetDefaultValues(TDataSet* dataSet);
    virtual void StampAuditFields(TDataSet* dataSet);
    virtual bool IsLocalServer() = 0;
    // Dynamic operations.
    virtual bool OpenMainData();
    // Connects both servers and opens the data sets; true when the server accepted the user (its
    // Connect answered 0). A failure to connect raises.
    virtual bool ConnectServer();
    virtual bool ConnectLookupServer();
    virtual bool SaveDataSet(TCustomClientDataSet* dataSet);
    virtual void OpenDataSets();

    // The form that shows the module; nil when the owner is something else.
    TRadicalView* View() const { return OwnerView(Owner(), FView); }

    void LoadServerDate();
    void TranslateDataSets();
    // The condition "alias.column=value and ..." from the current record. fields is a comma list of
    // field names (an "alias." in front is dropped for the lookup); targets a parallel list of column
    // names (fields when empty), a column without alias taking defaultAlias. Numbers are written as
    // they are, every other value in single quotes with its quotes doubled. A numeric field whose text
    // is no number raises EConvertError, and where is left as it was.
    void BuildWhereClause(TDataSet* dataSet, const AnsiString& fields, AnsiString& where,
                          const AnsiString& defaultAlias, const AnsiString& targets);

    // ---- audit columns ----
    static bool IsAuditField(const AnsiString& name);
    void ShowAuditFields(TDataSet* dataSet, bool flag);
    void LabelAuditFields(TDataSet* dataSet);
    void InitNullFields(TDataSet* dataSet);

    // ---- field handlers (published, bound by name from the streams) ----
    void DateFieldGetText(TField* sender, AnsiString& text, bool displayText);
    void DateFieldSetText(TField* sender, const AnsiString& text);
    void DateFieldValidate(TField* sender);
    AnsiString DateFieldEditMask();
    void YMFieldGetText(TField* sender, AnsiString& text, bool displayText);
    void YMFieldSetText(TField* sender, const AnsiString& text);
    void YMFieldValidate(TField* sender);
    AnsiString YMFieldEditMask();
    void YearFieldGetText(TField* sender, AnsiString& text, bool displayText);
    void YearFieldSetText(TField* sender, const AnsiString& text);
    AnsiString YearFieldEditMask();
    void MDFieldGetText(TField* sender, AnsiString& text, bool displayText);
    void MDFieldSetText(TField* sender, const AnsiString& text);
    void MDFieldValidate(TField* sender);
    AnsiString MDFieldEditMask();
    void TimeFieldGetText(TField* sender, AnsiString& text, bool displayText);
    void TimeFieldSetText(TField* sender, const AnsiString& text);
    void TimeFieldValidate(TField* sender);
    AnsiString TimeFieldEditMask();
    void DayFieldSetText(TField* sender, const AnsiString& text);
    void MonthFieldSetText(TField* sender, const AnsiString& text);
    void DayFieldValidate(TField* sender);
    void MonthFieldValidate(TField* sender);
    AnsiString DayFieldEditMask();
    AnsiString MonthFieldEditMask();
    void PercentFieldGetText(TField* sender, AnsiString& text, bool displayText);
    void PercentFieldSetText(TField* sender, const AnsiString& text);
    AnsiString PercentFieldEditMask();
    void SecondFldGetText(TField* sender, AnsiString& text, bool displayText);
    void SecondFldSetText(TField* sender, const AnsiString& text);
    AnsiString SecondFieldEditMask();
    void NumberFieldDisplayFormat(int decimals, AnsiString& format);
    AnsiString NumberFieldEditFormat();
    void DOGetText(TField* sender, AnsiString& text, bool displayText);
    void DOSetText(TField* sender, const AnsiString& text);
    void DateTimeFieldGetText(TField* sender, AnsiString& text, bool displayText);

    // A duration as "hhhh:nn:ss" (10 characters): hours, minutes below 60 and seconds below 60, none
    // negative; an empty text is valid.
    static bool IsValidTimeText(const AnsiString& text);
    // The year part of the edit masks of the date kind: "9999", "99" (kind 4) or "999" (kind 5).
    AnsiString YearMaskPart() const;

    // ---- code checks ----
    // Level "E": E 000001 and the silent abort when the code is not found; "W": W 000004, the silent
    // abort unless OK; any other level: false. An empty field passes. Keys default to its text.
    bool CheckCodeValue(TField* field, const AnsiString& table, const AnsiString& level, Variant& row,
                        const Variant& keys, const AnsiString& checkNo);
    bool CheckCode(TField* field, const AnsiString& table, const AnsiString& level, const AnsiString& targets,
                   const AnsiString& checkNo);
    // While editing, a passed check fills the comma list of target fields with the row's columns (an
    // empty field clears them).
    bool CheckCodeByKeys(TField* field, const AnsiString& table, const AnsiString& level, const Variant& keys,
                         const AnsiString& targets, const AnsiString& checkNo);
    bool CodeExists(TField* field, const AnsiString& table, Variant& row, const Variant& keys,
                    const AnsiString& checkNo);
    // values: [number of columns, column 0, column 1, ...], [0] when nothing came back.
    void GetCodeValues(TField* field, const AnsiString& table, Variant& values, const Variant& keys,
                       const AnsiString& checkNo);
    // True when the value is unique (outside editing and for an empty field too).
    bool CheckUnique(TField* field, const AnsiString& table, const AnsiString& level,
                     const AnsiString& keyFields, const AnsiString& checkNo);

    // ---- code lookups by system setting ----
    void BarCodeFieldSetText(TField* field, const AnsiString& text, const Variant& keys,
                             const AnsiString& queryNo, const AnsiString& table);
    void CostFieldSetText(TField* field, const AnsiString& text, const Variant& keys,
                          const AnsiString& queryNo, const AnsiString& table);
    void CustomerFieldSetText(TField* field, const AnsiString& text);
    void ProviderFieldSetText(TField* field, const AnsiString& text, const AnsiString& queryNo);

    // Handlers of the stream.
    void DataModuleCreate(TObject* sender);
    void DataModuleDestroy(TObject* sender);

private:
    mutable TRadicalView* FView = nullptr;
    AnsiString ToUI(const AnsiString& text) const;        // the form's database-to-interface conversion
    AnsiString FromUI(const AnsiString& text) const;      // and back
    AnsiString Unconverted(const AnsiString& text) const; // the reverse of the interface conversion
    AnsiString AuditLabel(const AnsiString& ident, const AnsiString& defaultText);
    void LookupCode(TField* field, const AnsiString& text, const Variant& keys, const AnsiString& queryNo,
                    const AnsiString& table);
    static AnsiString QueryNoPlusOne(const AnsiString& queryNo);
};

// The field handler's "in editing": the field's data set is being edited or inserted.
bool FieldInEditing(const TField* field);
