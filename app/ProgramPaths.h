// Where the program keeps its settings file and finds its shipped data.
#pragma once

#include <string>

namespace kestrel {

/// @brief The program file's name without its folder, less a final extension if it has one:
/// "/usr/bin/kestrel" gives "kestrel", "Kestrel.exe" gives "Kestrel". A leading dot does not
/// start an extension (".kestrel" stays ".kestrel").
std::string iniBaseNameFrom(const std::string& programFile);

/// @brief iniBaseNameFrom() of the running program's file.
std::string programIniBaseName();

/// @brief The one fixed folder of the settings file: $XDG_CONFIG_HOME/kestrel, or
/// ~/.config/kestrel when that variable is unset, empty or not an absolute path. Created when
/// missing (a failure to create it shows up when the file is written).
std::string settingsFolder();

/// @brief settingsFolder() + "/" + iniBaseName + ".INI".
std::string settingsFilePath(const std::string& iniBaseName);

/// @brief The program's data folder (critical value table, sample workbooks), without a
/// trailing "/": <prefix>/share/kestrel beside an installed program, else the build tree's
/// data folder. The default of the three folder settings.
std::string dataFolder();

}  // namespace kestrel
