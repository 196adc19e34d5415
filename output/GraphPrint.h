// Printing a graph: one page on the default printer, drawn as on screen.
#pragma once

#include <QString>

class QCustomPlot;
class QWidget;

namespace kestrel {

class UserInteraction;

/// @brief Prints `chart` on one page of ui.defaultPrinter(chart's object name): no dialog, the
/// graph at its on-screen size scaled to fill the page within its margins, keeping its
/// proportions (landscape for a graph wider than high). If drawing fails the job is abandoned
/// and KestrelError is thrown; a missing printer raises the printer's own KestrelError.
void printGraph(QCustomPlot& chart, UserInteraction& ui);

/// @brief The Print button's rule: visible while the page in front is one of the graph pages
/// ("tsGraph" or "tsHistogram", by object name), hidden on any other page or none.
bool printButtonVisibleFor(const QWidget* pageInFront);

/// @brief Prints the graph on the page in front: Chart1 on "tsGraph", Chart2 on "tsHistogram",
/// nothing on any other page.
void printGraphInFront(const QWidget* pageInFront, QCustomPlot& chart1, QCustomPlot& chart2,
                       UserInteraction& ui);

}  // namespace kestrel
