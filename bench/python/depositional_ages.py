#!/usr/bin/python3
"""Depositional ages and age components the way a scientist would script them with numpy and
scipy: the reference of kestrel_depositional_bench in scripts/bench.sh, on the samples that
benchmark writes (one column of ages per sample and its 1-sigma beside it).

The nine youngest-grain estimators are vectorised in numpy (the density-plot ones on a 1 Ma grid
over the young end of each sample, the Monte Carlo one over the grains that can be the
youngest); the maximum likelihood age maximises the 3-parameter minimum age model with
scipy.optimize (L-BFGS-B, numerical gradients, three starts); the age components fit 1 to 8
normals on log ages with scipy.optimize (BFGS, analytic gradient, four starts each) and keep
the lowest BIC.

Usage: depositional_ages.py SAMPLES.csv
Prints "ALL MLA COMPONENTS K": milliseconds for every estimator of every sample, for the
maximum likelihood age of every sample, for the components of the first sample, and its k.
"""
import sys
import time

import numpy as np
from scipy import optimize, special, stats


def weighted_mean(a, s):
    w = 1.0 / s**2
    return np.sum(w * a) / np.sum(w)


def youngest_cluster(a, s, k, least):
    # Sorted ages: the first grain whose k-sigma range is reached by `least` - 1 older ones.
    reach = (a[None, :] - k * s[None, :] <= (a + k * s)[:, None]) & (
        np.arange(len(a))[None, :] >= np.arange(len(a))[:, None])
    counts = reach.sum(axis=1)
    first = np.argmax(counts >= least)
    return np.nonzero(reach[first])[0] if counts[first] >= least else None


def pdp_young_end(a, s):
    top = np.quantile(a, 0.25) + 4 * np.max(s)
    grid = np.arange(max(a[0] - 4 * s[0], 0.0), top, 1.0)
    density = np.sum(stats.norm.pdf(grid[:, None], a[None, :], s[None, :]), axis=1)
    inner = np.arange(1, len(grid) - 1)
    peaks = inner[(density[inner] > density[inner - 1]) & (density[inner] >= density[inner + 1])]
    troughs = inner[(density[inner] < density[inner - 1]) & (density[inner] <= density[inner + 1])]
    return grid, peaks, troughs


def nine_estimators(a, s, rng):
    order = np.argsort(a)
    a, s = a[order], s[order]
    young = slice(0, min(len(a), 200))  # the youngest clusters lie among these
    out = {"ysg": a[0]}
    c1 = youngest_cluster(a[young], s[young], 1.0, 2)
    out["yc1s"] = weighted_mean(a[c1], s[c1]) if c1 is not None else np.nan
    c2 = youngest_cluster(a[young], s[young], 2.0, 3)
    out["yc2s"] = weighted_mean(a[c2], s[c2]) if c2 is not None else np.nan
    out["y3za"] = weighted_mean(a[:3], s[:3])
    out["y3zo"] = weighted_mean(a[c2[:3]], s[c2[:3]]) if c2 is not None else np.nan
    # YSP: the youngest n >= 2 grains whose MSWD is closest to 1.
    w = 1.0 / s**2
    sw, swa, swaa = np.cumsum(w), np.cumsum(w * a), np.cumsum(w * a * a)
    n = np.arange(1, len(a) + 1)
    mswd = (swaa - swa**2 / sw)[1:] / (n[1:] - 1)
    best = 1 + np.argmin(np.abs(mswd - 1.0))
    out["ysp"] = swa[best] / sw[best]
    grid, peaks, troughs = pdp_young_end(a, s)
    out["ypp"] = np.nan
    for p in peaks:
        if np.sum(np.abs(a - grid[p]) <= s) >= 2:
            out["ypp"] = grid[p]
            break
    out["tau"] = np.nan
    for p in peaks:
        below = troughs[troughs < p]
        above = troughs[troughs > p]
        lo = grid[below[-1]] if len(below) else -np.inf
        hi = grid[above[0]] if len(above) else np.inf
        inside = (a > lo) & (a < hi)
        if np.sum(inside) >= 3:
            out["tau"] = weighted_mean(a[inside], s[inside])
            break
    # YDZ: the mode of the youngest age over 10,000 draws of the grains within 5 sigma of the YSG.
    ysg = np.argmin(a + s)
    candidates = a <= a[ysg] + 5 * s[ysg]
    draws = np.min(rng.normal(a[candidates], s[candidates], (10000, np.sum(candidates))), axis=1)
    counts, edges = np.histogram(draws, bins=100)
    out["ydz"] = 0.5 * (edges[np.argmax(counts)] + edges[np.argmax(counts) + 1])
    return out


def minimum_age_loglik(v, z, x):
    gamma, sigma, pi = v[0], np.exp(v[1]), v[2]
    post_var = 1.0 / (1.0 / sigma**2 + 1.0 / x**2)
    post_mean = post_var * (gamma / sigma**2 + z / x**2)
    rest = (stats.norm.logpdf(z, gamma, np.sqrt(sigma**2 + x**2))
            + special.log_ndtr((post_mean - gamma) / np.sqrt(post_var)) + np.log(2.0))
    with np.errstate(divide="ignore"):
        return np.sum(np.logaddexp(np.log(pi) + stats.norm.logpdf(z, gamma, x),
                                   np.log1p(-pi) + rest))


def maximum_likelihood_age(a, s):
    z, x = np.log(a), s / a
    spread = max(z.max() - z.min(), np.median(x))
    box = [(z.min() - 2 * x[np.argmin(z)], z.max()), (np.log(0.01 * x.min()), np.log(3 * spread)),
           (0.0, 1.0)]
    negative = lambda v: -minimum_age_loglik(v, z, x)
    best = None
    sd = np.log(np.std(z))
    for gamma, pi in ((z.min(), 0.1), (np.quantile(z, 0.1), 0.1), (np.quantile(z, 0.1), 0.5)):
        r = optimize.minimize(negative, [gamma, sd, pi], method="L-BFGS-B", bounds=box)
        if best is None or r.fun < best.fun:
            best = r
    return np.exp(best.x[0])


def mixture_negative(v, z, x, k):
    mus, ps = v[:k], special.softmax(np.append(v[k:], 0.0))
    with np.errstate(divide="ignore"):
        terms = np.log(ps)[:, None] + stats.norm.logpdf(z[None, :], mus[:, None], x[None, :])
    log_f = special.logsumexp(terms, axis=0)
    r = np.exp(terms - log_f)
    d_mu = np.sum(r * (z - mus[:, None]) / x**2, axis=1)
    d_logit = np.sum(r - ps[:, None], axis=1)[:-1]
    return -np.sum(log_f), -np.append(d_mu, d_logit)


def components_by_bic(a, s):
    z, x = np.log(a), s / a
    rng = np.random.default_rng(1)
    best = None
    for k in range(1, min(8, len(z)) + 1):
        starts = [np.quantile(z, (np.arange(k) + 0.5) / k)]
        starts += [np.sort(rng.choice(z, k, replace=False)) for _ in range(3)]
        fit = min((optimize.minimize(mixture_negative, np.append(m, np.zeros(k - 1)),
                                     args=(z, x, k), jac=True, method="BFGS")
                   for m in starts), key=lambda r: r.fun)
        bic = 2 * fit.fun + (2 * k - 1) * np.log(len(z))
        if best is None or bic < best[0]:
            best = (bic, k)
    return best[1]


def main():
    data = np.loadtxt(sys.argv[1], delimiter=",", skiprows=1)
    samples = [(data[:, 2 * i], data[:, 2 * i + 1]) for i in range(data.shape[1] // 2)]
    rng = np.random.default_rng(1)
    begin = time.perf_counter()
    for a, s in samples:
        nine_estimators(a, s, rng)
    nine = time.perf_counter() - begin
    begin = time.perf_counter()
    for a, s in samples:
        maximum_likelihood_age(a, s)
    mla = time.perf_counter() - begin
    begin = time.perf_counter()
    k = components_by_bic(*samples[0])
    components = time.perf_counter() - begin
    print("%.1f %.1f %.1f %d" % ((nine + mla) * 1000, mla * 1000, components * 1000, k))


if __name__ == "__main__":
    main()
