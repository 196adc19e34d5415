// Two-sample p-values and critical values against scipy (ks_2samp exact and asymptotic,
// kstwo), an implementation unrelated to ours: tests/engine/ks_scipy_oracle.py lists the cases.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/KsTwoSample.h"
#include "tests/engine/CommandOutput.h"

namespace kestrel {
namespace {

struct OracleCase {
    std::string kind;
    int64_t n1 = 0, n2 = 0;
    std::vector<double> values;
};

std::vector<OracleCase> scipyCases() {
    const std::string command =
        "/usr/bin/python3 '" KESTREL_SOURCE_DIR "/tests/engine/ks_scipy_oracle.py'";
    std::vector<OracleCase> cases;
    const std::string text = kestrel::testsupport::commandOutput(command);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        OracleCase c;
        fields >> c.kind >> c.n1 >> c.n2;
        for (double v; fields >> v;) c.values.push_back(v);
        cases.push_back(c);
    }
    return cases;
}

const std::vector<OracleCase>& oracle() {
    static const std::vector<OracleCase> cases = scipyCases();
    return cases;
}

std::string where(const OracleCase& c) {
    std::ostringstream s;
    s.precision(17);
    s << c.kind << " n1=" << c.n1 << " n2=" << c.n2;
    for (double v : c.values) s << ' ' << v;
    return s.str();
}

int count(const std::string& kind) {
    int n = 0;
    for (const auto& c : oracle()) n += c.kind == kind;
    return n;
}

TEST(KsTwoSample, ExactTailsAgreeWithScipyToTenDigits) {
    ASSERT_GT(count("exact"), 100) << "the oracle needs /usr/bin/python3 with python3-scipy";
    for (const auto& c : oracle()) {
        if (c.kind != "exact") continue;
        const double d = c.values[0], expected = c.values[1];
        const KsProbability got = ksTwoSampleTail(c.n1, c.n2, d);
        EXPECT_EQ(got.method, KsMethod::Exact) << where(c);
        if (expected < 1e-290) {
            // Beyond double's normal range both sides are rounding; both must be that small.
            EXPECT_LT(got.p, 1e-290) << where(c);
        } else {
            EXPECT_LE(std::fabs(got.p - expected), 1e-10 * expected)
                << where(c) << " got " << got.p;
        }
        // The same tail from the other side of the pair.
        EXPECT_EQ(ksTwoSampleTail(c.n2, c.n1, d).p, got.p) << where(c);
    }
}

TEST(KsTwoSample, AsymptoticTailsFollowScipyWithinTheFiniteSizeError) {
    ASSERT_GT(count("asymp"), 20) << "the oracle needs /usr/bin/python3 with python3-scipy";
    for (const auto& c : oracle()) {
        if (c.kind != "asymp") continue;
        const double d = c.values[0], expected = c.values[1];
        const KsProbability got = ksTwoSampleTail(c.n1, c.n2, d);
        EXPECT_EQ(got.method, KsMethod::Asymptotic) << where(c);
        // scipy takes the one-sample exact law at round(en); the corrected limit law differs
        // from it by well under 0.15 / sqrt(en).
        const double en = static_cast<double>(c.n1) * c.n2 / (c.n1 + c.n2);
        EXPECT_NEAR(got.p, expected, 0.15 / std::sqrt(en) + 1e-3) << where(c);
    }
}

TEST(KsTwoSample, CriticalValuesMatchScipy) {
    ASSERT_EQ(count("crit") + count("critasymp"), 21)
        << "the oracle needs /usr/bin/python3 with python3-scipy";
    for (const auto& c : oracle()) {
        if (c.kind == "crit") {
            EXPECT_NEAR(ksTwoSampleCriticalValue(c.n1, c.n2, kComparisonAlpha), c.values[0], 1e-12)
                << where(c);
            EXPECT_EQ(ksTwoSampleCriticalValue(c.n2, c.n1, kComparisonAlpha),
                      ksTwoSampleCriticalValue(c.n1, c.n2, kComparisonAlpha));
        } else if (c.kind == "critasymp") {
            EXPECT_NEAR(ksTwoSampleCriticalValue(c.n1, c.n2, kComparisonAlpha), c.values[0],
                        0.01 * c.values[0])
                << where(c);
        }
    }
}

// Large samples: the limiting law at sqrt(en) + 0.12 + 0.11 / sqrt(en), to 1e-12 (scipy's
// kolmogorov and kolmogi with the same correction). Small ones where no statistic reaches the
// tail of 0.05: the critical value is 1, which no difference passes.
TEST(KsTwoSample, LargeSamplesFollowTheCorrectedLimitAndUnreachableAlphaGivesOne) {
    const KsProbability tail = ksTwoSampleTail(5000, 5000, 0.03);
    EXPECT_EQ(tail.method, KsMethod::Asymptotic);
    EXPECT_NEAR(tail.p, 0.0217340096168531, 1e-12);
    // Just below and above lambda = 1.18, where the tail changes from one series to the other.
    EXPECT_NEAR(ksTwoSampleTail(5000, 5000, 0.0235).p, 0.12469819702252752, 1e-12);
    EXPECT_NEAR(ksTwoSampleTail(5000, 5000, 0.0237).p, 0.11892553919898326, 1e-12);
    EXPECT_NEAR(ksTwoSampleCriticalValue(5000, 5000, kComparisonAlpha), 0.0270957507715653, 1e-12);
    for (const auto& [n1, n2] : {std::pair<int64_t, int64_t>{2, 3}, {3, 2}, {1, 10}, {10, 1}}) {
        EXPECT_EQ(ksTwoSampleCriticalValue(n1, n2, kComparisonAlpha), 1.0) << n1 << ", " << n2;
    }
}

TEST(KsTwoSample, MethodChangesAtTenMillionCellsAndStatisticsOffTheLatticeRoundUp) {
    EXPECT_EQ(ksMethodFor(10000, 1000), KsMethod::Exact);
    EXPECT_EQ(ksMethodFor(10000, 1001), KsMethod::Asymptotic);
    EXPECT_EQ(ksMethodFor(1000000, 1000000), KsMethod::Asymptotic);
    // Between two attainable values the tail is that of the next one up.
    EXPECT_EQ(ksTwoSampleTail(7, 13, 0.3001).p, ksTwoSampleExactTail(7, 13, 28));
    EXPECT_EQ(ksTwoSampleTail(7, 13, 0.3).p, ksTwoSampleExactTail(7, 13, 28));
    EXPECT_EQ(ksTwoSampleTail(7, 13, 0.31).p, ksTwoSampleExactTail(7, 13, 29));
    EXPECT_TRUE(std::isnan(ksTwoSampleTail(7, 13, std::nan("")).p));
    EXPECT_EQ(ksTwoSampleTail(7, 13, 1.5).p, 0.0);
}

}  // namespace
}  // namespace kestrel
