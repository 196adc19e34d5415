// The table of maximum depositional age estimators and the runner over samples.
#include "engine/depositional/DepositionalAges.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "engine/KestrelError.h"
#include "engine/ParallelIndices.h"
#include "engine/depositional/DepositionalEstimators.h"

namespace kestrel {

namespace {

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string grainText(size_t index) {
    return "grain " + std::to_string(index + 1);
}

}  // namespace

const std::vector<DepositionalMethodInfo>& allDepositionalMethods() {
    using M = DepositionalMethod;
    static const std::vector<DepositionalMethodInfo> methods{
        {M::Ysg, "ysg", "YSG",
         "the youngest single grain: the smallest age + 1 sigma, with its uncertainty",
         youngestSingleGrain},
        {M::Yc1s, "yc1s", "YC1s(2+)",
         "the weighted mean of the youngest cluster of two or more grains overlapping at 1 sigma",
         youngestCluster1Sigma},
        {M::Yc2s, "yc2s", "YC2s(3+)",
         "the weighted mean of the youngest cluster of three or more grains overlapping at 2 sigma",
         youngestCluster2Sigma},
        {M::Y3za, "y3za", "Y3Za", "the weighted mean of the three youngest ages",
         youngestThreeZirconsByAge},
        {M::Y3zo, "y3zo", "Y3Zo",
         "the weighted mean of the first three grains of the youngest cluster of three or more "
         "overlapping at 2 sigma",
         youngestThreeZirconsOverlapping},
        {M::Ysp, "ysp", "YSP",
         "the youngest statistical population: the youngest grains whose MSWD is closest to 1",
         youngestStatisticalPopulation},
        {M::Ypp, "ypp", "YPP",
         "the youngest peak of the probability density plot with two or more grains within "
         "1 sigma of it",
         youngestPdpPeak},
        {M::Tau, "tau", "Tau",
         "the weighted mean of the grains between the minima around the youngest peak of three "
         "or more grains",
         youngestPeakTau},
        {M::Ydz, "ydz", "YDZ",
         "the mode of the youngest of the grains' ages drawn again and again from their "
         "uncertainties",
         youngestDetritalZircon},
        {M::Mla, "mla", "MLA",
         "the maximum likelihood age: the minimum of the minimum age model fitted to the log ages",
         maximumLikelihoodAge},
    };
    return methods;
}

std::vector<DepositionalMethod> everyDepositionalMethod() {
    std::vector<DepositionalMethod> methods;
    for (const DepositionalMethodInfo& info : allDepositionalMethods())
        methods.push_back(info.method);
    return methods;
}

const DepositionalMethodInfo& depositionalMethod(DepositionalMethod method) {
    return allDepositionalMethods()[static_cast<size_t>(method)];
}

const DepositionalMethodInfo* depositionalMethodByKey(std::string_view keyOrName) {
    for (const DepositionalMethodInfo& info : allDepositionalMethods())
        if (sameLetters(keyOrName, info.key) || sameLetters(keyOrName, info.name)) return &info;
    return nullptr;
}

std::string depositionalMethodKeys() {
    const auto& methods = allDepositionalMethods();
    std::string text;
    for (size_t i = 0; i < methods.size(); ++i) {
        if (i > 0) text += i + 1 == methods.size() ? " or " : ", ";
        text += methods[i].key;
    }
    return text;
}

void checkDepositionalSample(const GrainSample& sample) {
    const std::string of = "Sample \"" + sample.name + "\": ";
    if (sample.sigmas.size() != sample.ages.size() || sample.ages.empty())
        throw KestrelError(of + "its ages have no uncertainties, which depositional ages need");
    if (sample.ages.size() < 2)
        throw KestrelError(of + "a sample of one grain has no depositional age to estimate");
    for (size_t i = 0; i < sample.ages.size(); ++i) {
        if (!std::isfinite(sample.ages[i]) || sample.ages[i] <= 0.0)
            throw KestrelError(of + grainText(i) + " has an age that is not above 0");
        if (!std::isfinite(sample.sigmas[i]) || sample.sigmas[i] <= 0.0)
            throw KestrelError(of + grainText(i) + " has an uncertainty that is not above 0");
    }
}

EstimableSamples estimableSamples(std::vector<GrainSample> samples) {
    EstimableSamples split;
    for (GrainSample& sample : samples) {
        try {
            checkDepositionalSample(sample);
            split.samples.push_back(std::move(sample));
        } catch (const KestrelError& error) {
            split.refused.emplace_back(sample.name, error.what());
        }
    }
    return split;
}

std::vector<DepositionalEstimate> estimateDepositionalAges(
    const GrainSample& sample, const std::vector<DepositionalMethod>& methods,
    const DepositionalOptions& options) {
    std::vector<DepositionalEstimate> estimates;
    estimates.reserve(methods.size());
    for (DepositionalMethod method : methods) {
        DepositionalEstimate estimate = depositionalMethod(method).estimate(sample, options);
        estimate.method = method;
        estimates.push_back(std::move(estimate));
    }
    return estimates;
}

std::vector<std::vector<DepositionalEstimate>> estimateDepositionalAgesOfSamples(
    const std::vector<GrainSample>& samples, const std::vector<DepositionalMethod>& methods,
    const DepositionalOptions& options) {
    for (const GrainSample& sample : samples) checkDepositionalSample(sample);
    std::vector<std::vector<DepositionalEstimate>> estimates(samples.size());
    forEachIndexInParallel(static_cast<int64_t>(samples.size()), 0, [&](int64_t i) {
        estimates[static_cast<size_t>(i)] =
            estimateDepositionalAges(samples[static_cast<size_t>(i)], methods, options);
    });
    return estimates;
}

}  // namespace kestrel
