#include "standins/appserver/rarer1.h"

#include "classlib/automation/comserv.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "standins/appserver/serverconfig.h"
#include "standins/appserver/sqldialect.h"

namespace {

// Element i of an array argument as text; '' when the argument is no array or too short.
AnsiString Item(const Variant& array, int i) {
    if (!VarIsArray(array) || VarArrayDimCount(array) != 1) return AnsiString();
    const int low = VarArrayLowBound(array, 1);
    if (low + i > VarArrayHighBound(array, 1)) return AnsiString();
    const Variant value = array.GetElement({low + i});
    if (VarIsNull(value) || VarIsEmpty(value) || VarIsArray(value) || VarIsDispatch(value)) return AnsiString();
    return VarToStr(value);
}

int ItemCount(const Variant& array) {
    if (!VarIsArray(array) || VarArrayDimCount(array) != 1) return 0;
    return VarArrayHighBound(array, 1) - VarArrayLowBound(array, 1) + 1;
}

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
    const AnsiString program = UpperCase(Trim(Item(params, 0)));
    const AnsiString user = Trim(Item(params, 1));
    if (ItemCount(params) < 4 || program.empty() || user.empty()) return 3;
    FDocuments.reset();
    FSchemes.reset();
    FSession.reset();
    FSettings.clear();
    FSettingLines.clear();
    std::unique_ptr<TDbSession> session;
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
    TCatalogueContext context{Trim(Item(params, 2)), Trim(Item(params, 3)), user, program, ""};
    if (TCatalogue::Run(*session, *check, {Variant(user), Variant(program)}, context).Rows.empty()) return 1;
    // The company's database code page, when the company names one the conversions know.
    const TDbResult company = session->Select("SELECT MB007 FROM QVNMB WHERE MB001 = ?", TDbParams{Variant(context.Company)});
    if (!company.Rows.empty()) {
        const int codePage = StrToIntDef(Trim(VarToStr(company.Rows[0][0])), 936);
        try {
            session->SetCodePage(static_cast<unsigned>(codePage));
        } catch (const EDbError&) {
        }
    }
    for (const TDbRow& row : TCatalogue::Run(*session, *settings, {Variant(program), Variant(user)}, context).Rows) {
        const AnsiString name = Trim(VarToStr(row[0]));
        const AnsiString value = VarIsNull(row[1]) ? AnsiString() : VarToStr(row[1]);
        if (name.empty()) continue;
        FSettingLines.emplace_back(name, value);
        FSettings[name] = value;
    }
    FSession = std::move(session);
    FCatalogue = std::move(catalogue);
    FContext = context;
    FSeqNo.clear();
    return 0;
}

AnsiString TRarer1::SvrData() {
    AnsiString text;
    for (const auto& [name, value] : FSettingLines) text += name + "=" + value + "\r\n";
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

int TRarer1::GetRecCount() {
    if (!FSession || !FDocuments) return 0;
    return static_cast<int>(FDocuments->RecordCount(FLastCondition, FLastLimit));
}

Variant TRarer1::GetBaseLimitedRecs(const AnsiString& /*prefix*/, const AnsiString& /*condition*/, int count) {
    // Base-data rights are not limited in the demo company: every record is permitted.
    auto found = FSettings.find("BaseLimited");
    const bool limited = found != FSettings.end() && UpperCase(Trim(found->second)) == "Y";
    return VarArrayOf({Variant(limited ? count : -1), Variant(AnsiString())});
}

void TRarer1::LoadTable(const Variant& params) {
    Schemes().Select(Item(params, 0), Item(params, 1));
}

AnsiString TRarer1::InsertConTable(const Variant& params) {
    const int page = StrToIntDef(Item(params, 5), 0);
    const AnsiString replace = UpperCase(Trim(Item(params, 6)));
    const bool replacing = replace == "TRUE" || replace == "-1" || replace == "1" || replace == "Y";
    return Schemes().Insert(Item(params, 0), Item(params, 1), Item(params, 2), Item(params, 3), Item(params, 4),
                            page, replacing);
}

AnsiString TRarer1::DeleteConTable(const Variant& params) {
    return Schemes().Delete(Item(params, 0), Item(params, 1), Item(params, 2));
}

AnsiString TRarer1::ChangeConName(const Variant& oldKey, const Variant& newKey) {
    return Schemes().Rename(Item(oldKey, 0), Item(oldKey, 1), Item(oldKey, 2), Item(newKey, 0), Item(newKey, 1),
                            Item(newKey, 2));
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
                                      Int64 count) {
    TDocumentProvider& documents = Documents();
    const Int64 limit = FTopRow > 0 ? FTopRow : -1;
    TProviderRows rows = documents.GetRecords(condition, sort, limit, offset, count);
    FLastCondition = condition;
    FLastLimit = limit;
    return rows;
}

TSaveResult TRarer1::ApplyDocuments(const std::vector<TDeltaRow>& delta) {
    TSaveContext context;
    context.ServerNumbering = FIsSeq;
    context.Catalogue = FContext;
    TSaveResult result = Documents().ApplyUpdates(delta, context);
    if (result.Errors.empty() && !result.AssignedNumber.empty()) FSeqNo = result.AssignedNumber;
    return result;
}

TDbResult TRarer1::FetchSchemes() {
    return Schemes().GetRecords();
}
