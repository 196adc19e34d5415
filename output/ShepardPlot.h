// The Shepard plot of an MDS map: each pair's map distance against its dissimilarity, and for a
// nonmetric map the monotone line of disparities the distances were fitted to.
#pragma once

#include "engine/MdsStress.h"

class QCustomPlot;
class QWidget;

namespace kestrel {

/// @brief An empty Shepard plot (object name "Shepard"): dissimilarity across, map distance up.
/// Graph 0 holds the pairs as points, graph 1 the fitted line of a nonmetric map.
QCustomPlot* createShepardPlot(QWidget* parent);

/// @brief Shows every pair of `data` as a point (dissimilarity, map distance), and when
/// `nonmetric` the disparities as a line in order of dissimilarity (pairs of equal dissimilarity
/// make a vertical step); the title gives `stress` (stress-1) to 4 decimals.
void fillShepardPlot(QCustomPlot& chart, const ShepardData& data, double stress, bool nonmetric);

}  // namespace kestrel
