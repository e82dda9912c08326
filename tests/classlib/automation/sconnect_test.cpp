#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/sconnect.h"
#include "classlib/automation/varmarshal.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/registry.h"

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

std::atomic<int> gLiveChildren{0};
TSocketDispatchServer* gServer = nullptr; // for the member that drops the connections

class TChild : public TAutoObject {
public:
    explicit TChild(int id) : FId(id) { ++gLiveChildren; }
    ~TChild() override { --gLiveChildren; }
    int Id() const { return FId; }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{AutoProperty("Id", &TChild::Id)};
        return members;
    }

private:
    int FId;
};

// A small application server: the shapes of its calls are those the system makes.
class TServerObject : public TAutoObject {
public:
    int Connect(const Variant& params) { return VarArrayHighBound(params, 1) == 5 ? 0 : 1; }
    Variant WhatIs(const AnsiString& name) {
        if (name == "TODAY") return "20240611";
        if (name == "SQLTYPE") return 1;
        throw EConvertError("未知的名称 " + name);
    }
    bool CheckValue(const AnsiString& table, const AnsiString& checkNo, const AnsiString& database,
                    const Variant& keys, Variant& row) {
        if (table != "TAZMQ" || VarToStr(keys[0]) != "01") return false;
        row = VarArrayOf({"进口信用证", checkNo, 1, database});
        return true;
    }
    Variant GetSysInfo(const AnsiString& company) {
        Variant info = VarArrayCreate({0, 1, 1, 3}, varVariant);
        for (int i = 1; i <= 3; ++i) {
            info.PutElement({0, i}, "NAME" + std::to_string(i));
            info.PutElement({1, i}, company + std::to_string(i * 10));
        }
        return info;
    }
    Variant Echo(const Variant& value) { return value; }
    Variant Child(int id) { return Variant(new TChild(id)); }
    int IdOf(const Variant& child) { return VarGet(child, "Id").AsInteger(); }
    int Drop() {
        gServer->DropConnections();
        return 0;
    }
    int TopRow() const { return FTopRow; }
    void SetTopRow(int value) { FTopRow = value; }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoMethod("Connect", &TServerObject::Connect),
            AutoMethod("WhatIs", &TServerObject::WhatIs),
            AutoMethod("CheckValue", &TServerObject::CheckValue),
            AutoMethod("GetSysInfo", &TServerObject::GetSysInfo),
            AutoMethod("Echo", &TServerObject::Echo),
            AutoMethod("Child", &TServerObject::Child),
            AutoMethod("IdOf", &TServerObject::IdOf),
            AutoMethod("Drop", &TServerObject::Drop),
            AutoProperty("TopRow", &TServerObject::TopRow, &TServerObject::SetTopRow),
        };
        return members;
    }

private:
    int FTopRow = -1;
};

Variant MakeServer(const AnsiString& name) {
    if (name != "KvrTest.AppServer") throw EOleError("Invalid class string '" + name + "'");
    return Variant(new TServerObject);
}

AnsiString Outcome(const std::function<Variant()>& call) {
    try {
        const Variant v = call();
        return "= " + MarshalVariant(v);
    } catch (const EOleException& e) {
        return AnsiString(e.ClassName()) + "(" + e.ErrorClass() + "): " + e.Message();
    } catch (const Exception& e) {
        return AnsiString(e.ClassName()) + ": " + e.Message();
    }
}

// A socket of our own, for what no well-behaved client would send. It reads the server's greeting
// (Greeting) unless told not to.
class TRawClient {
public:
    explicit TRawClient(int port, bool greeted = true) {
        FSocket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(FSocket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const int on = 1;
        ::setsockopt(FSocket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (greeted) {
            Greeting = Read();
            EXPECT_EQ(Greeting.Kind, fkHello);
        }
    }
    ~TRawClient() { Close(); }
    TMarshalFrame Greeting;
    void Send(const std::string& bytes) {
        ASSERT_EQ(::send(FSocket, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // The next frame, or kind 0 when the server closed the connection.
    TMarshalFrame Read() {
        char header[4];
        if (!ReadAll(header, 4))
            return TMarshalFrame{static_cast<TFrameKind>(0), 0, 0, "", "", Variant(), {}, "", ""};
        std::string body(DecodeFrameLength(header), '\0');
        if (!ReadAll(body.data(), body.size()))
            return TMarshalFrame{static_cast<TFrameKind>(0), 0, 0, "", "", Variant(), {}, "", ""};
        return DecodeFrame(body, &FHandles);
    }
    void Close() {
        if (FSocket >= 0) ::close(FSocket);
        FSocket = -1;
    }

private:
    bool ReadAll(char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = ::recv(FSocket, data, size, 0);
            if (n <= 0) return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }
    // Objects come back as bare handles.
    class THandles : public IDispatchHandles {
    public:
        Cardinal HandleOf(IDispatch*) override { return 0; }
        Variant ObjectOf(Cardinal handle) override { return static_cast<int>(handle); }
    } FHandles;
    int FSocket;
};

std::string OpenFrame(const AnsiString& name) {
    return EncodeFrame(TMarshalFrame{fkOpen, 0, MarshalProtocolVersion, name, "", Variant(), {}, "", ""});
}

std::string CallFrame(Cardinal handle, const AnsiString& name, std::vector<TMarshalArg> args = {}) {
    return EncodeFrame(TMarshalFrame{fkCall, handle, DISPATCH_METHOD | DISPATCH_PROPERTYGET, name, "",
                                     Variant(), std::move(args), "", ""});
}

class SocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        FServer.Open(0);
        gServer = &FServer;
        FConnection.SetAddress("127.0.0.1");
        FConnection.SetPort(FServer.Port());
        FConnection.SetServerName("KvrTest.AppServer");
    }
    void TearDown() override {
        FConnection.Close();
        FServer.Close();
        gServer = nullptr;
        EXPECT_EQ(gLiveChildren, 0);
    }

    TSocketDispatchServer FServer{MakeServer};
    TSocketConnection FConnection;
};

} // namespace

TEST_F(SocketTest, CallsOverLoopbackAnswerAsInProcess) {
    EXPECT_FALSE(FConnection.Connected());
    EXPECT_TRUE(VarIsEmpty(FConnection.AppServer()));
    FConnection.SetConnected(true);
    ASSERT_TRUE(FConnection.Connected());
    const Variant remote = FConnection.AppServer();
    const Variant local = MakeServer("KvrTest.AppServer");

    struct Case {
        const char* what;
        std::function<Variant(const Variant&)> call;
    };
    const Case cases[] = {
        {"method with an array",
         [](const Variant& s) {
             return VarCall(s, "Connect", {VarArrayOf({"KVRX58", "u", "c", "db", 1, 0})});
         }},
        {"text answers", [](const Variant& s) { return VarCall(s, "WhatIs", {"TODAY"}); }},
        {"by reference, found",
         [](const Variant& s) {
             Variant row = "untouched";
             const Variant found =
                 VarCall(s, "CheckValue", {"TAZMQ", "01", "DB1", VarArrayOf({"01"}), ByRef(row)});
             return VarArrayOf({found, row});
         }},
        {"by reference, not found",
         [](const Variant& s) {
             Variant row = "untouched";
             const Variant found =
                 VarCall(s, "CheckValue", {"TAZMQ", "01", "DB1", VarArrayOf({"02"}), ByRef(row)});
             return VarArrayOf({found, row});
         }},
        {"two-dimensional answer", [](const Variant& s) { return VarCall(s, "GetSysInfo", {"C01"}); }},
        {"values of every kind",
         [](const Variant& s) {
             return VarCall(
                 s, "Echo",
                 {VarArrayOf({Null(), VarFromCurrency(12.34), VarFromDateTime(45000.5), Variant(u"宽"),
                              Variant(static_cast<long long>(1) << 40), VarFromError(7)})});
         }},
        {"property write and read",
         [](const Variant& s) {
             VarSet(s, "TopRow", 20);
             return VarGet(s, "toprow");
         }},
        {"the callee raises", [](const Variant& s) { return VarCall(s, "WhatIs", {"NONE"}); }},
        {"unknown member", [](const Variant& s) { return VarCall(s, "NoSuch", {1}); }},
        {"wrong number of arguments", [](const Variant& s) { return VarCall(s, "WhatIs"); }},
        {"argument that does not convert", [](const Variant& s) { return VarCall(s, "Child", {"abc"}); }},
    };
    for (const Case& c : cases) {
        const AnsiString inProcess = Outcome([&] { return c.call(local); });
        EXPECT_EQ(Outcome([&] { return c.call(remote); }), inProcess) << c.what;
    }
    EXPECT_EQ(Outcome([&] { return VarCall(remote, "WhatIs", {"NONE"}); }),
              "EOleException(EConvertError): 未知的名称 NONE");
}

TEST_F(SocketTest, ObjectsTheServerHandsOut) {
    FConnection.Open();
    const Variant server = FConnection.AppServer();
    {
        Variant child = VarCall(server, "Child", {7});
        EXPECT_EQ(VarGet(child, "Id").AsInteger(), 7);
        // Handed back, the server sees its own object.
        EXPECT_EQ(VarCall(server, "IdOf", {child}).AsInteger(), 7);
        EXPECT_EQ(gLiveChildren, 1);
        // An object of this process cannot go to the server.
        Variant local(new TChild(1));
        EXPECT_EQ(Outcome([&] { return VarCall(server, "IdOf", {local}); }),
                  "EMarshalError: A local automation object cannot be passed to the server");
    }
    // The proxy is gone; the server lets go of the object with the next frame it reads.
    VarCall(server, "WhatIs", {"TODAY"});
    EXPECT_EQ(gLiveChildren, 0);

    // Objects still held when the connection closes go with it.
    Variant kept = VarCall(server, "Child", {8});
    FConnection.Close();
    FServer.Close();
    EXPECT_EQ(gLiveChildren, 0);
    EXPECT_THAT(Outcome([&] { return VarGet(kept, "Id"); }),
                StartsWith("ESocketConnectionError: Not connected to server 127.0.0.1:"));
}

TEST_F(SocketTest, OpeningFailures) {
    FConnection.SetServerName("No.Such");
    EXPECT_EQ(Outcome([&] {
                  FConnection.Open();
                  return Variant();
              }),
              "EOleError: Invalid class string 'No.Such'");
    EXPECT_FALSE(FConnection.Connected());

    FConnection.SetServerName("KvrTest.AppServer");
    const int port = FServer.Port();
    FServer.Close();
    EXPECT_EQ(Outcome([&] {
                  FConnection.Open();
                  return Variant();
              }),
              "ESocketConnectionError: Cannot connect to server 127.0.0.1:" + std::to_string(port) +
                  ": Connection refused");
    FConnection.SetAddress("");
    EXPECT_EQ(Outcome([&] {
                  FConnection.Open();
                  return Variant();
              }),
              "ESocketConnectionError: No address given for the server");
    EXPECT_FALSE(FConnection.Connected());
}

TEST_F(SocketTest, ChangingTheServerCloses) {
    FConnection.Open();
    FConnection.SetServerName("KvrTest.AppServer"); // the same: nothing happens
    EXPECT_TRUE(FConnection.Connected());
    FConnection.SetPort(FConnection.Port() + 1);
    EXPECT_FALSE(FConnection.Connected());
}

TEST_F(SocketTest, ABrokenConnectionRaisesInTheCaller) {
    FConnection.Open();
    Variant server = FConnection.AppServer();
    // The server's side goes away while the call waits for its answer.
    EXPECT_THAT(Outcome([&] { return VarCall(server, "Drop"); }),
                StartsWith("ESocketConnectionError: Connection to server 127.0.0.1:" +
                           std::to_string(FServer.Port()) + " lost: "));
    EXPECT_FALSE(FConnection.Connected());
    EXPECT_TRUE(VarIsEmpty(FConnection.AppServer()));
    EXPECT_THAT(Outcome([&] { return VarCall(server, "WhatIs", {"TODAY"}); }),
                StartsWith("ESocketConnectionError: Not connected to server"));

    // The server lives on: opening again gives a new server object.
    FConnection.Open();
    EXPECT_EQ(VarCall(FConnection.AppServer(), "WhatIs", {"TODAY"}).AsString(), "20240611");
    // And a server that closes altogether breaks the calls of the moment.
    server = FConnection.AppServer();
    FServer.Close();
    EXPECT_THAT(Outcome([&] { return VarCall(server, "WhatIs", {"TODAY"}); }),
                StartsWith("ESocketConnectionError: Connection to server"));
}

TEST_F(SocketTest, APeerThatVanishesMidCall) {
    // A server of our own that reads the call and closes without answering.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    socklen_t size = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    std::thread peer([listener] {
        const int socket = ::accept(listener, nullptr, nullptr);
        const std::string hello = EncodeFrame(
            TMarshalFrame{fkHello, 0, MarshalProtocolVersion, "", "nonce", Variant(), {}, "", ""});
        ::send(socket, hello.data(), hello.size(), MSG_NOSIGNAL);
        char buffer[4096];
        ::recv(socket, buffer, sizeof buffer, 0); // the open frame
        // A result that names object 1, written by hand: type varDispatch, handle 1, no by-ref arguments.
        std::string body = "\x03" + std::string("\x09\x00\x01\x00\x00\x00\x00", 7);
        std::string frame = std::string{static_cast<char>(body.size()), 0, 0, 0} + body;
        ::send(socket, frame.data(), frame.size(), MSG_NOSIGNAL);
        ::recv(socket, buffer, sizeof buffer, 0); // the call
        ::close(socket);
    });
    FConnection.SetPort(ntohs(address.sin_port));
    FConnection.Open();
    EXPECT_THAT(Outcome([&] { return VarCall(FConnection.AppServer(), "WhatIs", {"TODAY"}); }),
                HasSubstr("lost: the connection was closed"));
    EXPECT_FALSE(FConnection.Connected());
    peer.join();
    ::close(listener);
}

TEST_F(SocketTest, TheServerSurvivesBadClients) {
    {
        // A length past the limit: answered with the error, then the connection ends.
        TRawClient client(FServer.Port());
        client.Send("\xFF\xFF\xFF\x7F");
        const TMarshalFrame reply = client.Read();
        EXPECT_EQ(reply.Kind, fkError);
        EXPECT_EQ(reply.Name, "EMarshalError");
        EXPECT_THAT(reply.Message, StartsWith("Frame too large"));
        EXPECT_EQ(client.Read().Kind, 0);
    }
    {
        // A bad body within a sound length: answered, and the connection goes on.
        TRawClient client(FServer.Port());
        client.Send(std::string("\x02\x00\x00\x00\x02\x00", 6));
        TMarshalFrame reply = client.Read();
        EXPECT_EQ(reply.Kind, fkError);
        EXPECT_EQ(reply.Message, "Malformed frame: truncated");
        client.Send(CallFrame(1, "WhatIs", {{"TODAY", false, 0}})); // before the open
        reply = client.Read();
        EXPECT_EQ(reply.Kind, fkError);
        EXPECT_EQ(reply.Message, "Unknown object handle 1");
        client.Send(
            EncodeFrame(TMarshalFrame{fkOpen, 0, 99, "KvrTest.AppServer", "", Variant(), {}, "", ""}));
        EXPECT_EQ(client.Read().Message, "Unsupported protocol version 99");
        client.Send(OpenFrame("KvrTest.AppServer"));
        reply = client.Read();
        ASSERT_EQ(reply.Kind, fkResult);
        const Cardinal root = static_cast<Cardinal>(reply.Result.AsInteger());
        client.Send(OpenFrame("KvrTest.AppServer"));
        EXPECT_EQ(client.Read().Message, "The server object is already open");
        // A release of a handle never given, and a malformed release, are not answered.
        client.Send(EncodeFrame(TMarshalFrame{fkRelease, 999, 0, "", "", Variant(), {}, "", ""}));
        client.Send(std::string("\x02\x00\x00\x00\x05\x01", 6));
        client.Send(CallFrame(root, "WhatIs", {{"TODAY", false, 0}}));
        reply = client.Read();
        ASSERT_EQ(reply.Kind, fkResult);
        EXPECT_EQ(reply.Result.AsString(), "20240611");
    }
    {
        // Half a frame, then gone.
        TRawClient client(FServer.Port());
        client.Send(OpenFrame("KvrTest.AppServer").substr(0, 9));
    }
    {
        // A call whose caller is gone before the answer.
        TRawClient client(FServer.Port());
        client.Send(OpenFrame("KvrTest.AppServer"));
        const TMarshalFrame reply = client.Read();
        client.Send(
            CallFrame(static_cast<Cardinal>(reply.Result.AsInteger()), "GetSysInfo", {{"C", false, 0}}));
    }
    // Through all of it the server kept serving.
    FConnection.Open();
    EXPECT_EQ(VarCall(FConnection.AppServer(), "WhatIs", {"TODAY"}).AsString(), "20240611");
}

TEST_F(SocketTest, ManyCallersAtOnce) {
    FConnection.Open();
    const Variant shared = FConnection.AppServer();
    std::vector<std::thread> threads;
    std::vector<int> wrong(6, 0);
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&, t] {
            // Half the threads share one connection, the others have one each.
            TSocketConnection own;
            own.SetAddress("127.0.0.1");
            own.SetPort(FServer.Port());
            own.SetServerName("KvrTest.AppServer");
            Variant server = shared;
            if (t % 2) {
                own.Open();
                server = own.AppServer();
            }
            for (int i = 0; i < 100; ++i) {
                const AnsiString text = std::to_string(t) + "-" + std::to_string(i);
                if (VarCall(server, "Echo", {text}).AsString() != text) ++wrong[t];
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, std::vector<int>(6, 0));
}

TEST(SocketSecret, TheClientProvesTheSecretOfItsConfiguration) {
    TSocketServerLimits limits;
    limits.Secret = "s3cr3t";
    TSocketDispatchServer server(MakeServer, limits);
    // Off loopback only with a secret.
    EXPECT_THROW(TSocketDispatchServer(MakeServer).Open(0, "0.0.0.0"), ESocketConnectionError);
    server.Open(0);
    auto outcome = [&](const AnsiString& secret) {
        TSocketConnection connection;
        connection.SetAddress("127.0.0.1");
        connection.SetPort(server.Port());
        connection.SetServerName("KvrTest.AppServer");
        connection.SetSecret(secret);
        return Outcome([&] {
            connection.Open();
            return VarCall(connection.AppServer(), "WhatIs", {"TODAY"});
        });
    };
    EXPECT_THAT(outcome(""), HasSubstr("requires a connection secret"));
    EXPECT_THAT(outcome("s3cr3"), HasSubstr("missing or wrong"));
    EXPECT_EQ(outcome("s3cr3t"), "= " + MarshalVariant(Variant("20240611")));

    // The client INI that the platform's key names holds it too.
    const std::string folder = testing::TempDir() + "/kvr-secret-" + std::to_string(::getpid());
    ForceDirectories(folder);
    const std::string saved = RegistryFileName();
    SetRegistryFileName(folder + "/registry.ini");
    {
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(registry.OpenKey("Software\\QVN\\Veltrane", true));
        registry.WriteString("ClientPath", IncludeTrailingBackslash(SystemPath(folder)));
    }
    EXPECT_EQ(ConfiguredConnectionSecret(), "");
    std::ofstream(folder + "/VeltraneC.ini") << "[Server Information]\r\nConnectionSecret = s3cr3t \r\n";
    EXPECT_EQ(ConfiguredConnectionSecret(), "s3cr3t");
    EXPECT_EQ(outcome(""), "= " + MarshalVariant(Variant("20240611")));
    SetRegistryFileName(saved);
    std::filesystem::remove_all(folder);
}

TEST(SocketLimits, AFrameOfManyPartsAndFramesThatCameTogetherAreReadAlike) {
    TSocketDispatchServer server(MakeServer);
    server.Open(0);
    TRawClient client(server.Port());
    client.Send(OpenFrame("KvrTest.AppServer"));
    const Cardinal root = static_cast<Cardinal>(client.Read().Result.AsInteger());
    // Two calls in one write, then one call a byte at a time, then one larger than the reader's buffer.
    client.Send(CallFrame(root, "Echo", {{"a", false, 0}}) + CallFrame(root, "Echo", {{"b", false, 0}}));
    EXPECT_EQ(client.Read().Result.AsString(), "a");
    EXPECT_EQ(client.Read().Result.AsString(), "b");
    for (char c : CallFrame(root, "Echo", {{"c", false, 0}}))
        client.Send(std::string(1, c));
    EXPECT_EQ(client.Read().Result.AsString(), "c");
    const AnsiString large(300000, 'x');
    client.Send(CallFrame(root, "Echo", {{large, false, 0}}));
    EXPECT_EQ(client.Read().Result.AsString(), large);
    EXPECT_EQ(server.PendingBytes(), 0u);
}
