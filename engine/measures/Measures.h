// The measures samples can be compared by, in one table. Each row says all the program asks of
// a measure: its key and name, its unit, whether it measures likeness (1 for identical samples)
// or distance, its function on two prepared profiles and its function on the age lists of many
// samples (either may be missing), its p-values and their label, and the check that refuses
// samples it has no value for. A new measure is one file in this folder and one row of the
// table.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/density/GrainSample.h"
#include "engine/measures/Measure.h"
#include "engine/measures/PreparedProfile.h"

namespace kestrel {

/// @brief What the measures of one comparison of many samples read, prepared once.
struct MeasuredSamples {
    std::vector<std::string> names;
    /// The samples' grain ages when they are compared by their grains; null for profile columns.
    const std::vector<GrainSample>* grainAges = nullptr;
    /// The profiles (the sheet's columns, or those built from the ages), prepared; empty until a
    /// measure of profiles is asked for.
    std::vector<PreparedProfile> profiles;
    std::vector<double> sortedAges;  ///< the profiles' ages in the order they were prepared in
    bool profileAges = false;        ///< the profiles' ages are known (Age column or grid)
    /// The grains behind each sample, when known: what p-values of profiles need.
    std::optional<std::vector<int32_t>> grains;
};

/// @brief The measure of two profiles over the same rows; `sortedAges` as for Wasserstein-2.
using ProfilePairFunction = double (*)(const PreparedProfile& a, const PreparedProfile& b,
                                       std::span<const double> sortedAges);
/// @brief The p-value of a value of two profiles standing for n1 and n2 grains.
using PValueFunction = double (*)(int64_t n1, int64_t n2, double value);
/// @brief The matrix of every pair of samples of grain ages, with p-values where it has them,
/// the pairs shared among `threads` workers (0: one per core).
using AgesMatrixFunction = MeasureMatrix (*)(const std::vector<GrainSample>& samples,
                                             unsigned threads);
/// @brief Why the measure has no value for these samples (naming the sample), or empty.
using RefusalFunction = std::string (*)(const MeasuredSamples& samples);

struct MeasureInfo {
    Measure measure;
    const char* key;          ///< as kestrel-batch's --measure lists it: "d", "v", "s", ...
    const char* name;         ///< as headings, blocks and sheets show it: "D", "Kuiper V", ...
    const char* description;  ///< as help texts spell it out: "Kolmogorov-Smirnov D", ...
    const char* choice;       ///< as lists to choose from show it: "KS D", "Kuiper V", ...
    const char* unit;         ///< "" for a pure number, else the unit of its values
    bool likeness;            ///< 1 means identical; its maps use 1 - value as the dissimilarity
    const char* pLabel;       ///< the heading of its p-values; null: it has none
    ProfilePairFunction ofProfiles;  ///< null: it has no value for profiles
    PValueFunction pOfProfiles;      ///< null: profiles get no p-values of it
    AgesMatrixFunction ofAges;       ///< null: grain ages are measured by their profiles
    RefusalFunction refuses;         ///< null: it takes every sample its functions take
    bool needsUncertainties;         ///< grain ages need each grain's 1-sigma
};

/// @brief Every measure, the Kolmogorov-Smirnov D first, in the order files and tables list
/// them.
const std::vector<MeasureInfo>& allMeasures();

/// @brief The table entry of `measure`.
const MeasureInfo& measureInfo(Measure measure);

/// @brief The dissimilarity a map uses: the value for a distance, 1 - value for a likeness.
double dissimilarityOf(Measure measure, double value);

/// @brief The measures a list such as "d,v,w2" or "all" names, in table order, each once;
/// throws KestrelError naming a key that is none, and for a list that names none (empty).
std::vector<Measure> parseMeasureList(const std::string& text);

/// @brief The same measures in the order the list names them, each at its first mention; "all"
/// adds those not yet named, in table order.
std::vector<Measure> parseMeasureListAsGiven(const std::string& text);

/// @brief Whether the list says "all" among its keys.
bool measureListSaysAll(const std::string& text);

/// @brief "d, v, s, l, r2, w2, sh": every key, as messages and help texts list them.
std::string measureKeysText(const std::string& lastJoin);

/// @brief Whether samples of grain ages are compared by `measure` through their profiles: it
/// has no function on age lists (Similarity, Likeness, R²).
bool comparesGrainAgesByProfiles(Measure measure);

/// @brief Whether `measure` has a value for these samples at all: a function for their kind
/// (profiles, or grain ages by their grains or profiles) and, where it needs them, every
/// grain's uncertainty. A measure that applies may still refuse a sample (refusalOf).
bool measureApplies(Measure measure, const MeasuredSamples& samples);

/// @brief Why `measure` cannot compare these samples, or empty: it does not apply (naming what
/// it needs), or its check refuses a sample.
std::string refusalOf(Measure measure, const MeasuredSamples& samples);

}  // namespace kestrel
