#pragma once
// Forms, data modules, the application and the screen of the headless user interface.
//
// A form is made by its class's constructor, which reads its form stream (InitInheritedComponent, see
// classlib/objects/formloader.h); OnCreate runs when the stream is loaded. Show makes it visible and
// active (OnShow, OnActivate, then OnEnter of the first control in tab order); ShowModal runs the modal
// loop until ModalResult is set and the close query agrees.
//
// The modal loop never waits for a person: when nothing is queued it asks the application's modal
// driver (SetModalDriver), which acts as a user would through the User* routines below and returns
// true, or returns false when it has nothing to do; with no driver, or a driver with nothing to do, the
// loop raises ENoModalAnswer (an EInvalidOperation) naming the form or the dialog's text.
//
//     TQueuedDriver driver;
//     driver.Type("edName", "Zhang").Key("F2").Click("btnOK");
//     TModalDriverScope scope(&driver);
//     int result = form->ShowModal();
#include <functional>
#include <memory>
#include <vector>

#include "classlib/controls/controls.h"

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;
// "OK", "Cancel", "Yes", ... ("" for mrNone or another number); the reverse gives mrNone when unknown.
AnsiString ModalResultName(TModalResult result);
TModalResult ModalResultFromName(const AnsiString& name);

KVR_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin);
using TBorderStyle = TFormBorderStyle;
KVR_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp);
KVR_SET(TBorderIcons, TBorderIcon);
KVR_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop);
KVR_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized);
KVR_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
         poDesktopCenter, poMainFormCenter, poOwnerFormCenter);
KVR_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize);
KVR_ENUM(TFormStateElement, fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated);
KVR_SET(TFormState, TFormStateElement);

KVR_EVENT_TYPE(TCloseEvent, void(TObject* sender, TCloseAction& action));
KVR_EVENT_TYPE(TCloseQueryEvent, void(TObject* sender, bool& canClose));
// A key message (WM_KEYDOWN numbers: WParam the key, LParam the key data) and whether it was handled.
KVR_EVENT_TYPE(TShortCutEvent, void(TMessage& message, bool& handled));

// Non-client metrics of the headless screen, as the classic desktop draws them.
constexpr int CaptionHeight = 19;
constexpr int SmallCaptionHeight = 16;
constexpr int MenuBarHeight = 19;

class TCustomForm : public TWinControl {
    KVR_CLASS(TCustomForm, TWinControl)
    KVR_MESSAGES(TCustomForm)
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    void BeforeDestruction() override;

    // ---- showing and closing ----
    void Show();
    void Hide();
    virtual TModalResult ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult value) { FModalResult = value; }
    // Modal: sets mrCancel. Otherwise asks OnCloseQuery, then OnClose decides: hide, minimize, free
    // (Release) or nothing. Closing the main form ends the application.
    void Close();
    virtual bool CloseQuery();
    // Frees the form when the pump next runs (safe from the form's own handlers).
    void Release();
    bool Active() const;
    TFormState FormState() const { return FFormState; }
    void BringToFront();

    // ---- focus ----
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* value);
    // The control that has the focus while the form is active.
    TWinControl* FocusedControl() const { return FFocusedControl; }
    // While the exit handlers of the focused control run: the control the focus is going to (nil
    // otherwise), so that an OnExit check can let the user leave for a Cancel button.
    TWinControl* FocusingControl() const { return FFocusingControl; }
    // Focuses a control of the form (activating the form when it is showing); raises EInvalidOperation
    // for a disabled or invisible control. On a form not yet showing it only becomes ActiveControl.
    void FocusControl(TWinControl* control);
    // Forgets the focus held by control or inside it (the control is going or can no longer focus).
    void DefocusControl(TWinControl* control, bool removing);
    void SetFocus() override;
    bool CanFocus() const override;
    bool Showing() const override { return Visible(); }

    // ---- keys ----
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool value) { FKeyPreview = value; }
    // OnShortCut, then the main menu (through the menu seam). True when handled.
    virtual bool IsShortCut(TMessage& keyMessage);

    // ---- look ----
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons value) { FBorderIcons = value; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle value) { FFormStyle = value; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition value) { FPosition = value; }
    // The main menu as a component (the menu unit's TMainMenu); it adds a menu bar above the client area.
    TComponent* MenuComponent() const { return FMenu; }
    TMainMenu* Menu() const { return reinterpret_cast<TMainMenu*>(FMenu); }
    void SetMenuComponent(TComponent* value);
    TCanvas* Canvas() const { return FCanvas.get(); }
    // While loading, the client size waits until the border style is known.
    void SetFormClientWidth(int value);
    void SetFormClientHeight(int value);
    int FormClientWidth() const { return ClientWidth(); }
    int FormClientHeight() const { return ClientHeight(); }

    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    // The frame's insets: left, top (frame, caption and menu bar), right, bottom.
    TRect NonClientInsets() const;

    // ---- events ----
    const TNotifyEvent& OnCreate() const { return FOnCreate; }
    void SetOnCreate(const TNotifyEvent& value) { FOnCreate = value; }
    const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
    void SetOnDestroy(const TNotifyEvent& value) { FOnDestroy = value; }
    const TNotifyEvent& OnShow() const { return FOnShow; }
    void SetOnShow(const TNotifyEvent& value) { FOnShow = value; }
    const TNotifyEvent& OnHide() const { return FOnHide; }
    void SetOnHide(const TNotifyEvent& value) { FOnHide = value; }
    const TNotifyEvent& OnActivate() const { return FOnActivate; }
    void SetOnActivate(const TNotifyEvent& value) { FOnActivate = value; }
    const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
    void SetOnDeactivate(const TNotifyEvent& value) { FOnDeactivate = value; }
    const TNotifyEvent& OnPaint() const { return FOnPaint; }
    void SetOnPaint(const TNotifyEvent& value) { FOnPaint = value; }
    const TCloseEvent& OnClose() const { return FOnClose; }
    void SetOnClose(const TCloseEvent& value) { FOnClose = value; }
    const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
    void SetOnCloseQuery(const TCloseQueryEvent& value) { FOnCloseQuery = value; }
    const TShortCutEvent& OnShortCut() const { return FOnShortCut; }
    void SetOnShortCut(const TShortCutEvent& value) { FOnShortCut = value; }

    void Loaded() override;
    void LoadCompleted() override;
    void Notification(TComponent* component, TOperation operation) override;
    AnsiString DumpLine() const override;
    // How the modal loop's error names the form ("modal form frmX ("Caption")").
    virtual AnsiString WaitingDescription() const;

protected:
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual void Activate();
    virtual void Deactivate();
    virtual void Paint();
    void CreateParams(TCreateParams& params) override;
    void PaintNonClient(TCanvas* canvas) override;
    void PaintWindow(TCanvas* canvas) override;

    void CMShowingChanged(TMessage& message);
    void CMDialogKey(TMessage& message);
    void CMActivate(TMessage& message);
    void CMDeactivate(TMessage& message);
    void WMClose(TMessage& message);
    void WMNextDlgCtl(TMessage& message);

private:
    friend class TScreen;
    friend class TApplication;
    void SetFocusedControl(TWinControl* control);
    void SetWindowFocus();
    void CloseModal();
    void PlaceOnScreen();

    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    TWinControl* FFocusingControl = nullptr;
    bool FKeyPreview = false;
    TModalResult FModalResult = mrNone;
    TFormState FFormState;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TFormStyle FFormStyle = fsNormal;
    TWindowState FWindowState = wsNormal;
    TPosition FPosition = poDesigned;
    TComponent* FMenu = nullptr;
    std::unique_ptr<TControlCanvas> FCanvas;
    int FPendingClientWidth = -1;
    int FPendingClientHeight = -1;
    bool FCreated = false;
    bool FDestroyFired = false;
    TCloseAction FModalCloseAction = caHide;
    bool FOldCreateOrder = false;
    int FPixelsPerInch = ScreenPixelsPerInch;
    int FTextHeight = 12;
    bool FScaled = true;
    bool FAutoScroll = true;
    TNotifyEvent FOnCreate;
    TNotifyEvent FOnDestroy;
    TNotifyEvent FOnShow;
    TNotifyEvent FOnHide;
    TNotifyEvent FOnActivate;
    TNotifyEvent FOnDeactivate;
    TNotifyEvent FOnPaint;
    TCloseEvent FOnClose;
    TCloseQueryEvent FOnCloseQuery;
    TShortCutEvent FOnShortCut;
};

class TForm : public TCustomForm {
    KVR_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// A container of non-visual components described by a form stream.
class TDataModule : public TComponent {
    KVR_CLASS(TDataModule, TComponent)
public:
    explicit TDataModule(TComponent* owner);
    ~TDataModule() override;
    void BeforeDestruction() override;
    void LoadCompleted() override;

    const TNotifyEvent& OnCreate() const { return FOnCreate; }
    void SetOnCreate(const TNotifyEvent& value) { FOnCreate = value; }
    const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
    void SetOnDestroy(const TNotifyEvent& value) { FOnDestroy = value; }

protected:
    virtual void DoCreate();
    virtual void DoDestroy();

private:
    bool FCreated = false;
    bool FDestroyFired = false;
    bool FOldCreateOrder = false;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    TNotifyEvent FOnCreate;
    TNotifyEvent FOnDestroy;
};

// The information of a hint about to show; a control may change it in its CM_HINTSHOW handler
// (LParam points at it; a non-zero Result keeps the hint from showing).
struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint HintPos;
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect;
    TPoint CursorPos;
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    AnsiString HintStr;
    void* HintData = nullptr;
};
KVR_EVENT_TYPE(TShowHintEvent, void(AnsiString& hintStr, bool& canShow, THintInfo& hintInfo));
KVR_EVENT_TYPE(TExceptionEvent, void(TObject* sender, const Exception& e));
// The same signature as TCloseQueryEvent: one delegate type.
using TIdleEvent = TDelegate<void(TObject* sender, bool& done)>;

// What a message dialog showed and how it was answered.
struct TDialogRecord {
    AnsiString Kind;    // "Warning", "Error", "Information", "Confirmation", "Custom"
    AnsiString Caption; // the dialog's title
    AnsiString Text;
    std::vector<AnsiString> Buttons; // button names in order from left to right ("Yes", "No", ...)
    AnsiString DefaultButton;        // the name of the default button, '' when none
    AnsiString Answer;               // the name of the button that closed it, '' while unanswered
    TModalResult Result = mrNone;
};

class TModalDriver {
public:
    virtual ~TModalDriver() = default;
    // form is modal and waits with nothing queued: act on it as a user would and return true, or
    // return false when there is nothing to do (the modal loop then raises ENoModalAnswer).
    virtual bool Idle(TCustomForm* form) = 0;
};

class TApplication : public TComponent {
    KVR_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // ---- the pump ----
    // Delivers every queued message (and those they post) and fires due timers.
    void ProcessMessages();
    // Delivers one message; with none queued, runs OnIdle.
    void HandleMessage();
    // Runs until Terminate: the queue, then the modal driver on the main form; returns when neither
    // has anything to do.
    void Run();
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }
    void ResetTerminated() { FTerminated = false; }
    // Nesting of modal loops (0 while none runs).
    int ModalLevel() const { return FModalLevel; }

    // ---- modal driver ----
    TModalDriver* ModalDriver() const { return FDriver; }
    // Returns the driver it replaces.
    TModalDriver* SetModalDriver(TModalDriver* driver);

    // ---- exceptions ----
    // From a catch block: EAbort is silent, OnException when assigned, else ShowException.
    void HandleException(TObject* sender);
    // A message box with the exception's message; without a modal driver it is recorded and written
    // to standard error instead, so that an error handler never raises.
    void ShowException(const Exception& e);
    const TExceptionEvent& OnException() const { return FOnException; }
    void SetOnException(const TExceptionEvent& value) { FOnException = value; }
    const TIdleEvent& OnIdle() const { return FOnIdle; }
    void SetOnIdle(const TIdleEvent& value) { FOnIdle = value; }

    // ---- message service ----
    // A message box (MB_ flags of dialogs.h); returns IDOK, IDCANCEL, ...
    int MessageBox(const AnsiString& text, const AnsiString& caption, Cardinal flags);
    const std::vector<TDialogRecord>& Dialogs() const { return FDialogs; }
    const TDialogRecord* LastDialog() const { return FDialogs.empty() ? nullptr : &FDialogs.back(); }
    void ClearDialogs() { FDialogs.clear(); }
    // Called with each record when its dialog closes (kvrhost prints it).
    void SetDialogListener(std::function<void(const TDialogRecord&)> listener) { FDialogListener = listener; }
    int BeepCount() const { return FBeepCount; }

    // ---- settings ----
    const AnsiString& Title() const { return FTitle; }
    void SetTitle(const AnsiString& value) { FTitle = value; }
    const AnsiString& ExeName() const { return FExeName; }
    void SetExeName(const AnsiString& value) { FExeName = value; }
    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* value);
    // Makes a form owned by the application; the first becomes the main form.
    template <class T> void CreateForm(T*& reference) {
        reference = new T(this);
        if (!FMainForm) SetMainForm(reference);
    }
    HWND Handle();

    // ---- hints ----
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value) { FShowHint = value; }
    int HintPause() const { return FHintPause; }
    void SetHintPause(int value) { FHintPause = value; }
    int HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int value) { FHintHidePause = value; }
    int HintShortPause() const { return FHintShortPause; }
    void SetHintShortPause(int value) { FHintShortPause = value; }
    TColor HintColor() const { return FHintColor; }
    void SetHintColor(TColor value) { FHintColor = value; }
    // The hint the mouse resting on control would show (CM_HINTSHOW and OnShowHint have their say);
    // false when none shows. The shown hint is kept as CurrentHint.
    bool ActivateHint(TControl* control, AnsiString* shown = nullptr);
    void CancelHint() { FCurrentHint.clear(); }
    const AnsiString& CurrentHint() const { return FCurrentHint; }
    const TShowHintEvent& OnShowHint() const { return FOnShowHint; }
    void SetOnShowHint(const TShowHintEvent& value) { FOnShowHint = value; }

    // ---- used by the user-interface layer ----
    // Runs a user action as the pump runs a message: its exceptions go to HandleException, except
    // ENoModalAnswer, which always reaches the caller.
    void RunUserAction(const std::function<void()>& action);
    // Asks the driver on behalf of a waiting modal form; false when there is none or it has nothing.
    bool DriveModal(TCustomForm* form);
    void MessageBeepped() { ++FBeepCount; }
    std::size_t AddDialogRecord(const TDialogRecord& record);
    void CloseDialogRecord(std::size_t index, const AnsiString& answer, TModalResult result);
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCustomForm;
    void DeliverMessage(const TMsg& msg);

    AnsiString FTitle;
    AnsiString FExeName;
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    int FModalLevel = 0;
    TModalDriver* FDriver = nullptr;
    HWND FHandle = 0;
    bool FShowHint = true;
    int FHintPause = 500;
    int FHintHidePause = 2500;
    int FHintShortPause = 50;
    TColor FHintColor = clInfoBk;
    AnsiString FCurrentHint;
    TShowHintEvent FOnShowHint;
    TExceptionEvent FOnException;
    TIdleEvent FOnIdle;
    std::vector<TDialogRecord> FDialogs;
    std::function<void(const TDialogRecord&)> FDialogListener;
    int FBeepCount = 0;
};

class TScreen : public TComponent {
    KVR_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* owner);
    ~TScreen() override;

    // Forms in z-order, the front one first.
    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int index) const; // EListError out of range
    int CustomFormCount() const { return FormCount(); }
    TCustomForm* CustomForms(int index) const { return Forms(index); }
    int DataModuleCount() const { return static_cast<int>(FDataModules.size()); }
    TDataModule* DataModules(int index) const;
    int IndexOfForm(const TCustomForm* form) const;
    TCustomForm* ActiveForm() const { return FActiveForm; }
    TCustomForm* ActiveCustomForm() const { return FActiveForm; }
    // The focused control of the active form.
    TWinControl* ActiveControl() const;
    // The form or data module of that name (without regard to case); nil when none.
    TComponent* FindRoot(const AnsiString& name) const;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetSizeForTesting(int width, int height) {
        FWidth = width;
        FHeight = height;
    }
    TRect WorkAreaRect() const { return Rect(0, 0, FWidth, FHeight); }
    int PixelsPerInch() const { return ScreenPixelsPerInch; }
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value) { FCursor = value; }
    TFont* IconFont() const { return FIconFont.get(); }
    TFont* HintFont() const { return FHintFont.get(); }
    TFont* MenuFont() const { return FMenuFont.get(); }
    TFont* MessageFont() const { return FMessageFont.get(); }

    // ---- used by forms ----
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    void AddDataModule(TDataModule* module);
    void RemoveDataModule(TDataModule* module);
    // Makes form the active one (nil: none); the one before is deactivated.
    void SetActiveForm(TCustomForm* form);
    // After a form hides: the front visible and enabled form becomes active.
    void ActivateNext(TCustomForm* hidden);
    void BringForward(TCustomForm* form);

private:
    std::vector<TCustomForm*> FForms;
    std::vector<TDataModule*> FDataModules;
    TCustomForm* FActiveForm = nullptr;
    int FWidth = 1024;
    int FHeight = 768;
    TCursor FCursor = crDefault;
    std::unique_ptr<TFont> FIconFont;
    std::unique_ptr<TFont> FHintFont;
    std::unique_ptr<TFont> FMenuFont;
    std::unique_ptr<TFont> FMessageFont;
};

extern TApplication* Application;
extern TScreen* Screen;

// ---- what a user does (the driver's and kvrhost's actions) ----
// Each finds its component on form (or inside its frames) by name and raises EInvalidOperation when
// there is none or it cannot take the action (disabled, hidden); the action itself runs as the pump
// runs a message (Application->RunUserAction).

// Presses a key ("F2", "Enter", "Esc", "Tab", "Shift+Tab", "Ctrl+F", "a") on the focused control, or on
// the named control after focusing it.
void UserKey(TCustomForm* form, const AnsiString& keyText, const AnsiString& controlName = "");
// Presses a key on a control: CN_KEYDOWN (menu shortcuts, then dialog keys through CM_DIALOGKEY), then
// WM_KEYDOWN with the form's key preview, WM_CHAR (and CN_CHAR's CM_DIALOGCHAR) for a key that types a
// character, and WM_KEYUP. Alt makes them the system key messages.
void PressKey(TWinControl* target, Word key, TShiftState shift);
// Focuses the control, selects its text (EM_SETSEL 0, -1), types the text byte by byte as WM_CHAR
// (a double-byte character as its two bytes), and leaves the control as Tab would.
void UserType(TCustomForm* form, const AnsiString& controlName, const AnsiString& text);
// Clicks a control (focusing it when it takes the focus; WM_LBUTTONDOWN and WM_LBUTTONUP at its
// centre), or a component a click hook knows (menu items).
void UserClick(TCustomForm* form, const AnsiString& componentName);
// Answers a dialog or modal form: clicks the button of that name, caption (without "&") or modal
// result name ("OK", "Yes", ...); with no such button a modal result name closes the form with it.
void UserAnswer(TCustomForm* form, const AnsiString& button);
// The component of that name on form or inside the frames and components it owns; nil when none.
TComponent* FindFormComponent(TCustomForm* form, const AnsiString& name);

using TClickHook = bool (*)(TComponent* component);
// Click hooks for components that are not controls; a hook returns true when it clicked.
void RegisterClickHook(TClickHook hook);
void UnRegisterClickHook(TClickHook hook);

// A driver that runs its queued steps in order, one each time a modal form waits.
class TQueuedDriver : public TModalDriver {
public:
    using TStep = std::function<void(TCustomForm* form)>;
    TQueuedDriver& Then(TStep step);
    TQueuedDriver& Type(const AnsiString& controlName, const AnsiString& text);
    TQueuedDriver& Key(const AnsiString& keyText, const AnsiString& controlName = "");
    TQueuedDriver& Click(const AnsiString& componentName);
    TQueuedDriver& Answer(const AnsiString& button);
    int Pending() const;
    // The names of the forms the steps ran on, in order.
    const std::vector<AnsiString>& Visited() const { return FVisited; }
    bool Idle(TCustomForm* form) override;

private:
    std::vector<TStep> FSteps;
    std::size_t FNext = 0;
    std::vector<AnsiString> FVisited;
};

// Installs a driver for a scope and puts the previous one back.
class TModalDriverScope {
public:
    explicit TModalDriverScope(TModalDriver* driver) : FPrevious(Application->SetModalDriver(driver)) {}
    ~TModalDriverScope() { Application->SetModalDriver(FPrevious); }
    TModalDriverScope(const TModalDriverScope&) = delete;
    TModalDriverScope& operator=(const TModalDriverScope&) = delete;

private:
    TModalDriver* FPrevious;
};

// The tick clock of timers and hints, in milliseconds; tests fix it.
Cardinal GetTickCount();
void SetTickCountForTesting(Cardinal ms);
void AdvanceTickCountForTesting(Cardinal ms);
void ClearTickCountForTesting();
