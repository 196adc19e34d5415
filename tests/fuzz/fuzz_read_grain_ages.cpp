// Fuzz target: a workbook of any format read as grain ages, then made into profiles.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/GrainAgesChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        kestrel::fuzz::checkGrainAgesBytes({reinterpret_cast<const char*>(data), size});
    } catch (const kestrel::fuzz::InvariantBroken& broken) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.what());
        std::abort();
    }
    return 0;
}
