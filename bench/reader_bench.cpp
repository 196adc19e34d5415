// Reading a 65,536-row x 3-column Excel 97 workbook (ages and two profiles), written at start
// by xlwt (Debian's python3-xlwt) into a temporary folder. Report the median of the runs.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/KestrelError.h"
#include "sheet/core/BiffReader.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 65536;

// Age in column A, two smooth profiles in B and C: whole and half ages go into RK records,
// the profile values into NUMBER records, as a real profile sheet does.
constexpr const char* kWriter = R"(
import math, sys, xlwt
book = xlwt.Workbook()
sheet = book.add_sheet("Profiles")
for row in range(ROWS):
    age = row * 0.5
    sheet.write(row, 0, age)
    sheet.write(row, 1, math.exp(-((age - 9000.0) / 3000.0) ** 2))
    sheet.write(row, 2, math.exp(-((age - 14000.0) / 5000.0) ** 2))
book.save(sys.argv[1])
)";

/// The workbook's path, written on first use; empty when it cannot be made.
const std::string& workbookPath() {
    static const std::string path = [] {
        const fs::path dir = fs::temp_directory_path() / "kestrel-reader-bench";
        fs::create_directories(dir);
        const fs::path book = dir / "profiles-65536x3.xls";
        const fs::path script = dir / "write.py";
        std::string source = kWriter;
        source.replace(source.find("ROWS"), 4, std::to_string(kRows));
        std::ofstream(script) << source;
        const std::string command =
            "/usr/bin/python3 '" + script.string() + "' '" + book.string() + "'";
        return std::system(command.c_str()) == 0 ? book.string() : std::string();
    }();
    return path;
}

void BM_ReadExcel97Workbook65536x3(benchmark::State& state) {
    const std::string& path = workbookPath();
    if (path.empty()) {
        state.SkipWithError("cannot write the workbook: /usr/bin/python3 with xlwt is needed");
        return;
    }
    size_t cells = 0;
    for (auto _ : state) {
        int16_t fileType = 11;
        const kestrel::Workbook book = kestrel::readWorkbookFile(path, fileType);
        cells = book.sheets.at(0).cellCount();
        benchmark::DoNotOptimize(cells);
    }
    if (cells != static_cast<size_t>(kRows) * 3) state.SkipWithError("wrong number of cells read");
    state.counters["cells"] = static_cast<double>(cells);
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
}

}  // namespace

BENCHMARK(BM_ReadExcel97Workbook65536x3)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
