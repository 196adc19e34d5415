// kestrel-batch's settings for the distribution figures of grain ages (--figure, --peaks-out,
// --bins-out): which figure, its choices, and the tables to write.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/figures/AgeBands.h"
#include "engine/figures/FigureRequest.h"
#include "engine/figures/ProfilePeaks.h"
#include "tools/batch/BatchOptions.h"

namespace kestrel::batch {

struct FigureSettings {
    std::optional<FigureKind> figure;
    std::string figureOut;
    std::vector<double> edges;  // --bins; empty when not given
    std::vector<AgeBand> bands;
    std::string order = "workbook";
    bool logAge = false;
    double widthMm = 170.0;
    double fontPoints = 9.0;
    std::optional<double> binWidth;  // absent: a round width for about 50 bins
    double peakThreshold = kDefaultPeakThresholdPercent;
    std::optional<std::string> dkw;  // names, or "all"
    std::optional<std::string> peaksOut;
    std::optional<std::string> binsOut;
};

/// @brief Whether the command line asks for a figure or its tables.
bool wantsFigures(const BatchOptions& options);

/// @brief The figure options given without --ages, refused by name.
void refuseFigureOptions(const BatchOptions& options);

/// @brief Checks the figure options; UsageError at the first that does not read or does not go
/// with the others, with what is wanted.
FigureSettings checkFigureOptions(const BatchOptions& options);

}  // namespace kestrel::batch
