#pragma once
// The catalogue of checks and lookups (data/catalogue): one entry per (kind, table, number) with its
// SQL, the names of its key values and its result columns in the positions the clients read them. The
// file's header describes the format; the validator, the lookup window and the servers answer from it.
#include <string>
#include <vector>

#include "standins/shared/database.h"

struct TCatalogueEntry {
    std::string Kind;   // Check, Lookup, Sequence, Counter, Server
    std::string Table;  // upper case
    std::string Number; // check or query number, or the request's name
    std::vector<std::string> Keys;
    std::vector<std::string> Columns;
    std::vector<std::string> Captions; // lookups: the titles of the columns
    std::string Sql;                   // SQLite's dialect; :k1 .. :k9 and the context names below
    int Line = 0;                      // where the entry starts in its file
};

// What a call brings besides its keys (texts in the session's code page).
struct TCatalogueContext {
    AnsiString Company, Database, User, Program, Current;
};

class TCatalogue {
public:
    static constexpr int MaxKeys = 9;

    // Reads a catalogue (UTF-8); a malformed entry raises EDbError naming the file and the line (a UTF-8
    // message).
    void LoadFromFile(const std::string& path);
    void LoadFromText(const std::string& text, const std::string& sourceName);

    const std::vector<TCatalogueEntry>& Entries() const { return FEntries; }
    // The entry, kind and table compared without regard to case; null when there is none.
    const TCatalogueEntry* Find(const std::string& kind, const std::string& table,
                                const std::string& number) const;

    // Runs an entry on the session's read connection. Key i binds :k(i+1); keys the call does not send
    // (and empty or null keys) bind an empty text; the context binds :company, :database, :user, :program and
    // :current. Texts in and out are in the session's code page.
    static TDbResult Run(TDbSession& session, const TCatalogueEntry& entry, const std::vector<Variant>& keys,
                         const TCatalogueContext& context = {});
    // The same inside a transaction, seeing its changes (document numbering while a save runs).
    static TDbResult Run(TDbWriter& writer, const TCatalogueEntry& entry, const std::vector<Variant>& keys,
                         const TCatalogueContext& context = {});
    static TDbNamedParams Params(const std::vector<Variant>& keys, const TCatalogueContext& context);

private:
    std::vector<TCatalogueEntry> FEntries;
};
