#include "classlib/automation/sconnect.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <list>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "classlib/automation/varmarshal.h"

namespace {

AnsiString SystemError(int code) {
    return std::error_code(code, std::system_category()).message();
}

bool SendAll(int fd, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// False when the peer closed or the socket failed, with the reason.
bool RecvAll(int fd, char* data, std::size_t size, AnsiString& reason) {
    while (size > 0) {
        const ssize_t n = ::recv(fd, data, size, 0);
        if (n == 0) {
            reason = "the connection was closed";
            return false;
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            reason = SystemError(errno);
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// One frame's body. The buffer grows with the bytes that really arrive, so a length that lies costs
// nothing; a length above the limit raises EMarshalError.
bool ReadFrameBody(int fd, std::string& body, AnsiString& reason) {
    char header[4];
    if (!RecvAll(fd, header, sizeof header, reason)) return false;
    const std::size_t length = DecodeFrameLength(header);
    body.clear();
    while (body.size() < length) {
        const std::size_t chunk = std::min(length - body.size(), std::size_t{1} << 20);
        const std::size_t old = body.size();
        body.resize(old + chunk);
        if (!RecvAll(fd, body.data() + old, chunk, reason)) return false;
    }
    return true;
}

void NoDelay(int fd) {
    // Calls are small request and answer pairs; waiting to fill a packet only adds latency.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

AnsiString ErrorClassOf(const Exception& e) {
    if (const auto* ole = dynamic_cast<const EOleException*>(&e)) return ole->ErrorClass();
    return e.ClassName();
}

TMarshalFrame ErrorFrame(const AnsiString& className, const AnsiString& message) {
    TMarshalFrame frame;
    frame.Kind = fkError;
    frame.Name = className;
    frame.Message = message;
    return frame;
}

TMarshalFrame ErrorFrame(const Exception& e) {
    return ErrorFrame(ErrorClassOf(e), e.Message());
}

// The server's failure raised here as the same call in process would have raised it.
[[noreturn]] void RaiseRemote(const AnsiString& className, const AnsiString& message) {
    if (className == "EOleError") throw EOleError(message);
    if (className == "EMarshalError") throw EMarshalError(message);
    if (className == "ESocketConnectionError") throw ESocketConnectionError(message);
    throw EOleException(message, className);
}

// An IPv4 address of the text: dotted, or a name the resolver knows.
bool ResolveAddress(const AnsiString& address, int port, sockaddr_in& out, AnsiString& error) {
    out = sockaddr_in{};
    out.sin_family = AF_INET;
    out.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &out.sin_addr) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(address.c_str(), nullptr, &hints, &found);
    if (rc != 0 || !found) {
        error = rc != 0 ? AnsiString(::gai_strerror(rc)) : AnsiString("no address");
        return false;
    }
    out.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

} // namespace

// ---- client ----

class TRemoteDispatch;

// One TCP connection to a server, shared by the proxies of the objects it serves: a proxy that
// outlives its connection answers "Not connected" instead of reaching a closed socket.
class TSocketChannel : public IDispatchHandles, public std::enable_shared_from_this<TSocketChannel> {
public:
    TSocketChannel(int socket, AnsiString peer) : FSocket(socket), FPeer(std::move(peer)) {}
    virtual ~TSocketChannel() { CloseSocket(); }

    Variant OpenServer(const AnsiString& serverName);
    Variant Call(Cardinal handle, const AnsiString& name, Word flags, TDispArgs args);
    // A proxy that goes tells the server with the next frame that is sent anyway; sending from a
    // destructor could block, or run inside a call that holds the connection.
    void ReleaseLater(Cardinal handle) {
        std::lock_guard<std::mutex> lock(FStateLock);
        if (FSocket >= 0) FPendingReleases.push_back(handle);
    }
    void Close() {
        {
            // Wakes a call that waits for its answer in another thread.
            std::lock_guard<std::mutex> lock(FStateLock);
            if (FSocket >= 0) ::shutdown(FSocket, SHUT_RDWR);
        }
        std::lock_guard<std::mutex> call(FCallLock);
        CloseSocket();
    }
    bool Connected() const {
        std::lock_guard<std::mutex> lock(FStateLock);
        return FSocket >= 0;
    }

    Cardinal HandleOf(IDispatch* object) override;
    Variant ObjectOf(Cardinal handle) override;

private:
    TMarshalFrame Exchange(const TMarshalFrame& request);
    [[noreturn]] void Break(const AnsiString& reason) {
        CloseSocket();
        throw ESocketConnectionError("Connection to server " + FPeer + " lost: " + reason);
    }
    void CloseSocket() {
        std::lock_guard<std::mutex> lock(FStateLock);
        if (FSocket >= 0) ::close(FSocket);
        FSocket = -1;
        FPendingReleases.clear();
    }

    std::mutex FCallLock; // one call at a time; taken before FStateLock
    mutable std::mutex FStateLock;
    int FSocket;
    AnsiString FPeer;
    std::vector<Cardinal> FPendingReleases;
};

class TRemoteDispatch : public IDispatch {
public:
    TRemoteDispatch(std::shared_ptr<TSocketChannel> channel, Cardinal handle)
        : FChannel(std::move(channel)), FHandle(handle) {}
    ~TRemoteDispatch() override { FChannel->ReleaseLater(FHandle); }

    void AddRef() override { FRefCount.fetch_add(1, std::memory_order_relaxed); }
    void Release() override {
        if (FRefCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    Variant Invoke(const AnsiString& name, Word flags, TDispArgs args) override {
        return FChannel->Call(FHandle, name, flags, args);
    }

    const TSocketChannel* Channel() const { return FChannel.get(); }
    Cardinal Handle() const { return FHandle; }

private:
    std::shared_ptr<TSocketChannel> FChannel;
    Cardinal FHandle;
    std::atomic<int> FRefCount{0};
};

Cardinal TSocketChannel::HandleOf(IDispatch* object) {
    const auto* proxy = dynamic_cast<const TRemoteDispatch*>(object);
    if (proxy && proxy->Channel() == this) return proxy->Handle();
    throw EMarshalError("A local automation object cannot be passed to the server");
}

Variant TSocketChannel::ObjectOf(Cardinal handle) {
    return Variant(new TRemoteDispatch(shared_from_this(), handle));
}

TMarshalFrame TSocketChannel::Exchange(const TMarshalFrame& request) {
    std::lock_guard<std::mutex> call(FCallLock);
    int socket;
    std::vector<Cardinal> releases;
    {
        std::lock_guard<std::mutex> lock(FStateLock);
        socket = FSocket;
        releases.swap(FPendingReleases);
    }
    if (socket < 0) throw ESocketConnectionError("Not connected to server " + FPeer);
    std::string out;
    try {
        for (Cardinal handle : releases)
            out += EncodeFrame(TMarshalFrame{fkRelease, handle, 0, "", "", Variant(), {}});
        out += EncodeFrame(request, this);
    } catch (...) {
        // Nothing went out: the releases wait for the next frame.
        std::lock_guard<std::mutex> lock(FStateLock);
        if (FSocket >= 0) FPendingReleases.insert(FPendingReleases.end(), releases.begin(), releases.end());
        throw;
    }
    if (!SendAll(socket, out)) Break(SystemError(errno));
    std::string body;
    AnsiString reason;
    bool read = false;
    try {
        read = ReadFrameBody(socket, body, reason);
    } catch (const EMarshalError& e) {
        Break(e.Message()); // past a length that cannot be trusted nothing can be read any more
    }
    if (!read) Break(reason);
    // A body that does not decode was still read whole, so the connection stays usable.
    TMarshalFrame reply = DecodeFrame(body, this);
    if (reply.Kind != fkResult && reply.Kind != fkError) Break("unexpected answer");
    return reply;
}

Variant TSocketChannel::OpenServer(const AnsiString& serverName) {
    TMarshalFrame request;
    request.Kind = fkOpen;
    request.Flags = MarshalProtocolVersion;
    request.Name = serverName;
    TMarshalFrame reply = Exchange(request);
    if (reply.Kind == fkError) RaiseRemote(reply.Name, reply.Message);
    if (reply.Result.VType() != varDispatch || !reply.Result.AsDispatch())
        Break("the server answered no object for '" + serverName + "'");
    return reply.Result;
}

Variant TSocketChannel::Call(Cardinal handle, const AnsiString& name, Word flags, TDispArgs args) {
    TMarshalFrame request;
    request.Kind = fkCall;
    request.Handle = handle;
    request.Flags = flags;
    request.Name = name;
    request.Args.reserve(args.size());
    for (const TDispArg& arg : args)
        request.Args.push_back(TMarshalArg{*arg.Value, arg.ByRef, 0});
    TMarshalFrame reply = Exchange(request);
    if (reply.Kind == fkError) RaiseRemote(reply.Name, reply.Message);
    for (TMarshalArg& changed : reply.Args)
        if (changed.Index < args.size() && args[changed.Index].ByRef)
            *args[changed.Index].Value = std::move(changed.Value);
    return std::move(reply.Result);
}

TSocketConnection::~TSocketConnection() {
    Close();
}

void TSocketConnection::SetAddress(const AnsiString& value) {
    if (value == FAddress) return;
    Close();
    FAddress = value;
}

void TSocketConnection::SetPort(int value) {
    if (value == FPort) return;
    Close();
    FPort = value;
}

void TSocketConnection::SetServerName(const AnsiString& value) {
    if (value == FServerName) return;
    Close();
    FServerName = value;
}

bool TSocketConnection::Connected() const {
    return !VarIsEmpty(FAppServer) || (FChannel && FChannel->Connected());
}

void TSocketConnection::SetConnected(bool value) {
    if (value)
        Open();
    else
        Close();
}

void TSocketConnection::Open() {
    if (Connected()) return;
    Close();
    if (FAddress.empty()) throw ESocketConnectionError("No address given for the server");
    const AnsiString peer = FAddress + ":" + std::to_string(FPort);
    if (FPort <= 0 || FPort > 65535) throw ESocketConnectionError("Invalid port for server " + peer);
    sockaddr_in address;
    AnsiString error;
    if (!ResolveAddress(FAddress, FPort, address, error))
        throw ESocketConnectionError("Cannot connect to server " + peer + ": " + error);
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        throw ESocketConnectionError("Cannot connect to server " + peer + ": " + SystemError(errno));
    int rc;
    do {
        rc = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        const int code = errno;
        ::close(socket);
        throw ESocketConnectionError("Cannot connect to server " + peer + ": " + SystemError(code));
    }
    NoDelay(socket);
    auto channel = std::make_shared<TSocketChannel>(socket, peer);
    try {
        FRemoteServer = channel->OpenServer(FServerName);
    } catch (...) {
        channel->Close();
        throw;
    }
    FChannel = std::move(channel);
}

void TSocketConnection::Close() {
    FAppServer.Clear();
    FRemoteServer.Clear();
    if (FChannel) {
        FChannel->Close();
        FChannel.reset();
    }
}

Variant TSocketConnection::AppServer() const {
    if (!VarIsEmpty(FAppServer)) return FAppServer;
    return Connected() ? FRemoteServer : Variant();
}

void TCustomRemoteServer::SetConnected(bool value) {
    if (!value) FAppServer.Clear();
}

Variant TCustomRemoteServer::GetServer() {
    if (!Connected()) SetConnected(true);
    return AppServer();
}

KVR_PUBLISHED(TCustomRemoteServer, c) {
    c.Property("Connected", &TCustomRemoteServer::Connected, &TCustomRemoteServer::SetConnected)
        .Stored(false);
}

KVR_PUBLISHED(TSimpleObjectBroker, c) {}

KVR_PUBLISHED(TSocketConnection, c) {
    c.Property("Address", &TSocketConnection::Address, &TSocketConnection::SetAddress);
    c.Property("Port", &TSocketConnection::Port, &TSocketConnection::SetPort).Default(211);
    c.Property("ServerName", &TSocketConnection::ServerName, &TSocketConnection::SetServerName);
    c.Property("ObjectBroker", &TSocketConnection::ObjectBroker, &TSocketConnection::SetObjectBroker);
    c.Property("SupportCallbacks", &TSocketConnection::SupportCallbacks,
               &TSocketConnection::SetSupportCallbacks)
        .Default(1);
}

void TSocketConnection::SetObjectBroker(TSimpleObjectBroker* value) {
    if (value == FObjectBroker) return;
    if (FObjectBroker) FObjectBroker->RemoveFreeNotification(this);
    FObjectBroker = value;
    if (FObjectBroker) FObjectBroker->FreeNotification(this);
}

void TSocketConnection::Notification(TComponent* component, TOperation operation) {
    TCustomRemoteServer::Notification(component, operation);
    if (operation == opRemove && component == FObjectBroker) FObjectBroker = nullptr;
}

// ---- server ----

namespace {

// The objects one connection has handed out. Each time an object goes out its count grows, and each
// proxy that goes on the client's side takes one back; the connection's end lets go of the rest.
class TServerHandles : public IDispatchHandles {
public:
    Cardinal HandleOf(IDispatch* object) override {
        auto it = FByObject.find(object);
        if (it != FByObject.end()) {
            ++FObjects[it->second].Count;
            return it->second;
        }
        const Cardinal handle = FNext++;
        FObjects[handle] = TEntry{Variant(object), 1};
        FByObject[object] = handle;
        return handle;
    }
    Variant ObjectOf(Cardinal handle) override {
        auto it = FObjects.find(handle);
        if (it == FObjects.end()) throw EMarshalError("Unknown object handle " + std::to_string(handle));
        return it->second.Object;
    }
    void Release(Cardinal handle) {
        auto it = FObjects.find(handle);
        if (it == FObjects.end() || --it->second.Count > 0) return;
        Variant object = std::move(it->second.Object); // freed after the tables are consistent
        FByObject.erase(object.AsDispatch());
        FObjects.erase(it);
    }
    void Clear() {
        std::map<Cardinal, TEntry> objects;
        objects.swap(FObjects);
        FByObject.clear();
    }

private:
    struct TEntry {
        Variant Object;
        int Count = 0;
    };
    std::map<Cardinal, TEntry> FObjects;
    std::map<IDispatch*, Cardinal> FByObject;
    Cardinal FNext = 1;
};

struct TServerConnection {
    int Socket = -1; // closed by its own thread, under the server's lock
    std::thread Thread;
    std::atomic<bool> Done{false};
};

} // namespace

struct TSocketDispatchServer::TState {
    TServerFactory Factory;
    mutable std::mutex Lock;
    int Listener = -1;
    int WakeRead = -1;
    int WakeWrite = -1;
    int Port = 0;
    std::thread AcceptThread;
    std::list<std::unique_ptr<TServerConnection>> Connections;

    void AcceptLoop();
    void Serve(TServerConnection& connection);
    TMarshalFrame Answer(TMarshalFrame& request, TServerHandles& handles, bool& opened);
    void Reap();
};

void TSocketDispatchServer::TState::Reap() {
    std::list<std::unique_ptr<TServerConnection>> finished;
    {
        std::lock_guard<std::mutex> lock(Lock);
        for (auto it = Connections.begin(); it != Connections.end();) {
            auto next = std::next(it);
            if ((*it)->Done) finished.splice(finished.end(), Connections, it);
            it = next;
        }
    }
    for (auto& connection : finished)
        connection->Thread.join();
}

void TSocketDispatchServer::TState::AcceptLoop() {
    for (;;) {
        pollfd fds[2] = {{Listener, POLLIN, 0}, {WakeRead, POLLIN, 0}};
        const int rc = ::poll(fds, 2, -1);
        if (rc < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        const int socket = ::accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) continue; // a client that gave up before it was taken, or no resources now
        NoDelay(socket);
        Reap();
        auto connection = std::make_unique<TServerConnection>();
        connection->Socket = socket;
        TServerConnection& ref = *connection;
        std::lock_guard<std::mutex> lock(Lock);
        try {
            ref.Thread = std::thread([this, &ref] { Serve(ref); });
        } catch (const std::system_error&) {
            ::close(socket);
            continue;
        }
        Connections.push_back(std::move(connection));
    }
}

TMarshalFrame TSocketDispatchServer::TState::Answer(TMarshalFrame& request, TServerHandles& handles,
                                                    bool& opened) {
    TMarshalFrame reply;
    reply.Kind = fkResult;
    if (request.Kind == fkOpen) {
        if (opened) throw EMarshalError("The server object is already open");
        if (request.Flags != MarshalProtocolVersion)
            throw EMarshalError("Unsupported protocol version " + std::to_string(request.Flags));
        try {
            reply.Result = Factory ? Factory(request.Name) : CreateOleObject(request.Name);
        } catch (const Exception& e) {
            return ErrorFrame(e);
        } catch (const std::exception& e) {
            return ErrorFrame("Exception", e.what());
        }
        if (reply.Result.VType() != varDispatch || !reply.Result.AsDispatch())
            return ErrorFrame("EOleError", "The server made no automation object for '" + request.Name + "'");
        opened = true;
        return reply;
    }
    if (request.Kind != fkCall) throw EMarshalError("Unexpected frame from the client");
    const Variant target = handles.ObjectOf(request.Handle);
    std::vector<TDispArg> args;
    args.reserve(request.Args.size());
    for (TMarshalArg& arg : request.Args)
        args.push_back(TDispArg{&arg.Value, arg.ByRef});
    try {
        reply.Result = DispatchInvoke(target, request.Name, request.Flags, args);
    } catch (const Exception& e) {
        return ErrorFrame(e);
    } catch (...) {
        return ErrorFrame("Exception", "Unknown failure in '" + request.Name + "'");
    }
    for (TMarshalArg& arg : request.Args)
        if (arg.ByRef) reply.Args.push_back(TMarshalArg{std::move(arg.Value), true, arg.Index});
    return reply;
}

void TSocketDispatchServer::TState::Serve(TServerConnection& connection) {
    const int socket = connection.Socket;
    TServerHandles handles;
    bool opened = false;
    try {
        for (;;) {
            std::string body;
            AnsiString reason;
            try {
                if (!ReadFrameBody(socket, body, reason)) break;
            } catch (const EMarshalError& e) {
                SendAll(socket, EncodeFrame(ErrorFrame(e))); // then end: the stream cannot be followed
                break;
            }
            TMarshalFrame reply;
            try {
                TMarshalFrame request = DecodeFrame(body, &handles);
                if (request.Kind == fkRelease) {
                    handles.Release(request.Handle);
                    continue;
                }
                reply = Answer(request, handles, opened);
            } catch (const EMarshalError& e) {
                if (static_cast<Byte>(body[0]) == fkRelease) continue; // a release is never answered
                reply = ErrorFrame(e);
            }
            std::string out;
            try {
                out = EncodeFrame(reply, &handles);
            } catch (const EMarshalError& e) {
                out = EncodeFrame(ErrorFrame(e));
            }
            if (!SendAll(socket, out)) break;
        }
    } catch (...) {
        // Whatever went wrong, it ends this connection only.
    }
    try {
        handles.Clear();
    } catch (...) {
    }
    {
        std::lock_guard<std::mutex> lock(Lock);
        ::close(connection.Socket);
        connection.Socket = -1;
    }
    connection.Done = true;
}

TSocketDispatchServer::TSocketDispatchServer(TServerFactory factory) : FState(std::make_unique<TState>()) {
    FState->Factory = std::move(factory);
}

TSocketDispatchServer::~TSocketDispatchServer() {
    Close();
}

void TSocketDispatchServer::Open(int port, const AnsiString& address) {
    if (Active())
        throw ESocketConnectionError("The server is already listening on port " + std::to_string(Port()));
    const AnsiString where = address + ":" + std::to_string(port);
    if (port < 0 || port > 65535) throw ESocketConnectionError("Invalid port " + where);
    sockaddr_in local;
    AnsiString error;
    if (!ResolveAddress(address, port, local, error))
        throw ESocketConnectionError("Cannot listen on " + where + ": " + error);
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int wake[2] = {-1, -1};
    auto fail = [&](int code) {
        if (listener >= 0) ::close(listener);
        if (wake[0] >= 0) ::close(wake[0]);
        if (wake[1] >= 0) ::close(wake[1]);
        throw ESocketConnectionError("Cannot listen on " + where + ": " + SystemError(code));
    };
    if (listener < 0) fail(errno);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&local), sizeof local) < 0) fail(errno);
    if (::listen(listener, 64) < 0) fail(errno);
    if (::pipe2(wake, O_CLOEXEC) < 0) fail(errno);
    sockaddr_in bound{};
    socklen_t size = sizeof bound;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&bound), &size);
    std::lock_guard<std::mutex> lock(FState->Lock);
    FState->Listener = listener;
    FState->WakeRead = wake[0];
    FState->WakeWrite = wake[1];
    FState->Port = ntohs(bound.sin_port);
    FState->AcceptThread = std::thread([state = FState.get()] { state->AcceptLoop(); });
}

void TSocketDispatchServer::Close() {
    TState& s = *FState;
    if (s.AcceptThread.joinable()) {
        const char stop = 1;
        while (::write(s.WakeWrite, &stop, 1) < 0 && errno == EINTR) {
        }
        s.AcceptThread.join();
    }
    std::list<std::unique_ptr<TServerConnection>> connections;
    {
        std::lock_guard<std::mutex> lock(s.Lock);
        for (int* fd : {&s.Listener, &s.WakeRead, &s.WakeWrite})
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        s.Port = 0;
        for (auto& connection : s.Connections)
            if (connection->Socket >= 0) ::shutdown(connection->Socket, SHUT_RDWR);
        connections.swap(s.Connections);
    }
    for (auto& connection : connections)
        connection->Thread.join();
}

void TSocketDispatchServer::DropConnections() {
    std::lock_guard<std::mutex> lock(FState->Lock);
    for (auto& connection : FState->Connections)
        if (connection->Socket >= 0) ::shutdown(connection->Socket, SHUT_RDWR);
}

bool TSocketDispatchServer::Active() const {
    std::lock_guard<std::mutex> lock(FState->Lock);
    return FState->Listener >= 0;
}

int TSocketDispatchServer::Port() const {
    std::lock_guard<std::mutex> lock(FState->Lock);
    return FState->Port;
}

int TSocketDispatchServer::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(FState->Lock);
    int count = 0;
    for (const auto& connection : FState->Connections)
        if (!connection->Done) ++count;
    return count;
}
