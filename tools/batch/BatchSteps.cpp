#include "tools/batch/BatchSteps.h"

#include <filesystem>
#include <system_error>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "sheet/core/ProfileSheet.h"
#include "sheet/core/Workbook.h"

namespace kestrel::batch {

int32_t wholeNumber(const std::string& text, const std::string& message) {
    const auto value = parseWholeNumber(text);
    if (!value) throw KestrelError(message + ": \"" + text + "\"");
    return *value;
}

void selectSheet(SpreadsheetCore& source, std::optional<int32_t> sheet,
                 const std::string& workbook) {
    if (!sheet) return;
    if (*sheet < 1 || *sheet > source.NumSheets()) {
        throw KestrelError("Incorrect value entered for sheet index: " + std::to_string(*sheet) +
                           " (the workbook " + workbook + " holds sheets 1 to " +
                           std::to_string(source.NumSheets()) + ")");
    }
    source.SetSheet(*sheet);
}

int32_t lastDataRow(const SpreadsheetCore& source, std::optional<int32_t> toRow, int32_t ageCol) {
    if (toRow) return *toRow;
    const int32_t found = findLastFilledRow(source, ageCol);
    if (found == 0) {
        throw KestrelError("Incorrect values entered for rows to import: the Age column " +
                           columnLetters(ageCol) + " of sheet \"" +
                           source.SheetName(source.Sheet()) +
                           "\" is empty at row 2; give the last row with --to");
    }
    return found;
}

void checkGraphsFolder(const std::optional<std::string>& graphs, bool canWriteGraphs) {
    if (!graphs) return;
    if (!canWriteGraphs) throw KestrelError("This kestrel-batch was built without graph images");
    // Made with its parents, as any output folder; something else of that name is left alone.
    std::error_code error;
    std::filesystem::create_directories(*graphs, error);
    std::error_code unused;
    if (!std::filesystem::is_directory(*graphs, unused)) {
        throw KestrelError("The graphs folder " + *graphs + " cannot be made" +
                           (error ? " (" + error.message() + ")" : std::string()));
    }
}

}  // namespace kestrel::batch
