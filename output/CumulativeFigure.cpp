// The cumulative figure: every sample's empirical cumulative distribution as a step line, with
// the Dvoretzky-Kiefer-Wolfowitz 95% band of the samples chosen.
#include <qcustomplot.h>

#include <algorithm>
#include <limits>

#include "engine/figures/CumulativeBand.h"
#include "output/FigureSamples.h"
#include "output/FilledShape.h"
#include "output/SamplePalette.h"

namespace kestrel {
namespace {

constexpr size_t kMostInLegend = 30;
constexpr size_t kOneColumnLegend = 12;

// The steps as a polyline: flat from each age to the next, rising at each.
std::vector<QPointF> stepLine(const CumulativeSteps& steps, double offset, double low,
                              double high) {
    std::vector<QPointF> line;
    double share = 0.0;
    line.emplace_back(low, std::clamp(share + offset, 0.0, 1.0));
    for (size_t i = 0; i < steps.ages.size(); ++i) {
        line.emplace_back(steps.ages[i], std::clamp(share + offset, 0.0, 1.0));
        share = steps.shares[i];
        line.emplace_back(steps.ages[i], std::clamp(share + offset, 0.0, 1.0));
    }
    line.emplace_back(high, std::clamp(share + offset, 0.0, 1.0));
    return line;
}

void addBand(QCustomPlot& chart, const CumulativeSteps& steps, double halfWidth, double low,
             double high, QColor colour) {
    std::vector<QPointF> outline = stepLine(steps, halfWidth, low, high);
    const std::vector<QPointF> lower = stepLine(steps, -halfWidth, low, high);
    outline.insert(outline.end(), lower.rbegin(), lower.rend());
    auto* band = new FilledShape(chart.xAxis, chart.yAxis);
    band->setOutline(std::move(outline));
    band->setPen(Qt::NoPen);
    colour.setAlpha(50);
    band->setBrush(colour);
}

void addCurve(QCustomPlot& chart, const FigureSample& sample, const CumulativeSteps& steps,
              double low, double high) {
    const std::vector<QPointF> line = stepLine(steps, 0.0, low, high);
    QVector<double> keys, values;
    keys.reserve(static_cast<qsizetype>(line.size()));
    values.reserve(static_cast<qsizetype>(line.size()));
    for (const QPointF& point : line) {
        keys << point.x();
        values << point.y();
    }
    QCPGraph* graph = chart.addGraph();
    graph->setAdaptiveSampling(false);
    graph->setData(keys, values, true);
    graph->setPen(QPen(sampleColour(sample.colour), 1.4, sampleLineStyle(sample.colour)));
    graph->setName(sample.name);
    graph->addToLegend();
}

}  // namespace

void fillCumulativeFigure(QCustomPlot& chart, const std::vector<FigureSample>& samples,
                          const std::vector<bool>& withBand, const FigureStyle& style) {
    chart.clearPlottables();
    chart.clearItems();
    chart.setAutoAddPlottableToLegend(false);
    chart.setBackground(Qt::white);
    chart.axisRect()->setAutoMargins(QCP::msAll);
    chart.yAxis->setVisible(true);
    double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
    for (const FigureSample& sample : samples) {
        for (double age : sample.ages) {
            if (style.logAge && !(age > 0)) continue;
            low = std::min(low, age);
            high = std::max(high, age);
        }
    }
    if (!(low <= high)) return;
    if (low == high) high = low + 1.0;
    chart.xAxis->setLabel("Age");
    chart.yAxis->setLabel("Cumulative proportion of grains");
    for (QCPAxis* axis : {chart.xAxis, chart.yAxis}) {
        axis->setLabelFont(figureFont(style));
        axis->setTickLabelFont(figureFont(style));
        axis->grid()->setVisible(true);
    }
    if (style.logAge) {
        chart.xAxis->setScaleType(QCPAxis::stLogarithmic);
        chart.xAxis->setTicker(QSharedPointer<QCPAxisTickerLog>::create());
    } else {
        chart.xAxis->setScaleType(QCPAxis::stLinear);
        chart.xAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    }
    const double margin = style.logAge ? 0.0 : (high - low) * 0.02;
    const double from = style.logAge ? low / 1.05 : low - margin;
    const double to = style.logAge ? high * 1.05 : high + margin;
    chart.xAxis->setRange(from, to);
    chart.yAxis->setRange(0.0, 1.0);
    for (size_t s = 0; s < samples.size(); ++s) {
        const CumulativeSteps steps = cumulativeSteps(samples[s].ages);
        if (steps.ages.empty()) continue;
        if (s < withBand.size() && withBand[s]) {
            addBand(chart, steps, dkwHalfWidth(static_cast<int>(samples[s].ages.size())), from, to,
                    sampleColour(samples[s].colour));
        }
        addCurve(chart, samples[s], steps, from, to);
    }
    chart.legend->setVisible(samples.size() <= kMostInLegend);
    chart.legend->setFont(figureFont(style));
    // Past a dozen samples the names go two to a row, so the legend stays as tall as the axes.
    const bool twoColumns = samples.size() > kOneColumnLegend;
    chart.legend->setWrap(twoColumns ? 2 : 0);
    chart.legend->setFillOrder(twoColumns ? QCPLegend::foColumnsFirst : QCPLegend::foRowsFirst,
                               true);
    chart.legend->setRowSpacing(0);
    // The legend beside the curves, where it hides none of them.
    if (chart.legend->visible() && chart.plotLayout()->columnCount() == 1) {
        chart.plotLayout()->addElement(0, 1, chart.legend);
        chart.plotLayout()->setColumnStretchFactor(1, 0.001);
        chart.legend->setMargins(QMargins(4, 4, 4, 4));
        chart.plotLayout()->setMargins(QMargins(0, 0, 3, 3));  // the legend's frame in view
    }
}

}  // namespace kestrel
