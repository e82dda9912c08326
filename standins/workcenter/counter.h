#pragma once
// The work centre's counter service (Com_Counter): small server requests.
//   GetSysInfo(company)          [0, i] name and [1, i] value of system setting i; Unassigned when none
//   GETCOUNTER(Name, Params, [company, database]) with the names
//     "SimpleSQL"/"SimpleSql"  [SQL, result columns, database, "N"]: one read-only SELECT in the
//                              server's dialect, under the read-only guard; rows of the listed columns,
//                              Unassigned when nothing matched; a refused text raises its reason
//     "TransactionSQL"         [SQL] or [[SQL], '']: one INSERT, UPDATE or DELETE on ATTACH, in its own
//                              transaction
//     "QueryUDFData"           [formula, '', database, "N", values]: the formula is a SELECT in which %1,
//                              %2, ... stand for the values (written as quoted literals); its rows
//     "GetUserDefine"          [company, user, program, key]: the stored value; for a section with
//                              stored keys section/name, the XML <section><name>value</name>...</section>
//     "SetUserDefine"          [company, user, program column, key path, value]
//     "ExchangeRate"           [currency, kind (B, C, D, else W), date]: the rate in force on the date
//     "INSERTQZJOB"            [[company, program, key, user, job array, ...]]: 0 queued, 1 a job of
//                              the document still waits, 2 a job the queue cannot take
//     "GetQZApprove"           [user, form ID, key condition, code page]: the sign-off information
//     "CallWebService"         [address, method, request XML, flag]: the response (signoff.h)
//   An unknown name raises EOleError.
#include <memory>

#include "classlib/automation/autoobj.h"
#include "standins/workcenter/wcstate.h"

class TCounter : public TAutoObject {
public:
    explicit TCounter(std::shared_ptr<TWorkCenterState> state) : FState(std::move(state)) {}

    Variant GetSysInfo(const AnsiString& company);
    Variant GETCOUNTER(const AnsiString& name, const Variant& params, const Variant& companyDatabase);

    // The tables TransactionSQL may change.
    static const std::vector<std::string>& WritableTables();

protected:
    const TAutoMembers& Members() const override;

private:
    Variant SimpleSql(const Variant& params);
    Variant QueryUDFData(const Variant& params);
    Variant GetUserDefine(const Variant& params);
    Variant SetUserDefine(const Variant& params);
    Variant ExchangeRate(const Variant& params, const AnsiString& company);
    Variant InsertQZJob(const Variant& params);

    std::shared_ptr<TWorkCenterState> FState;
};
