// Fuzz target: the .csv reader (and the choice of reader by content) on arbitrary bytes.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/PackageReaderChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        kestrel::fuzz::checkAnyWorkbookBytes({reinterpret_cast<const char*>(data), size},
                                             "hostile.csv");
    } catch (const kestrel::fuzz::InvariantBroken& broken) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.what());
        std::abort();
    }
    return 0;
}
