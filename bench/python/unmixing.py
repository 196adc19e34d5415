#!/usr/bin/python3
"""Unmixing the way a scientist would script it with numpy, scipy and scikit-learn: the
reference of kestrel_unmixing_bench in scripts/bench.sh, on the grains and profiles that
benchmark writes.

  - the exact minimum-D mixture of the sink and five sources: scipy.optimize.linprog (HiGHS) on
    the whole programme (both sides of every pooled age);
  - the field's random search: 10,000 Dirichlet(1) mixtures, the least D kept;
  - the bootstrap: grains resampled with replacement and the linprog fit made again, RESAMPLES
    times (the time given is scaled to 1,000 resamples);
  - end-members of the 200 profiles (each at unit sum) for k = 2 to 8 by scikit-learn's NMF
    (coordinate descent, which is HALS, from NNDSVDa; tol 1e-9, at most 10,000 iterations).

Usage: unmixing.py SOURCES.csv PROFILES.csv [RESAMPLES]
Prints "EXACT_MS EXACT_D RANDOM_MS RANDOM_D BOOTSTRAP_MS_PER_1000 NMF_MS".
"""
import sys
import time
import warnings

import numpy as np
from scipy import optimize
from sklearn.decomposition import NMF
from sklearn.exceptions import ConvergenceWarning


def cdf_rows(samples):
    pooled = np.unique(np.concatenate(samples))
    return np.vstack([np.column_stack([np.searchsorted(np.sort(s), pooled, side=side) / len(s)
                                       for s in samples]) for side in ("right", "left")])


def exact_d(samples):
    rows = cdf_rows(samples)
    sink, sources = rows[:, 0], rows[:, 1:]
    n, m = sources.shape
    a_ub = np.vstack([np.hstack([-sources, -np.ones((n, 1))]),
                      np.hstack([sources, -np.ones((n, 1))])])
    result = optimize.linprog(np.r_[np.zeros(m), 1.0], A_ub=a_ub, b_ub=np.r_[-sink, sink],
                              A_eq=np.r_[np.ones(m), 0.0][None], b_eq=[1.0],
                              bounds=[(0, None)] * (m + 1), method="highs")
    return result.x[:m], result.fun


def random_search(samples, rng):
    rows = cdf_rows(samples)
    weights = rng.dirichlet(np.ones(len(samples) - 1), size=10000)
    d = np.abs(rows[:, :1] - rows[:, 1:] @ weights.T).max(axis=0)
    return d.min()


def timed(function, *args):
    start = time.perf_counter()
    result = function(*args)
    return (time.perf_counter() - start) * 1000.0, result


def main(sources_path, profiles_path, resamples):
    columns = np.loadtxt(sources_path, delimiter=",", skiprows=1).T
    samples = list(columns)
    rng = np.random.default_rng(1)
    exact_ms, (_, d) = timed(exact_d, samples)
    random_ms, random_d = timed(random_search, samples, rng)
    boot_ms, _ = timed(lambda: [exact_d([s[rng.integers(0, len(s), len(s))] for s in samples])
                                for _ in range(resamples)])
    x = np.loadtxt(profiles_path, delimiter=",")
    x = x / x.sum(axis=0, keepdims=True)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", ConvergenceWarning)
        nmf_ms, _ = timed(lambda: [NMF(k, init="nndsvda", solver="cd", tol=1e-9,
                                       max_iter=10000).fit(x) for k in range(2, 9)])
    print("%.1f %.6f %.1f %.6f %.1f %.1f" % (exact_ms, d, random_ms, random_d,
                                            boot_ms * 1000.0 / resamples, nmf_ms))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 1000)
