#pragma once
// TFDbCheckBox: the bitmap check box over one field. A Boolean field maps to checked and unchecked; any
// other field's edit text is compared (ignoring case) with ValueChecked and ValueUnchecked, each a ";"
// list whose first value is the one written; a text that is neither shows grayed, null unchecked.
#include <memory>

#include "classlib/db/db.h"
#include "classlib/dbctrls/dblink.h"
#include "components/BtChkBox.h"

class TFDbCheckBox : public TBitCheckBox, public TDataAware<TFieldDataLink> {
    KVR_CLASS(TFDbCheckBox, TBitCheckBox)
    KVR_MESSAGES(TFDbCheckBox)
public:
    explicit TFDbCheckBox(TComponent* owner);
    ~TFDbCheckBox() override;

    AnsiString DataField() const { return FDataLink->FieldName(); }
    void SetDataField(const AnsiString& value);
    bool ReadOnly() const { return FDataLink->ReadOnly(); }
    void SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }
    TField* Field() const { return FDataLink->Field(); }
    const AnsiString& ValueChecked() const { return FValueChecked; }
    void SetValueChecked(const AnsiString& value);
    const AnsiString& ValueUnchecked() const { return FValueUnchecked; }
    void SetValueUnchecked(const AnsiString& value);
    bool AutoCaption() const { return FAutoCaption; }
    void SetAutoCaption(bool value);

    void Toggle() override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void KeyPress(char& key) override;
    void DoExit() override;
    void CMGetDataLink(TMessage& message);

private:
    TCheckBoxState FieldState() const;
    void DataChange(TObject* sender);
    void UpdateData(TObject* sender);
    AnsiString FValueChecked = "Y";
    AnsiString FValueUnchecked = "N";
    bool FAutoCaption = true;
};
