// The framework's document services on the letter-of-credit form against the demo database: a
// document copied into a new one (the copy dialog scripted as its user would fill it), the link sent
// to the host's main-menu window, printing through the host, and the refresh with the query
// dialog's condition.
#include <gtest/gtest.h>

#include <algorithm>

#include "classlib/controls/forms.h"
#include "standins/workcenter/mainmenu.h"
#include "tests/programs/Kvrx58Fixture.h"

namespace {

bool Asked(const std::vector<AnsiString>& messages, const char* message) {
    return std::find(messages.begin(), messages.end(), AnsiString(message)) != messages.end();
}

class DocumentServices : public Kvrx58Fixture {
protected:
    void SetUp() override {
        Kvrx58Fixture::SetUp();
        TfrmKvrx58Scripted::QueryDialogMaker = [](TfrmSingle* form) {
            return std::make_unique<TRecordingQuery>(form);
        };
        TRecordingQuery::Where.clear();
        TRecordingQuery::Cancel = false;
    }
    // The copy dialog answered: the source key typed on its first page, the new key on its second.
    void CopyWith(const AnsiString& sourceNo, const AnsiString& newType, const AnsiString& newNo) {
        TfrmKvrx58Scripted::CopyDialog = [=, this](TfrmDouble* owner, TDataSet* dataSet, Byte kind,
                                                   Variant& extras, Variant& lines, Variant& head,
                                                   const AnsiString& keys) {
            DialogKeys = keys;
            DialogKind = kind;
            Variant h, e, l;
            if (!ReadCopySource(owner, VarArrayOf({"5101", sourceNo}), h, e, l)) return false;
            dataSet->FieldByName("TA001")->SetAsString(newType);
            dataSet->FieldByName("TA002")->SetAsString(newNo);
            head = h;
            extras = e;
            lines = l;
            return true;
        };
    }
    std::string Column(const char* column, const char* no) const {
        return Sql(std::string("SELECT ") + column + " FROM KVRTA WHERE TA002 = '" + no + "'");
    }
    AnsiString DialogKeys;
    int DialogKind = -1;
};

} // namespace

TEST_F(DocumentServices, ACopyTakesTheSourcesValuesAndLinesButNotItsKeysAuditOrState) {
    Open();
    const std::string sourceLines = Sql("SELECT COUNT(*) FROM KVRTB WHERE TB002 = '20261108001'");
    ASSERT_NE(sourceLines, "0");
    CopyWith("20261108001", "5102", "T-COPY");
    Form->CopyDocument();
    EXPECT_EQ(DialogKeys, "TA001,TA002");
    EXPECT_EQ(DialogKind, 0);
    ASSERT_EQ(Form->EditState, esInsert);
    EXPECT_EQ(Head("TA002"), "T-COPY");
    EXPECT_EQ(Head("TA004"), "LC88026110801");
    EXPECT_EQ(Head("TA005"), "S0001");
    // The source is confirmed; the copy is not, nor are its lines.
    EXPECT_EQ(Column("TA038", "20261108001"), "Y");
    EXPECT_NE(Head("TA038"), "Y");
    EXPECT_NE(Head("CREATE_DATE"), "20261108103000000");
    EXPECT_EQ(std::to_string(Body()->RecordCount()), sourceLines);
    EXPECT_TRUE(Form->DoubleModule()->BodyChangeReaction);
    for (Body()->First(); !Body()->Eof(); Body()->Next()) {
        EXPECT_NE(Line("TB002"), "20261108001");
        EXPECT_NE(Line("TB009"), "Y");
    }

    TakeMessages();
    UserKey(Form, "F12");
    EXPECT_FALSE(Asked(TakeMessages(), "E 000008"));
    ASSERT_FALSE(Form->LastSaveFailed);
    EXPECT_EQ(Column("TA004", "T-COPY"), "LC88026110801");
    EXPECT_EQ(Column("TA001", "T-COPY"), "5102");
    EXPECT_NE(Column("CREATE_DATE", "T-COPY"), "20261108103000000");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTB WHERE TB001 = '5102' AND TB002 = 'T-COPY'"), sourceLines);
    EXPECT_EQ(
        Sql("SELECT GROUP_CONCAT(TB004 || TB005 || TB006, ',') FROM KVRTB WHERE TB002 = 'T-COPY'"),
        Sql("SELECT GROUP_CONCAT(TB004 || TB005 || TB006, ',') FROM KVRTB WHERE TB002 = '20261108001'"));
    // The source as it was.
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTB WHERE TB002 = '20261108001'"), sourceLines);
    EXPECT_EQ(Column("MODI_DATE", "20261108001"), "20261109091500000");
}

// The user-defined fields that the copy tag links to the source take what the server computes from
// the source's keys, named in key order: the header's from the document's, each line's from its own.
TEST_F(DocumentServices, ACopysLinkedUserFieldsComeFromTheSourcesKeys) {
    Open();
    Administer("INSERT INTO WOQTK (TK001, TK002, TK003) VALUES ('TCPY', 'copy', 'Y');"
               "INSERT INTO WOQTJ (TJ001, TJ002, TJ003, TJ004, TJ005) VALUES "
               "('KVRX58', 'F01', 'KVRTA', '0001', 'TA001'), ('KVRX58', 'F01', 'KVRTA', '0002', 'TA002'),"
               "('KVRX58', 'F01D', 'KVRTB', '0001', 'TB001'), ('KVRX58', 'F01D', 'KVRTB', '0002', 'TB002');"
               "INSERT INTO WOQTL (TL001, TL002, TL003, TL005, TL006, TL010, TL011, TL012, TL013) VALUES "
               "('TCPY', '0001', 'KVRX58', 'F01', 'UDF01', 'Y', 1, 'other.KVRTATA002', "
               "'SELECT ''from '' || %1'),"
               "('TCPY', '0002', 'KVRX58', 'F01D', 'UDF02', 'Y', 2, 'other.KVRTBTB002', "
               "'SELECT ''line of '' || %1');");
    CopyWith("20261108001", "5102", "T-UDFC");
    Form->CopyDocument();
    ASSERT_EQ(Form->EditState, esInsert);
    EXPECT_EQ(Head("UDF01"), "from 20261108001");
    ASSERT_FALSE(Body()->IsEmpty());
    for (Body()->First(); !Body()->Eof(); Body()->Next())
        EXPECT_EQ(Line("UDF02"), "line of 20261108001");
    UserKey(Form, "F12");
    ASSERT_FALSE(Form->LastSaveFailed);
    EXPECT_EQ(Column("UDF01", "T-UDFC"), "from 20261108001");
    EXPECT_EQ(Sql("SELECT GROUP_CONCAT(DISTINCT UDF02) FROM KVRTB WHERE TB002 = 'T-UDFC'"),
              "line of 20261108001");
}

TEST_F(DocumentServices, ASourceThatIsNotThereCopiesNothingAndKeepsTheBrowseList) {
    Open();
    const AnsiString current = Head("TA002");
    const int rows = Main()->RecordCount();
    CopyWith("NOPE", "5102", "T-COPY");
    Application->ClearDialogs();
    Form->CopyDocument();
    ASSERT_NE(Application->LastDialog(), nullptr);
    EXPECT_EQ(TrimRight(Application->LastDialog()->Text), "来源信息不存在!!");
    EXPECT_EQ(Form->EditState, esBrowse);
    EXPECT_EQ(Main()->RecordCount(), rows);
    EXPECT_EQ(Head("TA002"), current);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTA WHERE TA002 = 'T-COPY'"), "0");
}

TEST_F(DocumentServices, TheLinkGoesToTheMainMenuWindowOrSaysItIsNotThere) {
    Open();
    Application->ClearDialogs();
    EXPECT_FALSE(Form->SendLinkToMessageCentre());
    ASSERT_NE(Application->LastDialog(), nullptr);
    EXPECT_EQ(TrimRight(Application->LastDialog()->Text), "目标窗口没找到！");
    EXPECT_EQ(Form->WindowState(), wsMinimized);

    Form->SetWindowState(wsNormal);
    std::vector<HWND> senders;
    TMainMenuWindow window([&](const AnsiString&, HWND sender) { senders.push_back(sender); });
    EXPECT_TRUE(Form->SendLinkToMessageCentre());
    ASSERT_EQ(window.Links().size(), 1u);
    const AnsiString& link = window.Links()[0];
    EXPECT_EQ(link.rfind("KTRW:", 0), 0u);
    EXPECT_NE(
        link.find("$$<font size=\"2\"><p>&nbsp</p> <A href=\"ktrw://Norvu/DEMO/KVRX58/query/KVRTA.TA001 = "
                  "'5101' and KVRTA.TA002 = '20261108001'\">"),
        AnsiString::npos)
        << link;
    const AnsiString tail = " : 20261108001</p></font></A>";
    EXPECT_TRUE(link.size() > tail.size() && link.compare(link.size() - tail.size(), tail.size(), tail) == 0)
        << link;
    EXPECT_EQ(senders, std::vector<HWND>{Form->Handle()});
    EXPECT_EQ(Form->WindowState(), wsMinimized);
}

TEST_F(DocumentServices, TheRefreshKeepsTheKeyRangeWhateverTheQueryDialogsConditionSays) {
    Open();
    UserKey(Form, "Ctrl+E"); // the last document
    const AnsiString last = Head("TA002");
    TRecordingQuery::Where = "KVRTA.TA005='S0001' or KVRTA.TA005='S0002'";
    Form->RangeRequery = true;
    Form->ApplyQBECondition();
    const std::string expected = Sql("SELECT COUNT(*) FROM KVRTA WHERE TA001 || TA002 >= '5101" +
                                     std::string(last) + "' AND TA005 IN ('S0001','S0002')");
    EXPECT_EQ(std::to_string(Main()->RecordCount()), expected);
    EXPECT_EQ(Head("TA002"), last);
    // The range off: the current document alone, and the range on again.
    Form->RangeRequery = false;
    Form->ApplyQBECondition();
    EXPECT_EQ(Main()->RecordCount(), 1);
    EXPECT_TRUE(Form->RangeRequery);
}

TEST_F(DocumentServices, PrintingHandsTheHostTheDocumentsKeyAndTellsWhatItAnswered) {
    Open();
    std::vector<TStartRequest> requests;
    std::vector<int> answers;
    TWorkCenterObserver observer;
    observer.WorkExecuted = [&](const TStartRequest& request, int rc) {
        requests.push_back(request);
        answers.push_back(rc);
    };
    SetWorkCenterObserver(observer);
    // The print program answers 0, then refuses (-5, no right to run it).
    int answer = 0;
    SetWorkCenterLauncher([&](const TStartRequest&, Variant&, Variant&) { return answer; });
    EXPECT_TRUE(Form->PrintRecords());
    Form->PreviewMode = true;
    answer = -5;
    EXPECT_FALSE(Form->PrintRecords());
    Form->PreviewMode = false;
    SetWorkCenterLauncher(nullptr);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(answers, (std::vector<int>{0, -5}));
    EXPECT_EQ(requests[0].Program, "KVRX71");
    for (std::size_t i = 0; i < 2; ++i) {
        const Variant data = requests[i].Param2.GetElement({2});
        EXPECT_EQ(data.GetElement({0}).AsBoolean(), i == 1);
        const Variant keys = data.GetElement({1});
        EXPECT_EQ(VarToStr(keys.GetElement({0})) + " " + VarToStr(keys.GetElement({1})), "5101 20261108001");
    }
}

TEST_F(DocumentServices, ADialogThatStartedNoNewDocumentCopiesNothing) {
    Open();
    TfrmKvrx58Scripted::CopyDialog = [](TfrmDouble*, TDataSet*, Byte, Variant&, Variant&, Variant& head,
                                        const AnsiString&) {
        head = VarArrayOf({Variant("X")});
        return true;
    };
    const AnsiString current = Head("TA001");
    Application->ClearDialogs();
    Form->CopyDocument();
    ASSERT_NE(Application->LastDialog(), nullptr);
    EXPECT_EQ(TrimRight(Application->LastDialog()->Text), "cdsMain.State 不正常, 复制行动因此取消!!");
    EXPECT_EQ(Form->EditState, esBrowse);
    EXPECT_EQ(Head("TA001"), current);
    EXPECT_EQ(Main()->State(), dsBrowse);
}
