// Checking the options of the distribution figures.
#include "tools/batch/FigureSettings.h"

#include <utility>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/figures/AgeBins.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel::batch {
namespace {

FigureKind kindOf(const std::string& text) {
    if (text == "stacked") return FigureKind::Stacked;
    if (text == "cumulative") return FigureKind::Cumulative;
    if (text == "bins") return FigureKind::Bins;
    throw UsageError{"--figure takes stacked, cumulative or bins, not \"" + text + "\""};
}

double numberIn(const std::string& text, const char* option, double low, double high,
                const char* what) {
    const std::optional<double> value = parseRealNumber(text);
    if (!value || *value < low || *value > high) {
        throw UsageError{std::string(option) + " takes " + what + ", not \"" + text + "\""};
    }
    return *value;
}

void checkTableFile(const std::optional<std::string>& path, const char* option) {
    if (path && !nameEndsWith(*path, ".csv") && !nameEndsWith(*path, ".xlsx"))
        throw UsageError{std::string(option) + " writes .csv or .xlsx, not " + *path};
}

// The figure's own options, each refused without the figure it belongs to.
void refuseMisplaced(const BatchOptions& options, const std::optional<FigureKind>& kind) {
    const bool stacked = kind == FigureKind::Stacked, cumulative = kind == FigureKind::Cumulative;
    const std::pair<bool, const char*> needFigure[] = {
        {options.order.has_value(), "--order"},
        {options.logAge, "--log-age"},
        {options.figureWidth.has_value(), "--figure-width"},
        {options.figureFont.has_value(), "--figure-font"}};
    for (const auto& [given, name] : needFigure)
        if (given && !kind) throw UsageError{std::string(name) + " needs --figure KIND"};
    if (options.bands && !stacked) throw UsageError{"--bands needs --figure stacked"};
    if (options.binWidth && !stacked) throw UsageError{"--bin-width needs --figure stacked"};
    if (options.dkw && !cumulative) throw UsageError{"--dkw needs --figure cumulative"};
    if (options.peakThreshold && !stacked && !options.peaksOut)
        throw UsageError{"--peak-threshold needs --figure stacked or --peaks-out"};
    const bool binsWanted = kind == FigureKind::Bins || options.binsOut;
    if (binsWanted && !options.bins)
        throw UsageError{"--figure bins and --bins-out need --bins EDGES, e.g. 0,300,600,1000"};
    if (options.bins && !binsWanted)
        throw UsageError{"--bins needs --figure bins or --bins-out FILE"};
}

}  // namespace

bool wantsFigures(const BatchOptions& options) {
    return options.figure || options.figureOut || options.bins || options.bands || options.order ||
           options.logAge || options.figureWidth || options.figureFont || options.binWidth ||
           options.peakThreshold || options.dkw || options.peaksOut || options.binsOut;
}

void refuseFigureOptions(const BatchOptions& options) {
    const std::pair<bool, const char*> agesOnly[] = {
        {options.figure.has_value(), "--figure"},
        {options.figureOut.has_value(), "--figure-out"},
        {options.bins.has_value(), "--bins"},
        {options.bands.has_value(), "--bands"},
        {options.order.has_value(), "--order"},
        {options.logAge, "--log-age"},
        {options.figureWidth.has_value(), "--figure-width"},
        {options.figureFont.has_value(), "--figure-font"},
        {options.binWidth.has_value(), "--bin-width"},
        {options.peakThreshold.has_value(), "--peak-threshold"},
        {options.dkw.has_value(), "--dkw"},
        {options.peaksOut.has_value(), "--peaks-out"},
        {options.binsOut.has_value(), "--bins-out"}};
    for (const auto& [given, name] : agesOnly)
        if (given) throw UsageError{std::string(name) + " needs --ages"};
}

FigureSettings checkFigureOptions(const BatchOptions& options) {
    if (options.figure.has_value() != options.figureOut.has_value())
        throw UsageError{"--figure KIND and --figure-out FILE go together"};
    FigureSettings settings;
    if (options.figure) settings.figure = kindOf(*options.figure);
    refuseMisplaced(options, settings.figure);
    if (options.figureOut) {
        settings.figureOut = *options.figureOut;
        if (!nameEndsWith(settings.figureOut, ".svg") &&
            !nameEndsWith(settings.figureOut, ".pdf") && !nameEndsWith(settings.figureOut, ".png"))
            throw UsageError{"--figure-out writes .svg, .pdf or .png, not " + settings.figureOut};
    }
    try {
        if (options.bins) settings.edges = parseBinEdges(*options.bins);
        if (options.bands) settings.bands = parseAgeBands(*options.bands);
    } catch (const KestrelError& error) {
        throw UsageError{
            std::string(options.bins && settings.edges.empty() ? "--bins: " : "--bands: ") +
            error.what()};
    }
    if (options.order) settings.order = *options.order;
    settings.logAge = options.logAge;
    if (options.figureWidth)
        settings.widthMm =
            numberIn(*options.figureWidth, "--figure-width", 40, 1000, "40 to 1000 mm");
    if (options.figureFont)
        settings.fontPoints =
            numberIn(*options.figureFont, "--figure-font", 5, 24, "5 to 24 points");
    if (options.binWidth)
        settings.binWidth = numberIn(*options.binWidth, "--bin-width", 0, 1e300,
                                     "a bin width of 0 (no histograms) or more");
    if (options.peakThreshold)
        settings.peakThreshold =
            numberIn(*options.peakThreshold, "--peak-threshold", 0, 100, "0 to 100 (per cent)");
    settings.dkw = options.dkw;
    settings.peaksOut = options.peaksOut;
    settings.binsOut = options.binsOut;
    checkTableFile(settings.peaksOut, "--peaks-out");
    checkTableFile(settings.binsOut, "--bins-out");
    return settings;
}

}  // namespace kestrel::batch
