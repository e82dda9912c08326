#include "classlib/controls/dialogs.h"

#include <algorithm>

#include "classlib/rtl/format.h"

namespace {

const char* const kButtonNames[] = {"Yes",    "No",  "OK",      "Cancel",   "Abort", "Retry",
                                    "Ignore", "All", "NoToAll", "YesToAll", "Help"};
const char* const kButtonCaptions[] = {"&Yes",    "&No",  "OK",         "Cancel",      "&Abort", "&Retry",
                                       "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help"};
const TModalResult kButtonResults[] = {mrYes,    mrNo,  mrOk,      mrCancel,   mrAbort, mrRetry,
                                       mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone};
const char* const kTitles[] = {"Warning", "Error", "Information", "Confirm", ""};
const char* const kKinds[] = {"Warning", "Error", "Information", "Confirmation", "Custom"};

// Layout of the classic dialog in pixels of the fixed metric.
constexpr int kHorzMargin = 12;
constexpr int kVertMargin = 12;
constexpr int kHorzSpacing = 15;
constexpr int kVertSpacing = 15;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonSpacing = 6;
constexpr int kIconSize = 32;

// The dialog's text, word-wrapped.
class TMessageText : public TGraphicControl {
    KVR_CLASS(TMessageText, TGraphicControl)
public:
    explicit TMessageText(TComponent* owner) : TGraphicControl(owner) {}

protected:
    void Paint() override {
        TCanvas* c = Canvas();
        c->Font()->Assign(Font());
        c->Font()->SetColor(clWindowText);
        c->Brush()->SetStyle(bsClear);
        TRect r = ClientRect();
        DrawText(c, Caption(), r, DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX);
    }
};

// The dialog's icon, drawn in the classic shapes.
class TMessageIcon : public TGraphicControl {
    KVR_CLASS(TMessageIcon, TGraphicControl)
public:
    explicit TMessageIcon(TComponent* owner) : TGraphicControl(owner) {}
    TMsgDlgType DlgType = mtInformation;

protected:
    void Paint() override {
        TCanvas* c = Canvas();
        c->Pen()->SetColor(clBlack);
        const char* mark = "i";
        TColor markColor = clBlue;
        switch (DlgType) {
        case mtWarning:
            c->Brush()->SetColor(clYellow);
            c->Polygon({Point(16, 1), Point(31, 30), Point(1, 30)});
            mark = "!";
            markColor = clBlack;
            break;
        case mtError:
            c->Brush()->SetColor(clRed);
            c->Ellipse(1, 1, 31, 31);
            mark = "X";
            markColor = clWhite;
            break;
        case mtConfirmation:
            c->Brush()->SetColor(clWhite);
            c->Ellipse(1, 1, 31, 31);
            mark = "?";
            break;
        default:
            c->Brush()->SetColor(clWhite);
            c->Ellipse(1, 1, 31, 31);
            break;
        }
        c->Font()->SetHeight(-16);
        c->Font()->SetColor(markColor);
        c->Font()->SetStyle(TFontStyles{fsBold});
        c->Brush()->SetStyle(bsClear);
        TRect r = Rect(0, 4, 32, 30);
        DrawText(c, mark, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
};

KVR_PUBLISHED(TMessageText, c) {}
KVR_PUBLISHED(TMessageIcon, c) {}

TMsgDlgBtn DefaultOf(TMsgDlgButtons buttons) {
    for (TMsgDlgBtn b : {mbOK, mbYes, mbRetry})
        if (buttons.Contains(b)) return b;
    for (int b = mbYes; b <= mbHelp; ++b)
        if (buttons.Contains(static_cast<TMsgDlgBtn>(b))) return static_cast<TMsgDlgBtn>(b);
    return mbOK;
}

TMessageForm* BuildDialog(const AnsiString& msg, TMsgDlgType dlgType, const std::vector<TMsgDlgBtn>& buttons,
                          int defaultIndex, const AnsiString& caption) {
    auto* form = new TMessageForm(Application);
    try {
        form->SetKind(kKinds[dlgType]);
        form->SetBorderStyle(bsDialog);
        form->SetBorderIcons(TBorderIcons{biSystemMenu});
        form->SetPosition(poScreenCenter);
        form->Font()->Assign(Screen->MessageFont());
        form->SetCaption(caption);

        TBitmap measure;
        measure.SetSize(1, 1);
        TCanvas* mc = measure.Canvas();
        mc->Font()->Assign(form->Font());
        TRect textRect = Rect(0, 0, Screen->Width() / 2, 0);
        DrawText(mc, msg, textRect, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX);
        int textWidth = textRect.Width(), textHeight = textRect.Height();
        bool icon = dlgType != mtCustom;
        int iconWidth = icon ? kIconSize + kHorzSpacing : 0;
        int count = static_cast<int>(buttons.size());
        int buttonsWidth = count * kButtonWidth + std::max(0, count - 1) * kButtonSpacing;
        int clientWidth = std::max(iconWidth + textWidth, buttonsWidth) + 2 * kHorzMargin;
        int top = std::max(icon ? kIconSize : 0, textHeight) + kVertMargin + kVertSpacing;
        form->SetClientWidth(clientWidth);
        form->SetClientHeight(top + kButtonHeight + kVertMargin);

        if (icon) {
            auto* image = new TMessageIcon(form);
            image->SetName("Image");
            image->DlgType = dlgType;
            image->SetBounds(kHorzMargin, kVertMargin, kIconSize, kIconSize);
            image->SetParent(form);
        }
        auto* text = new TMessageText(form);
        text->SetName("Message");
        text->SetCaption(msg);
        text->SetBounds(kHorzMargin + iconWidth, kVertMargin, textWidth, textHeight);
        text->SetParent(form);

        bool hasCancel = std::find(buttons.begin(), buttons.end(), mbCancel) != buttons.end();
        bool hasNo = std::find(buttons.begin(), buttons.end(), mbNo) != buttons.end();
        TMsgDlgBtn cancel = hasCancel ? mbCancel : hasNo ? mbNo : mbOK;
        int x = (clientWidth - buttonsWidth) / 2;
        for (int i = 0; i < count; ++i) {
            TMsgDlgBtn b = buttons[static_cast<std::size_t>(i)];
            auto* button = new TButton(form);
            button->SetName(kButtonNames[b]);
            button->SetCaption(kButtonCaptions[b]);
            button->SetModalResult(kButtonResults[b]);
            button->SetDefault(i == defaultIndex);
            button->SetCancel(b == cancel);
            button->SetBounds(x, top, kButtonWidth, kButtonHeight);
            button->SetParent(form);
            if (i == defaultIndex) form->SetActiveControl(button);
            x += kButtonWidth + kButtonSpacing;
        }
    } catch (...) {
        form->Free();
        throw;
    }
    return form;
}

std::vector<TMsgDlgBtn> InOrder(TMsgDlgButtons buttons) {
    std::vector<TMsgDlgBtn> list;
    for (int b = mbYes; b <= mbHelp; ++b)
        if (buttons.Contains(static_cast<TMsgDlgBtn>(b))) list.push_back(static_cast<TMsgDlgBtn>(b));
    return list;
}

AnsiString TitleOf(TMsgDlgType dlgType) {
    return dlgType == mtCustom ? Application->Title() : AnsiString(kTitles[dlgType]);
}

int RunDialog(TMessageForm* form) {
    int result;
    try {
        result = form->ShowModal();
    } catch (...) {
        form->Free();
        throw;
    }
    form->Free();
    return result;
}

} // namespace

AnsiString MsgDlgButtonName(TMsgDlgBtn button) {
    return button >= mbYes && button <= mbHelp ? kButtonNames[button] : "";
}

AnsiString MsgDlgButtonCaption(TMsgDlgBtn button) {
    return button >= mbYes && button <= mbHelp ? kButtonCaptions[button] : "";
}

// ---- TMessageForm ----

KVR_PUBLISHED(TMessageForm, c) {}

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) {
    SetKeyPreview(true);
}

AnsiString TMessageForm::MessageText() const {
    TComponent* text = FindComponent("Message");
    auto* control = dynamic_cast<TControl*>(text);
    return control ? control->Caption() : AnsiString();
}

AnsiString TMessageForm::WaitingDescription() const {
    return "message dialog \"" + MessageText() + "\"";
}

TModalResult TMessageForm::ShowModal() {
    TDialogRecord record;
    record.Kind = FKind;
    record.Caption = Caption();
    record.Text = MessageText();
    std::vector<TButton*> buttons;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TButton*>(Controls(i)); b && b->Visible()) buttons.push_back(b);
    std::stable_sort(buttons.begin(), buttons.end(),
                     [](TButton* a, TButton* b) { return a->Left() < b->Left(); });
    for (TButton* b : buttons) {
        record.Buttons.push_back(b->Name());
        if (b->Default() && record.DefaultButton.empty()) record.DefaultButton = b->Name();
    }
    std::size_t index = Application->AddDialogRecord(record);
    TModalResult result = TForm::ShowModal();
    AnsiString answer;
    for (TButton* b : buttons)
        if (answer.empty() && b->ModalResult() == result) answer = b->Name();
    if (answer.empty()) answer = ModalResultName(result);
    Application->CloseDialogRecord(index, answer, result);
    return result;
}

// ---- entry points ----

TMessageForm* CreateMessageDialog(const AnsiString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons) {
    return CreateMessageDialog(msg, dlgType, buttons, DefaultOf(buttons));
}

TMessageForm* CreateMessageDialog(const AnsiString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons,
                                  TMsgDlgBtn defaultButton) {
    std::vector<TMsgDlgBtn> list = InOrder(buttons);
    int defaultIndex = -1;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == defaultButton) defaultIndex = static_cast<int>(i);
    return BuildDialog(msg, dlgType, list, defaultIndex, TitleOf(dlgType));
}

int MessageDlg(const AnsiString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx) {
    return MessageDlg(msg, dlgType, buttons, helpCtx, DefaultOf(buttons));
}

int MessageDlg(const AnsiString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx,
               TMsgDlgBtn defaultButton) {
    TMessageForm* form = CreateMessageDialog(msg, dlgType, buttons, defaultButton);
    form->SetHelpContext(helpCtx);
    return RunDialog(form);
}

int MessageDlgPos(const AnsiString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx, int x,
                  int y) {
    TMessageForm* form = CreateMessageDialog(msg, dlgType, buttons);
    form->SetHelpContext(helpCtx);
    form->SetPosition(poDesigned);
    form->SetBounds(x, y, form->Width(), form->Height());
    return RunDialog(form);
}

void ShowMessage(const AnsiString& text) {
    MessageDlg(text, mtCustom, TMsgDlgButtons{mbOK}, 0);
}

void ShowMessagePos(const AnsiString& text, int x, int y) {
    MessageDlgPos(text, mtCustom, TMsgDlgButtons{mbOK}, 0, x, y);
}

int ShowMessageBox(const AnsiString& text, const AnsiString& caption, Cardinal flags) {
    std::vector<TMsgDlgBtn> buttons;
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
        buttons = {mbOK, mbCancel};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {mbAbort, mbRetry, mbIgnore};
        break;
    case MB_YESNOCANCEL:
        buttons = {mbYes, mbNo, mbCancel};
        break;
    case MB_YESNO:
        buttons = {mbYes, mbNo};
        break;
    case MB_RETRYCANCEL:
        buttons = {mbRetry, mbCancel};
        break;
    default:
        buttons = {mbOK};
        break;
    }
    TMsgDlgType dlgType = mtCustom;
    switch (flags & 0xF0) {
    case MB_ICONHAND:
        dlgType = mtError;
        break;
    case MB_ICONQUESTION:
        dlgType = mtConfirmation;
        break;
    case MB_ICONEXCLAMATION:
        dlgType = mtWarning;
        break;
    case MB_ICONASTERISK:
        dlgType = mtInformation;
        break;
    default:
        break;
    }
    int defaultIndex = static_cast<int>((flags & 0xF00) >> 8);
    if (defaultIndex >= static_cast<int>(buttons.size())) defaultIndex = 0;
    // The platform titles a box without a caption "Error".
    TMessageForm* form =
        BuildDialog(text, dlgType, buttons, defaultIndex, caption.empty() ? AnsiString("Error") : caption);
    return RunDialog(form);
}

int MessageBox(HWND, const AnsiString& text, const AnsiString& caption, Cardinal flags) {
    return ShowMessageBox(text, caption, flags);
}

bool MessageBeep(Cardinal) {
    Application->MessageBeepped();
    return true;
}
