// What a command (an oracle script run by python3) writes on its standard output, for tests
// that compare the engine with an independent implementation.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace kestrel::testsupport {

/// @brief The command's standard output in full; empty when it could not be started.
inline std::string commandOutput(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string text;
    if (!pipe) return text;
    char buffer[65536];
    while (const size_t got = fread(buffer, 1, sizeof buffer, pipe.get())) text.append(buffer, got);
    return text;
}

}  // namespace kestrel::testsupport
