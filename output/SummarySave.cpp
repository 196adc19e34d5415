// Save summary as: dialog set-up, proposed name, export folder, file-type code, the write.
#include "output/SummarySave.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "engine/KestrelError.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/WindowsSheet.h"
#include "sheet/core/WorkbookWriter.h"
#include "ui/SettingsFields.h"

namespace kestrel {

namespace {

const char* const kSummarySuffix = "_summary";
constexpr int kDroppedCharacters = 4;

bool isUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string proposedSummaryName(const std::string& workbookFileName) {
    // The extension goes whatever its length (".xls", ".xlsx", ".csv"); dropping a fixed four
    // characters left "data._summary" of "data.xlsx", whose "_summary" the file chooser then
    // takes for an extension and turns back into "data.xlsx", the workbook itself.
    const size_t dot = workbookFileName.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        return workbookFileName.substr(0, dot) + kSummarySuffix;
    // No extension: a name of four characters or fewer (as many as ".xls") leaves only the
    // suffix, as dropping four characters always did.
    const auto characters = std::count_if(workbookFileName.begin(), workbookFileName.end(),
                                          [](char c) { return !isUtf8Continuation(c); });
    if (characters <= kDroppedCharacters) return kSummarySuffix;
    return workbookFileName + kSummarySuffix;
}

std::string summaryStartFolder(const std::string& exportPath, const std::string& workbookPath,
                               const std::string& dataFolder) {
    namespace fs = std::filesystem;
    std::error_code error;
    const bool unused = exportPath.empty() || !fs::is_directory(exportPath, error) ||
                        (!dataFolder.empty() && fs::equivalent(exportPath, dataFolder, error));
    if (!unused || workbookPath.empty()) return exportPath;
    return fs::path(workbookPath).parent_path().string();
}

int16_t fileTypeForSavedName(const std::string& path, int filterIndex) {
    std::string suffix = std::filesystem::path(path).extension().string();
    for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (suffix == ".xls") return filterIndex == 2 ? kFileTypeExcel5 : kFileTypeExcel97;
    if (suffix == ".xlsx") return kFileTypeXlsx;
    if (suffix == ".csv") return kFileTypeCsv;
    return fileTypeForSaveFilter(filterIndex);
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
    // With the entry's extension, so the chooser swaps the extension when the entry changes.
    setup.proposedName = QString::fromStdString(proposedSummaryName(workbookFileName)) + "." +
                         setup.filterSuffixes.at(setup.selectedFilter - 1);
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
                 const ProfilesTable* profiles, const std::string& dataFolder,
                 const SummarySheet* last) {
    FileDialogSetup setup =
        summarySaveDialogSetup(state.DataExportPath, state.WorkbookFileName, selectedFilter);
    setup.initialFolder = QString::fromStdString(
        summaryStartFolder(state.DataExportPath, state.WorkbookPath, dataFolder));
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
    const int16_t fileType = fileTypeForSavedName(path, choice->filterIndex);
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
        if (last) refuseOverWorkbook(last->what.c_str(), besideCsvPath(path, last->csvSuffix));
    }
    writeSummaryWithWindows(
        path, fileType, [&](CellSink& sink) { sendWorkbookCells(target.workbook(), sink); },
        *windows, profiles, last);
    return true;
}

}  // namespace kestrel
