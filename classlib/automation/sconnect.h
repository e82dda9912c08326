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
#include <functional>
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
    std::shared_ptr<TSocketChannel> FChannel;
    Variant FRemoteServer;
};

class TSocketDispatchServer {
public:
    // Makes the object a client asks for by name; it raises to refuse (the client gets the error).
    using TServerFactory = std::function<Variant(const AnsiString& serverName)>;

    // An empty factory makes objects through CreateOleObject.
    explicit TSocketDispatchServer(TServerFactory factory = {});
    ~TSocketDispatchServer(); // closes
    TSocketDispatchServer(const TSocketDispatchServer&) = delete;
    TSocketDispatchServer& operator=(const TSocketDispatchServer&) = delete;

    // Starts listening; port 0 takes a free one (Port() tells which). ESocketConnectionError when the
    // address cannot be used.
    void Open(int port, const AnsiString& address = "127.0.0.1");
    // Stops listening, ends every connection and waits for their threads.
    void Close();
    // Ends the connections of the moment and keeps listening.
    void DropConnections();

    bool Active() const;
    int Port() const;
    int ConnectionCount() const;

private:
    struct TState;
    std::unique_ptr<TState> FState;
};
