// The Sircombe-Hazelton distance in closed form.
#include "engine/measures/SircombeHazelton.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

#include "engine/density/BotevBandwidth.h"

namespace kestrel {
namespace {

constexpr const char* kName = "Sircombe-Hazelton";

// One sample as the sums read it: ages and kernel variances c - s_i^2.
struct KernelSample {
    std::vector<double> ages;
    std::vector<double> variances;
};

// S(X, Y) = (1/(n m)) sum_i sum_j N(x_i - y_j; 0, u_i + v_j).
double productIntegral(const KernelSample& x, const KernelSample& y) {
    const double inverseRoot2Pi = 1.0 / std::sqrt(2.0 * std::numbers::pi);
    double sum = 0.0;
    for (size_t i = 0; i < x.ages.size(); ++i) {
        double row = 0.0;
        for (size_t j = 0; j < y.ages.size(); ++j) {
            const double variance = x.variances[i] + y.variances[j];
            const double gap = x.ages[i] - y.ages[j];
            row += std::exp(-0.5 * gap * gap / variance) / std::sqrt(variance);
        }
        sum += row;
    }
    return inverseRoot2Pi * sum /
           (static_cast<double>(x.ages.size()) * static_cast<double>(y.ages.size()));
}

double largestSquare(const std::vector<double>& values) {
    double largest = 0.0;
    for (const double v : values) largest = std::max(largest, v * v);
    return largest;
}

}  // namespace

double sircombeHazeltonSpread(const std::vector<GrainSample>& samples) {
    double spread = 0.0;
    for (const GrainSample& sample : samples) {
        const double h = botevBandwidth(sample);
        spread = std::max(spread, largestSquare(sample.sigmas) + h * h);
    }
    return spread;
}

MeasureMatrix sircombeHazeltonMatrix(const std::vector<GrainSample>& samples, unsigned threads) {
    const double spread = sircombeHazeltonSpread(samples);
    std::vector<KernelSample> kernels(samples.size());
    std::vector<double> self(samples.size());
    for (size_t s = 0; s < samples.size(); ++s) {
        kernels[s].ages = samples[s].ages;
        for (const double sigma : samples[s].sigmas)
            kernels[s].variances.push_back(spread - sigma * sigma);
        self[s] = productIntegral(kernels[s], kernels[s]);
    }
    const auto count = static_cast<int32_t>(samples.size());
    return {Measure::SircombeHazelton,
            pairMatrix(count, 0.0, threads,
                       [&](int64_t i, int64_t j) {
                           const auto a = static_cast<size_t>(i), b = static_cast<size_t>(j);
                           const double square =
                               self[a] + self[b] - 2.0 * productIntegral(kernels[a], kernels[b]);
                           return std::sqrt(std::max(square, 0.0));
                       }),
            std::nullopt};
}

std::string sircombeHazeltonRefusal(const MeasuredSamples& samples) {
    const std::string needs =
        std::string(kName) + " needs grain ages with each grain's uncertainty";
    if (!samples.grainAges) return needs;
    for (const GrainSample& sample : *samples.grainAges) {
        if (sample.sigmas.size() != sample.ages.size())
            return needs + ": " + sample.name + " has none";
        for (const double sigma : sample.sigmas) {
            if (!std::isfinite(sigma) || sigma < 0.0) {
                return std::string(kName) + " has no value for " + sample.name +
                       ": an uncertainty is not a number at or above 0";
            }
        }
        if (std::set<double>(sample.ages.begin(), sample.ages.end()).size() < 2) {
            return std::string(kName) + " has no value for " + sample.name +
                   ": its bandwidth needs two or more distinct ages";
        }
    }
    return {};
}

}  // namespace kestrel
