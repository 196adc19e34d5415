// The grain tests of every pair of samples.
#include "engine/measures/GrainMatrix.h"

#include <algorithm>
#include <string>

#include "engine/KestrelError.h"
#include "engine/ParallelIndices.h"
#include "engine/measures/KsSamples.h"
#include "engine/measures/Kuiper.h"

namespace kestrel {
namespace {

std::vector<std::vector<double>> sortedSamples(const std::vector<GrainSample>& samples) {
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

SquareMatrix square(int32_t size, double diagonal) {
    SquareMatrix m;
    m.size = size;
    m.values.assign(static_cast<size_t>(size) * static_cast<size_t>(size), 0.0);
    for (int32_t i = 0; i < size; ++i) m.values[static_cast<size_t>(i) * (size + 1)] = diagonal;
    return m;
}

void setBoth(SquareMatrix& m, int32_t i, int32_t j, double value) {
    m.values[static_cast<size_t>(i) * static_cast<size_t>(m.size) + static_cast<size_t>(j)] = value;
    m.values[static_cast<size_t>(j) * static_cast<size_t>(m.size) + static_cast<size_t>(i)] = value;
}

}  // namespace

ProfileMatrix compareAllGrainPairs(const std::vector<GrainSample>& samples, unsigned threads) {
    if (samples.size() < 2 || samples.size() > static_cast<size_t>(kMaxMatrixProfiles)) {
        throw KestrelError("Give 2 to " + std::to_string(kMaxMatrixProfiles) +
                           " samples to compare, not " + std::to_string(samples.size()));
    }
    const std::vector<std::vector<double>> sorted = sortedSamples(samples);
    const auto k = static_cast<int32_t>(samples.size());
    ProfileMatrix matrix;
    for (const GrainSample& sample : samples) matrix.names.push_back(sample.name);
    matrix.D = square(k, 0.0);
    matrix.p = square(k, 1.0);
    matrix.kuiperV = square(k, 0.0);
    matrix.kuiperP = square(k, 1.0);
    matrix.grains.emplace();
    for (const GrainSample& sample : samples)
        matrix.grains->push_back(static_cast<int32_t>(sample.ages.size()));
    // Pair (i, j), i < j, numbered row by row.
    std::vector<std::pair<int32_t, int32_t>> pairs;
    for (int32_t i = 0; i < k; ++i) {
        for (int32_t j = i + 1; j < k; ++j) pairs.emplace_back(i, j);
    }
    forEachIndexInParallel(static_cast<int64_t>(pairs.size()), threads, [&](int64_t index) {
        const auto [i, j] = pairs[static_cast<size_t>(index)];
        const auto& a = sorted[static_cast<size_t>(i)];
        const auto& b = sorted[static_cast<size_t>(j)];
        const SampleGaps gaps = sortedSampleGaps(a, b);
        const auto n1 = static_cast<int64_t>(a.size()), n2 = static_cast<int64_t>(b.size());
        const KsSamplesTest ks = ksSamplesTestOf(n1, n2, gaps);
        // Each pair writes only its own two cells.
        setBoth(matrix.D, i, j, ks.d);
        setBoth(*matrix.p, i, j, ks.p);
        const KuiperTest kuiper = kuiperTestOf(n1, n2, gaps);
        setBoth(*matrix.kuiperV, i, j, kuiper.v);
        setBoth(*matrix.kuiperP, i, j, kuiper.p);
    });
    return matrix;
}

}  // namespace kestrel
