#pragma once
// The lookup-window server F2WindowS.Class1, and the lookups of the catalogue it answers from (the
// host's lookup window runs the same ones):
//   Connect([program, user, company, database, ...])   0, or 2 when the database cannot be opened
//   GetLookupData(Table, QueryNo, Keys, Current)       [captions, rows]: the column titles and the
//                                                      candidate rows (each an array of values); an
//                                                      unknown lookup answers empty arrays
#include <memory>
#include <vector>

#include "classlib/automation/autoobj.h"
#include "standins/appserver/catalogue.h"

struct TLookupData {
    std::vector<AnsiString> Captions;
    std::vector<TDbRow> Rows;
    bool Found = false; // the catalogue has the lookup
};

// Keys is a single value or an array of key values (Unassigned: none).
TLookupData RunLookup(TDbSession& session, const TCatalogue& catalogue, const AnsiString& table,
                      const AnsiString& queryNo, const Variant& keys, const TCatalogueContext& context);
// The key values of a single value or an array.
std::vector<Variant> KeyValues(const Variant& keys);
// Rows as an array of row arrays; Unassigned for no rows.
Variant RowsAsVariant(const std::vector<TDbRow>& rows);

class TF2WindowS : public TAutoObject {
public:
    int Connect(const Variant& params);
    Variant GetLookupData(const AnsiString& table, const AnsiString& queryNo, const Variant& keys,
                          const AnsiString& current);

protected:
    const TAutoMembers& Members() const override;

private:
    std::unique_ptr<TDbSession> FSession;
    std::shared_ptr<const TCatalogue> FCatalogue;
    TCatalogueContext FContext;
};
