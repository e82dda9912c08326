#pragma once
// A base document form and its base data module over an in-memory pvdMain of three documents (TA001
// key, TA002 name, TA003 amount, TA004 currency, TA01/TA011 numbers, CREATOR, USR_GROUP), started
// against a server double as the host starts a program: the settings list, the rights of POWER_DATA
// and EX_POWER, the system settings of the host's counter.
//     A1 甲 100 USD  by DEMO (group IMP)
//     A2 乙 200 USD  by LIUF (group IMP)
//     A3 丙 300 RMB  by ZHAO (group PUR)
#include <map>
#include <memory>

#include "foundation/LibVCLs.h"
#include "framework/BaseCF.h"
#include "tests/framework/FormFixture.h"

class TdmBaseTest : public TdmBase {
    KVR_CLASS(TdmBaseTest, TdmBase)
public:
    explicit TdmBaseTest(TComponent* owner, bool load = true) : TdmBase(owner, false) {
        if (load) InitInheritedComponent(this);
    }
};

class TfrmBaseTest : public TfrmBase {
    KVR_CLASS(TfrmBaseTest, TfrmBase)
public:
    explicit TfrmBaseTest(TComponent* owner, bool load = true) : TfrmBase(owner, false) {
        if (load) InitInheritedComponent(this);
    }
    TClass DataModuleClass() override { return TdmBaseTest::StaticClass(); }
    TdmBaseTest* Module() const { return static_cast<TdmBaseTest*>(DataModule); }
    // Posts and applies; a failure is said (E 000008) and the record stays in edit.
    bool SaveRecord() override {
        ++SaveCount;
        TClientDataSet* main = Module()->cdsMain;
        try {
            if (main->State() == dsEdit || main->State() == dsInsert) PostRecord(main);
            if (Module()->SaveDataSet(main)) {
                SetEditState(esBrowse);
                return true;
            }
        } catch (const EAbort&) {
            return false;
        }
        Broker->Say("E", "000008");
        LastSaveFailed = true;
        return false;
    }
    void FormCreate(TObject* sender) {
        CreateDataModule();
        TfrmBase::FormCreate(sender);
    }
    // A program's lookup: the chosen value written into the control's field as the framework writes,
    // read-only lifted.
    void DoF2Key(Word& key, TWinControl* control) override {
        TfrmBase::DoF2Key(key, control);
        ++LookupCount;
        AnsiString dataField;
        GetStrPropByName(control, "DataField", dataField);
        if (TField* field = Module()->cdsMain->FindField(dataField)) {
            if (field->DataSet()->State() == dsBrowse) field->DataSet()->Edit();
            SetFieldText(field, "ZZ", true);
        }
    }
    int SaveCount = 0;
    int LookupCount = 0;
};

class BaseFormFixture : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        Validator->On("CheckValue", [](TDispArgs args) {
            *args[4].Value = VarArrayOf({"基础测试作业", "", "", "", "", "", "", "N", "W", "Base"});
            return Variant(true);
        });
        Validator->On("QueryData", [this](TDispArgs args) {
            if (args[0].Value->AsString() != "NUMFD") return Variant(false);
            *args[4].Value = NumberFieldRows;
            return Variant(true);
        });
        Counter->On("GETCOUNTER", [this](TDispArgs args) {
            const AnsiString request = UpperCase(args[0].Value->AsString());
            CounterRequests.push_back(request + " " + VarToStr(args[1].Value->GetElement({0})));
            if (request == "GETSYSINFO") return SysInfo();
            if (request == "SIMPLESQL") return CurrencyAnswer(VarToStr(args[1].Value->GetElement({0})));
            if (request == "GETUSERDEFINE") {
                auto found = UserDefines.find(VarToStr(args[1].Value->GetElement({3})));
                return Variant(found == UserDefines.end() ? AnsiString() : found->second);
            }
            return Variant();
        });
        Counter->On("GetSysInfo", [this](TDispArgs) { return SysInfo(); });
    }
    void TearDown() override {
        delete BaseForm;
        BaseForm = nullptr;
        Server.reset();
        FormFixture::TearDown();
    }

    // The settings list the server hands out; POWER_DATA and EX_POWER are added.
    AnsiString Settings = "M11_TABLE=TESTA\r\nM11_KEY=TA001\r\nMAX_RECORD=20\r\nUSER_GROUP=IMP\r\n"
                          "GROUP_LIST='IMP','FIN'\r\n";
    std::map<AnsiString, AnsiString> SysSettings{
        {"SYS001", "1"}, {"SYS002", "/"}, {"SYS003", "RMB"}, {"SYS024", "0"}, {"sys068", "3"}};
    std::map<AnsiString, AnsiString> UserDefines;
    std::map<AnsiString, Variant> Currencies{
        {"USD", VarArrayOf({VarArrayOf({"USD", 4, 2, 4, 2})})},
        {"RMB", VarArrayOf({VarArrayOf({"RMB", 3, 1, 5, 0})})},
    };
    std::vector<AnsiString> CounterRequests;
    AnsiString FormatXml; // the server's user-settings document (GetFormat); none when empty
    Variant NumberFieldRows = VarArrayOf({VarArrayOf({"TA003", 5, 2})});
    std::unique_ptr<TAppServerDouble> Server;
    TfrmBaseTest* BaseForm = nullptr;

    TMemoryProviderData& MainProvider() { return Server->Schemes->Provider("pvdMain"); }

    // The form started for user DEMO with those rights and that operation mask.
    TfrmBaseTest* StartForm(const AnsiString& powerData = ",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY",
                            const AnsiString& exPower = "", Word mask = OPERATION_MASK_ALL);

    TdmBaseTest* Module() const { return BaseForm->Module(); }
    TClientDataSet* Main() const { return BaseForm->Module()->cdsMain; }
    AnsiString Panel(int index) const { return BaseForm->Status->Panels()->Items(index)->Text(); }
    // The texts of the dialogs since the last call, each kind + code + ":" + arguments.
    std::vector<AnsiString> DialogTexts();

private:
    Variant SysInfo() const;
    Variant CurrencyAnswer(const AnsiString& sql) const;
};
