// Checking the --ages options.
#include "tools/batch/AgesSettings.h"

#include <array>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/density/DensitySettingsCheck.h"
#include "engine/density/ProfileMethods.h"
#include "engine/measures/Measures.h"
#include "sheet/core/AllSorts.h"
#include "sheet/core/Workbook.h"
#include "sheet/core/WorkbookWriter.h"
#include "tools/batch/BatchSteps.h"
#include "tools/batch/MatrixSettings.h"

namespace kestrel::batch {
namespace {

std::pair<std::string, std::string> samplePair(const std::optional<std::string>& text) {
    const std::string wanted = "--ages needs --samples NAME1,NAME2 (or --matrix for every sample)";
    if (!text) throw UsageError{wanted};
    const size_t comma = text->find(',');
    if (comma == std::string::npos || text->find(',', comma + 1) != std::string::npos ||
        comma == 0 || comma + 1 == text->size()) {
        throw UsageError{"--samples takes two sample names, NAME1,NAME2, not \"" + *text + "\""};
    }
    return {text->substr(0, comma), text->substr(comma + 1)};
}

int32_t columnOf(const std::optional<std::string>& letters, const char* option) {
    const int32_t col = ColumnNumber(*letters);
    if (col < 1 || col > kMaxSheetCols) {
        throw UsageError{std::string(option) + " takes column letters, not \"" + *letters + "\""};
    }
    return col;
}

void readLayout(const BatchOptions& options, GrainAgesRequest& request) {
    if (options.layout == "rows") {
        request.layout = AgesLayout::Rows;
        if (options.sampleCol) request.sampleCol = columnOf(options.sampleCol, "--sample-col");
        if (options.ageCol) request.ageCol = columnOf(options.ageCol, "--age-col");
        if (options.errorCol) request.errorCol = columnOf(options.errorCol, "--error-col");
        if (options.errors != "none") throw UsageError{"--errors is for --layout columns"};
        return;
    }
    if (options.layout != "columns") {
        throw UsageError{"--layout takes columns or rows, not \"" + options.layout + "\""};
    }
    if (options.sampleCol || options.ageCol || options.errorCol) {
        throw UsageError{"--sample-col, --age-col and --error-col are for --layout rows"};
    }
    request.layout = AgesLayout::Columns;
    if (options.errors == "beside") {
        request.errors = ErrorsPlace::Beside;
    } else if (options.errors.starts_with("sheet:") && options.errors.size() > 6) {
        request.errors = ErrorsPlace::Sheet;
        request.errorsSheet = options.errors.substr(6);
    } else if (options.errors != "none") {
        throw UsageError{"--errors takes none, beside or sheet:NAME, not \"" + options.errors +
                         "\""};
    }
}

DensityKind densityKind(const std::string& key) {
    const ProfileMethod* method = profileMethodByKey(key);
    if (method == nullptr) {
        throw UsageError{"--profile takes " + profileMethodKeys() + ", not \"" + key + "\""};
    }
    return method->kind;
}

// FROM:TO:STEP as three texts. Without two colons the whole text stands as FROM and is refused
// with the rest: every fault of the grid has the same message.
std::array<std::string, 3> gridParts(const std::string& text) {
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos) return {text, "", ""};
    return {text.substr(0, first), text.substr(first + 1, second - first - 1),
            text.substr(second + 1)};
}

void readDensity(const BatchOptions& options, AgesSettings& settings) {
    DensityTexts texts;
    texts.kind = densityKind(options.profile);
    if (options.bandwidth != "auto") texts.bandwidth = options.bandwidth;
    if (options.grid) texts.grid = gridParts(*options.grid);
    auto checked = checkDensityTexts(texts, [&](DensityField field, DensityFault fault) {
        if (field != DensityField::Bandwidth) {
            return "Incorrect value entered for --grid: \"" + *options.grid +
                   "\" (give FROM:TO:STEP in age units, FROM below TO, STEP above 0)";
        }
        if (fault == DensityFault::NotUsed) {
            return "--bandwidth is for --profile " + profileMethodKeys(ProfileKeys::UsingBandwidth);
        }
        return "Incorrect value entered for --bandwidth: \"" + options.bandwidth +
               "\" (a number above 0 is wanted)";
    });
    if (auto* refusal = std::get_if<DensityRefusal>(&checked)) {
        if (refusal->fault == DensityFault::NotUsed) throw UsageError{refusal->message};
        throw KestrelError(refusal->message);
    }
    settings.density = std::get<DensityOptions>(std::move(checked));
    settings.density.commonBandwidth = options.commonBandwidth;
    settings.request.uncertaintiesRequired =
        profileMethod(settings.density.kind).needsUncertainties;
}

}  // namespace

void refuseAgesOptions(const BatchOptions& options) {
    const std::pair<bool, const char*> agesOnly[] = {
        {options.layout != "columns", "--layout"},
        {options.samples.has_value(), "--samples"},
        {options.errors != "none", "--errors"},
        {options.sigma != "1", "--sigma"},
        {options.relative, "--relative"},
        {options.profile != "kde", "--profile"},
        {options.bandwidth != "auto", "--bandwidth"},
        {options.commonBandwidth, "--common-bandwidth"},
        {options.grid.has_value(), "--grid"},
        {options.profilesOut.has_value(), "--profiles-out"},
        {options.sampleCol.has_value(), "--sample-col"},
        {options.ageCol.has_value(), "--age-col"},
        {options.errorCol.has_value(), "--error-col"},
        {options.strict, "--strict"}};
    for (const auto& [given, name] : agesOnly) {
        if (given) throw UsageError{std::string(name) + " needs --ages"};
    }
    refuseDepositionalOptions(options);
    refuseFigureOptions(options);
    refuseUnmixingOptions(options);
}

namespace {

// --matrix --ages: the options of a matrix run that have a meaning for ages.
BatchSettings checkAgesMatrixRun(const BatchOptions& options, AgesSettings& settings) {
    if (options.samples) throw UsageError{"--matrix compares every sample: leave out --samples"};
    if (options.columns || options.grainsRow) {
        throw UsageError{"--columns and --grains-row are for profile columns, not --ages"};
    }
    const std::pair<bool, const char*> twoSampleOnly[] = {
        {options.summary.has_value(), "--summary"},
        {options.windows.has_value(), "--windows"},
        {options.excel5, "--excel5"}};
    for (const auto& [given, name] : twoSampleOnly) {
        if (given) throw UsageError{std::string(name) + " is for two samples, not --matrix"};
    }
    settings.matrix = true;
    settings.matrixOut = options.matrixOut;
    if (options.measure) {
        settings.measures = matrixMeasuresOf(*options.measure);
        settings.everyMeasure = measureListSaysAll(*options.measure);
    }
    if (options.mds) settings.mds = mdsKindOf(*options.mds);
    if (settings.matrixOut && !nameEndsWith(*settings.matrixOut, ".csv") &&
        !nameEndsWith(*settings.matrixOut, ".xlsx")) {
        throw UsageError{"--matrix-out writes .csv or .xlsx, not " + *settings.matrixOut};
    }
    BatchSettings run;
    run.workbook = options.workbook;
    if (options.sheet) {
        run.sheet = wholeNumber(*options.sheet, "Incorrect value entered for sheet index");
    }
    run.graphs = options.graphs;
    if (options.graphFormat) run.graphFormat = graphFormatOf(*options.graphFormat, options);
    return run;
}

// The workbook and sheet of a run that takes every sample and writes only its own files.
BatchSettings workbookRun(const BatchOptions& options) {
    BatchSettings run;
    run.workbook = options.workbook;
    if (options.sheet) {
        run.sheet = wholeNumber(*options.sheet, "Incorrect value entered for sheet index");
    }
    return run;
}

// The options of the two-sample and matrix runs (and, unless the run builds profiles, those of
// the profiles), refused by name in a run that takes every sample on its own terms.
void refuseOtherRunsOptions(const BatchOptions& options, const std::string& run,
                            bool buildsProfiles) {
    const std::pair<bool, const char*> elsewhere[] = {
        {options.summary.has_value(), "--summary"},
        {options.windows.has_value(), "--windows"},
        {options.excel5, "--excel5"},
        {options.graphs.has_value(), "--graphs"},
        {options.graphFormat.has_value(), "--graph-format"},
        {options.matrixOut.has_value(), "--matrix-out"},
        {options.measure.has_value(), "--measure"},
        {options.mds.has_value(), "--mds"},
        {options.columns.has_value(), "--columns"},
        {options.grainsRow.has_value(), "--grains-row"},
        {!buildsProfiles && options.profile != "kde", "--profile"},
        {!buildsProfiles && options.bandwidth != "auto", "--bandwidth"},
        {!buildsProfiles && options.commonBandwidth, "--common-bandwidth"},
        {!buildsProfiles && options.grid.has_value(), "--grid"},
        {options.profilesOut.has_value(), "--profiles-out"}};
    for (const auto& [given, name] : elsewhere) {
        if (given) throw UsageError{std::string(name) + " does not go with " + run};
    }
}

// --ages --mda / --components: every sample estimated; the options of the other runs refused.
BatchSettings checkDepositionalRun(const BatchOptions& options, AgesSettings& settings) {
    if (options.samples || options.matrix) {
        throw UsageError{"--mda and --components estimate every sample: leave out " +
                         std::string(options.matrix ? "--matrix" : "--samples")};
    }
    refuseOtherRunsOptions(options, "--mda or --components", false);
    if (options.layout != "rows" && options.errors == "none") {
        throw UsageError{
            "--mda and --components need the grains' uncertainties: give --errors "
            "beside or sheet:NAME (or --layout rows with an uncertainty column)"};
    }
    settings.depositional = checkDepositionalOptions(options);
    return workbookRun(options);
}

// --ages --unmix / --nmf: the sink and its sources, or every sample; the profile options serve
// the profile fit and the end-members, the other runs' options are refused.
BatchSettings checkUnmixingRun(const BatchOptions& options, AgesSettings& settings) {
    const std::pair<bool, const char*> elsewhere[] = {
        {options.samples.has_value(), "--samples"},
        {options.matrix, "--matrix"},
        {options.mda.has_value(), "--mda"},
        {options.mdaMethods.has_value(), "--mda-methods"},
        {options.mlaParameters.has_value(), "--mla-parameters"},
        {options.components.has_value(), "--components"},
        {options.componentsOut.has_value(), "--components-out"}};
    for (const auto& [given, name] : elsewhere) {
        if (given) throw UsageError{std::string(name) + " does not go with --unmix or --nmf"};
    }
    if (wantsFigures(options)) {
        throw UsageError{"--figure, --peaks-out and --bins-out do not go with --unmix or --nmf"};
    }
    refuseOtherRunsOptions(options, "--unmix or --nmf", true);
    settings.unmixing = checkUnmixingOptions(options);
    return workbookRun(options);
}

// --ages --figure / --peaks-out / --bins-out: every sample drawn; the other runs' options refused.
BatchSettings checkFiguresRun(const BatchOptions& options, AgesSettings& settings) {
    if (options.samples || options.matrix || wantsDepositional(options)) {
        throw UsageError{"--figure, --peaks-out and --bins-out take every sample: leave out " +
                         std::string(options.matrix    ? "--matrix"
                                     : options.samples ? "--samples"
                                                       : "--mda and --components")};
    }
    refuseOtherRunsOptions(options, "--figure", true);
    settings.figures = checkFigureOptions(options);
    return workbookRun(options);
}

}  // namespace

AgesSettings checkAgesOptions(const BatchOptions& options, const std::string& defaultTable) {
    if (options.grains) {
        throw UsageError{"--grains does not go with --ages: the grains are counted"};
    }
    AgesSettings settings;
    if (wantsUnmixing(options)) {
        settings.run = checkUnmixingRun(options, settings);
    } else if (wantsFigures(options)) {
        settings.run = checkFiguresRun(options, settings);
    } else if (wantsDepositional(options)) {
        settings.run = checkDepositionalRun(options, settings);
    } else if (options.matrix) {
        settings.run = checkAgesMatrixRun(options, settings);
    } else {
        settings.samples = samplePair(options.samples);
        settings.run = checkBatchOptions(options, defaultTable);
    }
    readLayout(options, settings.request);
    if (options.sigma != "1" && options.sigma != "2") {
        throw UsageError{"--sigma takes 1 or 2, not \"" + options.sigma + "\""};
    }
    settings.request.sigmaLevel = options.sigma == "2" ? 2 : 1;
    settings.request.relative = options.relative;
    settings.request.setAsideUnusable = !options.strict;  // --strict refuses the workbook
    readDensity(options, settings);
    if (settings.depositional) settings.request.uncertaintiesRequired = true;
    settings.profilesOut = options.profilesOut;
    if (settings.profilesOut && !nameEndsWith(*settings.profilesOut, ".csv") &&
        !nameEndsWith(*settings.profilesOut, ".xlsx")) {
        throw UsageError{"--profiles-out writes .csv or .xlsx, not " + *settings.profilesOut};
    }
    return settings;
}

}  // namespace kestrel::batch
