#pragma once
// The commercial library's data-aware components the forms use: the client data set with per-field
// control types, its data source, the edit, the combo box with mapped items and the combo dialog.
#include <memory>

#include "classlib/db/dbclient.h"
#include "classlib/dbctrls/dbctrls.h"

// A client data set that also keeps, per field, the control a grid edits it with
// ("FIELD;CustomEdit;control", "FIELD;CheckBox;checked;unchecked") and picture masks
// ("FIELD<TAB>mask<TAB>flags": a picture mask may hold ";" itself); with ValidateWithMask a grid refuses
// a text that does not match its field's picture.
class TwwClientDataSet : public TClientDataSet {
    KVR_CLASS(TwwClientDataSet, TClientDataSet)
public:
    explicit TwwClientDataSet(TComponent* owner);
    ~TwwClientDataSet() override;

    TStrings* ControlType() const { return FControlType.get(); }
    void SetControlType(TStrings* value) { FControlType->Assign(value); }
    TStrings* PictureMasks() const { return FPictureMasks.get(); }
    void SetPictureMasks(TStrings* value) { FPictureMasks->Assign(value); }
    bool ValidateWithMask() const { return FValidateWithMask; }
    void SetValidateWithMask(bool value) { FValidateWithMask = value; }
    // The control type entry of a field ("Combo", "CustomEdit", ...); '' when it has none.
    AnsiString FieldControlType(const AnsiString& fieldName) const;
    // The field's entry: its type and the rest of the line after it; false when it has none.
    bool FindControlType(const AnsiString& fieldName, AnsiString& controlType, AnsiString& parameters) const;
    // The field's picture mask; false when it has none.
    bool FindPictureMask(const AnsiString& fieldName, AnsiString& mask) const;

private:
    std::unique_ptr<TStringList> FControlType;
    std::unique_ptr<TStringList> FPictureMasks;
    bool FValidateWithMask = false;
};

class TwwDataSource : public TDataSource {
    KVR_CLASS(TwwDataSource, TDataSource)
public:
    explicit TwwDataSource(TComponent* owner) : TDataSource(owner) {}
};

// The base of the library's data-aware edits (the edit, the combo dialog).
class TwwDBCustomEdit : public TDBEdit {
    KVR_CLASS(TwwDBCustomEdit, TDBEdit)
public:
    explicit TwwDBCustomEdit(TComponent* owner) : TDBEdit(owner) {}
};

class TwwDBEdit : public TwwDBCustomEdit {
    KVR_CLASS(TwwDBEdit, TwwDBCustomEdit)
public:
    explicit TwwDBEdit(TComponent* owner) : TwwDBCustomEdit(owner) {}
};

// Items are "display<TAB>stored value"; with MapList an item without a TAB may also read
// "code:display". The field holds the stored value and the combo shows the display text.
class TwwDBCustomComboBox : public TCustomComboBox, public TDataAware<TFieldDataLink> {
    KVR_CLASS(TwwDBCustomComboBox, TCustomComboBox)
public:
    explicit TwwDBCustomComboBox(TComponent* owner);
    ~TwwDBCustomComboBox() override;

    AnsiString DataField() const { return FDataLink->FieldName(); }
    virtual void SetDataField(const AnsiString& value) { FDataLink->SetFieldName(value); }
    TField* Field() const { return FDataLink->Field(); }
    bool ReadOnly() const { return FDataLink->ReadOnly(); }
    void SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }
    bool MapList() const { return FMapList; }
    void SetMapList(bool value);

    // The display text and the stored value of item index ('' out of range).
    AnsiString ItemDisplay(int index) const;
    AnsiString ItemValue(int index) const;
    // The item whose stored value is value (case ignored); -1 when none.
    int IndexOfValue(const AnsiString& value) const;
    // The value the combo would write to the field now.
    AnsiString Value() const;

    void Notification(TComponent* component, TOperation operation) override;

protected:
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Change() override;
    void DoExit() override;
    // The list and the edit part show an item's display text only.
    void DrawItem(int index, TRect rect, TOwnerDrawState state) override;
    // A picked item's text reads as its display text.
    AnsiString GetText() const override;

private:
    void SplitItem(int index, AnsiString& display, AnsiString& value) const;
    void DataChange(TObject* sender);
    void UpdateData(TObject* sender);
    bool FMapList = true;
    bool FShowing = false;
};

class TwwDBComboBox : public TwwDBCustomComboBox {
    KVR_CLASS(TwwDBComboBox, TwwDBCustomComboBox)
public:
    explicit TwwDBComboBox(TComponent* owner) : TwwDBCustomComboBox(owner) {}
};

// An edit with a button that runs the form's own dialog (OnCustomDlg) for the field.
class TwwDBComboDlg : public TwwDBCustomEdit {
    KVR_CLASS(TwwDBComboDlg, TwwDBCustomEdit)
public:
    explicit TwwDBComboDlg(TComponent* owner);

    const TNotifyEvent& OnCustomDlg() const { return FOnCustomDlg; }
    void SetOnCustomDlg(const TNotifyEvent& value) { FOnCustomDlg = value; }
    bool ShowButton() const { return FShowButton; }
    void SetShowButton(bool value);
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int value);
    // The button's rectangle in the client area (empty when hidden).
    TRect ButtonRect() const;
    // The button's action: OnCustomDlg with the combo as sender, when assigned.
    void DropDown();

protected:
    void KeyDown(Word& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Paint() override;

private:
    TNotifyEvent FOnCustomDlg;
    bool FShowButton = true;
    int FButtonWidth = 17;
};

// The base of the library's dialog components: Execute shows the dialog and tells whether it was
// confirmed.
class TwwCustomDialog : public TComponent {
    KVR_CLASS(TwwCustomDialog, TComponent)
public:
    explicit TwwCustomDialog(TComponent* owner) : TComponent(owner) {}
    virtual bool Execute() { return false; }
};

// The control-type entry of a field of a TwwClientDataSet ("FIELD;Combo;parameters"): the type and the
// rest of the entry; false (both '') for another data set or a field without an entry.
bool wwDataSet_GetControl(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& controlType,
                          AnsiString& parameters);
