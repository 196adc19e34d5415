// The youngest grains of a sample ranked by age, each with its 1-sigma and 2-sigma uncertainty,
// and the depositional age estimates drawn across them as bands: the picture the field reads a
// maximum depositional age from.
#pragma once

#include <QColor>
#include <QString>
#include <cstddef>
#include <vector>

#include "engine/density/GrainSample.h"
#include "engine/depositional/DepositionalAges.h"

class QCustomPlot;
class QWidget;

namespace kestrel {

/// The fewest grains the graph shows (all of them when a sample has fewer), and the most.
inline constexpr size_t kFewestGrainsShown = 12;
inline constexpr size_t kMostGrainsShown = 100;

/// @brief An empty graph (object name "Youngest"): the grains' rank across, their age up, the
/// estimates named in a legend at the right.
QCustomPlot* createYoungestGrainsGraph(QWidget* parent);

/// @brief How many of the sample's grains, youngest first, the graph shows: every grain up to a
/// tenth past the oldest estimate's upper 95% limit (a tenth of its distance from the youngest
/// age), so that the estimates stand out against the grains they come from; at least
/// kFewestGrainsShown (the youngest 30 when no estimate has an age), at most kMostGrainsShown.
size_t youngestGrainsShown(const GrainSample& sample,
                           const std::vector<DepositionalEstimate>& estimates);

/// @brief The legend's text of an estimate: "YSG 95.21 −1.10 +1.10", "MLA 95.2 −1.3 +1.4
/// (degenerate fit)", or for one that found nothing "Tau: none (reason)" in lines of about 30
/// characters.
QString estimateLegendText(const DepositionalEstimate& estimate);

/// @brief Draws the youngest grains of `sample` (youngestGrainsShown()) as vertical bars at
/// their rank, 2 sigma thin and light, 1 sigma thick and dark, a point at each age; each
/// estimate with an age as a band over its 95% interval with a line at the age, in the
/// estimate's colour; an estimate without an age only in the legend. Graph 0 holds the grains
/// (rank, age), graph 1 + i the estimate i. The whole graph is shown; double-click returns to it.
void fillYoungestGrainsGraph(QCustomPlot& chart, const GrainSample& sample,
                             const std::vector<DepositionalEstimate>& estimates);

/// @brief The colour the graph and the table give `method`.
QColor depositionalMethodColour(DepositionalMethod method);

}  // namespace kestrel
