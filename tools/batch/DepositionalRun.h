// kestrel-batch --ages --mda / --components: how young each sample's deposit can be, by every
// estimator asked for, and the age components of each sample.
#pragma once

#include <ostream>

#include "tools/batch/AgesSettings.h"

namespace kestrel::batch {

/// @brief Reads the ages, estimates every sample (samples spread over the cores), prints an
/// account to `out` ("16 samples, 1600 grains: 10 methods of depositional age", and the
/// components' line) and writes the --mda and --components-out files. On `err`: each sample left
/// out, one note per sample and method that finds nothing, naming why, and a warning for each
/// maximum-likelihood fit that is degenerate.
void runDepositional(const AgesSettings& settings, std::ostream& out, std::ostream& err);

}  // namespace kestrel::batch
