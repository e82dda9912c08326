#pragma once
// Failures of the servers' database layer. Inside the layer (dialect, guard, catalogue)
// messages are UTF-8; TDbSession hands them out in the session's code page.
#include "classlib/rtl/exceptions.h"

// A database failure: SQLite's error, a missing or malformed data file.
KVR_DECLARE_EXCEPTION(EDbError, Exception)
// A client's SQL text that the server refuses to run: a second statement, a comment, a write, a
// fragment that would leave the place the server gives it, a function outside the allowed list.
KVR_DECLARE_EXCEPTION(EDbRefused, EDbError)
