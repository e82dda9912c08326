// The control half of the helpers: list boxes and the last controls of detail pages.
#include <gtest/gtest.h>

#include "classlib/controls/comctrls.h"
#include "classlib/controls/forms.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/objects/stringlist.h"
#include "foundation/LibVCLs.h"

namespace {

class LibVCLsControlsTest : public ::testing::Test {
protected:
    LibVCLsControlsTest() {
        Form = new TForm(Application);
        Pages = new TPageControl(Form);
        Pages->SetParent(Form);
        Pages->SetBounds(0, 0, 300, 200);
    }
    ~LibVCLsControlsTest() override { Form->Free(); }
    TTabSheet* AddPage(const AnsiString& name) {
        auto* sheet = new TTabSheet(Form);
        sheet->SetName(name);
        sheet->SetPageControl(Pages);
        return sheet;
    }
    TEdit* AddEdit(TWinControl* parent, const AnsiString& name, int tabOrder) {
        auto* edit = new TEdit(Form);
        edit->SetName(name);
        edit->SetParent(parent);
        edit->SetTabOrder(tabOrder);
        return edit;
    }
    TForm* Form;
    TPageControl* Pages;
};

TEST_F(LibVCLsControlsTest, LastControlOfEachCountedPage) {
    TTabSheet* a = AddPage("tsA");
    TTabSheet* b = AddPage("tsB");
    TTabSheet* udf = AddPage("TbsUDF");
    TTabSheet* browse = AddPage("tbsbrowse");
    AddEdit(a, "edA1", 0);
    TEdit* a2 = AddEdit(a, "edA2", 1);
    AddEdit(b, "edB1", 0);
    AddEdit(b, "edB2", 1)->SetEnabled(false); // not enabled: not a candidate
    TEdit* hidden = AddEdit(b, "edB3", 2);
    hidden->SetVisible(false);
    AddEdit(udf, "edUDF", 0);
    AddEdit(browse, "edBrowse", 0);
    AddEdit(Form, "edOutside", 9);

    TStringList names;
    TWinControl* last = a2;
    CollectPageLastControls(Pages, &names, last);
    EXPECT_EQ(names.CommaText(), "edA2,edB1");
    EXPECT_EQ(last->Name(), "edB1");

    // Without a browse page the user-field page is the last one and is left out just the same.
    browse->SetPageControl(nullptr);
    names.Clear();
    CollectPageLastControls(Pages, &names, last);
    EXPECT_EQ(names.CommaText(), "edA2,edB1");
    CollectPageLastControls<TPageControl>(nullptr, &names, last);
    EXPECT_EQ(last, nullptr);
}

TEST_F(LibVCLsControlsTest, MoreThanSixteenPagesDoNotFail) {
    for (int i = 0; i < 20; ++i)
        AddEdit(AddPage("ts" + std::to_string(i)), "ed" + std::to_string(i), 0);
    TStringList names;
    TWinControl* last = nullptr;
    CollectPageLastControls(Pages, &names, last);
    EXPECT_EQ(names.Count(), 16);
    EXPECT_EQ(last->Name(), "ed15");
}

TEST_F(LibVCLsControlsTest, SelectedItemsAreCopiedOnce) {
    auto* source = new TListBox(Form);
    source->SetParent(Form);
    source->SetMultiSelect(true);
    auto* target = new TListBox(Form);
    target->SetParent(Form);
    source->Items()->SetCommaText("A,B,C");
    target->Items()->SetCommaText("B");
    source->SetSelected(1, true);
    source->SetSelected(2, true);
    CopySelectedItems(source, target);
    EXPECT_EQ(target->Items()->CommaText(), "B,C");
    CopySelectedItems(source, target);
    EXPECT_EQ(target->Items()->CommaText(), "B,C");
    CopySelectedItems<TListBox>(nullptr, target);
}

} // namespace
