// Comparing many samples at once, the one way every caller does it: every pair by the measures
// asked for, in the caller's order, then the map of the first measure and, when asked, the map
// judged by its stress-1 and each sample's nearest neighbours.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/NearestNeighbours.h"
#include "engine/comparison/ProfileMatrix.h"
#include "engine/density/GrainSample.h"

namespace kestrel {

enum class MapKind { Classical, Nonmetric };

/// @brief What to compare and how. Give either profile columns or grain ages (with their
/// profiles over one grid when a measure of profiles is asked for).
struct ComparisonRequest {
    const ProfileSamples* profileColumns = nullptr;
    const std::vector<GrainSample>* grainAges = nullptr;
    const std::vector<double>* gridAges = nullptr;                    // with grainAges
    const std::vector<std::vector<double>>* grainProfiles = nullptr;  // with grainAges
    /// The measures in the order the user named them; the first is mapped. The samples' own
    /// first measures (D; for grain ages D and Kuiper's V) are always computed.
    std::vector<Measure> measures{Measure::KsD};
    /// Measures that have no value for this kind of sample (of profiles only, or needing
    /// uncertainties the ages lack) are left out without a word: what "all" asks for.
    bool onlyThoseThatApply = false;
    /// Measures whose check refuses the samples are left out too, each with its reason in
    /// SampleComparison::leftOutNote, instead of refusing the comparison.
    bool leaveOutRefused = false;
    /// Absent: the classical map alone, unjudged. Else that kind of map with its stress-1 and
    /// the samples' nearest neighbours.
    std::optional<MapKind> judgedMap;
    unsigned threads = 0;  ///< 0: one per core
};

struct SampleComparison {
    ProfileMatrix matrix;  ///< mapMeasure is the first measure computed of those asked for
    MdsMap map;
    bool nonmetric = false;  ///< the map is the nonmetric one
    int32_t iterations = 0;  ///< the nonmetric map's steps
    bool collapsed = false;  ///< a nonmetric map that collapsed its groups to points
    /// With a judged map: each sample's two nearest by the mapped dissimilarities.
    std::vector<NearestNeighbours> neighbours;
    /// "W2 is not offered (...)." for each measure left out by leaveOutRefused; else empty.
    std::string leftOutNote;
};

/// @brief Compares every pair of the samples. Throws KestrelError as compareAllPairs,
/// compareAllGrainPairs, the measures' checks (refusalOf) and classicalMds do.
SampleComparison compareSamples(const ComparisonRequest& request);

}  // namespace kestrel
