// Saving a header-plus-body document of 10 to 2,000 lines through the document form (the framework's test
// program FWDBL01 over FWDHD and FWDLN: the lines appended through the data set, each one filled,
// numbered and totalled by the data module as typing would, then SaveRecord with its lines check,
// key walk, apply and re-query; with and without the program's own check of each line, an item
// once a document and the header's total, each a walk over the lines so far) against the same
// document saved through the provider alone (a client data set with its nested lines, the same
// rows with the same audit values appended and applied), in process and over TCP, and against the
// same rows inserted into SQLite directly (prepared statements, one transaction); and the letter of
// credit with its own check of each line: time should grow with the lines, not with their square.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

#include "bench/BenchPlatform.h"
#include "classlib/automation/comobj.h"
#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"
#include "framework/Brokers.h"
#include "programs/kvrx58/Kvrx58CF.h"
#include "tests/e2e/docprograms/double/FwDoubleCF.h"
#include "tests/support/dialoguser.h"

namespace {

// A day of its own for each document, so that the daily numbers never run out and the number typed is
// the one the server gives (a run saves thousands of documents: the year moves on every 1,200 of them,
// else a day came round again and the save measured a renumbering and its extra fetch instead).
AnsiString NextDate() {
    static int day = 0;
    char text[16];
    std::snprintf(text, sizeof text, "%04d%04d", 2028 + day / 1200, 101 + day % 1200);
    ++day;
    return text;
}

struct THost {
    explicit THost(TBenchPlatform& platform, bool remote) {
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

void FormSave(benchmark::State& state) {
    static TBenchPlatform platform;
    THost host(platform, state.range(0) != 0);
    const bool checks = state.range(1) != 0;
    const int lineCount = static_cast<int>(state.range(2));
    TDialogUser answers;
    TModalDriver* previous = Application->SetModalDriver(&answers);
    std::unique_ptr<TfrmFwDouble> form(new TfrmFwDouble(nullptr));
    form->SetModuleFileName("FWDBL01C.so");
    form->Broker->HostApp = host.App;
    form->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
    form->Show();
    form->IsKeepOnAdd = false;
    TdmFwDouble* module = form->Module();
    module->LineChecks = checks;
    TClientDataSet* main = module->cdsMain;
    TClientDataSet* body = module->cdsBody1;
    for (auto _ : state) {
        state.PauseTiming();
        const AnsiString date = NextDate();
        state.ResumeTiming();

        form->AddRecord(true);
        main->FieldByName("DH003")->SetAsString(date);
        // The number the server will give: no message about a changed number.
        main->FieldByName("DH002")->SetAsString(date + "001");
        main->FieldByName("DH004")->SetAsString("bench");
        TField* item = body->FieldByName("DL004");
        TField* qty = body->FieldByName("DL005");
        TField* amount = body->FieldByName("DL006");
        for (int i = 0; i < lineCount; ++i) {
            char text[16];
            std::snprintf(text, sizeof text, "I%05d", i);
            body->Append();
            item->SetAsString(text);
            qty->SetAsFloat(1);
            amount->SetAsFloat(12.5 * i);
            body->Post();
        }
        if (!form->SaveRecord()) state.SkipWithError("the save was refused");
    }
    state.SetItemsProcessed(state.iterations() * (lineCount + 1));
    form.reset();
    Application->SetModalDriver(previous);
}
BENCHMARK(FormSave)
    ->ArgNames({"tcp", "checks", "lines"})
    ->ArgsProduct({{0, 1}, {0, 1}, {10, 100, 500, 2000}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// What the form writes into every row it adds besides the document's own values: the audit
// fields, and the empty texts of the fields nobody typed (the data module fills them), so that
// both saves send the server the same rows.
void Stamp(TDataSet* dataSet) {
    dataSet->FieldByName("COMPANY")->SetAsString("DEMO");
    dataSet->FieldByName("CREATOR")->SetAsString("DEMO");
    dataSet->FieldByName("USR_GROUP")->SetAsString("DEMO");
    dataSet->FieldByName("CREATE_DATE")->SetAsString("20280101120000000");
    dataSet->FieldByName("MODIFIER")->SetAsString("");
    dataSet->FieldByName("MODI_DATE")->SetAsString("");
}

void ProviderSave(benchmark::State& state) {
    static TBenchPlatform platform;
    platform.UseServers(state.range(0) != 0);
    const int lineCount = static_cast<int>(state.range(1));
    TSocketConnection connection;
    Variant server;
    if (state.range(0) != 0) {
        connection.SetAddress("localhost");
        connection.SetPort(platform.Port());
        connection.SetServerName("RAVEZ01A.Rarer1");
        connection.Open();
        server = connection.AppServer();
    } else {
        server = CreateOleObject("RAVEZ01A.Rarer1");
    }
    VarCall(server, "Connect",
            {VarArrayOf({Variant("FWDBL01"), Variant("DEMO"), Variant("DEMO"), Variant("DEMO"), Variant("1"),
                         Variant("1")})});
    TComponent owner(nullptr);
    auto* head = new TClientDataSet(&owner);
    auto* lines = new TClientDataSet(&owner);
    head->SetAppServer(server);
    head->SetProviderName("pvdMain");
    head->SetDataRequest(VarArrayOf({Variant("1 = 0"), Variant("")}));
    for (auto _ : state) {
        state.PauseTiming();
        lines->Close();
        head->Close();
        head->Open();
        lines->SetDataSetField(static_cast<TDataSetField*>(head->FieldByName("qryBody")));
        lines->Open();
        const AnsiString date = NextDate();
        VarCall(server, "SetIsSeq", {true});
        state.ResumeTiming();

        head->Append();
        Stamp(head);
        head->FieldByName("DH001")->SetAsString("5101");
        head->FieldByName("DH002")->SetAsString(date + "001");
        head->FieldByName("DH003")->SetAsString(date);
        head->FieldByName("DH004")->SetAsString("bench");
        head->FieldByName("FLAG")->SetAsInteger(1);
        for (int i = 0; i < lineCount; ++i) {
            char seq[16], text[16];
            std::snprintf(seq, sizeof seq, "%04d", i + 1);
            std::snprintf(text, sizeof text, "I%05d", i);
            lines->Append();
            Stamp(lines);
            lines->FieldByName("DL001")->SetAsString("5101");
            lines->FieldByName("DL002")->SetAsString(date + "001");
            lines->FieldByName("DL003")->SetAsString(seq);
            lines->FieldByName("DL004")->SetAsString(text);
            lines->FieldByName("DL005")->SetAsFloat(1);
            lines->FieldByName("DL006")->SetAsFloat(12.5 * i);
            lines->FieldByName("FLAG")->SetAsInteger(1);
            lines->Post();
        }
        head->Post();
        if (head->ApplyUpdates(0) != 0) state.SkipWithError("the save was rejected");
    }
    state.SetItemsProcessed(state.iterations() * (lineCount + 1));
}
BENCHMARK(ProviderSave)
    ->ArgNames({"tcp", "lines"})
    ->ArgsProduct({{0, 1}, {10, 100, 500, 2000}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The floor: the same header and lines inserted into the database by SQLite alone.
void RawInsert(benchmark::State& state) {
    static TBenchPlatform platform;
    const int lines = static_cast<int>(state.range(0));
    sqlite3* db = nullptr;
    sqlite3_stmt* head = nullptr;
    sqlite3_stmt* line = nullptr;
    const char* stamp = "COMPANY, CREATOR, USR_GROUP, CREATE_DATE, MODIFIER, MODI_DATE, FLAG, ";
    const char* stampValues = "'DEMO', 'DEMO', 'DEMO', '20280101120000000', '', '', 1, ";
    bool ok = sqlite3_open((platform.Root() + "/demo.db").c_str(), &db) == SQLITE_OK &&
              sqlite3_exec(db, "PRAGMA busy_timeout = 10000; PRAGMA synchronous = NORMAL", nullptr, nullptr,
                           nullptr) == SQLITE_OK; // as the server's connections
    ok = ok &&
         sqlite3_prepare_v2(db,
                            (std::string("INSERT INTO FWDHD (") + stamp +
                             "DH001, DH002, DH003, DH004) VALUES (" + stampValues + "'5199', ?, ?, 'bench')")
                                .c_str(),
                            -1, &head, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_prepare_v2(db,
                                  (std::string("INSERT INTO FWDLN (") + stamp +
                                   "DL001, DL002, DL003, DL004, DL005, DL006) VALUES (" + stampValues +
                                   "'5199', ?, ?, ?, 1, ?)")
                                      .c_str(),
                                  -1, &line, nullptr) == SQLITE_OK;
    static int document = 0;
    for (auto _ : state) {
        if (!ok) break;
        char number[16], date[16];
        std::snprintf(number, sizeof number, "R%08d", ++document);
        std::snprintf(date, sizeof date, "2028%04d", 101 + document % 1200);
        ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_bind_text(head, 1, number, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(head, 2, date, -1, SQLITE_TRANSIENT);
        ok = ok && sqlite3_step(head) == SQLITE_DONE;
        sqlite3_reset(head);
        for (int i = 0; ok && i < lines; ++i) {
            char seq[16], text[16];
            std::snprintf(seq, sizeof seq, "%04d", i + 1);
            std::snprintf(text, sizeof text, "I%05d", i);
            sqlite3_bind_text(line, 1, number, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(line, 2, seq, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(line, 3, text, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(line, 4, 12.5 * i);
            ok = sqlite3_step(line) == SQLITE_DONE;
            sqlite3_reset(line);
        }
        ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    if (!ok) state.SkipWithError(sqlite3_errmsg(db));
    sqlite3_finalize(head);
    sqlite3_finalize(line);
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * (lines + 1));
}
BENCHMARK(RawInsert)->ArgName("lines")->Arg(10)->Arg(100)->Arg(500)->Arg(2000)->UseRealTime()->Unit(
    benchmark::kMillisecond);

// The letter of credit saved with 500 and 2,000 typed order lines: each line posted through the form,
// whose own check looks for the order line on another line, then the framework's save. The order
// lines are typed without their lookups (made-up orders), so that only the lines' own checks count.
void LetterOfCreditSave(benchmark::State& state) {
    static TBenchPlatform platform;
    THost host(platform, false);
    const int lineCount = static_cast<int>(state.range(0));
    TDialogUser answers;
    TModalDriver* previous = Application->SetModalDriver(&answers);
    std::unique_ptr<TfrmKvrx58> form(new TfrmKvrx58(nullptr));
    form->SetModuleFileName("KVRX58C.so");
    form->Broker->HostApp = host.App;
    form->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
    form->Show();
    form->IsKeepOnAdd = false;
    TdmKvrx58* module = form->Module();
    TClientDataSet* main = module->cdsMain;
    TClientDataSet* body = module->cdsBody1;
    TField* type = body->FieldByName("TB004");
    TField* order = body->FieldByName("TB005");
    TField* seq = body->FieldByName("TB006");
    for (TField* field : {type, order, seq})
        field->SetOnValidate(TFieldNotifyEvent());
    static int document = 0;
    for (auto _ : state) {
        char number[16];
        std::snprintf(number, sizeof number, "B%07d", ++document);
        form->AddRecord(true);
        main->FieldByName("TA001")->SetAsString("5102");
        main->FieldByName("TA002")->SetAsString(number);
        main->FieldByName("TA004")->SetAsString("LC-BENCH");
        main->FieldByName("TA005")->SetAsString("S0002");
        main->FieldByName("TA006")->SetAsString("B001");
        main->FieldByName("TA018")->SetAsFloat(0);
        for (int i = 0; i < lineCount; ++i) {
            char text[16];
            body->Append();
            type->SetAsString("3301");
            std::snprintf(text, sizeof text, "PO%05d", i / 10);
            order->SetAsString(text);
            std::snprintf(text, sizeof text, "%04d", i % 10 + 1);
            seq->SetAsString(text);
            body->Post();
        }
        if (!form->SaveRecord()) state.SkipWithError("the save was refused");
    }
    state.SetItemsProcessed(state.iterations() * (lineCount + 1));
    form.reset();
    Application->SetModalDriver(previous);
}
BENCHMARK(LetterOfCreditSave)
    ->ArgName("lines")
    ->Arg(500)
    ->Arg(2000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
