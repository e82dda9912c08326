#pragma once
// The letter-of-credit form as the host starts it: the application server in this process over a
// fresh demo database, the work centre's own services (code checks, counter, messages), and a user
// who answers the message dialogs and the lookup windows from queues (OK and nothing picked when a
// queue is empty) and keeps what they were shown.
#include <sqlite3.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/automation/comobj.h"
#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"
#include "components/FDBGrid.h"
#include "foundation/TempPlatform.h"
#include "programs/kvrx58/Kvrx58CF.h"
#include "standins/workcenter/wcstate.h"
#include "standins/workcenter/workcenter.h"
#include "tests/standins/appserver/serverfixture.h"
#include "tests/support/dialoguser.h"

// The rows the next lookup windows return (indexes into what each offers), and what they offered.
class TQueuedChooser : public TWorkCenterChooser {
public:
    std::deque<std::vector<int>> Picks;
    std::vector<TChooseRequest> Requests;
    std::vector<int> ChooseRows(const TChooseRequest& request) override {
        Requests.push_back(request);
        if (Picks.empty()) return {};
        std::vector<int> rows = Picks.front();
        Picks.pop_front();
        return rows;
    }
    // The dates the next date pickers return (none picked when empty), and how many were asked.
    std::deque<AnsiString> Dates;
    int DatesAsked = 0;
    AnsiString ChooseDate(const AnsiString&, bool) override {
        ++DatesAsked;
        if (Dates.empty()) return AnsiString();
        AnsiString date = Dates.front();
        Dates.pop_front();
        return date;
    }
    AnsiString Calculate(const AnsiString&) override { return AnsiString(); }
};

// The query dialog as a user left it, and how the form bound it to the lines.
class TRecordingQuery : public TQueryDialog {
public:
    explicit TRecordingQuery(TComponent* owner) : FComponent(new TComponent(owner)) {}
    static inline AnsiString Where;
    static inline bool Cancel = false;
    static inline std::vector<AnsiString> BodyBindings;
    TComponent* Component() const override { return FComponent; }
    void SetHeadDataSet(TDataSet*, const AnsiString&, bool, const AnsiString&, const AnsiString&) override {}
    void SetBodyDataSet(TDataSet* dataSet, const AnsiString& table, const AnsiString&, const AnsiString&,
                        const AnsiString& links) override {
        BodyBindings.push_back((dataSet ? dataSet->Name() : AnsiString("nil")) + " " + table + " " + links);
    }
    void SetDefaultTopRow(int) override {}
    bool Execute(AnsiString& where, AnsiString& order) override {
        if (Cancel) return false;
        BuildQuery(where, order);
        return true;
    }
    int GetTopRow() override { return 0; }
    bool LoadScheme(const Variant&, const AnsiString&) override { return false; }
    void BuildQuery(AnsiString& where, AnsiString& order) override {
        where = Where;
        order.clear();
    }

private:
    TComponent* FComponent;
};

// The letter-of-credit form with the dialogs a test may script in place of the dialogs' own; every other
// dialog is the form's own.
class TfrmKvrx58Scripted : public TfrmKvrx58 {
public:
    using TCopyDialog = std::function<bool(TfrmDouble* owner, TDataSet* dataSet, Byte kind, Variant& extras,
                                           Variant& lines, Variant& head, const AnsiString& keyFields)>;
    using TfrmKvrx58::TfrmKvrx58;
    // Set before the form is made (it makes its query dialog when shown); the fixture clears both.
    static inline std::function<std::unique_ptr<TQueryDialog>(TfrmSingle* form)> QueryDialogMaker;
    // Unset: the copy command shows no dialog and copies nothing.
    static inline TCopyDialog CopyDialog;
    std::unique_ptr<TQueryDialog> MakeQueryDialog() override {
        return QueryDialogMaker ? QueryDialogMaker(this) : TfrmKvrx58::MakeQueryDialog();
    }
    bool RunCopyDialog(TComponent*, TDataSet* dataSet, Byte kind, Variant& extras, Variant& lines,
                       Variant& head, const AnsiString& keyFields, TDataSource*) override {
        return CopyDialog && CopyDialog(this, dataSet, kind, extras, lines, head, keyFields);
    }
};

class Kvrx58Fixture : public TempPlatform {
protected:
    void SetUp() override {
        TempPlatform::SetUp();
        TfrmKvrx58Scripted::QueryDialogMaker = nullptr;
        TfrmKvrx58Scripted::CopyDialog = nullptr;
        Db = std::make_unique<TServerDatabase>();
        SetPlatformKey({{"ClientPath", "C:\\Veltrane\\"}});
        WriteFile("C:\\Veltrane\\VeltraneC.ini", "[Server Information]\r\nComputerName=127.0.0.1\r\n");
        FSavedExe = Application->ExeName();
        Application->SetExeName("/opt/VORLAN/bin/host");
        Application->ClearDialogs();
        FPrevious = Application->SetModalDriver(&User);
        FSavedChooser = WorkCenterChooser();
        SetWorkCenterChooser(Chooser);
        TWorkCenterObserver observer;
        observer.MessageGiven = [this](const AnsiString& kind, const AnsiString& code, const AnsiString&) {
            Messages.push_back(kind + " " + code);
        };
        SetWorkCenterObserver(observer);
    }
    void TearDown() override {
        delete Form;
        Form = nullptr;
        TfrmKvrx58Scripted::QueryDialogMaker = nullptr;
        TfrmKvrx58Scripted::CopyDialog = nullptr;
        Host = Variant();
        SetWorkCenterObserver(TWorkCenterObserver());
        SetWorkCenterChooser(FSavedChooser);
        Application->SetModalDriver(FPrevious);
        Application->SetExeName(FSavedExe);
        Application->ClearDialogs();
        Db.reset();
        TempPlatform::TearDown();
    }

    // The form started for user DEMO and shown, as the host's Open and SetVisible do.
    TfrmKvrx58* Open() {
        Host = CreateOleObject("VorlanWorkCenter.Manager");
        Form = new TfrmKvrx58Scripted(nullptr);
        Form->SetModuleFileName("/opt/VORLAN/KVRX58C.so");
        Form->Broker->HostApp = Host;
        EXPECT_TRUE(Form->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""})));
        Form->Show();
        Messages.clear();
        return Form;
    }

    TClientDataSet* Main() const { return Form->Module()->cdsMain; }
    TClientDataSet* Body() const { return Form->Module()->cdsBody1; }
    AnsiString Head(const char* name) const { return Main()->FieldByName(name)->AsString(); }
    AnsiString Line(const char* name) const { return Body()->FieldByName(name)->AsString(); }
    std::string Sql(const std::string& sql) const { return Db->Value(sql); }
    // A statement on the demo database as its administrator would run it (settings tables).
    void Administer(const std::string& sql) const {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Db->Path().c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        const int result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
        const std::string text = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(result, SQLITE_OK) << text;
    }

    // The messages asked of the host since the last call, each "kind code".
    std::vector<AnsiString> TakeMessages() {
        std::vector<AnsiString> taken;
        taken.swap(Messages);
        return taken;
    }

    // A new letter of credit of supplier S0002 (USD, factory F01 by default) on issuing bank B001.
    void AddHeader(const AnsiString& type, const AnsiString& number = "", const AnsiString& amount = "0") {
        UserKey(Form, "F5");
        UserType(Form, "edTA001", type);
        if (!number.empty()) UserType(Form, "edTA002", number);
        UserType(Form, "edTA004", "LC-T-001");
        UserType(Form, "edTA005", "S0002");
        UserClick(Form, "tbsHead1");
        UserType(Form, "edTA006", "B001");
        UserClick(Form, "TabSheet1");
        UserType(Form, "edTA018", amount);
    }
    // F2 on a column of the lines' grid, with the lookup window's answer queued.
    void F2OnColumn(const char* field, std::vector<int> picks) {
        Chooser->Picks.push_back(std::move(picks));
        Application->RunUserAction([this] { Form->gdBody1->SetFocus(); });
        Application->RunUserAction(
            [this, field] { Form->gdBody1->SetSelectedField(Body()->FieldByName(field)); });
        UserKey(Form, "F2");
    }

    std::unique_ptr<TServerDatabase> Db;
    std::shared_ptr<TQueuedChooser> Chooser = std::make_shared<TQueuedChooser>();
    TDialogUser User;
    std::vector<AnsiString> Messages;
    Variant Host;
    TfrmKvrx58Scripted* Form = nullptr;

private:
    AnsiString FSavedExe;
    TModalDriver* FPrevious = nullptr;
    std::shared_ptr<TWorkCenterChooser> FSavedChooser;
};
