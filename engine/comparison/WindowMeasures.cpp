// Each window's rows compared by the other measures.
#include "engine/comparison/WindowMeasures.h"

#include <span>

namespace kestrel {

void fillWindowMeasures(std::vector<WindowsTableRow>& rows, const ProfileData& data,
                        const std::vector<Measure>& measures) {
    for (WindowsTableRow& row : rows) {
        row.measures.clear();
        if (row.first < 1 || row.last < row.first) continue;
        const auto first = static_cast<size_t>(row.first);
        const auto count = static_cast<size_t>(row.last - row.first + 1);
        const std::span<const double> ages(data.AgeData.data() + first, count);
        const std::vector<size_t> order = ascendingAgeOrder(ages);
        std::vector<double> sortedAges;
        for (const size_t r : order) sortedAges.push_back(ages[r]);
        const PreparedProfile a =
            prepareProfile(std::span<const double>(data.Y1Data.data() + first, count), order);
        const PreparedProfile b =
            prepareProfile(std::span<const double>(data.Y2Data.data() + first, count), order);
        for (const Measure measure : measures) {
            // D is the table's own column; a measure of age lists has no value for profiles.
            const MeasureInfo& info = measureInfo(measure);
            if (measure == Measure::KsD || !info.ofProfiles) continue;
            row.measures.emplace_back(measure, info.ofProfiles(a, b, sortedAges));
        }
    }
}

}  // namespace kestrel
