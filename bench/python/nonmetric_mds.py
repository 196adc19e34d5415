#!/usr/bin/python3
"""The nonmetric MDS map of a dissimilarity matrix the way a scientist would script it:
scikit-learn's MDS (metric=False, one start, the classical map; at most 1,000 steps, tolerance
1e-9, as kestrel's own map), fitted REPEATS times. Prints the median time of a fit in
milliseconds and the steps of the last one. kestrel's benchmark writes the matrix
(kestrel_engine_bench's BM_NonmetricMds) and scripts/bench.sh times this beside it.

Usage: nonmetric_mds.py MATRIX.csv [REPEATS]
"""
import statistics
import sys
import time

import numpy as np
from sklearn.manifold import MDS

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from ks_matrix import classical_mds  # noqa: E402


def main():
    d = np.loadtxt(sys.argv[1], delimiter=",")
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    start, _ = classical_mds(d)
    times = []
    for _ in range(repeats):
        mds = MDS(n_components=2, metric=False, n_init=1, max_iter=1000, eps=1e-9,
                  dissimilarity="precomputed", normalized_stress=True)
        begin = time.perf_counter()
        mds.fit_transform(d, init=start)
        times.append(time.perf_counter() - begin)
    print("%.1f %d" % (statistics.median(times) * 1000, mds.n_iter_))


if __name__ == "__main__":
    main()
