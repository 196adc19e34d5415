// The grains inside a window of the profiles, tested as whole samples are: for each window of
// the windows table, the grains of each sample whose ages lie between the window's first and
// last age, with their real counts.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/measures/KsSamples.h"
#include "engine/measures/Kuiper.h"

namespace kestrel {

struct WindowsTableRow;

/// @brief The grain test of one window: how many grains of each sample it holds, and when both
/// hold at least one, the Kolmogorov-Smirnov and Kuiper tests of those grains.
struct GrainWindowTest {
    int64_t grains1 = 0, grains2 = 0;
    std::optional<KsSamplesTest> ks;
    std::optional<KuiperTest> kuiper;
};

/// @brief The two age lists, each sorted once, that the windows' grains are taken from.
class GrainWindows {
  public:
    GrainWindows(std::span<const double> ages1, std::span<const double> ages2);
    /// @brief The grains with fromAge <= age <= toAge (the ends in either order), tested.
    GrainWindowTest test(double fromAge, double toAge) const;
    /// @brief Fills `grains` of every row of a windows table from its first and last age.
    void fill(std::vector<WindowsTableRow>& rows) const;

  private:
    std::vector<double> m_ages1, m_ages2;
};

/// @brief "Grains 1", "Grains 2", "Grain D", "Grain p", "Kuiper V", "Kuiper p": the columns the
/// windows table gains when its profiles were built from grain ages.
const std::vector<std::string>& grainWindowHeaders();

}  // namespace kestrel
