// The rights set the server derives from POWER_DATA, and the rights a record's creator and group select.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "standins/appserver/rights.h"

namespace {

std::vector<int> Elements(const TUserRights& rights) {
    std::vector<int> elements;
    for (int i = 0; i < 64; ++i)
        if (rights.Has(i)) elements.push_back(i);
    return elements;
}

std::vector<int> Range(int from, int to, std::vector<int> more = {}) {
    std::vector<int> elements;
    for (int i = from; i <= to; ++i)
        elements.push_back(i);
    elements.insert(elements.end(), more.begin(), more.end());
    std::sort(elements.begin(), elements.end());
    return elements;
}

TEST(UserRights, FromPowerData) {
    const struct {
        const char* PowerData;
        std::vector<int> Expected;
    } cases[] = {
        {"", Range(15, 29)},
        {",Y,n,xYYYYYRR,,,", Range(0, 14, {30, 34, 35, 37, 38, 39, 40, 41, 42})},
        {",Y,N,NNNNNYNNNNNN,NNNNNNN,NNNNNNN", Range(0, 14, {30, 37, 42})}, // query and print
        {",y,Y,YYYYYYYYYYYY,YYYYYYY,YYYYYYY",
         Range(0, 14, {30, 31, 32, 33, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45,
                       46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59})},
        {",N,N,NyYrR", Range(0, 14, {37, 39})}, // "Y" and "R" in their case only
        {",N,N,NNNNNNYY,YNNNNNY,NYNNNNN", Range(0, 14, {32, 33, 37, 46, 52, 54})},
        {",Y", Range(0, 14, {30, 37})}, // fewer elements: the missing ones are empty
        {"garbage", Range(0, 14, {37})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Elements(TUserRights("U", c.PowerData, "")), c.Expected) << c.PowerData;
    EXPECT_EQ(Elements(TUserRights()), std::vector<int>());
}

TEST(UserRights, ARecordsRightsFollowItsCreatorAndGroup) {
    const TUserRights plain("LI", ",Y,N,YYYYYYYYYYYY,,", "'IMP'");
    const TUserRights byRecord("LI", ",Y,Y,YYYYYYYYYYYY,YYYYYYY,NNNNNNN", "'IMP',\"FIN\"");
    const struct {
        const TUserRights& Rights;
        TRecordAction Action;
        const char *Creator, *Group;
        int Right;
    } cases[] = {
        {plain, TRecordAction::Change, "WANG", "PUR", 38},
        {plain, TRecordAction::Void, "", "", 45},
        {byRecord, TRecordAction::Change, "LI", "PUR", 38},
        {byRecord, TRecordAction::Delete, "", "", 39},
        {byRecord, TRecordAction::Confirm, "WANG", "IMP", 49},
        {byRecord, TRecordAction::Void, "WANG", "FIN", 52},
        {byRecord, TRecordAction::Unconfirm, "WANG", "IM", 57},
        {byRecord, TRecordAction::Change, "WANG", "", 54},
        {byRecord, TRecordAction::Delete, "LI ", "PUR", 39}, // stored texts may carry trailing blanks
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.Rights.RecordRight(c.Action, c.Creator, c.Group), c.Right) << c.Creator << "/" << c.Group;
    EXPECT_TRUE(byRecord.May(TRecordAction::Change, "WANG", "IMP"));
    EXPECT_FALSE(byRecord.May(TRecordAction::Change, "WANG", "PUR"));
}

} // namespace
