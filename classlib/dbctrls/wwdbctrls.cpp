#include "classlib/dbctrls/wwdbctrls.h"

#include <algorithm>

#include "classlib/rtl/strutils.h"

// ---- TwwClientDataSet ----

TwwClientDataSet::TwwClientDataSet(TComponent* owner)
    : TClientDataSet(owner), FControlType(new TStringList), FPictureMasks(new TStringList) {}

TwwClientDataSet::~TwwClientDataSet() = default;

bool TwwClientDataSet::FindControlType(const AnsiString& fieldName, AnsiString& controlType,
                                       AnsiString& parameters) const {
    controlType.clear();
    parameters.clear();
    for (int i = 0; i < FControlType->Count(); ++i) {
        AnsiString line = FControlType->Get(i);
        auto semi = line.find(';');
        if (semi == AnsiString::npos || !SameText(Trim(line.substr(0, semi)), Trim(fieldName))) continue;
        AnsiString rest = line.substr(semi + 1);
        auto next = rest.find(';');
        controlType = next == AnsiString::npos ? rest : rest.substr(0, next);
        if (next != AnsiString::npos) parameters = rest.substr(next + 1);
        return true;
    }
    return false;
}

bool TwwClientDataSet::FindPictureMask(const AnsiString& fieldName, AnsiString& mask) const {
    mask.clear();
    for (int i = 0; i < FPictureMasks->Count(); ++i) {
        AnsiString line = FPictureMasks->Get(i);
        auto tab = line.find('\t');
        if (tab == AnsiString::npos || !SameText(Trim(line.substr(0, tab)), Trim(fieldName))) continue;
        AnsiString rest = line.substr(tab + 1);
        mask = rest.substr(0, rest.find('\t'));
        return !mask.empty();
    }
    return false;
}

AnsiString TwwClientDataSet::FieldControlType(const AnsiString& fieldName) const {
    AnsiString controlType, parameters;
    FindControlType(fieldName, controlType, parameters);
    return controlType;
}

bool wwDataSet_GetControl(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& controlType,
                          AnsiString& parameters) {
    controlType.clear();
    parameters.clear();
    auto* ww = dynamic_cast<TwwClientDataSet*>(dataSet);
    return ww && ww->FindControlType(fieldName, controlType, parameters);
}

// ---- TwwDBComboBox ----

TwwDBCustomComboBox::TwwDBCustomComboBox(TComponent* owner) : TCustomComboBox(owner), TDataAware(this) {
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TwwDBCustomComboBox::DataChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TwwDBCustomComboBox::UpdateData));
}

TwwDBCustomComboBox::~TwwDBCustomComboBox() {
    FDataLink->SetDataSource(nullptr);
}

void TwwDBCustomComboBox::Notification(TComponent* component, TOperation operation) {
    TCustomComboBox::Notification(component, operation);
    DataSourceNotification(component, operation);
}

void TwwDBCustomComboBox::SetMapList(bool value) {
    FMapList = value;
    DataChange(nullptr);
}

void TwwDBCustomComboBox::SplitItem(int index, AnsiString& display, AnsiString& value) const {
    display.clear();
    value.clear();
    if (index < 0 || index >= Items()->Count()) return;
    AnsiString item = Items()->Get(index);
    auto tab = item.find('\t');
    if (tab != AnsiString::npos) {
        display = item.substr(0, tab);
        value = FMapList ? item.substr(tab + 1) : display;
        return;
    }
    auto colon = item.find(':');
    if (FMapList && colon != AnsiString::npos) {
        value = item.substr(0, colon);
        display = item.substr(colon + 1);
        return;
    }
    display = value = item;
}

AnsiString TwwDBCustomComboBox::ItemDisplay(int index) const {
    AnsiString display, value;
    SplitItem(index, display, value);
    return display;
}

AnsiString TwwDBCustomComboBox::ItemValue(int index) const {
    AnsiString display, value;
    SplitItem(index, display, value);
    return value;
}

int TwwDBCustomComboBox::IndexOfValue(const AnsiString& value) const {
    for (int i = 0; i < Items()->Count(); ++i)
        if (SameText(ItemValue(i), value)) return i;
    return -1;
}

AnsiString TwwDBCustomComboBox::Value() const {
    if (ItemIndex() >= 0) return ItemValue(ItemIndex());
    // Typed text that is an item's display text stands for its value.
    AnsiString text = Text();
    for (int i = 0; i < Items()->Count(); ++i)
        if (ItemDisplay(i) == text) return ItemValue(i);
    return EditableText() ? text : AnsiString();
}

void TwwDBCustomComboBox::DataChange(TObject*) {
    TField* field = FDataLink->Field();
    FShowing = true;
    try {
        if (!field) {
            SetItemIndex(-1);
            SetText("");
        } else {
            AnsiString value = field->AsString();
            int index = field->IsNull() ? -1 : IndexOfValue(value);
            SetItemIndex(index);
            if (index >= 0)
                SetText(ItemDisplay(index));
            else if (EditableText())
                SetText(value);
        }
    } catch (...) {
        FShowing = false;
        throw;
    }
    FShowing = false;
}

void TwwDBCustomComboBox::UpdateData(TObject*) {
    TField* field = FDataLink->Field();
    if (!field) return;
    AnsiString value = Value();
    if (value.empty() && !EditableText())
        field->Clear();
    else
        field->SetText(value);
}

void TwwDBCustomComboBox::Change() {
    if (!FShowing) {
        // A change the data set could not take shows the field again.
        if (FDataLink->Field() && !FDataLink->Editing()) {
            FDataLink->Reset();
            return;
        }
        FDataLink->SetModified();
        if (ItemIndex() >= 0 && Text() != ItemDisplay(ItemIndex())) {
            FShowing = true;
            SetText(ItemDisplay(ItemIndex()));
            FShowing = false;
        }
    }
    TCustomComboBox::Change();
}

void TwwDBCustomComboBox::KeyDown(Word& key, TShiftState shift) {
    if (key == VK_ESCAPE && !DroppedDown() && FDataLink->Modified()) {
        FDataLink->Reset();
        key = 0;
        return;
    }
    if ((key == VK_UP || key == VK_DOWN || key == VK_BACK || key == VK_DELETE) && !shift.Contains(ssAlt)) {
        if (!FDataLink->Edit()) {
            key = 0;
            return;
        }
    }
    TCustomComboBox::KeyDown(key, shift);
}

void TwwDBCustomComboBox::KeyPress(char& key) {
    if (key == 27) {
        FDataLink->Reset();
        key = 0;
        return;
    }
    if (EditingChar(key, false) && !FDataLink->Edit()) {
        key = 0;
        return;
    }
    TCustomComboBox::KeyPress(key);
}

void TwwDBCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    // A pick from the dropped list changes the value: the data set goes into edit state first.
    if (DroppedDown()) FDataLink->Edit();
    TCustomComboBox::MouseDown(button, shift, x, y);
}

AnsiString TwwDBCustomComboBox::GetText() const {
    AnsiString text = TCustomComboBox::GetText();
    int index = ItemIndex();
    if (index >= 0 && index < Items()->Count() && text == Items()->Get(index)) return ItemDisplay(index);
    return text;
}

void TwwDBCustomComboBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    if ((Style() == csOwnerDrawFixed || Style() == csOwnerDrawVariable) && OnDrawItem()) {
        TCustomComboBox::DrawItem(index, rect, state);
        return;
    }
    TCanvas* canvas = Canvas();
    bool selected = state.Contains(odSelected);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(selected ? clHighlight : Color());
    canvas->FillRect(rect);
    canvas->Font()->Assign(Font());
    if (selected) canvas->Font()->SetColor(clHighlightText);
    if (index >= 0 && index < Items()->Count())
        canvas->TextRect(rect, rect.Left + 2, rect.Top + 1, ItemDisplay(index));
}

void TwwDBCustomComboBox::DoExit() {
    UpdateRecordOnExit(this);
    TCustomComboBox::DoExit();
}

// ---- TwwDBComboDlg ----

TwwDBComboDlg::TwwDBComboDlg(TComponent* owner) : TwwDBCustomEdit(owner) {}

void TwwDBComboDlg::SetShowButton(bool value) {
    FShowButton = value;
    Invalidate();
}

void TwwDBComboDlg::SetButtonWidth(int value) {
    FButtonWidth = value < 0 ? 0 : value;
    Invalidate();
}

TRect TwwDBComboDlg::ButtonRect() const {
    if (!FShowButton) return TRect{0, 0, 0, 0};
    TRect client = ClientRect();
    return TRect{std::max(client.Left, client.Right - FButtonWidth), client.Top, client.Right, client.Bottom};
}

void TwwDBComboDlg::DropDown() {
    if (FOnCustomDlg) FOnCustomDlg(this);
}

void TwwDBComboDlg::KeyDown(Word& key, TShiftState shift) {
    if (key == VK_DOWN && shift.Contains(ssAlt)) {
        DropDown();
        key = 0;
        return;
    }
    TwwDBCustomEdit::KeyDown(key, shift);
}

void TwwDBComboDlg::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TRect r = ButtonRect();
    if (button == mbLeft && x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) {
        if (CanFocus() && !Focused()) SetFocus();
        DropDown();
        return;
    }
    TwwDBCustomEdit::MouseDown(button, shift, x, y);
}

void TwwDBComboDlg::Paint() {
    TwwDBCustomEdit::Paint();
    TRect r = ButtonRect();
    if (r.Width() <= 0) return;
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(clBtnFace);
    Canvas()->FillRect(r);
    // The ellipsis of a dialog button.
    Canvas()->Pen()->SetColor(clBtnText);
    int cy = r.Top + r.Height() / 2;
    for (int i = -1; i <= 1; ++i)
        Canvas()->SetPixel(r.Left + r.Width() / 2 + 3 * i, cy, clBtnText);
}

KVR_PUBLISHED(TwwClientDataSet, c) {
    c.Property("ControlType", &TwwClientDataSet::ControlType, &TwwClientDataSet::SetControlType);
    c.Property("PictureMasks", &TwwClientDataSet::PictureMasks, &TwwClientDataSet::SetPictureMasks);
    c.Property("ValidateWithMask", &TwwClientDataSet::ValidateWithMask,
               &TwwClientDataSet::SetValidateWithMask)
        .Default(false);
}
KVR_PUBLISHED(TwwDataSource, c) {
    (void)c;
}
KVR_PUBLISHED(TwwDBCustomEdit, c) {
    (void)c;
}
KVR_PUBLISHED(TwwDBEdit, c) {
    (void)c;
}
KVR_PUBLISHED(TwwDBCustomComboBox, c) {
    c.Property("DataField", &TwwDBCustomComboBox::DataField, &TwwDBCustomComboBox::SetDataField);
    c.Property("DataSource", &TwwDBCustomComboBox::DataSource, &TwwDBCustomComboBox::SetDataSource);
    c.Property("MapList", &TwwDBCustomComboBox::MapList, &TwwDBCustomComboBox::SetMapList).Default(true);
    c.Property("ReadOnly", &TwwDBCustomComboBox::ReadOnly, &TwwDBCustomComboBox::SetReadOnly).Default(false);
}
KVR_PUBLISHED(TwwDBComboBox, c) {
    (void)c;
}
KVR_PUBLISHED(TwwCustomDialog, c) {
    (void)c;
}
KVR_PUBLISHED(TwwDBComboDlg, c) {
    c.Property("ButtonWidth", &TwwDBComboDlg::ButtonWidth, &TwwDBComboDlg::SetButtonWidth).Default(17);
    c.Property("ShowButton", &TwwDBComboDlg::ShowButton, &TwwDBComboDlg::SetShowButton).Default(true);
    c.Property("OnCustomDlg", &TwwDBComboDlg::OnCustomDlg, &TwwDBComboDlg::SetOnCustomDlg);
}
