#pragma once
// TSingleLinks: the single-table form's drill-down links, a helper the form owns: the fields that open
// another program for the clicked value (WOQMR), the browse grid's hover hint and hand cursor with Ctrl,
// the click that follows the link, and the link query of a program's print.
#include "classlib/controls/controls.h"
#include "components/FDBGrid.h"

class TfrmSingle;

class TSingleLinks {
public:
    explicit TSingleLinks(TfrmSingle& form) : F(form) {}

    // The form\'s operations of the same names come here (TfrmSingle documents them).
    void LoadLinkFields();
    void gdHeadMouseMove(TObject*, TShiftState shift, int x, int y);
    AnsiString RowColorMsg(int gridRow);
    void gdHeadMouseDown(TObject*, TMouseButton button, TShiftState, int x, int y);
    void gdHeadKeyUp(TObject*, Word&, TShiftState);
    void FollowGridLink(TFDBGrid* grid, TDataSet* dataSet);
    void BuildLinkQuery(const AnsiString& program, const AnsiString& table, AnsiString& result,
                        const AnsiString& where, const AnsiString& linkNo, const AnsiString& otherTable);
    // The field has a drill-down link (without regard to case).
    bool IsLinkField(const AnsiString& name) const;

    AnsiString LinkFields; // the fields with drill-down links, joined by #3

private:
    TfrmSingle& F;
    bool LinkHover = false;
};
