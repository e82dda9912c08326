// The aligned string grid: painting one page of a 1,000 x 20 grid and resolving the properties of every
// visible cell, with a growing number of cells holding their own records; and the same page of grids of
// growing size, which should cost the same.
#include <benchmark/benchmark.h>

#include "classlib/rtl/format.h"
#include "components/Aligrid.h"

namespace {

TStringAlignGrid* BuildGrid(TForm* form, int rows, int withProps) {
    auto* grid = new TStringAlignGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 1000, 600);
    grid->SetColCount(20);
    grid->SetRowCount(rows);
    grid->SetDefaultColWidth(60);
    grid->SetDefaultRowHeight(20);
    for (int r = 1; r < rows; ++r)
        for (int c = 1; c < 20; ++c)
            grid->SetCells(c, r, "金额" + IntToStr(r * 20 + c));
    grid->SetAlignCol(3, TMyAlign::alRight);
    grid->FontRow(2)->SetStyle(TFontStyles{fsBold});
    // Records spread over the whole grid: on the page and beyond it.
    for (int i = 0; i < withProps; ++i) {
        const int c = 1 + i % 19, r = 1 + (i * 7) % (rows - 1);
        grid->SetAlignCell(c, r, TMyAlign::alCenter);
        grid->BrushCell(c, r)->SetColor(clInfoBk);
    }
    return grid;
}

void BM_PaintPage(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const int withProps = static_cast<int>(state.range(1));
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 1010, 620);
    TStringAlignGrid* grid = BuildGrid(form, rows, withProps);
    form->Show();
    grid->SetTopRow(rows / 2);
    TBitmap picture;
    for (auto _ : state) {
        PaintControlPicture(grid, &picture);
        benchmark::DoNotOptimize(picture.Pixel(10, 10));
    }
    form->Free();
}
BENCHMARK(BM_PaintPage)
    ->Args({1000, 0})
    ->Args({1000, 1000})
    ->Args({1000, 10000})
    ->Args({100, 0})
    ->Args({10000, 0});

void BM_ResolveVisibleCells(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const int withProps = static_cast<int>(state.range(1));
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 1010, 620);
    TStringAlignGrid* grid = BuildGrid(form, rows, withProps);
    grid->SetTopRow(rows / 2);
    const int top = grid->TopRow(), bottom = std::min(rows, top + grid->VisibleRowCount());
    for (auto _ : state) {
        int sum = 0;
        for (int r = top; r < bottom; ++r)
            for (int c = 0; c < 20; ++c) {
                sum += static_cast<int>(grid->GetAlignCell(c, r)) +
                       static_cast<int>(grid->GetWordwrapCell(c, r));
                sum += grid->GetEditableCell(c, r) + static_cast<int>(grid->GetCellColor(c, r));
                sum +=
                    grid->GetCellFont(c, r)->Height() + static_cast<int>(grid->GetCellEditMask(c, r).size());
                sum += static_cast<int>(grid->GetCellControlInfo(c, r)->Kind());
            }
        benchmark::DoNotOptimize(sum);
    }
    form->Free();
}
BENCHMARK(BM_ResolveVisibleCells)->Args({1000, 0})->Args({1000, 10000})->Args({10000, 0});

} // namespace
