#include "classlib/db/fieldtypes.h"

TFieldTypeClass FieldTypeClass(TFieldType type) noexcept {
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return fcText;
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob:
        return fcMemo;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
        return fcNumber;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
        return fcDate;
    case ftBoolean:
        return fcBoolean;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
        return fcBinary;
    default:
        return fcOther;
    }
}
