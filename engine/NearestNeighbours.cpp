// Nearest neighbours by one pass over each row of the dissimilarity matrix.
#include "engine/NearestNeighbours.h"

#include <cmath>
#include <limits>

#include "engine/KestrelError.h"

namespace kestrel {
namespace {

void requireFinite(const SquareMatrix& dissimilarities) {
    if (dissimilarities.size < 2) {
        throw KestrelError("At least two samples are needed for nearest neighbours");
    }
    for (const double value : dissimilarities.values) {
        if (!std::isfinite(value)) {
            throw KestrelError("Nearest neighbours: a dissimilarity is not a number");
        }
    }
}

// Scanning j upwards, only a strictly smaller value displaces a candidate, so ties keep the lower
// index.
NearestNeighbours neighboursOf(const SquareMatrix& dissimilarities, int32_t i) {
    constexpr double kNone = std::numeric_limits<double>::infinity();
    int32_t first = -1, second = -1;
    double firstValue = kNone, secondValue = kNone;
    for (int32_t j = 0; j < dissimilarities.size; ++j) {
        if (j == i) continue;
        const double value = dissimilarities.at(i, j);
        if (first < 0 || value < firstValue) {
            second = first;
            secondValue = firstValue;
            first = j;
            firstValue = value;
        } else if (second < 0 || value < secondValue) {
            second = j;
            secondValue = value;
        }
    }
    NearestNeighbours result;
    result.closest = first;
    result.closestDissimilarity = firstValue;
    if (second >= 0) result.second = second;
    result.secondDissimilarity = second >= 0 ? secondValue : std::nan("");
    return result;
}

}  // namespace

std::vector<NearestNeighbours> nearestNeighbours(const SquareMatrix& dissimilarities) {
    requireFinite(dissimilarities);
    std::vector<NearestNeighbours> neighbours;
    neighbours.reserve(static_cast<size_t>(dissimilarities.size));
    for (int32_t i = 0; i < dissimilarities.size; ++i) {
        neighbours.push_back(neighboursOf(dissimilarities, i));
    }
    return neighbours;
}

}  // namespace kestrel
