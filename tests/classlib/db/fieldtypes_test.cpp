#include <gtest/gtest.h>

#include "classlib/db/fieldtypes.h"

// Every field type has one class. Before the table, "numeric" meant five different sets in five places:
// currency, decimal, large-integer, auto-increment and decimal-packet fields were numbers in some and
// texts in others, and byte fields were numbers (written unquoted into SQL) in some.
TEST(FieldClass, EveryTypeHasOneClass) {
    struct Case {
        TFieldType type;
        TFieldTypeClass expected;
    };
    const Case cases[] = {
        {ftUnknown, fcOther},   {ftString, fcText},        {ftSmallint, fcNumber}, {ftInteger, fcNumber},
        {ftWord, fcNumber},     {ftBoolean, fcBoolean},    {ftFloat, fcNumber},    {ftCurrency, fcNumber},
        {ftBCD, fcNumber},      {ftDate, fcDate},          {ftTime, fcDate},       {ftDateTime, fcDate},
        {ftBytes, fcBinary},    {ftVarBytes, fcBinary},    {ftAutoInc, fcNumber},  {ftBlob, fcBinary},
        {ftMemo, fcMemo},       {ftGraphic, fcBinary},     {ftFmtMemo, fcMemo},    {ftParadoxOle, fcBinary},
        {ftDBaseOle, fcBinary}, {ftTypedBinary, fcBinary}, {ftCursor, fcOther},    {ftFixedChar, fcText},
        {ftWideString, fcText}, {ftLargeint, fcNumber},    {ftADT, fcOther},       {ftArray, fcOther},
        {ftReference, fcOther}, {ftDataSet, fcOther},      {ftOraBlob, fcBinary},  {ftOraClob, fcMemo},
        {ftVariant, fcOther},   {ftInterface, fcOther},    {ftIDispatch, fcOther}, {ftGuid, fcOther},
        {ftTimeStamp, fcDate},  {ftFMTBcd, fcNumber},
    };
    ASSERT_EQ(std::size(cases), static_cast<std::size_t>(ftFMTBcd) + 1); // every type, none forgotten
    for (const Case& c : cases) {
        EXPECT_EQ(FieldTypeClass(c.type), c.expected) << static_cast<int>(c.type);
        EXPECT_EQ(IsNumberField(c.type), c.expected == fcNumber) << static_cast<int>(c.type);
        EXPECT_EQ(IsTextField(c.type), c.expected == fcText) << static_cast<int>(c.type);
    }
}

TEST(FieldClass, ACodeOutsideTheTypesIsOther) {
    EXPECT_EQ(FieldTypeClass(static_cast<TFieldType>(-1)), fcOther);
    EXPECT_EQ(FieldTypeClass(static_cast<TFieldType>(ftFMTBcd + 1)), fcOther);
}
