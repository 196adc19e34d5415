// The windows table as a sheet "Windows": after "Smry" in every summary workbook, in a file of
// its own beside a .csv summary (a .csv file holds one sheet), and as kestrel-batch's --windows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/comparison/WindowsTable.h"
#include "sheet/core/CellSink.h"
#include "sheet/core/ProfilesSheet.h"

namespace kestrel {

/// @brief Sheet "Windows": the twelve headers in row 1, then one row per window: ten numbers
/// (full doubles) and the texts of Beyond ("yes"/"no") and Method ("exact"/"asymptotic").
void sendWindowsTable(const std::vector<WindowsTableRow>& rows, CellSink& sink);

/// @brief Where the windows table of a .csv summary goes: "_windows" before the file name's
/// extension ("out_summary.csv" gives "out_summary_windows.csv"; a name without one gets
/// "_windows.csv").
std::string windowsCsvPath(const std::string& summaryPath);

/// @brief Where the Profiles sheet of a .csv summary goes: "_profiles" in the same place.
std::string profilesCsvPath(const std::string& summaryPath);

/// @brief Where a sheet `suffix` of a .csv summary goes: "out_summary.csv" and "_depositional"
/// give "out_summary_depositional.csv".
std::string besideCsvPath(const std::string& summaryPath, const std::string& suffix);

/// @brief A sheet another workflow adds after all the others (the "Depositional age" page's),
/// with the suffix of its file beside a .csv summary.
struct SummarySheet {
    std::string what;  // for messages: "The depositional ages"
    std::string csvSuffix;
    std::function<void(CellSink&)> send;
};

/// @brief Writes a summary workbook of `fileType` (11, 4, 51 or 6) whose first sheets are sent
/// by `sendSummary`, followed by the sheet "Windows" and, with `profiles` (profiles built from
/// grain ages), the sheet "Profiles"; for .csv the summary file holds the summary alone, the
/// windows table goes to windowsCsvPath() and the profiles to profilesCsvPath(). `last`, when
/// given, follows every other sheet (for .csv in besideCsvPath() with its suffix). Each file is
/// written atomically; a failure throws KestrelError.
void writeSummaryWithWindows(const std::string& path, int16_t fileType,
                             const std::function<void(CellSink&)>& sendSummary,
                             const std::vector<WindowsTableRow>& rows,
                             const ProfilesTable* profiles = nullptr,
                             const SummarySheet* last = nullptr);

/// @brief The windows table alone as a .csv file at `path`, atomically.
void writeWindowsCsv(const std::string& path, const std::vector<WindowsTableRow>& rows);

}  // namespace kestrel
