#!/usr/bin/python3
"""The comparison kestrel-batch makes, written the way a scientist would script it with xlrd,
numpy and xlwt: read the Age and two profile columns of the active sheet, compute both
cumulative curves, their difference, the windows around peaks with their differences, and the
critical values from the table; print the window log and write the seven-column summary sheet.
kestrel's benchmark times it side by side with kestrel-batch on the same workbook.

Usage: ks_compare.py WORKBOOK.xls TABLE.cds [SUMMARY.xls]
"""
import sys

import numpy as np
import xlrd
import xlwt

WINDOW, MIN_PEAK, BASELINE = 100.0, 10.0, 2.0  # kestrel-batch's defaults
TOTAL_OFFSET = 1e-9


def read_profiles(path):
    book = xlrd.open_workbook(path, on_demand=True)
    sheet = book.sheet_by_index(book.sheet_list_index if hasattr(book, "sheet_list_index") else 0)
    columns = [np.array(sheet.col_values(c, start_rowx=1), dtype=float) for c in range(3)]
    return columns


def read_table(path):
    critical = {}
    with open(path) as table:
        next(table)
        for line in table:
            fields = line.strip().split(",")
            if len(fields) == 3:
                critical.setdefault(int(fields[1]), float(fields[2]))
    return critical


def shares(y1, y2):
    c1, c2 = np.cumsum(y1), np.cumsum(y2)
    return c1 / (TOTAL_OFFSET + c1[-1]), c2 / (TOTAL_OFFSET + c2[-1])


def windows(age, y1, y2):
    n, i, found = len(age), 0, []
    baseline = (y1 < BASELINE) & (y2 < BASELINE)
    while i < n:
        s, a, k, peak = i, age[i], i, False
        while True:
            peak = peak or y1[k] > MIN_PEAK or y2[k] > MIN_PEAK
            if baseline[k]:
                s, a = k, age[k]
            k += 1
            if peak or k >= n:
                break
        k -= 1
        while True:
            ended = baseline[k] and age[k] - a >= WINDOW
            k += 1
            if ended or k >= n:
                break
        if peak:
            found.append((s, k - 1))
        i = k
    return found


def main():
    age, y1, y2 = read_profiles(sys.argv[1])
    critical = read_table(sys.argv[2])
    n = len(age)
    curve1, curve2 = shares(y1, y2)
    difference = np.abs(curve1 - curve2)
    cutoff = np.full(n, critical.get(n, 0.0))
    difference_w, cutoff_w = np.zeros(n), np.zeros(n)
    print(f"1   {age[0]:.3f}     {n}   {age[-1]:.3f}    n={n}    Cutoff = {cutoff[0]:.3f}")
    for s, e in windows(age, y1, y2):
        m = e - s + 1
        w1, w2 = shares(y1[s:e + 1], y2[s:e + 1])
        difference_w[s:e + 1] = np.abs(w1 - w2)
        cutoff_w[s:e + 1] = critical.get(m, 0.0)
        print(f"{s + 1}   {age[s]:.3f}     {e + 1}   {age[e]:.3f}    n={m}    "
              f"Cutoff = {cutoff_w[s]:.3f}")
    if len(sys.argv) > 3:
        book = xlwt.Workbook()
        sheet = book.add_sheet("Smry")
        headers = ["Age", "Curve 1", "Curve 2", "Difference", "Difference (W)", "Cutoff",
                   "Cutoff (W)"]
        for c, text in enumerate(headers):
            sheet.write(0, c, text)
        columns = [age, curve1, curve2, difference, difference_w, cutoff, cutoff_w]
        for c, values in enumerate(columns):
            for r, value in enumerate(values.tolist(), start=1):
                sheet.write(r, c, value)
        book.save(sys.argv[3])


if __name__ == "__main__":
    main()
