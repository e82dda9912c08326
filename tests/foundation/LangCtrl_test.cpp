#include "foundation/LangCtrl.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <vector>

#include "TempPlatform.h"
#include "classlib/controls/forms.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/objects/collection.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"

namespace {

// ---- small component classes standing in for forms, controls and grids ----

class TLangTestFont : public TPersistent {
    KVR_CLASS(TLangTestFont, TPersistent)
public:
    AnsiString Name = "Arial";
    int Size = 9;
};

class TLangTestTitle : public TPersistent {
    KVR_CLASS(TLangTestTitle, TPersistent)
public:
    AnsiString Caption;
};

class TLangTestColumn : public TCollectionItem {
    KVR_CLASS(TLangTestColumn, TCollectionItem)
public:
    explicit TLangTestColumn(TCollection* collection) : TCollectionItem(collection) {}
    ~TLangTestColumn() override { delete Title; }
    AnsiString Caption;
    TLangTestTitle* Title = new TLangTestTitle();
};

// A control with texts, a font, two string lists and a collection of columns.
class TLangTestWidget : public TComponent {
    KVR_CLASS(TLangTestWidget, TComponent)
public:
    explicit TLangTestWidget(TComponent* owner) : TComponent(owner) {
        for (int i = 0; i < 3; ++i)
            static_cast<TLangTestColumn*>(FColumns->Add())->Caption = "c" + std::to_string(i);
    }
    ~TLangTestWidget() override {
        delete FFont;
        delete FItems;
        delete FLines;
        delete FColumns;
    }
    AnsiString Caption;
    AnsiString Hint;
    int Width = 10;
    bool Visible = true;
    TLangTestFont* Font() const { return FFont; }
    TStrings* Items() const { return FItems; }
    TStrings* Lines() const { return FLines; }
    TCollection* Columns() const { return FColumns; }
    TLangTestColumn* Column(int i) const { return static_cast<TLangTestColumn*>(FColumns->Items(i)); }

private:
    TLangTestFont* FFont = new TLangTestFont();
    TStringList* FItems = new TStringList();
    TStringList* FLines = new TStringList();
    TCollection* FColumns = new TCollection(TLangTestColumn::StaticClass());
};

// The commercial library's data-aware combo box is recognised by the name of its class chain. This
// stand-in carries that name without entering the class registry, so the real class can join it later.
#define KVR_UNREGISTERED_CLASS(Name, Text)                                                                   \
    TClass Name::StaticClass() {                                                                             \
        static const TClass info = kvr_detail::BuildClass<Name>(Text);                                       \
        return info;                                                                                         \
    }                                                                                                        \
    void Name::DeclarePublished([[maybe_unused]] TClassBuilder<Name>& c)

class TLangTestDBComboBox : public TComboBox {
    KVR_CLASS(TLangTestDBComboBox, TComboBox)
public:
    explicit TLangTestDBComboBox(TComponent* owner) : TComboBox(owner) {}
};

// Reads, while the stream loads, whether the controller it names is open.
class TLangTestProbe : public TComponent {
    KVR_CLASS(TLangTestProbe, TComponent)
public:
    explicit TLangTestProbe(TComponent* owner) : TComponent(owner) {}
    AnsiString Controller() const { return FController; }
    void SetController(const AnsiString& value) {
        FController = value;
        auto* controller = dynamic_cast<TLanguageController*>(Owner()->FindComponent(value));
        ActiveWhileLoading = controller && controller->Active();
        ControllerLoading = controller && controller->ComponentState().Contains(csLoading);
    }
    bool ActiveWhileLoading = true;
    bool ControllerLoading = false;

private:
    AnsiString FController;
};

class TLangTestRoot : public TComponent {
    KVR_CLASS(TLangTestRoot, TComponent)
public:
    explicit TLangTestRoot(TComponent* owner) : TComponent(owner) {}
};

} // namespace

KVR_PUBLISHED(TLangTestFont, c) {
    c.Property("Name", &TLangTestFont::Name);
    c.Property("Size", &TLangTestFont::Size);
}
KVR_PUBLISHED(TLangTestTitle, c) {
    c.Property("Caption", &TLangTestTitle::Caption);
}
KVR_PUBLISHED(TLangTestColumn, c) {
    c.Property("Caption", &TLangTestColumn::Caption);
    c.Property("Title", &TLangTestColumn::Title);
}
KVR_PUBLISHED(TLangTestWidget, c) {
    c.Property("Caption", &TLangTestWidget::Caption);
    c.Property("Hint", &TLangTestWidget::Hint);
    c.Property("Width", &TLangTestWidget::Width);
    c.Property("Visible", &TLangTestWidget::Visible);
    c.Property("Font", &TLangTestWidget::Font, nullptr);
    c.Property("Items", &TLangTestWidget::Items, nullptr);
    c.Property("Lines", &TLangTestWidget::Lines, nullptr);
    c.Property("Columns", &TLangTestWidget::Columns, nullptr);
}
KVR_UNREGISTERED_CLASS(TLangTestDBComboBox, "TwwDBCustomComboBox") {}
KVR_PUBLISHED(TLangTestProbe, c) {
    c.Property("Controller", &TLangTestProbe::Controller, &TLangTestProbe::SetController);
}
KVR_PUBLISHED(TLangTestRoot, c) {}

namespace {

xmldom::NodePtr ElementOf(xmldom::DocumentPtr& keep, const AnsiString& xml) {
    keep = CoDOMDocument::Create();
    EXPECT_TRUE(keep->loadXML(xml)) << keep->parseError()->reason();
    return keep->documentElement();
}

AnsiString Big5(const char* utf8) {
    return WideToAnsi(Utf8ToWide(utf8), 950);
}

// Everything a language file could change on a widget, in one line.
AnsiString StateOf(const TLangTestWidget& w) {
    AnsiString s = w.Caption + "|" + w.Hint + "|" + std::to_string(w.Width) + "|" + (w.Visible ? "T" : "F") +
                   "|" + w.Font()->Name + "/" + std::to_string(w.Font()->Size) + "|" +
                   w.Items()->CommaText() + "|" + w.Lines()->CommaText() + "|";
    for (int i = 0; i < w.Columns()->Count(); ++i)
        s += w.Column(i)->Caption + "/" + w.Column(i)->Title->Caption + ",";
    return s;
}

class LangFileTest : public TempPlatform {
protected:
    const AnsiString kClient = "C:\\Veltrane\\";

    // A client installation whose user interface runs in codePage; the language folder when asked.
    void Install(const char* codePage, const char* langDir) {
        SetPlatformKey({{"ClientPath", kClient}});
        WriteFile(kClient + "VeltraneC.ini", AnsiString("[CodePage]\r\nUICodePage=") + codePage + "\r\n");
        if (langDir) {
            ASSERT_TRUE(ForceDirectories(kClient + "MultiLanguage\\" + langDir));
        }
    }
    AnsiString LangFile(const AnsiString& className) const {
        return kClient + "MultiLanguage\\CHT\\" + className + ".Lng";
    }
};

} // namespace

// ---- folders and messages ----

TEST(LangDirTest, CodePagesNameTheirFolders) {
    EXPECT_EQ(CodePageLangDir("936"), "CHS");
    EXPECT_EQ(CodePageLangDir("950"), "CHT");
    EXPECT_EQ(CodePageLangDir("437"), "ENG");
    for (const char* other : {"1252", "", " 950", "9500"})
        EXPECT_EQ(CodePageLangDir(other), "") << other;
}

TEST_F(LangFileTest, TheLanguageFolderFollowsTheUserInterfaceCodePage) {
    Install("950", "CHT");
    EXPECT_EQ(GetLangDir(dtClient), kClient + "MultiLanguage\\CHT\\");
    EXPECT_EQ(LangFile("TfrmBase"), GetLangDir(dtClient) + "TfrmBase.Lng");
    // A code page without a folder of its own, a folder that is missing, no server installation.
    Install("1252", nullptr);
    EXPECT_EQ(GetLangDir(dtClient), "");
    Install("936", nullptr);
    EXPECT_EQ(GetLangDir(dtClient), "");
    EXPECT_EQ(GetLangDir(dtServer), "");

    SetPlatformKey({{"ServerPath", "D:\\Server"}});
    WriteFile("D:\\Server\\VeltraneS.ini", "[CodePage]\r\nUICodePage=437\r\n");
    ASSERT_TRUE(ForceDirectories("D:\\Server\\MultiLanguage\\ENG"));
    EXPECT_EQ(GetLangDir(dtServer), "D:\\Server\\MultiLanguage\\ENG\\");
}

// The settings are kept between language texts once their files have settled: what changes later is
// still seen at the next text, in the settings file and in the registry alike.
TEST_F(LangFileTest, TheLanguageFolderFollowsSettingsChangedAfterTheyWereKept) {
    Install("950", "CHT");
    ASSERT_TRUE(ForceDirectories(kClient + "MultiLanguage\\CHS"));
    const auto settle = [] { usleep(150000); }; // past the file clock's tick, so that the reading is kept
    settle();
    EXPECT_EQ(GetLangDir(dtClient), kClient + "MultiLanguage\\CHT\\");
    EXPECT_EQ(GetLangDir(dtClient), kClient + "MultiLanguage\\CHT\\");

    WriteFile(kClient + "VeltraneC.ini", "[CodePage]\r\nUICodePage=936\r\n");
    EXPECT_EQ(GetLangDir(dtClient), kClient + "MultiLanguage\\CHS\\");
    settle();
    EXPECT_EQ(GetLangDir(dtClient), kClient + "MultiLanguage\\CHS\\");

    const AnsiString other = "C:\\Other\\";
    WriteFile(other + "VeltraneC.ini", "[CodePage]\r\nUICodePage=437\r\n");
    ASSERT_TRUE(ForceDirectories(other + "MultiLanguage\\ENG"));
    settle();
    SetPlatformKey({{"ClientPath", other}});
    EXPECT_EQ(GetLangDir(dtClient), other + "MultiLanguage\\ENG\\");
}

TEST_F(LangFileTest, GetLangMessageReadsTheMessageElseTheDefault) {
    Install("950", "CHT");
    WriteFile(LangFile("TfrmBase"),
              u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
              u8"<frmBase Caption=\"基礎\"><Msgs><sNoRecord Msg=\"沒有資料\"/></Msgs>"
              u8"<sNoMsg Text=\"x\"/><sTwice Msg=\"第一\"/><sTwice Msg=\"第二\"/></frmBase>");
    WriteFile(LangFile("TfrmBroken"), "<frmBroken><sNoRecord Msg=\"x\"></frmBroken>");
    struct Case {
        const char* className;
        const char* msgId;
        AnsiString expected;
    };
    const Case cases[] = {
        {"TfrmBase", "sNoRecord", "沒有資料"}, // wherever the element stands
        {"TfrmBase", "sTwice", "第一"},
        {"TfrmBase", "sAbsent", "默认"},
        {"TfrmBase", "sNoMsg", "默认"},       // an element without Msg
        {"TfrmBase", "frmBase", "默认"},      // the document element has no Msg either
        {"TfrmMissing", "sNoRecord", "默认"}, // no file
        {"TfrmBroken", "sNoRecord", "默认"},  // no XML
        {"TfrmBase", "sNoRecord|//sTwice", "默认"},
        {"TfrmBase", "", "默认"},
        {"..\\TfrmBase", "sNoRecord", "默认"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetLangMessage(dtClient, c.className, c.msgId, "默认"), c.expected)
            << c.className << " " << c.msgId;
    // The file is read at each call.
    WriteFile(LangFile("TfrmBase"), "<frmBase><sAbsent Msg=\"now\"/></frmBase>");
    EXPECT_EQ(GetLangMessage(dtClient, "TfrmBase", "sAbsent", "默认"), "now");
}

// ---- the property-path grammar ----

TEST(LangPathTest, AttributeNamesArePropertyPaths) {
    SetACP(936);
    const AnsiString before = "||10|T|Arial/9|one|l0,l1|c0/,c1/,c2/,";
    struct Case {
        const char* name;
        const char* value;
        AnsiString expected;
    };
    const Case cases[] = {
        {"Caption", "确定", "确定||10|T|Arial/9|one|l0,l1|c0/,c1/,c2/,"},
        {"Width", "250", "||250|T|Arial/9|one|l0,l1|c0/,c1/,c2/,"},
        {"Visible", "False", "||10|F|Arial/9|one|l0,l1|c0/,c1/,c2/,"},
        {"Font.Name", "宋体", "||10|T|宋体/9|one|l0,l1|c0/,c1/,c2/,"},
        {"Font.Size", "12", "||10|T|Arial/12|one|l0,l1|c0/,c1/,c2/,"},
        {"Items_0", "全部", "||10|T|Arial/9|全部|l0,l1|c0/,c1/,c2/,"},
        {"Items_3", "三", "||10|T|Arial/9|one,,,三|l0,l1|c0/,c1/,c2/,"},
        {"items_1", "x", "||10|T|Arial/9|one,x|l0,l1|c0/,c1/,c2/,"},
        {"Lines_0", "备注", "||10|T|Arial/9|one|备注,l1|c0/,c1/,c2/,"},
        {"Columns.Items_2.Title.Caption", "金额", "||10|T|Arial/9|one|l0,l1|c0/,c1/,c2/金额,"},
        {"Columns.Items_1.Caption", "数量", "||10|T|Arial/9|one|l0,l1|c0/,数量/,c2/,"},
        {"COLUMNS.ITEMS_0.CAPTION", "A", "||10|T|Arial/9|one|l0,l1|A/,c1/,c2/,"},
        // A leading part with "_" that is no Items/Columns index ends the walk as the last part.
        {"Lines_1.Caption", "尾", "||10|T|Arial/9|one|l0,尾|c0/,c1/,c2/,"},
        // Nothing changes below: an index beyond the count stays on the collection (which has no
        // Caption); Columns_2 on what is not a list view takes Columns without the index; unknown
        // properties; indexes that are no numbers; a list line below an object; a text the property
        // cannot take; a list line far beyond any real list.
        {"Columns.Items_9.Caption", "x", before},
        {"Columns_2.Caption", "x", before},
        {"Colour", "x", before},
        {"Title.Caption", "x", before},
        {"Items_x", "x", before},
        {"Items_-1", "x", before},
        {"Items_abc.Caption", "x", before},
        {"Hint_0", "x", before},
        {"Font.Items_0", "x", before},
        {"Width", "wide", before},
        {"Items_99999999", "x", before},
        {"Font", "x", before},
    };
    for (const Case& c : cases) {
        TLangTestWidget widget(nullptr);
        widget.Items()->SetCommaText("one");
        widget.Lines()->SetCommaText("l0,l1");
        xmldom::DocumentPtr doc = CoDOMDocument::Create();
        xmldom::NodePtr element = doc->createElement("w");
        element->setAttribute(c.name, c.value);
        TComponentRead(&widget, element).ApplyAllAttributes();
        EXPECT_EQ(StateOf(widget), c.expected) << c.name;
    }
}

TEST(LangPathTest, AttributesApplyByIndexOrByName) {
    SetACP(936);
    xmldom::DocumentPtr doc;
    xmldom::NodePtr element = ElementOf(doc, "<w Caption=\"一\" Hint=\"二\" Width=\"3\"/>");
    TLangTestWidget widget(nullptr);
    TComponentRead reader(&widget, element);
    EXPECT_EQ(reader.GetComponent(), &widget);
    EXPECT_EQ(reader.GetNode(), element);
    reader.ApplyAttribute(Variant(1));
    EXPECT_EQ(StateOf(widget), "|二|10|T|Arial/9|||c0/,c1/,c2/,");
    reader.ApplyAttribute(Variant("Width"));
    reader.ApplyAttribute(Variant(3));     // no such index
    reader.ApplyAttribute(Variant(-1));    // no such index
    reader.ApplyAttribute(Variant("Tag")); // no such attribute
    reader.ApplyAttribute(Variant(0.0));   // neither an index nor a name
    reader.ApplyAttribute(Variant(true));
    EXPECT_EQ(StateOf(widget), "|二|3|T|Arial/9|||c0/,c1/,c2/,");
    reader.ApplyAttribute(Variant(static_cast<Int64>(0)));
    EXPECT_EQ(widget.Caption, "一");
}

TEST(LangPathTest, ComboBoxesKeepTheirSelectionWhileTheirItemsChange) {
    SetACP(936);
    xmldom::DocumentPtr doc;
    xmldom::NodePtr element = ElementOf(doc, "<cb Items_1=\"乙\" Items_5=\"第六\"/>");
    TComboBox combo(nullptr);
    combo.Items()->SetCommaText("a,b");
    combo.SetItemIndex(1);

    ILangReadPtr reader = TReaderFactory::CreateReader(&combo, element);
    ASSERT_TRUE(dynamic_cast<TCustomComboBoxRead*>(reader.get()));
    reader->ApplyAllAttributes();
    EXPECT_EQ(combo.Items()->CommaText(), "a,乙,,,,第六");
    EXPECT_EQ(combo.ItemIndex(), 1);
    EXPECT_EQ(combo.Text(), "乙"); // the selection set back shows the replaced item

    // The plain reader leaves the old text of the selected item showing.
    TComboBox plain(nullptr);
    plain.Items()->SetCommaText("a,b");
    plain.SetItemIndex(1);
    TComponentRead(&plain, element).ApplyAllAttributes();
    EXPECT_EQ(plain.Text(), "b");

    TLangTestDBComboBox dbCombo(nullptr);
    dbCombo.Items()->SetCommaText("a,b,c");
    dbCombo.SetItemIndex(2);
    reader = TReaderFactory::CreateReader(&dbCombo, element);
    ASSERT_TRUE(dynamic_cast<TwwDBCustomComboBoxRead*>(reader.get()));
    reader->ApplyAllAttributes();
    EXPECT_EQ(dbCombo.ItemIndex(), 2);
    EXPECT_EQ(dbCombo.Items()->CommaText(), "a,乙,c,,,第六");

    // No selection stays no selection.
    TComboBox none(nullptr);
    none.Items()->SetCommaText("a");
    TReaderFactory::CreateReader(&none, element)->ApplyAllAttributes();
    EXPECT_EQ(none.ItemIndex(), -1);

    TLangTestWidget widget(nullptr);
    reader = TReaderFactory::CreateReader(&widget, element);
    EXPECT_FALSE(dynamic_cast<TCustomComboBoxRead*>(reader.get()));
    EXPECT_FALSE(dynamic_cast<TwwDBCustomComboBoxRead*>(reader.get()));
}

// ---- a language file applied to a component tree ----

namespace {

class TLoadLog : public TObject {
public:
    void Before(TComponent* component, const xmldom::NodePtr& node) {
        Events.push_back("before " + component->Name() + "@" + node->nodeName());
    }
    void After(TComponent* component, const xmldom::NodePtr& node) {
        Events.push_back("after " + component->Name() + "@" + node->nodeName());
    }
    void Opened(TObject*) { Events.push_back("opened"); }
    void Closed(TObject*) { Events.push_back("closed"); }
    void Opening(TObject*) { Events.push_back("opening"); }
    void Closing(TObject*) { Events.push_back("closing"); }
    std::vector<AnsiString> Events;
};

// A form with a panel holding two controls, a control it owns directly and its controller.
struct TLangTree {
    TForm* Module = new TForm(nullptr);
    TLangTestWidget* Panel = new TLangTestWidget(Module);
    TLangTestWidget* Edit = new TLangTestWidget(Panel);
    TLangTestWidget* Grid = new TLangTestWidget(Panel);
    TLangTestWidget* Label = new TLangTestWidget(Module);
    TQvLangController* Controller = new TQvLangController(Module);
    TLangTree() {
        Module->SetName("dmLang");
        Panel->SetName("pnlHead");
        Edit->SetName("edtName");
        Grid->SetName("grdLines");
        Label->SetName("lblTitle");
        Controller->SetName("LangController");
    }
    ~TLangTree() { delete Module; }
};

} // namespace

TEST_F(LangFileTest, ALanguageFileAppliesToTheRootAndEveryNamedComponent) {
    Install("950", "CHT");
    WriteFile(LangFile("TdmLang"),
              u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
              u8"<Root Caption=\"資料模組\">"
              u8"  <Group><edtName Caption=\"名稱\" Font.Name=\"細明體\" Lines_1=\"第二\"/></Group>"
              u8"  <grdLines Columns.Items_0.Title.Caption=\"數量\"/>"
              u8"  <edtName Caption=\"第二個不用\" Hint=\"第二個不用\"/>"
              u8"  <pnlHead Hint=\"不套用\"/>"
              u8"  <EDTNAME Width=\"99\"/>"
              u8"  <sNoRecord Msg=\"沒有資料\"/>"
              u8"</Root>");
    TLangTree tree;
    TLoadLog log;
    tree.Controller->SetLangPackageName("TdmLang");
    EXPECT_EQ(tree.Controller->FileName(), LangFile("TdmLang"));
    tree.Controller->SetBeforeLoadComponent(TLoadComponentEvent(&log, &TLoadLog::Before));
    tree.Controller->SetAfterLoadComponent(TLoadComponentEvent(&log, &TLoadLog::After));
    tree.Controller->ExcludeControls()->SetCommaText("\" PNLhead \",lblOther");
    tree.Controller->SetActive(true);
    ASSERT_TRUE(tree.Controller->Active());

    SetACP(950);
    tree.Controller->GetActiveLangReader()->ReadComponent(tree.Module);
    EXPECT_EQ(tree.Module->Caption(), Big5(u8"資料模組"));
    EXPECT_EQ(tree.Edit->Caption, Big5(u8"名稱")); // the first element only, wherever it stands
    EXPECT_EQ(tree.Edit->Hint, "");
    EXPECT_EQ(tree.Edit->Width, 10); // element names keep their case
    EXPECT_EQ(tree.Edit->Font()->Name, Big5(u8"細明體"));
    EXPECT_EQ(tree.Edit->Lines()->CommaText(), "," + Big5(u8"第二"));
    EXPECT_EQ(tree.Grid->Column(0)->Title->Caption, Big5(u8"數量"));
    EXPECT_EQ(tree.Panel->Hint, ""); // excluded, but what it owns is read
    SetACP(936);
    const std::vector<AnsiString> expected{"before dmLang@Root",       "after dmLang@Root",
                                           "before edtName@edtName",   "after edtName@edtName",
                                           "before grdLines@grdLines", "after grdLines@grdLines"};
    EXPECT_EQ(log.Events, expected);

    // The root also takes an element named like itself, after the document element.
    log.Events.clear();
    tree.Controller->XML()->SetText("<Root Caption=\"一\"><dmLang Caption=\"二\"/></Root>");
    tree.Controller->SetActive(true);
    tree.Controller->GetActiveLangReader()->ReadComponent(tree.Module);
    EXPECT_EQ(tree.Module->Caption(), "二");
    EXPECT_EQ(log.Events[0], "before dmLang@Root");
    EXPECT_EQ(log.Events[2], "before dmLang@dmLang");
}

TEST_F(LangFileTest, WhatIsNotAFormOrDataModuleTakesOnlyItsOwnElement) {
    TLangTestWidget root(nullptr); // a component that is neither
    root.SetName("pnlPlain");
    auto* edit = new TLangTestWidget(&root);
    edit->SetName("edtName");
    TQvLangController controller(nullptr);
    controller.XML()->SetText("<Root Caption=\"文档\"><edtName Caption=\"名称\" Hint=\"提示\"/></Root>");
    controller.SetActive(true);
    controller.GetActiveLangReader()->ReadComponent(&root);
    EXPECT_EQ(root.Caption, "");
    EXPECT_EQ(edit->Caption, "名称");
    EXPECT_EQ(edit->Hint, "提示");
}

TEST_F(LangFileTest, ExcludeControlsReachAnOpenReader) {
    Install("950", "CHT");
    TLangTree tree;
    tree.Controller->XML()->SetText("<r><edtName Caption=\"a\"/><lblTitle Caption=\"b\"/></r>");
    tree.Controller->SetActive(true);
    TStringList names;
    names.SetCommaText("lbltitle");
    tree.Controller->SetExcludeControls(&names);
    EXPECT_EQ(tree.Controller->GetActiveLangReader()->ExcludeControls()->CommaText(), "lbltitle");
    tree.Controller->ExcludeControls()->Add("edtName");
    tree.Controller->GetActiveLangReader()->ReadComponent(tree.Module);
    EXPECT_EQ(tree.Edit->Caption, "");
    EXPECT_EQ(tree.Label->Caption, "");
    tree.Controller->SetExcludeControls(nullptr);
    tree.Controller->GetActiveLangReader()->ReadComponent(tree.Module);
    EXPECT_EQ(tree.Edit->Caption, "a");
    EXPECT_EQ(tree.Label->Caption, "b");
}

// ---- the controller's states ----

TEST_F(LangFileTest, OpeningAFileThatIsNotThereOrIsNoXmlRaisesAndStaysClosed) {
    Install("950", "CHT");
    WriteFile(LangFile("TfrmBroken"), "<frmBroken><edtName></frmBroken>");
    TQvLangController controller(nullptr);
    TLoadLog log;
    controller.SetAfterOpen(TNotifyEvent(&log, &TLoadLog::Opened));
    struct Case {
        const char* package;
        AnsiString message;
    };
    const Case cases[] = {
        {nullptr, "Cannot Find File !"},
        {"TfrmMissing", "Cannot Find File " + LangFile("TfrmMissing") + "!"},
        {"TfrmBroken", ""}, // the parser's reason
    };
    for (const Case& c : cases) {
        if (c.package) controller.SetLangPackageName(c.package);
        try {
            controller.SetActive(true);
            ADD_FAILURE() << "opened " << controller.FileName();
        } catch (const LanguageControllerError& e) {
            if (c.message.empty())
                EXPECT_FALSE(e.Message().empty());
            else
                EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_FALSE(controller.Active());
        EXPECT_THROW(controller.GetActiveLangReader(), LanguageControllerError);
    }
    EXPECT_TRUE(log.Events.empty());
    try {
        controller.GetActiveLangReader();
    } catch (const LanguageControllerError& e) {
        EXPECT_EQ(e.Message(), "No active LanguageController!");
    }
}

TEST_F(LangFileTest, FileNameAndInlineTextReplaceEachOtherAndClose) {
    Install("950", "CHT");
    WriteFile(LangFile("TfrmA"), "<frmA/>");
    TQvLangController controller(nullptr);
    TLoadLog log;
    controller.SetBeforeOpen(TNotifyEvent(&log, &TLoadLog::Opening));
    controller.SetAfterOpen(TNotifyEvent(&log, &TLoadLog::Opened));
    controller.SetBeforeClose(TNotifyEvent(&log, &TLoadLog::Closing));
    controller.SetAfterClose(TNotifyEvent(&log, &TLoadLog::Closed));

    controller.SetLangPackageName("TfrmA");
    controller.SetActive(true);
    controller.SetActive(true); // already open: nothing happens
    ASSERT_TRUE(controller.Active());
    // Inline text clears the file name and closes; opening reads the text.
    controller.XML()->SetText("<inline/>");
    EXPECT_EQ(controller.FileName(), "");
    EXPECT_FALSE(controller.Active());
    controller.SetActive(true);
    EXPECT_TRUE(controller.Active());
    // A new file name clears the text and closes.
    controller.SetFileName(LangFile("TfrmA"));
    EXPECT_EQ(controller.XML()->Count(), 0);
    EXPECT_FALSE(controller.Active());
    controller.SetActive(false); // already closed: nothing happens
    const std::vector<AnsiString> expected{"opening", "opened", "closing", "closed",
                                           "opening", "opened", "closing", "closed"};
    EXPECT_EQ(log.Events, expected);
}

TEST_F(LangFileTest, ActivationWaitsUntilTheFormStreamHasLoaded) {
    Install("950", "CHT");
    WriteFile(LangFile("TfrmLoad"), "<frmLoad><edtName Caption=\"from file\"/></frmLoad>");
    TLangTestRoot root(nullptr);
    ReadComponentFromText(&root, "object frmLoad: TLangTestRoot\r\n"
                                 "  object LangController: TQvLangController\r\n"
                                 "    Active = True\r\n"
                                 "    ExcludeControls.Strings = (\r\n"
                                 "      'lblOther')\r\n"
                                 "    LangPackageName = 'TfrmLoad'\r\n"
                                 "  end\r\n"
                                 "  object probe: TLangTestProbe\r\n"
                                 "    Controller = 'LangController'\r\n"
                                 "  end\r\n"
                                 "  object edtName: TLangTestWidget\r\n"
                                 "  end\r\n"
                                 "end\r\n");
    auto* controller = dynamic_cast<TQvLangController*>(root.FindComponent("LangController"));
    auto* probe = dynamic_cast<TLangTestProbe*>(root.FindComponent("probe"));
    ASSERT_TRUE(controller && probe);
    EXPECT_TRUE(probe->ControllerLoading);
    EXPECT_FALSE(probe->ActiveWhileLoading);
    // The file name set after Active in the stream does not cancel the request.
    ASSERT_TRUE(controller->Active());
    EXPECT_EQ(controller->GetActiveLangReader()->ExcludeControls()->CommaText(), "lblOther");
    controller->GetActiveLangReader()->ReadComponent(&root);
    EXPECT_EQ(static_cast<TLangTestWidget*>(root.FindComponent("edtName"))->Caption, "from file");

    // Inactive in the stream: stays closed after loading.
    TLangTestRoot other(nullptr);
    ReadComponentFromText(&other, "object frmOther: TLangTestRoot\r\n"
                                  "  object LangController: TQvLangController\r\n"
                                  "    LangPackageName = 'TfrmLoad'\r\n"
                                  "    DesignType = dtServer\r\n"
                                  "  end\r\n"
                                  "end\r\n");
    auto* closed = dynamic_cast<TQvLangController*>(other.FindComponent("LangController"));
    ASSERT_TRUE(closed);
    EXPECT_FALSE(closed->Active());
    EXPECT_EQ(closed->DesignType(), dtServer);
    EXPECT_EQ(closed->FileName(), LangFile("TfrmLoad")); // the design type of the moment: dtClient
}

// A request recorded in the stream for a file that is missing fails the load with the controller's
// message, and what the load created goes with it.
TEST_F(LangFileTest, AStreamedActivationOfAMissingFileFailsTheLoad) {
    Install("950", "CHT");
    TLangTestRoot root(nullptr);
    try {
        ReadComponentFromText(&root, "object frmLoad: TLangTestRoot\r\n"
                                     "  object LangController: TQvLangController\r\n"
                                     "    Active = True\r\n"
                                     "    LangPackageName = 'TfrmNone'\r\n"
                                     "  end\r\n"
                                     "end\r\n");
        ADD_FAILURE() << "loaded";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("Cannot Find File " + LangFile("TfrmNone") + "!"), AnsiString::npos)
            << e.ClassName() << ": " << e.Message();
    }
    EXPECT_EQ(root.ComponentCount(), 0);
}

// A data module takes the document element as a form does.
TEST_F(LangFileTest, ADataModuleTakesTheDocumentElement) {
    TDataModule module(nullptr);
    module.SetName("dmLang");
    auto* label = new TLangTestWidget(&module);
    label->SetName("lblTitle");
    TLoadLog log;
    TQvLangController controller(nullptr);
    controller.SetBeforeLoadComponent(TLoadComponentEvent(&log, &TLoadLog::Before));
    controller.XML()->SetText("<Root Tag=\"7\"><lblTitle Caption=\"标题\"/></Root>");
    controller.SetActive(true);
    controller.GetActiveLangReader()->ReadComponent(&module);
    EXPECT_EQ(module.Tag(), 7);
    EXPECT_EQ(label->Caption, "标题");
    const std::vector<AnsiString> expected{"before dmLang@Root", "before lblTitle@lblTitle"};
    EXPECT_EQ(log.Events, expected);
}
