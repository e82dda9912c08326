#include "standins/outside/xlsfilter/xlsfilter.h"

#include <cstdio>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"

KVR_PUBLISHED(TQRXLSFilter, c) {}

TQRXLSFilter::TQRXLSFilter(const AnsiString& fileName) : FFileName(fileName) {}

TQRXLSFilter::~TQRXLSFilter() {
    Discard();
}

void TQRXLSFilter::Discard() noexcept {
    if (!FStream) return;
    delete FStream;
    FStream = nullptr;
    FBook.reset();
    std::remove(FNativeName.c_str());
}

void TQRXLSFilter::CreateStream(const AnsiString& fileName) {
    Discard();
    const AnsiString name = fileName.empty() ? FFileName : fileName;
    FNativeName = NativePath(name);
    FStream = new TFileStream(FNativeName, fmCreate);
    FFileName = name;
    FBook = std::make_unique<TBiffWorkbook>();
}

void TQRXLSFilter::CloseStream() {
    if (!FStream) return;
    const std::string bytes = FBook->Build();
    const bool written =
        FStream->Write(bytes.data(), static_cast<Int64>(bytes.size())) == static_cast<Int64>(bytes.size());
    if (!written) {
        Discard();
        throw EWriteError("Cannot write file " + FFileName);
    }
    delete FStream;
    FStream = nullptr;
    FBook.reset();
}

void TQRXLSFilter::WriteData(int kind, int row, const AnsiString& text, int column) {
    if (!FStream)
        throw EXLSFilterError("No spreadsheet file is open for the cell (" + IntToStr(row) + ", " +
                              IntToStr(column) + ")");
    try {
        switch (kind) {
        case xlsNumber: {
            const AnsiString number = Trim(text);
            if (number.empty()) return;
            double value = 0;
            if (!TryStrToFloat(number, value))
                throw EXLSFilterError("'" + text + "' is no number (cell (" + IntToStr(row) + ", " +
                                      IntToStr(column) + "))");
            FBook->Number(row, column, value);
            return;
        }
        case xlsText: {
            if (text.empty()) return;
            FBook->Text(row, column, AnsiToWide(text));
            return;
        }
        default:
            throw EXLSFilterError("Unknown cell kind " + IntToStr(kind));
        }
    } catch (const EBiffError& e) {
        throw EXLSFilterError(e.Message());
    }
}

void TQRXLSFilter::StorePage() {
    if (!FStream) throw EXLSFilterError("No spreadsheet file is open");
}
