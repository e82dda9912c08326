#pragma once
// The socket connection to a remote automation server, and the server side that answers it.
//
// TSocketConnection opens a TCP connection to Address:Port, asks the server for the object named
// ServerName and hands it out as AppServer: a proxy whose every late-bound call is marshalled
// (varmarshal.h) to the server, invoked there on the real object, and answered with the result, the
// by-reference arguments as the callee left them, or the callee's exception (raised here as it would
// have been raised in process: EOleError for automation errors, EOleException with the callee's text
// otherwise). Objects the server hands back (a property that is an object) become proxies too; the
// server keeps each until its proxy goes. A local object cannot be passed to the server.
//
//     TSocketConnection connection;
//     connection.SetAddress("127.0.0.1");
//     connection.SetPort(211);
//     connection.SetServerName("RAVEZ01A.Rarer1");
//     connection.SetConnected(true);
//     VarCall(connection.AppServer(), "Connect", {params});
//
// A connection that breaks (the server went away, a frame that cannot be read) raises
// ESocketConnectionError in the call that found it, naming the server, and the connection is closed:
// Connected reads false, and calls on its proxies raise ESocketConnectionError "Not connected" until
// it is opened again (which makes a new AppServer). Changing Address, Port or ServerName closes an open
// connection. Calls through one connection may come from several threads (they go one at a time);
// opening, closing and the setters belong to the thread that owns the connection.
//
// TSocketDispatchServer listens on an address and port, and for each client that connects makes the
// object the client names (by default through CreateOleObject) and serves its calls, one thread per
// connection. A client that disconnects, even in the middle of a call, ends only its own connection;
// a malformed frame is answered with an error (and ends the connection when its length cannot be
// trusted); the server goes on serving the others.
//
// Opening a connection: the server speaks first, with a greeting that carries a fresh random nonce
// (or, when it serves its limit of connections already, an error frame, and closes). The client's
// open frame names the server object and carries its proof: HMAC-SHA256 of the nonce under the
// shared secret, or nothing without one. A server with a secret answers nothing but that error to an
// open without the right proof, and ends the connection; no call reaches an object before. A server
// refuses to listen on an address other than loopback (127.0.0.0/8) without a secret. The client's
// secret: SetSecret, else key ConnectionSecret of section [Server Information] of the client INI file
// (VeltraneC.ini in the client folder that the platform's registry key names).
//
// The user a connection speaks for: the client names it when it opens (SetUser) with the proof of the
// user's own secret (HMAC-SHA256 of the nonce and the name; SetUserSecret, else key USER of section
// [User Secrets] of the client INI file). A server given users' secrets (UserSecrets) opens nothing
// without that proof. A server without them (loopback development) takes the named user on trust, or
// the one its object first claims (ClaimServedUser). Either way the connection speaks for one user from
// then on: a claim of another ends it. Failed proofs are throttled per address: after a few, further
// connections from that address are refused for a while that grows with each failure.
//
// The server's limits (TSocketServerLimits): a connection that has not opened its object (and proved
// itself) within OpenDeadlineMs is ended; an address holds at most MaxPerAddress connections; a connection
// beyond MaxConnections is refused at once; a connection that starts no frame for IdleTimeoutMs, or does not
// finish a frame it started within FrameDeadlineMs, is ended (with an error frame); the bodies of frames
// being received, across all connections, hold at most MaxPendingBytes (the connection whose frame would pass
// it is ended with an error frame); when accepting fails for want of descriptors or memory the server waits,
// up to half a second, before it tries again. While a call runs, ClientGone() tells the code it runs whether
// its client has disconnected, so that long work can stop.
#include <cstddef>
#include <functional>
#include <map>
#include <memory>

#include "classlib/automation/comobj.h"
#include "classlib/objects/component.h"

KVR_DECLARE_EXCEPTION(ESocketConnectionError, EOleError)

class TSocketChannel;

// A connection component that hands out an application server object (a client data set's
// RemoteServer). The base holds an object given in process (SetAppServer); descendants reach a remote one.
class TCustomRemoteServer : public TComponent {
    KVR_CLASS(TCustomRemoteServer, TComponent)
public:
    explicit TCustomRemoteServer(TComponent* owner = nullptr) : TComponent(owner) {}
    // The server object; Unassigned when there is none.
    virtual Variant AppServer() const { return FAppServer; }
    void SetAppServer(const Variant& value) { FAppServer = value; }
    virtual bool Connected() const { return !VarIsEmpty(FAppServer); }
    virtual void SetConnected(bool value);
    // The server object, connecting first when not connected, as a data set asking for rows needs it.
    Variant GetServer();

protected:
    Variant FAppServer;
};

// An object broker that a connection may ask for the server's address. The simple broker of the
// class library offers none of its own: a connection given it keeps its own address.
class TSimpleObjectBroker : public TComponent {
    KVR_CLASS(TSimpleObjectBroker, TComponent)
public:
    explicit TSimpleObjectBroker(TComponent* owner = nullptr) : TComponent(owner) {}
};

// The socket connection to a remote application server (kvrserver). An object given with SetAppServer
// takes the place of the remote one: the framework creates the server in process for 127.0.0.1.
class TSocketConnection : public TCustomRemoteServer {
    KVR_CLASS(TSocketConnection, TCustomRemoteServer)
public:
    explicit TSocketConnection(TComponent* owner = nullptr) : TCustomRemoteServer(owner) {}
    ~TSocketConnection() override;

    // A dotted IPv4 address or a host name.
    const AnsiString& Address() const { return FAddress; }
    void SetAddress(const AnsiString& value);
    int Port() const { return FPort; }
    void SetPort(int value);
    const AnsiString& ServerName() const { return FServerName; }
    void SetServerName(const AnsiString& value);
    // The broker to ask for an address (nil: none); callbacks from the server (never made here).
    TSimpleObjectBroker* ObjectBroker() const { return FObjectBroker; }
    void SetObjectBroker(TSimpleObjectBroker* value);
    bool SupportCallbacks() const { return FSupportCallbacks; }
    void SetSupportCallbacks(bool value) { FSupportCallbacks = value; }
    void Notification(TComponent* component, TOperation operation) override;
    // The shared secret that proves the connection may speak to the server; empty: the client
    // configuration's (ConfiguredConnectionSecret), if any.
    const AnsiString& Secret() const { return FSecret; }
    void SetSecret(const AnsiString& value);
    // The user the connection speaks for, and that user's secret (empty: ConfiguredUserSecret).
    const AnsiString& User() const { return FUser; }
    void SetUser(const AnsiString& value);
    void SetUserSecret(const AnsiString& value);

    bool Connected() const override;
    void SetConnected(bool value) override;
    // Open raises ESocketConnectionError when the server cannot be reached, and the server's own
    // error when it cannot make the object; either way the connection stays closed.
    void Open();
    void Close();

    // The server object while connected, Unassigned otherwise.
    Variant AppServer() const override;

private:
    void CheckClosed(const char* property) const;

    AnsiString FAddress;
    int FPort = 211;
    AnsiString FServerName;
    TSimpleObjectBroker* FObjectBroker = nullptr;
    bool FSupportCallbacks = true;
    AnsiString FSecret;
    AnsiString FUser;
    AnsiString FUserSecret;
    std::shared_ptr<TSocketChannel> FChannel;
    Variant FRemoteServer;
};

// The connection secret of the client configuration: key ConnectionSecret of section
// [Server Information] of VeltraneC.ini, in the user's profile folder or the client folder that the
// platform's registry key names; '' when there is none.
AnsiString ConfiguredConnectionSecret();
// A user's secret in the same file: key USER of section [User Secrets]; '' when there is none.
AnsiString ConfiguredUserSecret(const AnsiString& user);
// The first server of the same file: key ComputerName (address) and ServerPort (port, left as it is
// when the file has none) of [Server Information]; False when there is no address.
bool ConfiguredServer(AnsiString& address, int& port);

// The limits of a TSocketDispatchServer; 0 means no limit for the counts and times.
struct TSocketServerLimits {
    int MaxConnections = 256;
    int MaxPerAddress = 64;
    int OpenDeadlineMs = 10 * 1000;
    int IdleTimeoutMs = 3600 * 1000;
    int FrameDeadlineMs = 60 * 1000;
    std::size_t MaxPendingBytes = std::size_t{256} << 20;
    AnsiString Secret; // required of every client when not empty
    // user -> that user's secret; when not empty every client proves the user it speaks for
    std::map<AnsiString, AnsiString> UserSecrets;
};

// While this thread serves a socket call: whether the calling client has disconnected (looked at
// no more often than every few milliseconds). False outside a served call.
bool ClientGone();
// Whether this thread serves a socket call; then ServedUser() is the user its connection speaks for
// ('' while it names none).
bool InServedCall();
AnsiString ServedUser();
// True when the served connection speaks for that user, which it then does from now on if it named
// none yet; False when it speaks for another user: the connection ends after this call's answer.
// Outside a served call: True.
bool ClaimServedUser(const AnsiString& user);

class TSocketDispatchServer {
public:
    // Makes the object a client asks for by name; it raises to refuse (the client gets the error).
    using TServerFactory = std::function<Variant(const AnsiString& serverName)>;

    // An empty factory makes objects through CreateOleObject.
    explicit TSocketDispatchServer(TServerFactory factory = {}, TSocketServerLimits limits = {});
    ~TSocketDispatchServer(); // closes
    TSocketDispatchServer(const TSocketDispatchServer&) = delete;
    TSocketDispatchServer& operator=(const TSocketDispatchServer&) = delete;

    // Starts listening; port 0 takes a free one (Port() tells which). ESocketConnectionError when the
    // address cannot be used, or is not loopback and the limits hold no secret.
    void Open(int port, const AnsiString& address = "127.0.0.1");
    // Stops listening, ends every connection and waits for their threads.
    void Close();
    // Ends the connections of the moment and keeps listening.
    void DropConnections();

    bool Active() const;
    int Port() const;
    int ConnectionCount() const;
    const TSocketServerLimits& Limits() const;
    // Bytes held now by the bodies of frames being received.
    std::size_t PendingBytes() const;

private:
    struct TState;
    std::unique_ptr<TState> FState;
};
