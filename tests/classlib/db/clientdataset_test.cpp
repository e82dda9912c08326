#include <cstdio>

#include "classlib/automation/varmarshal.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/varview.h"
#include "dbfixture.h"

namespace {

Variant At(const Variant& array, int index) {
    return array[index];
}

// The value of column `col` of row `row` of a rows array.
Variant Cell(const Variant& rows, int row, int col) {
    return At(At(rows, row), col);
}

TEST_F(TMasterDetailTest, NestedLinesFollowTheMastersRow) {
    OpenBoth();
    EXPECT_EQ(cdsBody1->RecordCount(), 2);
    EXPECT_EQ(cdsBody1->FieldByName("TB003")->AsString(), "0001");
    cdsBody1->Next();
    cdsMain->Next();
    EXPECT_EQ(cdsBody1->RecordCount(), 1);
    EXPECT_TRUE(cdsBody1->Bof());
    EXPECT_EQ(cdsBody1->FieldByName("TB002")->AsString(), "X2");
    cdsMain->Next();
    EXPECT_TRUE(cdsBody1->IsEmpty());
    cdsMain->First();
    EXPECT_EQ(cdsBody1->RecordCount(), 2);
    // Lines of a new header belong to it, and go with it when it is cancelled.
    cdsMain->Append();
    EXPECT_TRUE(cdsBody1->IsEmpty());
    cdsBody1->Append();
    cdsBody1->FieldByName("TB003")->SetAsString("0001");
    cdsBody1->Post();
    EXPECT_EQ(cdsBody1->RecordCount(), 1);
    cdsMain->Cancel();
    EXPECT_EQ(cdsMain->RecordCount(), 3);
    EXPECT_EQ(cdsBody1->RecordCount(), 2);
    cdsMain->Close();
    EXPECT_FALSE(cdsBody1->Active());
}

TEST_F(TMasterDetailTest, LineChangesPutTheMasterInEditAndTravelInItsDelta) {
    OpenBoth();
    cdsBody1->Next();
    cdsBody1->Edit();
    EXPECT_EQ(cdsMain->State(), dsEdit); // the master follows
    cdsBody1->FieldByName("TB005")->SetAsFloat(70);
    // Posting the master posts its lines first.
    cdsMain->Post();
    EXPECT_EQ(cdsBody1->State(), dsBrowse);
    EXPECT_EQ(cdsMain->ChangeCount(), 1); // the line only: the header's own values did not change
    EXPECT_EQ(cdsMain->UpdateStatus(), usUnmodified);
    EXPECT_EQ(cdsBody1->UpdateStatus(), usModified);

    cdsMain->Next();
    cdsBody1->Append(); // a new line under the second header
    cdsBody1->FieldByName("TB003")->SetAsString("0002");
    cdsMain->Next(); // leaving the header posts line and header
    EXPECT_EQ(cdsMain->ChangeCount(), 2);

    const Variant delta = cdsMain->Delta();
    ASSERT_TRUE(IsDataPacket(delta));
    EXPECT_EQ(PacketFlags(delta) & pfDelta, pfDelta);
    const Variant rows = PacketRows(delta);
    ASSERT_EQ(VarArrayLength(rows), 2);
    // First header: unchanged itself, one modified line with its original quantity.
    const Variant first = At(rows, 0);
    EXPECT_EQ(At(first, dsStatus).AsInteger(), usUnmodified);
    const Variant lines = At(At(first, dsValues), 4);
    ASSERT_EQ(VarArrayLength(lines), 1);
    const Variant line = At(lines, 0);
    EXPECT_EQ(At(line, dsStatus).AsInteger(), usModified);
    EXPECT_EQ(At(At(line, dsValues), 3).AsFloat(), 70);
    EXPECT_EQ(At(At(line, dsOldValues), 3).AsFloat(), 7);
    // Second header: an inserted line.
    const Variant inserted = At(At(At(At(rows, 1), dsValues), 4), 0);
    EXPECT_EQ(At(inserted, dsStatus).AsInteger(), usInserted);
    EXPECT_TRUE(VarIsEmpty(At(inserted, dsOldValues)));

    // As the provider reads it.
    const std::vector<TPacketDeltaRow> read = ReadDeltaRows(ReadPacketFields(delta), rows);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].Status, usUnmodified);
    EXPECT_EQ(VarToStr(read[0].OldValues[1]), "X1");
    ASSERT_EQ(read[0].Nested[4].size(), 1u);
    EXPECT_EQ(read[0].Nested[4][0].Values[3].AsFloat(), 70);
    EXPECT_EQ(read[1].Nested[4][0].Status, usInserted);
    EXPECT_TRUE(read[1].Nested[4][0].OldValues.empty());
    EXPECT_THROW(ReadDeltaRows(ReadPacketFields(delta), VarArrayOf({VarArrayOf({9, 1, 2, 3})})),
                 EDatabaseError);

    // The same packet applies on the server.
    EXPECT_EQ(cdsMain->ApplyUpdates(0), 0);
    EXPECT_EQ(cdsMain->ChangeCount(), 0);
    EXPECT_EQ(Cell(Cell(Variant(VarArrayOf(Provider().Rows)), 0, 4), 1, 3).AsFloat(), 70);
    EXPECT_EQ(VarArrayLength(Cell(Variant(VarArrayOf(Provider().Rows)), 1, 4)), 2);
}

TEST_F(TMasterDetailTest, CancellingTheMastersEditUndoesItsLineChanges) {
    OpenBoth();
    cdsBody1->Edit();
    cdsBody1->FieldByName("TB005")->SetAsFloat(99);
    cdsBody1->Post();
    cdsBody1->Append();
    cdsBody1->FieldByName("TB003")->SetAsString("0003");
    cdsBody1->Post();
    EXPECT_EQ(cdsBody1->RecordCount(), 3);
    cdsMain->Cancel();
    EXPECT_EQ(cdsMain->ChangeCount(), 0);
    EXPECT_EQ(cdsBody1->RecordCount(), 2);
    EXPECT_EQ(cdsBody1->FieldByName("TB005")->AsFloat(), 5);
    // Posted, the changes stay.
    cdsBody1->Edit();
    cdsBody1->FieldByName("TB005")->SetAsFloat(99);
    cdsMain->Post();
    EXPECT_EQ(cdsMain->ChangeCount(), 1);
    cdsMain->Next();
    cdsMain->Prior();
    EXPECT_EQ(cdsBody1->FieldByName("TB005")->AsFloat(), 99);
}

TEST_F(TMasterDetailTest, CancelUpdatesRestoresEveryLevel) {
    OpenBoth();
    cdsMain->Edit();
    cdsMain->FieldByName("TA018")->SetAsFloat(1);
    cdsBody1->Delete();
    cdsMain->Post();
    cdsMain->Last();
    cdsMain->Delete();
    cdsMain->Append();
    cdsMain->FieldByName("TA002")->SetAsString("X9");
    cdsMain->Post();
    EXPECT_EQ(cdsMain->ChangeCount(), 4);
    cdsMain->CancelUpdates();
    EXPECT_EQ(cdsMain->ChangeCount(), 0);
    EXPECT_EQ(cdsMain->RecordCount(), 3);
    cdsMain->First();
    EXPECT_EQ(cdsMain->FieldByName("TA018")->AsFloat(), 100);
    EXPECT_EQ(cdsBody1->RecordCount(), 2);
    EXPECT_FALSE(cdsMain->Locate("TA002", "X9"));
    EXPECT_TRUE(cdsMain->Locate("TA002", "X3"));
}

TEST_F(TMasterDetailTest, RevertRecordAndMergeChangeLog) {
    cdsMain->Open();
    cdsMain->Edit();
    cdsMain->FieldByName("TA018")->SetAsFloat(1);
    cdsMain->Post();
    cdsMain->Next();
    cdsMain->Edit();
    cdsMain->FieldByName("TA018")->SetAsFloat(2);
    cdsMain->Post();
    cdsMain->RevertRecord();
    EXPECT_EQ(cdsMain->FieldByName("TA018")->AsFloat(), 200);
    EXPECT_EQ(cdsMain->ChangeCount(), 1);
    cdsMain->MergeChangeLog();
    EXPECT_EQ(cdsMain->ChangeCount(), 0);
    cdsMain->First();
    EXPECT_EQ(cdsMain->FieldByName("TA018")->AsFloat(), 1);
    // Reverting an inserted row removes it and leaves the cursor on a row that is there.
    const int rows = cdsMain->RecordCount();
    cdsMain->Append();
    cdsMain->FieldByName("TA001")->SetAsString("A");
    cdsMain->FieldByName("TA002")->SetAsString("NEW");
    cdsMain->Post();
    cdsMain->RevertRecord();
    EXPECT_EQ(cdsMain->RecordCount(), rows);
    EXPECT_EQ(cdsMain->ChangeCount(), 0);
    EXPECT_NE(cdsMain->FieldByName("TA002")->AsString(), "NEW");
}

TEST_F(TMasterDetailTest, PacketsAreFetchedOnDemandWhenNextPassesTheEnd) {
    FillProvider(Provider(), 5);
    cdsMain->SetPacketRecords(2);
    cdsMain->SetDataRequest(VarArrayOf({"TA001='A'", "TA002"}));
    cdsMain->Open();
    EXPECT_EQ(cdsMain->RecordCount(), 2);
    EXPECT_EQ(FServer->GetRecordsCalls(), 1);
    EXPECT_EQ(VarToStr(At(FServer->LastDataRequest(), 1)), "TA002");
    cdsMain->Next();
    cdsMain->Next(); // past the fetched rows: the next packet comes
    EXPECT_FALSE(cdsMain->Eof());
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "X3");
    EXPECT_EQ(cdsMain->RecordCount(), 4);
    EXPECT_EQ(FServer->GetRecordsCalls(), 2);
    cdsMain->Last(); // fetches the rest
    EXPECT_EQ(cdsMain->RecordCount(), 5);
    EXPECT_TRUE(cdsMain->AllFetched());
    EXPECT_EQ(cdsMain->GetNextPacket(), 0);

    // Without fetching on demand the cursor stops at the end of the fetched rows.
    cdsMain->Close();
    cdsMain->SetFetchOnDemand(false);
    cdsMain->Open();
    cdsMain->Last();
    EXPECT_EQ(cdsMain->RecordCount(), 2);
    EXPECT_TRUE(cdsMain->Eof());
    EXPECT_EQ(cdsMain->GetNextPacket(), 2);
    EXPECT_FALSE(cdsMain->Eof());
    cdsMain->Next();
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "X3");
}

TEST_F(TMasterDetailTest, PacketSizeZeroOpensWithTheMetadataOnly) {
    FillProvider(Provider(), 3);
    cdsMain->SetPacketRecords(0);
    cdsMain->Open();
    EXPECT_TRUE(cdsMain->IsEmpty());
    EXPECT_NE(cdsMain->FindField("TA002"), nullptr);
    EXPECT_FALSE(cdsMain->AllFetched());
    // The next packet brings every row.
    EXPECT_EQ(cdsMain->GetNextPacket(), 3);
    EXPECT_TRUE(cdsMain->AllFetched());
}

class TReconciler : public TComponent {
public:
    using TComponent::TComponent;
    TReconcileAction Action = raSkip;
    std::vector<AnsiString> Messages;
    std::vector<TUpdateKind> Kinds;
    void ReconcileError(TCustomClientDataSet*, EReconcileError* e, TUpdateKind kind,
                        TReconcileAction& action) {
        Messages.push_back(e->Message() + "|" + e->Context());
        Kinds.push_back(kind);
        action = Action;
    }
};

TEST_F(TMasterDetailTest, RejectedRowsReachTheReconcileHandlerAndStayInTheLog) {
    Provider().RejectRow = [](TUpdateKind, const Variant& values) -> AnsiString {
        return VarToStr(At(values, 1)) == "X2" ? "单号重复" : "";
    };
    auto* r = new TReconciler(FOwner);
    cdsMain->SetOnReconcileError(TReconcileErrorEvent(r, &TReconciler::ReconcileError));
    cdsMain->Open();
    for (int i = 0; i < 2; ++i) {
        cdsMain->Edit();
        cdsMain->FieldByName("TA018")->SetAsFloat(1000 + i);
        cdsMain->Next();
    }
    // All or nothing: nothing is written and both rows stay in the log.
    EXPECT_EQ(cdsMain->ApplyUpdates(0), 1);
    ASSERT_EQ(r->Messages.size(), 1u);
    EXPECT_EQ(r->Messages[0], "单号重复|rejected by the provider");
    EXPECT_EQ(r->Kinds[0], ukModify);
    EXPECT_EQ(cdsMain->ChangeCount(), 2);
    EXPECT_EQ(Cell(Variant(VarArrayOf(Provider().Rows)), 0, 2).AsFloat(), 100);
    // Errors allowed: the good row is written and leaves the log; the rejected one stays.
    EXPECT_EQ(cdsMain->ApplyUpdates(-1), 1);
    EXPECT_EQ(cdsMain->ChangeCount(), 1);
    EXPECT_EQ(Cell(Variant(VarArrayOf(Provider().Rows)), 0, 2).AsFloat(), 1000);
    cdsMain->Locate("TA002", "X2");
    EXPECT_EQ(cdsMain->UpdateStatus(), usModified);
    // raCancel gives the row its original values back.
    r->Action = raCancel;
    EXPECT_EQ(cdsMain->ApplyUpdates(-1), 1);
    EXPECT_EQ(cdsMain->ChangeCount(), 0);
    EXPECT_EQ(cdsMain->FieldByName("TA018")->AsFloat(), 200);
}

TEST_F(TMasterDetailTest, ARejectedLineReachesTheLinesHandler) {
    Provider().RejectRow = [](TUpdateKind kind, const Variant&) -> AnsiString {
        return kind == ukDelete ? "line in use" : "";
    };
    auto* r = new TReconciler(FOwner);
    cdsBody1->SetOnReconcileError(TReconcileErrorEvent(r, &TReconciler::ReconcileError));
    OpenBoth();
    cdsBody1->Delete();
    cdsMain->Post();
    EXPECT_EQ(cdsMain->ApplyUpdates(0), 1);
    ASSERT_EQ(r->Kinds.size(), 1u);
    EXPECT_EQ(r->Kinds[0], ukDelete);
    EXPECT_EQ(cdsMain->ChangeCount(), 1);
}

TEST_F(TMasterDetailTest, CloneSharesTheRowsAndAnIndexOrdersLiveAfterAPost) {
    cdsMain->Open();
    cdsMain->SetIndexFieldNames("TA018");
    auto* clone = new TClientDataSet(FOwner);
    cdsMain->Next();
    clone->CloneCursor(cdsMain, false);
    EXPECT_EQ(clone->IndexFieldNames(), "TA018");
    EXPECT_EQ(clone->FieldByName("TA002")->AsString(), "X2"); // starts on the source's row
    // The first row gets the largest amount: it moves to the end and the cursor moves with it.
    cdsMain->First();
    cdsMain->Edit();
    cdsMain->FieldByName("TA018")->SetAsFloat(999);
    cdsMain->Post();
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "X1");
    EXPECT_EQ(cdsMain->RecNo(), 3);
    cdsMain->First();
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "X2");
    // The clone sees the change, and rows added through the source.
    EXPECT_TRUE(clone->Locate("TA002", "X1"));
    EXPECT_EQ(clone->FieldByName("TA018")->AsFloat(), 999);
    cdsMain->Append();
    cdsMain->FieldByName("TA002")->SetAsString("X0");
    cdsMain->FieldByName("TA018")->SetAsFloat(0);
    cdsMain->Post();
    EXPECT_EQ(cdsMain->RecNo(), 1);
    clone->First();
    EXPECT_EQ(clone->RecordCount(), 4);
    EXPECT_EQ(clone->ChangeCount(), 2);

    // A descending index definition.
    cdsMain->IndexDefs()->Add("TA018", "TA018", {ixDescending});
    cdsMain->SetIndexName("TA018");
    EXPECT_EQ(cdsMain->IndexFieldNames(), "");
    cdsMain->First();
    EXPECT_EQ(cdsMain->FieldByName("TA018")->AsFloat(), 999);
    EXPECT_THROW(cdsMain->SetIndexName("NOPE"), EDatabaseError);
    // A reset clone has no index.
    auto* plain = new TClientDataSet(FOwner);
    plain->CloneCursor(cdsMain, true);
    plain->First();
    EXPECT_EQ(plain->FieldByName("TA002")->AsString(), "X1");
}

TEST_F(TMasterDetailTest, TheDataPacketCrossesTheWireUnchanged) {
    OpenBoth();
    const Variant packet = cdsMain->Data();
    TMarshalWriter writer;
    writer.WriteVariant(packet);
    TMarshalReader reader(writer.Bytes());
    auto* copy = new TClientDataSet(FOwner);
    copy->SetData(reader.ReadVariant());
    EXPECT_EQ(copy->RecordCount(), 3);
    EXPECT_EQ(copy->FieldByName("TA018")->AsFloat(), 100);
    auto* lines = new TClientDataSet(FOwner);
    lines->SetDataSetField(static_cast<TDataSetField*>(copy->FieldByName("qryBody")));
    lines->Open();
    EXPECT_EQ(lines->RecordCount(), 2);
    EXPECT_EQ(copy->ChangeCount(), 0);

    // A file holds the same packet.
    const AnsiString path = IncludeTrailingPathDelimiter(GetTempPath()) + "kvr_cds_test.pkt";
    cdsMain->SaveToFile(path);
    auto* loaded = new TClientDataSet(FOwner);
    loaded->LoadFromFile(path);
    EXPECT_EQ(loaded->RecordCount(), 3);
    std::remove(NativePath(path).c_str());

    // A bad packet is refused and changes nothing; so is a value that does not fit its field.
    EXPECT_THROW(copy->SetData(VarArrayOf({1, 2})), EDatabaseError);
    const Variant tooLong =
        MakeDataPacket({{"CODE", ftString, 4, 0, {}}},
                       VarArrayOf({VarArrayOf({"ABCD"}), VarArrayOf({"ABCDE"})}), pfComplete);
    try {
        copy->SetData(tooLong);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Value of field 'CODE' is too long (5 bytes; the field holds 4)");
    }
    EXPECT_FALSE(copy->Active());
}

TEST(ClientDataSet, CreateDataSetFromFieldDefsAndEmptyIt) {
    TClientDataSet cds(nullptr);
    cds.FieldDefs()->Add("CODE", ftString, 6, true);
    cds.FieldDefs()->Add("QTY", ftInteger);
    cds.FieldDefs()->Add("WHEN", ftDateTime);
    cds.CreateDataSet();
    EXPECT_TRUE(cds.IsEmpty());
    cds.Append();
    cds.FieldByName("CODE")->SetAsString("A");
    cds.FieldByName("QTY")->SetAsString("12");
    EXPECT_THROW(cds.FieldByName("QTY")->SetAsString("1.5x"), EDatabaseError);
    cds.Post();
    cds.Append();
    EXPECT_THROW(cds.Post(), EDatabaseError); // CODE is required
    cds.Cancel();
    EXPECT_EQ(cds.RecordCount(), 1);
    EXPECT_EQ(cds.FieldByName("QTY")->AsInteger(), 12);
    EXPECT_TRUE(cds.FieldByName("WHEN")->IsNull());
    cds.EmptyDataSet();
    EXPECT_TRUE(cds.IsEmpty());
    EXPECT_EQ(cds.ChangeCount(), 0);
    EXPECT_EQ(VarArrayLength(PacketRows(cds.Data())), 0);
    EXPECT_EQ(VarArrayLength(PacketRows(cds.Delta())), 0);
    TClientDataSet nothing(nullptr);
    EXPECT_THROW(nothing.Open(), EDatabaseError);
}

// ---- data sources and links ----

class TLinkWatcher : public TComponent {
public:
    using TComponent::TComponent;
    AnsiString Log;
    void DataChange(TObject*, TField* field) {
        Log += field ? "D(" + field->FieldName() + ")" : AnsiString("D");
    }
    void StateChange(TObject*) { Log += "S"; }
    void LinkData(TObject*) { Log += "L"; }
    void LinkEditing(TObject*) { Log += "E"; }
    void LinkUpdate(TObject* sender) {
        Log += "U";
        static_cast<TFieldDataLink*>(sender)->Field()->SetAsString("typed");
    }
};

TEST_F(TMasterDetailTest, DataSourcesTellTheirLinksAndHandlers) {
    auto* w = new TLinkWatcher(FOwner);
    auto* ds = new TDataSource(FOwner);
    ds->SetOnDataChange(TDataChangeEvent(w, &TLinkWatcher::DataChange));
    ds->SetOnStateChange(TNotifyEvent(w, &TLinkWatcher::StateChange));
    ds->SetDataSet(cdsMain);
    cdsMain->Open();
    EXPECT_EQ(w->Log, "SD");
    w->Log.clear();
    cdsMain->Next();
    EXPECT_EQ(w->Log, "D");
    w->Log.clear();
    cdsMain->DisableControls();
    cdsMain->Next();
    cdsMain->Prior();
    EXPECT_TRUE(cdsMain->ControlsDisabled());
    EXPECT_EQ(w->Log, "");
    cdsMain->EnableControls();
    EXPECT_EQ(w->Log, "D");
    w->Log.clear();

    TFieldDataLink link;
    link.SetOnDataChange(TNotifyEvent(w, &TLinkWatcher::LinkData));
    link.SetOnEditingChange(TNotifyEvent(w, &TLinkWatcher::LinkEditing));
    link.SetOnUpdateData(TNotifyEvent(w, &TLinkWatcher::LinkUpdate));
    link.SetDataSource(ds);
    link.SetFieldName("TA002");
    EXPECT_EQ(link.Field(), cdsMain->FieldByName("TA002"));
    w->Log.clear();
    // A control's edit: the link puts the data set in edit (AutoEdit) and writes on UpdateRecord.
    EXPECT_TRUE(link.Edit());
    EXPECT_TRUE(link.FieldEditing());
    link.SetModified();
    cdsMain->Post();
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "typed");
    EXPECT_NE(w->Log.find("U"), AnsiString::npos);
    EXPECT_FALSE(link.FieldEditing());
    ds->SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(cdsMain->State(), dsBrowse);
    ds->SetEnabled(false);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.Field(), nullptr);
    ds->SetEnabled(true);

    // A grid link sees a window of rows.
    TDataLink grid;
    grid.SetDataSource(ds);
    grid.SetBufferCount(2);
    cdsMain->Last();
    EXPECT_EQ(grid.ActiveRecord(), 1);
    EXPECT_EQ(grid.RecordCount(), 2);
    grid.SetActiveRecord(0);
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "typed"); // the row the link wrote
    grid.SetActiveRecord(1);
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "X3");
    cdsMain->First();
    EXPECT_EQ(grid.ActiveRecord(), 0);
}

TEST(RemoteServer, TheClientReachesItsProviderThroughARemoteServer) {
    TComponent owner(nullptr);
    auto* server = new TMemoryAppServer();
    Variant ref(static_cast<IDispatch*>(server));
    FillProvider(server->Provider("pvdMain"), 2);
    auto* midas = new TCustomRemoteServer(&owner);
    midas->SetAppServer(ref);
    auto* cds = new TClientDataSet(&owner);
    cds->SetRemoteServer(midas);
    cds->SetProviderName("pvdMain");
    cds->Open();
    EXPECT_EQ(cds->RecordCount(), 2);
    cds->Close();
    cds->SetProviderName("pvdNone");
    EXPECT_THROW(cds->Open(), EOleError);
    delete midas; // the data set forgets it
    EXPECT_EQ(cds->RemoteServer(), nullptr);
}

} // namespace

namespace {

TEST_F(TMasterDetailTest, ACloneOfTheLinesWalksTheCurrentHeadersLines) {
    OpenBoth();
    auto* lineClone = new TClientDataSet(FOwner);
    lineClone->CloneCursor(cdsBody1, false);
    AnsiString seen;
    for (lineClone->First(); !lineClone->Eof(); lineClone->Next())
        seen += lineClone->FieldByName("TB003")->AsString() + " ";
    EXPECT_EQ(seen, "0001 0002 ");
    // A line added through the lines is seen by the clone; the clone's walk leaves the lines alone.
    cdsBody1->Append();
    cdsBody1->FieldByName("TB003")->SetAsString("0003");
    cdsBody1->Post();
    lineClone->Last();
    EXPECT_EQ(lineClone->FieldByName("TB003")->AsString(), "0003");
    EXPECT_EQ(cdsBody1->FieldByName("TB003")->AsString(), "0003");
    cdsBody1->First();
    lineClone->Last();
    EXPECT_EQ(cdsBody1->RecNo(), 1);
    // After the header moves, cloning again follows the new header's lines.
    cdsMain->Next();
    lineClone->CloneCursor(cdsBody1, false);
    EXPECT_EQ(lineClone->RecordCount(), 1);
}

} // namespace
