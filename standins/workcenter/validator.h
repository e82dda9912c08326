#pragma once
// The work centre's validation service (Com_Validator): code checks and numbering from the catalogue.
//   ProductID, BaseLimited                        properties the broker writes before each call
//   CheckValue(Table, CheckNo, Database, Keys, var Row)   true when found; Row := the first row
//   QueryData(Table, CheckNo, Database, Keys, var Row)    true when found; Row := every row
//   QueryMaxSeq(Table, KeyFields, KeyValues, DateText, ProgramID, Database, var Result)
//                                                 true with the next document number in Result
// Keys are bound as parameters, never written into the SQL. A check the catalogue lacks is not found.
#include <memory>

#include "classlib/automation/autoobj.h"
#include "standins/workcenter/wcstate.h"

class TValidator : public TAutoObject {
public:
    explicit TValidator(std::shared_ptr<TWorkCenterState> state) : FState(std::move(state)) {}

    Variant ProductID() const { return FProductID; }
    void SetProductID(const Variant& value) { FProductID = value; }
    Variant BaseLimited() const { return FBaseLimited; }
    void SetBaseLimited(const Variant& value) { FBaseLimited = value; }

    bool CheckValue(const AnsiString& table, const AnsiString& checkNo, const AnsiString& database,
                    const Variant& keys, Variant& row);
    bool QueryData(const AnsiString& table, const AnsiString& checkNo, const AnsiString& database,
                   const Variant& keys, Variant& row);
    bool QueryMaxSeq(const AnsiString& table, const AnsiString& keyFields, const Variant& keyValues,
                     const AnsiString& dateText, const AnsiString& programId, const AnsiString& database,
                     Variant& result);

protected:
    const TAutoMembers& Members() const override;

private:
    bool Run(const AnsiString& table, const AnsiString& checkNo, const AnsiString& database,
             const Variant& keys, std::vector<TDbRow>& rows);

    std::shared_ptr<TWorkCenterState> FState;
    Variant FProductID;
    Variant FBaseLimited;
};
