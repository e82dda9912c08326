#include "standins/appserver/f2windows.h"

#include "classlib/automation/comserv.h"
#include "classlib/automation/sconnect.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "standins/shared/serverconfig.h"

namespace {

TAutoObjectFactory gF2WindowSFactory("F2WindowS.Class1", [] { return Variant(new TF2WindowS); });

} // namespace

const TAutoMembers& TF2WindowS::Members() const {
    static const TAutoMembers members{
        AutoMethod("Connect", &TF2WindowS::Connect),
        AutoMethod("GetLookupData", &TF2WindowS::GetLookupData),
    };
    return members;
}

int TF2WindowS::Connect(const Variant& params) {
    // The lookups run for the user the connection speaks for; naming another ends the connection.
    AnsiString user = Trim(VarArrayItemText(params, 1));
    if (user.empty()) user = ServedUser();
    if (!ClaimServedUser(user))
        throw EOleError("F2WindowS.Class1: the connection speaks for " + ServedUser() + "; Connect as " +
                        user + " is refused");
    try {
        FSession = OpenServerSession(936);
        FCatalogue = ServerCatalogue();
    } catch (const Exception&) {
        FSession.reset();
        return 2;
    }
    FContext = TCatalogueContext{Trim(VarArrayItemText(params, 2)), Trim(VarArrayItemText(params, 3)), user,
                                 UpperCase(Trim(VarArrayItemText(params, 0))), ""};
    return 0;
}

Variant TF2WindowS::GetLookupData(const AnsiString& table, const AnsiString& queryNo, const Variant& keys,
                                  const AnsiString& current) {
    if (!FSession && Connect(Variant()) != 0)
        throw EOleError("F2WindowS.Class1: the database cannot be opened");
    TCatalogueContext context = FContext;
    context.Current = current;
    const TLookupData data = RunLookup(*FSession, *FCatalogue, table, queryNo, keys, context);
    std::vector<Variant> captions(data.Captions.begin(), data.Captions.end());
    std::vector<Variant> rows;
    for (const TDbRow& row : data.Rows)
        rows.push_back(VarArrayOf(row));
    return VarArrayOf({VarArrayOf(captions), VarArrayOf(rows)});
}
