#pragma once
// TSingleColorFilter: the single-table form's colour filter, a helper the form owns: the colour
// conditions of the browse grid in a menu and in the colour query dialog the form makes
// (MakeColorQueryDialog), and the filter of the ticked conditions within the remembered condition.
#include "classlib/graphics/graphics.h"
#include "classlib/controls/menus.h"
#include <memory>

class TfrmSingle;
class TColorQueryDialog;
class TColorConditions;

class TSingleColorFilter {
public:
    explicit TSingleColorFilter(TfrmSingle& form) : F(form) {}

    // The form\'s operations of the same names come here (TfrmSingle documents them).
    AnsiString LoadColorXml();
    // The colour query dialog over the header grid's conditions, made by the form; none without them.
    void CreateColorQueryForm();
    TColorQueryDialog* QueryDialog() const { return ColorQueryForm.get(); }
    void DropQueryDialog();
    void FillColorMenu();
    void DrawColorMenuItem(TObject* sender, TCanvas* canvas, TRect rect, bool selected);
    void ColorMenuClick(TObject* sender);
    void btnColorQueryClick(TObject*);
    void ApplyColorFilter();

private:
    TfrmSingle& F;
    std::unique_ptr<TColorQueryDialog> ColorQueryForm;
};
