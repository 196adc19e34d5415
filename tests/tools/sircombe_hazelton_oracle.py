#!/usr/bin/python3
"""The Sircombe-Hazelton distance of every pair of samples by numpy, from the paper's definition
(Sircombe & Hazelton 2004), against the block kestrel-batch wrote.

  sircombe_hazelton_oracle.py BOOK.xlsx PROFILES.csv MATRIX.csv

BOOK.xlsx: sheet "Grains" (Name, Age, 1s; one row per grain). PROFILES.csv: the profiles file,
whose "Bandwidth" row gives each sample's bandwidth h. MATRIX.csv: the matrix file with its
"Sircombe-Hazelton" block. The kernel of grain i of a sample has variance c - s_i^2, with c the
largest over the samples of (largest s_i^2 + h^2); the distance is the L2 norm of the difference
of the two kernel sums, integrated numerically on a fine grid for the first three pairs as a
second check of the closed form. Prints "PAIRS n", "LARGEST_RELATIVE r" (closed form) and "QUADRATURE_RELATIVE q".
"""
import csv
import sys

import numpy as np
import openpyxl


def read_grains(path):
    sheet = openpyxl.load_workbook(path, read_only=True)["Grains"]
    samples = {}
    for row in list(sheet.iter_rows(values_only=True))[1:]:
        name, age, sigma = row[:3]
        samples.setdefault(name, ([], []))
        samples[name][0].append(float(age))
        samples[name][1].append(float(sigma))
    return {name: (np.array(a), np.array(s)) for name, (a, s) in samples.items()}


def read_bandwidths(path):
    rows = list(csv.reader(open(path, newline="")))
    names = rows[0][1:]
    band = next(r for r in rows if r and r[0] == "Bandwidth")
    return dict(zip(names, (float(v) for v in band[1:])))


def read_block(path, heading):
    rows = list(csv.reader(open(path, newline="")))
    start = next(i for i, r in enumerate(rows) if r and r[0] == heading)
    names = rows[start][1:]
    names = [n for n in names if n]
    values = {}
    for r in rows[start + 1:start + 1 + len(names)]:
        for name, v in zip(names, r[1:]):
            values[(r[0], name)] = float(v)
    return names, values


def cross(a, u, b, v):
    """(1/(n m)) sum_i sum_j N(a_i - b_j; 0, u_i + v_j)."""
    var = u[:, None] + v[None, :]
    gap = a[:, None] - b[None, :]
    return float(np.sum(np.exp(-0.5 * gap**2 / var) / np.sqrt(2 * np.pi * var)) / (len(a) * len(b)))


def density(x, ages, variances):
    var = variances[:, None]
    return np.sum(np.exp(-0.5 * (x[None, :] - ages[:, None])**2 / var) / np.sqrt(2 * np.pi * var),
                  axis=0) / len(ages)


def main(book, profiles, matrix):
    samples = read_grains(book)
    h = read_bandwidths(profiles)
    c = max(np.max(s**2) + h[name]**2 for name, (_, s) in samples.items())
    names, got = read_block(matrix, "Sircombe-Hazelton")
    largest = quadrature = 0.0
    pairs = 0
    for i, x in enumerate(names):
        for y in names[i + 1:]:
            (a, s), (b, t) = samples[x], samples[y]
            u, v = c - s**2, c - t**2
            square = cross(a, u, a, u) + cross(b, v, b, v) - 2 * cross(a, u, b, v)
            want = np.sqrt(max(square, 0.0))
            largest = max(largest, abs(got[(x, y)] - want) / want)
            pairs += 1
            if pairs > 3:
                continue  # the quadrature of a few pairs checks the closed form itself
            grid = np.linspace(min(a.min(), b.min()) - 10 * np.sqrt(c),
                               max(a.max(), b.max()) + 10 * np.sqrt(c), 40001)
            diff = density(grid, a, u) - density(grid, b, v)
            integral = np.sqrt(np.sum(diff**2) * (grid[1] - grid[0]))
            quadrature = max(quadrature, abs(got[(x, y)] - integral) / integral)
    print("PAIRS %d" % pairs)
    print("LARGEST_RELATIVE %r" % largest)
    print("QUADRATURE_RELATIVE %r" % quadrature)


if __name__ == "__main__":
    main(*sys.argv[1:4])
