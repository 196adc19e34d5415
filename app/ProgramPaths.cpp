// Settings folder, settings file name and data folder, found with Qt's view of the system.
#include "app/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kestrel {

std::string iniBaseNameFrom(const std::string& programFile) {
    const size_t slash = programFile.find_last_of('/');
    std::string name = slash == std::string::npos ? programFile : programFile.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string programIniBaseName() {
    return iniBaseNameFrom(QCoreApplication::applicationFilePath().toStdString());
}

std::string settingsFolder() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative folder would depend on the working directory, which the file choosers change.
    const QString base = !configured.isEmpty() && QDir::isAbsolutePath(configured)
                             ? configured
                             : QDir::homePath() + "/.config";
    const QString folder = QDir::cleanPath(base + "/kestrel");
    QDir().mkpath(folder);
    return folder.toStdString();
}

std::string settingsFilePath(const std::string& iniBaseName) {
    return settingsFolder() + "/" + iniBaseName + ".INI";
}

std::string dataFolder() {
    const QString installed =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/kestrel");
    if (QFileInfo(installed).isDir()) return installed.toStdString();
#ifdef KESTREL_BUILD_DATA_DIR
    return QDir::cleanPath(QStringLiteral(KESTREL_BUILD_DATA_DIR)).toStdString();
#else
    return installed.toStdString();
#endif
}

}  // namespace kestrel
