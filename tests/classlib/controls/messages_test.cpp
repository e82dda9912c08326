// Messages: handler tables by class, Perform and WindowProc, window handles, the queue and the pump,
// timers on the test clock, keys and shortcuts.
#include <gtest/gtest.h>

#include "classlib/controls/timer.h"
#include "classlib/rtl/format.h"
#include "core_fixtures.h"

namespace {

constexpr Cardinal WM_TEST_A = WM_USER + 1;
constexpr Cardinal WM_TEST_B = WM_USER + 2;

class TLogControl : public TCustomControl {
    KVR_CLASS(TLogControl, TCustomControl)
    KVR_MESSAGES(TLogControl)
public:
    explicit TLogControl(TComponent* owner) : TCustomControl(owner) {}
    std::vector<AnsiString> Log;

protected:
    void TestA(TMessage& m) {
        Log.push_back("A " + IntToStr(static_cast<int>(m.WParam)));
        m.Result = 10;
    }
    void TestB(TMessage& m) { Log.push_back("B " + IntToStr(static_cast<int>(m.WParam))); }
    void DefaultHandler(TMessage& m) override {
        if (m.Msg >= WM_USER) Log.push_back("default " + IntToStr(static_cast<int>(m.Msg - WM_USER)));
    }
};

class TLogChild : public TLogControl {
    KVR_CLASS(TLogChild, TLogControl)
    KVR_MESSAGES(TLogChild)
public:
    explicit TLogChild(TComponent* owner) : TLogControl(owner) {}

protected:
    void ChildA(TMessage& m) {
        Log.push_back("child A");
        InheritedMessage(m);
        m.Result += 1;
    }
    void ChildC(TMessage& m) {
        Log.push_back("child C");
        InheritedMessage(m);
    }
};

KVR_PUBLISHED(TLogControl, c) {}
KVR_MESSAGE_MAP(TLogControl, m) {
    m.Handle(WM_TEST_A, &TLogControl::TestA);
    m.Handle(WM_TEST_B, &TLogControl::TestB);
}
KVR_PUBLISHED(TLogChild, c) {}
KVR_MESSAGE_MAP(TLogChild, m) {
    m.Handle(WM_TEST_A, &TLogChild::ChildA);
    m.Handle(WM_USER + 3, &TLogChild::ChildC);
}

class MessagesTest : public ::testing::Test {
protected:
    TFormsCleanup Cleanup;
};

TEST_F(MessagesTest, HandlersAreFoundByClassAndPassOnToTheirAncestors) {
    TLogChild child(nullptr);
    EXPECT_EQ(child.Perform(WM_TEST_A, 1), 11);
    EXPECT_EQ(child.Perform(WM_TEST_B, 2), 0);
    child.Perform(WM_USER + 3);
    child.Perform(WM_USER + 4);
    EXPECT_EQ(child.Log,
              (std::vector<AnsiString>{"child A", "A 1", "B 2", "child C", "default 3", "default 4"}));
    TLogControl parent(nullptr);
    EXPECT_EQ(parent.Perform(WM_TEST_A, 5), 10);
    EXPECT_EQ(parent.Log, std::vector<AnsiString>{"A 5"});
}

TEST_F(MessagesTest, AReplacedWindowProcSeesEveryMessageAndCanPassItOn) {
    TLogControl control(nullptr);
    struct THook : TObject {
        TWndMethod Old;
        std::vector<Cardinal> Seen;
        void Proc(TMessage& m) {
            Seen.push_back(m.Msg);
            if (m.Msg != WM_TEST_B) Old(m);
        }
    } hook;
    hook.Old = control.WindowProc();
    control.SetWindowProc(TWndMethod(&hook, &THook::Proc));
    EXPECT_EQ(SendMessage(control.Handle(), WM_TEST_A, 7), 10);
    control.Perform(WM_TEST_B, 8);
    EXPECT_EQ(hook.Seen, (std::vector<Cardinal>{WM_TEST_A, WM_TEST_B}));
    EXPECT_EQ(control.Log, std::vector<AnsiString>{"A 7"});
    control.SetWindowProc(hook.Old);
    control.Perform(WM_TEST_B, 9);
    EXPECT_EQ(hook.Seen.size(), 2u);
}

TEST_F(MessagesTest, HandlesAreMadeOnDemandAndFindTheirControl) {
    TForm form(nullptr);
    auto* control = new TLogControl(&form);
    control->SetParent(&form);
    EXPECT_FALSE(control->HandleAllocated());
    EXPECT_FALSE(form.HandleAllocated());
    HWND h = control->Handle();
    EXPECT_TRUE(form.HandleAllocated()); // the parent's handle comes first
    EXPECT_EQ(FindControl(h), control);
    EXPECT_EQ(control->LastCreateParams().WndParent, form.Handle());
    EXPECT_EQ(control->Handle(), h);
    control->Free();
    EXPECT_EQ(FindControl(h), nullptr);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(SendMessage(h, WM_TEST_A), 0);
    EXPECT_FALSE(PostMessage(h, WM_TEST_A));
}

TEST_F(MessagesTest, PostedMessagesWaitForThePumpAndArriveInOrder) {
    TLogControl first(nullptr), second(nullptr);
    ASSERT_TRUE(PostMessage(first.Handle(), WM_TEST_A, 1));
    ASSERT_TRUE(PostMessage(second.Handle(), WM_TEST_B, 2));
    ASSERT_TRUE(PostMessage(first.Handle(), WM_TEST_B, 3));
    EXPECT_TRUE(first.Log.empty());
    EXPECT_EQ(QueuedMessageCount(), 3);
    Application->ProcessMessages();
    EXPECT_EQ(first.Log, (std::vector<AnsiString>{"A 1", "B 3"}));
    EXPECT_EQ(second.Log, std::vector<AnsiString>{"B 2"});
    EXPECT_EQ(QueuedMessageCount(), 0);
}

TEST_F(MessagesTest, MessagesForAWindowThatIsGoneAreDropped) {
    TLogControl kept(nullptr);
    auto* gone = new TLogControl(nullptr);
    PostMessage(gone->Handle(), WM_TEST_A, 1);
    PostMessage(kept.Handle(), WM_TEST_A, 2);
    delete gone;
    Application->ProcessMessages();
    EXPECT_EQ(kept.Log, std::vector<AnsiString>{"A 2"});
}

TEST_F(MessagesTest, AMessagePostedWhileDrainingIsHandledInTheSameDrain) {
    struct TReposter : TObject {
        HWND Target = 0;
        int Count = 0;
        void Proc(TMessage& m) {
            if (m.Msg == WM_TEST_A && ++Count < 3) PostMessage(Target, WM_TEST_A);
        }
    } reposter;
    reposter.Target = AllocateHWnd(TWndMethod(&reposter, &TReposter::Proc));
    PostMessage(reposter.Target, WM_TEST_A);
    Application->ProcessMessages();
    EXPECT_EQ(reposter.Count, 3);
    DeallocateHWnd(reposter.Target);
}

TEST_F(MessagesTest, AnExceptionInAPostedMessageGoesToTheApplicationsHandler) {
    struct TThrower : TObject {
        void Proc(TMessage&) { throw EConvertError("bad value"); }
    } thrower;
    HWND h = AllocateHWnd(TWndMethod(&thrower, &TThrower::Proc));
    struct TCatcher : TObject {
        std::vector<AnsiString> Seen;
        void OnException(TObject*, const Exception& e) {
            Seen.push_back(AnsiString(e.ClassName()) + ": " + e.Message());
        }
    } catcher;
    Application->SetOnException(TExceptionEvent(&catcher, &TCatcher::OnException));
    PostMessage(h, WM_TEST_A);
    EXPECT_NO_THROW(Application->ProcessMessages());
    Application->SetOnException(TExceptionEvent());
    EXPECT_EQ(catcher.Seen, std::vector<AnsiString>{"EConvertError: bad value"});
    DeallocateHWnd(h);
}

TEST_F(MessagesTest, TimersFireOnTheTestClockThroughThePump) {
    SetTickCountForTesting(1000);
    struct TCounter : TObject {
        int Ticks = 0;
        void Tick(TObject*) { ++Ticks; }
    } counter;
    TTimer timer(nullptr);
    timer.SetInterval(100);
    timer.SetOnTimer(TNotifyEvent(&counter, &TCounter::Tick));
    Application->ProcessMessages();
    EXPECT_EQ(counter.Ticks, 0);
    AdvanceTickCountForTesting(99);
    Application->ProcessMessages();
    EXPECT_EQ(counter.Ticks, 0);
    AdvanceTickCountForTesting(1);
    EXPECT_EQ(counter.Ticks, 0); // nothing fires outside the pump
    Application->ProcessMessages();
    EXPECT_EQ(counter.Ticks, 1);
    // Late by several intervals: one message, as the platform coalesces timer messages.
    AdvanceTickCountForTesting(350);
    Application->ProcessMessages();
    EXPECT_EQ(counter.Ticks, 2);
    timer.SetEnabled(false);
    AdvanceTickCountForTesting(1000);
    Application->ProcessMessages();
    EXPECT_EQ(counter.Ticks, 2);
    ClearTickCountForTesting();
}

TEST(ShortCutTest, TextAndShortcutsConvertBothWays) {
    struct TCase {
        const char* Text;
        Word Key;
        TShiftState Shift;
        const char* Back;
    } cases[] = {
        {"Ctrl+F", 'F', {ssCtrl}, "Ctrl+F"},
        {"F2", VK_F2, {}, "F2"},
        {"Shift+Ctrl+Del", VK_DELETE, {ssShift, ssCtrl}, "Shift+Ctrl+Del"},
        {"ctrl+alt+v", 'V', {ssCtrl, ssAlt}, "Ctrl+Alt+V"},
        {"Alt+Shift+Enter", VK_RETURN, {ssShift, ssAlt}, "Shift+Alt+Enter"},
        {"Esc", VK_ESCAPE, {}, "Esc"},
        {"Escape", VK_ESCAPE, {}, "Esc"},
        {"Shift+Tab", VK_TAB, {ssShift}, "Shift+Tab"},
        {"Up", VK_UP, {}, "Up"},
        {"Delete", VK_DELETE, {}, "Del"},
    };
    for (const auto& c : cases) {
        TShortCut sc = TextToShortCut(c.Text);
        EXPECT_EQ(sc, ShortCut(c.Key, c.Shift)) << c.Text;
        EXPECT_EQ(ShortCutToText(sc), c.Back) << c.Text;
    }
    for (const char* bad : {"", "Ctrl+", "Ctrl+Nothing", "Hyper+A"})
        EXPECT_EQ(TextToShortCut(bad), scNone) << bad;
    EXPECT_EQ(ShortCutToText(scNone), "");
}

TEST(KeysTest, KeysAndCharactersMapBothWays) {
    for (char ch : AnsiString("aZ09 !?;'\r\t")) {
        Word key;
        TShiftState shift;
        ASSERT_TRUE(CharToKey(ch, key, shift)) << ch;
        EXPECT_EQ(KeyToChar(key, shift), ch) << ch;
    }
    Word key;
    TShiftState shift;
    EXPECT_FALSE(CharToKey('\xB0', key, shift));
    EXPECT_EQ(KeyToChar('A', TShiftState{ssCtrl}), 0);
    EXPECT_EQ(KeyToChar(VK_F2, TShiftState()), 0);
    SetKeyboardShiftState(TShiftState{ssShift});
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_EQ(GetKeyState(VK_CONTROL), 0);
    EXPECT_EQ(KeyDataToShiftState(KF_ALTDOWN_BIT), (TShiftState{ssShift, ssAlt}));
    SetKeyboardShiftState(TShiftState());
}

} // namespace
