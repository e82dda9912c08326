#include "classlib/controls/forms.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "classlib/controls/button.h"
#include "classlib/controls/comctrls.h"
#include "classlib/controls/dialogs.h"
#include "classlib/controls/timer.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

const char* const kCannotFocus = "Cannot focus a disabled or invisible window";
// A driver that keeps acting without ever closing its form would loop for good.
constexpr int kMaxDriverSteps = 100000;

struct TModalName {
    TModalResult Result;
    const char* Name;
};
const TModalName kModalNames[] = {
    {mrOk, "OK"},           {mrCancel, "Cancel"},    {mrAbort, "Abort"}, {mrRetry, "Retry"},
    {mrIgnore, "Ignore"},   {mrYes, "Yes"},          {mrNo, "No"},       {mrAll, "All"},
    {mrNoToAll, "NoToAll"}, {mrYesToAll, "YesToAll"}};

std::vector<TClickHook>& ClickHooks() {
    static std::vector<TClickHook> hooks;
    return hooks;
}

struct TTickClock {
    bool Fixed = false;
    Cardinal Value = 0;
};
TTickClock& TickClock() {
    static TTickClock clock;
    return clock;
}

AnsiString ExecutableName() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? AnsiString(buffer, static_cast<std::size_t>(n)) : AnsiString();
}

AnsiString FormTitle(const TCustomForm* form) {
    AnsiString who = form->Name().empty() ? form->ClassName() : form->Name();
    return who + " (\"" + form->Caption() + "\")";
}

// Puts the keyboard's Shift, Ctrl and Alt back after a simulated key press.
struct TShiftScope {
    explicit TShiftScope(TShiftState shift) : Saved(KeyboardShiftState()) { SetKeyboardShiftState(shift); }
    ~TShiftScope() { SetKeyboardShiftState(Saved); }
    TShiftState Saved;
};

} // namespace

AnsiString ModalResultName(TModalResult result) {
    for (const auto& m : kModalNames)
        if (m.Result == result) return m.Name;
    return "";
}

TModalResult ModalResultFromName(const AnsiString& name) {
    for (const auto& m : kModalNames)
        if (SameText(name, m.Name)) return m.Result;
    if (SameText(name, "mrOk") || SameText(name, "Ok")) return mrOk;
    return mrNone;
}

// ---- TCustomForm ----

KVR_PUBLISHED(TCustomForm, c) {
    c.Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    c.Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable);
    c.Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
        .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize}.Bits());
    c.Property("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
    c.Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Default(wsNormal);
    c.Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDesigned);
    c.Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(0);
    c.Property("Menu", &TCustomForm::MenuComponent, &TCustomForm::SetMenuComponent);
    c.Property("ClientWidth", &TCustomForm::FormClientWidth, &TCustomForm::SetFormClientWidth);
    c.Property("ClientHeight", &TCustomForm::FormClientHeight, &TCustomForm::SetFormClientHeight);
    c.Property("OnCreate", &TCustomForm::OnCreate, &TCustomForm::SetOnCreate);
    c.Property("OnDestroy", &TCustomForm::OnDestroy, &TCustomForm::SetOnDestroy);
    c.Property("OnShow", &TCustomForm::OnShow, &TCustomForm::SetOnShow);
    c.Property("OnHide", &TCustomForm::OnHide, &TCustomForm::SetOnHide);
    c.Property("OnActivate", &TCustomForm::OnActivate, &TCustomForm::SetOnActivate);
    c.Property("OnDeactivate", &TCustomForm::OnDeactivate, &TCustomForm::SetOnDeactivate);
    c.Property("OnPaint", &TCustomForm::OnPaint, &TCustomForm::SetOnPaint);
    c.Property("OnClose", &TCustomForm::OnClose, &TCustomForm::SetOnClose);
    c.Property("OnCloseQuery", &TCustomForm::OnCloseQuery, &TCustomForm::SetOnCloseQuery);
    c.Property("OnShortCut", &TCustomForm::OnShortCut, &TCustomForm::SetOnShortCut);
    // Settings of the form designer that streams carry; kept so the streams load.
    c.Property("OldCreateOrder", &TCustomForm::FOldCreateOrder).Default(0);
    c.Property("PixelsPerInch", &TCustomForm::FPixelsPerInch);
    c.Property("TextHeight", &TCustomForm::FTextHeight);
    c.Property("Scaled", &TCustomForm::FScaled).Default(1);
    c.Property("AutoScroll", &TCustomForm::FAutoScroll).Default(1);
}

KVR_MESSAGE_MAP(TCustomForm, m) {
    m.Handle(CM_SHOWINGCHANGED, &TCustomForm::CMShowingChanged);
    m.Handle(CM_DIALOGKEY, &TCustomForm::CMDialogKey);
    m.Handle(CM_ACTIVATE, &TCustomForm::CMActivate);
    m.Handle(CM_DEACTIVATE, &TCustomForm::CMDeactivate);
    m.Handle(WM_CLOSE, &TCustomForm::WMClose);
    m.Handle(WM_NEXTDLGCTL, &TCustomForm::WMNextDlgCtl);
}

TCustomForm::TCustomForm(TComponent* owner)
    : TWinControl(owner), FCanvas(std::make_unique<TControlCanvas>()) {
    FCanvas->SetControl(this);
    FVisible = false;
    FParentFont = false;
    FParentColor = false;
    FColor = clBtnFace;
    FControlStyle =
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FWidth = 320;
    FHeight = 240;
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
}

void TCustomForm::BeforeDestruction() {
    if (!FDestroyFired) {
        FDestroyFired = true;
        try {
            DoDestroy();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
    }
    FVisible = false;
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
    inherited::BeforeDestruction();
}

void TCustomForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() {
    SetVisible(false);
}

bool TCustomForm::Active() const {
    return Screen && Screen->ActiveForm() == this;
}

void TCustomForm::BringToFront() {
    if (!Visible() || !Screen) return;
    Screen->BringForward(this);
    if (Enabled()) Screen->SetActiveForm(this);
}

bool TCustomForm::CanFocus() const {
    return Visible() && Enabled();
}

void TCustomForm::SetFocus() {
    if (!CanFocus()) throw EInvalidOperation(kCannotFocus);
    BringToFront();
}

AnsiString TCustomForm::WaitingDescription() const {
    return "modal form " + FormTitle(this);
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
        throw EInvalidOperation("Cannot make a visible window modal");
    // The other forms wait, disabled, while this one is up.
    std::vector<TCustomForm*> disabled;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (f != this && f->Visible() && f->Enabled()) disabled.push_back(f);
    }
    for (TCustomForm* f : disabled)
        f->SetEnabled(false);
    TCustomForm* before = Screen->ActiveForm();
    FFormState.Include(fsModal);
    FModalResult = mrNone;
    FModalCloseAction = caHide;
    ++Application->FModalLevel;
    auto restore = [&] {
        --Application->FModalLevel;
        FFormState.Exclude(fsModal);
        for (TCustomForm* f : disabled)
            if (Screen->IndexOfForm(f) >= 0) f->SetEnabled(true);
        if (Visible()) Hide();
        if (before && before != this && Screen->IndexOfForm(before) >= 0 && before->Visible())
            Screen->SetActiveForm(before);
        if (FModalCloseAction == caFree) Release();
    };
    try {
        Show();
        int steps = 0;
        for (;;) {
            Application->ProcessMessages();
            if (Application->Terminated()) {
                if (FModalResult == mrNone) FModalResult = mrCancel;
                break;
            }
            if (FModalResult != mrNone) {
                CloseModal();
                if (FModalResult != mrNone) break;
                continue;
            }
            if (QueuedMessageCount() > 0) continue;
            if (!Visible()) { // hidden by its own code: nothing could close it any more
                FModalResult = mrCancel;
                break;
            }
            if (!Application->ModalDriver())
                throw ENoModalAnswer("The " + WaitingDescription() +
                                     " waits for an answer and no modal driver is installed");
            if (++steps > kMaxDriverSteps)
                throw ENoModalAnswer("The " + WaitingDescription() + " was never closed by the modal driver");
            if (!Application->DriveModal(this))
                throw ENoModalAnswer("The " + WaitingDescription() +
                                     " waits for an answer and the modal driver has nothing to do");
        }
    } catch (...) {
        try {
            restore();
        } catch (...) {
        }
        throw;
    }
    restore();
    return FModalResult;
}

void TCustomForm::CloseModal() {
    FModalCloseAction = caHide;
    if (!CloseQuery()) {
        FModalResult = mrNone;
        return;
    }
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        FModalResult = mrNone;
    else
        FModalCloseAction = action;
}

void TCustomForm::Close() {
    if (FFormState.Contains(fsModal)) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    case caFree:
        Release();
        break;
    default:
        break;
    }
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (FOnCloseQuery) FOnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Release() {
    PostMessage(Handle(), CM_RELEASE);
}

void TCustomForm::SetActiveControl(TWinControl* value) {
    if (ComponentState().Contains(csLoading) || !value) {
        FActiveControl = value;
        return;
    }
    FocusControl(value);
}

void TCustomForm::FocusControl(TWinControl* control) {
    if (!control) return;
    if (control == this) {
        SetFocus();
        return;
    }
    if (GetParentForm(control) != this) throw EInvalidOperation(kCannotFocus);
    for (const TControl* c = control; c && c != this; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) throw EInvalidOperation(kCannotFocus);
    if (!Visible()) {
        FActiveControl = control;
        return;
    }
    if (!Enabled()) throw EInvalidOperation(kCannotFocus);
    if (!Active()) {
        FActiveControl = control;
        BringToFront();
        return;
    }
    SetFocusedControl(control);
}

void TCustomForm::SetFocusedControl(TWinControl* control) {
    if (control == FFocusedControl) {
        FActiveControl = control;
        return;
    }
    TWinControl* old = FFocusedControl;
    // Exits first: an OnExit that raises keeps the focus where it was.
    if (old) {
        std::vector<TWinControl*> exits;
        for (TWinControl* c = old; c && c != this && !c->ContainsControl(control); c = c->Parent())
            exits.push_back(c);
        struct TFocusingScope {
            TWinControl*& Slot;
            TWinControl* Saved;
            ~TFocusingScope() { Slot = Saved; }
        } focusing{FFocusingControl, FFocusingControl};
        FFocusingControl = control;
        for (TWinControl* c : exits) {
            if (FFocusedControl != old) return; // a handler moved the focus itself
            c->Perform(CM_EXIT);
        }
        if (FFocusedControl != old) return;
        old->Perform(WM_KILLFOCUS, control ? control->Handle() : 0);
    }
    FFocusedControl = control;
    FActiveControl = control;
    if (!control) return;
    control->Perform(WM_SETFOCUS, old && old->HandleAllocated() ? old->Handle() : 0);
    std::vector<TWinControl*> enters;
    for (TWinControl* c = control; c && c != this && !(old && c->ContainsControl(old)); c = c->Parent())
        enters.push_back(c);
    for (auto it = enters.rbegin(); it != enters.rend(); ++it) {
        if (FFocusedControl != control) return;
        (*it)->Perform(CM_ENTER);
    }
}

void TCustomForm::SetWindowFocus() {
    if (!FActiveControl || !FActiveControl->CanFocus())
        FActiveControl = FindNextControl(nullptr, true, true, false);
    if (!FActiveControl) return;
    if (FFocusedControl == FActiveControl) {
        FActiveControl->Perform(WM_SETFOCUS);
        return;
    }
    SetFocusedControl(FActiveControl);
}

void TCustomForm::DefocusControl(TWinControl* control, bool) {
    if (!control || control == this) return;
    if (FFocusedControl && control->ContainsControl(FFocusedControl)) FFocusedControl = nullptr;
    if (FActiveControl && control->ContainsControl(FActiveControl)) FActiveControl = nullptr;
}

bool TCustomForm::IsShortCut(TMessage& keyMessage) {
    bool handled = false;
    if (FOnShortCut) FOnShortCut(keyMessage, handled);
    if (!handled && FMenu)
        if (TMenuShortCutHook hook = MenuShortCutHook()) handled = hook(FMenu, keyMessage);
    return handled;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
    if (FBorderStyle == value) return;
    FBorderStyle = value;
    if (!ComponentState().Contains(csLoading)) Realign();
    Invalidate();
}

void TCustomForm::SetWindowState(TWindowState value) {
    if (FWindowState == value) return;
    FWindowState = value;
    if (Visible() && value == wsMaximized) PlaceOnScreen();
    if (!ComponentState().Contains(csLoading))
        Perform(WM_SIZE, value == wsMinimized   ? SIZE_MINIMIZED
                         : value == wsMaximized ? SIZE_MAXIMIZED
                                                : SIZE_RESTORED);
}

void TCustomForm::SetMenuComponent(TComponent* value) {
    if (FMenu == value) return;
    if (FMenu) FMenu->RemoveFreeNotification(this);
    FMenu = value;
    if (value) value->FreeNotification(this);
    // The menu bar takes its height from the client area; the window keeps its size.
    if (!ComponentState().Contains(csLoading)) Realign();
    Invalidate();
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    inherited::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == FMenu) FMenu = nullptr;
}

void TCustomForm::SetFormClientWidth(int value) {
    if (ComponentState().Contains(csLoading))
        FPendingClientWidth = value;
    else
        SetClientWidth(value);
}

void TCustomForm::SetFormClientHeight(int value) {
    if (ComponentState().Contains(csLoading))
        FPendingClientHeight = value;
    else
        SetClientHeight(value);
}

TRect TCustomForm::NonClientInsets() const {
    int frame = 0, caption = 0;
    switch (FBorderStyle) {
    case bsNone:
        break;
    case bsSingle:
    case bsDialog:
        frame = 3;
        caption = CaptionHeight;
        break;
    case bsSizeable:
        frame = 4;
        caption = CaptionHeight;
        break;
    case bsToolWindow:
        frame = 3;
        caption = SmallCaptionHeight;
        break;
    case bsSizeToolWin:
        frame = 4;
        caption = SmallCaptionHeight;
        break;
    }
    int menu = FMenu ? MenuBarHeight : 0;
    return Rect(frame, frame + caption + menu, frame, frame);
}

TRect TCustomForm::ClientRect() const {
    TRect in = NonClientInsets();
    return Rect(0, 0, std::max(0, FWidth - in.Left - in.Right), std::max(0, FHeight - in.Top - in.Bottom));
}

TPoint TCustomForm::ClientOrigin() const {
    TRect in = NonClientInsets();
    return Point(in.Left, in.Top);
}

void TCustomForm::CreateParams(TCreateParams& params) {
    inherited::CreateParams(params);
    params.Style = WS_POPUP | WS_CLIPCHILDREN;
    if (FBorderStyle != bsNone) params.Style |= WS_CAPTION;
    if (FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin) params.Style |= WS_THICKFRAME;
    if (FBorderIcons.Contains(biSystemMenu)) params.Style |= WS_SYSMENU;
    if (FBorderStyle == bsDialog) params.ExStyle |= WS_EX_DLGMODALFRAME;
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) params.ExStyle |= WS_EX_TOOLWINDOW;
    if (FFormStyle == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
    params.WndParent = 0;
}

void TCustomForm::PaintNonClient(TCanvas* canvas) {
    TRect in = NonClientInsets();
    if (in.Left == 0 && in.Top == 0) return;
    TRect r = Rect(0, 0, FWidth, FHeight);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    Frame3D(canvas, r, cl3DLight, cl3DDkShadow, 1);
    Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
    int frame = in.Left;
    int captionHeight =
        (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) ? SmallCaptionHeight : CaptionHeight;
    TRect bar = Rect(frame, frame, FWidth - frame, frame + captionHeight - 1);
    canvas->Brush()->SetColor(Active() ? clActiveCaption : clInactiveCaption);
    canvas->FillRect(bar);
    // Border icons from the right: close, then maximize and minimize.
    int right = bar.Right - 2;
    int size = captionHeight - 5;
    auto drawIcon = [&](const char* glyph) {
        TRect box = Rect(right - size - 2, bar.Top + 2, right, bar.Top + 2 + size - 2);
        DrawFrameControl(canvas, box, DFC_BUTTON, DFCS_BUTTONPUSH);
        canvas->Font()->Assign(Font());
        canvas->Font()->SetColor(clBtnText);
        canvas->Font()->SetHeight(-(size - 4));
        canvas->Brush()->SetStyle(bsClear);
        TRect text = box;
        DrawText(canvas, glyph, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        right = box.Left - 2;
    };
    if (FBorderIcons.Contains(biSystemMenu)) {
        drawIcon("x");
        if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
            if (FBorderIcons.Contains(biMaximize)) drawIcon("o");
            if (FBorderIcons.Contains(biMinimize)) drawIcon("_");
        }
    }
    canvas->Font()->Assign(Font());
    canvas->Font()->SetColor(Active() ? clCaptionText : clInactiveCaptionText);
    canvas->Font()->SetStyle(TFontStyles{fsBold});
    canvas->Brush()->SetStyle(bsClear);
    TRect text = Rect(bar.Left + 4, bar.Top, right, bar.Bottom);
    DrawText(canvas, Caption(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (FMenu) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clMenu);
        canvas->FillRect(Rect(frame, bar.Bottom + 1, FWidth - frame, bar.Bottom + 1 + MenuBarHeight - 1));
    }
}

void TCustomForm::PaintWindow(TCanvas* canvas) {
    TPoint o = canvas->Origin();
    TRect clip = canvas->ClipRect();
    OffsetRect(&clip, o.X, o.Y);
    FCanvas->SetTarget(canvas->Target(), o, &clip);
    FCanvas->Font()->Assign(Font());
    FCanvas->Brush()->SetColor(Color());
    FCanvas->Brush()->SetStyle(bsSolid);
    try {
        Paint();
    } catch (...) {
        FCanvas->ClearTarget();
        throw;
    }
    FCanvas->ClearTarget();
}

void TCustomForm::Paint() {
    if (FOnPaint) FOnPaint(this);
}

void TCustomForm::PlaceOnScreen() {
    if (FWindowState == wsMaximized) {
        SetBounds(0, 0, Screen->Width(), Screen->Height());
        return;
    }
    TCustomForm* over = nullptr;
    switch (FPosition) {
    case poMainFormCenter:
        over = Application->MainForm();
        break;
    case poOwnerFormCenter:
        over = dynamic_cast<TCustomForm*>(Owner());
        break;
    case poScreenCenter:
    case poDesktopCenter:
        break;
    default:
        return;
    }
    if (over == this) over = nullptr;
    TRect area = over ? over->BoundsRect() : Screen->WorkAreaRect();
    SetBounds(area.Left + (area.Width() - FWidth) / 2, area.Top + (area.Height() - FHeight) / 2, FWidth,
              FHeight);
}

void TCustomForm::CMShowingChanged(TMessage&) {
    if (Visible()) {
        if (FFormState.Contains(fsShowing)) return;
        FFormState.Include(fsShowing);
        try {
            PlaceOnScreen();
            HandleNeeded();
            DoShow();
        } catch (...) {
            FFormState.Exclude(fsShowing);
            throw;
        }
        FFormState.Exclude(fsShowing);
        if (Visible() && Screen) {
            Screen->BringForward(this);
            if (Enabled()) Screen->SetActiveForm(this);
        }
    } else {
        DoHide();
        if (Screen) Screen->ActivateNext(this);
    }
}

void TCustomForm::CMDialogKey(TMessage& message) {
    Word key = static_cast<Word>(message.WParam);
    TShiftState shift = KeyDataToShiftState(message.LParam);
    if (!shift.Contains(ssAlt)) {
        if (key == VK_TAB && !shift.Contains(ssCtrl)) {
            SelectNext(FActiveControl, !shift.Contains(ssShift), true);
            message.Result = 1;
            return;
        }
        if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
            if (FActiveControl && FActiveControl->Parent()) {
                FActiveControl->Parent()->SelectNext(FActiveControl, key == VK_RIGHT || key == VK_DOWN,
                                                     false);
                message.Result = 1;
            }
            return;
        }
    }
    InheritedMessage(message);
}

void TCustomForm::CMActivate(TMessage&) {
    Activate();
}
void TCustomForm::CMDeactivate(TMessage&) {
    Deactivate();
}
void TCustomForm::WMClose(TMessage&) {
    Close();
}

void TCustomForm::WMNextDlgCtl(TMessage& message) {
    if (LoWord(static_cast<std::uintptr_t>(message.LParam)) != 0) {
        if (TWinControl* c = FindControl(static_cast<HWND>(message.WParam))) c->SetFocus();
        return;
    }
    SelectNext(FActiveControl, message.WParam == 0, true);
}

void TCustomForm::DoCreate() {
    if (FOnCreate) FOnCreate(this);
}
void TCustomForm::DoDestroy() {
    if (FOnDestroy) FOnDestroy(this);
}
void TCustomForm::DoShow() {
    if (FOnShow) FOnShow(this);
}
void TCustomForm::DoHide() {
    if (FOnHide) FOnHide(this);
}
void TCustomForm::DoClose(TCloseAction& action) {
    if (FOnClose) FOnClose(this, action);
}
void TCustomForm::Activate() {
    if (FOnActivate) FOnActivate(this);
}
void TCustomForm::Deactivate() {
    if (FOnDeactivate) FOnDeactivate(this);
}

void TCustomForm::Loaded() {
    if (FPendingClientWidth >= 0) SetClientWidth(FPendingClientWidth);
    if (FPendingClientHeight >= 0) SetClientHeight(FPendingClientHeight);
    FPendingClientWidth = FPendingClientHeight = -1;
    inherited::Loaded();
}

void TCustomForm::LoadCompleted() {
    inherited::LoadCompleted();
    if (!FCreated) {
        FCreated = true;
        DoCreate();
    }
    if (Visible()) Perform(CM_VISIBLECHANGED, 1);
}

AnsiString TCustomForm::DumpLine() const {
    AnsiString line = inherited::DumpLine();
    if (FFormState.Contains(fsModal)) line += " modal";
    return line;
}

KVR_PUBLISHED(TForm, c) {}

// ---- TDataModule ----

KVR_PUBLISHED(TDataModule, c) {
    c.Property("OnCreate", &TDataModule::OnCreate, &TDataModule::SetOnCreate);
    c.Property("OnDestroy", &TDataModule::OnDestroy, &TDataModule::SetOnDestroy);
    // Where the designer showed the module; streams carry it.
    c.Property("OldCreateOrder", &TDataModule::FOldCreateOrder).Default(0);
    c.Property("Left", &TDataModule::FLeft);
    c.Property("Top", &TDataModule::FTop);
    c.Property("Width", &TDataModule::FWidth);
    c.Property("Height", &TDataModule::FHeight);
}

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) {
    if (Screen) Screen->AddDataModule(this);
}

TDataModule::~TDataModule() {
    if (Screen) Screen->RemoveDataModule(this);
}

void TDataModule::BeforeDestruction() {
    if (!FDestroyFired) {
        FDestroyFired = true;
        try {
            DoDestroy();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
    }
    if (Screen) Screen->RemoveDataModule(this);
    inherited::BeforeDestruction();
}

void TDataModule::LoadCompleted() {
    inherited::LoadCompleted();
    if (!FCreated) {
        FCreated = true;
        DoCreate();
    }
}

void TDataModule::DoCreate() {
    if (FOnCreate) FOnCreate(this);
}

void TDataModule::DoDestroy() {
    if (FOnDestroy) FOnDestroy(this);
}

// ---- TApplication ----

KVR_PUBLISHED(TApplication, c) {}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
    FExeName = ExecutableName();
    AnsiString base =
        FExeName.substr(FExeName.find_last_of('/') == AnsiString::npos ? 0 : FExeName.find_last_of('/') + 1);
    FTitle = base.substr(0, base.find('.'));
}

TApplication::~TApplication() {
    if (FHandle) DeallocateHWnd(FHandle);
}

HWND TApplication::Handle() {
    if (!FHandle) FHandle = AllocateHWnd(TWndMethod());
    return FHandle;
}

void TApplication::SetMainForm(TCustomForm* value) {
    FMainForm = value;
}

TModalDriver* TApplication::SetModalDriver(TModalDriver* driver) {
    TModalDriver* previous = FDriver;
    FDriver = driver;
    return previous;
}

void TApplication::DeliverMessage(const TMsg& msg) {
    try {
        if (msg.message == CM_RELEASE) {
            // Freed here, not in its own handler, so nothing of it runs after it is gone.
            if (auto* form = dynamic_cast<TCustomForm*>(FindControl(msg.hwnd))) form->Free();
            return;
        }
        if (msg.hwnd == 0) return;
        // Key messages from the queue pass the control's shortcut and dialog-key checks first.
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN || msg.message == WM_CHAR ||
            msg.message == WM_SYSCHAR)
            if (TWinControl* control = FindControl(msg.hwnd))
                if (control->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0) return;
        DispatchMessage(msg);
    } catch (const ENoModalAnswer&) {
        throw;
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::ProcessMessages() {
    FireDueTimers();
    TMsg msg;
    while (PeekMessage(msg, true)) {
        DeliverMessage(msg);
        FireDueTimers();
    }
}

void TApplication::HandleMessage() {
    FireDueTimers();
    TMsg msg;
    if (PeekMessage(msg, true)) {
        DeliverMessage(msg);
        return;
    }
    bool done = true;
    if (FOnIdle) FOnIdle(this, done);
}

void TApplication::Run() {
    while (!FTerminated) {
        FireDueTimers();
        if (QueuedMessageCount() > 0) {
            ProcessMessages();
            continue;
        }
        if (!FMainForm || !FDriver || !FDriver->Idle(FMainForm)) break;
    }
}

bool TApplication::DriveModal(TCustomForm* form) {
    return FDriver && FDriver->Idle(form);
}

void TApplication::RunUserAction(const std::function<void()>& action) {
    try {
        action();
    } catch (const ENoModalAnswer&) {
        throw;
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::HandleException(TObject* sender) {
    std::exception_ptr current = std::current_exception();
    if (!current) return;
    try {
        std::rethrow_exception(current);
    } catch (const EAbort&) {
    } catch (const ENoModalAnswer&) {
        throw;
    } catch (const Exception& e) {
        if (FOnException)
            FOnException(sender, e);
        else
            ShowException(e);
    } catch (const std::exception& e) {
        Exception wrapped(e.what());
        if (FOnException)
            FOnException(sender, wrapped);
        else
            ShowException(wrapped);
    }
}

void TApplication::ShowException(const Exception& e) {
    AnsiString text = e.Message();
    if (!text.empty() && text.back() != '.') text += '.';
    if (!FDriver) {
        TDialogRecord record;
        record.Kind = "Error";
        record.Caption = FTitle;
        record.Text = text;
        record.Buttons = {"OK"};
        record.DefaultButton = "OK";
        std::size_t index = AddDialogRecord(record);
        std::fprintf(stderr, "%s\n", text.c_str());
        CloseDialogRecord(index, "", mrNone);
        return;
    }
    MessageBox(text, FTitle, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, Cardinal flags) {
    return ShowMessageBox(text, caption, flags);
}

std::size_t TApplication::AddDialogRecord(const TDialogRecord& record) {
    FDialogs.push_back(record);
    return FDialogs.size() - 1;
}

void TApplication::CloseDialogRecord(std::size_t index, const AnsiString& answer, TModalResult result) {
    if (index >= FDialogs.size()) return;
    FDialogs[index].Answer = answer;
    FDialogs[index].Result = result;
    if (FDialogListener) FDialogListener(FDialogs[index]);
}

bool TApplication::ActivateHint(TControl* control, AnsiString* shown) {
    FCurrentHint.clear();
    if (!FShowHint || !control || !control->ShowHint()) return false;
    // A control without a hint of its own shows its parent's.
    AnsiString hint;
    for (const TControl* c = control; c && hint.empty(); c = c->Parent())
        hint = c->Hint();
    THintInfo info;
    info.HintControl = control;
    info.HintStr = GetShortHint(hint);
    info.HintPos = control->ClientToScreen(Point(0, control->Height()));
    info.HintMaxWidth = Screen ? Screen->Width() : 1024;
    info.HintColor = FHintColor;
    info.CursorRect = control->ClientRect();
    info.HideTimeout = FHintHidePause;
    bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
    if (canShow && FOnShowHint) FOnShowHint(info.HintStr, canShow, info);
    if (!canShow || info.HintStr.empty()) return false;
    FCurrentHint = info.HintStr;
    if (shown) *shown = FCurrentHint;
    return true;
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    inherited::Notification(component, operation);
    if (operation == opRemove && component == FMainForm) FMainForm = nullptr;
}

// ---- TScreen ----

KVR_PUBLISHED(TScreen, c) {}

TScreen::TScreen(TComponent* owner)
    : TComponent(owner), FIconFont(std::make_unique<TFont>()), FHintFont(std::make_unique<TFont>()),
      FMenuFont(std::make_unique<TFont>()), FMessageFont(std::make_unique<TFont>()) {
    FHintFont->SetColor(clInfoText);
}

TScreen::~TScreen() = default;

TCustomForm* TScreen::Forms(int index) const {
    if (index < 0 || index >= FormCount())
        throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return FForms[static_cast<std::size_t>(index)];
}

TDataModule* TScreen::DataModules(int index) const {
    if (index < 0 || index >= DataModuleCount())
        throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return FDataModules[static_cast<std::size_t>(index)];
}

int TScreen::IndexOfForm(const TCustomForm* form) const {
    auto it = std::find(FForms.begin(), FForms.end(), form);
    return it == FForms.end() ? -1 : static_cast<int>(it - FForms.begin());
}

TWinControl* TScreen::ActiveControl() const {
    return FActiveForm ? FActiveForm->FocusedControl() : nullptr;
}

TComponent* TScreen::FindRoot(const AnsiString& name) const {
    if (name.empty()) return nullptr;
    for (TCustomForm* f : FForms)
        if (SameIdent(f->Name(), name)) return f;
    for (TDataModule* d : FDataModules)
        if (SameIdent(d->Name(), name)) return d;
    return nullptr;
}

void TScreen::AddForm(TCustomForm* form) {
    if (IndexOfForm(form) < 0) FForms.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
    int index = IndexOfForm(form);
    if (index < 0) return;
    FForms.erase(FForms.begin() + index);
    if (FActiveForm == form) {
        FActiveForm = nullptr;
        for (TCustomForm* f : FForms)
            if (f->Visible() && f->Enabled()) {
                SetActiveForm(f);
                break;
            }
    }
}

void TScreen::AddDataModule(TDataModule* module) {
    if (std::find(FDataModules.begin(), FDataModules.end(), module) == FDataModules.end())
        FDataModules.push_back(module);
}

void TScreen::RemoveDataModule(TDataModule* module) {
    auto it = std::find(FDataModules.begin(), FDataModules.end(), module);
    if (it != FDataModules.end()) FDataModules.erase(it);
}

void TScreen::BringForward(TCustomForm* form) {
    int index = IndexOfForm(form);
    if (index <= 0) return;
    FForms.erase(FForms.begin() + index);
    FForms.insert(FForms.begin(), form);
}

void TScreen::SetActiveForm(TCustomForm* form) {
    if (form == FActiveForm) return;
    TCustomForm* old = FActiveForm;
    FActiveForm = form;
    if (old) {
        if (old->FFocusedControl) old->FFocusedControl->Perform(WM_KILLFOCUS);
        old->Perform(CM_DEACTIVATE);
        old->Invalidate();
    }
    if (form && FActiveForm == form) {
        BringForward(form);
        form->Perform(CM_ACTIVATE);
        if (FActiveForm == form) form->SetWindowFocus();
        form->Invalidate();
    }
}

void TScreen::ActivateNext(TCustomForm* hidden) {
    if (FActiveForm != hidden) return;
    for (TCustomForm* f : FForms)
        if (f != hidden && f->Visible() && f->Enabled()) {
            SetActiveForm(f);
            return;
        }
    SetActiveForm(nullptr);
}

// ---- what a user does ----

TComponent* FindFormComponent(TCustomForm* form, const AnsiString& name) {
    if (!form || name.empty()) return nullptr;
    if (SameIdent(form->Name(), name)) return form;
    std::function<TComponent*(TComponent*, int)> search = [&](TComponent* owner, int depth) -> TComponent* {
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (SameIdent(owner->Components(i)->Name(), name)) return owner->Components(i);
        if (depth > 16) return nullptr;
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (TComponent* found = search(owner->Components(i), depth + 1)) return found;
        return nullptr;
    };
    if (TComponent* found = search(form, 0)) return found;
    // A control on the form that another component owns.
    std::function<TComponent*(TWinControl*)> byParent = [&](TWinControl* parent) -> TComponent* {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* c = parent->Controls(i);
            if (SameIdent(c->Name(), name)) return c;
            if (auto* w = dynamic_cast<TWinControl*>(c))
                if (TComponent* found = byParent(w)) return found;
        }
        return nullptr;
    };
    return byParent(form);
}

namespace {

[[noreturn]] void NoSuchComponent(TCustomForm* form, const AnsiString& name) {
    throw EInvalidOperation("Form " + FormTitle(form) + " has no component named " + name);
}

TControl* RequireUsableControl(TCustomForm* form, const AnsiString& name) {
    if (!form) throw EInvalidOperation("No form to act on");
    TComponent* component = FindFormComponent(form, name);
    if (!component) NoSuchComponent(form, name);
    auto* control = dynamic_cast<TControl*>(component);
    if (!control) throw EInvalidOperation(name + " of " + FormTitle(form) + " is not a control");
    if (!control->Showing())
        throw EInvalidOperation("Control " + name + " of " + FormTitle(form) + " is not visible");
    if (!control->IsEnabledInTree())
        throw EInvalidOperation("Control " + name + " of " + FormTitle(form) + " is disabled");
    return control;
}

TWinControl* RequireFocusable(TCustomForm* form, const AnsiString& name) {
    TControl* control = RequireUsableControl(form, name);
    auto* w = dynamic_cast<TWinControl*>(control);
    if (!w || !w->CanFocus())
        throw EInvalidOperation("Control " + name + " of " + FormTitle(form) + " cannot take the focus");
    return w;
}

void ClickControl(TCustomForm* form, TControl* control) {
    Application->RunUserAction([&] {
        auto* w = dynamic_cast<TWinControl*>(control);
        if (w && w->TabStop() && w->CanFocus()) {
            w->SetFocus();
            // An OnExit elsewhere that refused the focus stops the click, as it does under a mouse.
            if (form->FocusedControl() != w) return;
        }
        control->MouseClickAt(control->ClientWidth() / 2, control->ClientHeight() / 2);
    });
}

} // namespace

void PressKey(TWinControl* target, Word key, TShiftState shift) {
    if (!target) return;
    TShiftScope scope(shift);
    bool alt = shift.Contains(ssAlt);
    LPARAM keyData = 1 | (alt ? KF_ALTDOWN_BIT : 0);
    HWND wnd = target->Handle();
    if (target->Perform(alt ? CN_SYSKEYDOWN : CN_KEYDOWN, key, keyData) != 0) return;
    if (!IsWindow(wnd)) return;
    target->Perform(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, keyData);
    if (!IsWindow(wnd)) return;
    char ch = KeyToChar(key, shift);
    if (shift.Contains(ssCtrl) && !alt && key >= 'A' && key <= 'Z') ch = static_cast<char>(key - 'A' + 1);
    if (alt && !shift.Contains(ssCtrl)) {
        TShiftState plain = shift;
        plain.Exclude(ssAlt);
        if (char sys = KeyToChar(key, plain))
            target->Perform(WM_SYSCHAR, static_cast<unsigned char>(sys), keyData);
    } else if (ch) {
        if (target->Perform(CN_CHAR, static_cast<unsigned char>(ch), keyData) == 0 && IsWindow(wnd))
            target->Perform(WM_CHAR, static_cast<unsigned char>(ch), keyData);
    }
    if (IsWindow(wnd))
        target->Perform(alt ? WM_SYSKEYUP : WM_KEYUP, key, keyData | static_cast<LPARAM>(0xC0000000u));
}

void UserKey(TCustomForm* form, const AnsiString& keyText, const AnsiString& controlName) {
    if (!form) throw EInvalidOperation("No form to act on");
    Word key = 0;
    TShiftState shift;
    // A double-byte character is typed, as an input method gives it: its two bytes as WM_CHAR.
    bool doubleByte = keyText.size() == 2 && IsDBCSLeadByte(static_cast<Byte>(keyText[0]));
    if (TShortCut sc = TextToShortCut(keyText); sc != scNone)
        ShortCutToKey(sc, key, shift);
    else if (!doubleByte && (keyText.size() != 1 || !CharToKey(keyText[0], key, shift)))
        throw EInvalidOperation("Unknown key " + keyText);
    TWinControl* target = nullptr;
    if (!controlName.empty()) {
        target = RequireFocusable(form, controlName);
        Application->RunUserAction([&] { target->SetFocus(); });
        if (form->FocusedControl() != target) return;
    } else {
        if (!form->Visible()) throw EInvalidOperation("Form " + FormTitle(form) + " is not showing");
        target = form->FocusedControl() ? form->FocusedControl() : form;
    }
    Application->RunUserAction([&] {
        if (!doubleByte) {
            PressKey(target, key, shift);
            return;
        }
        HWND wnd = target->Handle();
        for (char ch : keyText)
            if (IsWindow(wnd)) target->Perform(WM_CHAR, static_cast<unsigned char>(ch), 1);
    });
}

void UserType(TCustomForm* form, const AnsiString& controlName, const AnsiString& text) {
    TWinControl* target = RequireFocusable(form, controlName);
    Application->RunUserAction([&] { target->SetFocus(); });
    if (form->FocusedControl() != target) return;
    HWND wnd = target->Handle();
    Application->RunUserAction([&] {
        target->Perform(EM_SETSEL, 0, -1);
        for (char ch : text) {
            if (!IsWindow(wnd)) return;
            Word key;
            TShiftState shift;
            if (static_cast<unsigned char>(ch) < 0x80 && CharToKey(ch, key, shift))
                PressKey(target, key, shift);
            else
                target->Perform(WM_CHAR, static_cast<unsigned char>(ch), 1);
        }
    });
    if (!IsWindow(wnd) || form->FocusedControl() != target) return;
    Application->RunUserAction([&] {
        if (target->Perform(WM_GETDLGCODE) & DLGC_WANTTAB)
            form->SelectNext(target, true, true);
        else
            PressKey(target, VK_TAB, TShiftState());
    });
}

void UserClick(TCustomForm* form, const AnsiString& componentName) {
    if (!form) throw EInvalidOperation("No form to act on");
    TComponent* component = FindFormComponent(form, componentName);
    if (!component) NoSuchComponent(form, componentName);
    // A page is clicked on its tab: the page control must be usable, the page need not show yet. A
    // disabled page still shows when its tab is clicked; only its controls take no input.
    if (auto* page = dynamic_cast<TTabSheet*>(component); page && page->PageControl()) {
        RequireUsableControl(form, page->PageControl()->Name());
        if (!page->TabVisible())
            throw EInvalidOperation(componentName + " of " + FormTitle(form) + " cannot be clicked");
        Application->RunUserAction([&] { page->PageControl()->ChangeActivePage(page); });
        return;
    }
    if (dynamic_cast<TControl*>(component)) {
        ClickControl(form, RequireUsableControl(form, componentName));
        return;
    }
    for (TClickHook hook : ClickHooks()) {
        bool clicked = false;
        Application->RunUserAction([&] { clicked = hook(component); });
        if (clicked) return;
    }
    throw EInvalidOperation(componentName + " of " + FormTitle(form) + " cannot be clicked");
}

void UserAnswer(TCustomForm* form, const AnsiString& button) {
    if (!form) throw EInvalidOperation("No dialog to answer");
    std::vector<TButton*> buttons;
    std::function<void(TWinControl*)> collect = [&](TWinControl* parent) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            if (auto* b = dynamic_cast<TButton*>(parent->Controls(i))) buttons.push_back(b);
            if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i))) collect(w);
        }
    };
    collect(form);
    TButton* found = nullptr;
    for (TButton* b : buttons)
        if (!found && SameText(b->Name(), button)) found = b;
    for (TButton* b : buttons)
        if (!found && (SameText(b->Caption(), button) || SameText(StripHotkey(b->Caption()), button)))
            found = b;
    TModalResult result = ModalResultFromName(button);
    for (TButton* b : buttons)
        if (!found && result != mrNone && b->ModalResult() == result) found = b;
    if (found) {
        if (!found->Showing() || !found->IsEnabledInTree())
            throw EInvalidOperation("Button " + button + " of " + FormTitle(form) + " cannot be clicked");
        ClickControl(form, found);
        return;
    }
    if (result != mrNone && form->FormState().Contains(fsModal)) {
        form->SetModalResult(result);
        return;
    }
    throw EInvalidOperation("Form " + FormTitle(form) + " has no button " + button);
}

void RegisterClickHook(TClickHook hook) {
    if (std::find(ClickHooks().begin(), ClickHooks().end(), hook) == ClickHooks().end())
        ClickHooks().push_back(hook);
}

void UnRegisterClickHook(TClickHook hook) {
    auto& hooks = ClickHooks();
    hooks.erase(std::remove(hooks.begin(), hooks.end(), hook), hooks.end());
}

// ---- TQueuedDriver ----

TQueuedDriver& TQueuedDriver::Then(TStep step) {
    FSteps.push_back(std::move(step));
    return *this;
}

TQueuedDriver& TQueuedDriver::Type(const AnsiString& controlName, const AnsiString& text) {
    return Then([controlName, text](TCustomForm* form) { UserType(form, controlName, text); });
}

TQueuedDriver& TQueuedDriver::Key(const AnsiString& keyText, const AnsiString& controlName) {
    return Then([keyText, controlName](TCustomForm* form) { UserKey(form, keyText, controlName); });
}

TQueuedDriver& TQueuedDriver::Click(const AnsiString& componentName) {
    return Then([componentName](TCustomForm* form) { UserClick(form, componentName); });
}

TQueuedDriver& TQueuedDriver::Answer(const AnsiString& button) {
    return Then([button](TCustomForm* form) { UserAnswer(form, button); });
}

bool TQueuedDriver::Idle(TCustomForm* form) {
    if (FNext >= FSteps.size()) return false;
    TStep step = FSteps[FNext++];
    FVisited.push_back(form ? form->Name() : AnsiString());
    step(form);
    return true;
}

int TQueuedDriver::Pending() const {
    return static_cast<int>(FSteps.size() - FNext);
}

// ---- tick clock ----

Cardinal GetTickCount() {
    if (TickClock().Fixed) return TickClock().Value;
    return static_cast<Cardinal>(static_cast<long long>(Now() * 86400000.0) & 0xFFFFFFFF);
}

void SetTickCountForTesting(Cardinal ms) {
    TickClock().Fixed = true;
    TickClock().Value = ms;
}

void AdvanceTickCountForTesting(Cardinal ms) {
    if (!TickClock().Fixed) SetTickCountForTesting(GetTickCount());
    TickClock().Value += ms;
}

void ClearTickCountForTesting() {
    TickClock().Fixed = false;
}

// ---- start-up ----

namespace {
struct TFormsInit {
    TFormsInit() {
        Screen = new TScreen(nullptr);
        Application = new TApplication(nullptr);
        // Streams refer to other forms and data modules by name (dmMain.cdsMaster).
        RegisterFindGlobalComponent(
            [](const AnsiString& name) -> TComponent* { return Screen ? Screen->FindRoot(name) : nullptr; });
        SetShowExceptionHandler([](const Exception& e) {
            if (Application) Application->ShowException(e);
        });
    }
} formsInit;
} // namespace
