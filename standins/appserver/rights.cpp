#include "standins/appserver/rights.h"

#include <vector>

#include "classlib/rtl/strutils.h"

namespace {

std::vector<AnsiString> Elements(const AnsiString& powerData) {
    std::vector<AnsiString> elements;
    size_t start = 0;
    for (;;) {
        const size_t comma = powerData.find(',', start);
        elements.push_back(
            powerData.substr(start, comma == AnsiString::npos ? AnsiString::npos : comma - start));
        if (comma == AnsiString::npos) break;
        start = comma + 1;
    }
    return elements;
}

// Character `position` (from 1) of a text, '\0' past its end.
char At(const AnsiString& text, size_t position) {
    return position >= 1 && position <= text.size() ? text[position - 1] : '\0';
}

} // namespace

TUserRights::TUserRights(const AnsiString& user, const AnsiString& powerData, const AnsiString& groupList)
    : FUser(Trim(user)), FGroupList(groupList) {
    if (powerData.empty()) {
        for (int element = 15; element <= 29; ++element)
            Add(element);
        return;
    }
    const std::vector<AnsiString> elements = Elements(powerData);
    auto element = [&](size_t i) { return i < elements.size() ? elements[i] : AnsiString(); };
    for (int right = 0; right <= 14; ++right)
        Add(right);
    if (element(1) == "Y" || element(1) == "y") Add(30);
    if (element(2) == "Y" || element(2) == "y") Add(RecordRights);
    Add(QueryRight);
    // Element 3: operations by character position; positions 7 and 8 also know "R".
    static const int operations[] = {38, 39, 40, 41, 42, 32, 33, 36, 43, 44, 45}; // positions 2..12
    const AnsiString ops = element(3);
    for (size_t position = 2; position <= 12; ++position)
        if (At(ops, position) == 'Y') Add(operations[position - 2]);
    if (At(ops, 7) == 'R') Add(34);
    if (At(ops, 8) == 'R') Add(35);
    for (size_t position = 1; position <= 7; ++position) {
        if (At(element(4), position) == 'Y') Add(45 + static_cast<int>(position));
        if (At(element(5), position) == 'Y') Add(52 + static_cast<int>(position));
    }
}

int TUserRights::RecordRight(TRecordAction action, const AnsiString& creator, const AnsiString& group) const {
    // Own records, then the user's groups, then everyone else's: the same action at three places.
    static const int rights[3][5] = {{38, 39, 40, 41, 45}, {47, 48, 49, 50, 52}, {54, 55, 56, 57, 59}};
    int whose = 0;
    if (Has(RecordRights)) {
        const AnsiString owner = Trim(creator);
        const AnsiString name = Trim(group);
        if (!owner.empty() && owner != FUser)
            whose = FGroupList.find("'" + name + "'") != AnsiString::npos ||
                            FGroupList.find("\"" + name + "\"") != AnsiString::npos
                        ? 1
                        : 2;
    }
    return rights[whose][static_cast<int>(action)];
}

const char* RightName(TRecordAction action) {
    switch (action) {
    case TRecordAction::Change:
        return u8"更改";
    case TRecordAction::Delete:
        return u8"删除";
    case TRecordAction::Confirm:
        return u8"审核";
    case TRecordAction::Unconfirm:
        return u8"取消审核";
    case TRecordAction::Void:
        return u8"作废";
    }
    return "";
}
