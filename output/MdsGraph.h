// The MDS map of a many-profile comparison: one labelled point per sample, similar samples
// close together.
#pragma once

#include <string>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/NearestNeighbours.h"

class QCustomPlot;
class QWidget;

namespace kestrel {

/// @brief An empty MDS map (object name "MDS"): axis 1 across, axis 2 up. After every layout (on
/// screen and in images) its plotting area is square, both axes have one scale, and the names
/// are placed so that none overlaps another or a point, and all stay inside the plot.
QCustomPlot* createMdsGraph(QWidget* parent);

/// @brief Shows the samples of `map`, each labelled with its name (next to its point, or further
/// out with a leader line; a name with no room left is hidden and shown only by the point's
/// tooltip); the axes' titles give their shares of the variance. Graph 0 holds the points in sample
/// order (data key order is not sample order: look points up with mdsPointAt()).
void fillMdsGraph(QCustomPlot& chart, const std::vector<std::string>& names, const MdsMap& map);

/// @brief The sample whose point lies within `radius` pixels of the pixel position (x, y), the
/// nearest if several do; -1 when none does.
int mdsPointAt(const QCustomPlot& chart, const MdsMap& map, double x, double y, double radius = 8);

/// @brief Every sample whose point lies within `radius` pixels of (x, y), nearest first.
std::vector<int> mdsPointsAt(const QCustomPlot& chart, const MdsMap& map, double x, double y,
                             double radius = 8);

/// @brief Marks the samples of `selected` (up to two) with a ring; an empty list clears it.
void markMdsPoints(QCustomPlot& chart, const MdsMap& map, const std::vector<int>& selected);

/// @brief The name of the layer, below the points and the names, that holds the neighbour lines.
inline constexpr const char* kNeighboursLayer = "neighbours";

/// @brief Draws for every sample of `map` a thin grey line to its closest neighbour (solid) and
/// one to its second closest (dashed), as `neighbours` (one per sample) name them; each line is
/// a QCPItemLine on the layer kNeighboursLayer from the sample's point to its neighbour's.
/// Replaces the lines drawn before; fillMdsGraph() removes them.
void drawNearestNeighbours(QCustomPlot& chart, const MdsMap& map,
                           const std::vector<NearestNeighbours>& neighbours);

/// @brief Removes the neighbour lines, leaving the points and the names.
void clearNearestNeighbours(QCustomPlot& chart);

}  // namespace kestrel
