// The root data module: the field handlers by date kind, the audit columns, the where clause, the code
// checks and lookups through the broker, and the connection to the servers in process and over TCP.
#include <gtest/gtest.h>

#include "classlib/automation/comserv.h"
#include "classlib/automation/sconnect.h"
#include "framework/RadicalCD.h"
#include "tests/framework/FormFixture.h"

namespace {

class DataModuleTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        MakeForm();
        Module = Form->DataModule;
        Module->Broker = Form->Broker;
        Module->DateSeparator = "/";
        Data = new TClientDataSet(Module);
        Data->SetName("cdsMain");
        TFieldDefs* defs = Data->FieldDefs();
        defs->Add("TA001", ftString, 4);
        defs->Add("TA002", ftInteger);
        defs->Add("TEXT", ftString, 20);
        defs->Add("NAME", ftString, 20);
        defs->Add("AMOUNT", ftFloat);
        defs->Add("DAY", ftDate);
        for (const char* name : {"COMPANY", "CREATOR", "USR_GROUP", "CREATE_DATE", "MODIFIER", "MODI_DATE"})
            defs->Add(name, ftString, 17);
        defs->Add("FLAG", ftInteger);
        Data->CreateDataSet();
        Data->Append();
    }

    TField* Field(const char* name) { return Data->FieldByName(name); }
    // The text a handler shows for a stored value.
    AnsiString Shown(void (TdmRadical::*handler)(TField*, AnsiString&, bool), const AnsiString& stored) {
        Field("TEXT")->SetAsString(stored);
        AnsiString text = "unchanged";
        (Module->*handler)(Field("TEXT"), text, true);
        return text;
    }
    // What a set-text handler stores for a typed text.
    AnsiString Stored(void (TdmRadical::*handler)(TField*, const AnsiString&), const AnsiString& typed) {
        Field("TEXT")->SetAsString("unchanged");
        (Module->*handler)(Field("TEXT"), typed);
        return Field("TEXT")->AsString();
    }
    // The code of the message a validation showed before its silent abort ('' when it passed).
    AnsiString Refusal(void (TdmRadical::*handler)(TField*), const AnsiString& stored) {
        Field("TEXT")->SetAsString(stored);
        TakeDialogs();
        try {
            (Module->*handler)(Field("TEXT"));
        } catch (const EAbort&) {
            const std::vector<TDialogRecord> shown = TakeDialogs();
            return shown.empty() ? AnsiString("abort") : shown[0].Text.substr(1, 6);
        }
        return AnsiString();
    }

    TdmRadical* Module = nullptr;
    TClientDataSet* Data = nullptr;
};

TEST_F(DataModuleTest, DatesByKindIncludingRocYears) {
    const struct {
        int Kind;
        const char* Shown;
        const char* Mask;
    } cases[] = {
        {1, "2024/03/15", "9999/99/99;1; "}, {2, "03/15/2024", "99/99/9999;1; "},
        {3, "15/03/2024", "99/99/9999;1; "}, {4, "113/03/15", "99/99/99;1; "},
        {5, "113/03/15", "999/99/99;1; "},
    };
    for (const auto& c : cases) {
        Module->DateKind = c.Kind;
        EXPECT_EQ(Shown(&TdmRadical::DateFieldGetText, "20240315"), c.Shown) << c.Kind;
        EXPECT_EQ(Stored(&TdmRadical::DateFieldSetText, c.Shown), "20240315") << c.Kind;
        EXPECT_EQ(Module->DateFieldEditMask(), c.Mask) << c.Kind;
    }
    // Kind 5 writes the ROC year in three digits, kind 4 in at least two.
    Module->DateKind = 5;
    EXPECT_EQ(Shown(&TdmRadical::DateFieldGetText, "19500105"), "039/01/05");
    Module->DateKind = 4;
    EXPECT_EQ(Shown(&TdmRadical::DateFieldGetText, "19500105"), "39/01/05");
    Module->DateKind = 1;
    EXPECT_EQ(Shown(&TdmRadical::DateFieldGetText, "2024031"), "");             // no date
    EXPECT_EQ(Stored(&TdmRadical::DateFieldSetText, "    /  /  "), "");         // the empty mask
    EXPECT_EQ(Stored(&TdmRadical::DateFieldSetText, "2024/13/01"), "20241301"); // the validation refuses it
    // Digits typed without the separators read through the mask; a text that is no date is refused
    // and the field keeps what it held.
    EXPECT_EQ(Stored(&TdmRadical::DateFieldSetText, "20240315"), "20240315");
    EXPECT_EQ(Stored(&TdmRadical::DateFieldSetText, "20241340"), "20241340"); // the validation refuses it
    for (const char* typed : {"2024/0", "202403", "15.0x"}) {
        Field("TEXT")->SetAsString("20240101");
        TakeDialogs();
        EXPECT_THROW(Module->DateFieldSetText(Field("TEXT"), typed), EAbort) << typed;
        EXPECT_EQ(Field("TEXT")->AsString(), "20240101") << typed;
        const std::vector<TDialogRecord> shown = TakeDialogs();
        ASSERT_FALSE(shown.empty()) << typed;
        EXPECT_EQ(shown[0].Text.substr(1, 6), "000005") << typed;
    }
    Module->DateKind = 2;
    EXPECT_EQ(Stored(&TdmRadical::DateFieldSetText, "03152024"), "20240315");
    Module->DateKind = 1;
    EXPECT_EQ(Refusal(&TdmRadical::DateFieldValidate, "20241301"), "000005");
    EXPECT_EQ(Refusal(&TdmRadical::DateFieldValidate, "20240229"), "");
    EXPECT_EQ(Refusal(&TdmRadical::DateFieldValidate, ""), "");

    // A date field keeps its value as a date.
    Module->DateKind = 2;
    Module->DateFieldSetText(Field("DAY"), "03/15/2024");
    AnsiString text;
    Module->DateFieldGetText(Field("DAY"), text, true);
    EXPECT_EQ(text, "03/15/2024");
    Module->DateFieldSetText(Field("DAY"), "  /  /    ");
    EXPECT_TRUE(Field("DAY")->IsNull());
}

TEST_F(DataModuleTest, YearMonthsYearsAndMonthDays) {
    const struct {
        int Kind;
        const char* YM;
        const char* Year;
        const char* MD;
    } cases[] = {{1, "2024/03", "2024", "03/15"},
                 {2, "03/2024", "2024", "03/15"},
                 {3, "03/2024", "2024", "15/03"},
                 {4, "113/03", "113", "03/15"},
                 {5, "113/03", "113", "03/15"}};
    for (const auto& c : cases) {
        Module->DateKind = c.Kind;
        EXPECT_EQ(Shown(&TdmRadical::YMFieldGetText, "202403"), c.YM) << c.Kind;
        EXPECT_EQ(Stored(&TdmRadical::YMFieldSetText, c.YM), "202403") << c.Kind;
        EXPECT_EQ(Shown(&TdmRadical::YearFieldGetText, "2024"), c.Year) << c.Kind;
        EXPECT_EQ(Stored(&TdmRadical::YearFieldSetText, c.Year), "2024") << c.Kind;
        EXPECT_EQ(Shown(&TdmRadical::MDFieldGetText, "0315"), c.MD) << c.Kind;
        EXPECT_EQ(Stored(&TdmRadical::MDFieldSetText, c.MD), "0315") << c.Kind;
    }
    Module->DateKind = 4;
    EXPECT_EQ(Module->YMFieldEditMask(), "99/99;1; ");
    EXPECT_EQ(Module->YearFieldEditMask(), "99;1; ");
    Module->DateKind = 2;
    EXPECT_EQ(Module->YMFieldEditMask(), "99/9999;1; ");
    EXPECT_EQ(Stored(&TdmRadical::MDFieldSetText, "  /  "), "");
    EXPECT_EQ(Stored(&TdmRadical::YMFieldSetText, "    /  "), "");

    EXPECT_EQ(Refusal(&TdmRadical::YMFieldValidate, "175212"), "200820");
    EXPECT_EQ(Refusal(&TdmRadical::YMFieldValidate, "2024"), "200820"); // too short: year 0
    EXPECT_EQ(Refusal(&TdmRadical::YMFieldValidate, "202413"), "100002");
    EXPECT_EQ(Refusal(&TdmRadical::YMFieldValidate, "175301"), "");
    EXPECT_EQ(Refusal(&TdmRadical::MDFieldValidate, "1332"), "000005");
    EXPECT_EQ(Refusal(&TdmRadical::MDFieldValidate, "1231"), "");
}

TEST_F(DataModuleTest, TimesDaysMonthsAndDurations) {
    EXPECT_EQ(Shown(&TdmRadical::TimeFieldGetText, "0905"), "09:05");
    EXPECT_EQ(Stored(&TdmRadical::TimeFieldSetText, "9:5"), "0905");
    EXPECT_EQ(Stored(&TdmRadical::TimeFieldSetText, "  :  "), "");
    const struct {
        const char* Stored;
        const char* Code;
    } times[] = {{"2359", ""}, {"2400", "100187"}, {"1260", "100187"}, {"ab12", "100187"}, {"930", "100187"}};
    for (const auto& t : times)
        EXPECT_EQ(Refusal(&TdmRadical::TimeFieldValidate, t.Stored), t.Code) << t.Stored;
    EXPECT_EQ(Refusal(&TdmRadical::DayFieldValidate, "32"), "000005");
    EXPECT_EQ(Refusal(&TdmRadical::DayFieldValidate, "31"), "");
    EXPECT_EQ(Refusal(&TdmRadical::MonthFieldValidate, "13"), "100002");
    EXPECT_EQ(Refusal(&TdmRadical::MonthFieldValidate, "x"), "100002");
    EXPECT_EQ(Stored(&TdmRadical::MonthFieldSetText, "3"), "03");

    TField* duration = Field("AMOUNT");
    Module->SecondFldSetText(duration, "12:34:56");
    EXPECT_EQ(duration->AsInteger(), 45296);
    AnsiString text;
    Module->SecondFldGetText(duration, text, true);
    EXPECT_EQ(text, "0012:34:56");
    TakeDialogs();
    EXPECT_THROW(Module->SecondFldSetText(duration, "12:75:00"), EAbort);
    EXPECT_EQ(TakeDialogs().at(0).Text.substr(1, 6), "100187");
    EXPECT_EQ(duration->AsInteger(), 45296);
    Module->SecondFldSetText(duration, "0");
    EXPECT_EQ(duration->AsInteger(), 0);
    EXPECT_TRUE(TdmRadical::IsValidTimeText(""));
    EXPECT_FALSE(TdmRadical::IsValidTimeText("0012:34:5"));
}

TEST_F(DataModuleTest, PercentagesAndNumberFormats) {
    Module->PercentFieldSetText(Field("AMOUNT"), " 12.50%");
    EXPECT_DOUBLE_EQ(Field("AMOUNT")->AsFloat(), 0.125);
    AnsiString text;
    Module->PercentFieldGetText(Field("AMOUNT"), text, true);
    EXPECT_EQ(text, "12.50%");
    Module->PercentFieldSetText(Field("AMOUNT"), "abc%");
    EXPECT_DOUBLE_EQ(Field("AMOUNT")->AsFloat(), 0);

    const struct {
        int Decimals;
        const char* Format;
    } formats[] = {{0, "#,##0.#######"}, {2, "#,##0.00"}, {14, "#,##0.00000000000"}, {-1, "kept"}};
    for (const auto& f : formats) {
        AnsiString format = "kept";
        Module->NumberFieldDisplayFormat(f.Decimals, format);
        EXPECT_EQ(format, f.Format) << f.Decimals;
    }
    EXPECT_EQ(Module->NumberFieldEditFormat(), "##0.#######");
}

TEST_F(DataModuleTest, AuditColumnsAndTheirFlag) {
    Module->ServerDate = "20260105";
    Form->Broker->Group = "IMP";
    Field("FLAG")->SetAsInteger(0);
    Module->StampAuditFields(Data);
    EXPECT_EQ(Field("COMPANY")->AsString(), "DEMO");
    EXPECT_EQ(Field("CREATOR")->AsString(), "DEMO");
    EXPECT_EQ(Field("USR_GROUP")->AsString(), "IMP");
    EXPECT_EQ(Field("CREATE_DATE")->AsString(), "20260105");
    EXPECT_EQ(Field("FLAG")->AsInteger(), -1);
    Data->Post();

    const struct { int Before, After; } flags[] = {{998, -999}, {0, -1}, {5, -6}, {999, 0}, {-1, -1}};
    for (const auto& f : flags) {
        Data->Edit();
        Field("FLAG")->SetAsInteger(f.Before);
        Field("MODIFIER")->SetAsString("");
        Module->StampAuditFields(Data);
        EXPECT_EQ(Field("FLAG")->AsInteger(), f.After) << f.Before;
        EXPECT_EQ(Field("MODIFIER")->AsString(), f.Before < 0 ? "" : "DEMO") << f.Before;
        Data->Post();
    }

    EXPECT_TRUE(TdmRadical::IsAuditField("modi_date"));
    EXPECT_FALSE(TdmRadical::IsAuditField("TA001"));
    Module->LabelAuditFields(Data);
    EXPECT_EQ(Field("CREATOR")->DisplayLabel(), "录入者");
    EXPECT_EQ(Field("FLAG")->DisplayLabel(), "标识");
    Module->ShowAuditFields(Data, false);
    EXPECT_FALSE(Field("MODIFIER")->Visible());
    EXPECT_TRUE(Field("TA001")->Visible());
}

TEST_F(DataModuleTest, TheWhereClauseQuotesTextsAndRefusesNoNumbers) {
    Field("TA001")->SetAsString("x");
    Field("TA002")->SetAsInteger(5);
    AnsiString where;
    Module->BuildWhereClause(Data, "a.TA001,TA002", where, "b", "");
    EXPECT_EQ(where, "a.TA001='x' and b.TA002=5");
    Field("TEXT")->SetAsString("x' OR '1'='1");
    Module->BuildWhereClause(Data, "TEXT,NONE,TA002", where, "", "k.MA001,MA002");
    EXPECT_EQ(where, "k.MA001='x'' OR ''1''=''1' and MA002=5"); // an absent field takes no target
    Field("TA002")->Clear();
    where = "kept";
    EXPECT_THROW(Module->BuildWhereClause(Data, "TA002", where, "", ""), EConvertError);
    EXPECT_EQ(where, "kept");
}

TEST_F(DataModuleTest, CodeChecksByLevel) {
    Variant keysSent;
    Validator->On("CheckValue", [&keysSent](TDispArgs args) {
        keysSent = *args[3].Value;
        const bool found = VarToStr(args[3].Value->GetElement({0})) == "S0001";
        if (found) *args[4].Value = VarArrayOf({"海森机械", "EUR"});
        return Variant(found);
    });
    Field("TEXT")->SetAsString("S0001");
    EXPECT_TRUE(Module->CheckCode(Field("TEXT"), "BYVMA", "E", "NAME,NONE", "01"));
    EXPECT_EQ(Field("NAME")->AsString(), "海森机械");
    EXPECT_EQ(keysSent.GetElement({0}).AsString(), "S0001"); // the field's text as the one key

    Field("TEXT")->SetAsString("S9");
    TakeDialogs();
    EXPECT_THROW(Module->CheckCode(Field("TEXT"), "BYVMA", "E", "", "01"), EAbort);
    EXPECT_EQ(TakeDialogs().at(0).Text, "E000001:TEXT ");
    User.Answers = {"Cancel"};
    EXPECT_THROW(Module->CheckCode(Field("TEXT"), "BYVMA", "W", "", "01"), EAbort);
    EXPECT_EQ(TakeDialogs().at(0).Text, "W000004:TEXT ");
    EXPECT_FALSE(Module->CheckCode(Field("TEXT"), "BYVMA", "W", "", "01")); // OK: goes on
    EXPECT_FALSE(Module->CheckCode(Field("TEXT"), "BYVMA", "N", "", "01"));
    Field("TEXT")->SetAsString("");
    EXPECT_TRUE(Module->CheckCode(Field("TEXT"), "BYVMA", "E", "NAME", "01"));
    EXPECT_EQ(Field("NAME")->AsString(), ""); // an empty code clears its targets

    Variant values;
    Field("TEXT")->SetAsString("S0001");
    Module->GetCodeValues(Field("TEXT"), "BYVMA", values, Variant(), "01");
    EXPECT_EQ(values.GetElement({0}).AsInteger(), 2);
    EXPECT_EQ(values.GetElement({2}).AsString(), "EUR");
    Field("TEXT")->SetAsString("S9");
    Module->GetCodeValues(Field("TEXT"), "BYVMA", values, Variant(), "01");
    EXPECT_EQ(VarArrayHighBound(values, 1), 0);

    // Unique: a row found is a duplicate.
    Field("TEXT")->SetAsString("S0001");
    TakeDialogs();
    EXPECT_THROW(Module->CheckUnique(Field("TEXT"), "KVRTA", "E", "TEXT,TA002", "01"), EAbort);
    EXPECT_EQ(TakeDialogs().at(0).Text, "E000002:TEXT ");
    EXPECT_EQ(VarArrayHighBound(keysSent, 1), 2); // the two keys and one unassigned element
    EXPECT_TRUE(VarIsEmpty(keysSent.GetElement({2})));
    Field("TEXT")->SetAsString("S9");
    EXPECT_TRUE(Module->CheckUnique(Field("TEXT"), "KVRTA", "E", "", "01"));
}

TEST_F(DataModuleTest, SupplierCodesBySetting) {
    Variant lookedUp;
    Lookup->On("F2GetData", [&lookedUp](TDispArgs args) {
        lookedUp = *args[0].Value;
        return VarArrayOf({VarArrayOf({"S0002", "奥兰电子"})});
    });
    const struct {
        const char* Setting;
        const char* Stored;
        const char* Query; // '' when no lookup opens
    } cases[] = {{"1", "s0", ""}, {"2", "S0002", "62"}, {"3", "S0002", "61"}, {"", "S0002", "61"}};
    for (const auto& c : cases) {
        Form->Broker->SetSysSetting("SYS055", c.Setting);
        lookedUp = Variant();
        Module->ProviderFieldSetText(Field("TEXT"), "s0", "61");
        EXPECT_EQ(Field("TEXT")->AsString(), c.Stored) << c.Setting;
        if (*c.Query) {
            EXPECT_EQ(lookedUp.GetElement({0}).AsString(), "BYVMA") << c.Setting;
            EXPECT_EQ(lookedUp.GetElement({1}).AsString(), c.Query) << c.Setting;
            EXPECT_EQ(lookedUp.GetElement({2}).AsString(), "s0") << c.Setting; // the typed text as key
            EXPECT_TRUE(lookedUp.GetElement({9}).AsBoolean()) << c.Setting;
        } else {
            EXPECT_TRUE(VarIsEmpty(lookedUp)) << c.Setting;
        }
    }
    Lookup->OnValue("F2GetData", Variant());
    Form->Broker->SetSysSetting("SYS055", "3");
    Module->ProviderFieldSetText(Field("TEXT"), "s7", "61");
    EXPECT_EQ(Field("TEXT")->AsString(), "s7"); // nothing picked: the typed text
    // Bar codes: any setting but 1, 2 and 3 leaves the field alone.
    Form->Broker->SetSysSetting("SYS053", "9");
    Module->BarCodeFieldSetText(Field("TEXT"), "B1", Variant(), "", "");
    EXPECT_EQ(Field("TEXT")->AsString(), "s7");
}

TEST_F(DataModuleTest, ConnectsInProcessWithoutASocket) {
    TAppServerDouble app(0);
    TDispatchDouble* lookupServer = nullptr;
    const Variant lookupObject = NewDispatchDouble(lookupServer);
    TAutoObjectFactory appFactory("RAVEZ01A.Rarer1", [&] { return app.Object; });
    TAutoObjectFactory lookupFactory("F2WindowS.Class1", [&] { return lookupObject; });
    Form->Broker->CatalogFlag = true;
    Module->DataModuleCreate(nullptr);
    EXPECT_TRUE(Module->ConnectServer());
    EXPECT_EQ(Module->MIDAS->Address(), "127.0.0.1");
    EXPECT_TRUE(VarSameValue(Module->MIDAS->AppServer(), app.Object)); // the object itself, no proxy
    EXPECT_TRUE(VarSameValue(Module->scLookUpData->AppServer(), lookupObject));
    EXPECT_EQ(Form->Broker->GetSvrSetting("M11_TABLE"), "KVRTA");
    const Variant params = app.Server->Calls.at(0).Args.at(0);
    ASSERT_EQ(VarArrayHighBound(params, 1), 5);
    EXPECT_EQ(VarType(params) & varTypeMask, varOleStr);
    EXPECT_EQ(params.GetElement({0}).AsString(), "KVRX58");
    EXPECT_EQ(params.GetElement({1}).AsString(), "DEMO");
    Module->LoadServerDate();
    EXPECT_EQ(Module->ServerDate, "20260105");

    // A server that refuses the user opens nothing.
    TAppServerDouble refusing(1);
    TAutoObjectFactory refusingFactory("RAVEZ01A.Rarer1", [&] { return refusing.Object; });
    EXPECT_TRUE(Module->cdsSaveCondition->Active());
    EXPECT_EQ(app.Server->CallCount("AS_GetRecords"), 1);
    Module->cdsSaveCondition->Close();
    EXPECT_FALSE(Module->ConnectServer());
    EXPECT_FALSE(Module->cdsSaveCondition->Active());
    EXPECT_EQ(refusing.Server->CallCount("AS_GetRecords"), 0);
}

TEST_F(DataModuleTest, ConnectsOverTcpToAnyOtherAddress) {
    TAppServerDouble app(0);
    TDispatchDouble* lookupServer = nullptr;
    const Variant lookupObject = NewDispatchDouble(lookupServer);
    TSocketDispatchServer server([&](const AnsiString& name) {
        return SameText(name, "RAVEZ01A.Rarer1") ? app.Object : lookupObject;
    });
    server.Open(0);
    WriteClientIni("localhost", server.Port());
    EXPECT_TRUE(Module->ConnectServer());
    EXPECT_TRUE(Module->MIDAS->Connected());
    EXPECT_FALSE(VarSameValue(Module->MIDAS->AppServer(), app.Object)); // a proxy of the remote object
    EXPECT_EQ(Module->MIDAS->Port(), server.Port());
    EXPECT_EQ(Module->scLookUpData->Port(), server.Port());
    EXPECT_EQ(app.Server->CallCount("Connect"), 1);
    EXPECT_EQ(Form->Broker->MaxRecord(), 20);
    Module->MIDAS->Close();
    Module->scLookUpData->Close();
}

TEST_F(DataModuleTest, AConfigurationWithoutServersCannotConnect) {
    WriteFile("C:\\Veltrane\\VeltraneC.ini", "[Server Information]\r\nComputerName=\r\n");
    EXPECT_THROW(Module->ConnectServer(), ESocketConnectionError);
    EXPECT_EQ(Module->MIDAS->Address(), "");
    EXPECT_EQ(Module->MIDAS->Port(), 211);
}

} // namespace
