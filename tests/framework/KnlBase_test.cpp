#include <gtest/gtest.h>

#include "classlib/controls/forms.h"
#include "classlib/rtl/inifiles.h"
#include "framework/KnlBase.h"
#include "knlFixture.h"

namespace {

class KnlBaseTest : public TKernelFixture {
protected:
    // The client INI file, with the grid-view folder when given.
    void WriteClientIni(const AnsiString& gridViewPath) {
        AnsiString text = "[Server Information]\r\nComputerName=127.0.0.1\r\n";
        if (!gridViewPath.empty()) text += "[Client Components]\r\nGridViewDataPath=" + gridViewPath + "\r\n";
        WriteFile("C:\\Veltrane\\VeltraneC.ini", text);
    }
};

TEST_F(KnlBaseTest, DeletingAHeaderTakesItsLinesFirstAndTravelsInOneDelta) {
    OpenBoth();
    AnsiString order;
    struct TRecorder : TComponent {
        using TComponent::TComponent;
        AnsiString* Log = nullptr;
        void Deleting(TDataSet* dataSet) {
            *Log += dataSet->Name() + "(" + dataSet->FieldByName("TA002")->AsString() + ") ";
        }
        void LineDeleting(TDataSet* dataSet) { *Log += dataSet->Name() + " "; }
    };
    auto* recorder = new TRecorder(FOwner);
    recorder->Log = &order;
    cdsMain->SetBeforeDelete(TDataSetNotifyEvent(recorder, &TRecorder::Deleting));
    cdsBody1->SetBeforeDelete(TDataSetNotifyEvent(recorder, &TRecorder::LineDeleting));

    EXPECT_TRUE(DeleteRecordCascade(cdsMain, true, false));
    EXPECT_EQ(order, "cdsBody1 cdsBody1 cdsMain(X1) ");
    EXPECT_EQ(cdsMain->RecordCount(), 2);
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "X2");
    EXPECT_EQ(cdsBody1->RecordCount(), 1); // the next header's lines
    EXPECT_EQ(cdsMain->ApplyUpdates(0), 0);
    ASSERT_EQ(Provider().Rows.size(), 2u);
    EXPECT_EQ(VarToStr(Provider().Rows[0][1]), "X2");

    // With the events suspended none runs, and they are back afterwards.
    order.clear();
    EXPECT_TRUE(DeleteRecordCascade(cdsMain, true, true));
    EXPECT_EQ(order, "");
    EXPECT_TRUE(cdsMain->BeforeDelete().Assigned());
    EXPECT_TRUE(cdsBody1->BeforeDelete().Assigned());
    EXPECT_EQ(cdsMain->RecordCount(), 1);
    // Nothing to delete, nothing breaks.
    EXPECT_TRUE(DeleteRecordCascade(nullptr, true, true));
    cdsMain->Next();
    EXPECT_TRUE(DeleteRecordCascade(cdsBody1, true, true)); // X3 has no lines
}

TEST_F(KnlBaseTest, DeletingALineAloneOrAllOfThem) {
    OpenBoth();
    EXPECT_TRUE(DeleteRecordCascade(cdsBody1, false, true));
    EXPECT_EQ(cdsBody1->RecordCount(), 1);
    EXPECT_EQ(cdsMain->RecordCount(), 3);
    cdsBody1->Append();
    cdsBody1->FieldByName("TB003")->SetAsString("0009");
    cdsBody1->Post();
    EXPECT_TRUE(DeleteRecordCascade(cdsBody1, true, false));
    EXPECT_TRUE(cdsBody1->IsEmpty());
    EXPECT_EQ(cdsMain->RecordCount(), 3);
}

TEST_F(KnlBaseTest, ReopenSendsConditionAndOrderAndFailsVisibly) {
    OpenBoth();
    EXPECT_TRUE(ReopenWithCondition(cdsMain, "ALL", "TA002"));
    EXPECT_TRUE(cdsMain->Active());
    Variant request = FServer->LastDataRequest();
    ASSERT_TRUE(VarIsArray(request));
    EXPECT_EQ(VarToStr(request[0]), "");
    EXPECT_EQ(VarToStr(request[1]), "TA002");

    EXPECT_TRUE(ReopenWithCondition(cdsMain, "TA003='采购'", ""));
    request = FServer->LastDataRequest();
    EXPECT_EQ(VarType(request[0]), varOleStr);
    EXPECT_EQ(request[0].AsWideString(), u"TA003='采购'");

    // The hourglass while the query runs, the previous cursor afterwards.
    TCursor during = crDefault;
    struct TWatcher : TComponent {
        using TComponent::TComponent;
        TCursor* Seen = nullptr;
        void Opening(TDataSet*) { *Seen = Screen->Cursor(); }
    };
    auto* watcher = new TWatcher(FOwner);
    watcher->Seen = &during;
    cdsMain->SetBeforeOpen(TDataSetNotifyEvent(watcher, &TWatcher::Opening));
    Screen->SetCursor(crDefault);
    EXPECT_TRUE(ReopenWithCondition(cdsMain, "", ""));
    EXPECT_EQ(during, crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    cdsMain->SetBeforeOpen(nullptr);

    // A query the server refuses: logged, closed, and the caller is told.
    cdsMain->Close();
    cdsMain->SetProviderName("pvdGone");
    EXPECT_FALSE(ReopenWithCondition(cdsMain, "1=1", ""));
    EXPECT_FALSE(cdsMain->Active());
    EXPECT_NE(AlertLog("knlBase-103"), "");
    EXPECT_FALSE(ReopenWithCondition(nullptr, "", ""));
}

TEST_F(KnlBaseTest, FirstEmptyFieldOfTheDataSetsItem) {
    OpenBoth();
    cdsMain->Edit();
    cdsMain->FieldByName("TA001")->Clear();
    cdsMain->FieldByName("TA018")->Clear();
    cdsMain->FieldByName("TA018")->SetReadOnly(true);
    TField* found = nullptr;
    struct {
        const char* list;
        const char* field; // '' for none
    } cases[] = {
        {"cdsMain:TA002,TA001", "TA001"},
        {"CDSMAIN: TA002 , TA001 ", "TA001"},
        {"cdsBody1:TB003;cdsMain:TA001", "TA001"},
        {"cdsMain:TA018,TA099,TA002", ""},   // read-only, missing, filled
        {"cdsMain:TA002;cdsMain:TA001", ""}, // only the first item of the data set counts
        {"cdsBody1:TB003", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        const bool result = FindFirstEmptyField(cdsMain, c.list, found);
        EXPECT_EQ(result, *c.field != 0) << c.list;
        EXPECT_EQ(found ? found->FieldName() : AnsiString(), c.field) << c.list;
    }
    cdsMain->FieldByName("TA001")->SetVisible(false);
    EXPECT_FALSE(FindFirstEmptyField(cdsMain, "cdsMain:TA001", found));
    EXPECT_FALSE(FindFirstEmptyField(nullptr, "cdsMain:TA001", found));
}

TEST_F(KnlBaseTest, GridViewSections) {
    OpenBoth();
    EXPECT_EQ(GridViewSection(cdsBody1, 2), "cdsBody1_2");
    EXPECT_EQ(GridViewSection(cdsBody1, -1), "cdsBody1");
    EXPECT_EQ(GridViewSection(cdsMain, 2), "cdsMain");
}

TEST_F(KnlBaseTest, GridViewRoundTripThroughTheUsersFolder) {
    WriteClientIni("C:\\Views"); // no trailing separator
    OpenBoth();
    auto* amount = static_cast<TNumericField*>(cdsMain->FieldByName("TA018"));
    amount->SetDisplayFormat("#,##0.00");
    amount->SetDisplayWidth(15);
    amount->SetIndex(0);
    cdsMain->FieldByName("FLAG")->SetDisplayWidth(3);
    SaveGridView("DS", "KVRX58C", cdsMain, -1);
    const AnsiString file = "C:\\Views\\DS\\KVRX58C.ugs";
    ASSERT_TRUE(FileExists(file));
    EXPECT_EQ(TIniFile(file).ReadString("cdsMain", "TA018", ""), "0;15;#,##0.00");
    EXPECT_EQ(TIniFile(file).ReadString("cdsMain", "FLAG", ""), "3;3;"); // numeric, no format

    // Another open: default layout, then the view.
    cdsMain->Close();
    cdsBody1->Close();
    OpenBoth();
    ASSERT_EQ(cdsMain->FieldByName("TA018")->Index(), 2);
    auto* flag = static_cast<TNumericField*>(cdsMain->FieldByName("FLAG"));
    flag->SetDisplayFormat("0");
    LoadGridView("DS", "KVRX58C", cdsMain, -1);
    amount = static_cast<TNumericField*>(cdsMain->FieldByName("TA018"));
    EXPECT_EQ(amount->Index(), 0);
    EXPECT_EQ(amount->DisplayWidth(), 15);
    EXPECT_EQ(amount->DisplayFormat(), "#,##0.00");
    EXPECT_EQ(flag->DisplayWidth(), 3);
    EXPECT_EQ(flag->DisplayFormat(), "0"); // an empty saved format keeps the field's
}

TEST_F(KnlBaseTest, GridViewFallsBackToTheSharedFile) {
    WriteClientIni("C:\\Views");
    WriteFile("C:\\Views\\KVRX58C.ugs",
              "[cdsMain]\r\nTA002=0;30\r\nTA001=9;5\r\nFLAG=x;2\r\nTA018=1;12;0.0\r\n"
              "TA099=0;1\r\n");
    OpenBoth();
    LoadGridView("Nobody", "KVRX58C", cdsMain, -1);
    EXPECT_EQ(cdsMain->FieldByName("TA002")->Index(), 0);
    EXPECT_EQ(cdsMain->FieldByName("TA002")->DisplayWidth(), 30);
    // An index out of range or a bad number skips its line whole.
    EXPECT_NE(cdsMain->FieldByName("TA001")->DisplayWidth(), 5);
    EXPECT_NE(cdsMain->FieldByName("FLAG")->DisplayWidth(), 2);
    EXPECT_EQ(cdsMain->FieldByName("TA018")->Index(), 1);
    EXPECT_EQ(static_cast<TNumericField*>(cdsMain->FieldByName("TA018"))->DisplayFormat(), "0.0");
}

TEST_F(KnlBaseTest, GridViewDefaultFolderAndLineTables) {
    WriteClientIni(""); // client folder + c_Data\ by default
    OpenBoth();
    cdsBody1->FieldByName("TB005")->SetDisplayWidth(22);
    SaveGridView("DS", "KVRX58C", cdsBody1, 2);
    const AnsiString file = "C:\\Veltrane\\c_Data\\DS\\KVRX58C.ugs";
    ASSERT_TRUE(FileExists(file));
    EXPECT_NE(TIniFile(file).ReadString("cdsBody1_2", "TB005", ""), "");
    EXPECT_EQ(TIniFile(file).ReadString("cdsBody1", "TB005", ""), "");
    cdsBody1->FieldByName("TB005")->SetDisplayWidth(1);
    LoadGridView("DS", "KVRX58C", cdsBody1, 2);
    EXPECT_EQ(cdsBody1->FieldByName("TB005")->DisplayWidth(), 22);
}

TEST_F(KnlBaseTest, FetchingPacketsAtTheEnd) {
    cdsMain->SetPacketRecords(2);
    cdsMain->SetFetchOnDemand(false);
    OpenBoth();
    EXPECT_EQ(cdsMain->RecordCount(), 2);
    LastOrNextPacket(cdsMain); // not at the end: the last fetched record
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "X2");
    EXPECT_EQ(cdsMain->RecordCount(), 2);
    cdsMain->Next();
    ASSERT_TRUE(cdsMain->Eof());
    TDataSource source(nullptr);
    source.SetDataSet(cdsMain);
    int changes = 0;
    struct TCounter : TComponent {
        using TComponent::TComponent;
        int* Count = nullptr;
        void Changed(TObject*) { ++*Count; }
    };
    auto* counter = new TCounter(FOwner);
    counter->Count = &changes;
    source.SetOnStateChange(TNotifyEvent(counter, &TCounter::Changed));
    FetchBeforeScroll(cdsMain, &source);
    EXPECT_EQ(cdsMain->RecordCount(), 3);
    EXPECT_TRUE(source.OnStateChange().Assigned());
    EXPECT_FALSE(cdsMain->ControlsDisabled());
    source.SetDataSet(nullptr);
}

// With the class library's default fetch on demand as well: the last record fetched so far, no packet.
TEST_F(KnlBaseTest, TheLastFetchedRecordFetchesNothingWhateverTheSetting) {
    cdsMain->SetPacketRecords(2);
    ASSERT_TRUE(cdsMain->FetchOnDemand());
    OpenBoth();
    const int calls = FServer->GetRecordsCalls();
    LastOrNextPacket(cdsMain);
    EXPECT_EQ(FServer->GetRecordsCalls(), calls);
    EXPECT_EQ(cdsMain->RecordCount(), 2);
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "X2");
    EXPECT_TRUE(cdsMain->Eof());
    EXPECT_TRUE(cdsMain->FetchOnDemand());
    LastOrNextPacket(cdsMain); // at the end now: the next packet
    EXPECT_EQ(FServer->GetRecordsCalls(), calls + 1);
    EXPECT_EQ(cdsMain->RecordCount(), 3);
}

} // namespace

namespace {

// Headers with lines that have sub-lines of their own.
class KnlBaseDeepTest : public TKernelFixture {
protected:
    void SetUp() override {
        TKernelFixture::SetUp();
        TMemoryProviderData& p = Provider();
        p.Fields = {
            {"TA001", ftString, 4, 0, {}},
            {"qryBody",
             ftDataSet,
             0,
             0,
             {{"TB001", ftString, 4, 0, {}}, {"qrySub", ftDataSet, 0, 0, {{"TC001", ftString, 4, 0, {}}}}}}};
        p.KeyFields = "TA001";
        auto sub = [](const char* key) { return VarArrayOf({Variant(key)}); };
        p.Rows = {VarArrayOf({Variant("H1"),
                              VarArrayOf({VarArrayOf({Variant("L1"), VarArrayOf({sub("S1"), sub("S2")})}),
                                          VarArrayOf({Variant("L2"), VarArrayOf({sub("S3")})})})}),
                  VarArrayOf({Variant("H2"), VarArrayOf({})})};
        cdsSub = new TClientDataSet(FOwner);
        cdsSub->SetName("cdsSub");
    }
    TClientDataSet* cdsSub = nullptr;
};

TEST_F(KnlBaseDeepTest, TheDeepestLevelGoesFirst) {
    OpenBoth();
    cdsSub->SetDataSetField(static_cast<TDataSetField*>(cdsBody1->FieldByName("qrySub")));
    cdsSub->Open();
    AnsiString order;
    struct TRecorder : TComponent {
        using TComponent::TComponent;
        AnsiString* Log = nullptr;
        void Deleting(TDataSet* dataSet) { *Log += dataSet->Fields()->Fields(0)->AsString() + " "; }
    };
    auto* recorder = new TRecorder(FOwner);
    recorder->Log = &order;
    for (TDataSet* dataSet :
         {static_cast<TDataSet*>(cdsMain), static_cast<TDataSet*>(cdsBody1), static_cast<TDataSet*>(cdsSub)})
        dataSet->SetBeforeDelete(TDataSetNotifyEvent(recorder, &TRecorder::Deleting));
    EXPECT_TRUE(DeleteRecordCascade(cdsMain, true, false));
    EXPECT_EQ(order, "S3 L2 S2 S1 L1 H1 ");
    EXPECT_EQ(cdsMain->ApplyUpdates(0), 0);
    ASSERT_EQ(Provider().Rows.size(), 1u);
    EXPECT_EQ(VarToStr(Provider().Rows[0][0]), "H2");
}

} // namespace
