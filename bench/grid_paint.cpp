// Painting a data grid page and scrolling through all of a large data set: both grow with the visible
// rows (the grid's window of records), not with the data set's size.
#include <benchmark/benchmark.h>

#include "classlib/controls/forms.h"
#include "classlib/dbctrls/wwdbgrid.h"
#include "classlib/graphics/bitmap.h"
#include "components/FDBGrid.h"

namespace {

struct TGridBench {
    TGridBench(int records, int visibleRows) {
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 800, 1200);
        Cds = new TwwClientDataSet(Form);
        Cds->FieldDefs()->Add("CODE", ftString, 10);
        Cds->FieldDefs()->Add("NAME", ftString, 20);
        Cds->FieldDefs()->Add("FLAG", ftBoolean);
        Cds->FieldDefs()->Add("AMT", ftFloat);
        Cds->CreateDataSet();
        for (int i = 0; i < records; ++i) {
            Cds->Append();
            Cds->FieldByName("CODE")->SetAsString("C" + std::to_string(i));
            Cds->FieldByName("NAME")->SetAsString("Name " + std::to_string(i));
            Cds->FieldByName("FLAG")->SetAsBoolean(i % 2);
            Cds->FieldByName("AMT")->SetAsFloat(i * 1.25);
            Cds->Post();
        }
        Cds->First();
        Ds = new TwwDataSource(Form);
        Ds->SetDataSet(Cds);
        Grid = new TFDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 600, 19 * (visibleRows + 1) + 2);
        Grid->SetDataSource(Ds);
        Form->Show();
        Picture.SetSize(600, Grid->Height());
    }
    ~TGridBench() { Form->Free(); }
    TForm* Form;
    TwwClientDataSet* Cds;
    TwwDataSource* Ds;
    TFDBGrid* Grid;
    TBitmap Picture;
};

// One page painted: range(0) records, range(1) visible rows.
void BM_PaintPage(benchmark::State& state) {
    TGridBench bench(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    bench.Cds->MoveBy(static_cast<int>(state.range(0)) / 2);
    for (auto _ : state)
        bench.Grid->PaintTo(&bench.Picture, 0, 0);
    state.counters["visible"] = static_cast<double>(bench.Grid->VisibleRecordCount());
}
BENCHMARK(BM_PaintPage)
    ->Args({1000, 40})
    ->Args({100000, 40})
    ->Args({100000, 20})
    ->Unit(benchmark::kMicrosecond);

// Page Down through every record, each page painted: per page, so it should stay flat in the size.
void BM_ScrollAllPages(benchmark::State& state) {
    TGridBench bench(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    Word next = VK_NEXT;
    long pages = 0;
    for (auto _ : state) {
        bench.Cds->First();
        while (!bench.Cds->Eof()) {
            next = VK_NEXT;
            PressKey(bench.Grid, next, {});
            bench.Grid->PaintTo(&bench.Picture, 0, 0);
            ++pages;
        }
    }
    state.counters["per_page_us"] = benchmark::Counter(
        static_cast<double>(pages), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScrollAllPages)
    ->Args({10000, 40})
    ->Args({100000, 40})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
