#pragma once
// What the spreadsheet program's automation server (excelapp.cpp) does with the workbooks a program
// leaves to the user. A workbook made visible (the application's Visible set true while it is open), or
// still open when the application quits, when its last reference goes or when the process ends, is
// written as an ".xlsx" file into the keeping folder, named PROGRAM_yyyymmddhhnnss.xlsx (with "_2", "_3"
// when that name is taken), unless nothing was written to it since the program saved it (or since it
// was made): a workbook saved by its program is not written twice. Kept again after a later change, it
// goes to the file it was kept in before.
#include <functional>

#include "classlib/rtl/types.h"

// The keeping folder: folder (a system path), or without one c_data in the client folder of the
// platform's registry key (else in the temporary folder), and in it the user's own folder when a user is
// given, as the module's file exports go; it is made when missing. The kept files are named by program
// ("Book" without one).
void SetExcelKeeping(const AnsiString& folder, const AnsiString& user, const AnsiString& program);

// Told of every file the server writes, a program's SaveAs and each workbook kept, by its native path;
// nil: none. Called on the thread that wrote it.
void SetExcelFileListener(std::function<void(const AnsiString& file)> listener);
