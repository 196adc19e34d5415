// The orders of the youngest grains and the cluster rule of the youngest-cluster estimators.
#include "engine/depositional/YoungestClusters.h"

#include <algorithm>

namespace kestrel {

std::vector<size_t> grainsByUpperAge(const GrainSample& sample, double k) {
    // The keys side by side with the indices: a sort that reads them from the sample through
    // the indices would miss the cache at every comparison.
    struct Keyed {
        double upper, age;
        size_t index;
    };
    std::vector<Keyed> keyed(sample.ages.size());
    for (size_t i = 0; i < keyed.size(); ++i)
        keyed[i] = {sample.ages[i] + k * sample.sigmas[i], sample.ages[i], i};
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) {
        if (x.upper != y.upper) return x.upper < y.upper;
        if (x.age != y.age) return x.age < y.age;
        return x.index < y.index;
    });
    std::vector<size_t> order(keyed.size());
    for (size_t i = 0; i < keyed.size(); ++i) order[i] = keyed[i].index;
    return order;
}

std::vector<size_t> youngestCluster(const GrainSample& sample, double k, size_t minimum) {
    const std::vector<size_t> order = grainsByUpperAge(sample, k);
    const auto& a = sample.ages;
    const auto& s = sample.sigmas;
    for (size_t first = 0; first < order.size(); ++first) {
        const double upper = a[order[first]] + k * s[order[first]];
        size_t end = first + 1;
        while (end < order.size() && a[order[end]] - k * s[order[end]] < upper) ++end;
        if (end - first >= minimum)
            return std::vector<size_t>(order.begin() + static_cast<std::ptrdiff_t>(first),
                                       order.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return {};
}

}  // namespace kestrel
