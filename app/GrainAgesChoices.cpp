// Reading the grain-ages choices and building the profiles they ask for.
#include "app/GrainAgesChoices.h"

#include <optional>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"

namespace kestrel {
namespace {

int sheetNamed(const Workbook& book, const std::string& name) {
    for (size_t s = 0; s < book.sheets.size(); ++s) {
        if (book.sheets[s].name() == name) return static_cast<int>(s) + 1;
    }
    return 0;
}

DensityKind densityKindOf(const std::string& text) {
    if (text == "PDP") return DensityKind::Pdp;
    if (text == "adaptive KDE") return DensityKind::AdaptiveKde;
    return DensityKind::Kde;
}

ErrorsPlace errorsPlaceOf(const std::string& text) {
    if (text == "sheet") return ErrorsPlace::Sheet;
    if (text == "beside") return ErrorsPlace::Beside;
    return ErrorsPlace::None;
}

std::optional<GrainAgesRefusal> readGrid(const GrainAgesFields& choices, DensityOptions& density) {
    const std::string* texts[] = {&choices.gridFrom, &choices.gridTo, &choices.gridStep};
    const GrainAgesField fields[] = {GrainAgesField::GridFrom, GrainAgesField::GridTo,
                                     GrainAgesField::GridStep};
    const char* names[] = {"Grid from", "Grid to", "Grid step"};
    int given = 0;
    for (const std::string* text : texts) given += !text->empty();
    if (given == 0) return std::nullopt;
    double values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const auto value = parseRealNumber(*texts[i]);
        if (!value) {
            return GrainAgesRefusal{
                fields[i], texts[i]->empty()
                               ? "Give the grid's From, To and Step, or leave all three empty "
                                 "for the automatic grid"
                               : std::string("Incorrect value entered for ") + names[i]};
        }
        values[i] = *value;
    }
    if (!(values[1] > values[0])) {
        return GrainAgesRefusal{GrainAgesField::GridTo, "Grid to must lie above Grid from"};
    }
    if (!(values[2] > 0)) {
        return GrainAgesRefusal{GrainAgesField::GridStep, "Grid step must be above 0"};
    }
    density.grid = AgeGrid{values[0], values[1], values[2]};
    return std::nullopt;
}

}  // namespace

std::variant<GrainAgesPlan, GrainAgesRefusal> planGrainAges(const GrainAgesFields& choices,
                                                            const Workbook& book) {
    GrainAgesPlan plan;
    GrainAgesRequest& request = plan.request;
    request.sheet = sheetNamed(book, choices.sheet);
    if (request.sheet == 0) {
        return GrainAgesRefusal{GrainAgesField::Sheet,
                                "The workbook has no sheet named \"" + choices.sheet + "\""};
    }
    request.layout = choices.layout == "rows" ? AgesLayout::Rows : AgesLayout::Columns;
    request.setAsideUnusable = true;  // one sample that does not read leaves the others usable
    const auto headingRow = parseWholeNumber(choices.headingRow);
    if (!headingRow || *headingRow < 1 || *headingRow >= kMaxSheetRows) {
        return GrainAgesRefusal{GrainAgesField::HeadingRow,
                                "Incorrect value entered for Heading row"};
    }
    request.headingRow = *headingRow;
    request.errors = errorsPlaceOf(choices.uncertainties);
    if (request.layout == AgesLayout::Rows && request.errors == ErrorsPlace::Sheet) {
        request.errors = ErrorsPlace::Beside;  // one row per grain: the Uncertainty column
    }
    if (request.errors == ErrorsPlace::Sheet) {
        if (choices.errorsSheet.empty()) {
            return GrainAgesRefusal{GrainAgesField::ErrorsSheet,
                                    "Choose the sheet that holds the uncertainties"};
        }
        const int errorsSheet = sheetNamed(book, choices.errorsSheet);
        if (errorsSheet == request.sheet) {
            return GrainAgesRefusal{GrainAgesField::ErrorsSheet,
                                    "The uncertainties cannot come from the ages sheet \"" +
                                        choices.sheet + "\": choose the sheet that holds them"};
        }
        if (errorsSheet == 0) {
            return GrainAgesRefusal{GrainAgesField::ErrorsSheet,
                                    "The workbook has no sheet named \"" + choices.errorsSheet +
                                        "\" for the uncertainties"};
        }
        request.errorsSheet = choices.errorsSheet;
    }
    request.sigmaLevel = choices.sigma == "2" ? 2 : 1;
    request.relative = choices.perCent == "1";
    DensityOptions& density = plan.density;
    density.kind = densityKindOf(choices.profile);
    request.uncertaintiesRequired = density.kind == DensityKind::Pdp;
    if (density.kind != DensityKind::Pdp && !choices.bandwidth.empty()) {
        const auto bandwidth = parseRealNumber(choices.bandwidth);
        if (!bandwidth || !(*bandwidth > 0)) {
            return GrainAgesRefusal{GrainAgesField::Bandwidth,
                                    "Incorrect value entered for Bandwidth: a number above 0 "
                                    "(age units) is wanted, or nothing for each sample's own"};
        }
        density.bandwidth = *bandwidth;
    }
    density.commonBandwidth = choices.commonBandwidth == "1";
    if (auto refusal = readGrid(choices, density)) return *refusal;
    return plan;
}

GrainAgesBuilt buildGrainAges(const Workbook& book, const GrainAgesPlan& plan) {
    GrainAgesBuilt built;
    built.ages = readGrainAges(book, plan.request);
    built.profiles = buildDensityProfiles(built.ages.samples, plan.density);
    return built;
}

ProfilesTable profilesTableOf(const GrainAgesSource& source, const std::vector<size_t>& samples) {
    ProfilesTable table{source.built.profiles.ages, {}, {}, {}};
    for (const size_t s : samples) {
        table.names.push_back(source.built.ages.samples.at(s).name);
        table.profiles.emplace_back(source.built.profiles.profiles.at(s));
    }
    return table;
}

std::vector<std::string> grainSampleNames(const Workbook& book, const GrainAgesPlan& plan) {
    // The uncertainties of another sheet are not needed for the names; those beside the ages
    // are, to tell the age columns from theirs.
    GrainAgesRequest request = plan.request;
    if (request.errors == ErrorsPlace::Sheet) request.errors = ErrorsPlace::None;
    request.uncertaintiesRequired = false;
    std::vector<std::string> names;
    try {
        for (GrainSample& sample : readGrainAges(book, request).samples) {
            names.push_back(std::move(sample.name));
        }
    } catch (const KestrelError&) {
        names.clear();
    }
    return names;
}

}  // namespace kestrel
