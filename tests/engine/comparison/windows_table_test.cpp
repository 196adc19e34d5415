// The windows table of a comparison, under the classic rule and with grain counts, on the worked
// example of the subdivision (peak at position 4, one window 2..6 with a time window of 300).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/KsTwoSample.h"
#include "engine/ProfileComparison.h"
#include "engine/SampleSizes.h"
#include "engine/comparison/WindowsTable.h"

namespace kestrel {
namespace {

ProfileData workedExample() {
    const std::vector<double> age{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000};
    const std::vector<double> y1{0, 1, 4, 15, 6, 1, 0, 0, 3, 1};
    const std::vector<double> y2{0, 1, 3, 9, 5, 1, 1, 0, 2, 0};
    ProfileData data;
    data.resize(10);
    for (size_t k = 1; k <= 10; ++k) {
        data.AgeData[k] = age[k - 1];
        data.Y1Data[k] = y1[k - 1];
        data.Y2Data[k] = y2[k - 1];
    }
    return data;
}

struct ComparisonRun {
    ProfileData data;
    std::vector<ProfileWindow> logged;  // what the window log was told, in order
    std::vector<WindowsTableRow> table;
};

ComparisonRun compare(const std::optional<GrainCounts>& grains) {
    ComparisonRun run{workedExample(), {}, {}};
    ComparisonHooks hooks;
    hooks.criticalValue = [](int32_t m) { return m == 10 ? 0.5 : m == 5 ? 0.8 : 0.0; };
    if (grains) hooks.windowCriticalValue = grainCriticalValues(*grains);
    hooks.windowEvaluated = [&](const ProfileWindow& w, double, double) {
        run.logged.push_back(w);
    };
    const auto windows = compareProfiles(run.data, SubdivisionParameters{10, 2, 300}, hooks);
    run.table = buildWindowsTable(run.data, windows, grains);
    return run;
}

TEST(WindowsTable, ClassicRuleRowsFollowTheLogWithRowCountsAsSampleSizes) {
    const ComparisonRun run = compare(std::nullopt);
    ASSERT_EQ(run.table.size(), 2u);
    ASSERT_EQ(run.logged.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const WindowsTableRow& row = run.table[i];
        EXPECT_EQ(row.first, run.logged[i].first);
        EXPECT_EQ(row.last, run.logged[i].last);
        EXPECT_EQ(row.criticalValue, run.logged[i].cutoff);
        EXPECT_EQ(row.rows, row.last - row.first + 1);
        EXPECT_EQ(row.n1, row.rows);
        EXPECT_EQ(row.n2, row.rows);
        EXPECT_EQ(row.method, KsMethod::Exact);
        EXPECT_EQ(row.beyond, row.d > row.criticalValue);
    }
    const WindowsTableRow& whole = run.table[0];
    EXPECT_EQ(whole.first, 1);
    EXPECT_EQ(whole.lastAge, 1000);
    EXPECT_EQ(whole.d, *std::max_element(run.data.Difference.begin(), run.data.Difference.end()));
    const WindowsTableRow& window = run.table[1];
    EXPECT_EQ(window.first, 2);
    EXPECT_EQ(window.last, 6);
    EXPECT_EQ(window.firstAge, 200);
    EXPECT_EQ(window.d,
              *std::max_element(run.data.DifferenceW.begin(), run.data.DifferenceW.end()));
    EXPECT_GT(window.d, 0.0);
    // Two samples of five: no difference of 0.8 or less has a tail below 0.05.
    EXPECT_FALSE(window.beyond);
    EXPECT_GT(window.p, 0.05);
}

TEST(WindowsTable, GrainCountsShareOutByProfileTotalsAndDriveTheCutoffs) {
    const ComparisonRun run = compare(GrainCounts{120, 95});
    ASSERT_EQ(run.table.size(), 2u);
    EXPECT_EQ(run.table[0].n1, 120);
    EXPECT_EQ(run.table[0].n2, 95);
    // Window 2..6 holds 27 of profile 1's 31 and 19 of profile 2's 22:
    // 120 x 27 / 31 = 104.5 -> 105, 95 x 19 / 22 = 82.05 -> 82.
    EXPECT_EQ(run.table[1].n1, 105);
    EXPECT_EQ(run.table[1].n2, 82);
    const double whole = ksTwoSampleCriticalValue(120, 95, kComparisonAlpha);
    const double window = ksTwoSampleCriticalValue(105, 82, kComparisonAlpha);
    EXPECT_EQ(run.logged[0].cutoff, whole);
    EXPECT_EQ(run.logged[1].cutoff, window);
    EXPECT_EQ(run.data.Cutoff[7], whole);
    EXPECT_EQ(run.data.CutoffW[4], window);
    EXPECT_EQ(run.data.CutoffW[7], 0.0);
    for (const WindowsTableRow& row : run.table) {
        EXPECT_EQ(row.p, ksTwoSampleTail(row.n1, row.n2, row.d).p);
        EXPECT_EQ(row.beyond, row.d > row.criticalValue);
    }
}

TEST(WindowsTable, AWindowWithAlmostNoneOfAProfileStillHasOneGrain) {
    ProfileData data = workedExample();
    data.Y2Data[4] = 0;  // hardly any of profile 2 left near the peak
    for (size_t k = 1; k <= 10; ++k) data.Y2Data[k] = k == 10 ? 50 : 0;
    ComparisonHooks hooks;
    hooks.windowCriticalValue = grainCriticalValues(GrainCounts{1000, 1000});
    const auto windows = compareProfiles(data, SubdivisionParameters{10, 2, 300}, hooks);
    const auto table = buildWindowsTable(data, windows, GrainCounts{1000, 1000});
    ASSERT_GE(table.size(), 2u);
    EXPECT_EQ(table[1].n2, 1);
    EXPECT_EQ(table[1].criticalValue, ksTwoSampleCriticalValue(table[1].n1, 1, kComparisonAlpha));
    // Profile 2 is empty in the window: profile 1's curve alone climbs to 1 on its last row.
    EXPECT_EQ(table[1].last, 6);
    EXPECT_NEAR(table[1].d, 1.0, 1e-6);
}

// A window's D is its largest difference wherever it lies, its last row and a one-row window's
// only row included; so is the whole range's. A difference that is no number shows as D, and a
// D equal to the critical value is not beyond it.
TEST(WindowsTable, TheLargestDifferenceOnAWindowsLastRowCounts) {
    ProfileData data = workedExample();
    for (size_t k = 1; k <= 10; ++k) data.Difference[k] = 0.01 * static_cast<double>(k);
    data.Cutoff[1] = 0.5;
    data.DifferenceW[1] = std::nan("");
    data.DifferenceW[3] = 0.25;
    const std::vector<double> fiveToTen{0.1, 0.2, 0.3, 0.45, 0.3, 0.1};
    std::copy(fiveToTen.begin(), fiveToTen.end(), data.DifferenceW.begin() + 5);
    const auto table = buildWindowsTable(
        data, {{3, 3, 0.9}, {5, 8, 0.4}, {9, 10, 0.3}, {1, 2, 0.1}}, std::nullopt);
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table[0].d, 0.1);
    EXPECT_EQ(table[1].d, 0.25);
    EXPECT_EQ(table[1].rows, 1);
    EXPECT_EQ(table[2].d, 0.45);
    EXPECT_TRUE(table[2].beyond);
    EXPECT_EQ(table[3].d, 0.3);
    EXPECT_FALSE(table[3].beyond);
    EXPECT_TRUE(std::isnan(table[4].d));
    EXPECT_FALSE(table[4].beyond);
}

}  // namespace
}  // namespace kestrel
