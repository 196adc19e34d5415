#!/usr/bin/python3
"""Two-sample Kolmogorov-Smirnov probabilities and critical values from scipy, an independent
oracle for engine/KsTwoSample. One case a line:

  exact N1 N2 D P        ks_2samp's exact two-sided tail at the lattice value D
  asymp N1 N2 D P        ks_2samp's asymptotic two-sided tail (kstwo at round(en))
  crit N1 N2 C           smallest lattice D with exact tail <= 0.05
  critasymp N1 N2 C      kstwo's 0.95 quantile at round(en)
"""
import math
import warnings

import numpy as np
from scipy import stats
from scipy.stats import _stats_py

ALPHA = 0.05


def exact_tail(n1, n2, h):
    """The routine ks_2samp(method="exact") calls, at lattice index h."""
    g = math.gcd(n1, n2)
    lcm = n1 // g * n2
    ok, d, p = _stats_py._attempt_exact_2kssamp(n1, n2, g, h / lcm, "two-sided")
    # scipy gives up where its rounding strays outside [0, 1] (h = 1 of equal sizes, where the
    # tail is 1): no case then.
    return d, (p if ok else None)


def emit(*fields):
    print(" ".join(f if isinstance(f, str) else repr(f) for f in fields))


def exact_grid():
    sizes = [(1, 1), (1, 7), (5, 5), (5, 10), (7, 13), (10, 37), (37, 100), (100, 100),
             (100, 1000), (1000, 1000), (250, 4000), (3000, 3333), (10000, 7), (10000, 1000)]
    for n1, n2 in sizes:
        lcm = n1 // math.gcd(n1, n2) * n2
        # D at 0, at 1, one step above 0, and a spread through the middle of the distribution.
        centre = 1.36 * math.sqrt((n1 + n2) / (n1 * n2))
        fractions = [0.25, 0.5, 0.8, 1.0, 1.2, 1.6, 2.5, 4.0]
        hs = {0, 1, lcm, max(1, lcm - 1)}
        hs.update(min(lcm, max(1, round(f * centre * lcm))) for f in fractions)
        for h in sorted(hs):
            d, p = exact_tail(n1, n2, h)
            if p is not None:
                emit("exact", n1, n2, d, p)


def exact_from_samples():
    """ks_2samp itself, on samples with ties (whole numbers), where D falls on the lattice."""
    rng = np.random.default_rng(13)
    for n1, n2, shift in [(20, 30, 0), (40, 40, 1), (64, 48, 2), (300, 200, 1), (9, 9, 0)]:
        x = rng.integers(0, 12, n1)
        y = rng.integers(0, 12, n2) + shift
        r = stats.ks_2samp(x, y, method="exact")
        emit("exact", n1, n2, float(r.statistic), float(r.pvalue))
    # Identical samples (D = 0) and samples wholly apart (D = 1).
    same = np.arange(30)
    r = stats.ks_2samp(same, np.concatenate([same, same]), method="exact")
    emit("exact", 30, 60, float(r.statistic), float(r.pvalue))
    r = stats.ks_2samp(np.arange(12), np.arange(12) + 100, method="exact")
    emit("exact", 12, 12, float(r.statistic), float(r.pvalue))


def asymptotic_grid():
    rng = np.random.default_rng(7)
    for n1, n2 in [(10000, 10000), (5000, 5000), (10000, 2000), (4000, 3000)]:
        for shift in [0.0, 0.02, 0.05, 0.08]:
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                r = stats.ks_2samp(rng.normal(size=n1), rng.normal(shift, size=n2),
                                   method="asymp")
            emit("asymp", n1, n2, float(r.statistic), float(r.pvalue))
    for n1, n2 in [(1000000, 11), (200000, 500), (100000, 100000)]:
        en = round(n1 * n2 / (n1 + n2))
        for d in [0.0, 0.5 / math.sqrt(en), 1.0 / math.sqrt(en), 1.5 / math.sqrt(en), 1.0]:
            emit("asymp", n1, n2, d, float(stats.kstwo.sf(d, en)))


def critical_values():
    sizes = [5, 10, 37, 100, 1000, 5000]
    for i, n1 in enumerate(sizes):
        for n2 in sizes[i:]:
            if n1 * n2 > 10_000_000:
                en = round(n1 * n2 / (n1 + n2))
                emit("critasymp", n1, n2, float(stats.kstwo.isf(ALPHA, en)))
                continue
            lcm = n1 // math.gcd(n1, n2) * n2
            lo, hi = 0, lcm  # tail(lo) > alpha >= tail(hi)
            if exact_tail(n1, n2, hi)[1] > ALPHA:
                emit("crit", n1, n2, 1.0)
                continue
            estimate = round(1.36 * math.sqrt((n1 + n2) / (n1 * n2)) * lcm)
            for probe in (round(estimate * 0.8), round(estimate * 1.25)):
                if 0 < probe < lcm:
                    if exact_tail(n1, n2, probe)[1] > ALPHA:
                        lo = max(lo, probe)
                    else:
                        hi = min(hi, probe)
            while hi - lo > 1:
                mid = (lo + hi) // 2
                if exact_tail(n1, n2, mid)[1] > ALPHA:
                    lo = mid
                else:
                    hi = mid
            emit("crit", n1, n2, hi / lcm)


if __name__ == "__main__":
    exact_grid()
    exact_from_samples()
    asymptotic_grid()
    critical_values()
