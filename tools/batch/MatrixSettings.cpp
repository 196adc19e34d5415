// Checking the option texts of kestrel-batch --matrix.
#include "tools/batch/MatrixSettings.h"

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/SampleSizes.h"
#include "engine/measures/Measures.h"
#include "sheet/core/AllSorts.h"
#include "sheet/core/ColumnList.h"
#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/Workbook.h"
#include "tools/batch/AgesSettings.h"
#include "tools/batch/BatchSettings.h"
#include "tools/batch/BatchSteps.h"

namespace kestrel::batch {
namespace {

int32_t ageColumn(const std::string& letters) {
    const int32_t col = ColumnNumber(letters);
    if (col < 1 || col > kMaxSheetCols) {
        throw KestrelError("Incorrect column letters entered for Age column: \"" + letters +
                           "\" names no column from A to " + columnLetters(kMaxSheetCols));
    }
    return col;
}

// "N1,N2,...": one grain count per profile column, in the order of --columns.
std::vector<int32_t> grainList(const std::string& text, size_t profiles) {
    std::vector<int32_t> grains;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma - start);
        const auto value = parseWholeNumber(item);
        if (!value || *value < 1 || *value > kMaxGrains) {
            throw KestrelError("Incorrect value entered for --grains: \"" + item +
                               "\" (give one whole number of grains from 1 to 1000000 per "
                               "profile column, separated by commas)");
        }
        grains.push_back(*value);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (grains.size() != profiles) {
        throw KestrelError("Incorrect value entered for --grains: " +
                           std::to_string(grains.size()) + " grain counts for " +
                           std::to_string(profiles) + " profile columns (give one per column)");
    }
    return grains;
}

void refuseTwoProfileOptions(const BatchOptions& options) {
    const std::pair<bool, const char*> twoProfileOnly[] = {
        {options.summary.has_value(), "--summary"},
        {options.windows.has_value(), "--windows"},
        {options.excel5, "--excel5"},
        {options.y1 != "B", "--y1"},
        {options.y2 != "C", "--y2"}};
    for (const auto& [given, name] : twoProfileOnly) {
        if (given) {
            throw UsageError{
                std::string(name) +
                " belongs to the two-profile comparison; --matrix writes --matrix-out FILE"};
        }
    }
}

std::string graphFormatOf(const BatchOptions& options) {
    if (!options.graphFormat) return "png";
    if (!options.graphs) throw UsageError{"--graph-format needs --graphs DIR"};
    for (const char* known : {"png", "svg", "pdf"}) {
        if (*options.graphFormat == known) return known;
    }
    throw UsageError{"--graph-format takes png, svg or pdf, not \"" + *options.graphFormat + "\""};
}

}  // namespace

bool wantsMatrix(const BatchOptions& options) {
    return options.matrix;
}

void refuseMatrixOptions(const BatchOptions& options) {
    const std::pair<bool, const char*> matrixOnly[] = {
        {options.columns.has_value(), "--columns"},
        {options.matrixOut.has_value(), "--matrix-out"},
        {options.grainsRow.has_value(), "--grains-row"},
        {options.mds.has_value(), "--mds"}};
    for (const auto& [given, name] : matrixOnly) {
        if (given) throw UsageError{std::string(name) + " needs --matrix"};
    }
    if (options.measure && !options.windows && !options.summary) {
        throw UsageError{
            "--measure needs --matrix, or --windows or --summary for the windows "
            "table"};
    }
}

MatrixSettings checkMatrixOptions(const BatchOptions& options) {
    refuseTwoProfileOptions(options);
    refuseAgesOptions(options);
    if (!options.columns) throw UsageError{"--matrix needs --columns, for example --columns B:AZ"};
    if (options.grains && options.grainsRow) {
        throw UsageError{"give the grain counts either with --grains or with --grains-row"};
    }
    MatrixSettings settings;
    settings.workbook = options.workbook;
    settings.fromRow = wholeNumber(options.from, "Incorrect value entered for From row");
    if (options.to) {
        settings.toRow = wholeNumber(*options.to, "Incorrect value entered for To row");
        checkRowRange(settings.fromRow, *settings.toRow);
    }
    if (options.sheet) {
        settings.sheet = wholeNumber(*options.sheet, "Incorrect value entered for sheet index");
    }
    settings.ageCol = ageColumn(options.age);
    settings.columns = parseColumnList(*options.columns);
    if (options.grains) settings.grains = grainList(*options.grains, settings.columns.size());
    if (options.grainsRow) {
        settings.grainsRow =
            wholeNumber(*options.grainsRow, "Incorrect value entered for grains row");
    }
    if (options.matrixOut) {
        matrixFileTypeOf(*options.matrixOut);
        settings.matrixOut = options.matrixOut;
    }
    settings.graphs = options.graphs;
    settings.graphFormat = graphFormatOf(options);
    if (options.measure) {
        settings.measures = matrixMeasuresOf(*options.measure);
        settings.everyMeasure = measureListSaysAll(*options.measure);
    }
    if (options.mds) settings.mds = mdsKindOf(*options.mds);
    return settings;
}

MdsKind mdsKindOf(const std::string& text) {
    if (text == "classical") return MdsKind::Classical;
    if (text == "nonmetric") return MdsKind::Nonmetric;
    throw UsageError{"--mds takes classical or nonmetric, not \"" + text + "\""};
}

std::vector<Measure> measuresOf(const std::string& list) {
    try {
        return parseMeasureList(list);
    } catch (const KestrelError& error) {
        throw UsageError{std::string("--measure: ") + error.what()};
    }
}

std::vector<Measure> matrixMeasuresOf(const std::string& list) {
    measuresOf(list);  // the same refusals
    return parseMeasureListAsGiven(list);
}

}  // namespace kestrel::batch
