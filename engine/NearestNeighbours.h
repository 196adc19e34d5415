// Each sample's nearest neighbours by the dissimilarity matrix itself (not by the map, whose
// distances only approximate it).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/SquareMatrix.h"

namespace kestrel {

struct NearestNeighbours {
    /// The other sample of least dissimilarity (of these, the lowest index).
    int32_t closest = 0;
    double closestDissimilarity = 0.0;
    /// The next one, by the same rule; absent with only two samples.
    std::optional<int32_t> second;
    /// Its dissimilarity; not a number when `second` is absent.
    double secondDissimilarity = 0.0;
};

/// @brief For each sample i, the samples j != i of least and second-least dissimilarity(i, j),
/// equal dissimilarities going to the lower index. Throws KestrelError for fewer than two samples
/// or a dissimilarity that is not a finite number.
std::vector<NearestNeighbours> nearestNeighbours(const SquareMatrix& dissimilarities);

}  // namespace kestrel
