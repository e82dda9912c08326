// The text format of saved query schemes.
#include "dialogs/QBESchemes.h"

#include <gtest/gtest.h>

namespace {

TEST(QBESchemeText, GridSchemesKeepEachRowsFieldsInPlace) {
    const std::vector<TConditionRow> rows = {{"开证日期", "大于或等于", "2024/01/01", "AND"},
                                             {"", "等于", "", "AND"},
                                             {"", "等于", "A01", "OR"},
                                             {"金额", "大于", "   ", "AND"}};
    const AnsiString text = GridSchemeText("500", rows);
    EXPECT_EQ(text, "500\x07"
                    "开证日期\r\n大于或等于\r\n2024/01/01\r\nAND\x08"
                    "\r\n等于\r\nA01\r\nOR\x08"
                    "金额\r\n大于\r\n   \r\nAND\x08");
    AnsiString topRow;
    std::vector<TConditionRow> back;
    ASSERT_TRUE(ParseGridScheme(text, topRow, back));
    EXPECT_EQ(topRow, "500");
    ASSERT_EQ(back.size(), 3u);
    // The row without a field keeps its operator, value and connective where they were.
    EXPECT_EQ(back[1].Field, "");
    EXPECT_EQ(back[1].Operator, "等于");
    EXPECT_EQ(back[1].Value, "A01");
    EXPECT_EQ(back[1].Connective, "OR");
    EXPECT_EQ(back[2].Value, ""); // a value of blanks comes back empty
    EXPECT_EQ(back[0].Value, "2024/01/01");

    EXPECT_FALSE(ParseGridScheme("no limit part", topRow, back));
    ASSERT_TRUE(ParseGridScheme("200\x07", topRow, back));
    EXPECT_EQ(topRow, "200");
    EXPECT_TRUE(back.empty());
}

TEST(QBESchemeText, AdvancedSchemesKeepMemosSortItemsAndTheDetailBox) {
    TAdvancedScheme scheme;
    scheme.TopRow = "1000";
    scheme.Conditions = "(KVRTA.TA009 = 'Y')\r\n  AND (KVRTA.TA010 > 5)";
    scheme.Sort = {{"单号    \tTA002", true}, {"供应商  \tWOQMB.MB002", false}};
    scheme.Body = true;
    scheme.BodyConditions = "(KVRTB.TB004 like 'A%')";
    const AnsiString text = AdvancedSchemeText(scheme);
    EXPECT_EQ(text, "1000\x07(KVRTA.TA009 = 'Y')\r\n  AND (KVRTA.TA010 > 5)\x03"
                    "单号    \tTA002\x08"
                    "1\t供应商  \tWOQMB.MB002\x08"
                    "0\t\x03"
                    "1\x03(KVRTB.TB004 like 'A%')");
    TAdvancedScheme back;
    ASSERT_TRUE(ParseAdvancedScheme(text, back));
    EXPECT_EQ(back.TopRow, "1000");
    EXPECT_EQ(back.Conditions, scheme.Conditions);
    ASSERT_EQ(back.Sort.size(), 2u);
    EXPECT_EQ(back.Sort[0].Text, "单号    \tTA002");
    EXPECT_TRUE(back.Sort[0].Descending);
    EXPECT_FALSE(back.Sort[1].Descending);
    EXPECT_TRUE(back.Body);
    EXPECT_EQ(back.BodyConditions, scheme.BodyConditions);

    // Any flag but "1" is ascending; a missing part fails.
    ASSERT_TRUE(ParseAdvancedScheme("500\x07\x03X\tA\x08Y\t\x03\x30\x03", back));
    ASSERT_EQ(back.Sort.size(), 1u);
    EXPECT_FALSE(back.Sort[0].Descending);
    EXPECT_FALSE(back.Body);
    EXPECT_FALSE(ParseAdvancedScheme("500\x07memo\x03", back));
}

} // namespace
