#!/usr/bin/python3
"""The youngest-grain estimators of the maximum depositional age, written in numpy from their
definitions, for tests/engine/depositional/youngest_grains_test.cpp.

  youngest_grains_oracle.py estimates FILE SEED DRAWS
      FILE holds lines "sample,age,sigma" (1 sigma). For every sample, in the order first met,
      one line per method: "sample method age minus plus mswd used", nan for what the method
      does not give (age nan: it found nothing).
  youngest_grains_oracle.py minimum FILE
      For the YDZ candidates of every sample, the exact distribution of the youngest of their
      ages drawn from N(a_i, s_i): "sample p2.5 p97.5 density(p2.5) density(p97.5) mode".
"""
import sys

import numpy as np
from scipy import optimize, special, stats

NAN = float("nan")
SQRT_2PI = 2.5066282746310002


def read_samples(path):
    rows = [line.strip().split(",") for line in open(path)]
    names = list(dict.fromkeys(r[0] for r in rows))
    return {n: tuple(np.array([float(r[c]) for r in rows if r[0] == n]) for c in (1, 2))
            for n in names}


def weighted_mean(a, s):
    w = 1.0 / s**2
    mean = np.sum(w * a) / np.sum(w)
    se = 1.0 / np.sqrt(np.sum(w))
    mswd = np.sum(w * (a - mean) ** 2) / (len(a) - 1) if len(a) > 1 else NAN
    return (mean, 1.96 * se, 1.96 * se, mswd, len(a))


NONE = (NAN, NAN, NAN, NAN, 0)


def ysg(a, s):
    i = int(np.argmin(a + s))  # argmin keeps the first of equals
    return (a[i], 1.96 * s[i], 1.96 * s[i], NAN, 1)


def cluster(a, s, k, m):
    order = sorted(range(len(a)), key=lambda i: (a[i] + k * s[i], a[i], i))
    for p in range(len(order)):
        top = a[order[p]] + k * s[order[p]]
        q = p + 1
        while q < len(order) and a[order[q]] - k * s[order[q]] < top:
            q += 1
        if q - p >= m:
            return order[p:q]
    return None


def yc(a, s, k, m, first_three=False):
    c = cluster(a, s, k, m)
    return NONE if c is None else weighted_mean(a[c[:3] if first_three else c],
                                                 s[c[:3] if first_three else c])


def by_age(a):
    return sorted(range(len(a)), key=lambda i: (a[i], i))


def y3za(a, s):
    return NONE if len(a) < 3 else weighted_mean(a[by_age(a)[:3]], s[by_age(a)[:3]])


def mswd_of(a, s):
    return weighted_mean(a, s)[3]


def ysp(a, s):
    o = np.array(by_age(a))
    a, s = a[o], s[o]
    n = len(a)
    for start in range(n - 1):
        if not mswd_of(a[start:start + 2], s[start:start + 2]) < 1:
            continue
        keep = n - start
        for j in range(3, n - start + 1):
            now = mswd_of(a[start:start + j], s[start:start + j])
            if now > 1:
                before = mswd_of(a[start:start + j - 1], s[start:start + j - 1])
                keep = j if abs(now - 1) < abs(before - 1) else j - 1
                break
        return weighted_mean(a[start:start + keep], s[start:start + keep])
    return NONE


class Pdp:
    """The PDP on its grid, read from the young end in blocks as far as asked."""

    def __init__(self, a, s):
        self.a, self.s = a, s
        self.x0 = np.min(a - 5 * s)
        self.h = np.min(s) / 10
        self.last = int(np.ceil((np.max(a + 5 * s) - self.x0) / self.h))
        self.values = np.zeros(0)

    def density(self, x):
        z = (x[:, None] - self.a[None, :]) / self.s[None, :]
        inside = np.abs(x[:, None] - self.a[None, :]) <= 8 * self.s[None, :]
        terms = np.where(inside, np.exp(-0.5 * z * z) / (self.s[None, :] * SQRT_2PI), 0.0)
        return np.sum(terms, axis=1)

    def slope(self, x):
        inside = np.abs(x - self.a) <= 8 * self.s
        a, s = self.a[inside], self.s[inside]
        z = (x - a) / s
        return np.sum(-z / s * np.exp(-0.5 * z * z) / (s * SQRT_2PI))

    def value(self, r):
        while r >= len(self.values):
            start = len(self.values)
            rows = np.arange(start, min(start + 4000, self.last + 1))
            self.values = np.concatenate([self.values, self.density(self.x0 + rows * self.h)])
        return self.values[r]

    def turns(self):
        for r in range(1, self.last):
            before, here, after = self.value(r - 1), self.value(r), self.value(r + 1)
            peak = before < here >= after
            minimum = before > here <= after
            if peak or minimum:
                yield self.refine(r), peak

    def refine(self, r):
        lo, at, hi = (self.x0 + q * self.h for q in (r - 1, r, r + 1))
        if not self.slope(lo) * self.slope(hi) < 0:
            return at
        return optimize.brentq(self.slope, lo, hi, xtol=1e-15 * abs(at), rtol=1e-15, maxiter=500)


def ypp(a, s):
    for x, peak in Pdp(a, s).turns():
        near = int(np.sum(np.abs(a - x) <= s))
        if peak and near >= 2:
            return (x, NAN, NAN, NAN, near)
    return NONE


def tau(a, s):
    below, peak_seen = -np.inf, False
    walk = Pdp(a, s).turns()
    while True:
        turn = next(walk, None)
        if turn is not None and turn[1]:
            peak_seen = True
            continue
        above = np.inf if turn is None else turn[0]
        if peak_seen:
            inside = (a > below) & (a <= above)
            if np.sum(inside) >= 3:
                return weighted_mean(a[inside], s[inside])
        if turn is None:
            return NONE
        below, peak_seen = above, False


def ydz_candidates(a, s):
    i = int(np.argmin(a + s))
    return np.nonzero(a <= a[i] + 5 * s[i])[0]


def uniforms(seed, first, count):
    """splitmix64 words first+1 .. first+count of the seed's stream as ((w >> 11) + 1/2) 2^-53."""
    u64 = np.uint64
    with np.errstate(over="ignore"):
        z = u64(seed) + np.arange(first + 1, first + count + 1, dtype=u64) * u64(
            0x9E3779B97F4A7C15)
        z = (z ^ (z >> u64(30))) * u64(0xBF58476D1CE4E5B9)
        z = (z ^ (z >> u64(27))) * u64(0x94D049BB133111EB)
        z = z ^ (z >> u64(31))
    return ((z >> u64(11)).astype(np.float64) + 0.5) * 2.0**-53


def youngest_of_draws(a, s, seed, draws):
    """Candidate j's uniforms are words j 2^32 + k; youngest first, each only where its uniform
    is below p = Phi((M - a) / s), M the largest youngest so far."""
    youngest, highest = np.full(draws, np.inf), np.inf
    for j in sorted(range(len(a)), key=lambda j: (a[j], j)):
        p = 1.0 if np.isinf(highest) else special.ndtr((highest - a[j]) / s[j])
        if p > 0.25:
            u = uniforms(seed, j << 32, draws)
            hit = u < p
            youngest[hit] = np.minimum(youngest[hit], a[j] + s[j] * special.ndtri(u[hit]))
        elif p >= 1e-280:
            u = uniforms(seed, j << 32, 2 * int(draws * p + 10 * np.sqrt(draws * p) + 20))
            k, d = 0, -1
            while True:
                if k + 1 >= len(u):
                    u = np.concatenate([u, uniforms(seed, (j << 32) + len(u), len(u))])
                d += 1 + int(np.floor(np.log(u[k]) / np.log1p(-p)))
                if d >= draws:
                    break
                youngest[d] = min(youngest[d], a[j] + s[j] * special.ndtri(p * u[k + 1]))
                k += 2
        highest = youngest.max()
    return youngest


def kde_mode(v):
    n = len(v)
    p25, p75 = np.percentile(v, [25, 75])
    sd = np.std(v, ddof=1)
    spread = min(sd, (p75 - p25) / 1.34) if p75 > p25 else sd
    bw = 0.9 * spread * n**-0.2
    grid = np.linspace(v.min(), v.max(), 512)
    density = np.empty(512)
    for b in range(0, 512, 32):
        z = (grid[b:b + 32, None] - v[None, :]) / bw
        density[b:b + 32] = np.sum(np.where(np.abs(z) <= 8, np.exp(-0.5 * z * z), 0.0), axis=1)
    r = int(np.argmax(density))

    def slope(x):
        z = (x - v) / bw
        return np.sum(np.where(np.abs(z) <= 8, -z / bw * np.exp(-0.5 * z * z), 0.0))

    lo, hi = grid[max(r - 1, 0)], grid[min(r + 1, 511)]
    if not slope(lo) * slope(hi) < 0:
        return grid[r]
    return optimize.brentq(slope, lo, hi, xtol=1e-15 * abs(grid[r]), rtol=1e-15, maxiter=500)


def ydz(a, s, seed, draws):
    c = ydz_candidates(a, s)
    youngest = youngest_of_draws(a[c], s[c], seed, draws)
    mode = kde_mode(youngest)
    p025, p975 = np.percentile(youngest, [2.5, 97.5])
    return (mode, mode - p025, p975 - mode, NAN, len(c))


def estimates(path, seed, draws):
    for name, (a, s) in read_samples(path).items():
        rows = [("ysg", ysg(a, s)), ("yc1s", yc(a, s, 1, 2)), ("yc2s", yc(a, s, 2, 3)),
                ("y3za", y3za(a, s)), ("y3zo", yc(a, s, 2, 3, first_three=True)),
                ("ysp", ysp(a, s)), ("ypp", ypp(a, s)), ("tau", tau(a, s)),
                ("ydz", ydz(a, s, seed, draws))]
        for method, (age, minus, plus, mswd, used) in rows:
            print(name, method, *("%.17g" % x for x in (age, minus, plus, mswd)), used)


def minimum(path):
    for name, (a, s) in read_samples(path).items():
        c = ydz_candidates(a, s)
        a, s = a[c], s[c]

        def cdf(t):
            return 1.0 - np.prod(stats.norm.sf((t - a) / s))

        def density(t):
            sf = stats.norm.sf((t - a) / s)
            pdf = stats.norm.pdf((t - a) / s) / s
            return sum(pdf[i] * np.prod(np.delete(sf, i)) for i in range(len(a)))

        lo, hi = np.min(a - 10 * s), np.max(a + 10 * s)
        q = [optimize.brentq(lambda t: cdf(t) - p, lo, hi, xtol=1e-12) for p in (0.025, 0.975)]
        grid = np.linspace(q[0], q[1], 4001)
        top = grid[int(np.argmax([density(t) for t in grid]))]
        step = grid[1] - grid[0]
        mode = optimize.minimize_scalar(lambda t: -density(t), bounds=(top - step, top + step),
                                        method="bounded", options={"xatol": 1e-10}).x
        print(name, *("%.17g" % x for x in (q[0], q[1], density(q[0]), density(q[1]), mode)))


if __name__ == "__main__":
    if sys.argv[1] == "estimates":
        estimates(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
    else:
        minimum(sys.argv[2])
