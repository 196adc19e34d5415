// A distribution figure to be drawn and written, as plain data: what kestrel-batch hands to the
// drawing code (which lives with Qt, away from the engine).
#pragma once

#include <string>
#include <vector>

#include "engine/figures/AgeBands.h"
#include "engine/figures/ProfilePeaks.h"

namespace kestrel {

enum class FigureKind { Stacked, Cumulative, Bins };

struct FigureSampleData {
    std::string name;
    std::vector<double> ages;     ///< empty for a profile column
    std::vector<double> profile;  ///< on FigureRequest::grid, highest point 100
    std::vector<ProfilePeak> peaks;
    size_t colour = 0;  ///< the sample's place in the order read
    bool band = false;  ///< cumulative figure: draw its DKW band
};

struct FigureRequest {
    FigureKind kind = FigureKind::Stacked;
    std::string path;                       ///< .svg, .pdf or .png
    std::vector<double> grid;               ///< the profiles' ages
    std::vector<FigureSampleData> samples;  ///< in the figure's order, top to bottom
    std::vector<AgeBand> bands;             ///< stacked figure
    double binWidth = 0.0;                  ///< stacked figure's histograms; 0: none
    std::vector<double> edges;              ///< bins figure
    bool logAge = false;
    double widthMm = 170.0;
    double fontPoints = 9.0;
};

}  // namespace kestrel
