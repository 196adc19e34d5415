// Distribution figures written as SVG, PDF or PNG files at a chosen width.
#include "output/FigureFiles.h"

#include <qcustomplot.h>

#include <cmath>

#include "engine/KestrelError.h"
#include "output/GraphExport.h"

namespace kestrel {
namespace {

constexpr double kCumulativeAspect = 0.62;

GraphFormat formatOf(const std::string& path) {
    const size_t dot = path.rfind('.');
    const auto format = graphFormatNamed(dot == std::string::npos ? "" : path.substr(dot + 1));
    if (!format) {
        throw KestrelError("Cannot write the figure " + path +
                           ": its name must end in .svg, .pdf or .png");
    }
    return *format;
}

}  // namespace

std::vector<FigureSample> figureSamples(const std::vector<FigureSampleData>& samples) {
    std::vector<FigureSample> shown;
    shown.reserve(samples.size());
    for (const FigureSampleData& data : samples)
        shown.push_back(
            {QString::fromStdString(data.name), data.ages, data.profile, data.peaks, data.colour});
    return shown;
}

QSize fillRequestedFigure(QCustomPlot& chart, const FigureRequest& request) {
    const FigureStyle style{request.fontPoints, request.logAge};
    const std::vector<FigureSample> samples = figureSamples(request.samples);
    const int width = figurePixels(request.widthMm);
    switch (request.kind) {
        case FigureKind::Stacked: {
            StackedChoices choices;
            choices.binWidth = request.binWidth;
            choices.bands = request.bands;
            fillStackedFigure(chart, request.grid, samples, choices, style);
            return {width, stackedFigureHeight(samples.size(), style)};
        }
        case FigureKind::Cumulative: {
            std::vector<bool> bands;
            for (const FigureSampleData& data : request.samples) bands.push_back(data.band);
            fillCumulativeFigure(chart, samples, bands, style);
            return {width, static_cast<int>(std::lround(width * kCumulativeAspect))};
        }
        case FigureKind::Bins:
            fillAgeBinsFigure(chart, samples, request.edges, style);
            return {width, ageBinsFigureHeight(samples.size(), style)};
    }
    return {width, width};
}

void writeFigureFile(const FigureRequest& request) {
    const GraphFormat format = formatOf(request.path);
    if (!(request.widthMm >= kMinFigureWidth && request.widthMm <= kMaxFigureWidth)) {
        throw KestrelError("The figure's width must be 40 to 1000 mm");
    }
    if (!(request.fontPoints >= kMinFigureFont && request.fontPoints <= kMaxFigureFont)) {
        throw KestrelError("The figure's font size must be 5 to 24 points");
    }
    QCustomPlot chart;
    chart.setObjectName("Figure");
    const QSize layout = fillRequestedFigure(chart, request);
    chart.resize(layout);
    exportGraphAtSize(chart, request.path, format, layout);
}

}  // namespace kestrel
