// The heat map of the pair matrix: one coloured cell per pair, rows and columns in the order of
// the first MDS axis so that groups of similar samples show as blocks.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/ProfileMatrix.h"

class QCustomPlot;
class QWidget;

namespace kestrel {

/// @brief An empty heat map (object name "Matrix") with a colour scale for D from 0 to 1.
QCustomPlot* createMatrixHeatMap(QWidget* parent);

/// @brief Shows D of `matrix` with rows and columns in `order` (indices of samples), the first
/// at the top left, each axis labelled with the names (every one while they fit, else every
/// n-th).
void fillMatrixHeatMap(QCustomPlot& chart, const ProfileMatrix& matrix,
                       const std::vector<int32_t>& order);

/// @brief The pair (row sample, column sample) under the pixel position (x, y) of a filled heat
/// map, or {-1, -1} outside its cells.
std::pair<int, int> heatMapPairAt(const QCustomPlot& chart, const std::vector<int32_t>& order,
                                  double x, double y);

}  // namespace kestrel
