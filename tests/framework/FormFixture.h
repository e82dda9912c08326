#pragma once
// A document form of the root class on a platform in a temporary folder (the client folder
// C:\Veltrane with its VeltraneC.ini), run as a hosted program (the executable's path holds VORLAN), with a
// host object whose services are test doubles and a user who answers every message dialog from a queue (OK
// when it is empty).
#include <deque>
#include <vector>

#include "classlib/automation/comobj.h"
#include "classlib/automation/comserv.h"
#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"
#include "classlib/db/provider.h"
#include "classlib/objects/formloader.h"
#include "foundation/TempPlatform.h"
#include "framework/RadicalCF.h"
#include "support/memoryappserver.h"
#include "tests/framework/DispatchDouble.h"
#include "tests/support/dialoguser.h"

// The application server of these tests: answers Connect with the given code, gives a settings list
// and serves an empty pvdConSave.
class TAppServerDouble {
public:
    explicit TAppServerDouble(int answer, const AnsiString& settings = "M11_TABLE=KVRTA\r\nMAX_RECORD=20\r\n")
        : Schemes(new TMemoryAppServer), SchemesRef(static_cast<IDispatch*>(Schemes)) {
        Schemes->Provider("pvdConSave").Fields = {{"NCONDITION", ftString, 20, 0, {}},
                                                  {"CREATOR", ftString, 10, 0, {}},
                                                  {"PROGRAMME", ftString, 10, 0, {}}};
        Object = NewDispatchDouble(Server);
        Server->OnValue("Connect", answer);
        Server->OnValue("SvrData", settings);
        Server->OnValue("WhatIs", "20260105");
        TMemoryAppServer* schemes = Schemes;
        Server->On("AS_GetRecords", [schemes](TDispArgs args) { return schemes->GetRecords(args); });
        LookupObject = NewDispatchDouble(LookupServer);
    }
    // Both servers created in process by their identifiers while the object lives.
    void ServeInProcess() {
        FApp = RegisterOleObjectFactory("RAVEZ01A.Rarer1", [this] { return Object; });
        FLookup = RegisterOleObjectFactory("F2WindowS.Class1", [this] { return LookupObject; });
    }
    ~TAppServerDouble() {
        if (FApp) RevokeOleObjectFactory(FApp);
        if (FLookup) RevokeOleObjectFactory(FLookup);
    }
    TMemoryAppServer* Schemes;
    Variant SchemesRef;
    Variant Object;
    TDispatchDouble* Server = nullptr;
    Variant LookupObject;
    TDispatchDouble* LookupServer = nullptr;

private:
    int FApp = 0, FLookup = 0;
};

// The data module the root form is tested with: no data sets of its own.
class TdmRootTest : public TdmRadical {
    KVR_CLASS(TdmRootTest, TdmRadical)
public:
    explicit TdmRootTest(TComponent* owner, bool load = true) : TdmRadical(owner, false) {
        if (load) InitInheritedComponent(this);
    }
    bool IsLocalServer() override { return MIDAS->Address() == "127.0.0.1"; }
};

class TfrmRootTest : public TfrmRadical {
    KVR_CLASS(TfrmRootTest, TfrmRadical)
public:
    explicit TfrmRootTest(TComponent* owner, bool load = true) : TfrmRadical(owner, false) {
        if (load) InitInheritedComponent(this);
    }
    TClass DataModuleClass() override { return TdmRootTest::StaticClass(); }
    void AfterSay() override { ++AfterSayCount; }
    // F2 opens the lookup of LookupField when one is set.
    void DoF2Key(Word& key, TWinControl* control) override {
        TfrmRadical::DoF2Key(key, control);
        ++F2Count;
        if (LookupField) OpenLookup(LookupField, "BYVMA", Variant(AnsiString()), "01");
    }
    TField* LookupField = nullptr;
    int F2Count = 0;
    void FormCreate(TObject* sender) {
        CreateDataModule();
        TfrmRadical::FormCreate(sender);
    }
    int AfterSayCount = 0;
};

class FormFixture : public TempPlatform {
protected:
    void SetUp() override {
        TempPlatform::SetUp();
        SetPlatformKey({{"ClientPath", "C:\\Veltrane\\"}});
        WriteClientIni("127.0.0.1", 211);
        FSavedExe = Application->ExeName();
        Application->SetExeName("/opt/VORLAN/bin/host");
        Application->ClearDialogs();
        FPrevious = Application->SetModalDriver(&User);
        Host = NewDispatchDouble(HostObject);
        HostObject->OnValue("ProductID", 3);
        // "kind+code:%s": the broker puts the first argument in, so a dialog shows what it was given.
        HostObject->On("GetMessage", [](TDispArgs args) {
            return Variant(args[0].Value->AsString() + args[1].Value->AsString() + ":%s");
        });
        for (auto [name, object] : {std::pair{"Com_Validator", &Validator},
                                    std::pair{"Com_F2Window", &Lookup}, std::pair{"Com_Counter", &Counter}}) {
            const Variant service = NewDispatchDouble(*object);
            HostObject->OnValue(name, service);
        }
        Counter->OnValue("GetSysInfo", Variant());
        Validator->OnValue("CheckValue", false);
    }
    void TearDown() override {
        delete Form;
        Form = nullptr;
        // The recorded calls hold the host object (the lookup array carries it): let it go.
        for (TDispatchDouble* object : {HostObject, Validator, Lookup, Counter})
            object->Calls.clear();
        Host = Variant();
        Application->SetModalDriver(FPrevious);
        Application->SetExeName(FSavedExe);
        Application->ClearDialogs();
        TempPlatform::TearDown();
    }

    void WriteClientIni(const AnsiString& address, int port) {
        WriteFile("C:\\Veltrane\\VeltraneC.ini", "[Server Information]\r\nComputerName=" + address +
                                                     "\r\nServerPort=" + IntToStr(port) + "\r\n");
    }

    // A form with the host object and the start values of a DEMO user, not yet initialised.
    TfrmRootTest* MakeForm(const AnsiString& moduleFile = "/opt/VORLAN/KVRX58C.so") {
        Form = new TfrmRootTest(nullptr);
        Form->SetModuleFileName(moduleFile);
        Form->Broker->HostApp = Host;
        Form->Broker->UserID = "DEMO";
        Form->Broker->CompanyID = "DEMO";
        Form->Broker->Database = "DEMO";
        Form->Broker->ProgramID = "KVRX58";
        Form->Broker->Validator = VarGet(Host, "Com_Validator");
        Form->Broker->F2Window = VarGet(Host, "Com_F2Window");
        Form->Broker->Counter = VarGet(Host, "Com_Counter");
        return Form;
    }

    // The records of the message dialogs shown since the last call.
    std::vector<TDialogRecord> TakeDialogs() {
        std::vector<TDialogRecord> records = Application->Dialogs();
        Application->ClearDialogs();
        return records;
    }

    TDialogUser User;
    Variant Host;
    TDispatchDouble* HostObject = nullptr;
    TDispatchDouble* Validator = nullptr;
    TDispatchDouble* Lookup = nullptr;
    TDispatchDouble* Counter = nullptr;
    TfrmRootTest* Form = nullptr;

private:
    AnsiString FSavedExe;
    TModalDriver* FPrevious = nullptr;
};
