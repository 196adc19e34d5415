// What the Many profiles page computes: every measure of the samples (W2 left out, with the
// reason, when it refuses them), and the map of a chosen measure, classical or nonmetric,
// with its stress-1, its Shepard pairs and each sample's two nearest neighbours.
#pragma once

#include <QString>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/MdsStress.h"
#include "engine/NearestNeighbours.h"
#include "engine/comparison/ProfileMatrix.h"
#include "engine/comparison/SampleComparison.h"

namespace kestrel {

/// @brief The comparison the page shows: every measure that has a value for the samples, those
/// whose check refuses them (W2 of a profile of zeros) left out with the reason in
/// leftOutNote, and the classical map of D.
SampleComparison compareForThePage(ComparisonRequest request);

/// @brief The map of one measure as the page shows it.
struct ManyMapView {
    Measure measure = Measure::KsD;
    bool nonmetric = false;
    SquareMatrix dissimilarities;  // dissimilaritiesOf(matrix, measure)
    MdsMap classical;              // classicalMds(dissimilarities)
    /// The map in view, judged (judgedMap): the classical one or the nonmetric one, with its
    /// stress-1 and, nonmetric, its disparities.
    MdsMap map;
    std::vector<NearestNeighbours> neighbours;  // by the dissimilarities, not by the map
};

/// @brief The classical map of `measure` in `matrix`; `known`, when given, is that map already
/// computed (the main window's map of D). Throws KestrelError as classicalMds() does.
ManyMapView classicalMapView(const ProfileMatrix& matrix, Measure measure,
                             const MdsMap* known = nullptr);

/// @brief Makes `view` show its nonmetric map (from its classical one) or its classical map.
void showNonmetric(ManyMapView& view, bool nonmetric);

/// @brief The Shepard pairs of the map in view (with disparities for a nonmetric map).
ShepardData shepardDataOf(const ManyMapView& view);

}  // namespace kestrel
