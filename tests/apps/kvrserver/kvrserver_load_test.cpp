// kvrserver under load and bad clients, on loopback, each case bounded in count and time: the
// connection limit and idle clients, stalled half-frames and the memory they hold, descriptors run
// out, heavy conditions at the time limit, and a heavy query whose client goes. Each prints what it
// measured.
#include <sys/time.h>

#include <atomic>
#include <thread>

#include "tests/apps/kvrserver/kvrprocess.h"
#include "tests/standins/appserver/serverfixture.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int Slowdown = 4; // the sanitizers' build runs the server several times slower
#else
constexpr int Slowdown = 1;
#endif

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

class KvrServerLoad : public testing::Test {
protected:
    TTempFolder Folder;
    std::string DbPath = (Folder.Path() / "server.db").string();
    TKvrServerProcess Process;

    std::unique_ptr<TSocketConnection> Connection() {
        auto connection = std::make_unique<TSocketConnection>();
        connection->SetAddress("127.0.0.1");
        connection->SetPort(Process.Port());
        connection->SetServerName("RAVEZ01A.Rarer1");
        return connection;
    }
    // A good client's whole visit: connect, log in, one call. The time it took, or -1 when refused.
    double Visit(std::string* refusal = nullptr) {
        const double start = NowMs();
        try {
            auto connection = Connection();
            connection->Open();
            const Variant server = connection->AppServer();
            if (VarCall(server, "Connect", {TServerReach::ConnectParams("KVRX58", "DEMO")}).AsInteger() != 0)
                return -1;
            VarCall(server, "WhatIs", {"TODAY"});
        } catch (const EOleError& e) {
            if (refusal) *refusal = e.Message();
            return -1;
        }
        return NowMs() - start;
    }
    // Waits (up to the time given) until a good client is served again; the time it took, -1 if never.
    double UntilServed(double limitMs) {
        const double start = NowMs();
        while (NowMs() - start < limitMs) {
            if (Visit() >= 0) return NowMs() - start;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
};

TEST_F(KvrServerLoad, AtTheConnectionLimitAGoodClientIsRefusedAtOnceAndServedOnceIdleOnesGo) {
    const int limit = 40;
    Process.Start(DbPath, SourceDataDir(),
                  {"--max-connections", std::to_string(limit), "--idle-timeout", "1500"});
    std::vector<std::unique_ptr<TRawSocket>> idle;
    for (int i = 0; i < limit; ++i)
        idle.push_back(std::make_unique<TRawSocket>(Process.Port()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::string refusal;
    const double start = NowMs();
    EXPECT_EQ(Visit(&refusal), -1);
    const double refused = NowMs() - start;
    EXPECT_NE(refusal.find("limit of 40 connections"), std::string::npos) << refusal;
    EXPECT_LT(refused, 500.0 * Slowdown);
    // The idle ones time out, and the good client is served again.
    const double recovered = UntilServed(5000.0 * Slowdown);
    EXPECT_GE(recovered, 0);
    for (auto& socket : idle)
        EXPECT_EQ(socket->ReadFrame().substr(0, 1), std::string("\x04", 1)); // told why, then closed
    std::printf("connection limit: %d held, a good client refused in %.1f ms, served again after %.0f ms "
                "(idle timeout 1500 ms)\n",
                limit, refused, NowMs() - start);
}

TEST_F(KvrServerLoad, StalledHalfFramesAreDroppedAtTheirDeadlineAndTheirMemoryGoes) {
    const int pendingMiB = 64;
    Process.Start(DbPath, SourceDataDir(),
                  {"--frame-deadline", "1500", "--max-pending-mib", std::to_string(pendingMiB)});
    ASSERT_GE(Visit(), 0);
    const long before = Process.ResidentKiB();
    // Sixteen clients each announce a frame of 48 MiB and send 8 MiB of it, then stall.
    const std::string chunk(std::size_t{8} << 20, 'x');
    std::vector<std::unique_ptr<TRawSocket>> stalled;
    for (int i = 0; i < 16; ++i) {
        stalled.push_back(std::make_unique<TRawSocket>(Process.Port()));
        const std::uint32_t length = 48u << 20;
        stalled.back()->Send(std::string(reinterpret_cast<const char*>(&length), 4));
        try {
            stalled.back()->Send(chunk);
        } catch (const std::runtime_error&) {
            // refused already: the server closed it
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const long peak = Process.ResidentKiB();
    // Meanwhile a good client is served.
    EXPECT_GE(Visit(), 0);
    // Past the deadline every stalled frame is gone, and so is its memory.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500 * Slowdown + 1000));
    for (auto& socket : stalled) {
        const std::string answer = socket->ReadFrame();
        EXPECT_TRUE(answer.empty() || answer[0] == 4);
    }
    const long after = Process.ResidentKiB();
    EXPECT_LT(peak - before, (pendingMiB + 32) * 1024L) << "the pending frames held more than their limit";
    EXPECT_LT(after - before, 32 * 1024L) << "the dropped frames' memory stayed";
    std::printf("stalled frames: 16 x 8 MiB sent of 48 MiB frames, limit %d MiB; server %ld MiB before, "
                "%ld MiB at the peak, %ld MiB after the deadline\n",
                pendingMiB, before / 1024, peak / 1024, after / 1024);
}

TEST_F(KvrServerLoad, OutOfDescriptorsTheServerDoesNotSpinAndRecovers) {
    Process.Start(DbPath, SourceDataDir(), {"--max-connections", "1000"}, 64);
    ASSERT_GE(Visit(), 0);
    // More clients than the server has descriptors: the rest wait in the listener's queue.
    std::vector<std::unique_ptr<TRawSocket>> hogs;
    for (int i = 0; i < 80; ++i)
        hogs.push_back(std::make_unique<TRawSocket>(Process.Port(), false));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const long cpuBefore = Process.CpuMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const long cpu = Process.CpuMs() - cpuBefore;
    // A spinning accept loop takes the whole 2 s; a loaded machine (sanitizers, parallel tests) may
    // still cost the waiting server some.
    EXPECT_LT(cpu, 1000) << "the accept loop spins";
    hogs.clear();
    const double start = NowMs();
    const double recovered = UntilServed(5000.0 * Slowdown);
    EXPECT_GE(recovered, 0);
    std::printf("descriptors exhausted: %ld ms of processor time in 2 s; served again %.0f ms after the "
                "clients went\n",
                cpu, NowMs() - start);
}

// A condition that takes far longer than any limit: a cross join of the order lines (a table of the
// lines' select, which a condition may read).
const char* const HeavyCondition =
    "(SELECT count(*) FROM BYVTD a, BYVTD b, BYVTD c, BYVTD d, BYVTD e, BYVTD f, BYVTD g) > 0";

TEST_F(KvrServerLoad, HeavyConditionsEndAtTheTimeLimitAndOthersAreServedMeanwhile) {
    const int timeLimit = 1000;
    Process.Start(DbPath, SourceDataDir(), {"--statement-time-limit", std::to_string(timeLimit)});
    std::vector<std::thread> heavy;
    std::vector<double> took(8, 0);
    std::vector<std::string> outcome(8);
    std::atomic<int> running{8};
    for (int i = 0; i < 8; ++i)
        heavy.emplace_back([&, i] {
            auto connection = Connection();
            connection->Open();
            const Variant server = connection->AppServer();
            VarCall(server, "Connect", {TServerReach::ConnectParams("KVRX58", "DEMO")});
            const double start = NowMs();
            try {
                GetRecords(server, HeavyCondition);
                outcome[i] = "finished";
            } catch (const EOleError& e) {
                outcome[i] = e.Message();
            }
            took[i] = NowMs() - start;
            --running;
        });
    double slowest = 0;
    int visits = 0;
    while (running > 0) {
        const double visit = Visit();
        EXPECT_GE(visit, 0);
        slowest = std::max(slowest, visit);
        ++visits;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (std::thread& thread : heavy)
        thread.join();
    double longest = 0;
    for (int i = 0; i < 8; ++i) {
        EXPECT_NE(outcome[i].find("查询超过允许的执行时间"), std::string::npos) << outcome[i];
        longest = std::max(longest, took[i]);
    }
    EXPECT_LT(longest, 3.0 * timeLimit * Slowdown);
    EXPECT_LT(slowest, 1000.0 * Slowdown);
    std::printf("eight heavy conditions: the longest ended after %.0f ms (limit %d ms); %d visits of a good "
                "client meanwhile, the slowest %.0f ms\n",
                longest, timeLimit, visits, slowest);
}

TEST_F(KvrServerLoad, AHeavyQueryStopsWhenItsClientGoes) {
    Process.Start(DbPath, SourceDataDir(), {"--statement-time-limit", "60000"});
    {
        TRawSocket client(Process.Port());
        client.SendFrame(TRawSocket::OpenBody("RAVEZ01A.Rarer1"));
        const Cardinal handle = TRawSocket::HandleOf(client.ReadFrame());
        ASSERT_NE(handle, 0u);
        client.SendFrame(
            TRawSocket::CallBody(handle, "Connect", {TServerReach::ConnectParams("KVRX58", "DEMO")}));
        client.ReadFrame();
        client.SendFrame(
            TRawSocket::CallBody(handle, "AS_GetRecords",
                                 {Variant("pvdMain"), Variant(-1), Variant(0), Variant(3), Variant(""),
                                  Variant(), VarArrayOf({Variant(HeavyCondition), Variant("")}), Variant()}));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    // Gone: the query stops within moments, and the server's processor time stands still.
    std::this_thread::sleep_for(std::chrono::milliseconds(300 * Slowdown));
    const long cpuBefore = Process.CpuMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const long cpu = Process.CpuMs() - cpuBefore;
    EXPECT_LT(cpu, 200) << "the query ran on";
    EXPECT_GE(Visit(), 0);
    std::printf("heavy query of a client that went: %ld ms of processor time in the second after\n", cpu);
}

} // namespace
