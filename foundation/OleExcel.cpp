#include "foundation/OleExcel.h"

#include <cmath>

#include "classlib/automation/comobj.h"
#include "foundation/VeltraneIni.h"

namespace {

constexpr int xlUnderlineStyleSingle = 2;
constexpr int xlUnderlineStyleNone = -4142;
constexpr TColor NegativeColor = 255; // red

bool HoldsObject(const Variant& value) {
    return VarIsDispatch(value) && !VarIsEmpty(value);
}

} // namespace

TOLEExcel::TOLEExcel(TComponent* owner) : TComponent(owner) {
    const TVeltraneIniC ini;
    if (!ini.UICodePage.empty()) FUICodePage = ini.UICodePage;
}

TOLEExcel::~TOLEExcel() {
    // A server that failed to quit while disconnecting is asked once more; nothing may escape here.
    try {
        SetConnected(false);
    } catch (...) {
    }
    if (FAutoCloseExcel && HoldsObject(FExcelApp)) {
        try {
            VarCall(FExcelApp, "Quit");
        } catch (...) {
        }
    }
}

bool TOLEExcel::Connected() const {
    return HoldsObject(FExcelApp);
}

void TOLEExcel::SetConnected(bool value) {
    if (value) {
        if (!ComponentState().Contains(csDesigning)) FExcelApp = CreateOleObject("Excel.Application");
        return;
    }
    if (!Connected()) return;
    if (FAutoCloseExcel) VarCall(FExcelApp, "Quit");
    FExcelApp.Clear();
    FWorkbook.Clear();
    FSheet.Clear();
}

void TOLEExcel::SetVisible(bool value) {
    if (!Connected()) return;
    FVisible = value;
    VarSet(FExcelApp, "Visible", value);
}

void TOLEExcel::NewWorkbook() {
    if (!Connected()) return;
    VarSet(FExcelApp, "SheetsInNewWorkbook", 1);
    FWorkbook = VarCall(VarGet(FExcelApp, "WorkBooks"), "Add");
    if (HoldsObject(FWorkbook)) FSheet = VarGet(FWorkbook, "ActiveSheet");
}

void TOLEExcel::SetSheetName(const AnsiString& name) {
    if (HoldsObject(FSheet)) VarSet(FSheet, "Name", name);
}

void TOLEExcel::SaveAs(const AnsiString& fileName) {
    if (HoldsObject(FWorkbook)) VarCall(FWorkbook, "SaveAs", {fileName});
}

void TOLEExcel::SelectCell(int row, int col) {
    if (HoldsObject(FSheet)) VarCall(Cell(row, col), "Select");
}

Variant TOLEExcel::Cell(int row, int col) const {
    return VarGet(FSheet, "Cells", {row, col});
}

void TOLEExcel::ApplyFont(const Variant& cellFont, TFont* font) {
    VarSet(cellFont, "Name", font->Name());
    const TFontStyles style = font->Style();
    const bool bold = style.Contains(fsBold), italic = style.Contains(fsItalic);
    if (bold || italic)
        VarSet(cellFont, "FontStyle", bold && italic ? "Bold Italic" : bold ? "Bold" : "Italic");
    VarSet(cellFont, "Underline",
           style.Contains(fsUnderline) ? xlUnderlineStyleSingle : xlUnderlineStyleNone);
    VarSet(cellFont, "Strikethrough", style.Contains(fsStrikeOut));
    VarSet(cellFont, "Size", font->Size());
}

// The number formats go on the cell being written: formatting another cell would leave this one in
// the General format, where a code written as text loses its leading zeros.
void TOLEExcel::WriteText(int row, int col, TFont* font, bool asText, const AnsiString& text) {
    const Variant cell = Cell(row, col);
    if (asText) VarSet(cell, "NumberFormatLocal", "@");
    if (font) ApplyFont(VarGet(cell, "Font"), font);
    VarSet(cell, "Value", text);
}

void TOLEExcel::WriteGeneral(int row, int col, const AnsiString& text) {
    const Variant cell = Cell(row, col);
    VarSet(cell, "NumberFormatLocal", "G/通用格式");
    VarSet(cell, "Value", text);
}

void TOLEExcel::WriteInteger(int row, int col, bool withFormat, int value) {
    const Variant cell = Cell(row, col);
    if (withFormat) VarSet(cell, "NumberFormatLocal", "0_ ");
    VarSet(cell, "Value", value);
}

void TOLEExcel::WriteNumber(int row, int col, TFont* font, bool withFormat, double value) {
    const Variant cell = Cell(row, col);
    if (withFormat) VarSet(cell, "NumberFormatLocal", NumberFormat());
    if (font) {
        const Variant cellFont = VarGet(cell, "Font");
        if (CompareFloat(0, value) == -1) VarSet(cellFont, "Color", NegativeColor);
        ApplyFont(cellFont, font);
    }
    VarSet(cell, "Value", value);
}

void TOLEExcel::WriteError(int row, int col) {
    const Variant cell = Cell(row, col);
    VarSet(VarGet(cell, "Font"), "ColorIndex", 3);
    VarSet(cell, "Value", AnsiString("Error!"));
}

AnsiString TOLEExcel::NumberFormat() const {
    const AnsiString d = FDecimals == 0 ? AnsiString("0") : "0." + AnsiString(FDecimals, '0');
    const AnsiString t = FThousandSign.empty() ? AnsiString() : "#" + FThousandSign + "##";
    const AnsiString n = t + d;
    switch (FNumberType) {
    case tp_Number1:
    case tp_Number2:
        return n + "_);(" + n + ")";
    case tp_Number3:
        return n + ";" + n;
    case tp_Number4:
        return n + "_ ";
    case tp_Number5:
        return n + "_ ;-" + n + " ";
    }
    return n;
}

int TOLEExcel::CompareFloat(double a, double b) {
    if (std::fabs(b - a) < 1e-8) return 0;
    return b > a ? 1 : -1;
}

KVR_PUBLISHED(TOLEExcel, c) {
    c.Property("AfterConnect", &TOLEExcel::AfterConnect, &TOLEExcel::SetAfterConnect);
    c.Property("AutoCloseExcel", &TOLEExcel::AutoCloseExcel, &TOLEExcel::SetAutoCloseExcel).Default(true);
    c.Property("BeforeConnect", &TOLEExcel::BeforeConnect, &TOLEExcel::SetBeforeConnect);
    c.Property("OnOpenBook", &TOLEExcel::OnOpenBook, &TOLEExcel::SetOnOpenBook);
    c.Property("OnCloseBook", &TOLEExcel::OnCloseBook, &TOLEExcel::SetOnCloseBook);
    c.Property("Decimals", &TOLEExcel::Decimals, &TOLEExcel::SetDecimals).Default(0);
    c.Property("DecimalSeparator", &TOLEExcel::DecimalSeparator, &TOLEExcel::SetDecimalSeparator)
        .Default('.');
    c.Property("ExceptRaise", &TOLEExcel::ExceptRaise, &TOLEExcel::SetExceptRaise).Default(true);
    c.Property("Visible", &TOLEExcel::Visible, &TOLEExcel::SetVisible).Default(false);
    c.Property("DateType", &TOLEExcel::DateType, &TOLEExcel::SetDateType).Default(tpDate_8);
    c.Property("TimeType", &TOLEExcel::TimeType, &TOLEExcel::SetTimeType).Default(tp_Time1);
    c.Property("DateTimeType", &TOLEExcel::DateTimeType, &TOLEExcel::SetDateTimeType).Default(tp_DateTime1);
    c.Property("NumberType", &TOLEExcel::NumberType, &TOLEExcel::SetNumberType).Default(tp_Number4);
    c.Property("ThousandSign", &TOLEExcel::ThousandSign, &TOLEExcel::SetThousandSign);
    c.Property("UICodePage", &TOLEExcel::UICodePage, &TOLEExcel::SetUICodePage);
}
