// Reading the grain-ages choices and building the profiles they ask for.
#include "app/GrainAgesChoices.h"

#include <array>
#include <optional>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/density/DensitySettingsCheck.h"
#include "engine/density/ProfileMethods.h"

namespace kestrel {
namespace {

int sheetNamed(const Workbook& book, const std::string& name) {
    for (size_t s = 0; s < book.sheets.size(); ++s) {
        if (book.sheets[s].name() == name) return static_cast<int>(s) + 1;
    }
    return 0;
}

// An unknown label (a settings file edited by hand) gives the default method.
DensityKind densityKindOf(const std::string& label) {
    const ProfileMethod* method = profileMethodByLabel(label);
    return method ? method->kind : DensityOptions{}.kind;
}

ErrorsPlace errorsPlaceOf(const std::string& text) {
    if (text == "sheet") return ErrorsPlace::Sheet;
    if (text == "beside") return ErrorsPlace::Beside;
    return ErrorsPlace::None;
}

// The dialog's words for a density field refused (a bandwidth for PDP is not: the field keeps
// its text for when a kernel is chosen again).
std::string densityMessage(DensityField field, DensityFault fault) {
    if (field == DensityField::Bandwidth) {
        return "Incorrect value entered for Bandwidth: a number above 0 (age units) is wanted, or "
               "nothing for each sample's own";
    }
    const char* const names[] = {"", "Grid from", "Grid to", "Grid step"};
    switch (fault) {
        case DensityFault::Missing:
            return "Give the grid's From, To and Step, or leave all three empty for the automatic "
                   "grid";
        case DensityFault::NotAboveFrom:
            return "Grid to must lie above Grid from";
        case DensityFault::NotAbove0:
            return "Grid step must be above 0";
        default:
            return std::string("Incorrect value entered for ") + names[static_cast<int>(field)];
    }
}

// The density options the choices ask for, or the field that does not read.
std::variant<DensityOptions, GrainAgesRefusal> readDensity(const GrainAgesFields& choices) {
    DensityTexts texts;
    texts.kind = densityKindOf(choices.profile);
    if (!choices.bandwidth.empty()) texts.bandwidth = choices.bandwidth;
    texts.refuseUnusedBandwidth = false;
    // All three grid fields empty: the automatic grid.
    if (!choices.gridFrom.empty() || !choices.gridTo.empty() || !choices.gridStep.empty())
        texts.grid = std::array<std::string, 3>{choices.gridFrom, choices.gridTo, choices.gridStep};
    auto checked = checkDensityTexts(texts, densityMessage);
    if (auto* refusal = std::get_if<DensityRefusal>(&checked)) {
        const GrainAgesField fields[] = {GrainAgesField::Bandwidth, GrainAgesField::GridFrom,
                                         GrainAgesField::GridTo, GrainAgesField::GridStep};
        return GrainAgesRefusal{fields[static_cast<int>(refusal->field)],
                                std::move(refusal->message)};
    }
    DensityOptions density = std::get<DensityOptions>(std::move(checked));
    density.commonBandwidth = choices.commonBandwidth == "1";
    return density;
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
    auto density = readDensity(choices);
    if (auto* refusal = std::get_if<GrainAgesRefusal>(&density)) return *refusal;
    plan.density = std::get<DensityOptions>(density);
    request.uncertaintiesRequired = profileMethod(plan.density.kind).needsUncertainties;
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
