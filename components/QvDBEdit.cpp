#include "components/QvDBEdit.h"

#include "components/F2Button.h"

void TQvDBEdit::SetDataField(const AnsiString& value) {
    TDBEdit::SetDataField(value);
    if (!ComponentState().Contains(csDesigning) || !DataSource() || !DataSource()->DataSet()) return;
    if (TField* field = DataSource()->DataSet()->FindField(value)) SetCaption(field->DisplayLabel());
}

// ---- TQvBtnDBEdit ----

TQvBtnDBEdit::TQvBtnDBEdit(TComponent* owner) : TQvDBEdit(owner) {
    FButton = new TGSpeedButton(this);
    FButton->SetName("F2Button");
    FButton->SetFlat(true);
    FButton->SetGlyphIndex(FGlyphIndex);
    FButton->SetOnClick(TNotifyEvent(this, &TQvBtnDBEdit::ButtonClick));
    PlaceParts();
}

void TQvBtnDBEdit::SetButtonHint(const AnsiString& value) {
    if (FButton) FButton->SetHint(value);
}

void TQvBtnDBEdit::SetButtonSpacing(int value) {
    FButtonSpacing = value;
    PlaceParts();
}

void TQvBtnDBEdit::SetGlyphIndex(int value) {
    if (!FButton) return;
    FButton->SetGlyphIndex(value);
    FGlyphIndex = value;
}

void TQvBtnDBEdit::SetParent(TWinControl* value) {
    TQvDBEdit::SetParent(value);
    if (FButton) FButton->SetParent(value);
}

void TQvBtnDBEdit::Notification(TComponent* component, TOperation operation) {
    TQvDBEdit::Notification(component, operation);
    if (operation == opRemove && component == FButton) FButton = nullptr;
}

void TQvBtnDBEdit::PlaceParts() {
    TQvDBEdit::PlaceParts();
    if (FButton) FButton->SetBounds(Left() + Width() + FButtonSpacing, Top(), Height(), Height());
}

void TQvBtnDBEdit::CopyState() {
    TQvDBEdit::CopyState();
    if (!FButton) return;
    FButton->SetEnabled(Enabled());
    FButton->SetVisible(Visible());
}

void TQvBtnDBEdit::ButtonClick(TObject*) {
    if (FOnDialog) {
        FOnDialog(this);
        return;
    }
    // A shown edit has its window; focusing one that has not made it yet makes it.
    if (CanFocus()) {
        HandleNeeded();
        SetFocus();
    }
    if (!Focused()) return;
    if (auto* form = dynamic_cast<TWinControl*>(Owner()))
        SendMessage(form->Handle(), WM_F2LOOKUP, 0, reinterpret_cast<LPARAM>(this));
}

KVR_MESSAGE_MAP(TQvDBEdit, m) {
    m.Handle(CM_ENABLEDCHANGED, &TQvDBEdit::CMEnabledChanged);
    m.Handle(CM_VISIBLECHANGED, &TQvDBEdit::CMVisibleChanged);
}

KVR_PUBLISHED(TQvDBEdit, c) {
    c.Property("Caption", &TQvDBEdit::Caption, &TQvDBEdit::SetCaption);
    c.Property("DataField", &TQvDBEdit::DataField, &TQvDBEdit::SetDataField);
    c.Property("LabelPosition", &TQvDBEdit::LabelPosition, &TQvDBEdit::SetLabelPosition).Default(lpLeft);
    c.Property("LabelSpacing", &TQvDBEdit::LabelSpacing, &TQvDBEdit::SetLabelSpacing).Default(4);
}
KVR_PUBLISHED(TQvBtnDBEdit, c) {
    c.Property("ButtonHint", &TQvBtnDBEdit::ButtonHint, &TQvBtnDBEdit::SetButtonHint);
    c.Property("ButtonSpacing", &TQvBtnDBEdit::ButtonSpacing, &TQvBtnDBEdit::SetButtonSpacing).Default(2);
    c.Property("GlyphIndex", &TQvBtnDBEdit::GlyphIndex, &TQvBtnDBEdit::SetGlyphIndex).Default(8);
    c.Property("OnDialog", &TQvBtnDBEdit::OnDialog, &TQvBtnDBEdit::SetOnDialog);
}
