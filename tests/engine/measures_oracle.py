#!/usr/bin/python3
"""The measures of profiles and of age lists written out from their definitions with numpy, an
oracle for Kestrel's own.

  measures_oracle.py profiles FILE.csv   FILE: a heading row, then Age and one column per profile
  measures_oracle.py ages FILE.csv       FILE: a heading row, then one column per sample (ragged)

profiles: for every pair i < j (0-based) a line "i j D V S L R2 W2" (W2 "nan" for a profile of
zeros). ages: a line "i j W2" per pair. Numbers as repr of floats.
"""
import csv
import sys

import numpy as np


def shares(values):
    # The comparison's totals: 1e-9 plus the first value, then the others in row order.
    total = 1e-9 + values[0]
    for v in values[1:]:
        total = total + v
    return values / total


def curve(values):
    total = 1e-9 + values[0]
    for v in values[1:]:
        total = total + v
    return np.cumsum(values) / total


def w2_steps(x_a, cum_a, x_b, cum_b):
    # The quantile functions are steps: Q(u) = x_k for u in (cum_{k-1}, cum_k].
    levels = np.union1d(cum_a, cum_b)
    levels = levels[levels > 0]
    total, below = 0.0, 0.0
    for u in levels:
        qa = x_a[np.searchsorted(cum_a, u, side="left")]
        qb = x_b[np.searchsorted(cum_b, u, side="left")]
        total += (u - below) * (qa - qb) ** 2
        below = u
    return np.sqrt(total)


def w2_profiles(ages, f, g):
    if not f.any() or not g.any():
        return float("nan")
    order = np.argsort(ages, kind="stable")
    x = ages[order]
    # Cumulative masses that round above 1 before the last row are 1.
    ca = np.minimum(np.cumsum(f[order]) / f.sum(), 1.0)
    cb = np.minimum(np.cumsum(g[order]) / g.sum(), 1.0)
    ca[-1] = cb[-1] = 1.0
    return w2_steps(x, ca, x, cb)


def r2(f, g):
    if np.all(f == f[0]) or np.all(g == g[0]):
        return 0.0
    return float(np.corrcoef(f, g)[0, 1] ** 2)


def profiles(path):
    rows = list(csv.reader(open(path)))[1:]
    data = np.array([[float(x) for x in row] for row in rows])
    ages, columns = data[:, 0], data[:, 1:].T
    for i in range(len(columns)):
        for j in range(i + 1, len(columns)):
            a, b = columns[i], columns[j]
            fa, fb = shares(a), shares(b)
            gap = curve(a) - curve(b)
            d = float(np.max(np.abs(gap)))
            v = float(max(0.0, gap.max()) + max(0.0, (-gap).max()))
            s = float(np.sum(np.sqrt(np.maximum(fa, 0) * np.maximum(fb, 0))))
            like = float(1.0 - np.sum(np.abs(fa - fb)) / 2.0)
            print(i, j, *(repr(x) for x in (d, v, s, like, r2(fa, fb), w2_profiles(ages, a, b))))


def ages(path):
    rows = list(csv.reader(open(path)))[1:]
    samples = [np.sort([float(r[c]) for r in rows if c < len(r) and r[c] != ""])
               for c in range(len(rows[0]))]
    for i in range(len(samples)):
        for j in range(i + 1, len(samples)):
            a, b = samples[i], samples[j]
            ca = np.arange(1, len(a) + 1) / len(a)
            cb = np.arange(1, len(b) + 1) / len(b)
            print(i, j, repr(float(w2_steps(a, ca, b, cb))))


if __name__ == "__main__":
    {"profiles": profiles, "ages": ages}[sys.argv[1]](sys.argv[2])
