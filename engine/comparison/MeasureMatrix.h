// Many samples compared pair by pair by the measures of the table (engine/measures/Measures.h),
// and the dissimilarities a map is drawn from for any measure.
#pragma once

#include <vector>

#include "engine/comparison/ProfileMatrix.h"
#include "engine/density/GrainSample.h"
#include "engine/measures/Measures.h"

namespace kestrel {

/// @brief Profile columns made ready for the measures: their names and grain counts and, when
/// `prepare` is set, every profile prepared over the rows in the order of the Age column.
MeasuredSamples measuredProfiles(const ProfileSamples& samples, bool prepare, unsigned threads);

/// @brief Samples of grain ages made ready for the measures, their profiles (one per sample,
/// over the grid `gridAges`; may be empty when no measure of profiles is asked for) prepared.
MeasuredSamples measuredGrainAges(const std::vector<GrainSample>& samples,
                                  const std::vector<double>& gridAges,
                                  const std::vector<std::vector<double>>& profiles,
                                  unsigned threads);

/// @brief Adds to `matrix` one MeasureMatrix per measure of `measures` it does not hold yet, in
/// their order: of the age lists where the measure has a function on them and the samples are
/// grain ages, else of the prepared profiles, with p-values of profiles when the grain counts
/// are known. Throws KestrelError with the refusal of the first measure that refuses the
/// samples (refusalOf).
void addMeasures(ProfileMatrix& matrix, const MeasuredSamples& samples,
                 const std::vector<Measure>& measures, unsigned threads = 0);

/// @brief addMeasures for profile columns (from compareAllPairs of the same samples).
void addProfileMeasures(ProfileMatrix& matrix, const ProfileSamples& samples,
                        const std::vector<Measure>& measures, unsigned threads = 0);

/// @brief addMeasures for samples of grain ages and their profiles over the grid `gridAges`.
void addGrainMeasures(ProfileMatrix& matrix, const std::vector<GrainSample>& samples,
                      const std::vector<double>& gridAges,
                      const std::vector<std::vector<double>>& profiles,
                      const std::vector<Measure>& measures, unsigned threads = 0);

/// @brief The dissimilarities of `measure` in `matrix` (D itself for D, 1 - value for a
/// likeness); throws KestrelError when the matrix lacks the measure.
SquareMatrix dissimilaritiesOf(const ProfileMatrix& matrix, Measure measure);

/// @brief The values of `measure` in `matrix`, or null when it lacks them.
const SquareMatrix* measureValuesOf(const ProfileMatrix& matrix, Measure measure);

}  // namespace kestrel
