// kestrel-batch and the critical value table: a row count past the end of the data gets its
// exact critical value from the shipped table, and a size a hand-made table lacks is said once
// per size on standard error while the window log stays as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/CriticalValueIndex.h"
#include "engine/NumberText.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/WorkbookWriter.h"
#include "tests/support/ReflectionSumOracle.h"
#include "tests/tools/BatchProcess.h"

namespace {

namespace fs = std::filesystem;

const std::string kProgram = std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-batch";
// Sheet 1: ten rows; with a time window of 300 the whole range (n=10) and positions 2..6 (n=5).
const std::string kProfiles = std::string(KESTREL_TEST_DATA_DIR) + "/batch/profiles.xls";

class BatchCriticalValues : public kestrel::batchtest::ScratchFolderTest {
  protected:
    // Runs kestrel-batch with `arguments` (no quoting needed: our paths hold no blanks); true
    // when it ended with status 0. Its output is in m_out and m_err.
    bool run(const std::string& arguments) {
        const auto outcome = kestrel::batchtest::runCommand(kProgram + " " + arguments, m_folder);
        m_out = outcome.out;
        m_err = outcome.err;
        return outcome.status == 0;
    }
    std::string write(const std::string& name, const std::string& text) {
        const fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    std::string m_out, m_err;
};

// An Excel 97 sheet filled to its last row (65,536): a heading, then ages 1, 2, ... and two
// profiles with one peak each, the second later.
std::string writeFullSheet(const fs::path& path) {
    kestrel::SpreadsheetCore book;
    book.SetRow(1);
    const char* headings[] = {"Age", "Y data (1)", "Y data (2)"};
    for (int col = 1; col <= 3; ++col) {
        book.SetCol(col);
        book.SetText(headings[col - 1]);
    }
    for (int row = 2; row <= 70001; ++row) {
        const double age = row - 1;
        const double z1 = (age - 20000) / 3000, z2 = (age - 26000) / 3000;
        const double values[] = {age, 30 * std::exp(-0.5 * z1 * z1), 30 * std::exp(-0.5 * z2 * z2)};
        book.SetRow(row);
        for (int col = 1; col <= 3; ++col) {
            book.SetCol(col);
            book.SetNumber(values[col - 1]);
        }
    }
    book.WriteWorkbook(path.string(), kestrel::kFileTypeCsv);
    return path.string();
}

}  // namespace

TEST_F(BatchCriticalValues, RowsPastTheTableOfOldGetTheirExactCriticalValue) {
    // Rows 2 to 70,001: 70,000 rows, more than an Excel 97 sheet holds.
    const std::string workbook = writeFullSheet(m_folder / "full.csv");
    ASSERT_TRUE(run("--to 70001 --window 5000 " + workbook)) << m_err;
    EXPECT_EQ(m_err, "");
    const int32_t k = kestrel::testsupport::ReflectionSumOracle(70000).criticalCount(0.05);
    const std::string cutoff = kestrel::formatFixed(static_cast<double>(k) / 70000, 3);
    ASSERT_NE(cutoff, "0.000");
    EXPECT_EQ(m_out.substr(0, m_out.find('\n')),
              "1   1.000     70000   70000.000    n=70000    Cutoff = " + cutoff);
    EXPECT_EQ(m_out.find("Cutoff = 0.000"), std::string::npos) << m_out;
}

TEST_F(BatchCriticalValues, EachSizeAHandMadeTableLacksIsOneWarningLineAndTheLogStaysAsItIs) {
    const std::string table = write("hand.cds", "Alpha,n,CritValue\n0.05,11,0.6\n0.05,5,0.5\n");
    ASSERT_TRUE(run("--sheet 1 --window 300 --table " + table + " " + kProfiles)) << m_err;
    EXPECT_EQ(m_err, "kestrel-batch: warning: no critical value for 10 rows in " + table + "\n");
    EXPECT_EQ(m_out,
              "1   100.000     10   1000.000    n=10    Cutoff = 0.000\n"
              "2   200.000     6   600.000    n=5    Cutoff = 0.500\n");

    const std::string empty = write("empty.cds", "Alpha,n,CritValue\n");
    ASSERT_TRUE(run("--sheet 1 --window 300 --table " + empty + " " + kProfiles)) << m_err;
    EXPECT_EQ(m_err, "kestrel-batch: warning: no critical value for 10 rows in " + empty +
                         "\nkestrel-batch: warning: no critical value for 5 rows in " + empty +
                         "\n");

    // A table that could not be loaded was said at its load; the sizes are not said again.
    const std::string none = (m_folder / "none.cds").string();
    ASSERT_TRUE(run("--sheet 1 --window 300 --table " + none + " " + kProfiles)) << m_err;
    EXPECT_EQ(m_err.find("no critical value"), std::string::npos) << m_err;
    EXPECT_NE(m_err.find("Unable to load critical values from " + none), std::string::npos);
}

TEST_F(BatchCriticalValues, TheShippedIndexIsCurrentAndAnyOtherTextIsReadWhole) {
    EXPECT_TRUE(kestrel::IndexedCriticalValues::open(std::string(KESTREL_BINARY_DIR) +
                                                     "/data/KolmogorovSmirnov.cds"));

    const std::string table = (m_folder / "t.cds").string();
    const std::string generator = std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-critvalues";
    ASSERT_EQ(kestrel::batchtest::runCommand(
                  generator + " --from 1 --to 20 --output " + table + " --index " + table + ".idx",
                  m_folder)
                  .status,
              0);
    ASSERT_TRUE(run("--sheet 1 --window 300 --table " + table + " " + kProfiles)) << m_err;
    const std::string indexed = m_out;
    EXPECT_EQ(indexed,
              "1   100.000     10   1000.000    n=10    Cutoff = 0.700\n"
              "2   200.000     6   600.000    n=5    Cutoff = 1.000\n");

    // Rewritten by hand after its index was made: the index no longer describes it.
    write("t.cds", "Alpha,n,CritValue\n0.05,10,0.45\n0.05,5,0.8\n0.05,10,0.9\n");
    ASSERT_TRUE(run("--sheet 1 --window 300 --table " + table + " " + kProfiles)) << m_err;
    EXPECT_EQ(m_err, "");
    EXPECT_EQ(m_out,
              "1   100.000     10   1000.000    n=10    Cutoff = 0.450\n"
              "2   200.000     6   600.000    n=5    Cutoff = 0.800\n");
}
