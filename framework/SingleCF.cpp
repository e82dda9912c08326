#include "framework/SingleCF.h"

#include <exception>
#include <functional>

#include "classlib/controls/extctrls.h"
#include "classlib/controls/hourglass.h"
#include "classlib/graphics/bitmap.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "dialogs/QvQBE.h"
#include "dialogs/ShowStatusCF.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"
#include "framework/AppServer.h"
#include "framework/DBFieldReg.h"
#include "framework/SingleAttachments.h"
#include "framework/SingleUserFields.h"
#include "framework/SingleColorFilter.h"
#include "framework/SingleLinks.h"
#include "framework/SingleImport.h"
#include "framework/SinglePrintFormats.h"

namespace {

// The query-by-example form, owned by the document form.
class TQBEDialog : public TQueryDialog {
public:
    explicit TQBEDialog(TfrmSingle* form) : FDialog(new TQBEForm(form)) {}
    TComponent* Component() const override { return FDialog; }
    void SetHeadDataSet(TDataSet* dataSet, const AnsiString& headTable, bool hideRowLimit,
                        const AnsiString& selectList, const AnsiString& keyList) override {
        FDialog->SetHeadDataSet(dataSet, headTable, hideRowLimit, selectList, keyList);
    }
    void SetDefaultTopRow(int rows) override { FDialog->SetDefaultTopRow(rows); }
    void SetBodyDataSet(TDataSet* dataSet, const AnsiString& bodyTable, const AnsiString& extraFrom,
                        const AnsiString& selectList, const AnsiString& linkList) override {
        FDialog->SetBodyDataSet(dataSet, bodyTable, extraFrom, selectList, linkList);
    }
    bool Execute(AnsiString& where, AnsiString& orderBy) override { return FDialog->Execute(where, orderBy); }
    int GetTopRow() override { return FDialog->GetTopRow(); }
    // A saved scheme whose page is not a number is not loaded.
    bool LoadScheme(const Variant& page, const AnsiString& text) override {
        int number = 0;
        if (!TryStrToInt(VarToStr(page), number)) return false;
        return FDialog->LoadScheme(number, text);
    }
    void BuildQuery(AnsiString& where, AnsiString& orderBy) override { FDialog->BuildQuery(where, orderBy); }

private:
    TQBEForm* FDialog;
};

// The status window, freed with the export.
class TStatusWindow : public TExportStatus {
public:
    explicit TStatusWindow(TComponent* owner) : FWindow(new TfrmShowStatus(owner)) {}
    ~TStatusWindow() override { delete FWindow; }
    TStatusWindow(const TStatusWindow&) = delete;
    TStatusWindow& operator=(const TStatusWindow&) = delete;
    void ShowStatus(const AnsiString& caption, int min, int max) override {
        FWindow->ShowStatus(caption, min, max);
    }
    void StepIt() override { FWindow->StepIt(); }
    void CloseStatus() override { FWindow->CloseStatus(); }

private:
    TfrmShowStatus* FWindow;
};

} // namespace

std::unique_ptr<TQueryDialog> TfrmSingle::MakeQueryDialog() {
    return std::make_unique<TQBEDialog>(this);
}

void TfrmSingle::ViewColorsAfterSave(bool adding) {
    if (adding)
        RefreshColorRecord();
    else
        ApplyColorCondition(LastWhere, LastOrder);
}

void TfrmSingle::ViewApplyDefaultTexts() {
    if (TMT_Doc* doc = FUserFields->FormatDocument()) doc->ApplyDefaultTexts(this);
}

void TfrmSingle::ViewApplyHeadColors(TDataSet* colorRow) {
    if (HeadColors) HeadColors->ApplyForDataSet(colorRow);
}

std::unique_ptr<TExportStatus> TfrmSingle::MakeExportStatusDialog() {
    return std::make_unique<TStatusWindow>(this);
}

KVR_PUBLISHED(TfrmSingle, c) {
    c.Field("btnOK", &TfrmSingle::btnOK);
    c.Field("btnCancel", &TfrmSingle::btnCancel);
    c.Field("pnlHead", &TfrmSingle::pnlHead);
    c.Field("pgHead", &TfrmSingle::pgHead);
    c.Field("tbsHead1", &TfrmSingle::tbsHead1);
    c.Field("tbsUDF", &TfrmSingle::tbsUDF);
    c.Field("tbsBrowse", &TfrmSingle::tbsBrowse);
    c.Field("gdHead", &TfrmSingle::gdHead);
    c.Field("imgSingle", &TfrmSingle::imgSingle);
    c.Field("mnCondition", &TfrmSingle::mnCondition);
    c.Field("pmColorCondition", &TfrmSingle::pmColorCondition);
    c.Field("popPrint", &TfrmSingle::popPrint);
    c.Field("pmMultiSelect", &TfrmSingle::pmMultiSelect);
    c.Field("miPreview", &TfrmSingle::miPreview);
    c.Field("miPrint", &TfrmSingle::miPrint);
    c.Field("miOK", &TfrmSingle::miOK);
    c.Field("miCancel", &TfrmSingle::miCancel);
    c.Field("miExport", &TfrmSingle::miExport);
    c.Field("miTable2Excel", &TfrmSingle::miTable2Excel);
    c.Field("miTable2Excel2", &TfrmSingle::miTable2Excel2);
    c.Field("miDirectPrint", &TfrmSingle::miDirectPrint);
    c.Field("miPriewPrint", &TfrmSingle::miPriewPrint);
    c.Field("miBBSelectAll", &TfrmSingle::miBBSelectAll);
    c.Field("miBBUnSelectAll", &TfrmSingle::miBBUnSelectAll);
    c.Method("FormCreate", &TfrmSingle::FormCreate);
    c.Method("FormShow", &TfrmSingle::FormShow);
    c.Method("FormClose", &TfrmSingle::FormClose);
    c.Method("FormDestroy", &TfrmSingle::FormDestroy);
    c.Method("FormResize", &TfrmSingle::FormResize);
    c.Method("pgHeadChange", &TfrmSingle::pgHeadChange);
    c.Method("pgHeadChanging", &TfrmSingle::pgHeadChanging);
    c.Method("FormKeyDown", &TfrmSingle::FormKeyDown);
    c.Method("miBBPrintClick", &TfrmSingle::miBBPrintClick);
    c.Method("P1Click", &TfrmSingle::P1Click);
    c.Method("FormKeyPress", &TfrmSingle::FormKeyPress);
    c.Method("gdHeadDblClick", &TfrmSingle::gdHeadDblClick);
    c.Method("miOptionsClick", &TfrmSingle::miOptionsClick);
    c.Method("gdHeadKeyDown", &TfrmSingle::gdHeadKeyDown);
    c.Field("miBBPrint", &TfrmSingle::miBBPrint);
    c.Field("P1", &TfrmSingle::P1);
    c.Field("miTools", &TfrmSingle::miTools);
    c.Field("miCacl", &TfrmSingle::miCacl);
    c.Field("miOptions", &TfrmSingle::miOptions);
    c.Field("SortMapList", &TfrmSingle::SortMapList);
    c.Field("popOpenF2Window", &TfrmSingle::popOpenF2Window);
    c.Field("miOpenF2Window", &TfrmSingle::miOpenF2Window);
    c.Field("miOpenF3Window", &TfrmSingle::miOpenF3Window);
    c.Field("miOpenF4Window", &TfrmSingle::miOpenF4Window);
    c.Method("miCaclClick", &TfrmSingle::miCaclClick);
    c.Method("miOpenF2WindowClick", &TfrmSingle::miOpenF2WindowClick);
    c.Method("miOpenF3WindowClick", &TfrmSingle::miOpenF3WindowClick);
    c.Method("miOpenF4WindowClick", &TfrmSingle::miOpenF4WindowClick);
    c.Method("gdHeadTitleButtonClick", &TfrmSingle::gdHeadTitleButtonClick);
    c.Method("gdHeadCalcTitleImage", &TfrmSingle::gdHeadCalcTitleImage);
    c.Method("gdHeadCalcTitleAttributes", &TfrmSingle::gdHeadCalcTitleAttributes);
    c.Method("miOKClick", &TfrmSingle::miOKClick);
    c.Method("miCancelClick", &TfrmSingle::miCancelClick);
    c.Method("miPrintClick", &TfrmSingle::miPrintClick);
    c.Method("miPreviewClick", &TfrmSingle::miPreviewClick);
    c.Method("miTable2ExcelClick", &TfrmSingle::miTable2ExcelClick);
    c.Method("miTable2Excel2Click", &TfrmSingle::miTable2Excel2Click);
    c.Method("miBBSelectAllClick", &TfrmSingle::miBBSelectAllClick);
    c.Method("miBBUnSelectAllClick", &TfrmSingle::miBBUnSelectAllClick);
    c.Method("btnCalcClick", &TfrmSingle::btnCalcClick);
    c.Method("btnColorQueryClick", &TfrmSingle::btnColorQueryClick);
    c.Method("RunSavedCondition", &TfrmSingle::RunSavedCondition);
    c.Method("gdHeadCalcCellColors", &TfrmSingle::gdHeadCalcCellColors);
    // Services.
    c.Field("miVoucherFormats", &TfrmSingle::miVoucherFormats);
    c.Field("miVoucherFormatsPrint", &TfrmSingle::miVoucherFormatsPrint);
    c.Method("gdHeadMouseMove", &TfrmSingle::gdHeadMouseMove);
    c.Method("gdHeadMouseDown", &TfrmSingle::gdHeadMouseDown);
    c.Method("gdHeadKeyUp", &TfrmSingle::gdHeadKeyUp);
    c.Method("gdHeadColEnter", &TfrmSingle::gdHeadColEnter);
    c.Method("MenuItem1Click", &TfrmSingle::MenuItem1Click);
    c.Method("popPrintPopup", &TfrmSingle::popPrintPopup);
    c.Method("MenuItemVoucherFormatClick", &TfrmSingle::MenuItemVoucherFormatClick);
    c.Method("ColorMenuClick", &TfrmSingle::ColorMenuClick);
}

// Shortcuts: F12 123; Ctrl (16384) with F1 112, F2 113, P 80, N 78.
KVR_FORM_RESOURCE(TfrmSingle, R"(inherited frmSingle: TfrmSingle
  OnClose = FormClose
  OnDestroy = FormDestroy
  OnResize = FormResize
  OnShow = FormShow
  inherited ToolBar1: TToolBar
    inherited btnPrint: TToolButton
      OnClick = miPrintClick
    end
    object btnOK: TToolButton
      Enabled = False
      Hint = '保存'
      ImageIndex = 10
      OnClick = miOKClick
    end
    object btnCancel: TToolButton
      Enabled = False
      Hint = '取消'
      ImageIndex = 11
      OnClick = miCancelClick
    end
  end
  object pgHead: TExtPageControl
    Align = alClient
    TabHeight = 20
    TabWidth = 80
    OnChange = pgHeadChange
    OnChanging = pgHeadChanging
    object tbsHead1: TTabSheet
      Caption = '详细字段'
    end
    object tbsUDF: TTabSheet
      Caption = '自定义信息'
      object edUDF01: TQvBtnDBEdit
        Left = 90
        Top = 12
        Width = 90
        Height = 21
        Caption = '自定义项1'
        PopupMenu = popOpenF2Window
        TabOrder = 0
      end
      object edUDF02: TQvBtnDBEdit
        Left = 90
        Top = 42
        Width = 90
        Height = 21
        Caption = '自定义项2'
        PopupMenu = popOpenF2Window
        TabOrder = 1
      end
      object edUDF03: TQvBtnDBEdit
        Left = 90
        Top = 72
        Width = 90
        Height = 21
        Caption = '自定义项3'
        PopupMenu = popOpenF2Window
        TabOrder = 2
      end
      object edUDF04: TQvBtnDBEdit
        Left = 90
        Top = 102
        Width = 90
        Height = 21
        Caption = '自定义项4'
        PopupMenu = popOpenF2Window
        TabOrder = 3
      end
      object edUDF05: TQvBtnDBEdit
        Left = 90
        Top = 132
        Width = 90
        Height = 21
        Caption = '自定义项5'
        PopupMenu = popOpenF2Window
        TabOrder = 4
      end
      object edUDF06: TQvBtnDBEdit
        Left = 90
        Top = 162
        Width = 90
        Height = 21
        Caption = '自定义项6'
        PopupMenu = popOpenF2Window
        TabOrder = 5
      end
      object edUDF51: TQvBtnDBEdit
        Left = 270
        Top = 12
        Width = 90
        Height = 21
        Caption = '自定义项7'
        PopupMenu = popOpenF2Window
        TabOrder = 6
      end
      object edUDF52: TQvBtnDBEdit
        Left = 270
        Top = 42
        Width = 90
        Height = 21
        Caption = '自定义项8'
        PopupMenu = popOpenF2Window
        TabOrder = 7
      end
      object edUDF53: TQvBtnDBEdit
        Left = 270
        Top = 72
        Width = 90
        Height = 21
        Caption = '自定义项9'
        PopupMenu = popOpenF2Window
        TabOrder = 8
      end
      object edUDF54: TQvBtnDBEdit
        Left = 270
        Top = 102
        Width = 90
        Height = 21
        Caption = '自定义项10'
        PopupMenu = popOpenF2Window
        TabOrder = 9
      end
      object edUDF55: TQvBtnDBEdit
        Left = 270
        Top = 132
        Width = 90
        Height = 21
        Caption = '自定义项11'
        PopupMenu = popOpenF2Window
        TabOrder = 10
      end
      object edUDF56: TQvBtnDBEdit
        Left = 270
        Top = 162
        Width = 90
        Height = 21
        Caption = '自定义项12'
        PopupMenu = popOpenF2Window
        TabOrder = 11
      end
      object edUDF07: TQvBtnDBEdit
        Left = 450
        Top = 12
        Width = 90
        Height = 21
        Caption = '自定义项13'
        PopupMenu = popOpenF2Window
        TabOrder = 12
      end
      object edUDF08: TQvBtnDBEdit
        Left = 450
        Top = 42
        Width = 90
        Height = 21
        Caption = '自定义项14'
        PopupMenu = popOpenF2Window
        TabOrder = 13
      end
      object edUDF09: TQvBtnDBEdit
        Left = 450
        Top = 72
        Width = 90
        Height = 21
        Caption = '自定义项15'
        PopupMenu = popOpenF2Window
        TabOrder = 14
      end
      object edUDF10: TQvBtnDBEdit
        Left = 450
        Top = 102
        Width = 90
        Height = 21
        Caption = '自定义项16'
        PopupMenu = popOpenF2Window
        TabOrder = 15
      end
      object edUDF11: TQvBtnDBEdit
        Left = 450
        Top = 132
        Width = 90
        Height = 21
        Caption = '自定义项17'
        PopupMenu = popOpenF2Window
        TabOrder = 16
      end
      object edUDF12: TQvBtnDBEdit
        Left = 450
        Top = 162
        Width = 90
        Height = 21
        Caption = '自定义项18'
        PopupMenu = popOpenF2Window
        TabOrder = 17
      end
      object edUDF57: TQvBtnDBEdit
        Left = 630
        Top = 12
        Width = 90
        Height = 21
        Caption = '自定义项19'
        PopupMenu = popOpenF2Window
        TabOrder = 18
      end
      object edUDF58: TQvBtnDBEdit
        Left = 630
        Top = 42
        Width = 90
        Height = 21
        Caption = '自定义项20'
        PopupMenu = popOpenF2Window
        TabOrder = 19
      end
      object edUDF59: TQvBtnDBEdit
        Left = 630
        Top = 72
        Width = 90
        Height = 21
        Caption = '自定义项21'
        PopupMenu = popOpenF2Window
        TabOrder = 20
      end
      object edUDF60: TQvBtnDBEdit
        Left = 630
        Top = 102
        Width = 90
        Height = 21
        Caption = '自定义项22'
        PopupMenu = popOpenF2Window
        TabOrder = 21
      end
      object edUDF61: TQvBtnDBEdit
        Left = 630
        Top = 132
        Width = 90
        Height = 21
        Caption = '自定义项23'
        PopupMenu = popOpenF2Window
        TabOrder = 22
      end
      object edUDF62: TQvBtnDBEdit
        Left = 630
        Top = 162
        Width = 90
        Height = 21
        Caption = '自定义项24'
        PopupMenu = popOpenF2Window
        TabOrder = 23
      end
      object cboUDF01: TQvDBComboBox
        Left = 90
        Top = 12
        Width = 90
        Height = 21
        Caption = '自定义项1'
        Visible = False
      end
      object cboUDF02: TQvDBComboBox
        Left = 90
        Top = 42
        Width = 90
        Height = 21
        Caption = '自定义项2'
        Visible = False
      end
      object cboUDF03: TQvDBComboBox
        Left = 90
        Top = 72
        Width = 90
        Height = 21
        Caption = '自定义项3'
        Visible = False
      end
      object cboUDF04: TQvDBComboBox
        Left = 90
        Top = 102
        Width = 90
        Height = 21
        Caption = '自定义项4'
        Visible = False
      end
      object cboUDF05: TQvDBComboBox
        Left = 90
        Top = 132
        Width = 90
        Height = 21
        Caption = '自定义项5'
        Visible = False
      end
      object cboUDF06: TQvDBComboBox
        Left = 90
        Top = 162
        Width = 90
        Height = 21
        Caption = '自定义项6'
        Visible = False
      end
      object cboUDF07: TQvDBComboBox
        Left = 450
        Top = 12
        Width = 90
        Height = 21
        Caption = '自定义项13'
        Visible = False
      end
      object cboUDF08: TQvDBComboBox
        Left = 450
        Top = 42
        Width = 90
        Height = 21
        Caption = '自定义项14'
        Visible = False
      end
      object cboUDF09: TQvDBComboBox
        Left = 450
        Top = 72
        Width = 90
        Height = 21
        Caption = '自定义项15'
        Visible = False
      end
      object cboUDF10: TQvDBComboBox
        Left = 450
        Top = 102
        Width = 90
        Height = 21
        Caption = '自定义项16'
        Visible = False
      end
      object cboUDF11: TQvDBComboBox
        Left = 450
        Top = 132
        Width = 90
        Height = 21
        Caption = '自定义项17'
        Visible = False
      end
      object cboUDF12: TQvDBComboBox
        Left = 450
        Top = 162
        Width = 90
        Height = 21
        Caption = '自定义项18'
        Visible = False
      end
    end
    object tbsBrowse: TTabSheet
      Caption = '信息浏览'
      object gdHead: TFDBGrid
        Align = alClient
        Color = 15532027
        Options = [dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit, dgMultiSelect]
        PopupMenu = pmMultiSelect
        ReadOnly = True
        TitleButtons = True
        TitleImageList = SortMapList
        OnCalcCellColors = gdHeadCalcCellColors
        OnCalcTitleAttributes = gdHeadCalcTitleAttributes
        OnCalcTitleImage = gdHeadCalcTitleImage
        OnTitleButtonClick = gdHeadTitleButtonClick
        OnDblClick = gdHeadDblClick
        OnKeyDown = gdHeadKeyDown
        OnKeyUp = gdHeadKeyUp
        OnMouseDown = gdHeadMouseDown
        OnMouseMove = gdHeadMouseMove
        OnColEnter = gdHeadColEnter
      end
    end
  end
  object imgSingle: TImageList
    Height = 18
    Width = 18
  end
  object SortMapList: TImageList
    Height = 10
    Width = 10
  end
  object popOpenF2Window: TPopupMenu
    object miOpenF2Window: TMenuItem
      Caption = 'F2 查询窗口'
      OnClick = miOpenF2WindowClick
    end
    object miOpenF3Window: TMenuItem
      Caption = 'F3 查询窗口'
      OnClick = miOpenF3WindowClick
    end
    object miOpenF4Window: TMenuItem
      Caption = 'F4 查询窗口'
      OnClick = miOpenF4WindowClick
    end
  end
  object mnCondition: TPopupMenu
  end
  object pmColorCondition: TPopupMenu
    OwnerDraw = True
  end
  object popPrint: TPopupMenu
    OnPopup = popPrintPopup
    object miDirectPrint: TMenuItem
      Caption = '直接打印'
      OnClick = miPrintClick
    end
    object miPriewPrint: TMenuItem
      Caption = '打印预览'
      OnClick = miPreviewClick
    end
    object miVoucherFormatsPrint: TMenuItem
      Caption = '凭证格式'
    end
  end
  object pmMultiSelect: TPopupMenu
    OnPopup = P1Click
    object miBBSelectAll: TMenuItem
      Caption = '全选'
      OnClick = miBBSelectAllClick
    end
    object miBBUnSelectAll: TMenuItem
      Caption = '全不选'
      OnClick = miBBUnSelectAllClick
    end
  end
  inherited MainMenu: TMainMenu
    inherited MenuItem1: TMenuItem
      OnClick = MenuItem1Click
      object miPreview: TMenuItem
        Caption = '预览(&B)'
        OnClick = miPreviewClick
      end
      object miPrint: TMenuItem
        Caption = '打印(&T)'
        OnClick = miPrintClick
      end
      object miVoucherFormats: TMenuItem
        Caption = '凭证格式'
      end
      object miOK: TMenuItem
        Caption = '确定'
        Enabled = False
        ShortCut = 123
        OnClick = miOKClick
      end
      object miCancel: TMenuItem
        Caption = '取消'
        Enabled = False
        OnClick = miCancelClick
      end
      object miExport: TMenuItem
        Caption = '汇出(&E)'
        object miTable2Excel: TMenuItem
          Caption = '资料转Excel(含格式)'
          ShortCut = 16496
          OnClick = miTable2ExcelClick
        end
        object miTable2Excel2: TMenuItem
          Caption = '资料转Excel(不含格式)'
          ShortCut = 16497
          OnClick = miTable2Excel2Click
        end
      end
      object P1: TMenuItem
        Caption = '整批处理(&P)'
        OnClick = P1Click
        object miBBPrint: TMenuItem
          Caption = '整批打印'
          OnClick = miBBPrintClick
        end
      end
      object miTools: TMenuItem
        Caption = '工具(&T)'
        object miCacl: TMenuItem
          Caption = '计算器'
          OnClick = miCaclClick
        end
        object miOptions: TMenuItem
          Caption = '选项(&O)'
          OnClick = miOptionsClick
        end
      end
      inherited miPrior: TMenuItem
        ShortCut = 16464
      end
      inherited miNext: TMenuItem
        ShortCut = 16462
      end
    end
  end
end
)");

TfrmSingle::TfrmSingle(TComponent* owner, bool load)
    : TfrmBase(owner, false), FAttachments(std::make_unique<TSingleAttachments>(*this)),
      FUserFields(std::make_unique<TSingleUserFields>(*this)),
      FColorFilter(std::make_unique<TSingleColorFilter>(*this)),
      FLinks(std::make_unique<TSingleLinks>(*this)), FImport(std::make_unique<TSingleImport>(*this)),
      FPrintFormats(std::make_unique<TSinglePrintFormats>(*this)) {
    if (load) InitInheritedComponent(this);
}

TfrmSingle::~TfrmSingle() {
    // The dialog's component belongs to the form; only the wrapper goes here.
    QBEForm = nullptr;
    FQueryDialog.reset();
}

// ---- creation and start-up ----

namespace {

// An image list's image drawn by a painter on a bitmap of the list's size; white is transparent.
void AddDrawnImage(TImageList* list, const std::function<void(TBitmap&, int, int)>& paint) {
    TBitmap image;
    image.SetSize(list->Width(), list->Height());
    for (int y = 0; y < list->Height(); ++y)
        for (int x = 0; x < list->Width(); ++x)
            image.SetPixel(x, y, clWhite);
    paint(image, list->Width(), list->Height());
    list->AddMasked(&image, clWhite);
}

// The form's own glyphs when its stream brings none: the calculator (0) and the colour filter (1),
// and the sort marks of the titles (0 ascending, 1 descending).
void DrawSingleGlyphs(TImageList* glyphs, TImageList* sortMarks) {
    if (glyphs && glyphs->Count() == 0) {
        AddDrawnImage(glyphs, [](TBitmap& b, int w, int h) {
            for (int y = 2; y < h - 2; ++y)
                for (int x = 3; x < w - 3; ++x) {
                    const bool frame = y == 2 || y == h - 3 || x == 3 || x == w - 4;
                    const bool display = y >= 4 && y <= 6 && x >= 5 && x <= w - 6;
                    const bool key =
                        y >= 8 && (x - 5) % 3 != 2 && (y - 8) % 3 != 2 && x >= 5 && x <= w - 6 && y <= h - 5;
                    if (frame || display || key) b.SetPixel(x, y, frame || key ? clBlack : clGreen);
                }
        });
        AddDrawnImage(glyphs, [](TBitmap& b, int w, int h) {
            const TColor bands[] = {clRed, clYellow, clLime, clBlue};
            for (int y = 2; y < h - 2; ++y) {
                // A funnel: narrowing towards its stem.
                const int inset = y < h / 2 ? (y - 2) / 2 : w / 2 - 3;
                for (int x = 2 + inset; x < w - 2 - inset; ++x)
                    b.SetPixel(x, y, bands[(y - 2) * 4 / (h - 4)]);
            }
        });
    }
    if (sortMarks && sortMarks->Count() == 0) {
        for (const bool down : {false, true})
            AddDrawnImage(sortMarks, [down](TBitmap& b, int w, int h) {
                for (int row = 0; row < h / 2; ++row) {
                    const int y = down ? h / 4 + row : h * 3 / 4 - row;
                    for (int x = row; x < w - row; ++x)
                        b.SetPixel(x, y, clGray);
                }
            });
    }
}

} // namespace

void TfrmSingle::FormCreate(TObject* sender) {
    DrawSingleGlyphs(imgSingle, SortMapList);
    const int images = ImageList1 ? ImageList1->Count() : 0;
    if (ImageList1 && imgSingle)
        for (int i = 0; i < imgSingle->Count(); ++i) {
            TBitmap glyph, mask;
            if (!imgSingle->GetBitmap(i, &glyph)) continue;
            mask.SetSize(glyph.Width(), glyph.Height());
            for (int y = 0; y < glyph.Height(); ++y)
                for (int x = 0; x < glyph.Width(); ++x)
                    mask.SetPixel(x, y, imgSingle->IsTransparent(i, x, y) ? clWhite : clBlack);
            ImageList1->Add(&glyph, &mask);
        }
    btnColorQuery = new TToolButton(this);
    btnColorQuery->SetName("btnColorQuery");
    btnColorQuery->SetStyle(tbsDropDown);
    btnColorQuery->SetDropdownMenu(pmColorCondition);
    btnColorQuery->SetImageIndex(images + 1);
    btnColorQuery->SetOnClick(TNotifyEvent(this, &TfrmSingle::btnColorQueryClick));
    btnColorQuery->SetVisible(false);
    btnCalc = new TToolButton(this);
    btnCalc->SetName("btnCalc");
    btnCalc->SetImageIndex(images);
    btnCalc->SetOnClick(TNotifyEvent(this, &TfrmSingle::btnCalcClick));
    if (ToolBar1) {
        btnColorQuery->SetParent(ToolBar1);
        btnCalc->SetParent(ToolBar1);
    }
    ArrangeToolBar(ToolBar1);
    TfrmBase::FormCreate(sender);
}

void TfrmSingle::ConnectDataModule() {
    TfrmBase::ConnectDataModule();
    // The program's own pages come before the browse page, which stays the last.
    if (pgHead && tbsBrowse) tbsBrowse->SetPageIndex(pgHead->PageCount() - 1);
    ShowFirstPage();
    if (TdmBase* module = BaseModule(); module && gdHead) gdHead->SetDataSource(module->dsMain);
    if (DataModule) {
        try {
            HeadUDFFields = LoadHeaderUDFFields(Broker->ProgramID, "Z01");
            HeadUDFDefaults = LoadUDFFields(Broker->ProgramID, "Z01", "N");
        } catch (const Exception& e) {
            WriteAlertLog(Broker->ProgramID, "Single-UDF:" + e.Message(), 'D');
        }
        SetupUserFields();
    }
}

void TfrmSingle::ApplyInputSettings() {
    TfrmBase::ApplyInputSettings();
    if (!DataModule) return;
    CollectEditableFields();
    BindQueryDialog();
    if (tbsUDF) tbsUDF->SetTabVisible(false);
    if (TdmSingle* module = SingleModule()) module->SetupNumberFormats();
    IsColorManage = ReadUserDefineFlag("InputSettings003", "IsColorManage", IsColorManage);
    FastInputEnabled = ReadUserDefineFlag("InputSettings004", "FastInputEnabled", true);
}

void TfrmSingle::ConfigureProgram() {
    TfrmBase::ConfigureProgram();
    // The browse grid never edits in place: the detail pages do.
    if (gdHead) gdHead->SetOptions(gdHead->Options() - TwwDBGridOptions{dgEditing});
    AttachmentsEnabled = false;
}

void TfrmSingle::BindQueryDialog() {
    TdmSingle* module = SingleModule();
    if (!module) return;
    if (!FQueryDialog) {
        FQueryDialog = MakeQueryDialog();
        if (!FQueryDialog) return;
        QBEForm = FQueryDialog->Component();
    }
    // Bound again only when the binding changed: the dialog rebuilds its grid on every binding.
    const AnsiString binding = module->MainTable + "\t" + IntToStr(SQLType != 0) + "\t" + module->MainSelect +
                               "\t" + module->KeyFields;
    if (binding == FQueryBinding) return;
    FQueryBinding = binding;
    FQueryDialog->SetHeadDataSet(module->cdsMain, module->MainTable, SQLType != 0, module->MainSelect,
                                 module->KeyFields);
}

void TfrmSingle::FormShow(TObject* sender) {
    StartConditionSet = false;
    if (IsColorManage) {
        try {
            BuildHeadColors(ColorManagerText());
            FillColorMenu();
            FColorFilter->CreateColorQueryForm();
        } catch (const Exception& e) {
            WriteAlertLog(Broker->ProgramID, "Single-Color:" + e.Message(), 'D');
        }
    }
    if (btnColorQuery)
        btnColorQuery->SetVisible(IsColorManage && btnQuery && btnQuery->Visible() && HeadColors &&
                                  HeadColors->Count() > 0);
    ArrangeToolBar(ToolBar1);
    TfrmBase::FormShow(sender);
    LoadSavedConditions();
    if (StartConditionSet)
        if (TdmSingle* module = SingleModule()) module->RefreshColor();
    auto hint = [this](TToolButton* button, const char* text) {
        if (!button) return;
        Variant converted;
        ConvertUiText(AnsiString(text), converted);
        button->SetHint(VarToStr(converted));
    };
    hint(btnColorQuery, "颜色筛选");
    hint(btnCalc, "计算器");
    // Closed once the show is over: a close inside the show would be undone by it.
    if (FCloseRequested) PostMessage(Handle(), WM_CLOSE);
    LoadLinkFields();
}

AnsiString TfrmSingle::ColorManagerText() {
    return LoadColorXml();
}

void TfrmSingle::BuildHeadColors(const AnsiString& text) {
    HeadColors.reset();
    if (Trim(text).empty()) return;
    HeadColors = TColorComponents::CreateFromXml(this, "head", text);
    // The controls' own colours, which every record starts again from.
    HeadColors->SaveOriginalColors();
}

void TfrmSingle::AfterFormShow() {
    TfrmBase::AfterFormShow();
    TdmSingle* module = SingleModule();
    if (!ParamText.empty() && OpenMode != OPEN_MODE_IMPORT && module) {
        StartConditionSet = true;
        try {
            SetQueryCondition(module->cdsMain, ParamText, AnsiString());
        } catch (const Exception& e) {
            WriteAlertLog("Class BaseCF-476", e.Message(), 'D');
            throw;
        }
    }
    BindQueryDialog();
    BeforeShowAction();
    const AnsiString importText = ParamText;
    ParamText.clear();
    const Variant param = VarIsEmpty(ModeParam) ? OpenParam : ModeParam;
    switch (OpenMode) {
    case OPEN_MODE_ADD:
        AddRecord(true);
        break;
    case OPEN_MODE_EDIT:
        EditRecord();
        break;
    case OPEN_MODE_PRINT:
        PreviewMode = false;
        PrintRecords();
        break;
    case OPEN_MODE_ADD_WITH_PARAM:
        OpenAddWithParam(param);
        break;
    case OPEN_MODE_EDIT_WITH_PARAM:
        OpenEditWithParam(param);
        break;
    default:
        break;
    }
    if (OpenMode != OPEN_MODE_HOST_12) SetUDFLookupHints();
    if (OpenMode == OPEN_MODE_IMPORT) ImportXml(importText);
}

void TfrmSingle::BeforeShowAction() {}

void TfrmSingle::OpenAddWithParam(const Variant& param) {
    CloseAfterSave = true;
    if (TdmSingle* module = SingleModule()) module->DefaultValues = param;
    AddRecord(true);
}

void TfrmSingle::OpenEditWithParam(const Variant& param) {
    CloseAfterSave = true;
    if (TdmSingle* module = SingleModule()) module->DefaultValues = param;
    EditRecord();
}

// ---- record operations ----

void TfrmSingle::ShowFirstPage() {
    if (pgHead && pgHead->PageCount() > 0) pgHead->SetActivePageIndex(0);
}

void TfrmSingle::FocusIfPossible(TWinControl* control) {
    if (control && control->CanFocus()) control->SetFocus();
}

bool TfrmSingle::AddRecord(bool keepValues) {
    TdmSingle* module = SingleModule();
    if (!module) return false;
    if (keepValues) module->ClearKeptValues();
    ShowFirstPage();
    const bool result = TfrmBase::AddRecord(keepValues);
    FocusIfPossible(AddFocusEdit);
    return result;
}

bool TfrmSingle::EditRecord() {
    if (!DataModule) return false;
    if (IsFocusPageOne || (pgHead && pgHead->ActivePage() == tbsBrowse)) ShowFirstPage();
    const bool result = TfrmBase::EditRecord();
    if (result) FocusIfPossible(EditFocusEdit);
    return result;
}

bool TfrmSingle::CancelEdit(bool ask) {
    const bool cancelled = TfrmBase::CancelEdit(ask);
    if (cancelled) LastWhere = "1=1";
    if (TdmSingle* module = SingleModule()) module->RefreshColor();
    return cancelled;
}

bool TfrmSingle::KeepFailedEdit() {
    return false;
}

// The save is one sequence for every document form; the header-plus-body form extends its steps.
bool TfrmSingle::SaveRecord() {
    if (!SingleModule()) return false;
    const bool adding = EditState == esInsert;
    LastSaveFailed = true;
    bool saved = false;
    try {
        try {
            if (!PrepareSave(adding)) {
                SaveStopped();
                return false;
            }
            saved = ApplySave(adding);
        } catch (const EAbort&) {
            throw;
        } catch (const Exception& e) {
            SaveRaised(e);
            throw;
        }
    } catch (const EAbort&) {
        // A check that stopped the save has spoken; the record stays as the user has it.
        ApplyPendingFocus();
        SaveStopped();
        return false;
    }
    if (!saved) {
        SaveFailed();
        return false;
    }
    LastSaveFailed = false;
    // The form leaves the edit whether or not what follows a save raised; then it is raised again.
    std::exception_ptr raised;
    try {
        FinishSave(adding);
    } catch (...) {
        raised = std::current_exception();
    }
    LeaveEditAfterSave(adding);
    if (raised) std::rethrow_exception(raised);
    return true;
}

bool TfrmSingle::PrepareSave(bool adding) {
    TdmSingle* module = SingleModule();
    TClientDataSet* main = module->cdsMain;
    if (main->State() == dsEdit || main->State() == dsInsert) PostRecord(main);
    if (adding) module->BeforeSaveDetails();
    return true;
}

bool TfrmSingle::ApplySave(bool) {
    TdmSingle* module = SingleModule();
    return module->SaveDataSet(module->cdsMain);
}

void TfrmSingle::FinishSave(bool) {}

void TfrmSingle::LeaveEditAfterSave(bool adding) {
    if (CloseAfterSave) {
        SetEditState(esBrowse);
        Close();
    } else if (IsKeepOnAdd && adding) {
        AddRecord(false);
    } else {
        SetEditState(esBrowse);
        RecordChanged(SingleModule()->cdsMain);
    }
}

void TfrmSingle::SaveStopped() {
    TClientDataSet* main = SingleModule()->cdsMain;
    if (main->Active() && main->State() != dsEdit && main->State() != dsInsert && !main->IsEmpty())
        main->Edit();
}

void TfrmSingle::SaveFailed() {
    Broker->Say("E", "000008");
    // What the user typed stays in the change log and on the screen, in the editing state.
    SaveStopped();
}

void TfrmSingle::SaveRaised(const Exception&) {}

bool TfrmSingle::ValidateRecord(TDataSet* dataSet) {
    TdmSingle* module = SingleModule();
    if (module && dataSet == module->cdsMain &&
        (dataSet->State() == dsEdit || dataSet->State() == dsInsert) && !module->KeyFields.empty()) {
        // The key check in the field-list format, "cdsMain:" then the keys, but the one the server
        // numbers.
        AnsiString keys;
        for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i) {
            const AnsiString key = Trim(GetToken(module->KeyFields, ",", i));
            if (module->AutoKey && SameText(key, module->GetAutoKeyField())) continue;
            keys += (keys.empty() ? "" : ",") + key;
        }
        if (!keys.empty() && !CheckRequired(dataSet, dataSet->Name() + ":" + keys)) return false;
    }
    return TfrmBase::ValidateRecord(dataSet);
}

// ---- query ----

bool TfrmSingle::QueryRecords() {
    TdmSingle* module = SingleModule();
    QueryRan = false;
    if (!module) return false;
    const int topRow = StrToInt(Broker->GetSysSetting("SYS151"));
    if (!FQueryDialog) {
        // Without the query dialog the last condition is fetched again.
        RunQuery(LastWhere.empty() ? AnsiString("1=1") : LastWhere, LastOrder);
        return true;
    }
    FQueryDialog->SetDefaultTopRow(topRow);
    AnsiString where, order;
    if (FQueryDialog->Execute(where, order)) {
        if (SQLType == 0) TAppServer(module->AppServer).SetTopRow(FQueryDialog->GetTopRow());
        RunQuery(where, order);
        return true;
    }
    if (tbsBrowse && pgHead) pgHead->SetActivePage(tbsBrowse);
    FocusIfPossible(gdHead);
    return true;
}

void TfrmSingle::RunQuery(const AnsiString& where, const AnsiString& order) {
    TdmSingle* module = SingleModule();
    QueryRan = true;
    try {
        THourGlass hourGlass;
        AnsiString adjusted;
        AdjustCondition(where, adjusted);
        SetQueryCondition(module->cdsMain, adjusted, order);
        SetEditState(esBrowse);
    } catch (const Exception& e) {
        Variant shown;
        ConvertUiText(e.Message(), shown);
        ShowMessageDlg(VarToStr(shown), mtError, {mbOK});
        Broker->Say("W", "000001", {AnsiString()});
    }
    if (tbsBrowse && pgHead) pgHead->SetActivePage(tbsBrowse);
    FocusIfPossible(gdHead);
}

void TfrmSingle::SetQueryCondition(TCustomClientDataSet* dataSet, const AnsiString& where,
                                   const AnsiString& order) {
    TfrmBase::SetQueryCondition(dataSet, where, order);
    TdmSingle* module = SingleModule();
    if (module && dataSet == module->cdsMain && !module->cdsMain->IndexFieldNames().empty())
        module->DefaultOrder = module->cdsMain->IndexFieldNames();
}

void TfrmSingle::LoadSavedConditions() {
    TdmSingle* module = SingleModule();
    if (!module || !mnCondition || !btnQuery) return;
    mnCondition->Items()->Clear();
    bool any = false;
    try {
        TAppServer(module->AppServer).LoadTable(VarArrayOf({Broker->UserID, Broker->ProgramID}));
        TClientDataSet* saved = module->cdsSaveCondition;
        saved->Close();
        saved->Open();
        int number = 0;
        for (saved->First(); !saved->Eof(); saved->Next()) {
            auto* item = new TMenuItem(this);
            item->SetName("mnu" + IntToStr(number++));
            Variant caption;
            ConvertDbText(saved->FieldByName("NCONDITION")->AsString(), caption);
            item->SetCaption(VarToStr(caption));
            item->SetOnClick(TNotifyEvent(this, &TfrmSingle::RunSavedCondition));
            mnCondition->Items()->Add(item);
            any = true;
        }
    } catch (const Exception& e) {
        WriteAlertLog(Broker->ProgramID, "Single-Condition:" + e.Message(), 'D');
    }
    btnQuery->SetStyle(any ? tbsDropDown : tbsButton);
    btnQuery->SetDropdownMenu(any ? mnCondition : nullptr);
}

void TfrmSingle::RunSavedCondition(TObject* sender) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    TdmSingle* module = SingleModule();
    if (!item || !module || !FQueryDialog) return;
    Variant name;
    UnconvertUiText(item->Caption(), name);
    TClientDataSet* saved = module->cdsSaveCondition;
    if (!saved->Active() ||
        !saved->Locate("NCONDITION;CREATOR;PROGRAMME", VarArrayOf({name, Broker->UserID, Broker->ProgramID})))
        return;
    if (!FQueryDialog->LoadScheme(saved->FieldByName("ActivePage")->Value(),
                                  saved->FieldByName("VCONDITION")->AsString()))
        return;
    AnsiString where, order;
    FQueryDialog->BuildQuery(where, order);
    if (SQLType == 0) TAppServer(module->AppServer).SetTopRow(FQueryDialog->GetTopRow());
    RunQuery(where, order);
}

// ---- commands ----

void TfrmSingle::miOKClick(TObject*) {
    if (EditState != esBrowse) SaveRecord();
}

void TfrmSingle::miCancelClick(TObject*) {
    if (EditState != esBrowse) CancelEdit(true);
}

void TfrmSingle::miPrintClick(TObject*) {
    PreviewMode = false;
    PrintRecords();
}

void TfrmSingle::miPreviewClick(TObject*) {
    PreviewMode = true;
    PrintRecords();
    PreviewMode = false;
}

void TfrmSingle::miTable2ExcelClick(TObject*) {
    if (TdmSingle* module = SingleModule()) module->ExportToExcel(module->cdsMain, this, true);
}

void TfrmSingle::miTable2Excel2Click(TObject*) {
    if (TdmSingle* module = SingleModule()) module->ExportToXLSFile(module->cdsMain, this);
}

bool TfrmSingle::IsRecordSelected() const {
    return gdHead && gdHead->IsSelectedRecord();
}

void TfrmSingle::gdHeadCalcCellColors(TObject* sender, TField* field, TGridDrawState, bool highlight,
                                      TFont* font, TBrush* brush) {
    font->SetColor(clBlack);
    font->SetStyle(TFontStyles{});
    // Link cells read as links while browsing.
    if (EditState == esBrowse && field && IsLinkField(field->FieldName())) {
        font->SetColor(clBlue);
        font->SetStyle(TFontStyles{fsUnderline});
    }
    TdmSingle* module = SingleModule();
    if (!IsColorManage || !HeadColors || !module || highlight || !module->cdsMainColor->Active()) return;
    std::vector<Variant> values;
    for (int i = 1; i <= GetTokenCount(module->KeyFields, ","); ++i)
        if (TField* key = module->cdsMain->FindField(Trim(GetToken(module->KeyFields, ",", i))))
            values.push_back(key->Value());
    if (values.empty()) return;
    const Variant keys = values.size() == 1 ? values[0] : VarArrayOf(values);
    HeadColors->ApplyToRecord(dynamic_cast<TComponent*>(sender), field, brush, font, module->cdsMainColor,
                              keys, module->KeyFields);
}

void TfrmSingle::ColorDataChanged() {
    TfrmBase::ColorDataChanged();
    if (gdHead) gdHead->Invalidate();
}

void TfrmSingle::UpdateButtonStates() {
    TfrmBase::UpdateButtonStates();
    const bool editing = EditState != esBrowse;
    for (TToolButton* button : {btnOK, btnCancel})
        if (button) button->SetEnabled(editing);
    for (TMenuItem* item : {miOK, miCancel})
        if (item) item->SetEnabled(editing);
    const bool hasData =
        DataModule && BaseModule() && BaseModule()->cdsMain->Active() && !BaseModule()->cdsMain->IsEmpty();
    const bool printing = CanPrint && (OperationMask & OPERATION_PRINT);
    for (TMenuItem* item : {miPrint, miPreview})
        if (item) item->SetEnabled(hasData && !editing && printing);
    if (miVoucherFormats && btnPrint) miVoucherFormats->SetEnabled(btnPrint->Enabled());
    // The exports hand the records out as printing does: they follow the print right.
    for (TMenuItem* item : {miTable2Excel, miTable2Excel2})
        if (item) item->SetEnabled(hasData && !editing && printing);
    UpdateBatchMenu();
    if (tbsBrowse) tbsBrowse->SetTabVisible(!editing);
    if (btnColorQuery && btnQuery) btnColorQuery->SetEnabled(btnQuery->Enabled() && btnQuery->Visible());
}

// ---- services ----

AnsiString TfrmSingle::BuildAttachmentKey(const AnsiString& separator) {
    return FAttachments->BuildKey(separator);
}

void TfrmSingle::LoadAttachmentKeys() {
    FAttachments->LoadKeys();
}

bool TfrmSingle::HasAttachment() {
    return FAttachments->HasAttachment();
}

void TfrmSingle::ShowAttachments() {
    FAttachments->Show();
}

bool TfrmSingle::DeleteRecord(bool confirm) {
    const AnsiString key = BuildAttachmentKey("||");
    const bool deleted = TfrmBase::DeleteRecord(confirm);
    if (!deleted) return deleted;
    FAttachments->RecordDeleted(key);
    if (TdmSingle* module = SingleModule()) RecordChanged(module->cdsMain);
    return deleted;
}

AnsiString TfrmSingle::GetLinkKeyValue() {
    return FPrintFormats->GetLinkKeyValue();
}

void TfrmSingle::LoadVoucherFormats(TMenuItem* menu, bool force) {
    FPrintFormats->LoadVoucherFormats(menu, force);
}

void TfrmSingle::MenuItemVoucherFormatClick(TObject* sender) {
    FPrintFormats->MenuItemVoucherFormatClick(sender);
}

void TfrmSingle::ImportXml(const AnsiString& text) {
    FImport->ImportXml(text);
}

bool TfrmSingle::IsLinkField(const AnsiString& name) const {
    return FLinks->IsLinkField(name);
}

void TfrmSingle::LoadLinkFields() {
    FLinks->LoadLinkFields();
}

void TfrmSingle::gdHeadMouseMove(TObject* a0, TShiftState shift, int x, int y) {
    FLinks->gdHeadMouseMove(a0, shift, x, y);
}

void TfrmSingle::gdHeadMouseDown(TObject* a0, TMouseButton button, TShiftState a2, int x, int y) {
    FLinks->gdHeadMouseDown(a0, button, a2, x, y);
}

void TfrmSingle::gdHeadKeyUp(TObject* a0, Word& a1, TShiftState a2) {
    FLinks->gdHeadKeyUp(a0, a1, a2);
}

void TfrmSingle::FollowGridLink(TFDBGrid* grid, TDataSet* dataSet) {
    FLinks->FollowGridLink(grid, dataSet);
}

void TfrmSingle::BuildLinkQuery(const AnsiString& program, const AnsiString& table, AnsiString& result,
                                const AnsiString& where, const AnsiString& linkNo,
                                const AnsiString& otherTable) {
    FLinks->BuildLinkQuery(program, table, result, where, linkNo, otherTable);
}

AnsiString TfrmSingle::LoadColorXml() {
    return FColorFilter->LoadColorXml();
}

void TfrmSingle::FillColorMenu() {
    FColorFilter->FillColorMenu();
}

void TfrmSingle::DrawColorMenuItem(TObject* sender, TCanvas* canvas, TRect rect, bool selected) {
    FColorFilter->DrawColorMenuItem(sender, canvas, rect, selected);
}

void TfrmSingle::ColorMenuClick(TObject* sender) {
    FColorFilter->ColorMenuClick(sender);
}

void TfrmSingle::btnColorQueryClick(TObject* a0) {
    FColorFilter->btnColorQueryClick(a0);
}

void TfrmSingle::ApplyColorFilter() {
    FColorFilter->ApplyColorFilter();
}

TField* TfrmSingle::FindMainField(const AnsiString& table, const AnsiString& field) {
    return FUserFields->FindMainField(table, field);
}

TField* TfrmSingle::FindQualifiedField(const AnsiString& reference) {
    return FUserFields->FindQualifiedField(reference);
}

void TfrmSingle::SetupUserFields() {
    FUserFields->SetupUserFields();
}

AnsiString TfrmSingle::FormatSetting(const AnsiString& componentName, const AnsiString& name) {
    return FUserFields->FormatSetting(componentName, name);
}

void TfrmSingle::SetUDFLookupHints() {
    FUserFields->SetUDFLookupHints();
}

void TfrmSingle::DoF2Key(Word& key, TWinControl* control) {
    FUserFields->DoF2Key(key, control);
}

void TfrmSingle::OpenUDFLookup(TDataSet* dataSet, TDBEdit* edit) {
    FUserFields->OpenUDFLookup(dataSet, edit);
}

std::unique_ptr<TUDFFields> TfrmSingle::LoadUDFFields(const AnsiString& program, const AnsiString& tag,
                                                      const AnsiString& scope) {
    return FUserFields->LoadUDFFields(program, tag, scope);
}

std::unique_ptr<TUDFFields> TfrmSingle::LoadHeaderUDFFields(const AnsiString& program,
                                                            const AnsiString& tag) {
    return FUserFields->LoadHeaderUDFFields(program, tag);
}

void TfrmSingle::RestoreUDFHandlers() {
    FUserFields->RestoreUDFHandlers();
}

bool TfrmSingle::QueryUDFData(TUDFField* item, const TStrings* values, AnsiString& text) {
    return FUserFields->QueryUDFData(item, values, text);
}

void TfrmSingle::UDFFieldChanged(TField* field) {
    FUserFields->UDFFieldChanged(field);
}

void TfrmSingle::FillLinkedUDFValues(const AnsiString& program, const AnsiString& tag, TDataSet* dataSet,
                                     const std::vector<AnsiString>& values) {
    FUserFields->FillLinkedUDFValues(program, tag, dataSet, values);
}

void TfrmSingle::CollectEditableFields() {
    FUserFields->CollectEditableFields();
}

// ---- closing ----

int TfrmSingle::CloseResult() const {
    return OpenMode == OPEN_MODE_ADD_WITH_PARAM || OpenMode == OPEN_MODE_EDIT_WITH_PARAM ? 1 : 2;
}

void TfrmSingle::FormClose(TObject* sender, TCloseAction& action) {
    // The base frees the dialog's component: its wrapper goes first.
    FQueryDialog.reset();
    FQueryBinding.clear();
    // The close action stays the inherited one: the controller frees the form when the host is told
    // it closed.
    TfrmBase::FormClose(sender, action);
    ReturnCode = CloseResult();
}

void TfrmSingle::FormDestroy(TObject* sender) {
    RestoreUDFHandlers();
    HeadUDFFields.reset();
    HeadUDFDefaults.reset();
    FColorFilter->DropQueryDialog();
    HeadColors.reset();
    TfrmRadical::FormDestroy(sender);
}

void TfrmSingle::FormResize(TObject* sender) {
    TfrmRadical::FormResize(sender);
    if (Status && Status->Panels()->Count() > 1) Status->Panels()->Items(1)->SetWidth(Width() - 290);
}

// ---- numbering ----

AnsiString TfrmSingle::NextDocumentNo() {
    TdmSingle* module = SingleModule();
    if (!module || !Broker) return AnsiString();
    // The document date in the form's date kind; today without one.
    TDateTime date = Now();
    if (TField* field = module->DateField.empty() ? nullptr : module->cdsMain->FindField(module->DateField)) {
        if (auto* dateField = dynamic_cast<TDateTimeField*>(field)) {
            date = dateField->AsDateTime();
        } else {
            const AnsiString stored = field->AsString();
            int y = 0, m = 0, d = 0;
            if (stored.size() == 8 && TryStrToInt(stored.substr(0, 4), y) &&
                TryStrToInt(stored.substr(4, 2), m) && TryStrToInt(stored.substr(6, 2), d))
                TryEncodeDate(y, m, d, date);
        }
    }
    Variant number;
    try {
        Broker->QueryMaxSeq(module->cdsMain, module->MainTable, number,
                            FormatDateByKind(DateKind, DateSeparator, date), module->KeyFields);
    } catch (const Exception&) {
        number = Variant();
    }
    const AnsiString text = VarToStr(number);
    if (text.empty() || SameText(text, "unKnow") || SameText(text, "unknown")) {
        Broker->Say("E", "000033");
        return AnsiString();
    }
    return text;
}
