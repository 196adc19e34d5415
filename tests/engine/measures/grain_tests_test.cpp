// The tests of grain ages against an independent oracle: D and the exact p of
// scipy.stats.ks_2samp, Kuiper's V and its p written out from the formula in
// tests/engine/grain_tests_oracle.py, on samples shaped like detrital spectra, with and without
// ages shared between the samples.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/comparison/GrainWindows.h"
#include "engine/comparison/WindowsTable.h"
#include "engine/measures/KsSamples.h"
#include "engine/measures/Kuiper.h"
#include "tests/engine/CommandOutput.h"

namespace {

struct OracleCase {
    std::vector<double> a, b;
    double d = 0, p = 0, v = 0, q = 0;
};

std::vector<double> numbers(std::istringstream& in) {
    std::vector<double> values;
    for (double x; in >> x;) values.push_back(x);
    return values;
}

std::vector<OracleCase> oracleCases() {
    const std::string command =
        "/usr/bin/python3 '" KESTREL_SOURCE_DIR "/tests/engine/grain_tests_oracle.py'";
    const std::string text = kestrel::testsupport::commandOutput(command);
    std::vector<OracleCase> cases;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line.substr(2));
        if (line[0] == 'A') cases.emplace_back().a = numbers(in);
        if (line[0] == 'B') cases.back().b = numbers(in);
        if (line[0] == 'R')
            in >> cases.back().d >> cases.back().p >> cases.back().v >> cases.back().q;
    }
    return cases;
}

}  // namespace

TEST(GrainTests, KsAndKuiperAgreeWithScipyAndTheLimitWithAndWithoutTies) {
    const std::vector<OracleCase> cases = oracleCases();
    ASSERT_EQ(cases.size(), 5u) << "the scipy oracle did not run";
    int withTies = 0;
    for (const OracleCase& c : cases) {
        const kestrel::KsSamplesTest ks = kestrel::ksSamplesTest(c.a, c.b);
        EXPECT_EQ(ks.n1, static_cast<int64_t>(c.a.size()));
        EXPECT_NEAR(ks.d, c.d, 1e-15);
        EXPECT_NEAR(ks.p, c.p, 1e-12 * c.p) << "D = " << c.d;
        EXPECT_EQ(ks.method, kestrel::KsMethod::Exact);
        withTies += ks.ties;
        EXPECT_STREQ(kestrel::ksSamplesMethodName(ks), ks.ties ? "exact (ties)" : "exact");
        const kestrel::KuiperTest kuiper = kestrel::kuiperTest(c.a, c.b);
        EXPECT_NEAR(kuiper.v, c.v, 1e-15);
        EXPECT_NEAR(kuiper.p, c.q, 1e-12 * c.q + 1e-300) << "V = " << c.v;
        // The two samples swapped: the same statistics.
        EXPECT_EQ(kestrel::ksSamplesTest(c.b, c.a).d, ks.d);
        EXPECT_EQ(kestrel::kuiperTest(c.b, c.a).v, kuiper.v);
    }
    EXPECT_GE(withTies, 1) << "rounded samples share ages";
    EXPECT_LE(withTies, 2) << "only the rounded samples do";
}

TEST(GrainTests, SmallAndLargeSamplesAndWhatCannotBeTested) {
    // One sample the other shifted by a hair: every gap is one step each way.
    const std::vector<double> a{1, 2, 3, 4}, b{1.5, 2.5, 3.5, 4.5};
    EXPECT_DOUBLE_EQ(kestrel::ksSamplesTest(a, b).d, 0.25);
    EXPECT_DOUBLE_EQ(kestrel::kuiperTest(a, b).v, 0.25);
    // Identical samples: D = V = 0, p = 1, and every age tied.
    const kestrel::KsSamplesTest same = kestrel::ksSamplesTest(a, a);
    EXPECT_EQ(same.d, 0.0);
    EXPECT_EQ(same.p, 1.0);
    EXPECT_TRUE(same.ties);
    EXPECT_EQ(kestrel::kuiperTest(a, a).p, 1.0);
    // Past 10^7 cells of the lattice the limit is used.
    std::vector<double> big(4000), other(3000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<double>(i);
    for (size_t i = 0; i < other.size(); ++i) other[i] = 0.5 + static_cast<double>(i) * 1.2;
    const kestrel::KsSamplesTest large = kestrel::ksSamplesTest(big, other);
    EXPECT_EQ(large.method, kestrel::KsMethod::Asymptotic);
    EXPECT_STREQ(kestrel::ksSamplesMethodName(large), "asymptotic");
    EXPECT_EQ(large.p, kestrel::ksTwoSampleTail(4000, 3000, large.d).p);
    EXPECT_THROW(kestrel::ksSamplesTest(a, std::vector<double>{}), kestrel::KestrelError);
    EXPECT_THROW(kestrel::kuiperTest(a, std::vector<double>{1, std::nan("")}),
                 kestrel::KestrelError);
    EXPECT_EQ(kestrel::kuiperTail(0.3), 1.0);
}

TEST(GrainTests, AWindowTestsTheGrainsBetweenItsFirstAndLastAge) {
    const std::vector<double> ages1{300, 100, 260, 150, 200}, ages2{400, 210, 200, 120};
    const kestrel::GrainWindows windows(ages1, ages2);
    // 150, 200, 260 against 200, 210: F1 - F2 steps 1/3, 1/6, -1/3, 0.
    for (const auto& [from, to] : {std::pair{150.0, 260.0}, std::pair{260.0, 150.0}}) {
        const kestrel::GrainWindowTest test = windows.test(from, to);
        EXPECT_EQ(test.grains1, 3);
        EXPECT_EQ(test.grains2, 2);
        ASSERT_TRUE(test.ks && test.kuiper);
        EXPECT_DOUBLE_EQ(test.ks->d, 1.0 / 3);
        EXPECT_TRUE(test.ks->ties) << "200 lies in both";
        EXPECT_DOUBLE_EQ(test.kuiper->v, 2.0 / 3);
        EXPECT_EQ(test.ks->p, kestrel::ksSamplesTest(std::vector<double>{150, 200, 260},
                                                     std::vector<double>{200, 210})
                                  .p);
    }
    // A window without grains of sample 2: counts, no statistics.
    const kestrel::GrainWindowTest lonely = windows.test(290, 350);
    EXPECT_EQ(lonely.grains1, 1);
    EXPECT_EQ(lonely.grains2, 0);
    EXPECT_FALSE(lonely.ks.has_value());

    std::vector<kestrel::WindowsTableRow> rows(2);
    rows[0].firstAge = 0;
    rows[0].lastAge = 1000;
    rows[1].firstAge = 150;
    rows[1].lastAge = 260;
    windows.fill(rows);
    EXPECT_EQ(rows[0].grains->grains1, 5);
    EXPECT_EQ(rows[0].grains->grains2, 4);
    EXPECT_EQ(rows[1].grains->grains1, 3);
}
