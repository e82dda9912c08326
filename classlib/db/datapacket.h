#pragma once
// The data packet and the delta: what a client data set and a provider hand each other, as one Variant
// tree, so that the same packet crosses a process boundary unchanged (varmarshal.h carries Variants).
// Every array below is a one-dimensional varVariant array with low bound 0.
//
// DATA PACKET (the provider's answer to AS_GetRecords, TClientDataSet::Data, CreateDataSet's layout)
//
//     [0] Integer   format version, PacketVersion (1)
//     [1] fields    array of field definitions, one per stored column, in column order; each
//                   [0] String   field name (ASCII identifier, unique without regard to case)
//                   [1] Integer  field type, a TFieldType ordinal (dbconsts.h)
//                   [2] Integer  size: bytes of a string (ftString, ftFixedChar) or byte field
//                                (ftBytes, ftVarBytes), decimals of ftBCD, 0 otherwise
//                   [3] Integer  attributes, faRequired | faReadOnly | faHidden (0 for none)
//                   [4] fields   ftDataSet only: the nested rows' field definitions (same shape);
//                                Empty otherwise
//     [2] rows      array of rows; a row is an array of values, one per field in [1]'s order
//     [3] Integer   flags: pfComplete when no further rows follow (the provider has no more);
//                   pfDelta when this is a delta (rows below are delta rows)
//
// Values, by field type: Null for a null value (every type); ftString, ftFixedChar, ftMemo,
// ftFmtMemo: varString, bytes of the client's code page (a string holds at most size bytes);
// ftWideString: varOleStr; ftSmallint, ftWord, ftInteger, ftAutoInc: varInteger; ftLargeint:
// varInt64; ftFloat, ftBCD: varDouble; ftCurrency: varCurrency (exact, VarFromScaledCurrency);
// ftBoolean: varBoolean; ftDate, ftTime, ftDateTime: varDate; ftBytes, ftVarBytes, ftBlob,
// ftGraphic: a byte array (varArray | varByte); ftVariant: the value itself; ftDataSet: the nested
// rows, an array of rows shaped by the field's nested definitions (an empty array for none). Readers
// accept any Variant that converts to the field's type.
//
// DELTA (TClientDataSet::Delta, sent with AS_ApplyUpdates): a data packet with pfDelta set, the same
// field definitions, and as rows only the rows that changed (or whose nested rows changed), in storage
// order, each a delta row:
//
//     [0] Integer   update status, a TUpdateStatus ordinal: usInserted, usModified, usDeleted, or
//                   usUnmodified for a row unchanged itself whose nested rows changed
//     [1] Integer   row id, unique in the whole tree of the client data set (nested rows included);
//                   errors name rows by it
//     [2] row       the current values, one per field (for a deleted row the values it had when
//                   deleted); a ftDataSet slot holds the nested delta rows (an array of delta rows,
//                   same shape, recursively), Empty when none of the nested rows changed
//     [3] row       the original values as the provider delivered them (ftDataSet slots Empty), for
//                   usModified, usDeleted and usUnmodified; Empty for usInserted
//
// A provider finds the original key in [3] and the new values in [2]. Nested rows of a deleted row
// that were deleted first come as usDeleted nested delta rows; the order in which the provider writes
// header and lines is the provider's.
//
// ERROR PACKET (the result of AS_ApplyUpdates)
//
//     [0] Boolean   committed: True when every row that has no error below was written, False when
//                   nothing was written (the provider rolled back)
//     [1] errors    array of row errors, Empty when there was none; each
//                   [0] Integer  the row id of the delta row
//                   [1] String   the message shown to the user
//                   [2] Integer  error code (0 when the provider has none)
//                   [3] String   context (the statement or the reason, for the log)
//                   [4] Integer  previous error code (0 when none)
//                   [5] row      the row's current values on the server, or Empty
//
// The client calls its OnReconcileError once per error; rows without an error leave the change log
// when committed is True, and nothing leaves it when it is False.
#include <vector>

#include "classlib/db/dbconsts.h"
#include "classlib/rtl/variants.h"
#include "classlib/rtl/varview.h"

constexpr int PacketVersion = 1;

// Field attributes in a field definition.
constexpr int faRequired = 0x1;
constexpr int faReadOnly = 0x2;
constexpr int faHidden = 0x4;

// Packet flags.
constexpr int pfComplete = 0x1;
constexpr int pfDelta = 0x2;

// Slots of the arrays above.
enum TPacketSlot { psVersion = 0, psFields = 1, psRows = 2, psFlags = 3, psSlotCount = 4 };
enum TFieldDefSlot { fdName = 0, fdType = 1, fdSize = 2, fdAttributes = 3, fdNested = 4, fdSlotCount = 5 };
enum TDeltaSlot { dsStatus = 0, dsRowId = 1, dsValues = 2, dsOldValues = 3, dsSlotCount = 4 };
enum TErrorPacketSlot { epCommitted = 0, epErrors = 1, epSlotCount = 2 };
enum TRowErrorSlot {
    reRowId = 0,
    reMessage = 1,
    reErrorCode = 2,
    reContext = 3,
    rePreviousError = 4,
    reCurrentValues = 5,
    reSlotCount = 6
};

// A field definition as C++ sees it.
struct TPacketField {
    AnsiString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int Attributes = 0;
    std::vector<TPacketField> Nested; // ftDataSet only
};

// Building (the provider side, and the client's Data and Delta).
Variant PacketFieldDefs(const std::vector<TPacketField>& fields);
Variant MakeDataPacket(const std::vector<TPacketField>& fields, Variant rows, int flags);
Variant MakeDeltaRow(TUpdateStatus status, int rowId, Variant values, Variant oldValues);
Variant MakeRowError(int rowId, const AnsiString& message, int errorCode = 0, const AnsiString& context = "",
                     int previousError = 0, const Variant& currentValues = Variant());
Variant MakeErrorPacket(bool committed, const std::vector<Variant>& errors);

// Reading. Each checks the shape and raises EDatabaseError "Invalid data packet: ..." when a packet is
// not of this format, so a bad packet never half-loads.
std::vector<TPacketField> ReadPacketFields(const Variant& packet);
std::vector<TPacketField> ReadFieldDefs(const Variant& fieldDefs);
Variant PacketRows(const Variant& packet); // the rows array (checked to be one)
int PacketFlags(const Variant& packet);
bool IsDataPacket(const Variant& packet) noexcept; // the shape of [0]..[3], without raising

// A delta row as C++ sees it (the provider side): values by field; for a ftDataSet field, Values holds
// Empty and Nested the nested delta rows (empty when none changed).
struct TPacketDeltaRow {
    TUpdateStatus Status = usUnmodified;
    int RowId = 0;
    std::vector<Variant> Values;                      // current values (deleted rows: as they were)
    std::vector<Variant> OldValues;                   // original values; empty for an inserted row
    std::vector<std::vector<TPacketDeltaRow>> Nested; // one list per field; filled for ftDataSet fields only
};
// The delta rows of a delta's rows array, checked against the field definitions (EDatabaseError
// "Invalid data packet: ..." for a row of another shape).
std::vector<TPacketDeltaRow> ReadDeltaRows(const std::vector<TPacketField>& fields, const Variant& rows);

// The Variant type a value of the field type travels as (varNull for types without one).
TVarType PacketVarType(TFieldType type) noexcept;
