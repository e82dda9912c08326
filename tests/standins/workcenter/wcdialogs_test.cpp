// The host's dialogs behind the lookup-window service, answered by a modal driver as a user would.
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/registry.h"
#include "standins/workcenter/wcdialogs.h"
#include "standins/workcenter/workcenter.h"
#include "tests/standins/appserver/serverfixture.h"

namespace {

// Each time a dialog waits, the next step acts on it; a dialog with no step left is unanswered.
class TStepDriver : public TModalDriver {
public:
    std::deque<std::function<void(TCustomForm*)>> Steps;
    std::vector<AnsiString> Waiting;

    bool Idle(TCustomForm* form) override {
        Waiting.push_back(form->ClassName());
        if (Steps.empty()) return false;
        auto step = Steps.front();
        Steps.pop_front();
        step(form);
        return true;
    }
};

template <typename T> T& As(TCustomForm* form) {
    auto* dialog = dynamic_cast<T*>(form);
    if (!dialog) throw Exception("unexpected dialog " + form->ClassName());
    return *dialog;
}

class HostDialogs : public testing::Test {
protected:
    TServerDatabase Db;
    TStepDriver Driver;
    TModalDriverScope Scope{&Driver};
    Variant Host = CreateOleObject("VorlanWorkCenter.Manager");
    Variant F2Window;

    void SetUp() override {
        SetNowForTesting(EncodeDate(2026, 12, 10));
        VarCall(Host, "Connect");
        F2Window = VarGet(Host, "Com_F2Window");
    }
    void TearDown() override { ResetNowForTesting(); }

    // The suppliers' lookup, with several rows allowed or not.
    Variant Suppliers(bool multiSelect) {
        Variant params = VarArrayCreate({0, 18}, varVariant);
        params.PutElement({0}, "BYVMA");
        params.PutElement({1}, "61");
        params.PutElement({2}, VarArrayOf({Variant("S000")}));
        params.PutElement({5}, "DEMO");
        params.PutElement({9}, multiSelect);
        params.PutElement({18}, "DEMO");
        return VarCall(F2Window, "F2GetData", {params});
    }
    AnsiString ShowInputDay(bool rocYear, const char* start) {
        return VarToStr(VarCall(F2Window, "ShowInputDay", {VarArrayOf({rocYear, start, "DEMO"})}));
    }
    AnsiString Calculate(const char* start) {
        Variant text = start;
        return VarToStr(VarCall(F2Window, "GetCalcValue", {ByRef(text), 0}));
    }
};

TEST_F(HostDialogs, LookupWindowShowsTheCandidatesAndReturnsThePickedRow) {
    Driver.Steps.push_back([](TCustomForm* form) {
        auto& window = As<TfrmLookupWindow>(form);
        EXPECT_EQ(window.Caption(), "开窗查询 - BYVMA");
        EXPECT_EQ(window.grdRows->Cells(0, 0), "供应商编号");
        EXPECT_EQ(window.grdRows->Cells(0, 1), "S0001");
        EXPECT_EQ(window.CandidateCount(), 4);
        EXPECT_FALSE(window.SelectRows({5}));    // past the candidates
        EXPECT_FALSE(window.SelectRows({1, 2})); // one row only
        EXPECT_TRUE(window.SelectRows({2}));
        UserKey(form, "Enter");
    });
    const Variant chosen = Suppliers(false);
    ASSERT_EQ(VarArrayLength(chosen), 1);
    EXPECT_EQ(chosen.GetElement({0}).GetElement({0}).AsString(), "S0002");

    // Esc is nothing chosen.
    Driver.Steps.push_back([](TCustomForm* form) { UserKey(form, "Esc"); });
    EXPECT_TRUE(VarIsEmpty(Suppliers(false)));
}

// A client whose user interface is BIG5: the host's window shows its texts in BIG5, and the rows it
// hands back are the data as they stand.
TEST_F(HostDialogs, UnderABig5ClientTheLookupWindowSpeaksBig5) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "wcdialogs_big5";
    std::filesystem::create_directories(folder);
    {
        std::ofstream ini(folder / "VeltraneC.ini", std::ios::binary);
        ini << "[CodePage]\r\nUICodePage=950\r\nDBCodePage=936\r\n";
    }
    const AnsiString machineStore = RegistryFileName();
    SetRegistryFileName((folder / "registry.ini").string());
    {
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(registry.OpenKey("Software\\QVN\\Veltrane", true));
        registry.WriteString("ClientPath", IncludeTrailingBackslash(SystemPath(folder.string())));
    }
    AnsiString caption, heading, name;
    Driver.Steps.push_back([&](TCustomForm* form) {
        auto& window = As<TfrmLookupWindow>(form);
        caption = window.Caption();
        heading = window.grdRows->Cells(0, 0);
        name = window.grdRows->Cells(1, 2);
        window.SelectRows({2});
        UserKey(form, "Enter");
    });
    const Variant chosen = Suppliers(false);
    SetRegistryFileName(machineStore);
    std::filesystem::remove_all(folder);
    EXPECT_EQ(caption, WideToAnsi(u"開窗查詢 - BYVMA", 950));
    EXPECT_EQ(heading, WideToAnsi(u"供應商編號", 950));
    EXPECT_EQ(name, WideToAnsi(u"奧蘭電子", 950));
    ASSERT_EQ(VarArrayLength(chosen), 1);
    EXPECT_EQ(chosen.GetElement({0}).GetElement({1}).AsString(), "奥兰电子"); // the data, in GB
}

TEST_F(HostDialogs, SeveralRowsAreMarkedWithSpaceOrPicked) {
    Driver.Steps.push_back([](TCustomForm* form) {
        auto& window = As<TfrmLookupWindow>(form);
        ASSERT_TRUE(window.MultiSelect());
        EXPECT_EQ(window.grdRows->Cells(1, 0), "供应商编号"); // column 0 holds the marks
        window.grdRows->SetRow(3);
        UserKey(form, " ", "grdRows");
        window.grdRows->SetRow(1);
        UserKey(form, " ", "grdRows");
        EXPECT_EQ(window.grdRows->Cells(0, 3), "√");
        UserAnswer(form, "btnOK");
    });
    Variant chosen = Suppliers(true);
    ASSERT_EQ(VarArrayLength(chosen), 2);
    EXPECT_EQ(chosen.GetElement({0}).GetElement({0}).AsString(), "S0001"); // in grid order
    EXPECT_EQ(chosen.GetElement({1}).GetElement({0}).AsString(), "S0003");

    Driver.Steps.push_back([](TCustomForm* form) {
        auto& window = As<TfrmLookupWindow>(form);
        EXPECT_TRUE(window.SelectRows({4, 2}));
        EXPECT_TRUE(window.SelectRows({2})); // picking again replaces the marks
        UserAnswer(form, "btnOK");
    });
    chosen = Suppliers(true);
    ASSERT_EQ(VarArrayLength(chosen), 1);
    EXPECT_EQ(chosen.GetElement({0}).GetElement({0}).AsString(), "S0002");
}

TEST_F(HostDialogs, PhraseAndCharacterPickersUseTheLookupWindow) {
    Driver.Steps.push_back([](TCustomForm* form) {
        auto& window = As<TfrmLookupWindow>(form);
        EXPECT_EQ(window.Caption(), "常用词组");
        window.SelectRows({1});
        UserAnswer(form, "btnOK");
    });
    Variant text = "";
    EXPECT_EQ(VarCall(F2Window, "GetPhrase2", {"DEMO", "DEMO", 0, ByRef(text)}).AsInteger(), 0);
    EXPECT_EQ(text.AsString(), "单据须经我司确认后方可议付");

    Driver.Steps.push_back([](TCustomForm* form) {
        auto& window = As<TfrmLookupWindow>(form);
        EXPECT_EQ(window.Caption(), "特殊字符");
        window.SelectRows({1, 3});
        UserAnswer(form, "btnOK");
    });
    Variant kind = 2;
    EXPECT_EQ(VarCall(F2Window, "ShowCharaters", {"DEMO", "DEMO", ByRef(kind), false, "0"})
                  .GetElement({0})
                  .AsString(),
              "Φ×");
}

TEST_F(HostDialogs, DatePickerStartsAtTheDateAndReturnsTheChoice) {
    Driver.Steps.push_back([](TCustomForm* form) {
        auto& picker = As<TfrmDatePicker>(form);
        EXPECT_EQ(picker.edtDate->Text(), "2026/12/01");
        EXPECT_EQ(picker.lblMonth->Caption(), "2026年12月");
        EXPECT_EQ(picker.grdDays->Cells(2, 1), "1"); // 1 December 2026 is a Tuesday
        picker.MoveMonth(1);
        EXPECT_EQ(picker.Date(), "20270101");
        UserAnswer(form, "btnOK");
    });
    EXPECT_EQ(ShowInputDay(false, "20261201"), "20270101");

    // A start that is no date starts today; with the ROC-year flag years count from 1912.
    Driver.Steps.push_back([](TCustomForm* form) {
        auto& picker = As<TfrmDatePicker>(form);
        EXPECT_EQ(picker.edtDate->Text(), "115/12/10");
        UserType(form, "edtDate", "115/2/28");
        UserAnswer(form, "btnOK");
    });
    EXPECT_EQ(ShowInputDay(true, "20261340"), "20260228");

    Driver.Steps.push_back([](TCustomForm* form) { UserAnswer(form, "btnCancel"); });
    EXPECT_EQ(ShowInputDay(false, "20261210"), "");
}

TEST_F(HostDialogs, DatePickerRefusesATypedTextThatIsNoDate) {
    struct {
        const char* Typed;
        bool Valid;
    } cases[] = {{"20270315", true},   {"2027/3/15", true},   {"2027-03-15", true}, {"2027/2/29", false},
                 {"2027/13/1", false}, {"15/3/2027x", false}, {"", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        Driver.Steps.push_back([&](TCustomForm* form) {
            auto& picker = As<TfrmDatePicker>(form);
            picker.edtDate->SetText(c.Typed);
            UserAnswer(form, "btnOK");
        });
        // Refused: the picker stays up with the reason shown, and is then cancelled.
        Driver.Steps.push_back([](TCustomForm* form) {
            EXPECT_EQ(As<TfrmDatePicker>(form).lblError->Caption(), "日期格式错误");
            UserAnswer(form, "btnCancel");
        });
        EXPECT_EQ(ShowInputDay(false, "20261210"), c.Valid ? "20270315" : "");
        Driver.Steps.clear();
    }
}

TEST_F(HostDialogs, CalculatorWorksOutTheExpression) {
    struct {
        const char* Text;
        double Value; // unused when Error is set
        const char* Error;
    } cases[] = {
        {"12+30", 42, nullptr},     {"2*(3+4)", 14, nullptr}, {"1,234.5 * 2", 2469, nullptr},
        {"-3--2", -1, nullptr},     {"7÷2", 3.5, nullptr},    {"2×-1.5", -3, nullptr},
        {"1/0", 0, "除数不能为零"}, {"2+", 0, "算式有误"},    {"((1)", 0, "算式有误"},
        {"1..2", 0, "算式有误"},    {"", 0, "没有算式"},      {"1;DROP", 0, "算式有误"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        double value = -99;
        AnsiString error;
        const bool ok = EvaluateExpression(c.Text, value, error);
        EXPECT_EQ(ok, c.Error == nullptr);
        if (ok)
            EXPECT_DOUBLE_EQ(value, c.Value);
        else
            EXPECT_EQ(error, c.Error);
    }
    double value = 0;
    AnsiString error;
    EXPECT_FALSE(EvaluateExpression(AnsiString(5000, '(') + "1" + AnsiString(5000, ')'), value, error));
}

TEST_F(HostDialogs, CalculatorKeysBuildTheExpressionAndOKGivesItsValue) {
    Driver.Steps.push_back([](TCustomForm* form) {
        auto& calculator = As<TfrmCalculator>(form);
        EXPECT_EQ(calculator.edtDisplay->Text(), "1,200.50");
        for (const char* key : {"btnClear", "btn1", "btn2", "btnMul", "btn3", "btnBack", "btn4", "btnEqual"})
            UserClick(form, key);
        EXPECT_EQ(calculator.edtDisplay->Text(), "48");
        UserClick(form, "btnDiv");
        UserClick(form, "btn0");
        UserAnswer(form, "btnOK"); // refused: it stays up
    });
    Driver.Steps.push_back([](TCustomForm* form) {
        auto& calculator = As<TfrmCalculator>(form);
        EXPECT_EQ(calculator.lblError->Caption(), "除数不能为零");
        UserClick(form, "btnBack");
        UserClick(form, "btn5");
        UserAnswer(form, "OK"); // as a script answers it: by its modal result
    });
    EXPECT_EQ(Calculate("1,200.50"), "9.6");
}

TEST_F(HostDialogs, AnUnansweredDialogRaisesInsteadOfWaiting) {
    try {
        Suppliers(false);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("lookup window"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(Driver.Waiting, std::vector<AnsiString>{"TfrmLookupWindow"});
    EXPECT_EQ(Screen->FormCount(), 0); // the window is gone with the error
}

} // namespace
