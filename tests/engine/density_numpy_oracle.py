#!/usr/bin/python3
"""Profiles from grain ages by numpy, an independent oracle for engine/density: direct sums of
normal densities over every grain and grid row (no kernel cut), and the Botev, Grotowski &
Kroese (2010) diffusion bandwidth written from the paper's steps with scipy's DCT-II and brentq.
Samples shaped like detrital age spectra (several normal populations, 60-120 grains) come from
a fixed seed. One record a line, numbers as repr():

  sample ID N age_1 sigma_1 ... age_N sigma_N
  botev ID H ROOT                     H the bandwidth; ROOT 1 if a sign change was found, 0 if
                                      H minimises |t - xi gamma(t)| over [0, 0.1]
  grid GRID FROM TO STEP
  pdp ID GRID V_0 ... V_last          the profiles at every grid row, scaled so the highest is
  kde ID GRID H V_0 ... V_last        100; H the bandwidth (pilot bandwidth for adaptive)
  adaptive ID GRID H V_0 ... V_last
"""
import math

import numpy as np
from scipy import fft, optimize


def emit(*fields):
    print(" ".join(f if isinstance(f, str) else repr(f) for f in fields))


def normal_sum(grid_ages, centres, widths):
    """sum over grains of N(x; centre, width) at every x, grain by grain."""
    total = np.zeros_like(grid_ages)
    for m, s in zip(centres, widths):
        total += np.exp(-0.5 * ((grid_ages - m) / s) ** 2) / (s * math.sqrt(2 * math.pi))
    return total


def scaled(profile):
    top = profile.max()
    return profile / top * 100.0 if top > 0 else profile


def adaptive_widths(ages, h):
    """Abramson's square-root law with the fixed KDE at the grain ages as the pilot."""
    diff = ages[:, None] - ages[None, :]
    pilot = np.exp(-0.5 * (diff / h) ** 2).sum(axis=1) / (h * math.sqrt(2 * math.pi))
    geometric_mean = math.exp(np.log(pilot).mean())
    return h * np.sqrt(geometric_mean / pilot)


def botev(ages):
    """Botev et al. (2010): the binned data's cosine transform, the fixed point
    t = xi gamma^[7](t), its root found as the authors' kde.m looks for it."""
    x = np.asarray(ages, float)
    n = 2 ** 14
    low, high = x.min(), x.max()
    spread = high - low
    mesh_low = low - spread / 10
    R = (high + spread / 10) - mesh_low
    mesh = mesh_low + np.arange(n) * (R / (n - 1))
    N = len(np.unique(x))
    # histc: bin k holds mesh[k] <= x < mesh[k+1]; the last bin x == mesh[-1].
    counts = np.bincount(np.searchsorted(mesh, x, side="right") - 1, minlength=n).astype(float)
    counts = counts / N
    counts = counts / counts.sum()
    a = fft.dct(counts, type=2)  # 2 sum x_j cos(pi k (2j + 1) / 2n), kde.m's dct1d for k >= 1
    I = np.arange(1, n, dtype=float) ** 2
    a2 = (a[1:] / 2) ** 2

    def equation(t):
        l = 7
        f = 2 * math.pi ** (2 * l) * np.sum(I ** l * a2 * np.exp(-I * math.pi ** 2 * t))
        for s in range(l - 1, 1, -1):
            K0 = np.prod(np.arange(1, 2 * s, 2, dtype=float)) / math.sqrt(2 * math.pi)
            const = (1 + 0.5 ** (s + 0.5)) / 3
            time = (2 * const * K0 / N / f) ** (2 / (3 + 2 * s))
            f = 2 * math.pi ** (2 * s) * np.sum(I ** s * a2 * np.exp(-I * math.pi ** 2 * time))
        return t - (2 * N * math.sqrt(math.pi) * f) ** (-2 / 5)

    clamped = min(max(N, 50), 1050)
    tol = 1e-12 + 0.01 * (clamped - 50) / 1000
    at_zero = equation(0.0)
    while True:
        if at_zero * equation(tol) <= 0:
            t = optimize.brentq(equation, 0.0, tol, xtol=1e-300, rtol=4 * np.finfo(float).eps,
                                maxiter=500)
            root = 1
            break
        tol = min(2 * tol, 0.1)
        if tol == 0.1:
            t = optimize.minimize_scalar(lambda u: abs(equation(u)), bounds=(0.0, 0.1),
                                         method="bounded", options={"xatol": 1e-20}).x
            root = 0
            break
    return math.sqrt(t) * R, root


def detrital_sample(rng, grains):
    """Ages from 2 to 5 normal populations (Ma), 1-sigma 1-3 % of the age plus 1 Ma."""
    populations = rng.integers(2, 6)
    means = rng.uniform(150.0, 3000.0, populations)
    spreads = means * rng.uniform(0.01, 0.06, populations)
    weights = rng.dirichlet(np.ones(populations))
    which = rng.choice(populations, grains, p=weights)
    ages = np.abs(rng.normal(means[which], spreads[which])) + 5.0
    sigmas = ages * rng.uniform(0.01, 0.03, grains) + 1.0
    return ages, sigmas


def grid_for(ages, sigmas, rng):
    """A grid a little wider than the ages, with a step that is not a round number."""
    low = ages.min() - 3 * sigmas.max() - rng.uniform(0, 50)
    high = ages.max() + 3 * sigmas.max() + rng.uniform(0, 50)
    rows = int(rng.integers(1200, 4000))
    step = (high - low) / (rows - 1) * rng.uniform(0.999, 1.001)
    return low, low + (rows - 1) * step, step, rows


def main():
    rng = np.random.default_rng(20100501)
    samples = []
    for grains in [60, 72, 85, 97, 108, 120]:
        samples.append(detrital_sample(rng, grains))
    # Ties: ages rounded to 10 Ma, so N (distinct ages) is well below the grain count.
    ages, sigmas = detrital_sample(rng, 90)
    samples.append((np.round(ages, -1), sigmas))
    # Many grains (N above 1050, tol starting at 0.01) and very few (no sign change: kde.m's
    # minimum of |t - xi gamma(t)|).
    samples.append(detrital_sample(rng, 1500))
    samples.append(detrital_sample(rng, 5))

    for sid, (ages, sigmas) in enumerate(samples):
        emit("sample", sid, len(ages), *[float(v) for pair in zip(ages, sigmas) for v in pair])
        h, root = botev(ages)
        emit("botev", sid, h, root)
        if len(ages) < 60:
            continue
        low, high, step, rows = grid_for(ages, sigmas, rng)
        emit("grid", sid, low, high, step)
        grid_ages = low + np.arange(rows) * step
        emit("pdp", sid, sid, *[float(v) for v in scaled(normal_sum(grid_ages, ages, sigmas))])
        typed = float(f"{h:.3g}")  # a bandwidth as a user would type it
        kde = normal_sum(grid_ages, ages, np.full(len(ages), typed))
        emit("kde", sid, sid, typed, *[float(v) for v in scaled(kde)])
        adaptive = normal_sum(grid_ages, ages, adaptive_widths(ages, typed))
        emit("adaptive", sid, sid, typed, *[float(v) for v in scaled(adaptive)])


if __name__ == "__main__":
    main()
