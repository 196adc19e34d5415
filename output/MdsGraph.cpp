// Drawing the MDS map with QCustomPlot: a scatter graph, text items for the names and a second
// scatter graph for the marked pair.
#include "output/MdsGraph.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "engine/NumberText.h"
#include "output/GraphNavigation.h"

namespace kestrel {
namespace {

const QColor kPointColour(31, 78, 160);
const QColor kMarkColour(200, 30, 30);

QString axisTitle(int axis, double share) {
    return QString("MDS axis %1 (%2% of the variance)")
        .arg(axis)
        .arg(QString::fromStdString(formatFixed(100.0 * share, 1)));
}

// Equal scales on both axes, so distances on the map are the distances it stands for.
void showWholeMap(QCustomPlot& chart) {
    QCPGraph* points = chart.graph(0);
    bool found = false;
    const QCPRange keys = points->getKeyRange(found);
    const QCPRange values = points->getValueRange(found);
    if (!found) return chart.replot();
    const double half = std::max({keys.size(), values.size(), 1e-6}) * 0.6;
    const QRect area = chart.axisRect()->rect();
    const double aspect =
        area.width() > 0 && area.height() > 0 ? double(area.width()) / area.height() : 1.0;
    const double halfX = aspect >= 1 ? half * aspect : half;
    const double halfY = aspect >= 1 ? half : half / aspect;
    chart.xAxis->setRange(keys.center() - halfX, keys.center() + halfX);
    chart.yAxis->setRange(values.center() - halfY, values.center() + halfY);
    chart.replot();
}

}  // namespace

QCustomPlot* createMdsGraph(QWidget* parent) {
    auto* chart = new QCustomPlot(parent);
    chart->setObjectName("MDS");
    chart->setLocale(QLocale());
    chart->plotLayout()->insertRow(0);
    chart->plotLayout()->addElement(
        0, 0, new QCPTextElement(chart, "MDS map", QFont("sans", 11, QFont::Bold)));
    chart->xAxis->setLabel(axisTitle(1, 0));
    chart->yAxis->setLabel(axisTitle(2, 0));
    QCPGraph* points = chart->addGraph();
    points->setLineStyle(QCPGraph::lsNone);
    points->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssDisc, kPointColour, kPointColour, 8));
    QCPGraph* marks = chart->addGraph();
    marks->setLineStyle(QCPGraph::lsNone);
    marks->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(kMarkColour, 2.5), Qt::NoBrush, 16));
    new GraphNavigation(*chart, [chart] { showWholeMap(*chart); });
    return chart;
}

void fillMdsGraph(QCustomPlot& chart, const std::vector<std::string>& names, const MdsMap& map) {
    chart.clearItems();
    QVector<double> x, y;
    for (size_t i = 0; i < map.points.size(); ++i) {
        x.push_back(map.points[i][0]);
        y.push_back(map.points[i][1]);
        auto* label = new QCPItemText(&chart);
        label->position->setType(QCPItemPosition::ptPlotCoords);
        label->position->setCoords(map.points[i][0], map.points[i][1]);
        label->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
        label->setPadding(QMargins(6, 0, 0, 4));
        label->setText(i < names.size() ? QString::fromStdString(names[i]) : QString());
        label->setClipToAxisRect(true);
    }
    chart.graph(0)->setData(x, y);
    chart.graph(1)->data()->clear();
    chart.xAxis->setLabel(axisTitle(1, map.varianceShare[0]));
    chart.yAxis->setLabel(axisTitle(2, map.varianceShare[1]));
    // The axis rectangle must have its size before equal scales can be set.
    chart.replot();
    showWholeMap(chart);
}

int mdsPointAt(const QCustomPlot& chart, const MdsMap& map, double x, double y, double radius) {
    int nearest = -1;
    double best = radius * radius;
    for (size_t i = 0; i < map.points.size(); ++i) {
        const double dx = chart.xAxis->coordToPixel(map.points[i][0]) - x;
        const double dy = chart.yAxis->coordToPixel(map.points[i][1]) - y;
        const double distance = dx * dx + dy * dy;
        if (distance <= best) {
            best = distance;
            nearest = static_cast<int>(i);
        }
    }
    return nearest;
}

void markMdsPoints(QCustomPlot& chart, const MdsMap& map, const std::vector<int>& selected) {
    QVector<double> x, y;
    for (const int i : selected) {
        if (i < 0 || static_cast<size_t>(i) >= map.points.size()) continue;
        x.push_back(map.points[static_cast<size_t>(i)][0]);
        y.push_back(map.points[static_cast<size_t>(i)][1]);
    }
    chart.graph(1)->setData(x, y);
    chart.replot();
}

}  // namespace kestrel
