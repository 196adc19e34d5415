// Age bins typed by the user and counted as numpy.histogram counts them.
#include "engine/figures/AgeBins.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/KestrelError.h"
#include "engine/ListText.h"
#include "engine/MessageText.h"
#include "engine/NumberText.h"

namespace kestrel {
namespace {

std::string shortest(double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

}  // namespace

std::vector<double> parseBinEdges(const std::string& text) {
    std::vector<double> edges;
    for (const std::string& typed : commaSeparated(text)) {
        const std::string item = withoutEndSpaces(typed);
        const std::optional<double> edge = parseRealNumber(item);
        if (!edge || !std::isfinite(*edge)) {
            throw KestrelError("The bin edge \"" + messageExcerpt(item) +
                               "\" is not a number; type the edges as ascending numbers "
                               "separated by commas, e.g. 0,300,600,1000");
        }
        if (!edges.empty() && !(*edge > edges.back())) {
            throw KestrelError("The bin edges must ascend: " + item + " follows " +
                               shortest(edges.back()));
        }
        edges.push_back(*edge);
    }
    if (edges.size() < 2) {
        throw KestrelError("The bins need at least two edges, e.g. 0,300,600,1000");
    }
    return edges;
}

BinCounts countInBins(const std::vector<double>& ages, const std::vector<double>& edges) {
    BinCounts result;
    result.counts.assign(edges.size() - 1, 0);
    result.grains = static_cast<int>(ages.size());
    for (double age : ages) {
        if (!(age >= edges.front() && age <= edges.back())) {
            ++result.outside;
            continue;
        }
        // The last edge belongs to the last bin; every other edge starts its own.
        size_t bin =
            static_cast<size_t>(std::upper_bound(edges.begin(), edges.end(), age) - edges.begin()) -
            1;
        if (bin >= result.counts.size()) bin = result.counts.size() - 1;
        ++result.counts[bin];
    }
    return result;
}

std::string binLabel(double low, double high) {
    return shortest(low) + "-" + shortest(high);
}

double roundBinWidth(double low, double high) {
    const double span = high - low;
    if (!std::isfinite(span) || !(span > 0.0)) return 1.0;
    const double raw = span / 50.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double best = power;
    for (double step : {1.0, 2.0, 5.0, 10.0}) {
        if (std::abs(std::log(step * power / raw)) < std::abs(std::log(best / raw)))
            best = step * power;
    }
    return best;
}

std::vector<double> histogramEdges(double low, double high, double width, int maxBins) {
    if (!(width > 0.0) || !std::isfinite(low) || !std::isfinite(high)) return {low, high};
    double start = std::floor(low / width) * width;
    double bins = std::max(1.0, std::ceil((high - start) / width));
    if (bins > maxBins) {
        width = (high - low) / maxBins * 1.0000001;
        start = low;
        bins = maxBins;
    }
    std::vector<double> edges;
    for (int e = 0; e <= static_cast<int>(bins); ++e) edges.push_back(start + e * width);
    return edges;
}

}  // namespace kestrel
