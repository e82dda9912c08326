// The generated GB/BIG5 mapping file, read back the way the module reads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "foundation/GBOrdinals.h"

#include "classlib/rtl/strutils.h"

namespace {

bool PassesGBLeadTest(unsigned lead, unsigned trail) {
    return lead >= 0x81 && trail != 0x7F;
}
bool PassesBIG5LeadTest(unsigned lead, unsigned trail) {
    return lead >= 0x80 && ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE));
}

// The second "="-separated field, as the token routine cuts it.
std::string SecondField(const std::string& line) {
    const std::size_t first = line.find('=');
    if (first == std::string::npos) return "";
    const std::size_t second = line.find('=', first + 1);
    return line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

std::optional<unsigned> Code(const std::string& value) {
    if (value.size() < 5) return std::nullopt;
    unsigned code = 0;
    for (std::size_t i = 1; i <= 4; ++i) {
        const char c = value[i];
        if (c >= '0' && c <= '9')
            code = code * 16 + static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            code = code * 16 + static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
    }
    return code;
}

struct TTables {
    std::vector<unsigned> BIG5; // entry i: the GB code of the character of BIG5 ordinal i
    std::vector<unsigned> GB;   // entry i: the BIG5 code of the character of GB ordinal i
    std::string Error;
};

// The reader of the mapping file: kept lines are BIG5 lines, then GB lines, and nothing else.
TTables ReadLanguage(const std::string& path) {
    TTables tables;
    std::ifstream file(path);
    if (!file) {
        tables.Error = "cannot open " + path;
        return tables;
    }
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (!line.empty() && line[0] == '[') continue;
        if (Trim(line).empty()) continue;
        const bool isBig5 = line.compare(0, 4, "BIG5") == 0;
        const bool isGB = !isBig5 && line.compare(0, 2, "GB") == 0;
        const std::optional<unsigned> code = Code(SecondField(line));
        if ((!isBig5 && !isGB) || (isBig5 && !tables.GB.empty()) || !code) {
            tables.Error = "line " + std::to_string(number) + ": " + line;
            return tables;
        }
        (isBig5 ? tables.BIG5 : tables.GB).push_back(*code);
    }
    return tables;
}

class LanguageFileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FTables = new TTables(ReadLanguage(KVR_BINARY_DIR "/data/Language")); }
    static void TearDownTestSuite() {
        delete FTables;
        FTables = nullptr;
    }
    void SetUp() override { ASSERT_EQ(FTables->Error, ""); }

    static unsigned GBEntry(unsigned pair) { return FTables->GB.at(GBOrdinal(pair >> 8, pair & 0xFF)); }
    static unsigned BIG5Entry(unsigned pair) { return FTables->BIG5.at(BIG5Ordinal(pair >> 8, pair & 0xFF)); }

    static TTables* FTables;
};

TTables* LanguageFileTest::FTables = nullptr;

} // namespace

TEST(LanguageOrdinals, MatchTheKnownValues) {
    struct TCase {
        unsigned Pair;
        int GB;
        int BIG5; // -2: not a case for that table
    };
    const TCase cases[] = {
        {0xA1A1, 0, 63},     {0xF7FE, 8177, -2},  {0x8140, 8178, -1}, {0xAA40, 14290, -2},
        {0xA840, 22535, -2}, {0xA9A0, 22728, -2}, {0xB0A1, 1410, -2}, {0xA140, -1, 0},
        {0xA17E, -1, 62},    {0xA440, -2, 471},   {0x817F, 8241, -1}, {0xA1A0, -1, -1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Pair);
        if (c.GB != -2) {
            EXPECT_EQ(GBOrdinal(c.Pair >> 8, c.Pair & 0xFF), c.GB);
        }
        if (c.BIG5 != -2) {
            EXPECT_EQ(BIG5Ordinal(c.Pair >> 8, c.Pair & 0xFF), c.BIG5);
        }
    }
}

// Every ordinal a pair passing its lead test can have has an entry, and no entry is left over.
TEST_F(LanguageFileTest, CoversEveryOrdinal) {
    int gbMax = -1;
    int big5Max = -1;
    for (unsigned lead = 0; lead <= 0xFF; ++lead) {
        for (unsigned trail = 0; trail <= 0xFF; ++trail) {
            if (PassesGBLeadTest(lead, trail)) gbMax = std::max(gbMax, GBOrdinal(lead, trail));
            if (PassesBIG5LeadTest(lead, trail)) big5Max = std::max(big5Max, BIG5Ordinal(lead, trail));
        }
    }
    EXPECT_EQ(FTables->GB.size(), static_cast<std::size_t>(gbMax) + 1);
    EXPECT_EQ(FTables->BIG5.size(), static_cast<std::size_t>(big5Max) + 1);
    EXPECT_EQ(FTables->GB.size(), 22729u);
    EXPECT_EQ(FTables->BIG5.size(), 14915u);
}

TEST_F(LanguageFileTest, MapsKnownCharactersBothWays) {
    struct TCase {
        const char* Character;
        unsigned GB;   // the simplified form in GB
        unsigned BIG5; // the traditional form in BIG5
    };
    const TCase cases[] = {
        {"国/國", 0xB9FA, 0xB0EA}, {"这/這", 0xD5E2, 0xB36F}, {"发/發", 0xB7A2, 0xB56F},
        {"简/簡", 0xBCF2, 0xC2B2}, {"体/體", 0xCCE5, 0xC5E9}, {"中", 0xD6D0, 0xA4A4},
        {"一", 0xD2BB, 0xA440},    {"啊", 0xB0A1, 0xB0DA},    {"，", 0xA3AC, 0xA141},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Character);
        EXPECT_EQ(GBEntry(c.GB), c.BIG5);
        EXPECT_EQ(BIG5Entry(c.BIG5), c.GB);
    }
    // A traditional character written in GB maps to itself in BIG5.
    EXPECT_EQ(GBEntry(0x87F8), 0xB0EAu); // 國 in GBK
}

TEST_F(LanguageFileTest, LeavesPairsWithoutACounterpartEmpty) {
    EXPECT_EQ(GBEntry(0x8140), 0u);   // 丂: BIG5 has no such character
    EXPECT_EQ(GBEntry(0x817F), 0u);   // no character at all
    EXPECT_EQ(BIG5Entry(0xFFFE), 0u); // no lead byte of BIG5
    EXPECT_EQ(BIG5Entry(0xFA40), 0u); // user-defined
    for (int ordinal = 846; ordinal < 1410; ++ordinal)
        EXPECT_EQ(FTables->GB[ordinal], 0u); // the gap
}

// Every code filled in is a double-byte character of the other table's code page.
TEST_F(LanguageFileTest, FillsOnlyCodesOfTheOtherCodePage) {
    std::size_t gbFilled = 0;
    std::size_t big5Filled = 0;
    for (unsigned code : FTables->GB) {
        if (code == 0) continue;
        ++gbFilled;
        EXPECT_TRUE(PassesBIG5LeadTest(code >> 8, code & 0xFF) && BIG5Ordinal(code >> 8, code & 0xFF) >= 0)
            << std::hex << code;
    }
    for (unsigned code : FTables->BIG5) {
        if (code == 0) continue;
        ++big5Filled;
        EXPECT_TRUE(PassesGBLeadTest(code >> 8, code & 0xFF) && GBOrdinal(code >> 8, code & 0xFF) >= 0)
            << std::hex << code;
    }
    // BIG5 holds 13,000-odd characters and symbols; most of GB's simplified characters have a form there.
    EXPECT_GT(big5Filled, 13000u);
    EXPECT_GT(gbFilled, 15000u);
}
