// Every pair of many samples of grain ages tested at once: the two-sample Kolmogorov-Smirnov D
// and p and Kuiper's V and p of each pair, as the two-sample grain test gives them.
#pragma once

#include <vector>

#include "engine/ProfileMatrix.h"
#include "engine/density/GrainSample.h"

namespace kestrel {

/// @brief D(i, j), p(i, j), Kuiper's V(i, j) and its p of the ages of samples i and j (exactly what
/// ksSamplesTest and kuiperTest give for the pair), every sample sorted once and the pairs
/// shared among `threads` workers (0: one per core). Throws KestrelError for fewer than two or
/// more than kMaxMatrixProfiles samples, a sample without ages or an age that is not a number.
ProfileMatrix compareAllGrainPairs(const std::vector<GrainSample>& samples, unsigned threads = 0);

}  // namespace kestrel
