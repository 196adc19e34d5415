// Similarity of two profiles (Gehrels 2000): the sum over the rows of sqrt(f_k g_k), 1 for
// identical profiles and 0 for profiles that share no row.
#pragma once

#include "engine/measures/PreparedProfile.h"

namespace kestrel {

/// @brief sum_k sqrt(f_k) sqrt(g_k) of the shares of `a` and `b` (same rows).
double similarityOfProfiles(const PreparedProfile& a, const PreparedProfile& b);

}  // namespace kestrel
