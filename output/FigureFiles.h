// Writing a distribution figure as a file at a chosen width and font size, by the same code
// that draws it on screen.
#pragma once

#include <QSize>

#include "engine/figures/FigureRequest.h"
#include "output/FigureSamples.h"

class QCustomPlot;

namespace kestrel {

/// @brief The request's samples as the figures take them.
std::vector<FigureSample> figureSamples(const std::vector<FigureSampleData>& samples);

/// @brief Fills `chart` with the request's figure and returns the size, in screen pixels, it is
/// laid out at for a file: the request's width, and the height the figure needs (the stacked
/// and bins figures grow with their rows; the cumulative one is 0.62 of its width).
QSize fillRequestedFigure(QCustomPlot& chart, const FigureRequest& request);

/// @brief Draws the request's figure and writes it to request.path, the format from its
/// extension (.svg, .pdf, .png at 300 dpi), atomically. Needs a QApplication. Throws
/// KestrelError naming the file, or for a width or font size out of range.
void writeFigureFile(const FigureRequest& request);

}  // namespace kestrel
