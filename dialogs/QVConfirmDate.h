#pragma once
// TQVConfirmDateForm: asks the date of a confirmation (or of the action its caption names) before the
// document form goes on. The caller creates it owned by the document form, calls Prepare, shows it
// modally and reads ConfirmDate after OK. The date is typed in the form's date format with a
// fixed-position typing aid (the separators stay where they are), "$" for today, or picked with F2.
#include "classlib/controls/extctrls.h"
#include "classlib/controls/stdctrls.h"
#include "components/F2Button.h"
#include "dialogs/QVDialogCF.h"

class TQVConfirmDateForm : public TfrmQVDialog {
    KVR_CLASS(TQVConfirmDateForm, TfrmQVDialog)
public:
    explicit TQVConfirmDateForm(TComponent* owner, bool load = true);

    // Components of the stream.
    TPanel* Panel1 = nullptr;
    TLabel* lbl01 = nullptr;
    TEdit* edDate01 = nullptr;
    TF2Button* btn01 = nullptr;
    TPanel* Panel2 = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;

    // "YYYYMMDD" after OK; "0" while the typed text is no date.
    AnsiString ConfirmDate;

    // kind "1" shows today, any other dateText ("YYYYMMDD"); caption names the action in the label.
    void Prepare(const AnsiString& kind, const AnsiString& dateText, const AnsiString& caption);
    void DoF2Key(Word& key, TWinControl* control) override;

    // Handlers of the stream.
    void edDate01Enter(TObject* sender);
    void edDate01Exit(TObject* sender);
    void edDate01KeyPress(TObject* sender, char& key);
    void btnOKClick(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void FormKeyDown(TObject* sender, Word& key, TShiftState shift);

private:
    AnsiString Text(const AnsiString& ident, const AnsiString& defaultText);
    // The edit's date as "YYYYMMDD", "0" when it is none.
    AnsiString TypedDate(const TCustomEdit* edit) const;
    // Says E 000005 and keeps the focus on the edit when it holds a text that is no date.
    void CheckTypedDate(TCustomEdit* edit);
    // ConfirmDate from the edit; E 000003 naming the label when it is no date.
    bool AcceptDate();
};
