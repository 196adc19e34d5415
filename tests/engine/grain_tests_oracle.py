#!/usr/bin/python3
"""Pairs of age lists shaped like detrital zircon spectra (several Gaussian populations, 60 to
120 grains; some rounded to whole Ma so that the samples share ages) with what scipy makes of
them, an oracle for the grain tests. A case is three lines:

  A age age ...            sample 1 (repr of each float)
  B age age ...            sample 2
  R D P V Q                scipy.stats.ks_2samp(A, B, method="exact"): D and p; Kuiper's V
                           from the empirical distribution functions and its p from the limit
                           with Stephens' correction, written out from the formula
"""
import math

import numpy as np
from scipy import stats


def spectrum(rng, n, populations, rounded):
    centres = rng.choice(populations, size=n)
    ages = centres + rng.normal(0.0, 0.04 * centres + 5.0)
    return np.round(ages) if rounded else ages


def kuiper(a, b):
    grid = np.sort(np.concatenate([a, b]))
    fa = np.searchsorted(np.sort(a), grid, side="right") / len(a)
    fb = np.searchsorted(np.sort(b), grid, side="right") / len(b)
    v = max(0.0, np.max(fa - fb)) + max(0.0, np.max(fb - fa))
    en = len(a) * len(b) / (len(a) + len(b))
    lam = (math.sqrt(en) + 0.155 + 0.24 / math.sqrt(en)) * v
    if lam < 0.4:
        return v, 1.0
    q = 2 * sum((4 * j * j * lam * lam - 1) * math.exp(-2 * j * j * lam * lam)
                for j in range(1, 101))
    return v, min(1.0, max(0.0, q))


def main():
    rng = np.random.default_rng(20261207)
    cases = [
        (60, 90, [300, 1100, 1800], [300, 1100, 1800], False),
        (75, 106, [550, 1000, 2700], [550, 1050, 2600], False),
        (80, 80, [450, 1200], [450, 1200], True),     # ties between the samples
        (120, 64, [250, 600, 1900], [1000, 2500], True),
        (100, 100, [100], [5000], False),            # disjoint: D = 1
    ]
    for n1, n2, p1, p2, rounded in cases:
        a = spectrum(rng, n1, p1, rounded)
        b = spectrum(rng, n2, p2, rounded)
        ks = stats.ks_2samp(a, b, method="exact")
        v, q = kuiper(a, b)
        print("A " + " ".join(repr(float(x)) for x in a))
        print("B " + " ".join(repr(float(x)) for x in b))
        print("R %r %r %r %r" % (float(ks.statistic), float(ks.pvalue), float(v), float(q)))


main()
