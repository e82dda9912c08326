#pragma once
// TdmKvrx58: the letter-of-credit issuance data module: the header data set cdsMain over the server
// table KVRTA (provider pvdMain) and the lines cdsBody1 over KVRTB, nested in each header row through
// cdsMainqryBody, with the program's new-record defaults, field checks, calculations and text handlers.
// Connection, opening and formats are the framework's.
#include "classlib/db/db.h"
#include "framework/DoubleCD.h"

// What the letter-of-credit data module adds to what it asks of its form.
class TKvrx58View {
public:
    // The next number of a document of the record's type and date; '' when the host gives none.
    virtual AnsiString ViewNextDocumentNo() = 0;
    // The focus to the control bound to a header field, when one can take it.
    virtual void ViewFocusField(const AnsiString& fieldName) = 0;
    // The document type's flags: confirm and print right after a save.
    virtual void ViewTypeFlags(bool confirmAfterSave, bool printAfterSave) = 0;
    // Whether the issuing bank was just picked from the list (its check then has nothing to do);
    // asking clears it.
    virtual bool ViewTakeBankAccountPicked() = 0;

protected:
    ~TKvrx58View() = default;
};

class TdmKvrx58 : public TdmDouble {
    KVR_CLASS(TdmKvrx58, TdmDouble)
public:
    explicit TdmKvrx58(TComponent* owner, bool load = true);

    // Components of the stream.
    TDataSetField* cdsMainqryBody = nullptr;

    // A new header record: after the framework's defaults, the issue date, the default factory and the
    // program's start values.
    void SetDefaultValues(TDataSet* dataSet) override;
    // A new line is not confirmed; TA040 is the lines' total purchase amount.
    void InitBodyLine() override;
    void BodyChanged() override;
    // Each line's share TB008 of the self-financed amount TA023, by its purchase amount; the shares
    // are rounded at the local currency's money decimals and add up to TA023 (the last line with an
    // amount takes what rounding left over).
    void ShareSelfFinanced();
    // The money decimals of the local currency (SYS003); 2 when the currency table does not say.
    int LocalMoneyDecimals();
    // The money decimals of the document's currency; 2 when the currency table does not say.
    int MoneyDecimals();

    // TA033: the sum of the six charges.
    void SumCharges();
    // Called after a currency change and after the form entered change mode; nothing of its own.
    virtual void CurrencyChanged();
    // Decimal group 0 takes the money decimals of the local currency (SYS003).
    void ApplyLocalCurrencyDecimals();

    // Handlers of the stream.
    void cdsMainTA001Validate(TField* sender);
    void cdsMainTA002Validate(TField* sender);
    void cdsMainTA008Validate(TField* sender);
    void cdsMainTA005Validate(TField* sender);
    void cdsMainTA006Validate(TField* sender);
    void cdsMainTA036Validate(TField* sender);
    void cdsMainTA016Validate(TField* sender);
    void cdsMainTA017Validate(TField* sender);
    void cdsMainTA018Validate(TField* sender);
    void cdsMainTA021Validate(TField* sender);
    void cdsMainTA024Validate(TField* sender);
    void cdsBody1TB004Validate(TField* sender);
    void cdsBody1TB005Validate(TField* sender);
    void cdsBody1TB006Validate(TField* sender);
    void cdsMainTA023CGetText(TField* sender, AnsiString& text, bool displayText);
    void cdsMainTA005SetText(TField* sender, const AnsiString& text);

private:
    TKvrx58View* ProgramView() const { return OwnerView(Owner(), FProgramView); }
    mutable TKvrx58View* FProgramView = nullptr;
    TField* Head(const char* name) const { return cdsMain->FieldByName(name); }
    TField* Line(const char* name) const { return cdsBody1->FieldByName(name); }
    // TA022 and TA023 from the issued amount, the ratio and the rate.
    void ComputeSelfFinanced();
    // The form's next document number into TA002.
    void NumberDocument();
};
