// Converting a form of 300 components (labels, buttons, edits, combo and list boxes, memos, menu items,
// a string grid) for a BIG5 user interface, as a document form is converted once after creation.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "classlib/controls/button.h"
#include "classlib/controls/forms.h"
#include "classlib/controls/grids.h"
#include "classlib/controls/menus.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/registry.h"
#include "foundation/CodeConverter.h"
#include "foundation/VeltraneIni.h"

namespace {

// A client installation in a temporary folder whose user interface is BIG5.
class TBenchPlatform {
public:
    TBenchPlatform() {
        std::random_device seed;
        FRoot = std::filesystem::temp_directory_path() / ("kvr-bench-converter-" + std::to_string(seed()));
        std::filesystem::create_directories(FRoot);
        SetDriveRoot((FRoot / "drives").string());
        SetRegistryFileName((FRoot / "registry.ini").string());
        SetACP(936);
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        registry.OpenKey(VeltraneRegistryKey, true);
        registry.WriteString("ClientPath", "C:\\Veltrane\\");
        ForceDirectories("C:\\Veltrane");
        SaveFileBytes("C:\\Veltrane\\VeltraneC.ini", "[CodePage]\r\nUICodePage=950\r\nDBCodePage=936\r\n");
    }
    ~TBenchPlatform() {
        SetRegistryFileName("");
        SetDriveRoot("");
        std::error_code ignored;
        std::filesystem::remove_all(FRoot, ignored);
    }

private:
    std::filesystem::path FRoot;
};

TForm* BuildForm() {
    auto* form = new TForm(nullptr);
    form->SetCaption("信用证开立");
    form->SetHint("开立信用证");
    auto* menu = new TMainMenu(form);
    int count = 1;
    for (int i = 0; count < 300; ++i, ++count) {
        const AnsiString n = IntToStr(i);
        TControl* control = nullptr;
        switch (i % 7) {
        case 0: {
            auto* label = new TLabel(form);
            label->SetCaption("开证银行" + n);
            control = label;
            break;
        }
        case 1: {
            auto* button = new TButton(form);
            button->SetCaption("保存单据");
            control = button;
            break;
        }
        case 2: {
            auto* edit = new TEdit(form);
            edit->SetText("LC-" + n);
            control = edit;
            break;
        }
        case 3: {
            auto* combo = new TComboBox(form);
            combo->Items()->SetText("全部\r\n已确认\r\n未确认\r\n");
            control = combo;
            break;
        }
        case 4: {
            auto* list = new TListBox(form);
            list->Items()->SetText("人民币\r\n美元\r\n欧元\r\n");
            control = list;
            break;
        }
        case 5: {
            auto* memo = new TMemo(form);
            memo->Lines()->SetText("信用证说明\r\n单据备注\r\n");
            control = memo;
            break;
        }
        default: {
            auto* item = new TMenuItem(form);
            item->SetCaption("浏览单据" + n);
            item->SetHint("浏览");
            menu->Items()->Add(item);
            break;
        }
        }
        if (control) {
            control->SetHint("提示" + n);
            control->SetParent(form);
        }
    }
    auto* grid = new TStringGrid(form);
    grid->SetParent(form);
    grid->SetColCount(5);
    grid->SetRowCount(10);
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 10; ++r)
            grid->SetCells(c, r, "金额" + IntToStr(c * 10 + r));
    return form;
}

void BM_ConvertForm950(benchmark::State& state) {
    TBenchPlatform platform;
    TCodeConverter converter(nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        TForm* form = BuildForm();
        state.ResumeTiming();
        converter.ConvertForm(form);
        state.PauseTiming();
        benchmark::DoNotOptimize(form->ComponentCount());
        form->Free();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 301);
}
BENCHMARK(BM_ConvertForm950)->Unit(benchmark::kMillisecond);

} // namespace
