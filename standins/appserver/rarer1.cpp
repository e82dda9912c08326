#include "standins/appserver/rarer1.h"

#include "classlib/automation/comserv.h"
#include "classlib/automation/sconnect.h"
#include "classlib/db/provider.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "standins/shared/serverconfig.h"
#include "standins/shared/sqldialect.h"

namespace {

TAutoObjectFactory gRarer1Factory("RAVEZ01A.Rarer1", [] { return Variant(new TRarer1); });

} // namespace

TRarer1::TRarer1() = default;
TRarer1::~TRarer1() = default;

const TAutoMembers& TRarer1::Members() const {
    static const TAutoMembers members{
        AutoMethod("Connect", &TRarer1::Connect),
        AutoMethod("SvrData", &TRarer1::SvrData),
        AutoMethod("WhatIs", &TRarer1::WhatIs),
        AutoMethod("SetTopRow", &TRarer1::SetTopRow),
        AutoMethod("SetIsSeq", &TRarer1::SetIsSeq),
        AutoMethod("GetFormat", &TRarer1::GetFormat),
        AutoMethod("GetRecCount", &TRarer1::GetRecCount),
        AutoMethod("GetBaseLimitedRecs", &TRarer1::GetBaseLimitedRecs),
        AutoMethod("LoadTable", &TRarer1::LoadTable),
        AutoMethod("InsertConTable", &TRarer1::InsertConTable),
        AutoMethod("DeleteConTable", &TRarer1::DeleteConTable),
        AutoMethod("ChangeConName", &TRarer1::ChangeConName),
        AutoMethod("AS_GetRecords", &TRarer1::AS_GetRecords),
        AutoMethod("AS_ApplyUpdates", &TRarer1::AS_ApplyUpdates),
    };
    return members;
}

void TRarer1::RequireConnected() const {
    if (!FSession) throw EOleError("RAVEZ01A.Rarer1: Connect has not succeeded");
}

TDbSession& TRarer1::Session() {
    RequireConnected();
    return *FSession;
}

int TRarer1::Connect(const Variant& params) {
    const AnsiString program = UpperCase(Trim(VarArrayItemText(params, 0)));
    const AnsiString user = Trim(VarArrayItemText(params, 1));
    if (VarArrayLength(params) < 4 || program.empty() || user.empty()) return 3;
    // One user per object and connection: the first successful Connect fixes it (over TCP the
    // connection may have proved it already); naming another is refused and ends the connection.
    const AnsiString speaksFor = FFixedUser.empty() ? ServedUser() : FFixedUser;
    if (!speaksFor.empty() && speaksFor != user) {
        ClaimServedUser(user);
        throw EOleError("RAVEZ01A.Rarer1: the connection speaks for " + speaksFor + "; Connect as " + user +
                        " is refused");
    }
    FDocuments.reset();
    FSchemes.reset();
    FSession.reset();
    FSettings.clear();
    FSettingLines.clear();
    FRights = TUserRights();
    TServerSession session;
    std::shared_ptr<const TCatalogue> catalogue;
    try {
        session = OpenServerSession(936);
        catalogue = ServerCatalogue();
    } catch (const Exception&) {
        return 2;
    }
    const TCatalogueEntry* check = catalogue->Find("Server", "QVNMA", "Connect");
    const TCatalogueEntry* settings = catalogue->Find("Server", "WOQMS", "SvrData");
    if (!check || !settings) return 2;
    TCatalogueContext context{Trim(VarArrayItemText(params, 2)), Trim(VarArrayItemText(params, 3)), user,
                              program, ""};
    if (TCatalogue::Run(*session, *check, {Variant(user), Variant(program)}, context).Rows.empty()) return 1;
    // The company's database code page, when the company names one the conversions know.
    const TDbResult company =
        session->Select("SELECT MB007 FROM QVNMB WHERE MB001 = ?", TDbParams{Variant(context.Company)});
    if (!company.Rows.empty()) {
        const int codePage = StrToIntDef(Trim(VarToStr(company.Rows[0][0])), 936);
        try {
            session->SetCodePage(static_cast<unsigned>(codePage));
        } catch (const EDbError&) {
        }
    }
    for (const TDbRow& row :
         TCatalogue::Run(*session, *settings, {Variant(program), Variant(user)}, context).Rows) {
        const AnsiString name = Trim(VarToStr(row[0]));
        const AnsiString value = VarIsNull(row[1]) ? AnsiString() : VarToStr(row[1]);
        if (name.empty()) continue;
        FSettingLines.emplace_back(name, value);
        FSettings[name] = value;
    }
    auto setting = [&](const char* name) {
        auto found = FSettings.find(name);
        return found == FSettings.end() ? AnsiString() : found->second;
    };
    FRights = TUserRights(user, setting("POWER_DATA"), setting("GROUP_LIST"));
    FGroup = Trim(setting("USER_GROUP"));
    ClaimServedUser(user);
    FFixedUser = user;
    FSession = std::move(session);
    FCatalogue = std::move(catalogue);
    FContext = context;
    FSeqNo.clear();
    return 0;
}

AnsiString TRarer1::SvrData() {
    AnsiString text;
    for (const auto& [name, value] : FSettingLines)
        text += name + "=" + value + "\r\n";
    return text;
}

Variant TRarer1::WhatIs(const AnsiString& name) {
    const AnsiString what = UpperCase(Trim(name));
    if (what == "TODAY") return Variant(FormatDateTime("yyyymmdd", Now()));
    if (what == "SQLTYPE") return Variant(ServerSqlType);
    if (what == "SEQNO") return Variant(FSeqNo);
    return Variant(AnsiString());
}

void TRarer1::SetTopRow(int rows) {
    FTopRow = rows;
}

void TRarer1::SetIsSeq(bool flag) {
    FIsSeq = flag;
}

AnsiString TRarer1::GetFormat(const AnsiString& company, const AnsiString& program) {
    RequireConnected();
    const TDbResult result = FSession->Select("SELECT MF003 FROM WOQMF WHERE MF001 = ? AND MF002 = ?",
                                              TDbParams{Variant(Trim(company)), Variant(Trim(program))});
    return result.Rows.empty() || VarIsNull(result.Rows[0][0]) ? AnsiString() : VarToStr(result.Rows[0][0]);
}

void TRarer1::RequireQueryRight() const {
    RequireConnected();
    if (!FRights.Has(TUserRights::QueryRight))
        throw EOleError(FSession->FromUtf8(u8"没有查询的权限 (权限 37): ") + FContext.User + " / " +
                        FContext.Program);
}

int TRarer1::GetRecCount() {
    if (!FSession) return 0;
    RequireQueryRight();
    if (!FDocuments) return 0;
    return static_cast<int>(FDocuments->RecordCount(FLastCondition, FLastLimit));
}

Variant TRarer1::GetBaseLimitedRecs(const AnsiString& /*prefix*/, const AnsiString& /*condition*/,
                                    int count) {
    // Base-data rights are not limited in the demo company: every record is permitted.
    auto found = FSettings.find("BaseLimited");
    const bool limited = found != FSettings.end() && UpperCase(Trim(found->second)) == "Y";
    return VarArrayOf({Variant(limited ? count : -1), Variant(AnsiString())});
}

bool TRarer1::IsOwnScheme(const AnsiString& user, const AnsiString& program) const {
    return Trim(user) == FContext.User && UpperCase(Trim(program)) == FContext.Program;
}

AnsiString TRarer1::NotOwnScheme() const {
    return FSession->FromUtf8(u8"只能使用自己在本程序的查询方案");
}

void TRarer1::LoadTable(const Variant& params) {
    TSchemeProvider& schemes = Schemes();
    // Another user's schemes are not his: the next read finds none.
    if (!IsOwnScheme(VarArrayItemText(params, 0), VarArrayItemText(params, 1)))
        schemes.Select(AnsiString(), AnsiString());
    else
        schemes.Select(VarArrayItemText(params, 0), VarArrayItemText(params, 1));
}

AnsiString TRarer1::InsertConTable(const Variant& params) {
    RequireConnected();
    if (!IsOwnScheme(VarArrayItemText(params, 1), VarArrayItemText(params, 3))) return NotOwnScheme();
    const int page = StrToIntDef(VarArrayItemText(params, 5), 0);
    const AnsiString replace = UpperCase(Trim(VarArrayItemText(params, 6)));
    const bool replacing = replace == "TRUE" || replace == "-1" || replace == "1" || replace == "Y";
    return Schemes().Insert(VarArrayItemText(params, 0), VarArrayItemText(params, 1),
                            VarArrayItemText(params, 2), VarArrayItemText(params, 3),
                            VarArrayItemText(params, 4), page, replacing);
}

AnsiString TRarer1::DeleteConTable(const Variant& params) {
    RequireConnected();
    if (!IsOwnScheme(VarArrayItemText(params, 1), VarArrayItemText(params, 2))) return NotOwnScheme();
    return Schemes().Delete(VarArrayItemText(params, 0), VarArrayItemText(params, 1),
                            VarArrayItemText(params, 2));
}

AnsiString TRarer1::ChangeConName(const Variant& oldKey, const Variant& newKey) {
    RequireConnected();
    if (!IsOwnScheme(VarArrayItemText(oldKey, 1), VarArrayItemText(oldKey, 2)) ||
        !IsOwnScheme(VarArrayItemText(newKey, 1), VarArrayItemText(newKey, 2)))
        return NotOwnScheme();
    return Schemes().Rename(VarArrayItemText(oldKey, 0), VarArrayItemText(oldKey, 1),
                            VarArrayItemText(oldKey, 2), VarArrayItemText(newKey, 0),
                            VarArrayItemText(newKey, 1), VarArrayItemText(newKey, 2));
}

TDocumentProvider& TRarer1::Documents() {
    RequireConnected();
    if (!FDocuments) FDocuments = std::make_unique<TDocumentProvider>(*FSession, FCatalogue, FSettings);
    return *FDocuments;
}

TSchemeProvider& TRarer1::Schemes() {
    RequireConnected();
    if (!FSchemes) FSchemes = std::make_unique<TSchemeProvider>(*FSession);
    return *FSchemes;
}

TProviderRows TRarer1::FetchDocuments(const AnsiString& condition, const AnsiString& sort, Int64 offset,
                                      Int64 count, TSortPosition* position) {
    TDocumentProvider& documents = Documents();
    if (!FRights.Has(TUserRights::QueryRight)) {
        // The form opens its data sets (no condition) before it tells the user that the program is
        // not his: that opening gets the fields and no rows; a query is refused.
        if (!Trim(condition).empty() || !Trim(sort).empty()) RequireQueryRight();
        FLastCondition = "0 = 1";
        FLastLimit = -1;
        return documents.GetRecords(FLastCondition, "", -1, 0, 0, position);
    }
    const Int64 limit = FTopRow > 0 ? FTopRow : -1;
    TProviderRows rows = documents.GetRecords(condition, sort, limit, offset, count, position);
    FLastCondition = condition;
    FLastLimit = limit;
    return rows;
}

TSaveResult TRarer1::ApplyDocuments(const std::vector<TDeltaRow>& delta) {
    TSaveContext context;
    context.ServerNumbering = FIsSeq;
    context.Catalogue = FContext;
    context.Rights = &FRights;
    // The audit stamps are the server's, from the connection, whatever the packet holds.
    context.Stamps = true;
    context.StampUser = FContext.User;
    context.StampGroup = FGroup;
    context.StampDate = FormatDateTime("yyyymmdd", Now());
    TSaveResult result = Documents().ApplyUpdates(delta, context);
    if (result.Errors.empty() && !result.AssignedNumber.empty()) FSeqNo = result.AssignedNumber;
    return result;
}

TDbResult TRarer1::FetchSchemes() {
    return Schemes().GetRecords();
}

//----------------------------------------------------------------------------------------------------------------
// Provider calls

namespace {

enum class TProviderKind { Main, Color, Schemes };

TProviderKind ProviderOf(const AnsiString& name) {
    const AnsiString provider = UpperCase(Trim(name));
    if (provider == "PVDMAIN") return TProviderKind::Main;
    if (provider == "PVDCOLOR") return TProviderKind::Color;
    if (provider == "PVDCONSAVE") return TProviderKind::Schemes;
    throw EOleError("RAVEZ01A.Rarer1: unknown provider '" + name + "'");
}

const char* NestedFieldOf(TProviderKind kind) {
    return kind == TProviderKind::Color ? "qryBodyColor" : "qryBody";
}

// The data request [condition, sort text]; a plain text is the condition alone.
std::pair<AnsiString, AnsiString> RequestOf(const Variant& request) {
    if (VarIsArray(request)) return {VarArrayItemText(request, 0), VarArrayItemText(request, 1)};
    if (VarIsStr(request)) return {VarToStr(request), AnsiString()};
    return {};
}

} // namespace

Variant TRarer1::AS_GetRecords(TDispArgs args) {
    if (args.size() != 8) throw EOleError("AS_GetRecords: eight arguments expected");
    const TProviderKind kind = ProviderOf(VarToStr(*args[0].Value));
    const AnsiString key = UpperCase(Trim(VarToStr(*args[0].Value)));
    const int count = args[1].Value->AsInteger();
    const int options = VarIsEmpty(*args[3].Value) ? 0 : args[3].Value->AsInteger();
    RequireConnected();
    if ((options & grReset) || !FRequests.count(key)) {
        FRequests[key] = RequestOf(*args[6].Value);
        FPositions[key] = 0;
        FLastRows[key].Clear();
    }
    const auto [condition, sort] = FRequests[key];
    Int64& position = FPositions[key];

    std::vector<TPacketField> fields;
    std::vector<Variant> rows;
    bool complete = true;
    if (kind == TProviderKind::Schemes) {
        const TDbResult result = FetchSchemes();
        fields = ResultFields(result, result.Rows, FTypeHints);
        const size_t from =
            static_cast<size_t>(std::min<Int64>(position, static_cast<Int64>(result.Rows.size())));
        size_t to =
            count < 0 ? result.Rows.size() : std::min(result.Rows.size(), from + static_cast<size_t>(count));
        for (size_t i = from; i < to; ++i)
            rows.push_back(PacketRow(result.Rows[i], fields));
        complete = to >= result.Rows.size();
    } else {
        const TProviderRows result = FetchDocuments(condition, sort, position, count, &FLastRows[key]);
        bool guessed = false;
        fields = ResultFields(result.Head, result.Head.Rows, FTypeHints, &guessed);
        if (guessed) {
            // A computed column without values: its type from a document of the whole table, so that
            // an empty answer describes its fields as a full one does.
            const TProviderRows probe = Documents().GetRecords("", "", -1, 0, 1);
            ResultFields(probe.Head, probe.Head.Rows, FTypeHints);
            std::vector<TDbRow> lines = probe.Lines.empty() ? std::vector<TDbRow>() : probe.Lines[0];
            ResultFields(probe.LineColumns, lines, FTypeHints);
            fields = ResultFields(result.Head, result.Head.Rows, FTypeHints);
        }
        std::vector<TDbRow> allLines;
        for (const std::vector<TDbRow>& lines : result.Lines)
            allLines.insert(allLines.end(), lines.begin(), lines.end());
        TPacketField nested;
        nested.Name = NestedFieldOf(kind);
        nested.DataType = ftDataSet;
        nested.Nested = ResultFields(result.LineColumns, allLines, FTypeHints);
        fields.push_back(nested);
        for (size_t i = 0; i < result.Head.Rows.size(); ++i) {
            std::vector<Variant> lines;
            for (const TDbRow& line : result.Lines[i])
                lines.push_back(PacketRow(line, nested.Nested));
            std::vector<Variant> values = PacketValues(result.Head.Rows[i], fields);
            values.back() = VarArrayFromVector(std::move(lines));
            rows.push_back(VarArrayFromVector(std::move(values)));
        }
        complete = result.Eof;
    }
    position += static_cast<Int64>(rows.size());
    *args[2].Value = Variant(static_cast<int>(rows.size()));
    *args[7].Value = Variant(position);
    return MakeDataPacket(fields, VarArrayFromVector(std::move(rows)), complete ? pfComplete : 0);
}

Variant TRarer1::AS_ApplyUpdates(TDispArgs args) {
    if (args.size() != 5) throw EOleError("AS_ApplyUpdates: five arguments expected");
    const TProviderKind kind = ProviderOf(VarToStr(*args[0].Value));
    RequireConnected();
    if (kind == TProviderKind::Color) throw EOleError("RAVEZ01A.Rarer1: pvdColor cannot be changed");
    const TDeltaInput input = ReadDelta(*args[1].Value, kind == TProviderKind::Main ? "qryBody" : "");
    TSaveResult result;
    if (kind == TProviderKind::Main) {
        result = ApplyDocuments(input.Rows);
    } else {
        // Every row, as it was and as it is to be, must be one of the user's own schemes.
        for (size_t i = 0; i < input.Rows.size(); ++i) {
            const TDeltaRow& row = input.Rows[i];
            auto value = [&](const std::map<AnsiString, Variant>& values, const char* field) {
                for (const auto& [name, v] : values)
                    if (SameText(name, field))
                        return VarIsNull(v) || VarIsEmpty(v) ? AnsiString() : VarToStr(v);
                return AnsiString();
            };
            const bool own = (row.Kind == usInserted ||
                              IsOwnScheme(value(row.Old, "CREATOR"), value(row.Old, "PROGRAMME"))) &&
                             (row.Kind == usDeleted ||
                              IsOwnScheme(VarToStr(row.Value("CREATOR")), VarToStr(row.Value("PROGRAMME"))));
            if (own) continue;
            TUpdateError error;
            error.HeadIndex = static_cast<int>(i);
            error.Kind = row.Kind;
            error.ErrorCode = 4;
            error.Message = NotOwnScheme();
            error.Context = "DOCUS refused";
            result.Errors.push_back(std::move(error));
        }
        if (!result.Errors.empty()) {
            *args[3].Value = Variant(static_cast<int>(result.Errors.size()));
            return SaveErrorPacket(result, input);
        }
        if (!FSchemeWriter) {
            const TProgramSettings settings{{"M11_TABLE", "DOCUS"},
                                            {"M11_KEY", "NCONDITION,CREATOR,PROGRAMME"}};
            FSchemeWriter = std::make_unique<TDocumentProvider>(*FSession, FCatalogue, settings);
        }
        result = FSchemeWriter->ApplyUpdates(input.Rows, TSaveContext{});
    }
    *args[3].Value = Variant(static_cast<int>(result.Errors.size()));
    return SaveErrorPacket(result, input);
}
