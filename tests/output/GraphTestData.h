// Profile data for the graph tests: hand-made arrays and a realistic two-peak comparison.
#pragma once

#include <cmath>
#include <initializer_list>
#include <vector>

#include "engine/ProfileComparison.h"
#include "engine/ProfileData.h"

namespace kestrel::testdata {

/// @brief Critical value for equal sample sizes at alpha 0.05, the large-sample formula.
inline double approximateCriticalValue(int n) {
    return n > 0 ? 1.358 * std::sqrt(2.0 / n) : 0;
}

/// @brief Two profiles over ages 0, step, ...: Y1 has peaks at 600 and 1800; Y2 has the first
/// peak shifted to 750 and the second in place, so the first window exceeds its cutoff and
/// the second does not. Run through the real comparison.
inline ProfileData twoPeakProfile(int rows = 301, double step = 10.0) {
    ProfileData data;
    data.resize(rows);
    auto bump = [](double x, double centre, double width, double height) {
        return height * std::exp(-0.5 * (x - centre) * (x - centre) / (width * width));
    };
    for (int k = 1; k <= rows; ++k) {
        const double age = (k - 1) * step;
        const auto p = static_cast<size_t>(k);
        data.AgeData[p] = age;
        data.Y1Data[p] = bump(age, 600, 60, 60) + bump(age, 1800, 90, 40) + 0.5;
        data.Y2Data[p] = bump(age, 750, 60, 55) + bump(age, 1800, 90, 42) + 0.5;
    }
    ComparisonHooks hooks;
    hooks.criticalValue = [](int32_t n) { return approximateCriticalValue(n); };
    compareProfiles(data, SubdivisionParameters{10.0, 2.0, 300.0}, hooks);
    return data;
}

/// @brief Writes `values` into positions 1, 2, ... of `array`.
inline void setColumn(std::vector<double>& array, std::initializer_list<double> values) {
    size_t k = 1;
    for (double v : values) array.at(k++) = v;
}

}  // namespace kestrel::testdata
