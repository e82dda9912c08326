#pragma once
// TOLEExcel: drives the spreadsheet program through its automation server "Excel.Application", reached
// by late binding only: start it, open a workbook of one sheet, name the sheet, write text, integer and
// number cells with fonts and number formats, save, close.
//
//     excel->SetConnected(true);      // starts the server
//     excel->NewWorkbook();
//     excel->SetSheetName("KVRX58");
//     excel->WriteText(1, 1, font, true, "00123");   // kept as text: the cell is formatted "@"
//     excel->WriteNumber(2, 1, font, true, -12.5);   // red, in NumberFormat()
//     excel->SaveAs("C:\\Temp\\x.xls");
//     excel->SetConnected(false);     // quits the server (AutoCloseExcel)
//
// Rows and columns count from 1. Failures of the server are not caught here: they reach the caller as
// EOleError / EOleException. Calls made while the object they need (server, workbook, sheet) is absent
// do nothing, except the cell writers, which need a sheet and raise without one.
#include "classlib/graphics/graphics.h"
#include "classlib/objects/component.h"
#include "classlib/objects/delegate.h"
#include "classlib/rtl/variants.h"

KVR_ENUM(TDateType, tpDate_1, tpDate_2, tpDate_3, tpDate_4, tpDate_5, tpDate_6, tpDate_7, tpDate_8, tpDate_9,
         tpDate_10, tpDate_11);
KVR_ENUM(TTimeType, tp_Time1, tp_Time2, tp_Time3, tp_Time4, tp_Time5, tp_Time6, tp_Time7, tp_Time8);
KVR_ENUM(TDateTimeType, tp_DateTime1, tp_DateTime2);
KVR_ENUM(TNumberType, tp_Number1, tp_Number2, tp_Number3, tp_Number4, tp_Number5);

class TOLEExcel : public TComponent {
    KVR_CLASS(TOLEExcel, TComponent)
public:
    explicit TOLEExcel(TComponent* owner);
    ~TOLEExcel() override;

    // Starts the server (not while the component is being designed), or quits it (when AutoCloseExcel)
    // and lets go of application, workbook and sheet.
    void SetConnected(bool value);
    bool Connected() const;
    // Only while connected: the server's window shows or hides.
    void SetVisible(bool value);
    bool Visible() const { return FVisible; }

    // A workbook of one sheet, which becomes the sheet written to.
    void NewWorkbook();
    void SetSheetName(const AnsiString& name);
    void SaveAs(const AnsiString& fileName);
    void SelectCell(int row, int col);

    // Each writer formats the cell it writes. AsText: the cell's format is text ("@"), so a code such as
    // "00123" keeps its zeros. A font gives the cell its name, bold/italic, underline, strike-through
    // and size.
    void WriteText(int row, int col, TFont* font, bool asText, const AnsiString& text);
    // WithFormat: "0_ ".
    void WriteInteger(int row, int col, bool withFormat, int value);
    // WithFormat: NumberFormat(). With a font, a negative value is red.
    void WriteNumber(int row, int col, TFont* font, bool withFormat, double value);
    // The text in a cell of the general format ("G/通用格式"), which reads a figure as a number.
    void WriteGeneral(int row, int col, const AnsiString& text);
    // A cell whose value could not be written: "Error!" in red (colour index 3).
    void WriteError(int row, int col);

    // The number format that NumberType, Decimals and ThousandSign describe, e.g. "#,##0.00_ ".
    AnsiString NumberFormat() const;
    // 0 when A and B differ by less than 1e-8, 1 when B is the greater, -1 otherwise.
    static int CompareFloat(double a, double b);

    // ---- published ----
    const TNotifyEvent& AfterConnect() const { return FAfterConnect; }
    void SetAfterConnect(const TNotifyEvent& value) { FAfterConnect = value; }
    const TNotifyEvent& BeforeConnect() const { return FBeforeConnect; }
    void SetBeforeConnect(const TNotifyEvent& value) { FBeforeConnect = value; }
    const TNotifyEvent& OnOpenBook() const { return FOnOpenBook; }
    void SetOnOpenBook(const TNotifyEvent& value) { FOnOpenBook = value; }
    const TNotifyEvent& OnCloseBook() const { return FOnCloseBook; }
    void SetOnCloseBook(const TNotifyEvent& value) { FOnCloseBook = value; }
    bool AutoCloseExcel() const { return FAutoCloseExcel; }
    void SetAutoCloseExcel(bool value) { FAutoCloseExcel = value; }
    Word Decimals() const { return FDecimals; }
    void SetDecimals(Word value) { FDecimals = value; }
    char DecimalSeparator() const { return FDecimalSeparator; }
    void SetDecimalSeparator(char value) { FDecimalSeparator = value; }
    bool ExceptRaise() const { return FExceptRaise; }
    void SetExceptRaise(bool value) { FExceptRaise = value; }
    TDateType DateType() const { return FDateType; }
    void SetDateType(TDateType value) { FDateType = value; }
    TTimeType TimeType() const { return FTimeType; }
    void SetTimeType(TTimeType value) { FTimeType = value; }
    TDateTimeType DateTimeType() const { return FDateTimeType; }
    void SetDateTimeType(TDateTimeType value) { FDateTimeType = value; }
    TNumberType NumberType() const { return FNumberType; }
    void SetNumberType(TNumberType value) { FNumberType = value; }
    const AnsiString& ThousandSign() const { return FThousandSign; }
    void SetThousandSign(const AnsiString& value) { FThousandSign = value; }
    const AnsiString& UICodePage() const { return FUICodePage; }
    void SetUICodePage(const AnsiString& value) { FUICodePage = value; }

private:
    // The cell (row, col) of the sheet, and its font.
    Variant Cell(int row, int col) const;
    static void ApplyFont(const Variant& cellFont, TFont* font);

    TNotifyEvent FAfterConnect, FBeforeConnect, FOnOpenBook, FOnCloseBook;
    bool FAutoCloseExcel = true;
    Word FDecimals = 0;
    char FDecimalSeparator = '.';
    bool FExceptRaise = true;
    bool FVisible = false;
    TDateType FDateType = tpDate_8;
    TTimeType FTimeType = tp_Time1;
    TDateTimeType FDateTimeType = tp_DateTime1;
    TNumberType FNumberType = tp_Number4;
    AnsiString FThousandSign = ",";
    AnsiString FUICodePage = "936";

    Variant FExcelApp, FWorkbook, FSheet;
};
