// The methods that make a probability profile of grain ages, in one table: each method's key,
// its label, its tooltip, what it needs of the grains and of the user, and its function on one
// sample. The dialog, the settings file, kestrel-batch's --profile option (its parsing, help
// and messages) and buildDensityProfiles all read this table: a new method is one file in this
// folder and one row of the table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/density/AgeGrid.h"
#include "engine/density/DensityProfiles.h"
#include "engine/density/GrainSample.h"

namespace kestrel {

struct ProfileMethod {
    DensityKind kind;
    const char* key;        ///< as kestrel-batch's --profile spells it: "pdp", "kde", "adaptive"
    const char* label;      ///< as the dialog shows it and the settings file stores it: "PDP", ...
    const char* tooltip;    ///< the dialog's explanation of the method, one sentence or two
    const char* batchNote;  ///< the few words kestrel-batch's help puts after the key
    bool needsUncertainties;  ///< every grain's 1-sigma is used, so every grain must have one
    bool usesBandwidth;       ///< one bandwidth per sample (typed, Botev's, or the samples' median)
    /// Throws KestrelError naming the sample when it cannot make this method's profile.
    void (*checkSample)(const GrainSample& sample);
    /// The profile at every row of the grid, not scaled; `bandwidth` in age units, unused by a
    /// method without one.
    std::vector<double> (*build)(const GrainSample& sample, const AgeGrid& grid, double bandwidth);
};

/// @brief Every method, in the order the dialog lists them.
const std::vector<ProfileMethod>& allProfileMethods();

/// @brief The table row of `kind`.
const ProfileMethod& profileMethod(DensityKind kind);

/// @brief The method kestrel-batch's --profile names by `key`; nullptr for none.
const ProfileMethod* profileMethodByKey(std::string_view key);

/// @brief The method the dialog and the settings file name by `label`; nullptr for none.
const ProfileMethod* profileMethodByLabel(std::string_view label);

/// Which keys profileMethodKeys lists, and how.
enum class ProfileKeys {
    All,             ///< "pdp, kde or adaptive"
    UsingBandwidth,  ///< the methods that use a bandwidth: "kde or adaptive"
    WithNotes,       ///< every key with its batchNote: "pdp (needs uncertainties), kde (...) ..."
};

/// @brief The methods' keys as messages and kestrel-batch's help list them, in table order.
std::string profileMethodKeys(ProfileKeys which = ProfileKeys::All);

}  // namespace kestrel
