#include "standins/workcenter/validator.h"

#include "classlib/rtl/strutils.h"
#include "standins/shared/lookups.h"
#include "standins/shared/numbering.h"

const TAutoMembers& TValidator::Members() const {
    static const TAutoMembers members{
        AutoProperty("ProductID", &TValidator::ProductID, &TValidator::SetProductID),
        AutoProperty("BaseLimited", &TValidator::BaseLimited, &TValidator::SetBaseLimited),
        AutoMethod("CheckValue", &TValidator::CheckValue),
        AutoMethod("QueryData", &TValidator::QueryData),
        AutoMethod("QueryMaxSeq", &TValidator::QueryMaxSeq),
    };
    return members;
}

bool TValidator::Run(const AnsiString& table, const AnsiString& checkNo, const AnsiString& database,
                     const Variant& keys, std::vector<TDbRow>& rows) {
    TDbSession& session = FState->Session();
    const TCatalogueEntry* entry =
        FState->Catalogue().Find("Check", session.ToUtf8(Trim(table)), session.ToUtf8(Trim(checkNo)));
    if (!entry) return false;
    TCatalogueContext context;
    context.Database = database;
    rows = TCatalogue::Run(session, *entry, KeyValues(keys), context).Rows;
    return !rows.empty();
}

bool TValidator::CheckValue(const AnsiString& table, const AnsiString& checkNo, const AnsiString& database,
                            const Variant& keys, Variant& row) {
    std::vector<TDbRow> rows;
    if (!Run(table, checkNo, database, keys, rows)) return false;
    row = VarArrayOf(rows.front());
    return true;
}

bool TValidator::QueryData(const AnsiString& table, const AnsiString& checkNo, const AnsiString& database,
                           const Variant& keys, Variant& row) {
    std::vector<TDbRow> rows;
    if (!Run(table, checkNo, database, keys, rows)) return false;
    row = RowsAsVariant(rows);
    return true;
}

bool TValidator::QueryMaxSeq(const AnsiString& table, const AnsiString& /*keyFields*/,
                             const Variant& keyValues, const AnsiString& dateText,
                             const AnsiString& /*programId*/, const AnsiString& database, Variant& result) {
    const std::vector<Variant> keys = KeyValues(keyValues);
    if (keys.empty()) return false;
    TDbSession& session = FState->Session();
    TCatalogueContext context;
    context.Database = database;
    try {
        const AnsiString number = NextDocumentNumber(
            FState->Catalogue(),
            [&](const TCatalogueEntry& entry, const std::vector<Variant>& values) {
                return TCatalogue::Run(session, entry, values, context);
            },
            session.ToUtf8(UpperCase(Trim(table))), VarToStr(keys.front()), dateText);
        if (number.empty()) return false;
        result = Variant(number);
        return true;
    } catch (const EDbError&) {
        return false;
    }
}
