#include <gtest/gtest.h>

#include "classlib/controls/menus.h"
#include "classlib/graphics/bitmap.h"
#include "classlib/objects/formloader.h"

namespace {

class TMenuHost : public TComponent {
    KVR_CLASS(TMenuHost, TComponent)
public:
    explicit TMenuHost(TComponent* owner = nullptr) : TComponent(owner) {}
    void SaveClick(TObject* sender) { Clicked.push_back(static_cast<TMenuItem*>(sender)->Name()); }
    std::vector<AnsiString> Clicked;
};

} // namespace

KVR_PUBLISHED(TMenuHost, c) {
    c.Method("SaveClick", &TMenuHost::SaveClick);
}

namespace {

// Receives the events of the tests.
struct TRecorder : TObject {
    int clicks = 0;
    int draws = 0;
    bool selected = false;
    void Hit(TObject*) { ++clicks; }
    void Draw(TObject*, TCanvas*, TRect, bool sel) { ++draws, selected = sel; }
    void Measure(TObject*, TCanvas*, int& w, int& h) { w = 99, h = 33; }
};

TEST(MenuItems, HotkeyOfACaption) {
    EXPECT_EQ(GetHotkey("Save &as"), 'A');
    EXPECT_EQ(GetHotkey("A && B"), 0);
    EXPECT_EQ(GetHotkey(""), 0);
}

TEST(MenuItems, TreeRadioGroupsAndShortCuts) {
    TMenuHost host;
    auto* menu = new TMainMenu(&host);
    auto* file = new TMenuItem(&host);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* save = new TMenuItem(&host);
    save->SetShortCut(scCtrl | 'S');
    file->Add(save);
    auto* hidden = new TMenuItem(&host);
    hidden->SetShortCut(scCtrl | 'H');
    hidden->SetVisible(false);
    file->Add(hidden);
    TRecorder counter;
    int& saves = counter.clicks;
    save->SetOnClick(TNotifyEvent(&counter, &TRecorder::Hit));

    EXPECT_TRUE(menu->IsShortCut(scCtrl | 'S'));
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(menu->IsShortCut(scCtrl | 'H')); // hidden items do not answer
    save->SetEnabled(false);
    EXPECT_FALSE(menu->IsShortCut(scCtrl | 'S'));
    file->SetEnabled(true);
    save->SetEnabled(true);
    file->SetVisible(false); // nor do the items of a hidden parent
    EXPECT_FALSE(menu->IsShortCut(scCtrl | 'S'));
    file->SetVisible(true);
    EXPECT_EQ(menu->FindAccelItem('f'), file);
    EXPECT_EQ(save->GetParentMenu(), menu);
    EXPECT_THROW(menu->Items()->Add(save), EMenuError);
    EXPECT_THROW(save->Add(file), EMenuError);

    // Radio items: one checked per group under one parent.
    auto* view = new TMenuItem(&host);
    menu->Items()->Add(view);
    TMenuItem* radios[3];
    for (int i = 0; i < 3; ++i) {
        radios[i] = new TMenuItem(&host);
        radios[i]->SetRadioItem(true);
        radios[i]->SetGroupIndex(i < 2 ? 1 : 2);
        view->Add(radios[i]);
    }
    radios[0]->SetChecked(true);
    radios[2]->SetChecked(true);
    radios[1]->SetChecked(true);
    EXPECT_FALSE(radios[0]->Checked());
    EXPECT_TRUE(radios[1]->Checked());
    EXPECT_TRUE(radios[2]->Checked()); // another group keeps its check

    view->Delete(0);
    EXPECT_EQ(view->Count(), 2);
    EXPECT_EQ(radios[2]->MenuIndex(), 1);
    radios[2]->SetMenuIndex(0);
    EXPECT_EQ(view->Items(0), radios[2]);
    EXPECT_THROW(view->Items(5), EMenuError);
}

TEST(MenuItems, OwnerDrawCallsTheHandlersOnlyWhenTheMenuAsks) {
    TMainMenu menu(nullptr);
    auto* item = new TMenuItem(nullptr);
    item->SetCaption("Item");
    menu.Items()->Add(item);
    TRecorder drawer;
    item->SetOnDrawItem(TMenuDrawItemEvent(&drawer, &TRecorder::Draw));
    item->SetOnMeasureItem(TMenuMeasureItemEvent(&drawer, &TRecorder::Measure));
    TBitmap bitmap;
    bitmap.SetSize(100, 20);
    int w = 0, h = 0;
    item->MeasureItem(bitmap.Canvas(), w, h);
    EXPECT_NE(w, 99);
    item->DrawItem(bitmap.Canvas(), {0, 0, 100, 20}, true);
    EXPECT_EQ(drawer.draws, 0);
    EXPECT_EQ(bitmap.Canvas()->Pixel(1, 1), ColorToRGB(clHighlight));
    menu.SetOwnerDraw(true);
    item->MeasureItem(bitmap.Canvas(), w, h);
    EXPECT_EQ(w, 99);
    EXPECT_EQ(h, 33);
    item->DrawItem(bitmap.Canvas(), {0, 0, 100, 20}, true);
    EXPECT_EQ(drawer.draws, 1);
    EXPECT_TRUE(drawer.selected);
}

TEST(MenuItems, ReadFromAFormStreamWithTheirHandlers) {
    TMenuHost host;
    ReadComponentFromText(&host, R"(object Host: TMenuHost
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object Save1: TMenuItem
        Caption = '&Save'
        ShortCut = 16467
        OnClick = SaveClick
      end
    end
  end
end
)");
    auto* menu = static_cast<TMainMenu*>(host.FindComponent("MainMenu1"));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->Items()->Count(), 1);
    TMenuItem* file = menu->Items()->Items(0);
    ASSERT_EQ(file->Count(), 1);
    EXPECT_EQ(file->Items(0)->Name(), "Save1");
    EXPECT_TRUE(menu->IsShortCut(scCtrl | 'S'));
    EXPECT_EQ(host.Clicked, std::vector<AnsiString>{"Save1"});
    // And written back with the same tree.
    AnsiString text = WriteComponentToText(&host);
    EXPECT_NE(text.find("object Save1: TMenuItem"), AnsiString::npos);
}

TEST(PopupMenus, PopupAsksTheHandlerAndClicksTheAnswer) {
    TPopupMenu popup(nullptr);
    auto* item = new TMenuItem(nullptr);
    popup.Items()->Add(item);
    TRecorder counter;
    int& clicks = counter.clicks;
    item->SetOnClick(TNotifyEvent(&counter, &TRecorder::Hit));
    static TMenuItem* answer;
    answer = item;
    SetPopupHandler([](TPopupMenu*, int, int) { return answer; });
    popup.Popup(10, 20);
    SetPopupHandler(nullptr);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(popup.PopupPoint(), (TPoint{10, 20}));
    popup.Popup(0, 0);
    EXPECT_EQ(clicks, 1);
}

} // namespace

#include "classlib/controls/forms.h"
#include "classlib/controls/stdctrls.h"

namespace {

TEST(MenuShortCuts, AKeyOnTheFormReachesItsMenuItem) {
    auto* form = new TForm(Application);
    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    menu->Items()->Add(file);
    auto* save = new TMenuItem(form);
    save->SetName("miSave");
    save->SetShortCut(ShortCut('S', TShiftState{ssCtrl}));
    file->Add(save);
    TRecorder rec;
    save->SetOnClick(TNotifyEvent(&rec, &TRecorder::Hit));
    form->SetMenuComponent(menu);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    form->Show();
    edit->SetFocus();
    PressKey(edit, 'S', TShiftState{ssCtrl});
    EXPECT_EQ(rec.clicks, 1);
    EXPECT_EQ(edit->Text(), ""); // the key went to the menu, not into the edit
    PressKey(edit, 'S', TShiftState{});
    EXPECT_EQ(rec.clicks, 1);
    // A user's click on the item, by name.
    UserClick(form, "miSave");
    EXPECT_EQ(rec.clicks, 2);
    form->Free();
}

} // namespace
