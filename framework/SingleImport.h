#pragma once
// TSingleImport: the single-table form's data import of open mode 11, a helper the form owns: the
// documents of an XML text ("dataimport", its head and body field lists) added and saved one by one;
// the import ends at its first fault, which is shown, and the form closes either way.
#include "classlib/rtl/variants.h"

class TfrmSingle;

class TSingleImport {
public:
    explicit TSingleImport(TfrmSingle& form) : F(form) {}

    // The form\'s operations of the same names come here (TfrmSingle documents them).
    void ImportXml(const AnsiString& text);

private:
    TfrmSingle& F;
};
