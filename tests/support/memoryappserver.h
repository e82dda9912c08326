#pragma once
// An application server object over in-memory providers, for the tests of the data sets and of the
// framework: the provider calls of classlib/db/provider.h over lists of rows.
#include <functional>
#include <map>
#include <vector>

#include "classlib/automation/autoobj.h"
#include "classlib/db/datapacket.h"
#include "classlib/db/provider.h"

// A provider of the in-memory server: field definitions and rows (rows as in a data packet; a
// ftDataSet column holds the nested rows). Updates are applied to the rows.
struct TMemoryProviderData {
    std::vector<TPacketField> Fields;
    std::vector<Variant> Rows;
    // Names of the key fields (";" list) that updates and deletes find their row by; empty: all the
    // fields of the original values.
    AnsiString KeyFields;
    // A row the provider refuses to write: a non-empty message rejects it (an update, insert or delete,
    // with its current values and its kind).
    std::function<AnsiString(TUpdateKind kind, const Variant& values)> RejectRow;
};

// An application server object over in-memory providers, for tests and demos: AS_GetRecords serves
// packets of the asked size (the data request is kept in LastDataRequest; a condition is not
// evaluated); AS_ApplyUpdates applies a delta all or nothing when MaxErrors is 0, and otherwise writes
// the rows it accepts when the errors do not exceed MaxErrors.
class TMemoryAppServer : public TAutoObject {
public:
    TMemoryAppServer() = default;

    TMemoryProviderData& Provider(const AnsiString& name) { return FProviders[UpperCase(name)]; }
    const Variant& LastDataRequest() const { return FLastDataRequest; }
    const Variant& LastDelta() const { return FLastDelta; }
    int GetRecordsCalls() const { return FGetRecordsCalls; }

    Variant GetRecords(TDispArgs args);
    Variant ApplyUpdates(TDispArgs args);

protected:
    const TAutoMembers& Members() const override;

private:
    static AnsiString UpperCase(const AnsiString& s);
    TMemoryProviderData& Find(const AnsiString& name);
    std::map<AnsiString, TMemoryProviderData> FProviders;
    std::map<AnsiString, int> FPositions;
    Variant FLastDataRequest;
    Variant FLastDelta;
    int FGetRecordsCalls = 0;
};
