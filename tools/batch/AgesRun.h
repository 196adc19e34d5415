// One kestrel-batch run from grain ages: the ages read, the profiles built on one grid, the
// ordinary comparison of two of them with the grains as sample sizes, and the grains tested.
#pragma once

#include <ostream>

#include "tools/batch/AgesSettings.h"
#include "tools/batch/BatchRun.h"

namespace kestrel::batch {

/// @brief Reads the ages, builds every sample's profile, compares the two chosen samples as a
/// two-profile run does (the window log; the critical values from their grain counts) and
/// prints one more line, the test of the two samples' grains:
/// "grains n1=99 n2=90 D=0.1234 p=0.0123 exact V=0.2001 p=0.0456". Writes the Profiles sheet,
/// the windows table (with its grain columns), the summary and the graphs when asked.
void runAges(const AgesSettings& settings, std::ostream& out, std::ostream& err,
             const GraphWriter& writeGraphs = {});

/// @brief The grain ages of the workbook, its sheet chosen as --sheet says; errors name the
/// workbook. Without --strict the samples that do not read are set aside (GrainAges::unusable),
/// unless fewer than `fewestSamples` are left: the first one's reason is then thrown.
GrainAges readAgesOf(const AgesSettings& settings, size_t fewestSamples = 2);

/// @brief The sample of that name; a sample left out refuses the run with the reason it was left
/// out for, and a name no sample has with the names there are.
const GrainSample& sampleNamed(const GrainAges& ages, const std::string& name,
                               const std::string& workbook);

/// @brief One warning line on `err` per sample set aside, with its reason.
void warnOfUnusableSamples(const GrainAges& ages, std::ostream& err);

/// @brief Refuses a profiles or matrix file that is the workbook being read.
void refuseFilesOverInput(const AgesSettings& settings);

/// @brief Warns on `err`, for each sample whose Botev bandwidth the profiles use and whose
/// fixed-point equation has no root (small samples), that its bandwidth is a last resort that
/// draws a spike per grain, and how to give one instead.
/// @brief "kestrel-batch: note: The grid (...) leaves out grains ..." when the profiles' grid
/// leaves out grains of `which` (indices into `samples`; all when empty).
void noteGrainsOutsideGrid(const std::vector<GrainSample>& samples, const DensityProfiles& profiles,
                           const std::vector<size_t>& which, std::ostream& err);

void warnOfBandwidthsWithoutRoot(const std::vector<GrainSample>& samples,
                                 const DensityProfiles& profiles, std::ostream& err);

/// @brief The grains line for two age lists (shortest texts that read back as the numbers).
std::string grainsLine(const std::vector<double>& ages1, const std::vector<double>& ages2);

}  // namespace kestrel::batch
