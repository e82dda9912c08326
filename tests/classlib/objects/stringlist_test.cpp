#include <gtest/gtest.h>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/inifiles.h"
#include "testclasses.h"

namespace {
struct TChangeLog : public TObject {
    void Changing(TObject*) { log += "<"; }
    void Changed(TObject*) { log += ">"; }
    AnsiString log;
};

TStringList* ListOf(std::initializer_list<const char*> items) {
    auto* l = new TStringList;
    for (const char* s : items)
        l->Add(s);
    return l;
}
} // namespace

TEST(StringList, TextJoinsWithCrLfAndSplitsAnyBreak) {
    std::unique_ptr<TStringList> l(ListOf({"a", "", "b"}));
    EXPECT_EQ(l->Text(), "a\r\n\r\nb\r\n");
    l->SetText("x\ny\r\nz\rw\r\n");
    EXPECT_EQ(l->ToVector(), (std::vector<AnsiString>{"x", "y", "z", "w"}));
    l->SetText("");
    EXPECT_EQ(l->Count(), 0);
    l->SetText("\r\n");
    EXPECT_EQ(l->ToVector(), std::vector<AnsiString>{""});
}

TEST(StringList, CommaTextQuotesWhatNeedsIt) {
    struct Case {
        std::vector<AnsiString> items;
        const char* text;
    } cases[] = {
        {{"a", "b"}, "a,b"},
        {{"a b", "c"}, "\"a b\",c"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"x,y"}, "\"x,y\""},
        {{""}, "\"\""},
        {{"a", "", "b"}, "a,,b"},
        {{"浏览", "更改"}, "浏览,更改"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        TStringList l;
        l.SetStrings(c.items);
        EXPECT_EQ(l.CommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(back.ToVector(), c.items) << c.text;
    }
    TStringList l;
    l.SetCommaText(" a b ,c,");
    EXPECT_EQ(l.ToVector(), (std::vector<AnsiString>{"a", "b", "c", ""}));
    l.SetDelimiter(';');
    l.SetDelimitedText("p;\"q;r\"");
    EXPECT_EQ(l.ToVector(), (std::vector<AnsiString>{"p", "q;r"}));
    EXPECT_EQ(l.DelimitedText(), "p;\"q;r\"");
}

TEST(StringList, NamesAndValuesWithoutCase) {
    std::unique_ptr<TStringList> l(ListOf({"Key=1", "other=x=y", "noequals", "=empty"}));
    EXPECT_EQ(l->Names(0), "Key");
    EXPECT_EQ(l->Names(2), "");
    EXPECT_EQ(l->Values("KEY"), "1");
    EXPECT_EQ(l->Values("Other"), "x=y");
    EXPECT_EQ(l->Values("missing"), "");
    EXPECT_EQ(l->ValueFromIndex(1), "x=y");
    EXPECT_EQ(l->IndexOfName("OTHER"), 1);
    EXPECT_EQ(l->IndexOfName("noequals"), -1);
    l->SetValues("key", "2");
    EXPECT_EQ(l->Strings(0), "key=2");
    l->SetValues("new", "n");
    EXPECT_EQ(l->Strings(4), "new=n");
    l->SetValues("OTHER", "");
    EXPECT_EQ(l->IndexOfName("other"), -1);
    l->SetValueFromIndex(0, "3");
    EXPECT_EQ(l->Strings(0), "key=3");
}

TEST(StringList, IndexOfSortedAndDuplicates) {
    std::unique_ptr<TStringList> l(ListOf({"beta", "Alpha", "gamma"}));
    EXPECT_EQ(l->IndexOf("ALPHA"), 1);
    EXPECT_EQ(l->IndexOf("delta"), -1);
    l->SetCaseSensitive(true);
    EXPECT_EQ(l->IndexOf("ALPHA"), -1);
    l->SetCaseSensitive(false);
    l->SetSorted(true);
    EXPECT_EQ(l->ToVector(), (std::vector<AnsiString>{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(l->Add("BETA"), 1); // dupIgnore: the existing one
    EXPECT_EQ(l->Count(), 3);
    EXPECT_EQ(l->Add("Aardvark"), 0);
    int index;
    EXPECT_TRUE(l->Find("GAMMA", index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(l->Find("c", index));
    EXPECT_EQ(index, 3);
    l->SetDuplicates(dupError);
    try {
        l->Add("alpha");
        FAIL();
    } catch (const EStringListError& e) {
        EXPECT_STREQ(e.what(), "String list does not allow duplicates");
    }
    l->SetDuplicates(dupAccept);
    l->Add("alpha");
    EXPECT_EQ(l->Count(), 5);
    EXPECT_THROW(l->Insert(0, "x"), EStringListError);
    EXPECT_THROW(l->Strings(9), EStringListError);
}

TEST(StringList, ObjectsTravelWithTheirStrings) {
    TTestTimer a(nullptr), b(nullptr);
    TStringList l;
    l.AddObject("b", &b);
    l.AddObject("a", &a);
    l.SetSorted(true);
    EXPECT_EQ(l.Objects(0), &a);
    EXPECT_EQ(l.IndexOfObject(&b), 1);
    TStringList copy;
    copy.Assign(&l);
    EXPECT_EQ(copy.Objects(1), &b);
    l.Delete(0);
    EXPECT_EQ(l.Objects(0), &b);
}

TEST(StringList, ChangeEventsOncePerOutermostUpdate) {
    TChangeLog log;
    TStringList l;
    l.SetOnChanging(TNotifyEvent(&log, &TChangeLog::Changing));
    l.SetOnChange(TNotifyEvent(&log, &TChangeLog::Changed));
    l.Add("a");
    EXPECT_EQ(log.log, "<>");
    log.log.clear();
    l.BeginUpdate();
    l.BeginUpdate();
    l.Add("b");
    l.Delete(0);
    l.EndUpdate();
    EXPECT_EQ(log.log, "<");
    l.EndUpdate();
    EXPECT_EQ(log.log, "<>");
    log.log.clear();
    std::unique_ptr<TStringList> other(ListOf({"x", "y"}));
    l.Assign(other.get());
    EXPECT_EQ(log.log, "<>");
    EXPECT_EQ(l.Text(), "x\r\ny\r\n");
}

TEST(StringList, StreamsAndFiles) {
    std::unique_ptr<TStringList> l(ListOf({"浏览", "b"}));
    TMemoryStream s;
    l->SaveToStream(s);
    s.SetPosition(0);
    TStringList back;
    back.LoadFromStream(s);
    EXPECT_TRUE(back.Equals(*l));
    AnsiString file = ::testing::TempDir() + "strings_test.txt";
    l->SaveToFile(file);
    TStringList fromFile;
    fromFile.LoadFromFile(file);
    EXPECT_EQ(fromFile.Text(), "浏览\r\nb\r\n");
    std::remove(file.c_str());
    EXPECT_THROW(fromFile.LoadFromFile(file), EFOpenError);
    EXPECT_EQ(fromFile.Count(), 2); // left as it was
}

TEST(StringList, CustomSortAndMove) {
    std::unique_ptr<TStringList> l(ListOf({"10", "9", "100"}));
    l->CustomSort([](TStringList* list, int a, int b) {
        return std::stoi(list->Strings(a)) - std::stoi(list->Strings(b));
    });
    EXPECT_EQ(l->CommaText(), "9,10,100");
    l->Move(0, 2);
    EXPECT_EQ(l->CommaText(), "10,100,9");
    l->Exchange(0, 2);
    EXPECT_EQ(l->CommaText(), "9,100,10");
}

TEST(StringList, TakesTheListAnswersOfIniFiles) {
    AnsiString file = ::testing::TempDir() + "strings_test.ini";
    {
        TStringList lines;
        lines.SetText("[S]\r\nb=2\r\na=1\r\n[T]\r\nx=y\r\n");
        lines.SaveToFile(file);
    }
    TIniFile ini(file);
    TStringList keys;
    keys.Add("stale");
    ini.ReadSection("S", &keys);
    EXPECT_EQ(keys.CommaText(), "b,a");
    TStringList values;
    ini.ReadSectionValues("s", &values);
    EXPECT_EQ(values.Values("A"), "1");
    std::vector<AnsiString> sections;
    ini.ReadSections(sections);
    TStringList all;
    all.SetStrings(sections);
    EXPECT_EQ(all.CommaText(), "S,T");
    std::remove(file.c_str());
}
