#include "framework/AppServer.h"

#include "classlib/automation/comobj.h"

int TAppServer::Connect(const Variant& params) const {
    return VarCall(FObject, "Connect", {params}).AsInteger();
}

AnsiString TAppServer::SvrData() const {
    return VarToStr(VarGet(FObject, "SvrData"));
}

Variant TAppServer::WhatIs(const AnsiString& name) const {
    return VarCall(FObject, "WhatIs", {name});
}

void TAppServer::SetTopRow(int rows) const {
    VarCall(FObject, "SetTopRow", {rows});
}

void TAppServer::SetIsSeq(bool flag) const {
    VarCall(FObject, "SetIsSeq", {flag});
}

AnsiString TAppServer::GetFormat(const AnsiString& company, const AnsiString& programID) const {
    return VarToStr(VarCall(FObject, "GetFormat", {company, programID}));
}

int TAppServer::GetRecCount() const {
    return VarGet(FObject, "GetRecCount").AsInteger();
}

Variant TAppServer::GetBaseLimitedRecs(const AnsiString& prefix, const AnsiString& condition,
                                       int recordCount) const {
    return VarCall(FObject, "GetBaseLimitedRecs", {prefix, condition, recordCount});
}

void TAppServer::LoadTable(const Variant& params) const {
    VarCall(FObject, "LoadTable", {params});
}

AnsiString TAppServer::InsertConTable(const Variant& params) const {
    return VarToStr(VarCall(FObject, "InsertConTable", {params}));
}

AnsiString TAppServer::DeleteConTable(const Variant& params) const {
    return VarToStr(VarCall(FObject, "DeleteConTable", {params}));
}

AnsiString TAppServer::ChangeConName(const Variant& oldKey, const Variant& newKey) const {
    return VarToStr(VarCall(FObject, "ChangeConName", {oldKey, newKey}));
}
