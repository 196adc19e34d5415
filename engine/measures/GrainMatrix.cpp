// The grain tests of every pair of samples.
#include "engine/measures/GrainMatrix.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/KestrelError.h"
#include "engine/KsTwoSample.h"
#include "engine/ParallelIndices.h"
#include "engine/measures/SampleDistance.h"

namespace kestrel {
namespace {

std::vector<std::vector<double>> sortedAges(const std::vector<GrainSample>& samples) {
    std::vector<std::vector<double>> sorted;
    for (const GrainSample& sample : samples) {
        std::vector<double> ages = sample.ages;
        if (ages.empty()) throw KestrelError("Sample \"" + sample.name + "\" has no ages");
        if (std::any_of(ages.begin(), ages.end(), [](double a) { return std::isnan(a); })) {
            throw KestrelError("Sample \"" + sample.name + "\" has an age that is not a number");
        }
        std::sort(ages.begin(), ages.end());
        sorted.push_back(std::move(ages));
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
    const std::vector<std::vector<double>> sorted = sortedAges(samples);
    const auto k = static_cast<int32_t>(samples.size());
    ProfileMatrix matrix;
    for (const GrainSample& sample : samples) matrix.names.push_back(sample.name);
    matrix.D = square(k, 0.0);
    matrix.p = square(k, 1.0);
    matrix.kuiperV = square(k, 0.0);
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
        const int64_t h = std::max(gaps.up, gaps.down);
        const double d = static_cast<double>(h) / static_cast<double>(gaps.lcm);
        const double p = ksMethodFor(n1, n2) == KsMethod::Exact ? ksTwoSampleExactTail(n1, n2, h)
                                                                : ksTwoSampleTail(n1, n2, d).p;
        // Each pair writes only its own two cells.
        setBoth(matrix.D, i, j, d);
        setBoth(*matrix.p, i, j, p);
        setBoth(*matrix.kuiperV, i, j,
                static_cast<double>(gaps.up + gaps.down) / static_cast<double>(gaps.lcm));
    });
    return matrix;
}

}  // namespace kestrel
