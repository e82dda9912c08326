// One late-bound call with five arguments (as the module calls its host and servers) against a direct
// virtual call doing the same work (target: within 20 times). The two run in alternating batches, so
// that a machine busy with other work slows both alike, and the ratio is reported as a counter.
#include <benchmark/benchmark.h>

#include <time.h>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/comobj.h"

namespace {

class TBenchHost : public TAutoObject {
public:
    int DependencyVersion() const { return 8000; }
    int Sum5(int a, int b, int c, int d, int e) { return a + b + c + d + e; }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("DependencyVersion", &TBenchHost::DependencyVersion),
            AutoMethod("Sum5", &TBenchHost::Sum5),
        };
        return members;
    }
};

struct ISum {
    virtual ~ISum() = default;
    virtual int Sum5(int a, int b, int c, int d, int e) = 0;
};
struct TSum : ISum {
    int Sum5(int a, int b, int c, int d, int e) override { return a + b + c + d + e; }
};
// A second implementation and a target chosen where the compiler cannot see, so that the call below
// stays a call through the virtual table (no devirtualising, no speculative inlining).
struct TSumTwice : ISum {
    int Sum5(int a, int b, int c, int d, int e) override { return 2 * (a + b + c + d + e); }
};
// <chrono> does not compile with the GBK execution character set (its micro sign).
double Nanoseconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

__attribute__((noipa)) ISum* OpaqueTarget(ISum* first, ISum* second, bool useSecond) {
    return useSecond ? second : first;
}

constexpr int Batch = 4096;

// Each side in a function of its own that starts on a cache line, so that how the code around it is
// laid out does not move the other side's loop.
__attribute__((noinline, aligned(64))) void LateBoundBatch(const Variant& host, int a) {
    for (int i = 0; i < Batch; ++i) {
        benchmark::DoNotOptimize(a);
        Variant result = VarCall(host, "Sum5", {a, 2, 3, 4, 5});
        benchmark::DoNotOptimize(result);
    }
}

__attribute__((noinline, aligned(64))) void VirtualBatch(ISum* target, int a) {
    for (int i = 0; i < Batch; ++i) {
        benchmark::DoNotOptimize(target);
        benchmark::DoNotOptimize(a);
        int result = target->Sum5(a, 2, 3, 4, 5);
        benchmark::DoNotOptimize(result);
    }
}

void BM_LateBoundCall5(benchmark::State& state) {
    const Variant host(static_cast<IDispatch*>(new TBenchHost));
    TSum sum;
    TSumTwice twice;
    ISum* target = OpaqueTarget(&sum, &twice, false);
    double late = 0, direct = 0;
    for (auto _ : state) {
        const double start = Nanoseconds();
        LateBoundBatch(host, 1);
        const double middle = Nanoseconds();
        VirtualBatch(target, 1);
        late += middle - start;
        direct += Nanoseconds() - middle;
    }
    const double calls = static_cast<double>(state.iterations()) * Batch;
    state.counters["late_ns"] = late / calls;
    state.counters["virtual_ns"] = direct / calls;
    state.counters["ratio"] = late / direct;
    state.SetItemsProcessed(state.iterations() * Batch);
}
BENCHMARK(BM_LateBoundCall5)->Unit(benchmark::kMicrosecond);

} // namespace
