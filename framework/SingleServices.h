#pragma once
// What the units of the single-table form's services share (SingleAttachments, SingleUserFields,
// SingleLinks, SingleSignOff, SinglePrintFormats, SingleColorFilter, SingleImport): the hour-glass for
// the time of a server call, the rows of a counter answer and lists split by a separator. Included by
// those units only.
#include <vector>

#include "classlib/controls/forms.h"
#include "classlib/rtl/variants.h"
#include "framework/knlRadical.h"

namespace single_services {

class TCursorScope {
public:
    TCursorScope() : FSaved(Screen ? Screen->Cursor() : crDefault) {
        if (Screen) Screen->SetCursor(crHourGlass);
    }
    ~TCursorScope() {
        if (Screen) Screen->SetCursor(FSaved);
    }
    TCursorScope(const TCursorScope&) = delete;
    TCursorScope& operator=(const TCursorScope&) = delete;

private:
    TCursor FSaved;
};

// The rows of a counter answer (an array of row arrays); none for anything else.
inline std::vector<Variant> RowsOf(const Variant& answer) {
    std::vector<Variant> rows;
    if (!VarIsArray(answer)) return rows;
    for (int i = VarArrayLowBound(answer, 1); i <= VarArrayHighBound(answer, 1); ++i)
        rows.push_back(answer.GetElement({i}));
    return rows;
}

inline AnsiString Column(const Variant& row, int column) {
    return RowColumnText(row, column);
}

inline std::vector<AnsiString> SplitList(const AnsiString& list, const AnsiString& separator) {
    std::vector<AnsiString> items;
    if (list.empty()) return items;
    size_t start = 0;
    while (true) {
        const size_t at = list.find(separator, start);
        items.push_back(list.substr(start, at == AnsiString::npos ? AnsiString::npos : at - start));
        if (at == AnsiString::npos) break;
        start = at + separator.size();
    }
    return items;
}

} // namespace single_services
