// One kestrel-batch run: workbook in, window log out, summary workbook optionally written.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "engine/ProfileData.h"
#include "engine/comparison/GrainWindows.h"
#include "tools/batch/BatchSettings.h"

namespace kestrel::batch {

/// @brief Draws the two graphs of `data` into `folder` in `format` (png, svg or pdf): Chart1
/// and Chart2 with the format's suffix.
using GraphWriter = std::function<void(const ProfileData& data, const std::string& folder,
                                       const std::string& format)>;

/// @brief Reads the workbook, finds the rows, compares the profiles and prints one log line per
/// evaluated window to `out` ("." as decimal separator); writes the summary workbook when
/// asked. A table that cannot be loaded is a warning on `err`, and the run goes on with
/// critical values of 0. Any other failure throws KestrelError before the summary is written.
/// The graph images are written by `writeGraphs` (before the summary) when settings.graphs is set.
void runBatch(const BatchSettings& settings, std::ostream& out, std::ostream& err,
              const GraphWriter& writeGraphs = {});

/// @brief Refuses a summary or windows table file that is the workbook being read.
void refuseSummaryOverInput(const BatchSettings& settings);

/// @brief The part of a run after the rows are in `data`: the comparison with its log (`note`,
/// when not empty, as the line after the first), the graphs, the windows table (its grain
/// columns filled from `grainWindows` when given) and the summary.
void compareAndWrite(const BatchSettings& settings, ProfileData& data, std::string note,
                     const GrainWindows* grainWindows, std::ostream& out, std::ostream& err,
                     const GraphWriter& writeGraphs);

}  // namespace kestrel::batch
