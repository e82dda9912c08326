#pragma once
// Small routines of the header-plus-body level: rounding a field's value, the next line number, the
// duplicate-line check and a clone cursor that never raises.
#include "classlib/db/dbclient.h"

// Null: 0. Places -2: truncated toward zero; -1: as stored; >= 0: rounded half away from zero by the
// text formatter; other negatives: 0.
double GetFieldRounded(TField* field, int places);
// The value as edit text with the same rules; other negative places: nothing.
void SetFieldRounded(TField* field, int places, double value);
// The highest numeric value of the field over the data set plus one, zero-padded to the string
// field's size ("0001" for size 4); non-numeric texts count as 0. False (text '') when the field does
// not exist or the next number does not fit the field: a wrapped number would repeat an existing one.
// The data set is left on its last row.
bool NextSequenceNo(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& text);
// Whether another row of cds has the same key as the record that field belongs to. keys: field names
// joined with "+" ('' the field's own). Rows are told apart by their identity in the shared rows, so
// the record itself never counts, wherever inserts moved it. cds is left where the walk stopped.
bool HasDuplicateKey(TCustomClientDataSet* cds, TField* field, const AnsiString& keys);
// dest clones source's cursor (not reset, without source's settings); false on any exception.
bool CloneCursorSafe(TCustomClientDataSet* source, TCustomClientDataSet* dest);
