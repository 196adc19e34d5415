// The heat map of the pair matrix: one coloured cell per pair, rows and columns in the order of
// the first MDS axis so that groups of similar samples show as blocks.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/comparison/ProfileMatrix.h"

class QCustomPlot;
class QWidget;

namespace kestrel {

/// @brief An empty heat map (object name "Matrix") with a colour scale for D (0 to 1 until
/// filled).
QCustomPlot* createMatrixHeatMap(QWidget* parent);

/// @brief Shows D of `matrix` with rows and columns in `order` (indices of samples), the first
/// at the top left, each axis labelled with the names (all while they fit at the size drawn, else
/// every n-th). The colour scale runs from 0 to the largest D, as its label says.
void fillMatrixHeatMap(QCustomPlot& chart, const ProfileMatrix& matrix,
                       const std::vector<int32_t>& order);

/// @brief Frames the cells of the pair `selected` (two samples; both cells, above and below the
/// diagonal) in a colour none of the scale's has; another size of list clears the frames.
void markMatrixPair(QCustomPlot& chart, const std::vector<int32_t>& order,
                    const std::vector<int>& selected);

/// @brief The pair (row sample, column sample) under the pixel position (x, y) of a filled heat
/// map, or {-1, -1} outside its cells.
std::pair<int, int> heatMapPairAt(const QCustomPlot& chart, const std::vector<int32_t>& order,
                                  double x, double y);

}  // namespace kestrel
