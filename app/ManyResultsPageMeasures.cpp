// Adding every measure to the page's matrix and computing the map of the chosen one.
#include "app/ManyResultsPageMeasures.h"

#include "engine/NonmetricMds.h"
#include "engine/comparison/MeasureMatrix.h"
#include "engine/measures/Measures.h"

namespace kestrel {

SampleComparison compareForThePage(ComparisonRequest request) {
    request.measures = parseMeasureList("all");
    request.onlyThoseThatApply = true;
    request.leaveOutRefused = true;
    request.judgedMap.reset();
    return compareSamples(request);
}

ManyMapView classicalMapView(const ProfileMatrix& matrix, Measure measure, const MdsMap* known) {
    ManyMapView view;
    view.measure = measure;
    view.dissimilarities = dissimilaritiesOf(matrix, measure);
    view.classical = known ? *known : classicalMds(view.dissimilarities);
    view.map = judgedMap(view.dissimilarities, view.classical, false);
    view.neighbours = nearestNeighbours(view.dissimilarities);
    return view;
}

void showNonmetric(ManyMapView& view, bool nonmetric) {
    if (view.nonmetric == nonmetric) return;
    view.map = judgedMap(view.dissimilarities, view.classical, nonmetric);
    view.nonmetric = nonmetric;
}

ShepardData shepardDataOf(const ManyMapView& view) {
    return shepardData(view.dissimilarities, view.map, view.map.disparities);
}

}  // namespace kestrel
