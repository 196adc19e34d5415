// The orders of the youngest grains and the cluster rule of the youngest-cluster estimators.
#include "engine/depositional/YoungestClusters.h"

#include <algorithm>

namespace kestrel {

GrainsByUpperAge::GrainsByUpperAge(const GrainSample& sample, double k)
    : m_keyed(sample.ages.size()) {
    // The keys side by side with the indices: a sort that read them from the sample through
    // the indices would miss the cache at every comparison.
    for (size_t i = 0; i < m_keyed.size(); ++i)
        m_keyed[i] = {sample.ages[i] + k * sample.sigmas[i], sample.ages[i], i};
}

void GrainsByUpperAge::sortTo(size_t position) {
    const size_t reach = std::min(m_keyed.size(), std::max<size_t>(64, 2 * (position + 1)));
    const auto begin = m_keyed.begin();
    std::partial_sort(begin + static_cast<std::ptrdiff_t>(m_sorted),
                      begin + static_cast<std::ptrdiff_t>(reach), m_keyed.end(),
                      [](const Keyed& x, const Keyed& y) {
                          if (x.upper != y.upper) return x.upper < y.upper;
                          if (x.age != y.age) return x.age < y.age;
                          return x.index < y.index;
                      });
    m_sorted = reach;
}

std::vector<size_t> GrainsByUpperAge::indices(size_t first, size_t count) {
    std::vector<size_t> result;
    result.reserve(count);
    for (size_t p = first; p < first + count; ++p) result.push_back(at(p));
    return result;
}

std::vector<size_t> youngestCluster(const GrainSample& sample, double k, size_t minimum) {
    GrainsByUpperAge order(sample, k);
    const auto& a = sample.ages;
    const auto& s = sample.sigmas;
    for (size_t first = 0; first < order.size(); ++first) {
        const size_t i = order.at(first);
        const double upper = a[i] + k * s[i];
        size_t end = first + 1;
        while (end < order.size() && a[order.at(end)] - k * s[order.at(end)] < upper) ++end;
        if (end - first >= minimum) return order.indices(first, end - first);
    }
    return {};
}

}  // namespace kestrel
