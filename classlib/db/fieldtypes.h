#pragma once
// The class of a field type, one table for every place that asks "is this field a number / a text / a
// date": whether a value is written into SQL as a number or quoted, offered to a query as a number or a
// text, exported as a number, summed. Asking here keeps one field the same kind everywhere.
#include "classlib/db/dbconsts.h"

enum TFieldTypeClass {
    fcOther,   // nested data sets, objects, variants, guids, unknown
    fcText,    // short texts: string, fixed and wide strings
    fcMemo,    // long texts
    fcNumber,  // integers of every size (the auto-increment too), floats, currency and decimals
    fcDate,    // dates, times and time stamps
    fcBoolean, // true or false
    fcBinary,  // bytes and blobs
};

TFieldTypeClass FieldTypeClass(TFieldType type) noexcept;

inline bool IsNumberField(TFieldType type) noexcept {
    return FieldTypeClass(type) == fcNumber;
}
inline bool IsTextField(TFieldType type) noexcept {
    return FieldTypeClass(type) == fcText;
}
