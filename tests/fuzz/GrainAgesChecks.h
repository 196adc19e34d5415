// Properties of the grain-ages path on any bytes: the workbook is read by content, its ages are
// read in the layout and with the uncertainty options the first byte picks, and the profiles
// are built from what was read. Each step reads or refuses with a KestrelError; what it reads
// keeps the promises of GrainAges.h and DensityProfiles.h.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "engine/KestrelError.h"
#include "engine/density/DensityProfiles.h"
#include "sheet/core/GrainAges.h"
#include "sheet/core/WorkbookReader.h"
#include "tests/fuzz/FuzzCheck.h"

namespace kestrel::fuzz {

/// Beyond this many grains or samples the profiles are not built: a PDP costs grains x grid
/// rows and each Botev bandwidth a transform of 2^14 points, so a large input would spend its
/// time there rather than in the reading, which is checked all the same.
inline constexpr size_t kMaxProfileGrains = 2000;
inline constexpr size_t kMaxProfileSamples = 32;

/// @brief The request the option byte picks. Bits 0-1: rows layout, or columns layout with no
/// uncertainties, uncertainties beside the ages or on the second sheet; bit 2: 2σ; bit 3: per
/// cent; bit 4: uncertainties required; bit 5: unusable samples set aside.
inline GrainAgesRequest grainAgesRequest(uint8_t options, const Workbook& book) {
    GrainAgesRequest request;
    switch (options & 3) {
        case 0:
            request.layout = AgesLayout::Rows;
            request.errors = ErrorsPlace::Beside;  // read by heading when there is the column
            break;
        case 1:
            request.layout = AgesLayout::Columns;
            break;
        case 2:
            request.layout = AgesLayout::Columns;
            request.errors = ErrorsPlace::Beside;
            break;
        default:
            request.layout = AgesLayout::Columns;
            request.errors = ErrorsPlace::Sheet;
            request.errorsSheet = book.sheets.size() > 1 ? book.sheets[1].name() : "Errors";
    }
    request.sigmaLevel = (options & 4) ? 2 : 1;
    request.relative = (options & 8) != 0;
    request.uncertaintiesRequired = (options & 16) != 0;
    request.setAsideUnusable = (options & 32) != 0;
    return request;
}

/// @brief What readGrainAges promises of the samples it returns.
inline size_t checkGrainAges(const GrainAges& ages, const GrainAgesRequest& request, size_t cells) {
    require(!ages.samples.empty(), "grain ages were read without a sample");
    std::set<std::string> names;
    size_t grains = 0;
    for (const GrainSample& sample : ages.samples) {
        require(names.insert(sample.name).second, "a sample name was read twice: " + sample.name);
        require(sample.ages.size() >= 2, "a sample was read with fewer than 2 ages");
        require(sample.sigmas.empty() || sample.sigmas.size() == sample.ages.size(),
                "a sample's uncertainties do not match its ages");
        if (request.uncertaintiesRequired) {
            require(sample.sigmas.size() == sample.ages.size(), "required uncertainties missing");
            for (const double sigma : sample.sigmas) {
                require(sigma > 0, "a required uncertainty is not above 0");
            }
        }
        grains += sample.ages.size();
    }
    require(grains <= cells, "more grains were read than the workbook has cells");
    return grains;
}

/// @brief What buildDensityProfiles promises of the profiles it returns.
inline void checkProfiles(const DensityProfiles& built, size_t samples) {
    require(built.profiles.size() == samples, "not one profile per sample");
    for (const auto& profile : built.profiles) {
        require(profile.size() == built.ages.size(), "a profile is not as long as the grid");
        const double top = profile.empty() ? 0 : *std::max_element(profile.begin(), profile.end());
        require(top == 100 || top == 0, "a profile's highest point is not 100");
        for (const double value : profile) {
            require(std::isfinite(value) && value >= 0,
                    "a profile value is negative or not finite");
        }
    }
}

/// @brief Reads `bytes` (the first one the options, the rest a workbook file) as grain ages and,
/// when that succeeds, builds their profiles: bits 6-7 of the options pick PDP, KDE, adaptive
/// KDE or KDE with the common bandwidth. Returns true when profiles were built; throws
/// InvariantBroken when a step breaks a property.
inline bool checkGrainAgesBytes(std::string_view bytes) {
    if (bytes.empty()) return false;
    const auto options = static_cast<uint8_t>(bytes[0]);
    const std::string name = "hostile-ages.csv";
    try {
        WorkbookFormat format;
        const Workbook book = readAnyWorkbookBytes(bytes.substr(1), name, format);
        size_t cells = 0;
        for (const Worksheet& sheet : book.sheets) cells += sheet.cellCount();
        const GrainAgesRequest request = grainAgesRequest(options, book);
        const GrainAges ages = readGrainAges(book, request);
        const size_t grains = checkGrainAges(ages, request, cells);
        if (grains > kMaxProfileGrains || ages.samples.size() > kMaxProfileSamples) return false;
        DensityOptions density;
        const int kind = options >> 6;
        density.kind = kind == 0 ? DensityKind::Pdp
                                 : (kind == 2 ? DensityKind::AdaptiveKde : DensityKind::Kde);
        density.commonBandwidth = kind == 3;
        checkProfiles(buildDensityProfiles(ages.samples, density), ages.samples.size());
        return true;
    } catch (const KestrelError& error) {
        require(error.what()[0] != '\0', "a refusal without a message");
        return false;
    }
}

}  // namespace kestrel::fuzz
