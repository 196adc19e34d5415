#!/usr/bin/python3
"""Writes a workbook of grain ages shaped like published detrital data, and prints what scipy
makes of its first two samples, for kestrel-batch's --ages tests.

  batch_ages_fixture.py BOOK.xlsx

BOOK.xlsx: sheet "Ages" (a heading row of 16 sample names, each column one sample's ages in Ma,
ragged: 75 to 106 grains), sheet "Errors" (the 1-sigma uncertainties, same headings in another
order) and sheet "Grains" (one row per grain: Name, Age, 1s, samples interleaved). Printed: the
first two samples' "KS D P" of ks_2samp(method="exact") and "V v" of Kuiper's V, then "PAIR i j
D P V KP" for every pair of samples (0-based), KP the p of Kuiper's V by Stephens' formula.
"""
import sys

import numpy as np
import openpyxl
from scipy import stats

FAMILIES = [[320, 1050, 1850], [330, 1100, 2700], [560, 1000, 1800], [300, 2500]]


def kuiper_v(a, b):
    grid = np.sort(np.concatenate([a, b]))
    fa = np.searchsorted(np.sort(a), grid, side="right") / len(a)
    fb = np.searchsorted(np.sort(b), grid, side="right") / len(b)
    return float(max(0.0, np.max(fa - fb)) + max(0.0, np.max(fb - fa)))


def kuiper_p(n1, n2, v):
    """Kuiper's limit at Stephens' (1970) corrected lambda; 1 below lambda 0.4 (Press et al.)."""
    en = np.sqrt(n1 * n2 / (n1 + n2))
    lam = (en + 0.155 + 0.24 / en) * v
    if lam < 0.4:
        return 1.0
    j = np.arange(1, 101)
    return float(min(1.0, max(0.0, 2.0 * np.sum((4 * j**2 * lam**2 - 1) * np.exp(-2 * j**2 * lam**2)))))


def main(path):
    rng = np.random.default_rng(42)
    names = ["S%02d" % (s + 1) for s in range(16)]
    sizes = [75, 106] + [int(n) for n in rng.integers(75, 107, size=14)]
    samples = []
    for s, n in enumerate(sizes):
        centres = FAMILIES[s % 4]
        mid = rng.choice(centres, size=n)
        ages = np.round(mid + rng.normal(0.0, 0.03 * mid + 8.0), 1)
        sigmas = np.round(0.02 * ages + 5.0, 1)
        samples.append((ages, sigmas))
    book = openpyxl.Workbook()
    ages_sheet = book.active
    ages_sheet.title = "Ages"
    errors_sheet = book.create_sheet("Errors")
    rows_sheet = book.create_sheet("Grains")
    order = list(range(16))[::-1]  # the errors sheet's columns in another order
    for col, (name, (ages, sigmas)) in enumerate(zip(names, samples), start=1):
        ages_sheet.cell(row=1, column=col, value=name)
        err_col = order.index(col - 1) + 1
        errors_sheet.cell(row=1, column=err_col, value=name)
        for row, (age, sigma) in enumerate(zip(ages, sigmas), start=2):
            ages_sheet.cell(row=row, column=col, value=float(age))
            errors_sheet.cell(row=row, column=err_col, value=float(sigma))
    rows_sheet.append(["Name", "Age", "1s"])
    longest = max(len(a) for a, _ in samples)
    for i in range(longest):
        for name, (ages, sigmas) in zip(names, samples):
            if i < len(ages):
                rows_sheet.append([name, float(ages[i]), float(sigmas[i])])
    book.save(path)
    a, b = samples[0][0], samples[1][0]
    ks = stats.ks_2samp(a, b, method="exact")
    print("KS %r %r" % (float(ks.statistic), float(ks.pvalue)))
    print("V %r" % kuiper_v(a, b))
    for i in range(len(samples)):
        for j in range(i + 1, len(samples)):
            a, b = samples[i][0], samples[j][0]
            pair = stats.ks_2samp(a, b, method="exact")
            v = kuiper_v(a, b)
            print("PAIR %d %d %r %r %r %r" % (i, j, float(pair.statistic), float(pair.pvalue), v,
                                              kuiper_p(len(a), len(b), v)))


main(sys.argv[1])
