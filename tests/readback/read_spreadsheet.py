#!/usr/bin/python3
"""Prints what a spreadsheet reader finds in a workbook, for the tests to compare.

Values and cell types come from xlrd for both formats; fonts and number formats from xlrd for the
binary format and from openpyxl for the XML one (xlrd does not read the styles of the XML format).
The format is told by the file's content, not its name. A second argument limits the rows printed:
"edges" the first and last row of each sheet, "rows=A-B" rows A to B. Output, UTF-8, one line each, fields separated
by tabs (a tab, line break or backslash inside a field written as \\t, \\n, \\\\):

  book   FORMAT(xls|xlsx)  SHEETS
  sheet  INDEX  NAME  ROWS  COLUMNS
  cell   SHEET  ROW  COLUMN  TYPE  VALUE  NUMBERFORMAT  FONT  SIZE  BOLD  ITALIC  UNDERLINE  STRIKE  COLOR

Rows and columns count from 0. TYPE is text, number, date, bool, error or blank; a number is written
with repr; BOLD, ITALIC and STRIKE are 0 or 1; UNDERLINE is none, single, double, singleAccounting or
doubleAccounting; COLOR is RRGGBB or auto.
"""
import io
import sys

import xlrd

TYPES = {
    xlrd.XL_CELL_EMPTY: "empty",
    xlrd.XL_CELL_TEXT: "text",
    xlrd.XL_CELL_NUMBER: "number",
    xlrd.XL_CELL_DATE: "date",
    xlrd.XL_CELL_BOOLEAN: "bool",
    xlrd.XL_CELL_ERROR: "error",
    xlrd.XL_CELL_BLANK: "blank",
}
BIFF_UNDERLINES = {0: "none", 1: "single", 2: "double", 0x21: "singleAccounting", 0x22: "doubleAccounting"}


def field(value):
    return str(value).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def emit(*fields):
    sys.stdout.write("\t".join(field(f) for f in fields) + "\n")


def value_text(cell):
    if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE):
        return repr(float(cell.value))
    if cell.ctype == xlrd.XL_CELL_BOOLEAN:
        return "1" if cell.value else "0"
    return cell.value


def biff_style(book, sheet, row, column):
    xf = book.xf_list[sheet.cell_xf_index(row, column)]
    font = book.font_list[xf.font_index]
    fmt = book.format_map.get(xf.format_key)
    rgb = book.colour_map.get(font.colour_index)
    color = "auto" if rgb is None or font.colour_index in (0x7FFF, 64) else "%02X%02X%02X" % rgb
    return (fmt.format_str if fmt else "General", font.name, repr(font.height / 20.0), int(font.bold),
            int(font.italic), BIFF_UNDERLINES.get(font.underline_type, str(font.underline_type)),
            int(font.struck_out), color)


def xml_style(sheet, row, column):
    cell = sheet.cell(row=row + 1, column=column + 1)
    font = cell.font
    color = "auto"
    if font.color is not None and font.color.type == "rgb" and isinstance(font.color.rgb, str):
        color = font.color.rgb[-6:].upper()
    return (cell.number_format, font.name, repr(float(font.sz or 0)), int(bool(font.b)), int(bool(font.i)),
            font.u or "none", int(bool(font.strike)), color)


def selected_rows(selection, count):
    if selection == "edges":
        return sorted({0, count - 1}) if count else []
    if selection.startswith("rows="):
        first, last = (int(n) for n in selection[5:].split("-"))
        return range(first, min(last, count - 1) + 1)
    return range(count)


def main(path, selection=""):
    with open(path, "rb") as f:
        data = f.read()
    xml = data[:4] == b"PK\x03\x04"
    book = xlrd.open_workbook(file_contents=data, formatting_info=not xml)
    styles = None
    if xml:
        import openpyxl
        styles = openpyxl.load_workbook(io.BytesIO(data))
    emit("book", "xlsx" if xml else "xls", book.nsheets)
    for index in range(book.nsheets):
        sheet = book.sheet_by_index(index)
        emit("sheet", index, sheet.name, sheet.nrows, sheet.ncols)
        for row in selected_rows(selection, sheet.nrows):
            for column in range(sheet.row_len(row)):
                cell = sheet.cell(row, column)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                style = (xml_style(styles.worksheets[index], row, column) if xml
                         else biff_style(book, sheet, row, column))
                emit("cell", index, row, column, TYPES[cell.ctype], value_text(cell), *style)


if __name__ == "__main__":
    main(*sys.argv[1:3])
