#pragma once
// The one writer of the exports: how each column's cells are written, decided once per column from
// the field's class (classlib/db/fieldtypes.h), and the cells written either into a workbook through
// the spreadsheet program or into an ".xls" file. The single-table exports and the header-plus-body
// export both write through it; they keep their own files, questions and progress.
//
//                  spreadsheet program                               ".xls" file
//   text           the control's text (a combo box shows its item)   the same
//   boolean        "Y" / "N"                                         the same
//   integer        an integer ("0_ "); as shown when all is text     a number
//   float          a number in the field's decimals ("as numbers"),  a number (the shortest text that
//                  else its plain text; as shown when all is text    reads back as the value)
//                  or when it is a percentage; as shown in the
//                  general format ("G/通用格式") for the lines
//   other numbers  as a float                                        as shown
//   anything else  left empty                                        as shown
#include <functional>
#include <vector>

#include "classlib/db/db.h"
#include "classlib/graphics/graphics.h"
#include "foundation/OleExcel.h"
#include "standins/outside/xlsfilter/xlsfilter.h"

enum TExportMode {
    emNumbers, // the spreadsheet program, numbers as numbers in the field's decimals
    emTexts,   // the spreadsheet program, fractional numbers as their plain text
    emShown,   // the spreadsheet program, every number as the text it shows
    emGeneral, // the spreadsheet program, integers as integers, other numbers as shown in the general format
    emFile,    // the ".xls" file
};

enum TExportCellKind {
    ekNone,
    ekControlText,
    ekPlainText,
    ekShown,
    ekGeneral,
    ekBoolean,
    ekInteger,
    ekNumber
};

// How the cells of a field of the type are written (percentage: the field has the percentage edit mask).
TExportCellKind ExportCellKind(TFieldType type, bool percentage, TExportMode mode);

class TExportSheet {
public:
    struct THooks {
        std::function<AnsiString(TField*)> ControlText; // the text the form's control shows for the field
        std::function<int(TField*)> Places;             // a number's decimals; below 0 for no format
        AnsiString PercentMask;
    };
    TExportSheet(TOLEExcel* excel, TExportMode mode, THooks hooks);
    explicit TExportSheet(TQRXLSFilter* file, THooks hooks);

    void AddColumn(TField* field);
    // The columns' labels in the first row.
    void WriteHeader();
    // The columns' values of the current record in the row (from 1, under the labels). Through the
    // spreadsheet program a value that cannot be written leaves "Error!" in its cell and the rest goes
    // on; a failure of the program itself, or of the file, is raised.
    void WriteRow(int row);

private:
    struct TColumn {
        TField* Field;
        TExportCellKind Kind;
        int Places;
    };
    void WriteProgramCell(int row, int col, const TColumn& column);
    void WriteFileCell(int row, int col, const TColumn& column);

    TOLEExcel* FExcel = nullptr;
    TQRXLSFilter* FFile = nullptr;
    TExportMode FMode;
    THooks FHooks;
    std::vector<TColumn> FColumns;
    TFont FNumberFont; // a negative number shows red
};
