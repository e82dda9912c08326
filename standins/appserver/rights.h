#pragma once
// What a user may do in a program, as the server decides it. The rights set (elements 0..63) is built
// from the settings POWER_DATA and GROUP_LIST that SvrData hands the client, element for element as
// the client builds its own, so that the server refuses exactly what the client's commands would not
// offer.
//
// POWER_DATA is a comma list; element 0 is not used, a missing element counts as empty:
//   rights 0..14 and 37 (query)    always, unless POWER_DATA is empty: then rights 15..29 alone
//   element 1 "Y" or "y"           30
//   element 2 "Y" or "y"           31: rights by record (below)
//   element 3, character 2..12     "Y": 38 change, 39 delete, 40 confirm, 41 unconfirm, 42 print,
//                                  32, 33, 36 add, 43 batch, 44, 45 void; "R" at 7 and 8: 34, 35
//   element 4, character 1..7      "Y": 46..52 (records of the user's groups: 47 change, 48 delete,
//                                  49 confirm, 50 unconfirm, 52 void)
//   element 5, character 1..7      "Y": 53..59 (records of others: 54, 55, 56, 57, 59)
// "Y" and "R" in elements 3 to 5 are compared case-sensitively.
//
// Rights by record: without right 31 the change, delete, confirm, unconfirm and void rights are 38,
// 39, 40, 41, 45 for every record. With it they follow the record's CREATOR and USR_GROUP: the user's
// own records (CREATOR the user, or empty) take 38-41 and 45; a record of a group that GROUP_LIST
// holds in single or double quotes takes 47-50 and 52; any other record 54-57 and 59.
#include <cstdint>

#include "classlib/rtl/types.h"

enum class TRecordAction { Change, Delete, Confirm, Unconfirm, Void };

class TUserRights {
public:
    static constexpr int AddRight = 36;
    static constexpr int QueryRight = 37;
    static constexpr int RecordRights = 31;

    TUserRights() = default; // no rights at all
    TUserRights(const AnsiString& user, const AnsiString& powerData, const AnsiString& groupList);

    bool Has(int element) const { return element >= 0 && element < 64 && (FBits >> element & 1u) != 0; }
    std::uint64_t Bits() const { return FBits; }
    const AnsiString& User() const { return FUser; }

    // The element that permits the action on a record of that creator and group.
    int RecordRight(TRecordAction action, const AnsiString& creator, const AnsiString& group) const;
    bool May(TRecordAction action, const AnsiString& creator, const AnsiString& group) const {
        return Has(RecordRight(action, creator, group));
    }

private:
    void Add(int element) { FBits |= std::uint64_t{1} << element; }

    AnsiString FUser;
    AnsiString FGroupList;
    std::uint64_t FBits = 0;
};

// The name of the action as a refusal shows it (UTF-8): "新增", "更改", ...
const char* RightName(TRecordAction action);
