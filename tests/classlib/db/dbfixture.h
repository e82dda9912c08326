#pragma once
// A header data set with its lines nested inside, served by the in-memory provider, and a recorder of
// the data set's events.
#include <gtest/gtest.h>

#include "classlib/db/dbclient.h"
#include "support/memoryappserver.h"
#include "classlib/objects/rtti.h"

// Records every data-set event by name, in order.
class TEventRecorder : public TComponent {
    KVR_CLASS(TEventRecorder, TComponent)
public:
    explicit TEventRecorder(TComponent* owner) : TComponent(owner) {}
    AnsiString Log;
    void Add(const char* name) {
        if (!Log.empty()) Log += " ";
        Log += name;
    }
#define KVR_RECORD(Name)                                                                                     \
    void Name(TDataSet*) {                                                                                   \
        Add(#Name);                                                                                          \
    }
    KVR_RECORD(BeforeOpen)
    KVR_RECORD(AfterOpen)
    KVR_RECORD(BeforeClose)
    KVR_RECORD(AfterClose)
    KVR_RECORD(BeforeInsert)
    KVR_RECORD(AfterInsert)
    KVR_RECORD(BeforeEdit)
    KVR_RECORD(AfterEdit)
    KVR_RECORD(BeforePost)
    KVR_RECORD(AfterPost)
    KVR_RECORD(BeforeCancel)
    KVR_RECORD(AfterCancel)
    KVR_RECORD(BeforeDelete)
    KVR_RECORD(AfterDelete)
    KVR_RECORD(BeforeScroll)
    KVR_RECORD(AfterScroll)
    KVR_RECORD(OnNewRecord)
#undef KVR_RECORD
    // Binds every handler above to the data set's event of the same name, by name.
    void Hook(TDataSet* dataSet);
};

class TMasterDetailTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Opens the header and its lines.
    void OpenBoth();
    TMemoryProviderData& Provider() { return FServer->Provider("pvdMain"); }

    TComponent* FOwner = nullptr;
    TMemoryAppServer* FServer = nullptr;
    Variant FServerRef;
    TClientDataSet* cdsMain = nullptr;
    TClientDataSet* cdsBody1 = nullptr;
    TEventRecorder* FEvents = nullptr;
};

// Rows of the provider: headers TA001, TA002, TA018 (amount), FLAG, qryBody (lines TB001, TB002, TB003,
// TB005 quantity). Three headers with 2, 1 and 0 lines.
void FillProvider(TMemoryProviderData& provider, int headers = 3);
