// The header-plus-body level's routines and data module over lines in memory: rounding, the next
// line number (never wrapping), duplicate lines by their identity, the clone cursor, new lines while
// the header is added or changed, totals into the header, and the key walk of an added document's
// save, which never leaves a placeholder key behind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "classlib/automation/comserv.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/files.h"
#include "framework/DoubleCD.h"
#include "readback/ReadBack.h"

class TdmDoubleTest : public TdmDouble {
    KVR_CLASS(TdmDoubleTest, TdmDouble)
public:
    explicit TdmDoubleTest(TComponent* owner, bool load = true) : TdmDouble(owner, false) {
        if (load) InitInheritedComponent(this);
    }
    TDataSetField* cdsMainqryBody = nullptr;
};

// A program that answers the totals' line hook itself: lines marked "Y" are left out, lines marked
// "D" count double.
class TdmDoubleFilterTest : public TdmDoubleTest {
public:
    TdmDoubleFilterTest() : TdmDoubleTest(nullptr) {}
    int TotalLineFilter(const AnsiString&, const Variant&, Variant& value) override {
        const AnsiString mark = cdsBody1->FieldByName("TB006")->AsString();
        if (mark == "Y") return 1;
        if (mark != "D") return 0;
        value = cdsBody1->FieldByName("TB005")->AsFloat() * 2;
        return 2;
    }
};

KVR_PUBLISHED(TdmDoubleTest, c) {
    c.Field("cdsMainqryBody", &TdmDoubleTest::cdsMainqryBody);
}

KVR_FORM_RESOURCE(TdmDoubleTest, R"(inherited dmDoubleTest: TdmDoubleTest
  inherited cdsMain: TwwClientDataSet
    object cdsMainTA001: TStringField
      FieldName = 'TA001'
      Size = 4
    end
    object cdsMainTA002: TStringField
      FieldName = 'TA002'
      Size = 11
    end
    object cdsMainTA010: TFloatField
      FieldName = 'TA010'
    end
    object cdsMainFLAG: TFloatField
      FieldName = 'FLAG'
    end
    object cdsMainqryBody: TDataSetField
      FieldName = 'qryBody'
    end
  end
  inherited cdsBody1: TwwClientDataSet
    DataSetField = cdsMainqryBody
    object cdsBody1TB001: TStringField
      FieldName = 'TB001'
      Size = 4
    end
    object cdsBody1TB002: TStringField
      FieldName = 'TB002'
      Size = 11
    end
    object cdsBody1TB003: TStringField
      FieldName = 'TB003'
      Size = 4
    end
    object cdsBody1TB004: TStringField
      FieldName = 'TB004'
      Size = 10
    end
    object cdsBody1TB005: TFloatField
      FieldName = 'TB005'
    end
    object cdsBody1TB006: TStringField
      FieldName = 'TB006'
      Size = 1
    end
    object cdsBody1FLAG: TFloatField
      FieldName = 'FLAG'
    end
  end
end
)");

namespace {

// A table of lines of its own (no header) for the routines.
std::unique_ptr<TClientDataSet> Lines(std::initializer_list<std::pair<const char*, const char*>> rows) {
    auto cds = std::make_unique<TClientDataSet>(nullptr);
    cds->FieldDefs()->Add("NO", ftString, 4);
    cds->FieldDefs()->Add("ITEM", ftString, 10);
    cds->FieldDefs()->Add("QTY", ftFloat);
    cds->CreateDataSet();
    for (const auto& [no, item] : rows) {
        cds->Append();
        cds->FieldByName("NO")->SetAsString(no);
        cds->FieldByName("ITEM")->SetAsString(item);
        cds->Post();
    }
    return cds;
}

TEST(KnlDouble, FieldRoundedByPlaces) {
    auto cds = Lines({{"0001", "A"}});
    TField* qty = cds->FieldByName("QTY");
    const struct {
        double Value;
        int Places;
        double Expected;
    } cases[] = {{-3.7, -2, -3},     {3.7, -2, 3},           {3.5, 0, 4}, {-3.5, 0, -4},
                 {1.23456, 2, 1.23}, {1.23456, -1, 1.23456}, {1.5, -3, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Value) + " " + std::to_string(c.Places));
        cds->Edit();
        qty->SetAsFloat(c.Value);
        cds->Post();
        EXPECT_DOUBLE_EQ(GetFieldRounded(qty, c.Places), c.Expected);
    }
    cds->Edit();
    qty->Clear();
    cds->Post();
    for (int places : {-2, -1, 0, 3})
        EXPECT_EQ(GetFieldRounded(qty, places), 0) << places;
    cds->Edit();
    SetFieldRounded(qty, 1, 2.26);
    EXPECT_DOUBLE_EQ(qty->AsFloat(), 2.3);
    SetFieldRounded(qty, -2, -7.9);
    EXPECT_DOUBLE_EQ(qty->AsFloat(), -7);
    SetFieldRounded(qty, -5, 99);
    EXPECT_DOUBLE_EQ(qty->AsFloat(), -7);
    cds->Cancel();
}

TEST(KnlDouble, NextSequenceNoIsTheHighestPlusOneAndNeverWraps) {
    const struct {
        std::initializer_list<std::pair<const char*, const char*>> Rows;
        bool Ok;
        const char* Next;
    } cases[] = {
        {{}, true, "0001"},
        {{{"0001", "A"}, {"0003", "B"}}, true, "0004"}, // gaps are not filled
        {{{"ab", "A"}, {"0002", "B"}}, true, "0003"},   // a text that is no number counts as 0
        {{{"9998", "A"}}, true, "9999"},
        {{{"9999", "A"}}, false, ""}, // "10000" does not fit, and "1000" would repeat a line
    };
    for (const auto& c : cases) {
        auto cds = Lines(c.Rows);
        AnsiString next = "x";
        EXPECT_EQ(NextSequenceNo(cds.get(), "NO", next), c.Ok);
        EXPECT_EQ(next, c.Next);
    }
    auto cds = Lines({});
    AnsiString next = "x";
    EXPECT_FALSE(NextSequenceNo(cds.get(), "NONE", next));
    EXPECT_EQ(next, "");
}

TEST(KnlDouble, DuplicateKeyByTheLinesIdentity) {
    auto cds = Lines({{"0001", "A"}, {"0002", "B"}, {"0003", "C"}});
    auto clone = std::make_unique<TClientDataSet>(nullptr);
    ASSERT_TRUE(CloneCursorSafe(cds.get(), clone.get()));
    // A line is never its own duplicate, wherever it stands.
    cds->SetRecNo(2);
    EXPECT_FALSE(HasDuplicateKey(clone.get(), cds->FieldByName("ITEM"), ""));
    EXPECT_FALSE(HasDuplicateKey(clone.get(), cds->FieldByName("ITEM"), "NO+ITEM"));
    // Changed to another line's item, it is.
    cds->Edit();
    cds->FieldByName("ITEM")->SetAsString("C");
    EXPECT_TRUE(HasDuplicateKey(clone.get(), cds->FieldByName("ITEM"), ""));
    EXPECT_FALSE(HasDuplicateKey(clone.get(), cds->FieldByName("ITEM"), "NO+ITEM"));
    cds->Cancel();
    // A line being inserted above the others moves their record numbers: it still is not the row it
    // stands on.
    cds->First();
    cds->Insert();
    cds->FieldByName("NO")->SetAsString("0004");
    cds->FieldByName("ITEM")->SetAsString("A");
    EXPECT_TRUE(HasDuplicateKey(clone.get(), cds->FieldByName("ITEM"), ""));
    cds->FieldByName("ITEM")->SetAsString("D");
    EXPECT_FALSE(HasDuplicateKey(clone.get(), cds->FieldByName("ITEM"), ""));
    cds->Post();
    // After the insert the rows moved by one; the second line is still only itself.
    ASSERT_TRUE(CloneCursorSafe(cds.get(), clone.get()));
    cds->Locate("ITEM", Variant("B"));
    EXPECT_FALSE(HasDuplicateKey(clone.get(), cds->FieldByName("ITEM"), ""));
    auto closed = std::make_unique<TClientDataSet>(nullptr);
    EXPECT_FALSE(CloneCursorSafe(closed.get(), clone.get()));
}

class DoubleModuleTest : public ::testing::Test {
protected:
    void SetUp() override { Prepare(new TdmDoubleTest(nullptr)); }
    void Prepare(TdmDoubleTest* module) {
        delete Module;
        Module = module;
        Module->cdsMain->SetRemoteServer(nullptr);
        Module->SetKeyFields("TA001,TA002");
        Module->SetBodyKeyFields("TB001,TB002,TB003 line");
        // The header's definitions, its lines nested in "qryBody", as a provider's packet gives them.
        TFieldDefs* defs = Main()->FieldDefs();
        defs->Clear();
        defs->Add("TA001", ftString, 4);
        defs->Add("TA002", ftString, 11);
        defs->Add("TA010", ftFloat);
        defs->Add("FLAG", ftFloat);
        TFieldDef* lines = defs->AddFieldDef();
        lines->SetName("qryBody");
        lines->SetDataType(ftDataSet);
        TFieldDefs* child = lines->ChildDefs();
        for (const char* name : {"TB001", "TB002", "TB003", "TB004"})
            child->Add(name, ftString,
                       std::string(name) == "TB002"   ? 11
                       : std::string(name) == "TB004" ? 10
                                                      : 4);
        child->Add("TB005", ftFloat);
        child->Add("TB006", ftString, 1);
        child->Add("FLAG", ftFloat);
        Module->cdsMain->CreateDataSet();
        if (!Body()->Active()) Body()->Open();
        Module->RefreshBodyShadow();
    }
    void TearDown() override { delete Module; }
    TClientDataSet* Main() const { return Module->cdsMain; }
    TClientDataSet* Body() const { return Module->cdsBody1; }
    void AddLine(const char* item, double qty) {
        Body()->Append();
        Body()->FieldByName("TB004")->SetAsString(item);
        Body()->FieldByName("TB005")->SetAsFloat(qty);
        Body()->Post();
    }
    TdmDoubleTest* Module = nullptr;
};

TEST_F(DoubleModuleTest, NewLinesWhileAddingGetPlaceholdersAndTheSaveWritesTheKey) {
    EXPECT_EQ(Module->LineNumberField, "TB003");
    Main()->Append();
    Main()->FieldByName("TA001")->SetAsString("5101");
    AddLine("A", 1);
    EXPECT_EQ(Body()->FieldByName("TB001")->AsString(), "~~~~");
    EXPECT_EQ(Body()->FieldByName("TB002")->AsString(), "~~~~~~~~~~~");
    EXPECT_EQ(Body()->FieldByName("TB003")->AsString(), "0001");
    AddLine("B", 2);
    EXPECT_EQ(Body()->FieldByName("TB003")->AsString(), "0002");
    EXPECT_TRUE(Module->HasPendingLineKey());
    Main()->FieldByName("TA002")->SetAsString("20261201001");
    Module->BeforeSaveDetails();
    EXPECT_FALSE(Module->HasPendingLineKey());
    for (Body()->First(); !Body()->Eof(); Body()->Next()) {
        EXPECT_EQ(Body()->FieldByName("TB001")->AsString(), "5101");
        EXPECT_EQ(Body()->FieldByName("TB002")->AsString(), "20261201001");
    }
}

TEST_F(DoubleModuleTest, ALineThatCannotTakeTheKeyStopsTheSave) {
    Main()->Append();
    Main()->FieldByName("TA001")->SetAsString("5101");
    AddLine("A", 1);
    AddLine("B", 2);
    Main()->FieldByName("TA002")->SetAsString("N1");
    // A line that cannot take the key (here its number field is read-only) stops the save rather
    // than let a placeholder reach the server.
    Body()->FieldByName("TB002")->SetReadOnly(true);
    EXPECT_THROW(Module->BeforeSaveDetails(), EAbort);
    EXPECT_TRUE(Module->HasPendingLineKey());
    EXPECT_EQ(Body()->RecordCount(), 2);
    EXPECT_EQ(Body()->State(), dsBrowse);
    Body()->FieldByName("TB002")->SetReadOnly(false);
    Module->BeforeSaveDetails();
    EXPECT_FALSE(Module->HasPendingLineKey());
}

TEST_F(DoubleModuleTest, LinesOfAChangedHeaderTakeItsKeyAndNumbersStopAtTheFieldsSize) {
    Main()->Append();
    Main()->FieldByName("TA001")->SetAsString("5102");
    Main()->FieldByName("TA002")->SetAsString("H1");
    Main()->Post();
    Main()->Edit();
    AddLine("A", 1);
    EXPECT_EQ(Body()->FieldByName("TB001")->AsString(), "5102");
    EXPECT_EQ(Body()->FieldByName("TB002")->AsString(), "H1");
    Body()->Edit();
    Body()->FieldByName("TB003")->SetAsString("9999");
    Body()->Post();
    Module->RefreshBodyShadow();
    // No number is left: the line is not added (it would repeat "1000" or wrap).
    EXPECT_THROW(Body()->Append(), EAbort);
    EXPECT_EQ(Body()->State(), dsBrowse);
    EXPECT_EQ(Body()->RecordCount(), 1);
}

TEST_F(DoubleModuleTest, TotalsIntoTheHeaderOnlyWhileItIsEdited) {
    Main()->Append();
    Main()->FieldByName("TA001")->SetAsString("5102");
    Main()->FieldByName("TA002")->SetAsString("H2");
    AddLine("A", 1.25);
    AddLine("B", 2.5);
    AddLine("C", 4);
    Body()->Edit();
    Body()->FieldByName("TB006")->SetAsString("Y");
    Body()->Post();
    Body()->SetRecNo(2);
    EXPECT_DOUBLE_EQ(Module->SumBodyField("TB005", -1, ""), 7.75);
    EXPECT_DOUBLE_EQ(Module->SumBodyField("TB005", 0, ""), 8); // 1 + 3 + 4, each rounded
    EXPECT_DOUBLE_EQ(Module->SumBodyField("TB005", -1, "TB006=Y"), 4);
    EXPECT_DOUBLE_EQ(Module->SumBodyField("NONE", -1, ""), 0);
    EXPECT_EQ(Body()->RecNo(), 2); // the current line is the one it was
    EXPECT_TRUE(Module->SumBodyToHead(Main()->FieldByName("TA010"), "TB005", "", 2));
    EXPECT_DOUBLE_EQ(Main()->FieldByName("TA010")->AsFloat(), 7.75);
    Main()->Post();
    EXPECT_TRUE(Module->SumBodyToHead(Main()->FieldByName("TA010"), "TB006", "", 2));
    EXPECT_DOUBLE_EQ(Main()->FieldByName("TA010")->AsFloat(), 7.75); // browsing: unchanged
}

// What a walk over the lines answers: the total in the lines' order, and whether another line has
// the item, asked of a new clone.
struct TWalked {
    double Total;
    double Marked;
    bool Duplicate;
};

TWalked Walk(TdmDouble* module, int digits) {
    TWalked walked{0, 0, false};
    TClientDataSet* body = module->cdsBody1;
    auto clone = std::make_unique<TClientDataSet>(nullptr);
    clone->CloneCursor(body, false); // in the lines' order
    for (clone->First(); !clone->Eof(); clone->Next()) {
        const double line = GetFieldRounded(clone->FieldByName("TB005"), digits);
        walked.Total += line;
        if (clone->FieldByName("TB006")->AsString() == "Y") walked.Marked += line;
    }
    auto scan = std::make_unique<TClientDataSet>(nullptr);
    scan->CloneCursor(body, true);
    walked.Duplicate = HasDuplicateKey(scan.get(), body->FieldByName("TB004"), "");
    return walked;
}

TEST_F(DoubleModuleTest, TotalsAndDuplicatesFollowEveryChangeOfTheLines) {
    Main()->Append();
    Main()->FieldByName("TA001")->SetAsString("5102");
    Main()->FieldByName("TA002")->SetAsString("H9");
    Main()->Post();
    Main()->Edit();
    // Values whose sum depends on the order they are added in.
    AddLine("A", 0.1);
    AddLine("B", 1e16);
    AddLine("C", 0.7);
    AddLine("D", -1e16);
    AddLine("E", 0.35);
    auto edit = [this](const char* item, const char* field, const char* value) {
        ASSERT_TRUE(Body()->Locate("TB004", Variant(item)));
        Body()->Edit();
        Body()->FieldByName(field)->SetAsString(value);
        Body()->Post();
    };
    const struct {
        const char* Step;
        std::function<void()> Change;
    } steps[] = {
        {"as added", [] {}},
        {"a line added", [&] { AddLine("F", 2.125); }},
        {"a value changed", [&] { edit("C", "TB005", "6.5"); }},
        {"a line marked", [&] { edit("A", "TB006", "Y"); }},
        {"an item repeated", [&] { edit("E", "TB004", "B"); }},
        {"a line deleted",
         [&] {
             ASSERT_TRUE(Body()->Locate("TB004", Variant("D")));
             Body()->Delete();
         }},
        {"sorted by item", [&] { Body()->SetIndexFieldNames("TB004"); }},
        {"a line added in the order", [&] { AddLine("AA", 5); }},
        {"sorted by amount", [&] { Body()->SetIndexFieldNames("TB005"); }},
        {"changed back", [&] { Body()->RevertRecord(); }},
        {"changed through another cursor",
         [&] {
             auto other = std::make_unique<TClientDataSet>(nullptr);
             other->CloneCursor(Body(), true);
             other->Last();
             other->Edit();
             other->FieldByName("TB005")->SetAsFloat(-3.5);
             other->FieldByName("TB004")->SetAsString("AA");
             other->Post();
         }},
        {"the header's changes undone", [&] { Main()->Cancel(); }},
        {"the changes kept", [&] { Main()->MergeChangeLog(); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Step);
        step.Change();
        for (int digits : {-1, 1}) {
            const TWalked walked = Walk(Module, digits);
            EXPECT_EQ(Module->SumBodyField("TB005", digits, ""), walked.Total) << digits;
            EXPECT_EQ(Module->SumBodyField("TB005", digits, "TB006=Y"), walked.Marked) << digits;
        }
        // Asked of each line in turn, as a field check asks while a line is edited.
        for (Body()->First(); !Body()->Eof(); Body()->Next()) {
            auto scan = std::make_unique<TClientDataSet>(nullptr);
            scan->CloneCursor(Body(), true);
            EXPECT_EQ(Module->IsDuplicateLine(Body()->FieldByName("TB004"), ""),
                      HasDuplicateKey(scan.get(), Body()->FieldByName("TB004"), ""))
                << Body()->FieldByName("TB004")->AsString();
        }
        if (Main()->State() == dsBrowse) Main()->Edit();
    }
}

TEST_F(DoubleModuleTest, AProgramsLineHookDecidesEveryLineOfATotal) {
    Prepare(new TdmDoubleFilterTest);
    Main()->Append();
    Main()->FieldByName("TA001")->SetAsString("5102");
    Main()->FieldByName("TA002")->SetAsString("H8");
    AddLine("A", 1.25);
    AddLine("B", 2.5);
    AddLine("C", 4);
    EXPECT_DOUBLE_EQ(Module->SumBodyField("TB005", -1, ""), 7.75);
    Body()->Edit();
    Body()->FieldByName("TB006")->SetAsString("Y");
    Body()->Post();
    EXPECT_DOUBLE_EQ(Module->SumBodyField("TB005", -1, ""), 3.75);
    Body()->First();
    Body()->Edit();
    Body()->FieldByName("TB006")->SetAsString("D");
    Body()->Post();
    EXPECT_DOUBLE_EQ(Module->SumBodyField("TB005", -1, ""), 5);
}

TEST_F(DoubleModuleTest, ANewLineLeftUntouchedTakesNoNumberAndADeletedLastNumberComesBack) {
    Main()->Append();
    Main()->FieldByName("TA001")->SetAsString("5102");
    Main()->FieldByName("TA002")->SetAsString("H3");
    AddLine("A", 1);
    AddLine("B", 1);
    Body()->Append();
    EXPECT_EQ(Body()->FieldByName("TB003")->AsString(), "0003");
    Body()->Cancel();
    AddLine("C", 1);
    EXPECT_EQ(Body()->FieldByName("TB003")->AsString(), "0003");
    Body()->Delete(); // line 0003, the last
    AddLine("D", 1);
    EXPECT_EQ(Body()->FieldByName("TB003")->AsString(), "0003");
    // A number typed over counts from then on.
    Body()->Edit();
    Body()->FieldByName("TB003")->SetAsString("0010");
    Body()->Post();
    AddLine("E", 1);
    EXPECT_EQ(Body()->FieldByName("TB003")->AsString(), "0011");
}

// Two documents of two lines each, in a folder of the test's own; the export's file read back.
class DoubleExportTest : public DoubleModuleTest {
protected:
    void SetUp() override {
        DoubleModuleTest::SetUp();
        FBefore = std::filesystem::current_path();
        FFolder =
            std::filesystem::temp_directory_path() / ("kvr-double-export-" + std::to_string(::getpid()));
        std::filesystem::create_directories(FFolder);
        std::filesystem::current_path(FFolder);
        for (const char* number : {"H1", "H2"}) {
            Main()->Append();
            Main()->FieldByName("TA001")->SetAsString("5102");
            Main()->FieldByName("TA002")->SetAsString(number);
            AddLine("A", 1.5);
            AddLine("B", 2);
            Main()->Post();
        }
        for (const char* name : {"TB001", "TB002", "TB006", "FLAG"})
            Body()->FieldByName(name)->SetVisible(false);
        Main()->First();
        SetNowForTesting(EncodeDate(2024, 2, 3) + EncodeTime(9, 5, 7, 0));
        Path = Module->ExportFileName();
    }
    void TearDown() override {
        ResetNowForTesting();
        SetClassRegistryFileName("");
        std::filesystem::current_path(FBefore);
        std::filesystem::remove_all(FFolder);
        DoubleModuleTest::TearDown();
    }
    void ExpectRows(const TReadBook& book) {
        const struct {
            int Row, Col;
            const char* Value;
        } cells[] = {{0, 0, "TA001"}, {0, 1, "TA002"}, {0, 2, "TB003"}, {0, 3, "TB004"},
                     {0, 4, "TB005"}, {1, 1, "H1"},    {1, 2, "0001"},  {2, 3, "B"},
                     {3, 1, "H2"},    {4, 2, "0002"},  {5, 0, ""}};
        for (const auto& c : cells) {
            SCOPED_TRACE(std::to_string(c.Row) + "," + std::to_string(c.Col));
            EXPECT_EQ(book.At(0, c.Row, c.Col).Value, c.Value);
        }
        EXPECT_EQ(book.At(0, 1, 4).Type, "number");
        EXPECT_DOUBLE_EQ(book.At(0, 1, 4).Number(), 1.5);
        EXPECT_DOUBLE_EQ(book.At(0, 4, 4).Number(), 2);
    }
    AnsiString Path;

private:
    std::filesystem::path FBefore, FFolder;
};

TEST_F(DoubleExportTest, PlainBodyExportHoldsTheHeaderKeysAndEveryLine) {
    EXPECT_TRUE(Module->ExportBodyToExcelPlain(Main(), Body(), nullptr));
    EXPECT_EQ(Main()->RecNo(), 1); // the header it stood on
    const TReadBook book = ReadBack(NativePath(Path));
    ASSERT_TRUE(book.Error.empty()) << book.Error;
    ExpectRows(book);
}

TEST_F(DoubleExportTest, BodyExportThroughTheSpreadsheetProgram) {
    SetClassRegistryFileName(std::string(KVR_BINARY_DIR) + "/data/classes.ini");
    EXPECT_TRUE(Module->ExportBodyToExcel(Main(), Body(), true, nullptr));
    EXPECT_EQ(Main()->RecNo(), 1);
    const TReadBook book = ReadBack(NativePath(Path));
    ASSERT_TRUE(book.Error.empty()) << book.Error;
    ExpectRows(book);
}

// Without formats the lines' numbers go out in the general format, so the spreadsheet still reads
// them as numbers rather than as texts.
TEST_F(DoubleExportTest, BodyExportWithoutFormatsKeepsNumbersInTheGeneralFormat) {
    SetClassRegistryFileName(std::string(KVR_BINARY_DIR) + "/data/classes.ini");
    EXPECT_TRUE(Module->ExportBodyToExcel(Main(), Body(), false, nullptr));
    const TReadBook book = ReadBack(NativePath(Path));
    ASSERT_TRUE(book.Error.empty()) << book.Error;
    ExpectRows(book);
}

} // namespace
