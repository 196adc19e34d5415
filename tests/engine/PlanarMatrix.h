// A dissimilarity matrix of random points in a plane, shared by the nonmetric MDS tests and
// benchmark: the same matrix is tested and timed.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/comparison/ProfileMatrix.h"

namespace kestrel::testsupport {

/// @brief `k` random points of a 10 x 10 square (from `seed`), each pair's dissimilarity the
/// square root of their distance rounded to two places: a monotone function of it, with many
/// ties.
inline SquareMatrix planarMatrix(int32_t k, unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> coordinate(0.0, 10.0);
    std::vector<std::array<double, 2>> points(static_cast<size_t>(k));
    for (auto& p : points) p = {coordinate(random), coordinate(random)};
    SquareMatrix d{k, std::vector<double>(static_cast<size_t>(k) * static_cast<size_t>(k), 0.0)};
    for (int32_t i = 0; i < k; ++i) {
        for (int32_t j = 0; j < k; ++j) {
            const auto& a = points[static_cast<size_t>(i)];
            const auto& b = points[static_cast<size_t>(j)];
            d.values[static_cast<size_t>(i * k + j)] =
                std::round(100.0 * std::sqrt(std::hypot(a[0] - b[0], a[1] - b[1]))) / 100.0;
        }
    }
    return d;
}

}  // namespace kestrel::testsupport
