// Drawing the MDS map with QCustomPlot: a scatter graph, text items for the names and a second
// scatter graph for the marked pair.
#include "output/MdsGraph.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "engine/NumberText.h"
#include "output/FittedAxisLabels.h"
#include "output/GraphNavigation.h"
#include "output/MapLabels.h"
#include "output/PlotLayout.h"

namespace kestrel {
namespace {

const QColor kPointColour(31, 78, 160);
const QColor kMarkColour(200, 30, 30);
const QColor kNeighbourColour(150, 150, 150);
constexpr int kPointSize = 8;  // pixels across a point's disc

// A nonmetric map (one with disparities) has no variance to share out: its axes share the
// map's own spread.
QString axisTitle(int axis, double share, bool nonmetric) {
    return QString("MDS axis %1 (%2% of the %3)")
        .arg(axis)
        .arg(QString::fromStdString(formatFixed(100.0 * share, 1)))
        .arg(nonmetric ? "map's spread" : "variance");
}

// The title, and shorter ones for a small map.
QStringList axisTitles(int axis, double share, bool nonmetric) {
    const QString percent = QString::fromStdString(formatFixed(100.0 * share, 1));
    return {axisTitle(axis, share, nonmetric), QString("MDS %1 (%2%)").arg(axis).arg(percent),
            QString("MDS %1").arg(axis)};
}

// The whole map with room around it; arrangeMap() then sets both axes to one scale.
void showWholeMap(QCustomPlot& chart) {
    QCPGraph* points = chart.graph(0);
    bool found = false;
    const QCPRange keys = points->getKeyRange(found);
    const QCPRange values = points->getValueRange(found);
    if (!found) return chart.replot();
    const double half = std::max({keys.size(), values.size(), 1e-6}) * 0.6;
    chart.xAxis->setRange(keys.center() - half, keys.center() + half);
    chart.yAxis->setRange(values.center() - half, values.center() + half);
    chart.replot();
}

// Widens the shorter pair of margins so that the plotting area is square.
void squareMargins(QCPAxisRect& rect) {
    const int extra = rect.width() - rect.height();
    QMargins margins = rect.margins();
    if (extra > 0) {
        margins.setLeft(margins.left() + extra / 2);
        margins.setRight(margins.right() + extra - extra / 2);
    } else {
        margins.setTop(margins.top() - extra / 2);
        margins.setBottom(margins.bottom() - extra + extra / 2);
    }
    rect.setMinimumMargins(margins);
}

// A square plotting area and one scale on both axes, so that distances on the map are the
// distances it stands for, whatever the size of the widget or the image. A second pass catches
// tick labels that grew with the new range.
void keepSquare(QCustomPlot& chart) {
    QCPAxisRect& rect = *chart.axisRect();
    rect.setMinimumMargins(QMargins());
    relayout(chart);
    for (int pass = 0; pass < 2; ++pass) {
        squareMargins(rect);
        relayout(chart);
        chart.xAxis->setScaleRatio(chart.yAxis, 1.0);
        relayout(chart);
    }
}

QSizeF labelSize(const QCPItemText& label) {
    const QMargins pad = label.padding();
    return QFontMetrics(label.font())
        .boundingRect(0, 0, 0, 0, Qt::TextDontClip | label.textAlignment(), label.text())
        .size()
        .grownBy(pad);
}

// The point of `box` nearest to `p`.
QPointF nearestOnBox(const QRectF& box, QPointF p) {
    return {std::clamp(p.x(), box.left(), box.right()), std::clamp(p.y(), box.top(), box.bottom())};
}

bool isNeighbourLine(const QCPAbstractItem& item) {
    return item.layer() && item.layer()->name() == kNeighboursLayer;
}

// Labels and leader lines were made in sample order by fillMdsGraph().
void placeNames(QCustomPlot& chart) {
    std::vector<QCPItemText*> labels;
    std::vector<QCPItemLine*> leaders;
    for (int i = 0; i < chart.itemCount(); ++i) {
        if (auto* text = qobject_cast<QCPItemText*>(chart.item(i))) labels.push_back(text);
        auto* line = qobject_cast<QCPItemLine*>(chart.item(i));
        if (line && !isNeighbourLine(*line)) leaders.push_back(line);
    }
    if (labels.size() != leaders.size()) return;
    const QRectF area = chart.axisRect()->rect();
    std::vector<QPointF> points;
    std::vector<QSizeF> sizes;
    for (size_t i = 0; i < labels.size(); ++i) {
        // The label's own position holds the sample's map coordinates.
        const QPointF at(chart.xAxis->coordToPixel(labels[i]->property("mapX").toDouble()),
                         chart.yAxis->coordToPixel(labels[i]->property("mapY").toDouble()));
        points.push_back(at);
        // Points off the zoomed area get no name.
        sizes.push_back(area.contains(at) ? labelSize(*labels[i]) : QSizeF(1e9, 1e9));
    }
    const auto places = placeLabels(points, sizes, area, kPointSize / 2.0);
    for (size_t i = 0; i < labels.size(); ++i) {
        labels[i]->setVisible(places[i].has_value());
        leaders[i]->setVisible(places[i] && places[i]->leader);
        if (!places[i]) continue;
        labels[i]->position->setCoords(places[i]->box.topLeft());
        const QPointF end = nearestOnBox(places[i]->box, points[i]);
        const QPointF toward = end - points[i];
        const double length = std::hypot(toward.x(), toward.y());
        const QPointF start =
            length > 0 ? points[i] + toward * (kPointSize / 2.0 / length) : points[i];
        leaders[i]->start->setCoords(start);
        leaders[i]->end->setCoords(end);
    }
}

void arrangeMap(QCustomPlot& chart) {
    if (chart.graphCount() == 0) return;
    keepSquare(chart);
    placeNames(chart);
}

}  // namespace

QCustomPlot* createMdsGraph(QWidget* parent) {
    auto* chart = new QCustomPlot(parent);
    chart->setObjectName("MDS");
    chart->setLocale(QLocale());
    chart->plotLayout()->insertRow(0);
    chart->plotLayout()->addElement(
        0, 0, new QCPTextElement(chart, "MDS map", QFont("sans", 11, QFont::Bold)));
    chart->xAxis->setLabel(axisTitle(1, 0, false));
    chart->yAxis->setLabel(axisTitle(2, 0, false));
    QCPGraph* points = chart->addGraph();
    points->setLineStyle(QCPGraph::lsNone);
    points->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssDisc, kPointColour, kPointColour, kPointSize));
    QCPGraph* marks = chart->addGraph();
    marks->setLineStyle(QCPGraph::lsNone);
    marks->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(kMarkColour, 2.5), Qt::NoBrush, 16));
    chart->addLayer(kNeighboursLayer, chart->layer("main"), QCustomPlot::limBelow);
    new GraphNavigation(*chart, [chart] { showWholeMap(*chart); });
    // After every layout, for the screen and for images of any size alike.
    QObject::connect(chart, &QCustomPlot::afterLayout, chart, [chart] { arrangeMap(*chart); });
    return chart;
}

void fillMdsGraph(QCustomPlot& chart, const std::vector<std::string>& names, const MdsMap& map) {
    chart.clearItems();
    QVector<double> x, y;
    for (size_t i = 0; i < map.points.size(); ++i) {
        x.push_back(map.points[i][0]);
        y.push_back(map.points[i][1]);
    }
    for (size_t i = 0; i < map.points.size(); ++i) {
        auto* label = new QCPItemText(&chart);
        label->position->setType(QCPItemPosition::ptAbsolute);
        label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setPadding(QMargins(1, 0, 1, 0));
        label->setBrush(QColor(255, 255, 255, 190));
        label->setText(i < names.size() ? QString::fromStdString(names[i]) : QString());
        label->setClipToAxisRect(true);
        // Where its point is; arrangeMap() places the label near it in pixels.
        label->setProperty("mapX", map.points[i][0]);
        label->setProperty("mapY", map.points[i][1]);
    }
    for (size_t i = 0; i < map.points.size(); ++i) {
        auto* leader = new QCPItemLine(&chart);
        leader->start->setType(QCPItemPosition::ptAbsolute);
        leader->end->setType(QCPItemPosition::ptAbsolute);
        leader->setPen(QPen(QColor(110, 110, 110), 1));
        leader->setClipToAxisRect(true);
        leader->setVisible(false);
    }
    chart.graph(0)->setData(x, y);
    chart.graph(1)->data()->clear();
    setFittedLabel(*chart.xAxis, axisTitles(1, map.varianceShare[0], !map.disparities.empty()));
    setFittedLabel(*chart.yAxis, axisTitles(2, map.varianceShare[1], !map.disparities.empty()));
    showWholeMap(chart);
}

int mdsPointAt(const QCustomPlot& chart, const MdsMap& map, double x, double y, double radius) {
    const std::vector<int> near = mdsPointsAt(chart, map, x, y, radius);
    return near.empty() ? -1 : near.front();
}

std::vector<int> mdsPointsAt(const QCustomPlot& chart, const MdsMap& map, double x, double y,
                             double radius) {
    std::vector<std::pair<double, int>> near;
    for (size_t i = 0; i < map.points.size(); ++i) {
        const double dx = chart.xAxis->coordToPixel(map.points[i][0]) - x;
        const double dy = chart.yAxis->coordToPixel(map.points[i][1]) - y;
        const double distance = dx * dx + dy * dy;
        if (distance <= radius * radius) near.emplace_back(distance, static_cast<int>(i));
    }
    std::stable_sort(near.begin(), near.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> samples;
    for (const auto& [distance, sample] : near) samples.push_back(sample);
    return samples;
}

void clearNearestNeighbours(QCustomPlot& chart) {
    std::vector<QCPAbstractItem*> lines;
    for (int i = 0; i < chart.itemCount(); ++i) {
        if (isNeighbourLine(*chart.item(i))) lines.push_back(chart.item(i));
    }
    for (QCPAbstractItem* line : lines) chart.removeItem(line);
}

void drawNearestNeighbours(QCustomPlot& chart, const MdsMap& map,
                           const std::vector<NearestNeighbours>& neighbours) {
    clearNearestNeighbours(chart);
    const auto line = [&](size_t from, int32_t to, Qt::PenStyle style) {
        if (to < 0 || static_cast<size_t>(to) >= map.points.size()) return;
        auto* item = new QCPItemLine(&chart);
        item->setLayer(kNeighboursLayer);
        item->setPen(QPen(kNeighbourColour, 1, style));
        item->setSelectable(false);
        item->start->setCoords(map.points[from][0], map.points[from][1]);
        const auto& end = map.points[static_cast<size_t>(to)];
        item->end->setCoords(end[0], end[1]);
    };
    for (size_t i = 0; i < neighbours.size() && i < map.points.size(); ++i) {
        line(i, neighbours[i].closest, Qt::SolidLine);
        if (neighbours[i].second) line(i, *neighbours[i].second, Qt::DashLine);
    }
    chart.replot();
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
