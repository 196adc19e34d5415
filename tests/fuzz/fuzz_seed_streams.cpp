// Seed helper for the reader's fuzz target: writes the bare workbook stream of each .xls file
// given, so that the fuzzer also starts inside the BIFF records, not only in the compound file.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "engine/KestrelError.h"
#include "sheet/core/Ole2Storage.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: fuzz_seed_streams OUTPUT_FOLDER FILE.xls...\n";
        return 2;
    }
    const std::string folder = argv[1];
    int written = 0;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        try {
            const kestrel::WorkbookStream stream = kestrel::readWorkbookStream(bytes, argv[i]);
            std::ofstream out(folder + "/stream-" + std::to_string(i - 1) + ".biff",
                              std::ios::binary);
            out.write(stream.bytes.data(), static_cast<std::streamsize>(stream.bytes.size()));
            written += out.good() ? 1 : 0;
        } catch (const kestrel::KestrelError&) {
            // Damaged files have no stream to offer; they are seeds as whole files anyway.
        }
    }
    std::cout << written << " workbook streams written to " << folder << "\n";
    return 0;
}
