// The profile comparison: cumulative curves, their absolute difference, the whole-range
// critical value, and the subdivision of the profile into windows around its peaks, each
// compared again with the critical value for its own number of positions.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/ProfileData.h"

namespace kestrel {

/// @brief The three thresholds that steer the subdivision.
struct SubdivisionParameters {
    double MinPeakHeight = 10.0;      // a value strictly above it is a peak (profile units)
    double BaselinePeakHeight = 2.0;  // both values strictly below it are baseline (profile units)
    double AgeWindowWidth = 100.0;    // least age span of a window (age units; equal suffices)
};

/// @brief An evaluated window: positions first..last (inclusive) and its critical value.
struct ProfileWindow {
    int32_t first = 0, last = 0;
    double cutoff = 0;
    bool operator==(const ProfileWindow&) const = default;
};

/// @brief How the comparison talks to the outside world.
struct ComparisonHooks {
    /// Critical value for a sample size (a count of positions). Required.
    std::function<double(int32_t sampleSize)> criticalValue;
    /// Called first in every window evaluation, the whole range included (the window log line).
    std::function<void(const ProfileWindow& window, double firstAge, double lastAge)> windowEvaluated;
    /// Progress of the subdivision: panel 2 = first position of the stretch being searched,
    /// panel 1 = position being examined. May be empty.
    std::function<void(int panel, int32_t position)> progress;
};

/// @brief Runs the comparison on data whose AgeData, Y1Data and Y2Data hold positions
/// 1..data.NumRows (NumRows >= 1): curves (with 1e-9 added once to each total), Difference,
/// the whole-range evaluation (Cutoff filled, DifferenceW/CutoffW then reset to 0), and the
/// subdivision. Returns the reported windows (not the whole range) in order.
std::vector<ProfileWindow> compareProfiles(ProfileData& data, const SubdivisionParameters& params,
                                           const ComparisonHooks& hooks);

/// @brief Evaluates positions first..last: CutoffW := cutoff there, DifferenceW := the absolute
/// difference of the two window curves. Calls hooks.windowEvaluated first.
void evaluateWindow(ProfileData& data, const ProfileWindow& window, const ComparisonHooks& hooks);

}  // namespace kestrel
