// A client data set of 100,000 rows of 20 fields: filling it, walking it, editing 10,000 rows and
// building the delta, each step with its time and its peak memory; and the memory a row takes against
// the raw bytes of its values (target: within three times).
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "classlib/db/dbclient.h"

namespace {

constexpr int RowCount = 100000;
constexpr int EditCount = 10000;
constexpr int StringSizes[10] = {4, 11, 8, 20, 10, 40, 6, 20, 4, 30};
constexpr int FloatCount = 8;
constexpr int IntegerCount = 2;

double Seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The bytes in use on the heap: the arena's blocks and those glibc maps directly (large ones, such as
// the row store's arrays), which uordblks leaves out.
double HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// The peak resident size since the last ResetPeak, in bytes (Linux: clear_refs 5 resets VmHWM).
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
double PeakResident() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;
    return 0;
}

// A text of exactly `size` bytes that differs by row.
AnsiString Text(int row, int field, int size) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%c%09d%040d", 'A' + field, row, 0);
    return AnsiString(buf, buf + size);
}

int RawRowBytes() {
    int bytes = 0;
    for (int s : StringSizes)
        bytes += s;
    return bytes + FloatCount * 8 + IntegerCount * 4;
}

void BM_ClientDataSetSteps(benchmark::State& state) {
    for (auto _ : state) {
        const double heapBefore = HeapBytes();
        TClientDataSet cds(nullptr);
        for (int i = 0; i < 10; ++i)
            cds.FieldDefs()->Add("S" + std::to_string(i), ftString, StringSizes[i]);
        for (int i = 0; i < FloatCount; ++i)
            cds.FieldDefs()->Add("F" + std::to_string(i), ftFloat);
        for (int i = 0; i < IntegerCount; ++i)
            cds.FieldDefs()->Add("I" + std::to_string(i), ftInteger);
        cds.CreateDataSet();
        std::vector<TField*> fields;
        for (int i = 0; i < cds.FieldCount(); ++i)
            fields.push_back(cds.Fields()->Fields(i));

        // Fill.
        ResetPeak();
        double t = Seconds();
        for (int r = 0; r < RowCount; ++r) {
            cds.Append();
            for (int i = 0; i < 10; ++i)
                fields[i]->SetAsString(Text(r, i, StringSizes[i]));
            for (int i = 0; i < FloatCount; ++i)
                fields[10 + i]->SetAsFloat(r * 0.5 + i);
            for (int i = 0; i < IntegerCount; ++i)
                fields[18 + i]->SetAsInteger(r + i);
            cds.Post();
        }
        cds.MergeChangeLog(); // the rows as a provider would have delivered them
        const double fillTime = Seconds() - t;
        const double fillPeak = PeakResident();
        const double storeBytes = HeapBytes() - heapBefore;

        // Walk.
        ResetPeak();
        t = Seconds();
        double sum = 0;
        std::size_t chars = 0;
        for (cds.First(); !cds.Eof(); cds.Next()) {
            for (int i = 0; i < 10; ++i)
                chars += fields[i]->AsString().size();
            for (int i = 10; i < 20; ++i)
                sum += fields[i]->AsFloat();
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
        const double walkTime = Seconds() - t;
        const double walkPeak = PeakResident();

        // Edit every tenth row.
        ResetPeak();
        t = Seconds();
        int edited = 0;
        for (cds.First(); !cds.Eof() && edited < EditCount; cds.MoveBy(RowCount / EditCount)) {
            cds.Edit();
            fields[3]->SetAsString(Text(-edited, 3, StringSizes[3]));
            fields[12]->SetAsFloat(-1.0 * edited);
            cds.Post();
            ++edited;
        }
        const double editTime = Seconds() - t;
        const double editPeak = PeakResident();

        // Delta.
        ResetPeak();
        t = Seconds();
        Variant delta = cds.Delta();
        const int deltaRows = VarArrayLength(PacketRows(delta));
        const double deltaTime = Seconds() - t;
        const double deltaPeak = PeakResident();

        if (cds.ChangeCount() != EditCount || deltaRows != EditCount)
            state.SkipWithError("wrong change count");
        const double perRow = storeBytes / RowCount;
        state.counters["fill_ms"] = fillTime * 1e3;
        state.counters["walk_ms"] = walkTime * 1e3;
        state.counters["edit_ms"] = editTime * 1e3;
        state.counters["delta_ms"] = deltaTime * 1e3;
        state.counters["fill_peak_MB"] = fillPeak / 1048576.0;
        state.counters["walk_peak_MB"] = walkPeak / 1048576.0;
        state.counters["edit_peak_MB"] = editPeak / 1048576.0;
        state.counters["delta_peak_MB"] = deltaPeak / 1048576.0;
        state.counters["row_bytes"] = perRow;
        state.counters["raw_row_bytes"] = RawRowBytes();
        state.counters["row_over_raw"] = perRow / RawRowBytes();
    }
}
BENCHMARK(BM_ClientDataSetSteps)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
