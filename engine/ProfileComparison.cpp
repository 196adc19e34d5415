// The profile comparison: cumulative curves over the whole range, the window subdivision around
// peaks, and the comparison repeated inside each window.
#include "engine/ProfileComparison.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/KestrelError.h"

namespace kestrel {
namespace {

// Added once to each total so that an all-zero profile gives a curve of zeros, not 0/0.
constexpr double kTotalOffset = 1e-9;

// Working curves of one window evaluation, sized once for the longest possible window.
struct WindowScratch {
    std::vector<double> W1, W2;
    explicit WindowScratch(size_t positions) : W1(positions + 1), W2(positions + 1) {}
};

void checkArrays(const ProfileData& data) {
    if (data.NumRows < 1) throw KestrelError("The row range holds no rows to compare");
    const size_t needed = static_cast<size_t>(data.NumRows) + 1;
    for (const auto* a : {&data.AgeData, &data.Y1Data, &data.Y2Data}) {
        if (a->size() < needed) {
            throw KestrelError("The profile data hold fewer than " + std::to_string(data.NumRows) +
                               " rows");
        }
    }
}

void checkWindow(const ProfileData& data, const ProfileWindow& window) {
    if (window.first < 1 || window.last < window.first || window.last > data.NumRows) {
        throw KestrelError("The window " + std::to_string(window.first) + " to " +
                           std::to_string(window.last) + " lies outside positions 1 to " +
                           std::to_string(data.NumRows));
    }
}

double criticalValueFor(const ComparisonHooks& hooks, const ProfileData& data, int64_t first,
                        int64_t last) {
    if (hooks.windowCriticalValue) {
        return hooks.windowCriticalValue(data, static_cast<int32_t>(first),
                                         static_cast<int32_t>(last));
    }
    const int64_t sampleSize = last - first + 1;
    return hooks.criticalValue ? hooks.criticalValue(static_cast<int32_t>(sampleSize)) : 0.0;
}

void report(const ComparisonHooks& hooks, int panel, int64_t position) {
    if (hooks.progress) hooks.progress(panel, static_cast<int32_t>(position));
}

// Cumulative shares of both profiles over positions first..first + m - 1, into out1[1..m] and
// out2[1..m]: running sums in sheet order, each divided by its total, which carries the 1e-9
// once, added to the first value. The two profiles share one loop so that their dependent
// additions overlap.
void cumulativeShares(const ProfileData& data, int64_t first, int64_t m, double* out1,
                      double* out2) {
    const double* y1 = data.Y1Data.data() + first - 1;
    const double* y2 = data.Y2Data.data() + first - 1;
    double sum1 = y1[1], sum2 = y2[1];
    double total1 = kTotalOffset + y1[1], total2 = kTotalOffset + y2[1];
    out1[1] = sum1;
    out2[1] = sum2;
    for (int64_t j = 2; j <= m; ++j) {
        sum1 = sum1 + y1[j];
        sum2 = sum2 + y2[j];
        total1 = total1 + y1[j];
        total2 = total2 + y2[j];
        out1[j] = sum1;
        out2[j] = sum2;
    }
    for (int64_t j = 1; j <= m; ++j) {
        out1[j] = out1[j] / total1;
        out2[j] = out2[j] / total2;
    }
}

void evaluateWindowWith(ProfileData& data, const ProfileWindow& window,
                        const ComparisonHooks& hooks, WindowScratch& scratch) {
    checkWindow(data, window);
    if (hooks.windowEvaluated) {
        hooks.windowEvaluated(window, data.AgeData[window.first], data.AgeData[window.last]);
    }
    const int64_t first = window.first;
    const int64_t m = static_cast<int64_t>(window.last) - first + 1;
    for (int64_t k = first; k <= window.last; ++k) data.CutoffW[k] = window.cutoff;
    cumulativeShares(data, first, m, scratch.W1.data(), scratch.W2.data());
    for (int64_t j = 1; j <= m; ++j) {
        data.DifferenceW[first + j - 1] = std::fabs(scratch.W1[j] - scratch.W2[j]);
    }
}

bool isBaseline(const ProfileData& data, int64_t k, const SubdivisionParameters& params) {
    return data.Y1Data[k] < params.BaselinePeakHeight && data.Y2Data[k] < params.BaselinePeakHeight;
}

// Sizes the result arrays for the row range, all zero (the input arrays are left alone).
void resetResults(ProfileData& data) {
    const size_t size = static_cast<size_t>(data.NumRows) + 1;
    for (auto* a : {&data.Curve1, &data.Curve2, &data.Difference, &data.DifferenceW, &data.Cutoff,
                    &data.CutoffW}) {
        a->assign(size, 0.0);
    }
}

// Whole-range evaluation: its log line and its cutoff in Cutoff. Its window curves would be the
// whole-range curves (same additions in the same order) and its DifferenceW and CutoffW are
// reset to 0 at once, so they are left at the 0 they already hold instead of being computed.
void evaluateWholeRange(ProfileData& data, const ComparisonHooks& hooks) {
    const int64_t n = data.NumRows;
    const double c = criticalValueFor(hooks, data, 1, n);
    if (hooks.windowEvaluated) {
        hooks.windowEvaluated(ProfileWindow{1, data.NumRows, c}, data.AgeData[1], data.AgeData[n]);
    }
    for (int64_t k = 1; k <= n; ++k) data.Cutoff[k] = c;
}

// Walks the positions left to right in stretches; each stretch yields at most one window.
std::vector<ProfileWindow> subdivide(ProfileData& data, const SubdivisionParameters& params,
                                     const ComparisonHooks& hooks, WindowScratch& scratch) {
    std::vector<ProfileWindow> windows;
    const int64_t n = data.NumRows;
    int64_t i = 1;
    while (i <= n) {
        report(hooks, 2, i);
        int64_t s = i;
        double a = data.AgeData[i];
        bool peak = false;
        int64_t k = i;
        // Peak search: the start moves to every baseline position up to the first peak.
        do {
            report(hooks, 1, k);
            if (data.Y1Data[k] > params.MinPeakHeight) peak = true;
            if (data.Y2Data[k] > params.MinPeakHeight) peak = true;
            if (isBaseline(data, k, params)) {
                s = k;
                a = data.AgeData[k];
            }
            ++k;
        } while (!peak && k <= n);
        --k;
        // End search, from the peak itself: the first baseline position far enough from the
        // start age ends the window.
        bool ended = false;
        do {
            report(hooks, 1, k);
            if (isBaseline(data, k, params) && data.AgeData[k] - a >= params.AgeWindowWidth) {
                ended = true;
            }
            ++k;
        } while (!ended && k <= n);
        const int64_t e = k - 1;
        if (peak) {
            const ProfileWindow window{static_cast<int32_t>(s), static_cast<int32_t>(e),
                                       criticalValueFor(hooks, data, s, e)};
            evaluateWindowWith(data, window, hooks, scratch);
            windows.push_back(window);
        }
        i = e + 1;
    }
    return windows;
}

}  // namespace

std::vector<ProfileWindow> compareProfiles(ProfileData& data, const SubdivisionParameters& params,
                                           const ComparisonHooks& hooks) {
    checkArrays(data);
    resetResults(data);
    cumulativeShares(data, 1, data.NumRows, data.Curve1.data(), data.Curve2.data());
    for (int64_t k = 1; k <= data.NumRows; ++k) {
        data.Difference[k] = std::fabs(data.Curve1[k] - data.Curve2[k]);
    }
    evaluateWholeRange(data, hooks);
    WindowScratch scratch(static_cast<size_t>(data.NumRows));
    return subdivide(data, params, hooks, scratch);
}

void evaluateWindow(ProfileData& data, const ProfileWindow& window, const ComparisonHooks& hooks) {
    checkArrays(data);
    for (auto* a : {&data.DifferenceW, &data.CutoffW}) {
        if (a->size() < static_cast<size_t>(data.NumRows) + 1) {
            a->resize(static_cast<size_t>(data.NumRows) + 1, 0.0);
        }
    }
    checkWindow(data, window);
    WindowScratch scratch(static_cast<size_t>(window.last - window.first) + 1);
    evaluateWindowWith(data, window, hooks, scratch);
}

}  // namespace kestrel
