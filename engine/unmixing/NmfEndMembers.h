// End-member profiles of many samples by non-negative matrix factorisation: the inverse
// unmixing of J. E. Saylor, K. E. Sundell and G. R. Sharman (2019), "Characterizing sediment
// sources by non-negative matrix factorization of detrital geochronological data", Earth and
// Planetary Science Letters 512, 46-58.
//
// The profiles (one column per sample, rows the grid's ages) are each scaled to unit sum: X.
// X ~ W H with W >= 0 (rows x k: the end-members) and H >= 0 (k x samples: the weights),
// minimising ||X - W H||_F^2 by hierarchical alternating least squares (HALS: A. Cichocki and
// A.-H. Phan (2009), "Fast local algorithms for large scale nonnegative matrix and tensor
// factorizations", IEICE Transactions on Fundamentals E92-A, 708-721), with the inner repeats of
// N. Gillis and F. Glineur (2012), "Accelerated multiplicative updates and hierarchical ALS
// algorithms for nonnegative matrix factorization", Neural Computation 24, 1085-1105: the
// products X H' and W'X, which cost rows x samples x k, are reused for up to 1 + m / (2k)
// sweeps (m the factor's other dimension; at most 10), each costing a k-th of the product or
// less, while a sweep still changes the factor by a tenth of what the first did; and with the
// extrapolation of A. M. S. Ang and N. Gillis (2019), "Accelerating nonnegative matrix
// factorization algorithms using extrapolation", Neural Computation 31, 417-439 (each factor
// pushed on along its last step by a share beta that grows while the objective falls and
// shrinks, the push dropped, when it rises), which cut the iterations ten-fold on detrital
// profiles. Profile values below 1e-200 of their sample count as 0. The start is NNDSVDa
// (C. Boutsidis and E. Gallopoulos (2008), "SVD based initialization: a head start for
// nonnegative matrix factorization", Pattern Recognition 41, 1350-1362), zeros replaced by the
// mean of X; the singular vectors come from the eigen-decomposition of the smaller Gram matrix
// (X'X for more rows than samples), so the start, and the whole fit, is deterministic. The fit
// stops when the objective changes by less than 1e-9 of itself in one iteration (or by less
// than 1e-15 ||X||_F^2, the rounding floor of an objective computed from Gram matrices), or
// after 10,000 iterations.
//
// Then each end-member is scaled to unit sum (its scale folded into the weights) and each
// sample's weights are scaled to sum 1. The residual is that of this reported model,
// X^ = W H^ with the weights as reported: ||X - X^||_F / ||X||_F overall, and
// ||x_j - x^_j|| / ||x_j|| for sample j (0: the sample is a mixture of the end-members, 1: none
// of it is explained). End-members are sorted by the age of their highest point, youngest
// first (the earlier one first on a tie).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrel {

struct NmfOptions {
    int maxIterations = 10000;
    double tolerance = 1e-9;  ///< relative change of the objective that ends the fit
    unsigned threads = 0;     ///< nmfEndMembersByK: k values fitted at once; 0: one per core
    /// Optional: called after every iteration of every fit with its k and the iterations done,
    /// from the worker threads, several at once (read an atomic flag, say); returning false
    /// stops that fit, which is then marked `cancelled`.
    std::function<bool(int k, int iterations)> progress;
};

struct NmfFit {
    int k = 0;
    /// k end-member profiles, each as long as the grid, at unit sum, youngest peak first.
    std::vector<std::vector<double>> endMembers;
    /// One per sample, in the samples' order: k weights summing to 1 (in endMembers' order).
    std::vector<std::vector<double>> weights;
    std::vector<double> sampleResiduals;  ///< one per sample, as above
    double residual = 0.0;                ///< ||X - W H||_F / ||X||_F
    int iterations = 0;
    bool converged = false;  ///< the tolerance was met before maxIterations
    bool cancelled = false;  ///< NmfOptions::progress stopped it: the factors are unfinished
};

/// @brief The k end-members of the profiles (one per sample, all as long, any positive
/// scale). Throws KestrelError naming the sample for a profile that is 0 everywhere or not
/// finite, and for k outside 1..min(samples, rows).
NmfFit nmfEndMembers(const std::vector<std::vector<double>>& profiles,
                     const std::vector<std::string>& names, int k, const NmfOptions& options);

/// @brief The fits for every k from kFrom to kTo, but below the number of samples (k = samples
/// fits every sample exactly and tells nothing), the k values fitted in parallel, in k order.
/// Throws KestrelError as nmfEndMembers does, and for fewer than kFrom + 1 samples.
std::vector<NmfFit> nmfEndMembersByK(const std::vector<std::vector<double>>& profiles,
                                     const std::vector<std::string>& names, int kFrom, int kTo,
                                     const NmfOptions& options);

/// @brief Which of the fits (by increasing k) `auto` reports: the first whose residual is below
/// 0.001, or from which one more end-member lowers the residual by less than a tenth
/// (residual(k+1) > 0.9 residual(k)); the last if none. Returns its index.
size_t chooseEndMemberCount(const std::vector<NmfFit>& fits);

}  // namespace kestrel
