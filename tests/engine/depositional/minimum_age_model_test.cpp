// The minimum age model against scipy (tests/engine/depositional/likelihood_oracle.py, written
// from the model's definition and checked there against quadrature): its log-likelihood, deep
// into the tail of the truncated normal too; its maximum from many starts; the standard error of
// gamma; and the fits of one population, reported as degenerate at the weighted mean.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/KestrelError.h"
#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/MinimumAgeModel.h"
#include "tests/engine/depositional/LikelihoodOracle.h"

namespace {

using kestrel::testsupport::likelihoodOracle;
using kestrel::testsupport::populations;

// A youngest population at 100 Ma among older ones and a scatter of older grains.
kestrel::GrainSample detrital() {
    return populations("detrital", 90, {100.0, 300.0, 900.0}, {0.15, 0.45, 0.4}, 0.01, 0.2, 17);
}

TEST(MinimumAgeModel, LogLikelihoodAgreesWithScipyIntoTheFarTail) {
    const kestrel::GrainSample sample = detrital();
    // gamma, mu, sigma, pi; gamma = ln 300 puts the 100 Ma grains some 70 sigma below it.
    const std::vector<std::vector<double>> points{{std::log(100.0), 0.0, 0.5, 0.2},
                                                  {std::log(95.0), 0.0, 1.0, 0.05},
                                                  {std::log(300.0), 0.0, 0.3, 0.5},
                                                  {std::log(100.0), 0.0, 0.4, 0.0},
                                                  {std::log(101.0), 0.0, 0.4, 1.0},
                                                  {std::log(100.0), std::log(400.0), 0.6, 0.1},
                                                  {std::log(98.0), std::log(98.5), 0.05, 0.3},
                                                  {std::log(250.0), std::log(900.0), 2.0, 0.7}};
    for (const int parameters : {3, 4}) {
        std::string arguments = std::to_string(parameters);
        for (const auto& point : points)
            for (const double value : point) arguments += " " + std::to_string(value);
        const auto expected = likelihoodOracle(sample, "mam-loglik", arguments);
        ASSERT_EQ(expected.size(), points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            const auto& p = points[i];
            // The points as the oracle read them, at 6 decimals.
            const auto at = [](double v) { return std::stod(std::to_string(v)); };
            const double lnL = kestrel::minimumAgeLogLikelihood(sample, parameters, at(p[0]),
                                                                at(p[1]), at(p[2]), at(p[3]));
            EXPECT_NEAR(lnL, expected[i][0], 1e-9 * std::fabs(expected[i][0]))
                << parameters << " parameters, point " << i;
        }
    }
}

TEST(MinimumAgeModel, MaximumAgreesWithScipyFromManyStarts) {
    const kestrel::GrainSample sample = detrital();
    for (const int parameters : {3, 4}) {
        SCOPED_TRACE(std::to_string(parameters) + " parameters");
        const auto expected = likelihoodOracle(sample, "mam-fit", std::to_string(parameters));
        ASSERT_EQ(expected.size(), 2u);
        const double gamma = expected[0][0], mu = expected[0][1], sigma = expected[0][2],
                     pi = expected[0][3], lnL = expected[0][4], se = expected[0][5];
        const kestrel::MinimumAgeFit fit = kestrel::fitMinimumAgeModel(sample, parameters);
        EXPECT_NEAR(fit.logLikelihood, lnL, 1e-6);
        EXPECT_NEAR(fit.age, std::exp(gamma), 1e-4 * std::exp(gamma));
        EXPECT_NEAR(fit.mu, mu, 1e-3);
        EXPECT_NEAR(fit.sigma, sigma, 1e-3 * sigma);
        EXPECT_NEAR(fit.pi, pi, 1e-4);
        EXPECT_NEAR(fit.seGamma, se, 1e-3 * se);
        EXPECT_FALSE(fit.degenerate) << fit.note;

        // The table's row: the age and its 95% interval from the same standard error.
        kestrel::DepositionalOptions options;
        options.mlaParameters = parameters;
        const kestrel::DepositionalEstimate mla = kestrel::maximumLikelihoodAge(sample, options);
        ASSERT_TRUE(mla.age && mla.minus && mla.plus);
        EXPECT_NEAR(*mla.minus, fit.age - std::exp(gamma - 1.959964 * se), 1e-3 * *mla.minus);
        EXPECT_NEAR(*mla.plus, std::exp(gamma + 1.959964 * se) - fit.age, 1e-3 * *mla.plus);
        EXPECT_EQ(mla.used, sample.ages.size());
        EXPECT_FALSE(mla.mswd);
    }
}

TEST(MinimumAgeModel, OnePopulationIsADegenerateFitAtTheWeightedMean) {
    // Grains of one age scattered less than their uncertainties say: sigma -> 0 or pi -> 1, and
    // the maximum is that of one normal population, at the weighted mean of the log ages.
    const kestrel::GrainSample one = populations("one", 40, {250.0}, {1.0}, 0.01, 0.0, 5, 0.5);
    for (const int parameters : {3, 4}) {
        const auto expected = likelihoodOracle(one, "mam-fit", std::to_string(parameters));
        ASSERT_EQ(expected.size(), 2u);
        const kestrel::MinimumAgeFit fit = kestrel::fitMinimumAgeModel(one, parameters);
        EXPECT_TRUE(fit.degenerate);
        EXPECT_NE(fit.note.find("the fit is degenerate: "), std::string::npos) << fit.note;
        EXPECT_NEAR(fit.logLikelihood, expected[0][4], 1e-6);
        EXPECT_NEAR(fit.age, std::exp(expected[1][0]), 1e-4 * fit.age);
    }
    // Every grain at the minimum, of one age and uncertainty: the mean's error is x / sqrt(n).
    const kestrel::GrainSample same{"same", std::vector<double>(12, 180.0),
                                    std::vector<double>(12, 3.0)};
    kestrel::DepositionalOptions options;
    const kestrel::DepositionalEstimate mla = kestrel::maximumLikelihoodAge(same, options);
    EXPECT_TRUE(mla.degenerate);
    EXPECT_NE(mla.reason.find("degenerate"), std::string::npos);
    ASSERT_TRUE(mla.age && mla.minus);
    EXPECT_NEAR(*mla.age, 180.0, 1e-9 * 180.0);
    const double se = 3.0 / 180.0 / std::sqrt(12.0);
    EXPECT_NEAR(*mla.minus, 180.0 * (1.0 - std::exp(-1.959964 * se)), 1e-4);
}

TEST(MinimumAgeModel, RefusesParametersItDoesNotHave) {
    const kestrel::GrainSample sample = detrital();
    for (const int parameters : {2, 5}) {
        try {
            kestrel::fitMinimumAgeModel(sample, parameters);
            ADD_FAILURE() << parameters << " parameters were accepted";
        } catch (const kestrel::KestrelError& error) {
            EXPECT_NE(std::string(error.what()).find("\"detrital\""), std::string::npos);
        }
    }
}

}  // namespace
