// The symmetric K x K matrices that comparing many samples fills: one value per pair of
// samples, the same both ways, and what a sample gives against itself on the diagonal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kestrel {

/// @brief The most samples compared at once (their matrices grow with the square of it).
inline constexpr int32_t kMaxMatrixProfiles = 1000;

/// @brief A symmetric K x K matrix, row-major.
struct SquareMatrix {
    int32_t size = 0;
    std::vector<double> values;

    double at(int32_t i, int32_t j) const {
        return values[static_cast<size_t>(i) * static_cast<size_t>(size) + static_cast<size_t>(j)];
    }
};

/// @brief A `size` x `size` matrix of zeros with `diagonal` on its diagonal.
SquareMatrix squareMatrix(int32_t size, double diagonal);

/// @brief Sets the entries (i, j) and (j, i) to `value`.
void setPair(SquareMatrix& matrix, int64_t i, int64_t j, double value);

/// @brief A matrix of `count` samples with `diagonal` on its diagonal and value(i, j) for every
/// pair i < j, the rows of pairs shared among `threads` workers (0: one per core); each pair
/// writes only its own two entries.
SquareMatrix pairMatrix(int32_t count, double diagonal, unsigned threads,
                        const std::function<double(int64_t i, int64_t j)>& value);

}  // namespace kestrel
