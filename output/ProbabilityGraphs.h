// The cumulative probability graph (Chart1) and the probability graph (Chart2): their set-up
// and their fill from the comparison's arrays.
#pragma once

#include <qcustomplot.h>

#include "engine/ProfileData.h"
#include "output/ColouredLineSeries.h"

class QWidget;

namespace kestrel {

/// Fixed vertical ranges: the probability scale (left) and the peak height scale (right).
inline constexpr double kProbabilityAxisMax = 1.05;
inline constexpr double kPeakHeightAxisMax = 105.0;

/// @brief Chart1: "Curve 1", "Curve 2", "Difference", "Difference (W)" on the probability
/// scale, plus the two legend-only series "K-S > critical" and "K-S > critical (W)". Empty.
QCustomPlot* createCumulativeProbabilityGraph(QWidget* parent);

/// @brief Chart2: the two profiles on the peak height scale at the right, the two differences
/// on the probability scale at the left, and the two legend-only series. Empty.
QCustomPlot* createProbabilityGraph(QWidget* parent);

/// @brief Series `number` (0..5, in legend order) of a graph made by the functions above.
/// Throws KestrelError for any other graph or number.
ColouredLineSeries* graphSeries(QCustomPlot& chart, int number);

/// @brief Clears series 0 to 4 of both graphs and appends positions 1..NumRows of `data`,
/// colouring each difference point by its test against its cutoff (">" in Chart1, ">=" for
/// "Difference" in Chart2), then shows each graph whole and replots it.
void fillGraphs(QCustomPlot& chart1, QCustomPlot& chart2, const ProfileData& data);

/// @brief The whole graph: fixed vertical ranges (0..1.05 left, 0..105 right), the bottom and
/// top axes spanning the ages of their series. Replots.
void showWholeGraph(QCustomPlot& chart);

}  // namespace kestrel
