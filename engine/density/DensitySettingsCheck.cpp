// Checking the typed bandwidth and grid of the profiles.
#include "engine/density/DensitySettingsCheck.h"

#include "engine/NumberText.h"
#include "engine/density/ProfileMethods.h"

namespace kestrel {
namespace {

DensityRefusal refused(const DensityWording& wording, DensityField field, DensityFault fault) {
    return DensityRefusal{field, fault, wording(field, fault)};
}

std::optional<DensityRefusal> readGrid(const std::array<std::string, 3>& texts,
                                       const DensityWording& wording, DensityOptions& options) {
    const DensityField fields[] = {DensityField::GridFrom, DensityField::GridTo,
                                   DensityField::GridStep};
    double values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const auto value = parseRealNumber(texts[i]);
        if (!value) {
            return refused(wording, fields[i],
                           texts[i].empty() ? DensityFault::Missing : DensityFault::NotANumber);
        }
        values[i] = *value;
    }
    if (!(values[1] > values[0]))
        return refused(wording, DensityField::GridTo, DensityFault::NotAboveFrom);
    if (!(values[2] > 0)) return refused(wording, DensityField::GridStep, DensityFault::NotAbove0);
    options.grid = AgeGrid{values[0], values[1], values[2]};
    return std::nullopt;
}

}  // namespace

std::variant<DensityOptions, DensityRefusal> checkDensityTexts(const DensityTexts& texts,
                                                               const DensityWording& wording) {
    DensityOptions options;
    options.kind = texts.kind;
    if (texts.bandwidth) {
        if (profileMethod(texts.kind).usesBandwidth) {
            const auto bandwidth = parseRealNumber(*texts.bandwidth);
            if (!bandwidth || !(*bandwidth > 0))
                return refused(wording, DensityField::Bandwidth, DensityFault::NotAbove0);
            options.bandwidth = *bandwidth;
        } else if (texts.refuseUnusedBandwidth) {
            return refused(wording, DensityField::Bandwidth, DensityFault::NotUsed);
        }
    }
    if (texts.grid) {
        if (auto refusal = readGrid(*texts.grid, wording, options)) return *refusal;
    }
    return options;
}

}  // namespace kestrel
