// Empirical cumulative distributions and their DKW confidence band.
#include "engine/figures/CumulativeBand.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

double dkwHalfWidth(int n, double alpha) {
    if (n <= 0) return 1.0;
    return std::sqrt(std::log(2.0 / alpha) / (2.0 * n));
}

CumulativeSteps cumulativeSteps(std::vector<double> ages) {
    std::sort(ages.begin(), ages.end());
    CumulativeSteps steps;
    const double n = static_cast<double>(ages.size());
    for (size_t i = 0; i < ages.size(); ++i) {
        if (i + 1 < ages.size() && ages[i + 1] == ages[i]) continue;  // a tie steps once
        steps.ages.push_back(ages[i]);
        steps.shares.push_back(static_cast<double>(i + 1) / n);
    }
    return steps;
}

}  // namespace kestrel
