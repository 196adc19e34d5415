// A sample's probability density plot with the age components of a finite mixture fitted to its
// grains drawn over it, each labelled with its age and its share of the grains.
#pragma once

#include <QString>
#include <vector>

#include "engine/density/GrainSample.h"
#include "engine/depositional/MixtureComponents.h"

class QCustomPlot;
class QWidget;

namespace kestrel {

/// @brief An empty graph (object name "Components"): age across, density up.
QCustomPlot* createComponentsGraph(QWidget* parent);

/// @brief The curve of one component on the grid's ages: a normal centred on the component's
/// age whose spread is that age times the sample's median relative 1-sigma uncertainty (the
/// component is one age; its grains spread by their own uncertainties), scaled to the
/// component's share of the sample's grains, so that the components together hold as many
/// grains as the PDP does.
std::vector<double> componentCurve(const GrainSample& sample, const AgeComponent& component,
                                   size_t grains, const std::vector<double>& ages);

/// @brief Draws the PDP of `sample` (a checked one) on its default grid as graph 0 and each
/// component of `fit` as graph 1 + i with a label "152.3 (41%)" at its peak. `note` names the
/// fit in the title ("k = 3, by BIC"), or says why there is none (then `fit` is empty). The
/// whole graph is shown; double-click returns to it.
void fillComponentsGraph(QCustomPlot& chart, const GrainSample& sample, const MixtureFit& fit,
                         const QString& note);

}  // namespace kestrel
