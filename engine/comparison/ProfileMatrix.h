// Many profiles over one row range compared pair by pair: the matrix of two-sample
// Kolmogorov-Smirnov statistics D and, with grain counts, of their p-values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/CumulativeCurve.h"
#include "engine/SquareMatrix.h"
#include "engine/density/GrainSample.h"
#include "engine/measures/Measure.h"

namespace kestrel {

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

/// @brief Compares every pair of profiles: each curve is computed once, the pairs are shared out
/// to `threads` workers (0: one per core). D(i, j) is the largest "Difference" a two-profile
/// comparison of profiles i and j gives; p(i, j) the two-sided p-value of D at sample sizes
/// grains[i], grains[j]. Throws KestrelError for fewer than two or more than
/// kMaxMatrixProfiles profiles, NumRows < 1, a profile with fewer than NumRows positions, a
/// name count that differs from the profile count or a grain count out of range.
ProfileMatrix compareAllPairs(const ProfileSamples& samples, unsigned threads = 0);

/// @brief D(i, j), p(i, j), Kuiper's V(i, j) and its p of the ages of samples i and j (exactly what
/// ksSamplesTest and kuiperTest give for the pair), every sample sorted once and the pairs
/// shared among `threads` workers (0: one per core). Throws as sortedGrainSamples does.
ProfileMatrix compareAllGrainPairs(const std::vector<GrainSample>& samples, unsigned threads = 0);

}  // namespace kestrel
