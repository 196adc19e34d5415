// Saving the summary workbook: the save dialog's set-up, the export folder and the format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sheet/widgets/UserInteraction.h"

class QWidget;

namespace kestrel {

class SpreadsheetCore;
struct SettingsFields;
struct WindowsTableRow;
struct ProfilesTable;

/// @brief The proposed file name: the workbook's name less its last four characters (counted
/// as characters, not bytes), then "_summary". "Profiles.xls" gives "Profiles_summary".
std::string proposedSummaryName(const std::string& workbookFileName);

/// @brief The save dialog: filters "Excel 97" and "Excel 5" (both *.XLS), then "Excel workbook"
/// (*.xlsx) and "Text, comma separated" (*.csv); `selectedFilter` (1-based; anything else
/// selects "Excel 97"), default suffix "XLS" (xlsx and csv for the last two entries),
/// overwrite question, initial folder `exportPath`, the proposed name of proposedSummaryName().
FileDialogSetup summarySaveDialogSetup(const std::string& exportPath,
                                       const std::string& workbookFileName, int selectedFilter);

/// @brief The folder part of a chosen path without a trailing "/" (the root stays "/"); empty
/// for a bare file name.
std::string exportFolderOf(const std::string& chosenPath);

/// @brief The WriteWorkbook file-type code of a filter entry: 1 -> 11 (Excel 97), 2 -> 4
/// (Excel 5), 3 -> 51 (.xlsx), 4 -> 6 (.csv), anything else -> 11.
int16_t fileTypeForSaveFilter(int filterIndex);

/// @brief Save summary as: shows the save dialog; on cancel returns false and changes nothing.
/// Otherwise sets state.DataExportPath to the chosen folder and `selectedFilter` to the entry
/// chosen, then writes every sheet of `target` to the chosen path, atomically, with the
/// entry's file-type code. With `windows`, the sheet "Windows" follows (writeSummaryWithWindows:
/// for .csv the file NAME_windows.csv beside it), and with `profiles` too the sheet "Profiles"
/// (NAME_profiles.csv). A failed write throws KestrelError and leaves any old file intact.
bool saveSummary(SpreadsheetCore& target, SettingsFields& state, int& selectedFilter,
                 UserInteraction& ui, QWidget* parent,
                 const std::vector<WindowsTableRow>* windows = nullptr,
                 const ProfilesTable* profiles = nullptr);

}  // namespace kestrel
