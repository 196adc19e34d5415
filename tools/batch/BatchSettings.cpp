// Checking kestrel-batch's option texts with the import dialog's number rules and messages.
#include "tools/batch/BatchSettings.h"

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/measures/Measures.h"
#include "sheet/core/AllSorts.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/Workbook.h"
#include "sheet/core/WorkbookWriter.h"
#include "tools/batch/AgesSettings.h"
#include "tools/batch/BatchSteps.h"
#include "tools/batch/MatrixSettings.h"

namespace kestrel::batch {
namespace {

double realNumber(const std::string& text, const std::string& message) {
    const auto value = parseRealNumber(text);
    if (!value) throw KestrelError(message + ": \"" + text + "\"");
    return *value;
}

int32_t column(const std::string& letters, const std::string& field) {
    const int32_t col = ColumnNumber(letters);
    if (col < 1 || col > kMaxSheetCols) {
        throw KestrelError("Incorrect column letters entered for " + field + ": \"" + letters +
                           "\" names no column from A to " + columnLetters(kMaxSheetCols));
    }
    return col;
}

int16_t summaryFileTypeOf(const std::string& summary, bool excel5) {
    for (const auto& [suffix, fileType] :
         {std::pair<std::string_view, int16_t>{".xlsx", kFileTypeXlsx},
          std::pair<std::string_view, int16_t>{".csv", kFileTypeCsv}}) {
        if (!nameEndsWith(summary, suffix)) continue;
        if (excel5) {
            throw UsageError{"--excel5 writes an Excel 5 .xls summary, but the summary file " +
                             summary + " ends in " + std::string(suffix)};
        }
        return fileType;
    }
    return excel5 ? kFileTypeExcel5 : kFileTypeExcel97;
}

}  // namespace

std::string graphFormatOf(const std::string& name, const BatchOptions& options) {
    if (!options.graphs) throw UsageError{"--graph-format needs --graphs DIR"};
    for (const char* known : {"png", "svg", "pdf"}) {
        if (name == known) return name;
    }
    throw UsageError{"--graph-format takes png, svg or pdf, not \"" + name + "\""};
}

namespace {

// "N1,N2": the two fields of the Sample sizes dialog on one line.
std::optional<GrainCounts> grainCountsOf(const std::string& text) {
    const std::string wanted = "Incorrect value entered for --grains: \"" + text +
                               "\" (give the grains of profile 1 and profile 2 as N1,N2)";
    const size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos) {
        throw KestrelError(wanted);
    }
    try {
        const auto grains = parseGrainCounts(text.substr(0, comma), text.substr(comma + 1));
        if (!grains) throw KestrelError(wanted);
        return grains;
    } catch (const KestrelError& e) {
        if (e.what() == wanted) throw;
        throw KestrelError("--grains " + text + ": " + e.what());
    }
}

}  // namespace

void checkRowRange(int32_t fromRow, int32_t toRow) {
    if (toRow < fromRow) {
        throw KestrelError("Incorrect values entered for rows to import: To row " +
                           std::to_string(toRow) + " lies above From row " +
                           std::to_string(fromRow));
    }
}

BatchSettings checkBatchOptions(const BatchOptions& options, const std::string& defaultTable) {
    refuseMatrixOptions(options);
    if (!options.ages) refuseAgesOptions(options);
    BatchSettings settings;
    settings.workbook = options.workbook;
    settings.fromRow = wholeNumber(options.from, "Incorrect value entered for From row");
    if (options.to) {
        settings.toRow = wholeNumber(*options.to, "Incorrect value entered for To row");
        checkRowRange(settings.fromRow, *settings.toRow);
    }
    auto& p = settings.parameters;
    p.AgeWindowWidth = realNumber(options.window, "Incorrect value entered for Age window width");
    if (!(p.AgeWindowWidth > 0)) {
        throw KestrelError("Age window width must be above 0: \"" + options.window + "\"");
    }
    p.MinPeakHeight = realNumber(options.minPeak, "Incorrect Minimum Peak Height entered");
    p.BaselinePeakHeight = realNumber(options.baseline, "Incorrect Baseline Peak Height entered");
    if (options.sheet) {
        settings.sheet = wholeNumber(*options.sheet, "Incorrect value entered for sheet index");
    }
    settings.ageCol = column(options.age, "Age column");
    settings.y1Col = column(options.y1, "Y data (1)");
    settings.y2Col = column(options.y2, "Y data (2)");
    settings.table = options.table.value_or(defaultTable);
    settings.summary = options.summary;
    settings.excel5 = options.excel5;
    if (settings.summary)
        settings.summaryFileType = summaryFileTypeOf(*settings.summary, options.excel5);
    settings.graphs = options.graphs;
    if (options.graphFormat) settings.graphFormat = graphFormatOf(*options.graphFormat, options);
    settings.windows = options.windows;
    if (options.measure) {
        // The windows compare two profiles: a measure of age lists alone has no value there.
        const bool all = measureListSaysAll(*options.measure);
        for (const Measure measure : measuresOf(*options.measure)) {
            const MeasureInfo& info = measureInfo(measure);
            if (measure == Measure::KsD || (all && !info.ofProfiles)) continue;
            if (!info.ofProfiles) {
                throw UsageError{std::string("--measure: ") + info.name +
                                 " compares grain ages, not the windows of two profiles"};
            }
            settings.windowMeasures.push_back(measure);
        }
    }
    if (options.grains) settings.grains = grainCountsOf(*options.grains);
    return settings;
}

}  // namespace kestrel::batch
