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
        for (Pair pair; in >> word >> pair.i >> pair.j >> pair.d >> pair.p >> pair.v >> pair.kp;)
            m_pairs.push_back(pair);
    }
    struct Pair {
        int i = 0, j = 0;
        double d = 0, p = 0, v = 0, kp = 0;  // grain D and p, Kuiper's V and p
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
    // The blocks D, p, Kuiper V, Kuiper p and MDS, one below the other.
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
    EXPECT_EQ(rows[54].at(0), "Kuiper p");
    EXPECT_EQ(rows[72].at(0), "MDS");
    ASSERT_EQ(m_pairs.size(), 120u);
    const auto cell = [&](const Pair& pair, size_t blockRow) {
        return std::stod(rows.at(static_cast<size_t>(pair.i) + blockRow).at(pair.j + 1u));
    };
    for (const Pair& pair : m_pairs) {
        EXPECT_NEAR(cell(pair, 1), pair.d, 1e-15);
        EXPECT_NEAR(cell(pair, 19), pair.p, 1e-12 * pair.p);
        EXPECT_NEAR(cell(pair, 37), pair.v, 1e-15);
        EXPECT_NEAR(cell(pair, 55), pair.kp, 1e-12 * pair.kp + 1e-300) << pair.i << "," << pair.j;
        EXPECT_EQ(rows[55u + pair.j].at(pair.i + 1u), rows[55u + pair.i].at(pair.j + 1u));
    }
    for (size_t s = 0; s < 16; ++s) EXPECT_EQ(rows[55 + s].at(s + 1), "1") << "Kuiper p of itself";
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

TEST_F(BatchAges, SamplesThatDoNotReadAreLeftOutWithTheirReasonOrRefusedWithStrict) {
    // N3 holds "n.d.", N4 one age, N5 none, T8 names three columns; N1 and N2 read.
    const std::string book = (m_folder / "bad.csv").string();
    std::ofstream(book) << "N1,N2,N3,N4,N5,T8,T8,T8\n100,150,120,300,,200,210,1\n"
                           "200,250,n.d.,,,220,230,2\n300,350,140,,,,,\n";
    const std::string leftOut =
        "kestrel-batch: warning: sample \"N3\" is left out: Cell C3 of sheet \"bad\" holds "
        "\"n.d.\", which is not a number\n"
        "kestrel-batch: warning: sample \"N4\" is left out: Sample \"N4\" (column D of sheet "
        "\"bad\") has 1 age: a sample needs at least 2\n"
        "kestrel-batch: warning: sample \"N5\" is left out: Sample \"N5\" (column E of sheet "
        "\"bad\") has 0 ages: a sample needs at least 2\n"
        "kestrel-batch: warning: sample \"T8\" is left out: The sample name \"T8\" is used "
        "twice: cells F1 and G1 of sheet \"bad\"\n";
    const Outcome all = run({"--ages", "--matrix", "--bandwidth", "50", book});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.err, leftOut);
    EXPECT_EQ(all.lines().at(0), "2 samples, 6 grains: 1 pairs");

    const Outcome strict = run({"--ages", "--matrix", "--strict", book});
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.err, "kestrel-batch: " + book +
                              ": The sample name \"T8\" is used twice: cells F1 and G1 of sheet "
                              "\"bad\"\n");
    EXPECT_EQ(strict.out, "");

    // Two samples: the usable pair runs; naming one left out is refused with its reason.
    const Outcome pair = run({"--ages", "--samples", "N1,N2", "--bandwidth", "50", book});
    EXPECT_EQ(pair.status, 0) << pair.err;
    EXPECT_EQ(pair.lines().back().rfind("grains n1=3 n2=3 D=", 0), 0u) << pair.out;
    EXPECT_EQ(pair.err, leftOut);
    const Outcome named = run({"--ages", "--samples", "N1,N3", book});
    EXPECT_EQ(named.status, 1);
    EXPECT_NE(named.err.find("kestrel-batch: " + book + ": Cell C3 of sheet \"bad\" holds " +
                             "\"n.d.\", which is not a number\n"),
              std::string::npos)
        << named.err;

    // Fewer than two left: refused with the first one's reason, as before.
    const std::string one = (m_folder / "one.csv").string();
    std::ofstream(one) << "N1,N3\n100,n.d.\n200,5\n";
    const Outcome alone = run({"--ages", "--matrix", one});
    EXPECT_EQ(alone.status, 1);
    EXPECT_EQ(alone.err, "kestrel-batch: " + one +
                             ": Cell B2 of sheet \"one\" holds \"n.d.\", which is not a number\n");

    // One grain a row: a text age sets its sample aside, the rest of its rows unread.
    const std::string rows = (m_folder / "rows.csv").string();
    std::ofstream(rows) << "Sample,Age\nA,100\nB,150\nC,n.d.\nA,200\nB,250\nC,x\nD,5\n";
    const Outcome byRows = run({"--ages", "--matrix", "--layout", "rows", rows});
    EXPECT_EQ(byRows.status, 0) << byRows.err;
    EXPECT_EQ(byRows.err,
              "kestrel-batch: warning: sample \"C\" is left out: Cell B4 of sheet \"rows\" holds "
              "\"n.d.\", which is not a number\n"
              "kestrel-batch: warning: sample \"D\" is left out: Sample \"D\" (column A of sheet "
              "\"rows\") has 1 age: a sample needs at least 2\n");
}

TEST_F(BatchAges, TheFirstMeasureListedIsMappedAndTheBlocksKeepTheListsOrder) {
    const auto blockHeadings = [](const std::string& file) {
        std::vector<std::string> headings;
        std::istringstream in(readAll(file));
        bool blockStarts = true;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (blockStarts) headings.push_back(line.substr(0, line.find(',')));
            blockStarts = line.empty();
        }
        return headings;
    };
    const std::string matrix = (m_folder / "matrix.csv").string();
    const Outcome ages = run({"--ages", "--matrix", "--sheet", "1", "--measure", "w2,s",
                              "--matrix-out", matrix, m_book});
    ASSERT_EQ(ages.status, 0) << ages.err;
    EXPECT_EQ(ages.lines().at(1).rfind("MDS of W2: axis 1 holds ", 0), 0u) << ages.out;
    EXPECT_EQ(blockHeadings(matrix), (std::vector<std::string>{"", "p", "Kuiper V", "Kuiper p",
                                                               "W2", "Similarity", "MDS"}));

    const std::string workbook = (m_folder / "matrix.xlsx").string();
    ASSERT_EQ(run({"--ages", "--matrix", "--sheet", "1", "--measure", "w2,s", "--matrix-out",
                   workbook, m_book})
                  .status,
              0);
    const Outcome sheets = kestrel::batchtest::runCommand(
        "/usr/bin/python3 -c 'import sys, openpyxl; "
        "print(\",\".join(openpyxl.load_workbook(sys.argv[1]).sheetnames))' " +
            quoted(workbook),
        m_folder);
    EXPECT_EQ(sheets.out, "D,p,Kuiper V,Kuiper p,W2,Similarity,MDS\n") << sheets.err;

    const std::string profiles = (m_folder / "profiles.csv").string();
    std::ofstream(profiles) << "Age,P1,P2,P3\n100,1,2,0\n200,3,1,1\n300,0,1,4\n400,1,0,2\n";
    const Outcome listed = run(
        {"--matrix", "--columns", "B:D", "--measure", "r2,v,d", "--matrix-out", matrix, profiles});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.lines().at(1).rfind("MDS of 1 - R²: axis 1 holds ", 0), 0u) << listed.out;
    EXPECT_EQ(blockHeadings(matrix), (std::vector<std::string>{"", "R²", "Kuiper V", "MDS"}));
}

TEST_F(BatchAges, LastResortBandwidthsAreWarnedOfAndTheProfilesFileGivesEachBandwidth) {
    const std::string tiny = (m_folder / "tiny.csv").string();
    std::ofstream(tiny) << "A,B,C\n10,12,40\n20,25,41\n30,31,60\n15,50,70\n";
    // No profiles file, but Similarity is taken of the profiles: the warning still comes.
    const Outcome similarity = run({"--ages", "--matrix", "--measure", "s", tiny});
    ASSERT_EQ(similarity.status, 0) << similarity.err;
    // Each sample's last resort, as the warning gives it: the row the file should hold.
    std::string expected = "Bandwidth";
    for (const std::string name : {"A", "B", "C"}) {
        const std::string warning = "kestrel-batch: warning: sample \"" + name +
                                    "\" has too few distinct ages (4) for the diffusion "
                                    "bandwidth, whose last resort, ";
        const size_t at = similarity.err.find(warning);
        ASSERT_NE(at, std::string::npos) << similarity.err;
        const size_t from = at + warning.size();
        expected += "," + similarity.err.substr(from, similarity.err.find(' ', from) - from);
    }

    // The file: the names, the row "Bandwidth", then the grid, which reads back from row 3.
    const std::string file = (m_folder / "profiles.csv").string();
    ASSERT_EQ(run({"--ages", "--samples", "A,C", "--profiles-out", file, tiny}).status, 0);
    std::istringstream lines(readAll(file));
    std::string names, bandwidths;
    std::getline(lines, names);
    std::getline(lines, bandwidths);
    EXPECT_EQ(names, "Age,A,B,C\r");
    EXPECT_EQ(bandwidths, expected + "\r");
    const Outcome typed =
        run({"--ages", "--samples", "A,C", "--bandwidth", "3", "--profiles-out", file, tiny});
    ASSERT_EQ(typed.status, 0) << typed.err;
    EXPECT_EQ(readAll(file).substr(0, 28), "Age,A,B,C\r\nBandwidth,3,3,3\r\n");
    const Outcome back = run({"--matrix", "--columns", "B:D", "--from", "3", file});
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.lines().at(0).rfind("3 profiles x ", 0), 0u) << back.out;
}
