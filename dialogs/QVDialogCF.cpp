#include "dialogs/QVDialogCF.h"

#include "classlib/dbctrls/wwdbctrls.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"
#include "framework/RadicalCF.h"

KVR_PUBLISHED(TfrmQVDialog, c) {
    c.Method("FormCreate", &TfrmQVDialog::FormCreate);
    c.Method("FormKeyDown", &TfrmQVDialog::FormKeyDown);
    c.Method("FormKeyPress", &TfrmQVDialog::FormKeyPress);
    c.Method("FormShow", &TfrmQVDialog::FormShow);
}

KVR_MESSAGE_MAP(TfrmQVDialog, m) {
    m.Handle(WM_KEYF2, &TfrmQVDialog::WMKeyF2);
    m.Handle(WM_KEYF3, &TfrmQVDialog::WMKeyF3);
    m.Handle(WM_KEYF4, &TfrmQVDialog::WMKeyF4);
}

KVR_FORM_RESOURCE(TfrmQVDialog, R"(inherited frmQVDialog: TfrmQVDialog
  Left = 210
  Top = 129
  BorderStyle = bsDialog
  ClientHeight = 322
  ClientWidth = 394
  Color = clBtnFace
  Font.Charset = ANSI_CHARSET
  Font.Height = -13
  Font.Name = '宋体'
  KeyPreview = True
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  OnKeyPress = FormKeyPress
  OnShow = FormShow
end
)");

namespace {

// Edits and labels take a value as their text; other controls are passed over.
void PutText(TControl* control, const Variant& value) {
    if (auto* edit = dynamic_cast<TCustomEdit*>(control))
        edit->SetText(VarText(value));
    else if (auto* label = dynamic_cast<TCustomLabel*>(control))
        label->SetCaption(VarText(value));
}

} // namespace

TfrmQVDialog::TfrmQVDialog(TComponent* owner, bool load) : TQVForm(owner, false) {
    if (load) InitInheritedComponent(this);
}

TfrmRadical* TfrmQVDialog::OwnerForm() const {
    for (TComponent* owner = Owner(); owner; owner = owner->Owner())
        if (auto* form = dynamic_cast<TfrmRadical*>(owner)) return form;
    return nullptr;
}

Variant TfrmQVDialog::DBToUI(const Variant& value) const {
    return QvConverter ? QvConverter->DBToUI(value) : value;
}

// ---- creation and keys ----

void TfrmQVDialog::FormCreate(TObject* sender) {
    TQVForm::FormCreate(sender);
    if (TfrmRadical* form = OwnerForm()) {
        Brokers = form->Broker;
        DateKind = form->DateKind;
        DateSeparator = form->DateSeparator;
    }
    ConvertCodePage();
    if (auto* form = dynamic_cast<TCustomForm*>(Owner())) SetCaption(form->Caption());
}

void TfrmQVDialog::DoF2Key(Word&, TWinControl* control) {
    if (control && control->CanFocus()) control->SetFocus();
}

void TfrmQVDialog::DoF3Key(Word&, TWinControl* control) {
    if (control && control->CanFocus()) control->SetFocus();
}

void TfrmQVDialog::DoF4Key(Word&, TWinControl* control) {
    if (control && control->CanFocus()) control->SetFocus();
}

void TfrmQVDialog::FormKeyDown(TObject*, Word& key, TShiftState) {
    switch (key) {
    case VK_F2:
        DoF2Key(key, ActiveControl());
        break;
    case VK_F3:
        DoF3Key(key, ActiveControl());
        break;
    case VK_F4:
        DoF4Key(key, ActiveControl());
        break;
    default:
        break;
    }
}

void TfrmQVDialog::FormKeyPress(TObject*, char& key) {
    if (key != '\r') return;
    TWinControl* active = ActiveControl();
    if (dynamic_cast<TCustomMemo*>(active) || IsInGrid(active)) return;
    key = 0;
    SendMessage(Handle(), WM_NEXTDLGCTL, 0, 0);
}

void TfrmQVDialog::FormShow(TObject* sender) {
    TQVForm::FormShow(sender);
    if (GetUIConvertMode() == 0 && GetDBConvertMode() == 0) return;
    // A converted combo shows its item's display part, the text before the Tab.
    for (int i = 1; i < ComponentCount(); ++i) {
        auto* combo = dynamic_cast<TwwDBCustomComboBox*>(Components(i));
        if (!combo) continue;
        try {
            TDataSource* source = combo->DataSource();
            if (!source || !source->DataSet() || combo->DataField().empty() || combo->ItemIndex() < 0)
                continue;
            const AnsiString item = combo->Items()->Strings(combo->ItemIndex());
            combo->SetText(item.substr(0, item.find('\t')));
        } catch (const Exception&) {
        }
    }
}

void TfrmQVDialog::WMKeyF2(TMessage& message) {
    Word key = VK_F2;
    DoF2Key(key, reinterpret_cast<TWinControl*>(message.LParam));
}

void TfrmQVDialog::WMKeyF3(TMessage& message) {
    Word key = VK_F3;
    DoF3Key(key, reinterpret_cast<TWinControl*>(message.LParam));
}

void TfrmQVDialog::WMKeyF4(TMessage& message) {
    Word key = VK_F4;
    DoF4Key(key, reinterpret_cast<TWinControl*>(message.LParam));
}

// ---- dates ----

AnsiString TfrmQVDialog::GetEmptyDateText() const {
    const TDateKindLayout* layout = DateKindLayout(DateKind);
    if (!layout) return AnsiString();
    const int yearBlanks = DateKind == 4 ? 2 : DateKind == 5 ? 3 : 4;
    AnsiString text;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) text += DateSeparator;
        text += AnsiString(layout->Order[i] == 'Y' ? yearBlanks : 2, ' ');
    }
    return text;
}

void TfrmQVDialog::PickDate(TCustomEdit* edit) {
    if (!edit || !Brokers) return;
    const AnsiString text = Trim(edit->Text());
    // The edit shows the dialog's format; a bare YYYYMMDD text is read too.
    TDateTime start = text.empty() ? 0 : StrToDateByKind(text, DateKind, DateSeparator);
    if (start == 0 && !text.empty()) start = YMDStrToDate(text);
    if (start == 0) start = Date();
    TfrmRadical* form = OwnerForm();
    const int ownerKind = form ? form->DateKind : DateKind;
    const AnsiString chosen = Brokers->ShowInputDay(ownerKind > 3, FormatDateTime("yyyymmdd", start));
    const TDateTime date = YMDStrToDate(Trim(chosen));
    if (date != 0) edit->SetText(FormatDateByKind(DateKind, DateSeparator, date));
    BringToFront();
}

// ---- lookups and code checks ----

void TfrmQVDialog::LookupInto(TCustomEdit* edit, const AnsiString& table, const Variant& keys,
                              const Variant& queryNo) {
    LookupFill({edit}, keys, queryNo, table);
}

void TfrmQVDialog::LookupFill(const std::vector<TControl*>& controls, const Variant& keys,
                              const Variant& queryNo, const AnsiString& table) {
    if (controls.empty() || !controls.front() || !Brokers) return;
    Variant rows;
    Brokers->OpenF2Window(Variant(table), queryNo, rows, "", "", "", 0, "", false, false,
                          controls.front()->Caption(), keys);
    rows = DBToUI(rows);
    if (VarArrayLength(rows) > 0) {
        const Variant row = VarArrayItem(rows, 0);
        if (VarIsArray(row)) {
            const int count = std::min<int>(VarArrayLength(row), static_cast<int>(controls.size()));
            for (int i = 0; i < count; ++i)
                PutText(controls[i], VarArrayItem(row, i));
        }
    }
    BringToFront();
}

bool TfrmQVDialog::ValidateCode(const std::vector<TControl*>& controls, const AnsiString& level,
                                const Variant& keys, const AnsiString& checkNo, const AnsiString& table) {
    auto* edit = controls.empty() ? nullptr : dynamic_cast<TEdit*>(controls.front());
    if (!edit || edit->Text().empty()) return true;
    Variant keyList = keys;
    if (VarIsEmpty(keys) || VarIsNull(keys) || (!VarIsArray(keys) && VarToStr(keys).empty()))
        keyList = VarArrayOf({Variant(edit->Text())});
    else if (!VarIsArray(keys))
        keyList = VarArrayOf({keys});
    Variant row;
    const bool found = Brokers && Brokers->CheckValue(table, checkNo, row, keyList);
    if (!found) {
        const AnsiString caption = GetControlCaption(this, edit);
        if (level == "E") {
            if (Brokers) Brokers->Say("E", "000001", {caption});
            if (edit->CanFocus()) edit->SetFocus();
        } else if (level == "W") {
            if (Brokers) Brokers->Say("W", "000004", {caption}, 936, true);
        }
        return false;
    }
    row = DBToUI(row);
    if (VarIsArray(row)) {
        const int count = std::min<int>(VarArrayLength(row), static_cast<int>(controls.size()) - 1);
        for (int i = 0; i < count; ++i)
            PutText(controls[i + 1], VarArrayItem(row, i));
    }
    return true;
}

AnsiString GetControlCaption(TComponent* owner, TControl* control) {
    if (!control) return AnsiString();
    // Edits, combo and list boxes show a text, not a caption of their own.
    const bool showsText = dynamic_cast<TCustomEdit*>(control) || dynamic_cast<TCustomComboBox*>(control) ||
                           dynamic_cast<TCustomListBox*>(control);
    if (!showsText && HasPropByName(control, "Caption")) return control->Caption();
    if (!owner) return AnsiString();
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        auto* label = dynamic_cast<TCustomLabel*>(owner->Components(i));
        if (label && label->FocusControl() == control) return label->Caption();
    }
    return AnsiString();
}
