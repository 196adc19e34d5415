// The sample sizes a comparison tests with: the classic rule (the number of positions, the same
// for both profiles) or grain counts (the analyses behind each profile, shared out to the
// windows by each profile's share of its total), and the critical values that follow from them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "engine/ProfileData.h"

namespace kestrel {

/// @brief The most grains a profile may be given.
inline constexpr int32_t kMaxGrains = 1'000'000;

/// @brief The number of grains (analyses) behind profile 1 and profile 2, each 1..kMaxGrains.
struct GrainCounts {
    int32_t n1 = 0, n2 = 0;
    bool operator==(const GrainCounts&) const = default;
};

struct SampleSizes {
    int64_t n1 = 0, n2 = 0;
    bool operator==(const SampleSizes&) const = default;
};

/// @brief The names the grain counts go by in the dialog and the settings file.
inline constexpr const char* kGrainsField1 = "Grains in profile 1";
inline constexpr const char* kGrainsField2 = "Grains in profile 2";

/// @brief Reads the two grain count entries. Both empty (or blank): no grain counts, the classic
/// rule. Otherwise each must be a whole number (the usual rule: decimal, or hexadecimal after $,
/// x or 0x) from 1 to kMaxGrains; the first that is not throws KestrelError "Incorrect value
/// entered for Grains in profile N: ..." saying what is wanted.
std::optional<GrainCounts> parseGrainCounts(std::string_view first, std::string_view second);

/// @brief The grain counts as the two entries show them: decimal texts, or two empty texts.
std::pair<std::string, std::string> grainCountTexts(const std::optional<GrainCounts>& grains);

/// @brief The sample sizes of positions first..last (1 <= first <= last <= NumRows, curves
/// computed). Without grain counts both are the number of positions. With them the whole range
/// (1..NumRows) has the grain counts themselves, and any other window
/// max(1, round(grains_i x share_i)), share_i being Curve_i[last] - Curve_i[first - 1], the
/// part of profile i's total inside the window.
SampleSizes windowSampleSizes(const ProfileData& data, int32_t first, int32_t last,
                              const std::optional<GrainCounts>& grains);

/// @brief Critical values at kComparisonAlpha for pairs of sample sizes, each pair computed
/// once (an exact one costs a few passes over its lattice band).
class TwoSampleCriticalValues {
  public:
    double operator()(const SampleSizes& sizes);

  private:
    std::map<std::pair<int64_t, int64_t>, double> m_known;
};

/// @brief The comparison's critical value for positions first..last from grain counts (a
/// ComparisonHooks::windowCriticalValue): the critical value of windowSampleSizes().
std::function<double(const ProfileData& data, int32_t first, int32_t last)> grainCriticalValues(
    GrainCounts grains);

}  // namespace kestrel
