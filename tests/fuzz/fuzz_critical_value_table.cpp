// Fuzz target: the critical value table loader on arbitrary text.
#include <cstdio>
#include <cstdlib>

#include "engine/KestrelError.h"
#include "tests/fuzz/CriticalValueTableChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        kestrel::fuzz::checkCriticalValueTable({reinterpret_cast<const char*>(data), size});
    } catch (const kestrel::fuzz::InvariantBroken& broken) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.what());
        std::abort();
    } catch (const kestrel::KestrelError& error) {
        // Only the reload of a table's own saved text can get here.
        std::fprintf(stderr, "saved table refused on reload: %s\n", error.what());
        std::abort();
    }
    return 0;
}
