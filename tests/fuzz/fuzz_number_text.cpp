// Fuzz target: the whole-number and real-number parsers and formatFixed on arbitrary text.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/NumberTextChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        kestrel::fuzz::checkNumberTexts({reinterpret_cast<const char*>(data), size});
    } catch (const kestrel::fuzz::InvariantBroken& broken) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.what());
        std::abort();
    }
    return 0;
}
