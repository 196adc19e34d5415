#!/usr/bin/python3
"""Writes openpyxl_types.xlsx: every kind of cell the .xlsx reader meets, as openpyxl writes it
(absolute part names, shared strings, formulas without cached values), over four sheets of
which the third is a chart sheet and the fourth is active."""
import datetime

import openpyxl
from openpyxl.chart import LineChart, Reference

book = openpyxl.Workbook()
numbers = book.active
numbers.title = "Numbers"
numbers.append(["Age", "Y data (1)", "Y data (2)"])
for n in range(1, 201):
    numbers.append([n * 10, n / 100, n * 1.1e-3])
numbers["D2"], numbers["D3"], numbers["D4"] = -123456789, 1e300, -2.5e-300
numbers["E2"], numbers["E3"] = True, False
numbers["F2"], numbers["F3"] = "#DIV/0!", "#N/A"
numbers["F2"].data_type = numbers["F3"].data_type = "e"
numbers["G2"] = "=A2+A3"  # openpyxl stores no result: the cell reads as empty
numbers["H2"] = datetime.datetime(2024, 1, 2, 12, 0)
numbers["H3"] = datetime.date(1900, 3, 1)
numbers["I2"] = "  42.5 "

texts = book.create_sheet("Texte & more")
texts["A1"] = "Größe ÄÖÜ ß"
texts["A2"] = "日本語のテキスト"
texts["A3"] = "emoji 😀 end"
texts["A4"] = "R&D <x> \"quoted\""
texts["A5"] = "two\nlines"
texts["A6"] = ("Latin text then Ελληνικά κείμενα " * 200)[:6000]
texts["XFD1"] = "the last column"

chart = book.create_chartsheet("Chart")
line = LineChart()
line.add_data(Reference(numbers, min_col=2, min_row=1, max_row=201), titles_from_data=True)
chart.add_chart(line)

active = book.create_sheet("Active")
active["A1"] = "this sheet is active"
active["B1048576"] = 7
book.active = 3
book.save("openpyxl_types.xlsx")
