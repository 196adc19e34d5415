// kestrel-batch's settings for depositional ages and age components of grain ages (--mda,
// --components): what to estimate and where to write it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/depositional/DepositionalAges.h"
#include "tools/batch/BatchOptions.h"

namespace kestrel::batch {

struct DepositionalSettings {
    std::optional<std::string> mdaOut;  // --mda
    std::vector<DepositionalMethod> methods;
    DepositionalOptions options;
    std::optional<int> components;  // --components: K, or 0 for auto
    std::optional<std::string> componentsOut;
};

/// @brief Whether the command line asks for depositional ages or components.
bool wantsDepositional(const BatchOptions& options);

/// @brief The depositional options given without --ages, refused by name.
void refuseDepositionalOptions(const BatchOptions& options);

/// @brief Checks --mda, --mda-methods, --seed, --mla-parameters, --components and
/// --components-out; UsageError at the first that does not read, with what is wanted.
DepositionalSettings checkDepositionalOptions(const BatchOptions& options);

}  // namespace kestrel::batch
