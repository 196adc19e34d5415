// PNG, SVG and PDF files of a graph: each format drawn into memory, then written atomically.
#include "output/GraphExport.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QImage>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>

#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"

namespace kestrel {

namespace {

constexpr int kScreenDpi = 96;  // the pixels of a layout size are screen pixels
constexpr double kPointsPerInch = 72.0;
constexpr double kMetresPerInch = 0.0254;
constexpr int kSmallestLaidOutSide = 50;
constexpr int kFallbackWidth = 1000;
constexpr int kFallbackHeight = 600;

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw KestrelError("Cannot export the graph to " + path + ": " + why);
}

// Vector output: every item drawn as geometry, pens that scale with the drawing.
void setVectorModes(QCPPainter& painter) {
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.setMode(QCPPainter::pmNonCosmetic);
}

QByteArray pngBytes(QCustomPlot& chart, QSize layout, int dpi, const std::string& path) {
    if (dpi < kMinGraphDpi || dpi > kMaxGraphDpi) {
        refuse(path, "the resolution must be " + std::to_string(kMinGraphDpi) + " to " +
                         std::to_string(kMaxGraphDpi) + " dpi, not " + std::to_string(dpi));
    }
    const QSize pixels = graphPngPixelSize(layout, dpi);
    if (pixels.width() > kMaxGraphImageSide || pixels.height() > kMaxGraphImageSide) {
        refuse(path, "at " + std::to_string(dpi) + " dpi the image would be " +
                         std::to_string(pixels.width()) + " x " + std::to_string(pixels.height()) +
                         " pixels, more than 10,000 a side; choose a lower resolution");
    }
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) refuse(path, "there is not enough memory for the image");
    image.fill(Qt::white);
    {
        QCPPainter painter(&image);
        const double scale = static_cast<double>(dpi) / kScreenDpi;
        if (dpi != kScreenDpi) {
            painter.setMode(QCPPainter::pmNonCosmetic);  // lines grow with the text
            painter.scale(scale, scale);
        }
        chart.toPainter(&painter, layout.width(), layout.height());
    }
    // Recorded once drawn: fonts drawn on an image of this resolution would grow twice.
    const int dotsPerMetre = qRound(dpi / kMetresPerInch);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) refuse(path, "the PNG image could not be encoded");
    return bytes;
}

QByteArray svgBytes(QCustomPlot& chart, QSize layout, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(layout);
    svg.setViewBox(QRect(QPoint(0, 0), layout));
    svg.setResolution(kScreenDpi);
    svg.setTitle(chart.objectName());
    svg.setDescription("Kestrel graph");
    QCPPainter painter;
    if (!painter.begin(&svg)) refuse(path, "the SVG drawing could not be started");
    setVectorModes(painter);
    chart.toPainter(&painter, layout.width(), layout.height());
    if (!painter.end()) refuse(path, "the SVG drawing could not be finished");
    return bytes;
}

QByteArray pdfBytes(QCustomPlot& chart, QSize layout, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setCreator("Kestrel");
    pdf.setTitle(chart.objectName());
    pdf.setResolution(kScreenDpi);
    const QSizeF points(layout.width() * kPointsPerInch / kScreenDpi,
                        layout.height() * kPointsPerInch / kScreenDpi);
    const QPageSize page(points, QPageSize::Point, QString(), QPageSize::ExactMatch);
    if (!pdf.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF()))) {
        refuse(path, "the page size could not be set");
    }
    QCPPainter painter;
    if (!painter.begin(&pdf)) refuse(path, "the PDF page could not be started");
    setVectorModes(painter);
    chart.toPainter(&painter, layout.width(), layout.height());
    if (!painter.end()) refuse(path, "the PDF page could not be finished");
    return bytes;
}

QByteArray graphBytes(QCustomPlot& chart, QSize layout, GraphFormat format, int dpi,
                      const std::string& path) {
    switch (format) {
        case GraphFormat::Png:
            return pngBytes(chart, layout, dpi, path);
        case GraphFormat::Svg:
            return svgBytes(chart, layout, path);
        case GraphFormat::Pdf:
            return pdfBytes(chart, layout, path);
    }
    refuse(path, "the format is unknown");
}

}  // namespace

std::optional<GraphFormat> graphFormatNamed(std::string_view name) {
    const QString lower =
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toLower();
    if (lower == "png") return GraphFormat::Png;
    if (lower == "svg") return GraphFormat::Svg;
    if (lower == "pdf") return GraphFormat::Pdf;
    return std::nullopt;
}

const char* graphFormatSuffix(GraphFormat format) {
    switch (format) {
        case GraphFormat::Svg:
            return "svg";
        case GraphFormat::Pdf:
            return "pdf";
        case GraphFormat::Png:
            break;
    }
    return "png";
}

QSize graphExportLayoutSize(const QCustomPlot& chart) {
    const QSize size = chart.size();
    if (size.width() < kSmallestLaidOutSide || size.height() < kSmallestLaidOutSide) {
        return {kFallbackWidth, kFallbackHeight};
    }
    return size;
}

QSize graphPngPixelSize(QSize layoutSize, int dpi) {
    const double scale = static_cast<double>(dpi) / kScreenDpi;
    return {static_cast<int>(std::lround(layoutSize.width() * scale)),
            static_cast<int>(std::lround(layoutSize.height() * scale))};
}

void exportGraph(QCustomPlot& chart, const std::string& path, GraphFormat format, int dpi) {
    exportGraphAtSize(chart, path, format, graphExportLayoutSize(chart), dpi);
}

void exportGraphAtSize(QCustomPlot& chart, const std::string& path, GraphFormat format,
                       QSize layout, int dpi) {
    QByteArray bytes;
    try {
        bytes = graphBytes(chart, layout, format, dpi, path);
    } catch (...) {
        chart.replot(QCustomPlot::rpQueuedReplot);
        throw;
    }
    // Drawing at another size left the layout of that size; the screen gets its own back.
    chart.replot(QCustomPlot::rpQueuedReplot);
    writeFileAtomically(path,
                        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace kestrel
