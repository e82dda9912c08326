#pragma once
// A header data set cdsMain with its lines cdsBody1 nested inside, served by the in-memory provider,
// on a platform installed in a temporary folder (client folder C:\Veltrane\, alert logs below it).
#include "classlib/db/dbclient.h"
#include "support/memoryappserver.h"
#include "classlib/rtl/datetime.h"
#include "foundation/TempPlatform.h"

class TKernelFixture : public TempPlatform {
protected:
    void SetUp() override {
        TempPlatform::SetUp();
        SetPlatformKey({{"ClientPath", "C:\\Veltrane\\"}});
        FOwner = new TComponent(nullptr);
        FServer = new TMemoryAppServer();
        FServerRef = Variant(static_cast<IDispatch*>(FServer));
        FillProvider();
        cdsMain = new TClientDataSet(FOwner);
        cdsMain->SetName("cdsMain");
        cdsMain->SetAppServer(FServerRef);
        cdsMain->SetProviderName("pvdMain");
        cdsBody1 = new TClientDataSet(FOwner);
        cdsBody1->SetName("cdsBody1");
    }
    void TearDown() override {
        delete FOwner;
        FServerRef = Variant();
        TempPlatform::TearDown();
    }

    TMemoryProviderData& Provider() { return FServer->Provider("pvdMain"); }

    // Headers TA001, TA002, TA018, FLAG, qryBody (lines TB001, TB002, TB003, TB005, FLAG): X1 with two
    // lines, X2 with one, X3 with none; the flags of X1 and its lines as given.
    void FillProvider(int headerFlag = 1, int lineFlag1 = 1, int lineFlag2 = 1) {
        TMemoryProviderData& p = Provider();
        p.Fields = {{"TA001", ftString, 4, 0, {}},
                    {"TA002", ftString, 11, 0, {}},
                    {"TA018", ftFloat, 0, 0, {}},
                    {"FLAG", ftInteger, 0, 0, {}},
                    {"qryBody",
                     ftDataSet,
                     0,
                     0,
                     {{"TB001", ftString, 4, 0, {}},
                      {"TB002", ftString, 11, 0, {}},
                      {"TB003", ftString, 4, 0, {}},
                      {"TB005", ftFloat, 0, 0, {}},
                      {"FLAG", ftInteger, 0, 0, {}}}}};
        p.KeyFields = "TA001;TA002";
        auto line = [](const char* no, const char* seq, double qty, int flag) {
            return VarArrayOf({Variant("A"), Variant(no), Variant(seq), Variant(qty), Variant(flag)});
        };
        p.Rows = {
            VarArrayOf({Variant("A"), Variant("X1"), Variant(100.0), Variant(headerFlag),
                        VarArrayOf({line("X1", "0001", 5, lineFlag1), line("X1", "0002", 7, lineFlag2)})}),
            VarArrayOf({Variant("A"), Variant("X2"), Variant(200.0), Variant(1),
                        VarArrayOf({line("X2", "0001", 3, 1)})}),
            VarArrayOf({Variant("A"), Variant("X3"), Variant(300.0), Variant(1), VarArrayOf({})}),
        };
    }

    void OpenBoth() {
        cdsMain->Open();
        cdsBody1->SetDataSetField(static_cast<TDataSetField*>(cdsMain->FieldByName("qryBody")));
        cdsBody1->Open();
    }

    // The lines of today's alert log of that name, '' when there is none.
    AnsiString AlertLog(const AnsiString& logName) {
        return ReadFile("C:\\Veltrane\\Log\\Alert_" + logName + "_" + FormatDateTime("yyyymmdd", Now()) +
                        ".log");
    }

    TComponent* FOwner = nullptr;
    TMemoryAppServer* FServer = nullptr;
    Variant FServerRef;
    TClientDataSet* cdsMain = nullptr;
    TClientDataSet* cdsBody1 = nullptr;
};
