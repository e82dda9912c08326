#pragma once
// Message dialogs. Each is a real modal form (buttons named "Yes", "No", "OK", "Cancel", "Abort",
// "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"; the text is the control "Message", the icon
// "Image") that runs through the modal loop, so the application's modal driver answers it
// (UserAnswer(form, "Yes")), and that leaves a record in Application->Dialogs(): kind, caption, text,
// buttons from left to right, default button, answer and result. Without a driver it raises
// ENoModalAnswer naming the text, never waiting.
#include <vector>

#include "classlib/controls/button.h"
#include "classlib/controls/forms.h"

KVR_ENUM(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom);
KVR_ENUM(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll,
         mbHelp);
KVR_SET(TMsgDlgButtons, TMsgDlgBtn);
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// Message box flags and answers of the platform.
constexpr Cardinal MB_OK = 0x00000000;
constexpr Cardinal MB_OKCANCEL = 0x00000001;
constexpr Cardinal MB_ABORTRETRYIGNORE = 0x00000002;
constexpr Cardinal MB_YESNOCANCEL = 0x00000003;
constexpr Cardinal MB_YESNO = 0x00000004;
constexpr Cardinal MB_RETRYCANCEL = 0x00000005;
constexpr Cardinal MB_ICONHAND = 0x00000010;
constexpr Cardinal MB_ICONSTOP = MB_ICONHAND;
constexpr Cardinal MB_ICONERROR = MB_ICONHAND;
constexpr Cardinal MB_ICONQUESTION = 0x00000020;
constexpr Cardinal MB_ICONEXCLAMATION = 0x00000030;
constexpr Cardinal MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr Cardinal MB_ICONASTERISK = 0x00000040;
constexpr Cardinal MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr Cardinal MB_DEFBUTTON1 = 0x00000000;
constexpr Cardinal MB_DEFBUTTON2 = 0x00000100;
constexpr Cardinal MB_DEFBUTTON3 = 0x00000200;
constexpr Cardinal MB_DEFBUTTON4 = 0x00000300;
constexpr Cardinal MB_APPLMODAL = 0x00000000;
constexpr Cardinal MB_SYSTEMMODAL = 0x00001000;
constexpr Cardinal MB_TASKMODAL = 0x00002000;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The dialog form; ShowModal records what it shows and how it was answered.
class TMessageForm : public TForm {
    KVR_CLASS(TMessageForm, TForm)
public:
    explicit TMessageForm(TComponent* owner);
    TModalResult ShowModal() override;
    AnsiString WaitingDescription() const override;
    // "Warning", "Error", "Information", "Confirmation", "Custom".
    const AnsiString& Kind() const { return FKind; }
    void SetKind(const AnsiString& value) { FKind = value; }
    AnsiString MessageText() const;

private:
    AnsiString FKind = "Custom";
};

// A dialog form, not shown: its buttons may be renamed, re-captioned and moved before ShowModal. The
// default button is OK, else Yes, else Retry, else the first (or the one given); the cancel button
// (Esc) is Cancel, else No, else OK. The caller frees it.
TMessageForm* CreateMessageDialog(const AnsiString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons);
TMessageForm* CreateMessageDialog(const AnsiString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons,
                                  TMsgDlgBtn defaultButton);
int MessageDlg(const AnsiString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx);
int MessageDlg(const AnsiString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx,
               TMsgDlgBtn defaultButton);
int MessageDlgPos(const AnsiString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx, int x,
                  int y);
// A plain message with an OK button, titled with the application's title.
void ShowMessage(const AnsiString& text);
void ShowMessagePos(const AnsiString& text, int x, int y);
// The platform's message box: MB_ flags choose buttons, icon and default; returns IDOK, IDCANCEL, ...
int ShowMessageBox(const AnsiString& text, const AnsiString& caption, Cardinal flags);
int MessageBox(HWND owner, const AnsiString& text, const AnsiString& caption, Cardinal flags);
// Counted by the application (Application->BeepCount()); always succeeds.
bool MessageBeep(Cardinal type);

// The class library's names of the dialog buttons ("Yes", ...) and their captions ("&Yes", ...).
AnsiString MsgDlgButtonName(TMsgDlgBtn button);
AnsiString MsgDlgButtonCaption(TMsgDlgBtn button);
