#pragma once
// What every data-aware control does with its data link, in one place: it owns the link, names itself
// the link's control, follows the data source with a free notification (a freed source is dropped),
// leaves the source before it goes, and writes its value back as the user leaves it. The edits, combo
// boxes and check boxes hold a field link; the data grid a link of its own kind.
#include <memory>

#include "classlib/controls/stdctrls.h"
#include "classlib/db/db.h"

template <class TLink> class TDataAware {
public:
    TLink* DataLink() const { return FDataLink.get(); }
    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* value) {
        if (FDataLink->DataSource() == value) return;
        if (FDataLink->DataSource()) FDataLink->DataSource()->RemoveFreeNotification(FLinkControl);
        FDataLink->SetDataSource(value);
        if (value) value->FreeNotification(FLinkControl);
    }

protected:
    explicit TDataAware(TComponent* control) : FDataLink(std::make_unique<TLink>()), FLinkControl(control) {
        if constexpr (requires(TLink & link) { link.SetControl(control); }) FDataLink->SetControl(control);
    }
    ~TDataAware() { FDataLink->SetDataSource(nullptr); }
    TDataAware(const TDataAware&) = delete;
    TDataAware& operator=(const TDataAware&) = delete;

    // From the control's Notification: a data source that goes is let go.
    void DataSourceNotification(TComponent* component, TOperation operation) {
        if (operation == opRemove && FDataLink && component == FDataLink->DataSource())
            FDataLink->SetDataSource(nullptr);
    }
    // From the control's DoExit: the value goes to the field; when the field refuses it the control keeps
    // the focus, so that the user can correct it, and the error passes on.
    void UpdateRecordOnExit(TWinControl* control) {
        try {
            FDataLink->UpdateRecord();
        } catch (...) {
            if (control->CanFocus()) control->SetFocus();
            throw;
        }
    }

    std::unique_ptr<TLink> FDataLink;

private:
    TComponent* FLinkControl;
};

// The state a check box shows for a field: a Boolean field maps to checked and unchecked; any other
// field's text is looked up (ignoring case) in the ";" lists of checked and unchecked values; a text
// that is in neither shows grayed, and null shows nullState.
TCheckBoxState FieldCheckState(TField* field, const AnsiString& valueChecked,
                               const AnsiString& valueUnchecked, TCheckBoxState nullState);
// Writes a check state to the field: grayed clears it; otherwise a Boolean field takes the state and any
// other field the first value of the list.
void WriteFieldCheckState(TField* field, TCheckBoxState state, const AnsiString& valueChecked,
                          const AnsiString& valueUnchecked);
