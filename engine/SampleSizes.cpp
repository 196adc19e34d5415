// Sample sizes of a window under the classic rule or from grain counts, and their critical
// values.
#include "engine/SampleSizes.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/KestrelError.h"
#include "engine/KsTwoSample.h"
#include "engine/NumberText.h"

namespace kestrel {
namespace {

// Grains of one profile inside a window: at least one, and a share that is no number (or one
// made huge by negative values elsewhere) cannot overflow the count.
int64_t grainsInside(int32_t grains, double share) {
    const double count = std::round(static_cast<double>(grains) * share);
    if (!(count >= 1)) return 1;
    return static_cast<int64_t>(std::min(count, 1e15));
}

bool blank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

int32_t grainCount(std::string_view text, const char* field) {
    const std::optional<int32_t> value = parseWholeNumber(text);
    if (!value || *value < 1 || *value > kMaxGrains) {
        throw KestrelError(std::string("Incorrect value entered for ") + field +
                           ": enter a whole number of grains from 1 to 1,000,000, or leave both "
                           "grain counts empty to test with the number of rows");
    }
    return *value;
}

}  // namespace

std::optional<GrainCounts> parseGrainCounts(std::string_view first, std::string_view second) {
    if (blank(first) && blank(second)) return std::nullopt;
    const int32_t n1 = grainCount(first, kGrainsField1);
    return GrainCounts{n1, grainCount(second, kGrainsField2)};
}

std::pair<std::string, std::string> grainCountTexts(const std::optional<GrainCounts>& grains) {
    if (!grains) return {};
    return {std::to_string(grains->n1), std::to_string(grains->n2)};
}

SampleSizes windowSampleSizes(const ProfileData& data, int32_t first, int32_t last,
                              const std::optional<GrainCounts>& grains) {
    if (!grains) {
        const int64_t rows = static_cast<int64_t>(last) - first + 1;
        return {rows, rows};
    }
    if (first == 1 && last == data.NumRows) return {grains->n1, grains->n2};
    const auto share = [&](const std::vector<double>& curve) {
        return curve[static_cast<size_t>(last)] - curve[static_cast<size_t>(first) - 1];
    };
    return {grainsInside(grains->n1, share(data.Curve1)),
            grainsInside(grains->n2, share(data.Curve2))};
}

double TwoSampleCriticalValues::operator()(const SampleSizes& sizes) {
    const auto key = std::minmax(sizes.n1, sizes.n2);
    const auto found = m_known.find(key);
    if (found != m_known.end()) return found->second;
    const double value = ksTwoSampleCriticalValue(key.first, key.second, kComparisonAlpha);
    m_known.emplace(key, value);
    return value;
}

std::function<double(const ProfileData& data, int32_t first, int32_t last)> grainCriticalValues(
    GrainCounts grains) {
    auto known = std::make_shared<TwoSampleCriticalValues>();
    return [grains, known](const ProfileData& data, int32_t first, int32_t last) {
        return (*known)(windowSampleSizes(data, first, last, grains));
    };
}

}  // namespace kestrel
