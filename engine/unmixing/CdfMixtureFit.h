// The mixture of source samples whose cumulative age distribution lies closest to a sink's,
// by the Kolmogorov-Smirnov D or Kuiper's V: the forward unmixing of K. E. Sundell and
// J. E. Saylor (2017), "Unmixing detrital geochronology age distributions", Geochemistry,
// Geophysics, Geosystems 18, 2872-2886, who search random mixtures; here the optimum itself,
// found as a linear programme solved by GLPK's simplex.
//
// The empirical distributions are right-continuous steps that change only at the pooled ages,
// so the difference of the sink and any mixture is constant between two pooled ages: its
// extremes are reached at the pooled ages themselves (the value just below a pooled age is the
// value at the one before, and below the first every curve is 0). With the distinct pooled ages
// a_1 < ... < a_N and weights w (w >= 0, sum 1):
//   D: minimise t subject to  |F_sink(a_j) - sum_i w_i F_i(a_j)| <= t  for every j;
//   V: minimise t+ + t- subject to  F_sink(a_j) - M(a_j) <= t+  and  M(a_j) - F_sink(a_j) <= t-,
//      t+, t- >= 0 (both extremes are at least 0: below the first age the curves agree).
// The programme is solved on a few of the points first; the points the solution violates most
// are added and it is solved again (warm, by the dual simplex) until no point is violated by
// more than 1e-12: the optimum of the subset is then the optimum of the whole.
#pragma once

#include <cstddef>
#include <vector>

namespace kestrel {

/// The two distances between cumulative age distributions the fits minimise.
enum class CdfDistance {
    D,  ///< Kolmogorov-Smirnov: the largest vertical gap
    V,  ///< Kuiper: the largest gap above plus the largest gap below
};

/// @brief The sink's and every source's empirical cumulative distribution at the distinct
/// pooled ages, row by row: row j holds F_sink(a_j), then F_1(a_j) ... F_m(a_j).
struct CdfTable {
    size_t sources = 0;
    std::vector<double> values;  ///< rows x (1 + sources), row-major
    size_t rows() const { return values.size() / (1 + sources); }
};

/// @brief The table of the sink's and the sources' ages (each at least one, all finite; the
/// order of the ages does not matter).
CdfTable cdfTable(const std::vector<double>& sinkAges,
                  const std::vector<std::vector<double>>& sourceAges);

/// @brief A mixture: the proportions of the sources (in their order, each >= 0, summing to 1)
/// and how well it fits (D, V, or the profiles' R^2).
struct SourceMixture {
    std::vector<double> proportions;
    double value = 0.0;
};

/// @brief D or V of the mixture `proportions` against the sink, over every row of the table.
double mixtureDistance(const CdfTable& table, const std::vector<double>& proportions,
                       CdfDistance distance);

/// @brief The proportions that minimise D or V, and that minimum (recomputed from the
/// proportions over every row). Throws KestrelError if the solver fails.
SourceMixture fitCdfMixture(const CdfTable& table, CdfDistance distance);

}  // namespace kestrel
