#include "classlib/automation/sconnect.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <time.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "classlib/automation/varmarshal.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/inifiles.h"
#include "classlib/rtl/registry.h"
#include "classlib/rtl/strutils.h"

namespace {

// How long a client waits for the server's greeting: a server short of descriptors takes a new
// connection only once it has them again.
constexpr int GreetingTimeoutMs = 30000;

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

// SHA-256 and HMAC-SHA256 (FIPS 180-4, RFC 2104): the proof of the connection secret.
class TSha256 {
public:
    void Update(const void* data, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        FLength += size;
        while (size > 0) {
            const std::size_t take = std::min(size, sizeof FBlock - FUsed);
            std::memcpy(FBlock + FUsed, p, take);
            FUsed += take;
            p += take;
            size -= take;
            if (FUsed == sizeof FBlock) {
                Compress();
                FUsed = 0;
            }
        }
    }
    std::string Final() {
        const std::uint64_t bits = FLength * 8;
        const unsigned char pad = 0x80;
        Update(&pad, 1);
        const unsigned char zero = 0;
        while (FUsed != 56)
            Update(&zero, 1);
        unsigned char length[8];
        for (int i = 0; i < 8; ++i)
            length[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
        Update(length, 8);
        std::string digest(32, '\0');
        for (int i = 0; i < 32; ++i)
            digest[i] = static_cast<char>(FState[i / 4] >> (24 - 8 * (i % 4)));
        return digest;
    }

private:
    static std::uint32_t Rotate(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }
    void Compress() {
        static const std::uint32_t k[64] = {
            0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
            0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
            0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
            0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
            0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
            0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
            0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
            0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = static_cast<std::uint32_t>(FBlock[4 * i]) << 24 |
                   static_cast<std::uint32_t>(FBlock[4 * i + 1]) << 16 |
                   static_cast<std::uint32_t>(FBlock[4 * i + 2]) << 8 | FBlock[4 * i + 3];
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3], e = FState[4],
                      f = FState[5], g = FState[6], h = FState[7];
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t t1 =
                h + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
            const std::uint32_t t2 =
                (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        const std::uint32_t add[8] = {a, b, c, d, e, f, g, h};
        for (int i = 0; i < 8; ++i)
            FState[i] += add[i];
    }

    std::uint32_t FState[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                               0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    unsigned char FBlock[64] = {};
    std::size_t FUsed = 0;
    std::uint64_t FLength = 0;
};

std::string HmacSha256(const std::string& key, const std::string& message) {
    std::string block = key.size() > 64 ? [&] {
        TSha256 hash;
        hash.Update(key.data(), key.size());
        return hash.Final();
    }()
                                        : key;
    block.resize(64, '\0');
    std::string inner(64, '\0'), outer(64, '\0');
    for (int i = 0; i < 64; ++i) {
        inner[i] = static_cast<char>(block[i] ^ 0x36);
        outer[i] = static_cast<char>(block[i] ^ 0x5c);
    }
    TSha256 first;
    first.Update(inner.data(), inner.size());
    first.Update(message.data(), message.size());
    const std::string digest = first.Final();
    TSha256 second;
    second.Update(outer.data(), outer.size());
    second.Update(digest.data(), digest.size());
    return second.Final();
}

// The proof of a secret for a greeting's nonce; empty without a secret.
std::string ProofOf(const AnsiString& secret, const std::string& nonce) {
    return secret.empty() ? std::string() : HmacSha256(secret, "kvr-open\n" + nonce);
}

// The proof of a user's secret for a greeting's nonce; empty without a secret.
std::string UserProofOf(const AnsiString& secret, const std::string& nonce, const AnsiString& user) {
    return secret.empty() ? std::string() : HmacSha256(secret, "kvr-user\n" + nonce + "\n" + user);
}

// Compares in time that does not depend on where the texts differ.
bool SameProof(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

std::string RandomNonce() {
    std::string nonce(32, '\0');
    std::size_t done = 0;
    while (done < nonce.size()) {
        const ssize_t n = ::getrandom(nonce.data() + done, nonce.size() - done, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ESocketConnectionError("No random numbers for the connection's greeting: " +
                                         SystemError(errno));
        }
        done += static_cast<std::size_t>(n);
    }
    return nonce;
}

// What a frame reader asks of its owner while it reads.
class TReadHooks {
public:
    // A frame has begun: its first bytes are in.
    virtual void Started() = 0;
    // After each wait on the socket, with data or after its receive timeout; started: bytes of a frame
    // are in. False ends the read, with the reason.
    virtual bool Check(bool started, bool timedOut, AnsiString& reason) = 0;
    // Room for bytes more of a body being received; false refuses, with the reason.
    virtual bool Reserve(std::size_t bytes, AnsiString& reason) = 0;
    virtual void Release(std::size_t bytes) = 0;

protected:
    ~TReadHooks() = default;
};

// Frames off a socket through a buffer: a frame that arrived whole costs one recv, and what came of
// the next frame waits in the buffer. A body larger than the buffer is read into pages of its own,
// which grow with the bytes that really arrive (so a length that lies costs nothing) and go back to
// the system as soon as the frame is done with.
class TFrameReader {
public:
    TFrameReader() = default;
    ~TFrameReader() { Unmap(); }
    TFrameReader(const TFrameReader&) = delete;
    TFrameReader& operator=(const TFrameReader&) = delete;

    // The next frame's body, valid until the next read or Release. False when the peer closed, the
    // socket failed or a hook ended the read, with the reason; EMarshalError for a length that cannot
    // be trusted.
    bool Read(int fd, std::string_view& body, AnsiString& reason, TReadHooks* hooks = nullptr) {
        Release(hooks);
        if (FEnd > FBegin && hooks) hooks->Started(); // what came with the last frame began this one
        while (FEnd - FBegin < 4)
            if (!Fill(fd, reason, hooks)) return false;
        const std::size_t length = DecodeFrameLength(FBuffer.data() + FBegin);
        if (4 + length <= FBuffer.size()) {
            if (FBegin + 4 + length > FBuffer.size()) Compact();
            while (FEnd - FBegin < 4 + length)
                if (!Fill(fd, reason, hooks)) return false;
            body = std::string_view(FBuffer.data() + FBegin + 4, length);
            FBegin += 4 + length;
            if (FBegin == FEnd) FBegin = FEnd = 0;
            return true;
        }
        std::size_t have = FEnd - FBegin - 4;
        if (!Grow(std::max(have, std::size_t{1} << 20), length, reason, hooks)) return false;
        std::memcpy(FLarge, FBuffer.data() + FBegin + 4, have);
        FBegin = FEnd = 0;
        while (have < length) {
            if (have == FLargeSize && !Grow(2 * FLargeSize, length, reason, hooks)) return false;
            const ssize_t n =
                Receive(fd, FLarge + have, std::min(length, FLargeSize) - have, reason, hooks, true);
            if (n < 0) return false;
            have += static_cast<std::size_t>(n);
        }
        body = std::string_view(FLarge, length);
        return true;
    }
    // Gives back the pages of a large body.
    void Release(TReadHooks* hooks) {
        if (FLarge && hooks) hooks->Release(FLargeSize);
        Unmap();
    }

private:
    // Room for at least `size` bytes of a body of `length` (never more than it needs).
    bool Grow(std::size_t size, std::size_t length, AnsiString& reason, TReadHooks* hooks) {
        size = std::min(size, length);
        if (size <= FLargeSize) return true;
        if (hooks && !hooks->Reserve(size - FLargeSize, reason)) return false;
        void* pages = FLarge
                          ? ::mremap(FLarge, FLargeSize, size, MREMAP_MAYMOVE)
                          : ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pages == MAP_FAILED) {
            if (hooks) hooks->Release(size - FLargeSize);
            reason = "no memory for a frame of " + std::to_string(length) + " bytes";
            return false;
        }
        FLarge = static_cast<char*>(pages);
        FLargeSize = size;
        return true;
    }
    void Unmap() {
        if (FLarge) ::munmap(FLarge, FLargeSize);
        FLarge = nullptr;
        FLargeSize = 0;
    }
    void Compact() {
        std::memmove(FBuffer.data(), FBuffer.data() + FBegin, FEnd - FBegin);
        FEnd -= FBegin;
        FBegin = 0;
    }
    bool Fill(int fd, AnsiString& reason, TReadHooks* hooks) {
        if (FEnd == FBuffer.size()) Compact();
        const bool started = FEnd > FBegin;
        const ssize_t n = Receive(fd, FBuffer.data() + FEnd, FBuffer.size() - FEnd, reason, hooks, started);
        if (n < 0) return false;
        FEnd += static_cast<std::size_t>(n);
        return true;
    }
    // Bytes received (at least one); -1 with the reason when the read ends.
    static ssize_t Receive(int fd, char* data, std::size_t size, AnsiString& reason, TReadHooks* hooks,
                           bool started) {
        for (;;) {
            const ssize_t n = ::recv(fd, data, size, 0);
            if (n > 0) {
                if (hooks) {
                    if (!started) hooks->Started();
                    if (!hooks->Check(true, false, reason)) return -1;
                }
                return n;
            }
            if (n == 0) {
                reason = "the connection was closed";
                return -1;
            }
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (!hooks) {
                    reason = "no answer in time";
                    return -1;
                }
                if (!hooks->Check(started, true, reason)) return -1;
                continue;
            }
            reason = SystemError(errno);
            return -1;
        }
    }

    std::vector<char> FBuffer = std::vector<char>(std::size_t{64} << 10);
    std::size_t FBegin = 0, FEnd = 0;
    char* FLarge = nullptr; // the pages of a large body
    std::size_t FLargeSize = 0;
};

void ReceiveTimeout(int fd, int milliseconds) {
    timeval tv{milliseconds / 1000, (milliseconds % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
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

namespace {

// The client configuration file, as the platform's key names it; '' when there is none.
AnsiString ClientIniFile() {
    // The platform's key and files, as the client configuration's reader finds them.
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly("Software\\QVN\\Veltrane")) return AnsiString();
    AnsiString folder = registry.ReadString("ClientPath");
    const AnsiString profileType = registry.ReadString("ProfileType");
    registry.CloseKey();
    if (folder.empty()) return AnsiString();
    folder = IncludeTrailingBackslash(folder);
    AnsiString file = folder + "VeltraneC.ini";
    if (!profileType.empty() && profileType != "0" && !GetUserName().empty()) {
        const AnsiString profile = folder + "Profile\\" + GetUserName() + "\\VeltraneC.ini";
        if (FileExists(profile)) file = profile;
    }
    return file;
}

} // namespace

AnsiString ConfiguredConnectionSecret() {
    const AnsiString file = ClientIniFile();
    if (file.empty()) return AnsiString();
    return Trim(TIniFile(file).ReadString("Server Information", "ConnectionSecret", ""));
}

AnsiString ConfiguredUserSecret(const AnsiString& user) {
    const AnsiString file = ClientIniFile();
    if (file.empty() || Trim(user).empty()) return AnsiString();
    return Trim(TIniFile(file).ReadString("User Secrets", Trim(user), ""));
}

bool ConfiguredServer(AnsiString& address, int& port) {
    const AnsiString file = ClientIniFile();
    if (file.empty()) return false;
    TIniFile ini(file);
    address = Trim(ini.ReadString("Server Information", "ComputerName", ""));
    port = StrToIntDef(Trim(ini.ReadString("Server Information", "ServerPort", "")), port);
    return !address.empty();
}

class TRemoteDispatch;

// One TCP connection to a server, shared by the proxies of the objects it serves: a proxy that
// outlives its connection answers "Not connected" instead of reaching a closed socket.
class TSocketChannel : public IDispatchHandles, public std::enable_shared_from_this<TSocketChannel> {
public:
    TSocketChannel(int socket, AnsiString peer) : FSocket(socket), FPeer(std::move(peer)) {}
    virtual ~TSocketChannel() { CloseSocket(); }

    // Reads the server's greeting and opens the named object with the secret's proof, speaking for
    // the user with the proof of the user's secret.
    Variant OpenServer(const AnsiString& serverName, const AnsiString& secret, const AnsiString& user,
                       const AnsiString& userSecret);
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
    // The next frame: of the kind expected (a result, or the greeting) or an error.
    TMarshalFrame Receive(int socket, TFrameKind expected = fkResult);
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
    TFrameReader FReader; // under FCallLock
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
            out += EncodeFrame(TMarshalFrame{fkRelease, handle, 0, "", "", Variant(), {}, "", ""});
        out += EncodeFrame(request, this);
    } catch (...) {
        // Nothing went out: the releases wait for the next frame.
        std::lock_guard<std::mutex> lock(FStateLock);
        if (FSocket >= 0) FPendingReleases.insert(FPendingReleases.end(), releases.begin(), releases.end());
        throw;
    }
    if (!SendAll(socket, out)) Break(SystemError(errno));
    return Receive(socket);
}

TMarshalFrame TSocketChannel::Receive(int socket, TFrameKind expected) {
    std::string_view body;
    AnsiString reason;
    bool read = false;
    try {
        read = FReader.Read(socket, body, reason);
    } catch (const EMarshalError& e) {
        Break(e.Message()); // past a length that cannot be trusted nothing can be read any more
    }
    if (!read) Break(expected == fkHello ? "no greeting: " + reason : reason);
    // A body that does not decode was still read whole, so the connection stays usable.
    struct TRelease {
        TFrameReader& Reader;
        ~TRelease() { Reader.Release(nullptr); }
    } release{FReader};
    TMarshalFrame reply = DecodeFrame(body, this);
    if (reply.Kind != expected && reply.Kind != fkError)
        Break(expected == fkHello ? "the server did not greet" : "unexpected answer");
    // The server's refusals of the connection itself: it ends the connection after them.
    if (reply.Kind == fkError && reply.Name == "ESocketConnectionError") CloseSocket();
    return reply;
}

Variant TSocketChannel::OpenServer(const AnsiString& serverName, const AnsiString& secret,
                                   const AnsiString& user, const AnsiString& userSecret) {
    TMarshalFrame hello;
    {
        std::lock_guard<std::mutex> call(FCallLock);
        // The server speaks first; a server that cannot take the connection now says so instead.
        ReceiveTimeout(FSocket, GreetingTimeoutMs);
        hello = Receive(FSocket, fkHello);
        ReceiveTimeout(FSocket, 0);
        if (hello.Kind == fkError) {
            CloseSocket();
            RaiseRemote(hello.Name, hello.Message);
        }
        if (hello.Flags != MarshalProtocolVersion)
            Break("the server speaks protocol " + std::to_string(hello.Flags) + ", this client " +
                  std::to_string(MarshalProtocolVersion));
        if ((hello.Handle & 1) && secret.empty()) {
            CloseSocket();
            throw ESocketConnectionError("Server " + FPeer +
                                         " requires a connection secret, and none is configured");
        }
    }
    TMarshalFrame request;
    request.Kind = fkOpen;
    request.Flags = MarshalProtocolVersion;
    request.Name = serverName;
    request.Message = ProofOf(secret, hello.Message);
    request.User = user;
    request.UserProof = UserProofOf(userSecret, hello.Message, user);
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

void TSocketConnection::SetSecret(const AnsiString& value) {
    if (value == FSecret) return;
    Close();
    FSecret = value;
}

void TSocketConnection::SetUser(const AnsiString& value) {
    if (Trim(value) == FUser) return;
    Close();
    FUser = Trim(value);
}

void TSocketConnection::SetUserSecret(const AnsiString& value) {
    if (value == FUserSecret) return;
    Close();
    FUserSecret = value;
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
        FRemoteServer =
            channel->OpenServer(FServerName, FSecret.empty() ? ConfiguredConnectionSecret() : FSecret, FUser,
                                FUserSecret.empty() ? ConfiguredUserSecret(FUser) : FUserSecret);
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
    int Socket = -1;           // closed by its own thread, under the server's lock
    std::uint32_t Address = 0; // the client's IPv4 address, host order
    std::thread Thread;
    std::atomic<bool> Done{false};
};

// The user a connection speaks for, and whether a claim of another ends it after the answer.
struct TConnectionUser {
    AnsiString Name;
    bool End = false;
};

// The call this thread serves: its client's socket, looked at now and then for a hang-up.
struct TServedCall {
    int Socket = -1;
    Int64 Looked = 0;
    bool Gone = false;
    TConnectionUser* User = nullptr;
};
thread_local TServedCall* gServedCall = nullptr;

class TServedCallScope {
public:
    TServedCallScope(int socket, TConnectionUser& user) : FPrevious(gServedCall) {
        FCall.Socket = socket;
        FCall.User = &user;
        gServedCall = &FCall;
    }
    ~TServedCallScope() { gServedCall = FPrevious; }

private:
    TServedCall FCall;
    TServedCall* FPrevious;
};

// Milliseconds of a clock that only goes forward (<chrono> does not compile for the GBK execution
// character set).
Int64 MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<Int64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

bool InServedCall() {
    return gServedCall != nullptr;
}

AnsiString ServedUser() {
    return gServedCall ? gServedCall->User->Name : AnsiString();
}

bool ClaimServedUser(const AnsiString& user) {
    if (!gServedCall) return true;
    TConnectionUser& connection = *gServedCall->User;
    const AnsiString name = Trim(user);
    if (connection.Name.empty() && !name.empty()) connection.Name = name;
    if (connection.Name == name) return true;
    connection.End = true;
    return false;
}

bool ClientGone() {
    TServedCall* call = gServedCall;
    if (!call) return false;
    if (call->Gone) return true;
    const Int64 now = MonotonicMs();
    if (now - call->Looked < 20) return false;
    call->Looked = now;
    pollfd fd{call->Socket, POLLRDHUP, 0};
    if (::poll(&fd, 1, 0) > 0 && (fd.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL))) call->Gone = true;
    return call->Gone;
}

struct TSocketDispatchServer::TState {
    TServerFactory Factory;
    TSocketServerLimits Limits;
    mutable std::mutex Lock;
    int Listener = -1;
    int WakeRead = -1;
    int WakeWrite = -1;
    int Port = 0;
    std::thread AcceptThread;
    std::list<std::unique_ptr<TServerConnection>> Connections;
    std::atomic<std::size_t> Pending{0}; // bytes of the bodies of frames being received
    // Failed proofs by address: how many lately, when the last was, and until when that address is
    // refused.
    struct TFailures {
        int Count = 0;
        Int64 Last = 0;
        Int64 BlockedUntil = 0;
    };
    std::map<std::uint32_t, TFailures> Failures;

    void AcceptLoop();
    bool Refuse(int socket, const AnsiString& message);
    void Serve(TServerConnection& connection);
    void Reap();
    int Active(std::uint32_t* address = nullptr);
    void FailedProof(std::uint32_t address);
    Int64 BlockedFor(std::uint32_t address);
};

namespace {

// One connection's state: what it was greeted with, whether its object is open, and the times that
// its limits count from.
class TConnectionState : public TReadHooks {
public:
    TConnectionState(std::atomic<std::size_t>& pending, const TSocketServerLimits& limits)
        : FPending(pending), FLimits(limits), FIdleSince(MonotonicMs()), FConnectedSince(FIdleSince) {}

    std::string Nonce;
    bool Opened = false;
    bool EndAfterReply = false;
    bool ProofFailed = false;
    bool Refused = false; // the read ended by a limit: the reason goes to the client
    TConnectionUser User;

    void Answered() { FIdleSince = MonotonicMs(); }

    void Started() override { FFrameSince = MonotonicMs(); }
    bool Check(bool started, bool timedOut, AnsiString& reason) override {
        if (!timedOut && !started) return true;
        const Int64 now = MonotonicMs();
        // A connection that has not proved itself holds a place of the limits: not for long.
        if (!Opened && FLimits.OpenDeadlineMs > 0 && now - FConnectedSince > FLimits.OpenDeadlineMs)
            return End(reason, "The connection did not open its server object within " +
                                   std::to_string(FLimits.OpenDeadlineMs) + " ms: it is closed");
        if (started && FLimits.FrameDeadlineMs > 0 && now - FFrameSince > FLimits.FrameDeadlineMs)
            return End(reason, "A frame was not received within " + std::to_string(FLimits.FrameDeadlineMs) +
                                   " ms: the connection is closed");
        if (!started && FLimits.IdleTimeoutMs > 0 && now - FIdleSince > FLimits.IdleTimeoutMs)
            return End(reason, "The connection was idle for " + std::to_string(FLimits.IdleTimeoutMs) +
                                   " ms: it is closed");
        return true;
    }
    bool Reserve(std::size_t bytes, AnsiString& reason) override;
    void Release(std::size_t bytes) override;

private:
    bool End(AnsiString& reason, const AnsiString& why) {
        reason = why;
        Refused = true;
        return false;
    }

    std::atomic<std::size_t>& FPending; // the server's, across its connections
    const TSocketServerLimits& FLimits;
    Int64 FIdleSince, FFrameSince = 0;
    Int64 FConnectedSince;
};

TMarshalFrame Answer(const TSocketDispatchServer::TServerFactory& factory, const TSocketServerLimits& limits,
                     TMarshalFrame& request, TServerHandles& handles, TConnectionState& state) {
    TMarshalFrame reply;
    reply.Kind = fkResult;
    if (request.Kind == fkOpen) {
        if (state.Opened) throw EMarshalError("The server object is already open");
        if (request.Flags != MarshalProtocolVersion)
            throw EMarshalError("Unsupported protocol version " + std::to_string(request.Flags));
        if (!limits.Secret.empty() && !SameProof(request.Message, ProofOf(limits.Secret, state.Nonce))) {
            state.EndAfterReply = true;
            state.ProofFailed = true;
            return ErrorFrame("ESocketConnectionError", "The connection secret is missing or wrong");
        }
        const AnsiString user = Trim(request.User);
        if (!limits.UserSecrets.empty()) {
            // Whether the user is unknown or the proof wrong, the answer is the same.
            const auto found = limits.UserSecrets.find(user);
            const AnsiString& userSecret = found == limits.UserSecrets.end() ? AnsiString() : found->second;
            if (user.empty() || userSecret.empty() ||
                !SameProof(request.UserProof, UserProofOf(userSecret, state.Nonce, user))) {
                state.EndAfterReply = true;
                state.ProofFailed = true;
                return ErrorFrame("ESocketConnectionError",
                                  "The user '" + user + "' is not proved: its secret is missing or wrong");
            }
        }
        state.User.Name = user;
        try {
            reply.Result = factory ? factory(request.Name) : CreateOleObject(request.Name);
        } catch (const Exception& e) {
            return ErrorFrame(e);
        } catch (const std::exception& e) {
            return ErrorFrame("Exception", e.what());
        }
        if (reply.Result.VType() != varDispatch || !reply.Result.AsDispatch())
            return ErrorFrame("EOleError", "The server made no automation object for '" + request.Name + "'");
        state.Opened = true;
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

// How long a connection's thread waits on its socket before it looks at its limits again.
int ReceiveTick(const TSocketServerLimits& limits) {
    int shortest = 0;
    for (int limit : {limits.IdleTimeoutMs, limits.FrameDeadlineMs, limits.OpenDeadlineMs})
        if (limit > 0 && (shortest == 0 || limit < shortest)) shortest = limit;
    return shortest == 0 ? 0 : std::clamp(shortest / 4, 20, 1000);
}

bool IsLoopback(const sockaddr_in& address) {
    return (ntohl(address.sin_addr.s_addr) >> 24) == 127;
}

} // namespace

bool TConnectionState::Reserve(std::size_t bytes, AnsiString& reason) {
    const std::size_t limit = FLimits.MaxPendingBytes;
    std::size_t now = FPending.load();
    do {
        if (limit && (bytes > limit || now > limit - bytes))
            return End(reason, "The server holds too much incoming data (limit " + std::to_string(limit) +
                                   " bytes): the connection is closed");
    } while (!FPending.compare_exchange_weak(now, now + bytes));
    return true;
}

void TConnectionState::Release(std::size_t bytes) {
    FPending -= bytes;
}

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

int TSocketDispatchServer::TState::Active(std::uint32_t* address) {
    std::lock_guard<std::mutex> lock(Lock);
    int count = 0;
    for (const auto& connection : Connections)
        if (!connection->Done && (!address || connection->Address == *address)) ++count;
    return count;
}

void TSocketDispatchServer::TState::FailedProof(std::uint32_t address) {
    constexpr int Free = 3;               // failures forgiven before the address waits
    constexpr Int64 ForgetMs = 60 * 1000; // a quiet minute forgets them
    const Int64 now = MonotonicMs();
    std::lock_guard<std::mutex> lock(Lock);
    TFailures& failures = Failures[address];
    if (now - failures.Last > ForgetMs) failures.Count = 0;
    failures.Last = now;
    ++failures.Count;
    if (failures.Count > Free)
        failures.BlockedUntil =
            now + std::min<Int64>(Int64{250} << std::min(failures.Count - Free - 1, 7), 30000);
    // Addresses long quiet are dropped, so that the map stays small.
    for (auto it = Failures.begin(); it != Failures.end();)
        it = now - it->second.Last > ForgetMs && now > it->second.BlockedUntil ? Failures.erase(it)
                                                                               : std::next(it);
}

Int64 TSocketDispatchServer::TState::BlockedFor(std::uint32_t address) {
    std::lock_guard<std::mutex> lock(Lock);
    const auto found = Failures.find(address);
    if (found == Failures.end()) return 0;
    return std::max<Int64>(0, found->second.BlockedUntil - MonotonicMs());
}

bool TSocketDispatchServer::TState::Refuse(int socket, const AnsiString& message) {
    // The client sends nothing before the greeting, so the error is read before the close.
    const std::string frame = EncodeFrame(ErrorFrame("ESocketConnectionError", message));
    const bool sent = ::send(socket, frame.data(), frame.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
                      static_cast<ssize_t>(frame.size());
    ::close(socket);
    return sent;
}

void TSocketDispatchServer::TState::AcceptLoop() {
    int backoff = 0; // ms to wait before accepting again, after a shortage of descriptors or memory
    for (;;) {
        pollfd fds[2] = {{WakeRead, POLLIN, 0}, {Listener, POLLIN, 0}};
        const int rc = ::poll(fds, backoff ? 1 : 2, backoff ? backoff : -1);
        if (rc < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        if (backoff == 0 && !(fds[1].revents & POLLIN)) continue;
        sockaddr_in peer{};
        socklen_t peerSize = sizeof peer;
        const int socket = ::accept4(Listener, reinterpret_cast<sockaddr*>(&peer), &peerSize, SOCK_CLOEXEC);
        if (socket < 0) {
            // Out of descriptors or memory the listener stays readable: wait instead of spinning.
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                backoff = std::min(std::max(backoff * 2, 10), 500);
            else if (errno != EAGAIN && errno != EWOULDBLOCK)
                backoff = 0; // a client that gave up before it was taken
            continue;
        }
        backoff = 0;
        NoDelay(socket);
        Reap();
        if (Limits.MaxConnections > 0 && Active() >= Limits.MaxConnections) {
            Refuse(socket, "The server is serving its limit of " + std::to_string(Limits.MaxConnections) +
                               " connections: try again later");
            continue;
        }
        std::uint32_t address = ntohl(peer.sin_addr.s_addr);
        if (const Int64 wait = BlockedFor(address); wait > 0) {
            Refuse(socket,
                   "Too many failed proofs from this address: try again in " + std::to_string(wait) + " ms");
            continue;
        }
        if (Limits.MaxPerAddress > 0 && Active(&address) >= Limits.MaxPerAddress) {
            Refuse(socket, "The server is serving its limit of " + std::to_string(Limits.MaxPerAddress) +
                               " connections from this address: try again later");
            continue;
        }
        auto connection = std::make_unique<TServerConnection>();
        connection->Socket = socket;
        connection->Address = address;
        TServerConnection& ref = *connection;
        std::lock_guard<std::mutex> lock(Lock);
        try {
            ref.Thread = std::thread([this, &ref] { Serve(ref); });
        } catch (const std::system_error&) {
            ::close(socket);
            backoff = 10;
            continue;
        }
        Connections.push_back(std::move(connection));
    }
}

void TSocketDispatchServer::TState::Serve(TServerConnection& connection) {
    const int socket = connection.Socket;
    TServerHandles handles;
    TConnectionState state(Pending, Limits);
    TFrameReader reader;
    try {
        ReceiveTimeout(socket, ReceiveTick(Limits));
        state.Nonce = RandomNonce();
        TMarshalFrame hello;
        hello.Kind = fkHello;
        hello.Flags = MarshalProtocolVersion;
        hello.Handle = Limits.Secret.empty() ? 0 : 1;
        hello.Message = state.Nonce;
        if (SendAll(socket, EncodeFrame(hello)))
            for (;;) {
                std::string_view body;
                AnsiString reason;
                try {
                    if (!reader.Read(socket, body, reason, &state)) {
                        if (state.Refused)
                            SendAll(socket, EncodeFrame(ErrorFrame("ESocketConnectionError", reason)));
                        break;
                    }
                } catch (const EMarshalError& e) {
                    SendAll(socket, EncodeFrame(ErrorFrame(e))); // then end: the stream cannot be followed
                    break;
                }
                TMarshalFrame reply;
                try {
                    TMarshalFrame request = DecodeFrame(body, &handles);
                    if (request.Kind == fkRelease) {
                        handles.Release(request.Handle);
                        reader.Release(&state);
                        continue;
                    }
                    TServedCallScope call(socket, state.User);
                    reply = Answer(Factory, Limits, request, handles, state);
                    if (state.ProofFailed) FailedProof(connection.Address);
                    if (state.User.End) state.EndAfterReply = true;
                } catch (const EMarshalError& e) {
                    if (static_cast<Byte>(body[0]) == fkRelease) continue; // a release is never answered
                    reply = ErrorFrame(e);
                }
                reader.Release(&state);
                std::string out;
                try {
                    out = EncodeFrame(reply, &handles);
                } catch (const EMarshalError& e) {
                    out = EncodeFrame(ErrorFrame(e));
                }
                if (!SendAll(socket, out) || state.EndAfterReply) break;
                state.Answered();
            }
    } catch (...) {
        // Whatever went wrong, it ends this connection only.
    }
    reader.Release(&state);
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

TSocketDispatchServer::TSocketDispatchServer(TServerFactory factory, TSocketServerLimits limits)
    : FState(std::make_unique<TState>()) {
    FState->Factory = std::move(factory);
    FState->Limits = std::move(limits);
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
    if (!IsLoopback(local) && FState->Limits.Secret.empty())
        throw ESocketConnectionError(
            "Cannot listen on " + where +
            " without a connection secret: only loopback addresses may go without one");
    if (!IsLoopback(local) && FState->Limits.UserSecrets.empty())
        throw ESocketConnectionError("Cannot listen on " + where +
                                     " without users' secrets: only loopback addresses may go without them");
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
    if (::listen(listener, 128) < 0) fail(errno);
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
    return FState->Active();
}

const TSocketServerLimits& TSocketDispatchServer::Limits() const {
    return FState->Limits;
}

std::size_t TSocketDispatchServer::PendingBytes() const {
    return FState->Pending.load();
}
