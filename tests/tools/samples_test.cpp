// The shipped sample workbooks: what kestrel-make-samples writes now matches what is committed,
// the build copies them into the data folder, and comparing their profiles shows several
// windows of which exactly one (the shifted peak) differs beyond its critical value.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/CriticalValueTable.h"
#include "engine/ProfileComparison.h"
#include "sheet/core/BiffReader.h"
#include "sheet/core/ProfileSheet.h"
#include "sheet/core/SpreadsheetCore.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCommitted = fs::path(KESTREL_SOURCE_DIR) / "data" / "samples";
const fs::path kBuildData = KESTREL_BUILD_DATA_DIR;
const std::string kMaker = std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-make-samples";

struct Sample {
    const char* name;
    int16_t fileType;
    int rows;  // data rows below the heading
};
const Sample kSamples[] = {{"Profiles97.xls", kestrel::kFileTypeExcel97, 4001},
                           {"Profiles95.xls", kestrel::kFileTypeExcel5, 2001}};

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every cell of every sheet as "sheet!address=value" lines.
std::vector<std::string> cellsOf(const kestrel::Workbook& book) {
    std::vector<std::string> cells;
    for (const auto& sheet : book.sheets) {
        sheet.forEachCell([&](int row, int col, const kestrel::Cell& cell) {
            cells.push_back(sheet.name() + "!" + kestrel::cellAddress(row, col) + "=" +
                            (cell.kind == kestrel::CellKind::Number
                                 ? kestrel::generalNumberText(cell.number)
                                 : cell.text));
        });
    }
    return cells;
}

kestrel::Workbook readBook(const fs::path& path, int16_t& fileType) {
    return kestrel::readWorkbookFile(path.string(), fileType);
}

}  // namespace

TEST(SampleWorkbooks, CommittedFilesAreWhatTheGeneratorWritesAndTheBuildShipsThem) {
    const fs::path folder =
        fs::temp_directory_path() / ("kestrel-samples-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string command = kMaker + " '" + folder.string() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const Sample& s : kSamples) {
        int16_t committedType = 0, freshType = 0;
        const auto committed = readBook(kCommitted / s.name, committedType);
        const auto fresh = readBook(folder / s.name, freshType);
        EXPECT_EQ(committedType, s.fileType) << s.name;
        EXPECT_EQ(freshType, s.fileType) << s.name;
        EXPECT_EQ(cellsOf(committed), cellsOf(fresh))
            << s.name << " is stale: run kestrel-make-samples data/samples and commit it";
        EXPECT_EQ(readAll(kBuildData / "samples" / s.name), readAll(kCommitted / s.name))
            << s.name << " is not copied into the build's data folder";
    }
    fs::remove_all(folder);
}

TEST(SampleWorkbooks, HeadingAgesAndValuesLookLikeRealProfiles) {
    for (const Sample& s : kSamples) {
        kestrel::SpreadsheetCore book;
        int16_t fileType = kestrel::kFileTypeExcel97;
        book.ReadWorkbook((kCommitted / s.name).string(), fileType);
        book.SetRow(1);
        const char* headers[] = {"Age", "Y data (1)", "Y data (2)"};
        for (int col = 1; col <= 3; ++col) {
            book.SetCol(col);
            EXPECT_EQ(book.Text(), headers[col - 1]) << s.name;
        }
        EXPECT_EQ(kestrel::findLastFilledRow(book, 1), s.rows + 1) << s.name;
        double previousAge = -1, highest = 0;
        for (int row = 2; row <= s.rows + 1; ++row) {
            book.SetRow(row);
            book.SetCol(1);
            const double age = book.Number();
            ASSERT_GT(age, previousAge) << s.name << " row " << row;
            previousAge = age;
            for (int col = 2; col <= 3; ++col) {
                book.SetCol(col);
                ASSERT_GE(book.Number(), 0) << s.name << " row " << row;
                highest = std::max(highest, book.Number());
            }
        }
        EXPECT_EQ(previousAge, 4000) << s.name;
        EXPECT_GE(highest, 10) << s.name << ": values should reach tens";
        EXPECT_LT(highest, 100) << s.name;
    }
}

TEST(SampleWorkbooks, ComparisonFindsSeveralWindowsAndOneBeyondItsCriticalValue) {
    kestrel::CriticalValueTable table;
    table.load((kBuildData / "KolmogorovSmirnov.cds").string());
    for (const Sample& s : kSamples) {
        kestrel::SpreadsheetCore book;
        int16_t fileType = kestrel::kFileTypeExcel97;
        book.ReadWorkbook((kCommitted / s.name).string(), fileType);
        kestrel::ProfileRange range;
        range.FromRow = 2;
        range.ToRow = s.rows + 1;
        kestrel::ProfileData data;
        kestrel::readProfileRows(book, range, data);
        kestrel::ComparisonHooks hooks;
        hooks.criticalValue = [&table](int32_t m) { return table.lookup(m); };
        const auto windows = kestrel::compareProfiles(data, {}, hooks);  // default thresholds
        EXPECT_GE(windows.size(), 3u) << s.name;
        int beyond = 0;
        for (const auto& w : windows) {
            ASSERT_GT(w.cutoff, 0) << s.name << ": the table lacks n=" << w.last - w.first + 1;
            const double largest = *std::max_element(data.DifferenceW.begin() + w.first,
                                                     data.DifferenceW.begin() + w.last + 1);
            beyond += largest > w.cutoff;
        }
        EXPECT_EQ(beyond, 1) << s.name << ": only the window of the shifted peak should differ";
        EXPECT_GT(*std::max_element(data.Difference.begin() + 1, data.Difference.end()),
                  data.Cutoff[1])
            << s.name;
    }
}
