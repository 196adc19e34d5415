// Preparing a profile once for every measure of every pair it enters.
#include "engine/measures/PreparedProfile.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "engine/CumulativeCurve.h"

namespace kestrel {

std::vector<size_t> ascendingAgeOrder(std::span<const double> ages) {
    std::vector<size_t> order(ages.size());
    std::iota(order.begin(), order.end(), size_t{0});
    if (std::is_sorted(ages.begin(), ages.end())) return order;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return ages[a] < ages[b]; });
    return order;
}

namespace {

void prepareSpread(PreparedProfile& p) {
    const double n = static_cast<double>(p.shares.size());
    double mean = 0.0;
    for (const double f : p.shares) mean += f;
    mean /= n;
    p.centred.resize(p.shares.size());
    double squares = 0.0;
    for (size_t k = 0; k < p.shares.size(); ++k) {
        p.centred[k] = p.shares[k] - mean;
        squares += p.centred[k] * p.centred[k];
    }
    p.centredNorm = std::sqrt(squares);
}

void prepareAgeDistribution(PreparedProfile& p, std::span<const double> values,
                            std::span<const size_t> ageOrder) {
    double total = 0.0;
    for (const size_t k : ageOrder) total += values[k];
    p.hasMass = total != 0.0;
    if (!p.hasMass) return;
    p.ageCumulative.resize(values.size());
    double sum = 0.0;
    for (size_t r = 0; r < ageOrder.size(); ++r) {
        sum += values[ageOrder[r]];
        p.ageCumulative[r] = std::min(sum / total, 1.0);  // rounding may pass 1 before the end
    }
    p.ageCumulative.back() = 1.0;
}

}  // namespace

PreparedProfile prepareProfile(std::span<const double> values, std::span<const size_t> ageOrder) {
    PreparedProfile p;
    const auto n = static_cast<int32_t>(values.size());
    // The comparison's arrays count from 1.
    std::vector<double> oneBased(values.size() + 1, 0.0);
    std::copy(values.begin(), values.end(), oneBased.begin() + 1);
    p.curve.assign(values.size() + 1, 0.0);
    cumulativeCurve(oneBased.data(), n, p.curve.data());
    // The comparison's total: the offset and the first value, then the others in row order.
    double total = 1e-9 + values[0];
    for (size_t k = 1; k < values.size(); ++k) total = total + values[k];
    p.shares.resize(values.size());
    p.rootShares.resize(values.size());
    for (size_t k = 0; k < values.size(); ++k) {
        p.shares[k] = values[k] / total;
        p.rootShares[k] = std::sqrt(std::max(0.0, p.shares[k]));
    }
    prepareSpread(p);
    prepareAgeDistribution(p, values, ageOrder);
    return p;
}

}  // namespace kestrel
