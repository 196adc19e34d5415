// Classical (Torgerson) multidimensional scaling: points in the plane whose distances come as
// close as two dimensions allow to a matrix of dissimilarities.
// Torgerson, W. S. (1952). Multidimensional scaling: I. Theory and method. Psychometrika 17,
// 401-419. Gower, J. C. (1966). Some distance properties of latent root and vector methods used
// in multivariate analysis. Biometrika 53, 325-338.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/SquareMatrix.h"

namespace kestrel {

struct MdsMap {
    /// Coordinates of each sample on axis 1 and axis 2, in the units of the dissimilarities.
    std::vector<std::array<double, 2>> points;
    /// The share of the variance each axis holds: its eigenvalue over the sum of the positive
    /// eigenvalues (0 for an axis whose eigenvalue is not positive). The two add to at most 1.
    std::array<double, 2> varianceShare{0.0, 0.0};
    /// Kruskal's stress-1 of the map, when it was judged (kestrel-batch --mds, the window's
    /// note); a nonmetric map also keeps the disparities it was fitted to, for the pairs i < j
    /// row by row.
    std::optional<double> stress1;
    std::vector<double> disparities;
};

/// @brief The classical MDS map of `dissimilarities` (symmetric, zero diagonal, K >= 2): the
/// two largest eigenvalues of B = -1/2 J D^2 J (J the centring matrix) and their eigenvectors,
/// scaled by the square roots of the eigenvalues. Each axis is turned so that its largest
/// coordinate in absolute value is positive, so a map is the same from run to run. Throws
/// KestrelError for fewer than two samples or a value that is not a finite number.
MdsMap classicalMds(const SquareMatrix& dissimilarities);

/// @brief The sample indices ordered by their coordinate on axis 1, ascending (equal ones in
/// index order): the order of the heat map's rows and columns.
std::vector<int32_t> orderByFirstAxis(const MdsMap& map);

}  // namespace kestrel
