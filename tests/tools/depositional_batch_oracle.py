#!/usr/bin/python3
"""Checks kestrel-batch's --mda and --components-out files against the workbook they came from.

  depositional_batch_oracle.py BOOK.xlsx MDA.csv COMPONENTS.csv

Reads the ages and 1-sigma uncertainties of BOOK (sheets "Ages" and "Errors", matched by
heading) with openpyxl, and checks: the header and the order of the rows (every sample in
column order, the ten methods in order), each row's grain count, YSG and Y3Za recomputed from
their definitions, that every interval contains nothing absurd (Minus and Plus above 0, the
age within the sample's range), and that each sample's components are sorted by age with
proportions summing to 1. Prints "rows N worst R" (R the largest relative difference) or fails
with a message.
"""
import csv
import sys

import numpy as np
import openpyxl

METHODS = ["YSG", "YC1s(2+)", "YC2s(3+)", "Y3Za", "Y3Zo", "YSP", "YPP", "Tau", "YDZ", "MLA"]


def samples_of(path):
    book = openpyxl.load_workbook(path, read_only=True)
    def columns(sheet):
        rows = list(book[sheet].iter_rows(values_only=True))
        return {rows[0][c]: [r[c] for r in rows[1:] if r[c] is not None] for c in range(len(rows[0]))}
    ages, errors = columns("Ages"), columns("Errors")
    return [(name, np.array(a, float), np.array(errors[name], float)) for name, a in ages.items()]


def weighted_mean(a, s):
    w = 1.0 / s**2
    return np.sum(w * a) / np.sum(w), 1.0 / np.sqrt(np.sum(w))


def fail(message):
    sys.exit("oracle: " + message)


def main(book, mda, components):
    samples = samples_of(book)
    rows = list(csv.reader(open(mda, newline="")))
    if rows[0] != ["Sample", "Grains", "Method", "Age", "Minus", "Plus", "MSWD", "Used"]:
        fail("header %r" % rows[0])
    expected = [(name, m) for name, _, _ in samples for m in METHODS]
    if [(r[0], r[2]) for r in rows[1:]] != expected:
        fail("rows are not every sample by every method in order")
    worst = 0.0
    for (name, a, s), block in zip(samples, [rows[1 + 10 * i:11 + 10 * i] for i in range(len(samples))]):
        by = {r[2]: r for r in block}
        if any(int(r[1]) != len(a) for r in block):
            fail(name + ": grain count")
        i = int(np.argmin(a + s))  # ties: the first read
        ysg = (a[i], 1.96 * s[i])
        three = np.argsort(a, kind="stable")[:3]
        y3za = weighted_mean(a[three], s[three])
        for method, (age, half) in (("YSG", ysg), ("Y3Za", (y3za[0], 1.96 * y3za[1]))):
            row = by[method]
            for got, want in ((row[3], age), (row[4], half), (row[5], half)):
                worst = max(worst, abs(float(got) - want) / abs(want))
        for r in block:
            if r[3] == "":
                continue
            if not (a.min() - 5 * s.max() <= float(r[3]) <= a.max()):
                fail("%s %s: age %s outside the sample" % (name, r[2], r[3]))
            if r[4] != "" and (float(r[4]) <= 0 or float(r[5]) <= 0):
                fail("%s %s: interval %s %s" % (name, r[2], r[4], r[5]))
    comp = list(csv.reader(open(components, newline="")))
    if comp[0] != ["Sample", "Component", "Age", "Minus", "Plus", "Proportion"]:
        fail("components header %r" % comp[0])
    for name, _, _ in samples:
        mine = [r for r in comp[1:] if r[0] == name]
        ages = [float(r[2]) for r in mine]
        if not mine or ages != sorted(ages) or [int(r[1]) for r in mine] != list(range(1, len(mine) + 1)):
            fail(name + ": components not numbered by age")
        if abs(sum(float(r[5]) for r in mine) - 1.0) > 1e-9:
            fail(name + ": proportions do not sum to 1")
    print("rows %d worst %.3g" % (len(rows) - 1, worst))


if __name__ == "__main__":
    main(*sys.argv[1:])
