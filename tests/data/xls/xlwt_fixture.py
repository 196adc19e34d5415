#!/usr/bin/python3
"""Writes xlwt_types.xls (Excel 97, by xlwt) for the reader tests. Run from this folder with
Debian's python3 (python3-xlwt):  /usr/bin/python3 xlwt_fixture.py

Sheets, the third one active in the file:
  1 "Numbers"  A1:C1 headings; rows 2 to 201: A = row * 10 (whole numbers, RK records),
               B = row / 100 (two-decimal values), C = row * 1.1e-3 (floats); D2 = -123456789,
               D3 = 1e300, D4 = -2.5e-300.
  2 "Texte"    A1 "Größe ÄÖÜ ß", A2 "日本語のテキスト", A3 "emoji 😀 end", A4 a 12,000-character
               text of mixed Latin and Greek (long enough to be split across CONTINUE records
               of the shared string table), A5 "  42.5 ", A6 "", B1 TRUE, B2 FALSE.
  3 "Active"   A1 "this sheet is active"; A65536 = 7 (the last row an Excel 97 sheet has);
               IV1 = 8 (its last column).
"""
import xlwt

LONG_TEXT = ("Latin text then Ελληνικά κείμενα " * 400)[:12000]


def main():
    book = xlwt.Workbook(encoding="utf-8")
    numbers = book.add_sheet("Numbers")
    for col, heading in enumerate(["Age", "Y data (1)", "Y data (2)"]):
        numbers.write(0, col, heading)
    for row in range(1, 201):
        numbers.write(row, 0, row * 10)
        numbers.write(row, 1, row / 100)
        numbers.write(row, 2, row * 1.1e-3)
    numbers.write(1, 3, -123456789)
    numbers.write(2, 3, 1e300)
    numbers.write(3, 3, -2.5e-300)

    texts = book.add_sheet("Texte")
    for row, text in enumerate(["Größe ÄÖÜ ß", "日本語のテキスト", "emoji 😀 end", LONG_TEXT,
                                "  42.5 ", ""]):
        texts.write(row, 0, text)
    texts.write(0, 1, True)
    texts.write(1, 1, False)

    active = book.add_sheet("Active")
    active.write(0, 0, "this sheet is active")
    active.write(65535, 0, 7)
    active.write(0, 255, 8)
    book.set_active_sheet(2)
    book.save("xlwt_types.xls")


if __name__ == "__main__":
    main()
