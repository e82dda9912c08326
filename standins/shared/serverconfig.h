#pragma once
// Where the servers find their database and data files, and what every server object of a process
// shares: the catalogue of checks and lookups and the message texts, read once.
//
// The database file: SetServerDatabasePath (kvrserver's --db), else the environment variable
// KVR_DATABASE, else demo.db in the folder of the registry store's file (by default $HOME/.kvrx58). It
// is created from the data folder on first use. The data folder: SetServerDataDir, else KVR_DATA, else
// FindDataDir() (database.h). Every call is thread-safe.
#include <memory>
#include <string>

#include "standins/shared/catalogue.h"
#include "standins/shared/database.h"
#include "standins/shared/messages.h"

std::string ServerDatabasePath();
void SetServerDatabasePath(const std::string& path); // '' returns to the default
std::string ServerDataDir();
void SetServerDataDir(const std::string& path); // '' returns to the default

// The limits of every statement of the servers' sessions: how long it may run (milliseconds, 0: no
// limit; default that of TDbOptions) and how many steps one with a client's text may take. A statement
// also stops when the socket client it runs for has gone (ClientGone, sconnect.h).
int ServerStatementTimeLimit();
void SetServerStatementTimeLimit(int milliseconds);
Int64 ServerStepLimit();
void SetServerStepLimit(Int64 steps);

// A session on the server's database in the client's database code page (raises EDbError). When the
// holder lets it go, the session waits for the next one in this process (a few at most), with its
// connections, schema and prepared statements: opening a form then costs no new connection. A session
// is only ever one holder's at a time; one whose file was replaced or whose settings changed goes.
struct TServerSessionReturn {
    void operator()(TDbSession* session) const;
};
using TServerSession = std::unique_ptr<TDbSession, TServerSessionReturn>;
TServerSession OpenServerSession(unsigned codePage = 936);

// The catalogue and the message texts of the data folder; EDbError when the file is missing or
// malformed. A change of the data folder reads them again.
std::shared_ptr<const TCatalogue> ServerCatalogue();
std::shared_ptr<const TMessageFile> ServerMessages();
