#pragma once
// TfrmQZInfo: the steps of a document's sign-off flow as the sign-off server reported them, read-only,
// with a pop-up command that saves them as a text file.
#include "classlib/controls/dialogs_files.h"
#include "classlib/controls/extctrls.h"
#include "classlib/controls/grids.h"
#include "classlib/controls/menus.h"
#include "classlib/controls/stdctrls.h"
#include "framework/QVForm.h"

class TfrmQZInfo : public TQVForm {
    KVR_CLASS(TfrmQZInfo, TQVForm)
public:
    explicit TfrmQZInfo(TComponent* owner, bool load = true);

    // Components of the stream.
    TStringGrid* StringGrid1 = nullptr;
    TPanel* Panel1 = nullptr;
    TButton* btnOK = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* N1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;

    // The headers and starting widths, then one grid row per step of rows (a variant array of ten-value
    // arrays; empty or null elements give no step). The grid and the form are sized to the steps.
    void FillSteps(const Variant& rows);
    // The grid as text, one line per row, each cell padded to its column's width.
    AnsiString GridText() const;

    // Handlers of the stream.
    void N1Click(TObject* sender);
};

// Shows the steps modally; the form is freed afterwards.
void ShowQZInfo(const Variant& rows);
