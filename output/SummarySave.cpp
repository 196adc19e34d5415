// Save summary as: dialog set-up, proposed name, export folder, file-type code, the write.
#include "output/SummarySave.h"

#include <filesystem>
#include <system_error>

#include "engine/KestrelError.h"
#include "engine/SettingsFields.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/WindowsSheet.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel {

namespace {

const char* const kSummarySuffix = "_summary";
constexpr int kDroppedCharacters = 4;

bool isUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string proposedSummaryName(const std::string& workbookFileName) {
    size_t end = workbookFileName.size();
    for (int dropped = 0; dropped < kDroppedCharacters && end > 0; ++dropped) {
        do {
            --end;
        } while (end > 0 && isUtf8Continuation(workbookFileName[end]));
    }
    return workbookFileName.substr(0, end) + kSummarySuffix;
}

FileDialogSetup summarySaveDialogSetup(const std::string& exportPath,
                                       const std::string& workbookFileName, int selectedFilter) {
    FileDialogSetup setup;
    setup.filters = QStringList{"Excel 97 (*.XLS *.xls)", "Excel 5 (*.XLS *.xls)",
                                "Excel workbook (*.xlsx)", "Text, comma separated (*.csv)"};
    setup.filterSuffixes = QStringList{"XLS", "XLS", "xlsx", "csv"};
    setup.selectedFilter =
        selectedFilter >= 1 && selectedFilter <= setup.filters.size() ? selectedFilter : 1;
    setup.initialFolder = QString::fromStdString(exportPath);
    setup.proposedName = QString::fromStdString(proposedSummaryName(workbookFileName));
    setup.defaultSuffix = "XLS";
    setup.confirmOverwrite = true;
    return setup;
}

std::string exportFolderOf(const std::string& chosenPath) {
    const size_t slash = chosenPath.find_last_of('/');
    if (slash == std::string::npos) return {};
    std::string folder = chosenPath.substr(0, slash);
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    return folder.empty() ? "/" : folder;
}

int16_t fileTypeForSaveFilter(int filterIndex) {
    switch (filterIndex) {
        case 2:
            return kFileTypeExcel5;
        case 3:
            return kFileTypeXlsx;
        case 4:
            return kFileTypeCsv;
        default:
            return kFileTypeExcel97;
    }
}

bool saveSummary(SpreadsheetCore& target, SettingsFields& state, int& selectedFilter,
                 UserInteraction& ui, QWidget* parent, const std::vector<WindowsTableRow>* windows,
                 const ProfilesTable* profiles) {
    const FileDialogSetup setup =
        summarySaveDialogSetup(state.DataExportPath, state.WorkbookFileName, selectedFilter);
    const std::optional<FileChoice> choice = ui.chooseSaveFile(parent, setup);
    if (!choice || choice->path.isEmpty()) return false;
    const std::string path = choice->path.toStdString();
    // The folder is remembered before writing, so it holds even when the write then fails.
    state.DataExportPath = exportFolderOf(path);
    selectedFilter = choice->filterIndex;
    // The file chooser turns the proposal "data._summary" into "data.xlsx" when the .xlsx entry
    // is chosen: one confirmed overwrite would replace the user's workbook with its summary.
    std::error_code error;
    if (!state.WorkbookPath.empty() &&
        std::filesystem::equivalent(state.WorkbookPath, path, error)) {
        throw KestrelError(
            "The summary cannot be saved as " + path +
            ": that is the workbook the profiles were read from; choose another name");
    }
    const int16_t fileType = fileTypeForSaveFilter(choice->filterIndex);
    if (!windows) {
        target.WriteWorkbook(path, fileType);
        return true;
    }
    // A .csv summary puts the other sheets in files beside it: none may be the workbook read.
    const auto refuseOverWorkbook = [&](const char* what, const std::string& beside) {
        if (!std::filesystem::equivalent(state.WorkbookPath, beside, error)) return;
        throw KestrelError(std::string(what) + " cannot be saved as " + beside +
                           ": that is the workbook the profiles were read from; choose another "
                           "name");
    };
    if (fileType == kFileTypeCsv && !state.WorkbookPath.empty()) {
        refuseOverWorkbook("The windows table", windowsCsvPath(path));
        if (profiles) refuseOverWorkbook("The profiles", profilesCsvPath(path));
    }
    writeSummaryWithWindows(
        path, fileType, [&](CellSink& sink) { sendWorkbookCells(target.workbook(), sink); },
        *windows, profiles);
    return true;
}

}  // namespace kestrel
