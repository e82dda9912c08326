#include <gtest/gtest.h>

#include "framework/ExportSheet.h"

// One table for both exports. Before it, the single-table and the header-plus-body exports each had
// their own list of types: word, auto-increment, large-integer and decimal fields were left empty
// through the spreadsheet program, currency went into the ".xls" file as a number from one export and as
// its shown text from the other, and wide and fixed strings took the control's text in one only.
TEST(ExportSheet, EachFieldTypeHasOneWayInEachMode) {
    struct Case {
        TFieldType type;
        bool percentage;
        TExportCellKind numbers, texts, shown, file;
    };
    const Case cases[] = {
        {ftString, false, ekControlText, ekControlText, ekControlText, ekControlText},
        {ftFixedChar, false, ekControlText, ekControlText, ekControlText, ekControlText},
        {ftWideString, false, ekControlText, ekControlText, ekControlText, ekControlText},
        {ftBoolean, false, ekBoolean, ekBoolean, ekBoolean, ekBoolean},
        {ftSmallint, false, ekInteger, ekInteger, ekShown, ekInteger},
        {ftInteger, false, ekInteger, ekInteger, ekShown, ekInteger},
        {ftWord, false, ekInteger, ekInteger, ekShown, ekInteger},
        {ftAutoInc, false, ekInteger, ekInteger, ekShown, ekInteger},
        {ftFloat, false, ekNumber, ekPlainText, ekShown, ekNumber},
        {ftFloat, true, ekShown, ekShown, ekShown, ekNumber},
        {ftCurrency, false, ekNumber, ekPlainText, ekShown, ekControlText},
        {ftBCD, false, ekNumber, ekPlainText, ekShown, ekControlText},
        {ftFMTBcd, false, ekNumber, ekPlainText, ekShown, ekControlText},
        {ftLargeint, false, ekNumber, ekPlainText, ekShown, ekControlText},
        {ftDateTime, false, ekNone, ekNone, ekNone, ekControlText},
        {ftMemo, false, ekNone, ekNone, ekNone, ekControlText},
        {ftBlob, false, ekNone, ekNone, ekNone, ekControlText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.type)) + (c.percentage ? " %" : ""));
        EXPECT_EQ(ExportCellKind(c.type, c.percentage, emNumbers), c.numbers);
        EXPECT_EQ(ExportCellKind(c.type, c.percentage, emTexts), c.texts);
        EXPECT_EQ(ExportCellKind(c.type, c.percentage, emShown), c.shown);
        EXPECT_EQ(ExportCellKind(c.type, c.percentage, emFile), c.file);
    }
}
