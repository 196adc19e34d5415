// Filling both matrix graphs off screen and writing them out.
#include "output/MatrixGraphFiles.h"

#include <qcustomplot.h>

#include <memory>

#include "engine/AtomicFile.h"
#include "engine/MdsStress.h"
#include "engine/comparison/MeasureMatrix.h"
#include "output/GraphImages.h"
#include "output/MatrixHeatMap.h"
#include "output/MdsGraph.h"
#include "output/ShepardPlot.h"

namespace kestrel {
namespace {

constexpr int kWidth = 900, kHeight = 800;

void writeChart(QCustomPlot& chart, const std::string& folder, GraphFormat format) {
    const std::string path = (folder.empty() || folder.back() == '/' ? folder : folder + "/") +
                             chart.objectName().toStdString() + "." + graphFormatSuffix(format);
    if (format != GraphFormat::Png) return exportGraph(chart, path, format);
    const QByteArray png = graphPng(chart, kWidth, kHeight);
    writeFileAtomically(path, std::string_view(png.constData(), static_cast<size_t>(png.size())));
}

}  // namespace

void writeMatrixGraphs(const ProfileMatrix& matrix, const MdsMap& map, const std::string& folder,
                       GraphFormat format) {
    const std::unique_ptr<QCustomPlot> mds(createMdsGraph(nullptr));
    const std::unique_ptr<QCustomPlot> heat(createMatrixHeatMap(nullptr));
    for (QCustomPlot* chart : {mds.get(), heat.get()}) chart->resize(kWidth, kHeight);
    fillMdsGraph(*mds, matrix.names, map);
    fillMatrixHeatMap(*heat, matrix, orderByFirstAxis(map));
    writeChart(*mds, folder, format);
    writeChart(*heat, folder, format);
    if (!map.stress1) return;
    // A map judged by its stress: its Shepard plot too.
    const std::unique_ptr<QCustomPlot> shepard(createShepardPlot(nullptr));
    shepard->resize(kWidth, kHeight);
    const SquareMatrix dissimilarities = dissimilaritiesOf(matrix, matrix.mapMeasure);
    fillShepardPlot(*shepard, shepardData(dissimilarities, map, map.disparities), *map.stress1,
                    !map.disparities.empty());
    writeChart(*shepard, folder, format);
}

}  // namespace kestrel
