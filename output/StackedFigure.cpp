// The stacked figure: every sample's profile and histogram in its own row on one age axis,
// with its peaks and the age bands across all rows.
#include <qcustomplot.h>

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

#include "engine/figures/AgeBins.h"
#include "output/FigureSamples.h"
#include "output/FilledShape.h"
#include "output/SamplePalette.h"

namespace kestrel {
namespace {

constexpr double kRowFill = 0.82;  // of a row's height: what the highest point reaches

int lineHeight(const FigureStyle& style) {
    return QFontMetrics(figureFont(style)).height();
}

QColor withAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

// The row's outline: the baseline, up the profile, back to the baseline.
std::vector<QPointF> profileOutline(const std::vector<double>& grid,
                                    const std::vector<double>& profile, double base) {
    std::vector<QPointF> outline;
    outline.reserve(grid.size() + 2);
    outline.emplace_back(grid.front(), base);
    for (size_t r = 0; r < grid.size(); ++r)
        outline.emplace_back(grid[r], base + kRowFill * profile[r] / 100.0);
    outline.emplace_back(grid.back(), base);
    return outline;
}

// The histogram as steps over the grains' bins, its tallest bin as tall as the profile's peak.
std::vector<QPointF> histogramOutline(const std::vector<double>& ages, double binWidth,
                                      double base) {
    const auto [low, high] = std::minmax_element(ages.begin(), ages.end());
    const std::vector<double> edges = histogramEdges(*low, *high, binWidth);
    const BinCounts bins = countInBins(ages, edges);
    const int tallest = *std::max_element(bins.counts.begin(), bins.counts.end());
    std::vector<QPointF> outline;
    outline.emplace_back(edges.front(), base);
    for (size_t b = 0; b < bins.counts.size(); ++b) {
        const double top = base + kRowFill * bins.counts[b] / std::max(tallest, 1);
        outline.emplace_back(edges[b], top);
        outline.emplace_back(edges[b + 1], top);
    }
    outline.emplace_back(edges.back(), base);
    return outline;
}

QString ageText(double age) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const int decimals =
        age > 0 ? std::clamp(2 - static_cast<int>(std::floor(std::log10(age))), 0, 2) : 1;
    return locale.toString(age, 'f', decimals);
}

void addRowLabel(QCustomPlot& chart, const FigureSample& sample, double base,
                 const FigureStyle& style) {
    auto* label = new QCPItemText(&chart);
    label->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
    label->position->setTypeY(QCPItemPosition::ptPlotCoords);
    label->position->setCoords(0, base + 0.5);
    label->setPositionAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextAlignment(Qt::AlignRight);
    label->setPadding(QMargins(0, 0, 6, 0));
    label->setClipToAxisRect(false);
    label->setFont(figureFont(style));
    label->setColor(sampleColour(sample.colour).darker(130));
    label->setText(sample.ages.empty()
                       ? sample.name
                       : sample.name + "\nn = " + QString::number(sample.ages.size()));
}

void addPeakLabels(QCustomPlot& chart, const FigureSample& sample, double base, int row,
                   const FigureStyle& style) {
    for (const ProfilePeak& peak : sample.peaks) {
        if (style.logAge && !(peak.age > 0)) continue;
        auto* label = new QCPItemText(&chart);
        label->position->setCoords(peak.age, base + kRowFill * peak.height / 100.0);
        label->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        label->setFont(figureFont(style, 0.75));
        label->setColor(QColor(40, 40, 40));
        label->setText(ageText(peak.age));
        label->setClipToAxisRect(false);
        label->setProperty("peakHeight", peak.height);
        label->setProperty("peakRow", row);
    }
}

// The labels of the higher peaks first; one that would overlap a label already shown in its own
// row or the rows beside it is hidden (its peak is still drawn).
void hideCrowdedPeakLabels(QCustomPlot& chart) {
    struct Label {
        double height;
        int row;
        QCPItemText* item;
    };
    std::vector<Label> labels;
    int rows = 0;
    for (int i = 0; i < chart.itemCount(); ++i) {
        auto* label = qobject_cast<QCPItemText*>(chart.item(i));
        const QVariant height = label ? label->property("peakHeight") : QVariant();
        if (!height.isValid()) continue;
        labels.push_back({height.toDouble(), label->property("peakRow").toInt(), label});
        rows = std::max(rows, labels.back().row + 1);
    }
    std::stable_sort(labels.begin(), labels.end(),
                     [](const Label& a, const Label& b) { return a.height > b.height; });
    std::vector<std::vector<QRectF>> shown(static_cast<size_t>(rows));
    for (const Label& label : labels) {
        const QPointF at = label.item->position->pixelPosition();
        const QSizeF size =
            QFontMetricsF(label.item->font()).boundingRect(label.item->text()).size() +
            QSizeF(4, 0);
        const QRectF box(at.x() - size.width() / 2, at.y() - size.height(), size.width(),
                         size.height());
        bool crowded = false;
        for (int row = std::max(0, label.row - 1); row <= std::min(rows - 1, label.row + 1); ++row)
            for (const QRectF& other : shown[static_cast<size_t>(row)])
                crowded = crowded || other.intersects(box);
        label.item->setVisible(!crowded);
        if (!crowded) shown[static_cast<size_t>(label.row)].push_back(box);
    }
}

void addBand(QCustomPlot& chart, const AgeBand& band, size_t rows, const FigureStyle& style) {
    auto* rect = new QCPItemRect(&chart);
    rect->setLayer("grid");
    rect->topLeft->setCoords(band.low, static_cast<double>(rows));
    rect->bottomRight->setCoords(band.high, 0.0);
    rect->setPen(Qt::NoPen);
    rect->setBrush(QColor(0, 0, 0, 22));
    if (band.label.empty()) return;
    auto* label = new QCPItemText(&chart);
    label->position->setTypeX(QCPItemPosition::ptPlotCoords);
    label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    label->position->setCoords(
        style.logAge ? std::sqrt(band.low * band.high) : (band.low + band.high) / 2, 0.0);
    label->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    label->setFont(figureFont(style, 0.85));
    label->setText(QString::fromStdString(band.label));
    label->setClipToAxisRect(false);
}

void setAgeAxis(QCustomPlot& chart, const std::vector<double>& grid, const FigureStyle& style) {
    QCPAxis& age = *chart.xAxis;
    age.setLabel("Age");
    age.setLabelFont(figureFont(style));
    age.setTickLabelFont(figureFont(style));
    double low = grid.front();
    if (style.logAge) {
        age.setScaleType(QCPAxis::stLogarithmic);
        age.setTicker(QSharedPointer<QCPAxisTickerLog>::create());
        low = std::max(low, grid.back() * 1e-4);
        for (double value : grid)
            if (value > 0) {
                low = std::max(low, value);
                break;
            }
    } else {
        age.setScaleType(QCPAxis::stLinear);
        age.setTicker(QSharedPointer<QCPAxisTicker>::create());
    }
    age.setRange(low, grid.back());
}

}  // namespace

QFont figureFont(const FigureStyle& style, double scale) {
    QFont font("DejaVu Sans");
    font.setPointSizeF(style.fontPoints * scale);
    return font;
}

int figurePixels(double millimetres) {
    return static_cast<int>(std::lround(millimetres / 25.4 * 96.0));
}

int stackedFigureHeight(size_t rows, const FigureStyle& style) {
    const int line = lineHeight(style);
    return static_cast<int>(rows) * 4 * line + 6 * line;
}

void fillStackedFigure(QCustomPlot& chart, const std::vector<double>& grid,
                       const std::vector<FigureSample>& rows, const StackedChoices& choices,
                       const FigureStyle& style) {
    chart.clearPlottables();
    chart.clearItems();
    if (!chart.property("crowdedPeaksHidden").toBool()) {
        chart.setProperty("crowdedPeaksHidden", true);
        QObject::connect(&chart, &QCustomPlot::afterLayout, &chart,
                         [&chart] { hideCrowdedPeakLabels(chart); });
    }
    chart.legend->setVisible(false);
    chart.setAutoAddPlottableToLegend(false);
    chart.setBackground(Qt::white);
    if (grid.size() < 2) return;
    setAgeAxis(chart, grid, style);
    QCPAxis& values = *chart.yAxis;
    values.setVisible(false);
    values.setRange(0, std::max<double>(1.0, static_cast<double>(rows.size())));
    values.grid()->setVisible(false);
    chart.xAxis->grid()->setVisible(false);

    const QFontMetrics metrics(figureFont(style));
    int nameWidth = metrics.horizontalAdvance("n = 0000");
    for (const FigureSample& sample : rows)
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(sample.name));
    QCPAxisRect& rect = *chart.axisRect();
    rect.setAutoMargins(QCP::msBottom | QCP::msRight);
    rect.setMargins(QMargins(
        nameWidth + 16, choices.bands.empty() ? metrics.height() : 2 * metrics.height(), 0, 0));

    for (const AgeBand& band : choices.bands) addBand(chart, band, rows.size(), style);
    for (size_t r = 0; r < rows.size(); ++r) {
        const FigureSample& sample = rows[r];
        const double base = static_cast<double>(rows.size() - 1 - r);
        const QColor colour = sampleColour(sample.colour);
        if (choices.binWidth > 0 && !sample.ages.empty()) {
            auto* histogram = new FilledShape(chart.xAxis, chart.yAxis);
            histogram->setOutline(histogramOutline(sample.ages, choices.binWidth, base));
            histogram->setPen(QPen(withAlpha(colour, 90), 1.0));
            histogram->setBrush(withAlpha(colour, 45));
            histogram->setAntialiased(false);  // steps: edges on the pixel grid
        }
        if (sample.profile.size() == grid.size()) {
            auto* profile = new FilledShape(chart.xAxis, chart.yAxis);
            profile->setOutline(profileOutline(grid, sample.profile, base));
            profile->setPen(QPen(colour.darker(140), 1.0));
            profile->setBrush(withAlpha(colour, 150));
        }
        addRowLabel(chart, sample, base, style);
        if (choices.peaks) addPeakLabels(chart, sample, base, static_cast<int>(r), style);
    }
}

}  // namespace kestrel
