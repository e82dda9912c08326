#pragma once
// TSinglePrintFormats: the single-table form's print formats, a helper the form owns: the formats of
// the print program (WARRANT) in the menus, and the workstation's default format of a record keyed by
// the form's FormatKeyField (the first key field when empty).
#include "classlib/controls/menus.h"

class TfrmSingle;

class TSinglePrintFormats {
public:
    explicit TSinglePrintFormats(TfrmSingle& form) : F(form) {}

    // The form\'s operations of the same names come here (TfrmSingle documents them).
    AnsiString GetLinkKeyValue();
    void LoadVoucherFormats(TMenuItem* menu, bool force);
    void MenuItemVoucherFormatClick(TObject* sender);

private:
    TfrmSingle& F;
};
