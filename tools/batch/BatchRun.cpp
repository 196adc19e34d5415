// The headless comparison: the same spreadsheet core and engine steps as the main window.
#include "tools/batch/BatchRun.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/CriticalValueTable.h"
#include "engine/KestrelError.h"
#include "engine/SummaryTable.h"
#include "engine/comparison/WindowMeasures.h"
#include "sheet/core/ProfileSheet.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/WindowsSheet.h"
#include "sheet/core/Workbook.h"
#include "sheet/core/WorkbookWriter.h"
#include "tools/batch/BatchCriticalValues.h"
#include "tools/batch/BatchSteps.h"

namespace kestrel::batch {

// Overwriting the workbook being read with its own summary would destroy the user's data.
void refuseSummaryOverInput(const BatchSettings& settings) {
    std::vector<std::pair<std::string, std::string>> outputs;  // what, file
    if (settings.summary) {
        outputs.emplace_back("summary file", *settings.summary);
        if (settings.summaryFileType == kFileTypeCsv) {
            outputs.emplace_back("windows table file", windowsCsvPath(*settings.summary));
        }
    }
    if (settings.windows) outputs.emplace_back("windows table file", *settings.windows);
    for (const auto& [what, output] : outputs) {
        std::error_code error;
        if (std::filesystem::equivalent(settings.workbook, output, error)) {
            throw KestrelError("The " + what + " " + output +
                               " is the workbook being compared; choose another name");
        }
    }
}

namespace {

EmptyProfileCells readRows(SpreadsheetCore& source, const BatchSettings& settings,
                           ProfileData& data) {
    ProfileRange range;
    range.FromRow = settings.fromRow;
    range.ToRow = lastDataRow(source, settings.toRow, settings.ageCol);
    checkRowRange(range.FromRow, range.ToRow);
    range.AgeCol = settings.ageCol;
    range.Y1Col = settings.y1Col;
    range.Y2Col = settings.y2Col;
    try {
        return readProfileRows(source, range, data);
    } catch (const KestrelError& error) {
        throw KestrelError(settings.workbook + ": " + error.what());
    }
}

// A size the loaded table lacks was compared against 0: said once per size, on standard error
// so that the window log stays as it is.
void reportMissingSizes(BatchCriticalValues& table, std::ostream& err) {
    for (const int32_t m : table.takeMissingSizes()) {
        err << "kestrel-batch: warning: "
            << CriticalValueTable::missingSizeWarning(m, table.source()) << '\n';
    }
}

// Streamed straight from the arrays in every format: the summary is never held as cells.
void writeSummary(const BatchSettings& settings, const ProfileData& data,
                  const std::vector<WindowsTableRow>& windowsTable) {
    writeSummaryWithWindows(
        *settings.summary, settings.summaryFileType,
        [&](CellSink& sink) { sendSummaryTable(data, sink); }, windowsTable);
}

}  // namespace

void runBatch(const BatchSettings& settings, std::ostream& out, std::ostream& err,
              const GraphWriter& writeGraphs) {
    refuseSummaryOverInput(settings);
    checkGraphsFolder(settings.graphs, static_cast<bool>(writeGraphs));
    ProfileData data;
    EmptyProfileCells empty;
    {
        // The workbook is let go as soon as its rows are read: a large summary then has the
        // memory to itself.
        SpreadsheetCore source;
        int16_t fileType = kFileTypeExcel97;
        source.ReadWorkbook(settings.workbook, fileType);
        selectSheet(source, settings.sheet, settings.workbook);
        empty = readRows(source, settings, data);
    }
    compareAndWrite(settings, data, empty.note(), nullptr, out, err, writeGraphs);
}

void compareAndWrite(const BatchSettings& settings, ProfileData& data, std::string note,
                     const GrainWindows* grainWindows, std::ostream& out, std::ostream& err,
                     const GraphWriter& writeGraphs) {
    BatchCriticalValues table(settings.table, err);
    ComparisonHooks hooks;
    hooks.criticalValue = [&table](int32_t m) { return table.lookup(m); };
    if (settings.grains) hooks.windowCriticalValue = grainCriticalValues(*settings.grains);
    // A note on the rows read (empty profile cells read as 0) is said right under the whole
    // range's line, as in the window's log.
    hooks.windowEvaluated = [&](const ProfileWindow& w, double firstAge, double lastAge) {
        out << windowLogLine(w.first, firstAge, w.last, lastAge, w.cutoff, ".") << '\n';
        if (!note.empty()) out << std::exchange(note, std::string()) << '\n';
    };
    const std::vector<ProfileWindow> windows = compareProfiles(data, settings.parameters, hooks);
    out.flush();
    reportMissingSizes(table, err);
    if (settings.graphs) writeGraphs(data, *settings.graphs, settings.graphFormat);
    if (!settings.summary && !settings.windows) return;
    std::vector<WindowsTableRow> windowsTable = buildWindowsTable(data, windows, settings.grains);
    if (grainWindows != nullptr) grainWindows->fill(windowsTable);
    if (!settings.windowMeasures.empty()) {
        fillWindowMeasures(windowsTable, data, settings.windowMeasures);
    }
    if (settings.summary) writeSummary(settings, data, windowsTable);
    if (settings.windows) writeWindowsCsv(*settings.windows, windowsTable);
}

}  // namespace kestrel::batch
