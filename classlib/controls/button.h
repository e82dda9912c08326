#pragma once
// TButton: the push button of forms and message dialogs. A click sets its form's ModalResult (when its
// own is not mrNone) and fires OnClick; Enter presses the default button and Esc the cancel button
// through CM_DIALOGKEY, an "&" accelerator through CM_DIALOGCHAR, Space the focused button.
#include "classlib/controls/forms.h"

class TButton : public TWinControl {
    KVR_CLASS(TButton, TWinControl)
    KVR_MESSAGES(TButton)
public:
    explicit TButton(TComponent* owner);

    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult value) { FModalResult = value; }
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }
    // Enter presses this button now: it has the focus, or it is the default button and the focus is
    // on a control that is not a button.
    bool IsActive() const;

    void Click() override;

protected:
    void PaintWindow(TCanvas* canvas) override;
    void CMDialogKey(TMessage& message);
    void CMDialogChar(TMessage& message);
    void WMGetDlgCode(TMessage& message);
    void WMKeyUp(TMessage& message);
    void BMClick(TMessage& message);

private:
    TModalResult FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
};
