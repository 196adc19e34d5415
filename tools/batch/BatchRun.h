// One kestrel-batch run: workbook in, window log out, summary workbook optionally written.
#pragma once

#include <ostream>

#include "tools/batch/BatchSettings.h"

namespace kestrel::batch {

/// @brief Reads the workbook, finds the rows, compares the profiles and prints one log line per
/// evaluated window to `out` ("." as decimal separator); writes the summary workbook when
/// asked. A table that cannot be loaded is a warning on `err`, and the run goes on with
/// critical values of 0. Any other failure throws KestrelError before the summary is written.
void runBatch(const BatchSettings& settings, std::ostream& out, std::ostream& err);

}  // namespace kestrel::batch
