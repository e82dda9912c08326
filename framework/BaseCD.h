#pragma once
// TdmBase: the base data module of every document program. It owns the main data set cdsMain and
// the colour data set cdsMainColor, opens them from the program's settings list (M11_TABLE, M11_KEY,
// M11_SELECT, D11_SELECT, MAX_RECORD), ties cdsMain's events to the owner form, keeps the key fields
// and the select texts the query dialog reads, and formats numeric fields: by decimal group, by the
// system setting sys068, by the user's number-field settings and by currency (the currency table's
// decimals, cached per currency). It also builds the base-data rights condition of a body table.
//
// Field lists are in the framework's field-list settings format (FieldLists.h):
//     cdsMain:TA017,TA018;cdsBody1:TB008
// and every lookup of a field inside such a list matches whole names only (TA01 is not TA011).
#include <map>
#include <memory>
#include <vector>

#include "classlib/dbctrls/wwdbctrls.h"
#include "framework/RadicalCD.h"

// The digit kinds of a currency; written by name inside a currency binding's key.
KVR_ENUM(TCurrencyDigitType, cdtPrice, cdtMoney, cdtUnitCost, cdtCostsAmount);

// The decimals of one currency (columns of the currency table TAZMF).
class TCurrencySetting : public TPersistent {
    KVR_CLASS(TCurrencySetting, TPersistent)
public:
    int UnitCostDigits = 0;    // MF005
    AnsiString CurrencyCode;   // MF001
    int MoneyDigits = 0;       // MF004
    int PriceDigits = 0;       // MF003
    int CostsAmountDigits = 0; // MF006
    // The digits of a kind (0-3); -1 for another kind.
    int Digits(int kind) const;
};

// The form's edit states.
constexpr Byte esBrowse = 0;
constexpr Byte esEdit = 1;
constexpr Byte esInsert = 2;

// What the base data module adds to what it asks of its form (TRadicalView).
class TBaseView {
public:
    // esBrowse, esEdit or esInsert.
    virtual Byte ViewEditState() = 0;
    // The current record changed: rights and status bar follow it.
    virtual void ViewRecordChanged(TDataSet* dataSet) = 0;
    // The record's checks before it is posted, said to the user; false stops the post. The focus stays
    // where it is: the form moves it to the failing control once its own command has stopped.
    virtual bool ViewCheckRecord(TDataSet* dataSet) = 0;

protected:
    ~TBaseView() = default;
};

class TdmBase : public TdmRadical {
    KVR_CLASS(TdmBase, TdmRadical)
public:
    explicit TdmBase(TComponent* owner, bool load = true);
    ~TdmBase() override;

    // Components of the stream.
    TwwClientDataSet* cdsMain = nullptr;
    TwwDataSource* dsMain = nullptr;
    TwwClientDataSet* cdsMainColor = nullptr;
    TwwDataSource* dsMainColor = nullptr;

    // Fields, in declaration order.
    AnsiString KeyFields;    // comma list of cdsMain's key fields (M11_KEY)
    AnsiString MainSelect;   // the main select list (M11_SELECT), for the query dialog
    AnsiString DetailFields; // the detail select list (D11_SELECT)
    AnsiString DetailJoins;  // the join part of the detail select, as written
    int RecordCount = 0;     // the server's record count of the last query
    bool FetchOnScroll = true;
    AnsiString ParamDecimalFields; // field list whose decimals follow sys068
    Variant KeyValues[11];         // 1-10: the current document's key values (index 0 unused)
    AnsiString MainTable;          // M11_TABLE
    AnsiString AutoKeyField;
    AnsiString DateField;
    bool MoneyFieldAutoZero = true;
    bool MoneyFieldThousand = true;
    bool QuantityFieldAutoZero = true;
    bool QuantityFieldThousand = true;
    AnsiString Sys068Value; // cached sys068 ('' until read)

    // Virtual operations, in slot order (after TdmRadical's).
    virtual void SetKeyFields(const AnsiString& list);
    virtual void SetMainSelect(const AnsiString& text);
    virtual void SetDetailSelect(const AnsiString& text);
    virtual void FormLinked();
    virtual void LoadNumberFields(const AnsiString& fieldList);
    virtual void ApplyCurrencyFormats(TDataSet* dataSet, TField* currencyField,
                                      const AnsiString& currencyCode);
    virtual void HookCurrencyField(TField* field);
    // The base-data rights condition of a body table. True: every record is permitted (condition
    // empty). False: condition "ALL" (no record is permitted, also when the rights could not be read)
    // or the first keys that are not permitted, ";" between, ";..." after the fourth.
    virtual bool BuildDataRightCondition(TDataSet* dataSet, const AnsiString& prefix, AnsiString& condition);
    virtual bool CanModify();
    // Dynamic operations.
    virtual void ShowManagedFields(bool show);

    bool IsLocalServer() override;
    bool OpenMainData() override;

    // ---- decimal groups ----
    void SetDecimalGroupFields(int group, const AnsiString& fieldList);
    void SetDecimalGroupPlaces(int group, int places);
    // -1 when the group is unknown; its stored places, or its number when none are stored.
    int GetDecimalGroupPlaces(int group) const;
    // The number of the first group whose list holds the field; -1 when none.
    int GetFieldGroup(const AnsiString& fieldName) const;
    AnsiString GetDecimalGroupFields(int group) const;

    void ApplyNumberFormat(const AnsiString& fieldList, int places, bool currency);

    // ---- currency bindings ----
    // currencyField nil binds to the company's currency (SYS003).
    void SetCurrencyBinding(TField* currencyField, TCurrencyDigitType kind, const AnsiString& fieldList);
    AnsiString GetCurrencyBinding(TField* currencyField, TCurrencyDigitType kind) const;
    // The digits of the kind for the currency; -1 for an empty code, without a broker, for a currency
    // the table does not know (not remembered: it may be added later) or when the table cannot be read.
    int GetCurrencySetting(const AnsiString& code, int kind);
    int GetCurrencyDecimals(const AnsiString& fieldName);
    void ApplyAllCurrencyFormats();
    void CurrencyFieldChange(TField* field);

    // ---- decimals and ranges ----
    int GetFieldDecimals(const AnsiString& fieldName);
    int GetParamDecimals(const AnsiString& fieldName);
    void SetParamDecimalFields(const AnsiString& fieldList);
    void LoadNumberSettings();
    // The value, or 0 past the column's limit (E 100280 above, E 100288 below, when report is set).
    double CheckNumberRange(const AnsiString& fieldName, int decimals, bool report, double value);
    // Precision and scale of a column from the number-field table; false when it has none.
    bool GetNumberField(const AnsiString& fieldName, int& precision, int& scale) const;

    // ---- field handlers (published) ----
    void NumberFieldSetText(TField* sender, const AnsiString& text);
    void CurrencyFieldGetText(TField* sender, AnsiString& text, bool displayText);
    void NumberFieldGetText(TField* sender, AnsiString& text, bool displayText);

    // Handlers of the stream.
    void DataModuleCreate(TObject* sender);
    void DataModuleDestroy(TObject* sender);
    void cdsMainNewRecord(TDataSet* dataSet);
    void cdsMainAfterEdit(TDataSet* dataSet);
    void cdsMainBeforeScroll(TDataSet* dataSet);
    void cdsMainAfterScroll(TDataSet* dataSet);
    void cdsMainBeforePost(TDataSet* dataSet);
    void cdsMainBeforeOpen(TDataSet* dataSet);
    void cdsMainAfterOpen(TDataSet* dataSet);
    void cdsMainColorAfterOpen(TDataSet* dataSet);

    // The form that shows the module; nil when the owner is something else.
    TBaseView* BaseView() const { return OwnerView(Owner(), FBaseView); }

private:
    mutable TBaseView* FBaseView = nullptr;
    struct TDecimalGroup {
        int Number = 0;
        AnsiString Fields;
        int Places = -1; // -1: none stored, the group's number counts
    };
    struct TCurrencyBinding {
        AnsiString CurrencyField; // a field name of the module, or "SYS003"
        TCurrencyDigitType Kind = cdtPrice;
        AnsiString Fields;
    };
    struct TNumberField {
        int Precision = 0;
        int Scale = 0;
    };
    TDecimalGroup* FindGroup(int group);
    const TDecimalGroup* FindGroup(int group) const;
    TCurrencyBinding* FindBinding(const AnsiString& currencyField, TCurrencyDigitType kind);
    const TCurrencyBinding* FindBinding(const AnsiString& currencyField, TCurrencyDigitType kind) const;
    TField* FindModuleField(const AnsiString& fieldName, TDataSet* within = nullptr) const;
    AnsiString NumberPattern(int decimals, bool thousand, bool autoZero) const;
    void DestroyLists();

    std::vector<TDecimalGroup> FDecimalGroups;
    std::vector<TCurrencyBinding> FCurrencyBindings;
    std::map<AnsiString, TNumberField> FNumberFields; // by upper-cased name
    std::map<AnsiString, std::unique_ptr<TCurrencySetting>> FCurrencyCache;
};

// The select list of a main select text: upper-cased, its first item dropped, up to FROM, with every
// " AS " made " ".
AnsiString MainSelectFields(const AnsiString& text);
// The detail select's fields and its join part (from the first LEFT, RIGHT or INNER after the FROM at
// parenthesis depth 0 up to WHERE, as written, with one blank in front; '' when it has none).
void SplitDetailSelect(const AnsiString& text, AnsiString& fields, AnsiString& joins);
