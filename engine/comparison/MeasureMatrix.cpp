// The pairs of many samples by every measure asked for.
#include "engine/comparison/MeasureMatrix.h"

#include <algorithm>

#include "engine/KestrelError.h"
#include "engine/ParallelIndices.h"

namespace kestrel {
namespace {

void prepareProfiles(MeasuredSamples& measured, const std::vector<std::span<const double>>& values,
                     std::span<const double> ages, unsigned threads) {
    const std::vector<size_t> order = ascendingAgeOrder(ages);
    for (const size_t r : order) measured.sortedAges.push_back(ages[r]);
    measured.profiles.resize(values.size());
    forEachIndexInParallel(static_cast<int64_t>(values.size()), threads, [&](int64_t i) {
        measured.profiles[static_cast<size_t>(i)] =
            prepareProfile(values[static_cast<size_t>(i)], order);
    });
}

// Every pair of prepared profiles by the measure's function on profiles, with its p-values
// where the measure has them and the grain counts are known.
MeasureMatrix ofProfiles(const MeasureInfo& info, const MeasuredSamples& samples,
                         unsigned threads) {
    const auto count = static_cast<int32_t>(samples.profiles.size());
    MeasureMatrix added{info.measure, {}, std::nullopt};
    added.values = pairMatrix(count, info.likeness ? 1.0 : 0.0, threads, [&](int64_t i, int64_t j) {
        return info.ofProfiles(samples.profiles[static_cast<size_t>(i)],
                               samples.profiles[static_cast<size_t>(j)], samples.sortedAges);
    });
    if (info.pOfProfiles && samples.grains) {
        const std::vector<int32_t>& grains = *samples.grains;
        added.p = squareMatrix(count, 1.0);
        for (int32_t i = 0; i < count; ++i) {
            for (int32_t j = i + 1; j < count; ++j) {
                setPair(*added.p, i, j,
                        info.pOfProfiles(grains[static_cast<size_t>(i)],
                                         grains[static_cast<size_t>(j)], added.values.at(i, j)));
            }
        }
    }
    return added;
}

bool measuredOnAges(const MeasureInfo& info, const MeasuredSamples& samples) {
    return samples.grainAges && !comparesGrainAgesByProfiles(info.measure);
}

}  // namespace

MeasuredSamples measuredProfiles(const ProfileSamples& samples, bool prepare, unsigned threads) {
    MeasuredSamples measured;
    measured.names = samples.names;
    measured.grains = samples.grains;
    measured.profileAges = samples.ages.size() > static_cast<size_t>(samples.NumRows);
    if (!prepare) return measured;
    std::vector<std::span<const double>> values;
    for (const auto& profile : samples.values) {
        values.emplace_back(profile.data() + 1, static_cast<size_t>(samples.NumRows));
    }
    std::vector<double> rowAges(static_cast<size_t>(samples.NumRows), 0.0);
    if (measured.profileAges)
        std::copy(samples.ages.begin() + 1, samples.ages.end(), rowAges.begin());
    prepareProfiles(measured, values, rowAges, threads);
    return measured;
}

MeasuredSamples measuredGrainAges(const std::vector<GrainSample>& samples,
                                  const std::vector<double>& gridAges,
                                  const std::vector<std::vector<double>>& profiles,
                                  unsigned threads) {
    MeasuredSamples measured;
    for (const GrainSample& sample : samples) measured.names.push_back(sample.name);
    measured.grainAges = &samples;
    // Their p-values come with the measures of age lists, so no grain counts are kept here.
    measured.profileAges = !gridAges.empty();
    const std::vector<std::span<const double>> values(profiles.begin(), profiles.end());
    prepareProfiles(measured, values, gridAges, threads);
    return measured;
}

void addMeasures(ProfileMatrix& matrix, const MeasuredSamples& samples,
                 const std::vector<Measure>& measures, unsigned threads) {
    for (const Measure measure : measures) {
        if (matrix.find(measure)) continue;
        if (const std::string refusal = refusalOf(measure, samples); !refusal.empty())
            throw KestrelError(refusal);
        const MeasureInfo& info = measureInfo(measure);
        matrix.measures.push_back(measuredOnAges(info, samples)
                                      ? info.ofAges(*samples.grainAges, threads)
                                      : ofProfiles(info, samples, threads));
    }
}

void addProfileMeasures(ProfileMatrix& matrix, const ProfileSamples& samples,
                        const std::vector<Measure>& measures, unsigned threads) {
    addMeasures(matrix, measuredProfiles(samples, true, threads), measures, threads);
}

void addGrainMeasures(ProfileMatrix& matrix, const std::vector<GrainSample>& samples,
                      const std::vector<double>& gridAges,
                      const std::vector<std::vector<double>>& profiles,
                      const std::vector<Measure>& measures, unsigned threads) {
    addMeasures(matrix, measuredGrainAges(samples, gridAges, profiles, threads), measures, threads);
}

const SquareMatrix* measureValuesOf(const ProfileMatrix& matrix, Measure measure) {
    const MeasureMatrix* found = matrix.find(measure);
    return found ? &found->values : nullptr;
}

SquareMatrix dissimilaritiesOf(const ProfileMatrix& matrix, Measure measure) {
    const SquareMatrix* values = measureValuesOf(matrix, measure);
    if (!values) {
        throw KestrelError(std::string("The matrix holds no ") + measureInfo(measure).name);
    }
    SquareMatrix d = *values;
    for (double& v : d.values) v = dissimilarityOf(measure, v);
    return d;
}

}  // namespace kestrel
