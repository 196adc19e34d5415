// kestrel-batch --ages as a whole process: grain ages read from a workbook written by openpyxl
// in both layouts, profiles built from them and compared, the grains tested against scipy, the
// windows table's grain columns and the Profiles sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

TEST_F(BatchAges, AGridThatLeavesGrainsOutIsNotedNamingTheSamplesAndCounts) {
    const std::string book = (m_folder / "grid.csv").string();
    std::ofstream(book) << "A,B,C\n100,150,200\n200,250,300\n300,350,400\n400,420,410\n"
                           "500,640,420\n";
    const std::vector<std::string> narrow = {"--ages", "--bandwidth", "20", "--grid", "150:450:1"};
    const auto with = [&](std::vector<std::string> args, std::vector<std::string> more) {
        args.insert(args.end(), more.begin(), more.end());
        args.push_back(book);
        return run(args);
    };
    const Outcome pair = with(narrow, {"--samples", "A,B"});
    ASSERT_EQ(pair.status, 0) << pair.err;
    EXPECT_EQ(pair.err,
              "kestrel-batch: note: The grid (150 to 450) leaves out grains that its profiles "
              "cannot show: 2 of A's 5, 1 of B's 5; the grain tests keep them\n");
    EXPECT_NE(pair.out.find("grains n1=5 n2=5 "), std::string::npos) << "every grain tested";
    const Outcome all = with(narrow, {"--matrix", "--measure", "d,s"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.err,
              "kestrel-batch: note: The grid (150 to 450) leaves out grains that its profiles "
              "cannot show: 2 of A's 5, 1 of B's 5; the grain tests keep them\n")
        << "C lies inside";
    EXPECT_EQ(with({"--ages", "--bandwidth", "20"}, {"--samples", "A,B"}).err, "");
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

namespace {

// Small workbooks written here, each where one --ages option changes the run.
class BatchAgesOptions : public kestrel::batchtest::ScratchFolderTest {
  protected:
    Outcome run(const std::vector<std::string>& args) {
        std::string command = quoted(kProgram);
        for (const auto& arg : args) command.append(" ").append(quoted(arg));
        return kestrel::batchtest::runCommand(command, m_folder);
    }
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(m_folder / name) << text;
        return (m_folder / name).string();
    }
    // numpy's values (tests/engine/density_numpy_oracle.py) of a Python expression.
    // `setup`, when given, are statements run first.
    std::vector<double> numpy(const std::string& expression, const std::string& setup = "pass") {
        const Outcome oracle = kestrel::batchtest::runCommand(
            "/usr/bin/python3 -c " +
                quoted("import sys; sys.path.insert(0, '" KESTREL_SOURCE_DIR
                       "/tests/engine'); import numpy as np; from density_numpy_oracle import *; " +
                       setup + "; print(*(repr(float(v)) for v in " + expression + "), sep='\\n')"),
            m_folder);
        EXPECT_EQ(oracle.status, 0) << oracle.err;
        std::vector<double> values;
        std::istringstream in(oracle.out);
        for (double v; in >> v;) values.push_back(v);
        return values;
    }
};

// The first sample's profile in a --profiles-out .csv at the given ages (rows whose first cell
// is no number, as the headings, are passed over).
std::vector<double> firstProfileAt(const std::string& text, const std::vector<double>& ages) {
    std::vector<double> values;
    for (const double age : ages) {
        std::istringstream rows(text);
        for (std::string row; std::getline(rows, row);) {
            char* end = nullptr;
            const double rowAge = std::strtod(row.c_str(), &end);
            if (end == row.c_str() || *end != ',' || rowAge != age) continue;
            values.push_back(std::strtod(end + 1, nullptr));
        }
    }
    return values;
}

// The first age of the first line (the whole range): "1   88.000 ..." gives 88.
double firstAge(const Outcome& outcome) {
    std::istringstream in(outcome.out);
    double position = 0, age = 0;
    in >> position >> age;
    return age;
}

}  // namespace

TEST_F(BatchAgesOptions, EachOptionChangesTheRunOrIsRefusedWhereItDoesNotFit) {
    // 2-sigma uncertainties are halved: 1-sigma 5, the grid from 100 - 3 x 5.
    const std::string twoSigma = write("two.csv", "A,A 2s,B,B 2s\n100,10,150,10\n200,10,250,10\n");
    const std::string pdpOut = (m_folder / "pdp.csv").string();
    const Outcome pdp = run({"--ages", "--samples", "A,B", "--errors", "beside", "--sigma", "2",
                             "--profile", "pdp", "--profiles-out", pdpOut, twoSigma});
    ASSERT_EQ(pdp.status, 0) << pdp.err;
    EXPECT_EQ(firstAge(pdp), 85.0);
    const std::vector<double> expected = numpy(
        "100 * normal_sum(np.array([110.0]), [100, 200], [5, 5]) / "
        "normal_sum(np.array([100.0]), [100, 200], [5, 5])");
    ASSERT_EQ(expected.size(), 1u);
    const std::vector<double> at110 = firstProfileAt(readAll(pdpOut), {110.0});
    ASSERT_EQ(at110.size(), 1u);
    EXPECT_NEAR(at110[0], expected[0], 1e-9);

    // The PDP's lower margin: the widest sigma of the youngest grains (A's 4), not the last (2).
    const Outcome margin =
        run({"--ages", "--samples", "A,B", "--errors", "beside", "--profile", "pdp",
             write("margin.csv", "A,A err,B,B err\n100,4,150,3\n100,2,250,5\n200,5,,\n")});
    ASSERT_EQ(margin.status, 0) << margin.err;
    EXPECT_EQ(firstAge(margin), 88.0);

    // Abramson's adaptive KDE, not the plain one, from a pilot bandwidth of 10.
    const std::string adaptiveOut = (m_folder / "adaptive.csv").string();
    const Outcome adaptive =
        run({"--ages", "--samples", "A,B", "--profile", "adaptive", "--bandwidth", "10", "--grid",
             "0:400:1", "--profiles-out", adaptiveOut,
             write("ad.csv", "A,B\n100,120\n110,150\n130,160\n200,300\n")});
    ASSERT_EQ(adaptive.status, 0) << adaptive.err;
    const std::vector<double> abramson = numpy(
        "scaled(normal_sum(np.arange(401.0), np.array([100.0, 110, 130, 200]), "
        "adaptive_widths(np.array([100.0, 110, 130, 200]), 10.0)))[[100, 130, 200]]");
    const std::vector<double> got = firstProfileAt(readAll(adaptiveOut), {100.0, 130.0, 200.0});
    ASSERT_EQ(abramson.size(), 3u);
    ASSERT_EQ(got.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(got[i], abramson[i], 1e-9) << i;

    // Per-cent uncertainties: B's youngest grain, 150 with 10 %, sets the grid's start.
    const Outcome relative =
        run({"--ages", "--samples", "A,B", "--errors", "beside", "--relative", "--profile", "pdp",
             write("relative.csv", "A,A %,B,B %\n200,5,150,10\n300,5,250,10\n")});
    ASSERT_EQ(relative.status, 0) << relative.err;
    EXPECT_EQ(firstAge(relative), 150.0 - 3.0 * 150.0 * 10.0 / 100.0);

    // One bandwidth for both: the mean of the two Botev bandwidths (numpy's, from the paper).
    std::string wide = "A,B\n";
    for (int i = 0; i < 60; ++i) {
        const double u = std::fmod(i * 0.618034, 1.0), v = std::fmod(i * 0.414214, 1.0);
        wide += std::to_string(std::round(4000 + 800 * u * u) / 10) + "," +
                std::to_string(std::round(6000 + 6000 * v) / 10) + "\n";
    }
    const std::string wideBook = write("wide.csv", wide);
    const std::string commonOut = (m_folder / "common.csv").string();
    const Outcome common = run({"--ages", "--samples", "A,B", "--common-bandwidth", "--grid",
                                "0:1500:1", "--profiles-out", commonOut, wideBook});
    ASSERT_EQ(common.status, 0) << common.err;
    const std::vector<double> oneBandwidth =
        numpy("scaled(normal_sum(np.arange(1501.0), d[:, 0], np.full(60, h)))[[400, 450, 900]]",
              "d = np.genfromtxt('" + wideBook +
                  "', delimiter=',', skip_header=1); "
                  "h = (botev(d[:, 0])[0] + botev(d[:, 1])[0]) / 2");
    const std::vector<double> shared = firstProfileAt(readAll(commonOut), {400.0, 450.0, 900.0});
    ASSERT_EQ(oneBandwidth.size(), 3u);
    ASSERT_EQ(shared.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(shared[i], oneBandwidth[i], 1e-4) << i;

    // --mds with --ages --matrix: the nonmetric map and its stress-1.
    const std::string four = write("four.csv",
                                   "A,B,C,D\n100,120,300,500\n110,150,320,520\n130,160,310,400\n"
                                   "200,300,250,480\n180,170,260,450\n");
    const Outcome classical = run({"--ages", "--matrix", four});
    const Outcome nonmetric = run({"--ages", "--matrix", "--mds", "nonmetric", four});
    ASSERT_EQ(nonmetric.status, 0) << nonmetric.err;
    EXPECT_EQ(classical.out.find("nonmetric"), std::string::npos) << classical.out;
    EXPECT_NE(nonmetric.out.find("Stress-1 of the map: "), std::string::npos) << nonmetric.out;
    EXPECT_NE(nonmetric.out.find(" (nonmetric MDS, "), std::string::npos) << nonmetric.out;
    // Kuiper's V of the grains is in the grain matrix already: one block of it, not two.
    const std::string blocks = (m_folder / "blocks.csv").string();
    ASSERT_EQ(run({"--ages", "--matrix", "--measure", "v,w2", "--matrix-out", blocks, four}).status,
              0);
    std::istringstream blockRows(readAll(blocks));
    int kuiperBlocks = 0;
    for (std::string row; std::getline(blockRows, row);)
        kuiperBlocks += row.rfind("Kuiper V,", 0) == 0;
    EXPECT_EQ(kuiperBlocks, 1);

    // Options that belong elsewhere are refused, naming what they need.
    struct Refusal {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    for (const auto& [args, status, message] : std::vector<Refusal>{
             {{"--ages", "--samples", "A,B", "--layout", "rows", "--errors", "beside", four},
              2,
              "--errors is for --layout columns"},
             {{"--grid", "0:400:1", four}, 2, "--grid needs --ages"},
             {{"--sigma", "2", four}, 2, "--sigma needs --ages"},
             {{"--ages", "--samples", "A,", four},
              2,
              "--samples takes two sample names, NAME1,NAME2, not \"A,\""},
             {{"--ages", "--samples", "A,B", "--grid", "0:400:0", four},
              1,
              "Incorrect value entered for --grid: \"0:400:0\""},
             {{"--ages", "--samples", "A,B", "--profile", "pdp", "--bandwidth", "5", four},
              2,
              "--bandwidth is for --profile kde or adaptive"},
             {{"--ages", "--samples", "A,B", "--profiles-out", "p.txt", four},
              2,
              "--profiles-out writes .csv or .xlsx, not p.txt"},
             {{"--ages", "--matrix", "--excel5", four},
              2,
              "--excel5 is for two samples, not --matrix"}}) {
        const Outcome refused = run(args);
        EXPECT_EQ(refused.status, status) << message;
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
        EXPECT_EQ(refused.out, "");
    }
}
