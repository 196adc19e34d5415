// Fuzz target: reading the settings file's INI text and writing back what was read; writing
// fields set from any bytes and reading them back.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/SettingsTextChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const std::string_view bytes(reinterpret_cast<const char*>(data), size);
        kestrel::fuzz::checkSettingsText(bytes);
        kestrel::fuzz::checkSettingsFields(bytes);
    } catch (const kestrel::fuzz::InvariantBroken& broken) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.what());
        std::abort();
    }
    return 0;
}
