#pragma once
// TfrmQVDialog: the base of the small modal dialogs a document form opens (options, confirm date,
// sign-off settings). It has no broker of its own: it borrows the broker, the date kind and the date
// separator of the document form that owns it, and gives its descendants the F2/F3/F4 keys, a date
// picker, a lookup that fills edits and labels, and a code check with its messages.
//
// A descendant declares its stream over this one's ("inherited frmX: TfrmX ... end"):
//
//     TfrmX::TfrmX(TComponent* owner, bool load) : TfrmQVDialog(owner, false) {
//         if (load) InitInheritedComponent(this);
//     }
#include <algorithm>
#include <vector>

#include "classlib/controls/messages.h"
#include "classlib/controls/stdctrls.h"
#include "framework/QVForm.h"

class TBrokers;
class TfrmRadical;

class TfrmQVDialog : public TQVForm {
    KVR_CLASS(TfrmQVDialog, TQVForm)
    KVR_MESSAGES(TfrmQVDialog)
public:
    explicit TfrmQVDialog(TComponent* owner, bool load = true);

    // Fields, in order (taken from the owner form at creation).
    TBrokers* Brokers = nullptr; // the owner form's broker, not owned
    int DateKind = 1;            // 1 to 5, as the document form shows dates
    AnsiString DateSeparator;

    // Virtual operations, in slot order; each base version only focuses the control when it can.
    virtual void DoF2Key(Word& key, TWinControl* control);
    virtual void DoF3Key(Word& key, TWinControl* control);
    virtual void DoF4Key(Word& key, TWinControl* control);

    void SetDateKind(int kind) { DateKind = kind; }
    void SetDateSeparator(const AnsiString& text) { DateSeparator = text; }
    // An empty date in the dialog's format: blanks for the digits, the separators in place.
    AnsiString GetEmptyDateText() const;
    // The broker's day picker, started from the edit's date (today when it holds none); the chosen day
    // becomes the edit's text in the dialog's date format.
    void PickDate(TCustomEdit* edit);
    // LookupFill for the one edit.
    void LookupInto(TCustomEdit* edit, const AnsiString& table, const Variant& keys, const Variant& queryNo);
    // The lookup window on table, seeded with the first control's text; the values of the first chosen
    // row go in order into the controls (edits and labels).
    void LookupFill(const std::vector<TControl*>& controls, const Variant& keys, const Variant& queryNo,
                    const AnsiString& table);
    // The existence check of the first control's code (a plain edit with a text): keys empty means
    // [its text]. Not found: level "E" says E 000001 and focuses the edit, "W" says W 000004 (Cancel
    // aborts), others are silent, and the answer is false. Found (or an empty edit): the row's values go
    // into the controls after the first, and the answer is true.
    bool ValidateCode(const std::vector<TControl*>& controls, const AnsiString& level, const Variant& keys,
                      const AnsiString& checkNo, const AnsiString& table);

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void FormKeyDown(TObject* sender, Word& key, TShiftState shift);
    void FormKeyPress(TObject* sender, char& key);
    void FormShow(TObject* sender);

protected:
    // The document form the dialog belongs to: the nearest owner that is one; nil when none is.
    TfrmRadical* OwnerForm() const;
    void WMKeyF2(TMessage& message);
    void WMKeyF3(TMessage& message);
    void WMKeyF4(TMessage& message);
    // Database-to-interface conversion of a server answer on the dialog's converter.
    Variant DBToUI(const Variant& value) const;
};

// The control's Caption when it publishes one; else the caption of the label of owner whose focus
// control it is; else ''.
AnsiString GetControlCaption(TComponent* owner, TControl* control);
