// YDZ, the youngest detrital zircon age: the grains within 5 sigma of the youngest single
// grain (an age at most its age plus 5 of its sigmas) are drawn again and again from their
// uncertainties, the youngest of each draw kept; the estimate is the mode of those youngest ages,
// and its interval reaches to their 2.5th and 97.5th percentiles. W. R. Dickinson and G. E. Gehrels
// (2009), "Use of U-Pb ages of detrital zircons to infer maximum depositional ages of strata",
// Earth and Planetary Science Letters 288, 115-125.
//
// The draws, so that the same seed gives the same estimate everywhere (uniforms and Phi^-1 as
// NormalDraws.h defines them): candidate j (from 0, in the order read) has the stream of
// uniforms u_k = uniform of word j 2^32 + k (k = 1, 2, ...). The candidates are drawn youngest
// first (by age, then the order read). Before each, M is the largest of the draws' youngest
// ages so far (infinite before the first) and p = Phi((M - a) / s): a draw of the candidate
// can only be the youngest where its uniform lies below p, so only those draws are made, each
// as a + s Phi^-1(u) with u uniform below p, and kept where below the draw's youngest:
//   p > 1/4: for every draw in turn the next u_k; the draws where u_k < p, with u = u_k;
//   1e-280 <= p <= 1/4: from d = -1, again and again: d += 1 + floor(ln u_k / ln(1 - p))
//     (the next u_k; ln(1 - p) by log1p), stopping once d is past the last draw; else draw d
//     with u = p u_k' (the u_k after);
//   p < 1e-280: none.
// The mode and percentiles are those of KernelDensityMode.h.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/KernelDensityMode.h"
#include "engine/depositional/NormalDraws.h"
#include "engine/depositional/WeightedMean.h"
#include "engine/depositional/YoungestClusters.h"

namespace kestrel {

namespace {

// The grains, in the order read, whose age is at most the youngest single grain's age plus 5 of
// its sigmas: those within 5 sigma of it, and any younger by age alone.
std::vector<size_t> youngestCandidates(const GrainSample& sample) {
    const size_t ysg = youngestSingleGrainIndex(sample);
    const double reach = sample.ages[ysg] + 5.0 * sample.sigmas[ysg];
    std::vector<size_t> candidates;
    for (size_t i = 0; i < sample.ages.size(); ++i)
        if (sample.ages[i] <= reach) candidates.push_back(i);
    return candidates;
}

// The uniform of stream j (the j-th candidate in the order read) at place k = 1, 2, ...
double streamUniform(uint64_t seed, uint64_t stream, uint64_t k) {
    return openUniform(splitmixWord(seed, (stream << 32) + k));
}

// Upper bounds of Phi at t = -9 + k / 32 (k = 0 .. 288), raised by a margin far above the
// errors of erfc and of AS 241: a uniform at or above the bound at or above t gives a deviate
// at or above t. Phi(-9) ~ 1e-19 lies below every uniform.
const std::array<double, 289>& normalBounds() {
    static const auto bounds = [] {
        std::array<double, 289> b{};
        for (size_t k = 0; k < b.size(); ++k) {
            const double t = -9.0 + static_cast<double>(k) / 32.0;
            b[k] = 0.5 * std::erfc(-t / std::sqrt(2.0)) * (1.0 + 1e-9) + 1e-300;
        }
        return b;
    }();
    return bounds;
}

// Draws `value` (a draw's youngest so far) from uniform u unless u shows that the deviate
// would not bring it below: then the quantile, the costly part, is never computed.
inline bool drawInto(double& value, double age, double sigma, double inverseSigma, double u,
                     const std::array<double, 289>& bounds) {
    const double t = (value - age) * inverseSigma;
    if (t < 0.0 && (t < -9.0 || u >= bounds[static_cast<size_t>((t + 9.0) * 32.0) + 1]))
        return false;
    const double drawn = age + sigma * normalQuantile(u);
    if (!(drawn < value)) return false;
    value = drawn;
    return true;
}

// One candidate's draws where it can be the youngest: those whose uniform lies below
// p = Phi((M - a) / s), M the largest youngest age so far. Many such draws: each draw's
// uniform in turn; few: the draws between them skipped by their geometric law.
// Returns whether it lowered a draw that held the largest youngest age, `highest`.
bool drawCandidate(double age, double sigma, uint64_t seed, uint64_t stream, double p,
                   double highest, std::vector<double>& youngest) {
    const std::array<double, 289>& bounds = normalBounds();
    const double inverseSigma = 1.0 / sigma;
    uint64_t k = 0;
    bool lowered = false;
    if (p > 0.25) {
        for (double& value : youngest) {
            const double u = streamUniform(seed, stream, ++k);
            const double before = value;
            if (u < p && drawInto(value, age, sigma, inverseSigma, u, bounds))
                lowered = lowered || before == highest;
        }
        return lowered;
    }
    if (!(p >= 1e-280)) return false;  // no draw of it could ever be the youngest
    const double logMiss = std::log1p(-p);
    const auto draws = static_cast<double>(youngest.size());
    for (double d = -1.0;;) {
        d += 1.0 + std::floor(std::log(streamUniform(seed, stream, ++k)) / logMiss);
        if (!(d < draws)) return lowered;
        const double u = p * streamUniform(seed, stream, ++k);
        double& value = youngest[static_cast<size_t>(d)];
        const double before = value;
        if (drawInto(value, age, sigma, inverseSigma, u, bounds))
            lowered = lowered || before == highest;
    }
}

// The largest value, four running maxima side by side so that none waits on the others.
double largest(const std::vector<double>& values) {
    double m[4] = {values[0], values[0], values[0], values[0]};
    size_t i = 0;
    for (; i + 4 <= values.size(); i += 4)
        for (size_t u = 0; u < 4; ++u) m[u] = std::max(m[u], values[i + u]);
    for (; i < values.size(); ++i) m[0] = std::max(m[0], values[i]);
    return std::max(std::max(m[0], m[1]), std::max(m[2], m[3]));
}

// The youngest age of every draw, the candidates drawn youngest first (by age, then the
// order read) so that M falls soon and the older candidates are seldom drawn at all.
std::vector<double> youngestOfDraws(const GrainSample& sample,
                                    const std::vector<size_t>& candidates, uint64_t seed,
                                    size_t draws) {
    std::vector<size_t> byAge(candidates.size());
    for (size_t j = 0; j < byAge.size(); ++j) byAge[j] = j;
    std::stable_sort(byAge.begin(), byAge.end(), [&](size_t x, size_t y) {
        return sample.ages[candidates[x]] < sample.ages[candidates[y]];
    });
    std::vector<double> youngest(draws, std::numeric_limits<double>::infinity());
    double highest = std::numeric_limits<double>::infinity();
    for (const size_t j : byAge) {
        const double a = sample.ages[candidates[j]], s = sample.sigmas[candidates[j]];
        const double p =
            std::isinf(highest) ? 1.0 : 0.5 * std::erfc(-(highest - a) / s / std::sqrt(2.0));
        // The draws' youngest ages only fall: the largest moves only when one holding it does.
        if (drawCandidate(a, s, seed, j, p, highest, youngest)) highest = largest(youngest);
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
