// The base data module: opening from the settings list, the select texts, number formats by decimal
// group, sys068 and currency, number entry with its range checks, the number-field settings and the
// base-data rights condition.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/FieldLists.h"
#include "tests/framework/BaseFixture.h"

namespace {

class BaseModuleTest : public BaseFormFixture {
protected:
    TField* Field(const char* name) const { return Main()->FieldByName(name); }
};

TEST_F(BaseModuleTest, PacketSizeFromMaxRecord) {
    const struct {
        const char* Line;
        int Packets;
    } cases[] = {{"MAX_RECORD=100\r\n", 40}, {"MAX_RECORD=2\r\n", 2}, {"", 0}, {"MAX_RECORD=abc\r\n", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        Settings = AnsiString("M11_TABLE=TESTA\r\nM11_KEY=TA001\r\n") + c.Line;
        StartForm();
        EXPECT_EQ(Main()->PacketRecords(), c.Packets);
        EXPECT_EQ(Module()->cdsMainColor->PacketRecords(), c.Packets);
        // Whatever the setting, the query shows its rows, from the first (0 opens with the metadata only).
        EXPECT_FALSE(Main()->IsEmpty());
        EXPECT_EQ(Main()->FieldByName("TA001")->AsString(), "A1");
        EXPECT_EQ(Panel(3), "1/3");
        EXPECT_FALSE(Module()->cdsMainColor->IsEmpty());
        // And so does the next query.
        BaseForm->SetQueryCondition(Main(), "All", "TA001");
        EXPECT_EQ(Main()->FieldByName("TA001")->AsString(), "A1");
        EXPECT_FALSE(Module()->cdsMainColor->IsEmpty());
        EXPECT_EQ(Main()->RecordCount(), c.Packets == 0 ? 3 : std::min(c.Packets, 3));
        delete BaseForm;
        BaseForm = nullptr;
    }
}

TEST(SelectTexts, MainAndDetailSelects) {
    EXPECT_EQ(MainSelectFields("select t.*, a.MA002 as TA005C, b.x As Y from $$T t left join $$A a on 1=1"),
              "A.MA002 TA005C, B.X Y");
    const struct {
        const char* Text;
        const char* Fields;
        const char* Joins;
    } cases[] = {
        {"SELECT B.*, C.MC002 AS TD007C FROM $$KVRTB B LEFT JOIN $$RUXMC C ON C.MC001 = B.TB007",
         "C.MC002 TD007C", " LEFT JOIN $$RUXMC C ON C.MC001 = B.TB007"},
        // The earliest join keyword counts: RIGHT before LEFT.
        {"select b.*, (select max(x) from y) as z from $$B b right join $$C c on c.k=b.k left join $$D d on "
         "d.k=b.k where b.k<>''",
         "(SELECT MAX(X) FROM Y) Z", " right join $$C c on c.k=b.k left join $$D d on d.k=b.k "},
        {"select b.*, c.n from $$B b inner join $$C c on c.k=b.k", "C.N", " inner join $$C c on c.k=b.k"},
        {"select b.* from $$B b where b.x=1", "", ""},
    };
    for (const auto& c : cases) {
        AnsiString fields, joins;
        SplitDetailSelect(c.Text, fields, joins);
        EXPECT_EQ(fields, c.Fields) << c.Text;
        EXPECT_EQ(joins, c.Joins) << c.Text;
    }
}

TEST_F(BaseModuleTest, SelectTextsAreTakenWhenSys150SaysSo) {
    SysSettings["SYS150"] = "Y";
    Settings += "M11_SELECT=select a.*, b.MB002 as TA004C from $$TESTA a\r\n"
                "D11_SELECT=select d.*, e.x from $$TESTB d RIGHT JOIN $$E e on e.k=d.k\r\n";
    StartForm();
    EXPECT_EQ(Module()->MainSelect, "B.MB002 TA004C");
    EXPECT_EQ(Module()->DetailFields, "E.X");
    EXPECT_EQ(Module()->DetailJoins, " RIGHT JOIN $$E e on e.k=d.k");
}

TEST_F(BaseModuleTest, DecimalGroupsFormatTheirFieldsWithTheirNumberOfDecimals) {
    StartForm();
    Module()->SetDecimalGroupFields(2, "cdsMain:TA003");
    Module()->SetDecimalGroupFields(7, "cdsMain:TA01");
    EXPECT_EQ(Module()->GetDecimalGroupPlaces(2), 2);
    EXPECT_EQ(Module()->GetDecimalGroupPlaces(7), 7);
    EXPECT_EQ(Module()->GetDecimalGroupPlaces(3), -1);
    EXPECT_EQ(Module()->GetFieldDecimals("TA003"), 2);
    EXPECT_EQ(Module()->GetFieldDecimals("TA01"), 7);
    EXPECT_EQ(Field("TA003")->DisplayText(), "100.00");
    EXPECT_EQ(Field("TA01")->DisplayText(), "1.0000000");
    EXPECT_EQ(static_cast<TNumericField*>(Field("TA003"))->EditFormat(), "##0.##");
    // Places set apart from the number; back to the number stores none.
    Module()->SetDecimalGroupPlaces(2, 4);
    EXPECT_EQ(Module()->GetFieldDecimals("TA003"), 4);
    EXPECT_EQ(Field("TA003")->DisplayText(), "100.0000");
    Module()->SetDecimalGroupPlaces(2, 2);
    EXPECT_EQ(Module()->GetDecimalGroupPlaces(2), 2);
    // The user's settings: no thousands separator, no trailing zeros.
    Module()->QuantityFieldThousand = false;
    Module()->QuantityFieldAutoZero = false;
    Main()->Edit();
    Field("TA003")->SetAsFloat(12345.5);
    EXPECT_EQ(Field("TA003")->DisplayText(), "12345.5");
    Module()->QuantityFieldThousand = true;
    EXPECT_EQ(Field("TA003")->DisplayText(), "12,345.5");
}

TEST_F(BaseModuleTest, FieldNamesInListsAreWholeNames) {
    StartForm();
    // TA01 is found at its second place, not inside TA011.
    EXPECT_EQ(FindWholeWord("cdsMain:TA011,TA01", "TA01"), 15);
    Module()->SetParamDecimalFields("cdsMain:TA011");
    EXPECT_EQ(Module()->GetParamDecimals("TA011"), 3);
    EXPECT_EQ(Module()->GetParamDecimals("TA01"), -1);
    Module()->SetDecimalGroupFields(5, "cdsMain:TA011,TA01");
    EXPECT_EQ(Module()->GetFieldGroup("TA01"), 5);
    EXPECT_EQ(Module()->GetFieldDecimals("TA01"), 5);
    EXPECT_EQ(Module()->GetFieldDecimals("TA011"), 3); // sys068 comes first
    EXPECT_EQ(Module()->GetFieldGroup("TA0"), -1);
}

TEST_F(BaseModuleTest, NumberEntryRoundsChecksTheRangeAndRefusesText) {
    NumberFieldRows = VarArrayOf({VarArrayOf({"TA003", 5, 2})});
    // The range messages name the field and the limit.
    HostObject->On("GetMessage", [](TDispArgs args) {
        return Variant(args[0].Value->AsString() + args[1].Value->AsString() + ":%s:%s");
    });
    StartForm();
    Module()->LoadNumberFields("TESTA");
    Module()->SetDecimalGroupFields(2, "cdsMain:TA003");
    Main()->Edit();
    TField* amount = Field("TA003");
    const struct {
        const char* Text;
        double Value;
        const char* Dialog;
    } cases[] = {
        {"999.99", 999.99, nullptr},
        {"1,000", 0, "E100280:金额:999.99 "},
        {"-1000", 0, "E100288:金额:-999.99 "},
        {"12.345", 12.35, nullptr}, // rounded to the group's 2 decimals
        {"", 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        amount->SetText(c.Text);
        EXPECT_DOUBLE_EQ(amount->AsFloat(), c.Value);
        const std::vector<AnsiString> dialogs = DialogTexts();
        if (c.Dialog)
            EXPECT_EQ(dialogs, std::vector<AnsiString>{c.Dialog});
        else
            EXPECT_TRUE(dialogs.empty());
    }
    // Text that is no number is said so, and the field keeps its value.
    amount->SetAsFloat(55);
    EXPECT_THROW(amount->SetText("12a"), EAbort);
    EXPECT_DOUBLE_EQ(amount->AsFloat(), 55);
    const std::vector<AnsiString> dialogs = DialogTexts();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].substr(0, 7), "E000032");
    // A column without settings is not limited.
    EXPECT_DOUBLE_EQ(Module()->CheckNumberRange("TA01", 2, true, 1e9), 1e9);
}

TEST_F(BaseModuleTest, CurrencyDecimalsAreReadOnceAndAnUnknownCurrencyIsAskedAgain) {
    StartForm();
    Module()->SetCurrencyBinding(Field("TA004"), cdtMoney, "cdsMain:TA003");
    Module()->SetCurrencyBinding(nullptr, cdtUnitCost, "cdsMain:TA011");
    EXPECT_EQ(Module()->GetCurrencyBinding(Field("TA004"), cdtMoney), "cdsMain:TA003");
    Module()->ApplyAllCurrencyFormats();
    EXPECT_EQ(Module()->GetCurrencyDecimals("TA003"), 2); // USD money digits
    EXPECT_EQ(Field("TA003")->DisplayText(), "100.00");
    EXPECT_EQ(Module()->GetCurrencyDecimals("TA011"), 5); // SYS003 RMB unit-cost digits
    const auto asked = [this](const char* code) {
        int count = 0;
        for (const AnsiString& request : CounterRequests)
            if (request.find("MF001='" + AnsiString(code) + "'") != AnsiString::npos) ++count;
        return count;
    };
    EXPECT_EQ(asked("USD"), 1);
    Module()->GetCurrencySetting("USD", cdtPrice);
    EXPECT_EQ(asked("USD"), 1);
    // A currency the table lacks: no decimals known, and asked again next time.
    EXPECT_EQ(Module()->GetCurrencySetting("EUR", cdtMoney), -1);
    EXPECT_EQ(Module()->GetCurrencySetting("EUR", cdtMoney), -1);
    EXPECT_EQ(asked("EUR"), 2);
    Currencies["EUR"] = VarArrayOf({VarArrayOf({"EUR", 4, 3, 4, 2})});
    EXPECT_EQ(Module()->GetCurrencySetting("EUR", cdtMoney), 3);
    // A code is quoted, not pasted into the statement.
    Module()->GetCurrencySetting("X'Y", cdtMoney);
    EXPECT_EQ(asked("X''Y"), 1);
    EXPECT_EQ(Module()->GetCurrencySetting("", cdtMoney), -1);
    // Changing the currency reformats its fields.
    Main()->Edit();
    Field("TA004")->SetAsString("EUR");
    EXPECT_EQ(Field("TA003")->DisplayText(), "100.000");
}

TEST_F(BaseModuleTest, NumberSettingsOfTheUser) {
    UserDefines["NumberFieldsSetting"] =
        "<NumberFieldsSetting><QuantityFieldAutoZero>false</QuantityFieldAutoZero>"
        "<MoneyFieldThousand>FALSE</MoneyFieldThousand><MoneyFieldAutoZero>True</MoneyFieldAutoZero>"
        "</NumberFieldsSetting>";
    StartForm();
    EXPECT_FALSE(Module()->QuantityFieldAutoZero);
    EXPECT_TRUE(Module()->QuantityFieldThousand); // missing: True
    EXPECT_FALSE(Module()->MoneyFieldThousand);
    EXPECT_TRUE(Module()->MoneyFieldAutoZero);
    // Text that is no XML keeps what was read.
    UserDefines["NumberFieldsSetting"] = "not xml";
    Module()->LoadNumberSettings();
    EXPECT_FALSE(Module()->QuantityFieldAutoZero);
}

TEST_F(BaseModuleTest, DataRightsConditionFailsClosed) {
    Settings += "H11_KEY=TA001\r\nH11_TABLE=TESTA\r\n";
    const struct {
        const char* Name;
        std::function<Variant()> Answer;
        bool Result;
        const char* Condition;
    } cases[] = {
        {"none permitted",
         [] {
             return VarArrayOf({0, ""});
         },
         false, "ALL"},
        {"all permitted",
         [] {
             return VarArrayOf({3, ""});
         },
         true, ""},
        {"not limited",
         [] {
             return VarArrayOf({-1, ""});
         },
         true, ""},
        {"some, keys as a list",
         [] {
             return VarArrayOf({1, VarArrayOf({"A2  "})});
         },
         false, "A1  ;A3  "},
        {"some, keys as a text",
         [] {
             return VarArrayOf({2, "A1;A3"});
         },
         false, "A2  "},
        {"no answer", [] { return Variant(); }, false, "ALL"},
        {"a failed call", []() -> Variant { throw EOleError("server down"); }, false, "ALL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        StartForm();
        Server->Server->On("GetBaseLimitedRecs", [&c](TDispArgs) { return c.Answer(); });
        Main()->Locate("TA001", "A2");
        AnsiString condition = "stale";
        EXPECT_EQ(Module()->BuildDataRightCondition(Main(), "H11", condition), c.Result);
        EXPECT_EQ(condition, c.Condition);
        EXPECT_EQ(Main()->FieldByName("TA001")->AsString(), condition == "A1  ;A3  " ? "A1" : "A2");
        delete BaseForm;
        BaseForm = nullptr;
    }
    // The call names the prefix with its "_" and the record count.
    StartForm();
    Server->Server->OnValue("GetBaseLimitedRecs", VarArrayOf({-1, ""}));
    AnsiString condition;
    Module()->BuildDataRightCondition(Main(), "H11", condition);
    const auto& call = Server->Server->Calls.back();
    EXPECT_EQ(call.Args.at(0).AsString(), "H11_");
    EXPECT_EQ(call.Args.at(1).AsString(), "TESTA.TA001='A1'");
    EXPECT_EQ(call.Args.at(2).AsInteger(), 3);
}

} // namespace
