// Peaks of a profile: the local maxima of the grid values, flat tops counted once at their
// middle (as scipy.signal.find_peaks takes them), kept when they reach the threshold.
#include "engine/figures/ProfilePeaks.h"

#include <algorithm>
#include <limits>

#include "engine/NumberText.h"

namespace kestrel {
namespace {

// Rows of the local maxima: a run [first, last] of equal values with a lower value on each side.
std::vector<size_t> localMaxima(const std::vector<double>& profile) {
    std::vector<size_t> rows;
    const size_t n = profile.size();
    size_t r = 1;
    while (r + 1 < n) {
        if (profile[r - 1] < profile[r]) {
            size_t last = r;
            while (last + 1 < n && profile[last + 1] == profile[r]) ++last;
            if (last + 1 < n && profile[last + 1] < profile[r]) rows.push_back((r + last) / 2);
            r = last + 1;
        } else {
            ++r;
        }
    }
    return rows;
}

// The first row of the least value in [from, to].
size_t lowestRow(const std::vector<double>& profile, size_t from, size_t to) {
    return static_cast<size_t>(std::min_element(profile.begin() + static_cast<ptrdiff_t>(from),
                                                profile.begin() + static_cast<ptrdiff_t>(to) + 1) -
                               profile.begin());
}

int agesIn(const std::vector<double>& sortedAges, double low, double high) {
    const auto first = std::lower_bound(sortedAges.begin(), sortedAges.end(), low);
    const auto end = std::lower_bound(sortedAges.begin(), sortedAges.end(), high);
    return end > first ? static_cast<int>(end - first) : 0;
}

}  // namespace

std::vector<ProfilePeak> findProfilePeaks(const std::vector<double>& grid,
                                          const std::vector<double>& profile,
                                          const std::vector<double>& ages,
                                          double thresholdPercent) {
    std::vector<ProfilePeak> peaks;
    if (profile.size() != grid.size() || profile.empty()) return peaks;
    const double highest = *std::max_element(profile.begin(), profile.end());
    if (!(highest > 0.0)) return peaks;
    for (size_t row : localMaxima(profile)) {
        const double height = profile[row] / highest * 100.0;
        if (height >= thresholdPercent) peaks.push_back({grid[row], height, 0, row});
    }
    std::vector<double> sorted = ages;
    std::sort(sorted.begin(), sorted.end());
    for (size_t p = 0; p < peaks.size(); ++p) {
        const double low =
            p == 0 ? grid.front() : grid[lowestRow(profile, peaks[p - 1].row, peaks[p].row)];
        const double high = p + 1 == peaks.size()
                                ? grid.back()
                                : grid[lowestRow(profile, peaks[p].row, peaks[p + 1].row)];
        peaks[p].grains = agesIn(sorted, low, high);
    }
    return peaks;
}

std::optional<double> parsePeakThreshold(const std::string& text) {
    std::string typed = text;
    std::replace(typed.begin(), typed.end(), ',', '.');
    const std::optional<double> value = parseRealNumber(typed);
    if (!value || *value < 0.0 || *value > 100.0) return std::nullopt;
    return value;
}

}  // namespace kestrel
