#include "standins/shared/lookups.h"

#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"

std::vector<Variant> KeyValues(const Variant& keys) {
    std::vector<Variant> values;
    if (VarIsArray(keys))
        values = VarArrayItems(keys);
    else if (!VarIsEmpty(keys))
        values.push_back(keys);
    // Only simple values can be keys; anything else binds as an empty text.
    for (Variant& value : values)
        if (VarIsArray(value) || VarIsDispatch(value)) value = Variant(AnsiString());
    return values;
}

Variant RowsAsVariant(const std::vector<TDbRow>& rows) {
    if (rows.empty()) return Variant();
    std::vector<Variant> items;
    items.reserve(rows.size());
    for (const TDbRow& row : rows)
        items.push_back(VarArrayOf(row));
    return VarArrayOf(items);
}

TLookupData RunLookup(TDbSession& session, const TCatalogue& catalogue, const AnsiString& table,
                      const AnsiString& queryNo, const Variant& keys, const TCatalogueContext& context) {
    TLookupData data;
    const TCatalogueEntry* entry =
        catalogue.Find("Lookup", session.ToUtf8(table), session.ToUtf8(Trim(queryNo)));
    if (!entry) return data;
    data.Found = true;
    for (const std::string& caption : entry->Captions)
        data.Captions.push_back(session.FromUtf8(caption));
    data.Rows = TCatalogue::Run(session, *entry, KeyValues(keys), context).Rows;
    return data;
}
