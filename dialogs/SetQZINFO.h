#pragma once
// TfrmSetQZINFO: asks, before a document goes to sign-off, the urgency of the form and the person
// responsible for it (checked against the user table).
#include "classlib/controls/extctrls.h"
#include "classlib/controls/stdctrls.h"
#include "components/F2Button.h"
#include "dialogs/QVDialogCF.h"

class TfrmSetQZINFO : public TfrmQVDialog {
    KVR_CLASS(TfrmSetQZINFO, TfrmQVDialog)
public:
    explicit TfrmSetQZINFO(TComponent* owner, bool load = true);

    // Components of the stream.
    TPanel* Panel1 = nullptr;
    TLabel* lbl01 = nullptr;
    TComboBox* cbo01 = nullptr;
    TLabel* lbl02 = nullptr;
    TEdit* ed02 = nullptr;
    TF2Button* F2Button1 = nullptr;
    TPanel* Panel2 = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;

    // [urgency (1 normal, 2 urgent, 3 the blank item), person] once OK was accepted.
    Variant QZResult;

    void DoF2Key(Word& key, TWinControl* control) override;

    // Handlers of the stream.
    void FormCloseQuery(TObject* sender, bool& canClose);
    void ed02Exit(TObject* sender);
    void FormShow(TObject* sender);
};

// Runs the dialog owned by the document form; true with result [urgency, person] on OK, false with an
// empty result otherwise.
bool ExecuteSetQZInfo(TComponent* owner, Variant& result);
