#include "dialogs/FQZInfo.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "classlib/controls/dialogs.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/shellapi.h"

namespace {

struct TColumnHead {
    const char* Caption;
    int Width;
};

const TColumnHead Columns[] = {{"序号", 37},     {"关号", 37},       {"支号", 37},     {"流程角色", 69},
                               {"要求时间", 69}, {"签核时间", 69},   {"签核状态", 69}, {"收件者编号", 85},
                               {"收件者", 53},   {"签核者编号", 85}, {"签核者", 53}};

TfrmQZInfo* frmQZInfo = nullptr;

AnsiString CellText(const Variant& value) {
    if (VarIsNull(value) || VarIsEmpty(value) || VarIsArray(value)) return AnsiString();
    return VarToStr(value);
}

} // namespace

KVR_PUBLISHED(TfrmQZInfo, c) {
    c.Field("StringGrid1", &TfrmQZInfo::StringGrid1);
    c.Field("Panel1", &TfrmQZInfo::Panel1);
    c.Field("btnOK", &TfrmQZInfo::btnOK);
    c.Field("PopupMenu1", &TfrmQZInfo::PopupMenu1);
    c.Field("N1", &TfrmQZInfo::N1);
    c.Field("SaveDialog1", &TfrmQZInfo::SaveDialog1);
    c.Method("N1Click", &TfrmQZInfo::N1Click);
}

KVR_FORM_RESOURCE(TfrmQZInfo, R"(inherited frmQZInfo: TfrmQZInfo
  BorderStyle = bsSingle
  Caption = '签核状况'
  ClientHeight = 269
  ClientWidth = 588
  Font.Height = -13
  Font.Name = '宋体'
  Position = poScreenCenter
  object StringGrid1: TStringGrid
    Left = 0
    Top = 0
    Width = 588
    Height = 228
    Align = alClient
    ColCount = 11
    DefaultRowHeight = 20
    RowCount = 2
    Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRowSizing, goColSizing, goRowSelect]
    PopupMenu = PopupMenu1
    TabOrder = 0
  end
  object Panel1: TPanel
    Left = 0
    Top = 228
    Width = 588
    Height = 41
    Align = alBottom
    TabOrder = 1
    object btnOK: TButton
      Left = 256
      Top = 8
      Width = 75
      Height = 25
      Caption = '确定'
      Default = True
      ModalResult = 1
      TabOrder = 0
    end
  end
  object PopupMenu1: TPopupMenu
    object N1: TMenuItem
      Caption = '存成文字档'
      OnClick = N1Click
    end
  end
  object SaveDialog1: TSaveDialog
    DefaultExt = 'txt'
    Filter = '文本文件(*.txt)|*.txt'
    Options = [ofOverwritePrompt, ofHideReadOnly, ofEnableSizing]
  end
end
)");

TfrmQZInfo::TfrmQZInfo(TComponent* owner, bool load) : TQVForm(owner, false) {
    if (load) InitInheritedComponent(this);
}

void TfrmQZInfo::FillSteps(const Variant& rows) {
    TStringGrid* grid = StringGrid1;
    grid->SetColCount(11);
    for (int c = 0; c < 11; ++c) {
        grid->SetCells(c, 0, Columns[c].Caption);
        grid->SetColWidths(c, Columns[c].Width);
    }
    grid->SetRowCount(2);
    grid->SetFixedCols(1);
    grid->SetFixedRows(1);
    auto widen = [grid](int col, const AnsiString& text) {
        const int width = static_cast<int>(text.size()) * 8 + 5;
        if (grid->ColWidths(col) < width) grid->SetColWidths(col, width);
    };
    if (VarIsArray(rows) && VarArrayDimCount(rows) == 1) {
        const int low = VarArrayLowBound(rows, 1), high = VarArrayHighBound(rows, 1);
        for (int k = 0; low + k <= high; ++k) {
            const Variant step = rows.GetElement({low + k});
            if (VarIsNull(step) || VarIsEmpty(step)) continue;
            // Every step gets its own row, whether or not the list ends in an empty element.
            if (grid->RowCount() < k + 2) grid->SetRowCount(k + 2);
            const AnsiString number = IntToStr(k + 1);
            grid->SetCells(0, k + 1, number);
            widen(0, number);
            if (!VarIsArray(step)) continue;
            const int stepLow = VarArrayLowBound(step, 1), stepHigh = VarArrayHighBound(step, 1);
            for (int i = 0; i < 10 && stepLow + i <= stepHigh; ++i) {
                const AnsiString text = CellText(step.GetElement({stepLow + i}));
                grid->SetCells(i + 1, k + 1, text);
                widen(i + 1, text);
            }
        }
    }
    grid->Font()->SetCharset(DEFAULT_CHARSET);
    int height = grid->RowHeights(0) * grid->RowCount() + 30;
    height = std::min(height, Screen->Height() - 170);
    int width = 0;
    for (int c = 0; c < grid->ColCount(); ++c)
        width += grid->ColWidths(c) + 1;
    grid->SetAlign(alNone);
    grid->SetBounds(0, 0, width, height);
    SetClientWidth(width + 10);
    SetClientHeight(height + 70);
    Panel1->SetBounds(0, ClientHeight() - Panel1->Height(), ClientWidth(), Panel1->Height());
}

AnsiString TfrmQZInfo::GridText() const {
    AnsiString text;
    for (int r = 0; r < StringGrid1->RowCount(); ++r) {
        AnsiString line;
        for (int c = 0; c < StringGrid1->ColCount(); ++c) {
            const int size = static_cast<int>(std::lround((StringGrid1->ColWidths(c) - 5) / 8.0)) + 5;
            AnsiString cell = StringGrid1->Cells(c, r);
            if (static_cast<int>(cell.size()) < size)
                cell.append(static_cast<size_t>(size) - cell.size(), ' ');
            line += cell;
        }
        text += line + "\r\n";
    }
    return text;
}

void TfrmQZInfo::N1Click(TObject*) {
    if (!SaveDialog1->Execute()) return;
    const AnsiString path = SaveDialog1->FileName();
    try {
        TStringList lines;
        lines.SetText(GridText());
        lines.SaveToFile(path);
    } catch (const Exception&) {
        const AnsiString text =
            QvConverter ? VarToStr(QvConverter->ProgramToUI(Variant(AnsiString("文档保存失败 !"))))
                        : AnsiString("文档保存失败 !");
        Application->MessageBox(text, "Information", MB_ICONERROR);
        // Nothing was written: there is no file to open.
        return;
    }
    TShellExecuteInfo info;
    info.Verb = "open";
    info.File = path;
    ShellExecuteEx(info);
}

void ShowQZInfo(const Variant& rows) {
    frmQZInfo = new TfrmQZInfo(Application);
    std::unique_ptr<TfrmQZInfo> form(frmQZInfo);
    form->FillSteps(rows);
    if (form->QvConverter) form->QvConverter->ConvertForm(form.get());
    form->ShowModal();
    frmQZInfo = nullptr;
}
