// kestrel-batch --ages --unmix / --nmf: the proportions of a sink's sources by each fit, and the
// end-member profiles of every sample.
#pragma once

#include <ostream>

#include "tools/batch/AgesSettings.h"

namespace kestrel::batch {

/// @brief Reads the ages, fits the sink's sources (with the bootstrap) and writes --unmix-out,
/// and/or factorises every sample's profile and writes --nmf-out. Prints an account to `out`
/// ("unmixing \"SINK\" into 3 sources by D, V and profiles, 1000 bootstrap resamples";
/// "end-members of 12 samples: k = 3, residual 0.0123"). On `err`: each sample left out, and a
/// note when a factorisation stopped at its iteration limit.
void runUnmixing(const AgesSettings& settings, std::ostream& out, std::ostream& err);

}  // namespace kestrel::batch
