// Age bins: the edges a user types, each sample's grains counted per bin (as numpy.histogram
// counts them), and the histogram bins behind a stacked profile.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

/// @brief Grains per bin of one sample. A bin holds the ages at or above its lower edge and
/// below its upper edge; the last bin also holds its upper edge.
struct BinCounts {
    std::vector<int> counts;  ///< one per bin
    int grains = 0;           ///< all the sample's ages
    int outside = 0;          ///< ages below the first edge or above the last
};

/// @brief The edges typed as numbers separated by commas, e.g. "0,300,600,1000": at least two,
/// each a real number ("." as the decimal mark), strictly ascending. Throws KestrelError saying
/// which edge does not read or does not ascend.
std::vector<double> parseBinEdges(const std::string& text);

/// @brief The grains of `ages` in the bins of `edges` (ascending, at least two).
BinCounts countInBins(const std::vector<double>& ages, const std::vector<double>& edges);

/// @brief A bin's heading, "LOW-HIGH", each edge as its shortest text ("0-300", "2.5-10").
std::string binLabel(double low, double high);

/// @brief A round bin width (1, 2 or 5 times a power of ten) giving about 50 bins over
/// [low, high]; 1 when the range is empty or not finite.
double roundBinWidth(double low, double high);

/// @brief Edges every `width` from the multiple of `width` at or below `low` to the first at
/// or above `high` (at least one bin), for a histogram; at most `maxBins` bins, the width
/// widened to keep within it.
std::vector<double> histogramEdges(double low, double high, double width, int maxBins = 5000);

}  // namespace kestrel
