// Every pair of many samples of grain ages tested at once: the two-sample Kolmogorov-Smirnov D
// and p, or Kuiper's V and p, of each pair, as the two-sample grain test gives them.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "engine/SquareMatrix.h"
#include "engine/density/GrainSample.h"
#include "engine/measures/Measure.h"

namespace kestrel {

/// @brief Each sample's ages sorted ascending. Throws KestrelError for fewer than two or more
/// than kMaxMatrixProfiles samples, a sample without ages or an age that is not a number.
std::vector<std::vector<double>> sortedGrainSamples(const std::vector<GrainSample>& samples);

/// @brief The matrix of `measure` (distance: diagonal 0, p diagonal 1) over every pair of
/// sorted samples: value and p of each pair from `test`, the pairs shared among `threads`
/// workers (0: one per core); `withP` false leaves the p-values out.
MeasureMatrix grainPairMatrix(
    Measure measure, const std::vector<std::vector<double>>& sorted, unsigned threads, bool withP,
    const std::function<std::pair<double, double>(const std::vector<double>& a,
                                                  const std::vector<double>& b)>& test);

/// @brief D and p of every pair of samples (ksSamplesTest of the pair).
MeasureMatrix ksMatrixOfAges(const std::vector<GrainSample>& samples, unsigned threads);

/// @brief Kuiper's V and p of every pair of samples (kuiperTest of the pair).
MeasureMatrix kuiperMatrixOfAges(const std::vector<GrainSample>& samples, unsigned threads);

/// @brief Both at once, each pair's gaps found once for the two tests: what comparing many
/// samples of grain ages always begins with.
std::pair<MeasureMatrix, MeasureMatrix> ksAndKuiperMatricesOfAges(
    const std::vector<GrainSample>& samples, unsigned threads);

}  // namespace kestrel
