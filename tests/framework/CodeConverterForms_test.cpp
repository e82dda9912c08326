// A document form's controls under a BIG5 user interface: the code converter over the suite's labelled
// edits and combo boxes and the class library's list view, seen in the form's dump.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/controls/comctrls.h"
#include "classlib/rtl/codepages.h"
#include "components/QvComboBox.h"
#include "components/QvDBComboBox.h"
#include "components/QvDBEdit.h"
#include "components/SelectPnl.h"
#include "foundation/CodeConverter.h"
#include "foundation/TempPlatform.h"

namespace {

AnsiString Big5(const WideString& text) {
    return WideToAnsi(text, 950);
}

class CodeConverterFormsTest : public TempPlatform {
protected:
    void SetUp() override {
        TempPlatform::SetUp();
        SetPlatformKey({{"ClientPath", "C:\\Veltrane\\"}});
        WriteFile("C:\\Veltrane\\VeltraneC.ini", "[CodePage]\r\nUICodePage=950\r\nDBCodePage=936\r\n");
        FForm = std::make_unique<TForm>(nullptr);
    }
    void TearDown() override {
        FForm.reset();
        TempPlatform::TearDown();
    }
    template <class T> T* Add(const char* name, const char* caption) {
        auto* control = new T(FForm.get());
        control->SetName(name);
        control->SetParent(FForm.get());
        control->SetCaption(caption);
        return control;
    }
    std::unique_ptr<TForm> FForm;
};

TEST_F(CodeConverterFormsTest, LabelsOfTheLabelledControlsAreConvertedOnceTheirTextsNot) {
    auto* edit = Add<TQvDBEdit>("edBank", "开证银行");
    auto* button = Add<TQvBtnDBEdit>("edSupplier", "供应商");
    auto* combo = Add<TQvComboBox>("cbKind", "单据类别");
    auto* dbCombo = Add<TQvDBComboBox>("cbCurrency", "币别");
    edit->SetText("银行");
    combo->Items()->Add("全部");
    TCodeConverter converter(nullptr);
    converter.ConvertForm(FForm.get());

    EXPECT_EQ(edit->EditLabel()->Caption(), Big5(u"開證銀行"));
    EXPECT_EQ(button->EditLabel()->Caption(), Big5(u"供應商"));
    EXPECT_EQ(combo->EditLabel()->Caption(), Big5(u"單據類別"));
    EXPECT_EQ(dbCombo->EditLabel()->Caption(), Big5(u"幣別"));
    EXPECT_EQ(edit->Text(), "银行"); // what the field holds stays the program's
    EXPECT_EQ(combo->Items()->Get(0), Big5(u"全部"));
    const AnsiString dump = DumpControl(FForm.get());
    EXPECT_NE(dump.find(Big5(u"開證銀行")), AnsiString::npos) << dump;
    EXPECT_EQ(dump.find("开证银行"), AnsiString::npos) << dump;
}

TEST_F(CodeConverterFormsTest, ListViewColumnsItemsAndSubItemsAreConverted) {
    auto* list = new TListView(FForm.get());
    list->SetName("lvLines");
    list->SetParent(FForm.get());
    list->Columns()->Add()->SetCaption("品名");
    list->Columns()->Add()->SetCaption("金额");
    TListItem* item = list->Items()->Add();
    item->SetCaption("钢材");
    item->SubItems()->Add("美元");
    item->SubItems()->Add("备注"); // beyond the columns: stays
    TCodeConverter converter(nullptr);
    converter.ConvertForm(FForm.get());

    EXPECT_EQ(list->Columns()->Items(0)->Caption(), Big5(u"品名"));
    EXPECT_EQ(list->Columns()->Items(1)->Caption(), Big5(u"金額"));
    EXPECT_EQ(item->Caption(), Big5(u"鋼材"));
    EXPECT_EQ(item->SubItems()->Get(0), Big5(u"美元"));
    EXPECT_EQ(item->SubItems()->Get(1), "备注");
    const AnsiString dump = DumpControl(FForm.get());
    EXPECT_NE(dump.find(Big5(u"鋼材") + " | " + Big5(u"美元")), AnsiString::npos) << dump;
}

TEST_F(CodeConverterFormsTest, SelectPanelWordsHintWordAndValuesAreConverted) {
    auto* panel = new TSelectPanel(FForm.get());
    panel->SetName("spDate");
    panel->SetParent(FForm.get());
    panel->Items()->Add()->SetCaption("钢材");
    TCodeConverter converter(nullptr);
    converter.ConvertForm(FForm.get());
    EXPECT_EQ(panel->BeginWords()->Get(0), Big5(u"起"));
    EXPECT_EQ(panel->FinalWords()->Get(1), Big5(u"止"));
    EXPECT_EQ(panel->HintWord(), Big5(u"區間選擇"));
    EXPECT_EQ(panel->Items()->Item(0)->Caption(), Big5(u"鋼材"));
    EXPECT_EQ(panel->BeginLabel()->Caption(), Big5(u"起")); // the labels follow their words
}

} // namespace
