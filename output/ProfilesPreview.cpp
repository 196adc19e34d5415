// Drawing the grain-ages profiles preview.
#include "output/ProfilesPreview.h"

#include <qcustomplot.h>

#include <algorithm>

namespace kestrel {
namespace {

constexpr int kLegendAtMost = 4;

// Blue and green as the comparison draws its two curves, then well-separated hues.
QColor previewColour(size_t index) {
    static const QColor colours[] = {
        QColor(0, 0, 255),   QColor(0, 128, 0),   QColor(200, 0, 0),   QColor(128, 0, 128),
        QColor(230, 130, 0), QColor(0, 150, 160), QColor(120, 80, 30), QColor(220, 0, 140),
        QColor(90, 90, 90),  QColor(150, 160, 0), QColor(0, 90, 180),  QColor(170, 60, 60),
    };
    return colours[index % std::size(colours)];
}

}  // namespace

void drawProfilesPreview(QCustomPlot& plot, std::span<const double> ages,
                         const std::vector<std::span<const double>>& profiles,
                         const QStringList& labels) {
    plot.clearGraphs();
    plot.xAxis->setLabel("Age");
    plot.yAxis->setLabel("Profile (% of highest)");
    const QVector<double> keys(ages.begin(), ages.end());
    for (size_t s = 0; s < profiles.size(); ++s) {
        QCPGraph* graph = plot.addGraph();
        graph->setPen(QPen(previewColour(s), s < 2 ? 2 : 1));
        graph->setName(static_cast<qsizetype>(s) < labels.size() ? labels[static_cast<qsizetype>(s)]
                                                                 : QString());
        graph->setData(keys, QVector<double>(profiles[s].begin(), profiles[s].end()), true);
    }
    if (!ages.empty()) plot.xAxis->setRange(ages.front(), std::max(ages.back(), ages.front() + 1));
    plot.yAxis->setRange(0, 105);
    plot.legend->setVisible(!profiles.empty() &&
                            profiles.size() <= static_cast<size_t>(kLegendAtMost));
    QFont small = plot.font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    plot.legend->setFont(small);
    plot.axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
}

}  // namespace kestrel
