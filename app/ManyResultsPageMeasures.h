// What the Many profiles page computes: every measure added to a matrix (W2 left out, with the
// reason, when it refuses the samples), and the map of a chosen measure, classical or nonmetric,
// with its stress-1, its Shepard pairs and each sample's two nearest neighbours.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/MdsStress.h"
#include "engine/NearestNeighbours.h"
#include "engine/ProfileMatrix.h"

namespace kestrel {

/// @brief Adds the measures it is given to the matrix (addProfileMeasures or addGrainMeasures
/// bound to the samples).
using AddMeasures = std::function<void(ProfileMatrix&, const std::vector<Measure>&)>;

/// @brief Adds every measure to `matrix` through `add`. When W2 refuses the samples (a profile
/// of zeros holds no mass to move), the others are added without it and the text returned says
/// why W2 is not offered; otherwise it is empty.
QString addEveryMeasure(ProfileMatrix& matrix, const AddMeasures& add);

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
