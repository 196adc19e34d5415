// Rendering the graphs to PNG files.
#include "output/GraphImages.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QImage>
#include <memory>

#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"
#include "output/ProbabilityGraphs.h"

namespace kestrel {

namespace {
constexpr int kMinImageSide = 50;
constexpr int kMaxImageSide = 10000;
}  // namespace

QByteArray graphPng(QCustomPlot& chart, int width, int height) {
    if (width < kMinImageSide || width > kMaxImageSide || height < kMinImageSide ||
        height > kMaxImageSide) {
        throw KestrelError("Cannot draw the graph " + chart.objectName().toStdString() + " at " +
                           std::to_string(width) + " x " + std::to_string(height) +
                           " pixels: each side must be 50 to 10,000 pixels");
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QCPPainter painter(&image);
        chart.toPainter(&painter, width, height);
    }
    // Drawing at another size left the layout of that size; the screen gets its own back.
    chart.replot(QCustomPlot::rpQueuedReplot);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw KestrelError("Cannot encode the graph " + chart.objectName().toStdString() +
                           " as a PNG image");
    }
    return bytes;
}

namespace {

struct FilledGraphs {
    std::unique_ptr<QCustomPlot> chart1, chart2;
};

FilledGraphs filledGraphs(const ProfileData& data, int width, int height) {
    FilledGraphs graphs{std::unique_ptr<QCustomPlot>(createCumulativeProbabilityGraph(nullptr)),
                        std::unique_ptr<QCustomPlot>(createProbabilityGraph(nullptr))};
    graphs.chart1->resize(width, height);
    graphs.chart2->resize(width, height);
    fillGraphs(*graphs.chart1, *graphs.chart2, data);
    return graphs;
}

std::string folderPrefix(const std::string& folder) {
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

}  // namespace

void writeGraphDrawings(const ProfileData& data, const std::string& folder, GraphFormat format) {
    const FilledGraphs graphs = filledGraphs(data, 1000, 600);
    for (QCustomPlot* chart : {graphs.chart1.get(), graphs.chart2.get()}) {
        exportGraph(*chart,
                    folderPrefix(folder) + chart->objectName().toStdString() + "." +
                        graphFormatSuffix(format),
                    format);
    }
}

void writeGraphImages(const ProfileData& data, const std::string& folder, int width, int height) {
    const FilledGraphs graphs = filledGraphs(data, width, height);
    const std::string base = folderPrefix(folder);
    for (QCustomPlot* chart : {graphs.chart1.get(), graphs.chart2.get()}) {
        const QByteArray png = graphPng(*chart, width, height);
        writeFileAtomically(base + chart->objectName().toStdString() + ".png",
                            std::string_view(png.constData(), static_cast<size_t>(png.size())));
    }
}

}  // namespace kestrel
