// The catalogue of checks and lookups: every entry runs against the seed with the columns it
// declares, and the entries the letter-of-credit program reads answer in the positions it reads.
#include <set>

#include "standins/shared/catalogue.h"
#include "tests/standins/shared/dbfixture.h"

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        Catalogue.LoadFromFile(SourceDataDir() + "/catalogue");
        Session = std::make_unique<TDbSession>(DemoOptions(Folder));
    }

    TDbResult Run(const std::string& kind, const std::string& table, const std::string& number,
                  const std::vector<AnsiString>& keys) {
        const TCatalogueEntry* entry = Catalogue.Find(kind, table, number);
        if (!entry) throw std::runtime_error("no entry " + kind + " " + table + " " + number);
        std::vector<Variant> values;
        for (const AnsiString& key : keys)
            values.push_back(Variant(AnsiString(key)));
        return TCatalogue::Run(*Session, *entry, values, Context);
    }

    TTempFolder Folder;
    TCatalogue Catalogue;
    std::unique_ptr<TDbSession> Session;
    TCatalogueContext Context{"DEMO", "DEMO", "DEMO", "KVRX58", ""};
};

TEST_F(CatalogueTest, EveryEntryRunsWithTheColumnsItDeclares) {
    ASSERT_GE(Catalogue.Entries().size(), 30u);
    const std::set<std::string> context = {"company", "database", "user", "program", "current"};
    for (const TCatalogueEntry& entry : Catalogue.Entries()) {
        SCOPED_TRACE(entry.Kind + " " + entry.Table + " " + entry.Number);
        // Only the keys it names and the call's context are bound.
        for (const TSqlToken& token : TokenizeSql(entry.Sql)) {
            if (token.Kind != TSqlTokenKind::Parameter) continue;
            const std::string name = token.Text.substr(1);
            if (context.count(name)) continue;
            ASSERT_EQ(token.Text[0], ':');
            ASSERT_EQ(name[0], 'k');
            const int key = std::stoi(name.substr(1));
            EXPECT_GE(key, 1);
            EXPECT_LE(key, static_cast<int>(entry.Keys.size()));
        }
        std::vector<Variant> keys(entry.Keys.size(), Variant(AnsiString()));
        const TDbResult result = TCatalogue::Run(*Session, entry, keys, Context);
        ASSERT_EQ(result.Columns.size(), entry.Columns.size());
        for (size_t i = 0; i < entry.Columns.size(); ++i) {
            EXPECT_TRUE(SameText(result.Columns[i], entry.Columns[i])) << result.Columns[i];
        }
        if (entry.Kind == "Lookup") {
            EXPECT_EQ(entry.Captions.size(), entry.Columns.size());
        }
    }
}

TEST_F(CatalogueTest, TheChecksAndLookupsOfTheProgramAnswerInTheirPositions) {
    struct TCase {
        const char* Kind;
        const char* Table;
        const char* Number;
        std::vector<AnsiString> Keys;
        size_t Rows;                                       // rows expected
        std::vector<std::pair<size_t, AnsiString>> Values; // (column, text) of the first row
    };
    const TCase cases[] = {
        // document types: value 1 the name, value 3 the numbering kind, 11 and 12 the after-save flags
        {"Check",
         "TAZMQ",
         "01",
         {"5101", "A1", "DEMO"},
         1,
         {{0, "即期信用证"}, {2, "1"}, {10, "N"}, {11, "N"}}},
        {"Check", "TAZMQ", "01", {"5102", "A1", "DEMO"}, 1, {{2, "4"}}},
        {"Check", "TAZMQ", "01", {"5109", "A1", "DEMO"}, 0, {}},                     // no longer valid
        {"Check", "TAZMQ", "01", {"3301", "A1", "DEMO"}, 0, {}},                     // a purchase-order type
        {"Check", "TAZMQ", "01", {"5107", "A1", "DEMO"}, 1, {{10, "Y"}, {11, "Y"}}}, // confirm and print
        {"Lookup", "TAZMQ", "01", {"A1", "DEMO"}, 4, {{0, "5101"}, {1, "即期信用证"}}},
        // the order line with its seventeen values: warehouse and name, item, name, model and size,
        // undelivered, price, amount, delivery date, unit, delivered, quantity, packages, pricing
        {"Check",
         "BYVTD",
         "10",
         {"3301", "20261105001", "0003", "S0001", "F01", "EUR"},
         1,
         {{0, "W02"},
          {1, "进口物料仓"},
          {2, "P-3001"},
          {3, "精密滚珠丝杆"},
          {4, "SK-BS2510 C3级"},
          {5, "40"},
          {6, "312.5"},
          {7, "15625"},
          {8, "20270120"},
          {9, "PCS"},
          {10, "10"},
          {11, "50"},
          {12, "5"},
          {13, "1"},
          {14, "CTN"},
          {15, "PCS"},
          {16, "50"}}},
        {"Check", "BYVTD", "10", {"3301", "20261105001", "0003", "S0002", "F01", "EUR"}, 0, {}}, // other
                                                                                                 // supplier
        {"Check", "BYVTD", "10", {"3301", "20261105001", "0003", "S0001", "F02", "EUR"}, 0, {}}, // other
                                                                                                 // factory
        {"Check", "BYVTD", "10", {"3301", "20261105001", "0003", "S0001", "F01", "USD"}, 0, {}}, // other
                                                                                                 // currency
        {"Check", "BYVTD", "10", {"3301", "20261110001", "0004", "S0002", "F01", "USD"}, 0, {}}, // closed
                                                                                                 // line
        {"Check", "BYVTD", "10", {"3301", "20261208001", "0001", "S0002", "F01", "USD"}, 0, {}}, // not
                                                                                                 // confirmed
        // an order line already on another letter of credit, not when it is on this one
        {"Check",
         "KVRTB",
         "01",
         {"3301", "20261105001", "0001", "5101"},
         1,
         {{0, "5101"}, {1, "20261108001"}}},
        {"Check", "KVRTB", "01", {"3301", "20261105001", "0001", "510120261108001"}, 0, {}},
        {"Check", "KVRTB", "01", {"3301", "20261105001", "0003", "5101"}, 0, {}},
        // open lines of the supplier, factory and currency not yet on a letter of credit
        {"Lookup",
         "BYVTD",
         "06",
         {"S0002", "F01", "USD", "", "", ""},
         4,
         {{0, "3301"}, {1, "20261110001"}, {2, "0002"}}},
        {"Lookup", "BYVTD", "06", {"S0002", "F01", "USD", "", "3301", "20261203001"}, 3, {{3, "E-2003"}}},
        {"Lookup", "BYVTD", "06", {"S0001", "F01", "EUR", "", "3301", "20261105001"}, 1, {{2, "0003"}}},
        {"Lookup", "BYVTD", "06", {"S0003", "F03", "JPY", "", "", ""}, 2, {{3, "P-3001"}}},
        // default factory through the issue date, factory and bank names, supplier name and currency
        {"Check", "TAZMB", "02", {"20261210"}, 1, {{0, "F01"}, {1, "上海总厂"}}},
        {"Check", "TAZMB", "02", {""}, 0, {}},
        {"Check", "TAZMB", "01", {"F02"}, 1, {{0, "苏州工厂"}}},
        {"Check", "TAZMO", "02", {"B002"}, 1, {{0, "东方商业银行浦东支行"}}},
        {"Check", "BYVMA", "01", {"S0002"}, 1, {{0, "奥兰电子"}, {1, "USD"}}},
        {"Check", "BYVMA", "01", {"S0005"}, 0, {}}, // not approved
        {"Lookup", "BYVMA", "61", {"S000"}, 4, {{0, "S0001"}}},
        {"Lookup", "BYVMA", "62", {"电子"}, 1, {{0, "S0002"}}},
        // currency: the third value is the amount's digits
        {"Check", "TAZMF", "01", {"RMB"}, 1, {{0, "人民币"}, {2, "2"}}},
        {"Check", "TAZMF", "01", {"JPY"}, 1, {{2, "0"}}},
        {"Lookup", "TAZMG", "03", {"USD"}, 5, {{0, "7.1114"}, {1, "20261201"}}},
        {"Lookup", "GIMMA", "01", {""}, 4, {{0, "A001"}, {1, "华信银行美元户"}}},
        // the exchange rate in force on the issue date
        {"Counter", "TAZMG", "ExchangeRate", {"USD", "W", "20261115"}, 1, {{0, "7.125"}}},
        {"Counter", "TAZMG", "ExchangeRate", {"USD", "B", "20261115"}, 1, {{0, "7.0966"}}},
        {"Counter", "TAZMG", "ExchangeRate", {"USD", "W", "20261001"}, 1, {{0, "7.125"}}},
        {"Counter", "TAZMG", "ExchangeRate", {"USD", "W", ""}, 1, {{0, "7.1114"}}},
        {"Counter", "TAZMG", "ExchangeRate", {"EUR", "W", "20251231"}, 0, {}},
        {"Counter", "TAZMG", "ExchangeRate", {"RMB", "W", "20261210"}, 1, {{0, "1"}}},
        // the program's catalogue row and the numbering of the document types
        {"Check",
         "WOQMB",
         "06",
         {"KVRX58", "DEMO"},
         1,
         {{0, "信用证开证作业"}, {1, "KVRX71"}, {7, "Y"}, {8, "W"}, {9, "Letter of Credit Issuance"}}},
        {"Sequence", "KVRTA", "RULE", {"5103"}, 1, {{0, "2"}, {1, "5"}}},
        {"Sequence", "KVRTA", "MAX", {"5101", "20261108", "11"}, 1, {{0, "20261108001"}}},
        {"Sequence", "KVRTA", "MAX", {"5101", "20261109", "11"}, 1, {{0, ""}}},
        {"Check", "KVRTA", "01", {"5101", "20261112001"}, 1, {}},
        {"Check", "NUMFD", "01", {"TA017, TA018"}, 2, {{0, "TA017"}, {1, "13"}, {2, "7"}}},
        {"Check", "NUMFD", "01", {"KVRTB"}, 1, {{0, "TB008"}}},
        {"Check", "QVNMA", "01", {"LIUF"}, 1, {{0, "刘芳"}, {1, "IMP"}}},
        {"Server", "QVNMA", "Connect", {"DEMO", "KVRX58"}, 1, {}},
        {"Server", "QVNMA", "Connect", {"NOBODY", "KVRX58"}, 0, {}},
        {"Server", "QVNMA", "Connect", {"DEMO", "KVRX99"}, 0, {}},
        {"Check", "DOCUS", "01", {"本月开证", "DEMO", "KVRX58"}, 1, {{2, "0"}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Kind) + " " + c.Table + " " + c.Number + " " +
                     (c.Keys.empty() ? "" : c.Keys[0]));
        const TDbResult result = Run(c.Kind, c.Table, c.Number, c.Keys);
        ASSERT_EQ(result.Rows.size(), c.Rows);
        for (const auto& [column, text] : c.Values)
            EXPECT_EQ(VarToStr(result.Rows[0].at(column)), text);
    }
}

TEST_F(CatalogueTest, ServerSettingsCarryTheUsersGroupAndRights) {
    auto settings = [&](const AnsiString& user) {
        std::map<std::string, std::string> values;
        for (const TDbRow& row : Run("Server", "WOQMS", "SvrData", {"KVRX58", user}).Rows)
            values[row.at(0).AsString()] = row.at(1).AsString();
        return values;
    };
    auto demo = settings("DEMO");
    EXPECT_EQ(demo["M11_TABLE"], "KVRTA");
    EXPECT_EQ(demo["M11_KEY"], "TA001,TA002");
    EXPECT_EQ(demo["D11_TABLE"], "KVRTB");
    EXPECT_EQ(demo["MAX_RECORD"], "20");
    EXPECT_EQ(demo["USER_GROUP"], "IMP");
    EXPECT_EQ(demo["GROUP_LIST"], "'FIN','IMP'");
    EXPECT_EQ(demo["POWER_DATA"], ",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY");
    EXPECT_EQ(demo["BaseLimited"], "N");
    EXPECT_EQ(demo.count("M11_SELECT"), 1u);
    EXPECT_EQ(settings("LIUF")["POWER_DATA"], ",Y,N,NNNNNYNNNNNN,NNNNNNN,NNNNNNN");
    // Without rights of one's own the main group's apply; a group without rights gives none.
    Session->Transaction([](TDbWriter& writer) { writer.Exec("DELETE FROM QVNMD WHERE MD001 = 'LIUF'"); });
    EXPECT_EQ(settings("LIUF")["POWER_DATA"], ",Y,Y,YYYYYYYYYYYY,YYYYYYY,NNNNNNN");
    EXPECT_EQ(settings("ZHAOL")["POWER_DATA"], "");
    EXPECT_EQ(settings("ZHAOL")["GROUP_LIST"], "'PUR'");
}

TEST_F(CatalogueTest, KeysArriveBoundAndNeverSpliced) {
    // A key holding a quote and SQL is only a value that matches nothing.
    const std::string before = TRawDb(Session->Path()).Fingerprint();
    EXPECT_TRUE(Run("Check", "BYVMA", "01", {"S0001' OR '1'='1"}).Rows.empty());
    EXPECT_TRUE(Run("Check", "KVRTA", "01", {"5101'; DELETE FROM KVRTA; --", "x"}).Rows.empty());
    EXPECT_EQ(TRawDb(Session->Path()).Fingerprint(), before);
    // Keys the call does not send, or sends as null, count as empty texts.
    const TCatalogueEntry* entry = Catalogue.Find("check", "tazmq", "01");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(TCatalogue::Run(*Session, *entry, {Variant("5101"), Null()}, Context).Rows.size(), 1u);
    EXPECT_EQ(TCatalogue::Run(*Session, *entry, {Variant(AnsiString("5101"))}, Context).Rows.size(), 1u);
    EXPECT_EQ(Catalogue.Find("Check", "TAZMQ", "99"), nullptr);
}

TEST(CatalogueFile, MalformedEntriesNameTheirLine) {
    struct TCase {
        const char* Text;
        int Line;
    };
    const TCase cases[] = {
        {"[Check T 01]\nColumns = A\nSQL = SELECT 1 AS A\n[Check T 01]\nColumns = A\nSQL = SELECT 1 AS A\n",
         4},
        {"[Guess T 01]\nColumns = A\nSQL = SELECT 1\n", 1},
        {"[Check T]\n", 1},
        {"Columns = A\n", 1},
        {"[Check T 01]\nColumns = A\nOrder = 1\n", 3},
        {"[Check T 01]\nColumns = A\n  continued\n\n  dangling\n", 5},
        {"[Check T 01]\nColumns = A\nColumns = B\n", 3},
        {"[Check T 01]\nColumns = A\nno equals sign\n", 3},
    };
    for (const TCase& c : cases) {
        TCatalogue catalogue;
        try {
            catalogue.LoadFromText(c.Text, "test");
            ADD_FAILURE() << c.Text;
        } catch (const EDbError& error) {
            EXPECT_NE(error.Message().find(u8"第 " + std::to_string(c.Line) + u8" 行"), std::string::npos)
                << error.Message();
        }
    }
    // Whole-entry faults name the entry.
    for (const char* text : {"[Check T 01]\nColumns = A\n", "[Check T 01]\nSQL = SELECT 1\n",
                             "[Lookup T 01]\nColumns = A, B\nCaptions = a\nSQL = SELECT 1, 2\n",
                             "[Check T 01]\nColumns = A,,B\nSQL = SELECT 1\n"}) {
        TCatalogue catalogue;
        EXPECT_THROW(catalogue.LoadFromText(text, "test"), EDbError) << text;
    }
    TCatalogue catalogue;
    catalogue.LoadFromText(
        "# comment\n[Check T 01]\nKeys = a, b\nColumns = A,\n  B\nSQL = SELECT 1 AS A,\n  2 AS B\n", "test");
    ASSERT_EQ(catalogue.Entries().size(), 1u);
    EXPECT_EQ(catalogue.Entries()[0].Columns, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(catalogue.Entries()[0].Sql, "SELECT 1 AS A,\n2 AS B");
    EXPECT_EQ(catalogue.Entries()[0].Line, 2);
    EXPECT_THROW(catalogue.LoadFromFile("/nonexistent/catalogue"), EDbError);
}

} // namespace
