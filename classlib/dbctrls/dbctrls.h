#pragma once
// The data-aware controls: an edit, a label, a check box and a memo, each showing one field of a data
// set through a TFieldDataLink. Typing puts the data set in edit state (through the data source's
// AutoEdit); leaving the control writes its value to the field; Esc shows the field's value again.
#include <memory>

#include "classlib/controls/stdctrls.h"
#include "classlib/db/db.h"
#include "classlib/dbctrls/dblink.h"

// The first value of a ";" list, and whether text equals (ignoring case) one of its values.
AnsiString FirstListValue(const AnsiString& list);
bool InValueList(const AnsiString& text, const AnsiString& list);

class TDBEdit : public TCustomEdit, public TDataAware<TFieldDataLink> {
    KVR_CLASS(TDBEdit, TCustomEdit)
public:
    explicit TDBEdit(TComponent* owner);
    ~TDBEdit() override;

    AnsiString DataField() const { return FDataLink->FieldName(); }
    virtual void SetDataField(const AnsiString& value) { FDataLink->SetFieldName(value); }
    TField* Field() const { return FDataLink->Field(); }
    // Read-only is the link's: the field cannot be edited through this control.
    bool ReadOnly() const { return FDataLink->ReadOnly(); }
    void SetReadOnly(bool value);

    void Notification(TComponent* component, TOperation operation) override;

protected:
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    virtual void DataChange(TObject* sender);
    virtual void UpdateData(TObject* sender);
    // Sets the shown text without marking the link modified.
    void ShowText(const AnsiString& value);

    bool FFocused = false;
    bool FShowing = false;
};

// A label showing a field's display text.
class TDBText : public TCustomLabel, public TDataAware<TFieldDataLink> {
    KVR_CLASS(TDBText, TCustomLabel)
public:
    explicit TDBText(TComponent* owner);
    ~TDBText() override;

    AnsiString DataField() const { return FDataLink->FieldName(); }
    void SetDataField(const AnsiString& value) { FDataLink->SetFieldName(value); }
    TField* Field() const { return FDataLink->Field(); }
    void Notification(TComponent* component, TOperation operation) override;

private:
    void DataChange(TObject* sender);
};

// A check box over a Boolean field, or a text field whose values are ValueChecked and ValueUnchecked
// (each a ";" list; the first is written). Other texts show grayed; null shows unchecked.
class TDBCheckBox : public TCustomCheckBox, public TDataAware<TFieldDataLink> {
    KVR_CLASS(TDBCheckBox, TCustomCheckBox)
public:
    explicit TDBCheckBox(TComponent* owner);
    ~TDBCheckBox() override;

    AnsiString DataField() const { return FDataLink->FieldName(); }
    void SetDataField(const AnsiString& value) { FDataLink->SetFieldName(value); }
    TField* Field() const { return FDataLink->Field(); }
    bool ReadOnly() const { return FDataLink->ReadOnly(); }
    void SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }
    const AnsiString& ValueChecked() const { return FValueChecked; }
    void SetValueChecked(const AnsiString& value);
    const AnsiString& ValueUnchecked() const { return FValueUnchecked; }
    void SetValueUnchecked(const AnsiString& value);

    void Toggle() override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void KeyPress(char& key) override;
    void DoExit() override;

private:
    TCheckBoxState FieldState() const;
    void DataChange(TObject* sender);
    void UpdateData(TObject* sender);
    AnsiString FValueChecked = "True";
    AnsiString FValueUnchecked = "False";
};

class TDBMemo : public TCustomMemo, public TDataAware<TFieldDataLink> {
    KVR_CLASS(TDBMemo, TCustomMemo)
public:
    explicit TDBMemo(TComponent* owner);
    ~TDBMemo() override;

    AnsiString DataField() const { return FDataLink->FieldName(); }
    void SetDataField(const AnsiString& value) { FDataLink->SetFieldName(value); }
    TField* Field() const { return FDataLink->Field(); }
    bool ReadOnly() const { return FDataLink->ReadOnly(); }
    void SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    void DoExit() override;

private:
    void DataChange(TObject* sender);
    void UpdateData(TObject* sender);
    bool FShowing = false;
};

// Whether a typed character changes the text of an edit (and so needs the data set in edit state).
bool EditingChar(char key, bool multiLine);
