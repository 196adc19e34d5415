// What two samples can be compared by, and the matrix of one measure over every pair of many
// samples. The table that describes each measure is in Measures.h.
#pragma once

#include <optional>

#include "engine/SquareMatrix.h"

namespace kestrel {

/// @brief The measures, in the order the table, files and lists give them.
enum class Measure {
    KsD,
    KuiperV,
    Similarity,
    Likeness,
    CrossCorrelation,
    Wasserstein2,
    SircombeHazelton
};

/// @brief One measure of every pair: its values (the diagonal holds what a sample gives against
/// itself: 0 for a distance, 1 for a likeness) and, where the measure has them and the sample
/// sizes are known, its p-values (diagonal 1).
struct MeasureMatrix {
    Measure measure = Measure::KsD;
    SquareMatrix values;
    std::optional<SquareMatrix> p;
};

}  // namespace kestrel
