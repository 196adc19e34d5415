// How young a deposit can be, from the ages of its youngest detrital grains: every estimator of
// the maximum depositional age the field uses, in one table, and the runner that applies the
// chosen ones to one sample or to every sample of a workbook.
//
// The estimators are compared by G. R. Sharman and M. A. Malkowski (2020), "Needles in a
// haystack: detrital zircon U-Pb ages and the maximum depositional age of modern global
// sediment", Earth-Science Reviews 203, 103109, and by D. J. Coutts, W. J. Matthews and
// S. M. Hubbard (2019), "Assessment of widely used methods to derive depositional ages from
// detrital zircon populations", Geoscience Frontiers 10, 1421-1435. Each has a file of its own
// in this folder, its paper in its header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/density/GrainSample.h"

namespace kestrel {

/// The estimators, in the order every table and file lists them.
enum class DepositionalMethod { Ysg, Yc1s, Yc2s, Y3za, Y3zo, Ysp, Ypp, Tau, Ydz, Mla };

/// What the estimators may be told.
struct DepositionalOptions {
    uint64_t seed = 1;      ///< YDZ's draws: the same seed gives the same draws everywhere
    int draws = 10000;      ///< YDZ's number of draws
    int mlaParameters = 3;  ///< 3: the minimum age model with mu = gamma; 4: its own mu
};

/// @brief One estimate of one sample. `age` is empty when the method finds nothing, and
/// `reason` then says why ("no cluster of three grains overlapping at 2 sigma"); `minus` and
/// `plus` are the 95% interval below and above the age, in age units (empty when the method
/// gives none), `mswd` the weighted mean's MSWD where there is one, `used` the grains used.
/// `degenerate` marks a maximum-likelihood fit that lies on a bound of its parameters
/// (sigma -> 0 or pi -> 1), `reason` saying so in words while `age` keeps the number.
struct DepositionalEstimate {
    DepositionalMethod method = DepositionalMethod::Ysg;
    std::optional<double> age;
    std::optional<double> minus;
    std::optional<double> plus;
    std::optional<double> mswd;
    size_t used = 0;
    bool degenerate = false;
    std::string reason;
};

/// One row of the table of estimators.
struct DepositionalMethodInfo {
    DepositionalMethod method;
    const char* key;          ///< as kestrel-batch's --mda-methods spells it: "ysg", "yc1s", ...
    const char* name;         ///< as files and tables show it: "YSG", "YC1s(2+)", "Tau", "MLA"
    const char* description;  ///< one sentence, for tooltips and help
    /// The estimate of one sample whose grains have passed checkDepositionalSample.
    DepositionalEstimate (*estimate)(const GrainSample& sample, const DepositionalOptions& options);
};

/// @brief Every estimator, in the order of DepositionalMethod.
const std::vector<DepositionalMethodInfo>& allDepositionalMethods();

/// @brief Every estimator's enumeration value, in table order.
std::vector<DepositionalMethod> everyDepositionalMethod();

/// @brief The table row of `method`.
const DepositionalMethodInfo& depositionalMethod(DepositionalMethod method);

/// @brief The method named by `key` (kestrel-batch) or by `name` (files, settings), any case;
/// nullptr for none.
const DepositionalMethodInfo* depositionalMethodByKey(std::string_view keyOrName);

/// @brief The keys as messages and help list them: "ysg, yc1s, ..., ydz or mla".
std::string depositionalMethodKeys();

/// @brief Throws KestrelError naming the sample unless every grain has an age and a 1-sigma
/// uncertainty, all finite, ages above 0 and uncertainties above 0, and it has at least two
/// grains ("a sample of one grain").
void checkDepositionalSample(const GrainSample& sample);

/// @brief The samples split by checkDepositionalSample: those it takes, in order, and the
/// others' names with its message.
struct EstimableSamples {
    std::vector<GrainSample> samples;
    std::vector<std::pair<std::string, std::string>> refused;  // name, reason
};
EstimableSamples estimableSamples(std::vector<GrainSample> samples);

/// @brief The estimates of `methods` (in their order) for one checked sample.
std::vector<DepositionalEstimate> estimateDepositionalAges(
    const GrainSample& sample, const std::vector<DepositionalMethod>& methods,
    const DepositionalOptions& options);

/// @brief Every sample's estimates, samples spread over the cores; each sample is checked first
/// and the first that fails throws.
std::vector<std::vector<DepositionalEstimate>> estimateDepositionalAgesOfSamples(
    const std::vector<GrainSample>& samples, const std::vector<DepositionalMethod>& methods,
    const DepositionalOptions& options);

}  // namespace kestrel
