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
    /// Critical value for a sample size (a count of positions). Required unless
    /// windowCriticalValue is set.
    std::function<double(int32_t sampleSize)> criticalValue;
    /// When set, the critical value of positions first..last (the whole range 1..NumRows
    /// included), in place of criticalValue: for sample sizes that are not counts of positions.
    /// The whole-range curves are ready when it is called.
    std::function<double(const ProfileData& data, int32_t first, int32_t last)> windowCriticalValue;
    /// Called first in every window evaluation, the whole range included (the window log line).
    std::function<void(const ProfileWindow& window, double firstAge, double lastAge)>
        windowEvaluated;
    /// Progress of the subdivision: panel 2 = first position of the stretch being searched,
    /// panel 1 = position being examined. May be empty.
    std::function<void(int panel, int32_t position)> progress;
};

/// @brief Runs the comparison on data whose AgeData, Y1Data and Y2Data hold positions
/// 1..data.NumRows (NumRows >= 1): curves (with 1e-9 added once to each total), Difference,
/// the whole-range evaluation (its log line, Cutoff filled, DifferenceW/CutoffW left at 0), and
/// the subdivision. The result arrays are sized to NumRows + 1 entries. Returns the reported
/// windows (not the whole range) in order. Throws KestrelError when NumRows < 1 or the input
/// arrays hold fewer positions than NumRows. For non-negative profiles the curves never
/// decrease and stay within [0, 1] (1 itself once a total is so large that 1e-9 vanishes).
std::vector<ProfileWindow> compareProfiles(ProfileData& data, const SubdivisionParameters& params,
                                           const ComparisonHooks& hooks);

/// @brief Evaluates positions first..last: CutoffW := cutoff there, DifferenceW := the absolute
/// difference of the two window curves. Calls hooks.windowEvaluated first. The window 1..n
/// reproduces Difference exactly. Throws KestrelError for a window outside 1..NumRows.
void evaluateWindow(ProfileData& data, const ProfileWindow& window, const ComparisonHooks& hooks);

}  // namespace kestrel
