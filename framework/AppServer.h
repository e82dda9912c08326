#pragma once
// The application server ("RAVEZ01A.Rarer1", in process or behind the data module's socket
// connection) as the module calls it by name. Like the work-centre services, this holds only the
// server object's Variant; a failure reaches the caller as EOleError.
#include "classlib/rtl/variants.h"

class TAppServer {
public:
    static constexpr const char* ProgID = "RAVEZ01A.Rarer1";
    static constexpr const char* LookupProgID = "F2WindowS.Class1"; // the lookup-window server

    TAppServer() = default;
    explicit TAppServer(const Variant& object) : FObject(object) {}
    const Variant& Object() const { return FObject; }
    bool Assigned() const { return VarIsDispatch(FObject) && !VarIsEmpty(FObject); }

    // [program ID, user, company, database, create flag, catalogue flag]; 0 means success.
    int Connect(const Variant& params) const;
    // The program's settings list as name=value lines.
    AnsiString SvrData() const;
    // "TODAY" the server date as YYYYMMDD, "SQLTYPE" an integer, "SEQNO" the number the last save gave.
    Variant WhatIs(const AnsiString& name) const;
    void SetTopRow(int rows) const;
    void SetIsSeq(bool flag) const;
    // The user-settings XML text.
    AnsiString GetFormat(const AnsiString& company, const AnsiString& programID) const;
    int GetRecCount() const;
    // [permitted count, permitted keys] for the prefix, base condition and record count.
    Variant GetBaseLimitedRecs(const AnsiString& prefix, const AnsiString& condition, int recordCount) const;

    // Saved query schemes. Params are the arrays the query dialog builds; an empty answer means done,
    // any other text is the error message.
    void LoadTable(const Variant& params) const; // [user ID, program ID]
    AnsiString InsertConTable(const Variant& params) const;
    AnsiString DeleteConTable(const Variant& params) const;
    AnsiString ChangeConName(const Variant& oldKey, const Variant& newKey) const;

private:
    Variant FObject;
};
