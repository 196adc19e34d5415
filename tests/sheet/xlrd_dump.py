#!/usr/bin/python3
"""Prints what xlrd reads from an .xls file, one fact per line, tab-separated, for the
reader oracle test:

  SHEET <index> <name>            every worksheet, 1-based, in file order
  ACTIVE <index>                  the worksheet shown when the file was saved, if xlrd knows it
  CELL <sheet> <row> <col> <kind> <value>
                                  kind N (value: repr of the float), T (text), B (1 or 0),
                                  E (error literal); rows and columns 1-based; empty cells
                                  and empty texts are left out

Texts are escaped: backslash, tab, newline and carriage return as \\\\, \\t, \\n, \\r.
Exit status 2 with a message on stderr when xlrd cannot read the file.
"""
import sys

import xlrd

ERRORS = {0x00: "#NULL!", 0x07: "#DIV/0!", 0x0F: "#VALUE!", 0x17: "#REF!", 0x1D: "#NAME?",
          0x24: "#NUM!", 0x2A: "#N/A", 0x2B: "#GETTING_DATA"}


def escape(text):
    return (text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            .replace("\r", "\\r"))


def cell_line(sheet_no, row, col, cell):
    kind = cell.ctype
    if kind in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE):
        return "CELL\t%d\t%d\t%d\tN\t%r" % (sheet_no, row + 1, col + 1, float(cell.value))
    if kind == xlrd.XL_CELL_TEXT:
        if cell.value == "":
            return None
        return "CELL\t%d\t%d\t%d\tT\t%s" % (sheet_no, row + 1, col + 1, escape(cell.value))
    if kind == xlrd.XL_CELL_BOOLEAN:
        return "CELL\t%d\t%d\t%d\tB\t%d" % (sheet_no, row + 1, col + 1, 1 if cell.value else 0)
    if kind == xlrd.XL_CELL_ERROR:
        return "CELL\t%d\t%d\t%d\tE\t%s" % (sheet_no, row + 1, col + 1,
                                            ERRORS.get(cell.value, "#N/A"))
    return None


def main(path):
    try:
        book = xlrd.open_workbook(path, logfile=open("/dev/null", "w"), on_demand=False)
    except Exception as error:  # xlrd raises many kinds; any of them means "cannot read"
        sys.stderr.write("xlrd cannot read %s: %s\n" % (path, error))
        return 2
    out = []
    active = [i + 1 for i, s in enumerate(book.sheets()) if s.sheet_visible]
    for index, sheet in enumerate(book.sheets(), start=1):
        out.append("SHEET\t%d\t%s" % (index, escape(sheet.name)))
    if len(active) == 1:
        out.append("ACTIVE\t%d" % active[0])
    for index, sheet in enumerate(book.sheets(), start=1):
        for row in range(sheet.nrows):
            for col in range(sheet.ncols):
                line = cell_line(index, row, col, sheet.cell(row, col))
                if line:
                    out.append(line)
    sys.stdout.write("\n".join(out) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
