// Data sets and their persistent fields as a data module's form stream declares them.
#include "dbfixture.h"
#include "classlib/objects/formloader.h"

namespace {

class TdmStreamTest : public TComponent {
    KVR_CLASS(TdmStreamTest, TComponent)
public:
    explicit TdmStreamTest(TComponent* owner) : TComponent(owner) {}
    TSocketConnection* MIDAS = nullptr;
    TClientDataSet* cdsMain = nullptr;
    TStringField* cdsMainTA002 = nullptr;
    TDataSetField* cdsMainqryBody = nullptr;
    TClientDataSet* cdsBody1 = nullptr;
    int Scrolls = 0;
    void cdsMainAfterScroll(TDataSet*) { ++Scrolls; }
};

KVR_PUBLISHED(TdmStreamTest, c) {
    c.Field("MIDAS", &TdmStreamTest::MIDAS);
    c.Field("cdsMain", &TdmStreamTest::cdsMain);
    c.Field("cdsMainTA002", &TdmStreamTest::cdsMainTA002);
    c.Field("cdsMainqryBody", &TdmStreamTest::cdsMainqryBody);
    c.Field("cdsBody1", &TdmStreamTest::cdsBody1);
    c.Method("cdsMainAfterScroll", &TdmStreamTest::cdsMainAfterScroll);
}

const char* const Stream = R"(object dmStreamTest: TdmStreamTest
  object MIDAS: TSocketConnection
    Address = '10.1.2.3'
    Port = 212
    ServerName = 'RAVEZ01A.Rarer1'
  end
  object cdsMain: TClientDataSet
    PacketRecords = 2
    ProviderName = 'pvdMain'
    RemoteServer = MIDAS
    AfterScroll = cdsMainAfterScroll
    object cdsMainTA002: TStringField
      DisplayLabel = '单号'
      FieldName = 'TA002'
      Size = 11
    end
    object cdsMainqryBody: TDataSetField
      FieldName = 'qryBody'
    end
  end
  object cdsBody1: TClientDataSet
    DataSetField = cdsMainqryBody
    IndexFieldNames = 'TB003'
  end
end
)";

TEST(DataModuleStream, PersistentFieldsAndNestingComeFromTheStream) {
    TdmStreamTest dm(nullptr);
    ReadComponentFromText(&dm, Stream);
    ASSERT_NE(dm.cdsMainTA002, nullptr);
    EXPECT_EQ(dm.cdsMainTA002->DataSet(), dm.cdsMain);
    EXPECT_EQ(dm.cdsMainTA002->Owner(), &dm);
    EXPECT_EQ(dm.cdsMainTA002->DisplayLabel(), "单号");
    EXPECT_EQ(dm.cdsBody1->DataSetField(), dm.cdsMainqryBody);
    EXPECT_EQ(dm.cdsMain->RemoteServer(), dm.MIDAS);
    EXPECT_EQ(dm.MIDAS->Address(), "10.1.2.3");
    EXPECT_EQ(dm.MIDAS->Port(), 212);
    EXPECT_EQ(dm.MIDAS->ServerName(), "RAVEZ01A.Rarer1");
    EXPECT_FALSE(dm.MIDAS->Connected());

    auto* server = new TMemoryAppServer();
    Variant ref(static_cast<IDispatch*>(server));
    FillProvider(server->Provider("pvdMain"));
    dm.MIDAS->SetAppServer(ref);
    dm.cdsMain->Open();
    // The lines open with their header, and again after the header was closed and opened.
    EXPECT_TRUE(dm.cdsBody1->Active());
    dm.cdsMain->Close();
    EXPECT_FALSE(dm.cdsBody1->Active());
    dm.cdsMain->Open();
    ASSERT_TRUE(dm.cdsBody1->Active());
    EXPECT_EQ(dm.cdsMain->FieldCount(), 2);
    EXPECT_EQ(dm.cdsMainTA002->AsString(), "X1");
    EXPECT_EQ(dm.cdsBody1->RecordCount(), 2);
    EXPECT_EQ(dm.Scrolls, 2);

    // Written back, the fields stand under their data set again.
    const AnsiString text = WriteComponentToText(&dm);
    EXPECT_NE(text.find("    object cdsMainTA002: TStringField"), AnsiString::npos) << text;
    EXPECT_EQ(text.find("TB003: "), AnsiString::npos); // default fields are not written
}

} // namespace
