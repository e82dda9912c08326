// The grid's WHERE texts against the application server, in process and over TCP: attacks typed into
// the grid reach the server as values or not at all, the queries return the right rows, and the
// database stays as it was. The texts a careless dialog would have built are refused by the server's
// own guard, the second wall.
#include <gtest/gtest.h>

#include "dialogs/QBEConditions.h"
#include "tests/standins/appserver/serverfixture.h"

namespace {

class QBEServer : public testing::TestWithParam<TReach> {
protected:
    QBEServer() {
        Operators.SetText(DefaultOperatorLines());
        Add("TA002", "单号", "KVRTA.TA002", ftString);
        Add("TA004", "L/C单号", "KVRTA.TA004", ftString);
        Add("TA010", "远期天数", "KVRTA.TA010", ftInteger);
        Add("TA018", "开证金额", "KVRTA.TA018", ftFloat);
    }
    // The server, connected: the database exists from here on.
    Variant Server() {
        Variant server = Reach.AppServer();
        Before = Db.Fingerprint();
        return server;
    }
    void TearDown() override {
        if (!Before.empty()) {
            EXPECT_EQ(Db.Fingerprint(), Before) << "the database changed";
        }
    }

    void Add(const char* name, const char* label, const char* expr, int type) {
        auto* record = new TRecordInfo;
        record->DisplayLabel = label;
        record->ColumnExpr = expr;
        record->DataType = type;
        Records.AddRecord(name, record);
    }
    AnsiString Where(const std::vector<TConditionRow>& rows) const {
        return GridCondition(rows, Records, Operators, TQBEDateSettings{});
    }

    TServerDatabase Db;
    TServerReach Reach{GetParam()};
    TRecordInfoList Records;
    TStringList Operators;
    std::string Before;
};

INSTANTIATE_TEST_SUITE_P(Reach, QBEServer, testing::Values(TReach::InProcess, TReach::Tcp), ReachName);

const char* const kAttacks[] = {
    "'",
    "'; DROP TABLE KVRTA;--",
    "x' OR '1'='1",
    "1=1 OR",
    "1 OR 1=1",
    "0 UNION SELECT * FROM QVNMA",
    "' UNION SELECT MA001 FROM QVNMA --",
    "0 -- rest",
    "0 /* comment */",
    "0; ATTACH DATABASE '/tmp/stolen.db' AS x",
    "0; PRAGMA writable_schema = 1",
    "0; DELETE FROM KVRTA",
    "'); DELETE FROM KVRTA; --",
};

TEST_P(QBEServer, AttacksInTheGridStayValues) {
    Variant server = Server();
    // Each attack in every column and operator kind, beside a row that matches the first document.
    const char* const labels[] = {"单号", "L/C单号", "远期天数", "开证金额"};
    const char* const operators[] = {"等于", "起始于", "包含", "存在于", "不等于"};
    for (const char* attack : kAttacks)
        for (const char* label : labels)
            for (const char* op : operators) {
                const AnsiString where =
                    Where({{label, op, attack, "AND"}, {"单号", "等于", "20261108001", "AND"}});
                SCOPED_TRACE(where);
                int rows = -1;
                ASSERT_NO_THROW(rows = GetRecords(server, where).RowCount());
                // A number field drops the row that is no number; a text matches nothing with it, except
                // that "not equal" holds for every other text.
                const bool numeric = label == labels[2] || label == labels[3];
                EXPECT_EQ(rows, numeric || std::string(op) == "不等于" ? 1 : 0);
            }
    // The lines of the advanced page likewise: a text value quoted, a number value checked.
    for (const char* attack : kAttacks)
        for (int op : {0, 5, 6, 8}) {
            const AnsiString line = AdvancedCondition(op, attack, "TA004", "TA004", "KVRTA", "", ftString, 0);
            SCOPED_TRACE(line);
            int rows = -1;
            ASSERT_NO_THROW(rows = GetRecords(server, line).RowCount());
            EXPECT_EQ(rows, op == 5 ? 2 : 0);
            EXPECT_EQ(AdvancedCondition(op, attack, "TA010", "TA010", "KVRTA", "", ftInteger, 0), "");
        }
    // The cells that name operators and connectives take nothing but their lists.
    for (const char* attack : kAttacks) {
        EXPECT_EQ(Where({{"单号", attack, "A", "AND"}}), "");
        EXPECT_EQ(Where({{"单号", "等于", "A", attack}}), "");
    }
}

TEST_P(QBEServer, ConditionsOfTheGridSelectTheRightDocuments) {
    Variant server = Server();
    struct {
        std::vector<TConditionRow> Rows;
        int Count;
    } cases[] = {
        {{}, 2},
        {{{"单号", "等于", "20261108001", "AND"}}, 1},
        {{{"单号", "起始于", "2026", "AND"}}, 2},
        {{{"单号", "终止于", "2001", "AND"}}, 1},
        {{{"单号", "存在于", "20261108001, 20261112001", "AND"}}, 2},
        {{{"远期天数", "大于", "30", "AND"}}, 1},
        {{{"远期天数", "起始于", "9", "AND"}}, 1}, // LIKE on a number column
        {{{"开证金额", "包含", "6645", "AND"}}, 1},
        {{{"开证金额", "存在于", "73700, 1", "AND"}}, 1},
        {{{"开证金额", "等于", "73700.00", "AND"}}, 1},
        {{{"远期天数", "等于", "90", "OR"}, {"单号", "等于", "20261108001", "AND"}}, 2},
        {{{"远期天数", "等于", "90", "AND"}, {"单号", "等于", "20261108001", "AND"}}, 0},
    };
    for (const auto& c : cases) {
        const AnsiString where = Where(c.Rows);
        SCOPED_TRACE(where);
        EXPECT_EQ(GetRecords(server, where).RowCount(), c.Count);
    }
}

TEST_P(QBEServer, TheServersGuardRefusesWhatTheDialogNeverSends) {
    Variant server = Server();
    // What a dialog that pasted cells as typed would have sent.
    const char* const careless[] = {
        "KVRTA.TA002 = ''; DROP TABLE KVRTA;--'",
        "KVRTA.TA010 = 0; DELETE FROM KVRTA",
        "KVRTA.TA010 = 0 -- rest",
        "KVRTA.TA010 = 0 /* comment */",
        "KVRTA.TA010 = 0; ATTACH DATABASE 'stolen.db' AS x",
        "KVRTA.TA010 = 0; PRAGMA writable_schema = 1",
        "KVRTA.TA010 = 0) UNION SELECT * FROM QVNMA WHERE (1=1",
        "(KVRTA.TA002 = 'A' ) AND (KVRTA.TA010 like 5%)",
        "KVRTA.TA002 = '''",
    };
    for (const char* where : careless) {
        SCOPED_TRACE(where);
        EXPECT_ANY_THROW(GetRecords(server, where));
    }
}

} // namespace
