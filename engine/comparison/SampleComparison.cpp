// The one way many samples are compared.
#include "engine/comparison/SampleComparison.h"

#include <algorithm>

#include "engine/KestrelError.h"
#include "engine/MdsStress.h"
#include "engine/NonmetricMds.h"
#include "engine/comparison/MeasureMatrix.h"
#include "engine/measures/GrainMatrix.h"

namespace kestrel {
namespace {

// The samples' own first measures, then what was asked.
ProfileMatrix firstMeasures(const ComparisonRequest& request) {
    if (request.profileColumns) return compareAllPairs(*request.profileColumns, request.threads);
    if (request.grainAges) return compareAllGrainPairs(*request.grainAges, request.threads);
    throw KestrelError("Give the samples to compare");
}

MeasuredSamples measuredOf(const ComparisonRequest& request, const ProfileMatrix& first) {
    if (request.profileColumns) {
        // Profiles are prepared only when a measure of profiles is asked for.
        const bool prepare = std::any_of(request.measures.begin(), request.measures.end(),
                                         [&](Measure m) { return !first.find(m); });
        return measuredProfiles(*request.profileColumns, prepare, request.threads);
    }
    static const std::vector<double> noGrid;
    static const std::vector<std::vector<double>> noProfiles;
    return measuredGrainAges(*request.grainAges, request.gridAges ? *request.gridAges : noGrid,
                             request.grainProfiles ? *request.grainProfiles : noProfiles,
                             request.threads);
}

// The measures asked for less those the request leaves out; their reasons to `note`.
std::vector<Measure> measuresKept(const ComparisonRequest& request, const MeasuredSamples& samples,
                                  std::string& note) {
    std::vector<Measure> kept;
    for (const Measure measure : request.measures) {
        if (request.onlyThoseThatApply && !measureApplies(measure, samples)) continue;
        if (request.leaveOutRefused) {
            if (const std::string refusal = refusalOf(measure, samples); !refusal.empty()) {
                if (!note.empty()) note += ' ';
                note +=
                    std::string(measureInfo(measure).name) + " is not offered (" + refusal + ").";
                continue;
            }
        }
        kept.push_back(measure);
    }
    return kept;
}

void drawMap(SampleComparison& comparison, const std::optional<MapKind>& kind) {
    const ProfileMatrix& matrix = comparison.matrix;
    const SquareMatrix dissimilarities = dissimilaritiesOf(matrix, matrix.mapMeasure);
    comparison.map = classicalMds(dissimilarities);
    if (!kind) return;
    const bool nonmetric = *kind == MapKind::Nonmetric;
    comparison.nonmetric = nonmetric;
    comparison.map = judgedMap(dissimilarities, comparison.map, nonmetric, &comparison.iterations);
    comparison.collapsed = nonmetric && collapsedMap(comparison.map, *comparison.map.stress1);
    comparison.neighbours = nearestNeighbours(dissimilarities);
}

}  // namespace

SampleComparison compareSamples(const ComparisonRequest& request) {
    SampleComparison comparison;
    comparison.matrix = firstMeasures(request);
    const MeasuredSamples samples = measuredOf(request, comparison.matrix);
    const std::vector<Measure> kept = measuresKept(request, samples, comparison.leftOutNote);
    addMeasures(comparison.matrix, samples, kept, request.threads);
    if (!kept.empty()) comparison.matrix.mapMeasure = kept.front();
    drawMap(comparison, request.judgedMap);
    return comparison;
}

}  // namespace kestrel
