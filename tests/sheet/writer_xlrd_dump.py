#!/usr/bin/python3
"""Prints what python3-xlrd reads from an .xls file, one line per item, for the writer tests.

    S <index> <selected 0/1> <name as UTF-8 hex>
    N <row> <col> <repr of the float>
    T <row> <col> <text as UTF-8 hex>
    B <row> <col> <0/1>
    E <row> <col> <error code>

Rows and columns count from 1. Hex keeps every byte of a text exact, repr every bit of a
number. Exit status 2 with the reason on stderr when xlrd cannot read the file.
"""
import sys

import xlrd

KINDS = {xlrd.XL_CELL_NUMBER: "N", xlrd.XL_CELL_TEXT: "T", xlrd.XL_CELL_BOOLEAN: "B",
         xlrd.XL_CELL_ERROR: "E"}


def value_text(kind, value):
    if kind == "N":
        return repr(float(value))
    if kind == "T":
        return value.encode("utf-8").hex() or "-"
    return str(int(value))


def main(path):
    try:
        book = xlrd.open_workbook(path, logfile=sys.stderr, verbosity=0, ragged_rows=True)
    except Exception as error:  # xlrd raises many types; the test wants the reason
        print("xlrd cannot read %s: %s" % (path, error), file=sys.stderr)
        return 2
    out = sys.stdout
    print("F %d" % book.biff_version, file=out)
    for index in range(book.nsheets):
        sheet = book.sheet_by_index(index)
        print("S %d %d %s" % (index + 1, sheet.sheet_selected, sheet.name.encode("utf-8").hex()),
              file=out)
        for row in range(sheet.nrows):
            for col in range(sheet.row_len(row)):
                cell = sheet.cell(row, col)
                kind = KINDS.get(cell.ctype)
                if kind:
                    print("%s %d %d %s" % (kind, row + 1, col + 1, value_text(kind, cell.value)),
                          file=out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
