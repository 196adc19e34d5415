// YDZ, the youngest detrital zircon age: the grains that could be the youngest (within 5 sigma
// of the youngest single grain) are drawn again and again from their uncertainties, the
// youngest of each draw kept; the estimate is the mode of those youngest ages, and its interval
// reaches to their 2.5th and 97.5th percentiles. W. R. Dickinson and G. E. Gehrels (2009),
// "Use of U-Pb ages of detrital zircons to infer maximum depositional ages of strata", Earth
// and Planetary Science Letters 288, 115-125. The draws (NormalDraws.h) and the mode and
// percentiles (KernelDensityMode.h) are written down in their headers, so that the same seed
// gives the same estimate everywhere.
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/KernelDensityMode.h"
#include "engine/depositional/NormalDraws.h"
#include "engine/depositional/WeightedMean.h"
#include "engine/depositional/YoungestClusters.h"

namespace kestrel {

namespace {

// The grains, in the order read, whose age less 5 sigma reaches the youngest single grain's age
// plus 5 sigma.
std::vector<size_t> youngestCandidates(const GrainSample& sample) {
    const size_t ysg = youngestSingleGrainIndex(sample);
    const double reach = sample.ages[ysg] + 5.0 * sample.sigmas[ysg];
    std::vector<size_t> candidates;
    for (size_t i = 0; i < sample.ages.size(); ++i)
        if (sample.ages[i] - 5.0 * sample.sigmas[i] <= reach) candidates.push_back(i);
    return candidates;
}

// The youngest age of every draw. Draw d gives candidate j (in the order read) the deviate of
// word d * candidates + j + 1 of the seed's stream. The candidates are visited youngest first,
// so that the youngest so far, m, falls soon; a candidate whose deviate would have to fall
// below t = (m - a) / s, where the uniform shows it does not (u >= Phi(t)), is passed over
// without its quantile: it cannot change the youngest.
std::vector<double> youngestOfDraws(const GrainSample& sample,
                                    const std::vector<size_t>& candidates, uint64_t seed,
                                    size_t draws) {
    struct Candidate {
        double age, sigma, inverseSigma;
        uint64_t place;
    };
    std::vector<Candidate> byAge;
    for (size_t j = 0; j < candidates.size(); ++j) {
        const size_t i = candidates[j];
        byAge.push_back({sample.ages[i], sample.sigmas[i], 1.0 / sample.sigmas[i], j + 1});
    }
    std::stable_sort(byAge.begin(), byAge.end(),
                     [](const Candidate& x, const Candidate& y) { return x.age < y.age; });
    const double* bounds = normalProbabilityBounds();
    std::vector<double> youngest(draws);
    for (size_t d = 0; d < draws; ++d) {
        const uint64_t first = static_cast<uint64_t>(d) * candidates.size();
        double m = std::numeric_limits<double>::infinity();
        for (const Candidate& c : byAge) {
            const double t = (m - c.age) * c.inverseSigma;
            if (t < -9.0) continue;  // Phi(t) is below every uniform
            const double u = openUniform(splitmixWord(seed, first + c.place));
            if (t < 0.0 && u >= bounds[static_cast<size_t>((t + 9.0) * 32.0) + 1]) continue;
            m = std::min(m, c.age + c.sigma * normalQuantile(u));
        }
        youngest[d] = m;
    }
    return youngest;
}

double standardDeviation(const std::vector<double>& values) {
    double mean = 0.0;
    for (const double v : values) mean += v;
    mean /= static_cast<double>(values.size());
    double squares = 0.0;
    for (const double v : values) squares += (v - mean) * (v - mean);
    return std::sqrt(squares / static_cast<double>(values.size() - 1));
}

}  // namespace

DepositionalEstimate youngestDetritalZircon(const GrainSample& sample,
                                            const DepositionalOptions& options) {
    if (options.draws < 2) return noDepositionalEstimate("fewer than two draws");
    const std::vector<size_t> candidates = youngestCandidates(sample);
    const std::vector<double> youngest =
        youngestOfDraws(sample, candidates, options.seed, static_cast<size_t>(options.draws));
    std::vector<double> reordered = youngest;
    constexpr double kPercents[] = {0.0, 2.5, 25.0, 75.0, 97.5, 100.0};
    const std::vector<double> p = percentilesOf(reordered, kPercents);
    const double bandwidth =
        silvermanBandwidth(standardDeviation(youngest), p[3] - p[2], youngest.size());
    const double mode = bandwidth > 0.0 ? kernelDensityMode(youngest, bandwidth, p[0], p[5]) : p[0];
    DepositionalEstimate estimate;
    estimate.age = mode;
    estimate.minus = mode - p[1];
    estimate.plus = p[4] - mode;
    estimate.used = candidates.size();
    return estimate;
}

}  // namespace kestrel
