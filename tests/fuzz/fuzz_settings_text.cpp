// Fuzz target: reading the settings file's INI text, and writing back what was read.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/SettingsTextChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        kestrel::fuzz::checkSettingsText({reinterpret_cast<const char*>(data), size});
    } catch (const kestrel::fuzz::InvariantBroken& broken) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.what());
        std::abort();
    }
    return 0;
}
