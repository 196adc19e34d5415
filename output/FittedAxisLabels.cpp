// Choosing each axis's title by the room along it, after every layout.
#include "output/FittedAxisLabels.h"

#include <qcustomplot.h>

#include <QFontMetrics>

namespace kestrel {
namespace {

const char* const kChoices = "kestrelLabelChoices";
const char* const kFitting = "kestrelLabelsFitted";

void fitLabel(QCPAxis& axis) {
    const QStringList choices = axis.property(kChoices).toStringList();
    if (choices.isEmpty() || !axis.axisRect()) return;
    const QRect rect = axis.axisRect()->rect();
    const bool across = axis.orientation() == Qt::Horizontal;
    const int room = across ? rect.width() : rect.height();
    const QFontMetrics metrics(axis.labelFont());
    QString chosen = choices.back();
    for (const QString& choice : choices) {
        if (metrics.horizontalAdvance(choice) <= room) {
            chosen = choice;
            break;
        }
    }
    // One line whatever its text, so the margins stay as laid out.
    if (axis.label() != chosen) axis.setLabel(chosen);
}

void fitLabels(QCustomPlot& chart) {
    for (QCPLayoutElement* element : chart.plotLayout()->elements(true)) {
        QList<QCPAxis*> axes;
        if (auto* rect = qobject_cast<QCPAxisRect*>(element)) axes = rect->axes();
        if (auto* scale = qobject_cast<QCPColorScale*>(element)) axes = {scale->axis()};
        for (QCPAxis* axis : axes) {
            if (axis) fitLabel(*axis);
        }
    }
}

}  // namespace

QString fullLabel(const QCPAxis& axis) {
    const QStringList choices = axis.property(kChoices).toStringList();
    return choices.isEmpty() ? axis.label() : choices.front();
}

void setFittedLabel(QCPAxis& axis, const QStringList& longestFirst) {
    axis.setProperty(kChoices, longestFirst);
    axis.setLabel(longestFirst.isEmpty() ? QString() : longestFirst.front());
    QCustomPlot* chart = axis.parentPlot();
    if (!chart || chart->property(kFitting).toBool()) return;
    chart->setProperty(kFitting, true);
    QObject::connect(chart, &QCustomPlot::afterLayout, chart, [chart] { fitLabels(*chart); });
}

}  // namespace kestrel
