// Drawing a sample's PDP and its fitted age components with QCustomPlot.
#include "output/ComponentsGraph.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/density/DensityProfiles.h"
#include "engine/density/Pdp.h"
#include "output/GraphNavigation.h"

namespace kestrel {
namespace {

const QColor kPdpColour(60, 60, 60);
const QColor kComponentColours[] = {
    {200, 30, 30},  {40, 90, 220}, {0, 140, 60},   {230, 120, 0},
    {130, 60, 200}, {0, 150, 150}, {200, 40, 150}, {110, 80, 40},
};

double medianRelativeSigma(const GrainSample& sample) {
    std::vector<double> relative;
    for (size_t i = 0; i < sample.ages.size() && i < sample.sigmas.size(); ++i) {
        if (sample.ages[i] > 0) relative.push_back(sample.sigmas[i] / sample.ages[i]);
    }
    if (relative.empty()) return 0.0;
    const auto middle = relative.begin() + static_cast<std::ptrdiff_t>(relative.size() / 2);
    std::nth_element(relative.begin(), middle, relative.end());
    if (relative.size() % 2 == 1) return *middle;
    return (*middle + *std::max_element(relative.begin(), middle)) / 2;
}

QString labelText(const AgeComponent& component) {
    const double age = component.age;
    const int decimals =
        age > 0 ? std::clamp(3 - static_cast<int>(std::floor(std::log10(age))), 0, 2) : 1;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return QString("%1 (%2%)")
        .arg(locale.toString(age, 'f', decimals))
        .arg(locale.toString(100.0 * component.proportion, 'f', 0));
}

// The labels of the larger components first; one that would overlap a label already shown is
// hidden (its component is still drawn).
void hideCrowdedLabels(QCustomPlot& chart) {
    std::vector<QCPItemText*> labels;
    for (int i = 0; i < chart.itemCount(); ++i) {
        if (auto* label = qobject_cast<QCPItemText*>(chart.item(i))) labels.push_back(label);
    }
    std::stable_sort(labels.begin(), labels.end(), [](QCPItemText* a, QCPItemText* b) {
        return a->property("share").toDouble() > b->property("share").toDouble();
    });
    std::vector<QRectF> shown;
    const QRect plot = chart.axisRect()->rect();
    for (QCPItemText* label : labels) {
        const QPointF at = label->position->pixelPosition();
        const QSizeF size =
            QFontMetricsF(label->font()).boundingRect(label->text()).size() + QSizeF(4, 1);
        // A label centred over a component at the edge of the plot would be cut: it then
        // stands inside, beginning or ending at its peak.
        double left = at.x() - size.width() / 2;
        Qt::Alignment side = Qt::AlignHCenter;
        if (left < plot.left()) {
            left = at.x();
            side = Qt::AlignLeft;
        } else if (left + size.width() > plot.right()) {
            left = at.x() - size.width();
            side = Qt::AlignRight;
        }
        label->setPositionAlignment(side | Qt::AlignBottom);
        const QRectF box(left, at.y() - size.height(), size.width(), size.height());
        const bool crowded = std::any_of(
            shown.begin(), shown.end(), [&](const QRectF& other) { return other.intersects(box); });
        label->setVisible(!crowded);
        if (!crowded) shown.push_back(box);
    }
}

void showWhole(QCustomPlot& chart) {
    chart.rescaleAxes();
    // Room at the sides for the labels of the outermost components, above for the highest.
    const QCPRange ages = chart.xAxis->range();
    chart.xAxis->setRange(ages.lower - 0.04 * ages.size(), ages.upper + 0.04 * ages.size());
    const QCPRange values = chart.yAxis->range();
    // Room above the highest curve for the labels.
    chart.yAxis->setRange(0, std::max(values.upper, 1e-300) * 1.18);
    chart.replot();
}

QCPGraph* addCurve(QCustomPlot& chart, const QVector<double>& ages, const std::vector<double>& y,
                   const QPen& pen, const QString& name) {
    QCPGraph* graph = chart.addGraph();
    graph->setName(name);
    graph->setPen(pen);
    graph->setData(ages, QVector<double>(y.begin(), y.end()), true);
    return graph;
}

void addLabel(QCustomPlot& chart, const AgeComponent& component, const std::vector<double>& y,
              const std::vector<double>& ages, const QColor& colour) {
    const auto peak = std::max_element(y.begin(), y.end());
    if (peak == y.end()) return;
    auto* label = new QCPItemText(&chart);
    label->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    label->position->setCoords(ages[static_cast<size_t>(peak - y.begin())], *peak);
    label->setText(labelText(component));
    label->setColor(colour);
    label->setBrush(QColor(255, 255, 255, 200));
    label->setPadding(QMargins(2, 0, 2, 1));
    label->setClipToAxisRect(true);
    label->setProperty("share", component.proportion);
}

}  // namespace

QCustomPlot* createComponentsGraph(QWidget* parent) {
    auto* chart = new QCustomPlot(parent);
    chart->setObjectName("Components");
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);  // "1500", which crowded ticks keep apart
    chart->setLocale(locale);
    chart->plotLayout()->insertRow(0);
    chart->plotLayout()->addElement(
        0, 0, new QCPTextElement(chart, "Age components", QFont("sans", 10, QFont::Bold)));
    chart->xAxis->setLabel("Age");
    chart->yAxis->setLabel("Grains per age unit");
    // The legend on one line below the plot, where it hides no curve.
    QCPLegend* legend = chart->legend;
    legend->setVisible(true);
    chart->axisRect()->insetLayout()->take(legend);
    chart->plotLayout()->addElement(2, 0, legend);
    chart->plotLayout()->setRowStretchFactor(2, 0.001);
    legend->setBorderPen(Qt::NoPen);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setWrap(2);
    legend->setIconSize(24, 10);
    new GraphNavigation(*chart, [chart] { showWhole(*chart); });
    // After every layout, for the screen and for images alike.
    QObject::connect(chart, &QCustomPlot::afterLayout, chart,
                     [chart] { hideCrowdedLabels(*chart); });
    return chart;
}

std::vector<double> componentCurve(const GrainSample& sample, const AgeComponent& component,
                                   size_t grains, const std::vector<double>& ages) {
    const double spread = component.age * medianRelativeSigma(sample);
    std::vector<double> curve(ages.size(), 0.0);
    if (!(spread > 0)) return curve;
    const double scale = component.proportion * static_cast<double>(grains) /
                         (spread * std::sqrt(2 * std::numbers::pi));
    for (size_t r = 0; r < ages.size(); ++r) {
        const double z = (ages[r] - component.age) / spread;
        curve[r] = scale * std::exp(-0.5 * z * z);
    }
    return curve;
}

void fillComponentsGraph(QCustomPlot& chart, const GrainSample& sample, const MixtureFit& fit,
                         const QString& note) {
    chart.clearItems();
    chart.clearPlottables();
    const AgeGrid grid = defaultDensityGrid({sample}, DensityKind::Pdp, {});
    const std::vector<double> ages = ageGridAges(grid);
    const QVector<double> keys(ages.begin(), ages.end());
    addCurve(chart, keys, pdpProfile(sample, grid), QPen(kPdpColour, 1.5), "PDP");
    for (size_t i = 0; i < fit.components.size(); ++i) {
        const QColor colour = kComponentColours[i % std::size(kComponentColours)];
        const std::vector<double> curve =
            componentCurve(sample, fit.components[i], sample.ages.size(), ages);
        QCPGraph* graph = addCurve(chart, keys, curve, QPen(colour, 2, Qt::DashLine),
                                   i == 0 ? "Components" : QString());
        if (i > 0) graph->removeFromLegend();
        addLabel(chart, fit.components[i], curve, ages, colour);
    }
    if (auto* title = qobject_cast<QCPTextElement*>(chart.plotLayout()->element(0, 0))) {
        title->setText(QString("%1: age components%2")
                           .arg(QString::fromStdString(sample.name),
                                note.isEmpty() ? QString() : " (" + note + ")"));
    }
    showWhole(chart);
}

}  // namespace kestrel
