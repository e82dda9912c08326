// The same client data set work in process and through a socket connection on loopback.
#include "dbfixture.h"

namespace {

// Opens with packets of 2, fetches on, changes a line and a header, applies, and reads back.
AnsiString Session(TCustomRemoteServer* midas) {
    TComponent owner(nullptr);
    auto* cds = new TClientDataSet(&owner);
    cds->SetRemoteServer(midas);
    cds->SetProviderName("pvdMain");
    cds->SetPacketRecords(2);
    cds->Open();
    auto* lines = new TClientDataSet(&owner);
    lines->SetDataSetField(static_cast<TDataSetField*>(cds->FieldByName("qryBody")));
    lines->Open();
    lines->Edit();
    lines->FieldByName("TB005")->SetAsFloat(55);
    cds->Last();
    cds->Edit();
    cds->FieldByName("TA018")->SetAsFloat(7);
    cds->Post();
    AnsiString out = std::to_string(cds->RecordCount()) + " " + std::to_string(cds->ChangeCount());
    const int errors = cds->ApplyUpdates(0);
    out += " " + std::to_string(errors) + " " + std::to_string(cds->ChangeCount());
    cds->Close();
    cds->Open();
    // Default fields go with the close: the lines are bound to the new data-set field.
    lines->SetDataSetField(static_cast<TDataSetField*>(cds->FieldByName("qryBody")));
    lines->Open();
    out += " " + lines->FieldByName("TB005")->AsString();
    cds->Last();
    out += " " + cds->FieldByName("TA018")->AsString();
    return out;
}

TEST(RemoteClientDataSet, InProcessAndOverTcpBehaveAlike) {
    auto* local = new TMemoryAppServer();
    Variant localRef(static_cast<IDispatch*>(local));
    FillProvider(local->Provider("pvdMain"));
    TComponent owner(nullptr);
    auto* inProcess = new TCustomRemoteServer(&owner);
    inProcess->SetAppServer(localRef);
    const AnsiString expected = Session(inProcess);
    EXPECT_EQ(expected, "3 2 0 0 55 7");

    auto* remote = new TMemoryAppServer();
    Variant remoteRef(static_cast<IDispatch*>(remote));
    FillProvider(remote->Provider("pvdMain"));
    TSocketDispatchServer server([&](const AnsiString&) { return remoteRef; });
    server.Open(0);
    auto* socket = new TSocketConnection(&owner);
    socket->SetAddress("127.0.0.1");
    socket->SetPort(server.Port());
    socket->SetServerName("Test.Server");
    EXPECT_EQ(Session(socket), expected);
    socket->SetConnected(false);
    server.Close();
}

} // namespace
