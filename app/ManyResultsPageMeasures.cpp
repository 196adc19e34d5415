// Adding every measure to the page's matrix and computing the map of the chosen one.
#include "app/ManyResultsPageMeasures.h"

#include <algorithm>

#include "engine/KestrelError.h"
#include "engine/MeasureMatrix.h"
#include "engine/NonmetricMds.h"
#include "engine/measures/Measures.h"

namespace kestrel {

QString addEveryMeasure(ProfileMatrix& matrix, const AddMeasures& add) {
    std::vector<Measure> measures = parseMeasureList("all");
    const auto before = static_cast<std::ptrdiff_t>(matrix.measures.size());
    try {
        add(matrix, measures);
        return {};
    } catch (const KestrelError& error) {
        // W2 is the only measure that refuses samples the others take; any other error comes
        // back from the second attempt.
        matrix.measures.erase(matrix.measures.begin() + before, matrix.measures.end());
        std::erase(measures, Measure::Wasserstein2);
        add(matrix, measures);
        return QString("W2 is not offered (%1).").arg(QString::fromUtf8(error.what()));
    }
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
