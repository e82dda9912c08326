#pragma once
// The server's SQL functions, registered on every connection of the demo database:
//   KVR_ADD(a, b)      the dialect's "+": two texts concatenate; numbers (and texts that are numbers
//                      next to a number) add; NULL gives NULL; a text that is no number next to a
//                      number is an error
//   KVR_CHAR(x, n)     x padded with blanks to n characters, never cut (a fixed-width column as stored)
//   RPAD(x, n[, c])    x padded on the right with c (a blank) to n characters, or cut to n
//   LPAD(x, n[, c])    the same on the left
//   LEN(x)             the characters of x without its trailing blanks
//   GETDATE()          the local time as 'YYYY-MM-DD HH:MM:SS.mmm'
// Lengths count characters of the UTF-8 text, not bytes.
#include <sqlite3.h>

// Registers the functions on a connection; false when SQLite refused one.
bool RegisterServerFunctions(sqlite3* db);
