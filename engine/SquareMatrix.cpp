// Filling symmetric matrices pair by pair.
#include "engine/SquareMatrix.h"

#include "engine/ParallelIndices.h"

namespace kestrel {

SquareMatrix squareMatrix(int32_t size, double diagonal) {
    SquareMatrix m{size, std::vector<double>(static_cast<size_t>(size) * size, 0.0)};
    for (int32_t i = 0; i < size; ++i) m.values[static_cast<size_t>(i) * size + i] = diagonal;
    return m;
}

void setPair(SquareMatrix& matrix, int64_t i, int64_t j, double value) {
    matrix.values[static_cast<size_t>(i * matrix.size + j)] = value;
    matrix.values[static_cast<size_t>(j * matrix.size + i)] = value;
}

SquareMatrix pairMatrix(int32_t count, double diagonal, unsigned threads,
                        const std::function<double(int64_t i, int64_t j)>& value) {
    SquareMatrix m = squareMatrix(count, diagonal);
    forEachIndexInParallel(count - 1, threads, [&](int64_t i) {
        for (int64_t j = i + 1; j < count; ++j) setPair(m, i, j, value(i, j));
    });
    return m;
}

}  // namespace kestrel
