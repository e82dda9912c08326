// A plug-in for the host's end-to-end tests of grids: a form holding an aligned string grid (a plain
// column, a masked one, a pick-list one and a check-box one) that a kvrhost script edits cell by cell
// and dumps.
#include "components/Aligrid.h"
#include "tests/e2e/ProbeController.h"

namespace {

class TfrmGridProbe : public TForm {
public:
    explicit TfrmGridProbe(TComponent* owner) : TForm(owner) {
        SetName("frmGridProbe");
        SetCaption("grid probe");
        SetClientWidth(420);
        SetClientHeight(160);
        agLines = new TStringAlignGrid(this);
        agLines->SetName("agLines");
        agLines->SetParent(this);
        agLines->SetBounds(8, 8, 400, 140);
        agLines->SetColCount(5);
        agLines->SetRowCount(4);
        TGridOptions options = agLines->Options();
        options.Include(goEditing);
        agLines->SetOptions(options);
        const char* titles[] = {"", "品名", "数量", "币别", "结束"};
        for (int c = 0; c < 5; ++c)
            agLines->SetCells(c, 0, titles[c]);
        agLines->GetColProps(2)->EditMask = "9999;0;_";
        SetGridCellControl(agLines, 3, -1, false, "USD\r\nHKD\r\nRMB", TCellControlKind::ctPickList);
        SetGridCellControl(agLines, 4, -1, false, "Y;N", TCellControlKind::ctCheckBox);
        agLines->SetEditCol(4, true);
        agLines->SetAlignCol(2, TMyAlign::alRight);
    }
    TStringAlignGrid* agLines;
};

} // namespace

TForm* CreateProbeForm(TComponent* owner, [[maybe_unused]] const OleVariant& host) {
    return new TfrmGridProbe(owner);
}
