#pragma once
// Controls of the headless screen: TControl, TWinControl, TGraphicControl and TCustomControl.
//
// A control has an owner (who frees it) and a parent (the windowed control it sits in, whose client
// area its Left and Top count from). A windowed control gets its window handle on first use of Handle;
// messages reach it through WindowProc (replaceable: save the old one and call it from the new one),
// then WndProc, the class's message table (KVR_MESSAGES in messages.h) and DefaultHandler.
//
// Painting draws the control tree into a TBitmap: each control in turn gets WM_NCPAINT (a canvas at
// its top-left), WM_ERASEBKGND and WM_PAINT (a canvas at its client area, in WParam: see PaintCanvas),
// then its children paint over it, graphic ones first. A control's look is its PaintWindow (or Paint
// for TCustomControl and TGraphicControl). Text uses the fixed metric of classlib/graphics.
//
// Keys (see PressKey in forms.h): CN_KEYDOWN first checks menu shortcuts (IsMenuKey) and, for Tab,
// arrows, Enter and Esc that the control does not claim in its WM_GETDLGCODE answer, sends CM_DIALOGKEY
// to the form (focus moves, default and cancel buttons). WM_KEYDOWN, WM_CHAR and WM_KEYUP then run the
// form's key preview and the control's OnKeyDown, OnKeyPress and OnKeyUp. A control that takes typed text
// answers WM_GETDLGCODE with DLGC_WANTCHARS (else a typed letter is offered to the accelerators through
// CM_DIALOGCHAR) and handles WM_CHAR by calling InheritedMessage first (the key events may zero WParam)
// and then inserting the byte; double-byte characters arrive as two WM_CHAR bytes. "Typing over" a text
// starts with EM_SETSEL 0, -1.
#include <memory>
#include <vector>

#include "classlib/controls/messages.h"
#include "classlib/graphics/bitmap.h"
#include "classlib/graphics/canvas.h"
#include "classlib/graphics/graphics.h"
#include "classlib/graphics/types.h"
#include "classlib/objects/component.h"

class TControl;
class TWinControl;
class TCustomForm;
// Menus live in their own unit; controls refer to them through these seams until then.
class TPopupMenu;
class TMainMenu;

KVR_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom);
KVR_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom);
KVR_SET(TAnchors, TAnchorKind);
KVR_ENUM(TControlStyleElement, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents,
         csFramed, csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible,
         csReplicatable, csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents);
KVR_SET(TControlStyle, TControlStyleElement);
KVR_ENUM(TControlStateElement, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded,
         csFocusing, csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking);
KVR_SET(TControlState, TControlStateElement);
KVR_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle);

// Cursors: identifiers crDefault, crArrow, ... in streams (type "TCursor").
using TCursor = short;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

using TCaption = AnsiString;

KVR_EVENT_TYPE(TKeyEvent, void(TObject* sender, Word& key, TShiftState shift));
KVR_EVENT_TYPE(TKeyPressEvent, void(TObject* sender, char& key));
KVR_EVENT_TYPE(TMouseEvent, void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y));
KVR_EVENT_TYPE(TMouseMoveEvent, void(TObject* sender, TShiftState shift, int x, int y));

// Window styles that CreateParams fills in.
constexpr Cardinal WS_POPUP = 0x80000000;
constexpr Cardinal WS_CHILD = 0x40000000;
constexpr Cardinal WS_VISIBLE = 0x10000000;
constexpr Cardinal WS_DISABLED = 0x08000000;
constexpr Cardinal WS_CLIPSIBLINGS = 0x04000000;
constexpr Cardinal WS_CLIPCHILDREN = 0x02000000;
constexpr Cardinal WS_CAPTION = 0x00C00000;
constexpr Cardinal WS_BORDER = 0x00800000;
constexpr Cardinal WS_DLGFRAME = 0x00400000;
constexpr Cardinal WS_VSCROLL = 0x00200000;
constexpr Cardinal WS_HSCROLL = 0x00100000;
constexpr Cardinal WS_SYSMENU = 0x00080000;
constexpr Cardinal WS_THICKFRAME = 0x00040000;
constexpr Cardinal WS_TABSTOP = 0x00010000;
constexpr Cardinal WS_MINIMIZEBOX = 0x00020000;
constexpr Cardinal WS_MAXIMIZEBOX = 0x00010000;
constexpr Cardinal WS_EX_DLGMODALFRAME = 0x00000001;
constexpr Cardinal WS_EX_TOPMOST = 0x00000008;
constexpr Cardinal WS_EX_TOOLWINDOW = 0x00000080;
constexpr Cardinal WS_EX_CLIENTEDGE = 0x00000200;
// Styles of the system's button windows.
constexpr Cardinal BS_RADIOBUTTON = 0x0004;
constexpr Cardinal BS_LEFTTEXT = 0x0020;

struct TCreateParams {
    AnsiString Caption;
    Cardinal Style = 0;
    Cardinal ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = 0;
    AnsiString WinClassName;
};

// The canvas of a control; outside painting it draws on a scratch picture of the control's size.
class TControlCanvas : public TCanvas {
    KVR_CLASS(TControlCanvas, TCanvas)
public:
    TControlCanvas() = default;
    TControl* Control() const { return FControl; }
    void SetControl(TControl* value) { FControl = value; }

protected:
    void CreateHandle() override;

private:
    TControl* FControl = nullptr;
    std::unique_ptr<TBitmap> FScratch;
};

// The canvas a WM_PAINT (or WM_ERASEBKGND, WM_NCPAINT) message carries in WParam.
inline TCanvas* PaintCanvas(const TMessage& message) {
    return reinterpret_cast<TCanvas*>(message.WParam);
}

class TControl : public TComponent {
    KVR_CLASS(TControl, TComponent)
    KVR_MESSAGES(TControl)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    void BeforeDestruction() override;

    // ---- geometry ----
    int Left() const { return FLeft; }
    void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
    int Top() const { return FTop; }
    void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
    int Width() const { return FWidth; }
    void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
    int Height() const { return FHeight; }
    void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
    // Moves and sizes the control (negative sizes count as 0); WM_MOVE and WM_SIZE follow for a
    // windowed control, then the parent realigns.
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& rect) { SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height()); }
    // The client area in its own coordinates: (0, 0, ClientWidth, ClientHeight).
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    void SetClientWidth(int value);
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientHeight(int value);
    // Where the client area starts inside the control's bounds (a form's frame and caption bar).
    virtual TPoint ClientOrigin() const { return {0, 0}; }
    // Screen coordinates through the parent chain (a form's Left and Top are on the screen).
    TPoint ClientToScreen(const TPoint& point) const;
    TPoint ScreenToClient(const TPoint& point) const;
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors value);

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* value);
    bool HasParent() const override { return FParent != nullptr; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;

    // ---- state ----
    // Caption and Text are one text (WM_SETTEXT, then CM_TEXTCHANGED when it changed).
    AnsiString Caption() const { return GetText(); }
    void SetCaption(const AnsiString& value) { SetText(value); }
    AnsiString Text() const { return GetText(); }
    void SetText(const AnsiString& value);
    virtual bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent; a form is showing while it is visible.
    virtual bool Showing() const;
    // Enabled here and in every parent.
    bool IsEnabledInTree() const;

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* value) { FFont->Assign(value); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& value) { FHint = value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }
    // The pop-up menu as a component (the menu unit's TPopupMenu).
    TComponent* PopupMenuComponent() const { return FPopupMenu; }
    TPopupMenu* PopupMenu() const { return reinterpret_cast<TPopupMenu*>(FPopupMenu); }
    void SetPopupMenuComponent(TComponent* value);

    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle value) { FControlStyle = value; }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState value) { FControlState = value; }

    // ---- events ----
    const TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(const TNotifyEvent& value) { FOnClick = value; }
    const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
    void SetOnDblClick(const TNotifyEvent& value) { FOnDblClick = value; }
    const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
    void SetOnMouseDown(const TMouseEvent& value) { FOnMouseDown = value; }
    const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
    void SetOnMouseUp(const TMouseEvent& value) { FOnMouseUp = value; }
    const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
    void SetOnMouseMove(const TMouseMoveEvent& value) { FOnMouseMove = value; }
    const TNotifyEvent& OnResize() const { return FOnResize; }
    void SetOnResize(const TNotifyEvent& value) { FOnResize = value; }

    // Fires OnClick; descendants (buttons, check boxes) add their own effect.
    virtual void Click();
    virtual void DblClick();

    // ---- messages ----
    LRESULT Perform(Cardinal msg, WPARAM wParam = 0, LPARAM lParam = 0);
    const TWndMethod& WindowProc() const { return FWindowProc; }
    void SetWindowProc(const TWndMethod& value);
    virtual void WndProc(TMessage& message);
    // Runs the handler of the class's message table, else DefaultHandler.
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);
    // From a message handler: the handling of the ancestors of the class that declared the handler.
    void InheritedMessage(TMessage& message);

    // ---- painting ----
    // Marks the control for painting; headless painting happens when a picture is taken.
    virtual void Invalidate();
    virtual void Update() {}
    void Repaint();
    void Refresh() { Repaint(); }
    int InvalidateCount() const { return FInvalidateCount; }
    // Paints the control (and, for a windowed control, its children) with its top-left at (x, y).
    void PaintTo(TBitmap* bitmap, int x, int y);
    void PaintTo(TCanvas* canvas, int x, int y);

    // ---- z-order ----
    void BringToFront();
    void SendToBack();

    // ---- text dump ----
    // One line (without indent) for the dump: class, name, caption or text, state and bounds.
    virtual AnsiString DumpLine() const;
    // The text the dump shows: the caption or text.
    virtual AnsiString DumpText() const { return GetText(); }
    // Lines the dump adds below the control (a grid's rows), already indented by indent.
    virtual void DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const;

    // ---- input (the headless screen calls these through messages) ----
    // Mouse coordinates are in the control's client area.
    void MouseClickAt(int x, int y); // WM_LBUTTONDOWN then WM_LBUTTONUP

    // A parent's stream hook: realigns after loading.
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    virtual AnsiString GetText() const { return FText; }
    virtual void SetTextBuf(const AnsiString& value) { FText = value; }
    virtual void Changed() { Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this)); }
    virtual void Resize();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // Non-client part, background and face; canvases as in the header comment.
    virtual void PaintNonClient(TCanvas*) {}
    virtual void EraseBackground(TCanvas*) {}
    virtual void PaintWindow(TCanvas*) {}
    // The default text style of captions: the control's font and a clear brush.
    void PrepareCaptionCanvas(TCanvas* canvas) const;

    void RequestAlign();
    virtual void FontChanged();
    bool IsFontStored() const { return !FParentFont; }
    bool IsColorStored() const { return !FParentColor; }
    bool IsShowHintStored() const { return !FParentShowHint; }

    // Message handlers.
    void WMPaint(TMessage& message);
    void WMEraseBkgnd(TMessage& message);
    void WMNCPaint(TMessage& message);
    void WMSetText(TMessage& message);
    void WMGetTextLength(TMessage& message);
    void WMLButtonDown(TMessage& message);
    void WMLButtonUp(TMessage& message);
    void WMLButtonDblClk(TMessage& message);
    void WMRButtonDown(TMessage& message);
    void WMRButtonUp(TMessage& message);
    void WMMouseMove(TMessage& message);
    void CMParentFontChanged(TMessage& message);
    void CMParentColorChanged(TMessage& message);
    void CMParentShowHintChanged(TMessage& message);

    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    TControlStyle FControlStyle;
    TControlState FControlState;
    // Descendants choose other starting values in their constructors.
    bool FEnabled = true;
    bool FVisible = true;
    bool FParentFont = true;
    TColor FColor = clWindow;
    bool FParentColor = true;

private:
    friend class TWinControl;
    friend class TCustomForm;
    void PaintTree(TBitmap* bitmap, TPoint origin, const TRect& clip);
    static void FontChangedThunk(TObject* self, TObject*);
    void OnFontChange(TObject* sender);

    TWinControl* FParent = nullptr;
    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    AnsiString FText;
    std::unique_ptr<TFont> FFont;
    bool FUpdatingFont = false;
    AnsiString FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TCursor FCursor = crDefault;
    int FHelpContext = 0;
    TComponent* FPopupMenu = nullptr;
    TNotifyEvent FOnClick;
    TNotifyEvent FOnDblClick;
    TMouseEvent FOnMouseDown;
    TMouseEvent FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TNotifyEvent FOnResize;
    TWndMethod FWindowProc;
    int FInvalidateCount = 0;
    // Set while a handler runs, so InheritedMessage knows where to continue.
    TClass FHandlerClass = nullptr;
    // Anchors keep distances to the parent's right and bottom edges.
    int FAnchorRight = 0;
    int FAnchorBottom = 0;
};

class TWinControl : public TControl {
    KVR_CLASS(TWinControl, TControl)
    KVR_MESSAGES(TWinControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    void BeforeDestruction() override;

    // ---- window handle ----
    HWND Handle();
    bool HandleAllocated() const { return FHandle != 0; }
    void HandleNeeded() { Handle(); }
    const TCreateParams& LastCreateParams() const { return FCreateParams; }
    // Gives back the window handle (children first); the next Handle makes a new one.
    void DestroyHandle();

    // ---- children ----
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const; // EListError out of range
    bool ContainsControl(const TControl* control) const;
    // The child at a client point (a visible one, topmost first); nil when none.
    TControl* ControlAtPos(const TPoint& pos, bool allowDisabled = false) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    void SetChildOrder(TComponent* child, int order) override;

    // ---- alignment ----
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();
    void Realign();
    // Lays out the aligned children within the client rect (AdjustClientRect), in the platform's order:
    // top, bottom, left, right, client.
    virtual void AlignControls(TControl* control, TRect& rect);
    virtual void AdjustClientRect(TRect&) {}

    // ---- focus ----
    int TabOrder() const;
    void SetTabOrder(int value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value);
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // Focus moves through the controls of this container in tab order, wrapping around.
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                 bool checkParent) const;
    // The windowed controls in tab order, containers followed by their own (depth first).
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    // The children in tab order (this level only).
    std::vector<TWinControl*> TabList() const;

    const TNotifyEvent& OnEnter() const { return FOnEnter; }
    void SetOnEnter(const TNotifyEvent& value) { FOnEnter = value; }
    const TNotifyEvent& OnExit() const { return FOnExit; }
    void SetOnExit(const TNotifyEvent& value) { FOnExit = value; }
    const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
    void SetOnKeyDown(const TKeyEvent& value) { FOnKeyDown = value; }
    const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
    void SetOnKeyPress(const TKeyPressEvent& value) { FOnKeyPress = value; }
    const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
    void SetOnKeyUp(const TKeyEvent& value) { FOnKeyUp = value; }

    // Sends the message to every child (stops at the first that sets a non-zero Result).
    void Broadcast(TMessage& message);
    void SetBounds(int left, int top, int width, int height) override;
    void Loaded() override;

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void CreateHandle();
    virtual void DoEnter();
    virtual void DoExit();
    virtual void KeyDown(Word& key, TShiftState shift);
    virtual void KeyUp(Word& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // The form's key preview, then KeyDown/KeyPress/KeyUp; true when the key was consumed.
    bool DoKeyDown(TMessage& message);
    bool DoKeyUp(TMessage& message);
    bool DoKeyPress(TMessage& message);
    // Whether a key belongs to a menu shortcut of the control's pop-up menu or of its form.
    virtual bool IsMenuKey(TMessage& message);
    void EraseBackground(TCanvas* canvas) override;

    void WMKeyDown(TMessage& message);
    void WMKeyUp(TMessage& message);
    void WMChar(TMessage& message);
    void WMSysKeyDown(TMessage& message);
    void WMSysChar(TMessage& message);
    void CNKeyDown(TMessage& message);
    void CNChar(TMessage& message);
    void WMSize(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMKillFocus(TMessage& message);
    void CMEnter(TMessage& message);
    void CMExit(TMessage& message);
    void CMDialogKey(TMessage& message);
    void CMDialogChar(TMessage& message);
    void CMFontChanged(TMessage& message);
    void CMColorChanged(TMessage& message);
    void CMShowHintChanged(TMessage& message);
    void CMEnabledChanged(TMessage& message);
    void CMVisibleChanged(TMessage& message);

private:
    friend class TControl;
    void MainWndProc(TMessage& message);
    void AlignTree();
    void AnchorChildren(int dx, int dy);

    HWND FHandle = 0;
    TCreateParams FCreateParams;
    std::vector<TControl*> FControls;
    int FTabOrder = -1;
    bool FTabStop = false;
    int FAlignLevel = 0;
    bool FAligning = false;
    TNotifyEvent FOnEnter;
    TNotifyEvent FOnExit;
    TKeyEvent FOnKeyDown;
    TKeyPressEvent FOnKeyPress;
    TKeyEvent FOnKeyUp;
};

// A control without a window that paints on its parent.
class TGraphicControl : public TControl {
    KVR_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(TCanvas* canvas) override;

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// A windowed control that paints itself through Paint on its Canvas.
class TCustomControl : public TWinControl {
    KVR_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(TCanvas* canvas) override;

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// The control of a window handle; nil when the handle is not a control's.
TWinControl* FindControl(HWND handle);
// The focused control of the active form (nil when none).
TWinControl* GetFocusedControl();
// The form a control sits on (nil for a control without one).
TCustomForm* GetParentForm(const TControl* control);
// The short (before "|") and long (after it) parts of a hint.
AnsiString GetShortHint(const AnsiString& hint);
AnsiString GetLongHint(const AnsiString& hint);
// The caption's accelerator: true when key is the character after a single "&" in caption.
bool IsAccel(Word key, const AnsiString& caption);
// The caption without its "&" markers ("&&" stays one "&").
AnsiString StripHotkey(const AnsiString& caption);

// Menu seams: the menu unit installs these so that forms and controls dispatch shortcuts to menus
// without depending on it. A hook returns true when the menu handled the key.
using TMenuShortCutHook = bool (*)(TComponent* menu, TMessage& keyMessage);
void SetMenuShortCutHook(TMenuShortCutHook hook);
TMenuShortCutHook MenuShortCutHook();

// The text dump of a control and everything inside it: one line a control, two blanks of indent a level.
AnsiString DumpControl(const TControl* control);
void DumpControl(const TControl* control, std::vector<AnsiString>& lines, int level = 0);
// The picture of a control: the bitmap is sized to the control and painted.
void PaintControlPicture(TControl* control, TBitmap* bitmap);
// As a PNG file.
void SaveControlPicture(TControl* control, const AnsiString& fileName);
