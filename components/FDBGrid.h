#pragma once
// TFDBGrid: the data grid of the document forms. Over the library's grid it paints alternating row
// colours and a focused-row colour, bitmap check boxes in Boolean cells, grid lines on into the empty
// area below the last row, appends a record on a click in that area, and can draw amount cells in the
// ledger style, one box per digit (TCurrencyStyle).
#include <memory>

#include "classlib/controls/stdctrls.h"
#include "classlib/dbctrls/wwdbgrid.h"
#include "classlib/graphics/bitmap.h"

class TFDBGrid;

class TFDBGridColors : public TPersistent {
    KVR_CLASS(TFDBGridColors, TPersistent)
public:
    explicit TFDBGridColors(TFDBGrid* grid = nullptr) : FGrid(grid) {}
    TColor OddRecColor() const { return FOddRecColor; }
    void SetOddRecColor(TColor value) { Set(FOddRecColor, value); }
    TColor EvenRecColor() const { return FEvenRecColor; }
    void SetEvenRecColor(TColor value) { Set(FEvenRecColor, value); }
    TColor FocusRecColor() const { return FFocusRecColor; }
    void SetFocusRecColor(TColor value) { Set(FFocusRecColor, value); }
    void Assign(TPersistent* source) override;

private:
    void Set(TColor& target, TColor value);
    TFDBGrid* FGrid;
    TColor FOddRecColor = 15532027;
    TColor FEvenRecColor = 15202766;
    TColor FFocusRecColor = 15916215;
};

class TCurrencyStyle : public TPersistent {
    KVR_CLASS(TCurrencyStyle, TPersistent)
public:
    explicit TCurrencyStyle(TFDBGrid* grid = nullptr);
    ~TCurrencyStyle() override;

#define KVR_CURRENCY_PROP(Type, Name, Default)                                                               \
public:                                                                                                      \
    Type Name() const {                                                                                      \
        return F##Name;                                                                                      \
    }                                                                                                        \
    void Set##Name(Type value);                                                                              \
                                                                                                             \
private:                                                                                                     \
    Type F##Name = Default;
    KVR_CURRENCY_PROP(bool, _Enabled, false)
    KVR_CURRENCY_PROP(bool, FixColWidth, true)
    KVR_CURRENCY_PROP(bool, CurrencySymbolAligned, false)
    KVR_CURRENCY_PROP(int, DecimalNumber, 2)
    KVR_CURRENCY_PROP(TColor, DecimalSeparatorColor, 255)
    KVR_CURRENCY_PROP(int, DigitalNumber, 10)
    KVR_CURRENCY_PROP(TColor, GridLineColor, 12632256)
    KVR_CURRENCY_PROP(int, GridLineWidth, 1)
    KVR_CURRENCY_PROP(TColor, KilobitSeparatorColor, 32768)
    KVR_CURRENCY_PROP(int, MaxLength, 18)
    KVR_CURRENCY_PROP(TColor, NegativeColor, 255)
    KVR_CURRENCY_PROP(bool, ShowNegativeColor, false)
    KVR_CURRENCY_PROP(bool, ShowNegativeFont, false)
    KVR_CURRENCY_PROP(bool, ShowNegativeSign, true)
    KVR_CURRENCY_PROP(TTextLayout, TextLayout, tlCenter)
    KVR_CURRENCY_PROP(TColor, Color, 16777215)
    KVR_CURRENCY_PROP(bool, ColorUseGridCellColor, true)
    KVR_CURRENCY_PROP(bool, ZeroEmpty, false)
#undef KVR_CURRENCY_PROP
public:
    const AnsiString& CurrencySymbol() const {
        return FCurrencySymbol;
    }
    void SetCurrencySymbol(const AnsiString& value);
    const AnsiString& CurrencyNames() const {
        return FCurrencyNames;
    }
    void SetCurrencyNames(const AnsiString& value);
    Extended Value() const {
        return FNegative ? -FMagnitude : FMagnitude;
    }
    void SetValue(Extended value);
    TFont* CurrencyFont() const {
        return FCurrencyFont.get();
    }
    void SetCurrencyFont(TFont* value);
    TFont* NegativeFont() const {
        return FNegativeFont.get();
    }
    void SetNegativeFont(TFont* value);
    int CHNWidth() const {
        return FCHNWidth;
    }
    int ENGWidth() const {
        return FENGWidth;
    }
    int CHNHeight() const {
        return FCHNHeight;
    }
    int ENGHeight() const {
        return FENGHeight;
    }
    const TNotifyEvent& OnChange() const {
        return FOnChange;
    }
    void SetOnChange(const TNotifyEvent& value) {
        FOnChange = value;
    }

    void Assign(TPersistent* source) override;
    // OnChange, then the grid repaints.
    virtual void Changed();
    // Draws a value in ledger style with d decimals (see the unit's source for the layout).
    void DrawCurrencyCell(TCanvas* canvas, const TRect& rect, bool empty, int topOffset, int d,
                          Extended value);
    // Draws the value when the style is on and the field is one of CurrencyNames ("NAME" or "NAME=D").
    void DrawField(TCanvas* canvas, const TRect& rect, bool empty, int topOffset, Extended value,
                   const AnsiString& fieldName);
    // The decimals of a field of CurrencyNames; false when the field is none of them.
    bool FieldDecimals(const AnsiString& fieldName, int& decimals) const;

private:
    void MeasureFont();
    void FontChanged(TObject* sender);
    TFDBGrid* FGrid;
    AnsiString FCurrencySymbol;
    AnsiString FCurrencyNames = ";;";
    Extended FMagnitude = 0;
    bool FNegative = false;
    std::unique_ptr<TFont> FCurrencyFont, FNegativeFont;
    int FCHNWidth = 0, FENGWidth = 0, FCHNHeight = 0, FENGHeight = 0;
    TNotifyEvent FOnChange;
};

class TFDBGrid : public TwwDBGrid {
    KVR_CLASS(TFDBGrid, TwwDBGrid)
public:
    explicit TFDBGrid(TComponent* owner);
    ~TFDBGrid() override;

    TFDBGridColors* GridColors() const { return FGridColors.get(); }
    void SetGridColors(TFDBGridColors* value) { FGridColors->Assign(value); }
    TCurrencyStyle* CHNCurrencyFields() const { return FCurrencyFields.get(); }
    bool GrawGridInBlank() const { return FGrawGridInBlank; }
    void SetGrawGridInBlank(bool value);
    // The colour the last data row drew with (before the focused-row colour).
    TColor LastRowColor() const { return FLastRowColor; }

protected:
    void Paint() override;
    void DoCalcCellColors(TField* field, TGridDrawState state, bool highlight, TFont* font,
                          TBrush* brush) override;
    void DrawCheckBox(const TRect& rect, bool checked) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DrawDataCell(const TRect& rect, TField* field, TGridDrawState state) override;

private:
    // The bottom of the last data row (of the title row when there are no records).
    int LastDataRowBottom() const;
    std::unique_ptr<TBitmap> FChecked, FUnchecked;
    std::unique_ptr<TFDBGridColors> FGridColors;
    std::unique_ptr<TCurrencyStyle> FCurrencyFields;
    bool FGrawGridInBlank = true;
    TColor FLastRowColor = clNone;
};
