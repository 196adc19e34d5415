// Set-up of the two probability graphs: axes, six series, legend, navigation; and their fill.
#include "output/ProbabilityGraphs.h"

#include <algorithm>
#include <array>
#include <exception>

#include "engine/KestrelError.h"
#include "output/GraphNavigation.h"
#include "output/NumberPatternTicker.h"

namespace kestrel {

namespace {

const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 128, 0);
const QColor kPurple(128, 0, 128);
const QColor kGray(128, 128, 128);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

constexpr int kSeriesCount = 6;
constexpr int kFilledSeries = 4;
constexpr int kClearedSeries = 5;

struct SeriesLook {
    const char* component;
    const char* title;
    QColor colour;
    Qt::PenStyle style;
    int width;
    bool onTopAxis;    // else bottom
    bool onRightAxis;  // else left
};

using GraphLook = std::array<SeriesLook, kSeriesCount>;

GraphLook cumulativeGraphLook() {
    return {{{"Series1", "Curve 1", kBlue, Qt::DotLine, 1, false, false},
             {"Series2", "Curve 2", kGreen, Qt::SolidLine, 1, false, false},
             {"Series3", "Difference", kPurple, Qt::DashLine, 2, true, false},
             {"Series5", "Difference (W)", kGray, Qt::SolidLine, 2, false, false},
             {"Series6", "K-S > critical", kPurple, Qt::SolidLine, 2, false, false},
             {"Series4", "K-S > critical (W)", kRed, Qt::SolidLine, 3, true, false}}};
}

GraphLook probabilityGraphLook() {
    return {{{"LineSeries1", "Curve 1", kBlue, Qt::DotLine, 1, false, true},
             {"LineSeries2", "Curve 2", kGreen, Qt::SolidLine, 1, false, true},
             {"LineSeries3", "Difference", kPurple, Qt::DashLine, 2, true, false},
             {"LineSeries4", "Difference (W)", kGray, Qt::SolidLine, 2, false, false},
             {"Series7", "K-S > critical", kPurple, Qt::SolidLine, 2, false, false},
             {"LineSeries5", "K-S > critical (W)", kRed, Qt::SolidLine, 3, true, false}}};
}

void setUpAxes(QCustomPlot& chart, bool peakHeightShown) {
    chart.xAxis->setLabel("Age");
    chart.xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new PatternTicker({2, 2})));
    chart.xAxis->setVisible(true);

    chart.yAxis->setLabel("Probability");
    auto probabilityTicker = QSharedPointer<PatternFixedTicker>::create(0.1, NumberPattern{1, 1});
    probabilityTicker->setTickCount(10);
    chart.yAxis->setTicker(probabilityTicker);
    chart.yAxis->setRange(0, kProbabilityAxisMax);
    chart.yAxis->setVisible(true);

    chart.yAxis2->setLabel(peakHeightShown ? "Peak Height" : "");
    chart.yAxis2->setTicker(QSharedPointer<PatternFixedTicker>::create(20.0, NumberPattern{1, 2}));
    chart.yAxis2->setRange(0, kPeakHeightAxisMax);
    chart.yAxis2->setVisible(peakHeightShown);
    chart.yAxis2->setTickLabels(peakHeightShown);

    chart.xAxis2->setLabel("Extra variables");
    chart.xAxis2->setVisible(false);
    // Room for half of the last age label where no right axis is shown.
    chart.axisRect()->setMinimumMargins(QMargins(15, 15, 40, 15));
}

void setUpLegend(QCustomPlot& chart) {
    // Below the plot, two rows of three entries, so it never covers a curve.
    QCPLegend* legend = chart.legend;
    legend->setVisible(true);
    chart.axisRect()->insetLayout()->take(legend);
    chart.plotLayout()->addElement(1, 0, legend);
    chart.plotLayout()->setRowStretchFactor(1, 0.001);
    legend->setBorderPen(Qt::NoPen);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setWrap(3);
    legend->setIconSize(40, 12);
}

void addSeries(QCustomPlot& chart, const SeriesLook& look) {
    auto* series = new ColouredLineSeries(look.onTopAxis ? chart.xAxis2 : chart.xAxis,
                                          look.onRightAxis ? chart.yAxis2 : chart.yAxis);
    series->setObjectName(look.component);
    series->setName(look.title);
    series->setPen(QPen(QBrush(look.colour), look.width, look.style));
}

QCustomPlot* createGraph(QWidget* parent, const char* name, const GraphLook& look,
                         bool peakHeightShown) {
    auto* chart = new QCustomPlot(parent);
    chart->setObjectName(name);
    chart->setLocale(QLocale());
    chart->setAutoAddPlottableToLegend(true);
    setUpAxes(*chart, peakHeightShown);
    setUpLegend(*chart);
    for (const SeriesLook& series : look) addSeries(*chart, series);
    new GraphNavigation(*chart, [chart] { showWholeGraph(*chart); });
    return chart;
}

enum class DifferenceTest { Greater, GreaterOrEqual };

/// @brief How many positions every array holds: NumRows, or fewer if an array is short.
int usablePositions(const ProfileData& data) {
    size_t n = data.NumRows > 0 ? static_cast<size_t>(data.NumRows) : 0;
    for (const auto* a : {&data.AgeData, &data.Y1Data, &data.Y2Data, &data.Curve1, &data.Curve2,
                          &data.Difference, &data.DifferenceW, &data.Cutoff, &data.CutoffW}) {
        n = std::min(n, a->empty() ? 0 : a->size() - 1);
    }
    return static_cast<int>(n);
}

void fillGraph(QCustomPlot& chart, const ProfileData& data, const std::vector<double>& first,
               const std::vector<double>& second, DifferenceTest differenceTest) {
    std::array<ColouredLineSeries*, kFilledSeries> series{};
    for (int i = 0; i < kClearedSeries; ++i) {
        ColouredLineSeries* s = graphSeries(chart, i);
        s->clear();
        if (i < kFilledSeries) series[static_cast<size_t>(i)] = s;
    }
    const int n = usablePositions(data);
    for (auto* s : series) s->reserve(n);
    for (int k = 1; k <= n; ++k) {
        const auto p = static_cast<size_t>(k);
        const double x = data.AgeData[p];
        const QString label = QString::number(k);
        const bool exceeds = differenceTest == DifferenceTest::Greater
                                 ? data.Difference[p] > data.Cutoff[p]
                                 : data.Difference[p] >= data.Cutoff[p];
        // One position's four points are one step: if an append fails, the rest of this
        // position is skipped and the fill goes on with the next position.
        try {
            series[0]->addPoint(x, first[p], label, kBlue);
            series[1]->addPoint(x, second[p], label, kGreen);
            series[2]->addPoint(x, data.Difference[p], label, exceeds ? kPurple : kGray);
            series[3]->addPoint(x, data.DifferenceW[p], label,
                                data.DifferenceW[p] > data.CutoffW[p] ? kRed : kBlack);
        } catch (const std::exception&) {
        }
    }
    showWholeGraph(chart);
}

}  // namespace

QCustomPlot* createCumulativeProbabilityGraph(QWidget* parent) {
    return createGraph(parent, "Chart1", cumulativeGraphLook(), false);
}

QCustomPlot* createProbabilityGraph(QWidget* parent) {
    return createGraph(parent, "Chart2", probabilityGraphLook(), true);
}

ColouredLineSeries* graphSeries(QCustomPlot& chart, int number) {
    ColouredLineSeries* series = nullptr;
    if (number >= 0 && number < chart.plottableCount()) {
        series = qobject_cast<ColouredLineSeries*>(chart.plottable(number));
    }
    if (!series) {
        throw KestrelError("The graph " + chart.objectName().toStdString() + " has no series " +
                           std::to_string(number));
    }
    return series;
}

void fillGraphs(QCustomPlot& chart1, QCustomPlot& chart2, const ProfileData& data) {
    fillGraph(chart1, data, data.Curve1, data.Curve2, DifferenceTest::Greater);
    fillGraph(chart2, data, data.Y1Data, data.Y2Data, DifferenceTest::GreaterOrEqual);
}

void showWholeGraph(QCustomPlot& chart) {
    chart.yAxis->setRange(0, kProbabilityAxisMax);
    chart.yAxis2->setRange(0, kPeakHeightAxisMax);
    chart.xAxis->rescale();
    chart.xAxis2->rescale();
    chart.replot();
}

}  // namespace kestrel
