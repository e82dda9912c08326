#pragma once
// TfrmDocuCondition: asks the name under which the query dialog saves a query scheme, and whether an
// existing scheme of that name is replaced. ShowDocuConditionDialog runs it.
#include "classlib/controls/buttons.h"
#include "classlib/controls/stdctrls.h"
#include "components/DBLabel.h"
#include "framework/QVForm.h"

class TBrokers;

class TfrmDocuCondition : public TQVForm {
    KVR_CLASS(TfrmDocuCondition, TQVForm)
public:
    explicit TfrmDocuCondition(TComponent* owner, bool load = true);

    TDBLabel* lblCondition = nullptr;
    TEdit* edConName = nullptr;
    TButton* btnOk = nullptr;
    TButton* btnCancel = nullptr;

    bool ReplaceScheme = false;

    void FormCreate(TObject* sender);
    void FormKeyPress(TObject* sender, char& key);
    void btnOkClick(TObject* sender);

private:
    // The document form's broker: the owner's owner (the query dialog belongs to the form).
    TBrokers* DocumentBroker() const;
    AnsiString Text(const AnsiString& ident, const AnsiString& defaultText);
};

// [name, replace flag] on OK; a one-element list holding an empty name on Cancel. The dialog is owned
// by the query dialog and always freed.
void ShowDocuConditionDialog(TComponent* qbeForm, Variant& result);
