// The single-table level: the data module's kept values, key condition, sorting and exports (read back
// by the system's spreadsheet readers), and the form's open modes, save with keep-on-add, a refused
// save, the query through the query dialog and the close result.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "classlib/automation/comserv.h"
#include "classlib/controls/extctrls.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/shellapi.h"
#include "dialogs/QvQBE.h"
#include "foundation/libUDF.h"
#include "components/BtChkBox.h"
#include "components/QvDBComboBox.h"
#include "components/QvDBEdit.h"
#include "foundation/LibVCLs.h"
#include "framework/SingleCF.h"
#include "framework/SingleLinks.h"
#include "readback/ReadBack.h"
#include "tests/framework/FormFixture.h"

class TdmSingleTest : public TdmSingle {
    KVR_CLASS(TdmSingleTest, TdmSingle)
public:
    explicit TdmSingleTest(TComponent* owner, bool load = true) : TdmSingle(owner, false) {
        if (load) InitInheritedComponent(this);
    }
};

class TfrmSingleTest : public TfrmSingle {
    KVR_CLASS(TfrmSingleTest, TfrmSingle)
public:
    explicit TfrmSingleTest(TComponent* owner, bool load = true) : TfrmSingle(owner, false) {
        if (load) InitInheritedComponent(this);
    }
    TClass DataModuleClass() override { return TdmSingleTest::StaticClass(); }
    TdmSingleTest* Module() const { return static_cast<TdmSingleTest*>(DataModule); }
    bool PrintRecords() override {
        Prints.push_back(PreviewMode);
        return true;
    }
    void FormCreate(TObject* sender) {
        CreateDataModule();
        IsColorManage = !ColorXml.empty();
        TfrmSingle::FormCreate(sender);
    }
    AnsiString ColorManagerText() override { return ColorXml; }
    // The scripted query dialog unless a test asks for the dialogs' own form; the progress window a
    // test installs, else the dialogs' own.
    std::unique_ptr<TQueryDialog> MakeQueryDialog() override;
    std::unique_ptr<TExportStatus> MakeExportStatusDialog() override {
        return StatusMaker ? StatusMaker() : TfrmSingle::MakeExportStatusDialog();
    }
    static inline AnsiString ColorXml;
    static inline bool DialogsQueryForm = false;
    std::function<std::unique_ptr<TExportStatus>()> StatusMaker;
    std::vector<bool> Prints;
};

KVR_PUBLISHED(TdmSingleTest, c) {}
KVR_FORM_RESOURCE(TdmSingleTest, R"(inherited dmSingleTest: TdmSingleTest
  inherited cdsMain: TwwClientDataSet
    ProviderName = 'pvdMain'
    object cdsMainTA001: TStringField
      DisplayLabel = '代号'
      FieldName = 'TA001'
      Size = 6
    end
    object cdsMainTA002: TStringField
      DisplayLabel = '名称'
      FieldName = 'TA002'
      Size = 20
    end
    object cdsMainTA003: TFloatField
      DisplayLabel = '金额'
      FieldName = 'TA003'
    end
    object cdsMainTA004: TCurrencyField
      DisplayLabel = '费用'
      FieldName = 'TA004'
    end
    object cdsMainTA005: TIntegerField
      DisplayLabel = '件数'
      FieldName = 'TA005'
    end
    object cdsMainTA006: TStringField
      FieldName = 'TA006'
      Visible = False
      Size = 4
    end
  end
end
)");

KVR_PUBLISHED(TfrmSingleTest, c) {
    c.Method("FormCreate", &TfrmSingleTest::FormCreate);
}
KVR_FORM_RESOURCE(TfrmSingleTest, R"(inherited frmSingleTest: TfrmSingleTest
  Width = 600
  Height = 400
  inherited pgHead: TExtPageControl
    inherited tbsHead1: TTabSheet
      object edTA001: TDBEdit
        Left = 80
        Top = 20
        Width = 80
        Height = 21
        DataField = 'TA001'
        DataSource = dmSingleTest.dsMain
        TabOrder = 0
      end
      object edTA002: TDBEdit
        Left = 80
        Top = 50
        Width = 160
        Height = 21
        DataField = 'TA002'
        DataSource = dmSingleTest.dsMain
        TabOrder = 1
      end
    end
  end
end
)");

namespace {

// A query dialog that answers as its user would: OK with a condition, or Cancel.
class TScriptedQuery : public TQueryDialog {
public:
    explicit TScriptedQuery(TComponent* owner) : FComponent(new TComponent(owner)) {}
    TComponent* Component() const override { return FComponent; }
    void SetHeadDataSet(TDataSet*, const AnsiString& table, bool hideRowLimit, const AnsiString&,
                        const AnsiString& keys) override {
        Bound.push_back(table + "|" + (hideRowLimit ? "hide" : "show") + "|" + keys);
    }
    void SetDefaultTopRow(int rows) override { TopRow = rows; }
    bool Execute(AnsiString& where, AnsiString& order) override {
        if (Answers.empty()) return false;
        where = Answers.front();
        Answers.pop_front();
        order = "TA001";
        return true;
    }
    int GetTopRow() override { return TopRow; }
    bool LoadScheme(const Variant&, const AnsiString& text) override {
        Scheme = text;
        return true;
    }
    void BuildQuery(AnsiString& where, AnsiString& order) override {
        where = Scheme;
        order.clear();
    }
    static inline std::deque<AnsiString> Answers;
    static inline std::vector<AnsiString> Bound;
    int TopRow = 0;
    AnsiString Scheme;

private:
    TComponent* FComponent;
};

} // namespace

std::unique_ptr<TQueryDialog> TfrmSingleTest::MakeQueryDialog() {
    if (DialogsQueryForm) return TfrmSingle::MakeQueryDialog();
    return std::make_unique<TScriptedQuery>(this);
}

namespace {

Variant Row(const char* key, const char* name, double amount, double fee, int count) {
    return VarArrayOf(
        {Variant(key), Variant(name), Variant(amount), Variant(fee), Variant(count), Variant("X")});
}

class SingleTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        SetClassRegistryFileName(std::string(KVR_BINARY_DIR) + "/data/classes.ini");
        // The system settings, as the host's counter hands them out.
        auto sysInfo = [](TDispArgs) {
            Variant info = VarArrayCreate({0, 1, 0, 1}, varVariant);
            info.PutElement({0, 0}, "SYS151");
            info.PutElement({1, 0}, "300");
            info.PutElement({0, 1}, "SYS001");
            info.PutElement({1, 1}, "1");
            return info;
        };
        Counter->On("GetSysInfo", sysInfo);
        Counter->On("GETCOUNTER", [sysInfo](TDispArgs args) {
            return UpperCase(args[0].Value->AsString()) == "GETSYSINFO" ? sysInfo(args) : Variant();
        });
        Validator->On("CheckValue", [](TDispArgs args) {
            *args[4].Value = VarArrayOf({"单档测试作业", "", "", "", "", "", "", "N", "W", "Single"});
            return Variant(true);
        });
        TfrmSingleTest::DialogsQueryForm = false;
        TScriptedQuery::Answers.clear();
        TScriptedQuery::Bound.clear();
        FPreviousShell = SetShellExecuteHandler([this](const TShellExecuteInfo& info) {
            Shell.push_back(info.Verb + " " + info.File);
            return true;
        });
    }
    void TearDown() override {
        delete Single;
        Single = nullptr;
        Server.reset();
        SetShellExecuteHandler(FPreviousShell);
        ResetNowForTesting();
        TfrmSingleTest::ColorXml.clear();
        SetClassRegistryFileName("");
        FormFixture::TearDown();
    }

    TfrmSingleTest* Start(int mode = OPEN_MODE_NONE, const Variant& modeParam = Variant()) {
        Server =
            std::make_unique<TAppServerDouble>(0, "M11_TABLE=TESTS\r\nM11_KEY=TA001\r\nMAX_RECORD=2\r\nPOWER_"
                                                  "DATA=,Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY\r\n");
        Server->Server->OnValue("GetRecCount", 3);
        Server->Server->OnValue("LoadTable", Variant());
        Server->Server->On("WhatIs", [this](TDispArgs args) {
            return UpperCase(args[0].Value->AsString()) == "SQLTYPE" ? Variant(SqlType) : Variant("20260105");
        });
        Server->Server->On("SetTopRow", [this](TDispArgs args) {
            TopRows.push_back(args[0].Value->AsInteger());
            return Variant();
        });
        TMemoryAppServer* memory = Server->Schemes;
        Server->Server->On("AS_ApplyUpdates",
                           [memory](TDispArgs args) { return memory->ApplyUpdates(args); });
        TMemoryProviderData& main = Server->Schemes->Provider("pvdMain");
        main.Fields = {{"TA001", ftString, 6, 0, {}},  {"TA002", ftString, 20, 0, {}},
                       {"TA003", ftFloat, 0, 0, {}},   {"TA004", ftCurrency, 0, 0, {}},
                       {"TA005", ftInteger, 0, 0, {}}, {"TA006", ftString, 4, 0, {}}};
        main.KeyFields = "TA001";
        main.Rows = {Row("00123", "甲", -12.5, 1234.5, 3), Row("00200", "乙", 200, 0.25, 4),
                     Row("00300", "丙", 300.125, 7, 5)};
        Server->Schemes->Provider("pvdColor") = main;
        if (ColorColumn) {
            // The colour column of the edit: the negative amount's record is marked.
            TMemoryProviderData& colors = Server->Schemes->Provider("pvdColor");
            colors.Fields.push_back({"edTA002", ftString, 40, 0, {}});
            for (Variant& row : colors.Rows) {
                std::vector<Variant> items;
                for (int i = 0; i <= VarArrayHighBound(row, 1); ++i)
                    items.push_back(row.GetElement({i}));
                items.push_back(items[2].AsFloat() < 0 ? "bkcolor=65535;colorx=255" : "");
                row = VarArrayOf(items);
            }
        }
        Server->ServeInProcess();
        Single = new TfrmSingleTest(nullptr);
        Single->SetModuleFileName("/opt/VORLAN/FWSING01C.so");
        Single->Broker->HostApp = Host;
        Single->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
        Single->OpenMode = mode;
        Single->ModeParam = modeParam;
        Single->Show();
        return Single;
    }
    TClientDataSet* Main() const { return Single->Module()->cdsMain; }
    TdmSingleTest* Module() const { return Single->Module(); }
    // An edit of the number field TA003 on the first page, as a program's form would have one.
    TDBEdit* AddAmountEdit() const {
        auto* amount = new TDBEdit(Single);
        amount->SetName("edTA003");
        amount->SetParent(Single->tbsHead1);
        amount->SetBounds(80, 80, 80, 21);
        amount->SetDataSource(Module()->dsMain);
        amount->SetDataField("TA003");
        return amount;
    }
    AnsiString ExportPath(const char* stamp) const {
        return "C:\\Veltrane\\c_data\\DEMO\\FWSING01_" + AnsiString(stamp) + ".xls";
    }

    std::unique_ptr<TAppServerDouble> Server;
    TfrmSingleTest* Single = nullptr;
    std::vector<AnsiString> Shell;
    std::vector<int> TopRows;
    int SqlType = 1;
    bool ColorColumn = false;

private:
    TShellExecuteHandler FPreviousShell;
};

// ---- exports ----

TEST_F(SingleTest, XLSFileHoldsTheVisibleFieldsAndItsNameFollowsTheClock) {
    Start();
    SetNowForTesting(EncodeDate(2024, 2, 3) + EncodeTime(9, 5, 7, 0));
    ASSERT_FALSE(DirectoryExists("C:\\Veltrane\\c_data\\DEMO"));
    User.Answers = {"Yes"};
    const AnsiString path = ExportPath("20240203090507");
    EXPECT_EQ(Module()->ExportFileName(), path);
    EXPECT_TRUE(Module()->ExportToXLSFile(Main(), Single));
    ASSERT_TRUE(FileExists(path));
    // Another export within the same second would not replace this one's file.
    EXPECT_EQ(Module()->ExportFileName(), ExportPath("20240203090507_2"));
    EXPECT_EQ(Shell, std::vector<AnsiString>{"OPEN " + path});
    // Every record, though the first packet held two of them; the cursor is back where it was.
    EXPECT_EQ(Main()->RecNo(), 1);
    const TReadBook book = ReadBack(NativePath(path));
    ASSERT_TRUE(book.Error.empty()) << book.Error;
    EXPECT_EQ(book.Format, "xls");
    const struct {
        int Row, Col;
        const char* Type;
        const char* Value;
    } cells[] = {
        {0, 0, "text", u8"代号"},   {0, 4, "text", u8"件数"},
        {1, 0, "text", "00123"},    {1, 2, "number", "-12.5"},
        {1, 3, "text", "1,234.50"}, // the currency as its display text
        {1, 4, "number", "3"},      {3, 2, "number", "300.125"},
        {3, 1, "text", u8"丙"},     {0, 5, "", ""}, // the hidden field is left out
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(std::to_string(c.Row) + "," + std::to_string(c.Col));
        EXPECT_EQ(book.At(0, c.Row, c.Col).Type, c.Type);
        if (std::string(c.Type) == "number") {
            EXPECT_DOUBLE_EQ(book.At(0, c.Row, c.Col).Number(), std::stod(c.Value));
        } else if (*c.Type) {
            EXPECT_EQ(book.At(0, c.Row, c.Col).Value, c.Value);
        }
    }
    // A second export a second later finds the folder made and writes a file of its own.
    SetNowForTesting(EncodeDate(2024, 2, 3) + EncodeTime(9, 5, 8, 0));
    User.Answers = {"No"};
    EXPECT_TRUE(Module()->ExportToXLSFile(Main(), Single));
    EXPECT_TRUE(FileExists(ExportPath("20240203090508")));
    EXPECT_EQ(Shell.size(), 1u);
}

// A name that cannot be shown: its cell in the workbook says so.
class TBrokenName : public TObject {
public:
    void GetText(TField* field, AnsiString& text, bool) {
        if (field->AsString() == "乙") throw EConvertError("cannot show");
        text = field->AsString();
    }
};

TEST_F(SingleTest, ExcelExportWritesNumbersAsNumbersOrAsText) {
    Start();
    TBrokenName broken;
    Main()->FieldByName("TA002")->SetOnGetText(TFieldGetTextEvent(&broken, &TBrokenName::GetText));
    Module()->SetDecimalGroupFields(2, "cdsMain:TA004");
    Module()->SetDecimalGroupPlaces(2, 2);
    for (bool asNumbers : {true, false}) {
        SCOPED_TRACE(asNumbers);
        SetNowForTesting(EncodeDate(2024, 2, 3) + EncodeTime(9, 5, asNumbers ? 7 : 9, 0));
        User.Answers = {"No"};
        Application->ClearDialogs();
        EXPECT_TRUE(Module()->ExportToExcel(Main(), Single, asNumbers));
        const std::vector<TDialogRecord> dialogs = Application->Dialogs();
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_NE(dialogs[0].Text.find("是否打开文档?"), AnsiString::npos);
        const TReadBook book =
            ReadBack(NativePath(ExportPath(asNumbers ? "20240203090507" : "20240203090509")));
        ASSERT_TRUE(book.Error.empty()) << book.Error;
        EXPECT_EQ(book.SheetNames, std::vector<std::string>{"FWSING01"});
        EXPECT_EQ(book.At(0, 0, 3).Value, u8"费用");
        // A code keeps its leading zeros: its cell is text.
        EXPECT_EQ(book.At(0, 1, 0).Type, "text");
        EXPECT_EQ(book.At(0, 1, 0).Value, "00123");
        EXPECT_EQ(book.At(0, 1, 0).NumberFormat, "@");
        // The cell that failed, in red; the row's other cells and the next rows are written.
        EXPECT_EQ(book.At(0, 2, 1).Value, "Error!");
        EXPECT_EQ(book.At(0, 2, 1).Color, "FF0000");
        EXPECT_EQ(book.At(0, 2, 0).Value, "00200");
        EXPECT_EQ(book.At(0, 3, 1).Value, u8"丙");
        const TReadCell& fee = book.At(0, 1, 3);
        const TReadCell& amount = book.At(0, 1, 2);
        if (asNumbers) {
            EXPECT_EQ(fee.Type, "number");
            EXPECT_DOUBLE_EQ(fee.Number(), 1234.5);
            EXPECT_EQ(fee.NumberFormat, "#,##0.00_ ");
            EXPECT_EQ(amount.Type, "number");
            EXPECT_EQ(amount.Color, "FF0000"); // a negative number is red
            EXPECT_EQ(book.At(0, 1, 4).Type, "number");
            EXPECT_EQ(book.At(0, 1, 4).NumberFormat, "0_ ");
        } else {
            EXPECT_EQ(fee.Type, "text");
            EXPECT_EQ(fee.Value, "1234.5");
            EXPECT_EQ(amount.Type, "text");
        }
    }
    Main()->FieldByName("TA002")->SetOnGetText(TFieldGetTextEvent());

    // The text export: every number as its display text.
    SetNowForTesting(EncodeDate(2024, 2, 3) + EncodeTime(9, 5, 11, 0));
    User.Answers = {"No"};
    EXPECT_TRUE(Module()->ExportToExcelText(Main(), Single));
    const TReadBook book = ReadBack(NativePath(ExportPath("20240203090511")));
    ASSERT_TRUE(book.Error.empty()) << book.Error;
    for (int col : {2, 3, 4}) {
        SCOPED_TRACE(col);
        EXPECT_EQ(book.At(0, 1, col).Type, "text");
    }
    EXPECT_EQ(book.At(0, 1, 3).Value, "1,234.50");
    EXPECT_EQ(book.At(0, 1, 4).Value, "3");
    EXPECT_EQ(book.At(0, 2, 1).Value, u8"乙");
}

TEST_F(SingleTest, EmptyDataExportsNothingAndAFolderThatCannotBeMadeFails) {
    Start();
    SetNowForTesting(EncodeDate(2024, 2, 3) + EncodeTime(9, 5, 7, 0));
    std::vector<Variant> rows = std::move(Server->Schemes->Provider("pvdMain").Rows);
    Server->Schemes->Provider("pvdMain").Rows.clear();
    Single->SetQueryCondition(Main(), "", "");
    ASSERT_TRUE(Main()->IsEmpty());
    Application->ClearDialogs();
    EXPECT_TRUE(Module()->ExportToXLSFile(Main(), Single));
    EXPECT_TRUE(Module()->ExportToExcel(Main(), Single, true));
    EXPECT_TRUE(Application->Dialogs().empty());
    EXPECT_FALSE(DirectoryExists("C:\\Veltrane\\c_data\\DEMO"));

    // A file where the user's folder would be: the folder cannot be made, and the export says so.
    Server->Schemes->Provider("pvdMain").Rows = rows;
    Single->SetQueryCondition(Main(), "", "");
    WriteFile("C:\\Veltrane\\c_data", "in the way");
    EXPECT_FALSE(Module()->ExportToXLSFile(Main(), Single));
    const std::vector<TDialogRecord> dialogs = Application->Dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_NE(dialogs[0].Text.find("失败"), AnsiString::npos);
    EXPECT_TRUE(Shell.empty());

    // Without the spreadsheet program the export says it could not start one, and fails.
    Application->ClearDialogs();
    const int broken = RegisterOleObjectFactory("Excel.Application", []() -> Variant {
        throw EOleError("the spreadsheet program is not installed");
    });
    EXPECT_FALSE(Module()->ExportToExcel(Main(), Single, true));
    RevokeOleObjectFactory(broken);
    const std::vector<TDialogRecord> started = Application->Dialogs();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_NE(started[0].Text.find("EXCEL"), AnsiString::npos);
}

// ---- the data module ----

TEST_F(SingleTest, KeptValuesComeBackInTheNextNewRecordAndNullStaysEmpty) {
    Start();
    Module()->SetKeepFields("TA002, TA006");
    Single->IsKeepOnAdd = true;
    ASSERT_TRUE(Single->AddRecord(true));
    Main()->FieldByName("TA001")->SetAsString("00400");
    Main()->FieldByName("TA002")->SetAsString("丁");
    ASSERT_TRUE(Single->SaveRecord());
    // Keep-on-add: the next record is there at once, with the kept name and the null amount empty.
    EXPECT_EQ(Single->EditState, esInsert);
    EXPECT_EQ(Main()->State(), dsInsert);
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), "丁");
    EXPECT_EQ(Main()->FieldByName("TA006")->AsString(), "");
    EXPECT_EQ(Module()->KeepList->Values("TA002"), "丁 ");
    EXPECT_EQ(Module()->KeepList->Values("TA006"), " ");
    // A new add from the command empties the kept values.
    Single->CancelEdit(false);
    ASSERT_TRUE(Single->AddRecord(true));
    EXPECT_TRUE(Main()->FieldByName("TA002")->IsNull() || Main()->FieldByName("TA002")->AsString().empty());
}

TEST_F(SingleTest, KeyConditionQuotesTextAndSortTogglesDirection) {
    Start();
    Main()->Locate("TA001", "00200");
    Main()->FieldByName("TA001");
    AnsiString condition;
    ASSERT_TRUE(Module()->KeyCondition(condition));
    EXPECT_EQ(condition, "TESTS.TA001 = '00200'");
    // A quote in a key value stays inside its text.
    Main()->Edit();
    Main()->FieldByName("TA001")->SetAsString("0'2");
    Main()->Post();
    ASSERT_TRUE(Module()->KeyCondition(condition));
    EXPECT_EQ(condition, "TESTS.TA001 = '0''2'");
    Main()->CancelUpdates();
    Module()->FetchAll(Main());
    Module()->DefaultOrder = "TA001";
    auto firstKey = [this] {
        Main()->First();
        return Main()->FieldByName("TA001")->AsString();
    };
    Module()->SortByField("TA003");
    EXPECT_EQ(firstKey(), "00123");
    Module()->SortByField("TA003");
    EXPECT_EQ(firstKey(), "00300");
    Module()->SortByField("TA003");
    EXPECT_EQ(firstKey(), "00123");
    // An unknown name and a record being edited leave the order as it is.
    Module()->SortByField("NOSUCH");
    EXPECT_EQ(Module()->SortField, Main()->FieldByName("TA003"));
    Main()->Edit();
    Module()->SortByField("TA002");
    Main()->Cancel();
    EXPECT_EQ(Module()->SortField, Main()->FieldByName("TA003"));
    Module()->SortByField("");
    EXPECT_EQ(Module()->SortField, nullptr);
    EXPECT_EQ(Main()->IndexFieldNames(), "TA001");
    // Whole names: group 2 holds TA004 only, not TA00.
    Module()->SetDecimalGroupFields(2, "cdsMain:TA004");
    EXPECT_EQ(Module()->GetFieldDecimals("TA00", 7), 7);
    EXPECT_EQ(Module()->GetFieldDecimals("TA004", 7), 2);
}

// ---- the form ----

TEST_F(SingleTest, OpenModesAndTheCloseResult) {
    const struct {
        int Mode;
        Byte State;
        size_t Prints;
    } cases[] = {{OPEN_MODE_NONE, esBrowse, 0},
                 {OPEN_MODE_ADD, esInsert, 0},
                 {OPEN_MODE_EDIT, esEdit, 0},
                 {OPEN_MODE_PRINT, esBrowse, 1},
                 {OPEN_MODE_ADD_WITH_PARAM, esInsert, 0},
                 {OPEN_MODE_EDIT_WITH_PARAM, esEdit, 0},
                 {OPEN_MODE_HOST_10, esBrowse, 0},
                 {OPEN_MODE_HOST_12, esBrowse, 0},
                 {2, esBrowse, 0},
                 {4, esBrowse, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Mode);
        Start(c.Mode);
        EXPECT_EQ(Single->EditState, c.State);
        EXPECT_EQ(Single->Prints.size(), c.Prints);
        EXPECT_EQ(Single->CloseAfterSave, c.Mode == 7 || c.Mode == 8);
        EXPECT_EQ(Single->CloseResult(), c.Mode == 7 || c.Mode == 8 ? 1 : 2);
        delete Single;
        Single = nullptr;
        Server.reset();
    }
}

TEST_F(SingleTest, AddWithParameterTakesItsValuesAndASaveCloses) {
    Variant values = VarArrayCreate({0, 1, 0, 1}, varVariant);
    values.PutElement({0, 0}, "TA002");
    values.PutElement({1, 0}, "参数");
    values.PutElement({0, 1}, "NOFIELD");
    values.PutElement({1, 1}, "x");
    Start(OPEN_MODE_ADD_WITH_PARAM, values);
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), "参数");
    Main()->FieldByName("TA001")->SetAsString("00700");
    EXPECT_TRUE(Single->SaveRecord());
    // The save closed the form with the result code of a parameter's record.
    EXPECT_FALSE(Single->Visible());
    EXPECT_EQ(Single->ReturnCode, 1);
}

TEST_F(SingleTest, ARefusedSaveIsShownAndKeepsTheInput) {
    Start();
    Server->Schemes->Provider("pvdMain").RejectRow = [](TUpdateKind, const Variant& values) {
        return VarToStr(values.GetElement({0})) == "00200" ? AnsiString("键值重复") : AnsiString();
    };
    ASSERT_TRUE(Single->AddRecord(true));
    Main()->FieldByName("TA001")->SetAsString("00200");
    Main()->FieldByName("TA002")->SetAsString("重复的");
    Application->ClearDialogs();
    EXPECT_FALSE(Single->SaveRecord());
    const std::vector<TDialogRecord> dialogs = Application->Dialogs();
    ASSERT_GE(dialogs.size(), 2u);
    EXPECT_NE(dialogs[0].Text.find("键值重复"), AnsiString::npos);
    EXPECT_NE(dialogs.back().Text.find("E000008"), AnsiString::npos);
    EXPECT_EQ(Single->EditState, esInsert);
    EXPECT_TRUE(Single->LastSaveFailed);
    EXPECT_EQ(Main()->FieldByName("TA001")->AsString(), "00200");
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), "重复的");
    // Corrected, it goes.
    Main()->FieldByName("TA001")->SetAsString("00201");
    EXPECT_TRUE(Single->SaveRecord());
}

TEST_F(SingleTest, TheKeyIsCheckedByItsListBeforeTheSave) {
    Start();
    ASSERT_TRUE(Single->AddRecord(true));
    Main()->FieldByName("TA002")->SetAsString("无代号");
    Application->ClearDialogs();
    EXPECT_FALSE(Single->ValidateRecord(Main()));
    const std::vector<TDialogRecord> dialogs = Application->Dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].Text, "E000003:代号 ");
}

TEST_F(SingleTest, QueryThroughTheDialog) {
    Start();
    ASSERT_FALSE(TScriptedQuery::Bound.empty());
    EXPECT_EQ(TScriptedQuery::Bound.back(), "TESTS|hide|TA001");
    // Cancelled: nothing is queried, the browse page shows.
    Single->pgHead->SetActivePage(Single->tbsHead1);
    EXPECT_TRUE(Single->QueryRecords());
    EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsBrowse);
    EXPECT_EQ(static_cast<TScriptedQuery*>(Single->QueryDialog())->TopRow, 300);
    TScriptedQuery::Answers = {"TA001 = '00300'"};
    EXPECT_TRUE(Single->QueryRecords());
    EXPECT_EQ(Single->LastWhere, "TA001 = '00300'");
    EXPECT_EQ(Single->LastOrder, "TA001");
    EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsBrowse);
    // This server's database kind takes no row limit.
    EXPECT_TRUE(TopRows.empty());

    // Kind 0: the dialog shows its row limit, and the limit goes to the server before the query.
    delete Single;
    Single = nullptr;
    SqlType = 0;
    Start();
    EXPECT_EQ(TScriptedQuery::Bound.back(), "TESTS|show|TA001");
    TScriptedQuery::Answers = {"TA001 = '00200'"};
    EXPECT_TRUE(Single->QueryRecords());
    EXPECT_EQ(TopRows, std::vector<int>{300});
}

TEST_F(SingleTest, SavedConditionsFillTheQueryMenuAndRunWithoutTheDialog) {
    // None saved: a plain query button.
    Start();
    EXPECT_EQ(Single->btnQuery->Style(), tbsButton);
    EXPECT_EQ(Single->mnCondition->Items()->Count(), 0);
    delete Single;
    Single = nullptr;

    Server.reset();
    Server = nullptr;
    Start();
    TMemoryProviderData& saved = Server->Schemes->Provider("pvdConSave");
    saved.Fields = {{"NCONDITION", ftString, 20, 0, {}},
                    {"CREATOR", ftString, 10, 0, {}},
                    {"PROGRAMME", ftString, 10, 0, {}},
                    {"VCONDITION", ftString, 200, 0, {}},
                    {"ActivePage", ftInteger, 0, 0, {}}};
    saved.Rows = {VarArrayOf({"大额", "DEMO", "FWSING01", "TA003 > 250", 0}),
                  VarArrayOf({"乙方", "DEMO", "FWSING01", "TA002 = '乙'", 0})};
    Single->LoadSavedConditions();
    EXPECT_EQ(Single->btnQuery->Style(), tbsDropDown);
    EXPECT_EQ(Single->btnQuery->DropdownMenu(), Single->mnCondition);
    ASSERT_EQ(Single->mnCondition->Items()->Count(), 2);
    TMenuItem* item = Single->mnCondition->Items()->Items(1);
    EXPECT_EQ(item->Name(), "mnu1");
    EXPECT_EQ(item->Caption(), "乙方");
    item->Click();
    EXPECT_EQ(static_cast<TScriptedQuery*>(Single->QueryDialog())->Scheme, "TA002 = '乙'");
    EXPECT_EQ(Single->LastWhere, "TA002 = '乙'");
    EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsBrowse);
}

TEST_F(SingleTest, TheMultiSelectColumnIsFirstAndHidden) {
    Start();
    TField* field = Main()->FindField("MultiSelected");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->Index(), 0);
    EXPECT_FALSE(field->Visible());
    EXPECT_EQ(field->DisplayLabel(), "选定");
    EXPECT_EQ(field->DisplayText(), "N");
    Module()->SetMultiSelectVisible(true);
    EXPECT_TRUE(field->Visible());
    // A cancelled edit forgets the query condition.
    ASSERT_TRUE(Single->EditRecord());
    Single->CancelEdit(false);
    EXPECT_EQ(Single->LastWhere, "1=1");
}

// A progress window that keeps what it was told.
class TRecordedStatus : public TExportStatus {
public:
    explicit TRecordedStatus(std::vector<AnsiString>& log) : FLog(log) {}
    void ShowStatus(const AnsiString& caption, int min, int max) override {
        FLog.push_back("show " + caption + " " + IntToStr(min) + ".." + IntToStr(max));
    }
    void StepIt() override { ++Steps; }
    void CloseStatus() override { FLog.push_back("close after " + IntToStr(Steps)); }
    int Steps = 0;

private:
    std::vector<AnsiString>& FLog;
};

TEST_F(SingleTest, WithoutOverridesTheFormMakesTheDialogsOwnWindows) {
    TfrmSingleTest::DialogsQueryForm = true;
    Start();
    ASSERT_NE(Single->QueryDialog(), nullptr);
    EXPECT_NE(dynamic_cast<TQBEForm*>(Single->QueryDialog()->Component()), nullptr);
    // A saved scheme whose page is no number is not loaded.
    for (const Variant& page : {Variant(), Variant("A")})
        EXPECT_FALSE(Single->QueryDialog()->LoadScheme(page, "TA001;=;1")) << VarToStr(page);
    std::unique_ptr<TExportStatus> status = Single->MakeExportStatusDialog();
    ASSERT_NE(status, nullptr);
    status->ShowStatus("export", 0, 2);
    status->StepIt();
    status->CloseStatus();
}

TEST_F(SingleTest, ExportsShowTheirProgressAndTakeTheComboBoxText) {
    Start();
    std::vector<AnsiString> log;
    Single->StatusMaker = [&log] { return std::make_unique<TRecordedStatus>(log); };
    // The name is edited with a combo box of the form: the export writes its item's text.
    auto* combo = new TwwDBComboBox(Single);
    combo->SetName("cboTA002");
    combo->Items()->Add("乙方\t乙");
    Module()->cdsMain->ControlType()->Add("TA002;CustomEdit;cboTA002");
    SetNowForTesting(EncodeDate(2024, 2, 3) + EncodeTime(9, 5, 7, 0));
    User.Answers = {"No"};
    EXPECT_TRUE(Module()->ExportToXLSFile(Main(), Single));
    Single->StatusMaker = nullptr;
    // Every record fetched first, then one step a record.
    EXPECT_EQ(log, (std::vector<AnsiString>{"show 查询结果转 Excel 文件进度 0..3", "close after 3"}));
    const TReadBook book = ReadBack(NativePath(ExportPath("20240203090507")));
    ASSERT_TRUE(book.Error.empty()) << book.Error;
    EXPECT_EQ(book.At(0, 2, 1).Value, u8"乙方");
    EXPECT_EQ(book.At(0, 1, 1).Value, u8"甲"); // no item holds it: its own text
}

TEST_F(SingleTest, ColoursFollowTheCurrentRecord) {
    TfrmSingleTest::ColorXml =
        "<colormanager><head><component name=\"edTA002\" enable=\"Y\">"
        "<condition value=\"TA003 &lt; 0\" colorx=\"255\" bkcolor=\"65535\" msg=\"负数\"/>"
        "</component><component name=\"edNone\" enable=\"Y\"/></head></colormanager>";
    ColorColumn = true;
    Start();
    ASSERT_NE(Single->HeadColors, nullptr);
    EXPECT_EQ(Single->HeadColors->Count(), 1); // a name the form lacks is passed over
    auto* edit = static_cast<TControl*>(Single->FindComponent("edTA002"));
    const TColor own = edit->Color();
    Main()->First();
    EXPECT_EQ(edit->Color(), 65535); // the negative amount's record
    Main()->Next();
    EXPECT_EQ(edit->Color(), own); // the next one starts again from the edit's own colour
}

TEST_F(SingleTest, UserDefinedDefaultsComeFromTheServerAndOneFailureIsSaid) {
    Start();
    std::vector<AnsiString> asked;
    Counter->On("GETCOUNTER", [&asked](TDispArgs args) {
        if (UpperCase(args[0].Value->AsString()) != "QUERYUDFDATA") return Variant();
        const Variant params = *args[1].Value;
        const AnsiString query = VarToStr(params.GetElement({0}));
        const Variant texts = params.GetElement({4});
        asked.push_back(query + "(" +
                        (VarArrayHighBound(texts, 1) >= 0 ? VarToStr(texts.GetElement({0})) : AnsiString()) +
                        ")");
        const char* value = query == "Q1" ? "默认" : query == "Q2" ? "abc" : "xyz";
        return Variant(VarArrayOf({VarArrayOf({value})}));
    });
    TUDFFields fields;
    const struct {
        const char* Field;
        const char* Query;
        const char* Related;
    } defs[] = {{"TA002", "Q1", "TA001"}, {"TA005", "Q2", "TA001"}, {"TA003", "Q3", ""}};
    for (const auto& d : defs) {
        TUDFField* udf = fields.Add();
        udf->UDFFieldName = d.Field;
        udf->QueryText = d.Query;
        if (*d.Related) udf->RelatedFields->Add()->LinkedFieldName = d.Related;
    }
    ASSERT_TRUE(Single->AddRecord(true));
    Main()->FieldByName("TA001")->SetAsString("00900");
    Application->ClearDialogs();
    Module()->FillUDFDefaults(Main(), &fields);
    EXPECT_EQ(asked, (std::vector<AnsiString>{"Q1(00900)", "Q2(00900)", "Q3()"}));
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), "默认");
    // Two values that do not fit their fields: the first is said, the second is not.
    const std::vector<TDialogRecord> dialogs = Application->Dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_NE(dialogs[0].Text.find("E000032"), AnsiString::npos);
    EXPECT_NE(dialogs[0].Text.find("件数"), AnsiString::npos);
}

} // namespace

namespace {

TEST_F(SingleTest, PageKeysTurnThePagesAndNeverEnterTheBrowsePageWhileEditing) {
    Start();
    TExtPageControl* pages = Single->pgHead;
    auto active = [pages] { return pages->ActivePage()->Name(); };
    Single->tbsUDF->SetTabVisible(true);
    pages->SetActivePageIndex(0);
    struct Step {
        const char* Key;
        const char* Page;
    };
    // In browse every page comes in turn, the browse page too.
    for (const Step& step : {Step{"Ctrl+PgDn", "tbsUDF"}, Step{"Ctrl+Tab", "tbsBrowse"},
                             Step{"Ctrl+Tab", "tbsHead1"}, Step{"Ctrl+PgUp", "tbsBrowse"}}) {
        SCOPED_TRACE(step.Key);
        UserKey(Single, step.Key);
        EXPECT_EQ(active(), step.Page);
    }
    ASSERT_TRUE(Single->EditRecord());
    pages->SetActivePageIndex(1);
    for (const Step& step : {Step{"Ctrl+Tab", "tbsHead1"}, Step{"Shift+Ctrl+Tab", "tbsUDF"},
                             Step{"Ctrl+PgDn", "tbsHead1"}, Step{"Ctrl+PgUp", "tbsUDF"}}) {
        SCOPED_TRACE(step.Key);
        UserKey(Single, step.Key);
        EXPECT_EQ(active(), step.Page);
    }
    // The browse page's tab is gone while editing, and a change to it comes back.
    EXPECT_FALSE(Single->tbsBrowse->TabVisible());
    EXPECT_ANY_THROW(UserClick(Single, "tbsBrowse"));
    pages->ChangeActivePage(Single->tbsBrowse);
    EXPECT_EQ(active(), "tbsUDF");
    // A hidden page is passed over.
    Single->tbsUDF->SetTabVisible(false);
    pages->SetActivePageIndex(0);
    UserKey(Single, "Ctrl+PgDn");
    EXPECT_EQ(active(), "tbsHead1");
}

TEST_F(SingleTest, EditStatesOpenThePagesAndTheKeyEdits) {
    Start();
    auto* key = static_cast<TControl*>(Single->FindComponent("edTA001"));
    auto* name = static_cast<TControl*>(Single->FindComponent("edTA002"));
    struct Case {
        const char* State;
        std::function<void()> Enter;
        bool Pages, Key, Browse;
    } cases[] = {
        {"browse", [] {}, false, true, true},
        {"edit", [this] { Single->EditRecord(); }, true, false, false},
        {"add", [this] { Single->AddRecord(false); }, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.State);
        Single->CancelEdit(false);
        c.Enter();
        EXPECT_EQ(Single->tbsHead1->Enabled(), c.Pages);
        EXPECT_EQ(Single->tbsBrowse->Enabled(), c.Browse);
        EXPECT_EQ(Single->tbsBrowse->TabVisible(), c.Browse);
        EXPECT_EQ(key->Enabled(), c.Key);
        EXPECT_TRUE(name->Enabled());
    }
    // A page the rights withhold is refused.
    Single->CancelEdit(false);
    Single->Rights.Include(16);
    Single->pgHead->SetActivePageIndex(0);
    Single->pgHead->ChangeActivePage(Single->tbsUDF);
    EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsHead1);
}

TEST_F(SingleTest, ExportsAndBatchPrintFollowThePrintRight) {
    Start();
    Single->PrintProgram = "FWSING71";
    struct Case {
        bool Print;
        bool Editing;
        bool Exports;
    } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Print) + std::to_string(c.Editing));
        Single->CanPrint = c.Print;
        if (c.Editing) Single->EditRecord();
        Single->UpdateButtonStates();
        EXPECT_EQ(Single->miTable2Excel->Enabled(), c.Exports);
        EXPECT_EQ(Single->miTable2Excel2->Enabled(), c.Exports);
        EXPECT_EQ(Single->miBBPrint->Enabled(), c.Exports);
        EXPECT_EQ(Single->miBBSelectAll->Enabled(), c.Exports);
        Single->CancelEdit(false);
    }
    // Nothing selected: nothing printed. Every fetched row selected: one print each, then none picked.
    Single->CanPrint = true;
    Single->UpdateButtonStates();
    Single->miBBPrintClick(nullptr);
    EXPECT_TRUE(Single->Prints.empty());
    Single->miBBSelectAllClick(nullptr);
    EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsBrowse);
    EXPECT_EQ(Single->gdHead->SelectedList().size(), static_cast<size_t>(Main()->RecordCount()));
    Single->miBBPrintClick(nullptr);
    EXPECT_EQ(Single->Prints.size(), static_cast<size_t>(Main()->RecordCount()));
    EXPECT_TRUE(Single->gdHead->SelectedList().empty());
}

} // namespace

namespace {

TEST_F(SingleTest, CalculatorKeysWorkOnNumberFieldsOnly) {
    Start();
    std::vector<AnsiString> asked;
    AnsiString answer = "42";
    Lookup->On("GetCalcValue", [&](TDispArgs args) {
        asked.push_back(VarToStr(*args[0].Value));
        return Variant(answer);
    });
    TDBEdit* amount = AddAmountEdit();
    ASSERT_TRUE(Single->EditRecord());
    Single->pgHead->SetActivePage(Single->tbsHead1);
    UserKey(Single, "+", "edTA003");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(Main()->FieldByName("TA003")->AsFloat(), 42);
    // In a text field the key is typed as it is.
    UserKey(Single, "+", "edTA002");
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_NE(static_cast<TDBEdit*>(Single->FindComponent("edTA002"))->Text().find('+'), AnsiString::npos);
    // A field edited as a percentage ("12%") takes the figure as a percentage; only a "%" at the end
    // of an edit text that differs from the shown one makes it one.
    auto* rate = static_cast<TFloatField*>(Main()->FieldByName("TA003"));
    struct Case {
        const char* EditFormat;
        double Expected;
    } cases[] = {{"0%", 50}, {"%0", 0.5}, {"0.00", 0.5}, {"", 0.5}};
    answer = "0.5";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.EditFormat);
        rate->SetEditFormat(c.EditFormat);
        rate->SetAsFloat(12);
        Single->CalculateIntoControl(amount);
        EXPECT_EQ(rate->AsFloat(), c.Expected);
    }
    rate->SetEditFormat("");
    answer = "42";
    // A read-only page takes nothing back.
    Single->CancelEdit(false);
    Single->CalculateIntoControl(amount);
    EXPECT_NE(Main()->FieldByName("TA003")->AsFloat(), 42);
}

} // namespace

namespace {

TEST_F(SingleTest, TheSelectionColumnPicksRowsAndLinkCellsReadAsLinks) {
    Start();
    Single->PrintProgram = "FWSING71";
    Single->UpdateButtonStates();
    TField* pick = Main()->FindField("MultiSelected");
    ASSERT_TRUE(pick && pick->Visible());
    Single->pgHead->SetActivePage(Single->tbsBrowse);
    Single->gdHead->SetSelectedField(Main()->FieldByName("TA002"));
    Single->gdHead->SetSelectedField(pick);
    Single->gdHeadDblClick(nullptr);
    EXPECT_EQ(Single->gdHead->SelectedList().size(), 1u);
    // The selection column shows the grid's pick.
    EXPECT_EQ(pick->DisplayText(), "Y");
    Word space = VK_SPACE;
    Single->gdHeadKeyDown(nullptr, space, TShiftState());
    EXPECT_TRUE(Single->gdHead->SelectedList().empty());
    EXPECT_EQ(pick->DisplayText(), "N");
    EXPECT_EQ(space, 0);
    // The grid edits on the selection column only, so that its box takes a tick there.
    EXPECT_FALSE(Single->gdHead->ReadOnly());
    EXPECT_TRUE(Single->gdHead->Options().Contains(dgEditing));
    // Elsewhere a double click opens the record's first page.
    Single->gdHead->SetSelectedField(Main()->FieldByName("TA002"));
    EXPECT_TRUE(Single->gdHead->ReadOnly());
    EXPECT_FALSE(Single->gdHead->Options().Contains(dgEditing));
    Single->gdHeadDblClick(nullptr);
    EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsHead1);
    EXPECT_TRUE(Single->gdHead->SelectedList().empty());

    Single->Links().LinkFields = AnsiString("TA002") + "\x03" + "TA009";
    TFont font;
    TBrush brush;
    font.SetColor(clRed);
    struct Case {
        const char* Field;
        TColor Color;
        bool Underline;
    } cases[] = {{"TA002", clBlue, true}, {"ta002", clBlue, true}, {"TA001", clBlack, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Field);
        Single->gdHeadCalcCellColors(Single->gdHead, Main()->FieldByName(c.Field), TGridDrawState(), false,
                                     &font, &brush);
        EXPECT_EQ(font.Color(), c.Color);
        EXPECT_EQ(font.Style().Contains(fsUnderline), c.Underline);
    }
}

} // namespace

namespace {

TEST_F(SingleTest, EnterGoesOnThroughThePagesAndSavesOnTheLastInput) {
    Start();
    Single->tbsUDF->SetTabVisible(true);
    ASSERT_TRUE(Single->EditRecord());
    Single->pgHead->SetActivePage(Single->tbsHead1);
    // The last input of a page goes on to the next page.
    UserKey(Single, "Enter", "edTA002");
    EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsUDF);
    EXPECT_EQ(Single->EditState, esEdit);
    // With no page after it, the last input saves.
    Single->tbsUDF->SetTabVisible(false);
    Single->pgHead->SetActivePage(Single->tbsHead1);
    UserType(Single, "edTA002", "改名");
    UserKey(Single, "Enter", "edTA002");
    EXPECT_EQ(Single->EditState, esBrowse);
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), "改名");
    EXPECT_EQ(Main()->ChangeCount(), 0);
    // In a memo, even the page's last input, Enter is a new line of its text.
    auto* memo = new TMemo(Single);
    memo->SetName("mmRemark");
    memo->SetParent(Single->tbsHead1);
    memo->SetBounds(80, 80, 160, 60);
    ASSERT_TRUE(Single->EditRecord());
    Single->pgHead->SetActivePage(Single->tbsHead1);
    UserType(Single, "mmRemark", "ab");
    UserKey(Single, "Enter", "mmRemark");
    UserKey(Single, "c");
    EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsHead1);
    EXPECT_EQ(Single->EditState, esEdit);
    EXPECT_EQ(memo->Lines()->Count(), 2);
}

TEST_F(SingleTest, EnterLeavesARadioGroupAsOneInput) {
    Start();
    Single->tbsUDF->SetTabVisible(true);
    auto* group = new TRadioGroup(Single);
    group->SetName("rgKind");
    group->SetParent(Single->tbsHead1);
    group->SetBounds(80, 80, 160, 90);
    group->Items()->Add("甲");
    group->Items()->Add("乙");
    group->Items()->Add("丙");
    ASSERT_TRUE(Single->EditRecord());
    // The group's checked button is its tab stop; Enter on another one still leaves the group.
    struct Case {
        int GroupTabOrder;
        int Checked;
        const char* FocusAfter; // "" for the next page
    } cases[] = {{1, -1, "edTA002"}, {2, -1, ""}, {1, 2, "edTA002"}, {2, 2, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.GroupTabOrder) + "/" + std::to_string(c.Checked));
        group->SetTabOrder(c.GroupTabOrder);
        group->SetItemIndex(c.Checked);
        Single->pgHead->SetActivePage(Single->tbsHead1);
        Application->RunUserAction([&] { group->Buttons(0)->SetFocus(); });
        ASSERT_EQ(Single->FocusedControl(), group->Buttons(0));
        UserKey(Single, "Enter");
        if (*c.FocusAfter) {
            EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsHead1);
            ASSERT_TRUE(Single->FocusedControl());
            EXPECT_EQ(Single->FocusedControl()->Name(), c.FocusAfter);
        } else {
            EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsUDF);
        }
        EXPECT_EQ(Single->EditState, esEdit);
    }
}

} // namespace

namespace {

TEST_F(SingleTest, RequiredAndKeyInputsTakeTheirColours) {
    Start();
    auto* key = static_cast<TDBEdit*>(Single->FindComponent("edTA001"));
    auto* name = static_cast<TDBEdit*>(Single->FindComponent("edTA002"));
    EXPECT_EQ(key->Color(), KeyFieldColor);
    Single->MergeRequiredFields("cdsMain:TA002;cdsOther:TA001");
    Single->ColorGridColumns();
    EXPECT_EQ(name->Color(), 0x00AFFFFF);
    EXPECT_EQ(key->Color(), KeyFieldColor);
}

} // namespace

namespace {

// The user of the options dialog: turns keep-on-add off, or cancels.
class TOptionsUser : public TModalDriver {
public:
    bool Cancel = false;
    bool Idle(TCustomForm* form) override {
        if (dynamic_cast<TMessageForm*>(form)) {
            UserAnswer(form, "OK");
            return true;
        }
        if (form->ClassName() != AnsiString("TfrmOptions")) return false;
        if (!Cancel)
            for (const char* name : {"chkKeepOnAdd", "chkNumberThousand", "chkMoneyAutoZero"}) {
                auto* box = static_cast<TControl*>(form->FindComponent(name));
                if (box && static_cast<TBitCheckBox*>(box)->Checked()) box->Click();
            }
        UserAnswer(form, Cancel ? "Cancel" : "OK");
        return true;
    }
};

TEST_F(SingleTest, TheOptionsDialogSetsKeepOnAddAndTheNumberFormats) {
    Start();
    TOptionsUser user;
    TModalDriver* previous = Application->SetModalDriver(&user);
    ASSERT_TRUE(Single->IsKeepOnAdd);
    user.Cancel = true;
    Single->miOptionsClick(nullptr);
    EXPECT_TRUE(Single->IsKeepOnAdd);
    user.Cancel = false;
    // Quantities shown with two places and thousands, until the dialog turns the thousands off.
    Module()->SetDecimalGroupPlaces(2, 2);
    Module()->SetDecimalGroupFields(2, "cdsMain:TA003");
    Main()->Edit();
    Main()->FieldByName("TA003")->SetAsFloat(1234567.5);
    EXPECT_EQ(Main()->FieldByName("TA003")->DisplayText(), "1,234,567.50");
    Single->miOptionsClick(nullptr);
    EXPECT_FALSE(Single->IsKeepOnAdd);
    EXPECT_EQ(Main()->FieldByName("TA003")->DisplayText(), "1234567.50");
    EXPECT_FALSE(Module()->QuantityFieldThousand);
    EXPECT_TRUE(Module()->QuantityFieldAutoZero);
    EXPECT_TRUE(Module()->MoneyFieldThousand);
    EXPECT_FALSE(Module()->MoneyFieldAutoZero);
    Main()->Cancel();
    Application->SetModalDriver(previous);
}

// The browse grid's titles are buttons: a click sorts by the column, the next the other way round,
// and the title shows which; the selection column's title sorts nothing; key columns' titles take
// the key colour.
TEST_F(SingleTest, TitleClicksSortTheBrowseGridAndMarkTheSortedColumn) {
    Start();
    Module()->FetchAll(Main());
    Single->PrintProgram = "FWSING71";
    Single->UpdateButtonStates();
    Single->pgHead->SetActivePage(Single->tbsBrowse);
    TFDBGrid* grid = Single->gdHead;
    grid->LayoutChanged();
    auto clickTitle = [grid](const char* field) {
        const int col = grid->GridColumnOf(field);
        ASSERT_GE(col, 0) << field;
        const TRect r = grid->CellRect(col, 0);
        grid->MouseClickAt(r.Left + 3, r.Top + 3);
    };
    auto firstKey = [this] {
        Main()->First();
        return Main()->FieldByName("TA001")->AsString();
    };
    const struct {
        const char* First;
        int Image;
    } clicks[] = {{"00123", 0}, {"00300", 1}, {"00123", 0}};
    for (const auto& c : clicks) {
        clickTitle("TA003");
        EXPECT_EQ(firstKey(), c.First);
        EXPECT_EQ(grid->TitleImageOf(grid->GridColumnOf("TA003")), c.Image);
    }
    EXPECT_EQ(grid->TitleImageOf(grid->GridColumnOf("TA002")), -1);
    EXPECT_EQ(grid->TitleImageList(), Single->SortMapList);
    ASSERT_EQ(Single->SortMapList->Count(), 2);
    clickTitle("MultiSelected");
    EXPECT_EQ(Module()->SortField, Main()->FieldByName("TA003"));

    TFont font;
    TBrush brush;
    brush.SetColor(clBtnFace);
    Single->gdHeadCalcTitleAttributes(grid, "TA002", &font, &brush);
    EXPECT_EQ(brush.Color(), clBtnFace);
    Single->gdHeadCalcTitleAttributes(grid, "ta001", &font, &brush);
    EXPECT_EQ(brush.Color(), static_cast<TColor>(KeyFieldColor));
}

// The commands of the stream reach their work: the calculator and the options under the tools menu,
// batch print under the batch menu, the lookups by mouse from the edits' pop-up menu; the form's
// glyphs join the tool bar's images, the calculator's first.
TEST_F(SingleTest, TheStreamsCommandsReachTheirWork) {
    Start();
    EXPECT_EQ(Single->miCacl->Parent(), Single->miTools);
    EXPECT_EQ(Single->miOptions->Parent(), Single->miTools);
    EXPECT_EQ(Single->miBBPrint->Parent(), Single->P1);
    EXPECT_EQ(Single->gdHead->PopupMenuComponent(), Single->pmMultiSelect);

    std::vector<AnsiString> asked;
    Lookup->On("GetCalcValue", [&](TDispArgs args) {
        asked.push_back(VarToStr(*args[0].Value));
        return Variant("7");
    });
    TDBEdit* amount = AddAmountEdit();
    ASSERT_TRUE(Single->EditRecord());
    Single->pgHead->SetActivePage(Single->tbsHead1);
    amount->SetFocus();
    Single->miCacl->Click();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(Main()->FieldByName("TA003")->AsFloat(), 7);
    Single->CancelEdit(false);

    // The batch menu refreshes its commands as it opens.
    Single->PrintProgram = "FWSING71";
    Single->miBBPrint->SetEnabled(false);
    Single->P1->Click();
    EXPECT_TRUE(Single->miBBPrint->Enabled());

    // Every user-defined edit offers the lookups by mouse.
    auto* udf = static_cast<TControl*>(Single->FindComponent("edUDF57"));
    ASSERT_NE(udf, nullptr);
    EXPECT_EQ(udf->PopupMenuComponent(), Single->popOpenF2Window);

    ASSERT_NE(Single->btnCalc, nullptr);
    const int calc = Single->btnCalc->ImageIndex();
    EXPECT_EQ(Single->btnColorQuery->ImageIndex(), calc + 1);
    EXPECT_EQ(Single->ImageList1->Count(), calc + Single->imgSingle->Count());
    EXPECT_EQ(Single->imgSingle->Count(), 2);
}

// The user-defined page holds its twenty-four edits, labelled in their order, and the twelve combo
// boxes of the first twelve.
TEST_F(SingleTest, TheUserDefinedPageHoldsItsEditsAndComboBoxes) {
    Start();
    const int numbers[] = {1, 2, 3, 4,  5,  6,  51, 52, 53, 54, 55, 56,
                           7, 8, 9, 10, 11, 12, 57, 58, 59, 60, 61, 62};
    int label = 0;
    for (int number : numbers) {
        auto* edit = dynamic_cast<TQvBtnDBEdit*>(Single->FindComponent(Format("edUDF%.2d", {number})));
        ASSERT_NE(edit, nullptr) << number;
        EXPECT_EQ(edit->Parent(), Single->tbsUDF);
        EXPECT_EQ(edit->Caption(), "自定义项" + IntToStr(++label));
    }
    for (int number = 1; number <= 12; ++number) {
        auto* combo = dynamic_cast<TQvDBComboBox*>(Single->FindComponent(Format("cboUDF%.2d", {number})));
        ASSERT_NE(combo, nullptr) << number;
        EXPECT_EQ(combo->Parent(), Single->tbsUDF);
    }
    EXPECT_EQ(Single->FindComponent("cboUDF13"), nullptr);
}

} // namespace
