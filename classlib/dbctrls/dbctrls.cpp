#include "classlib/dbctrls/dbctrls.h"

#include "classlib/rtl/strutils.h"

AnsiString FirstListValue(const AnsiString& list) {
    auto semi = list.find(';');
    return semi == AnsiString::npos ? list : list.substr(0, semi);
}

bool InValueList(const AnsiString& text, const AnsiString& list) {
    size_t start = 0;
    while (true) {
        auto semi = list.find(';', start);
        AnsiString item = list.substr(start, semi == AnsiString::npos ? AnsiString::npos : semi - start);
        if (SameText(item, text)) return true;
        if (semi == AnsiString::npos) return false;
        start = semi + 1;
    }
}

bool EditingChar(char key, bool multiLine) {
    unsigned char c = static_cast<unsigned char>(key);
    if (c >= 32 || c == 8 || c == 22 || c == 24) return true;
    return multiLine && (c == 9 || c == 10 || c == 13);
}

TCheckBoxState FieldCheckState(TField* field, const AnsiString& valueChecked,
                               const AnsiString& valueUnchecked, TCheckBoxState nullState) {
    if (!field || field->IsNull()) return nullState;
    if (field->DataType() == ftBoolean) return field->AsBoolean() ? cbChecked : cbUnchecked;
    AnsiString text = field->Text();
    if (InValueList(text, valueChecked)) return cbChecked;
    if (InValueList(text, valueUnchecked)) return cbUnchecked;
    return cbGrayed;
}

void WriteFieldCheckState(TField* field, TCheckBoxState state, const AnsiString& valueChecked,
                          const AnsiString& valueUnchecked) {
    if (!field) return;
    if (state == cbGrayed)
        field->Clear();
    else if (field->DataType() == ftBoolean)
        field->SetAsBoolean(state == cbChecked);
    else
        field->SetText(FirstListValue(state == cbChecked ? valueChecked : valueUnchecked));
}

// ---- TDBEdit ----

TDBEdit::TDBEdit(TComponent* owner) : TCustomEdit(owner), TDataAware(this) {
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TDBEdit::DataChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TDBEdit::UpdateData));
}

TDBEdit::~TDBEdit() {
    FDataLink->SetDataSource(nullptr);
}

void TDBEdit::SetReadOnly(bool value) {
    FDataLink->SetReadOnly(value);
    TCustomEdit::SetReadOnly(value);
}

void TDBEdit::Notification(TComponent* component, TOperation operation) {
    TCustomEdit::Notification(component, operation);
    DataSourceNotification(component, operation);
}

void TDBEdit::ShowText(const AnsiString& value) {
    FShowing = true;
    try {
        SetText(value);
    } catch (...) {
        FShowing = false;
        throw;
    }
    FShowing = false;
}

void TDBEdit::DataChange(TObject*) {
    TField* field = FDataLink->Field();
    if (!field) {
        ShowText(ComponentState().Contains(csDesigning) ? Name() : AnsiString());
        return;
    }
    if (field->DataType() == ftString || field->DataType() == ftFixedChar) SetMaxLength(field->Size());
    // The focused control edits the field's edit text; otherwise it shows the display text.
    ShowText(FFocused && FDataLink->CanModify() ? field->Text() : field->DisplayText());
    FModified = false;
}

void TDBEdit::UpdateData(TObject*) {
    if (TField* field = FDataLink->Field()) field->SetText(Text());
}

void TDBEdit::Change() {
    if (!FShowing) FDataLink->SetModified();
    TCustomEdit::Change();
}

void TDBEdit::KeyDown(Word& key, TShiftState shift) {
    if (key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift))) {
        if (!FDataLink->Edit()) key = 0;
    }
    if (key == VK_ESCAPE && FDataLink->Modified()) {
        FDataLink->Reset();
        SelectAll();
    }
    TCustomEdit::KeyDown(key, shift);
}

void TDBEdit::KeyPress(char& key) {
    if (key == 27) {
        FDataLink->Reset();
        SelectAll();
        key = 0;
        return;
    }
    // The data set goes into edit state before the character changes the text.
    if (EditingChar(key, false) && !FDataLink->Edit()) {
        key = 0;
        return;
    }
    TCustomEdit::KeyPress(key);
}

void TDBEdit::DoEnter() {
    FFocused = true;
    if (FDataLink->Field() && !FDataLink->Modified()) FDataLink->Reset();
    TCustomEdit::DoEnter();
}

void TDBEdit::DoExit() {
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        // The value stays for the user to correct.
        SelectAll();
        if (CanFocus()) SetFocus();
        throw;
    }
    FFocused = false;
    if (FDataLink->Field()) FDataLink->Reset();
    TCustomEdit::DoExit();
}

// ---- TDBText ----

TDBText::TDBText(TComponent* owner) : TCustomLabel(owner), TDataAware(this) {
    SetAutoSize(false);
    SetShowAccelChar(false);
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TDBText::DataChange));
}

TDBText::~TDBText() {
    FDataLink->SetDataSource(nullptr);
}

void TDBText::Notification(TComponent* component, TOperation operation) {
    TCustomLabel::Notification(component, operation);
    DataSourceNotification(component, operation);
}

void TDBText::DataChange(TObject*) {
    TField* field = FDataLink->Field();
    if (field)
        SetCaption(field->DisplayText());
    else
        SetCaption(ComponentState().Contains(csDesigning) ? Name() : AnsiString());
}

// ---- TDBCheckBox ----

TDBCheckBox::TDBCheckBox(TComponent* owner) : TCustomCheckBox(owner), TDataAware(this) {
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TDBCheckBox::DataChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TDBCheckBox::UpdateData));
}

TDBCheckBox::~TDBCheckBox() {
    FDataLink->SetDataSource(nullptr);
}

void TDBCheckBox::Notification(TComponent* component, TOperation operation) {
    TCustomCheckBox::Notification(component, operation);
    DataSourceNotification(component, operation);
}

void TDBCheckBox::SetValueChecked(const AnsiString& value) {
    FValueChecked = value;
    DataChange(nullptr);
}

void TDBCheckBox::SetValueUnchecked(const AnsiString& value) {
    FValueUnchecked = value;
    DataChange(nullptr);
}

TCheckBoxState TDBCheckBox::FieldState() const {
    return FieldCheckState(FDataLink->Field(), FValueChecked, FValueUnchecked,
                           AllowGrayed() ? cbGrayed : cbUnchecked);
}

void TDBCheckBox::DataChange(TObject*) {
    // Showing the field is no click.
    // A value that is neither shows grayed whether or not the user may choose grayed.
    bool saved = FClicksDisabled, allowGrayed = AllowGrayed();
    TCheckBoxState state = FieldState();
    FClicksDisabled = true;
    SetAllowGrayed(true);
    SetState(state);
    SetAllowGrayed(allowGrayed);
    FClicksDisabled = saved;
}

void TDBCheckBox::UpdateData(TObject*) {
    WriteFieldCheckState(FDataLink->Field(), State(), FValueChecked, FValueUnchecked);
}

void TDBCheckBox::Toggle() {
    if (!FDataLink->Edit()) return;
    TCustomCheckBox::Toggle();
    FDataLink->SetModified();
}

void TDBCheckBox::KeyPress(char& key) {
    if (key == 8 || key == ' ') {
        if (!FDataLink->Edit()) key = 0;
    } else if (key == 27) {
        FDataLink->Reset();
        key = 0;
        return;
    }
    TCustomCheckBox::KeyPress(key);
}

void TDBCheckBox::DoExit() {
    UpdateRecordOnExit(this);
    TCustomCheckBox::DoExit();
}

// ---- TDBMemo ----

TDBMemo::TDBMemo(TComponent* owner) : TCustomMemo(owner), TDataAware(this) {
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TDBMemo::DataChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TDBMemo::UpdateData));
}

TDBMemo::~TDBMemo() {
    FDataLink->SetDataSource(nullptr);
}

void TDBMemo::Notification(TComponent* component, TOperation operation) {
    TCustomMemo::Notification(component, operation);
    DataSourceNotification(component, operation);
}

void TDBMemo::DataChange(TObject*) {
    TField* field = FDataLink->Field();
    FShowing = true;
    try {
        SetText(field ? field->AsString() : (ComponentState().Contains(csDesigning) ? Name() : AnsiString()));
    } catch (...) {
        FShowing = false;
        throw;
    }
    FShowing = false;
    FModified = false;
}

void TDBMemo::UpdateData(TObject*) {
    if (TField* field = FDataLink->Field()) field->SetAsString(Text());
}

void TDBMemo::Change() {
    if (!FShowing) FDataLink->SetModified();
    TCustomMemo::Change();
}

void TDBMemo::KeyDown(Word& key, TShiftState shift) {
    if (key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift))) {
        if (!FDataLink->Edit()) key = 0;
    }
    TCustomMemo::KeyDown(key, shift);
}

void TDBMemo::KeyPress(char& key) {
    if (key == 27) {
        FDataLink->Reset();
        key = 0;
        return;
    }
    if (EditingChar(key, true) && !FDataLink->Edit()) {
        key = 0;
        return;
    }
    TCustomMemo::KeyPress(key);
}

void TDBMemo::DoExit() {
    UpdateRecordOnExit(this);
    TCustomMemo::DoExit();
}

KVR_PUBLISHED(TDBEdit, c) {
    c.Property("DataField", &TDBEdit::DataField, &TDBEdit::SetDataField);
    c.Property("DataSource", &TDBEdit::DataSource, &TDBEdit::SetDataSource);
    c.Property("ReadOnly", &TDBEdit::ReadOnly, &TDBEdit::SetReadOnly).Default(false);
}
KVR_PUBLISHED(TDBText, c) {
    c.Property("DataField", &TDBText::DataField, &TDBText::SetDataField);
    c.Property("DataSource", &TDBText::DataSource, &TDBText::SetDataSource);
}
KVR_PUBLISHED(TDBCheckBox, c) {
    c.Property("DataField", &TDBCheckBox::DataField, &TDBCheckBox::SetDataField);
    c.Property("DataSource", &TDBCheckBox::DataSource, &TDBCheckBox::SetDataSource);
    c.Property("ReadOnly", &TDBCheckBox::ReadOnly, &TDBCheckBox::SetReadOnly).Default(false);
    c.Property("ValueChecked", &TDBCheckBox::ValueChecked, &TDBCheckBox::SetValueChecked);
    c.Property("ValueUnchecked", &TDBCheckBox::ValueUnchecked, &TDBCheckBox::SetValueUnchecked);
}
KVR_PUBLISHED(TDBMemo, c) {
    c.Property("DataField", &TDBMemo::DataField, &TDBMemo::SetDataField);
    c.Property("DataSource", &TDBMemo::DataSource, &TDBMemo::SetDataSource);
    c.Property("ReadOnly", &TDBMemo::ReadOnly, &TDBMemo::SetReadOnly).Default(false);
}
