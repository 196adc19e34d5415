// The distribution figures and their tables, from a workbook of grain ages.
#include "tools/batch/FigureRun.h"

#include <algorithm>
#include <limits>

#include "engine/KestrelError.h"
#include "engine/ListText.h"
#include "engine/MessageText.h"
#include "engine/density/DensityProfiles.h"
#include "engine/figures/AgeBins.h"
#include "engine/figures/ProfilePeaks.h"
#include "engine/figures/SampleOrder.h"
#include "sheet/core/FigureTablesSheet.h"
#include "tools/batch/AgesRun.h"
#include "tools/batch/BatchGraphs.h"
#include "tools/batch/plugin/FigurePlugin.h"

namespace kestrel::batch {
namespace {

std::vector<bool> bandedSamples(const std::vector<GrainSample>& samples,
                                const std::optional<std::string>& list) {
    std::vector<bool> banded(samples.size(), list && *list == "all");
    if (!list || *list == "all") return banded;
    for (const std::string& name : commaSeparated(*list)) {
        const auto found = std::find_if(samples.begin(), samples.end(),
                                        [&](const GrainSample& s) { return s.name == name; });
        if (found == samples.end())
            throw KestrelError("--dkw names \"" + messageExcerpt(name) +
                               "\", which no sample of the workbook is called");
        banded[static_cast<size_t>(found - samples.begin())] = true;
    }
    return banded;
}

double histogramWidth(const FigureSettings& asked, const std::vector<GrainSample>& samples) {
    if (asked.binWidth) return *asked.binWidth;
    double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
    for (const GrainSample& sample : samples) {
        for (double age : sample.ages) {
            low = std::min(low, age);
            high = std::max(high, age);
        }
    }
    return roundBinWidth(low, high);
}

FigureRequest requestOf(const FigureSettings& asked, const std::vector<GrainSample>& samples,
                        const DensityProfiles& profiles,
                        const std::vector<std::vector<ProfilePeak>>& peaks) {
    FigureRequest request;
    request.kind = *asked.figure;
    request.path = asked.figureOut;
    request.grid = profiles.ages;
    request.bands = asked.bands;
    request.edges = asked.edges;
    request.logAge = asked.logAge;
    request.widthMm = asked.widthMm;
    request.fontPoints = asked.fontPoints;
    if (request.kind == FigureKind::Stacked) request.binWidth = histogramWidth(asked, samples);
    const std::vector<bool> banded = bandedSamples(samples, asked.dkw);
    for (size_t s : sampleOrder(samples, asked.order)) {
        request.samples.push_back(
            {samples[s].name, samples[s].ages, profiles.profiles[s], peaks[s], s, banded[s]});
    }
    return request;
}

void noteBinsLeftOut(const std::vector<GrainSample>& samples, const std::vector<BinCounts>& counts,
                     std::ostream& err) {
    for (size_t s = 0; s < samples.size(); ++s) {
        if (counts[s].outside == 0) continue;
        err << "kestrel-batch: note: sample \"" << samples[s].name << "\": " << counts[s].outside
            << (counts[s].outside == 1 ? " grain lies" : " grains lie")
            << " outside the bins; its shares add to less than 100%\n";
    }
}

}  // namespace

FigureWriter loadFigureWriterIfAsked([[maybe_unused]] const AgesSettings& settings) {
#ifdef KESTREL_BATCH_GRAPHS
    if (!settings.figures || !settings.figures->figure) return {};
    auto* write = reinterpret_cast<FigureFunction*>(batchGraphsEntry(kFigureSymbol));
    return [write](const FigureRequest& request) {
        char message[512] = {};
        if (write(&request, message, sizeof message) != 0) throw KestrelError(message);
    };
#else
    return {};
#endif
}

void runFigures(const AgesSettings& settings, std::ostream& out, std::ostream& err,
                const FigureWriter& writeFigure) {
    const FigureSettings& asked = *settings.figures;
    if (asked.figure && !writeFigure)
        throw KestrelError(
            "This kestrel-batch was built without graph images: --figure cannot "
            "be drawn");
    GrainAges read = readAgesOf(settings, 1);
    warnOfUnusableSamples(read, err);
    const std::vector<GrainSample>& samples = read.samples;
    const DensityProfiles profiles = buildDensityProfiles(samples, settings.density);
    noteGrainsOutsideGrid(samples, profiles, {}, err);
    warnOfBandwidthsWithoutRoot(samples, profiles, err);
    std::vector<std::vector<ProfilePeak>> peaks;
    std::vector<std::string> names;
    for (size_t s = 0; s < samples.size(); ++s) {
        peaks.push_back(findProfilePeaks(profiles.ages, profiles.profiles[s], samples[s].ages,
                                         asked.peakThreshold));
        names.push_back(samples[s].name);
    }
    out << samples.size() << (samples.size() == 1 ? " sample" : " samples");
    const char* separator = ": ";
    if (asked.figure) {
        writeFigure(requestOf(asked, samples, profiles, peaks));
        out << separator << "figure " << asked.figureOut;
        separator = "; ";
    }
    if (asked.peaksOut) {
        size_t count = 0;
        for (const auto& found : peaks) count += found.size();
        writePeaksFile(*asked.peaksOut, names, peaks);
        out << separator << count << " peaks";
        separator = "; ";
    }
    if (asked.binsOut) {
        std::vector<BinCounts> counts;
        for (const GrainSample& sample : samples)
            counts.push_back(countInBins(sample.ages, asked.edges));
        noteBinsLeftOut(samples, counts, err);
        writeBinsFile(*asked.binsOut, names, asked.edges, counts);
        out << separator << asked.edges.size() - 1 << " bins";
    }
    out << '\n';
}

}  // namespace kestrel::batch
