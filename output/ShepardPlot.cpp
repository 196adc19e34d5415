// Drawing the Shepard plot with QCustomPlot: a scatter graph for the pairs and a line graph for
// the disparities.
#include "output/ShepardPlot.h"

#include <qcustomplot.h>

#include <algorithm>

#include "engine/NumberText.h"
#include "output/GraphNavigation.h"

namespace kestrel {
namespace {

const QColor kPointColour(31, 78, 160);
const QColor kFitColour(200, 30, 30);

QString titleText(double stress) {
    // Two lines: the plot often shares a narrow panel.
    return QString("Shepard plot\nstress-1 = %1")
        .arg(QString::fromStdString(formatFixed(stress, 4)));
}

QCPTextElement* title(QCustomPlot& chart) {
    return qobject_cast<QCPTextElement*>(chart.plotLayout()->element(0, 0));
}

// Both axes from 0 (a dissimilarity or a distance is not negative) to a little past the data.
void showWholePlot(QCustomPlot& chart) {
    bool found = false;
    const QCPRange keys = chart.graph(0)->getKeyRange(found);
    const QCPRange values = chart.graph(0)->getValueRange(found);
    if (!found) return chart.replot();
    chart.xAxis->setRange(std::min(0.0, keys.lower), std::max(keys.upper * 1.05, 1e-9));
    chart.yAxis->setRange(std::min(0.0, values.lower), std::max(values.upper * 1.05, 1e-9));
    chart.replot();
}

}  // namespace

QCustomPlot* createShepardPlot(QWidget* parent) {
    auto* chart = new QCustomPlot(parent);
    chart->setObjectName("Shepard");
    chart->setLocale(QLocale());
    chart->plotLayout()->insertRow(0);
    chart->plotLayout()->addElement(
        0, 0, new QCPTextElement(chart, "Shepard plot", QFont("sans", 11, QFont::Bold)));
    chart->xAxis->setLabel("Dissimilarity");
    chart->yAxis->setLabel("Map distance");
    QCPGraph* pairs = chart->addGraph();
    pairs->setName("Pairs");
    pairs->setLineStyle(QCPGraph::lsNone);
    pairs->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, kPointColour, kPointColour, 4));
    QCPGraph* fit = chart->addGraph();
    fit->setName("Disparities");
    fit->setPen(QPen(kFitColour, 1.5));
    // A step function: each disparity holds until the next dissimilarity.
    fit->setLineStyle(QCPGraph::lsStepLeft);
    new GraphNavigation(*chart, [chart] { showWholePlot(*chart); });
    return chart;
}

void fillShepardPlot(QCustomPlot& chart, const ShepardData& data, double stress, bool nonmetric) {
    QVector<double> dissimilarities, distances, disparities;
    for (const ShepardPair& pair : data.pairs) {
        dissimilarities.push_back(pair.dissimilarity);
        distances.push_back(pair.distance);
        disparities.push_back(pair.disparity);
    }
    // Already in order of dissimilarity; kept as given so that ties draw as vertical steps.
    chart.graph(0)->setData(dissimilarities, distances, true);
    if (nonmetric) {
        chart.graph(1)->setData(dissimilarities, disparities, true);
    } else {
        chart.graph(1)->data()->clear();
    }
    if (QCPTextElement* text = title(chart)) text->setText(titleText(stress));
    showWholePlot(chart);
}

}  // namespace kestrel
