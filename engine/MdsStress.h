// How well a map keeps its dissimilarities: Kruskal's stress-1 and the pairs of a Shepard plot
// (dissimilarity against map distance, and against the fitted disparity of a nonmetric map).
// Kruskal, J. B. (1964). Multidimensional scaling by optimizing goodness of fit to a nonmetric
// hypothesis. Psychometrika 29, 1-27 (stress-1 and its verbal scale). Shepard, R. N. (1962). The
// analysis of proximities. Psychometrika 27, 125-140.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/SquareMatrix.h"

namespace kestrel {

/// @brief The dissimilarities of the pairs i < j, row by row: (0,1), (0,2), ..., (0,K-1), (1,2),
/// ... The pair lists of this file and of NonmetricMds all use this order.
std::vector<double> pairDissimilarities(const SquareMatrix& dissimilarities);

/// @brief The Euclidean distances on `map` of the pairs i < j, row by row.
std::vector<double> pairDistances(const MdsMap& map);

/// @brief Kruskal's stress-1: sqrt(sum (disparity - distance)^2 / sum distance^2) over the pairs.
/// 0 when every distance and disparity is 0; infinite when every distance is 0 and a disparity
/// is not. Throws KestrelError when the two lists differ in length.
double stress1(const std::vector<double>& disparities, const std::vector<double>& distances);

/// @brief The stress-1 of a metric (e.g. classical) map: the disparities are the dissimilarities
/// themselves. Throws KestrelError when the map has not one point per sample.
double metricStress(const SquareMatrix& dissimilarities, const MdsMap& map);

/// @brief One pair of samples on a Shepard plot.
struct ShepardPair {
    int32_t i = 0, j = 0;  // i < j
    double dissimilarity = 0;
    double distance = 0;   // on the map
    double disparity = 0;  // the monotone fit of a nonmetric map; the dissimilarity otherwise
};

/// @brief Every pair of a map, sorted by dissimilarity (then by disparity, then by i and j), so
/// that the disparities of a nonmetric map read as one non-decreasing line.
struct ShepardData {
    std::vector<ShepardPair> pairs;
    bool hasDisparities = false;  // true for a nonmetric map
};

/// @brief The Shepard plot of `map` against `dissimilarities`. `disparities` (pairs i < j, row by
/// row, as NonmetricMdsResult holds them) is empty for a metric map. Throws KestrelError when the
/// map or the disparities do not fit the matrix.
ShepardData shepardData(const SquareMatrix& dissimilarities, const MdsMap& map,
                        const std::vector<double>& disparities = {});

/// @brief True for a map whose groups have collapsed to points, the degenerate solution
/// nonmetric MDS reaches on strongly grouped samples: a stress-1 below 0.01 with at least a
/// quarter of the pairs drawn closer than 1% of the largest map distance. Its stress then says
/// nothing about how well the map shows the dissimilarities.
bool collapsedMap(const MdsMap& map, double stress);

}  // namespace kestrel
