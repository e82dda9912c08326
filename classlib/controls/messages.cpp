#include "classlib/controls/messages.h"

#include <deque>
#include <list>
#include <unordered_map>

#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"

namespace {

struct TWindowTable {
    std::unordered_map<HWND, TWndMethod> Procs;
    std::map<HWND, AnsiString> ClassNames; // by handle: the oldest window of a class comes first
    HWND Next = 0x00010010;
};

TWindowTable& Windows() {
    static TWindowTable* table = new TWindowTable; // outlives every static that frees a window
    return *table;
}

std::deque<TMsg>& Queue() {
    static auto* queue = new std::deque<TMsg>;
    return *queue;
}

struct TTableEntry {
    TClass (*ClassFn)() = nullptr;
    void (*Fill)(TMessageTable&) = nullptr;
    TClass Class = nullptr;
    TMessageTable Table;
    bool Filled = false;
};

// A list: entries stay where they are while handlers run and libraries come and go.
std::list<TTableEntry>& Tables() {
    static auto* tables = new std::list<TTableEntry>;
    return *tables;
}

TShiftState& Keyboard() {
    static TShiftState shift;
    return shift;
}

} // namespace

HWND AllocateHWnd(const TWndMethod& method) {
    TWindowTable& w = Windows();
    HWND wnd = w.Next;
    w.Next += 2;
    w.Procs[wnd] = method;
    return wnd;
}

void DeallocateHWnd(HWND wnd) {
    Windows().Procs.erase(wnd);
    Windows().ClassNames.erase(wnd);
}

HWND AllocateClassHWnd(const AnsiString& className, const TWndMethod& method) {
    const HWND wnd = AllocateHWnd(method);
    Windows().ClassNames[wnd] = className;
    return wnd;
}

HWND FindWindow(const AnsiString& className) {
    if (className.empty()) return 0;
    for (const auto& [wnd, name] : Windows().ClassNames)
        if (SameText(name, className)) return wnd;
    return 0;
}

bool IsWindow(HWND wnd) {
    return wnd != 0 && Windows().Procs.count(wnd) != 0;
}

LRESULT SendMessage(HWND wnd, Cardinal msg, WPARAM wParam, LPARAM lParam) {
    auto it = Windows().Procs.find(wnd);
    if (it == Windows().Procs.end() || !it->second) return 0;
    TWndMethod proc = it->second; // the window may go while it handles the message
    TMessage message{msg, wParam, lParam, 0};
    proc(message);
    return message.Result;
}

bool PostMessage(HWND wnd, Cardinal msg, WPARAM wParam, LPARAM lParam) {
    if (wnd != 0 && !IsWindow(wnd)) return false;
    Queue().push_back(TMsg{wnd, msg, wParam, lParam});
    return true;
}

bool PeekMessage(TMsg& msg, bool remove) {
    if (Queue().empty()) return false;
    msg = Queue().front();
    if (remove) Queue().pop_front();
    return true;
}

int QueuedMessageCount() {
    return static_cast<int>(Queue().size());
}

bool DispatchMessage(const TMsg& msg) {
    if (!IsWindow(msg.hwnd)) return false;
    SendMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    return true;
}

// ---- message tables ----

namespace {
// Class to table, rebuilt when tables come or go (libraries loading and unloading).
std::unordered_map<TClass, const TMessageTable*>& TableIndex() {
    static auto* index = new std::unordered_map<TClass, const TMessageTable*>;
    return *index;
}
bool& IndexStale() {
    static bool stale = true;
    return stale;
}
} // namespace

void RegisterMessageTable(TClass (*classFn)(), void (*fill)(TMessageTable& table)) {
    TTableEntry entry;
    entry.ClassFn = classFn;
    entry.Fill = fill;
    Tables().push_back(std::move(entry));
    IndexStale() = true;
}

void UnRegisterMessageTable(TClass (*classFn)()) {
    auto& tables = Tables();
    for (auto it = tables.begin(); it != tables.end(); ++it)
        if (it->ClassFn == classFn) {
            tables.erase(it);
            IndexStale() = true;
            return;
        }
}

const std::function<void(TObject*, TMessage&)>* FindMessageTableEntry(TClass cls, Cardinal msg,
                                                                      TClass* declaredBy) {
    if (IndexStale()) {
        // Tables are filled on first use: class information is built lazily, after static registration.
        auto& index = TableIndex();
        index.clear();
        for (auto& t : Tables()) {
            if (!t.Filled) {
                t.Class = t.ClassFn();
                t.Fill(t.Table);
                t.Filled = true;
            }
            index[t.Class] = &t.Table;
        }
        IndexStale() = false;
    }
    const auto& index = TableIndex();
    for (TClass c = cls; c; c = c->ClassParent()) {
        auto t = index.find(c);
        if (t == index.end()) continue;
        auto it = t->second->find(msg);
        if (it != t->second->end()) {
            if (declaredBy) *declaredBy = c;
            return &it->second;
        }
    }
    return nullptr;
}

// ---- keyboard ----

short GetKeyState(int virtualKey) {
    const TShiftState& k = Keyboard();
    bool down = (virtualKey == VK_SHIFT && k.Contains(ssShift)) ||
                (virtualKey == VK_CONTROL && k.Contains(ssCtrl)) ||
                (virtualKey == VK_MENU && k.Contains(ssAlt));
    return down ? static_cast<short>(-128) : 0;
}

TShiftState KeyboardShiftState() {
    return Keyboard();
}
void SetKeyboardShiftState(TShiftState shift) {
    Keyboard() = shift;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
    TShiftState result;
    if (GetKeyState(VK_SHIFT) < 0) result.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) result.Include(ssCtrl);
    if (keyData & KF_ALTDOWN_BIT) result.Include(ssAlt);
    return result;
}

// ---- shortcuts ----

namespace {
struct TKeyName {
    Word Key;
    const char* Name;
};
const TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_ESCAPE, "Esc"}, {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},    {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},  {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
};

AnsiString KeyName(Word key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return AnsiString(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) return "F" + IntToStr(key - VK_F1 + 1);
    for (const auto& k : kKeyNames)
        if (k.Key == key) return k.Name;
    return "";
}
} // namespace

TShortCut ShortCut(Word key, TShiftState shift) {
    if (key & 0xFF00) return scNone;
    TShortCut result = key;
    if (shift.Contains(ssShift)) result |= scShift;
    if (shift.Contains(ssCtrl)) result |= scCtrl;
    if (shift.Contains(ssAlt)) result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift) {
    key = shortCut & 0x00FF;
    shift = TShiftState();
    if (shortCut & scShift) shift.Include(ssShift);
    if (shortCut & scCtrl) shift.Include(ssCtrl);
    if (shortCut & scAlt) shift.Include(ssAlt);
}

AnsiString ShortCutToText(TShortCut shortCut) {
    AnsiString name = KeyName(shortCut & 0xFF);
    if (name.empty()) return "";
    AnsiString result;
    if (shortCut & scShift) result += "Shift+";
    if (shortCut & scCtrl) result += "Ctrl+";
    if (shortCut & scAlt) result += "Alt+";
    return result + name;
}

TShortCut TextToShortCut(const AnsiString& text) {
    TShortCut shift = 0;
    AnsiString rest = text;
    static const struct {
        const char* Word;
        TShortCut Bit;
    } kModifiers[] = {{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}};
    for (bool found = true; found;) {
        found = false;
        for (const auto& m : kModifiers) {
            AnsiString w = m.Word;
            if (rest.size() > w.size() && SameText(rest.substr(0, w.size()), w)) {
                shift |= m.Bit;
                rest = rest.substr(w.size());
                found = true;
            }
        }
    }
    if (rest.empty()) return scNone;
    for (int key = 0x08; key <= 0xFF; ++key) {
        AnsiString name = KeyName(static_cast<Word>(key));
        if (!name.empty() && SameText(name, rest)) return static_cast<TShortCut>(key | shift);
    }
    // The key names of the keyboard's own words, as scripts write them.
    static const TKeyName kAliases[] = {{VK_ESCAPE, "Escape"},  {VK_DELETE, "Delete"}, {VK_INSERT, "Insert"},
                                        {VK_BACK, "Backspace"}, {VK_RETURN, "Return"}, {VK_PRIOR, "PageUp"},
                                        {VK_NEXT, "PageDown"}};
    for (const auto& a : kAliases)
        if (SameText(a.Name, rest)) return static_cast<TShortCut>(a.Key | shift);
    return scNone;
}

namespace {
const char kShiftedDigits[] = ")!@#$%^&*(";
struct TPunct {
    Word Key;
    char Plain;
    char Shifted;
};
const TPunct kPunct[] = {{0xBA, ';', ':'},  {0xBB, '=', '+'}, {0xBC, ',', '<'}, {0xBD, '-', '_'},
                         {0xBE, '.', '>'},  {0xBF, '/', '?'}, {0xC0, '`', '~'}, {0xDB, '[', '{'},
                         {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'}};
} // namespace

char KeyToChar(Word key, TShiftState shift) {
    if (shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return 0;
    bool shifted = shift.Contains(ssShift);
    if (key >= 'A' && key <= 'Z') return static_cast<char>(shifted ? key : key + ('a' - 'A'));
    if (key >= '0' && key <= '9') return shifted ? kShiftedDigits[key - '0'] : static_cast<char>(key);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<char>('0' + key - VK_NUMPAD0);
    switch (key) {
    case VK_SPACE:
        return ' ';
    case VK_RETURN:
        return '\r';
    case VK_ESCAPE:
        return 27;
    case VK_TAB:
        return '\t';
    case VK_BACK:
        return 8;
    case VK_MULTIPLY:
        return '*';
    case VK_ADD:
        return '+';
    case VK_SUBTRACT:
        return '-';
    case VK_DECIMAL:
        return '.';
    case VK_DIVIDE:
        return '/';
    default:
        break;
    }
    for (const auto& p : kPunct)
        if (p.Key == key) return shifted ? p.Shifted : p.Plain;
    return 0;
}

bool CharToKey(char ch, Word& key, TShiftState& shift) {
    shift = TShiftState();
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') {
        key = static_cast<Word>(c - 'a' + 'A');
        return true;
    }
    if (c >= 'A' && c <= 'Z') {
        key = c;
        shift.Include(ssShift);
        return true;
    }
    if (c >= '0' && c <= '9') {
        key = c;
        return true;
    }
    for (int i = 0; i < 10; ++i)
        if (kShiftedDigits[i] == ch) {
            key = static_cast<Word>('0' + i);
            shift.Include(ssShift);
            return true;
        }
    switch (c) {
    case ' ':
        key = VK_SPACE;
        return true;
    case '\r':
        key = VK_RETURN;
        return true;
    case 27:
        key = VK_ESCAPE;
        return true;
    case '\t':
        key = VK_TAB;
        return true;
    case 8:
        key = VK_BACK;
        return true;
    default:
        break;
    }
    for (const auto& p : kPunct) {
        if (p.Plain == ch) {
            key = p.Key;
            return true;
        }
        if (p.Shifted == ch) {
            key = p.Key;
            shift.Include(ssShift);
            return true;
        }
    }
    return false;
}
