// Fuzz target: the .xlsx reader. An input that starts like a ZIP file is read as a whole file
// (the package, then its parts); any other input becomes the worksheet part of a package
// built around it, so that the fuzzer works on the XML the reader interprets.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/PackageReaderChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    try {
        if (input.starts_with("PK")) {
            kestrel::fuzz::checkAnyWorkbookBytes(input, "hostile.xlsx");
        } else {
            const std::string package = kestrel::fuzz::xlsxWithSheet(std::string(input));
            kestrel::fuzz::checkAnyWorkbookBytes(package, "hostile.xlsx");
        }
    } catch (const kestrel::fuzz::InvariantBroken& broken) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.what());
        std::abort();
    }
    return 0;
}
