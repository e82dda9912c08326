#pragma once
// What the units of the single-table form's services share (SingleAttachments, SingleUserFields,
// SingleLinks, SingleSignOff, SinglePrintFormats, SingleColorFilter, SingleImport) besides the class
// library's hour-glass and array readers: lists split by a separator. Included by those units only.
#include <vector>

#include "classlib/controls/hourglass.h"
#include "classlib/rtl/varview.h"

namespace single_services {

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
