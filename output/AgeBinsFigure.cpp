// The age-bins figure: each sample's shares of grains per age bin as one horizontal stacked
// bar, the bins coloured young (dark) to old (light).
#include <qcustomplot.h>

#include <QFontMetrics>

#include "engine/figures/AgeBins.h"
#include "output/FigureSamples.h"
#include "output/SamplePalette.h"

namespace kestrel {
int ageBinsFigureHeight(size_t rows, const FigureStyle& style) {
    const int line = QFontMetrics(figureFont(style)).height();
    return static_cast<int>(rows) * 2 * line + 8 * line;
}

void fillAgeBinsFigure(QCustomPlot& chart, const std::vector<FigureSample>& rows,
                       const std::vector<double>& edges, const FigureStyle& style) {
    chart.clearPlottables();
    chart.clearItems();
    chart.setAutoAddPlottableToLegend(false);
    chart.setBackground(Qt::white);
    chart.axisRect()->setAutoMargins(QCP::msAll);
    chart.xAxis->setScaleType(QCPAxis::stLinear);
    chart.xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    chart.xAxis->setLabel("Grains in the bin (% of the sample's grains)");
    chart.xAxis->setRange(0.0, 100.0);
    chart.yAxis->setVisible(true);
    chart.yAxis->setLabel(QString());
    auto names = QSharedPointer<QCPAxisTickerText>::create();
    for (size_t r = 0; r < rows.size(); ++r)
        names->addTick(static_cast<double>(rows.size() - 1 - r), rows[r].name);
    chart.yAxis->setTicker(names);
    chart.yAxis->setRange(-0.6, static_cast<double>(rows.size()) - 0.4);
    chart.yAxis->grid()->setVisible(false);
    for (QCPAxis* axis : {chart.xAxis, chart.yAxis}) {
        axis->setLabelFont(figureFont(style));
        axis->setTickLabelFont(figureFont(style));
    }
    if (edges.size() < 2) return;
    std::vector<BinCounts> counts;
    for (const FigureSample& sample : rows) counts.push_back(countInBins(sample.ages, edges));
    QCPBars* below = nullptr;
    const size_t bins = edges.size() - 1;
    for (size_t b = 0; b < bins; ++b) {
        auto* bars = new QCPBars(chart.yAxis, chart.xAxis);
        bars->setName(QString::fromStdString(binLabel(edges[b], edges[b + 1])));
        bars->setWidth(0.7);
        const QColor colour = orderedColour(b, bins);
        bars->setBrush(colour);
        bars->setPen(QPen(colour.darker(120), 1.0));
        bars->addToLegend();
        for (size_t r = 0; r < rows.size(); ++r) {
            const BinCounts& c = counts[r];
            const double share = c.grains > 0 ? 100.0 * c.counts[b] / c.grains : 0.0;
            bars->addData(static_cast<double>(rows.size() - 1 - r), share);
        }
        if (below) bars->moveAbove(below);
        below = bars;
    }
    chart.legend->setVisible(true);
    chart.legend->setFont(figureFont(style));
    chart.legend->setFillOrder(QCPLegend::foColumnsFirst);
    chart.legend->setWrap(static_cast<int>(std::min<size_t>(bins, 8)));
    // The legend below the bars, across the figure.
    if (chart.plotLayout()->rowCount() == 1) {
        chart.plotLayout()->addElement(1, 0, chart.legend);
        chart.plotLayout()->setRowStretchFactor(1, 0.001);
    }
}

}  // namespace kestrel
