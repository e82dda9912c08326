#include <gtest/gtest.h>

#include "framework/FieldLists.h"
#include "knlFixture.h"

namespace {

TEST(FieldListsTest, ParsesItemsAsWritten) {
    const auto items = ParseFieldList(" cdsMain: TA001 ,TA002,,\r\n;bad;:TA009; cdsBody1 :TB003;cdsEmpty:");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].DataSetName, "cdsMain");
    EXPECT_EQ(items[0].FieldNames, (std::vector<AnsiString>{"TA001", "TA002"}));
    EXPECT_EQ(items[1].DataSetName, "cdsBody1");
    EXPECT_EQ(items[1].FieldNames, (std::vector<AnsiString>{"TB003"}));
    EXPECT_TRUE(items[2].FieldNames.empty());
    EXPECT_EQ(FindFieldListItem(items, "CDSBODY1"), &items[1]);
    EXPECT_EQ(FindFieldListItem(items, "cdsOther"), nullptr);
    EXPECT_TRUE(ParseFieldList("").empty());
}

TEST(FieldListsTest, WholeWords) {
    struct {
        const char* text;
        const char* word;
        int position;
    } cases[] = {
        {"cdsMain:TA011,TA01", "TA01", 15}, // not inside TA011
        {"cdsMain:TA01", "TA01", 9},
        {"TA01", "TA01", 1},
        {"cdsMain:TA011", "TA01", 0},
        {"cdsMain:XTA01TA01", "TA01", 0}, // an occurrence glued to another is no word
        {"a:ta01", "TA01", 0},            // with case
        {"a:B,\r\nTA01 ;", "TA01", 7},
        {"a:TA01", "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindWholeWord(c.text, c.word), c.position) << c.text;
}

class FieldListsResolveTest : public TKernelFixture {};

TEST_F(FieldListsResolveTest, ResolvesAgainstTheModulesDataSets) {
    OpenBoth();
    const auto entries = ResolveFieldList(FOwner, "CdsMain:ta001,TA099,TA018;cdsGone:X;cdsBody1:TB005");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].DataSet, cdsMain);
    ASSERT_EQ(entries[0].Fields.size(), 2u);
    EXPECT_EQ(entries[0].Fields[0], cdsMain->FieldByName("TA001"));
    EXPECT_EQ(entries[0].Fields[1], cdsMain->FieldByName("TA018"));
    EXPECT_EQ(entries[1].DataSet, cdsBody1);
    EXPECT_EQ(FindModuleDataSet(FOwner, "CDSMAIN"), cdsMain);
    EXPECT_EQ(FindModuleDataSet(nullptr, "cdsMain"), nullptr);
}

} // namespace
