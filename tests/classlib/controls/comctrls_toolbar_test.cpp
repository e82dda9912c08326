// Tool bars (button styles, drop-down menus, wrapping) and list views in report style.
#include <gtest/gtest.h>

#include "classlib/controls/comctrls.h"
#include "classlib/controls/menus.h"

namespace {

struct TRecorder : TObject {
    std::vector<AnsiString> Events;
    void Click(TObject* sender) { Events.push_back("click " + static_cast<TComponent*>(sender)->Name()); }
    void Select(TObject*, TListItem* item, bool selected) {
        Events.push_back((selected ? "select " : "unselect ") + item->Caption());
    }
};

class ToolBarTest : public ::testing::Test {
protected:
    ToolBarTest() {
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 300, 200);
        Bar = new TToolBar(Form);
        Bar->SetParent(Form);
    }
    ~ToolBarTest() override {
        SetPopupHandler(nullptr);
        Form->Free();
    }
    TToolButton* Add(const char* name, TToolButtonStyle style) {
        auto* button = new TToolButton(Form);
        button->SetName(name);
        button->SetStyle(style);
        button->SetParent(Bar);
        button->SetOnClick(TNotifyEvent(&Rec, &TRecorder::Click));
        return button;
    }
    TForm* Form;
    TToolBar* Bar;
    TRecorder Rec;
};

TEST_F(ToolBarTest, ButtonsArePlacedInOrderAndWrap) {
    auto* a = Add("tbA", tbsButton);
    auto* sep = Add("tbSep", tbsSeparator);
    auto* b = Add("tbB", tbsDropDown);
    EXPECT_EQ(Bar->Align(), alTop);
    EXPECT_EQ(a->BoundsRect(), (TRect{0, 0, 23, 22}));
    EXPECT_EQ(sep->Left(), 23);
    EXPECT_EQ(sep->Width(), 8);
    EXPECT_EQ(b->Left(), 31);
    EXPECT_EQ(b->Width(), 23 + 12);
    a->SetWrap(true);
    EXPECT_EQ(sep->Top(), 22);
    EXPECT_EQ(sep->Left(), 0);
    a->SetWrap(false);
    // A narrow wrapping bar starts a new row where a button would not fit.
    Bar->SetAlign(alNone);
    Bar->SetWidth(40);
    EXPECT_EQ(b->Top(), 22);
    Bar->SetWrapable(false);
    EXPECT_EQ(b->Top(), 0);
    EXPECT_EQ(Bar->ButtonCount(), 3);
    EXPECT_EQ(b->Index(), 2);
}

TEST_F(ToolBarTest, CheckGroupsAndDropDownMenus) {
    auto* c1 = Add("tbC1", tbsCheck);
    auto* c2 = Add("tbC2", tbsCheck);
    c1->SetGrouped(true);
    c2->SetGrouped(true);
    auto* drop = Add("tbDrop", tbsDropDown);
    Form->Show();
    c1->MouseClickAt(3, 3);
    EXPECT_TRUE(c1->Down());
    c2->MouseClickAt(3, 3);
    EXPECT_TRUE(c2->Down());
    EXPECT_FALSE(c1->Down());
    c2->MouseClickAt(3, 3); // a grouped button stays down without AllowAllUp
    EXPECT_TRUE(c2->Down());
    auto* menu = new TPopupMenu(Form);
    auto* item = new TMenuItem(Form);
    item->SetName("miFirst");
    item->SetOnClick(TNotifyEvent(&Rec, &TRecorder::Click));
    menu->Items()->Add(item);
    drop->SetDropdownMenu(menu);
    static TMenuItem* answer;
    answer = item;
    SetPopupHandler([](TPopupMenu*, int, int) { return answer; });
    Rec.Events.clear();
    drop->MouseClickAt(drop->Width() - 4, 5); // the arrow
    drop->MouseClickAt(4, 5);                 // the button
    EXPECT_EQ(Rec.Events, (std::vector<AnsiString>{"click miFirst", "click tbDrop"}));
    EXPECT_EQ(menu->PopupComponent(), drop);
    EXPECT_EQ(menu->PopupPoint(), drop->ClientToScreen({0, drop->Height()}));
}

TEST_F(ToolBarTest, ListViewReportRowsAndSelection) {
    auto* view = new TListView(Form);
    view->SetParent(Form);
    view->SetTop(40);
    view->SetViewStyle(vsReport);
    view->Columns()->Add()->SetCaption("No");
    view->Columns()->Add()->SetCaption("Name");
    for (const char* s : {"1", "2", "3"}) {
        TListItem* item = view->Items()->Add();
        item->SetCaption(s);
        item->SubItems()->Add(AnsiString("Item ") + s);
    }
    view->SetOnSelectItem(TLVSelectItemEvent(&Rec, &TRecorder::Select));
    EXPECT_EQ(view->Selected(), nullptr);
    EXPECT_EQ(view->ItemIndex(), -1);
    Form->Show();
    TRect row = view->ItemRect(1);
    view->MouseClickAt(row.Left + 5, row.Top + 2);
    EXPECT_EQ(view->ItemIndex(), 1);
    view->SetItemIndex(2);
    EXPECT_EQ(view->Selected()->Caption(), "3");
    EXPECT_EQ(view->SelCount(), 1);
    EXPECT_EQ(Rec.Events, (std::vector<AnsiString>{"select 2", "unselect 2", "select 3"}));
    AnsiString dump = DumpControl(view);
    EXPECT_NE(dump.find("* 3 | Item 3"), AnsiString::npos) << dump;
    view->Items()->Delete(2);
    EXPECT_EQ(view->Selected(), nullptr);
    EXPECT_EQ(view->Items()->Item(5), nullptr);
}

} // namespace
