#pragma once
// Data-set routines of the base level that the forms and data modules share: deleting a record with
// its nested lines, the last record or the next packet, fetching before a scroll past the end,
// re-querying with a condition and a sort text, the first empty field of a required-field list, and
// the per-user grid-view files.
//
// Grid-view files (".ugs") are INI files, one per user and program, in the folder that the client INI
// file's GridViewDataPath (section Client Components) names, ClientPath + "c_Data\" by default; the
// user's own file lies in a sub-folder named after the user. A section per data set (cdsBody1 with a
// line-table number n >= 0: cdsBody1_n), a line per field: index;display width[;display format].
//     [cdsMain]
//     TA001=0;10
//     TA018=12;15;#,##0.00
#include "classlib/db/dbclient.h"

// Deletes the current record (a nested data set with wholeNested: all its records), each one after
// the records of its nested data sets. With suspendEvents the AfterDelete, AfterScroll, BeforeDelete
// and BeforeScroll handlers are off meanwhile. Always true.
bool DeleteRecordCascade(TDataSet* dataSet, bool wholeNested, bool suspendEvents);
// At the end: the next packet; otherwise the last record fetched so far (no packet is fetched, whatever
// the data set's fetch on demand).
void LastOrNextPacket(TCustomClientDataSet* dataSet);
// Only at the end and browsing: the next packet, with the controls and the data source's
// OnStateChange off meanwhile.
void FetchBeforeScroll(TDataSet* dataSet, TDataSource* dataSource);
// Closes the data set and opens it again with the data request [where as a wide string from code page
// 936, order]; a where of "All" (any case) is none. True when it opened; a failure is written to the
// alert log "knlBase-103", the data set stays closed and the answer is false, so that a failed query is
// never taken for an empty result.
bool ReopenWithCondition(TCustomClientDataSet* dataSet, const AnsiString& where, const AnsiString& order);
// The first field of the data set's item in the field list (field-list settings format) that exists,
// is writable, visible, a data field, and whose text is blank.
bool FindFirstEmptyField(TDataSet* dataSet, const AnsiString& list, TField*& field);

// The section of a data set in a grid-view file.
AnsiString GridViewSection(TDataSet* dataSet, int number);
// The grid-view folder that the client INI file names, as it is written there; '' without a client
// installation.
AnsiString GridViewBasePath();
// The user's file when it exists, else the shared one in the base folder.
void LoadGridView(const AnsiString& subFolder, const AnsiString& fileName, TDataSet* dataSet, int number);
// Into the user's folder, created when missing.
void SaveGridView(const AnsiString& subFolder, const AnsiString& fileName, TDataSet* dataSet, int number);
// Lines that cannot be applied (no such field, a bad number, an index out of range) are passed over
// whole; the others apply in the order of the file.
void LoadGridViewFile(const AnsiString& path, TDataSet* dataSet, int number);
void SaveGridViewFile(const AnsiString& path, TDataSet* dataSet, int number);
