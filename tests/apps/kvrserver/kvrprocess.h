#pragma once
// kvrserver run as a child process on a free loopback port, and raw frames written to it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "classlib/automation/varmarshal.h"

inline std::string KvrServerPath() {
    return std::string(KVR_BINARY_DIR) + "/bin/kvrserver";
}

class TKvrServerProcess {
public:
    TKvrServerProcess() = default;
    ~TKvrServerProcess() { Kill(); }

    // Starts kvrserver on the database with the further options and waits for its "listening" line;
    // openFiles (when not 0) is the limit of its file descriptors.
    void Start(const std::string& db, const std::string& dataDir, std::vector<std::string> options = {},
               int openFiles = 0) {
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe failed");
        FPid = fork();
        if (FPid == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            if (openFiles > 0) {
                const rlimit limit{static_cast<rlim_t>(openFiles), static_cast<rlim_t>(openFiles)};
                setrlimit(RLIMIT_NOFILE, &limit);
            }
            const std::string path = KvrServerPath();
            std::vector<std::string> args = {path, "--db", db, "--port", "0", "--data", dataDir};
            args.insert(args.end(), options.begin(), options.end());
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(path.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        std::string line;
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(out[0]);
        const size_t colon = line.rfind(':');
        if (line.find("listening on") == std::string::npos || colon == std::string::npos) {
            Kill();
            throw std::runtime_error("kvrserver did not start: " + line);
        }
        FPort = std::stoi(line.substr(colon + 1));
    }
    void Kill() {
        if (FPid <= 0) return;
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
        FPid = -1;
    }
    // SIGTERM; the exit status.
    int Stop() {
        if (FPid <= 0) return -1;
        kill(FPid, SIGTERM);
        int status = 0;
        waitpid(FPid, &status, 0);
        FPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool Running() const { return FPid > 0 && waitpid(FPid, nullptr, WNOHANG) == 0; }
    int Port() const { return FPort; }
    pid_t Pid() const { return FPid; }
    // What the process holds in memory now, in KiB (VmRSS).
    long ResidentKiB() const {
        std::ifstream status("/proc/" + std::to_string(FPid) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
        return -1;
    }
    // The processor time it has used, user and system, in milliseconds.
    long CpuMs() const {
        std::ifstream stat("/proc/" + std::to_string(FPid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        long ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i == 14 || i == 15) ticks += std::stol(field);
        return ticks * 1000 / sysconf(_SC_CLK_TCK);
    }

private:
    pid_t FPid = -1;
    int FPort = 0;
};

// A bare TCP connection for writing frames by hand.
class TRawSocket {
public:
    explicit TRawSocket(int port, bool greeted = true) {
        FFd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("connect failed");
        if (greeted) Greeting = ReadFrame(); // the server speaks first
    }
    int Fd() const { return FFd; }
    std::string Greeting;
    ~TRawSocket() { Close(); }
    void Close() {
        if (FFd >= 0) close(FFd);
        FFd = -1;
    }
    void Send(const std::string& bytes) {
        if (::send(FFd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("send failed");
    }
    void SendFrame(const std::string& body) {
        const uint32_t n = static_cast<uint32_t>(body.size());
        std::string frame(reinterpret_cast<const char*>(&n), 4); // little-endian on the test machines
        Send(frame + body);
    }
    // The body of the next frame; '' when the server closed the connection.
    std::string ReadFrame() {
        uint32_t n = 0;
        if (!ReadExact(reinterpret_cast<char*>(&n), 4)) return std::string();
        std::string body(n, '\0');
        if (!ReadExact(body.data(), n)) return std::string();
        return body;
    }

    static std::string OpenBody(const AnsiString& server, const AnsiString& user = "") {
        TMarshalWriter writer;
        writer.WriteByte(1);
        writer.WriteWord(MarshalProtocolVersion);
        writer.WriteShortString(server);
        writer.WriteShortString(""); // no proof: the server has no secret
        writer.WriteShortString(user);
        writer.WriteShortString(""); // no user's proof: the server has no users' secrets
        return writer.TakeBytes();
    }
    static std::string CallBody(Cardinal handle, const AnsiString& member, const std::vector<Variant>& args) {
        TMarshalWriter writer;
        writer.WriteByte(2);
        writer.WriteCardinal(handle);
        writer.WriteWord(0x3);
        writer.WriteShortString(member);
        writer.WriteByte(static_cast<Byte>(args.size()));
        for (const Variant& arg : args) {
            writer.WriteByte(0);
            writer.WriteVariant(arg);
        }
        return writer.TakeBytes();
    }
    // The object handle of an open's answer (result kind 3, a dispatch value); 0 when it is none.
    static Cardinal HandleOf(const std::string& body) {
        if (body.size() < 7 || body[0] != 3 || body[1] != 9 || body[2] != 0) return 0;
        Cardinal handle = 0;
        for (int i = 0; i < 4; ++i)
            handle |= static_cast<Cardinal>(static_cast<unsigned char>(body[3 + i])) << (8 * i);
        return handle;
    }

private:
    bool ReadExact(char* data, size_t size) {
        size_t done = 0;
        while (done < size) {
            const ssize_t n = recv(FFd, data + done, size - done, 0);
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }
    int FFd = -1;
};
