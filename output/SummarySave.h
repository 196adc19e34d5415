// Saving the summary workbook: the save dialog's set-up, the export folder and the format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/UserInteraction.h"

class QWidget;

namespace kestrel {

class SpreadsheetCore;
struct SettingsFields;
struct WindowsTableRow;
struct ProfilesTable;
struct SummarySheet;

/// @brief The proposed file name: the workbook's name less its extension, whatever its length,
/// then "_summary": "Profiles.xls" gives "Profiles_summary", "data.xlsx" "data_summary". A name
/// without an extension keeps it whole, unless it has four characters or fewer, which are
/// dropped as before ("_summary").
std::string proposedSummaryName(const std::string& workbookFileName);

/// @brief Where the save dialog opens: the folder last saved to (`exportPath`), else, while that
/// is still the program's data folder (`dataFolder`, the setting's default), empty or gone, the
/// folder of the workbook the results came from.
std::string summaryStartFolder(const std::string& exportPath, const std::string& workbookPath,
                               const std::string& dataFolder);

/// @brief The file-type code for the chosen path: its extension decides where it names a format
/// (.xls: Excel 97, or Excel 5 with the "Excel 5" entry; .xlsx; .csv, in any case); a name
/// without one of these takes the entry's (fileTypeForSaveFilter).
int16_t fileTypeForSavedName(const std::string& path, int filterIndex);

/// @brief The save dialog: filters "Excel 97" and "Excel 5" (both *.XLS), then "Excel workbook"
/// (*.xlsx) and "Text, comma separated" (*.csv); `selectedFilter` (1-based; anything else
/// selects "Excel 97"), default suffix "XLS" (xlsx and csv for the last two entries),
/// overwrite question, initial folder `exportPath`, the proposed name of proposedSummaryName()
/// with the selected entry's suffix ("Profiles_summary.XLS").
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
/// file-type code of fileTypeForSavedName(). The dialog opens in summaryStartFolder(). With
/// `windows`, the sheet "Windows" follows (writeSummaryWithWindows: for .csv the file
/// NAME_windows.csv beside it), and with `profiles` too the sheet "Profiles" (NAME_profiles.csv),
/// and with `last` that sheet after them all (NAME + its suffix + .csv). A failed write throws
/// KestrelError and leaves any old file intact.
bool saveSummary(SpreadsheetCore& target, SettingsFields& state, int& selectedFilter,
                 UserInteraction& ui, QWidget* parent,
                 const std::vector<WindowsTableRow>* windows = nullptr,
                 const ProfilesTable* profiles = nullptr, const std::string& dataFolder = {},
                 const SummarySheet* last = nullptr);

}  // namespace kestrel
