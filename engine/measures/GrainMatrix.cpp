// The grain tests of every pair of samples.
#include "engine/measures/GrainMatrix.h"

#include <algorithm>
#include <string>

#include "engine/KestrelError.h"
#include "engine/ParallelIndices.h"
#include "engine/measures/KsSamples.h"
#include "engine/measures/Kuiper.h"

namespace kestrel {

std::vector<std::vector<double>> sortedGrainSamples(const std::vector<GrainSample>& samples) {
    if (samples.size() < 2 || samples.size() > static_cast<size_t>(kMaxMatrixProfiles)) {
        throw KestrelError("Give 2 to " + std::to_string(kMaxMatrixProfiles) +
                           " samples to compare, not " + std::to_string(samples.size()));
    }
    std::vector<std::vector<double>> sorted;
    for (const GrainSample& sample : samples) {
        if (sample.ages.empty()) throw KestrelError("Sample \"" + sample.name + "\" has no ages");
        try {
            sorted.push_back(sortedAges(sample.ages));
        } catch (const KestrelError&) {
            throw KestrelError("Sample \"" + sample.name + "\" has an age that is not a number");
        }
    }
    return sorted;
}

void forEachGrainPair(const std::vector<std::vector<double>>& sorted, unsigned threads,
                      const std::function<void(int32_t i, int32_t j, const std::vector<double>& a,
                                               const std::vector<double>& b)>& work) {
    const auto k = static_cast<int32_t>(sorted.size());
    // Pair (i, j), i < j, numbered row by row: pairs of large samples take long, so each is a
    // piece of work of its own.
    std::vector<std::pair<int32_t, int32_t>> pairs;
    for (int32_t i = 0; i < k; ++i) {
        for (int32_t j = i + 1; j < k; ++j) pairs.emplace_back(i, j);
    }
    forEachIndexInParallel(static_cast<int64_t>(pairs.size()), threads, [&](int64_t index) {
        const auto [i, j] = pairs[static_cast<size_t>(index)];
        work(i, j, sorted[static_cast<size_t>(i)], sorted[static_cast<size_t>(j)]);
    });
}

MeasureMatrix grainPairMatrix(
    Measure measure, const std::vector<std::vector<double>>& sorted, unsigned threads, bool withP,
    const std::function<std::pair<double, double>(const std::vector<double>& a,
                                                  const std::vector<double>& b)>& test) {
    const auto k = static_cast<int32_t>(sorted.size());
    MeasureMatrix matrix{measure, squareMatrix(k, 0.0), std::nullopt};
    if (withP) matrix.p = squareMatrix(k, 1.0);
    forEachGrainPair(sorted, threads, [&](int32_t i, int32_t j, const auto& a, const auto& b) {
        const auto [value, p] = test(a, b);
        // Each pair writes only its own two cells.
        setPair(matrix.values, i, j, value);
        if (matrix.p) setPair(*matrix.p, i, j, p);
    });
    return matrix;
}

namespace {

std::pair<double, double> ksPair(const std::vector<double>& a, const std::vector<double>& b) {
    const KsSamplesTest test = ksSamplesTestOf(
        static_cast<int64_t>(a.size()), static_cast<int64_t>(b.size()), sortedSampleGaps(a, b));
    return {test.d, test.p};
}

std::pair<double, double> kuiperPair(const std::vector<double>& a, const std::vector<double>& b) {
    const KuiperTest test = kuiperTestOf(static_cast<int64_t>(a.size()),
                                         static_cast<int64_t>(b.size()), sortedSampleGaps(a, b));
    return {test.v, test.p};
}

}  // namespace

MeasureMatrix ksMatrixOfAges(const std::vector<GrainSample>& samples, unsigned threads) {
    return grainPairMatrix(Measure::KsD, sortedGrainSamples(samples), threads, true, ksPair);
}

MeasureMatrix kuiperMatrixOfAges(const std::vector<GrainSample>& samples, unsigned threads) {
    return grainPairMatrix(Measure::KuiperV, sortedGrainSamples(samples), threads, true,
                           kuiperPair);
}

std::pair<MeasureMatrix, MeasureMatrix> ksAndKuiperMatricesOfAges(
    const std::vector<GrainSample>& samples, unsigned threads) {
    const std::vector<std::vector<double>> sorted = sortedGrainSamples(samples);
    const auto k = static_cast<int32_t>(sorted.size());
    MeasureMatrix ks{Measure::KsD, squareMatrix(k, 0.0), squareMatrix(k, 1.0)};
    MeasureMatrix kuiper{Measure::KuiperV, squareMatrix(k, 0.0), squareMatrix(k, 1.0)};
    forEachGrainPair(sorted, threads, [&](int32_t i, int32_t j, const auto& a, const auto& b) {
        const SampleGaps gaps = sortedSampleGaps(a, b);
        const auto n1 = static_cast<int64_t>(a.size()), n2 = static_cast<int64_t>(b.size());
        const KsSamplesTest test = ksSamplesTestOf(n1, n2, gaps);
        setPair(ks.values, i, j, test.d);
        setPair(*ks.p, i, j, test.p);
        const KuiperTest v = kuiperTestOf(n1, n2, gaps);
        setPair(kuiper.values, i, j, v.v);
        setPair(*kuiper.p, i, j, v.p);
    });
    return {std::move(ks), std::move(kuiper)};
}

}  // namespace kestrel
