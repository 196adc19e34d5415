#!/usr/bin/python3
"""The figures' numbers by scipy and numpy, from their definitions, for figures_test.cpp.

  figures_oracle.py peaks FILE THRESHOLDS
      FILE: lines "grid,v1,v2,...", "profile,p1,p2,...", "ages,a1,a2,...", repeated per
      sample. THRESHOLDS: per cent, separated by commas. Prints, per threshold and sample, one
      line "peaks i1:g1 i2:g2 ..." of the peaks' grid rows by
      scipy.signal.find_peaks (height at least THRESHOLD per cent of the highest point; flat
      tops at their middle) and each peak's grains counted directly: ages at or above the
      lowest point between it and the previous peak (the grid's start for the first) and below
      the lowest point between it and the next (the grid's end for the last).
  figures_oracle.py bins EDGES FILE
      FILE: one line of ages per sample, separated by commas. Prints, per sample, numpy.histogram's
      counts of its ages with those edges, then the ages outside.
  figures_oracle.py dkw N1,N2,...
      Prints the DKW 95% band's half-width for each N: the e solving 2 exp(-2 N e^2) = 0.05.
"""
import math
import sys

import numpy as np
from scipy import optimize, signal


def peaks(path, thresholds):
    for threshold in thresholds:
        peaks_at(path, threshold)


def peaks_at(path, threshold):
    lines = [line.strip().split(",") for line in open(path) if line.strip()]
    for start in range(0, len(lines), 3):
        grid = np.array([float(v) for v in lines[start][1:]])
        profile = np.array([float(v) for v in lines[start + 1][1:]])
        ages = np.array([float(v) for v in lines[start + 2][1:]])
        found, _ = signal.find_peaks(profile, height=threshold / 100.0 * profile.max())
        words = []
        for k, row in enumerate(found):
            low = grid[0] if k == 0 else grid[found[k - 1] + np.argmin(profile[found[k - 1]:row + 1])]
            high = grid[-1] if k == len(found) - 1 else grid[row + np.argmin(profile[row:found[k + 1] + 1])]
            words.append("%d:%d" % (row, int(np.sum((ages >= low) & (ages < high)))))
        print("peaks " + " ".join(words))


def bins(edges_text, path):
    edges = np.array([float(v) for v in edges_text.split(",")])
    for line in open(path):
        ages = np.array([float(v) for v in line.strip().split(",")])
        counts, _ = np.histogram(ages, bins=edges)
        outside = int(np.sum((ages < edges[0]) | (ages > edges[-1])))
        print(" ".join(str(int(c)) for c in counts), outside)


def dkw(counts):
    for n in counts:
        e = optimize.brentq(lambda e: 2.0 * math.exp(-2.0 * n * e * e) - 0.05, 1e-9, 10.0,
                            xtol=1e-15)
        print(repr(e))


if __name__ == "__main__":
    if sys.argv[1] == "peaks":
        peaks(sys.argv[2], [float(v) for v in sys.argv[3].split(",")])
    elif sys.argv[1] == "bins":
        bins(sys.argv[2], sys.argv[3])
    else:
        dkw([int(v) for v in sys.argv[2].split(",")])
