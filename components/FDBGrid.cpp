#include "components/FDBGrid.h"

#include <algorithm>
#include <cmath>

#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"

// ---- TFDBGridColors ----

void TFDBGridColors::Set(TColor& target, TColor value) {
    if (target == value) return;
    target = value;
    if (FGrid) FGrid->LayoutChanged();
}

void TFDBGridColors::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TFDBGridColors*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    FOddRecColor = other->FOddRecColor;
    FEvenRecColor = other->FEvenRecColor;
    FFocusRecColor = other->FFocusRecColor;
    if (FGrid) FGrid->LayoutChanged();
}

// ---- TCurrencyStyle ----

TCurrencyStyle::TCurrencyStyle(TFDBGrid* grid)
    : FGrid(grid), FCurrencyFont(new TFont), FNegativeFont(new TFont) {
    FCurrencyFont->SetOnChange(TNotifyEvent(this, &TCurrencyStyle::FontChanged));
    MeasureFont();
}

TCurrencyStyle::~TCurrencyStyle() = default;

void TCurrencyStyle::Changed() {
    if (FOnChange) FOnChange(this);
    if (FGrid) FGrid->Invalidate();
}

// The setters that change the drawing repaint; the colour and negative-display ones only matter, and
// so only repaint, while the value is negative.
#define KVR_CURRENCY_SETTER(Type, Name, Always)                                                              \
    void TCurrencyStyle::Set##Name(Type value) {                                                             \
        if (F##Name == value) return;                                                                        \
        F##Name = value;                                                                                     \
        if (Always || FNegative) Changed();                                                                  \
    }
KVR_CURRENCY_SETTER(bool, _Enabled, true)
KVR_CURRENCY_SETTER(bool, FixColWidth, true)
KVR_CURRENCY_SETTER(bool, CurrencySymbolAligned, true)
KVR_CURRENCY_SETTER(int, DecimalNumber, true)
KVR_CURRENCY_SETTER(TColor, DecimalSeparatorColor, false)
KVR_CURRENCY_SETTER(int, DigitalNumber, true)
KVR_CURRENCY_SETTER(TColor, GridLineColor, false)
KVR_CURRENCY_SETTER(int, GridLineWidth, false)
KVR_CURRENCY_SETTER(TColor, KilobitSeparatorColor, false)
KVR_CURRENCY_SETTER(int, MaxLength, false)
KVR_CURRENCY_SETTER(TColor, NegativeColor, false)
KVR_CURRENCY_SETTER(bool, ShowNegativeColor, false)
KVR_CURRENCY_SETTER(bool, ShowNegativeFont, false)
KVR_CURRENCY_SETTER(bool, ShowNegativeSign, false)
KVR_CURRENCY_SETTER(TTextLayout, TextLayout, true)
KVR_CURRENCY_SETTER(TColor, Color, false)
KVR_CURRENCY_SETTER(bool, ColorUseGridCellColor, true)
KVR_CURRENCY_SETTER(bool, ZeroEmpty, true)
#undef KVR_CURRENCY_SETTER

void TCurrencyStyle::SetCurrencySymbol(const AnsiString& value) {
    if (FCurrencySymbol == value) return;
    FCurrencySymbol = value;
    Changed();
}

void TCurrencyStyle::SetCurrencyNames(const AnsiString& value) {
    if (FCurrencyNames == value) return;
    FCurrencyNames = value;
    Changed();
}

void TCurrencyStyle::SetValue(Extended value) {
    FMagnitude = std::fabs(value);
    FNegative = value < 0;
}

void TCurrencyStyle::SetCurrencyFont(TFont* value) {
    if (value) FCurrencyFont->Assign(value);
    // The ledger's digits are never bold or italic.
    FCurrencyFont->SetStyle({});
}

void TCurrencyStyle::SetNegativeFont(TFont* value) {
    if (value) FNegativeFont->Assign(value);
    if (FNegative) Changed();
}

void TCurrencyStyle::FontChanged(TObject*) {
    MeasureFont();
    Changed();
}

void TCurrencyStyle::MeasureFont() {
    TCanvas canvas;
    canvas.Font()->Assign(FCurrencyFont.get());
    FENGWidth = canvas.TextWidth("0");
    FENGHeight = canvas.TextHeight("09");
    // The Chinese unit marks are measured in a font of the same face as high as "分".
    TCanvas chinese;
    chinese.Font()->Assign(FCurrencyFont.get());
    chinese.Font()->SetHeight(canvas.TextHeight("分"));
    FCHNWidth = chinese.TextWidth("分");
    FCHNHeight = chinese.TextHeight("分");
}

void TCurrencyStyle::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TCurrencyStyle*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    F_Enabled = other->F_Enabled, FFixColWidth = other->FFixColWidth;
    FCurrencySymbolAligned = other->FCurrencySymbolAligned, FDecimalNumber = other->FDecimalNumber;
    FDecimalSeparatorColor = other->FDecimalSeparatorColor, FDigitalNumber = other->FDigitalNumber;
    FGridLineColor = other->FGridLineColor, FGridLineWidth = other->FGridLineWidth;
    FKilobitSeparatorColor = other->FKilobitSeparatorColor, FMaxLength = other->FMaxLength;
    FNegativeColor = other->FNegativeColor, FShowNegativeColor = other->FShowNegativeColor;
    FShowNegativeFont = other->FShowNegativeFont, FShowNegativeSign = other->FShowNegativeSign;
    FTextLayout = other->FTextLayout, FColor = other->FColor;
    FColorUseGridCellColor = other->FColorUseGridCellColor, FZeroEmpty = other->FZeroEmpty;
    FCurrencySymbol = other->FCurrencySymbol, FCurrencyNames = other->FCurrencyNames;
    FMagnitude = other->FMagnitude, FNegative = other->FNegative;
    FNegativeFont->Assign(other->FNegativeFont.get());
    SetCurrencyFont(other->FCurrencyFont.get());
    Changed();
}

bool TCurrencyStyle::FieldDecimals(const AnsiString& fieldName, int& decimals) const {
    decimals = FDecimalNumber;
    size_t start = 0;
    while (start <= FCurrencyNames.size()) {
        size_t semi = FCurrencyNames.find(';', start);
        AnsiString entry =
            FCurrencyNames.substr(start, semi == AnsiString::npos ? AnsiString::npos : semi - start);
        size_t eq = entry.find('=');
        AnsiString name = Trim(entry.substr(0, eq));
        if (!name.empty() && SameText(name, Trim(fieldName))) {
            if (eq != AnsiString::npos) {
                int places = 0;
                if (TryStrToInt(Trim(entry.substr(eq + 1)), places) && places >= 0) decimals = places;
            }
            return true;
        }
        if (semi == AnsiString::npos) break;
        start = semi + 1;
    }
    return false;
}

void TCurrencyStyle::DrawField(TCanvas* canvas, const TRect& rect, bool empty, int topOffset, Extended value,
                               const AnsiString& fieldName) {
    int decimals = 0;
    if (!F_Enabled || !FieldDecimals(fieldName, decimals)) return;
    DrawCurrencyCell(canvas, rect, empty, topOffset, decimals, value);
}

void TCurrencyStyle::DrawCurrencyCell(TCanvas* canvas, const TRect& rect, bool empty, int topOffset, int d,
                                      Extended value) {
    if (!canvas || rect.Width() <= 0 || rect.Height() <= 0) return;
    const TColor savedFont = canvas->Font()->Color();
    TFont saved;
    saved.Assign(canvas->Font());
    const TColor savedBrush = canvas->Brush()->Color();
    const bool negative = value < 0;
    const int line = std::max(0, FGridLineWidth);
    d = std::max(0, d);

    // 1. Columns: the digit count drawn is worked out here and kept local (writing the property would
    // repaint the grid from inside its own painting).
    canvas->Font()->Assign(negative && FShowNegativeFont ? FNegativeFont.get() : FCurrencyFont.get());
    int digits = FDigitalNumber, colWidth = 0;
    if (FFixColWidth) {
        colWidth = canvas->TextWidth("0") + 1;
        digits = colWidth + line > 0 ? rect.Width() / (line + colWidth) : 0;
    } else if (digits > 0) {
        colWidth = (rect.Width() - line * (digits - 1)) / digits;
    }
    // 2. Background.
    if (FColorUseGridCellColor) FColor = savedBrush;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(negative && FShowNegativeColor ? FNegativeColor : FColor);
    canvas->FillRect(rect);
    if (digits <= 0 || colWidth <= 0) {
        canvas->Font()->Assign(&saved);
        canvas->Font()->SetColor(savedFont);
        canvas->Brush()->SetColor(savedBrush);
        return;
    }
    const int first = rect.Width() - (digits * colWidth + (digits - 1) * line) + colWidth;
    auto columnLeft = [&](int i) {
        return i == 0 ? rect.Left : rect.Left + first + (i - 1) * (colWidth + line) + line;
    };
    auto columnRight = [&](int i) { return i == 0 ? rect.Left + first : columnLeft(i) + colWidth; };
    // 3. The lines between the columns: the decimal point's, every third one of the integer part, the rest.
    for (int i = 0; i + 1 < digits; ++i) {
        const int right = digits - 1 - i; // columns right of this line
        TColor color = FGridLineColor;
        if (d > 0 && right == d)
            color = FDecimalSeparatorColor;
        else if (right > d && (right - d) % 3 == 0)
            color = FKilobitSeparatorColor;
        canvas->Brush()->SetColor(color);
        int x = columnRight(i);
        canvas->FillRect({x, rect.Top - topOffset, x + line, rect.Bottom});
    }
    // 4. Nothing in the columns for an empty cell or a zero shown empty.
    if (!(empty || (FZeroEmpty && value == 0))) {
        // 5. The digits, right-aligned so that the decimals take the last columns.
        AnsiString pattern = d > 0 ? "0." + AnsiString(static_cast<size_t>(d), '0') : AnsiString("0");
        AnsiString text = FormatFloat(pattern, FShowNegativeSign ? value : std::fabs(value));
        AnsiString chars;
        for (char c : text)
            if (c != '.') chars += c;
        const bool symbol = !FCurrencySymbol.empty();
        if (static_cast<int>(chars.size()) + (symbol ? 1 : 0) > digits)
            chars = AnsiString(static_cast<size_t>(digits), '#');
        canvas->Brush()->SetStyle(bsClear);
        const int textHeight = canvas->TextHeight("09");
        int y = rect.Top;
        if (FTextLayout == tlCenter)
            y = rect.Top + (rect.Height() - textHeight) / 2 + 1;
        else if (FTextLayout == tlBottom)
            y = rect.Bottom - textHeight;
        auto drawIn = [&](int column, const AnsiString& s) {
            int left = columnLeft(column), width = columnRight(column) - left;
            canvas->TextOut(left + (width - canvas->TextWidth(s)) / 2, y, s);
        };
        const int start = digits - static_cast<int>(chars.size());
        for (int i = 0; i < static_cast<int>(chars.size()); ++i)
            drawIn(start + i, AnsiString(1, chars[static_cast<size_t>(i)]));
        if (symbol && chars[0] != '#') drawIn(FCurrencySymbolAligned ? 0 : start - 1, FCurrencySymbol);
        canvas->Brush()->SetStyle(bsSolid);
    }
    canvas->Font()->Assign(&saved);
    canvas->Font()->SetColor(savedFont);
    canvas->Brush()->SetColor(savedBrush);
}

// ---- TFDBGrid ----

TFDBGrid::TFDBGrid(TComponent* owner)
    : TwwDBGrid(owner), FChecked(new TBitmap), FUnchecked(new TBitmap), FGridColors(new TFDBGridColors(this)),
      FCurrencyFields(new TCurrencyStyle(this)) {
    for (auto [bitmap, name] :
         {std::pair{FChecked.get(), "CHECKED"}, std::pair{FUnchecked.get(), "UNCHECKED"}}) {
        try {
            bitmap->LoadFromResourceName(name);
            bitmap->SetTransparent(true);
        } catch (const Exception&) {
            bitmap->SetSize(0, 0); // no picture: the library's own box is drawn
        }
    }
}

TFDBGrid::~TFDBGrid() = default;

void TFDBGrid::SetGrawGridInBlank(bool value) {
    if (FGrawGridInBlank == value) return;
    FGrawGridInBlank = value;
    Invalidate();
}

void TFDBGrid::DoCalcCellColors(TField* field, TGridDrawState state, bool highlight, TFont* font,
                                TBrush* brush) {
    if (DataSet() && state == TGridDrawState{gdFixed}) return;
    if (DataSet()) {
        // An inserted record counts in its place, so the colours keep alternating.
        const int number = RecordNumberOf(DrawingRow());
        const TColor color = number % 2 ? FGridColors->OddRecColor() : FGridColors->EvenRecColor();
        brush->SetColor(color);
        FLastRowColor = color;
        if (DrawingRow() == ActiveRow()) brush->SetColor(FGridColors->FocusRecColor());
        font->SetColor(Font()->Color());
    }
    TwwDBGrid::DoCalcCellColors(field, state, highlight, font, brush);
}

void TFDBGrid::DrawCheckBox(const TRect& rect, bool checked) {
    TBitmap* picture = checked ? FChecked.get() : FUnchecked.get();
    if (picture->Empty()) {
        TwwDBGrid::DrawCheckBox(rect, checked);
        return;
    }
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->FillRect(rect);
    Canvas()->Draw(rect.Left + (rect.Width() - picture->Width()) / 2 + 2,
                   rect.Top + (rect.Height() - picture->Height()) / 2 + 1, picture);
}

void TFDBGrid::DrawDataCell(const TRect& rect, TField* field, TGridDrawState state) {
    TwwDBGrid::DrawDataCell(rect, field, state);
    if (!field) return;
    const Extended value = StrToFloatDef(field->Text(), 0);
    FCurrencyFields->DrawField(Canvas(), rect, false, GridLineWidth(), value, field->FieldName());
}

int TFDBGrid::LastDataRowBottom() const {
    const int records = VisibleRecordCount();
    const int row = records > 0 ? FixedRows() + records - 1 : FixedRows() - 1;
    if (row < 0) return 0;
    TRect r = CellRect(FixedCols() > 0 ? 0 : LeftCol(), row);
    return r.Bottom;
}

void TFDBGrid::Paint() {
    TwwDBGrid::Paint();
    if (!FGrawGridInBlank) return;
    TCanvas* canvas = Canvas();
    const TColor savedBrush = canvas->Brush()->Color(), savedPen = canvas->Pen()->Color();
    const int line = GridLineWidth();
    const int rowHeight = DefaultRowHeight() + line;
    int top = LastDataRowBottom() + line;
    const int rows = rowHeight > 0 ? std::max(0, ClientHeight() - top) / rowHeight + 1 : 0;
    // The blank rows go on alternating after the last data row's colour.
    bool odd = FLastRowColor != FGridColors->OddRecColor();
    const bool rowLines = Options().Contains(dgRowLines), colLines = Options().Contains(dgColLines);
    for (int r = 0; r < rows; ++r, top += rowHeight, odd = !odd) {
        for (int col = 0; col < ColCount(); ++col) {
            if (col >= FixedCols() && col < LeftCol()) continue;
            TRect head = CellRect(col, 0);
            if (head.Width() <= 0) continue;
            TRect cell{head.Left, top, head.Right, top + DefaultRowHeight()};
            const bool fixed = col < FixedCols();
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(fixed ? TitleColor()
                                      : odd ? FGridColors->OddRecColor()
                                            : FGridColors->EvenRecColor());
            canvas->FillRect(cell);
            // Raised edges where the grid draws its lines.
            const TColor shadow = fixed ? clBlack : clBtnShadow;
            canvas->Pen()->SetColor(clWhite);
            if (rowLines) canvas->MoveTo(cell.Left, cell.Top), canvas->LineTo(cell.Right, cell.Top);
            if (colLines) canvas->MoveTo(cell.Left, cell.Top), canvas->LineTo(cell.Left, cell.Bottom);
            canvas->Pen()->SetColor(shadow);
            if (rowLines)
                canvas->MoveTo(cell.Left, cell.Bottom - 1), canvas->LineTo(cell.Right, cell.Bottom - 1);
            if (colLines)
                canvas->MoveTo(cell.Right - 1, cell.Top), canvas->LineTo(cell.Right - 1, cell.Bottom);
        }
    }
    canvas->Brush()->SetColor(savedBrush);
    canvas->Pen()->SetColor(savedPen);
}

void TFDBGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TwwDBGrid::MouseDown(button, shift, x, y);
    TDataSet* ds = DataSet();
    if (button != mbLeft || !ds || !ds->Active()) return;
    if (y <= LastDataRowBottom() || y >= ClientHeight()) return;
    // The data column under the click, by the title row's geometry.
    int clicked = -1;
    for (int col = FixedCols(); col < ColCount(); ++col) {
        TRect head = CellRect(col, 0);
        if (head.Width() > 0 && x >= head.Left && x < head.Right + GridLineWidth()) clicked = col;
    }
    if (clicked < 0) return;
    if (ds->State() == dsInsert && !ds->Modified()) {
        if (ds->Appending()) {
            SetCol(clicked);
            return;
        }
        ds->Cancel();
    }
    if (!ds->CanModify() || ReadOnly() || !Options().Contains(dgEditing) ||
        !KeyOptions().Contains(dgAllowInsert))
        return;
    HideEditor();
    ds->Append();
    SetCol(clicked);
}

KVR_PUBLISHED(TFDBGridColors, c) {
    c.Property("OddRecColor", &TFDBGridColors::OddRecColor, &TFDBGridColors::SetOddRecColor)
        .Type("TColor")
        .Default(15532027);
    c.Property("EvenRecColor", &TFDBGridColors::EvenRecColor, &TFDBGridColors::SetEvenRecColor)
        .Type("TColor")
        .Default(15202766);
    c.Property("FocusRecColor", &TFDBGridColors::FocusRecColor, &TFDBGridColors::SetFocusRecColor)
        .Type("TColor")
        .Default(15916215);
}

KVR_PUBLISHED(TCurrencyStyle, c) {
    c.Property("_Enabled", &TCurrencyStyle::_Enabled, &TCurrencyStyle::Set_Enabled).Default(false);
    c.Property("FixColWidth", &TCurrencyStyle::FixColWidth, &TCurrencyStyle::SetFixColWidth).Default(true);
    c.Property("CurrencyFont", &TCurrencyStyle::CurrencyFont, &TCurrencyStyle::SetCurrencyFont);
    c.Property("CHNWidth", &TCurrencyStyle::CHNWidth, nullptr);
    c.Property("ENGWidth", &TCurrencyStyle::ENGWidth, nullptr);
    c.Property("CHNHeight", &TCurrencyStyle::CHNHeight, nullptr);
    c.Property("ENGHeight", &TCurrencyStyle::ENGHeight, nullptr);
    c.Property("OnChange", &TCurrencyStyle::OnChange, &TCurrencyStyle::SetOnChange);
    c.Property("CurrencySymbol", &TCurrencyStyle::CurrencySymbol, &TCurrencyStyle::SetCurrencySymbol);
    c.Property("CurrencySymbolAligned", &TCurrencyStyle::CurrencySymbolAligned,
               &TCurrencyStyle::SetCurrencySymbolAligned)
        .Default(false);
    c.Property("DecimalNumber", &TCurrencyStyle::DecimalNumber, &TCurrencyStyle::SetDecimalNumber).Default(2);
    c.Property("DecimalSeparatorColor", &TCurrencyStyle::DecimalSeparatorColor,
               &TCurrencyStyle::SetDecimalSeparatorColor)
        .Type("TColor")
        .Default(255);
    c.Property("DigitalNumber", &TCurrencyStyle::DigitalNumber, &TCurrencyStyle::SetDigitalNumber)
        .Default(10);
    c.Property("GridLineColor", &TCurrencyStyle::GridLineColor, &TCurrencyStyle::SetGridLineColor)
        .Type("TColor")
        .Default(12632256);
    c.Property("GridLineWidth", &TCurrencyStyle::GridLineWidth, &TCurrencyStyle::SetGridLineWidth).Default(1);
    c.Property("KilobitSeparatorColor", &TCurrencyStyle::KilobitSeparatorColor,
               &TCurrencyStyle::SetKilobitSeparatorColor)
        .Type("TColor")
        .Default(32768);
    c.Property("MaxLength", &TCurrencyStyle::MaxLength, &TCurrencyStyle::SetMaxLength).Default(18);
    c.Property("NegativeColor", &TCurrencyStyle::NegativeColor, &TCurrencyStyle::SetNegativeColor)
        .Type("TColor")
        .Default(255);
    c.Property("NegativeFont", &TCurrencyStyle::NegativeFont, &TCurrencyStyle::SetNegativeFont);
    c.Property("ShowNegativeColor", &TCurrencyStyle::ShowNegativeColor, &TCurrencyStyle::SetShowNegativeColor)
        .Default(false);
    c.Property("ShowNegativeFont", &TCurrencyStyle::ShowNegativeFont, &TCurrencyStyle::SetShowNegativeFont)
        .Default(false);
    c.Property("ShowNegativeSign", &TCurrencyStyle::ShowNegativeSign, &TCurrencyStyle::SetShowNegativeSign)
        .Default(true);
    c.Property("TextLayout", &TCurrencyStyle::TextLayout, &TCurrencyStyle::SetTextLayout).Default(tlCenter);
    c.Property("Value", &TCurrencyStyle::Value, &TCurrencyStyle::SetValue);
    c.Property("Color", &TCurrencyStyle::Color, &TCurrencyStyle::SetColor).Type("TColor").Default(16777215);
    c.Property("ColorUseGridCellColor", &TCurrencyStyle::ColorUseGridCellColor,
               &TCurrencyStyle::SetColorUseGridCellColor)
        .Default(true);
    // The stream default agrees with the constructor's False, so that a stream can switch it on.
    c.Property("ZeroEmpty", &TCurrencyStyle::ZeroEmpty, &TCurrencyStyle::SetZeroEmpty).Default(false);
    c.Property("CurrencyNames", &TCurrencyStyle::CurrencyNames, &TCurrencyStyle::SetCurrencyNames);
}

KVR_PUBLISHED(TFDBGrid, c) {
    c.Property("GridColors", &TFDBGrid::GridColors, &TFDBGrid::SetGridColors);
    c.Property("CHNCurrencyFields", &TFDBGrid::CHNCurrencyFields, nullptr);
    c.Property("GrawGridInBlank", &TFDBGrid::GrawGridInBlank, &TFDBGrid::SetGrawGridInBlank).Default(true);
}
