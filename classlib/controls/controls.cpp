#include "classlib/controls/controls.h"

#include <algorithm>
#include <unordered_map>

#include "classlib/controls/forms.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/format.h"

namespace {

std::unordered_map<HWND, TWinControl*>& ControlHandles() {
    static auto* map = new std::unordered_map<HWND, TWinControl*>;
    return *map;
}

TMenuShortCutHook& ShortCutHook() {
    static TMenuShortCutHook hook = nullptr;
    return hook;
}

const std::vector<TIdentMapEntry> kCursorIdents = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

struct TCursorIdentsRegistration {
    TCursorIdentsRegistration() { RegisterIntegerConsts("TCursor", kCursorIdents); }
} cursorIdents;

bool IsWindowed(const TControl* c) {
    return dynamic_cast<const TWinControl*>(c) != nullptr;
}

TShiftState MouseShift(WPARAM keys) {
    TShiftState shift = KeyboardShiftState();
    if (keys & 0x0001) shift.Include(ssLeft);
    if (keys & 0x0002) shift.Include(ssRight);
    if (keys & 0x0010) shift.Include(ssMiddle);
    return shift;
}

int MouseX(LPARAM l) {
    return static_cast<short>(LoWord(static_cast<std::uintptr_t>(l)));
}
int MouseY(LPARAM l) {
    return static_cast<short>(HiWord(static_cast<std::uintptr_t>(l)));
}

// A double-byte character passes whole: its trail byte may be the byte of "\\" (GBK and BIG5 alike).
AnsiString QuoteDump(const AnsiString& text) {
    AnsiString out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const int length = CharLength(text, i);
        if (length > 1) {
            out += text.substr(i, static_cast<std::size_t>(length));
            i += static_cast<std::size_t>(length);
            continue;
        }
        const char c = text[i++];
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\r') continue;
        out += c == '\n' ? ' ' : c;
    }
    return out + "\"";
}

} // namespace

// ---- TControlCanvas ----

KVR_PUBLISHED(TControlCanvas, c) {}

void TControlCanvas::CreateHandle() {
    // Drawing outside a paint goes to a scratch picture, as a window's canvas would draw off-screen.
    if (!FScratch) FScratch = std::make_unique<TBitmap>();
    int w = FControl ? std::max(1, FControl->Width()) : 1;
    int h = FControl ? std::max(1, FControl->Height()) : 1;
    if (FScratch->Width() != w || FScratch->Height() != h) FScratch->SetSize(w, h);
    SetTarget(FScratch.get());
}

// ---- TControl ----

KVR_PUBLISHED(TControl, c) {
    c.Property("Left", &TControl::Left, &TControl::SetLeft);
    c.Property("Top", &TControl::Top, &TControl::SetTop);
    c.Property("Width", &TControl::Width, &TControl::SetWidth);
    c.Property("Height", &TControl::Height, &TControl::SetHeight);
    c.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    c.Property("Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop}.Bits());
    c.Property("Caption", &TControl::Caption, &TControl::SetCaption);
    c.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(1);
    c.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(1);
    c.Property("Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    c.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(1);
    c.Property("Color", &TControl::Color, &TControl::SetColor)
        .Type("TColor")
        .Stored(&TControl::IsColorStored);
    c.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(1);
    c.Property("Hint", &TControl::Hint, &TControl::SetHint);
    c.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
    c.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(1);
    c.Property("Cursor", &TControl::Cursor, &TControl::SetCursor).Type("TCursor").Default(crDefault);
    c.Property("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Default(0);
    c.Property("PopupMenu", &TControl::PopupMenuComponent, &TControl::SetPopupMenuComponent);
    c.Property("OnClick", &TControl::OnClick, &TControl::SetOnClick);
    c.Property("OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    c.Property("OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    c.Property("OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    c.Property("OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    c.Property("OnResize", &TControl::OnResize, &TControl::SetOnResize);
}

KVR_MESSAGE_MAP(TControl, m) {
    m.Handle(WM_PAINT, &TControl::WMPaint);
    m.Handle(WM_ERASEBKGND, &TControl::WMEraseBkgnd);
    m.Handle(WM_NCPAINT, &TControl::WMNCPaint);
    m.Handle(WM_SETTEXT, &TControl::WMSetText);
    m.Handle(WM_GETTEXTLENGTH, &TControl::WMGetTextLength);
    m.Handle(WM_LBUTTONDOWN, &TControl::WMLButtonDown);
    m.Handle(WM_LBUTTONUP, &TControl::WMLButtonUp);
    m.Handle(WM_LBUTTONDBLCLK, &TControl::WMLButtonDblClk);
    m.Handle(WM_RBUTTONDOWN, &TControl::WMRButtonDown);
    m.Handle(WM_RBUTTONUP, &TControl::WMRButtonUp);
    m.Handle(WM_MOUSEMOVE, &TControl::WMMouseMove);
    m.Handle(CM_PARENTFONTCHANGED, &TControl::CMParentFontChanged);
    m.Handle(CM_PARENTCOLORCHANGED, &TControl::CMParentColorChanged);
    m.Handle(CM_PARENTSHOWHINTCHANGED, &TControl::CMParentShowHintChanged);
}

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TFont>()) {
    FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FFont->SetOnChange(TNotifyEvent(this, &TControl::OnFontChange));
    FWindowProc = TWndMethod(this, &TControl::WndProc);
}

TControl::~TControl() {
    FFont->SetOnChange(TNotifyEvent());
    if (FParent) FParent->RemoveControl(this);
}

void TControl::BeforeDestruction() {
    inherited::BeforeDestruction();
    if (FParent) FParent->RemoveControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    bool sized = width != FWidth || height != FHeight;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (FParent && !FParent->FAligning) {
        TRect pr = FParent->ClientRect();
        FAnchorRight = pr.Width() - (FLeft + FWidth);
        FAnchorBottom = pr.Height() - (FTop + FHeight);
    }
    Invalidate();
    if (sized && !IsWindowed(this) && !ComponentState().Contains(csLoading)) Resize();
    RequestAlign();
}

TRect TControl::ClientRect() const {
    return Rect(0, 0, FWidth, FHeight);
}

void TControl::SetClientWidth(int value) {
    SetWidth(FWidth - ClientWidth() + value);
}

void TControl::SetClientHeight(int value) {
    SetHeight(FHeight - ClientHeight() + value);
}

TPoint TControl::ClientToScreen(const TPoint& point) const {
    TPoint p = point;
    for (const TControl* c = this; c; c = c->FParent) {
        TPoint o = c->ClientOrigin();
        p.X += c->FLeft + o.X;
        p.Y += c->FTop + o.Y;
    }
    return p;
}

TPoint TControl::ScreenToClient(const TPoint& point) const {
    TPoint origin = ClientToScreen(Point(0, 0));
    return Point(point.X - origin.X, point.Y - origin.Y);
}

void TControl::SetAlign(TAlign value) {
    if (FAlign == value) return;
    FAlign = value;
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
    FAnchors = value;
}

void TControl::RequestAlign() {
    if (FParent && !ComponentState().Contains(csLoading)) FParent->Realign();
}

void TControl::SetParent(TWinControl* value) {
    if (FParent == value) return;
    if (value == this) throw EInvalidOperation("A control cannot have itself as its parent");
    for (TWinControl* p = value; p; p = p->Parent())
        if (p == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent) FParent->RemoveControl(this);
    if (value) value->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const {
    return FParent;
}

void TControl::SetParentComponent(TComponent* value) {
    if (auto* w = dynamic_cast<TWinControl*>(value)) SetParent(w);
}

void TControl::SetText(const AnsiString& value) {
    if (GetText() == value) return;
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(&value));
    Perform(CM_TEXTCHANGED);
}

void TControl::WMSetText(TMessage& message) {
    // LParam points at the new text as an AnsiString (the text may hold any byte).
    SetTextBuf(*reinterpret_cast<const AnsiString*>(message.LParam));
    message.Result = 1;
    Invalidate();
}

void TControl::WMGetTextLength(TMessage& message) {
    message.Result = static_cast<LRESULT>(GetText().size());
}

void TControl::SetEnabled(bool value) {
    if (FEnabled == value) return;
    FEnabled = value;
    Perform(CM_ENABLEDCHANGED);
    Invalidate();
}

void TControl::SetVisible(bool value) {
    if (FVisible == value) return;
    FVisible = value;
    if (ComponentState().Contains(csLoading)) return;
    Perform(CM_VISIBLECHANGED, value ? 1 : 0);
    RequestAlign();
}

bool TControl::Showing() const {
    if (!FVisible) return false;
    return FParent ? FParent->Showing() : false;
}

bool TControl::IsEnabledInTree() const {
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->Enabled()) return false;
    return true;
}

void TControl::OnFontChange(TObject*) {
    FontChanged();
}

void TControl::FontChanged() {
    if (!FUpdatingFont) FParentFont = false;
    Perform(CM_FONTCHANGED);
    Invalidate();
}

void TControl::SetParentFont(bool value) {
    if (FParentFont == value) return;
    FParentFont = value;
    if (value && FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED);
}

void TControl::CMParentFontChanged(TMessage&) {
    if (!FParentFont || !FParent) return;
    FUpdatingFont = true;
    try {
        FFont->Assign(FParent->Font());
    } catch (...) {
        FUpdatingFont = false;
        throw;
    }
    FUpdatingFont = false;
}

void TControl::SetColor(TColor value) {
    if (FColor == value && !FParentColor) return;
    FColor = value;
    FParentColor = false;
    Perform(CM_COLORCHANGED);
    Invalidate();
}

void TControl::SetParentColor(bool value) {
    if (FParentColor == value) return;
    FParentColor = value;
    if (value && FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::CMParentColorChanged(TMessage&) {
    if (!FParentColor || !FParent) return;
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED);
    Invalidate();
}

void TControl::SetShowHint(bool value) {
    FParentShowHint = false;
    if (FShowHint == value) return;
    FShowHint = value;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
    if (FParentShowHint == value) return;
    FParentShowHint = value;
    if (value && FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::CMParentShowHintChanged(TMessage&) {
    if (!FParentShowHint || !FParent) return;
    if (FShowHint == FParent->ShowHint()) return;
    FShowHint = FParent->ShowHint();
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetCursor(TCursor value) {
    if (FCursor == value) return;
    FCursor = value;
    Perform(CM_CURSORCHANGED);
}

void TControl::SetPopupMenuComponent(TComponent* value) {
    if (FPopupMenu == value) return;
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = value;
    if (value) value->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    inherited::Notification(component, operation);
    if (operation == opRemove && component == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Click() {
    if (FOnClick) FOnClick(this);
}

void TControl::DblClick() {
    if (FOnDblClick) FOnDblClick(this);
}

void TControl::Resize() {
    if (FOnResize) FOnResize(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (FOnMouseDown) FOnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (FOnMouseUp) FOnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (FOnMouseMove) FOnMouseMove(this, shift, x, y);
}

void TControl::WMLButtonDown(TMessage& message) {
    if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
    FControlState.Include(csLButtonDown);
    MouseDown(mbLeft, MouseShift(message.WParam), MouseX(message.LParam), MouseY(message.LParam));
}

void TControl::WMLButtonUp(TMessage& message) {
    int x = MouseX(message.LParam), y = MouseY(message.LParam);
    bool clicked = FControlState.Contains(csClicked);
    FControlState.Exclude(csClicked);
    FControlState.Exclude(csLButtonDown);
    if (clicked && PtInRect(ClientRect(), Point(x, y))) Click();
    MouseUp(mbLeft, MouseShift(message.WParam), x, y);
}

void TControl::WMLButtonDblClk(TMessage& message) {
    if (FControlStyle.Contains(csDoubleClicks)) DblClick();
    MouseDown(mbLeft, MouseShift(message.WParam) | TShiftState{ssDouble}, MouseX(message.LParam),
              MouseY(message.LParam));
}

void TControl::WMRButtonDown(TMessage& message) {
    MouseDown(mbRight, MouseShift(message.WParam), MouseX(message.LParam), MouseY(message.LParam));
}

void TControl::WMRButtonUp(TMessage& message) {
    MouseUp(mbRight, MouseShift(message.WParam), MouseX(message.LParam), MouseY(message.LParam));
}

void TControl::WMMouseMove(TMessage& message) {
    MouseMove(MouseShift(message.WParam), MouseX(message.LParam), MouseY(message.LParam));
}

void TControl::MouseClickAt(int x, int y) {
    LPARAM pos = MakeLParam(x, y);
    Perform(WM_LBUTTONDOWN, 0x0001, pos);
    Perform(WM_LBUTTONUP, 0, pos);
}

LRESULT TControl::Perform(Cardinal msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    if (FWindowProc)
        FWindowProc(message);
    else
        WndProc(message);
    return message.Result;
}

void TControl::SetWindowProc(const TWndMethod& value) {
    FWindowProc = value ? value : TWndMethod(this, &TControl::WndProc);
}

void TControl::WndProc(TMessage& message) {
    Dispatch(message);
}

void TControl::Dispatch(TMessage& message) {
    TClass declared = nullptr;
    const auto* handler = FindMessageTableEntry(ClassType(), message.Msg, &declared);
    if (!handler) {
        DefaultHandler(message);
        return;
    }
    TClass saved = FHandlerClass;
    FHandlerClass = declared;
    try {
        (*handler)(this, message);
    } catch (...) {
        FHandlerClass = saved;
        throw;
    }
    FHandlerClass = saved;
}

void TControl::InheritedMessage(TMessage& message) {
    TClass from = FHandlerClass ? FHandlerClass->ClassParent() : nullptr;
    TClass declared = nullptr;
    const auto* handler = from ? FindMessageTableEntry(from, message.Msg, &declared) : nullptr;
    if (!handler) {
        DefaultHandler(message);
        return;
    }
    TClass saved = FHandlerClass;
    FHandlerClass = declared;
    try {
        (*handler)(this, message);
    } catch (...) {
        FHandlerClass = saved;
        throw;
    }
    FHandlerClass = saved;
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::Invalidate() {
    ++FInvalidateCount;
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::WMPaint(TMessage& message) {
    if (TCanvas* canvas = PaintCanvas(message)) PaintWindow(canvas);
}

void TControl::WMEraseBkgnd(TMessage& message) {
    if (TCanvas* canvas = PaintCanvas(message)) EraseBackground(canvas);
    message.Result = 1;
}

void TControl::WMNCPaint(TMessage& message) {
    if (TCanvas* canvas = PaintCanvas(message)) PaintNonClient(canvas);
}

void TControl::PrepareCaptionCanvas(TCanvas* canvas) const {
    canvas->Font()->Assign(FFont.get());
    canvas->Brush()->SetStyle(bsClear);
}

void TControl::PaintTree(TBitmap* bitmap, TPoint origin, const TRect& clip) {
    TRect area;
    if (!IntersectRect(area, Bounds(origin.X, origin.Y, FWidth, FHeight), clip)) return;
    {
        TCanvas nonClient;
        nonClient.SetTarget(bitmap, origin, &area);
        Perform(WM_NCPAINT, reinterpret_cast<WPARAM>(&nonClient));
    }
    TPoint co = ClientOrigin();
    TRect cr = ClientRect();
    TPoint clientOrigin{origin.X + co.X, origin.Y + co.Y};
    TRect clientArea;
    if (!IntersectRect(clientArea, Bounds(clientOrigin.X, clientOrigin.Y, cr.Width(), cr.Height()), area))
        return;
    {
        TCanvas client;
        client.SetTarget(bitmap, clientOrigin, &clientArea);
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(&client));
        client.Font()->Assign(FFont.get());
        client.Brush()->SetColor(FColor);
        Perform(WM_PAINT, reinterpret_cast<WPARAM>(&client));
    }
    auto* self = dynamic_cast<TWinControl*>(this);
    if (!self) return;
    // Graphic controls paint on their parent, under its windowed children.
    std::vector<TControl*> children = self->FControls;
    for (int pass = 0; pass < 2; ++pass)
        for (TControl* child : children) {
            if (!child->Visible() || IsWindowed(child) != (pass == 1)) continue;
            child->PaintTree(bitmap, Point(clientOrigin.X + child->FLeft, clientOrigin.Y + child->FTop),
                             clientArea);
        }
}

void TControl::PaintTo(TBitmap* bitmap, int x, int y) {
    if (!bitmap || bitmap->Empty()) return;
    PaintTree(bitmap, Point(x, y), Rect(0, 0, bitmap->Width(), bitmap->Height()));
}

void TControl::PaintTo(TCanvas* canvas, int x, int y) {
    if (!canvas || !canvas->Target()) return;
    TPoint o = canvas->Origin();
    TRect clip = canvas->ClipRect();
    OffsetRect(&clip, o.X, o.Y);
    PaintTree(canvas->Target(), Point(o.X + x, o.Y + y), clip);
}

void TControl::BringToFront() {
    if (!FParent) return;
    auto& list = FParent->FControls;
    list.erase(std::find(list.begin(), list.end(), this));
    list.push_back(this);
    Invalidate();
}

void TControl::SendToBack() {
    if (!FParent) return;
    auto& list = FParent->FControls;
    list.erase(std::find(list.begin(), list.end(), this));
    list.insert(list.begin(), this);
    Invalidate();
}

AnsiString TControl::DumpLine() const {
    AnsiString line = ClassName();
    line += " " + (Name().empty() ? AnsiString("-") : Name());
    line += " " + QuoteDump(DumpText());
    if (!FEnabled) line += " disabled";
    if (!FVisible) line += " hidden";
    line += " " + IntToStr(FLeft) + "," + IntToStr(FTop) + "," + IntToStr(FWidth) + "," + IntToStr(FHeight);
    return line;
}

void TControl::DumpDetails(std::vector<AnsiString>&, const AnsiString&) const {}

void TControl::Loaded() {
    inherited::Loaded();
    if (FParent) {
        TRect pr = FParent->ClientRect();
        FAnchorRight = pr.Width() - (FLeft + FWidth);
        FAnchorBottom = pr.Height() - (FTop + FHeight);
        if (FParentFont) Perform(CM_PARENTFONTCHANGED);
        if (FParentColor) Perform(CM_PARENTCOLORCHANGED);
        if (FParentShowHint) Perform(CM_PARENTSHOWHINTCHANGED);
    }
}

// ---- TWinControl ----

KVR_PUBLISHED(TWinControl, c) {
    c.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    c.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(0);
    c.Property("OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    c.Property("OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    c.Property("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    c.Property("OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    c.Property("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
}

KVR_MESSAGE_MAP(TWinControl, m) {
    m.Handle(WM_KEYDOWN, &TWinControl::WMKeyDown);
    m.Handle(WM_KEYUP, &TWinControl::WMKeyUp);
    m.Handle(WM_CHAR, &TWinControl::WMChar);
    m.Handle(WM_SYSKEYDOWN, &TWinControl::WMSysKeyDown);
    m.Handle(WM_SYSKEYUP, &TWinControl::WMKeyUp);
    m.Handle(WM_SYSCHAR, &TWinControl::WMSysChar);
    m.Handle(CN_KEYDOWN, &TWinControl::CNKeyDown);
    m.Handle(CN_SYSKEYDOWN, &TWinControl::CNKeyDown);
    m.Handle(CN_CHAR, &TWinControl::CNChar);
    m.Handle(WM_SIZE, &TWinControl::WMSize);
    m.Handle(WM_SETFOCUS, &TWinControl::WMSetFocus);
    m.Handle(WM_KILLFOCUS, &TWinControl::WMKillFocus);
    m.Handle(CM_ENTER, &TWinControl::CMEnter);
    m.Handle(CM_EXIT, &TWinControl::CMExit);
    m.Handle(CM_DIALOGKEY, &TWinControl::CMDialogKey);
    m.Handle(CM_DIALOGCHAR, &TWinControl::CMDialogChar);
    m.Handle(CM_FONTCHANGED, &TWinControl::CMFontChanged);
    m.Handle(CM_COLORCHANGED, &TWinControl::CMColorChanged);
    m.Handle(CM_SHOWHINTCHANGED, &TWinControl::CMShowHintChanged);
    m.Handle(CM_ENABLEDCHANGED, &TWinControl::CMEnabledChanged);
    m.Handle(CM_VISIBLECHANGED, &TWinControl::CMVisibleChanged);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // A parent frees the controls it holds, whoever owns them.
    while (!FControls.empty())
        delete FControls.back();
    DestroyHandle();
}

void TWinControl::BeforeDestruction() {
    if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this, true);
    while (!FControls.empty())
        FControls.back()->Free();
    inherited::BeforeDestruction();
    DestroyHandle();
}

HWND TWinControl::Handle() {
    if (!FHandle) CreateHandle();
    return FHandle;
}

void TWinControl::CreateHandle() {
    if (FHandle) return;
    if (Parent()) Parent()->HandleNeeded();
    CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& params) {
    params = TCreateParams();
    params.Caption = GetText();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FTabStop) params.Style |= WS_TABSTOP;
    if (Visible()) params.Style |= WS_VISIBLE;
    if (!Enabled()) params.Style |= WS_DISABLED;
    params.X = FLeft;
    params.Y = FTop;
    params.Width = FWidth;
    params.Height = FHeight;
    params.WndParent = Parent() ? Parent()->FHandle : 0;
    params.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
    CreateParams(FCreateParams);
    FHandle = AllocateHWnd(TWndMethod(this, &TWinControl::MainWndProc));
    ControlHandles()[FHandle] = this;
}

void TWinControl::DestroyWnd() {
    ControlHandles().erase(FHandle);
    DeallocateHWnd(FHandle);
    FHandle = 0;
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    DestroyWnd();
}

void TWinControl::MainWndProc(TMessage& message) {
    if (WindowProc())
        WindowProc()(message);
    else
        WndProc(message);
}

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount())
        throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return FControls[static_cast<std::size_t>(index)];
}

bool TWinControl::ContainsControl(const TControl* control) const {
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& pos, bool allowDisabled) const {
    // Windowed children lie over graphic ones; within each, the later is on top.
    for (int pass = 0; pass < 2; ++pass)
        for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
            TControl* c = *it;
            if (IsWindowed(c) != (pass == 0)) continue;
            if (c->Visible() && (allowDisabled || c->Enabled()) && PtInRect(c->BoundsRect(), pos)) return c;
        }
    return nullptr;
}

void TWinControl::InsertControl(TControl* control) {
    control->FParent = this;
    FControls.push_back(control);
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        if (!w->ComponentState().Contains(csLoading) || w->FTabOrder < 0) {
            int count = 0;
            for (TControl* c : FControls)
                if (c != control && IsWindowed(c)) ++count;
            w->FTabOrder = count;
        }
    }
    TRect pr = ClientRect();
    control->FAnchorRight = pr.Width() - (control->FLeft + control->FWidth);
    control->FAnchorBottom = pr.Height() - (control->FTop + control->FHeight);
    if (!control->ComponentState().Contains(csReading)) {
        if (control->FParentFont) control->Perform(CM_PARENTFONTCHANGED);
        if (control->FParentColor) control->Perform(CM_PARENTCOLORCHANGED);
        if (control->FParentShowHint) control->Perform(CM_PARENTSHOWHINTCHANGED);
    }
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 1);
    if (control->Align() != alNone) Realign();
    Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
    auto it = std::find(FControls.begin(), FControls.end(), control);
    if (it == FControls.end()) return;
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(w, true);
        w->DestroyHandle();
    }
    FControls.erase(std::find(FControls.begin(), FControls.end(), control));
    control->FParent = nullptr;
    if (!ComponentState().Contains(csDestroying)) {
        Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
        if (control->Align() != alNone) Realign();
    }
}

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
    for (TControl* c : FControls)
        if (c->Owner() == root) proc(c);
}

void TWinControl::SetChildOrder(TComponent* child, int order) {
    auto it = std::find(FControls.begin(), FControls.end(), child);
    if (it == FControls.end()) return;
    TControl* c = *it;
    FControls.erase(it);
    order = std::clamp(order, 0, ControlCount());
    FControls.insert(FControls.begin() + order, c);
}

void TWinControl::EnableAlign() {
    if (FAlignLevel > 0 && --FAlignLevel == 0) Realign();
}

void TWinControl::Realign() {
    if (FAlignLevel > 0 || FAligning || ComponentState().Contains(csLoading) ||
        ComponentState().Contains(csDestroying))
        return;
    TRect rect = ClientRect();
    AdjustClientRect(rect);
    AlignControls(nullptr, rect);
}

void TWinControl::AlignControls(TControl*, TRect& rect) {
    FAligning = true;
    try {
        for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
            std::vector<TControl*> list;
            for (TControl* c : FControls)
                if (c->Align() == align && c->Visible()) list.push_back(c);
            // Controls keep their order along the edge they are aligned to.
            std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
                switch (align) {
                case alTop:
                    return a->Top() < b->Top();
                case alBottom:
                    return a->Top() + a->Height() > b->Top() + b->Height();
                case alLeft:
                    return a->Left() < b->Left();
                case alRight:
                    return a->Left() + a->Width() > b->Left() + b->Width();
                default:
                    return false;
                }
            });
            for (TControl* c : list) {
                int w = c->Width(), h = c->Height();
                switch (align) {
                case alTop:
                    c->SetBounds(rect.Left, rect.Top, rect.Width(), h);
                    rect.Top += h;
                    break;
                case alBottom:
                    c->SetBounds(rect.Left, rect.Bottom - h, rect.Width(), h);
                    rect.Bottom -= h;
                    break;
                case alLeft:
                    c->SetBounds(rect.Left, rect.Top, w, rect.Height());
                    rect.Left += w;
                    break;
                case alRight:
                    c->SetBounds(rect.Right - w, rect.Top, w, rect.Height());
                    rect.Right -= w;
                    break;
                default:
                    c->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
                    break;
                }
            }
        }
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::AnchorChildren(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    FAligning = true; // keeps the children's anchor distances
    try {
        for (TControl* c : FControls) {
            if (c->Align() != alNone || c->ComponentState().Contains(csLoading)) continue;
            TAnchors a = c->Anchors();
            int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
            if (a.Contains(akRight)) {
                if (a.Contains(akLeft))
                    w += dx;
                else
                    l += dx;
            }
            if (a.Contains(akBottom)) {
                if (a.Contains(akTop))
                    h += dy;
                else
                    t += dy;
            }
            c->SetBounds(l, t, w, h);
        }
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    bool moved = left != FLeft || top != FTop;
    bool sized = width != FWidth || height != FHeight;
    TRect oldClient = ClientRect();
    TControl::SetBounds(left, top, width, height);
    if (moved) Perform(WM_MOVE, 0, MakeLParam(FLeft, FTop));
    if (sized) {
        TRect cr = ClientRect();
        if (!ComponentState().Contains(csLoading))
            AnchorChildren(cr.Width() - oldClient.Width(), cr.Height() - oldClient.Height());
        Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(cr.Width(), cr.Height()));
    }
}

void TWinControl::WMSize(TMessage&) {
    if (ComponentState().Contains(csLoading)) return;
    Realign();
    Resize();
}

void TWinControl::Loaded() {
    inherited::Loaded();
    Realign();
}

std::vector<TWinControl*> TWinControl::TabList() const {
    std::vector<TWinControl*> list;
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) list.push_back(w);
    std::stable_sort(list.begin(), list.end(),
                     [](TWinControl* a, TWinControl* b) { return a->FTabOrder < b->FTabOrder; });
    return list;
}

int TWinControl::TabOrder() const {
    if (!Parent()) return FTabOrder;
    auto list = Parent()->TabList();
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
    if (ComponentState().Contains(csLoading) || !Parent()) {
        FTabOrder = value;
        return;
    }
    auto list = Parent()->TabList();
    list.erase(std::find(list.begin(), list.end(), this));
    int pos = value < 0 ? static_cast<int>(list.size()) : std::min(value, static_cast<int>(list.size()));
    list.insert(list.begin() + pos, this);
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i]->FTabOrder = static_cast<int>(i);
}

void TWinControl::SetTabStop(bool value) {
    if (FTabStop == value) return;
    FTabStop = value;
    Perform(CM_TABSTOPCHANGED);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (TWinControl* w : TabList()) {
        list.push_back(w);
        w->GetTabOrderList(list);
    }
}

bool TWinControl::CanFocus() const {
    TCustomForm* form = GetParentForm(this);
    if (!form) return false;
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() const {
    return FHandle != 0 && GetFocusedControl() == this;
}

void TWinControl::SetFocus() {
    TCustomForm* form = GetParentForm(this);
    if (!form) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    form->FocusControl(this);
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = static_cast<int>(list.size());
    auto it = std::find(list.begin(), list.end(), current);
    int start = it == list.end() ? (goForward ? n - 1 : 0) : static_cast<int>(it - list.begin());
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = goForward ? (i + 1) % n : (i + n - 1) % n;
        TWinControl* c = list[static_cast<std::size_t>(i)];
        if (c == current && it != list.end()) break;
        if ((!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this) && c->CanFocus())
            return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop);
    if (next) next->SetFocus();
}

void TWinControl::Broadcast(TMessage& message) {
    std::vector<TControl*> children = FControls;
    for (TControl* c : children) {
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
        c->WindowProc()(message);
        if (message.Result != 0) return;
    }
}

void TWinControl::DoEnter() {
    if (FOnEnter) FOnEnter(this);
}

void TWinControl::DoExit() {
    if (FOnExit) FOnExit(this);
}

void TWinControl::KeyDown(Word& key, TShiftState shift) {
    if (FOnKeyDown) FOnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(Word& key, TShiftState shift) {
    if (FOnKeyUp) FOnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
    if (FOnKeyPress) FOnKeyPress(this, key);
}

bool TWinControl::DoKeyDown(TMessage& message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyDown(message))
        return true;
    Word key = static_cast<Word>(message.WParam);
    KeyDown(key, KeyDataToShiftState(message.LParam));
    message.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(message))
        return true;
    Word key = static_cast<Word>(message.WParam);
    KeyUp(key, KeyDataToShiftState(message.LParam));
    message.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(message))
        return true;
    char ch = static_cast<char>(message.WParam & 0xFF);
    KeyPress(ch);
    message.WParam = static_cast<unsigned char>(ch);
    return ch == 0;
}

bool TWinControl::IsMenuKey(TMessage& message) {
    TMenuShortCutHook hook = MenuShortCutHook();
    if (hook)
        for (TControl* c = this; c; c = c->Parent())
            if (c->PopupMenuComponent() && hook(c->PopupMenuComponent(), message)) return true;
    TCustomForm* form = GetParentForm(this);
    return form && form->IsShortCut(message);
}

void TWinControl::WMKeyDown(TMessage& message) {
    if (!DoKeyDown(message)) DefaultHandler(message);
}

void TWinControl::WMSysKeyDown(TMessage& message) {
    if (!DoKeyDown(message)) DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message) {
    if (!DoKeyUp(message)) DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message) {
    if (!DoKeyPress(message)) DefaultHandler(message);
}

void TWinControl::WMSysChar(TMessage& message) {
    // Alt with a letter: the accelerators of the form's controls.
    TCustomForm* form = GetParentForm(this);
    if (form) message.Result = form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam);
    if (message.Result == 0) DefaultHandler(message);
}

void TWinControl::CNKeyDown(TMessage& message) {
    message.Result = 1;
    if (IsMenuKey(message)) return;
    Word key = static_cast<Word>(message.WParam);
    LRESULT mask = 0;
    switch (key) {
    case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
        mask = DLGC_WANTALLKEYS;
        break;
    default:
        break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, message.LParam) == 0 &&
        (Perform(WM_GETDLGCODE) & mask) == 0) {
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGKEY, key, message.LParam) != 0) return;
    }
    message.Result = 0;
}

void TWinControl::CNChar(TMessage& message) {
    message.Result = 1;
    if ((Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0) {
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0) return;
    }
    message.Result = 0;
}

void TWinControl::CMDialogKey(TMessage& message) {
    Broadcast(message);
}
void TWinControl::CMDialogChar(TMessage& message) {
    Broadcast(message);
}

void TWinControl::WMSetFocus(TMessage&) {
    Invalidate();
}
void TWinControl::WMKillFocus(TMessage&) {
    Invalidate();
}
void TWinControl::CMEnter(TMessage&) {
    DoEnter();
}
void TWinControl::CMExit(TMessage&) {
    DoExit();
}

void TWinControl::CMFontChanged(TMessage& message) {
    TMessage m{CM_PARENTFONTCHANGED, 0, 0, 0};
    for (TControl* c : std::vector<TControl*>(FControls))
        c->WindowProc()(m);
    (void)message;
}

void TWinControl::CMColorChanged(TMessage&) {
    TMessage m{CM_PARENTCOLORCHANGED, 0, 0, 0};
    for (TControl* c : std::vector<TControl*>(FControls))
        c->WindowProc()(m);
}

void TWinControl::CMShowHintChanged(TMessage&) {
    TMessage m{CM_PARENTSHOWHINTCHANGED, 0, 0, 0};
    for (TControl* c : std::vector<TControl*>(FControls))
        c->WindowProc()(m);
}

void TWinControl::CMEnabledChanged(TMessage&) {
    if (!Enabled())
        if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this, false);
    Perform(WM_ENABLE, Enabled() ? 1 : 0);
}

void TWinControl::CMVisibleChanged(TMessage&) {
    if (!Visible())
        if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this, false);
    Perform(CM_SHOWINGCHANGED);
}

void TWinControl::EraseBackground(TCanvas* canvas) {
    if (FControlStyle.Contains(csOpaque)) return;
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(ClientRect());
}

// ---- TGraphicControl and TCustomControl ----

namespace {
// Binds a control's own canvas to the picture and clip of the canvas a paint message carries.
void BindCanvas(TControlCanvas* own, TCanvas* paint, const TControl* control) {
    TPoint o = paint->Origin();
    TRect clip = paint->ClipRect();
    OffsetRect(&clip, o.X, o.Y);
    own->SetTarget(paint->Target(), o, &clip);
    own->Font()->Assign(control->Font());
    own->Brush()->SetColor(control->Color());
    own->Brush()->SetStyle(bsSolid);
    own->Pen()->SetColor(clBlack);
    own->Pen()->SetWidth(1);
    own->Pen()->SetStyle(psSolid);
    own->ResetClipRect();
}

// Runs paint with the control's own canvas bound to the target, and unbinds it whatever happens.
template <class TPaint>
void PaintBound(TControlCanvas* own, TCanvas* target, TControl* control, TPaint paint) {
    BindCanvas(own, target, control);
    try {
        paint();
    } catch (...) {
        own->ClearTarget();
        throw;
    }
    own->ClearTarget();
}
} // namespace

KVR_PUBLISHED(TGraphicControl, c) {}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), FCanvas(std::make_unique<TControlCanvas>()) {
    FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::PaintWindow(TCanvas* canvas) {
    PaintBound(FCanvas.get(), canvas, this, [this] { Paint(); });
}

KVR_PUBLISHED(TCustomControl, c) {}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), FCanvas(std::make_unique<TControlCanvas>()) {
    FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(TCanvas* canvas) {
    PaintBound(FCanvas.get(), canvas, this, [this] { Paint(); });
}

// ---- free routines ----

TWinControl* FindControl(HWND handle) {
    auto it = ControlHandles().find(handle);
    return it == ControlHandles().end() ? nullptr : it->second;
}

TWinControl* GetFocusedControl() {
    TCustomForm* form = Screen ? Screen->ActiveForm() : nullptr;
    return form ? form->FocusedControl() : nullptr;
}

TCustomForm* GetParentForm(const TControl* control) {
    const TControl* c = control;
    while (c && c->Parent())
        c = c->Parent();
    return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

AnsiString GetShortHint(const AnsiString& hint) {
    auto bar = hint.find('|');
    return bar == AnsiString::npos ? hint : hint.substr(0, bar);
}

AnsiString GetLongHint(const AnsiString& hint) {
    auto bar = hint.find('|');
    return bar == AnsiString::npos ? hint : hint.substr(bar + 1);
}

bool IsAccel(Word key, const AnsiString& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(caption[i + 1]);
        unsigned char k = static_cast<unsigned char>(key & 0xFF);
        auto up = [](unsigned char x) {
            return x >= 'a' && x <= 'z' ? static_cast<unsigned char>(x - 32) : x;
        };
        return up(c) == up(k);
    }
    return false;
}

AnsiString StripHotkey(const AnsiString& caption) {
    AnsiString out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i; // "&x" shows x, "&&" shows "&"
        out += caption[i];
    }
    return out;
}

void SetMenuShortCutHook(TMenuShortCutHook hook) {
    ShortCutHook() = hook;
}
TMenuShortCutHook MenuShortCutHook() {
    return ShortCutHook();
}

void DumpControl(const TControl* control, std::vector<AnsiString>& lines, int level) {
    if (!control) return;
    AnsiString indent(static_cast<std::size_t>(level) * 2, ' ');
    lines.push_back(indent + control->DumpLine());
    control->DumpDetails(lines, indent + "  ");
    if (const auto* w = dynamic_cast<const TWinControl*>(control))
        for (int i = 0; i < w->ControlCount(); ++i)
            DumpControl(w->Controls(i), lines, level + 1);
}

AnsiString DumpControl(const TControl* control) {
    std::vector<AnsiString> lines;
    DumpControl(control, lines, 0);
    AnsiString text;
    for (const auto& l : lines)
        text += l + "\n";
    return text;
}

void PaintControlPicture(TControl* control, TBitmap* bitmap) {
    if (!control || !bitmap) return;
    bitmap->SetSize(std::max(1, control->Width()), std::max(1, control->Height()));
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(Rect(0, 0, bitmap->Width(), bitmap->Height()));
    control->PaintTo(bitmap, 0, 0);
}

void SaveControlPicture(TControl* control, const AnsiString& fileName) {
    TBitmap bitmap;
    PaintControlPicture(control, &bitmap);
    bitmap.SaveToFile(fileName);
}
