#!/usr/bin/python3
"""Makes the workbooks the import dialog tests open.

Run with Debian's python3 (python3-xlwt) and gnumeric's ssconvert from this folder:
    /usr/bin/python3 make_import_fixtures.py

profiles.xls (Excel 97, written by xlwt), the second sheet active in the file:
  1 "Notes"     a few lines of text in column A, nothing from row 5 on.
  2 "Profiles"  headings in row 1; Age (A), Y data (1) (B), Y data (2) (C) filled in rows 2 to
                40; row 41 empty; more ages in rows 43 to 45 after the gap; column AD filled in
                row 2, so the sheet is 30 columns wide.
  3 "EmptyAge"  headings in row 1; A2 empty while A3:A5 and B2:B10 hold numbers.
  4 "Blanks"    A2:A5 numbers, A6 three spaces, A7 a number, A8 empty.
profiles_excel5.xls: the same workbook saved by ssconvert as Excel 5/95 (BIFF7). Gnumeric
  declares code page 1200 (UTF-16) in it while it stores the sheet names and texts as 8-bit
  Windows-1252 bytes, a quirk a reader must survive.
many_sheets.xls (Excel 97): twelve sheets "S1" to "S12"; sheet n holds ages in A2 to A(n + 3).
"""
import math
import subprocess

import xlwt


def profiles_book():
    book = xlwt.Workbook()
    notes = book.add_sheet("Notes")
    for row, line in enumerate(["Two profiles over one age axis", "Ages in ka", "See Profiles"]):
        notes.write(row, 0, line)

    profiles = book.add_sheet("Profiles")
    for col, heading in enumerate(["Age", "Y data (1)", "Y data (2)"]):
        profiles.write(0, col, heading)
    for row in range(1, 40):  # sheet rows 2 to 40
        age = 10.0 * row
        profiles.write(row, 0, age)
        profiles.write(row, 1, round(math.exp(-((age - 150.0) / 60.0) ** 2), 6))
        profiles.write(row, 2, round(math.exp(-((age - 220.0) / 80.0) ** 2), 6))
    for row in range(42, 45):  # sheet rows 43 to 45, after the empty row 41
        profiles.write(row, 0, 10.0 * row)
    profiles.write(1, 29, "far right")  # AD2

    empty_age = book.add_sheet("EmptyAge")
    empty_age.write(0, 0, "Age")
    empty_age.write(0, 1, "Y data (1)")
    for row in range(2, 5):
        empty_age.write(row, 0, row * 5.0)
    for row in range(1, 10):
        empty_age.write(row, 1, row * 0.5)

    blanks = book.add_sheet("Blanks")
    blanks.write(0, 0, "Age")
    for row in range(1, 5):
        blanks.write(row, 0, float(row))
    blanks.write(5, 0, "   ")
    blanks.write(6, 0, 7.0)

    book.set_active_sheet(1)
    profiles.set_selected(True)
    notes.set_selected(False)
    return book


def many_sheets_book():
    book = xlwt.Workbook()
    for n in range(1, 13):
        sheet = book.add_sheet("S%d" % n)
        sheet.write(0, 0, "Age")
        for row in range(1, n + 3):  # sheet rows 2 to n + 3
            sheet.write(row, 0, float(row))
    return book


def main():
    profiles_book().save("profiles.xls")
    many_sheets_book().save("many_sheets.xls")
    subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:excel_biff7", "profiles.xls",
                    "profiles_excel5.xls"], check=True, stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
