#!/usr/bin/python3
"""The unmixing fits written in numpy and scipy from their definitions, for
tests/engine/unmixing/unmixing_test.cpp.

  unmixing_oracle.py cdf FILE SEED
      FILE holds lines "sample,age"; the first sample is the sink, the others the sources.
      Prints "D V best_random_D": the least Kolmogorov-Smirnov D and Kuiper V of a mixture
      (weights >= 0 summing to 1) by scipy.optimize.linprog over the empirical distributions at
      every pooled age and just below it, and the least D of 10,000 Dirichlet(1) mixtures.
  unmixing_oracle.py profiles FILE
      FILE holds one profile per line, comma-separated (the sink first). Prints the weights that
      minimise the squared distance of the unit-sum profiles, found by trying every set of
      sources held at zero (the KKT point of each subset, kept when feasible), then R^2.
"""
import itertools
import sys

import numpy as np
from scipy import optimize


def ecdf_values(sample, points, side):
    """F(x) (side 'right') or F(x-) (side 'left') of the sample at the points."""
    return np.searchsorted(np.sort(sample), points, side=side) / len(sample)


def cdf_rows(samples):
    pooled = np.unique(np.concatenate(samples))
    rows = [np.column_stack([ecdf_values(s, pooled, side) for s in samples])
            for side in ("right", "left")]
    return np.vstack(rows)


def min_distance(rows, kuiper):
    sink, sources = rows[:, 0], rows[:, 1:]
    m, n = sources.shape[1], len(sink)
    gaps = 2 if kuiper else 1
    c = np.r_[np.zeros(m), np.ones(gaps)]
    above = np.hstack([-sources, -np.ones((n, 1)), np.zeros((n, gaps - 1))])  # sink - M <= t+
    below = np.hstack([sources, np.zeros((n, gaps - 1)), -np.ones((n, 1))])   # M - sink <= t-
    a_ub = np.vstack([above, below])
    b_ub = np.r_[-sink, sink]
    a_eq = np.r_[np.ones(m), np.zeros(gaps)][None, :]
    result = optimize.linprog(c, A_ub=a_ub, b_ub=b_ub, A_eq=a_eq, b_eq=[1.0],
                              bounds=[(0, None)] * (m + gaps), method="highs")
    return result.fun


def random_best_d(rows, seed):
    rng = np.random.default_rng(seed)
    weights = rng.dirichlet(np.ones(rows.shape[1] - 1), size=10000)
    d = np.abs(rows[:, :1] - rows[:, 1:] @ weights.T).max(axis=0)
    return d.min()


def cdf(path, seed):
    names, samples = [], {}
    for line in open(path):
        name, age = line.strip().split(",")
        if name not in samples:
            names.append(name)
            samples[name] = []
        samples[name].append(float(age))
    rows = cdf_rows([np.array(samples[n]) for n in names])
    print("%.17g %.17g %.17g" % (min_distance(rows, False), min_distance(rows, True),
                                 random_best_d(rows, seed)))


def profiles(path):
    data = np.array([[float(v) for v in line.split(",")] for line in open(path) if line.strip()])
    data = data / data.sum(axis=1, keepdims=True)
    sink, sources = data[0], data[1:].T
    m = sources.shape[1]
    best, best_value = None, np.inf
    for size in range(1, m + 1):
        for free in itertools.combinations(range(m), size):
            p = sources[:, free]
            kkt = np.block([[2 * p.T @ p, np.ones((size, 1))], [np.ones((1, size)), 0]])
            rhs = np.r_[2 * p.T @ sink, 1.0]
            z = np.linalg.lstsq(kkt, rhs, rcond=None)[0][:size]
            if z.min() < -1e-12:
                continue
            w = np.zeros(m)
            w[list(free)] = np.maximum(z, 0) / np.maximum(z, 0).sum()
            value = np.sum((sink - sources @ w) ** 2)
            if value < best_value - 1e-18:
                best, best_value = w, value
    r = np.corrcoef(sink, sources @ best)[0, 1]
    print(" ".join("%.17g" % v for v in best), "%.17g" % (r * r))


if __name__ == "__main__":
    if sys.argv[1] == "cdf":
        cdf(sys.argv[2], int(sys.argv[3]))
    else:
        profiles(sys.argv[2])
