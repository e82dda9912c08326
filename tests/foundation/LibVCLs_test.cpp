#include <gtest/gtest.h>

#include "classlib/db/dbclient.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "foundation/LibVCLs.h"

namespace {

// Handlers for every saved event, and a control bound to a field.
class TLibVCLsHandlers : public TComponent {
    KVR_CLASS(TLibVCLsHandlers, TComponent)
public:
    explicit TLibVCLsHandlers(TComponent* owner) : TComponent(owner) {}
    AnsiString Log;
    void DataSetEvent(TDataSet*) { Log += "d"; }
    void OtherDataSetEvent(TDataSet*) { Log += "o"; }
    void DataChange(TObject*, TField*) { Log += "c"; }
    void StateChange(TObject*) { Log += "s"; }
    void SetText(TField* field, const AnsiString& text) { field->SetAsString(text + "0"); }
};
KVR_PUBLISHED(TLibVCLsHandlers, c) {
    c.Method("DataSetEvent", &TLibVCLsHandlers::DataSetEvent);
}

class TLibVCLsEdit : public TComponent {
    KVR_CLASS(TLibVCLsEdit, TComponent)
public:
    explicit TLibVCLsEdit(TComponent* owner) : TComponent(owner) {}
    AnsiString DataField;
    int Color = 0;
    bool Enabled = true;
};
KVR_PUBLISHED(TLibVCLsEdit, c) {
    c.Property("DataField", &TLibVCLsEdit::DataField);
    c.Property("Color", &TLibVCLsEdit::Color);
    c.Property("Enabled", &TLibVCLsEdit::Enabled);
}

class LibVCLsTest : public ::testing::Test {
protected:
    void SetUp() override {
        FSavedACP = GetACP();
        SetACP(936);
        FOwner = new TComponent(nullptr);
        cds = new TClientDataSet(FOwner);
        cds->SetName("cdsMain");
        cds->FieldDefs()->Add("TA001", ftString, 10);
        cds->FieldDefs()->Add("TA002", ftInteger);
        cds->FieldDefs()->Add("TA003", ftFloat);
        cds->FieldDefs()->Add("TA004", ftMemo);
        cds->CreateDataSet();
        ds = new TDataSource(FOwner);
        ds->SetDataSet(cds);
        handlers = new TLibVCLsHandlers(FOwner);
    }
    void TearDown() override {
        // The data source reports its last state change while the owner frees it.
        ds->SetOnStateChange(nullptr);
        ds->SetOnDataChange(nullptr);
        delete FOwner;
        SetACP(FSavedACP);
    }
    TComponent* FOwner = nullptr;
    TClientDataSet* cds = nullptr;
    TDataSource* ds = nullptr;
    TLibVCLsHandlers* handlers = nullptr;
    unsigned FSavedACP = 936;
};

TEST_F(LibVCLsTest, PropertiesByNameNeverRaise) {
    TField* field = cds->FieldByName("TA001");
    field->SetDisplayWidth(12);
    EXPECT_EQ(GetOrdPropByName(field, "DisplayWidth"), 12);
    EXPECT_EQ(GetOrdPropByName(field, "NoSuchProperty"), 0);
    EXPECT_EQ(GetOrdPropByName(nullptr, "DisplayWidth"), 0);
    EXPECT_EQ(GetOrdPropByName(field, ""), 0);
    EXPECT_EQ(GetOrdPropByName(field, "DisplayLabel"), 0); // a string is no ordinal
    EXPECT_EQ(GetObjectPropByName(ds, "DataSet"), cds);
    EXPECT_EQ(GetObjectPropByName(field, "DisplayWidth"), nullptr); // an integer is no object

    AnsiString text = "unchanged";
    GetStrPropByName(field, "Missing", text);
    EXPECT_EQ(text, "unchanged");
    GetStrPropByName(field, "FieldName", text);
    EXPECT_EQ(text, "TA001");
    EXPECT_TRUE(SetStrPropByName(field, "DisplayLabel", "单号"));
    EXPECT_EQ(field->DisplayLabel(), "单号");
    EXPECT_FALSE(SetStrPropByName(field, "DisplayWidth", "x"));
    EXPECT_TRUE(SetOrdPropByName(field, "DisplayWidth", 20));
    EXPECT_EQ(field->DisplayWidth(), 20);
    EXPECT_FALSE(SetOrdPropByName(field, "Missing", 1));

    EXPECT_EQ(GetPropKind(field, "DisplayWidth"), tkInteger);
    EXPECT_EQ(GetPropKind(cds, "AfterPost"), tkMethod);
    EXPECT_EQ(GetPropKind(cds, "Missing"), tkUnknown);
    EXPECT_TRUE(HasPropByName(cds, "afterpost"));
    EXPECT_FALSE(HasProperty(cds, "Missing"));

    // A handler of another signature is refused, not raised.
    EXPECT_FALSE(SetMethodPropByName(
        ds, "OnDataChange", TDataSetNotifyEvent(handlers, &TLibVCLsHandlers::DataSetEvent).Method()));
    EXPECT_TRUE(SetMethodPropByName(cds, "AfterPost", handlers->MethodAddress("DataSetEvent")));
    TMethod method;
    GetMethodPropByName(cds, "AfterPost", method);
    EXPECT_EQ(method, handlers->MethodAddress("DataSetEvent"));
    GetMethodPropByName(cds, "Missing", method);
    EXPECT_FALSE(method.Assigned());
}

TEST_F(LibVCLsTest, SavedHandlersComeBackAsTheSameHandlers) {
    // Each of the ten events gets its own handler object, so a mix-up would show.
    std::vector<TLibVCLsHandlers*> owners;
    for (const char* name : DataSetEventNames) {
        owners.push_back(new TLibVCLsHandlers(FOwner));
        SetMethodPropByName(cds, name,
                            TDataSetNotifyEvent(owners.back(), &TLibVCLsHandlers::DataSetEvent).Method());
    }
    cds->SetBeforeDelete(TDataSetNotifyEvent(handlers, &TLibVCLsHandlers::OtherDataSetEvent));
    ds->SetOnDataChange(TDataChangeEvent(handlers, &TLibVCLsHandlers::DataChange));
    ds->SetOnStateChange(TNotifyEvent(handlers, &TLibVCLsHandlers::StateChange));

    TDataSourceEvents saved;
    SaveDataSourceEvents(ds, saved);
    for (const char* name : DataSetEventNames) {
        TMethod method;
        GetMethodPropByName(cds, name, method);
        EXPECT_FALSE(method.Assigned()) << name;
    }
    EXPECT_FALSE(ds->OnDataChange().Assigned());
    EXPECT_FALSE(ds->OnStateChange().Assigned());
    EXPECT_TRUE(cds->BeforeDelete().Assigned()); // not one of the twelve
    cds->Append();
    cds->FieldByName("TA001")->SetAsString("A");
    cds->Post();
    EXPECT_EQ(handlers->Log, "");

    RestoreDataSourceEvents(ds, saved);
    for (std::size_t i = 0; i < DataSetEventNames.size(); ++i) {
        TMethod method;
        GetMethodPropByName(cds, DataSetEventNames[i], method);
        EXPECT_EQ(method, TDataSetNotifyEvent(owners[i], &TLibVCLsHandlers::DataSetEvent).Method())
            << DataSetEventNames[i];
    }
    EXPECT_EQ(ds->OnDataChange(), TDataChangeEvent(handlers, &TLibVCLsHandlers::DataChange));
    EXPECT_EQ(ds->OnStateChange(), TNotifyEvent(handlers, &TLibVCLsHandlers::StateChange));

    // By name: a name that is no event leaves an empty pair.
    TSavedEvents byName;
    SaveEventsByName(cds, {"BeforeDelete", "Missing", "Active", "AfterPost"}, byName);
    ASSERT_EQ(byName.size(), 4u);
    EXPECT_EQ(byName[0].first, "BeforeDelete");
    EXPECT_TRUE(byName[1].first.empty());
    EXPECT_TRUE(byName[2].first.empty());
    EXPECT_FALSE(cds->BeforeDelete().Assigned());
    EXPECT_FALSE(cds->AfterPost().Assigned());
    RestoreEventsByName(cds, byName);
    EXPECT_EQ(cds->BeforeDelete(), TDataSetNotifyEvent(handlers, &TLibVCLsHandlers::OtherDataSetEvent));
    EXPECT_EQ(cds->AfterPost(), TDataSetNotifyEvent(owners[3], &TLibVCLsHandlers::DataSetEvent));
}

TEST_F(LibVCLsTest, FieldTextIsCutInBytesOfTheSystemCodePage) {
    struct {
        unsigned codePage;
        const char* text;
        const char* stored;
    } cases[] = {
        {936, "abcdefghi采x", "abcdefghi"},  // byte 10 starts a character: 9 bytes
        {936, "abcdefgh采购", "abcdefgh采"}, // byte 10 ends one: 10 bytes
        {936, "采购采购采购", "采购采购采"}, // all double-byte, trail bytes in the lead range
        {936, "短", "短"},
        {1252, "abcdefghi采x", "abcdefghi\xB2"}, // single bytes in 1252
    };
    TField* field = cds->FieldByName("TA001");
    cds->Append();
    for (const auto& c : cases) {
        SetACP(c.codePage);
        EXPECT_TRUE(SetFieldText(field, c.text, false));
        EXPECT_EQ(field->AsString(), c.stored) << c.text << " in " << c.codePage;
    }
    SetACP(936);
    // A memo is not cut.
    const AnsiString longText(300, 'm');
    EXPECT_TRUE(SetFieldText(cds->FieldByName("TA004"), longText, false));
    EXPECT_EQ(cds->FieldByName("TA004")->AsString(), longText);
    EXPECT_FALSE(SetFieldText(nullptr, "x", false));
}

// The cut keeps a double-byte character of a string whole: a field whose size is no length of text
// (the scale of a BCD field, the bytes of a byte field) takes the text whole.
TEST_F(LibVCLsTest, OnlyStringFieldsAreCutToTheirSize) {
    TClientDataSet values(FOwner);
    values.FieldDefs()->Add("AMOUNT", ftBCD, 2);
    values.FieldDefs()->Add("STAMP", ftDateTime);
    values.FieldDefs()->Add("CODE", ftFixedChar, 3);
    values.CreateDataSet();
    values.Append();
    TField* amount = values.FieldByName("AMOUNT");
    ASSERT_EQ(amount->Size(), 2);
    EXPECT_TRUE(SetFieldText(amount, "1234.56", false));
    EXPECT_DOUBLE_EQ(amount->AsFloat(), 1234.56);
    EXPECT_TRUE(SetFieldText(amount, "1234.56", true));
    EXPECT_DOUBLE_EQ(amount->AsFloat(), 1234.56);
    EXPECT_TRUE(SetFieldText(values.FieldByName("STAMP"), "2023/05/07", false));
    EXPECT_EQ(FormatDateTime("yyyymmdd", values.FieldByName("STAMP")->AsDateTime()), "20230507");
    EXPECT_TRUE(SetFieldText(values.FieldByName("CODE"), "AB采", false)); // a fixed-size string is cut
    EXPECT_EQ(values.FieldByName("CODE")->AsString(), "AB");
}

TEST_F(LibVCLsTest, FieldTextLiftsReadOnlyAndUsesEditTextForNumbers) {
    cds->Append();
    TField* number = cds->FieldByName("TA002");
    number->SetReadOnly(true);
    number->SetOnSetText(TFieldSetTextEvent(handlers, &TLibVCLsHandlers::SetText));
    EXPECT_TRUE(SetFieldText(number, "12", true)); // through the text handler
    EXPECT_EQ(number->AsInteger(), 120);
    EXPECT_TRUE(number->ReadOnly());
    EXPECT_TRUE(SetFieldText(number, "12", false)); // as its value
    EXPECT_EQ(number->AsInteger(), 12);
    // What the field refuses passes on, and read-only is back.
    number->SetOnSetText(nullptr);
    EXPECT_THROW(SetFieldText(number, "abc", true), Exception);
    EXPECT_TRUE(number->ReadOnly());
    EXPECT_EQ(number->AsInteger(), 12);
}

TEST_F(LibVCLsTest, BrowsingData) {
    EXPECT_FALSE(IsDataSetBrowsingData(cds)); // open and empty
    cds->Append();
    cds->FieldByName("TA001")->SetAsString("A");
    EXPECT_FALSE(IsDataSetBrowsingData(cds)); // inserting
    cds->Post();
    EXPECT_TRUE(IsDataSetBrowsingData(cds));
    cds->Close();
    EXPECT_FALSE(IsDataSetBrowsingData(cds));
    EXPECT_FALSE(IsDataSetBrowsingData(nullptr));
}

TEST_F(LibVCLsTest, ControlsBoundToListedFields) {
    auto* a = new TLibVCLsEdit(FOwner);
    a->DataField = "TA001";
    auto* b = new TLibVCLsEdit(FOwner);
    b->DataField = "ta002";
    auto* unbound = new TLibVCLsEdit(FOwner);
    SetFieldControlsColor(FOwner, " TA001 ; TA002;;TA003", ";", 0xFF);
    EXPECT_EQ(a->Color, 0xFF);
    EXPECT_EQ(b->Color, 0xFF);
    EXPECT_EQ(unbound->Color, 0);
    SetFieldControlsColor(FOwner, ";TA001", ";", 0x10);
    EXPECT_EQ(a->Color, 0xFF); // the list ends at its first empty item
    // Enabled: a second word is an alias; an empty item touches no unbound control.
    SetFieldControlsEnabled(FOwner, "TA001 单号,,TA009", ",", false);
    EXPECT_FALSE(a->Enabled);
    EXPECT_TRUE(b->Enabled);
    EXPECT_TRUE(unbound->Enabled);
    EXPECT_TRUE(InheritsFromName(a, "TComponent"));
    EXPECT_FALSE(InheritsFromName(a, "TwwDBComboBox"));
}

} // namespace
