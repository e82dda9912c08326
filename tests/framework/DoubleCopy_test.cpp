// The re-query conditions of the header-plus-body form: the range from the current key on, padded
// and joined by the server's dialect when every key is a text, per field when one is a number.
#include <gtest/gtest.h>

#include "classlib/db/fieldtypes.h"
#include "framework/DoubleCF.h"

TEST(DoubleRequery, RangeConditionByKeyTypesAndDialect) {
    const TRequeryKey type{"T.TA001", "A", false, 4};
    const TRequeryKey number{"T.TA002", "0001", false, 11};
    const TRequeryKey line{"T.TA003", "7", true, 0};
    const TRequeryKey quoted{"T.TA001", "O'K", false, 4};
    const struct {
        std::vector<TRequeryKey> Keys;
        int SqlType;
        const char* Expected;
    } cases[] = {
        {{type, number}, 1, "RPAD(T.TA001,4,' ')||RPAD(T.TA002,11,' ')>='A   0001       ' and "},
        {{type, number}, 0, "T.TA001+T.TA002>='A   0001       ' and "},
        // A number among the keys keeps the fields apart: equal on all but the last.
        {{type, line}, 1, "T.TA001='A' and T.TA003>=7 and "},
        {{line, number}, 0, "T.TA003=7 and T.TA002>='0001' and "},
        {{type}, 1, "RPAD(T.TA001,4,' ')>='A   ' and "},
        // A quote in a key stays inside its text.
        {{quoted}, 0, "T.TA001>='O''K ' and "},
        {{}, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expected);
        EXPECT_EQ(RangeRequeryCondition(c.Keys, c.SqlType), c.Expected);
    }
}

TEST(DoubleRequery, QualifiedNamesRangeExpressionsAndNumericKeys) {
    EXPECT_EQ(JoinQualified("KVRTA", "TA001"), "KVRTA.TA001");
    EXPECT_EQ(JoinQualified("  ", "TA001"), "TA001");
    EXPECT_EQ(KeyRangeExpr("T.TA002", 11), "RPAD(T.TA002,11,' ')");
    // Keys compare unquoted when the field-class table calls them numbers: currency and large integers
    // too, byte fields no longer.
    for (TFieldType type : {ftSmallint, ftInteger, ftWord, ftFloat, ftCurrency, ftLargeint})
        EXPECT_TRUE(IsNumberField(type)) << static_cast<int>(type);
    for (TFieldType type : {ftString, ftFixedChar, ftWideString, ftBytes, ftDateTime})
        EXPECT_FALSE(IsNumberField(type)) << static_cast<int>(type);
}
