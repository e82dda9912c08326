// Writing an export of ROWS x 20 columns (ten text columns, ten number columns, a header row):
// - through the automation server "Excel.Application" and TOLEExcel, against the same cells written
//   with libxlsxwriter directly;
// - through the report library's spreadsheet filter, against the same cells written with the binary
//   workbook writer directly.
// - through the single-table data module's exports (TdmSingle: ExportToExcel with numbers, and
//   ExportToXLSFile) over a client data set of the same cells, against the writers above.
// Each pair should stay within 2x of each other and grow linearly with the rows.
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <map>
#include <string>
#include <vector>

#include "classlib/automation/comserv.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/format.h"
#include "classlib/db/dbclient.h"
#include "foundation/OleExcel.h"
#include "framework/SingleCD.h"
#include "standins/outside/xlsfilter/xlsfilter.h"

namespace {

constexpr int Columns = 20;
constexpr int TextColumns = 10;

// The cells of one export, in the forms each writer takes.
struct TExportData {
    std::vector<AnsiString> Labels;             // code page 936
    std::vector<std::vector<AnsiString>> Texts; // [row][text column]
    std::vector<std::vector<double>> Numbers;   // [row][number column]
    std::vector<std::vector<AnsiString>> NumberTexts;
};

const TExportData& Data(int rows) {
    static std::map<int, TExportData> cache;
    auto [at, added] = cache.try_emplace(rows);
    TExportData& data = at->second;
    if (!added) return data;
    for (int c = 0; c < Columns; ++c)
        data.Labels.push_back("栏位" + IntToStr(c + 1));
    for (int r = 0; r < rows; ++r) {
        std::vector<AnsiString> texts;
        std::vector<double> numbers;
        std::vector<AnsiString> numberTexts;
        for (int c = 0; c < TextColumns; ++c)
            texts.push_back(c % 3 == 0 ? "LC" + IntToStr(100000 + r)
                                       : "信用证" + IntToStr(r % 97) + "-" + IntToStr(c));
        for (int c = TextColumns; c < Columns; ++c) {
            numbers.push_back((r * 31 + c) * 1.25 - 5000);
            numberTexts.push_back(FloatToStr(numbers.back()));
        }
        data.Texts.push_back(std::move(texts));
        data.Numbers.push_back(std::move(numbers));
        data.NumberTexts.push_back(std::move(numberTexts));
    }
    return data;
}

std::string OutputFile(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void OLEExcel(benchmark::State& state) {
    SetClassRegistryFileName(KVR_BINARY_DIR "/data/classes.ini");
    const int rows = static_cast<int>(state.range(0));
    const TExportData& data = Data(rows);
    const std::string file = OutputFile("kvr-bench-oleexcel.xls");
    for (auto _ : state) {
        TOLEExcel excel(nullptr);
        excel.SetDecimals(2);
        excel.SetConnected(true);
        excel.NewWorkbook();
        excel.SetSheetName("KVRX58");
        for (int c = 0; c < Columns; ++c)
            excel.WriteText(1, c + 1, nullptr, false, data.Labels[c]);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < TextColumns; ++c)
                excel.WriteText(r + 2, c + 1, nullptr, true, data.Texts[r][c]);
            for (int c = TextColumns; c < Columns; ++c)
                excel.WriteNumber(r + 2, c + 1, nullptr, true, data.Numbers[r][c - TextColumns]);
        }
        excel.SaveAs(file);
        excel.SetConnected(false);
    }
    state.SetItemsProcessed(state.iterations() * rows * Columns);
    std::filesystem::remove(file);
}

void XlsxWriterDirect(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const TExportData& data = Data(rows);
    const std::string file = OutputFile("kvr-bench-xlsxwriter.xlsx");
    for (auto _ : state) {
        lxw_workbook* book = workbook_new(file.c_str());
        lxw_worksheet* sheet = workbook_add_worksheet(book, "KVRX58");
        lxw_format* text = workbook_add_format(book);
        format_set_num_format(text, "@");
        lxw_format* number = workbook_add_format(book);
        format_set_num_format(number, "#,##0.00_ ");
        for (int c = 0; c < Columns; ++c)
            worksheet_write_string(sheet, 0, c, AnsiToUtf8(data.Labels[c]).c_str(), nullptr);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < TextColumns; ++c)
                worksheet_write_string(sheet, r + 1, c, AnsiToUtf8(data.Texts[r][c]).c_str(), text);
            for (int c = TextColumns; c < Columns; ++c)
                worksheet_write_number(sheet, r + 1, c, data.Numbers[r][c - TextColumns], number);
        }
        workbook_close(book);
    }
    state.SetItemsProcessed(state.iterations() * rows * Columns);
    std::filesystem::remove(file);
}

void XLSFilter(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const TExportData& data = Data(rows);
    const std::string file = OutputFile("kvr-bench-filter.xls");
    for (auto _ : state) {
        TQRXLSFilter filter(file);
        filter.CreateStream("");
        for (int c = 0; c < Columns; ++c)
            filter.WriteData(xlsText, 0, data.Labels[c], c);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < TextColumns; ++c)
                filter.WriteData(xlsText, r + 1, data.Texts[r][c], c);
            for (int c = TextColumns; c < Columns; ++c)
                filter.WriteData(xlsNumber, r + 1, data.NumberTexts[r][c - TextColumns], c);
        }
        filter.StorePage();
        filter.CloseStream();
    }
    state.SetItemsProcessed(state.iterations() * rows * Columns);
    std::filesystem::remove(file);
}

void BiffDirect(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const TExportData& data = Data(rows);
    const std::string file = OutputFile("kvr-bench-biff.xls");
    for (auto _ : state) {
        TBiffWorkbook book;
        for (int c = 0; c < Columns; ++c)
            book.Text(0, c, AnsiToWide(data.Labels[c]));
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < TextColumns; ++c)
                book.Text(r + 1, c, AnsiToWide(data.Texts[r][c]));
            for (int c = TextColumns; c < Columns; ++c)
                book.Number(r + 1, c, data.Numbers[r][c - TextColumns]);
        }
        const std::string bytes = book.Build();
        std::FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    state.SetItemsProcessed(state.iterations() * rows * Columns);
    std::filesystem::remove(file);
}

// The same cells as a client data set: ten string fields, then ten float fields.
TClientDataSet& DataSetOf(int rows) {
    static std::map<int, std::unique_ptr<TClientDataSet>> cache;
    std::unique_ptr<TClientDataSet>& at = cache[rows];
    if (at) return *at;
    const TExportData& data = Data(rows);
    at = std::make_unique<TClientDataSet>(nullptr);
    for (int c = 0; c < TextColumns; ++c)
        at->FieldDefs()->Add("S" + std::to_string(c), ftString, 20);
    for (int c = TextColumns; c < Columns; ++c)
        at->FieldDefs()->Add("F" + std::to_string(c), ftFloat);
    at->CreateDataSet();
    for (int c = 0; c < Columns; ++c)
        at->Fields()->Fields(c)->SetDisplayLabel(data.Labels[c]);
    for (int r = 0; r < rows; ++r) {
        at->Append();
        for (int c = 0; c < TextColumns; ++c)
            at->Fields()->Fields(c)->SetAsString(data.Texts[r][c]);
        for (int c = TextColumns; c < Columns; ++c)
            at->Fields()->Fields(c)->SetAsFloat(data.Numbers[r][c - TextColumns]);
        at->Post();
    }
    at->MergeChangeLog();
    return *at;
}

// The module's exports write into the user's folder below the working folder when no form is there:
// the run works in a temporary folder of its own.
class TExportRun {
public:
    TExportRun() : FSaved(std::filesystem::current_path()) {
        FFolder = std::filesystem::temp_directory_path() / ("kvr-bench-export-" + std::to_string(getpid()));
        std::filesystem::create_directories(FFolder);
        std::filesystem::current_path(FFolder);
        SetClassRegistryFileName(KVR_BINARY_DIR "/data/classes.ini");
        Module = std::make_unique<TdmSingle>(nullptr);
    }
    ~TExportRun() {
        Module.reset();
        std::filesystem::current_path(FSaved);
        std::filesystem::remove_all(FFolder);
    }
    // Each export of the same second writes the same file again; a file left over goes first.
    void Clean() {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(FFolder))
            if (entry.is_regular_file()) std::filesystem::remove(entry.path());
    }
    std::unique_ptr<TdmSingle> Module;

private:
    std::filesystem::path FSaved, FFolder;
};

void ModuleExportToExcel(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    TClientDataSet& dataSet = DataSetOf(rows);
    TExportRun run;
    for (auto _ : state) {
        run.Clean();
        if (!run.Module->ExportToExcel(&dataSet, nullptr, true)) state.SkipWithError("the export failed");
    }
    state.SetItemsProcessed(state.iterations() * rows * Columns);
}

void ModuleExportToXLSFile(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    TClientDataSet& dataSet = DataSetOf(rows);
    TExportRun run;
    for (auto _ : state) {
        run.Clean();
        if (!run.Module->ExportToXLSFile(&dataSet, nullptr)) state.SkipWithError("the export failed");
    }
    state.SetItemsProcessed(state.iterations() * rows * Columns);
}

} // namespace

BENCHMARK(ModuleExportToExcel)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(ModuleExportToXLSFile)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(OLEExcel)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(XlsxWriterDirect)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(XLSFilter)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BiffDirect)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
