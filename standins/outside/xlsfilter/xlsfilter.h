#pragma once
// The report library's spreadsheet filter: the cells a report (or an export) hands it become one
// worksheet of a classic binary ".xls" workbook (biffwriter.h).
//
//     TQRXLSFilter filter(fileName);     // a system path, as the program writes it
//     filter.CreateStream(fileName);     // creates the file: EFCreateError when it cannot
//     filter.WriteData(xlsText, 0, "名称", 0);
//     filter.WriteData(xlsNumber, 1, "12.5", 0);
//     filter.StorePage();                // ends the page
//     filter.CloseStream();              // the workbook is written and the file closed
//
// Rows and columns count from 0. Texts are in the system code page. A descendant may override
// CreateStream and CloseStream; it calls the inherited ones.
//
// Bad input raises EXLSFilterError and keeps what was written so far: an unknown cell kind, a number
// cell whose text is no number, a cell outside the worksheet's 65536 rows and 256 columns, a text of
// more than 32767 characters, a cell written while no stream is open. A blank number text writes no
// cell (a null number), and so does an empty text. A filter freed before CloseStream deletes its file,
// so that no half-written workbook is left behind.
#include <memory>

#include "classlib/objects/object.h"
#include "classlib/objects/streams.h"
#include "standins/outside/xlsfilter/biffwriter.h"

KVR_DECLARE_EXCEPTION(EXLSFilterError, Exception)

// The cell kinds of WriteData.
inline constexpr int xlsNumber = 2;
inline constexpr int xlsText = 3;

class TQRXLSFilter : public TObject {
    KVR_CLASS(TQRXLSFilter, TObject)
public:
    explicit TQRXLSFilter(const AnsiString& fileName);
    ~TQRXLSFilter() override;
    TQRXLSFilter(const TQRXLSFilter&) = delete;
    TQRXLSFilter& operator=(const TQRXLSFilter&) = delete;

    const AnsiString& FileName() const { return FFileName; }
    bool Active() const { return FStream != nullptr; }

    // Creates (or empties) the file; an empty name means the one the filter was created with.
    virtual void CreateStream(const AnsiString& fileName);
    // Writes the workbook and closes the file; without an open stream it does nothing. A write that
    // fails raises EWriteError and deletes the file.
    virtual void CloseStream();

    void WriteData(int kind, int row, const AnsiString& text, int column);
    // The report library stores each page as it ends. Cells go into the worksheet as they are written,
    // and rows count from the top of the sheet, so a page leaves nothing to store here.
    void StorePage();

private:
    void Discard() noexcept;

    AnsiString FFileName;
    AnsiString FNativeName; // of the open stream
    TFileStream* FStream = nullptr;
    std::unique_ptr<TBiffWorkbook> FBook;
};
