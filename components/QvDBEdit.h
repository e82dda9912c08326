#pragma once
// TQvDBEdit: a data-aware edit that carries its caption label; TQvBtnDBEdit adds the pick button that
// runs OnDialog, or asks the form for its F2 lookup.
#include "classlib/dbctrls/dbctrls.h"
#include "components/GSpeedButton.h"
#include "components/QvEditLabel.h"

class TQvDBEdit : public TLabelledControl<TDBEdit> {
    KVR_CLASS(TQvDBEdit, TDBEdit)
    KVR_MESSAGES(TQvDBEdit)
public:
    explicit TQvDBEdit(TComponent* owner) : TLabelledControl(owner) {}

    // At design time a field that is found gives its display label as the caption.
    void SetDataField(const AnsiString& value) override;
};

class TQvBtnDBEdit : public TQvDBEdit {
    KVR_CLASS(TQvBtnDBEdit, TQvDBEdit)
public:
    explicit TQvBtnDBEdit(TComponent* owner);

    TGSpeedButton* Button() const { return FButton; }
    AnsiString ButtonHint() const { return FButton ? FButton->Hint() : AnsiString(); }
    void SetButtonHint(const AnsiString& value);
    int ButtonSpacing() const { return FButtonSpacing; }
    void SetButtonSpacing(int value);
    int GlyphIndex() const { return FGlyphIndex; }
    void SetGlyphIndex(int value);
    const TNotifyEvent& OnDialog() const { return FOnDialog; }
    void SetOnDialog(const TNotifyEvent& value) { FOnDialog = value; }

    void SetParent(TWinControl* value) override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void PlaceParts() override;
    void CopyState() override;

private:
    void ButtonClick(TObject* sender);
    TGSpeedButton* FButton = nullptr;
    int FButtonSpacing = 2;
    int FGlyphIndex = 8;
    TNotifyEvent FOnDialog;
};
