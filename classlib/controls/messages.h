#pragma once
// Window messages, window handles, the message queue, keys and shortcuts of the headless screen.
//
// Messages carry the platform's numbers. A window handle is a number that maps to a window procedure:
// a windowed control's handle is made on demand (TWinControl::Handle), other objects ask for one with
// AllocateHWnd. SendMessage runs the window procedure at once; PostMessage queues the message, and the
// application's pump (Application->ProcessMessages) delivers the queue in order. A message posted to a
// handle that is gone by then is dropped.
//
// Message handlers are declared per class by number, in a small table that descendants inherit:
//
//     class TMyPanel : public TCustomControl {
//         KVR_CLASS(TMyPanel, TCustomControl)
//         KVR_MESSAGES(TMyPanel)
//         void WMSize(TMessage& message);                 // calls inherited::Dispatch... as it likes
//     ...
//     KVR_MESSAGE_MAP(TMyPanel, m) {                       // in the .cpp
//         m.Handle(WM_SIZE, &TMyPanel::WMSize);
//     }
//
// TControl::Dispatch looks the number up from the object's class towards TControl and calls the first
// handler found, else DefaultHandler. A handler passes the message on to its ancestors' handling with
// InheritedMessage(message) (TControl).
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "classlib/objects/object.h"
#include "classlib/rtl/types.h"

using HWND = Cardinal;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct TMessage {
    Cardinal Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// A queued message with its window.
struct TMsg {
    HWND hwnd = 0;
    Cardinal message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// ---- window messages ----
constexpr Cardinal WM_NULL = 0x0000;
constexpr Cardinal WM_CREATE = 0x0001;
constexpr Cardinal WM_DESTROY = 0x0002;
constexpr Cardinal WM_MOVE = 0x0003;
constexpr Cardinal WM_SIZE = 0x0005;
constexpr Cardinal WM_ACTIVATE = 0x0006;
constexpr Cardinal WM_SETFOCUS = 0x0007;
constexpr Cardinal WM_KILLFOCUS = 0x0008;
constexpr Cardinal WM_ENABLE = 0x000A;
constexpr Cardinal WM_SETTEXT = 0x000C;
constexpr Cardinal WM_GETTEXT = 0x000D;
constexpr Cardinal WM_GETTEXTLENGTH = 0x000E;
constexpr Cardinal WM_PAINT = 0x000F;
constexpr Cardinal WM_CLOSE = 0x0010;
constexpr Cardinal WM_QUIT = 0x0012;
constexpr Cardinal WM_ERASEBKGND = 0x0014;
constexpr Cardinal WM_SHOWWINDOW = 0x0018;
constexpr Cardinal WM_SETCURSOR = 0x0020;
constexpr Cardinal WM_MOUSEACTIVATE = 0x0021;
constexpr Cardinal WM_NEXTDLGCTL = 0x0028;
constexpr Cardinal WM_DRAWITEM = 0x002B;
constexpr Cardinal WM_MEASUREITEM = 0x002C;
constexpr Cardinal WM_SETFONT = 0x0030;
constexpr Cardinal WM_GETFONT = 0x0031;
constexpr Cardinal WM_WINDOWPOSCHANGED = 0x0047;
constexpr Cardinal WM_COPYDATA = 0x004A;
constexpr Cardinal WM_NOTIFY = 0x004E;
constexpr Cardinal WM_HELP = 0x0053;
constexpr Cardinal WM_CONTEXTMENU = 0x007B;
constexpr Cardinal WM_NCPAINT = 0x0085;
constexpr Cardinal WM_GETDLGCODE = 0x0087;
constexpr Cardinal WM_KEYDOWN = 0x0100;
constexpr Cardinal WM_KEYUP = 0x0101;
constexpr Cardinal WM_CHAR = 0x0102;
constexpr Cardinal WM_SYSKEYDOWN = 0x0104;
constexpr Cardinal WM_SYSKEYUP = 0x0105;
constexpr Cardinal WM_SYSCHAR = 0x0106;
constexpr Cardinal WM_COMMAND = 0x0111;
constexpr Cardinal WM_SYSCOMMAND = 0x0112;
constexpr Cardinal WM_TIMER = 0x0113;
constexpr Cardinal WM_HSCROLL = 0x0114;
constexpr Cardinal WM_VSCROLL = 0x0115;
constexpr Cardinal WM_INITMENUPOPUP = 0x0117;
constexpr Cardinal WM_MENUSELECT = 0x011F;
constexpr Cardinal WM_MOUSEMOVE = 0x0200;
constexpr Cardinal WM_LBUTTONDOWN = 0x0201;
constexpr Cardinal WM_LBUTTONUP = 0x0202;
constexpr Cardinal WM_LBUTTONDBLCLK = 0x0203;
constexpr Cardinal WM_RBUTTONDOWN = 0x0204;
constexpr Cardinal WM_RBUTTONUP = 0x0205;
constexpr Cardinal WM_RBUTTONDBLCLK = 0x0206;
constexpr Cardinal WM_MBUTTONDOWN = 0x0207;
constexpr Cardinal WM_MBUTTONUP = 0x0208;
constexpr Cardinal WM_MBUTTONDBLCLK = 0x0209;
constexpr Cardinal WM_MOUSEWHEEL = 0x020A;
constexpr Cardinal WM_IME_CHAR = 0x0286;
constexpr Cardinal WM_CUT = 0x0300;
constexpr Cardinal WM_COPY = 0x0301;
constexpr Cardinal WM_PASTE = 0x0302;
constexpr Cardinal WM_CLEAR = 0x0303;
constexpr Cardinal WM_UNDO = 0x0304;
constexpr Cardinal WM_USER = 0x0400;
constexpr Cardinal WM_APP = 0x8000;

// Edit and button messages the standard controls answer.
constexpr Cardinal EM_GETSEL = 0x00B0;
constexpr Cardinal EM_SETSEL = 0x00B1;
constexpr Cardinal EM_LIMITTEXT = 0x00C5;
constexpr Cardinal EM_SETREADONLY = 0x00CF;
constexpr Cardinal BM_GETCHECK = 0x00F0;
constexpr Cardinal BM_SETCHECK = 0x00F1;
constexpr Cardinal BM_CLICK = 0x00F5;
// A button's notifications to its parent (the high word of WM_COMMAND's WParam).
constexpr Word BN_CLICKED = 0;
constexpr Word BN_DOUBLECLICKED = 5;

// WM_GETDLGCODE answers: the keys a control wants for itself instead of the dialog's navigation.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// ---- the class library's own messages ----
constexpr Cardinal CM_BASE = 0xB000;
constexpr Cardinal CM_ACTIVATE = CM_BASE + 0;
constexpr Cardinal CM_DEACTIVATE = CM_BASE + 1;
constexpr Cardinal CM_GOTFOCUS = CM_BASE + 2;
constexpr Cardinal CM_LOSTFOCUS = CM_BASE + 3;
constexpr Cardinal CM_CANCELMODE = CM_BASE + 4;
constexpr Cardinal CM_DIALOGKEY = CM_BASE + 5;
constexpr Cardinal CM_DIALOGCHAR = CM_BASE + 6;
constexpr Cardinal CM_FOCUSCHANGED = CM_BASE + 7;
constexpr Cardinal CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr Cardinal CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr Cardinal CM_HITTEST = CM_BASE + 10;
constexpr Cardinal CM_VISIBLECHANGED = CM_BASE + 11;
constexpr Cardinal CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr Cardinal CM_COLORCHANGED = CM_BASE + 13;
constexpr Cardinal CM_FONTCHANGED = CM_BASE + 14;
constexpr Cardinal CM_CURSORCHANGED = CM_BASE + 15;
constexpr Cardinal CM_CTL3DCHANGED = CM_BASE + 16;
constexpr Cardinal CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr Cardinal CM_TEXTCHANGED = CM_BASE + 18;
constexpr Cardinal CM_MOUSEENTER = CM_BASE + 19;
constexpr Cardinal CM_MOUSELEAVE = CM_BASE + 20;
constexpr Cardinal CM_MENUCHANGED = CM_BASE + 21;
constexpr Cardinal CM_APPKEYDOWN = CM_BASE + 22;
constexpr Cardinal CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr Cardinal CM_BUTTONPRESSED = CM_BASE + 24;
constexpr Cardinal CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr Cardinal CM_ENTER = CM_BASE + 26;
constexpr Cardinal CM_EXIT = CM_BASE + 27;
constexpr Cardinal CM_DESIGNHITTEST = CM_BASE + 28;
constexpr Cardinal CM_ICONCHANGED = CM_BASE + 29;
constexpr Cardinal CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr Cardinal CM_INVOKEHELP = CM_BASE + 31;
constexpr Cardinal CM_WINDOWHOOK = CM_BASE + 32;
constexpr Cardinal CM_RELEASE = CM_BASE + 33;
constexpr Cardinal CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr Cardinal CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr Cardinal CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr Cardinal CM_WININICHANGE = CM_BASE + 37;
constexpr Cardinal CM_FONTCHANGE = CM_BASE + 38;
constexpr Cardinal CM_TIMECHANGE = CM_BASE + 39;
constexpr Cardinal CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr Cardinal CM_UIACTIVATE = CM_BASE + 41;
constexpr Cardinal CM_UIDEACTIVATE = CM_BASE + 42;
constexpr Cardinal CM_DOCWINDOWACTIVATE = CM_BASE + 43;
constexpr Cardinal CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr Cardinal CM_GETDATALINK = CM_BASE + 45;
constexpr Cardinal CM_CHILDKEY = CM_BASE + 46;
constexpr Cardinal CM_DRAG = CM_BASE + 47;
constexpr Cardinal CM_HINTSHOW = CM_BASE + 48;
constexpr Cardinal CM_DIALOGHANDLE = CM_BASE + 49;
constexpr Cardinal CM_ISTOOLCONTROL = CM_BASE + 50;
constexpr Cardinal CM_RECREATEWND = CM_BASE + 51;
constexpr Cardinal CM_INVALIDATE = CM_BASE + 52;
constexpr Cardinal CM_SYSFONTCHANGED = CM_BASE + 53;
constexpr Cardinal CM_CONTROLCHANGE = CM_BASE + 54;
constexpr Cardinal CM_CHANGED = CM_BASE + 55;
constexpr Cardinal CM_BORDERCHANGED = CM_BASE + 59;

// Notifications a parent reflects back to the control they concern.
constexpr Cardinal CN_BASE = 0xBC00;
constexpr Cardinal CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr Cardinal CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr Cardinal CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr Cardinal CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr Cardinal CN_CHAR = CN_BASE + WM_CHAR;
constexpr Cardinal CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr Cardinal CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// WParam and LParam halves.
constexpr Word LoWord(std::uintptr_t value) {
    return static_cast<Word>(value & 0xFFFF);
}
constexpr Word HiWord(std::uintptr_t value) {
    return static_cast<Word>((value >> 16) & 0xFFFF);
}
constexpr LPARAM MakeLParam(int low, int high) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(low) & 0xFFFF) |
                               ((static_cast<std::uint32_t>(high) & 0xFFFF) << 16));
}

// ---- window handles ----
using TWndMethod = TDelegate<void(TMessage& message)>;

// A handle for a window procedure that is not a control (timers, the application's own window).
HWND AllocateHWnd(const TWndMethod& method);
void DeallocateHWnd(HWND wnd);
bool IsWindow(HWND wnd);

// A handle for a window of a named window class, which others find by that name (FindWindow); the
// class name goes with DeallocateHWnd.
HWND AllocateClassHWnd(const AnsiString& className, const TWndMethod& method);
// The first window (in the order they were made) of that class, the name compared without regard to
// case; 0 when there is none.
HWND FindWindow(const AnsiString& className);

// WM_COPYDATA's LParam: cbData bytes at lpData, valid for the time of the (synchronous) send.
struct TCopyDataStruct {
    std::uintptr_t dwData = 0;
    Cardinal cbData = 0;
    const void* lpData = nullptr;
};

// Synchronous: 0 when the handle is not a window.
LRESULT SendMessage(HWND wnd, Cardinal msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Queued: false when the handle is not a window. A zero handle queues a message for the application.
bool PostMessage(HWND wnd, Cardinal msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Takes the first queued message (false when the queue is empty).
bool PeekMessage(TMsg& msg, bool remove = true);
int QueuedMessageCount();
// Delivers one queued message to its window; false when its window is gone.
bool DispatchMessage(const TMsg& msg);

// ---- message handler tables ----
// The builder that KVR_MESSAGE_MAP blocks use.
template <class T> class TMessageMap {
public:
    explicit TMessageMap(std::map<Cardinal, std::function<void(TObject*, TMessage&)>>& map) : FMap(map) {}
    template <class B> void Handle(Cardinal msg, void (B::*member)(TMessage&)) {
        FMap[msg] = [member](TObject* self, TMessage& message) { (static_cast<T*>(self)->*member)(message); };
    }

private:
    std::map<Cardinal, std::function<void(TObject*, TMessage&)>>& FMap;
};

using TMessageTable = std::map<Cardinal, std::function<void(TObject*, TMessage&)>>;
void RegisterMessageTable(TClass (*classFn)(), void (*fill)(TMessageTable& table));
void UnRegisterMessageTable(TClass (*classFn)());
// The handler for msg that cls or its nearest ancestor declares; empty when none. declaredBy receives
// the class whose table has it.
const std::function<void(TObject*, TMessage&)>* FindMessageTableEntry(TClass cls, Cardinal msg,
                                                                      TClass* declaredBy = nullptr);

class TMessageTableRegistration {
public:
    TMessageTableRegistration(TClass (*classFn)(), void (*fill)(TMessageTable& table)) : FClassFn(classFn) {
        RegisterMessageTable(classFn, fill);
    }
    ~TMessageTableRegistration() { UnRegisterMessageTable(FClassFn); }
    TMessageTableRegistration(const TMessageTableRegistration&) = delete;
    TMessageTableRegistration& operator=(const TMessageTableRegistration&) = delete;

private:
    TClass (*FClassFn)();
};

// In the class body: declares the class's message table.
#define KVR_MESSAGES(Name)                                                                                   \
public:                                                                                                      \
    static void DeclareMessages(TMessageMap<Name>& m);                                                       \
                                                                                                             \
private:

// Beside the class: the table's entries, in a block that follows the macro.
#define KVR_MESSAGE_MAP(Name, builder)                                                                       \
    static void KVR_CAT(kvrFillMessages_, Name)(TMessageTable & table) {                                     \
        TMessageMap<Name> map(table);                                                                        \
        Name::DeclareMessages(map);                                                                          \
    }                                                                                                        \
    static const TMessageTableRegistration KVR_CAT(kvrMessageTable_, Name){                                  \
        &Name::StaticClass, &KVR_CAT(kvrFillMessages_, Name)};                                               \
    void Name::DeclareMessages([[maybe_unused]] TMessageMap<Name>& builder)

// ---- keys ----
constexpr Word VK_LBUTTON = 0x01;
constexpr Word VK_RBUTTON = 0x02;
constexpr Word VK_CANCEL = 0x03;
constexpr Word VK_MBUTTON = 0x04;
constexpr Word VK_BACK = 0x08;
constexpr Word VK_TAB = 0x09;
constexpr Word VK_CLEAR = 0x0C;
constexpr Word VK_RETURN = 0x0D;
constexpr Word VK_SHIFT = 0x10;
constexpr Word VK_CONTROL = 0x11;
constexpr Word VK_MENU = 0x12;
constexpr Word VK_PAUSE = 0x13;
constexpr Word VK_CAPITAL = 0x14;
constexpr Word VK_ESCAPE = 0x1B;
constexpr Word VK_SPACE = 0x20;
constexpr Word VK_PRIOR = 0x21;
constexpr Word VK_NEXT = 0x22;
constexpr Word VK_END = 0x23;
constexpr Word VK_HOME = 0x24;
constexpr Word VK_LEFT = 0x25;
constexpr Word VK_UP = 0x26;
constexpr Word VK_RIGHT = 0x27;
constexpr Word VK_DOWN = 0x28;
constexpr Word VK_SELECT = 0x29;
constexpr Word VK_PRINT = 0x2A;
constexpr Word VK_EXECUTE = 0x2B;
constexpr Word VK_SNAPSHOT = 0x2C;
constexpr Word VK_INSERT = 0x2D;
constexpr Word VK_DELETE = 0x2E;
constexpr Word VK_HELP = 0x2F;
constexpr Word VK_LWIN = 0x5B;
constexpr Word VK_RWIN = 0x5C;
constexpr Word VK_APPS = 0x5D;
constexpr Word VK_NUMPAD0 = 0x60;
constexpr Word VK_NUMPAD9 = 0x69;
constexpr Word VK_MULTIPLY = 0x6A;
constexpr Word VK_ADD = 0x6B;
constexpr Word VK_SEPARATOR = 0x6C;
constexpr Word VK_SUBTRACT = 0x6D;
constexpr Word VK_DECIMAL = 0x6E;
constexpr Word VK_DIVIDE = 0x6F;
constexpr Word VK_F1 = 0x70;
constexpr Word VK_F2 = 0x71;
constexpr Word VK_F3 = 0x72;
constexpr Word VK_F4 = 0x73;
constexpr Word VK_F5 = 0x74;
constexpr Word VK_F6 = 0x75;
constexpr Word VK_F7 = 0x76;
constexpr Word VK_F8 = 0x77;
constexpr Word VK_F9 = 0x78;
constexpr Word VK_F10 = 0x79;
constexpr Word VK_F11 = 0x7A;
constexpr Word VK_F12 = 0x7B;
constexpr Word VK_F24 = 0x87;
constexpr Word VK_NUMLOCK = 0x90;
constexpr Word VK_SCROLL = 0x91;

KVR_ENUM(TShiftStateElement, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble);
KVR_SET(TShiftState, TShiftStateElement);

// The simulated keyboard: which of Shift, Ctrl and Alt are held while a key is pressed. GetKeyState
// answers with the high bit set (a negative value) for a held key, as the platform does.
short GetKeyState(int virtualKey);
TShiftState KeyboardShiftState();
void SetKeyboardShiftState(TShiftState shift);
// The key data of a key message: bit 29 is set while Alt is held.
constexpr LPARAM KF_ALTDOWN_BIT = 0x20000000;
TShiftState KeyDataToShiftState(LPARAM keyData);

// Shortcuts: a virtual key with scShift, scCtrl and scAlt.
using TShortCut = Word;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;
TShortCut ShortCut(Word key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift);
// "Ctrl+F", "Shift+Ctrl+Del", "F2"; '' for scNone or a key without a name.
AnsiString ShortCutToText(TShortCut shortCut);
// Modifier words in any order and case; 0 when the text is not a shortcut.
TShortCut TextToShortCut(const AnsiString& text);
// The character a key types with the given shift (letters, digits, punctuation of the US layout,
// Space, Enter 13, Esc 27, Tab 9, Backspace 8); 0 for a key that types nothing or with Ctrl or Alt.
char KeyToChar(Word key, TShiftState shift);
// The key (and Shift) that types a character; false for characters no key types (double-byte ones).
bool CharToKey(char ch, Word& key, TShiftState& shift);
