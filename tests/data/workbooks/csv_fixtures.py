#!/usr/bin/python3
"""Writes the .csv fixtures with Python's csv module: quoting, a byte order mark with CRLF line
ends, and a ";"-separated file with decimal commas."""
import csv

rows = [["Age", "Y data (1)", "Y data (2)", "Note"],
        [10, 0.25, 1e-3, 'says "hi", twice'],
        [20, -1.5, 2.5e10, "line one\nline two"],
        [30, 0, "", "  padded  "],
        ["", "", "", ""],
        [40, "1.2.3", "x", "last"]]
with open("quotes.csv", "w", newline="", encoding="utf-8") as f:
    csv.writer(f, quoting=csv.QUOTE_MINIMAL, lineterminator="\n").writerows(rows)
with open("bom_crlf.csv", "w", newline="", encoding="utf-8-sig") as f:
    writer = csv.writer(f, quoting=csv.QUOTE_NONNUMERIC, lineterminator="\r\n")
    writer.writerows([["Größe", "Wert"], [1, 2.5], [2, 3.75], ["ÄÖÜ €", -4]])
with open("semicolon.csv", "w", newline="", encoding="utf-8") as f:
    writer = csv.writer(f, delimiter=";", lineterminator="\r\n")
    writer.writerows([["Age", "Y data (1)", "Y data (2)"], [1, "1,5", "2.5"], [2, "3;4", 7]])
