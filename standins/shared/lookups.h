#pragma once
// The lookups of the catalogue (its Lookup entries), which the lookup-window server and the host's
// lookup window both answer from, and the shapes in which keys come and rows go over automation.
#include <vector>

#include "standins/shared/catalogue.h"

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
