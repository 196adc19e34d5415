// kestrel-batch's settings for profiles built from grain ages (--ages): the reading of the
// ages, the profiles and the two samples to compare, on top of the ordinary run's settings.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/comparison/ProfileMatrix.h"
#include "engine/density/DensityProfiles.h"
#include "sheet/core/GrainAges.h"
#include "tools/batch/BatchOptions.h"
#include "tools/batch/BatchSettings.h"
#include "tools/batch/DepositionalSettings.h"
#include "tools/batch/FigureSettings.h"
#include "tools/batch/MatrixSettings.h"
#include "tools/batch/UnmixingSettings.h"

namespace kestrel::batch {

struct AgesSettings {
    BatchSettings run;         // window, thresholds, table and outputs, as for profile columns
    GrainAgesRequest request;  // its sheet is the active one when --sheet is absent
    std::pair<std::string, std::string> samples;  // two-sample runs
    DensityOptions density;
    std::optional<std::string> profilesOut;
    // --matrix: every pair of samples, their grain matrix and its map.
    bool matrix = false;
    std::optional<std::string> matrixOut;
    std::vector<Measure> measures{Measure::KsD};  // the first one is mapped
    bool everyMeasure = false;   // --measure says all: those with no value for the samples left out
    std::optional<MdsKind> mds;  // --mds
    // --mda / --components: every sample's depositional ages or components, nothing else.
    std::optional<DepositionalSettings> depositional;
    // --figure / --peaks-out / --bins-out: every sample's figure and tables, nothing else.
    std::optional<FigureSettings> figures;
    // --unmix / --nmf: a sink's sources and every sample's end-members, nothing else.
    std::optional<UnmixingSettings> unmixing;
};

/// @brief The --ages options other than --ages itself, given without it, are refused.
void refuseAgesOptions(const BatchOptions& options);

/// @brief Checks every option of an --ages run; KestrelError or UsageError at the first that
/// does not read, with what is wanted.
AgesSettings checkAgesOptions(const BatchOptions& options, const std::string& defaultTable);

}  // namespace kestrel::batch
