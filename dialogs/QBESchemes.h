#pragma once
// The text of a saved query scheme (VCONDITION): one page of the query dialog.
//
// Page 0 (the general grid): row limit, #7, then for each row whose field or value is non-empty: field
// label CRLF operator label CRLF value CRLF connective #8.
// Pages 1 and 2: row limit, #7, the advanced conditions, #3, the sort items (item text #8 "1"/"0" #9
// each, "1" descending), #3, "1"/"0" for the detail box, #3, the detail conditions.
#include <vector>

#include "dialogs/QBEConditions.h"

AnsiString GridSchemeText(const AnsiString& topRow, const std::vector<TConditionRow>& rows);
// False when the text has no row limit part. Each row's lines are trimmed one by one, so an empty field
// keeps its place.
bool ParseGridScheme(const AnsiString& text, AnsiString& topRow, std::vector<TConditionRow>& rows);

struct TAdvancedScheme {
    AnsiString TopRow;
    AnsiString Conditions; // Memo1
    std::vector<TSortItem> Sort;
    bool Body = false;
    AnsiString BodyConditions; // Memo2
};
AnsiString AdvancedSchemeText(const TAdvancedScheme& scheme);
// False when a part is missing.
bool ParseAdvancedScheme(const AnsiString& text, TAdvancedScheme& scheme);
