// Every pair of profiles compared: one cumulative curve per profile, then the largest absolute
// difference of each pair of curves, pairs shared out to all cores.
#include "engine/comparison/ProfileMatrix.h"

#include <algorithm>
#include <cmath>

#include "engine/KestrelError.h"
#include "engine/KsTwoSample.h"
#include "engine/ParallelIndices.h"
#include "engine/SampleSizes.h"
#include "engine/measures/GrainMatrix.h"

namespace kestrel {
namespace {

void checkSamples(const ProfileSamples& samples) {
    const size_t k = samples.values.size();
    if (k < 2) throw KestrelError("Give at least two profile columns to compare");
    if (k > static_cast<size_t>(kMaxMatrixProfiles)) {
        throw KestrelError("Too many profile columns: " + std::to_string(k) + " (at most " +
                           std::to_string(kMaxMatrixProfiles) + " are compared at once)");
    }
    if (samples.names.size() != k) throw KestrelError("Every profile needs a name");
    if (samples.NumRows < 1) throw KestrelError("The row range holds no rows to compare");
    for (size_t i = 0; i < k; ++i) {
        if (samples.values[i].size() < static_cast<size_t>(samples.NumRows) + 1) {
            throw KestrelError("The profile " + samples.names[i] + " holds fewer than " +
                               std::to_string(samples.NumRows) + " rows");
        }
    }
    if (!samples.grains) return;
    if (samples.grains->size() != k) {
        throw KestrelError("Give one grain count per profile: " + std::to_string(k) +
                           " profiles, " + std::to_string(samples.grains->size()) +
                           " grain counts");
    }
    for (size_t i = 0; i < k; ++i) {
        const int32_t g = (*samples.grains)[i];
        if (g < 1 || g > kMaxGrains) {
            throw KestrelError("Incorrect grain count for " + samples.names[i] + ": " +
                               std::to_string(g) + " (a whole number from 1 to " +
                               std::to_string(kMaxGrains) + " is wanted)");
        }
    }
}

// Curves of all profiles, one row of NumRows + 1 entries each (entry 0 is 0).
std::vector<double> allCurves(const ProfileSamples& samples, unsigned threads) {
    const size_t stride = static_cast<size_t>(samples.NumRows) + 1;
    std::vector<double> curves(stride * samples.values.size(), 0.0);
    forEachIndexInParallel(static_cast<int64_t>(samples.values.size()), threads, [&](int64_t i) {
        cumulativeCurve(samples.values[static_cast<size_t>(i)].data(), samples.NumRows,
                        curves.data() + static_cast<size_t>(i) * stride);
    });
    return curves;
}

}  // namespace

ProfileMatrix compareAllPairs(const ProfileSamples& samples, unsigned threads) {
    checkSamples(samples);
    const int32_t k = static_cast<int32_t>(samples.values.size());
    const int32_t n = samples.NumRows;
    const size_t stride = static_cast<size_t>(n) + 1;
    const std::vector<double> curves = allCurves(samples, threads);
    ProfileMatrix result;
    result.names = samples.names;
    result.grains = samples.grains;
    MeasureMatrix d{Measure::KsD, squareMatrix(k, 0.0), std::nullopt};
    // D = 0 between a profile and itself: nothing speaks against them, p = 1.
    if (samples.grains) d.p = squareMatrix(k, 1.0);
    // Row i holds the pairs (i, j > i); each worker writes only the entries of its own pairs.
    forEachIndexInParallel(k - 1, threads, [&](int64_t i) {
        const double* curveI = curves.data() + static_cast<size_t>(i) * stride;
        for (int64_t j = i + 1; j < k; ++j) {
            const double value =
                largestDifference(curveI, curves.data() + static_cast<size_t>(j) * stride, n);
            setPair(d.values, i, j, value);
            if (!d.p) continue;
            const auto& grains = *samples.grains;
            setPair(*d.p, i, j,
                    ksTwoSampleTail(grains[static_cast<size_t>(i)], grains[static_cast<size_t>(j)],
                                    value)
                        .p);
        }
    });
    result.measures.push_back(std::move(d));
    return result;
}

const MeasureMatrix* ProfileMatrix::find(Measure measure) const {
    for (const MeasureMatrix& m : measures) {
        if (m.measure == measure) return &m;
    }
    return nullptr;
}

ProfileMatrix compareAllGrainPairs(const std::vector<GrainSample>& samples, unsigned threads) {
    ProfileMatrix matrix;
    auto [ks, kuiper] = ksAndKuiperMatricesOfAges(samples, threads);
    matrix.measures.push_back(std::move(ks));
    matrix.measures.push_back(std::move(kuiper));
    for (const GrainSample& sample : samples) matrix.names.push_back(sample.name);
    matrix.grains.emplace();
    for (const GrainSample& sample : samples)
        matrix.grains->push_back(static_cast<int32_t>(sample.ages.size()));
    return matrix;
}

}  // namespace kestrel
