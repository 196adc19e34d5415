// End-members by HALS from an NNDSVDa start.
#include "engine/unmixing/NmfEndMembers.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "engine/KestrelError.h"
#include "engine/ParallelIndices.h"

namespace kestrel {
namespace {

using Eigen::Index;
using Eigen::MatrixXd;
using Eigen::VectorXd;

constexpr int kMaxInnerSweeps = 10;
constexpr double kInnerShare = 0.1;  // a sweep changing less than this of the first ends them
constexpr double kFloor = 1e-16;     // no entry reaches 0, so no end-member dies (Gillis)

struct LeadingSvd {
    VectorXd sigma;  // descending
    MatrixXd u, v;   // the singular vectors, column by column
};

// The samples' profiles as the columns of X, each at unit sum.
MatrixXd unitSumColumns(const std::vector<std::vector<double>>& profiles,
                        const std::vector<std::string>& names) {
    if (profiles.empty()) throw KestrelError("End-members: no samples given");
    const Index rows = static_cast<Index>(profiles.front().size());
    MatrixXd x(rows, static_cast<Index>(profiles.size()));
    for (size_t s = 0; s < profiles.size(); ++s) {
        const auto& profile = profiles[s];
        const std::string sample = "Sample \"" + (s < names.size() ? names[s] : "") + "\": ";
        if (static_cast<Index>(profile.size()) != rows)
            throw KestrelError(sample + "its profile is not on the other samples' grid");
        double sum = 0.0;
        for (double v : profile) {
            if (!std::isfinite(v) || v < 0.0)
                throw KestrelError(sample +
                                   "its profile holds a value that is negative or not "
                                   "finite");
            sum += v;
        }
        if (!(sum > 0.0))
            throw KestrelError(sample + "its profile is 0 on the whole age grid; widen the grid");
        // A kernel's far tail (below 1e-200 of the sample) counts as 0: it changes nothing, and
        // products with it would run in subnormal numbers, a hundred times slower.
        for (Index r = 0; r < rows; ++r) {
            const double share = profile[static_cast<size_t>(r)] / sum;
            x(r, static_cast<Index>(s)) = share < 1e-200 ? 0.0 : share;
        }
    }
    return x;
}

// The k leading singular triplets of X from the eigen-decomposition of the smaller Gram matrix.
LeadingSvd leadingSvd(const MatrixXd& x, int k) {
    const bool tall = x.rows() >= x.cols();
    const MatrixXd gram = tall ? MatrixXd(x.transpose() * x) : MatrixXd(x * x.transpose());
    const Eigen::SelfAdjointEigenSolver<MatrixXd> eigen(gram);
    LeadingSvd svd;
    svd.sigma.resize(k);
    svd.u.resize(x.rows(), k);
    svd.v.resize(x.cols(), k);
    for (int j = 0; j < k; ++j) {
        const Index e = gram.cols() - 1 - j;  // Eigen sorts eigenvalues ascending
        const double sigma = std::sqrt(std::max(0.0, eigen.eigenvalues()(e)));
        svd.sigma(j) = sigma;
        const VectorXd vector = eigen.eigenvectors().col(e);
        const VectorXd other = (tall ? VectorXd(x * vector) : VectorXd(x.transpose() * vector)) /
                               std::max(sigma, std::numeric_limits<double>::min());
        svd.u.col(j) = tall ? other : vector;
        svd.v.col(j) = tall ? vector : other;
    }
    return svd;
}

// NNDSVD's start, then every zero replaced by the mean of X (NNDSVDa): W rows x k, H' samples x k.
void nndsvda(const LeadingSvd& svd, int k, double mean, MatrixXd& w, MatrixXd& ht) {
    w.setZero(svd.u.rows(), k);
    ht.setZero(svd.v.rows(), k);
    w.col(0) = std::sqrt(svd.sigma(0)) * svd.u.col(0).cwiseAbs();
    ht.col(0) = std::sqrt(svd.sigma(0)) * svd.v.col(0).cwiseAbs();
    for (int j = 1; j < k; ++j) {
        const VectorXd up = svd.u.col(j).cwiseMax(0.0), un = (-svd.u.col(j)).cwiseMax(0.0);
        const VectorXd vp = svd.v.col(j).cwiseMax(0.0), vn = (-svd.v.col(j)).cwiseMax(0.0);
        const double positive = up.norm() * vp.norm(), negative = un.norm() * vn.norm();
        const bool usePositive = positive >= negative;
        const VectorXd& a = usePositive ? up : un;
        const VectorXd& b = usePositive ? vp : vn;
        const double scale = std::sqrt(svd.sigma(j) * std::max(positive, negative));
        if (a.norm() > 0.0 && b.norm() > 0.0) {
            w.col(j) = scale * a / a.norm();
            ht.col(j) = scale * b / b.norm();
        }
    }
    w = w.unaryExpr([mean](double v) { return v > 0.0 ? v : mean; });
    ht = ht.unaryExpr([mean](double v) { return v > 0.0 ? v : mean; });
}

// HALS sweeps of one factor F (n x k) for min ||X - F G'||: a = X G (n x k), b = G'G (k x k).
// A sweep costs n k^2 against the n m k of the product a (m the other dimension of X): Gillis and
// Glineur's 1 + m / (2 k) sweeps, at most kMaxInnerSweeps, keep the repeats cheaper than it.
void halsSweeps(MatrixXd& f, const MatrixXd& a, const MatrixXd& b, Index otherDimension) {
    const int sweeps = static_cast<int>(
        std::min<Index>(kMaxInnerSweeps, 1 + otherDimension / (2 * std::max<Index>(1, f.cols()))));
    double firstChange = 0.0;
    for (int sweep = 0; sweep < sweeps; ++sweep) {
        double change = 0.0;
        for (Index l = 0; l < f.cols(); ++l) {
            if (!(b(l, l) > 0.0)) continue;
            const VectorXd updated =
                (f.col(l) + (a.col(l) - f * b.col(l)) / b(l, l)).cwiseMax(kFloor);
            change += (updated - f.col(l)).squaredNorm();
            f.col(l) = updated;
        }
        if (sweep == 0) firstChange = change;
        if (change <= kInnerShare * firstChange) break;
    }
}

// Ang and Gillis's extrapolation: each new factor is pushed on by beta times its last step;
// beta grows by kGrow while the objective falls (up to a ceiling that grows by kCeilingGrow, at
// most 1) and is divided by kShrink, the push dropped, when it rises.
constexpr double kBetaStart = 0.5, kShrink = 1.5, kGrow = 1.01, kCeilingGrow = 1.005;

MatrixXd pushedOn(const MatrixXd& now, const MatrixXd& before, double beta) {
    return (now + beta * (now - before)).cwiseMax(kFloor);
}

// The factors' HALS iterations with extrapolation until the objective settles; returns the
// iterations made and sets `converged`. Ends with a plain update of the weights, so the
// factors returned are a HALS step's, not a pushed guess.
int fitFactors(const MatrixXd& x, MatrixXd& w, MatrixXd& ht, const NmfOptions& options,
               bool& converged, bool& cancelled) {
    const double xNorm2 = x.squaredNorm();
    double previous = std::numeric_limits<double>::infinity();
    double beta = kBetaStart, ceiling = 1.0, betaBefore = kBetaStart;
    MatrixXd wHat = w, htHat = ht;
    converged = false;
    int iteration = 0;
    while (iteration < options.maxIterations) {
        if (options.progress && !options.progress(static_cast<int>(w.cols()), iteration)) {
            cancelled = true;
            break;
        }
        ++iteration;
        MatrixXd htNew = htHat;
        halsSweeps(htNew, x.transpose() * wHat, wHat.transpose() * wHat, x.rows());
        const MatrixXd htPushed = pushedOn(htNew, ht, beta);
        const MatrixXd a = x * htPushed;  // X H', rows x k
        const MatrixXd b = htPushed.transpose() * htPushed;
        MatrixXd wNew = wHat;
        halsSweeps(wNew, a, b, x.cols());
        const double objective = std::max(0.0, xNorm2 - 2.0 * wNew.cwiseProduct(a).sum() +
                                                   (wNew.transpose() * wNew).cwiseProduct(b).sum());
        if (objective > previous) {
            // The push overshot: start again from the plain steps, with a smaller push.
            ceiling = betaBefore;
            beta /= kShrink;
            wHat = wNew;
            htHat = htNew;
            w = std::move(wNew);
            ht = std::move(htNew);
            continue;
        }
        const double change = previous - objective;
        previous = objective;
        wHat = pushedOn(wNew, w, beta);
        htHat = htPushed;
        w = std::move(wNew);
        ht = std::move(htNew);
        betaBefore = beta;
        beta = std::min(ceiling, kGrow * beta);
        ceiling = std::min(1.0, kCeilingGrow * ceiling);
        if (change <= options.tolerance * objective || change <= 1e-15 * xNorm2) {
            converged = true;
            break;
        }
    }
    halsSweeps(ht, x.transpose() * w, w.transpose() * w, x.rows());
    return iteration;
}

// End-members at unit sum, youngest peak first; weights summing to 1; the residuals.
NmfFit reportedFit(const MatrixXd& x, MatrixXd w, MatrixXd ht, int k) {
    // The floor that kept every entry alive stands for 0.
    w = w.unaryExpr([](double v) { return v <= kFloor ? 0.0 : v; });
    ht = ht.unaryExpr([](double v) { return v <= kFloor ? 0.0 : v; });
    for (Index l = 0; l < k; ++l) {
        const double sum = w.col(l).sum();
        w.col(l) /= sum;
        ht.col(l) *= sum;
    }
    std::vector<Index> order(static_cast<size_t>(k)), peak(static_cast<size_t>(k));
    for (Index l = 0; l < k; ++l) {
        order[static_cast<size_t>(l)] = l;
        w.col(l).maxCoeff(&peak[static_cast<size_t>(l)]);
    }
    std::stable_sort(order.begin(), order.end(), [&](Index a, Index b) {
        return peak[static_cast<size_t>(a)] < peak[static_cast<size_t>(b)];
    });
    NmfFit fit;
    fit.k = k;
    MatrixXd sortedW(w.rows(), k), sortedHt(ht.rows(), k);
    for (Index l = 0; l < k; ++l) {
        sortedW.col(l) = w.col(order[static_cast<size_t>(l)]);
        sortedHt.col(l) = ht.col(order[static_cast<size_t>(l)]);
        fit.endMembers.emplace_back(sortedW.col(l).data(), sortedW.col(l).data() + w.rows());
    }
    for (Index s = 0; s < sortedHt.rows(); ++s) sortedHt.row(s) /= sortedHt.row(s).sum();
    const MatrixXd gap = x - sortedW * sortedHt.transpose();
    for (Index s = 0; s < x.cols(); ++s) {
        fit.weights.emplace_back(k);
        for (Index l = 0; l < k; ++l) fit.weights.back()[static_cast<size_t>(l)] = sortedHt(s, l);
        fit.sampleResiduals.push_back(gap.col(s).norm() / x.col(s).norm());
    }
    fit.residual = gap.norm() / x.norm();
    return fit;
}

NmfFit fitK(const MatrixXd& x, const LeadingSvd& svd, int k, const NmfOptions& options) {
    MatrixXd w, ht;
    nndsvda(svd, k, x.mean(), w, ht);
    bool converged = false, cancelled = false;
    const int iterations = fitFactors(x, w, ht, options, converged, cancelled);
    NmfFit fit = reportedFit(x, std::move(w), std::move(ht), k);
    fit.iterations = iterations;
    fit.converged = converged;
    fit.cancelled = cancelled;
    return fit;
}

void checkK(const MatrixXd& x, int k) {
    const Index most = std::min(x.rows(), x.cols());
    if (k < 1 || k > most) {
        throw KestrelError("End-members: " + std::to_string(k) +
                           " end-members asked for, but the profiles allow 1 to " +
                           std::to_string(most) + " (no more than the samples)");
    }
}

}  // namespace

NmfFit nmfEndMembers(const std::vector<std::vector<double>>& profiles,
                     const std::vector<std::string>& names, int k, const NmfOptions& options) {
    const MatrixXd x = unitSumColumns(profiles, names);
    checkK(x, k);
    return fitK(x, leadingSvd(x, k), k, options);
}

std::vector<NmfFit> nmfEndMembersByK(const std::vector<std::vector<double>>& profiles,
                                     const std::vector<std::string>& names, int kFrom, int kTo,
                                     const NmfOptions& options) {
    const MatrixXd x = unitSumColumns(profiles, names);
    // k = samples fits exactly (each sample its own end-member) and says nothing.
    kTo = std::min<int>(kTo, static_cast<int>(std::min(x.rows(), x.cols() - 1)));
    if (kTo < kFrom) {
        throw KestrelError("End-members: trying " + std::to_string(kFrom) +
                           " end-members and more needs at least " + std::to_string(kFrom + 1) +
                           " samples, " + std::to_string(x.cols()) + " given");
    }
    const LeadingSvd svd = leadingSvd(x, kTo);
    std::vector<NmfFit> fits(static_cast<size_t>(kTo - kFrom + 1));
    // The largest k first: it takes longest, so the others fill in around it.
    forEachIndexInParallel(static_cast<int64_t>(fits.size()), options.threads, [&](int64_t i) {
        const int k = kTo - static_cast<int>(i);
        fits[static_cast<size_t>(k - kFrom)] = fitK(x, svd, k, options);
    });
    return fits;
}

size_t chooseEndMemberCount(const std::vector<NmfFit>& fits) {
    for (size_t i = 0; i + 1 < fits.size(); ++i) {
        if (fits[i].residual < 1e-3 || fits[i + 1].residual > 0.9 * fits[i].residual) return i;
    }
    return fits.empty() ? 0 : fits.size() - 1;
}

}  // namespace kestrel
