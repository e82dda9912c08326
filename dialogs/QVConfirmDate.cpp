#include "dialogs/QVConfirmDate.h"

#include "classlib/objects/formloader.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/strutils.h"
#include "foundation/libstrs.h"
#include "framework/Brokers.h"

KVR_PUBLISHED(TQVConfirmDateForm, c) {
    c.Field("Panel1", &TQVConfirmDateForm::Panel1);
    c.Field("lbl01", &TQVConfirmDateForm::lbl01);
    c.Field("edDate01", &TQVConfirmDateForm::edDate01);
    c.Field("btn01", &TQVConfirmDateForm::btn01);
    c.Field("Panel2", &TQVConfirmDateForm::Panel2);
    c.Field("btnOK", &TQVConfirmDateForm::btnOK);
    c.Field("btnCancel", &TQVConfirmDateForm::btnCancel);
    c.Method("edDate01Enter", &TQVConfirmDateForm::edDate01Enter);
    c.Method("edDate01Exit", &TQVConfirmDateForm::edDate01Exit);
    c.Method("edDate01KeyPress", &TQVConfirmDateForm::edDate01KeyPress);
    c.Method("btnOKClick", &TQVConfirmDateForm::btnOKClick);
    c.Method("FormCloseQuery", &TQVConfirmDateForm::FormCloseQuery);
    c.Method("FormKeyDown", &TQVConfirmDateForm::FormKeyDown);
}

KVR_FORM_RESOURCE(TQVConfirmDateForm, R"(inherited QVConfirmDateForm: TQVConfirmDateForm
  Left = 286
  Top = 159
  Caption = '审核'
  ClientHeight = 183
  ClientWidth = 281
  ShowHint = True
  OnCloseQuery = FormCloseQuery
  OnKeyDown = FormKeyDown
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 281
    Height = 142
    Align = alClient
    TabOrder = 0
    object lbl01: TLabel
      Left = 24
      Top = 60
      Caption = '审核'
      FocusControl = edDate01
    end
    object edDate01: TEdit
      Left = 100
      Top = 57
      Width = 121
      Height = 21
      Color = 11534335
      Hint = '[F2]日期快手'
      TabOrder = 0
      OnEnter = edDate01Enter
      OnExit = edDate01Exit
      OnKeyPress = edDate01KeyPress
    end
    object btn01: TF2Button
      Left = 223
      Top = 57
      Width = 21
      Height = 21
      Hint = '日期快手'
      GlyphIndex = 9
      F2Control = edDate01
    end
  end
  object Panel2: TPanel
    Left = 0
    Top = 142
    Width = 281
    Height = 41
    Align = alBottom
    TabOrder = 1
    object btnOK: TButton
      Left = 56
      Top = 8
      Width = 75
      Height = 25
      Caption = '确定'
      ModalResult = 1
      TabOrder = 0
      OnClick = btnOKClick
    end
    object btnCancel: TButton
      Left = 150
      Top = 8
      Width = 75
      Height = 25
      Cancel = True
      Caption = '取消'
      ModalResult = 2
      TabOrder = 1
    end
  end
end
)");

TQVConfirmDateForm::TQVConfirmDateForm(TComponent* owner, bool load) : TfrmQVDialog(owner, false) {
    if (load) InitInheritedComponent(this);
}

AnsiString TQVConfirmDateForm::Text(const AnsiString& ident, const AnsiString& defaultText) {
    AnsiString text;
    GetLangString("TQVConfirmDateForm", ident, text, true, defaultText);
    return text;
}

void TQVConfirmDateForm::Prepare(const AnsiString& kind, const AnsiString& dateText,
                                 const AnsiString& caption) {
    // A date text that is no date shows nothing rather than the calendar's day zero.
    const TDateTime date = kind == "1" ? Date() : YMDStrToDate(Trim(dateText));
    edDate01->SetText(date == 0 ? AnsiString() : FormatDateByKind(DateKind, DateSeparator, date));

    const AnsiString confirm = Text("sConfirm", "审核");
    if (caption.find(confirm) == AnsiString::npos)
        lbl01->SetCaption(confirm + caption);
    else
        lbl01->SetCaption(Text("sConfirmDate", "审核日期"));
    btnOK->SetCaption(Text("btnOK", "确定"));
    btnCancel->SetCaption(Text("btnCancel", "取消"));

    edDate01->SetLeft(lbl01->Left() + lbl01->Width() + 5);
    edDate01->SetTop(lbl01->Top() - 3);
    btn01->SetLeft(edDate01->Left() + edDate01->Width() + 2);
    btn01->SetTop(edDate01->Top());
}

void TQVConfirmDateForm::DoF2Key(Word& key, TWinControl* control) {
    TfrmQVDialog::DoF2Key(key, control);
    if (control == edDate01) PickDate(edDate01);
}

// ---- the typing aid ----

void TQVConfirmDateForm::edDate01KeyPress(TObject* sender, char& key) {
    auto* edit = dynamic_cast<TCustomEdit*>(sender);
    if (!edit) return;
    const bool digit = key >= '0' && key <= '9';
    if (digit && DateSeparator.empty()) return; // without separators the edit types as usual
    const char separator = DateSeparator.empty() ? '\0' : DateSeparator[0];
    AnsiString text = Trim(edit->Text()).empty() ? GetEmptyDateText() : edit->Text();
    int caret = edit->SelStart();
    const int length = static_cast<int>(text.size());
    bool changed = false;
    if (key == '$') {
        edit->SetText(FormatDateByKind(DateKind, DateSeparator, Date()));
    } else if (key == '\b') {
        // Nothing before the caret: nothing to blank.
        if (caret > 0 && caret <= length) {
            if (text[caret - 1] != separator) text[caret - 1] = ' ';
            --caret;
            changed = true;
        }
    } else if (digit) {
        // At the end of the text there is no place left to type into.
        if (caret < length && text[caret] != separator) {
            text[caret] = key;
            ++caret;
            changed = true;
        } else if (caret + 1 < length) {
            text[caret + 1] = key;
            caret += 2;
            changed = true;
        }
    }
    if (changed) {
        edit->SetText(text);
        edit->SetSelStart(caret);
        edit->SetSelLength(0);
    }
    key = 0;
}

AnsiString TQVConfirmDateForm::TypedDate(const TCustomEdit* edit) const {
    const AnsiString ymd = DateStrToYMD(Trim(edit->Text()), DateKind, DateSeparator);
    return IsValidYMDStr(ymd) ? ymd : AnsiString("0");
}

void TQVConfirmDateForm::CheckTypedDate(TCustomEdit* edit) {
    AnsiString bare = edit->Text();
    if (!DateSeparator.empty()) bare = StringReplace(bare, DateSeparator, "", rfReplaceAll);
    if (Trim(bare).empty() || TypedDate(edit) != "0") return;
    if (Brokers) Brokers->Say("E", "000005", {AnsiString()});
    if (edit->CanFocus()) edit->SetFocus();
    // An exit handler that raises keeps the focus where it was.
    if (FocusingControl() && FocusingControl() != edit) Abort();
}

void TQVConfirmDateForm::edDate01Exit(TObject* sender) {
    // The user may always leave for Cancel.
    if (FocusingControl() == btnCancel) return;
    if (auto* edit = dynamic_cast<TCustomEdit*>(sender)) CheckTypedDate(edit);
}

void TQVConfirmDateForm::edDate01Enter(TObject* sender) {
    auto* entered = dynamic_cast<TCustomEdit*>(sender);
    if (!entered || !entered->Text().empty()) return;
    for (int i = 0; i < Panel1->ControlCount(); ++i) {
        auto* previous = dynamic_cast<TCustomEdit*>(Panel1->Controls(i));
        if (previous && previous != entered && previous->TabOrder() == entered->TabOrder() - 1) {
            CheckTypedDate(previous);
            return;
        }
    }
}

// ---- closing ----

bool TQVConfirmDateForm::AcceptDate() {
    ConfirmDate = TypedDate(edDate01);
    if (ConfirmDate != "0") return true;
    if (Brokers) Brokers->Say("E", "000003", {lbl01->Caption()});
    if (edDate01->CanFocus()) edDate01->SetFocus();
    return false;
}

void TQVConfirmDateForm::btnOKClick(TObject*) {
    if (!AcceptDate()) SetModalResult(mrNone);
}

void TQVConfirmDateForm::FormCloseQuery(TObject*, bool& canClose) {
    if (ModalResult() != mrOk) return;
    if (!AcceptDate()) canClose = false;
}

void TQVConfirmDateForm::FormKeyDown(TObject* sender, Word& key, TShiftState shift) {
    if (key == VK_DELETE && ActiveControl() && ActiveControl()->Name().find("Date") != AnsiString::npos) {
        key = 0;
        return;
    }
    TfrmQVDialog::FormKeyDown(sender, key, shift);
}
