// Counting the grains a grid leaves out, and saying so.
#include "engine/density/GridCoverage.h"

#include <algorithm>
#include <charconv>

namespace kestrel {
namespace {

std::string shortestText(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

}  // namespace

std::vector<GrainsOutsideGrid> grainsOutsideGrid(const std::vector<GrainSample>& samples,
                                                 std::span<const double> gridAges,
                                                 const std::vector<size_t>& which) {
    std::vector<GrainsOutsideGrid> found;
    if (gridAges.empty()) return found;
    const double first = gridAges.front(), last = gridAges.back();
    const auto count = [&](size_t s) {
        const auto& ages = samples.at(s).ages;
        const auto outside = static_cast<size_t>(std::count_if(
            ages.begin(), ages.end(), [&](double age) { return age < first || age > last; }));
        if (outside > 0) found.push_back({s, outside, ages.size()});
    };
    if (which.empty()) {
        for (size_t s = 0; s < samples.size(); ++s) count(s);
    } else {
        for (const size_t s : which) count(s);
    }
    return found;
}

std::string grainsOutsideGridNote(const std::vector<GrainSample>& samples,
                                  std::span<const double> gridAges,
                                  const std::vector<size_t>& which) {
    const std::vector<GrainsOutsideGrid> outside = grainsOutsideGrid(samples, gridAges, which);
    if (outside.empty()) return {};
    std::string note = "The grid (" + shortestText(gridAges.front()) + " to " +
                       shortestText(gridAges.back()) +
                       ") leaves out grains that its profiles cannot show: ";
    for (size_t i = 0; i < outside.size(); ++i) {
        if (i > 0) note += ", ";
        note += std::to_string(outside[i].outside) + " of " + samples.at(outside[i].sample).name +
                "'s " + std::to_string(outside[i].grains);
    }
    return note + "; the grain tests keep them";
}

}  // namespace kestrel
