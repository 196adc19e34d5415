// Drawing the heat map with QCustomPlot's colour map and colour scale.
#include "output/MatrixHeatMap.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "engine/comparison/MeasureMatrix.h"
#include "output/FittedAxisLabels.h"
#include "output/GraphNavigation.h"
#include "output/PlotLayout.h"

namespace kestrel {
namespace {

const QString kPairMarkName = QStringLiteral("ChosenPair");
const QColor kPairMarkColour(0, 200, 255);  // stands out from every colour of the thermal scale
const char* const kNamesProperty = "sampleNames";  // the names in heat map order
const char* const kStepProperty = "nameStep";      // every n-th name is on the axes

QCPColorMap* colourMapOf(QCustomPlot& chart) {
    return qobject_cast<QCPColorMap*>(chart.plottable(0));
}

// Names on both axes: every one while a line of text fits each row, else every n-th so that
// labels never overlap. Run after each layout, as the room per row depends on the size.
void showNamesThatFit(QCustomPlot& chart) {
    const QStringList names = chart.property(kNamesProperty).toStringList();
    const int rows = static_cast<int>(names.size());
    const int side = std::min(chart.axisRect()->width(), chart.axisRect()->height());
    if (rows == 0 || side <= 0) return;
    const int line = QFontMetrics(chart.yAxis->tickLabelFont()).height() + 1;
    const int step = std::max(1, (rows * line + side - 1) / side);
    if (chart.property(kStepProperty).toInt() == step) return;
    chart.setProperty(kStepProperty, step);
    QSharedPointer<QCPAxisTickerText> ticker(new QCPAxisTickerText);
    for (int i = 0; i < rows; i += step) ticker->addTick(i, names[i]);
    chart.xAxis->setTicker(ticker);
    chart.yAxis->setTicker(ticker);
    relayout(chart);
}

// Every D of a study is often below 0.5: the colours spread over 0 to the largest D, and the
// scale says so.
void showScaleToLargest(QCPColorMap& map, const SquareMatrix& values, const QString& label,
                        const std::vector<int32_t>& order) {
    double largest = 0;
    for (const int32_t row : order) {
        for (const int32_t col : order) largest = std::max(largest, values.at(row, col));
    }
    map.setDataRange(QCPRange(0, largest > 0 ? largest : 1));
    if (map.colorScale()) {
        const QString top = QLocale().toString(largest, 'f', 4);
        setFittedLabel(*map.colorScale()->axis(),
                       {QString("%1, from 0 to the largest (%2)").arg(label, top),
                        QString("%1 (0 to %2)").arg(label, top), label});
    }
}

// What the heat map shows of a matrix: D, or the dissimilarities of the map's measure.
QString shownLabel(const ProfileMatrix& matrix) {
    const MeasureInfo& info = measureInfo(matrix.mapMeasure);
    return info.likeness ? QString("1 - %1").arg(QString::fromUtf8(info.name))
                         : QString::fromUtf8(info.name);
}

// Every cell whole: the cell centres run 0 to k - 1, the cells half a unit either side.
void showWholeMatrix(QCustomPlot& chart) {
    const int k = colourMapOf(chart)->data()->keySize();
    const QCPRange whole(-0.5, std::max(k, 1) - 0.5);
    chart.xAxis->setRange(whole);
    chart.yAxis->setRange(whole);
}

}  // namespace

QCustomPlot* createMatrixHeatMap(QWidget* parent) {
    auto* chart = new QCustomPlot(parent);
    chart->setObjectName("Matrix");
    chart->setLocale(QLocale());
    chart->plotLayout()->insertRow(0);
    chart->plotLayout()->addElement(
        0, 0, new QCPTextElement(chart, "D (MDS axis 1 order)", QFont("sans", 11, QFont::Bold)));
    auto* map = new QCPColorMap(chart->xAxis, chart->yAxis);
    map->setInterpolate(false);
    auto* scale = new QCPColorScale(chart);
    chart->plotLayout()->addElement(1, 1, scale);
    scale->setLabel("D");
    map->setColorScale(scale);
    QCPColorGradient gradient(QCPColorGradient::gpThermal);
    gradient.setLevelCount(256);
    map->setGradient(gradient);
    map->setDataRange(QCPRange(0, 1));  // until filled: then 0 to the largest D
    auto* margins = new QCPMarginGroup(chart);
    chart->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
    scale->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
    chart->yAxis->setRangeReversed(true);  // the first sample at the top
    chart->xAxis->setTickLabelRotation(60);
    for (QCPAxis* axis : {chart->xAxis, chart->yAxis}) {
        axis->setSubTicks(false);
        axis->grid()->setVisible(false);
    }
    QObject::connect(chart, &QCustomPlot::afterLayout, chart,
                     [chart] { showNamesThatFit(*chart); });
    new GraphNavigation(*chart, [chart] {
        showWholeMatrix(*chart);
        chart->replot();
    });
    return chart;
}

void fillMatrixHeatMap(QCustomPlot& chart, const ProfileMatrix& matrix,
                       const std::vector<int32_t>& order) {
    QCPColorMap* map = colourMapOf(chart);
    const SquareMatrix values = dissimilaritiesOf(matrix, matrix.mapMeasure);
    const QString label = shownLabel(matrix);
    if (auto* title = qobject_cast<QCPTextElement*>(chart.plotLayout()->element(0, 0))) {
        // The first measure's (D's) title as it always was; the others' longer names get a line
        // of their own.
        const bool first = matrix.mapMeasure == matrix.measures.front().measure;
        title->setText(label + (first ? " " : "\n") + "(MDS axis 1 order)");
    }
    const int k = static_cast<int>(order.size());
    map->data()->setSize(k, k);
    map->data()->setRange(QCPRange(0, std::max(k - 1, 1)), QCPRange(0, std::max(k - 1, 1)));
    for (int col = 0; col < k; ++col) {
        for (int row = 0; row < k; ++row) {
            map->data()->setCell(
                col, row,
                values.at(order[static_cast<size_t>(row)], order[static_cast<size_t>(col)]));
        }
    }
    showScaleToLargest(*map, values, label, order);
    QStringList names;
    for (const int32_t sample : order)
        names << QString::fromStdString(matrix.names[static_cast<size_t>(sample)]);
    chart.setProperty(kNamesProperty, names);
    chart.setProperty(kStepProperty, 0);
    showWholeMatrix(chart);
    chart.replot();
}

void markMatrixPair(QCustomPlot& chart, const std::vector<int32_t>& order,
                    const std::vector<int>& selected) {
    for (int i = chart.itemCount() - 1; i >= 0; --i) {
        if (chart.item(i)->objectName() == kPairMarkName) chart.removeItem(i);
    }
    if (selected.size() == 2) {
        const auto place = [&](int sample) {
            return static_cast<double>(std::find(order.begin(), order.end(), sample) -
                                       order.begin());
        };
        const double a = place(selected[0]), b = place(selected[1]);
        for (const auto& [col, row] : {std::pair(a, b), std::pair(b, a)}) {
            // A dark band under a bright one: the frame shows on pale and dark cells alike.
            for (const QPen& pen : {QPen(Qt::black, 5), QPen(kPairMarkColour, 2.5)}) {
                auto* mark = new QCPItemRect(&chart);
                mark->setObjectName(kPairMarkName);
                mark->topLeft->setCoords(col - 0.5, row - 0.5);
                mark->bottomRight->setCoords(col + 0.5, row + 0.5);
                mark->setPen(pen);
                // Unclipped: a cell at the edge keeps the whole of its frame.
                mark->setClipToAxisRect(false);
            }
        }
    }
    chart.replot();
}

std::pair<int, int> heatMapPairAt(const QCustomPlot& chart, const std::vector<int32_t>& order,
                                  double x, double y) {
    const int k = static_cast<int>(order.size());
    const int col = static_cast<int>(std::lround(chart.xAxis->pixelToCoord(x)));
    const int row = static_cast<int>(std::lround(chart.yAxis->pixelToCoord(y)));
    if (col < 0 || row < 0 || col >= k || row >= k ||
        !chart.axisRect()->rect().contains(QPoint(int(x), int(y)))) {
        return {-1, -1};
    }
    return {order[static_cast<size_t>(row)], order[static_cast<size_t>(col)]};
}

}  // namespace kestrel
