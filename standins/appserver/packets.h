#pragma once
// The providers' rows and changes in the data-packet format of the data layer (classlib/db/datapacket.h):
// field definitions from the columns' declared types, rows as packet rows, a delta read into the
// providers' changed rows, and their errors as an error packet.
#include <map>
#include <vector>

#include "classlib/db/datapacket.h"
#include "standins/appserver/providers.h"

// Field types of the columns of a result: CHAR(n)/VARCHAR(n) ftString of n, TEXT ftMemo, INTEGER
// ftInteger, NUMERIC and REAL ftFloat, BLOB ftBlob; a computed column takes the type its values show
// (the hints of earlier packets, by name, when it has none), else ftString of 255.
// guessed (when given) is set when a computed column had neither values nor a hint.
std::vector<TPacketField> ResultFields(const TDbResult& result, const std::vector<TDbRow>& sample,
                                       std::map<AnsiString, TPacketField>& hints, bool* guessed = nullptr);
// A row as the packet holds it, each value as its field's type travels.
Variant PacketRow(const TDbRow& row, const std::vector<TPacketField>& fields);
// The same values before they become an array, for a caller that adds to them.
std::vector<Variant> PacketValues(const TDbRow& row, const std::vector<TPacketField>& fields);

// A delta row as read, and its row id (and those of its nested rows, by index).
struct TDeltaInput {
    std::vector<TDeltaRow> Rows;
    std::vector<int> Ids;                  // the header rows' ids
    std::vector<std::vector<int>> LineIds; // the ids of each header's nested rows
};
// Reads a delta; nestedField names the lines' data-set field ('' for none). EDatabaseError for a
// packet of another shape.
TDeltaInput ReadDelta(const Variant& delta, const AnsiString& nestedField);
// The error packet of a save.
Variant SaveErrorPacket(const TSaveResult& result, const TDeltaInput& input);
