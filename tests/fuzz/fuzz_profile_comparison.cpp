// Fuzz target: the profile comparison on random profiles and thresholds, checking its invariants.
#include <cstdio>
#include <cstdlib>

#include "engine/KestrelError.h"
#include "tests/fuzz/ProfileComparisonChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        kestrel::fuzz::checkProfileComparison({reinterpret_cast<const char*>(data), size});
    } catch (const kestrel::fuzz::InvariantBroken& broken) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.what());
        std::abort();
    } catch (const kestrel::KestrelError& error) {
        // A comparison of at least one position is never refused.
        std::fprintf(stderr, "comparison refused: %s\n", error.what());
        std::abort();
    }
    return 0;
}
