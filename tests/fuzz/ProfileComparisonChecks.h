// Properties of the profile comparison on any profile and any thresholds: the curves, the
// windows it reports and the window arrays, checked from their definitions rather than from
// the way the engine computes them.
#pragma once

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ProfileComparison.h"
#include "engine/ProfileData.h"
#include "tests/fuzz/FuzzCheck.h"

namespace kestrel::fuzz {

/// @brief One comparison's input decoded from fuzz bytes.
struct ProfileCase {
    ProfileData data;
    SubdivisionParameters params;
    bool quantized = true;  // non-negative multiples of 1/4 summing below 2^20: exact running sums
};

/// @brief Byte 0 picks the mode. Quantized: thresholds and values are bytes / 4, ages grow by a
/// byte per row (or are arbitrary 16-bit words). Raw: every threshold and value is an arbitrary
/// double (negative, infinite and NaN included).
inline ProfileCase decodeProfileCase(std::string_view bytes) {
    ByteReader in(bytes);
    ProfileCase c;
    const uint8_t mode = in.byte();
    c.quantized = (mode & 1) == 0;
    const bool freeAges = (mode & 2) != 0;
    if (c.quantized) {
        c.params.MinPeakHeight = in.byte() / 4.0;
        c.params.BaselinePeakHeight = in.byte() / 4.0;
        c.params.AgeWindowWidth = in.word() / 4.0;
    } else {
        c.params.MinPeakHeight = in.rawDouble();
        c.params.BaselinePeakHeight = in.rawDouble();
        c.params.AgeWindowWidth = in.rawDouble();
    }
    const size_t rowBytes = c.quantized ? (freeAges ? 4 : 3) : 24;
    const size_t wanted = 1 + in.word() % 5000;
    const size_t n = std::max<size_t>(1, std::min(wanted, in.remaining() / rowBytes));
    c.data.resize(static_cast<int32_t>(n));
    double age = 0;
    for (size_t k = 1; k <= n; ++k) {
        if (c.quantized) {
            age = freeAges ? in.word() : age + in.byte();
            c.data.AgeData[k] = age;
            c.data.Y1Data[k] = in.byte() / 4.0;
            c.data.Y2Data[k] = in.byte() / 4.0;
        } else {
            c.data.AgeData[k] = in.rawDouble();
            c.data.Y1Data[k] = in.rawDouble();
            c.data.Y2Data[k] = in.rawDouble();
        }
    }
    return c;
}

/// @brief The critical value the checks hand to the engine: distinct for every sample size.
inline double fuzzCriticalValue(int32_t m) {
    return 1.0 / (1.0 + m);
}

namespace detail {

inline bool isPeak(const ProfileData& d, int32_t k, const SubdivisionParameters& p) {
    return d.Y1Data[k] > p.MinPeakHeight || d.Y2Data[k] > p.MinPeakHeight;
}

inline bool isBaseline(const ProfileData& d, int32_t k, const SubdivisionParameters& p) {
    return d.Y1Data[k] < p.BaselinePeakHeight && d.Y2Data[k] < p.BaselinePeakHeight;
}

inline void checkCurves(const ProfileData& d) {
    for (const std::vector<double>* curve : {&d.Curve1, &d.Curve2}) {
        for (int32_t k = 1; k <= d.NumRows; ++k) {
            const double v = (*curve)[k];
            requireAt(v >= 0 && v < 1, "a curve left [0, 1)", k);
            requireAt(k == 1 || v >= (*curve)[k - 1], "a curve decreased", k);
        }
    }
    for (int32_t k = 1; k <= d.NumRows; ++k) {
        requireAt(d.Difference[k] == std::fabs(d.Curve1[k] - d.Curve2[k]),
                  "Difference is not |Curve1 - Curve2|", k);
    }
}

// Windows lie in 1..n, in order, without overlap; each holds a peak and ends at n or at a
// baseline position; every peak lies in some window.
inline void checkWindowPlacement(const ProfileCase& c, const std::vector<ProfileWindow>& windows) {
    const ProfileData& d = c.data;
    int32_t previousLast = 0;
    std::vector<char> inWindow(static_cast<size_t>(d.NumRows) + 1, 0);
    for (const ProfileWindow& w : windows) {
        requireAt(w.first > previousLast && w.first <= w.last && w.last <= d.NumRows,
                  "a window out of order or outside the positions starts", w.first);
        previousLast = w.last;
        requireAt(w.cutoff == fuzzCriticalValue(w.last - w.first + 1),
                  "a window with the critical value of another sample size starts", w.first);
        requireAt(w.last == d.NumRows || isBaseline(d, w.last, c.params),
                  "a window ending neither at the last position nor at a baseline starts", w.first);
        bool hasPeak = false;
        for (int32_t k = w.first; k <= w.last; ++k) {
            inWindow[k] = 1;
            hasPeak = hasPeak || isPeak(d, k, c.params);
        }
        requireAt(hasPeak, "a window without a peak starts", w.first);
    }
    for (int32_t k = 1; k <= d.NumRows; ++k) {
        requireAt(!isPeak(d, k, c.params) || inWindow[k], "a peak lies in no window", k);
    }
}

// Cutoff holds the whole-range value everywhere; CutoffW and DifferenceW are 0 outside windows.
inline void checkWindowArrays(const ProfileCase& c, const std::vector<ProfileWindow>& windows) {
    const ProfileData& d = c.data;
    const double whole = fuzzCriticalValue(d.NumRows);
    size_t next = 0;
    for (int32_t k = 1; k <= d.NumRows; ++k) {
        while (next < windows.size() && windows[next].last < k) ++next;
        const bool inside = next < windows.size() && windows[next].first <= k;
        requireAt(d.Cutoff[k] == whole, "Cutoff is not the whole-range value", k);
        if (inside) {
            requireAt(d.CutoffW[k] == windows[next].cutoff, "CutoffW is not its window's value", k);
            requireAt(c.quantized ? d.DifferenceW[k] >= 0 && d.DifferenceW[k] < 1
                                  : !(d.DifferenceW[k] < 0),
                      "DifferenceW is out of range", k);
        } else {
            requireAt(d.CutoffW[k] == 0 && d.DifferenceW[k] == 0,
                      "CutoffW or DifferenceW is not 0 outside the windows", k);
        }
    }
}

// Evaluating the window 1..n reproduces Difference exactly: the same sums in the same order.
inline void checkWholeRangeWindow(ProfileData copy) {
    ComparisonHooks hooks;
    copy.DifferenceW.assign(copy.DifferenceW.size(), 0.0);
    evaluateWindow(copy, ProfileWindow{1, copy.NumRows, 0.5}, hooks);
    for (int32_t k = 1; k <= copy.NumRows; ++k) {
        const double a = copy.DifferenceW[k], b = copy.Difference[k];
        requireAt(a == b || (std::isnan(a) && std::isnan(b)),
                  "the whole-range window differs from Difference", k);
    }
}

}  // namespace detail

/// @brief Runs the comparison on the decoded case and checks every property; the hooks check
/// that sample sizes, progress positions and log calls stay within the positions.
inline void checkProfileComparison(std::string_view bytes) {
    ProfileCase c = decodeProfileCase(bytes);
    const int32_t n = c.data.NumRows;
    std::vector<ProfileWindow> logged;
    ComparisonHooks hooks;
    hooks.criticalValue = [n](int32_t m) {
        requireAt(m >= 1 && m <= n, "critical value asked for a sample size outside 1..n", m);
        return fuzzCriticalValue(m);
    };
    hooks.windowEvaluated = [&logged](const ProfileWindow& w, double, double) {
        logged.push_back(w);
    };
    hooks.progress = [n](int panel, int32_t position) {
        requireAt((panel == 1 || panel == 2) && position >= 1 && position <= n,
                  "progress reported outside panels 1 and 2 or positions 1..n", position);
    };
    const std::vector<ProfileWindow> windows = compareProfiles(c.data, c.params, hooks);

    require(!logged.empty() && logged.front() == ProfileWindow{1, n, fuzzCriticalValue(n)},
            "the whole range was not logged first");
    require(std::vector<ProfileWindow>(logged.begin() + 1, logged.end()) == windows,
            "the logged windows differ from the windows returned");
    if (c.quantized) detail::checkCurves(c.data);
    detail::checkWindowPlacement(c, windows);
    detail::checkWindowArrays(c, windows);
    detail::checkWholeRangeWindow(c.data);
}

}  // namespace kestrel::fuzz
