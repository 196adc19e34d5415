// kestrel-batch --matrix on real workbooks: D of every pair is the largest Difference of the
// two-profile run on the same columns, and agrees with a numpy script's matrix and map; the
// .xlsx holds the sheets D, p and MDS with p-values from a grains row; bad entries give the
// import dialog's messages and leave no file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/WorkbookWriter.h"
#include "tests/tools/BatchProcess.h"

namespace {

namespace fs = std::filesystem;
using kestrel::batchtest::quoted;
using kestrel::batchtest::readAll;

const std::string kBinary = std::string(KESTREL_BINARY_DIR) + "/tools/";

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        std::istringstream fieldsIn(line);
        for (std::string field; std::getline(fieldsIn, field, ',');) fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

class BatchMatrix : public kestrel::batchtest::ScratchFolderTest {
  protected:
    kestrel::batchtest::Outcome run(const std::string& program,
                                    const std::vector<std::string>& args) {
        std::string command = quoted(program);
        for (const auto& arg : args) command += " " + quoted(arg);
        return kestrel::batchtest::runCommand(command, m_folder);
    }
    std::string path(const std::string& name) const { return (m_folder / name).string(); }
    std::string samples(int profiles, int rows, const std::string& name) {
        const auto made = run(
            kBinary + "kestrel-make-samples",
            {"--profiles", std::to_string(profiles), "--rows", std::to_string(rows), path(name)});
        EXPECT_EQ(made.status, 0) << made.err;
        return path(name);
    }
};

TEST_F(BatchMatrix, EveryDIsTheTwoProfileLargestDifferenceAndAgreesWithNumpy) {
    const std::string book = samples(12, 400, "twelve.csv");
    const auto matrix =
        run(kBinary + "kestrel-batch", {"--matrix", "--columns", "B:M", "--matrix-out",
                                        path("m.csv"), "--graphs", m_folder.string(), book});
    ASSERT_EQ(matrix.status, 0) << matrix.err;
    EXPECT_EQ(matrix.out, "12 profiles x 400 rows: 66 pairs\n" + matrix.lines()[1] + "\n");
    EXPECT_NE(matrix.err.find("no p-values"), std::string::npos);
    const auto ours = csvRows(readAll(path("m.csv")));
    ASSERT_EQ(ours.size(), 13u + 1 + 14);
    EXPECT_EQ(ours[0].front(), "");
    EXPECT_EQ(ours[0][1], "S01-A");  // the header cells name the samples
    EXPECT_EQ(ours[12][0], "S12-D");
    EXPECT_TRUE(ours[13].empty());
    EXPECT_EQ(ours[14], (std::vector<std::string>{"MDS", "Axis 1", "Axis 2"}));

    // The two-profile run of columns C and H: its largest Difference is D(S02, S07), bit for bit.
    const auto pair = run(kBinary + "kestrel-batch",
                          {"--y1", "C", "--y2", "H", "--summary", path("pair.csv"), book});
    ASSERT_EQ(pair.status, 0) << pair.err;
    double largest = 0;
    for (const auto& row : csvRows(readAll(path("pair.csv")))) {
        if (row.size() > 3 && row[0] != "Age") largest = std::max(largest, std::stod(row[3]));
    }
    EXPECT_EQ(std::stod(ours[2][7]), largest);
    EXPECT_EQ(ours[2][7], ours[7][2]);

    // numpy's matrix: the same D to the last bit, the same map to rounding.
    const auto numpy = run(
        "/usr/bin/python3",
        {std::string(KESTREL_SOURCE_DIR) + "/bench/python/ks_matrix.py", book, path("numpy.csv")});
    ASSERT_EQ(numpy.status, 0) << numpy.err;
    const auto theirs = csvRows(readAll(path("numpy.csv")));
    ASSERT_EQ(theirs.size(), ours.size());
    for (size_t r = 0; r < ours.size(); ++r) {
        ASSERT_EQ(theirs[r].size(), ours[r].size()) << "row " << r;
        for (size_t c = 0; c < ours[r].size(); ++c) {
            if (r == 0 || c == 0 || r == 14) {
                EXPECT_EQ(ours[r][c], theirs[r][c]);
            } else if (r < 13) {
                EXPECT_EQ(std::stod(ours[r][c]), std::stod(theirs[r][c])) << r << "," << c;
            } else {
                EXPECT_NEAR(std::stod(ours[r][c]), std::stod(theirs[r][c]), 1e-9) << r << "," << c;
            }
        }
    }
    for (const char* image : {"MDS.png", "Matrix.png"}) {
        EXPECT_EQ(readAll(m_folder / image).substr(1, 3), "PNG") << image;
    }
}

TEST_F(BatchMatrix, AWorkbookHoldsSheetsDPAndMdsWithPValuesFromTheGrainsRow) {
    kestrel::SpreadsheetCore book;
    const std::vector<double> grains{0, 40, 55, 70};
    book.SetRowNumbers(1, 1, grains);
    book.SetRow(2);
    book.SetCol(1);
    book.SetText("Age");
    book.SetCol(2);
    book.SetText("first");
    book.SetCol(3);
    book.SetText("  ");  // a blank header: the column letters name the sample
    for (int r = 3; r <= 40; ++r) {
        const std::vector<double> row{double(r), double(r % 7), double((r * 3) % 11),
                                      r < 20 ? 1.0 : 4.0};
        book.SetRowNumbers(r, 1, row);
    }
    book.WriteWorkbook(path("in.xlsx"), kestrel::kFileTypeXlsx);
    const auto outcome = run(kBinary + "kestrel-batch",
                             {"--matrix", "--columns", "b:d", "--from", "3", "--grains-row", "1",
                              "--matrix-out", path("out.xlsx"), path("in.xlsx")});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    kestrel::SpreadsheetCore out;
    int16_t fileType = 0;
    out.ReadWorkbook(path("out.xlsx"), fileType);
    ASSERT_EQ(out.NumSheets(), 3);
    EXPECT_EQ(out.SheetName(1) + out.SheetName(2) + out.SheetName(3), "DpMDS");
    out.SetSheet(1);
    out.SetRow(1);
    std::string names;
    for (int c = 2; c <= 4; ++c) {
        out.SetCol(c);
        names += out.Text() + ";";
    }
    EXPECT_EQ(names, "first;C;D;");
    out.SetSheet(2);
    out.SetRow(2);
    out.SetCol(2);
    EXPECT_EQ(out.Number(), 1.0);  // a sample against itself
    out.SetCol(3);
    EXPECT_GT(out.Number(), 0.0);
    EXPECT_LT(out.Number(), 1.0);
    out.SetSheet(3);
    out.SetRow(5);
    out.SetCol(1);
    EXPECT_EQ(out.Text(), "Share of variance");
}

TEST_F(BatchMatrix, BadEntriesGiveTheImportMessagesAndLeaveNoFile) {
    const std::string book = samples(4, 30, "four.xlsx");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"--columns", "B:"},
         1,
         "Incorrect value entered for Profile columns: \"B:\" has an empty column"},
        {{"--columns", "E:B"}, 1, "holds the range E:B, which runs backwards"},
        {{"--columns", "B,B2"}, 1, "holds \"2\", which is no column letter"},
        {{"--columns", "B:C,C"}, 1, "names the column C twice"},
        {{"--columns", "B"}, 1, "Give at least two profile columns to compare"},
        {{"--columns", "B:E", "--from", "9", "--to", "8"},
         1,
         "Incorrect values entered for rows to import"},
        {{"--columns", "B:E", "--from", "x"}, 1, "Incorrect value entered for From row: \"x\""},
        {{"--columns", "A:E", "--from", "1"},
         1,
         "Cell A1 of sheet \"Samples\" holds \"Age\", which is not a number"},
        {{"--columns", "B:E", "--grains", "5,6,7"}, 1, "3 grain counts for 4 profile columns"},
        {{"--columns", "B:D", "--grains", "5,6,7,8"}, 1, "4 grain counts for 3 profile columns"},
        {{"--columns", "B:E", "--grains-row", "1"},
         1,
         "Cell B1 of sheet \"Samples\" holds \"S01-A\""},
        {{"--columns", "B:E", "--grains", "5,1000001,5,5"}, 1, "--grains: \"1000001\""},
        {{"--columns", "B:E", "--summary", "s.xls"},
         2,
         "--summary belongs to the two-profile comparison"},
        {{"--columns", "B:E", "--y1", "D"}, 2, "--y1 belongs to the two-profile comparison"},
        {{"--columns", "B:E", "--graph-format", "svg"}, 2, "--graph-format needs --graphs DIR"},
        {{}, 2, "--matrix needs --columns"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"--matrix", "--matrix-out", path("m.csv")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(book);
        const auto outcome = run(kBinary + "kestrel-batch", args);
        EXPECT_EQ(outcome.status, c.status) << c.message;
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        EXPECT_FALSE(fs::exists(path("m.csv"))) << c.message;
    }
    // The largest grain count is taken.
    const auto largest =
        run(kBinary + "kestrel-batch", {"--matrix", "--columns", "B:E", "--grains", "1000000,1,2,3",
                                        "--matrix-out", path("m.csv"), book});
    EXPECT_EQ(largest.status, 0) << largest.err;
    EXPECT_TRUE(fs::exists(path("m.csv")));
    const auto withoutMatrix = run(kBinary + "kestrel-batch", {"--columns", "B:E", book});
    EXPECT_EQ(withoutMatrix.status, 2);
    EXPECT_NE(withoutMatrix.err.find("--columns needs --matrix"), std::string::npos);
}

}  // namespace

// --measure all: a block per measure after D, each value as numpy computes it from the
// definitions (tests/engine/measures_oracle.py), and D's block and the default run unchanged.
TEST_F(BatchMatrix, EveryMeasureHasItsBlockAndAgreesWithNumpy) {
    const std::string book = samples(12, 400, "twelve.csv");
    const auto plain = run(kBinary + "kestrel-batch",
                           {"--matrix", "--columns", "B:M", "--matrix-out", path("d.csv"), book});
    const auto all = run(kBinary + "kestrel-batch", {"--matrix", "--columns", "B:M", "--measure",
                                                     "all", "--matrix-out", path("all.csv"), book});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, plain.out) << "the map is of D, the first measure";
    const std::string allText = readAll(path("all.csv")), dText = readAll(path("d.csv"));
    const size_t dBlock = dText.find("\r\nMDS,");
    EXPECT_EQ(allText.substr(0, dBlock), dText.substr(0, dBlock)) << "D comes first, unchanged";

    const auto rows = csvRows(allText);
    const char* names[] = {"Kuiper V", "Similarity", "Likeness", "R²", "W2"};
    const auto oracle = kestrel::batchtest::runCommand(
        "/usr/bin/python3 " + quoted(KESTREL_SOURCE_DIR "/tests/engine/measures_oracle.py") +
            " profiles " + quoted(book),
        m_folder);
    ASSERT_EQ(oracle.status, 0) << oracle.err;
    std::istringstream lines(oracle.out);
    int pairs = 0;
    for (int i = 0, j = 0; lines >> i >> j; ++pairs) {
        double expected[6];
        for (double& value : expected) lines >> value;
        EXPECT_EQ(std::stod(rows[1 + i][1 + j]), expected[0]) << "D";
        for (int m = 0; m < 5; ++m) {
            const size_t head = 14 + 14 * m;  // each block: its heading row and 12 rows, a gap
            ASSERT_EQ(rows[head][0], names[m]);
            const double got = std::stod(rows[head + 1 + i][1 + j]);
            EXPECT_NEAR(got, expected[m + 1], 1e-12 * std::max(1.0, std::fabs(expected[m + 1])))
                << names[m] << " " << i << " " << j;
        }
    }
    EXPECT_EQ(pairs, 66);

    const auto mapped =
        run(kBinary + "kestrel-batch", {"--matrix", "--columns", "B:M", "--measure", "s,w2", book});
    EXPECT_NE(mapped.out.find("MDS of 1 - Similarity: axis 1 holds"), std::string::npos);
    for (const auto& [args, message] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--matrix", "--columns", "B:M", "--measure", "d,x", book},
              "--measure: Unknown measure \"x\": give d, v, s, l, r2, w2 or sh, separated by "
              "commas, "
              "or all"},
             {{"--matrix", "--columns", "B:M", "--measure", "", book},
              "--measure: Give at least one measure: d, v, s, l, r2, w2, sh or all"},
             {{"--measure", "v", book},
              "--measure needs --matrix, or --windows or --summary for the windows table"}}) {
        const auto refused = run(kBinary + "kestrel-batch", args);
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
}

// --windows --measure all: the windows table gains a column per measure after its own, each the
// measure of the window's rows as numpy computes it; without --measure the table is as before.
TEST_F(BatchMatrix, WindowsTableGainsTheMeasuresOfEachWindow) {
    const std::string book = samples(12, 400, "twelve.csv");
    const auto plain = run(kBinary + "kestrel-batch", {"--windows", path("w0.csv"), book});
    const auto all =
        run(kBinary + "kestrel-batch", {"--windows", path("w.csv"), "--measure", "all", book});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, plain.out);
    const auto before = csvRows(readAll(path("w0.csv")));
    const auto rows = csvRows(readAll(path("w.csv")));
    ASSERT_EQ(rows.size(), before.size());
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(rows[0].begin() + 12, rows[0].end()),
              (std::vector<std::string>{"Kuiper V", "Similarity", "Likeness", "R²", "W2"}));
    const auto input = csvRows(readAll(book));
    for (size_t r = 1; r < std::min<size_t>(rows.size(), 4); ++r) {
        EXPECT_EQ(std::vector<std::string>(rows[r].begin(), rows[r].begin() + 12), before[r]);
        // The window's rows (positions count from the first data row) as two profiles.
        const int first = std::stoi(rows[r][0]), last = std::stoi(rows[r][2]);
        std::string window = "Age,Y1,Y2\n";
        for (int k = first; k <= last; ++k) {
            const auto& cells = input[static_cast<size_t>(k)];
            window += cells[0] + "," + cells[1] + "," + cells[2] + "\n";
        }
        std::ofstream(path("window.csv")) << window;
        const auto oracle = kestrel::batchtest::runCommand(
            "/usr/bin/python3 " + quoted(KESTREL_SOURCE_DIR "/tests/engine/measures_oracle.py") +
                " profiles " + quoted(path("window.csv")),
            m_folder);
        std::istringstream values(oracle.out);
        double i = 0, j = 0, expected[6];
        values >> i >> j;
        for (double& value : expected) values >> value;
        for (int m = 0; m < 5; ++m) {
            EXPECT_NEAR(std::stod(rows[r][12 + m]), expected[m + 1],
                        1e-12 * std::max(1.0, std::fabs(expected[m + 1])))
                << rows[0][12 + m] << " of window " << r;
        }
    }
}

// --mds: the stress of the map under the MDS line (classical: Kruskal's stress-1 of the map in
// the file against D, computed here; nonmetric: lower), the Shepard plot with --graphs, and the
// refusals.
TEST_F(BatchMatrix, MdsPrintsTheStressOfTheMapAndDrawsItsShepardPlot) {
    const std::string book = samples(12, 400, "twelve.csv");
    const auto classical =
        run(kBinary + "kestrel-batch", {"--matrix", "--columns", "B:M", "--mds", "classical",
                                        "--matrix-out", path("c.csv"), book});
    ASSERT_EQ(classical.status, 0) << classical.err;
    const auto rows = csvRows(readAll(path("c.csv")));
    double misfit = 0, total = 0;
    for (int i = 0; i < 12; ++i) {
        for (int j = i + 1; j < 12; ++j) {
            const double d = std::stod(rows[1 + i][1 + j]);
            const double dx = std::stod(rows[15 + i][1]) - std::stod(rows[15 + j][1]);
            const double dy = std::stod(rows[15 + i][2]) - std::stod(rows[15 + j][2]);
            const double distance = std::hypot(dx, dy);
            misfit += (d - distance) * (d - distance);
            total += distance * distance;
        }
    }
    const auto stressOf = [](const std::string& out) {
        const size_t at = out.find("Stress-1 of the map: ");
        return at == std::string::npos ? -1.0 : std::stod(out.substr(at + 21));
    };
    EXPECT_NEAR(stressOf(classical.out), std::sqrt(misfit / total), 1e-6);
    EXPECT_NE(classical.out.find(" (classical MDS)\n"), std::string::npos);

    fs::create_directory(m_folder / "pictures");
    const auto nonmetric = run(
        kBinary + "kestrel-batch",
        {"--matrix", "--columns", "B:M", "--mds", "nonmetric", "--graphs", path("pictures"), book});
    ASSERT_EQ(nonmetric.status, 0) << nonmetric.err;
    EXPECT_LE(stressOf(nonmetric.out), stressOf(classical.out));
    EXPECT_NE(nonmetric.out.find(" iterations)\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(m_folder / "pictures" / "Shepard.png"));
    const auto written =
        run(kBinary + "kestrel-batch", {"--matrix", "--columns", "B:M", "--mds", "nonmetric",
                                        "--matrix-out", path("n.csv"), book});
    const auto nonmetricRows = csvRows(readAll(path("n.csv")));
    EXPECT_EQ(nonmetricRows[nonmetricRows.size() - 2][0], "Share of the map's spread");

    for (const auto& [args, message] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--matrix", "--columns", "B:M", "--mds", "metric", book},
              "--mds takes classical or nonmetric, not \"metric\""},
             {{"--mds", "nonmetric", book}, "--mds needs --matrix"}}) {
        const auto refused = run(kBinary + "kestrel-batch", args);
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
}
