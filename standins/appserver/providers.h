#pragma once
// The providers of the application server, apart from how their rows and changes travel:
//   * TDocumentProvider: a program's documents, header rows of M11_SELECT with their lines of
//     D11_SELECT nested under each (pvdMain, and pvdColor which reads the same rows for the colour
//     conditions); the client's condition and sort run inside the select under the read-only guard;
//     changes are applied in one transaction, all of them or none;
//   * TSchemeProvider: the saved query schemes of one user and program (pvdConSave).
// Texts are in the session's code page. Field names of a change are checked against the table's
// columns, values are bound: nothing a client sends becomes SQL text here but its condition and sort,
// which the guard confines.
//
// A save is optimistic: every row that was read carries its FLAG as read, and is written only while
// the table still holds that FLAG; lines changed under an unchanged header need the header as read
// too. A row another user changed or deleted meanwhile is rejected (error codes 1 and 2), and with it
// the whole packet. A document's key does not change, its lines belong to it, and texts fit their
// columns; anything else is rejected the same way.
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <memory>
#include <string>
#include <vector>

#include "classlib/db/dbconsts.h"
#include "standins/shared/catalogue.h"
#include "standins/shared/database.h"
#include "standins/appserver/rights.h"

// One changed row of a packet: its values as read (Old: the key and FLAG at least; for an insert,
// nothing) and what the client changed or inserted (New), with the changes of its nested lines.
struct TDeltaRow {
    TUpdateStatus Kind = usUnmodified;
    std::map<AnsiString, Variant> Old;
    std::map<AnsiString, Variant> New;
    std::vector<TDeltaRow> Lines;

    // The value a changed row has now: New's when it changed, else Old's; Unassigned when neither.
    Variant Value(const AnsiString& field) const;
};

// A rejected row: where it is in the packet (its header's index, and its line's index or -1), what
// was asked, and why (the message the reconcile handler shows).
struct TUpdateError {
    int HeadIndex = -1;
    int LineIndex = -1;
    TUpdateStatus Kind = usUnmodified;
    int ErrorCode = 0; // 1 changed by another user, 2 deleted by another user, 3 key exists, 4 other
    AnsiString Message;
    AnsiString Context; // the table, the key and what was asked, for the log
};

// Rows of one packet: the header columns and rows, and for each header row its lines.
struct TProviderRows {
    TDbResult Head;
    TDbResult LineColumns;                  // the lines' columns and declared types; no rows
    std::vector<std::vector<TDbRow>> Lines; // parallel to Head.Rows
    bool Eof = true;                        // no rows after these
};

// The program's settings list (SvrData) as name -> value, names compared as written.
using TProgramSettings = std::map<AnsiString, AnsiString>;

struct TSaveResult {
    std::vector<TUpdateError> Errors; // empty: the packet was written
    AnsiString AssignedNumber;        // the number of the last header inserted ('' when none)
};

struct TSaveContext {
    bool ServerNumbering = false; // SetIsSeq: number new headers by their type's rule
    TCatalogueContext Catalogue;
    // The user's rights: each row must be permitted, or nothing is written. Null: not checked (the
    // server's own writes).
    const TUserRights* Rights = nullptr;
    // The audit stamps of the connection: with Stamps, a new row gets CREATOR, USR_GROUP and
    // CREATE_DATE, a changed one MODIFIER, MODI_DATE and the next FLAG from here, whatever the packet
    // holds; a change of nothing but these is written not at all.
    bool Stamps = false;
    AnsiString StampUser, StampGroup, StampDate;
};

class TDocumentProvider {
public:
    // Settings M11_TABLE, M11_KEY, M11_SELECT, D11_TABLE, D11_KEY, D11_SELECT (no D11_TABLE: no lines),
    // SEQ_DATE (the field whose date numbering uses), M11_CONFIRM and D11_CONFIRM (the confirm-code
    // fields of header and lines, which a save may only void and un-void: confirming is the
    // transaction manager's). EDbError when the tables or keys are not valid.
    //
    // With rights in the save's context, every header is checked inside the save's transaction
    // against its record as stored: an insert needs the add right; a change of fields the change
    // right, its lines' changes included; a delete the delete right; the confirm code may go between
    // "N" (or empty) and "V" with the void right, and to or from "Y" or "U" not at all; a change of
    // nothing but the audit stamps needs the change right too. A row that is
    // not permitted is rejected naming the right, and the packet is written not at all.
    TDocumentProvider(TDbSession& session, std::shared_ptr<const TCatalogue> catalogue,
                      const TProgramSettings& settings);

    const AnsiString& HeadTable() const { return FHeadTable; }
    const std::vector<AnsiString>& HeadKey() const { return FHeadKey; }
    const AnsiString& LineTable() const { return FLineTable; }
    const std::vector<AnsiString>& LineKey() const { return FLineKey; }

    // count rows of the query from offset (count < 0: all); limit is the query's row limit (< 0 none).
    // With a position (that of the row before offset, as the last call left it), the rows are found
    // after it by key rather than counted off (TSelectSpec), and it moves to the last row given.
    TProviderRows GetRecords(const AnsiString& condition, const AnsiString& sort, Int64 limit, Int64 offset,
                             Int64 count, TSortPosition* position = nullptr);
    // The number of rows of the query, up to the limit.
    Int64 RecordCount(const AnsiString& condition, Int64 limit);

    TSaveResult ApplyUpdates(const std::vector<TDeltaRow>& delta, const TSaveContext& context);

private:
    struct TTableInfo {
        AnsiString Name;
        std::vector<AnsiString> Columns; // upper case
        std::unordered_set<AnsiString> ColumnSet;
        std::unordered_map<AnsiString, int>
            Sizes; // the declared size of each CHAR and VARCHAR column, in bytes
        bool HasFlag = false;
        bool Has(const AnsiString& column) const;
        // A text value within its column's declared size (in the client's bytes); other values fit.
        bool Fits(const AnsiString& column, const Variant& value) const;
    };
    TTableInfo ReadTable(const AnsiString& name);
    void ApplyHead(TDbWriter& writer, const TDeltaRow& row, int index, const TSaveContext& context,
                   TSaveResult& result);
    bool ApplyRow(TDbWriter& writer, const TTableInfo& table, const std::vector<AnsiString>& key,
                  const TDeltaRow& row, const std::map<AnsiString, Variant>& forced, TUpdateError& error,
                  const TSaveContext& context);
    // A line that was read belongs to its header: the header part of its key, as read and as
    // changed, is the header's key. Else the error says so.
    bool BelongsToHead(const TDeltaRow& line, const std::map<AnsiString, Variant>& headKey,
                       TUpdateError& error) const;
    void DeleteRemainingLines(TDbWriter& writer, const std::map<AnsiString, Variant>& headKey);
    // A client's condition and sort: their sub-queries name only FSubqueryTables (EDbRefused).
    void CheckClientText(const AnsiString& condition, const AnsiString& sort) const;
    void CheckRights(TDbWriter& writer, const TDeltaRow& row, int index, const TUserRights& rights,
                     TSaveResult& result);

    TDbSession& FSession;
    std::shared_ptr<const TCatalogue> FCatalogue;
    AnsiString FHeadTable, FHeadSelect, FLineTable, FLineSelect, FSeqDateField, FConfirmField,
        FLineConfirmField;
    std::vector<AnsiString> FHeadKey, FLineKey;
    std::vector<std::string> FTables;        // what a client's condition may read
    std::vector<AnsiString> FSubqueryTables; // what its sub-queries may name: documents and lines
    TTableInfo FHead, FLine;
};

class TSchemeProvider {
public:
    explicit TSchemeProvider(TDbSession& session) : FSession(session) {}
    // LoadTable: the schemes the next read gives.
    void Select(const AnsiString& user, const AnsiString& program);
    TDbResult GetRecords();

    // The calls of the scheme dialog; each answers '' when done, else the reason.
    AnsiString Insert(const AnsiString& name, const AnsiString& user, const AnsiString& day,
                      const AnsiString& program, const AnsiString& text, int page, bool replace);
    AnsiString Delete(const AnsiString& name, const AnsiString& user, const AnsiString& program);
    AnsiString Rename(const AnsiString& oldName, const AnsiString& user, const AnsiString& program,
                      const AnsiString& newName, const AnsiString& newUser, const AnsiString& newProgram);

private:
    TDbSession& FSession;
    AnsiString FUser, FProgram;
};

// The comma list as trimmed items; an item's alias after a blank ("TB003 B") is dropped.
std::vector<AnsiString> SplitKeyList(const AnsiString& list);
