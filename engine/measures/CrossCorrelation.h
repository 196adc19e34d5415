// Cross-correlation of two profiles (Saylor et al. 2012): the coefficient of determination R^2
// of their paired values, Pearson's r squared; 1 when one profile is a rising straight-line
// function of the other.
#pragma once

#include "engine/measures/PreparedProfile.h"

namespace kestrel {

/// @brief r^2 of the shares of `a` and `b` (same rows); 0 when either profile does not vary
/// over the rows (a flat profile, or a single row), where r has no value.
double crossCorrelationOfProfiles(const PreparedProfile& a, const PreparedProfile& b);

}  // namespace kestrel
