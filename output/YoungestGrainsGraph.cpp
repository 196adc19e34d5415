// Drawing the ranked youngest grains and the depositional age bands with QCustomPlot: one graph
// of points with two sets of error bars, and per estimate a line in the legend and a band.
#include "output/YoungestGrainsGraph.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "output/GraphNavigation.h"

namespace kestrel {
namespace {

const QColor kOneSigma(31, 78, 160);
const QColor kTwoSigma(150, 175, 215);
constexpr double kBandAlpha = 45;
constexpr const char* kWholeRange = "kestrelWholeRange";
constexpr size_t kNoEstimateGrainsShown = 30;
constexpr int kLegendLine = 30;  // characters of a legend line, so that the plot keeps its width

// Ten colours told apart on screen and in print, one per estimator in table order.
const QColor kMethodColours[] = {
    {200, 30, 30}, {230, 120, 0},  {170, 130, 0},  {0, 140, 60},  {0, 150, 150},
    {40, 90, 220}, {130, 60, 200}, {200, 40, 150}, {110, 80, 40}, {60, 60, 60},
};

// Decimals for about four significant digits: 95.21, 1523, 12.35.
int decimalsFor(double age) {
    if (!(std::abs(age) > 0)) return 2;
    return std::clamp(3 - static_cast<int>(std::floor(std::log10(std::abs(age)))), 0, 3);
}

QString ageText(double value, int decimals) {
    return QLocale().toString(value, 'f', decimals);
}

// The sample's grains ordered by age (then by uncertainty), as indices.
std::vector<size_t> byAge(const GrainSample& sample) {
    std::vector<size_t> order(sample.ages.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const auto sigma = [&](size_t i) { return i < sample.sigmas.size() ? sample.sigmas[i] : 0.0; };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (sample.ages[a] != sample.ages[b]) return sample.ages[a] < sample.ages[b];
        return sigma(a) < sigma(b);
    });
    return order;
}

double lowerOf(const DepositionalEstimate& e) {
    return *e.age - e.minus.value_or(0.0);
}

double upperOf(const DepositionalEstimate& e) {
    return *e.age + e.plus.value_or(0.0);
}

// The plot and its legend in a row of their own below the title, so that the title spans both.
// The words of `text` in lines of at most `width` characters (a longer word on its own).
QString wrapped(const QString& text, int width) {
    QStringList lines;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
        if (!lines.isEmpty() && lines.back().size() + 1 + word.size() <= width) {
            lines.back() += " " + word;
        } else {
            lines << word;
        }
    }
    return lines.join('\n');
}

void setUpLegend(QCustomPlot& chart) {
    QCPLegend* legend = chart.legend;
    legend->setVisible(true);
    chart.axisRect()->insetLayout()->take(legend);
    QCPAxisRect* plot = chart.axisRect();
    chart.plotLayout()->take(plot);
    chart.plotLayout()->simplify();
    auto* body = new QCPLayoutGrid;
    chart.plotLayout()->addElement(1, 0, body);
    body->addElement(0, 0, plot);
    // Beside the plot, so that no band hides behind it; as narrow as its texts.
    body->addElement(0, 1, legend);
    body->setColumnStretchFactor(1, 0.001);
    legend->setBorderPen(Qt::NoPen);
    legend->setIconSize(18, 10);
    QFont font = legend->font();
    font.setPointSizeF(std::max(6.0, font.pointSizeF() * 0.85));
    legend->setFont(font);
    legend->setRowSpacing(0);
}

void showWhole(QCustomPlot& chart) {
    const QRectF whole = chart.property(kWholeRange).toRectF();
    if (whole.isValid()) {
        chart.xAxis->setRange(whole.left(), whole.right());
        chart.yAxis->setRange(whole.top(), whole.bottom());
    }
    chart.replot();
}

void addGrains(QCustomPlot& chart, const GrainSample& sample, const std::vector<size_t>& shown) {
    QCPGraph* grains = chart.addGraph();
    grains->setName("Grains");
    grains->setLineStyle(QCPGraph::lsNone);
    grains->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, kOneSigma, kOneSigma, 4));
    QVector<double> rank, age, one, two;
    for (size_t r = 0; r < shown.size(); ++r) {
        const size_t i = shown[r];
        const double sigma = i < sample.sigmas.size() ? sample.sigmas[i] : 0.0;
        rank.push_back(static_cast<double>(r + 1));
        age.push_back(sample.ages[i]);
        one.push_back(sigma);
        two.push_back(2 * sigma);
    }
    grains->setData(rank, age, true);
    // The 2-sigma bars first, so that the 1-sigma ones lie on top.
    for (const auto& [errors, colour, width] :
         {std::tuple(two, kTwoSigma, 1.5), std::tuple(one, kOneSigma, 3.5)}) {
        auto* bars = new QCPErrorBars(chart.xAxis, chart.yAxis);
        bars->removeFromLegend();
        bars->setDataPlottable(grains);
        bars->setData(errors);
        bars->setWhiskerWidth(0);
        bars->setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    }
}

// The band over the interval, then the line at the age that the legend shows.
void addEstimate(QCustomPlot& chart, const DepositionalEstimate& estimate, double right) {
    const QColor colour = depositionalMethodColour(estimate.method);
    QCPGraph* line = chart.addGraph();
    line->setName(estimateLegendText(estimate));
    line->addToLegend();
    if (!estimate.age) {
        line->setPen(Qt::NoPen);
        return;
    }
    if (estimate.minus || estimate.plus) {
        auto* band = new QCPItemRect(&chart);
        band->setLayer("background");
        band->topLeft->setCoords(0, upperOf(estimate));
        band->bottomRight->setCoords(right, lowerOf(estimate));
        QColor fill = colour;
        fill.setAlpha(static_cast<int>(kBandAlpha));
        band->setBrush(fill);
        band->setPen(Qt::NoPen);
    }
    line->setPen(QPen(colour, 2, estimate.degenerate ? Qt::DashLine : Qt::SolidLine));
    line->setData({0, right}, {*estimate.age, *estimate.age});
}

}  // namespace

QColor depositionalMethodColour(DepositionalMethod method) {
    const size_t i = static_cast<size_t>(method);
    return i < std::size(kMethodColours) ? kMethodColours[i] : QColor(Qt::black);
}

QCustomPlot* createYoungestGrainsGraph(QWidget* parent) {
    auto* chart = new QCustomPlot(parent);
    chart->setObjectName("Youngest");
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    chart->setLocale(locale);
    chart->setAutoAddPlottableToLegend(false);
    chart->plotLayout()->insertRow(0);
    chart->plotLayout()->addElement(
        0, 0, new QCPTextElement(chart, "Youngest grains", QFont("sans", 10, QFont::Bold)));
    chart->xAxis->setLabel("Grains, youngest first");
    // Ranks are whole numbers: ticks at 1, 2, 5, 10, ... grains apart.
    auto ranks = QSharedPointer<QCPAxisTickerFixed>::create();
    ranks->setTickStep(1);
    ranks->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
    chart->xAxis->setTicker(ranks);
    chart->yAxis->setLabel("Age");
    setUpLegend(*chart);
    new GraphNavigation(*chart, [chart] { showWhole(*chart); });
    return chart;
}

size_t youngestGrainsShown(const GrainSample& sample,
                           const std::vector<DepositionalEstimate>& estimates) {
    const size_t n = sample.ages.size();
    double reach = -INFINITY;
    for (const DepositionalEstimate& e : estimates) {
        if (e.age && std::isfinite(upperOf(e))) reach = std::max(reach, upperOf(e));
    }
    if (n == 0 || !std::isfinite(reach)) return std::min(n, kNoEstimateGrainsShown);
    const double youngest = *std::min_element(sample.ages.begin(), sample.ages.end());
    const double limit = reach + 0.1 * std::max(0.0, reach - youngest);
    const auto within = static_cast<size_t>(std::count_if(
        sample.ages.begin(), sample.ages.end(), [&](double age) { return age <= limit; }));
    return std::min({n, kMostGrainsShown, std::max(within, kFewestGrainsShown)});
}

QString estimateLegendText(const DepositionalEstimate& estimate) {
    const QString name = QString::fromUtf8(depositionalMethod(estimate.method).name);
    if (!estimate.age) {
        return wrapped(QString("%1: none (%2)").arg(name, QString::fromStdString(estimate.reason)),
                       kLegendLine);
    }
    const int decimals = decimalsFor(*estimate.age);
    QString text = name + " " + ageText(*estimate.age, decimals);
    if (estimate.minus && estimate.plus) {
        text += QString(" \u2212%1 +%2")
                    .arg(ageText(*estimate.minus, decimals), ageText(*estimate.plus, decimals));
    }
    if (estimate.degenerate) text += " (degenerate fit)";
    return text;
}

void fillYoungestGrainsGraph(QCustomPlot& chart, const GrainSample& sample,
                             const std::vector<DepositionalEstimate>& estimates) {
    chart.clearItems();
    chart.clearPlottables();
    const std::vector<size_t> order = byAge(sample);
    const std::vector<size_t> shown(
        order.begin(),
        order.begin() + static_cast<std::ptrdiff_t>(youngestGrainsShown(sample, estimates)));
    addGrains(chart, sample, shown);
    const double right = static_cast<double>(shown.size()) + 1;
    double low = INFINITY, high = -INFINITY;
    for (const size_t i : shown) {
        const double sigma = i < sample.sigmas.size() ? sample.sigmas[i] : 0.0;
        low = std::min(low, sample.ages[i] - 2 * sigma);
        high = std::max(high, sample.ages[i] + 2 * sigma);
    }
    for (const DepositionalEstimate& estimate : estimates) {
        addEstimate(chart, estimate, right);
        if (!estimate.age) continue;
        low = std::min(low, lowerOf(estimate));
        high = std::max(high, upperOf(estimate));
    }
    if (!(low < high)) {
        low = std::isfinite(low) ? low - 1 : 0;
        high = std::isfinite(high) ? high + 1 : 1;
    }
    const double pad = 0.04 * (high - low);
    chart.setProperty(kWholeRange, QRectF(QPointF(0, low - pad), QPointF(right, high + pad)));
    if (auto* title = qobject_cast<QCPTextElement*>(chart.plotLayout()->element(0, 0))) {
        title->setText(QString("%1: the youngest %2 of %3 grains")
                           .arg(QString::fromStdString(sample.name))
                           .arg(shown.size())
                           .arg(sample.ages.size()));
    }
    showWhole(chart);
}

}  // namespace kestrel
