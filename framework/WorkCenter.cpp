#include "framework/WorkCenter.h"

#include "classlib/automation/comobj.h"

void TValidatorService::SetProductID(int value) const {
    VarSet(FObject, "ProductID", value);
}

void TValidatorService::SetBaseLimited(const Variant& value) const {
    VarSet(FObject, "BaseLimited", value);
}

bool TValidatorService::CheckValue(const AnsiString& table, const AnsiString& checkNo,
                                   const AnsiString& database, const Variant& keys, Variant& row) const {
    return VarCall(FObject, "CheckValue", {table, checkNo, database, keys, ByRef(row)}).AsBoolean();
}

bool TValidatorService::QueryData(const AnsiString& table, const AnsiString& checkNo,
                                  const AnsiString& database, const Variant& keys, Variant& row) const {
    return VarCall(FObject, "QueryData", {table, checkNo, database, keys, ByRef(row)}).AsBoolean();
}

bool TValidatorService::QueryMaxSeq(const AnsiString& table, const AnsiString& keyFields,
                                    const Variant& keyValues, const AnsiString& dateText,
                                    const AnsiString& programID, const AnsiString& database,
                                    Variant& result) const {
    return VarCall(FObject, "QueryMaxSeq",
                   {table, keyFields, keyValues, dateText, programID, database, ByRef(result)})
        .AsBoolean();
}

Variant TF2WindowService::F2GetData(const Variant& params) const {
    return VarCall(FObject, "F2GetData", {params});
}

AnsiString TF2WindowService::ShowInputDay(const Variant& params) const {
    return VarToStr(VarCall(FObject, "ShowInputDay", {params}));
}

int TF2WindowService::GetPhrase2(const AnsiString& user, const AnsiString& company, int window,
                                 Variant& text) const {
    return VarCall(FObject, "GetPhrase2", {user, company, window, ByRef(text)}).AsInteger();
}

Variant TF2WindowService::ShowCharaters(const AnsiString& user, const AnsiString& company, Variant& kind,
                                        const Variant& flag, const AnsiString& windowText) const {
    return VarCall(FObject, "ShowCharaters", {user, company, ByRef(kind), flag, windowText});
}

Variant TF2WindowService::GetCalcValue(Variant& text, int window) const {
    return VarCall(FObject, "GetCalcValue", {ByRef(text), window});
}

Variant TCounterService::GetSysInfo(const AnsiString& company) const {
    return VarCall(FObject, "GetSysInfo", {company});
}

Variant TCounterService::GETCOUNTER(const AnsiString& name, const Variant& params,
                                    const Variant& companyDb) const {
    return VarCall(FObject, "GETCOUNTER", {name, params, companyDb});
}

int TWorkCenter::DependencyVersion() const {
    return VarGet(FObject, "DependencyVersion").AsInteger();
}

void TWorkCenter::Connect() const {
    VarCall(FObject, "Connect");
}

TValidatorService TWorkCenter::Com_Validator() const {
    return TValidatorService(VarGet(FObject, "Com_Validator"));
}

TF2WindowService TWorkCenter::Com_F2Window() const {
    return TF2WindowService(VarGet(FObject, "Com_F2Window"));
}

TCounterService TWorkCenter::Com_Counter() const {
    return TCounterService(VarGet(FObject, "Com_Counter"));
}

int TWorkCenter::ProductID() const {
    return VarGet(FObject, "ProductID").AsInteger();
}

AnsiString TWorkCenter::GetMessage(const AnsiString& kind, const AnsiString& code) const {
    return VarToStr(VarCall(FObject, "GetMessage", {kind, code}));
}

int TWorkCenter::ExecWork(const Variant& caller, const Variant& param1, const Variant& param2, Variant& mode,
                          Variant& result) const {
    return VarCall(FObject, "ExecWork", {caller, param1, param2, ByRef(mode), ByRef(result)}).AsInteger();
}

void TWorkCenter::CallHelp(const Variant& topic) const {
    VarCall(FObject, "CallHelp", {topic});
}

void TPagerService::ShowSendVorlan(const AnsiString& user, const Variant& companyProgram,
                                   const Variant& text) const {
    VarCall(FObject, "ShowSendVorlan", {user, companyProgram, text, Variant()});
}
