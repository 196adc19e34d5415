// Selecting a window's grains by age and testing them.
#include "engine/comparison/GrainWindows.h"

#include <algorithm>

#include "engine/comparison/WindowsTable.h"

namespace kestrel {
namespace {

std::span<const double> within(const std::vector<double>& sorted, double from, double to) {
    const auto first = std::lower_bound(sorted.begin(), sorted.end(), from);
    const auto last = std::upper_bound(first, sorted.end(), to);
    return {first, last};
}

}  // namespace

GrainWindows::GrainWindows(std::span<const double> ages1, std::span<const double> ages2)
    : m_ages1(sortedAges(ages1)), m_ages2(sortedAges(ages2)) {}

GrainWindowTest GrainWindows::test(double fromAge, double toAge) const {
    if (toAge < fromAge) std::swap(fromAge, toAge);
    const auto grains1 = within(m_ages1, fromAge, toAge);
    const auto grains2 = within(m_ages2, fromAge, toAge);
    GrainWindowTest test;
    test.grains1 = static_cast<int64_t>(grains1.size());
    test.grains2 = static_cast<int64_t>(grains2.size());
    if (!grains1.empty() && !grains2.empty()) {
        const SampleGaps gaps = sortedSampleGaps(grains1, grains2);
        test.ks = ksSamplesTestOf(test.grains1, test.grains2, gaps);
        test.kuiper = kuiperTestOf(test.grains1, test.grains2, gaps);
    }
    return test;
}

void GrainWindows::fill(std::vector<WindowsTableRow>& rows) const {
    for (WindowsTableRow& row : rows) row.grains = test(row.firstAge, row.lastAge);
}

const std::vector<std::string>& grainWindowHeaders() {
    static const std::vector<std::string> headers{"Grains 1", "Grains 2", "Grain D",
                                                  "Grain p",  "Kuiper V", "Kuiper p"};
    return headers;
}

}  // namespace kestrel
