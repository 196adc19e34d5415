// Ordering a figure's samples: as read, by the map, or as the user typed them.
#include "engine/figures/SampleOrder.h"

#include <algorithm>
#include <numeric>

#include "engine/KestrelError.h"
#include "engine/ListText.h"
#include "engine/MessageText.h"
#include "engine/comparison/SampleComparison.h"

namespace kestrel {
namespace {

std::vector<size_t> typedOrder(const std::vector<GrainSample>& samples, const std::string& text) {
    std::vector<size_t> order;
    std::vector<bool> named(samples.size(), false);
    for (const std::string& typed : commaSeparated(text)) {
        const std::string name = withoutEndSpaces(typed);
        if (name.empty()) continue;
        const auto found = std::find_if(samples.begin(), samples.end(),
                                        [&](const GrainSample& s) { return s.name == name; });
        if (found == samples.end())
            throw KestrelError("No sample is named \"" + messageExcerpt(name) +
                               "\"; the order names samples as the workbook does");
        const size_t index = static_cast<size_t>(found - samples.begin());
        if (named[index])
            throw KestrelError("The sample \"" + messageExcerpt(name) +
                               "\" is named twice in the order");
        named[index] = true;
        order.push_back(index);
    }
    for (size_t i = 0; i < samples.size(); ++i)
        if (!named[i]) order.push_back(i);
    return order;
}

}  // namespace

std::vector<size_t> orderAlongAxis(const std::vector<double>& firstAxis) {
    std::vector<size_t> order(firstAxis.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return firstAxis[a] < firstAxis[b]; });
    return order;
}

std::vector<size_t> sampleOrder(const std::vector<GrainSample>& samples, const std::string& order) {
    const std::string how = withoutEndSpaces(order);
    if (how.empty() || how == "workbook") {
        std::vector<size_t> asRead(samples.size());
        std::iota(asRead.begin(), asRead.end(), size_t{0});
        return asRead;
    }
    if (how == "map") {
        if (samples.size() < 3) return sampleOrder(samples, "workbook");
        ComparisonRequest request;
        request.grainAges = &samples;
        const SampleComparison comparison = compareSamples(request);
        std::vector<double> axis;
        for (const auto& point : comparison.map.points) axis.push_back(point[0]);
        return orderAlongAxis(axis);
    }
    return typedOrder(samples, how);
}

}  // namespace kestrel
