#!/usr/bin/python3
"""Dissimilarity matrices with what scikit-learn and numpy make of them, an oracle for the MDS
tests. A case is four lines:

  D k d11 d12 ... dkk      the k x k dissimilarities, row by row (repr of each float)
  N S1 SK IT C1            sklearn.manifold.MDS(metric=False, normalized_stress=True, n_init=1,
                           max_iter=1000, eps=1e-9, random_state=0).fit(D, init=X0), X0 the
                           classical (Torgerson) map by numpy: S1 is Kruskal's stress-1 of its
                           embedding written out from the definition (monotone regression of the
                           embedding's distances on D by sklearn's isotonic_regression, equal
                           dissimilarities ordered by distance, i.e. the primary approach; over
                           sum d^2); SK is sklearn's own stress_, IT its n_iter_; C1 the same
                           stress-1 of X0 itself
  P x0 y0 x1 y1 ...        a map of k random points
  S stress                 sqrt(sum (D_ij - d_ij)^2 / sum d_ij^2) over i < j, d the map's distances

sklearn 1.2.1's stress_ is not Kruskal's stress-1 of the embedding it returns: it is taken before
the last Guttman transform, over the full matrix whose lower triangle holds the distances and
whose upper triangle the disparities (scaled to a sum of squares of k(k-1)/2 over both), divided
by that matrix's disparities rather than the distances, and it ties equal dissimilarities to one
disparity (the secondary approach). So S1 is what the tests hold our stress-1 to; SK is reported.

With the argument "smacof" it prints instead one case that converges slowly, six samples:

  D 6 d11 ... d66
  X S1 IT                  S1 the stress-1 where nonmetric SMACOF (primary approach, disparities
                           scaled to the dissimilarities' sum of squares, from the classical map)
                           comes to rest, written here with numpy from the definitions and run
                           until stress-1 changes by less than 1e-14 of itself; IT its steps
"""
import sys

import numpy as np
from sklearn.isotonic import isotonic_regression
from sklearn.manifold import MDS


def classical(d):
    k = len(d)
    j = np.eye(k) - np.ones((k, k)) / k
    values, vectors = np.linalg.eigh(-0.5 * j @ (d * d) @ j)
    top = np.argsort(values)[::-1][:2]
    return vectors[:, top] * np.sqrt(np.maximum(values[top], 0.0))


def pair_distances(x):
    upper = np.triu_indices(len(x), 1)
    return np.sqrt(((x[:, None, :] - x[None, :, :]) ** 2).sum(axis=2))[upper]


def kruskal_stress(d, x):
    delta = d[np.triu_indices(len(d), 1)]
    dist = pair_distances(x)
    order = np.lexsort((dist, delta))
    fit = np.empty_like(dist)
    fit[order] = isotonic_regression(dist[order])
    return np.sqrt(((fit - dist) ** 2).sum() / (dist ** 2).sum())


def planar(rng, k, bend):
    points = rng.uniform(0.0, 10.0, size=(k, 2))
    d = np.sqrt(((points[:, None, :] - points[None, :, :]) ** 2).sum(axis=2))
    d = d * np.exp(rng.normal(0.0, 0.08, size=d.shape))
    d = np.triu(d, 1)
    return bend(d + d.T)


def ks_like(rng, k, n):
    """KS statistics between samples of n ages from shifting mixtures: not Euclidean, many ties."""
    samples = [np.concatenate([rng.normal(300 + 40 * i, 30, n // 2),
                               rng.normal(1100 - 25 * i, 60, n - n // 2)]) for i in range(k)]
    grid = np.sort(np.concatenate(samples))
    cdfs = [np.searchsorted(np.sort(s), grid, side="right") / n for s in samples]
    return np.array([[np.abs(a - b).max() for b in cdfs] for a in cdfs])


def line(tag, values):
    print(tag + " " + " ".join(repr(float(v)) for v in values))


def nonmetric_fit(delta, x):
    dist = pair_distances(x)
    order = np.lexsort((dist, delta))
    fit = np.empty_like(dist)
    fit[order] = isotonic_regression(dist[order])
    return dist, fit, np.sqrt(((fit - dist) ** 2).sum() / (dist ** 2).sum())


def smacof_at_rest(d):
    k = len(d)
    upper = np.triu_indices(k, 1)
    delta = d[upper]
    target = (delta ** 2).sum()
    x = classical(d)
    dist, fit, stress = nonmetric_fit(delta, x)
    for step in range(1, 100001):
        ratio = np.zeros((k, k))
        ratio[upper] = np.sqrt(target / (fit ** 2).sum()) * fit / dist
        ratio = ratio + ratio.T
        b = np.diag(ratio.sum(axis=1)) - ratio
        x = b @ x / k
        dist, fit, after = nonmetric_fit(delta, x)
        if abs(after - stress) < 1e-14 * stress:
            return after, step
        stress = after
    return stress, step


SLOW = [[0.0, 0.14, 0.59, 0.96, 0.11, 0.16], [0.14, 0.0, 0.05, 0.89, 0.15, 0.44],
        [0.59, 0.05, 0.0, 0.59, 0.15, 0.08], [0.96, 0.89, 0.59, 0.0, 0.35, 0.29],
        [0.11, 0.15, 0.15, 0.35, 0.0, 0.5], [0.16, 0.44, 0.08, 0.29, 0.5, 0.0]]


def slow_case():
    d = np.array(SLOW)
    print("D %d %s" % (len(d), " ".join(repr(float(v)) for v in d.ravel())))
    line("X", smacof_at_rest(d))


def main():
    rng = np.random.default_rng(20240611)
    cases = [
        planar(rng, 12, lambda d: 1.0 - np.exp(-d / 4.0)),
        planar(rng, 30, lambda d: np.log1p(d) ** 0.5),
        ks_like(rng, 20, 40),
    ]
    for d in cases:
        k = len(d)
        x0 = classical(d)
        mds = MDS(n_components=2, metric=False, normalized_stress=True, dissimilarity="precomputed",
                  n_init=1, max_iter=1000, eps=1e-9, random_state=0).fit(d, init=x0)
        print("D %d %s" % (k, " ".join(repr(float(v)) for v in d.ravel())))
        line("N", [kruskal_stress(d, mds.embedding_), mds.stress_, mds.n_iter_,
                   kruskal_stress(d, x0)])
        x = rng.uniform(-1.0, 1.0, size=(k, 2))
        line("P", x.ravel())
        dist = pair_distances(x)
        delta = d[np.triu_indices(k, 1)]
        line("S", [np.sqrt(((delta - dist) ** 2).sum() / (dist ** 2).sum())])


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "smacof":
        slow_case()
    else:
        main()
