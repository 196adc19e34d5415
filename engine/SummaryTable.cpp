// The summary table's header texts and row values, and the window log line.
#include "engine/SummaryTable.h"

#include "engine/KestrelError.h"
#include "engine/NumberText.h"

namespace kestrel {

const std::array<std::string, 7>& summaryHeaders() {
    static const std::array<std::string, 7> headers{
        "Age", "Curve 1", "Curve 2", "Difference", "Difference (W)", "Cutoff", "Cutoff (W)"};
    return headers;
}

std::array<double, 7> summaryRow(const ProfileData& data, int32_t k) {
    if (k < 1 || k > data.NumRows) {
        throw KestrelError("Position " + std::to_string(k) + " lies outside positions 1 to " +
                           std::to_string(data.NumRows));
    }
    const auto at = [k](const std::vector<double>& values) {
        return static_cast<size_t>(k) < values.size() ? values[static_cast<size_t>(k)] : 0.0;
    };
    return {at(data.AgeData),     at(data.Curve1), at(data.Curve2), at(data.Difference),
            at(data.DifferenceW), at(data.Cutoff), at(data.CutoffW)};
}

std::string windowLogLine(int32_t first, double firstAge, int32_t last, double lastAge,
                          double cutoff, std::string_view decimalSeparator) {
    // Ages use "####0.000" and the cutoff "#0.000": both give every integer digit and exactly
    // three decimals, so one formatter serves both.
    std::string line = std::to_string(first);
    line += "   ";
    line += formatFixed(firstAge, 3, decimalSeparator);
    line += "     ";
    line += std::to_string(last);
    line += "   ";
    line += formatFixed(lastAge, 3, decimalSeparator);
    line += "    n=";
    line += std::to_string(static_cast<int64_t>(last) - first + 1);
    line += "    Cutoff = ";
    line += formatFixed(cutoff, 3, decimalSeparator);
    return line;
}

}  // namespace kestrel
