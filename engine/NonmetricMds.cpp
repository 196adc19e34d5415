// Nonmetric SMACOF: pool-adjacent-violators (primary approach to ties) for the disparities, the
// Guttman transform for the points, over the pairs i < j row by row (Eigen vectorises a row).
#include "engine/NonmetricMds.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "engine/KestrelError.h"
#include "engine/MdsStress.h"

namespace kestrel {
namespace {

// The pairs in the order of their dissimilarities, and the runs of equal dissimilarities whose
// inner order the primary approach leaves to the distances.
struct PairOrder {
    std::vector<int32_t> order;
    std::vector<std::pair<size_t, size_t>> ties;  // [begin, end) in `order`, two pairs or more
};

// A map with the disparities fitted to its distances and its stress-1. Coordinates and pairs are
// kept as Eigen vectors so that the loops over a row's pairs are vectorised.
struct Fit {
    Eigen::VectorXd x, y;
    Eigen::VectorXd distances, disparities;  // pairs i < j, row by row
    double stress = 0.0;
};

void requireFiniteInput(const SquareMatrix& dissimilarities, const MdsMap& start) {
    if (dissimilarities.size < 2) throw KestrelError("At least two samples are needed for a map");
    if (start.points.size() != static_cast<size_t>(dissimilarities.size)) {
        throw KestrelError("The starting map does not have one point per sample");
    }
    for (const double value : dissimilarities.values) {
        if (!std::isfinite(value)) {
            throw KestrelError("The samples cannot be mapped: a dissimilarity is not a number");
        }
    }
    for (const auto& point : start.points) {
        if (!std::isfinite(point[0]) || !std::isfinite(point[1])) {
            throw KestrelError("The samples cannot be mapped: a starting point is not a number");
        }
    }
}

PairOrder orderPairs(const std::vector<double>& dissimilarities) {
    PairOrder pairs;
    pairs.order.resize(dissimilarities.size());
    std::iota(pairs.order.begin(), pairs.order.end(), 0);
    std::stable_sort(pairs.order.begin(), pairs.order.end(), [&](int32_t a, int32_t b) {
        return dissimilarities[static_cast<size_t>(a)] < dissimilarities[static_cast<size_t>(b)];
    });
    for (size_t begin = 0; begin < pairs.order.size();) {
        const double value = dissimilarities[static_cast<size_t>(pairs.order[begin])];
        size_t end = begin + 1;
        while (end < pairs.order.size() &&
               dissimilarities[static_cast<size_t>(pairs.order[end])] == value) {
            ++end;
        }
        if (end - begin > 1) pairs.ties.emplace_back(begin, end);
        begin = end;
    }
    return pairs;
}

// Primary approach: within a run of equal dissimilarities the shorter distance comes first, so
// the regression leaves those pairs as they are whenever it can (ties of distance by pair index).
// Insertion sort: from one step to the next the order barely changes, so this is nearly linear.
void orderTiesByDistance(PairOrder& pairs, const Eigen::VectorXd& distances) {
    const auto before = [&](int32_t a, int32_t b) {
        const double da = distances(a);
        const double db = distances(b);
        return da < db || (da == db && a < b);
    };
    for (const auto& [begin, end] : pairs.ties) {
        for (size_t n = begin + 1; n < end; ++n) {
            const int32_t pair = pairs.order[n];
            size_t m = n;
            for (; m > begin && before(pair, pairs.order[m - 1]); --m) {
                pairs.order[m] = pairs.order[m - 1];
            }
            pairs.order[m] = pair;
        }
    }
}

// Pool-adjacent-violators: the non-decreasing sequence (in `order`) nearest to the distances in
// least squares. Each block keeps its sum and length; a block whose mean falls below the one
// before it is pooled with it.
Eigen::VectorXd monotoneRegression(const std::vector<int32_t>& order,
                                   const Eigen::VectorXd& distances) {
    struct Block {
        double sum;
        Eigen::Index length;
    };
    std::vector<Block> blocks;
    blocks.reserve(order.size());
    for (const int32_t pair : order) {
        blocks.push_back({distances(pair), 1});
        while (blocks.size() > 1) {
            const Block& last = blocks.back();
            Block& before = blocks[blocks.size() - 2];
            if (before.sum * static_cast<double>(last.length) <=
                last.sum * static_cast<double>(before.length)) {
                break;
            }
            before.sum += last.sum;
            before.length += last.length;
            blocks.pop_back();
        }
    }
    Eigen::VectorXd fitted(distances.size());
    size_t next = 0;
    for (const Block& block : blocks) {
        const double mean = block.sum / static_cast<double>(block.length);
        for (Eigen::Index n = 0; n < block.length; ++n, ++next) fitted(order[next]) = mean;
    }
    return fitted;
}

// The row of pairs (i, j > i) starts at this index of the pair vectors.
Eigen::Index rowStart(Eigen::Index i, Eigen::Index k) {
    return i * (2 * k - i - 1) / 2;
}

void fitDisparities(Fit& fit, PairOrder& pairs) {
    const Eigen::Index k = fit.x.size();
    fit.distances.resize(k * (k - 1) / 2);
    for (Eigen::Index i = 0; i + 1 < k; ++i) {
        const Eigen::Index n = k - 1 - i;
        fit.distances.segment(rowStart(i, k), n) = ((fit.x.tail(n).array() - fit.x(i)).square() +
                                                    (fit.y.tail(n).array() - fit.y(i)).square())
                                                       .sqrt();
    }
    orderTiesByDistance(pairs, fit.distances);
    fit.disparities = monotoneRegression(pairs.order, fit.distances);
    const double scale = fit.distances.squaredNorm();
    const double misfit = (fit.disparities - fit.distances).squaredNorm();
    fit.stress = scale > 0.0 ? std::sqrt(misfit / scale) : 0.0;
}

// One Guttman transform with the disparities scaled to a sum of squares `target`:
// X+ = B(X) X / K, where row i of B(X) X is the sum over j of (disparity / distance) (x_i - x_j),
// taken as 0 for coincident points.
Fit guttmanTransform(const Fit& fit, double target) {
    const Eigen::Index k = fit.x.size();
    const double scale = std::sqrt(target / fit.disparities.squaredNorm());
    Fit next;
    next.x = Eigen::VectorXd::Zero(k);
    next.y = Eigen::VectorXd::Zero(k);
    Eigen::ArrayXd ratio(k), pull(k);
    for (Eigen::Index i = 0; i + 1 < k; ++i) {
        const Eigen::Index n = k - 1 - i, start = rowStart(i, k);
        const auto distances = fit.distances.segment(start, n).array();
        ratio.head(n) =
            (distances > 0.0)
                .select(scale * fit.disparities.segment(start, n).array() / distances, 0.0);
        pull.head(n) = ratio.head(n) * (fit.x(i) - fit.x.tail(n).array());
        next.x(i) += pull.head(n).sum();
        next.x.tail(n).array() -= pull.head(n);
        pull.head(n) = ratio.head(n) * (fit.y(i) - fit.y.tail(n).array());
        next.y(i) += pull.head(n).sum();
        next.y.tail(n).array() -= pull.head(n);
    }
    next.x /= static_cast<double>(k);
    next.y /= static_cast<double>(k);
    return next;
}

// Centred and turned to the principal axes of its points, each axis signed as classicalMds()
// signs its axes.
MdsMap principalAxes(const Fit& fit) {
    Eigen::MatrixX2d x(fit.x.size(), 2);
    x << fit.x, fit.y;
    x.rowwise() -= x.colwise().mean();
    const Eigen::SelfAdjointEigenSolver<Eigen::Matrix2d> solver(x.transpose() * x);
    // Eigen orders the eigenvalues increasingly: the larger one's vector becomes axis 1.
    Eigen::MatrixX2d turned = x * solver.eigenvectors().rowwise().reverse();
    const Eigen::Vector2d spread = solver.eigenvalues().reverse().cwiseMax(0.0);
    MdsMap map;
    for (Eigen::Index axis = 0; axis < 2; ++axis) {
        Eigen::Index largest = 0;
        turned.col(axis).cwiseAbs().maxCoeff(&largest);
        if (turned(largest, axis) < 0) turned.col(axis) *= -1.0;
        if (spread.sum() > 0) {
            map.varianceShare[static_cast<size_t>(axis)] = spread(axis) / spread.sum();
        }
    }
    for (Eigen::Index i = 0; i < turned.rows(); ++i)
        map.points.push_back({turned(i, 0), turned(i, 1)});
    return map;
}

Fit startingFit(const MdsMap& start, PairOrder& pairs) {
    Fit fit;
    const auto k = static_cast<Eigen::Index>(start.points.size());
    fit.x.resize(k);
    fit.y.resize(k);
    for (Eigen::Index i = 0; i < k; ++i) {
        fit.x(i) = start.points[static_cast<size_t>(i)][0];
        fit.y(i) = start.points[static_cast<size_t>(i)][1];
    }
    fitDisparities(fit, pairs);
    return fit;
}

bool converged(double before, double after, double tolerance) {
    return before == 0.0 || std::abs(before - after) < tolerance * before;
}

}  // namespace

NonmetricMdsResult nonmetricMds(const SquareMatrix& dissimilarities, const MdsMap& start,
                                const NonmetricMdsOptions& options) {
    requireFiniteInput(dissimilarities, start);
    const std::vector<double> pairValues = pairDissimilarities(dissimilarities);
    double target = 0.0;
    for (const double value : pairValues) target += value * value;
    PairOrder pairs = orderPairs(pairValues);
    Fit current = startingFit(start, pairs);
    Fit best = current;
    int32_t iterations = 0;
    // All dissimilarities 0 leave nothing to fit; all distances 0 nothing to move.
    while (iterations < options.maxIterations && target > 0.0 &&
           current.disparities.squaredNorm() > 0.0) {
        Fit next = guttmanTransform(current, target);
        fitDisparities(next, pairs);
        ++iterations;
        const bool done = converged(current.stress, next.stress, options.relativeTolerance);
        // Stress-1 nearly always falls; the least one met is kept when it rises.
        if (next.stress > current.stress && current.stress < best.stress) best = current;
        current = std::move(next);
        if (done) break;
    }
    if (current.stress <= best.stress) best = std::move(current);
    NonmetricMdsResult result;
    result.map = principalAxes(best);
    result.stress = best.stress;
    result.disparities.assign(best.disparities.begin(), best.disparities.end());
    result.iterations = iterations;
    return result;
}

MdsMap judgedMap(const SquareMatrix& dissimilarities, const MdsMap& classical, bool nonmetric,
                 int32_t* iterations) {
    if (iterations) *iterations = 0;
    if (!nonmetric) {
        MdsMap map = classical;
        map.stress1 = metricStress(dissimilarities, map);
        return map;
    }
    NonmetricMdsResult fitted = nonmetricMds(dissimilarities, classical);
    if (iterations) *iterations = fitted.iterations;
    fitted.map.stress1 = fitted.stress;
    fitted.map.disparities = std::move(fitted.disparities);
    return std::move(fitted.map);
}

}  // namespace kestrel
