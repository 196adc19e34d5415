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

double criticalValueFor(const ComparisonHooks& hooks, int64_t sampleSize) {
    return hooks.criticalValue ? hooks.criticalValue(static_cast<int32_t>(sampleSize)) : 0.0;
}

void report(const ComparisonHooks& hooks, int panel, int64_t position) {
    if (hooks.progress) hooks.progress(panel, static_cast<int32_t>(position));
}

// One profile's running sums and total, in exactly the order of additions of a sheet read row
// by row: the offset enters the total once, with the first value.
void cumulate(const std::vector<double>& values, std::vector<double>& curve, int64_t n) {
    curve[1] = values[1];
    double total = kTotalOffset + values[1];
    for (int64_t k = 2; k <= n; ++k) {
        curve[k] = curve[k - 1] + values[k];
        total = total + values[k];
    }
    for (int64_t k = 1; k <= n; ++k) curve[k] = curve[k] / total;
}

// The same running sums restricted to positions first..last, into scratch[1..m].
void windowCurve(const std::vector<double>& values, int64_t first, int64_t m,
                 std::vector<double>& w) {
    w[1] = values[first];
    double total = kTotalOffset + values[first];
    for (int64_t j = 2; j <= m; ++j) {
        w[j] = w[j - 1] + values[first + j - 1];
        total = total + values[first + j - 1];
    }
    for (int64_t j = 1; j <= m; ++j) w[j] = w[j] / total;
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
    windowCurve(data.Y1Data, first, m, scratch.W1);
    windowCurve(data.Y2Data, first, m, scratch.W2);
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

// Whole-range evaluation: it fills Cutoff and logs the whole range, then leaves nothing in the
// window arrays.
void evaluateWholeRange(ProfileData& data, const ComparisonHooks& hooks, WindowScratch& scratch) {
    const int64_t n = data.NumRows;
    const double c = criticalValueFor(hooks, n);
    evaluateWindowWith(data, ProfileWindow{1, data.NumRows, c}, hooks, scratch);
    for (int64_t k = 1; k <= n; ++k) data.Cutoff[k] = data.CutoffW[k];
    std::fill(data.DifferenceW.begin(), data.DifferenceW.end(), 0.0);
    std::fill(data.CutoffW.begin(), data.CutoffW.end(), 0.0);
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
                                       criticalValueFor(hooks, e - s + 1)};
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
    cumulate(data.Y1Data, data.Curve1, data.NumRows);
    cumulate(data.Y2Data, data.Curve2, data.NumRows);
    for (int64_t k = 1; k <= data.NumRows; ++k) {
        data.Difference[k] = std::fabs(data.Curve1[k] - data.Curve2[k]);
    }
    WindowScratch scratch(static_cast<size_t>(data.NumRows));
    evaluateWholeRange(data, hooks, scratch);
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
