// Reading a 1,048,576-row x 3-column .xlsx (written by openpyxl, Debian's python3-openpyxl)
// and the same rows as .csv, made at start in a temporary folder. Peak memory is the process's
// after the reads, in MB.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "sheet/core/WorkbookReader.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 1048576;

// Age in column A, two smooth profiles in B and C, the header in row 1.
constexpr const char* kWriter = R"PY(
import csv, math, sys, openpyxl
book = openpyxl.Workbook(write_only=True)
sheet = book.create_sheet("Profiles")
rows = [["Age", "Y data (1)", "Y data (2)"]]
for row in range(1, ROWS):
    age = row * 0.5
    rows.append([age, math.exp(-((age - 90000.0) / 30000.0) ** 2),
                 math.exp(-((age - 140000.0) / 50000.0) ** 2)])
for r in rows:
    sheet.append(r)
book.save(sys.argv[1])
with open(sys.argv[2], "w", newline="") as f:
    csv.writer(f, lineterminator="\n").writerows(rows)
)PY";

/// The folder holding profiles.xlsx and profiles.csv, written on first use; empty on failure.
const fs::path& workbooks() {
    static const fs::path folder = [] {
        const fs::path dir = fs::temp_directory_path() / "kestrel-formats-bench";
        fs::create_directories(dir);
        if (fs::exists(dir / "profiles.xlsx") && fs::exists(dir / "profiles.csv")) return dir;
        std::string source = kWriter;
        source.replace(source.find("ROWS"), 4, std::to_string(kRows));
        std::ofstream(dir / "write.py") << source;
        const std::string command = "/usr/bin/python3 '" + (dir / "write.py").string() + "' '" +
                                    (dir / "profiles.xlsx").string() + "' '" +
                                    (dir / "profiles.csv").string() + "'";
        return std::system(command.c_str()) == 0 ? dir : fs::path();
    }();
    return folder;
}

void readWorkbook(benchmark::State& state, const char* name) {
    if (workbooks().empty()) {
        state.SkipWithError("cannot write the workbooks: /usr/bin/python3 with openpyxl is needed");
        return;
    }
    const std::string path = (workbooks() / name).string();
    size_t cells = 0;
    for (auto _ : state) {
        kestrel::WorkbookFormat format;
        const kestrel::Workbook book = kestrel::readAnyWorkbookFile(path, format);
        cells = book.sheets.at(0).cellCount();
        benchmark::DoNotOptimize(cells);
    }
    if (cells != static_cast<size_t>(kRows) * 3) state.SkipWithError("wrong number of cells read");
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["cells"] = static_cast<double>(cells);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ReadCsv1048576x3(benchmark::State& state) {
    readWorkbook(state, "profiles.csv");
}
void BM_ReadXlsx1048576x3(benchmark::State& state) {
    readWorkbook(state, "profiles.xlsx");
}

}  // namespace

BENCHMARK(BM_ReadCsv1048576x3)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_ReadXlsx1048576x3)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
