#include "support/memoryappserver.h"

#include "classlib/automation/comobj.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"

// ---- the in-memory server ----

AnsiString TMemoryAppServer::UpperCase(const AnsiString& s) {
    return ::UpperCase(s);
}

TMemoryProviderData& TMemoryAppServer::Find(const AnsiString& name) {
    auto it = FProviders.find(UpperCase(name));
    if (it == FProviders.end()) throw EDatabaseError("Provider '" + name + "' not found");
    return it->second;
}

const TAutoMembers& TMemoryAppServer::Members() const {
    static const TAutoMembers members{
        AutoMethod(AS_GetRecords, &TMemoryAppServer::GetRecords),
        AutoMethod(AS_ApplyUpdates, &TMemoryAppServer::ApplyUpdates),
    };
    return members;
}

Variant TMemoryAppServer::GetRecords(TDispArgs args) {
    if (args.size() != 8) throw EOleError("AS_GetRecords takes 8 arguments");
    ++FGetRecordsCalls;
    const AnsiString name = args[0].Value->AsString();
    TMemoryProviderData& provider = Find(name);
    int count = args[1].Value->AsInteger();
    const int options = args[3].Value->AsInteger();
    FLastDataRequest = *args[6].Value;
    int& position = FPositions[UpperCase(name)];
    if (options & grReset)
        position = 0;
    else if (VarIsNumeric(*args[7].Value))
        position = args[7].Value->AsInteger();
    const int total = static_cast<int>(provider.Rows.size());
    if (position > total) position = total;
    if (count < 0 || position + count > total) count = total - position;
    std::vector<Variant> rows(provider.Rows.begin() + position, provider.Rows.begin() + position + count);
    position += count;
    *args[2].Value = count;
    *args[7].Value = position;
    return MakeDataPacket(provider.Fields, VarArrayOf(rows), position >= total ? pfComplete : 0);
}

namespace {
struct TApplyContext {
    TMemoryProviderData& Provider;
    std::vector<Variant> Errors;
};

bool RowMatches(const Variant& row, const Variant& old, const std::vector<TPacketField>& fields,
                const std::vector<int>& keys) {
    TVarArrayView r(row), o(old);
    auto same = [&](int i) { return fields[i].DataType == ftDataSet || VarSameValue(r[i], o[i]); };
    if (!keys.empty()) {
        for (int i : keys)
            if (!same(i)) return false;
        return true;
    }
    for (int i = 0; i < static_cast<int>(fields.size()); ++i)
        if (!same(i)) return false;
    return true;
}

void ApplyDelta(TApplyContext& ctx, const std::vector<TPacketField>& fields, const std::vector<int>& keys,
                std::vector<Variant>& rows, const Variant& deltaRows);

// The values of a delta row as a stored row: nested delta rows become the nested rows.
Variant StoredRow(TApplyContext& ctx, const std::vector<TPacketField>& fields, const Variant& values,
                  const Variant& base) {
    std::vector<Variant> out = VarArrayItems(values);
    out.resize(fields.size());
    TVarArrayView b(base);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].DataType != ftDataSet) continue;
        std::vector<Variant> nested = VarIsArray(b[static_cast<int>(i)])
                                          ? VarArrayItems(b[static_cast<int>(i)])
                                          : std::vector<Variant>{};
        if (VarIsArray(out[i])) ApplyDelta(ctx, fields[i].Nested, {}, nested, out[i]);
        out[i] = VarArrayOf(nested);
    }
    return VarArrayOf(out);
}

void ApplyDelta(TApplyContext& ctx, const std::vector<TPacketField>& fields, const std::vector<int>& keys,
                std::vector<Variant>& rows, const Variant& deltaRows) {
    TVarArrayView delta(deltaRows);
    for (int d = 0; d < delta.Count(); ++d) {
        TVarArrayView dr(delta[d]);
        const auto status = static_cast<TUpdateStatus>(dr[dsStatus].AsInteger());
        const int rowId = dr[dsRowId].AsInteger();
        const Variant& values = dr[dsValues];
        const Variant& old = dr[dsOldValues];
        const TUpdateKind kind = status == usInserted ? ukInsert : status == usDeleted ? ukDelete : ukModify;
        if (status != usUnmodified && ctx.Provider.RejectRow) {
            AnsiString message = ctx.Provider.RejectRow(kind, status == usDeleted ? old : values);
            if (!message.empty()) {
                ctx.Errors.push_back(MakeRowError(rowId, message, 1, "rejected by the provider"));
                continue;
            }
        }
        if (status == usInserted) {
            rows.push_back(StoredRow(ctx, fields, values, Variant()));
            continue;
        }
        auto it = rows.begin();
        for (; it != rows.end(); ++it)
            if (RowMatches(*it, old, fields, keys)) break;
        if (it == rows.end()) {
            ctx.Errors.push_back(MakeRowError(rowId, "Record not found or changed by another user", 2));
            continue;
        }
        if (status == usDeleted)
            rows.erase(it);
        else if (status == usModified)
            *it = StoredRow(ctx, fields, values, *it);
        else {
            // Only its nested rows changed: keep the row's own values.
            std::vector<Variant> own = VarArrayItems(*it);
            TVarArrayView v(values);
            for (std::size_t i = 0; i < fields.size(); ++i)
                if (fields[i].DataType == ftDataSet) own[i] = v[static_cast<int>(i)];
            *it = StoredRow(ctx, fields, VarArrayOf(own), *it);
        }
    }
}
} // namespace

Variant TMemoryAppServer::ApplyUpdates(TDispArgs args) {
    if (args.size() != 5) throw EOleError("AS_ApplyUpdates takes 5 arguments");
    TMemoryProviderData& provider = Find(args[0].Value->AsString());
    const Variant& delta = *args[1].Value;
    FLastDelta = delta;
    const int maxErrors = args[2].Value->AsInteger();
    if (!IsDataPacket(delta) || !(PacketFlags(delta) & pfDelta)) throw EDatabaseError("Invalid delta packet");
    std::vector<int> keys;
    if (!provider.KeyFields.empty()) {
        AnsiString rest = provider.KeyFields;
        while (!rest.empty()) {
            std::size_t p = rest.find(';');
            AnsiString name = Trim(rest.substr(0, p));
            rest = p == AnsiString::npos ? AnsiString() : rest.substr(p + 1);
            for (std::size_t i = 0; i < provider.Fields.size(); ++i)
                if (SameIdent(provider.Fields[i].Name, name)) keys.push_back(static_cast<int>(i));
        }
    }
    TApplyContext ctx{provider, {}};
    std::vector<Variant> rows = provider.Rows;
    ApplyDelta(ctx, provider.Fields, keys, rows, PacketRows(delta));
    const int errors = static_cast<int>(ctx.Errors.size());
    const bool committed = errors == 0 || (maxErrors != 0 && (maxErrors < 0 || errors <= maxErrors));
    if (committed) provider.Rows = std::move(rows);
    *args[3].Value = errors;
    return MakeErrorPacket(committed, ctx.Errors);
}
