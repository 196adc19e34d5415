// Classical MDS with Eigen: double centring of the squared dissimilarities, then the symmetric
// eigen-decomposition.
#include "engine/ClassicalMds.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "engine/KestrelError.h"

namespace kestrel {
namespace {

Eigen::MatrixXd doubleCentredSquares(const SquareMatrix& d) {
    const Eigen::Index k = d.size;
    Eigen::MatrixXd squares(k, k);
    for (Eigen::Index i = 0; i < k; ++i) {
        for (Eigen::Index j = 0; j < k; ++j) {
            const double value = d.at(static_cast<int32_t>(i), static_cast<int32_t>(j));
            if (!std::isfinite(value)) {
                throw KestrelError("The samples cannot be mapped: a dissimilarity is not a number");
            }
            squares(i, j) = value * value;
        }
    }
    // B = -1/2 J S J with J = I - 11'/k: subtract row and column means, add back the grand mean.
    const Eigen::VectorXd rowMeans = squares.rowwise().mean();
    const Eigen::RowVectorXd colMeans = squares.colwise().mean();
    const double grandMean = squares.mean();
    Eigen::MatrixXd b = squares;
    b.colwise() -= rowMeans;
    b.rowwise() -= colMeans;
    b.array() += grandMean;
    return -0.5 * b;
}

// The sign of an eigenvector is arbitrary; fix it by its largest component.
void turnAxis(Eigen::VectorXd& axis) {
    Eigen::Index largest = 0;
    axis.cwiseAbs().maxCoeff(&largest);
    if (axis(largest) < 0) axis = -axis;
}

}  // namespace

MdsMap classicalMds(const SquareMatrix& dissimilarities) {
    if (dissimilarities.size < 2) throw KestrelError("At least two samples are needed for a map");
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> solver(
        doubleCentredSquares(dissimilarities));
    if (solver.info() != Eigen::Success) {
        throw KestrelError("The samples cannot be mapped: the eigen-decomposition failed");
    }
    // Eigen returns the eigenvalues in increasing order.
    const Eigen::VectorXd& values = solver.eigenvalues();
    const Eigen::Index k = values.size();
    double positiveSum = 0.0;
    for (Eigen::Index i = 0; i < k; ++i) positiveSum += std::max(values(i), 0.0);
    MdsMap map;
    map.points.assign(static_cast<size_t>(k), {0.0, 0.0});
    for (int axis = 0; axis < 2; ++axis) {
        const double value = values(k - 1 - axis);
        if (value <= 0.0) continue;  // no spread along this axis: every coordinate stays 0
        Eigen::VectorXd vector = solver.eigenvectors().col(k - 1 - axis);
        turnAxis(vector);
        const double scale = std::sqrt(value);
        for (Eigen::Index i = 0; i < k; ++i) {
            map.points[static_cast<size_t>(i)][static_cast<size_t>(axis)] = scale * vector(i);
        }
        map.varianceShare[static_cast<size_t>(axis)] = value / positiveSum;
    }
    return map;
}

std::vector<int32_t> orderByFirstAxis(const MdsMap& map) {
    std::vector<int32_t> order(map.points.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return map.points[static_cast<size_t>(a)][0] < map.points[static_cast<size_t>(b)][0];
    });
    return order;
}

}  // namespace kestrel
