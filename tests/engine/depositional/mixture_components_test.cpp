// Age components against scipy (tests/engine/depositional/likelihood_oracle.py: the mixture's
// likelihood from its definition, maximised by BFGS from many starts): the log-likelihood, the
// fitted components and their errors for overlapping components, BIC's choice of k on a clear
// sample of three, and the numbers of components a sample cannot hold.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/KestrelError.h"
#include "engine/depositional/MixtureComponents.h"
#include "tests/engine/depositional/LikelihoodOracle.h"

namespace {

using kestrel::testsupport::likelihoodOracle;
using kestrel::testsupport::populations;

// 100 and 125 Ma overlap at 1 to 2 % uncertainties, where EM creeps.
kestrel::GrainSample overlapping() {
    return populations("overlapping", 120, {100.0, 125.0, 480.0}, {0.35, 0.25, 0.4}, 0.02, 0.0, 3);
}

TEST(MixtureComponents, LogLikelihoodAgreesWithScipy) {
    const kestrel::GrainSample sample = overlapping();
    const std::vector<std::vector<double>> mixtures{
        {std::log(100.0), 1.0},
        {std::log(90.0), 0.3, std::log(130.0), 0.7},
        {std::log(100.0), 0.25, std::log(125.0), 0.0, std::log(480.0), 0.75},  // one unclaimed
        {std::log(2000.0), 1.0}};  // every grain hundreds of sigma away
    for (const auto& m : mixtures) {
        std::string arguments;
        std::vector<double> means, proportions;
        for (size_t j = 0; j < m.size(); j += 2) {
            arguments += std::to_string(m[j]) + " " + std::to_string(m[j + 1]) + " ";
            means.push_back(std::stod(std::to_string(m[j])));
            proportions.push_back(std::stod(std::to_string(m[j + 1])));
        }
        const auto expected = likelihoodOracle(sample, "mix-loglik", arguments);
        ASSERT_EQ(expected.size(), 1u);
        EXPECT_NEAR(kestrel::mixtureLogLikelihood(sample, means, proportions), expected[0][0],
                    1e-10 * std::fabs(expected[0][0]))
            << arguments;
    }
}

TEST(MixtureComponents, FitsAgreeWithScipyFromManyStarts) {
    const kestrel::GrainSample sample = overlapping();
    for (const int k : {2, 3, 4}) {
        SCOPED_TRACE(std::to_string(k) + " components");
        const auto expected = likelihoodOracle(sample, "mix-fit", std::to_string(k));
        ASSERT_EQ(expected.size(), static_cast<size_t>(k) + 1);
        const kestrel::MixtureFit fit = kestrel::fitMixture(sample, k);
        EXPECT_NEAR(fit.logLikelihood, expected[0][0], 1e-6);
        EXPECT_NEAR(fit.bic, -2.0 * expected[0][0] + (2 * k - 1) * std::log(120.0), 1e-5);
        ASSERT_EQ(fit.components.size(), static_cast<size_t>(k));
        for (size_t j = 0; j < fit.components.size(); ++j) {
            const kestrel::AgeComponent& c = fit.components[j];
            const double mu = expected[j + 1][0], p = expected[j + 1][1], se = expected[j + 1][2];
            EXPECT_NEAR(c.age, std::exp(mu), 1e-4 * c.age) << j;
            EXPECT_NEAR(c.proportion, p, 1e-5) << j;
            if (p < 1e-3) continue;  // an unclaimed component's error is not defined
            EXPECT_NEAR(std::log(c.upper / c.age) / 1.959964, se, 1e-3 * se) << j;
            EXPECT_NEAR(std::log(c.age / c.lower) / 1.959964, se, 1e-3 * se) << j;
        }
    }
}

TEST(MixtureComponents, BicPicksTheTrueNumberOfComponents) {
    const kestrel::GrainSample clear =
        populations("clear", 150, {60.0, 310.0, 1100.0}, {0.3, 0.3, 0.4}, 0.01, 0.0, 9);
    const auto expected = likelihoodOracle(clear, "mix-bic");
    ASSERT_EQ(expected.size(), 8u);
    size_t best = 0;
    for (size_t k = 0; k < expected.size(); ++k)
        if (expected[k][2] < expected[best][2]) best = k;
    ASSERT_EQ(best + 1, 3u) << "the oracle's choice";
    const kestrel::MixtureFit fit = kestrel::fitMixtureAuto(clear);
    ASSERT_EQ(fit.components.size(), 3u);
    EXPECT_NEAR(fit.bic, expected[2][2], 1e-5);
    EXPECT_NEAR(fit.components[0].age, 60.0, 0.01 * 60.0);
    EXPECT_NEAR(fit.components[2].age, 1100.0, 0.01 * 1100.0);
    EXPECT_FALSE(fit.bicAtLargestK);
    // Ten clear ages: auto stops at eight and says that BIC was still falling there.
    const kestrel::GrainSample ten =
        populations("ten", 300, {50, 100, 200, 400, 800, 1200, 1600, 2000, 2400, 2800},
                    std::vector<double>(10, 0.1), 0.005, 0.0, 5);
    const kestrel::MixtureFit capped = kestrel::fitMixtureAuto(ten);
    EXPECT_EQ(capped.components.size(), 8u);
    EXPECT_TRUE(capped.bicAtLargestK);
}

TEST(MixtureComponents, RefusesMoreComponentsThanGrainsOrNone) {
    const kestrel::GrainSample four{"four grains", {100, 200, 300, 400}, {1, 2, 3, 4}};
    for (const int k : {0, -1, 5}) {
        try {
            kestrel::fitMixture(four, k);
            ADD_FAILURE() << k << " components were accepted";
        } catch (const kestrel::KestrelError& error) {
            EXPECT_NE(std::string(error.what()).find("\"four grains\""), std::string::npos);
        }
    }
    // As many components as grains: each grain its own, its error its own uncertainty.
    const kestrel::MixtureFit each = kestrel::fitMixture(four, 4);
    ASSERT_EQ(each.components.size(), 4u);
    for (size_t j = 0; j < 4; ++j) {
        EXPECT_NEAR(each.components[j].age, four.ages[j], 1e-6 * four.ages[j]);
        EXPECT_NEAR(each.components[j].proportion, 0.25, 1e-9);
    }
}

}  // namespace
