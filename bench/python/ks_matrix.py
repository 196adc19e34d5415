#!/usr/bin/python3
"""Many profiles at once, the way a scientist would script it with numpy: read the Age column and
K profile columns of a .csv workbook (names in the first row), compute each cumulative curve (the
running sum over the total, which carries 1e-9 added to the first value), D = the largest
absolute difference of every pair of curves, and the classical MDS map in two dimensions.
Writes the matrix file in kestrel-batch's .csv layout (D block, an empty line, MDS block).
kestrel's benchmark times it beside kestrel-batch --matrix; its tests use it as an oracle.

scipy's ks_2samp is the per-pair test users know, but it takes samples of individual values,
not a profile over an age axis: done per pair it would also pay 19,900 Python calls. The
vectorised loop below is the fair reference.

Usage: ks_matrix.py WORKBOOK.csv [MATRIX.csv]
"""
import sys

import numpy as np

TOTAL_OFFSET = 1e-9


def read_profiles(path):
    with open(path, encoding="utf-8-sig") as book:
        names = book.readline().rstrip("\r\n").split(",")[1:]
    values = np.loadtxt(path, delimiter=",", skiprows=1, ndmin=2)
    return names, values[:, 1:].T.copy()  # one row per profile


def cumulative_curves(profiles):
    # The same additions in the same order as Kestrel: a running sum, and a total that starts
    # from 1e-9 + the first value.
    sums = np.cumsum(profiles, axis=1)
    shifted = profiles.copy()
    shifted[:, 0] += TOTAL_OFFSET
    totals = np.cumsum(shifted, axis=1)[:, -1]
    return sums / totals[:, None]


def pair_matrix(curves):
    k = curves.shape[0]
    d = np.zeros((k, k))
    for i in range(k - 1):
        d[i, i + 1:] = np.abs(curves[i + 1:] - curves[i]).max(axis=1)
    return d + d.T


def classical_mds(d):
    k = d.shape[0]
    j = np.eye(k) - np.full((k, k), 1.0 / k)
    b = -0.5 * j @ (d * d) @ j
    values, vectors = np.linalg.eigh(b)
    order = np.argsort(values)[::-1][:2]
    positive = values[values > 0].sum()
    points = np.zeros((k, 2))
    shares = np.zeros(2)
    for axis, index in enumerate(order):
        if values[index] <= 0:
            continue
        vector = vectors[:, index]
        if vector[np.argmax(np.abs(vector))] < 0:
            vector = -vector
        points[:, axis] = np.sqrt(values[index]) * vector
        shares[axis] = values[index] / positive
    return points, shares


def write_matrix(path, names, d, points, shares):
    lines = ["," + ",".join(names)]
    lines += [name + "," + ",".join(repr(float(v)) for v in row) for name, row in zip(names, d)]
    lines += ["", "MDS,Axis 1,Axis 2"]
    lines += ["%s,%r,%r" % (name, float(p[0]), float(p[1])) for name, p in zip(names, points)]
    lines.append("Share of variance,%r,%r" % (float(shares[0]), float(shares[1])))
    with open(path, "w", newline="") as out:
        out.write("\r\n".join(lines) + "\r\n")


def main():
    names, profiles = read_profiles(sys.argv[1])
    d = pair_matrix(cumulative_curves(profiles))
    points, shares = classical_mds(d)
    print("%d profiles x %d rows: %d pairs" % (len(names), profiles.shape[1], len(names) * (len(names) - 1) // 2))
    if len(sys.argv) > 2:
        write_matrix(sys.argv[2], names, d, points, shares)


if __name__ == "__main__":
    main()
