// Where kestrel-batch finds the program's shipped data, relative to its own executable.
#pragma once

#include <string>

namespace kestrel::batch {

/// @brief The program's data folder: <prefix>/share/kestrel when installed (the executable in
/// <prefix>/bin), <build>/data in a build tree (the executable in <build>/tools). The first of
/// the two that holds the critical value table; the installed one when neither does.
std::string programDataFolder();

}  // namespace kestrel::batch
