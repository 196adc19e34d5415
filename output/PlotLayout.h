// Laying a QCustomPlot out again from inside its afterLayout signal, after a change that moves
// its margins (new ranges, tick labels or minimum margins).
#pragma once

#include <qcustomplot.h>

namespace kestrel {

/// @brief Runs the three layout phases QCustomPlot runs before it draws (replot() and
/// toPainter() alike); emits nothing, so it is safe inside afterLayout.
inline void relayout(QCustomPlot& chart) {
    chart.plotLayout()->update(QCPLayoutElement::upPreparation);
    chart.plotLayout()->update(QCPLayoutElement::upMargins);
    chart.plotLayout()->update(QCPLayoutElement::upLayout);
}

}  // namespace kestrel
