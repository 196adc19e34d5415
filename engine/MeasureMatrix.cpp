// The pairs of many profiles by every measure asked for.
#include "engine/MeasureMatrix.h"

#include <cmath>

#include "engine/KestrelError.h"
#include "engine/ParallelIndices.h"
#include "engine/measures/Kuiper.h"
#include "engine/measures/SampleDistance.h"
#include "engine/measures/Wasserstein.h"

namespace kestrel {
namespace {

SquareMatrix diagonalMatrix(int32_t size, double diagonal) {
    SquareMatrix m{size, std::vector<double>(static_cast<size_t>(size) * size, 0.0)};
    for (int32_t i = 0; i < size; ++i) m.values[static_cast<size_t>(i) * size + i] = diagonal;
    return m;
}

void setPair(SquareMatrix& m, int64_t i, int64_t j, double value) {
    m.values[static_cast<size_t>(i * m.size + j)] = value;
    m.values[static_cast<size_t>(j * m.size + i)] = value;
}

// Every pair (i < j) of `count` samples by `measure`, rows of pairs shared among the workers.
template <class PairValue>
SquareMatrix pairMatrix(int32_t count, Measure measure, unsigned threads, PairValue&& value) {
    SquareMatrix m = diagonalMatrix(count, measureInfo(measure).likeness ? 1.0 : 0.0);
    forEachIndexInParallel(count - 1, threads, [&](int64_t i) {
        for (int64_t j = i + 1; j < count; ++j) setPair(m, i, j, value(i, j));
    });
    return m;
}

SquareMatrix kuiperPValues(const SquareMatrix& v, const std::vector<int32_t>& grains) {
    SquareMatrix p = diagonalMatrix(v.size, 1.0);
    for (int32_t i = 0; i < v.size; ++i) {
        for (int32_t j = i + 1; j < v.size; ++j) {
            setPair(p, i, j,
                    kuiperP(grains[static_cast<size_t>(i)], grains[static_cast<size_t>(j)],
                            v.at(i, j)));
        }
    }
    return p;
}

void refuseMasslessProfiles(const std::vector<PreparedProfile>& prepared,
                            const std::vector<std::string>& names) {
    for (size_t i = 0; i < prepared.size(); ++i) {
        if (!prepared[i].hasMass) {
            throw KestrelError("W2 has no value for " + names[i] +
                               ": the profile is all zeros and holds no mass to move");
        }
    }
}

struct PreparedSamples {
    std::vector<PreparedProfile> profiles;
    std::vector<double> sortedAges;
};

PreparedSamples prepareAll(const std::vector<std::span<const double>>& values,
                           std::span<const double> ages, unsigned threads) {
    PreparedSamples prepared;
    const std::vector<size_t> order = ascendingAgeOrder(ages);
    for (const size_t r : order) prepared.sortedAges.push_back(ages[r]);
    prepared.profiles.resize(values.size());
    forEachIndexInParallel(static_cast<int64_t>(values.size()), threads, [&](int64_t i) {
        prepared.profiles[static_cast<size_t>(i)] =
            prepareProfile(values[static_cast<size_t>(i)], order);
    });
    return prepared;
}

SquareMatrix profileMeasureMatrix(const PreparedSamples& prepared, Measure measure,
                                  const std::vector<std::string>& names, unsigned threads) {
    if (measure == Measure::Wasserstein2) refuseMasslessProfiles(prepared.profiles, names);
    const auto function = measureInfo(measure).ofProfiles;
    return pairMatrix(static_cast<int32_t>(prepared.profiles.size()), measure, threads,
                      [&](int64_t i, int64_t j) {
                          return function(prepared.profiles[static_cast<size_t>(i)],
                                          prepared.profiles[static_cast<size_t>(j)],
                                          prepared.sortedAges);
                      });
}

}  // namespace

void addProfileMeasures(ProfileMatrix& matrix, const ProfileSamples& samples,
                        const std::vector<Measure>& measures, unsigned threads) {
    std::vector<std::span<const double>> values;
    for (const auto& profile : samples.values) {
        values.emplace_back(profile.data() + 1, static_cast<size_t>(samples.NumRows));
    }
    std::vector<double> rowAges(static_cast<size_t>(samples.NumRows), 0.0);
    const bool haveAges = samples.ages.size() > static_cast<size_t>(samples.NumRows);
    if (haveAges) std::copy(samples.ages.begin() + 1, samples.ages.end(), rowAges.begin());
    const PreparedSamples prepared = prepareAll(values, rowAges, threads);
    for (const Measure measure : measures) {
        if (measure == Measure::KsD) continue;
        if (measure == Measure::Wasserstein2 && !haveAges) {
            throw KestrelError("W2 needs the ages: give the Age column");
        }
        MeasureMatrix added{
            measure, profileMeasureMatrix(prepared, measure, samples.names, threads), std::nullopt};
        if (measure == Measure::KuiperV && samples.grains) {
            added.p = kuiperPValues(added.values, *samples.grains);
        }
        matrix.measures.push_back(std::move(added));
    }
}

void addGrainMeasures(ProfileMatrix& matrix, const std::vector<GrainSample>& samples,
                      const std::vector<double>& gridAges,
                      const std::vector<std::vector<double>>& profiles,
                      const std::vector<Measure>& measures, unsigned threads) {
    std::vector<std::span<const double>> values(profiles.begin(), profiles.end());
    const PreparedSamples prepared = prepareAll(values, gridAges, threads);
    std::vector<std::vector<double>> sorted;
    for (const GrainSample& sample : samples) sorted.push_back(sortedAges(sample.ages));
    const auto count = static_cast<int32_t>(samples.size());
    for (const Measure measure : measures) {
        if (measure == Measure::KsD) continue;
        MeasureMatrix added{measure, {}, std::nullopt};
        if (measure == Measure::KuiperV) {
            if (matrix.kuiperV) continue;  // the grain matrix has it already
            added.values = pairMatrix(count, measure, threads, [&](int64_t i, int64_t j) {
                return kuiperTest(sorted[static_cast<size_t>(i)], sorted[static_cast<size_t>(j)]).v;
            });
            std::vector<int32_t> grains;
            for (const GrainSample& sample : samples) {
                grains.push_back(static_cast<int32_t>(sample.ages.size()));
            }
            added.p = kuiperPValues(added.values, grains);
        } else if (measure == Measure::Wasserstein2) {
            added.values = pairMatrix(count, measure, threads, [&](int64_t i, int64_t j) {
                return wasserstein2OfAges(sorted[static_cast<size_t>(i)],
                                          sorted[static_cast<size_t>(j)]);
            });
        } else {
            std::vector<std::string> names;
            for (const GrainSample& sample : samples) names.push_back(sample.name);
            added.values = profileMeasureMatrix(prepared, measure, names, threads);
        }
        matrix.measures.push_back(std::move(added));
    }
}

const SquareMatrix* measureValuesOf(const ProfileMatrix& matrix, Measure measure) {
    if (measure == Measure::KsD) return &matrix.D;
    if (measure == Measure::KuiperV && matrix.kuiperV) return &*matrix.kuiperV;
    for (const MeasureMatrix& m : matrix.measures) {
        if (m.measure == measure) return &m.values;
    }
    return nullptr;
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
