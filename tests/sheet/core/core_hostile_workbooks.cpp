// Hostile workbooks on disk: records that claim billions of rows, strings or columns, chains
// that never end, sheets that start past the end. Each is read or refused with a message naming
// the file, within memory in proportion to the file; and every input the reader's
// fuzzer ever broke on is replayed here.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core_writer_support.h"
#include "engine/KestrelError.h"
#include "sheet/core/ProfileSheet.h"
#include "sheet/core/SpreadsheetCore.h"
#include "tests/fuzz/WorkbookReaderChecks.h"
#include "tests/sheet/core/BiffTestBytes.h"

namespace {

namespace fs = std::filesystem;

using kestrel::testbytes::f64;
using kestrel::testbytes::le16;
using kestrel::testbytes::le32;
using kestrel::testbytes::rec;
std::string bof(uint16_t type) {
    return rec(0x0809, le16(0x0600) + le16(type) + std::string(12, '\0'));
}
std::string eof() {
    return rec(0x000A, "");
}
std::string number(uint16_t row, uint16_t col, double v) {
    return rec(0x0203, le16(row) + le16(col) + le16(15) + f64(v));
}
std::string boundSheet(uint32_t offset, const std::string& name) {
    return rec(0x0085, le32(offset) + std::string(2, '\0') + static_cast<char>(name.size()) +
                           std::string(1, '\0') + name);
}

/// An Excel 97 workbook stream: globals (BOF, `globals`, one BOUNDSHEET, EOF) and one sheet
/// "Data" holding `sheetRecords`.
std::string oneSheetStream(const std::string& globals, const std::string& sheetRecords) {
    const std::string head = bof(5) + globals;
    const uint32_t sheetOffset =
        static_cast<uint32_t>(head.size() + boundSheet(0, "Data").size() + eof().size());
    return head + boundSheet(sheetOffset, "Data") + eof() + bof(0x10) + sheetRecords + eof();
}

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class HostileWorkbooks : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("kestrel-hostile-" + std::to_string(getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string writeFile(const std::string& name, const std::string& bytes) {
        const fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    /// Loads the file into a component; "read" or the error's text. Fails the test when the
    /// load raises the process's peak memory by more than `allowanceMb` (a few times the file's
    /// size would be far less).
    std::string load(const std::string& name, const std::string& stream,
                     kestrel::SpreadsheetCore& component, long allowanceMb = 64) {
        const std::string path =
            writeFile(name, kestrel::writertest::gsfCompoundFile("Workbook", stream));
        const long before = peakResidentKilobytes();
        std::string outcome = "read";
        try {
            int16_t fileType = kestrel::kFileTypeExcel97;
            component.ReadWorkbook(path, fileType);
        } catch (const kestrel::KestrelError& error) {
            outcome = error.what();
            EXPECT_NE(outcome.find(path), std::string::npos) << "the message must name the file";
        }
        EXPECT_LT(peakResidentKilobytes() - before, allowanceMb * 1024) << name;
        return outcome;
    }

    fs::path m_folder;
};

}  // namespace

TEST_F(HostileWorkbooks, ClaimedCountsOfStringsRowsAndColumnsAreNotTrusted) {
    // A shared string table that claims 2^31 strings but holds three.
    std::string strings = le32(0x80000000u) + le32(0x80000000u);
    for (const char* s : {"Age", "Y data (1)", "Y data (2)"}) {
        strings += le16(static_cast<uint16_t>(std::strlen(s))) + '\0' + s;
    }
    std::string cells;
    for (uint16_t col = 0; col < 3; ++col)
        cells += rec(0x00FD, le16(0) + le16(col) + le16(15) + le32(col));
    cells += number(1, 0, 100) + number(1, 1, 5) + number(1, 2, 7);
    kestrel::SpreadsheetCore sst;
    ASSERT_EQ(load("sst.xls", oneSheetStream(rec(0x00FC, strings), cells), sst), "read");
    sst.SetRow(1), sst.SetCol(2);
    EXPECT_EQ(sst.Text(), "Y data (1)");

    // DIMENSIONS claiming a billion rows and every column, above one real cell.
    const std::string dimensions =
        rec(0x0200, le32(0) + le32(1000000000u) + le16(0) + le16(0xFFFF) + le16(0));
    kestrel::SpreadsheetCore dims;
    ASSERT_EQ(load("dimensions.xls", oneSheetStream("", dimensions + number(5, 1, 42)), dims),
              "read");
    EXPECT_EQ(dims.MaxRow(), 6) << "the grid has the rows the file holds, not those it claims";
    EXPECT_EQ(dims.workbook().sheets.at(0).cellCount(), 1u);

    // MULRK records whose last-column field claims 65,535 columns: one holding two entries, one
    // filling a whole record with entries that run past the last addressable column.
    std::string shortRun = le16(3) + le16(0);
    for (uint32_t i = 0; i < 2; ++i) shortRun += le16(15) + le32(((i + 1) << 2) | 2);
    shortRun += le16(0xFFFF);
    std::string longRun = le16(4) + le16(16380);
    for (uint32_t i = 0; i < 1300; ++i) longRun += le16(15) + le32((i << 2) | 2);
    longRun += le16(0xFFFF);
    kestrel::SpreadsheetCore mulrk;
    ASSERT_EQ(
        load("mulrk.xls", oneSheetStream("", rec(0x00BD, shortRun) + rec(0x00BD, longRun)), mulrk),
        "read");
    std::vector<std::string> addresses;
    mulrk.workbook().sheets.at(0).forEachCell([&](int row, int col, const kestrel::Cell&) {
        addresses.push_back(kestrel::cellAddress(row, col));
    });
    EXPECT_EQ(addresses,
              (std::vector<std::string>{
                  "A4", "B4", kestrel::cellAddress(5, 16381), kestrel::cellAddress(5, 16382),
                  kestrel::cellAddress(5, 16383), kestrel::cellAddress(5, 16384)}))
        << "the entries that are there, up to the last addressable column";

    // A cell that refers to string 2^31 - 1 of a table that holds three.
    kestrel::SpreadsheetCore farIndex;
    EXPECT_NE(load("sst-index.xls",
                   oneSheetStream(rec(0x00FC, strings),
                                  rec(0x00FD, le16(1) + le16(0) + le16(15) + le32(0x7FFFFFFFu))),
                   farIndex)
                  .find("shared string 2147483647"),
              std::string::npos);
}

TEST_F(HostileWorkbooks, EndlessChainsAndSheetsPastTheEndAreRefused) {
    // A string claiming 65,535 double-byte characters continued by CONTINUE records until the
    // stream is cut off in the middle of one: never an end-of-file record.
    std::string chain = bof(5) + rec(0x00FC, le32(1) + le32(1) + le16(0xFFFF) + '\x01');
    while (chain.size() < 200000)
        chain += rec(0x003C, std::string(1, '\x01') + std::string(2000, 'a'));
    chain += le16(0x003C) + le16(8000) + "cut";
    kestrel::SpreadsheetCore endless;
    EXPECT_NE(load("chain.xls", chain, endless).find("cut short"), std::string::npos);

    // Thousands of sheets that all start four gigabytes into a stream of a few kilobytes.
    std::string globals;
    for (int i = 0; i < 5000; ++i) {
        std::string name = "S";
        name += std::to_string(i);
        globals += boundSheet(0xFFFFFFF0u, name);
    }
    kestrel::SpreadsheetCore past;
    EXPECT_NE(load("offsets.xls", bof(5) + globals + eof(), past)
                  .find("does not start where the workbook says"),
              std::string::npos);
    EXPECT_EQ(past.NumSheets(), 1) << "a refused file leaves the component as it was";
}

TEST_F(HostileWorkbooks, RowRangesBeyondTheSheetAreAMessageNotAnAllocation) {
    kestrel::SpreadsheetCore source;
    ASSERT_EQ(load("small.xls", oneSheetStream("", number(1, 0, 1) + number(1, 1, 2)), source),
              "read");
    for (const int32_t toRow : {2000000000, kestrel::kMaxSheetRows + 1}) {
        kestrel::ProfileRange range;
        range.FromRow = 2;
        range.ToRow = toRow;
        kestrel::ProfileData data;
        const long before = peakResidentKilobytes();
        try {
            kestrel::readProfileRows(source, range, data);
            ADD_FAILURE() << "To row " << toRow << " was accepted";
        } catch (const kestrel::KestrelError& error) {
            EXPECT_NE(std::string(error.what()).find(std::to_string(toRow)), std::string::npos)
                << error.what();
        }
        EXPECT_LT(peakResidentKilobytes() - before, 16 * 1024);
        EXPECT_EQ(data.NumRows, 0);
    }
}

TEST(FuzzRegressions, EveryInputTheReaderFuzzerFoundIsHandled) {
    const fs::path folder =
        fs::path(KESTREL_TEST_DATA_DIR) / "fuzz-regressions" / "fuzz_read_workbook";
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_NO_THROW(kestrel::fuzz::checkWorkbookBytes(bytes)) << entry.path().filename();
    }
}
