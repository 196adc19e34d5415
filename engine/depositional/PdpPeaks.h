// The peaks and minima of a sample's probability density plot (PDP), found from the young end
// up, for the estimators that read the youngest peaks: YPP (G. R. Sharman and M. A. Malkowski
// (2020), "Needles in a haystack: detrital zircon U-Pb ages and the maximum depositional age
// of modern global sediment", Earth-Science Reviews 203, 103109) and Tau (D. L. Barbeau et al.
// (2009), Earth and Planetary Science Letters 284, 489-503).
//
// The PDP, sum over grains of N(x; a_i, s_i), is read on the grid x_r = x_0 + r h with
// h = min(s_i) / 10 and x_0 = min(a_i - 5 s_i), up to the first point at or above
// max(a_i + 5 s_i) (every peak and minimum lies between the youngest and oldest age). Each
// grid value sums the grains within 8 sigma of it (|x - a_i| <= 8 s_i); the rest add less than
// 1e-14 of their height. A peak is a grid point with PDP(x_{r-1}) < PDP(x_r) >= PDP(x_{r+1}),
// a minimum one with PDP(x_{r-1}) > PDP(x_r) <= PDP(x_{r+1}); each is refined to the root of
// the PDP's slope between x_{r-1} and x_{r+1} (safeguarded Newton, to 1e-13 relative), or kept
// at x_r when the slope does not change sign there (a minimum where the PDP is 0).
//
// The walk evaluates the grid only as far as it is asked to, so that an estimator that stops at
// the first peak it accepts never reads the old end of a large sample.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "engine/density/GrainSample.h"

namespace kestrel {

/// Why an estimator that reads the PDP finds nothing when its grid would be too fine.
inline constexpr const char* kPdpTooFine =
    "the narrowest uncertainty is too small beside the span of the ages";

/// A peak or a minimum of the PDP, at `age` in age units.
struct PdpTurn {
    double age = 0.0;
    bool peak = false;
};

/// @brief Walks a sample's PDP from the young end to the old, one peak or minimum at a time.
class PdpWalk {
  public:
    /// @brief Starts below the youngest grain. The sample must have a positive, finite 1-sigma
    /// uncertainty for every age and stay alive while the walk does.
    explicit PdpWalk(const GrainSample& sample);

    /// @brief True when the grid would have more than 100 million rows (the narrowest
    /// uncertainty is below a 10-millionth of the span of the ages, when reading the whole plot
    /// could take seconds): such a walk is not begun.
    bool tooFine() const { return m_last > kMostRows; }
    static constexpr long long kMostRows = 100'000'000;

    /// @brief The next peak or minimum above the last one, or nothing past the oldest grain
    /// (or when tooFine()).
    std::optional<PdpTurn> next();

    /// @brief How many grains lie within 1 sigma of `age` (|a_i - age| <= s_i); `age` must be
    /// the turn next() returned last.
    size_t grainsWithinOneSigma(double age) const;

    /// @brief The oldest grid point read so far, in age units: how far the walk has gone.
    double reachedAge() const { return gridAge(m_row + 1); }

  private:
    double gridAge(long long r) const { return m_x0 + static_cast<double>(r) * m_step; }
    double density(double x) const;
    void slope(double x, double& first, double& second) const;
    void admitAndRetire(double lowest, double highest);
    void skipEmptyRows();
    double refine(double below, double at, double above) const;

    const GrainSample& m_sample;
    std::vector<size_t> m_byLowerEdge;  ///< grains by a - 8 s, admitted in this order
    size_t m_admitted = 0;
    std::vector<size_t> m_active;  ///< grains within 8 sigma of the three points read last
    double m_x0 = 0.0, m_step = 0.0;
    long long m_last = 0;  ///< the last grid row
    long long m_row = 0;   ///< the middle of the three values held
    double m_values[3] = {0.0, 0.0, 0.0};
};

}  // namespace kestrel
