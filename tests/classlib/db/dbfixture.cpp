#include "dbfixture.h"

void TEventRecorder::Hook(TDataSet* dataSet) {
    for (const char* name :
         {"BeforeOpen", "AfterOpen", "BeforeClose", "AfterClose", "BeforeInsert", "AfterInsert", "BeforeEdit",
          "AfterEdit", "BeforePost", "AfterPost", "BeforeCancel", "AfterCancel", "BeforeDelete",
          "AfterDelete", "BeforeScroll", "AfterScroll", "OnNewRecord"})
        SetMethodProp(dataSet, name, MethodAddress(name));
}

KVR_PUBLISHED(TEventRecorder, c) {
    c.Method("BeforeOpen", &TEventRecorder::BeforeOpen);
    c.Method("AfterOpen", &TEventRecorder::AfterOpen);
    c.Method("BeforeClose", &TEventRecorder::BeforeClose);
    c.Method("AfterClose", &TEventRecorder::AfterClose);
    c.Method("BeforeInsert", &TEventRecorder::BeforeInsert);
    c.Method("AfterInsert", &TEventRecorder::AfterInsert);
    c.Method("BeforeEdit", &TEventRecorder::BeforeEdit);
    c.Method("AfterEdit", &TEventRecorder::AfterEdit);
    c.Method("BeforePost", &TEventRecorder::BeforePost);
    c.Method("AfterPost", &TEventRecorder::AfterPost);
    c.Method("BeforeCancel", &TEventRecorder::BeforeCancel);
    c.Method("AfterCancel", &TEventRecorder::AfterCancel);
    c.Method("BeforeDelete", &TEventRecorder::BeforeDelete);
    c.Method("AfterDelete", &TEventRecorder::AfterDelete);
    c.Method("BeforeScroll", &TEventRecorder::BeforeScroll);
    c.Method("AfterScroll", &TEventRecorder::AfterScroll);
    c.Method("OnNewRecord", &TEventRecorder::OnNewRecord);
}

namespace {
Variant Line(const char* no, const char* seq, double qty) {
    return VarArrayOf({Variant("A"), Variant(no), Variant(seq), Variant(qty)});
}
} // namespace

void FillProvider(TMemoryProviderData& provider, int headers) {
    provider.Fields = {{"TA001", ftString, 4, 0, {}},
                       {"TA002", ftString, 11, 0, {}},
                       {"TA018", ftFloat, 0, 0, {}},
                       {"FLAG", ftFloat, 0, 0, {}},
                       {"qryBody",
                        ftDataSet,
                        0,
                        0,
                        {{"TB001", ftString, 4, 0, {}},
                         {"TB002", ftString, 11, 0, {}},
                         {"TB003", ftString, 4, 0, {}},
                         {"TB005", ftFloat, 0, 0, {}}}}};
    provider.KeyFields = "TA001;TA002";
    provider.Rows.clear();
    for (int i = 1; i <= headers; ++i) {
        const std::string no = "X" + std::to_string(i);
        std::vector<Variant> lines;
        if (i == 1) lines = {Line("X1", "0001", 5), Line("X1", "0002", 7)};
        if (i == 2) lines = {Line("X2", "0001", 3)};
        provider.Rows.push_back(
            VarArrayOf({Variant("A"), Variant(no), Variant(100.0 * i), Variant(1.0), VarArrayOf(lines)}));
    }
}

void TMasterDetailTest::SetUp() {
    FOwner = new TComponent(nullptr);
    FServer = new TMemoryAppServer();
    FServerRef = Variant(static_cast<IDispatch*>(FServer));
    FillProvider(Provider());
    cdsMain = new TClientDataSet(FOwner);
    cdsMain->SetName("cdsMain");
    cdsMain->SetAppServer(FServerRef);
    cdsMain->SetProviderName("pvdMain");
    cdsBody1 = new TClientDataSet(FOwner);
    cdsBody1->SetName("cdsBody1");
    FEvents = new TEventRecorder(FOwner);
}

void TMasterDetailTest::TearDown() {
    delete FOwner;
}

void TMasterDetailTest::OpenBoth() {
    cdsMain->Open();
    cdsBody1->SetDataSetField(static_cast<TDataSetField*>(cdsMain->FieldByName("qryBody")));
    cdsBody1->Open();
}
