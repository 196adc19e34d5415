// Nonmetric multidimensional scaling in two dimensions: a map whose distances follow the order of
// the dissimilarities rather than their values (Kruskal's monotone regression alternated with
// SMACOF's Guttman transform).
// Kruskal, J. B. (1964). Nonmetric multidimensional scaling: a numerical method. Psychometrika
// 29, 115-129. De Leeuw, J. (1977). Applications of convex analysis to multidimensional scaling.
// In Recent Developments in Statistics, 133-145. Borg, I. and Groenen, P. J. F. (2005). Modern
// Multidimensional Scaling, 2nd ed., Springer, chapters 8-9.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/SquareMatrix.h"

namespace kestrel {

struct NonmetricMdsOptions {
    /// Guttman transforms at most.
    int32_t maxIterations = 1000;
    /// Stop once stress-1 changes by less than this fraction of itself from one step to the next.
    double relativeTolerance = 1e-9;
};

struct NonmetricMdsResult {
    /// The map, centred and turned to its principal axes (axis 1 along the map's largest spread;
    /// each axis turned so that its largest coordinate in absolute value is positive), on the
    /// scale of the dissimilarities. varianceShare holds each axis's share of the map's own
    /// spread (the two add to 1; both 0 when every point lies in one place): it describes the
    /// map, not how much of the dissimilarities two dimensions keep, which `stress` tells.
    MdsMap map;
    /// Kruskal's stress-1 of the map against `disparities`.
    double stress = 0.0;
    /// The monotone regression of the map's distances on the dissimilarities, for the pairs
    /// i < j row by row (pairDissimilarities()'s order), in the map's units.
    std::vector<double> disparities;
    /// Guttman transforms made.
    int32_t iterations = 0;
};

/// @brief The nonmetric MDS map of `dissimilarities` (symmetric, K >= 2), improved from `start`
/// (the classical map, classicalMds(dissimilarities), unless the caller has a better one).
/// Each step fits disparities to the current distances by pool-adjacent-violators and moves the
/// points by one Guttman transform towards them; it stops when stress-1 changes by less than
/// options.relativeTolerance of itself or after options.maxIterations steps, and returns the map
/// of least stress-1 met, so never one worse than `start`.
///
/// Ties are treated by Kruskal's primary approach: pairs of equal dissimilarity need not get
/// equal disparities (within a tie, disparities follow the current distances), so equal
/// dissimilarities, common with KS statistics of samples of equal size, do not force equal
/// distances. Before each Guttman transform the disparities are scaled so that their sum of
/// squares equals the dissimilarities' (Kruskal's normalisation), which keeps the map from
/// shrinking to a point and on the dissimilarities' scale. Deterministic: the same input gives
/// the same map, bit for bit. Throws KestrelError for fewer than two samples, a start map without
/// one point per sample, or a dissimilarity or start coordinate that is not a finite number.
NonmetricMdsResult nonmetricMds(const SquareMatrix& dissimilarities, const MdsMap& start,
                                const NonmetricMdsOptions& options = {});

/// @brief The map a reader can judge: `classical` (classicalMds(dissimilarities)) with its
/// metric stress-1 in MdsMap::stress1, or with `nonmetric` the nonmetric map fitted from it, with
/// its stress-1 and its disparities. `iterations`, when given, receives the nonmetric steps
/// taken (0 for the classical map).
MdsMap judgedMap(const SquareMatrix& dissimilarities, const MdsMap& classical, bool nonmetric,
                 int32_t* iterations = nullptr);

}  // namespace kestrel
