// The two graphs as built and as filled: axes, series, legend, point colours, point order,
// refills, and what the rendered graph shows.
#include <gtest/gtest.h>

#include <QImage>
#include <QLocale>
#include <cmath>
#include <limits>
#include <memory>

#include "engine/KestrelError.h"
#include "output/GraphImages.h"
#include "output/NumberPatternTicker.h"
#include "output/ProbabilityGraphs.h"
#include "tests/output/GraphTestData.h"

using namespace kestrel;
using testdata::setColumn;

namespace {

const QColor kBlue(0, 0, 255), kGreen(0, 128, 0), kPurple(128, 0, 128), kGray(128, 128, 128),
    kRed(255, 0, 0), kBlack(0, 0, 0);

struct Graphs {
    std::unique_ptr<QCustomPlot> chart1{createCumulativeProbabilityGraph(nullptr)};
    std::unique_ptr<QCustomPlot> chart2{createProbabilityGraph(nullptr)};
    Graphs() {
        chart1->resize(1000, 600);
        chart2->resize(1000, 600);
    }
    void fill(const ProfileData& data) { fillGraphs(*chart1, *chart2, data); }
};

struct SeriesExpectation {
    const char* component;
    const char* title;
    QColor colour;
    Qt::PenStyle style;
    int width;
    bool top, right;
};

void expectSeries(QCustomPlot& chart, const std::vector<SeriesExpectation>& expected) {
    ASSERT_EQ(chart.plottableCount(), 6);
    ASSERT_EQ(chart.legend->itemCount(), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(chart.objectName().toStdString() + " series " + std::to_string(i));
        const SeriesExpectation& e = expected[static_cast<size_t>(i)];
        ColouredLineSeries* s = graphSeries(chart, i);
        EXPECT_EQ(s->objectName(), e.component);
        EXPECT_EQ(s->name(), e.title);
        EXPECT_EQ(s->pen().color(), e.colour);
        EXPECT_EQ(s->pen().style(), e.style);
        EXPECT_EQ(s->pen().width(), e.width);
        EXPECT_EQ(s->keyAxis(), e.top ? chart.xAxis2 : chart.xAxis);
        EXPECT_EQ(s->valueAxis(), e.right ? chart.yAxis2 : chart.yAxis);
        EXPECT_EQ(chart.legend->itemWithPlottable(s), chart.legend->item(i));
    }
}

std::vector<QColor> coloursOf(QCustomPlot& chart, int series) {
    std::vector<QColor> colours;
    ColouredLineSeries* s = graphSeries(chart, series);
    for (int i = 0; i < s->pointCount(); ++i) colours.push_back(s->point(i).colour);
    return colours;
}

/// Positions 1..n with every array given; the rest zero.
ProfileData smallData(int n) {
    ProfileData data;
    data.resize(n);
    return data;
}

}  // namespace

TEST(ProbabilityGraphSetup, AxesTitlesRangesAndVisibility) {
    Graphs g;
    for (QCustomPlot* chart : {g.chart1.get(), g.chart2.get()}) {
        SCOPED_TRACE(chart->objectName().toStdString());
        EXPECT_EQ(chart->xAxis->label(), "Age");
        EXPECT_TRUE(chart->xAxis->visible());
        EXPECT_EQ(chart->yAxis->label(), "Probability");
        EXPECT_EQ(chart->yAxis->range(), QCPRange(0, 1.05));
        EXPECT_TRUE(chart->yAxis->visible());
        EXPECT_EQ(chart->yAxis2->range(), QCPRange(0, 105));
        EXPECT_EQ(chart->xAxis2->label(), "Extra variables");
        EXPECT_FALSE(chart->xAxis2->visible());
        // No title: the layout holds the axis rect and the legend only.
        EXPECT_EQ(chart->plotLayout()->elementCount(), 2);
        EXPECT_TRUE(chart->legend->visible());
    }
    EXPECT_EQ(g.chart1->objectName(), "Chart1");
    EXPECT_EQ(g.chart2->objectName(), "Chart2");
    EXPECT_FALSE(g.chart1->yAxis2->visible());
    EXPECT_EQ(g.chart1->yAxis2->label(), "");
    EXPECT_TRUE(g.chart2->yAxis2->visible());
    EXPECT_EQ(g.chart2->yAxis2->label(), "Peak Height");
}

TEST(ProbabilityGraphSetup, SixSeriesInOrderWithTheirLooksAndAxes) {
    Graphs g;
    expectSeries(*g.chart1,
                 {{"Series1", "Curve 1", kBlue, Qt::DotLine, 1, false, false},
                  {"Series2", "Curve 2", kGreen, Qt::SolidLine, 1, false, false},
                  {"Series3", "Difference", kPurple, Qt::DashLine, 2, true, false},
                  {"Series5", "Difference (W)", kGray, Qt::SolidLine, 2, false, false},
                  {"Series6", "K-S > critical", kPurple, Qt::SolidLine, 2, false, false},
                  {"Series4", "K-S > critical (W)", kRed, Qt::SolidLine, 3, true, false}});
    expectSeries(*g.chart2,
                 {{"LineSeries1", "Curve 1", kBlue, Qt::DotLine, 1, false, true},
                  {"LineSeries2", "Curve 2", kGreen, Qt::SolidLine, 1, false, true},
                  {"LineSeries3", "Difference", kPurple, Qt::DashLine, 2, true, false},
                  {"LineSeries4", "Difference (W)", kGray, Qt::SolidLine, 2, false, false},
                  {"Series7", "K-S > critical", kPurple, Qt::SolidLine, 2, false, false},
                  {"LineSeries5", "K-S > critical (W)", kRed, Qt::SolidLine, 3, true, false}});
    EXPECT_THROW(graphSeries(*g.chart1, 6), KestrelError);
    QCustomPlot plain;
    EXPECT_THROW(graphSeries(plain, 0), KestrelError);
}

TEST(ProbabilityGraphSetup, TickLabelsFollowTheirPatternsAndTheLocale) {
    const NumberPattern twoDecimals{2, 2}, oneDecimal{1, 1}, oneOrTwo{1, 2};
    const QLocale c = QLocale::c();
    EXPECT_EQ(formatByPattern(1234567.891, twoDecimals, c), "1,234,567.89");
    EXPECT_EQ(formatByPattern(-1500, twoDecimals, c), "-1,500.00");
    EXPECT_EQ(formatByPattern(0.30000000000000004, oneDecimal, c), "0.3");
    EXPECT_EQ(formatByPattern(-0.00001, oneDecimal, c), "0.0");
    EXPECT_EQ(formatByPattern(20, oneOrTwo, c), "20.0");
    EXPECT_EQ(formatByPattern(2.25, oneOrTwo, c), "2.25");
    EXPECT_EQ(formatByPattern(2.5, oneOrTwo, c), "2.5");
    EXPECT_EQ(formatByPattern(1234.5, twoDecimals, QLocale(QLocale::German)), "1.234,50");

    // On the drawn axes, in the user's locale at the time of drawing.
    Graphs g;
    ProfileData data = smallData(2);
    setColumn(data.AgeData, {0, 4000});
    g.fill(data);
    const QVector<QString> ages = g.chart1->xAxis->tickVectorLabels();
    EXPECT_TRUE(ages.contains("2,000.00")) << ages.join(" | ").toStdString();
    EXPECT_EQ(g.chart1->yAxis->tickVectorLabels().first(), "0.0");
    EXPECT_TRUE(g.chart1->yAxis->tickVectorLabels().contains("0.1"));
    EXPECT_TRUE(g.chart1->yAxis->tickVectorLabels().contains("1.0"));
    EXPECT_EQ(g.chart2->yAxis2->tickVectorLabels(),
              (QVector<QString>{"0.0", "20.0", "40.0", "60.0", "80.0", "100.0"}));

    QLocale::setDefault(QLocale(QLocale::German));
    g.chart2->replot();
    const QVector<QString> germanAges = g.chart2->xAxis->tickVectorLabels();
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(germanAges.contains("2.000,00")) << germanAges.join(" | ").toStdString();
}

TEST(ProbabilityGraphFill, DifferencePointsAreColouredByTheirCutoffTests) {
    // Position 1 below its cutoffs, 2 equal, 3 above; position 4 lies in no window.
    ProfileData data = smallData(4);
    setColumn(data.AgeData, {10, 20, 30, 40});
    setColumn(data.Difference, {0.1, 0.2, 0.3, 0.05});
    setColumn(data.Cutoff, {0.2, 0.2, 0.2, 0.2});
    setColumn(data.DifferenceW, {0.1, 0.25, 0.4, 0});
    setColumn(data.CutoffW, {0.25, 0.25, 0.25, 0});
    Graphs g;
    g.fill(data);

    EXPECT_EQ(coloursOf(*g.chart1, 2), (std::vector<QColor>{kGray, kGray, kPurple, kGray}));
    EXPECT_EQ(coloursOf(*g.chart2, 2), (std::vector<QColor>{kGray, kPurple, kPurple, kGray}));
    for (QCustomPlot* chart : {g.chart1.get(), g.chart2.get()}) {
        EXPECT_EQ(coloursOf(*chart, 3), (std::vector<QColor>{kBlack, kBlack, kRed, kBlack}));
        EXPECT_EQ(coloursOf(*chart, 0), std::vector<QColor>(4, kBlue));
        EXPECT_EQ(coloursOf(*chart, 1), std::vector<QColor>(4, kGreen));
        // The series keep their own colour for the legend whatever the points show.
        EXPECT_EQ(graphSeries(*chart, 3)->pen().color(), kGray);
        EXPECT_EQ(graphSeries(*chart, 4)->pointCount(), 0);
        EXPECT_EQ(graphSeries(*chart, 5)->pointCount(), 0);
    }

    // A sample size missing from the table gives cutoff 0: every Difference point is purple
    // in the probability graph, and every one above 0 in the cumulative graph.
    setColumn(data.Cutoff, {0, 0, 0, 0});
    setColumn(data.Difference, {0, 0.1, 0.2, 0.3});
    g.fill(data);
    EXPECT_EQ(coloursOf(*g.chart1, 2), (std::vector<QColor>{kGray, kPurple, kPurple, kPurple}));
    EXPECT_EQ(coloursOf(*g.chart2, 2), std::vector<QColor>(4, kPurple));
}

TEST(ProbabilityGraphFill, PointsKeepAppendOrderWithValuesUnscaled) {
    ProfileData data = smallData(4);
    setColumn(data.AgeData, {400, 300, 350, 100});
    setColumn(data.Y1Data, {150, -3, 20, 7});
    setColumn(data.Y2Data, {1, 2, 3, 4});
    setColumn(data.Curve1, {0.1, 0.2, 0.3, 0.4});
    setColumn(data.Curve2, {0.5, 0.6, 0.7, 0.8});
    Graphs g;
    g.fill(data);
    const std::vector<double> ages{400, 300, 350, 100};
    for (QCustomPlot* chart : {g.chart1.get(), g.chart2.get()}) {
        for (int s = 0; s < 4; ++s) {
            ColouredLineSeries* series = graphSeries(*chart, s);
            ASSERT_EQ(series->pointCount(), 4);
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(series->point(i).x, ages[static_cast<size_t>(i)]);
                EXPECT_EQ(series->point(i).label, QString::number(i + 1));
            }
        }
        // The age axes span the ages; the fixed axes are not widened by Y data beyond them.
        EXPECT_EQ(chart->xAxis->range(), QCPRange(100, 400));
        EXPECT_EQ(chart->xAxis2->range(), QCPRange(100, 400));
        EXPECT_EQ(chart->yAxis2->range(), QCPRange(0, 105));
    }
    EXPECT_EQ(graphSeries(*g.chart1, 0)->point(1).y, 0.2);
    EXPECT_EQ(graphSeries(*g.chart2, 0)->point(0).y, 150);
    EXPECT_EQ(graphSeries(*g.chart2, 0)->point(1).y, -3);
    EXPECT_EQ(graphSeries(*g.chart2, 1)->point(3).y, 4);
}

TEST(ProbabilityGraphFill, ARefillOverFewerRowsLeavesNoTrace) {
    Graphs g;
    g.fill(testdata::twoPeakProfile(301));
    EXPECT_EQ(graphSeries(*g.chart1, 2)->pointCount(), 301);

    ProfileData shorter = smallData(3);
    setColumn(shorter.AgeData, {5, 6, 7});
    setColumn(shorter.Difference, {0.5, 0.5, 0.5});
    g.fill(shorter);
    for (QCustomPlot* chart : {g.chart1.get(), g.chart2.get()}) {
        for (int s = 0; s < 4; ++s) {
            ColouredLineSeries* series = graphSeries(*chart, s);
            ASSERT_EQ(series->pointCount(), 3);
            EXPECT_EQ(series->point(2).x, 7);
        }
        EXPECT_EQ(chart->xAxis->range(), QCPRange(5, 7));
    }
    EXPECT_EQ(coloursOf(*g.chart1, 2), std::vector<QColor>(3, kPurple));

    // One row: one point per series. None: all cleared.
    g.fill(smallData(1));
    EXPECT_EQ(graphSeries(*g.chart2, 3)->pointCount(), 1);
    g.fill(smallData(0));
    EXPECT_EQ(graphSeries(*g.chart2, 0)->pointCount(), 0);
    EXPECT_EQ(graphSeries(*g.chart1, 3)->pointCount(), 0);
}

TEST(ProbabilityGraphFill, ArraysShorterThanTheirCountAreNotOverrun) {
    ProfileData data = smallData(5);
    data.Cutoff.resize(3);  // positions 1 and 2 only
    Graphs g;
    g.fill(data);
    EXPECT_EQ(graphSeries(*g.chart1, 0)->pointCount(), 2);
}

namespace {

/// The darkest pixel within two pixels above or below (x, y) of the image.
QColor strongestNear(const QImage& image, double x, double y) {
    QColor best = Qt::white;
    for (int dy = -2; dy <= 2; ++dy) {
        const QColor c = image.pixelColor(qRound(x), qRound(y) + dy);
        if (c.lightness() < best.lightness()) best = c;
    }
    return best;
}

QImage rendered(QCustomPlot& chart) {
    chart.replot();
    return QImage::fromData(graphPng(chart, chart.width(), chart.height()), "PNG");
}

}  // namespace

TEST(ProbabilityGraphRendering, EachSegmentTakesTheLaterPointsColour) {
    // Difference (W) at 0.5 along ages 0, 50, 100, 150: points black, red, black, red.
    ProfileData data = smallData(4);
    setColumn(data.AgeData, {0, 50, 100, 150});
    setColumn(data.Curve1, {0.9, 0.9, 0.9, 0.9});
    setColumn(data.Curve2, {0.95, 0.95, 0.95, 0.95});
    setColumn(data.Difference, {0.2, 0.2, 0.2, 0.2});
    setColumn(data.Cutoff, {1, 1, 1, 1});
    setColumn(data.DifferenceW, {0.5, 0.5, 0.5, 0.5});
    setColumn(data.CutoffW, {1, 0.2, 1, 0.2});
    Graphs g;
    g.fill(data);
    const QImage image = rendered(*g.chart1);
    ASSERT_FALSE(image.isNull());
    const double y = g.chart1->yAxis->coordToPixel(0.5);
    const auto at = [&](double age) {
        return strongestNear(image, g.chart1->xAxis->coordToPixel(age), y);
    };
    const QColor first = at(25), second = at(75), third = at(125);
    EXPECT_GT(first.red(), 200);
    EXPECT_LT(first.green(), 60);
    EXPECT_LT(second.lightness(), 60);
    EXPECT_GT(third.red(), 200);
    EXPECT_LT(third.blue(), 60);
}

TEST(ProbabilityGraphRendering, DashesRunOnAcrossColourChanges) {
    // "Difference" (dashed) alternates purple and gray at every position, with segments a few
    // pixels long: a pattern restarted at every point would draw the line solid.
    const int n = 226;
    ProfileData data = smallData(n);
    for (int k = 1; k <= n; ++k) {
        const auto p = static_cast<size_t>(k);
        data.AgeData[p] = k;
        data.Curve1[p] = data.Curve2[p] = 0.95;
        data.Difference[p] = 0.5;
        data.Cutoff[p] = k % 2 ? 0.4 : 0.6;
    }
    Graphs g;
    g.fill(data);
    const QImage image = rendered(*g.chart1);
    const int y = qRound(g.chart1->yAxis->coordToPixel(0.5));
    const int from = qRound(g.chart1->xAxis->coordToPixel(20));
    const int to = qRound(g.chart1->xAxis->coordToPixel(200));
    int inked = 0, purple = 0;
    for (int x = from; x < to; ++x) {
        const QColor c = strongestNear(image, x, y);
        if (c.lightness() < 170) ++inked;
        if (c.red() > 100 && c.green() < 40 && c.blue() > 100) ++purple;
    }
    const double share = double(inked) / (to - from);
    EXPECT_GT(share, 0.5);
    EXPECT_LT(share, 0.85);
    EXPECT_GT(purple, (to - from) / 5);
}

TEST(ProbabilityGraphRendering, FarOffAndNonFiniteValuesDrawWithoutHarm) {
    ProfileData data = smallData(5);
    setColumn(data.AgeData, {0, 1, 2, 3, 4});
    setColumn(data.Y1Data, {1e300, -1e300, std::nan(""), 50, 1e12});
    setColumn(data.Y2Data, {std::numeric_limits<double>::infinity(), 50, 40, 30, 20});
    Graphs g;
    g.fill(data);
    const QImage image = rendered(*g.chart2);
    EXPECT_EQ(image.size(), QSize(1000, 600));
    // The finite stretch of "Curve 2" from age 1 on is drawn.
    const QColor c = strongestNear(image, g.chart2->xAxis->coordToPixel(2.5),
                                   g.chart2->yAxis2->coordToPixel(35));
    EXPECT_GT(c.green(), c.red() + 40);
}
