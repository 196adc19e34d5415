// The measures two profiles can be compared by, in one table: each measure's key, its name,
// whether it measures likeness (1 for identical profiles) or distance, and its function on two
// prepared profiles. A new measure is one file in this folder and one line of the table.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "engine/ProfileMatrix.h"
#include "engine/measures/PreparedProfile.h"

namespace kestrel {

// enum class Measure is declared with the matrix that holds the measures (ProfileMatrix.h).

struct MeasureInfo {
    Measure measure;
    const char* key;   ///< as kestrel-batch's --measure lists it: "d", "v", "s", "l", "r2", "w2"
    const char* name;  ///< as headings show it: "D", "Kuiper V", "Similarity", ...
    bool likeness;     ///< 1 means identical; its maps use 1 - value as the dissimilarity
    /// The measure of two profiles over the same rows; `sortedAges` as for Wasserstein-2.
    double (*ofProfiles)(const PreparedProfile& a, const PreparedProfile& b,
                         std::span<const double> sortedAges);
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

}  // namespace kestrel
