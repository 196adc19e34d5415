// The orders of the youngest grains and the cluster rule of the youngest-cluster estimators.
#include "engine/depositional/YoungestClusters.h"

#include <algorithm>
#include <numeric>

namespace kestrel {

std::vector<size_t> grainsByUpperAge(const GrainSample& sample, double k) {
    std::vector<size_t> order(sample.ages.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const auto& a = sample.ages;
    const auto& s = sample.sigmas;
    std::sort(order.begin(), order.end(), [&](size_t i, size_t j) {
        const double upperI = a[i] + k * s[i], upperJ = a[j] + k * s[j];
        if (upperI != upperJ) return upperI < upperJ;
        if (a[i] != a[j]) return a[i] < a[j];
        return i < j;
    });
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
