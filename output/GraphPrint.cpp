// One-page printing of a graph, and which page's graph the Print button prints.
#include "output/GraphPrint.h"

#include <qcustomplot.h>

#include <QPrinter>
#include <algorithm>

#include "engine/KestrelError.h"
#include "ui/UserInteraction.h"

namespace kestrel {

namespace {

constexpr double kPageMarginMillimetres = 15.0;

/// A graph that was never laid out on screen is printed at this size.
constexpr int kFallbackWidth = 1000;
constexpr int kFallbackHeight = 600;
constexpr int kSmallestLaidOutSide = 50;

QSize onScreenSize(const QCustomPlot& chart) {
    const QSize size = chart.size();
    if (size.width() < kSmallestLaidOutSide || size.height() < kSmallestLaidOutSide) {
        return {kFallbackWidth, kFallbackHeight};
    }
    return size;
}

[[noreturn]] void abandon(QPrinter& printer, const QCustomPlot& chart, const std::string& why) {
    printer.abort();
    throw KestrelError("Cannot print the graph " + chart.objectName().toStdString() + ": " + why);
}

}  // namespace

void printGraph(QCustomPlot& chart, UserInteraction& ui) {
    std::unique_ptr<QPrinter> printer = ui.defaultPrinter(chart.objectName());
    const QSize size = onScreenSize(chart);
    printer->setPageOrientation(size.width() > size.height() ? QPageLayout::Landscape
                                                             : QPageLayout::Portrait);
    printer->setPageMargins(QMarginsF(kPageMarginMillimetres, kPageMarginMillimetres,
                                      kPageMarginMillimetres, kPageMarginMillimetres),
                            QPageLayout::Millimeter);
    QCPPainter painter;
    if (!painter.begin(printer.get())) {
        abandon(
            *printer, chart,
            "the printer \"" + printer->printerName().toStdString() + "\" does not accept the job");
    }
    // Vector output whose pens scale with the drawing, as for any scaled export of a graph.
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.setMode(QCPPainter::pmNonCosmetic);
    const QRectF page = printer->pageRect(QPrinter::DevicePixel);
    const double scale = std::min(page.width() / size.width(), page.height() / size.height());
    painter.translate((page.width() - scale * size.width()) / 2,
                      (page.height() - scale * size.height()) / 2);
    painter.scale(scale, scale);
    chart.toPainter(&painter, size.width(), size.height());
    chart.replot(QCustomPlot::rpQueuedReplot);
    if (!painter.end() || printer->printerState() == QPrinter::Error) {
        abandon(*printer, chart, "the printer reported an error while the page was drawn");
    }
}

bool printButtonVisibleFor(const QWidget* pageInFront) {
    if (!pageInFront) return false;
    const QString name = pageInFront->objectName();
    return name == "tsGraph" || name == "tsHistogram";
}

void printGraphInFront(const QWidget* pageInFront, QCustomPlot& chart1, QCustomPlot& chart2,
                       UserInteraction& ui) {
    if (!pageInFront) return;
    if (pageInFront->objectName() == "tsGraph") printGraph(chart1, ui);
    if (pageInFront->objectName() == "tsHistogram") printGraph(chart2, ui);
}

}  // namespace kestrel
