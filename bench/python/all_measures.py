#!/usr/bin/python3
"""Many profiles by every measure, the way a scientist would script it with numpy and
scikit-learn: read the Age column and K profile columns of a .csv workbook, compute for every
pair the Kolmogorov-Smirnov D, Kuiper's V, Similarity, Likeness, R² and the Wasserstein-2
distance (exactly, from the quantile functions' steps), then the classical MDS map of D and a
nonmetric map refined from it (sklearn.manifold.MDS), and write every block as a .csv matrix
file. kestrel's benchmark times it beside kestrel-batch --matrix --measure all --mds nonmetric.

Usage: all_measures.py WORKBOOK.csv MATRIX.csv
"""
import sys

import numpy as np
from sklearn.manifold import MDS

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from ks_matrix import classical_mds, cumulative_curves, read_profiles  # noqa: E402


def shares(profiles):
    shifted = profiles.copy()
    shifted[:, 0] += 1e-9
    return profiles / np.cumsum(shifted, axis=1)[:, -1][:, None]


def w2(x, cum_a, cum_b):
    levels = np.union1d(cum_a, cum_b)
    qa = x[np.minimum(np.searchsorted(cum_a, levels, side="left"), len(x) - 1)]
    qb = x[np.minimum(np.searchsorted(cum_b, levels, side="left"), len(x) - 1)]
    widths = np.diff(np.concatenate(([0.0], levels)))
    return np.sqrt(np.sum(widths * (qa - qb) ** 2))


def all_pairs(ages, profiles):
    k = profiles.shape[0]
    curves, f = cumulative_curves(profiles), shares(profiles)
    roots = np.sqrt(np.maximum(f, 0))
    centred = f - f.mean(axis=1)[:, None]
    norms = np.sqrt((centred * centred).sum(axis=1))
    order = np.argsort(ages, kind="stable")
    mass = np.minimum(np.cumsum(profiles[:, order], axis=1) / profiles.sum(axis=1)[:, None], 1.0)
    mass[:, -1] = 1.0
    blocks = {name: np.zeros((k, k)) for name in ("D", "V", "S", "L", "R2", "W2")}
    for i in range(k - 1):
        gap = curves[i + 1:] - curves[i]
        blocks["D"][i, i + 1:] = np.abs(gap).max(axis=1)
        blocks["V"][i, i + 1:] = np.maximum(gap.max(axis=1), 0) + np.maximum((-gap).max(axis=1), 0)
        blocks["S"][i, i + 1:] = roots[i + 1:] @ roots[i]
        blocks["L"][i, i + 1:] = 1 - np.abs(f[i + 1:] - f[i]).sum(axis=1) / 2
        blocks["R2"][i, i + 1:] = (centred[i + 1:] @ centred[i] / (norms[i + 1:] * norms[i])) ** 2
        for j in range(i + 1, k):
            blocks["W2"][i, j] = w2(ages[order], mass[i], mass[j])
    for name, block in blocks.items():
        blocks[name] = block + block.T + (np.eye(k) if name in ("S", "L", "R2") else 0)
    return blocks


def main():
    names, profiles = read_profiles(sys.argv[1])
    ages = np.loadtxt(sys.argv[1], delimiter=",", skiprows=1, usecols=0)
    blocks = all_pairs(ages, profiles)
    start, _ = classical_mds(blocks["D"])
    mds = MDS(n_components=2, metric=False, n_init=1, max_iter=1000, eps=1e-9,
              dissimilarity="precomputed", normalized_stress=True)
    points = mds.fit_transform(blocks["D"], init=start)
    lines = []
    for name, block in blocks.items():
        lines += [name + "," + ",".join(names)]
        lines += [n + "," + ",".join(repr(float(v)) for v in row) for n, row in zip(names, block)]
        lines.append("")
    lines += ["MDS,Axis 1,Axis 2"]
    lines += ["%s,%r,%r" % (n, float(p[0]), float(p[1])) for n, p in zip(names, points)]
    lines.append("Stress-1,%r" % float(mds.stress_))
    with open(sys.argv[2], "w", newline="") as out:
        out.write("\r\n".join(lines) + "\r\n")
    print("%d profiles x %d rows: %d pairs, stress %.6f" % (len(names), profiles.shape[1],
                                                            len(names) * (len(names) - 1) // 2,
                                                            mds.stress_))


if __name__ == "__main__":
    main()
