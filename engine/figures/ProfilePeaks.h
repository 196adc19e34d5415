// The peaks of a sample's profile as a detrital study reports them: each local maximum that
// reaches a share of the profile's highest point, its age, its height and the grains under it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

/// The share of its highest point, in per cent, a peak must reach unless the user types another.
inline constexpr double kDefaultPeakThresholdPercent = 5.0;

struct ProfilePeak {
    double age = 0.0;     ///< the peak's grid age, age units
    double height = 0.0;  ///< per cent of the profile's highest point
    int grains = 0;       ///< the sample's ages under the peak (see findProfilePeaks)
    size_t row = 0;       ///< the peak's grid row
};

/// @brief The peaks of `profile` (one value per age of `grid`, ascending), youngest first.
/// A peak is a local maximum: a row, or a flat run of equal rows (counted once, at its middle
/// row, the lower of two middles), higher than the rows on both sides; the grid's first and
/// last rows are never peaks. Only those whose height reaches `thresholdPercent` of the
/// profile's highest value are reported. A peak's grains are the `ages` at or above the
/// lowest point of the profile between it and the previous reported peak (the grid's start
/// for the first) and below the lowest point between it and the next reported peak (the
/// grid's end for the last); the lowest point is the first row of the least value. A profile
/// with no value above 0 has no peaks. `grid` and `profile` have the same length.
std::vector<ProfilePeak> findProfilePeaks(const std::vector<double>& grid,
                                          const std::vector<double>& profile,
                                          const std::vector<double>& ages,
                                          double thresholdPercent = kDefaultPeakThresholdPercent);

/// @brief The threshold typed by the user, in per cent (0 to 100, "." or "," as the decimal
/// mark); nothing for any other text.
std::optional<double> parsePeakThreshold(const std::string& text);

}  // namespace kestrel
