// Likeness of two profiles (Satkoski et al. 2013): one less half the summed absolute
// differences of their shares, 1 for identical profiles and 0 for profiles that share no row.
#pragma once

#include "engine/measures/PreparedProfile.h"

namespace kestrel {

/// @brief 1 - sum_k |f_k - g_k| / 2 of the shares of `a` and `b` (same rows).
double likenessOfProfiles(const PreparedProfile& a, const PreparedProfile& b);

}  // namespace kestrel
