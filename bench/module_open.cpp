// The cost of one late-bound call with five arguments (as the module calls its host and servers)
// against a direct virtual call doing the same work. Loading KVRX58C.so until its connected form is
// shown is bench_document_open's.
#include <benchmark/benchmark.h>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/comobj.h"

namespace {

class TBenchHost : public TAutoObject {
public:
    int Sum5(int a, int b, int c, int d, int e) { return a + b + c + d + e; }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoMethod("Sum5", &TBenchHost::Sum5),
        };
        return members;
    }
};

void BM_LateBoundCall5(benchmark::State& state) {
    const Variant host(static_cast<IDispatch*>(new TBenchHost));
    int a = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        Variant result = VarCall(host, "Sum5", {a, 2, 3, 4, 5});
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_LateBoundCall5);

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
__attribute__((noipa)) ISum* OpaqueTarget(ISum* first, ISum* second, bool useSecond) {
    return useSecond ? second : first;
}

void BM_DirectVirtualCall5(benchmark::State& state) {
    TSum sum;
    TSumTwice twice;
    ISum* target = OpaqueTarget(&sum, &twice, state.range(0) != 0);
    int a = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(target);
        benchmark::DoNotOptimize(a);
        int result = target->Sum5(a, 2, 3, 4, 5);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_DirectVirtualCall5)->Arg(0);

} // namespace
