// Kuiper's V of two profiles (Kuiper 1960): the largest gap of their cumulative curves upwards
// plus the largest gap downwards. Unlike the Kolmogorov-Smirnov D it is as sensitive in the
// tails as in the middle of the age range.
#pragma once

#include "engine/measures/PreparedProfile.h"

namespace kestrel {

/// @brief max(0, max_k (F_k - G_k)) + max(0, max_k (G_k - F_k)) over the curves of `a` and `b`
/// (same rows); not a number when a difference is not a number.
double kuiperVOfProfiles(const PreparedProfile& a, const PreparedProfile& b);

}  // namespace kestrel
