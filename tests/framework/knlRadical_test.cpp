#include <gtest/gtest.h>

#include "framework/knlRadical.h"
#include "knlFixture.h"

namespace {

class KnlRadicalTest : public TKernelFixture {
protected:
    // A line-less string field of size 4 in edit state.
    TField* EditTA001() {
        OpenBoth();
        cdsMain->Edit();
        return cdsMain->FieldByName("TA001");
    }
};

TEST_F(KnlRadicalTest, TimeTextsAreStoredAsHHMM) {
    TField* field = EditTA001();
    struct {
        const char* text;
        const char* stored;
    } cases[] = {{"9:5", "0905"},   {"09:05", "0905"}, {"23:59", "2359"}, {" 7: 3", "0703"},
                 {"ab:cd", "0000"}, {"  :  ", ""},     {"", ""}};
    for (const auto& c : cases) {
        field->SetAsString("1111");
        DoTimeSetText(field, c.text);
        EXPECT_EQ(field->AsString(), c.stored) << c.text;
    }
    AnsiString text = "x";
    field->SetAsString("0905");
    DoTimeGetText(field, text);
    EXPECT_EQ(text, "09:05");
    field->Clear();
    DoTimeGetText(field, text);
    EXPECT_EQ(text, "");
}

TEST_F(KnlRadicalTest, TimeValidationByHoursAndMinutes) {
    TField* field = EditTA001();
    struct {
        const char* stored;
        bool valid;
    } cases[] = {{"0000", true},  {"2359", true}, {"2400", false},
                 {"1260", false}, {"123", false}, {"", true}};
    for (const auto& c : cases) {
        field->SetAsString(c.stored);
        EXPECT_EQ(DoTimeValidate(field), c.valid) << c.stored;
    }
    field->SetAsString("ab12");
    EXPECT_THROW(DoTimeValidate(field), EConvertError);
    cdsMain->Cancel();
    EXPECT_TRUE(DoTimeValidate(field)); // outside editing
}

TEST_F(KnlRadicalTest, DayMonthAndPercentTexts) {
    OpenBoth();
    cdsMain->Edit();
    TField* text = cdsMain->FieldByName("TA001");
    DoDaySetText(text, " 5 ");
    EXPECT_EQ(text->AsString(), "05");
    DoMonthSetText(text, "12");
    EXPECT_EQ(text->AsString(), "12");
    DoMonthSetText(text, "  ");
    EXPECT_TRUE(text->IsNull());
    text->SetAsString("07");
    EXPECT_THROW(DoDaySetText(text, "x"), EConvertError);
    EXPECT_EQ(text->AsString(), "07");

    TField* amount = cdsMain->FieldByName("TA018");
    struct {
        const char* text;
        double stored;
    } cases[] = {{"12.5%", 0.125}, {"12.50%", 0.125}, {"15%", 0.15}, {" 3 . 25 %", 0.0325},
                 {".5%", 0.005},   {"abc", 0},        {"", 0}};
    for (const auto& c : cases) {
        amount->SetAsFloat(9);
        DoPercentSetText(amount, c.text);
        EXPECT_DOUBLE_EQ(amount->AsFloat(), c.stored) << c.text;
    }
    AnsiString shown = "unchanged";
    amount->SetAsFloat(0.125);
    DoPercentGetText(amount, shown);
    EXPECT_EQ(shown, "12.50%");
    amount->Clear();
    shown = "unchanged";
    DoPercentGetText(amount, shown);
    EXPECT_EQ(shown, "unchanged");
}

TEST(ComposeYearMonthTest, KindsAndBadParts) {
    struct {
        const char* text;
        int kind;
        const char* separator;
        const char* result;
    } cases[] = {
        {"113/3", 4, "/", "202403"},  {"113/12", 5, "/", "202412"},  {"2024/3", 1, "/", "202403"},
        {"3/2024", 2, "/", "202403"}, {"03-2024", 3, "-", "202403"}, {"24/3", 1, "/", "002403"},
        {"0/3", 4, "/", "keep"},      {"113/0", 4, "/", "keep"},     {"113", 4, "/", "keep"},
        {"abc/3", 4, "/", "keep"},    {"113/3", 6, "/", "keep"},     {"113/3", 4, "", "keep"},
    };
    for (const auto& c : cases) {
        AnsiString result = "keep";
        ComposeYearMonth(c.text, c.kind, c.separator, result);
        EXPECT_EQ(result, c.result) << c.text << " kind " << c.kind;
    }
}

TEST_F(KnlRadicalTest, NegativeFlagsOfTheHeaderAndItsLinesBecomePositive) {
    FillProvider(-6, -1, 3);
    OpenBoth();
    int scrolls = 0;
    struct TCounter : TComponent {
        using TComponent::TComponent;
        int* Count = nullptr;
        void Scrolled(TDataSet*) { ++*Count; }
    };
    auto* counter = new TCounter(FOwner);
    counter->Count = &scrolls;
    cdsBody1->SetAfterScroll(TDataSetNotifyEvent(counter, &TCounter::Scrolled));

    EXPECT_TRUE(RestoreNegativeFlags(cdsMain, true));
    EXPECT_EQ(cdsMain->FieldByName("FLAG")->AsInteger(), 6);
    cdsBody1->First();
    EXPECT_EQ(cdsBody1->FieldByName("FLAG")->AsInteger(), 1);
    cdsBody1->Next();
    EXPECT_EQ(cdsBody1->FieldByName("FLAG")->AsInteger(), 3);
    // The lines' walk ran with their events off, and the events are back.
    EXPECT_EQ(scrolls, 2);
    EXPECT_TRUE(cdsBody1->AfterScroll().Assigned());
    EXPECT_EQ(cdsMain->ChangeCount(), 2); // the header and one line
}

TEST_F(KnlRadicalTest, PostAndApplyIsTrueOnlyWhenTheServerTookEveryRow) {
    OpenBoth();
    cdsBody1->Edit();
    cdsBody1->FieldByName("TB005")->SetAsFloat(50);
    // Pending edit: posted by PostAndApply.
    EXPECT_TRUE(PostAndApply(cdsMain));
    EXPECT_EQ(cdsMain->ChangeCount(), 0);

    Provider().RejectRow = [](TUpdateKind, const Variant&) { return AnsiString("locked by another user"); };
    cdsMain->Edit();
    cdsMain->FieldByName("TA018")->SetAsFloat(1);
    int reconciled = 0;
    struct THandler : TComponent {
        using TComponent::TComponent;
        int* Count = nullptr;
        void Reconcile(TCustomClientDataSet*, EReconcileError*, TUpdateKind, TReconcileAction& action) {
            ++*Count;
            action = raMerge; // even a row the handler merges stays a failure
        }
    };
    auto* handler = new THandler(FOwner);
    handler->Count = &reconciled;
    cdsMain->SetOnReconcileError(TReconcileErrorEvent(handler, &THandler::Reconcile));
    EXPECT_FALSE(PostAndApply(cdsMain));
    EXPECT_EQ(reconciled, 1);
    EXPECT_EQ(AlertLog("Class knlRadical-311"), "");
}

TEST_F(KnlRadicalTest, PostAndApplyLogsAndRaisesAFailure) {
    OpenBoth();
    cdsMain->Edit();
    cdsMain->FieldByName("TA018")->SetAsFloat(1);
    // The server fails as a whole.
    Provider().RejectRow = [](TUpdateKind, const Variant&) -> AnsiString {
        throw Exception("connection lost");
    };
    EXPECT_THROW(PostAndApply(cdsMain), Exception);
    EXPECT_NE(AlertLog("Class knlRadical-311").find("connection lost"), AnsiString::npos);
    EXPECT_FALSE(PostAndApply(nullptr));
}

TEST_F(KnlRadicalTest, FillNullFieldsWithoutTheirHandlers) {
    OpenBoth();
    cdsMain->Append();
    int calls = 0;
    struct THandler : TComponent {
        using TComponent::TComponent;
        int* Count = nullptr;
        void Changed(TField*) { ++*Count; }
    };
    auto* handler = new THandler(FOwner);
    handler->Count = &calls;
    TField* amount = cdsMain->FieldByName("TA018");
    amount->SetOnChange(TFieldNotifyEvent(handler, &THandler::Changed));
    amount->SetOnValidate(TFieldNotifyEvent(handler, &THandler::Changed));
    cdsMain->FieldByName("TA002")->SetAsString("N1");
    FillNullFields(cdsMain);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(amount->OnChange().Assigned());
    EXPECT_TRUE(amount->OnValidate().Assigned());
    EXPECT_FALSE(amount->IsNull());
    EXPECT_EQ(amount->AsFloat(), 0);
    EXPECT_FALSE(cdsMain->FieldByName("FLAG")->IsNull());
    EXPECT_EQ(cdsMain->FieldByName("TA002")->AsString(), "N1"); // a value stays
    EXPECT_EQ(cdsMain->FieldByName("TA001")->AsString(), "");
}

TEST(ShowFilePropertiesTest, GoesToTheShellWithThePropertiesVerb) {
    EXPECT_FALSE(ShowFileProperties("C:\\a.txt")); // no shell
    static TShellExecuteInfo seen;
    TShellExecuteHandler previous = SetShellExecuteHandler([](const TShellExecuteInfo& info) {
        seen = info;
        return true;
    });
    EXPECT_TRUE(ShowFileProperties("C:\\a.txt"));
    SetShellExecuteHandler(previous);
    EXPECT_EQ(seen.Verb, "properties");
    EXPECT_EQ(seen.Mask, 0x0Cu);
    EXPECT_EQ(seen.File, "C:\\a.txt");
}

} // namespace
