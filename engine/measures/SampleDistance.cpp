// Walking the two sorted age lists together, in whole lattice steps.
#include "engine/measures/SampleDistance.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "engine/KestrelError.h"

namespace kestrel {
std::vector<double> sortedAges(std::span<const double> ages) {
    std::vector<double> values(ages.begin(), ages.end());
    if (std::any_of(values.begin(), values.end(), [](double v) { return std::isnan(v); })) {
        throw KestrelError("An age that is not a number cannot be compared");
    }
    std::sort(values.begin(), values.end());
    return values;
}

SampleGaps sampleGaps(std::span<const double> a, std::span<const double> b) {
    if (a.empty() || b.empty()) throw KestrelError("Two samples of at least one age are needed");
    const std::vector<double> x = sortedAges(a), y = sortedAges(b);
    return sortedSampleGaps(x, y);
}

SampleGaps sortedSampleGaps(std::span<const double> x, std::span<const double> y) {
    if (x.empty() || y.empty()) throw KestrelError("Two samples of at least one age are needed");
    const int64_t na = static_cast<int64_t>(x.size()), nb = static_cast<int64_t>(y.size());
    SampleGaps gaps;
    gaps.lcm = na / std::gcd(na, nb) * nb;
    const int64_t stepA = gaps.lcm / na, stepB = gaps.lcm / nb;
    size_t i = 0, j = 0;
    int64_t level = 0;  // lcm * (F_a - F_b) so far
    // Each pass steps over at least one age; a pass that cannot (an age that is not a number)
    // would repeat for ever, so the passes are counted.
    int64_t passes = 0;
    while (i < x.size() || j < y.size()) {
        if (++passes > na + nb) {
            throw KestrelError(
                "The two samples' ages could not be compared: the walk along "
                "them did not come to an end (is an age not a number?)");
        }
        const double next = j == y.size() || (i < x.size() && x[i] <= y[j]) ? x[i] : y[j];
        const bool inA = i < x.size() && x[i] == next, inB = j < y.size() && y[j] == next;
        gaps.ties = gaps.ties || (inA && inB);
        for (; i < x.size() && x[i] == next; ++i) level += stepA;
        for (; j < y.size() && y[j] == next; ++j) level -= stepB;
        gaps.up = std::max(gaps.up, level);
        gaps.down = std::max(gaps.down, -level);
    }
    return gaps;
}

}  // namespace kestrel
