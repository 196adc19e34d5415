#!/usr/bin/python3
# Writes the workbooks of kestrel-batch's end-to-end tests with xlwt (Debian's python3-xlwt),
# a writer independent of ours. Run: /usr/bin/python3 make_batch_fixtures.py (in this folder).
import xlwt


def worked_example(book):
    """The ten-row profile whose windows are worked out by hand for widths 300, 500, 1000."""
    sheet = book.add_sheet("Profiles")
    for col, text in enumerate(["Age", "Y data (1)", "Y data (2)"]):
        sheet.write(0, col, text)
    y1 = [0, 1, 4, 15, 6, 1, 0, 0, 3, 1]
    y2 = [0, 1, 3, 9, 5, 1, 1, 0, 2, 0]
    for k in range(10):
        sheet.write(k + 1, 0, 100 * (k + 1))
        sheet.write(k + 1, 1, y1[k])
        sheet.write(k + 1, 2, y2[k])


def shifted_sheet(book):
    """Second sheet: negative and long ages in column E, the profiles in G and H, a note in F,
    numbers stored as text in one row, and the Age column ending at row 9 (row 10 empty)."""
    sheet = book.add_sheet("Shifted")
    sheet.write(0, 4, "Age")
    sheet.write(0, 6, "First")
    sheet.write(0, 7, "Second")
    ages = [-250.5, -125.25, 0, 125, 250, 1234567.5, 1234600, 1234700]
    y1 = [0, 12, 3, 0, 0, 0, 25, 0]
    y2 = [1, 8, 2, 1, 0, 1, 20, 0]
    for k, age in enumerate(ages):
        sheet.write(k + 1, 4, age)
        sheet.write(k + 1, 5, "note")
        sheet.write(k + 1, 6, y1[k] if k != 2 else "3")
        sheet.write(k + 1, 7, y2[k])
    sheet.write(12, 4, 99999)  # below the gap: not part of the found range


def bad_cell(book):
    sheet = book.add_sheet("Bad")
    for row in range(1, 6):
        sheet.write(row, 0, row * 10)
        sheet.write(row, 1, "n/a" if row == 4 else row)
        sheet.write(row, 2, row)


book = xlwt.Workbook()
worked_example(book)
shifted_sheet(book)
bad_cell(book)
book.active_sheet = 1  # "Shifted" is the sheet active in the file
book.get_sheet(1).set_selected(True)
book.get_sheet(0).set_selected(False)
book.save("profiles.xls")
