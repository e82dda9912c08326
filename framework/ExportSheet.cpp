#include "framework/ExportSheet.h"

#include <algorithm>
#include <charconv>

#include "classlib/db/fieldtypes.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/format.h"

namespace {

bool IsIntegerType(TFieldType type) {
    return type == ftSmallint || type == ftInteger || type == ftWord || type == ftAutoInc;
}

// The shortest text that reads back as the value.
AnsiString ShortestText(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? AnsiString(buffer, end) : FloatToStr(value);
}

} // namespace

TExportCellKind ExportCellKind(TFieldType type, bool percentage, TExportMode mode) {
    switch (FieldTypeClass(type)) {
    case fcText:
        return ekControlText;
    case fcBoolean:
        return ekBoolean;
    case fcNumber:
        if (IsIntegerType(type)) return mode == emShown ? ekShown : ekInteger;
        if (mode == emFile) return type == ftFloat ? ekNumber : ekControlText;
        if (mode == emShown || percentage) return ekShown;
        if (mode == emGeneral) return ekGeneral;
        return mode == emNumbers ? ekNumber : ekPlainText;
    default:
        return mode == emFile ? ekControlText : ekNone;
    }
}

TExportSheet::TExportSheet(TOLEExcel* excel, TExportMode mode, THooks hooks)
    : FExcel(excel), FMode(mode), FHooks(std::move(hooks)) {}

TExportSheet::TExportSheet(TQRXLSFilter* file, THooks hooks)
    : FFile(file), FMode(emFile), FHooks(std::move(hooks)) {}

void TExportSheet::AddColumn(TField* field) {
    const TExportCellKind kind =
        ExportCellKind(field->DataType(), field->EditMask() == FHooks.PercentMask, FMode);
    FColumns.push_back({field, kind, kind == ekNumber && FHooks.Places ? FHooks.Places(field) : 0});
}

void TExportSheet::WriteHeader() {
    for (std::size_t c = 0; c < FColumns.size(); ++c) {
        const AnsiString label = FColumns[c].Field->DisplayLabel();
        if (FFile)
            FFile->WriteData(xlsText, 0, label, static_cast<int>(c));
        else
            FExcel->WriteText(1, static_cast<int>(c) + 1, nullptr, false, label);
    }
}

void TExportSheet::WriteRow(int row) {
    for (std::size_t c = 0; c < FColumns.size(); ++c) {
        if (FFile)
            WriteFileCell(row, static_cast<int>(c), FColumns[c]);
        else
            WriteProgramCell(row + 1, static_cast<int>(c) + 1, FColumns[c]);
    }
}

void TExportSheet::WriteProgramCell(int row, int col, const TColumn& column) {
    TField* field = column.Field;
    try {
        switch (column.Kind) {
        case ekControlText:
            FExcel->WriteText(row, col, nullptr, true, FHooks.ControlText(field));
            break;
        case ekPlainText:
            FExcel->WriteText(row, col, nullptr, true, field->AsString());
            break;
        case ekShown:
            FExcel->WriteText(row, col, nullptr, true, field->DisplayText());
            break;
        case ekGeneral:
            FExcel->WriteGeneral(row, col, field->DisplayText());
            break;
        case ekBoolean:
            FExcel->WriteText(row, col, nullptr, true, field->AsBoolean() ? "Y" : "N");
            break;
        case ekInteger:
            if (!field->IsNull()) FExcel->WriteInteger(row, col, true, field->AsInteger());
            break;
        case ekNumber:
            if (field->IsNull()) break;
            FExcel->SetDecimals(static_cast<Word>(std::max(column.Places, 0)));
            FExcel->WriteNumber(row, col, &FNumberFont, column.Places >= 0, field->AsFloat());
            break;
        case ekNone:
            break;
        }
    } catch (const EOleError&) {
        throw;
    } catch (const Exception&) {
        // One bad value: the cell says so, the rest of the export goes on.
        FExcel->WriteError(row, col);
    }
}

void TExportSheet::WriteFileCell(int row, int col, const TColumn& column) {
    TField* field = column.Field;
    switch (column.Kind) {
    case ekInteger:
        FFile->WriteData(xlsNumber, row, field->IsNull() ? AnsiString() : IntToStr(field->AsInteger()), col);
        break;
    case ekNumber:
        FFile->WriteData(xlsNumber, row, field->IsNull() ? AnsiString() : ShortestText(field->AsFloat()),
                         col);
        break;
    case ekBoolean:
        FFile->WriteData(xlsText, row, field->AsBoolean() ? "Y" : "N", col);
        break;
    default:
        FFile->WriteData(xlsText, row, FHooks.ControlText(field), col);
        break;
    }
}
