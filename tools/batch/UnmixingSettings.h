// kestrel-batch's settings for unmixing a sample into its sources and for the end-members of all
// samples (--unmix, --nmf): what to fit and where to write it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/unmixing/Unmixing.h"
#include "tools/batch/BatchOptions.h"

namespace kestrel::batch {

struct UnmixingSettings {
    std::optional<std::string> sink;  // --unmix
    std::vector<std::string> sources;
    std::vector<UnmixingFit> fits;
    int64_t resamples = 1000;
    uint64_t seed = 1;
    std::optional<std::string> unmixOut;
    std::optional<int> nmf;  // K, or 0 for auto
    std::optional<std::string> nmfOut;
};

/// @brief Whether the command line asks for unmixing or end-members.
bool wantsUnmixing(const BatchOptions& options);

/// @brief The unmixing options given without --ages, refused by name.
void refuseUnmixingOptions(const BatchOptions& options);

/// @brief Checks --unmix, --sources, --fit, --bootstrap, --seed, --unmix-out, --nmf and
/// --nmf-out; UsageError at the first that does not read, with what is wanted.
UnmixingSettings checkUnmixingOptions(const BatchOptions& options);

}  // namespace kestrel::batch
