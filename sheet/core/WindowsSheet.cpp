// Writing the windows table as a sheet of the summary workbook or as a .csv file.
#include "sheet/core/WindowsSheet.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "engine/measures/Measures.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel {
namespace {

constexpr const char* kWindowsSheetName = "Windows";

std::array<double, 10> numbersOf(const WindowsTableRow& row) {
    return {static_cast<double>(row.first),
            row.firstAge,
            static_cast<double>(row.last),
            row.lastAge,
            static_cast<double>(row.rows),
            static_cast<double>(row.n1),
            static_cast<double>(row.n2),
            row.d,
            row.criticalValue,
            row.p};
}

bool anyGrains(const std::vector<WindowsTableRow>& rows) {
    return std::any_of(rows.begin(), rows.end(),
                       [](const WindowsTableRow& row) { return row.grains.has_value(); });
}

// The grain columns after the twelve of every table: counts always, the statistics only when
// both samples have grains in the window.
void sendGrainCells(const GrainWindowTest& test, int sheetRow, CellSink& sink) {
    int col = static_cast<int>(windowsTableHeaders().size());
    sink.number(sheetRow, ++col, static_cast<double>(test.grains1));
    sink.number(sheetRow, ++col, static_cast<double>(test.grains2));
    if (!test.ks || !test.kuiper) return;
    sink.number(sheetRow, ++col, test.ks->d);
    sink.number(sheetRow, ++col, test.ks->p);
    sink.number(sheetRow, ++col, test.kuiper->v);
    sink.number(sheetRow, ++col, test.kuiper->p);
}

// The other measures' columns after the grain columns (when there are any), a heading each.
void sendMeasureHeadings(const WindowsTableRow& row, int firstCol, CellSink& sink) {
    for (size_t m = 0; m < row.measures.size(); ++m) {
        sink.text(1, firstCol + static_cast<int>(m), measureInfo(row.measures[m].first).name);
    }
}

void sendMeasureCells(const WindowsTableRow& row, int sheetRow, int firstCol, CellSink& sink) {
    for (size_t m = 0; m < row.measures.size(); ++m) {
        const double value = row.measures[m].second;
        if (value == value) sink.number(sheetRow, firstCol + static_cast<int>(m), value);
    }
}

}  // namespace

void sendWindowsTable(const std::vector<WindowsTableRow>& rows, CellSink& sink) {
    sink.beginSheet(kWindowsSheetName);
    const auto& headers = windowsTableHeaders();
    for (size_t col = 0; col < headers.size(); ++col) {
        sink.text(1, static_cast<int>(col) + 1, headers[col]);
    }
    const bool grains = anyGrains(rows);
    if (grains) {
        const auto& grainHeaders = grainWindowHeaders();
        for (size_t col = 0; col < grainHeaders.size(); ++col) {
            sink.text(1, static_cast<int>(headers.size() + col) + 1, grainHeaders[col]);
        }
    }
    const int measuresCol =
        static_cast<int>(headers.size() + (grains ? grainWindowHeaders().size() : 0)) + 1;
    if (!rows.empty()) sendMeasureHeadings(rows.front(), measuresCol, sink);
    int sheetRow = 1;
    for (const WindowsTableRow& row : rows) {
        ++sheetRow;
        const auto numbers = numbersOf(row);
        for (size_t col = 0; col < numbers.size(); ++col) {
            sink.number(sheetRow, static_cast<int>(col) + 1, numbers[col]);
        }
        sink.text(sheetRow, 11, beyondText(row.beyond));
        sink.text(sheetRow, 12, ksMethodName(row.method));
        if (grains && row.grains) sendGrainCells(*row.grains, sheetRow, sink);
        sendMeasureCells(row, sheetRow, measuresCol, sink);
    }
}

std::string besideCsvPath(const std::string& summaryPath, const std::string& suffix) {
    const std::filesystem::path path(summaryPath);
    if (!path.has_extension()) return summaryPath + suffix + ".csv";
    std::filesystem::path named = path;
    named.replace_filename(path.stem().string() + suffix + path.extension().string());
    return named.string();
}

std::string windowsCsvPath(const std::string& summaryPath) {
    return besideCsvPath(summaryPath, "_windows");
}

std::string profilesCsvPath(const std::string& summaryPath) {
    return besideCsvPath(summaryPath, "_profiles");
}

void writeSummaryWithWindows(const std::string& path, int16_t fileType,
                             const std::function<void(CellSink&)>& sendSummary,
                             const std::vector<WindowsTableRow>& rows,
                             const ProfilesTable* profiles, const SummarySheet* last) {
    if (fileType == kFileTypeCsv) {
        writeStreamedWorkbookFile(path, fileType, sendSummary);
        writeWindowsCsv(windowsCsvPath(path), rows);
        if (profiles) {
            writeStreamedWorkbookFile(profilesCsvPath(path), kFileTypeCsv,
                                      [&](CellSink& sink) { sendProfilesSheet(*profiles, sink); });
        }
        if (last)
            writeStreamedWorkbookFile(besideCsvPath(path, last->csvSuffix), kFileTypeCsv,
                                      last->send);
        return;
    }
    writeStreamedWorkbookFile(path, fileType, [&](CellSink& sink) {
        sendSummary(sink);
        sendWindowsTable(rows, sink);
        if (profiles) sendProfilesSheet(*profiles, sink);
        if (last) last->send(sink);
    });
}

void writeWindowsCsv(const std::string& path, const std::vector<WindowsTableRow>& rows) {
    writeStreamedWorkbookFile(path, kFileTypeCsv,
                              [&](CellSink& sink) { sendWindowsTable(rows, sink); });
}

}  // namespace kestrel
