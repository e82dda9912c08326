#pragma once
// The servers against a fresh demo database, reached in process (CreateOleObject) or over TCP (a
// socket dispatch server in this process on a free loopback port), and deltas written by hand in the
// data-packet format.
#include <memory>
#include <vector>

#include "classlib/automation/comobj.h"
#include "classlib/automation/sconnect.h"
#include "classlib/db/datapacket.h"
#include "classlib/db/provider.h"
#include "classlib/rtl/strutils.h"
#include "standins/appserver/f2windows.h"
#include "standins/appserver/rarer1.h"
#include "standins/shared/serverconfig.h"
#include "tests/standins/shared/dbfixture.h"

// The demo database of one test, as the servers' configuration.
class TServerDatabase {
public:
    TServerDatabase() {
        SetServerDatabasePath(Path());
        SetServerDataDir(SourceDataDir());
    }
    ~TServerDatabase() {
        SetServerDatabasePath("");
        SetServerDataDir("");
    }
    std::string Path() const { return (FFolder.Path() / "demo.db").string(); }
    const TTempFolder& Folder() const { return FFolder; }
    std::string Fingerprint() const { return TRawDb(Path()).Fingerprint(); }
    std::string Value(const std::string& sql) const { return TRawDb(Path()).Value(sql); }

private:
    TTempFolder FFolder;
};

enum class TReach { InProcess, Tcp };

inline const char* ReachName(const testing::TestParamInfo<TReach>& info) {
    return info.param == TReach::InProcess ? "InProcess" : "Tcp";
}

// Server objects reached one way; each TCP one has its own connection (and so its own server object).
class TServerReach {
public:
    explicit TServerReach(TReach reach) : FReach(reach) {
        if (FReach == TReach::Tcp) {
            FServer = std::make_unique<TSocketDispatchServer>([](const AnsiString& name) {
                if (SameText(name, "RAVEZ01A.Rarer1")) return Variant(new TRarer1);
                if (SameText(name, "F2WindowS.Class1")) return Variant(new TF2WindowS);
                throw EOleError("Invalid class string '" + name + "'");
            });
            FServer->Open(0);
        }
    }
    ~TServerReach() {
        FConnections.clear();
        if (FServer) FServer->Close();
    }

    Variant Create(const AnsiString& name) {
        if (FReach == TReach::InProcess) return CreateOleObject(name);
        auto connection = std::make_unique<TSocketConnection>();
        connection->SetAddress("127.0.0.1");
        connection->SetPort(FServer->Port());
        connection->SetServerName(name);
        connection->Open();
        Variant server = connection->AppServer();
        FConnections.push_back(std::move(connection));
        return server;
    }

    // A connected application server of user DEMO for KVRX58.
    Variant AppServer(const AnsiString& user = "DEMO") {
        Variant server = Create("RAVEZ01A.Rarer1");
        const int answer = VarCall(server, "Connect", {ConnectParams("KVRX58", user)}).AsInteger();
        if (answer != 0) throw std::runtime_error("Connect answered " + std::to_string(answer));
        return server;
    }

    static Variant ConnectParams(const AnsiString& program, const AnsiString& user) {
        return VarArrayOf({Variant(WideString(program.begin(), program.end())),
                           Variant(WideString(user.begin(), user.end())), Variant(u"DEMO"), Variant(u"DEMO"),
                           Variant(u"True"), Variant(u"True")});
    }

    TSocketDispatchServer* Server() { return FServer.get(); }

private:
    TReach FReach;
    std::unique_ptr<TSocketDispatchServer> FServer;
    std::vector<std::unique_ptr<TSocketConnection>> FConnections;
};

// A data packet as read by the tests: field positions by name.
struct TPacketView {
    Variant Packet;
    std::vector<TPacketField> Fields;

    explicit TPacketView(Variant packet) : Packet(std::move(packet)), Fields(ReadPacketFields(Packet)) {}
    int Index(const AnsiString& name, const std::vector<TPacketField>& fields) const {
        for (size_t i = 0; i < fields.size(); ++i)
            if (SameText(fields[i].Name, name)) return static_cast<int>(i);
        throw std::runtime_error("no field " + name);
    }
    int RowCount() const { return VarArrayLength(PacketRows(Packet)); }
    Variant Row(int i) const { return PacketRows(Packet).GetElement({i}); }
    Variant Value(int row, const AnsiString& field) const {
        return Row(row).GetElement({Index(field, Fields)});
    }
    const std::vector<TPacketField>& LineFields() const { return Fields[Index("qryBody", Fields)].Nested; }
    Variant Lines(int row) const { return Value(row, "qryBody"); }
    Variant LineValue(int row, int line, const AnsiString& field) const {
        return Lines(row).GetElement({line}).GetElement({Index(field, LineFields())});
    }
    bool Complete() const { return (PacketFlags(Packet) & pfComplete) != 0; }
};

// Reads a packet of pvdMain (or another provider).
inline TPacketView GetRecords(const Variant& server, const AnsiString& condition, const AnsiString& sort = "",
                              int count = -1, bool reset = true, const AnsiString& provider = "pvdMain") {
    Variant recsOut = 0, ownerData;
    const Variant packet =
        VarCall(server, "AS_GetRecords",
                {provider, count, ByRef(recsOut), reset ? grReset | grMetaData : 0, "", Variant(),
                 VarArrayOf({Variant(condition), Variant(sort)}), ByRef(ownerData)});
    return TPacketView(packet);
}

// Writes a delta by hand: rows of values by field name (missing fields Null), nested line deltas.
class TDeltaWriter {
public:
    explicit TDeltaWriter(std::vector<TPacketField> fields) : FFields(std::move(fields)) {}

    static Variant Values(const std::vector<TPacketField>& fields,
                          const std::map<AnsiString, Variant>& values, const Variant& nested = Variant()) {
        std::vector<Variant> row;
        for (const TPacketField& field : fields) {
            if (field.DataType == ftDataSet) {
                row.push_back(nested);
                continue;
            }
            auto found = values.find(field.Name);
            row.push_back(found == values.end() ? Null() : found->second);
        }
        return VarArrayOf(row);
    }
    // A row of a packet as a name -> value map (nested rows left out).
    static std::map<AnsiString, Variant> Map(const std::vector<TPacketField>& fields, const Variant& row) {
        std::map<AnsiString, Variant> values;
        for (size_t i = 0; i < fields.size(); ++i)
            if (fields[i].DataType != ftDataSet)
                values[fields[i].Name] = row.GetElement({static_cast<int>(i)});
        return values;
    }
    Variant Delta(const std::vector<Variant>& rows) const {
        return MakeDataPacket(FFields, VarArrayOf(rows), pfDelta);
    }

private:
    std::vector<TPacketField> FFields;
};

// Applies a delta to pvdMain; the error packet.
inline Variant ApplyUpdates(const Variant& server, const Variant& delta, int* errorCount = nullptr,
                            const AnsiString& provider = "pvdMain") {
    Variant count = 0, ownerData;
    const Variant errors =
        VarCall(server, "AS_ApplyUpdates", {provider, delta, 0, ByRef(count), ByRef(ownerData)});
    if (errorCount) *errorCount = count.AsInteger();
    return errors;
}
