#include "foundation/CodeConverter.h"

#include <gtest/gtest.h>

#include <memory>

#include "classlib/controls/button.h"
#include "classlib/controls/comctrls.h"
#include "classlib/controls/grids.h"
#include "classlib/controls/menus.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/objects/collection.h"
#include "classlib/objects/formloader.h"
#include "classlib/objects/rtti.h"
#include "classlib/rtl/codepages.h"
#include "foundation/TempPlatform.h"

namespace {

// A status bar with its panels, registered under the class library's names while the controls layer
// has none, so that a form stream can hold one and the converter finds its panels by type name.
class TTestStatusPanel : public TCollectionItem {
    KVR_CLASS(TTestStatusPanel, TCollectionItem)
public:
    explicit TTestStatusPanel(TCollection* collection) : TCollectionItem(collection) {}
    const AnsiString& Text() const { return FText; }
    void SetText(const AnsiString& value) { FText = value; }

private:
    AnsiString FText;
};

class TTestStatusPanels : public TCollection {
    KVR_CLASS(TTestStatusPanels, TCollection)
public:
    TTestStatusPanels() : TCollection(TTestStatusPanel::StaticClass()) {}
};

class TTestStatusBar : public TWinControl {
    KVR_CLASS(TTestStatusBar, TWinControl)
public:
    explicit TTestStatusBar(TComponent* owner) : TWinControl(owner) {}
    TTestStatusPanels* Panels() const { return FPanels.get(); }
    void SetPanels(TTestStatusPanels* value) { FPanels->Assign(value); }

private:
    std::unique_ptr<TTestStatusPanels> FPanels = std::make_unique<TTestStatusPanels>();
};

TClass TTestStatusPanel::StaticClass() {
    static const TClass info = kvr_detail::BuildClass<TTestStatusPanel>("TStatusPanel");
    return info;
}
void TTestStatusPanel::DeclarePublished(TClassBuilder<TTestStatusPanel>& c) {
    c.Property("Text", &TTestStatusPanel::Text, &TTestStatusPanel::SetText);
}
TClass TTestStatusPanels::StaticClass() {
    static const TClass info = kvr_detail::BuildClass<TTestStatusPanels>("TStatusPanels");
    return info;
}
void TTestStatusPanels::DeclarePublished(TClassBuilder<TTestStatusPanels>&) {}
TClass TTestStatusBar::StaticClass() {
    static const TClass info = kvr_detail::BuildClass<TTestStatusBar>("TStatusBar");
    return info;
}
void TTestStatusBar::DeclarePublished(TClassBuilder<TTestStatusBar>& c) {
    c.Property("Panels", &TTestStatusBar::Panels, &TTestStatusBar::SetPanels);
}

// Lines as a memo has them (the class library's memo is not used here: its constructor downcasts
// before the object is a memo, which the sanitizers stop).
class TConverterTestNotes : public TGraphicControl {
    KVR_CLASS(TConverterTestNotes, TGraphicControl)
public:
    explicit TConverterTestNotes(TComponent* owner) : TGraphicControl(owner) {}
    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* value) { FLines->Assign(value); }

private:
    std::unique_ptr<TStringList> FLines = std::make_unique<TStringList>();
};
KVR_PUBLISHED(TConverterTestNotes, c) {
    c.Property("Lines", &TConverterTestNotes::Lines, &TConverterTestNotes::SetLines);
}

// A control of the tree view's class name, known to the converter by that name alone.
class TTestTreeView : public TCustomControl {
    KVR_CLASS(TTestTreeView, TCustomControl)
public:
    explicit TTestTreeView(TComponent* owner) : TCustomControl(owner) {}
};
TClass TTestTreeView::StaticClass() {
    static const TClass info = kvr_detail::BuildClass<TTestTreeView>("TTreeView");
    return info;
}
void TTestTreeView::DeclarePublished(TClassBuilder<TTestTreeView>&) {}

// A string grid of the aligned grid's class name, whose conversion nobody registered.
class TTestAlignGrid : public TStringGrid {
    KVR_CLASS(TTestAlignGrid, TStringGrid)
public:
    explicit TTestAlignGrid(TComponent* owner) : TStringGrid(owner) {}
};
TClass TTestAlignGrid::StaticClass() {
    static const TClass info = kvr_detail::BuildClass<TTestAlignGrid>("TStringAlignGrid");
    return info;
}
void TTestAlignGrid::DeclarePublished(TClassBuilder<TTestAlignGrid>&) {}

void EnsureStatusBarClass() {
    if (!GetClass("TStatusBar")) RegisterClass(TTestStatusBar::StaticClass());
}

// BIG5 texts are written in UTF-16 and encoded here; narrow literals are GB.
AnsiString Big5(const WideString& text) {
    return WideToAnsi(text, 950);
}

const AnsiString kClient = "C:\\Veltrane\\";

const char* const kFormText = "object frmLC: TForm\r\n"
                              "  Caption = '信用证开立'\r\n"
                              "  Hint = '开立信用证'\r\n"
                              "  object lblBank: TLabel\r\n"
                              "    Caption = '开证银行'\r\n"
                              "    Hint = '银行名称'\r\n"
                              "  end\r\n"
                              "  object btnSave: TButton\r\n"
                              "    Caption = '保存'\r\n"
                              "    Hint = '保存单据'\r\n"
                              "  end\r\n"
                              "  object lblHintNote: TLabel\r\n"
                              "    Caption = '说明'\r\n"
                              "    Hint = '单据说明'\r\n"
                              "  end\r\n"
                              "  object cbKind: TComboBox\r\n"
                              "    Style = csDropDownList\r\n"
                              "    Items.Strings = (\r\n"
                              "      '全部'\r\n"
                              "      '已确认'\r\n"
                              "      '未确认')\r\n"
                              "    ItemIndex = 1\r\n"
                              "  end\r\n"
                              "  object cbBank: TComboBox\r\n"
                              "    Items.Strings = (\r\n"
                              "      '银行')\r\n"
                              "  end\r\n"
                              "  object lbCurrency: TListBox\r\n"
                              "    Items.Strings = (\r\n"
                              "      '人民币'\r\n"
                              "      '美元')\r\n"
                              "  end\r\n"
                              "  object mmoNote: TConverterTestNotes\r\n"
                              "    Lines.Strings = (\r\n"
                              "      '说明'\r\n"
                              "      '单据')\r\n"
                              "  end\r\n"
                              "  object sbMain: TStatusBar\r\n"
                              "    Panels = <\r\n"
                              "      item\r\n"
                              "        Text = '浏览'\r\n"
                              "      end\r\n"
                              "      item\r\n"
                              "        Text = '新增'\r\n"
                              "      end>\r\n"
                              "  end\r\n"
                              "  object edtBank: TEdit\r\n"
                              "  end\r\n"
                              "  object grdLines: TStringGrid\r\n"
                              "  end\r\n"
                              "  object mnuMain: TMainMenu\r\n"
                              "    object miFile: TMenuItem\r\n"
                              "      Caption = '单据'\r\n"
                              "      object miSave: TMenuItem\r\n"
                              "        Caption = '保存'\r\n"
                              "        Hint = '保存单据'\r\n"
                              "      end\r\n"
                              "    end\r\n"
                              "  end\r\n"
                              "  object pmGrid: TPopupMenu\r\n"
                              "    object miDelete: TMenuItem\r\n"
                              "      Caption = '删除'\r\n"
                              "    end\r\n"
                              "  end\r\n"
                              "end\r\n";

// A client installation whose INI file names the code pages, on a system of the given code page.
class CodeConverterTest : public TempPlatform {
protected:
    void SetUp() override {
        TempPlatform::SetUp();
        EnsureStatusBarClass();
    }

    void TearDown() override {
        FForm.reset();
        TempPlatform::TearDown();
    }

    void Configure(const char* uiCodePage, const char* dbCodePage, unsigned systemCodePage = 936) {
        SetACP(systemCodePage);
        SetPlatformKey({{"ClientPath", kClient}});
        WriteFile(kClient + "VeltraneC.ini", AnsiString("[CodePage]\r\nUICodePage=") + uiCodePage +
                                                 "\r\nDBCodePage=" + dbCodePage + "\r\n");
    }

    TForm* LoadForm() {
        FForm = std::make_unique<TForm>(nullptr);
        ReadComponentFromText(FForm.get(), kFormText);
        Find<TEdit>("edtBank")->SetText("银行");
        auto* grid = Find<TStringGrid>("grdLines");
        grid->SetColCount(2);
        grid->SetRowCount(2);
        grid->SetCells(0, 0, "金额");
        grid->SetCells(1, 1, "LC-01 银行");
        return FForm.get();
    }

    template <class T> T* Find(const char* name) {
        auto* component = dynamic_cast<T*>(FForm->FindComponent(name));
        EXPECT_NE(component, nullptr) << name;
        return component;
    }

    AnsiString PanelText(int index) {
        auto* panels = dynamic_cast<TCollection*>(GetObjectProp(FForm->FindComponent("sbMain"), "Panels"));
        return GetStrProp(panels->Items(index), "Text");
    }

    std::unique_ptr<TForm> FForm;
};

TEST_F(CodeConverterTest, ModesAndTranslatorFollowTheConfiguration) {
    struct Case {
        const char* UI;
        const char* DB;
        unsigned System;
        Byte UIMode;
        Byte DBMode;
        bool Translator;
    };
    const Case cases[] = {
        {"936", "936", 936, 0, 0, false},
        {"950", "936", 936, 2, 2, true},
        {"950", "950", 950, 2, 0, true},
        {"936", "950", 950, 4, 1, true},
        {"936", "936", 950, 4, 0, true},
        // A GB user interface over a BIG5 database converts its values even on a GB system.
        {"936", "950", 936, 0, 1, true},
    };
    for (const Case& c : cases) {
        Configure(c.UI, c.DB, c.System);
        TCodeConverter converter(nullptr);
        SCOPED_TRACE(AnsiString(c.UI) + "/" + c.DB + " on " + std::to_string(c.System));
        EXPECT_EQ(converter.UICodePage(), c.UI);
        EXPECT_EQ(converter.DBCodePage(), c.DB);
        EXPECT_EQ(converter.UIConvertMode(), c.UIMode);
        EXPECT_EQ(converter.DBConvertMode(), c.DBMode);
        EXPECT_EQ(converter.Translator() != nullptr, c.Translator);
        EXPECT_EQ(converter.DesignType(), dtClient);
    }
}

// Texts of both code pages, ASCII among them, and a character outside GB2312 that BIG5 holds too.
struct RoundTripTexts {
    AnsiString GB;
    AnsiString BIG5;
};
const RoundTripTexts& Texts() {
    static const RoundTripTexts texts{"LC-2026/001 信用证 浏览 金额 100.00 珺 银行 (OK)",
                                      Big5(u"LC-2026/001 信用證 瀏覽 金額 100.00 珺 銀行 (OK)")};
    return texts;
}

TEST_F(CodeConverterTest, UserInterfaceInBig5ConvertsBothWaysWithoutLoss) {
    Configure("950", "936");
    TCodeConverter converter(nullptr);
    const auto& [gb, big5] = Texts();
    EXPECT_EQ(converter.ProgramToUI(gb).AsString(), big5);
    EXPECT_EQ(converter.UIToProgram(big5).AsString(), gb);
    EXPECT_EQ(converter.DBToUI(gb).AsString(), big5);
    EXPECT_EQ(converter.UIToDB(big5).AsString(), gb);
    EXPECT_EQ(converter.UIToProgram(converter.ProgramToUI(gb)).AsString(), gb);
    EXPECT_EQ(converter.ProgramToUI(converter.UIToProgram(big5)).AsString(), big5);
    EXPECT_EQ(converter.UIToDB(converter.DBToUI(gb)).AsString(), gb);
    EXPECT_EQ(converter.DBToUI(converter.UIToDB(big5)).AsString(), big5);
    // ASCII and empty texts pass unchanged.
    EXPECT_EQ(converter.ProgramToUI("Amount: 12.50").AsString(), "Amount: 12.50");
    EXPECT_EQ(converter.UIToDB("").AsString(), "");
}

TEST_F(CodeConverterTest, GBUserInterfaceOverBig5DatabaseConvertsItsValues) {
    for (unsigned system : {936u, 950u}) {
        SCOPED_TRACE(system);
        Configure("936", "950", system);
        TCodeConverter converter(nullptr);
        const auto& [gb, big5] = Texts();
        EXPECT_EQ(converter.UIToDB(gb).AsString(), big5);
        EXPECT_EQ(converter.DBToUI(big5).AsString(), gb);
        EXPECT_EQ(converter.DBToUI(converter.UIToDB(gb)).AsString(), gb);
        // The user interface is GB: program texts are shown as they are.
        EXPECT_EQ(converter.ProgramToUI(gb).AsString(), gb);
        EXPECT_EQ(converter.UIToProgram(gb).AsString(), gb);
    }
}

TEST_F(CodeConverterTest, WithoutTranslatorEveryValueComesBackAsItIs) {
    Configure("936", "936");
    TCodeConverter converter(nullptr);
    const auto& [gb, big5] = Texts();
    for (Byte direction : {0, 1, 2, 4}) {
        EXPECT_EQ(converter.ConvertVariant(direction, gb).AsString(), gb);
        EXPECT_EQ(VarType(converter.ConvertVariant(direction, Variant(12))), varInteger);
    }
    EXPECT_EQ(converter.UIToDB(big5).AsString(), big5);
    EXPECT_EQ(converter.GBToBig5(gb), gb);
}

TEST_F(CodeConverterTest, VariantsAndArraysAreConvertedElementByElement) {
    Configure("950", "936");
    TCodeConverter converter(nullptr);
    // A number becomes its text; empty and null stay.
    Variant twelve = converter.ProgramToUI(Variant(12));
    EXPECT_TRUE(VarIsStr(twelve));
    EXPECT_EQ(twelve.AsString(), "12");
    EXPECT_TRUE(VarIsNull(converter.ProgramToUI(Null())));
    EXPECT_TRUE(VarIsEmpty(converter.ProgramToUI(Variant())));
    // Other directions copy.
    EXPECT_EQ(VarType(converter.ConvertVariant(3, Variant(12))), varInteger);

    // One dimension with a nested row, a number and a null (which is not turned into '').
    Variant row =
        VarArrayOf({Variant("银行"), VarArrayOf({Variant("金额"), Variant(5)}), Variant(7), Null()});
    Variant shown = converter.ProgramToUI(row);
    ASSERT_EQ(VarArrayDimCount(shown), 1);
    EXPECT_EQ(shown.GetElement({0}).AsString(), Big5(u"銀行"));
    Variant nested = shown.GetElement({1});
    ASSERT_TRUE(VarIsArray(nested));
    EXPECT_EQ(nested.GetElement({0}).AsString(), Big5(u"金額"));
    EXPECT_EQ(nested.GetElement({1}).AsString(), "5");
    EXPECT_EQ(shown.GetElement({2}).AsString(), "7");
    EXPECT_TRUE(VarIsNull(shown.GetElement({3})));
    EXPECT_EQ(converter.UIToProgram(shown).GetElement({0}).AsString(), "银行");

    // Two dimensions with bounds that do not start at 0, as a server's rows come.
    Variant rows = VarArrayCreate({1, 2, 0, 1}, varVariant);
    rows.PutElement({1, 0}, Variant("信用证"));
    rows.PutElement({1, 1}, Variant(3.5));
    rows.PutElement({2, 0}, Null());
    rows.PutElement({2, 1}, Variant("浏览"));
    Variant shownRows = converter.DBToUI(rows);
    ASSERT_EQ(VarArrayDimCount(shownRows), 2);
    EXPECT_EQ(VarArrayLowBound(shownRows, 1), 1);
    EXPECT_EQ(shownRows.GetElement({1, 0}).AsString(), Big5(u"信用證"));
    EXPECT_EQ(shownRows.GetElement({1, 1}).AsString(), "3.5");
    EXPECT_TRUE(VarIsNull(shownRows.GetElement({2, 0})));
    Variant back = converter.UIToDB(shownRows);
    EXPECT_EQ(back.GetElement({1, 0}).AsString(), "信用证");
    EXPECT_EQ(back.GetElement({2, 1}).AsString(), "浏览");

    // Three dimensions are left alone.
    Variant cube = VarArrayCreate({0, 0, 0, 0, 0, 0}, varVariant);
    cube.PutElement({0, 0, 0}, Variant("银行"));
    EXPECT_EQ(converter.ProgramToUI(cube).GetElement({0, 0, 0}).AsString(), "银行");
}

TEST_F(CodeConverterTest, FormForBig5InterfaceIsConvertedControlByControl) {
    Configure("950", "936");
    TForm* form = LoadForm();
    auto* converter = new TCodeConverter(form);
    auto* cbKind = Find<TComboBox>("cbKind");
    ASSERT_EQ(cbKind->ItemIndex(), 1);
    converter->ConvertForm(form);

    // The form's caption and hint are converted (a GB caption in a BIG5 interface reads as other
    // characters).
    EXPECT_EQ(form->Caption(), Big5(u"信用證開立"));
    EXPECT_EQ(form->Hint(), Big5(u"開立信用證"));
    // The caption bar draws the converted caption in the form's own font: BIG5 too.
    EXPECT_EQ(form->Font()->Charset(), CHINESEBIG5_CHARSET);
    struct Expect {
        const char* Name;
        const char16_t* Caption;
        const char16_t* Hint;
    };
    const Expect expected[] = {
        {"lblBank", u"開證銀行", u"銀行名稱"}, {"btnSave", u"保存", u"保存單據"}, {"miFile", u"單據", u""},
        {"miSave", u"保存", u"保存單據"},      {"miDelete", u"刪除", u""},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.Name);
        TComponent* component = form->FindComponent(e.Name);
        ASSERT_NE(component, nullptr);
        EXPECT_EQ(GetStrProp(component, "Caption"), Big5(e.Caption));
        EXPECT_EQ(GetStrProp(component, "Hint"), Big5(e.Hint));
    }
    auto* lblBank = Find<TLabel>("lblBank");
    EXPECT_EQ(lblBank->Font()->Name(), "SimSun");
    EXPECT_EQ(lblBank->Font()->Charset(), CHINESEBIG5_CHARSET);
    // What the user sees goes back to the program's text.
    EXPECT_EQ(converter->UIToProgram(lblBank->Caption()).AsString(), "开证银行");

    // Lists: items converted, the selection kept, combo and list boxes drawn by their owner.
    EXPECT_EQ(cbKind->Items()->Strings(1), Big5(u"已確認"));
    EXPECT_EQ(cbKind->ItemIndex(), 1);
    EXPECT_EQ(cbKind->Style(), csOwnerDrawFixed);
    auto* cbBank = Find<TComboBox>("cbBank");
    EXPECT_EQ(cbBank->Items()->Strings(0), Big5(u"銀行"));
    EXPECT_EQ(cbBank->Style(), csOwnerDrawFixed);
    EXPECT_EQ(cbBank->ItemIndex(), 0); // nothing was selected: the first item is
    auto* lbCurrency = Find<TListBox>("lbCurrency");
    EXPECT_EQ(lbCurrency->Items()->Text(), Big5(u"人民幣\r\n美元\r\n"));
    EXPECT_EQ(lbCurrency->Style(), lbOwnerDrawFixed);
    EXPECT_EQ(Find<TConverterTestNotes>("mmoNote")->Lines()->Text(), Big5(u"說明\r\n單據\r\n"));
    // An edit's text is data, not a caption: it stays.
    EXPECT_EQ(Find<TEdit>("edtBank")->Text(), "银行");
    EXPECT_EQ(PanelText(0), Big5(u"瀏覽"));
    EXPECT_EQ(PanelText(1), Big5(u"新增"));
    auto* grid = Find<TStringGrid>("grdLines");
    EXPECT_EQ(grid->Cells(0, 0), Big5(u"金額"));
    EXPECT_EQ(grid->Cells(1, 1), Big5(u"LC-01 銀行"));
    EXPECT_TRUE(Find<TMainMenu>("mnuMain")->OwnerDraw());
    EXPECT_TRUE(Find<TPopupMenu>("pmGrid")->OwnerDraw());
    EXPECT_EQ(Screen->HintFont()->Charset(), CHINESEBIG5_CHARSET);
}

TEST_F(CodeConverterTest, ShallowConversionLeavesGridsAlone) {
    Configure("950", "936");
    TForm* form = LoadForm();
    TCodeConverter converter(nullptr);
    converter.ConvertForm(form, "", false);
    EXPECT_EQ(Find<TStringGrid>("grdLines")->Cells(0, 0), "金额");
    EXPECT_EQ(Find<TLabel>("lblBank")->Caption(), Big5(u"開證銀行"));
}

TEST_F(CodeConverterTest, GBInterfaceOnBig5SystemKeepsTextsAndTakesGBFonts) {
    Configure("936", "936", 950);
    TForm* form = LoadForm();
    TCodeConverter converter(nullptr);
    ASSERT_EQ(converter.UIConvertMode(), 4);
    converter.ConvertForm(form);
    EXPECT_EQ(form->Caption(), Big5(u"信用證開立")); // the system's own caption bar is BIG5
    EXPECT_NE(form->Font()->Charset(), GB2312_CHARSET);
    auto* lblBank = Find<TLabel>("lblBank");
    EXPECT_EQ(lblBank->Caption(), "开证银行");
    EXPECT_EQ(lblBank->Hint(), "银行名称");
    EXPECT_EQ(lblBank->Font()->Name(), "SimSun");
    EXPECT_EQ(lblBank->Font()->Charset(), GB2312_CHARSET);
    EXPECT_EQ(Find<TComboBox>("cbKind")->Items()->Strings(1), "已确认");
    EXPECT_EQ(PanelText(0), "浏览");
    EXPECT_EQ(Find<TStringGrid>("grdLines")->Cells(0, 0), "金额");
    EXPECT_EQ(Find<TComboBox>("cbKind")->Style(), csOwnerDrawFixed);
}

TEST_F(CodeConverterTest, WithoutFormConversionTheFormStays) {
    // The database alone asks for a translator: the form is not touched.
    Configure("936", "950");
    TForm* form = LoadForm();
    TCodeConverter converter(nullptr);
    AnsiString fontName = Find<TLabel>("lblBank")->Font()->Name();
    converter.ConvertForm(form);
    converter.ConvertFormBy(form, VarArrayOf({Variant("lblBank")}));
    EXPECT_EQ(Find<TLabel>("lblBank")->Font()->Name(), fontName);
    EXPECT_EQ(Find<TLabel>("lblBank")->Caption(), "开证银行");
    EXPECT_FALSE(Find<TMainMenu>("mnuMain")->OwnerDraw());
    EXPECT_EQ(converter.ExceptList()->Count(), 0);
}

TEST_F(CodeConverterTest, ExceptionListKeepsNamedComponentsAndProperties) {
    Configure("950", "936");
    TForm* form = LoadForm();
    TCodeConverter converter(nullptr);
    auto* lblBank = Find<TLabel>("lblBank");
    AnsiString fontName = lblBank->Font()->Name();
    converter.ConvertFormBy(
        form, VarArrayOf({Variant("LBLBANK"), VarArrayOf({Variant("btnSave"), Variant("Caption")}),
                          VarArrayOf({Variant("lblHintNote"), Variant("Caption")})}));
    ASSERT_EQ(converter.ExceptList()->Count(), 3);

    // A name alone: nothing converted, and the font no longer follows the parent's.
    EXPECT_EQ(lblBank->Caption(), "开证银行");
    EXPECT_EQ(lblBank->Hint(), "银行名称");
    EXPECT_FALSE(lblBank->ParentFont());
    EXPECT_EQ(lblBank->Font()->Name(), fontName);
    // A name and a property: that property stays, the others are converted.
    auto* btnSave = Find<TButton>("btnSave");
    EXPECT_EQ(btnSave->Caption(), "保存");
    EXPECT_EQ(btnSave->Hint(), Big5(u"保存單據"));
    EXPECT_EQ(btnSave->Font()->Charset(), CHINESEBIG5_CHARSET);
    // The names are looked for anywhere in the entry: a component named with "Hint" keeps its hint.
    auto* lblHintNote = Find<TLabel>("lblHintNote");
    EXPECT_EQ(lblHintNote->Caption(), "说明");
    EXPECT_EQ(lblHintNote->Hint(), "单据说明");
    // Everything else as without a list.
    EXPECT_EQ(Find<TComboBox>("cbKind")->Items()->Strings(0), Big5(u"全部"));
}

TEST_F(CodeConverterTest, FlattenVariantMakesOneEntryPerComponent) {
    Configure("950", "936");
    TCodeConverter converter(nullptr);
    converter.FlattenVariant(
        VarArrayOf({Variant("edA"), VarArrayOf({Variant("edB"), Variant("Caption"), Variant("Hint")}),
                    Variant("edC")}),
        false);
    EXPECT_EQ(converter.ExceptList()->Text(), "edA\r\nedB\x03"
                                              "Caption\x03Hint\r\nedC\r\n");
    converter.ExceptList()->Clear();
    converter.FlattenVariant(VarArrayOf({Variant("edD"), Variant("Lines")}), true);
    EXPECT_EQ(converter.ExceptList()->Text(), "edD\x03Lines\r\n");
    converter.ExceptList()->Clear();
    converter.FlattenVariant(Variant(""), false); // none
    EXPECT_EQ(converter.ExceptList()->Count(), 0);
}

TEST_F(CodeConverterTest, RegisteredClassConversionRunsForItsClassInTheChain) {
    Configure("950", "936");
    TForm* form = LoadForm();
    auto* treeView = new TTestTreeView(form);
    treeView->SetName("tvLines");
    treeView->SetCaption("银行");
    std::vector<std::pair<AnsiString, int>> calls;
    RegisterClassConversion(TreeViewClassName,
                            [&](TCodeConverter& converter, TComponent* component, Byte direction) {
                                calls.emplace_back(component->Name(), direction);
                                EXPECT_EQ(converter.ConvertString(direction, "银行"), Big5(u"銀行"));
                            });
    TCodeConverter converter(nullptr);
    converter.ConvertForm(form);
    UnRegisterClassConversion(TreeViewClassName);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, "tvLines");
    EXPECT_EQ(calls[0].second, 2);
    // The common steps ran for it as well.
    EXPECT_EQ(treeView->Caption(), Big5(u"銀行"));
    EXPECT_TRUE(ClassIsNamed(treeView, "TCustomControl"));
    EXPECT_FALSE(ClassIsNamed(Find<TStringGrid>("grdLines"), StringAlignGridClassName));
}

// Without a registered conversion a class of a known name is not taken as converted: an aligned grid
// then converts as the string grid it is.
TEST_F(CodeConverterTest, AClassWithoutItsConversionConvertsAsWhatElseItIs) {
    Configure("950", "936");
    TForm* form = LoadForm();
    auto* grid = new TTestAlignGrid(form);
    grid->SetName("agLines");
    grid->SetCells(0, 0, "金额");
    TCodeConverter converter(nullptr);
    converter.ConvertForm(form);
    EXPECT_EQ(grid->Cells(0, 0), Big5(u"金額"));
}

TEST_F(CodeConverterTest, SetFontCharsetByMode) {
    struct Case {
        Byte Mode;
        const char* Name;
        TFontCharset Charset;
    };
    const Case cases[] = {{0, "SimSun", GB2312_CHARSET},      {1, "SimSun", GB2312_CHARSET},
                          {4, "SimSun", GB2312_CHARSET},      {2, "SimSun", CHINESEBIG5_CHARSET},
                          {3, "SimSun", CHINESEBIG5_CHARSET}, {5, "Arial", ANSI_CHARSET}};
    for (const Case& c : cases) {
        TFont font;
        font.SetName("Arial");
        font.SetCharset(ANSI_CHARSET);
        TCodeConverter::SetFontCharset(c.Mode, &font);
        EXPECT_EQ(font.Name(), c.Name) << int(c.Mode);
        EXPECT_EQ(font.Charset(), c.Charset) << int(c.Mode);
    }
    TCodeConverter::SetFontCharset(2, nullptr);
}

TEST_F(CodeConverterTest, MessageDlgOverTheOwnerForm) {
    Configure("950", "936");
    TForm* form = LoadForm();
    auto* converter = new TCodeConverter(form);
    Application->ClearDialogs();
    EXPECT_EQ(converter->MessageDlg("", mtInformation, {mbOK}), 0);
    EXPECT_TRUE(Application->Dialogs().empty());

    form->SetWindowState(wsMinimized);
    TQueuedDriver driver;
    driver.Answer("Yes");
    TModalDriverScope scope(&driver);
    EXPECT_EQ(converter->MessageDlg(Big5(u"確認"), mtConfirmation, {mbYes, mbNo}), mrYes);
    ASSERT_EQ(Application->Dialogs().size(), 1u);
    const TDialogRecord& record = Application->Dialogs()[0];
    // The system is GB: room is left after the text.
    EXPECT_EQ(record.Text, Big5(u"確認") + "      ");
    EXPECT_EQ(record.Caption, form->Caption());
    EXPECT_EQ(form->WindowState(), wsNormal);
}

TEST_F(CodeConverterTest, FormStreamHoldsTheConverter) {
    Configure("936", "936");
    TForm form(nullptr);
    ReadComponentFromText(&form, "object frmQV: TForm\r\n"
                                 "  object QvConverter: TCodeConverter\r\n"
                                 "    DesignType = dtServer\r\n"
                                 "  end\r\n"
                                 "end\r\n");
    auto* converter = dynamic_cast<TCodeConverter*>(form.FindComponent("QvConverter"));
    ASSERT_NE(converter, nullptr);
    EXPECT_EQ(converter->DesignType(), dtServer);
}

} // namespace
