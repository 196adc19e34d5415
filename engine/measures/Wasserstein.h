// The Wasserstein-2 distance (Lipp & Vermeesch 2023): the L2 distance between the quantile
// functions of two distributions, sqrt(integral over u in (0, 1) of (Q_a(u) - Q_b(u))^2), in
// the units of the ages. Computed exactly: both quantile functions are steps, so the integral
// is a sum over the merged steps; nothing is sampled.
#pragma once

#include <span>
#include <vector>

#include "engine/density/GrainSample.h"
#include "engine/measures/Measure.h"
#include "engine/measures/PreparedProfile.h"

namespace kestrel {

/// @brief W2 of two profiles as distributions that put each row's share at its age.
/// `sortedAges` are the rows' ages in the order ascendingAgeOrder() gave when the profiles were
/// prepared. Not a number when either profile holds no mass (all zeros), where it has no value.
/// Throws KestrelError when a profile holds a value that is not a number (the walk along the
/// quantiles cannot end).
double wasserstein2OfProfiles(const PreparedProfile& a, const PreparedProfile& b,
                              std::span<const double> sortedAges);

/// @brief W2 of the empirical distributions of two age lists (1/n at each age), both sorted
/// ascending and not empty.
double wasserstein2OfAges(std::span<const double> a, std::span<const double> b);

/// @brief W2 of the ages of every pair of samples (no p-values), the pairs shared among
/// `threads` workers (0: one per core).
MeasureMatrix wasserstein2MatrixOfAges(const std::vector<GrainSample>& samples, unsigned threads);

}  // namespace kestrel
