#pragma once
// The application server object RAVEZ01A.Rarer1: one per client connection, each with its own session
// on the database (its own SQLite connections). The module calls it by name:
//   Connect([program, user, company, database, create flag, catalogue flag])  0, or 1 an unknown user
//           or program, 2 the database cannot be opened, 3 parameters missing
//   SvrData                  the program's settings list, name=value lines
//   WhatIs(Name)             "TODAY" YYYYMMDD, "SQLTYPE" 0, "SEQNO" the number the last save assigned
//   SetTopRow(N)             the row limit of the queries that follow (0 or less: none)
//   SetIsSeq(Flag)           whether the next saves number new documents here
//   GetFormat(company, program)      the user-settings XML text, '' when none
//   GetRecCount              the number of rows of the last query of pvdMain
//   GetBaseLimitedRecs(Prefix, Condition, Count)  [permitted count, permitted keys]
//   LoadTable([user, program])       the schemes pvdConSave reads next
//   InsertConTable([name, user, day, program, text, page, replace]), DeleteConTable([name, user,
//   program]), ChangeConName([old name, user, program], [new name, user, program])   '' or the reason
//                            the scheme calls act on the connected user's schemes of the connected
//                            program only: LoadTable of another selects none, the others refuse
// and the provider calls of classlib/db/provider.h, AS_GetRecords and AS_ApplyUpdates, on
//   pvdMain     the program's documents (M11_/D11_ settings): headers with their lines nested in
//               "qryBody"; the data request [condition, sort]; packets of the asked size, continued
//               until a reset; the row limit of SetTopRow. A delta is applied in one transaction,
//               all of it or nothing whatever MaxErrors says; rejected rows come back as errors
//   pvdColor    the same rows for the colour conditions, lines in "qryBodyColor"; read only
//   pvdConSave  the schemes LoadTable chose; changes only to the connected user's own schemes
// Calls that need the database before a successful Connect raise EOleError.
//
// The server keeps, per object, who connected (user, company, program) and the rights it derived for
// the POWER_DATA it sent (rights.h); every change packet of pvdMain is checked against them row by row
// and refused whole, each refused row with an error naming the right (providers.h). The first
// successful Connect fixes the user (over TCP the connection may have proved one when it opened,
// sconnect.h): a Connect naming another raises EOleError and ends the connection. Reading documents
// (pvdMain, pvdColor, GetRecCount) needs the query right; the audit stamps of a save (creator, group
// and date of new records, modifier, date and FLAG of changed ones) are the server's.
//
// In process the module creates it with CreateOleObject("RAVEZ01A.Rarer1") (this library registers the
// factory; data/classes.ini names the library); over TCP kvrserver serves it (apps/kvrserver).
// The database is the one of serverconfig.h.
#include <map>
#include <memory>
#include <vector>

#include "classlib/automation/autoobj.h"
#include "standins/appserver/packets.h"
#include "standins/appserver/providers.h"
#include "standins/shared/serverconfig.h"

class TRarer1 : public TAutoObject {
public:
    TRarer1();
    ~TRarer1() override;

    int Connect(const Variant& params);
    AnsiString SvrData();
    Variant WhatIs(const AnsiString& name);
    void SetTopRow(int rows);
    void SetIsSeq(bool flag);
    AnsiString GetFormat(const AnsiString& company, const AnsiString& program);
    int GetRecCount();
    Variant GetBaseLimitedRecs(const AnsiString& prefix, const AnsiString& condition, int count);
    void LoadTable(const Variant& params);
    AnsiString InsertConTable(const Variant& params);
    AnsiString DeleteConTable(const Variant& params);
    AnsiString ChangeConName(const Variant& oldKey, const Variant& newKey);

    // The provider calls of the data layer (classlib/db/provider.h) on pvdMain, pvdColor, pvdConSave.
    Variant AS_GetRecords(TDispArgs args);
    Variant AS_ApplyUpdates(TDispArgs args);

    // The providers as C++ objects (the wire calls of appprovider.h go through these).
    // Reads a packet of pvdMain (or pvdColor) and remembers the query for GetRecCount.
    TProviderRows FetchDocuments(const AnsiString& condition, const AnsiString& sort, Int64 offset,
                                 Int64 count, TSortPosition* position = nullptr);
    // Applies a packet of pvdMain; a new document's number becomes SEQNO.
    TSaveResult ApplyDocuments(const std::vector<TDeltaRow>& delta);
    TDbResult FetchSchemes();

    bool IsConnected() const { return static_cast<bool>(FSession); }
    TDbSession& Session();
    const TProgramSettings& Settings() const { return FSettings; }
    const TUserRights& Rights() const { return FRights; }

protected:
    const TAutoMembers& Members() const override;

private:
    TDocumentProvider& Documents();
    TSchemeProvider& Schemes();
    void RequireConnected() const;
    // Reads of documents need the query right of the connected program.
    void RequireQueryRight() const;
    bool IsOwnScheme(const AnsiString& user, const AnsiString& program) const;
    AnsiString NotOwnScheme() const;

    TServerSession FSession;
    std::shared_ptr<const TCatalogue> FCatalogue;
    TCatalogueContext FContext;
    std::vector<std::pair<AnsiString, AnsiString>> FSettingLines;
    TProgramSettings FSettings;
    TUserRights FRights;
    AnsiString FGroup;     // the user's group (USER_GROUP), stamped on new records
    AnsiString FFixedUser; // the user of the first successful Connect
    std::unique_ptr<TDocumentProvider> FDocuments;
    std::unique_ptr<TSchemeProvider> FSchemes;
    std::unique_ptr<TDocumentProvider> FSchemeWriter;
    std::map<AnsiString, TPacketField> FTypeHints;
    std::map<AnsiString, Int64> FPositions;        // rows delivered per provider since its last reset
    std::map<AnsiString, TSortPosition> FLastRows; // the last row delivered, where the next packet starts
    std::map<AnsiString, std::pair<AnsiString, AnsiString>> FRequests; // condition and sort per provider
    int FTopRow = 0;
    bool FIsSeq = false;
    AnsiString FSeqNo;
    AnsiString FLastCondition;
    Int64 FLastLimit = -1;
};
