// The options dialog: what it loads, what it shows as samples, and that it writes only what changed.
#include <memory>

#include "dialogs/OptionsCF.h"
#include "tests/dialogs/DialogFixture.h"

namespace {

const AnsiString kAll = "********************";

class Options : public DialogFixture {
protected:
    TfrmOptions* Open() {
        StartForm();
        Dialog.reset(new TfrmOptions(BaseForm));
        return Dialog.get();
    }
    void TearDown() override {
        Dialog.reset();
        DialogFixture::TearDown();
    }
    // Runs the dialog: step acts on it, then OK is clicked.
    TModalResult RunThenOK(std::function<void(TfrmOptions*)> step = {}) {
        Counter->Calls.clear();
        Script.Steps.push_back([this, step](TCustomForm*) {
            if (step) step(Dialog.get());
            Counter->Calls.clear(); // what the showing read is not what OK writes
            Dialog->btnOK->Click();
        });
        return Dialog->ShowModal();
    }
    // The SetUserDefine calls since the last run, each "column|key path|value".
    std::vector<AnsiString> Writes() {
        std::vector<AnsiString> writes;
        for (const auto& call : Counter->Calls) {
            if (call.Args.empty() || !SameText(VarToStr(call.Args[0]), "SetUserDefine")) continue;
            const Variant& p = call.Args[1];
            EXPECT_EQ(VarToStr(p.GetElement({0})), "DEMO");
            EXPECT_EQ(VarToStr(p.GetElement({1})), "DEMO");
            writes.push_back(VarToStr(p.GetElement({2})) + "|" + VarToStr(p.GetElement({3})) + "|" +
                             VarToStr(p.GetElement({4})));
        }
        return writes;
    }
    static AnsiString Xml(bool quantityZero, bool quantityThousand, bool moneyZero, bool moneyThousand) {
        return NumberSettingsXml({quantityZero, quantityThousand, moneyZero, moneyThousand});
    }
    std::unique_ptr<TfrmOptions> Dialog;
};

TEST_F(Options, NumberSettingsTextIsWrittenExactlyAndReadLeniently) {
    EXPECT_EQ(Xml(true, false, true, false),
              "<NumberFieldsSetting Enabled=\"True\">  <QuantityFieldAutoZero>True</QuantityFieldAutoZero>  "
              "<QuantityFieldThousand>False</QuantityFieldThousand>  "
              "<MoneyFieldAutoZero>True</MoneyFieldAutoZero>  "
              "<MoneyFieldThousand>False</MoneyFieldThousand></NumberFieldsSetting>");
    struct {
        const char* Text;
        bool Read;
        TNumberSettings Expected;
    } cases[] = {
        {"<NumberFieldsSetting><QuantityFieldAutoZero>false</QuantityFieldAutoZero>"
         "<MoneyFieldThousand>TRUE</MoneyFieldThousand><MoneyFieldAutoZero>no</MoneyFieldAutoZero>"
         "</NumberFieldsSetting>",
         true,
         {false, true, false, true}},
        {"<NumberFieldsSetting/>", true, {true, true, true, true}},
        {"not xml", false, {false, false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        TNumberSettings settings{false, false, false, false};
        EXPECT_EQ(ReadNumberSettings(c.Text, settings), c.Read);
        EXPECT_EQ(settings.QuantityAutoZero, c.Expected.QuantityAutoZero);
        EXPECT_EQ(settings.QuantityThousand, c.Expected.QuantityThousand);
        EXPECT_EQ(settings.MoneyAutoZero, c.Expected.MoneyAutoZero);
        EXPECT_EQ(settings.MoneyThousand, c.Expected.MoneyThousand);
    }
    EXPECT_EQ(BoolToText(true), "True");
    EXPECT_EQ(BoolToText(false), "False");
}

TEST_F(Options, LoadsTheStoredSettingsAndOKWithoutChangesWritesNothing) {
    UserDefines["NumberFieldsSetting"] = Xml(false, true, true, false);
    UserDefines["InputSettings001"] =
        "<InputSettings001><IsFocusPageOne>False</IsFocusPageOne></InputSettings001>";
    UserDefines["InputSettings003"] =
        "<InputSettings003><IsColorManage>True</IsColorManage></InputSettings003>";
    Open();
    EXPECT_EQ(RunThenOK([](TfrmOptions* d) {
                  EXPECT_EQ(d->Caption(), "选项");
                  EXPECT_FALSE(d->IsFocusPageOne());
                  EXPECT_TRUE(d->IsKeepOnAdd());
                  EXPECT_TRUE(d->IsColorManage());
                  EXPECT_TRUE(d->IsFastInput());
                  EXPECT_FALSE(d->IsNumberAutoZero());
                  EXPECT_TRUE(d->IsNumberThousand());
                  EXPECT_TRUE(d->IsMoneyAutoZero());
                  EXPECT_FALSE(d->IsMoneyThousand());
                  EXPECT_EQ(d->pgMain->ActivePageIndex(), 0);
                  EXPECT_TRUE(d->pnlNumber->Visible());
                  EXPECT_FALSE(d->pnlMoney->Visible());
              }),
              mrOk);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(Options, EachChangedBoxIsWrittenUnderItsOwnColumnInOrder) {
    Open();
    RunThenOK([](TfrmOptions* d) {
        for (TBitCheckBox* box : {d->chkFastInput, d->chkColorManage, d->chkFocusPageOne, d->chkKeepOnAdd})
            box->Click();
        // Switching the kind does not forget what was changed before.
        d->lstType->SetItemIndex(1);
        d->lstTypeClick(d->lstType);
        EXPECT_TRUE(d->pnlMoney->Visible());
        EXPECT_FALSE(d->pnlNumber->Visible());
        d->chkMoneyAutoZero->Click();
        d->chkMoneyAutoZero->Click(); // back as it was: no change
    });
    EXPECT_EQ(Writes(), (std::vector<AnsiString>{
                            kAll + "|InputSettings002/IsKeepOnAdd|False",
                            kAll + "|InputSettings001/IsFocusPageOne|False",
                            "FWTEST01|InputSettings003/IsColorManage|True",
                            "FWTEST01|InputSettings004/FastInputEnabled|False",
                        }));
}

TEST_F(Options, OneNumberBoxChangedWritesTheWholeNumberTextOnce) {
    Open();
    RunThenOK([](TfrmOptions* d) { d->chkMoneyThousand->Click(); });
    EXPECT_EQ(Writes(), std::vector<AnsiString>{kAll + "|.|" + Xml(true, true, true, false)});
    // The dialog's own values are what the caller reads back.
    EXPECT_FALSE(Dialog->IsMoneyThousand());
}

TEST_F(Options, SamplesFollowTheBoxesAndTheCompanyCurrency) {
    Open(); // the company's currency RMB has one money decimal
    RunThenOK([](TfrmOptions* d) {
        EXPECT_EQ(d->lblNumberExample->Caption(), "9,999,999.900");
        EXPECT_EQ(d->lblMoneyExample->Caption(), "9,999,999.9");
        d->chkNumberAutoZero->Click();
        EXPECT_EQ(d->lblNumberExample->Caption(), "9,999,999.9");
        d->chkNumberThousand->Click();
        EXPECT_EQ(d->lblNumberExample->Caption(), "9999999.9");
        d->chkMoneyThousand->Click();
        EXPECT_EQ(d->lblMoneyExample->Caption(), "9999999.9");
    });
    SysSettings["SYS003"] = "USD";
    Dialog.reset();
    delete BaseForm;
    BaseForm = nullptr;
    Open();
    RunThenOK([](TfrmOptions* d) {
        EXPECT_EQ(d->lblMoneyExample->Caption(), "9,999,999.90");
        d->chkMoneyAutoZero->Click();
        EXPECT_EQ(d->lblMoneyExample->Caption(), "9,999,999.9");
    });
}

TEST_F(Options, AnOwnerThatIsNoBaseFormKeepsTheDesignStatesAndTwoMoneyDecimals) {
    UserDefines["InputSettings002"] = "<InputSettings002><IsKeepOnAdd>False</IsKeepOnAdd></InputSettings002>";
    StartForm();
    MakeForm(); // a document form of the root class
    Form->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
    Dialog.reset(new TfrmOptions(Form));
    RunThenOK([](TfrmOptions* d) {
        EXPECT_TRUE(d->IsKeepOnAdd());
        EXPECT_TRUE(d->IsFocusPageOne());
        EXPECT_FALSE(d->IsColorManage());
        EXPECT_TRUE(d->IsFastInput());
        EXPECT_EQ(d->lblMoneyExample->Caption(), "9,999,999.90");
        d->chkColorManage->Click();
    });
    EXPECT_EQ(Writes(), std::vector<AnsiString>{"KVRX58|InputSettings003/IsColorManage|True"});
}

TEST_F(Options, AServerThatFailsNeitherKeepsTheDialogOpenNorStopsTheOtherWrites) {
    Open();
    std::vector<AnsiString> tried;
    Counter->On("GETCOUNTER", [&tried](TDispArgs args) -> Variant {
        const AnsiString name = args[0].Value->AsString();
        if (SameText(name, "GetUserDefine")) throw Exception("server down");
        if (SameText(name, "SetUserDefine")) {
            tried.push_back(VarToStr(args[1].Value->GetElement({3})));
            throw Exception("server down");
        }
        return Variant();
    });
    EXPECT_EQ(RunThenOK([](TfrmOptions* d) {
                  EXPECT_TRUE(d->IsMoneyThousand()); // the design states stayed
                  d->chkKeepOnAdd->Click();
                  d->chkNumberThousand->Click();
              }),
              mrOk);
    EXPECT_EQ(tried, (std::vector<AnsiString>{"InputSettings002/IsKeepOnAdd", "."}));
    EXPECT_TRUE(Shown().empty());
}

TEST_F(Options, CancelWritesNothing) {
    Open();
    Script.Steps.push_back([](TCustomForm* form) {
        static_cast<TfrmOptions*>(form)->chkKeepOnAdd->Click();
        UserClick(form, "btnCancel");
    });
    EXPECT_EQ(Dialog->ShowModal(), mrCancel);
    EXPECT_TRUE(Writes().empty());
}

} // namespace
