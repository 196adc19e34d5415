// kestrel-batch --ages as a whole process: grain ages read from a workbook written by openpyxl
// in both layouts, profiles built from them and compared, the grains tested against scipy, the
// windows table's grain columns and the Profiles sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/BatchProcess.h"

namespace {

namespace fs = std::filesystem;
using kestrel::batchtest::Outcome;
using kestrel::batchtest::quoted;
using kestrel::batchtest::readAll;

const std::string kProgram = std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-batch";

// "key=value" of a grains line.
double field(const std::string& line, const std::string& key, size_t from = 0) {
    const size_t at = line.find(" " + key + "=", from);
    if (at == std::string::npos) return -1;
    return std::stod(line.substr(at + key.size() + 2));
}

class BatchAges : public kestrel::batchtest::ScratchFolderTest {
  protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        m_book = (m_folder / "ages.xlsx").string();
        const Outcome fixture = kestrel::batchtest::runCommand(
            "/usr/bin/python3 " + quoted(KESTREL_SOURCE_DIR "/tests/tools/batch_ages_fixture.py") +
                " " + kestrel::batchtest::quoted(m_book),
            m_folder);
        ASSERT_EQ(fixture.status, 0) << fixture.err;
        std::istringstream in(fixture.out);
        std::string word;
        in >> word >> m_scipyD >> m_scipyP >> word >> m_kuiperV;
        for (Pair pair; in >> word >> pair.i >> pair.j >> pair.d >> pair.p;)
            m_pairs.push_back(pair);
    }
    struct Pair {
        int i = 0, j = 0;
        double d = 0, p = 0;
    };
    std::vector<Pair> m_pairs;
    Outcome run(const std::vector<std::string>& args) {
        std::string command = kestrel::batchtest::quoted(kProgram);
        for (const auto& arg : args) command.append(" ").append(kestrel::batchtest::quoted(arg));
        return kestrel::batchtest::runCommand(command, m_folder);
    }
    std::string m_book;
    double m_scipyD = 0, m_scipyP = 0, m_kuiperV = 0;
};

}  // namespace

TEST_F(BatchAges, BothLayoutsGiveTheScipyTestOfTheGrainsAndTheWindowsTheirGrains) {
    const std::string windows = (m_folder / "windows.csv").string();
    const std::string profiles = (m_folder / "profiles.csv").string();
    const Outcome columns =
        run({"--ages", "--sheet", "1", "--samples", "S01,S02", "--errors", "sheet:Errors",
             "--profile", "pdp", "--windows", windows, "--profiles-out", profiles, m_book});
    ASSERT_EQ(columns.status, 0) << columns.err;
    const std::vector<std::string> lines = columns.lines();
    ASSERT_GE(lines.size(), 2u);
    const std::string& grains = lines.back();
    EXPECT_EQ(grains.rfind("grains n1=75 n2=106 D=", 0), 0u) << grains;
    EXPECT_NEAR(field(grains, "D"), m_scipyD, 1e-15);
    EXPECT_NEAR(field(grains, "p"), m_scipyP, 1e-12 * m_scipyP);
    // The samples share ages to a tenth of a Ma: the exact count is then an upper bound.
    EXPECT_NE(grains.find(" exact (ties) V="), std::string::npos) << grains;
    EXPECT_NEAR(field(grains, "V"), m_kuiperV, 1e-15);

    // The same grains as one row each, by their headings: the same run, line for line.
    const Outcome rows = run({"--ages", "--sheet", "3", "--layout", "rows", "--samples", "S01,S02",
                              "--profile", "pdp", m_book});
    ASSERT_EQ(rows.status, 0) << rows.err;
    EXPECT_EQ(rows.out, columns.out);

    // The windows table: its twelve columns and the grains', the whole range holding them all.
    const std::string table = readAll(windows);
    const std::string header = table.substr(0, table.find('\n'));
    EXPECT_NE(header.find(",Method,Grains 1,Grains 2,Grain D,Grain p,Kuiper V,Kuiper p"),
              std::string::npos)
        << header;
    std::istringstream tableRows(table);
    std::string line;
    std::getline(tableRows, line);
    std::getline(tableRows, line);
    std::vector<std::string> cells;
    std::istringstream cellsIn(line);
    for (std::string cell; std::getline(cellsIn, cell, ',');) cells.push_back(cell);
    ASSERT_EQ(cells.size(), 18u) << line;
    EXPECT_EQ(cells[5], "75") << "n1: the grains, not the rows";
    EXPECT_EQ(cells[6], "106");
    EXPECT_EQ(cells[12], "75");
    EXPECT_EQ(cells[13], "106");
    EXPECT_NEAR(std::stod(cells[14]), m_scipyD, 1e-15);

    // The Profiles sheet: Age and every sample, each at most 100 and reaching it.
    const std::string sheet = readAll(profiles);
    std::string names = "Age";
    for (int s = 1; s <= 16; ++s) names += (s < 10 ? ",S0" : ",S") + std::to_string(s);
    EXPECT_EQ(sheet.substr(0, sheet.find('\r')), names);
    std::vector<double> highest(16, 0.0);
    std::istringstream profileRows(sheet.substr(sheet.find('\n') + 1));
    size_t count = 0;
    for (std::string row; std::getline(profileRows, row);) {
        std::istringstream in(row);
        std::string cell;
        std::getline(in, cell, ',');
        for (double& h : highest) {
            std::getline(in, cell, ',');
            h = std::max(h, std::stod(cell));
        }
        ++count;
    }
    EXPECT_GE(count, 1000u);
    EXPECT_LE(count, 5001u);
    for (const double h : highest) EXPECT_DOUBLE_EQ(h, 100.0);
}

TEST_F(BatchAges, EveryPairOfSamplesIsTestedAsScipyTestsItAndMapped) {
    const std::string matrix = (m_folder / "matrix.csv").string();
    const Outcome outcome =
        run({"--ages", "--matrix", "--sheet", "1", "--matrix-out", matrix, m_book});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::string account = outcome.lines().at(0);
    EXPECT_EQ(account.rfind("16 samples, ", 0), 0u) << account;
    EXPECT_NE(account.find(" grains: 120 pairs"), std::string::npos) << account;
    // The blocks D, p, Kuiper V and MDS, one below the other.
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(readAll(matrix));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> cells;
        std::istringstream cellsIn(line);
        for (std::string cell; std::getline(cellsIn, cell, ',');) cells.push_back(cell);
        rows.push_back(cells);
    }
    // Each block: a heading row and 16 rows, then an empty row.
    ASSERT_GE(rows.size(), 70u);
    EXPECT_EQ(rows[0].at(16), "S16");
    EXPECT_EQ(rows[18].at(0), "p");
    EXPECT_EQ(rows[36].at(0), "Kuiper V");
    EXPECT_EQ(rows[54].at(0), "MDS");
    ASSERT_EQ(m_pairs.size(), 120u);
    for (const Pair& pair : m_pairs) {
        const size_t col = static_cast<size_t>(pair.j) + 1;
        EXPECT_NEAR(std::stod(rows.at(static_cast<size_t>(pair.i) + 1).at(col)), pair.d, 1e-15);
        EXPECT_NEAR(std::stod(rows.at(static_cast<size_t>(pair.i) + 19).at(col)), pair.p,
                    1e-12 * pair.p);
    }
    EXPECT_NEAR(std::stod(rows[37][2]), m_kuiperV, 1e-15);
}

TEST_F(BatchAges, EntriesThatDoNotFitAreRefusedWithWhatIsWanted) {
    const auto refused = [&](const std::vector<std::string>& args, int status,
                             const std::string& message) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, status) << outcome.err;
        EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out, "");
    };
    refused({"--ages", "--sheet", "1", "--samples", "S01,S99", m_book}, 1,
            "no sample is named \"S99\" (the samples are S01, S02, S03, S04, S05,");
    refused({"--ages", "--sheet", "1", m_book}, 2, "--ages needs --samples NAME1,NAME2");
    refused({"--ages", "--sheet", "1", "--samples", "S01,S02", "--layout", "diagonal", m_book}, 2,
            "--layout takes columns or rows");
    refused({"--ages", "--sheet", "1", "--samples", "S01,S02", "--profile", "pdp", m_book}, 1,
            "uncertaint");
    refused({"--samples", "S01,S02", m_book}, 2, "--samples needs --ages");
    // Four grains a sample: the diffusion bandwidth has no root, and that is said.
    std::ofstream(m_folder / "tiny.csv") << "A,B\n10,12\n20,25\n30,31\n15,50\n";
    const Outcome tiny = run({"--ages", "--samples", "A,B", (m_folder / "tiny.csv").string()});
    EXPECT_EQ(tiny.status, 0) << tiny.err;
    EXPECT_NE(tiny.err.find("warning: sample \"A\" has too few distinct ages (4) for the "
                            "diffusion bandwidth"),
              std::string::npos)
        << tiny.err;
    EXPECT_EQ(
        run({"--ages", "--samples", "A,B", "--bandwidth", "3", (m_folder / "tiny.csv").string()})
            .err,
        "");
    refused({"--ages", "--matrix", "--samples", "S01,S02", m_book}, 2,
            "--matrix compares every sample: leave out --samples");
    refused({"--ages", "--matrix", "--windows", "w.csv", m_book}, 2,
            "--windows is for two samples, not --matrix");
    refused({"--ages", "--sheet", "1", "--samples", "S01,S02", "--grid", "5:1:1", m_book}, 1,
            "Incorrect value entered for --grid: \"5:1:1\"");
    refused({"--ages", "--sheet", "1", "--samples", "S01,S02", "--bandwidth", "-3", m_book}, 1,
            "Incorrect value entered for --bandwidth: \"-3\"");
}
