// Many profiles compared pair by pair by the measures beyond the Kolmogorov-Smirnov D, and the
// dissimilarities a map is drawn from for any measure.
#pragma once

#include <vector>

#include "engine/ProfileMatrix.h"
#include "engine/density/GrainSample.h"
#include "engine/measures/Measures.h"

namespace kestrel {

/// @brief Adds to `matrix` (from compareAllPairs of the same samples) one MeasureMatrix per
/// measure of `measures` other than D, in their order, each profile prepared once and the pairs
/// shared among `threads` workers (0: one per core). Kuiper's V gets p-values when the samples
/// have grain counts (Kuiper's limit with Stephens' correction). Throws KestrelError when
/// Wasserstein-2 is asked for without the ages or for a profile of zeros, which holds no mass
/// to move.
void addProfileMeasures(ProfileMatrix& matrix, const ProfileSamples& samples,
                        const std::vector<Measure>& measures, unsigned threads = 0);

/// @brief The same for samples of grain ages and their profiles (one per sample, over the grid
/// `gridAges`): Kuiper's V (with p) and Wasserstein-2 of the age lists themselves, Similarity,
/// Likeness and R² of the profiles. A grain matrix that has its kuiperV gets no second V.
void addGrainMeasures(ProfileMatrix& matrix, const std::vector<GrainSample>& samples,
                      const std::vector<double>& gridAges,
                      const std::vector<std::vector<double>>& profiles,
                      const std::vector<Measure>& measures, unsigned threads = 0);

/// @brief The dissimilarities of `measure` in `matrix` (D itself for D, 1 - value for a
/// likeness); throws KestrelError when the matrix lacks the measure.
SquareMatrix dissimilaritiesOf(const ProfileMatrix& matrix, Measure measure);

/// @brief The values of `measure` in `matrix` (D for D), or null when it lacks them.
const SquareMatrix* measureValuesOf(const ProfileMatrix& matrix, Measure measure);

}  // namespace kestrel
