#pragma once
// Names shared by the data sets, the data packet and the providers: field types (numbered as the class
// library numbers them, so that a type code reads the same in a packet), update states and kinds, and
// EDatabaseError.
#include "classlib/objects/typeinfo.h"
#include "classlib/rtl/exceptions.h"

KVR_ENUM(TFieldType, ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency,
         ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
         ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint,
         ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch,
         ftGuid, ftTimeStamp, ftFMTBcd);

// The state of a row in the change log.
KVR_ENUM(TUpdateStatus, usUnmodified, usModified, usInserted, usDeleted);
KVR_SET(TUpdateStatusSet, TUpdateStatus);
// What the provider was asked to do with a row.
KVR_ENUM(TUpdateKind, ukModify, ukInsert, ukDelete);

// Failures of data sets and fields. The message of one raised on behalf of a named component starts
// with that name ("cdsMain: Field 'TA001' not found"), as the class library's did.
KVR_DECLARE_EXCEPTION(EDatabaseError, Exception)

class TComponent;
[[noreturn]] void DatabaseError(const AnsiString& message, TComponent* component = nullptr);

// The texts of the data sets' own errors.
inline constexpr const char* SNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* SDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* SDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* SRecordNotFound = "Record not found";
