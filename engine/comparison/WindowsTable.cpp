// Building the windows table from the arrays and windows of a finished comparison.
#include "engine/comparison/WindowsTable.h"

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

// The largest value of positions first..last; a value that is no number wins, so that it
// shows instead of hiding behind the others.
double largestIn(const std::vector<double>& values, int32_t first, int32_t last) {
    double largest = 0;
    for (int64_t k = first; k <= last; ++k) {
        const double v = values[static_cast<size_t>(k)];
        if (std::isnan(v)) return v;
        largest = std::max(largest, v);
    }
    return largest;
}

WindowsTableRow rowFor(const ProfileData& data, int32_t first, int32_t last, double d,
                       double criticalValue, const std::optional<GrainCounts>& grains) {
    WindowsTableRow row;
    row.first = first;
    row.last = last;
    row.firstAge = data.AgeData[static_cast<size_t>(first)];
    row.lastAge = data.AgeData[static_cast<size_t>(last)];
    row.rows = last - first + 1;
    const SampleSizes sizes = windowSampleSizes(data, first, last, grains);
    row.n1 = sizes.n1;
    row.n2 = sizes.n2;
    row.d = d;
    row.criticalValue = criticalValue;
    const KsProbability tail = ksTwoSampleTail(sizes.n1, sizes.n2, d);
    row.p = tail.p;
    row.method = tail.method;
    row.beyond = d > criticalValue;
    return row;
}

}  // namespace

const std::array<std::string, 12>& windowsTableHeaders() {
    static const std::array<std::string, 12> headers{
        "First", "First age", "Last",           "Last age", "Rows",   "n1",
        "n2",    "D",         "Critical value", "p",        "Beyond", "Method"};
    return headers;
}

std::vector<WindowsTableRow> buildWindowsTable(const ProfileData& data,
                                               const std::vector<ProfileWindow>& windows,
                                               const std::optional<GrainCounts>& grains) {
    std::vector<WindowsTableRow> rows;
    if (data.NumRows < 1) return rows;
    rows.reserve(windows.size() + 1);
    const int32_t n = data.NumRows;
    rows.push_back(rowFor(data, 1, n, largestIn(data.Difference, 1, n), data.Cutoff[1], grains));
    for (const ProfileWindow& w : windows) {
        rows.push_back(rowFor(data, w.first, w.last, largestIn(data.DifferenceW, w.first, w.last),
                              w.cutoff, grains));
    }
    return rows;
}

const char* beyondText(bool beyond) {
    return beyond ? "yes" : "no";
}

}  // namespace kestrel
