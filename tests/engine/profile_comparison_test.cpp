// The profile comparison: curves, the whole-range evaluation and the window subdivision, on
// small profiles whose windows can be worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/CriticalValueTable.h"
#include "engine/KestrelError.h"
#include "engine/ProfileComparison.h"

using kestrel::ComparisonHooks;
using kestrel::CriticalValueTable;
using kestrel::ProfileData;
using kestrel::ProfileWindow;
using kestrel::SubdivisionParameters;

namespace {

ProfileData makeData(const std::vector<double>& ages, const std::vector<double>& y1,
                     const std::vector<double>& y2) {
    ProfileData data;
    data.resize(static_cast<int32_t>(ages.size()));
    for (size_t i = 0; i < ages.size(); ++i) {
        data.AgeData[i + 1] = ages[i];
        data.Y1Data[i + 1] = y1[i];
        data.Y2Data[i + 1] = y2[i];
    }
    return data;
}

// The worked example: ages 100..1000 in steps of 100.
ProfileData workedExample() {
    return makeData({100, 200, 300, 400, 500, 600, 700, 800, 900, 1000},
                    {0, 1, 4, 15, 6, 1, 0, 0, 3, 1}, {0, 1, 3, 9, 5, 1, 1, 0, 2, 0});
}

// A run of the comparison against a real table whose critical value for m is m / 100, with
// everything the hooks were told recorded.
struct ComparisonRun {
    CriticalValueTable table;
    std::vector<int32_t> lookups;
    std::vector<ProfileWindow> logged;
    std::vector<std::pair<int, int32_t>> progress;
    std::vector<ProfileWindow> windows;

    explicit ComparisonRun(int32_t tableUpTo = 100) {
        std::vector<kestrel::CriticalValueRow> rows;
        for (int32_t m = 1; m <= tableUpTo; ++m) rows.push_back({0.05, m, m / 100.0});
        table.setRows(std::move(rows));
    }
    void compare(ProfileData& data, double width, double minPeak = 10, double baseline = 2) {
        ComparisonHooks hooks;
        hooks.criticalValue = [this](int32_t m) {
            lookups.push_back(m);
            return table.lookup(m);
        };
        hooks.windowEvaluated = [this](const ProfileWindow& w, double, double) {
            logged.push_back(w);
        };
        hooks.progress = [this](int panel, int32_t k) { progress.emplace_back(panel, k); };
        windows =
            kestrel::compareProfiles(data, SubdivisionParameters{minPeak, baseline, width}, hooks);
    }
};

// Positions covered by the windows get their window's cutoff; all others hold 0 in both
// window arrays.
void expectWindowArrays(const ProfileData& data, const std::vector<ProfileWindow>& windows) {
    for (int32_t k = 1; k <= data.NumRows; ++k) {
        const ProfileWindow* holder = nullptr;
        for (const auto& w : windows) {
            if (k >= w.first && k <= w.last) holder = &w;
        }
        if (holder) {
            EXPECT_EQ(data.CutoffW[k], holder->cutoff) << "k=" << k;
        } else {
            EXPECT_EQ(data.CutoffW[k], 0.0) << "k=" << k;
            EXPECT_EQ(data.DifferenceW[k], 0.0) << "k=" << k;
        }
    }
}

}  // namespace

TEST(ProfileComparison, WorkedExampleWindowsForThreeWidths) {
    const std::vector<std::pair<double, ProfileWindow>> cases{
        {300, {2, 6, 0.05}}, {500, {2, 7, 0.06}}, {1000, {2, 10, 0.09}}};
    for (const auto& [width, expected] : cases) {
        ProfileData data = workedExample();
        ComparisonRun run;
        run.compare(data, width);
        ASSERT_EQ(run.windows, std::vector<ProfileWindow>{expected}) << "width " << width;
        EXPECT_EQ(run.logged, (std::vector<ProfileWindow>{{1, 10, 0.1}, expected}));
        EXPECT_EQ(run.lookups, (std::vector<int32_t>{10, expected.last - expected.first + 1}));
        for (int k = 1; k <= 10; ++k) EXPECT_EQ(data.Cutoff[k], 0.1);
        expectWindowArrays(data, run.windows);
    }
}

// The curves of positions first..last as the definition adds, written out independently: running
// sums in sheet order, each total starting at 1e-9 and taking the values in sheet order.
struct Curves {
    std::vector<double> curve1, curve2, difference;
};
Curves curvesInDefinitionOrder(const std::vector<double>& y1, const std::vector<double>& y2,
                               size_t first, size_t last, bool offsetLast = false) {
    double total1 = offsetLast ? 0 : 1e-9, total2 = offsetLast ? 0 : 1e-9;
    for (size_t k = first; k <= last; ++k) {
        total1 += y1[k - 1];
        total2 += y2[k - 1];
    }
    if (offsetLast) total1 += 1e-9, total2 += 1e-9;
    Curves c;
    double sum1 = 0, sum2 = 0;
    for (size_t k = first; k <= last; ++k) {
        sum1 = k == first ? y1[k - 1] : sum1 + y1[k - 1];
        sum2 = k == first ? y2[k - 1] : sum2 + y2[k - 1];
        c.curve1.push_back(sum1 / total1);
        c.curve2.push_back(sum2 / total2);
        c.difference.push_back(std::fabs(sum1 / total1 - sum2 / total2));
    }
    return c;
}

TEST(ProfileComparison, CurvesAndDifferencesOfTheWholeRange) {
    // The worked example's shape (one window, 2..6, at width 300) with fractional values, whose
    // sums depend on where the 1e-9 enters them.
    const std::vector<double> y1{0, 1.1, 4.3, 13.3, 6.2, 1.3, 0, 0, 3.9, 0.1};
    const std::vector<double> y2{0, 1, 3.1, 9.4, 5.9, 1, 1, 0, 2.2, 0.3};
    ProfileData data = makeData({100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}, y1, y2);
    ComparisonRun run;
    run.compare(data, 300);
    ASSERT_EQ(run.windows, (std::vector<ProfileWindow>{{2, 6, 0.05}}));

    const Curves whole = curvesInDefinitionOrder(y1, y2, 1, 10);
    ASSERT_NE(curvesInDefinitionOrder(y1, y2, 1, 10, true).curve1, whole.curve1)
        << "the profile must tell the places of the 1e-9 apart";
    EXPECT_EQ(std::vector<double>(data.Curve1.begin() + 1, data.Curve1.end()), whole.curve1);
    EXPECT_EQ(std::vector<double>(data.Curve2.begin() + 1, data.Curve2.end()), whole.curve2);
    EXPECT_EQ(std::vector<double>(data.Difference.begin() + 1, data.Difference.end()),
              whole.difference);
    // Inside the window the curves restart from its first position.
    const Curves window = curvesInDefinitionOrder(y1, y2, 2, 6);
    ASSERT_NE(curvesInDefinitionOrder(y1, y2, 2, 6, true).difference, window.difference);
    EXPECT_EQ(std::vector<double>(data.DifferenceW.begin() + 2, data.DifferenceW.begin() + 7),
              window.difference);
}

TEST(ProfileComparison, WholeRangeWindowReproducesTheDifferenceExactly) {
    std::vector<double> ages, y1, y2;
    for (int k = 0; k < 997; ++k) {
        ages.push_back(k * 0.37 - 50);
        y1.push_back(20 + 20 * std::sin(k * 0.05) + 0.1 * (k % 7));
        y2.push_back(18 + 18 * std::sin(k * 0.05 + 0.2) + 0.03 * (k % 5));
    }
    ProfileData data = makeData(ages, y1, y2);
    ComparisonRun run(2000);
    run.compare(data, 25);
    kestrel::evaluateWindow(data, {1, data.NumRows, 0.5}, {});
    for (int32_t k = 1; k <= data.NumRows; ++k) ASSERT_EQ(data.DifferenceW[k], data.Difference[k]);
    // Reported windows are ordered, disjoint and inside the range.
    int32_t previousLast = 0;
    for (const auto& w : run.windows) {
        EXPECT_GT(w.first, previousLast);
        EXPECT_LE(w.first, w.last);
        previousLast = w.last;
    }
    EXPECT_LE(previousLast, data.NumRows);
    EXPECT_GE(run.windows.size(), 2u);
}

TEST(ProfileComparison, OneRowRange) {
    ProfileData data = makeData({5}, {12}, {0.5});
    ComparisonRun run;
    run.compare(data, 100);
    EXPECT_EQ(data.Curve1[1], 12 / (1e-9 + 12));
    EXPECT_EQ(run.windows, (std::vector<ProfileWindow>{{1, 1, 0.01}}));
    EXPECT_EQ(run.lookups, (std::vector<int32_t>{1, 1}));
    // Position 1 is examined in both searches.
    EXPECT_EQ(run.progress, (std::vector<std::pair<int, int32_t>>{{2, 1}, {1, 1}, {1, 1}}));
}

TEST(ProfileComparison, AllZeroProfileAndNoPeakReportNoWindow) {
    ProfileData data = makeData({1, 2, 3, 4}, {0, 0, 0, 0}, {3, 10, 7, 1});
    ComparisonRun run;
    run.compare(data, 1);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(data.Curve1[k], 0.0);  // 0 / 1e-9, not 0 / 0
        EXPECT_FALSE(std::isnan(data.Difference[k]));
    }
    EXPECT_TRUE(run.windows.empty());  // 10 equals the minimum peak height: no peak
    EXPECT_EQ(run.logged.size(), 1u);
    expectWindowArrays(data, {});
}

TEST(ProfileComparison, BaselineValueIsNotBaselineAndStartIsTheLastBaselineBeforeThePeak) {
    // Positions 1, 3 and 7 are baseline; 2, 4 (first profile) and 6 (second profile) hold a
    // value equal to the baseline height, which is not below it.
    ProfileData data =
        makeData({0, 10, 20, 30, 40, 50, 60}, {1, 2, 0, 2, 11, 0, 0}, {0, 0, 1, 1, 4, 2, 0});
    ComparisonRun run;
    run.compare(data, 20);
    // Start at 3 (age 20), not 4; 6 is not baseline though 50 - 20 >= 20; 7 is and ends it.
    EXPECT_EQ(run.windows, (std::vector<ProfileWindow>{{3, 7, 0.05}}));
}

TEST(ProfileComparison, TwoWindowsInSuccessionAndTwoPeaksInOneWindow) {
    const std::vector<double> ages{0, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    const std::vector<double> y1{0, 20, 0, 0, 0, 15, 0, 30, 0, 0};
    const std::vector<double> y2{0, 5, 0, 0, 0, 1, 0, 1, 0, 0};
    {
        // Width 20: window 1..3 ends at age 20; the next stretch starts at 4 with age 30, moves
        // its start to 5 (age 40) and ends at 7 (60 - 40 >= 20); the peak at 8 opens a third
        // window that ends at 10 (90 - 70 >= 20).
        ProfileData data = makeData(ages, y1, y2);
        ComparisonRun run;
        run.compare(data, 20);
        EXPECT_EQ(run.windows,
                  (std::vector<ProfileWindow>{{1, 3, 0.03}, {5, 7, 0.03}, {8, 10, 0.03}}));
        EXPECT_EQ(
            (std::vector<std::pair<int, int32_t>>(run.progress.begin(), run.progress.begin() + 8)),
            (std::vector<std::pair<int, int32_t>>{
                {2, 1}, {1, 1}, {1, 2}, {1, 2}, {1, 3}, {2, 4}, {1, 4}, {1, 5}}));
        expectWindowArrays(data, run.windows);
    }
    {
        // Width 75: every baseline between the peaks lies too close to age 0.
        ProfileData data = makeData(ages, y1, y2);
        ComparisonRun run;
        run.compare(data, 75);
        EXPECT_EQ(run.windows, (std::vector<ProfileWindow>{{1, 9, 0.09}}));
    }
}

TEST(ProfileComparison, BaselineAboveMinimumPeakMovesTheStartOntoThePeak) {
    ProfileData data = makeData({0, 1, 2, 3}, {30, 25, 15, 1}, {30, 25, 12, 1});
    ComparisonRun run;
    run.compare(data, 0, /*minPeak=*/10, /*baseline=*/20);
    // Position 1 is a peak at once and not baseline; the window 1..3 ends at 3, the first
    // baseline position (15 and 12 are below 20) of the end search. The stretch 4..4 has no
    // peak.
    EXPECT_EQ(run.windows, (std::vector<ProfileWindow>{{1, 3, 0.03}}));
    ProfileData moved = makeData({0, 1, 2}, {0, 15, 0}, {0, 12, 0});
    ComparisonRun second;
    second.compare(moved, 0, 10, 20);
    // The peak at 2 is itself baseline: the start moves onto it and the window ends there.
    EXPECT_EQ(second.windows.front(), (ProfileWindow{2, 2, 0.01}));
}

TEST(ProfileComparison, SampleSizeMissingFromTheTableGivesZero) {
    ProfileData data = workedExample();
    ComparisonRun run(/*tableUpTo=*/6);
    run.compare(data, 1000);  // whole range n=10 and window n=9 are both missing
    EXPECT_EQ(run.windows, (std::vector<ProfileWindow>{{2, 10, 0.0}}));
    for (int k = 1; k <= 10; ++k) {
        EXPECT_EQ(data.Cutoff[k], 0.0);
        EXPECT_EQ(data.CutoffW[k], 0.0);
    }
    EXPECT_GT(data.DifferenceW[4], 0.0);
}

TEST(ProfileComparison, RangesBeyondFiveThousandRowsAreCompared) {
    const int n = 70000;
    ProfileData data;
    data.resize(n);
    for (int k = 1; k <= n; ++k) {
        data.AgeData[k] = k;
        data.Y1Data[k] = (k % 1000 == 500) ? 50 : 0.5;
        data.Y2Data[k] = (k % 1000 == 510) ? 40 : 0.5;
    }
    ComparisonRun run(n);
    run.compare(data, 300);
    ASSERT_EQ(run.windows.size(), 70u);
    // Start at the last baseline before the peak at 500; end where the age has grown by 300.
    EXPECT_EQ(run.windows.front(), (ProfileWindow{499, 799, 301 / 100.0}));
    EXPECT_EQ(run.windows.back(), (ProfileWindow{69499, 69799, 301 / 100.0}));
    EXPECT_EQ(run.lookups.front(), n);
    EXPECT_EQ(data.Cutoff[n], n / 100.0);
}

TEST(ProfileComparison, InconsistentArraysAndWindowsAreRefused) {
    ProfileData empty;
    EXPECT_THROW(kestrel::compareProfiles(empty, {}, {}), kestrel::KestrelError);
    ProfileData shortArrays = workedExample();
    shortArrays.NumRows = 11;  // one more position than the arrays hold
    EXPECT_THROW(kestrel::compareProfiles(shortArrays, {}, {}), kestrel::KestrelError);
    ProfileData data = workedExample();
    EXPECT_THROW(kestrel::evaluateWindow(data, {0, 3, 0}, {}), kestrel::KestrelError);
    EXPECT_THROW(kestrel::evaluateWindow(data, {5, 11, 0}, {}), kestrel::KestrelError);
    EXPECT_THROW(kestrel::evaluateWindow(data, {6, 5, 0}, {}), kestrel::KestrelError);
}
