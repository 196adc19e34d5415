// Choosing the file of a table made from grain ages.
#include "app/TableFileChoice.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <filesystem>

#include "engine/KestrelError.h"
#include "ui/UserInteraction.h"

namespace kestrel {

QString decodedPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::optional<std::string> chooseTableFile(UserInteraction& ui, QWidget* parent,
                                           const QString& title, const std::string& workbookPath,
                                           const QString& nameEnding, const std::string& what) {
    const QFileInfo workbook(decodedPath(workbookPath));
    FileDialogSetup setup;
    setup.title = title;
    setup.filters = QStringList{"Comma-separated text (*.csv)", "Excel workbook (*.xlsx)"};
    setup.filterSuffixes = QStringList{"csv", "xlsx"};
    setup.defaultSuffix = "csv";
    setup.initialFolder = workbook.path();
    setup.proposedName = workbook.completeBaseName() + nameEnding + ".csv";
    setup.confirmOverwrite = true;
    const auto choice = ui.chooseSaveFile(parent, setup);
    if (!choice) return std::nullopt;
    QString chosen = choice->path;
    // A name without .csv or .xlsx takes the chosen entry's.
    const QString suffix = QFileInfo(chosen).suffix().toLower();
    if (suffix != "csv" && suffix != "xlsx")
        chosen += "." + setup.filterSuffixes.value(choice->filterIndex - 1, "csv");
    const std::string path = QFile::encodeName(chosen).toStdString();
    std::error_code error;
    if (std::filesystem::equivalent(path, workbookPath, error)) {
        throw KestrelError("The " + what + " file " + path +
                           " is the workbook of the ages; choose another name");
    }
    return path;
}

}  // namespace kestrel
