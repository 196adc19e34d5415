#!/usr/bin/python3
"""The grain-ages job of kestrel-batch --ages --matrix in numpy and scipy, the reference of
scripts/bench.sh, and the workbooks it runs on.

  grain_ages.py make K N BOOK.csv     K samples of N grains shaped like detrital spectra, one
                                      column per sample with its 1-sigma beside ("S01", "S01 err")
  grain_ages.py run BOOK.csv pdp|kde PROFILES.csv MATRIX.csv
                                      every sample's PDP (or Gaussian KDE with the Botev
                                      bandwidth) on one grid, scaled to 100; every pair's
                                      ks_2samp(method="exact") D and p and Kuiper's V
"""
import csv
import math
import sys

import numpy as np
from scipy import fft, optimize, stats


def make(k, n, path):
    rng = np.random.default_rng(7)
    columns = []
    for _ in range(k):
        means = rng.uniform(150.0, 3000.0, rng.integers(2, 6))
        which = rng.choice(len(means), n)
        ages = np.round(np.abs(rng.normal(means[which], 0.03 * means[which])) + 5.0, 2)
        columns += [ages, np.round(0.02 * ages + 1.0, 2)]
    with open(path, "w", newline="") as f:
        out = csv.writer(f)
        out.writerow([name for s in range(k) for name in ("S%02d" % (s + 1), "S%02d err" % (s + 1))])
        for row in zip(*columns):
            out.writerow([repr(float(v)) for v in row])


def read(path):
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    names = rows[0][0::2]
    values = np.array([[float(v) for v in row] for row in rows[1:]])
    return names, [(values[:, 2 * s], values[:, 2 * s + 1]) for s in range(len(names))]


def botev(x):
    n = 2 ** 14
    low, high = x.min(), x.max()
    spread = high - low
    mesh_low = low - spread / 10
    r = high + spread / 10 - mesh_low
    mesh = mesh_low + np.arange(n) * (r / (n - 1))
    distinct = len(np.unique(x))
    counts = np.bincount(np.searchsorted(mesh, x, side="right") - 1, minlength=n)[:n] / distinct
    a = fft.dct(counts / counts.sum(), type=2)
    i2 = np.arange(1, n, dtype=float) ** 2
    a2 = (a[1:] / 2) ** 2

    def equation(t):
        f = 2 * math.pi ** 14 * np.sum(i2 ** 7 * a2 * np.exp(-i2 * math.pi ** 2 * t))
        for s in range(6, 1, -1):
            k0 = np.prod(np.arange(1, 2 * s, 2, dtype=float)) / math.sqrt(2 * math.pi)
            time = (2 * (1 + 0.5 ** (s + 0.5)) / 3 * k0 / distinct / f) ** (2 / (3 + 2 * s))
            f = 2 * math.pi ** (2 * s) * np.sum(i2 ** s * a2 * np.exp(-i2 * math.pi ** 2 * time))
        return t - (2 * distinct * math.sqrt(math.pi) * f) ** (-2 / 5)

    tol = 1e-12 + 0.01 * (min(max(distinct, 50), 1050) - 50) / 1000
    while equation(0.0) * equation(tol) > 0 and tol < 0.1:
        tol = min(2 * tol, 0.1)
    t = optimize.brentq(equation, 0.0, tol) if equation(0.0) * equation(tol) <= 0 else \
        optimize.minimize_scalar(lambda u: abs(equation(u)), bounds=(0, 0.1), method="bounded").x
    return math.sqrt(t) * r


def profiles(samples, kind):
    widths = [s if kind == "pdp" else np.full(len(a), botev(a)) for a, s in samples]
    low = min((a - 3 * w).min() for (a, _), w in zip(samples, widths))
    high = max((a + 3 * w).max() for (a, _), w in zip(samples, widths))
    step = 10 ** math.floor(math.log10((high - low) / 5000))
    for m in (1, 2, 2.5, 5, 10):
        if (high - low) / (m * step) <= 5000:
            step *= m
            break
    grid = np.arange(math.floor(low / step), math.ceil(high / step) + 1) * step
    result = []
    for (a, _), w in zip(samples, widths):
        p = np.zeros_like(grid)
        for age, width in zip(a, w):
            near = np.abs(grid - age) < 7.7 * width
            p[near] += np.exp(-0.5 * ((grid[near] - age) / width) ** 2) / width
        result.append(p / p.max() * 100)
    return grid, result


def kuiper(a, b):
    both = np.sort(np.concatenate([a, b]))
    fa = np.searchsorted(np.sort(a), both, side="right") / len(a)
    fb = np.searchsorted(np.sort(b), both, side="right") / len(b)
    return max(0.0, np.max(fa - fb)) + max(0.0, np.max(fb - fa))


def run(path, kind, profiles_path, matrix_path):
    names, samples = read(path)
    grid, built = profiles(samples, kind)
    with open(profiles_path, "w", newline="") as f:
        out = csv.writer(f)
        out.writerow(["Age"] + names)
        for r, age in enumerate(grid):
            out.writerow([repr(float(age))] + [repr(float(p[r])) for p in built])
    k = len(names)
    d, p, v = (np.zeros((k, k)) for _ in range(3))
    for i in range(k):
        for j in range(i + 1, k):
            test = stats.ks_2samp(samples[i][0], samples[j][0], method="exact")
            d[i, j] = d[j, i] = test.statistic
            p[i, j] = p[j, i] = test.pvalue
            v[i, j] = v[j, i] = kuiper(samples[i][0], samples[j][0])
    with open(matrix_path, "w", newline="") as f:
        out = csv.writer(f)
        for title, block in (("", d), ("p", p), ("Kuiper V", v)):
            out.writerow([title] + names)
            for name, row in zip(names, block):
                out.writerow([name] + [repr(float(x)) for x in row])


if sys.argv[1] == "make":
    make(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4])
else:
    run(*sys.argv[2:6])
