#pragma once
// The field-list settings of the framework: one text format for required fields, restrictions,
// decimal groups, currency bindings and linked fields.
//
//     cdsMain:TA003,TA004;cdsBody1:TB004
//
// Items are separated by ";"; each item is a data-set component name of the data module, ":" and a
// comma list of field names. Names are trimmed (blanks, line breaks) and found without case; items
// whose data set the module lacks are skipped, and so are field names the data set lacks.
#include <vector>

#include "classlib/rtl/types.h"

class TComponent;
class TDataSet;
class TField;

struct TFieldListItem {
    AnsiString DataSetName;
    std::vector<AnsiString> FieldNames; // in the order of the text, empty names dropped
};

// The items of the text as written, without looking at any data module. An item without ":" or with
// an empty data-set name is passed over.
std::vector<TFieldListItem> ParseFieldList(const AnsiString& text);
// The first item whose data-set name is dataSetName (without case); nil when none.
const TFieldListItem* FindFieldListItem(const std::vector<TFieldListItem>& items,
                                        const AnsiString& dataSetName);

struct TFieldListEntry {
    TDataSet* DataSet = nullptr;
    std::vector<TField*> Fields;
};
// The items resolved against the data sets that module owns.
std::vector<TFieldListEntry> ResolveFieldList(TComponent* module, const AnsiString& text);
// The data set of that component name owned by module (without case); nil when none.
TDataSet* FindModuleDataSet(TComponent* module, const AnsiString& name);

// The whole-word test of a field name inside such a list: the 1-based position of the first occurrence
// of word (compared with case) whose neighbours are each the text's edge or one of CR, LF, blank, ",",
// ":" and ";"; 0 when there is none. The neighbours are judged on the text as written, so "TA01" is not
// found in "TA011" nor in "XTA01TA01".
int FindWholeWord(const AnsiString& text, const AnsiString& word);
inline bool ContainsWholeWord(const AnsiString& text, const AnsiString& word) {
    return FindWholeWord(text, word) > 0;
}
