// The distribution figures of every sample of grain ages, without a window: the figure file
// and the peaks and bins tables.
#pragma once

#include <functional>
#include <ostream>

#include "engine/figures/FigureRequest.h"
#include "tools/batch/AgesSettings.h"

namespace kestrel::batch {

/// Draws and writes a figure (the graph plugin's entry point); throws KestrelError.
using FigureWriter = std::function<void(const FigureRequest&)>;

/// @brief The writer in the graph plugin, loaded when settings ask for a figure; an empty
/// writer otherwise, or in a build without graph images (runFigures refuses then).
FigureWriter loadFigureWriterIfAsked(const AgesSettings& settings);

/// @brief Reads the ages, builds every sample's profile, finds its peaks and writes what
/// settings.figures asks for; one line on `out` says what was drawn and written.
void runFigures(const AgesSettings& settings, std::ostream& out, std::ostream& err,
                const FigureWriter& writeFigure);

}  // namespace kestrel::batch
