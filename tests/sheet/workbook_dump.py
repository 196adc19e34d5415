#!/usr/bin/python3
"""Prints what another program reads from a workbook, one fact per line, tab-separated, for the
reader oracle tests (the format of xlrd_dump.py):

  SHEET <index> <name>       every worksheet, 1-based, in file order
  ACTIVE <index>             the worksheet active when the file was saved
  CELL <sheet> <row> <col> <kind> <value>
                             kind N (repr of the float), T (text), B (1 or 0), E (error literal),
                             S (text as shown, kind unknown: the ods oracle); rows and columns
                             1-based; empty cells and empty texts are left out

Usage: workbook_dump.py xlsx FILE      read by openpyxl (cached formula results)
       workbook_dump.py ods FILE       read by gnumeric's ssconvert: cells from its raw CSV
                                       export of each sheet, names and the active sheet from its
                                       Gnumeric XML export
       workbook_dump.py csv FILE SEP   read by Python's csv module with separator SEP; with ";"
                                       a number written with one decimal comma (no ".") is
                                       given as that number, as a spreadsheet set to a decimal
                                       comma reads it

Texts are escaped: backslash, tab, newline and carriage return as \\\\, \\t, \\n, \\r.
Exit status 2 with a message on stderr when the file cannot be read.
"""
import csv
import re
import datetime
import glob
import gzip
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree


def escape(text):
    return (text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            .replace("\r", "\\r"))


def cell(sheet, row, col, kind, value):
    return "CELL\t%d\t%d\t%d\t%s\t%s" % (sheet, row, col, kind, value)


def xlsx_value_line(sheet_no, row, col, c, epoch):
    from openpyxl.utils.datetime import to_excel
    value = c.value
    if value is None or value == "":
        return None
    if isinstance(value, bool):
        return cell(sheet_no, row, col, "B", 1 if value else 0)
    if isinstance(value, (int, float)):
        return cell(sheet_no, row, col, "N", repr(float(value)))
    if isinstance(value, (datetime.datetime, datetime.date, datetime.time)):
        return cell(sheet_no, row, col, "N", repr(float(to_excel(value, epoch))))
    if c.data_type == "e":
        return cell(sheet_no, row, col, "E", escape(value))
    return cell(sheet_no, row, col, "T", escape(str(value)))


def dump_xlsx(path):
    import openpyxl
    book = openpyxl.load_workbook(path, data_only=True)
    out = []
    for index, sheet in enumerate(book.worksheets, start=1):
        out.append("SHEET\t%d\t%s" % (index, escape(sheet.title)))
    if book.active in book.worksheets:
        out.append("ACTIVE\t%d" % (book.worksheets.index(book.active) + 1))
    for index, sheet in enumerate(book.worksheets, start=1):
        # The stored cells only: a sheet's declared extent may reach row 1,048,576.
        for (row, col), c in sorted(sheet._cells.items()):
            line = xlsx_value_line(index, row, col, c, book.epoch)
            if line:
                out.append(line)
    return out


def dump_ods(path):
    out = []
    with tempfile.TemporaryDirectory() as folder:
        gnumeric = os.path.join(folder, "book.gnumeric")
        subprocess.run(["ssconvert", path, gnumeric], check=True, capture_output=True)
        root = ElementTree.fromstring(gzip.open(gnumeric).read())
        ns = {"gnm": "http://www.gnumeric.org/v10.dtd"}
        names = [n.text or "" for n in root.findall("gnm:Sheets/gnm:Sheet/gnm:Name", ns)]
        for index, name in enumerate(names, start=1):
            out.append("SHEET\t%d\t%s" % (index, escape(name)))
        ui = root.find("gnm:UIData", ns)
        if ui is not None and ui.get("SelectedTab") is not None:
            out.append("ACTIVE\t%d" % (int(ui.get("SelectedTab")) + 1))
        subprocess.run(["ssconvert", "-S", "-O", "format=raw", "-T",
                        "Gnumeric_stf:stf_assistant", path, os.path.join(folder, "sheet%n.csv")],
                       check=True, capture_output=True)
        for index in range(1, len(names) + 1):
            with open(os.path.join(folder, "sheet%d.csv" % (index - 1)), newline="",
                      encoding="utf-8") as f:
                for row, fields in enumerate(csv.reader(f), start=1):
                    for col, field in enumerate(fields, start=1):
                        if field != "":
                            out.append(cell(index, row, col, "S", escape(field)))
    return out


DECIMAL_COMMA = re.compile(r"^ *[+-]?(\d+,\d*|,\d+)([eE][+-]?\d+)?$")


def dump_csv(path, separator):
    out = ["SHEET\t1\t%s" % escape(os.path.splitext(os.path.basename(path))[0]), "ACTIVE\t1"]
    with open(path, newline="", encoding="utf-8-sig") as f:
        for row, fields in enumerate(csv.reader(f, delimiter=separator), start=1):
            for col, field in enumerate(fields, start=1):
                if separator == ";" and DECIMAL_COMMA.match(field):
                    out.append(cell(1, row, col, "N", repr(float(field.replace(",", ".")))))
                elif field != "":
                    out.append(cell(1, row, col, "S", escape(field)))
    return out


def main(argv):
    try:
        if argv[1] == "xlsx":
            out = dump_xlsx(argv[2])
        elif argv[1] == "ods":
            out = dump_ods(argv[2])
        else:
            out = dump_csv(argv[2], argv[3])
    except Exception as error:  # any failure of the other program means "cannot read"
        sys.stderr.write("cannot read %s: %s\n" % (argv[2], error))
        return 2
    sys.stdout.write("\n".join(out) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
