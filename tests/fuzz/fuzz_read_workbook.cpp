// Fuzz target: the .xls reader (compound file and BIFF records) on arbitrary bytes.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/WorkbookReaderChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        kestrel::fuzz::checkWorkbookBytes({reinterpret_cast<const char*>(data), size});
    } catch (const kestrel::fuzz::InvariantBroken& broken) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.what());
        std::abort();
    }
    return 0;
}
