// The demo's run of the letter-of-credit form, step by step, as a user does it: open the form (connected,
// the first documents shown), add a letter of credit with two purchase-order lines picked through the
// lookup window, save it, query it back, change it, save again, print it through the host and delete
// it; with the servers and the host's work centre in process (127.0.0.1) and over TCP (localhost). An
// iteration is one whole run; each step's mean time is a counter of its own (milliseconds), so that the
// slowest step shows.
#include <benchmark/benchmark.h>

#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchPlatform.h"
#include "classlib/automation/comobj.h"
#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"
#include "framework/Brokers.h"
#include "programs/kvrx58/Kvrx58CF.h"
#include "standins/workcenter/wcstate.h"
#include "standins/workcenter/workcenter.h"
#include "tests/support/dialoguser.h"

namespace {

double Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The lookup windows of the host: the first two rows.
class TPickTwo : public TWorkCenterChooser {
public:
    std::vector<int> ChooseRows(const TChooseRequest&) override { return {0, 1}; }
    AnsiString ChooseDate(const AnsiString& date, bool) override { return date; }
    AnsiString Calculate(const AnsiString& text) override { return text; }
};

struct THost {
    THost(TBenchPlatform& platform, bool remote) {
        platform.UseServers(remote);
        Application->SetExeName("/opt/VORLAN/bench"); // a hosted form: no stand-alone start
        if (remote) {
            Connection.SetAddress("localhost");
            Connection.SetPort(platform.Port());
            Connection.SetServerName("VorlanWorkCenter.Manager");
            Connection.Open();
            App = Connection.AppServer();
        } else {
            App = CreateOleObject("VorlanWorkCenter.Manager");
        }
    }
    TSocketConnection Connection;
    Variant App;
};

const char* const Steps[] = {"1a_open_create", "1b_open_initialize", "1c_open_show", "2_add_pick2", "3_save",
                             "4_query",        "5_change_save",      "6_print",      "7_delete"};

void DemoRun(benchmark::State& state) {
    static TBenchPlatform platform;
    const std::shared_ptr<TWorkCenterChooser> previousChooser = WorkCenterChooser();
    SetWorkCenterChooser(std::make_shared<TPickTwo>());
    THost host(platform, state.range(0) != 0);
    // OK to every message; the dialogs of the form (query, print) left with OK.
    TDialogUser user;
    user.Others = [](TCustomForm* form) {
        UserAnswer(form, FindFormComponent(form, "BBOK") ? "BBOK" : "OK");
    };
    TModalDriver* previous = Application->SetModalDriver(&user);
    std::map<std::string, double> spent;
    int printed = 0;
    TWorkCenterObserver observer;
    observer.WorkExecuted = [&printed](const TStartRequest& request, int) {
        if (SameText(request.Program, "KVRX71")) ++printed;
    };
    SetWorkCenterObserver(observer);
    for (auto _ : state) {
        std::unique_ptr<TfrmKvrx58> form;
        AnsiString number;
        double total = 0;
        const auto step = [&](const char* name, const std::function<void()>& work) {
            const double start = Now();
            work();
            const double took = Now() - start;
            spent[name] += took;
            total += took;
        };
        // Opening in its three parts: the form and data module made from their streams, the start-up
        // (settings, connection, the first documents), and showing.
        step("1a_open_create", [&] {
            form.reset(new TfrmKvrx58(nullptr));
            form->SetModuleFileName("/opt/VORLAN/KVRX58C.so");
            form->Broker->HostApp = host.App;
        });
        step("1b_open_initialize", [&] {
            form->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
        });
        step("1c_open_show", [&] { form->Show(); });
        form->IsKeepOnAdd = false;
        TClientDataSet* main = form->Module()->cdsMain;
        TClientDataSet* body = form->Module()->cdsBody1;
        step("2_add_pick2", [&] {
            UserKey(form.get(), "F5");
            UserType(form.get(), "edTA001", "5101");
            UserType(form.get(), "edTA004", "LC-BENCH-0001");
            UserType(form.get(), "edTA005", "S0002");
            UserType(form.get(), "edTA006", "B001");
            UserClick(form.get(), "TabSheet1");
            UserType(form.get(), "edTA018", "35835");
            Application->RunUserAction([&] { form->gdBody1->SetFocus(); });
            Application->RunUserAction([&] { form->gdBody1->SetSelectedField(body->FieldByName("TB004")); });
            UserKey(form.get(), "F2");
        });
        if (body->RecordCount() + (body->State() == dsInsert ? 1 : 0) != 2) {
            state.SkipWithError("the lookup did not give two lines");
            break;
        }
        step("3_save", [&] { UserKey(form.get(), "F12"); });
        number = main->FieldByName("TA002")->AsString();
        if (form->EditState != esBrowse || number.empty()) {
            state.SkipWithError("the save was refused");
            break;
        }
        step("4_query", [&] {
            UserKey(form.get(), "F6");
            main->Locate("TA002", Variant(number));
        });
        if (main->FieldByName("TA002")->AsString() != number || body->RecordCount() != 2) {
            state.SkipWithError("the saved document did not come back");
            break;
        }
        step("5_change_save", [&] {
            UserKey(form.get(), "F7");
            UserClick(form.get(), "TabSheet2");
            UserType(form.get(), "edTA025", "120");
            UserKey(form.get(), "F12");
        });
        const int before = printed;
        step("6_print", [&] { UserClick(form.get(), "btnPrint"); });
        if (printed != before + 1) {
            state.SkipWithError("the print program was not started");
            break;
        }
        step("7_delete", [&] { UserKey(form.get(), "F8"); });
        if (main->Locate("TA002", Variant(number))) {
            state.SkipWithError("the document was not deleted");
            break;
        }
        state.SetIterationTime(total);
        form.reset();
    }
    for (const char* name : Steps)
        state.counters[name] = benchmark::Counter(spent[name] * 1e3, benchmark::Counter::kAvgIterations);
    Application->SetModalDriver(previous);
    SetWorkCenterObserver(TWorkCenterObserver());
    SetWorkCenterChooser(previousChooser);
}
BENCHMARK(DemoRun)->ArgName("tcp")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
