#pragma once
// The work centre's lookup-window service (Com_F2Window): the host's modal pickers, whose choice the
// chooser of wcstate.h makes.
//   F2GetData(Params)   Params is the 19-element array of the broker (0 table, 1 query number, 2 keys,
//                       3 and 9 the two flags, 4 the text typed so far, 5 company, 6 database,
//                       18 user); the chosen rows (each an array of column values), Unassigned when
//                       nothing was chosen
//   ShowInputDay([ROC-year flag, YYYYMMDD, database])   the chosen date, or ''
//   GetPhrase2(user, company, window, var Text)          -1 when cancelled, else 0 with the phrase
//   ShowCharaters(user, company, var Kind, flag, window) [the chosen characters], Unassigned for none
//   GetCalcValue(var Text, window)                       the calculator's result, or ''
#include <memory>

#include "classlib/automation/autoobj.h"
#include "standins/workcenter/wcstate.h"

class TF2Window : public TAutoObject {
public:
    explicit TF2Window(std::shared_ptr<TWorkCenterState> state) : FState(std::move(state)) {}

    Variant F2GetData(const Variant& params);
    AnsiString ShowInputDay(const Variant& params);
    int GetPhrase2(const AnsiString& user, const AnsiString& company, const Variant& window, Variant& text);
    Variant ShowCharaters(const AnsiString& user, const AnsiString& company, Variant& kind,
                          const Variant& flag, const Variant& window);
    AnsiString GetCalcValue(Variant& text, const Variant& window);

    // The characters the character picker offers, one a row.
    static const std::vector<AnsiString>& SpecialCharacters();

protected:
    const TAutoMembers& Members() const override;

private:
    std::vector<int> Choose(const TChooseRequest& request);

    std::shared_ptr<TWorkCenterState> FState;
};
