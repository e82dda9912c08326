#include "standins/shared/numbering.h"

#include <cctype>

#include "classlib/rtl/datetime.h"
#include "classlib/rtl/strutils.h"

namespace {

bool IsDate(const AnsiString& text) {
    if (text.size() != 8) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

} // namespace

AnsiString NextDocumentNumber(const TCatalogue& catalogue, const TCatalogueRunner& run,
                              const AnsiString& table, const AnsiString& docType,
                              const AnsiString& dateText) {
    const TCatalogueEntry* rule = catalogue.Find("Sequence", table, "RULE");
    const TCatalogueEntry* highest = catalogue.Find("Sequence", table, "MAX");
    if (!rule || !highest) return AnsiString();
    const TDbResult kind = run(*rule, {Variant(Trim(docType))});
    if (kind.Rows.empty() || kind.Rows[0].size() < 2)
        throw EDbError(u8"单别 " + Trim(docType) + u8" 不存在, 无法取单号");
    const AnsiString method = Trim(VarToStr(kind.Rows[0][0]));
    int digits = VarIsNull(kind.Rows[0][1]) ? 0 : kind.Rows[0][1].AsInteger();
    const AnsiString date = IsDate(Trim(dateText)) ? Trim(dateText) : FormatDateTime("yyyymmdd", Now());
    AnsiString prefix;
    if (method == "1")
        prefix = date;
    else if (method == "2")
        prefix = date.substr(0, 6);
    else if (method != "3")
        return AnsiString(); // by hand
    if (digits <= 0) digits = method == "3" ? 11 : 3;
    if (digits > 18) digits = 18;
    const int length = static_cast<int>(prefix.size()) + digits;

    const TDbResult max = run(*highest, {Variant(Trim(docType)), Variant(prefix), Variant(length)});
    Int64 next = 1;
    if (!max.Rows.empty() && !max.Rows[0].empty() && !VarIsNull(max.Rows[0][0])) {
        const AnsiString last = Trim(VarToStr(max.Rows[0][0]));
        Int64 running = 0;
        for (char c : last.substr(prefix.size())) {
            if (!std::isdigit(static_cast<unsigned char>(c))) break;
            running = running * 10 + (c - '0');
        }
        next = running + 1;
    }
    AnsiString text = std::to_string(next);
    if (static_cast<int>(text.size()) > digits)
        throw EDbError(u8"单别 " + Trim(docType) + u8" 的单号已经用完 (" + prefix + ")");
    return prefix + AnsiString(static_cast<size_t>(digits) - text.size(), '0') + text;
}
