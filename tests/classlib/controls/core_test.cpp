// Controls: geometry and alignment, inherited font, colour and hints, state messages, the text dump
// and the picture of a form, clipboard and captions.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "classlib/controls/clipbrd.h"
#include "classlib/graphics/glyphs.h"
#include "classlib/rtl/format.h"
#include "core_fixtures.h"

namespace {

class CoreTest : public ::testing::Test {
protected:
    TFormsCleanup Cleanup;
    TForm* Form = nullptr;
    void SetUp() override {
        Form = new TForm(Application);
        Form->SetName("frmCore");
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 200, 100);
    }
    template <class T> T* Add(const char* name, TWinControl* parent, TRect bounds, TAlign align = alNone) {
        auto* c = new T(Form);
        c->SetName(name);
        c->SetBoundsRect(bounds);
        c->SetAlign(align);
        c->SetParent(parent);
        return c;
    }
};

TEST_F(CoreTest, AlignedChildrenShareTheClientAreaInThePlatformsOrder) {
    // Declared out of order on purpose: the layout goes top, bottom, left, right, client, and along an
    // edge by position (aligning waits until all are in, as while a stream loads).
    Form->DisableAlign();
    auto* client = Add<TCustomControl>("client", Form, Rect(0, 0, 10, 10), alClient);
    auto* right = Add<TCustomControl>("right", Form, Rect(0, 0, 30, 10), alRight);
    auto* top2 = Add<TCustomControl>("top2", Form, Rect(0, 50, 10, 60), alTop);
    auto* top1 = Add<TCustomControl>("top1", Form, Rect(0, 0, 10, 20), alTop);
    auto* bottom = Add<TCustomControl>("bottom", Form, Rect(0, 0, 10, 15), alBottom);
    auto* left = Add<TCustomControl>("left", Form, Rect(0, 0, 40, 10), alLeft);
    Form->EnableAlign();
    struct TCase {
        TControl* Control;
        TRect Expected;
    } cases[] = {{top1, Rect(0, 0, 200, 20)},     {top2, Rect(0, 20, 200, 30)},
                 {bottom, Rect(0, 85, 200, 100)}, {left, Rect(0, 30, 40, 85)},
                 {right, Rect(170, 30, 200, 85)}, {client, Rect(40, 30, 170, 85)}};
    for (const auto& c : cases)
        EXPECT_EQ(c.Control->BoundsRect(), c.Expected) << c.Control->Name();
    // Resizing the parent lays them out again; a hidden one gives its room up.
    Form->SetBounds(0, 0, 300, 100);
    EXPECT_EQ(client->BoundsRect(), Rect(40, 30, 270, 85));
    top2->SetVisible(false);
    EXPECT_EQ(left->BoundsRect(), Rect(0, 20, 40, 85));
}

TEST_F(CoreTest, AnchorsKeepTheDistanceToTheEdgesTheyHold) {
    auto* fixed = Add<TCustomControl>("fixed", Form, Rect(10, 10, 50, 30));
    auto* right = Add<TCustomControl>("right", Form, Rect(150, 10, 190, 30));
    right->SetAnchors(TAnchors{akTop, akRight});
    auto* stretch = Add<TCustomControl>("stretch", Form, Rect(10, 40, 190, 90));
    stretch->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
    Form->SetBounds(0, 0, 260, 140);
    EXPECT_EQ(fixed->BoundsRect(), Rect(10, 10, 50, 30));
    EXPECT_EQ(right->BoundsRect(), Rect(210, 10, 250, 30));
    EXPECT_EQ(stretch->BoundsRect(), Rect(10, 40, 250, 130));
}

TEST_F(CoreTest, ClientAndScreenCoordinatesGoThroughTheParents) {
    Form->SetBorderStyle(bsSizeable);
    Form->SetBounds(100, 50, 300, 200);
    auto* panel = Add<TCustomControl>("panel", Form, Rect(10, 20, 110, 120));
    auto* inner = Add<TTestEdit>("inner", panel, Rect(5, 6, 50, 27));
    EXPECT_EQ(Form->ClientOrigin(), Point(4, 4 + CaptionHeight));
    TPoint screen = inner->ClientToScreen(Point(1, 2));
    EXPECT_EQ(screen, Point(100 + 4 + 10 + 5 + 1, 50 + 4 + CaptionHeight + 20 + 6 + 2));
    EXPECT_EQ(inner->ScreenToClient(screen), Point(1, 2));
    EXPECT_EQ(Form->ClientRect(), Rect(0, 0, 300 - 8, 200 - 8 - CaptionHeight));
    Form->SetClientWidth(100);
    EXPECT_EQ(Form->Width(), 108);
}

TEST_F(CoreTest, FontColourAndHintsFollowTheParentUntilSetOwn) {
    auto* panel = Add<TCustomControl>("panel", Form, Rect(0, 0, 100, 50));
    auto* edit = Add<TTestEdit>("edit", panel, Rect(0, 0, 50, 21));
    Form->Font()->SetHeight(-16);
    EXPECT_EQ(panel->Font()->Height(), -16);
    EXPECT_EQ(edit->Font()->Height(), -16);
    EXPECT_TRUE(edit->ParentFont());
    edit->Font()->SetName("Arial");
    EXPECT_FALSE(edit->ParentFont());
    Form->Font()->SetHeight(-20);
    EXPECT_EQ(panel->Font()->Height(), -20);
    EXPECT_EQ(edit->Font()->Height(), -16);
    edit->SetParentFont(true);
    EXPECT_EQ(edit->Font()->Height(), -20);

    Form->SetColor(clRed);
    EXPECT_EQ(panel->Color(), clRed);
    EXPECT_EQ(edit->Color(), clWindow); // the edit keeps its own window colour
    Form->SetShowHint(true);
    EXPECT_TRUE(edit->ShowHint());
    edit->SetShowHint(false);
    Form->SetShowHint(false);
    Form->SetShowHint(true);
    EXPECT_FALSE(edit->ShowHint());
}

TEST_F(CoreTest, StateChangesAreAnnouncedByMessagesOnce) {
    auto* edit = Add<TTestEdit>("edit", Form, Rect(0, 0, 50, 21));
    struct THook : TObject {
        TWndMethod Old;
        std::vector<Cardinal> Seen;
        void Proc(TMessage& m) {
            if (m.Msg >= CM_BASE && m.Msg < CN_BASE) Seen.push_back(m.Msg);
            Old(m);
        }
    } hook;
    hook.Old = edit->WindowProc();
    edit->SetWindowProc(TWndMethod(&hook, &THook::Proc));
    edit->SetEnabled(false);
    edit->SetEnabled(false);
    edit->SetVisible(false);
    edit->SetText("a");
    edit->SetText("a");
    edit->SetColor(clYellow);
    edit->SetCursor(crHourGlass);
    EXPECT_EQ(hook.Seen, (std::vector<Cardinal>{CM_ENABLEDCHANGED, CM_VISIBLECHANGED, CM_SHOWINGCHANGED,
                                                CM_TEXTCHANGED, CM_COLORCHANGED, CM_CURSORCHANGED}));
    edit->SetWindowProc(hook.Old);
}

TEST_F(CoreTest, ZOrderDecidesWhichChildIsAtAPoint) {
    auto* a = Add<TCustomControl>("a", Form, Rect(0, 0, 50, 50));
    auto* b = Add<TCustomControl>("b", Form, Rect(25, 25, 75, 75));
    EXPECT_EQ(Form->ControlAtPos(Point(30, 30)), b);
    a->BringToFront();
    EXPECT_EQ(Form->ControlAtPos(Point(30, 30)), a);
    a->SendToBack();
    EXPECT_EQ(Form->Controls(0), a);
    EXPECT_EQ(Form->ControlAtPos(Point(90, 90)), nullptr);
}

TEST_F(CoreTest, AControlCannotBeItsOwnAncestor) {
    auto* outer = Add<TCustomControl>("outer", Form, Rect(0, 0, 50, 50));
    auto* inner = Add<TCustomControl>("inner", outer, Rect(0, 0, 10, 10));
    EXPECT_THROW(outer->SetParent(inner), EInvalidOperation);
    EXPECT_EQ(inner->Parent(), outer);
    EXPECT_EQ(outer->Parent(), Form);
}

TEST_F(CoreTest, FreeingAParentFreesTheControlsInItWhoeverOwnsThem) {
    auto* panel = Add<TCustomControl>("panel", Form, Rect(0, 0, 50, 50));
    auto* stranger = new TTestEdit(nullptr); // no owner: only the parent frees it
    stranger->SetParent(panel);
    struct TWatcher : TComponent {
        using TComponent::TComponent;
        int Gone = 0;
        void Notification(TComponent* c, TOperation op) override {
            TComponent::Notification(c, op);
            if (op == opRemove) ++Gone;
        }
    } watcher(nullptr);
    stranger->FreeNotification(&watcher);
    panel->Free();
    EXPECT_EQ(watcher.Gone, 1);
    EXPECT_EQ(Form->ControlCount(), 0);
}

TEST_F(CoreTest, HintsShowTheShortPartAndAControlMayChangeOrRefuseThem) {
    TfrmTest* form = new TfrmTest(Application);
    form->Show();
    AnsiString shown;
    EXPECT_TRUE(Application->ActivateHint(form->edName, &shown));
    EXPECT_EQ(shown, "姓名");
    EXPECT_EQ(GetLongHint(form->edName->Hint()), "输入姓名");
    struct TChanger : TObject {
        bool Refuse = false;
        void ShowHint(AnsiString& text, bool& canShow, THintInfo& info) {
            EXPECT_NE(info.HintControl, nullptr);
            text = "[" + text + "]";
            canShow = !Refuse;
        }
    } changer;
    Application->SetOnShowHint(TShowHintEvent(&changer, &TChanger::ShowHint));
    EXPECT_TRUE(Application->ActivateHint(form->edName, &shown));
    EXPECT_EQ(Application->CurrentHint(), "[姓名]");
    changer.Refuse = true;
    EXPECT_FALSE(Application->ActivateHint(form->edName));
    EXPECT_EQ(Application->CurrentHint(), "");
    Application->SetOnShowHint(TShowHintEvent());
    Application->SetShowHint(false);
    EXPECT_FALSE(Application->ActivateHint(form->edName));
    Application->SetShowHint(true);
}

TEST_F(CoreTest, DumpListsEveryControlIndentedByParent) {
    TfrmTest* form = new TfrmTest(Application);
    form->edCode->SetText("A\"1");
    form->btnCancel->SetEnabled(false);
    form->edCode->SetVisible(false);
    EXPECT_EQ(DumpControl(form), "TfrmTest frmTest \"测试窗口\" hidden 100,50,246,145\n"
                                 "  TCustomControl pnlTop \"\" 0,0,240,40\n"
                                 "    TTestEdit edName \"\" 8,8,120,21\n"
                                 "  TTestEdit edCode \"A\\\"1\" hidden 8,50,120,21\n"
                                 "  TButton btnOK \"确定(&O)\" 76,88,75,25\n"
                                 "  TButton btnCancel \"取消\" disabled 158,88,75,25\n");
    EXPECT_EQ(DumpControl(form->pnlTop),
              "TCustomControl pnlTop \"\" 0,0,240,40\n  TTestEdit edName \"\" 8,8,120,21\n");
}

TEST_F(CoreTest, PictureOfAFormIsPaintedAndWrittenAsPng) {
    // The caption is found by its solid text colour: boxes, not anti-aliased glyphs.
    struct TBoxText {
        TBoxText() { SetTextLook(tlBoxes); }
        ~TBoxText() { SetTextLook(tlGlyphs); }
    } boxText;
    TfrmTest* form = new TfrmTest(Application);
    form->edName->SetText("张三");
    form->Show();
    TBitmap picture;
    PaintControlPicture(form, &picture);
    ASSERT_EQ(picture.Width(), form->Width());
    ASSERT_EQ(picture.Height(), form->Height());
    // Caption bar of the active form, the face of the client area and the edit's window colour.
    EXPECT_EQ(picture.Pixel(10, 5), ColorToRGB(clActiveCaption));
    TPoint client = form->ClientOrigin();
    EXPECT_EQ(picture.Pixel(client.X + 2, client.Y + 80), ColorToRGB(clBtnFace));
    TPoint edit = form->edCode->ClientToScreen(Point(100, 10));
    TPoint origin = form->ClientToScreen(Point(0, 0));
    EXPECT_EQ(picture.Pixel(edit.X - origin.X + client.X, edit.Y - origin.Y + client.Y),
              ColorToRGB(clWindow));
    // The default button's caption is drawn in button text colour somewhere on its face.
    TRect b = form->btnOK->BoundsRect();
    OffsetRect(&b, client.X, client.Y);
    int textPixels = 0;
    for (int y = b.Top + 4; y < b.Bottom - 4; ++y)
        for (int x = b.Left + 4; x < b.Right - 4; ++x)
            if (picture.Pixel(x, y) == ColorToRGB(clBtnText)) ++textPixels;
    EXPECT_GT(textPixels, 20);
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kvr_controls_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    AnsiString file = (dir / "frmTest.png").string();
    SaveControlPicture(form, file);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_GT(std::filesystem::file_size(file), 100u);
    if (!getenv("KVR_KEEP_PICTURES")) std::filesystem::remove_all(dir);
}

TEST(CaptionTest, AcceleratorsAndStrippedCaptions) {
    struct TCase {
        const char* Caption;
        char Key;
        bool Accel;
        const char* Stripped;
    } cases[] = {{"确定(&O)", 'o', true, "确定(O)"},
                 {"&Yes", 'Y', true, "Yes"},
                 {"Save && &Exit", 'e', true, "Save & Exit"},
                 {"Save && Exit", 'e', false, "Save & Exit"},
                 {"Plain", 'P', false, "Plain"},
                 {"End&", 'x', false, "End&"}};
    for (const auto& c : cases) {
        EXPECT_EQ(IsAccel(static_cast<Word>(c.Key), c.Caption), c.Accel) << c.Caption;
        EXPECT_EQ(StripHotkey(c.Caption), c.Stripped) << c.Caption;
    }
}

TEST(ClipboardTest, HoldsOneText) {
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard()->AsText(), "");
    Clipboard()->SetAsText("行\t2\r\n");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_EQ(Clipboard()->AsText(), "行\t2\r\n");
    Clipboard()->Clear();
}

} // namespace
