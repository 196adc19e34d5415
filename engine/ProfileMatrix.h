// Many profiles over one row range compared pair by pair: the matrix of two-sample
// Kolmogorov-Smirnov statistics D and, with grain counts, of their p-values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/SquareMatrix.h"
#include "engine/measures/Measure.h"

namespace kestrel {

/// @brief The most profiles compared at once (the matrices grow with the square of it).
inline constexpr int32_t kMaxMatrixProfiles = 1000;

/// @brief K profiles read from one row range. values[i] holds profile i at positions
/// 1..NumRows (index 0 unused), as ProfileData's Y arrays do.
struct ProfileSamples {
    std::vector<std::string> names;
    std::vector<std::vector<double>> values;
    int32_t NumRows = 0;
    /// Grains (analyses) behind each profile, one per profile, each 1..kMaxGrains; absent:
    /// no p-values.
    std::optional<std::vector<int32_t>> grains;
    /// The Age column's values at positions 1..NumRows (index 0 unused) when it was read; what
    /// Wasserstein-2 needs.
    std::vector<double> ages;
};

/// @brief Every pair of many samples by one or more measures: the matrices in the order they
/// were computed (D first; for grain ages Kuiper's V second; then the others as asked, each
/// once), the measure the map is drawn from, and the grains behind each sample when known.
struct ProfileMatrix {
    std::vector<std::string> names;
    std::vector<MeasureMatrix> measures;
    Measure mapMeasure = Measure::KsD;           // the map and the heat map are drawn from it
    std::optional<std::vector<int32_t>> grains;  // the grains behind each sample, when known

    /// @brief The matrix of `measure`, or null when it was not computed.
    const MeasureMatrix* find(Measure measure) const;
    /// @brief The Kolmogorov-Smirnov D of every pair (always computed first).
    const SquareMatrix& D() const { return measures.front().values; }
    /// @brief D's p-values, present exactly when the grain counts are known.
    const std::optional<SquareMatrix>& p() const { return measures.front().p; }
};

/// @brief The cumulative curve of values[1..n] into curve[1..n] (index 0 left as it is): running
/// sums in sheet order divided by the total, which carries 1e-9 once, added to the first value.
/// The additions and their order are those of the two-profile comparison, so the curve is the
/// one it draws for the same column, bit for bit.
void cumulativeCurve(const double* values, int32_t n, double* curve);

/// @brief The largest |a[k] - b[k]| over k = 1..n; not a number when any difference is not one.
double largestDifference(const double* a, const double* b, int32_t n);

/// @brief Compares every pair of profiles: each curve is computed once, the pairs are shared out
/// to `threads` workers (0: one per core). D(i, j) is the largest "Difference" a two-profile
/// comparison of profiles i and j gives; p(i, j) the two-sided p-value of D at sample sizes
/// grains[i], grains[j]. Throws KestrelError for fewer than two or more than
/// kMaxMatrixProfiles profiles, NumRows < 1, a profile with fewer than NumRows positions, a
/// name count that differs from the profile count or a grain count out of range.
ProfileMatrix compareAllPairs(const ProfileSamples& samples, unsigned threads = 0);

}  // namespace kestrel
