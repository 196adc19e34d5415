// kestrel-batch's summary in today's formats: the format follows the summary's name, the file
// holds the same sheet, headers and values as the Excel 97 summary, and a sheet of 1,048,576
// rows goes through end to end. Read back by Python's openpyxl, csv and zipfile.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/tools/BatchProcess.h"

namespace {

namespace fs = std::filesystem;

const std::string kProgram = std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-batch";
const std::string kProfiles = std::string(KESTREL_TEST_DATA_DIR) + "/batch/profiles.xls";

using kestrel::batchtest::quoted;

class BatchSummaryFormats : public kestrel::batchtest::ScratchFolderTest {
  protected:
    // Runs a command line; returns its exit status, with its standard output in `out` and its
    // standard error in `err`.
    int runCommand(const std::string& command, std::string& out, std::string& err) {
        const auto outcome = kestrel::batchtest::runCommand(command, m_folder);
        out = outcome.out;
        err = outcome.err;
        return outcome.status;
    }
    int batch(const std::vector<std::string>& args, std::string& err) {
        std::string command = quoted(kProgram), out;
        for (const auto& arg : args) command += " " + quoted(arg);
        return runCommand(command, out, err);
    }
    // What a Python script prints about the given files.
    std::string python(const std::string& script, const std::vector<fs::path>& files) {
        std::string command = "/usr/bin/python3 -c " + quoted(script), out, err;
        for (const auto& file : files) command += " " + quoted(file.string());
        EXPECT_EQ(runCommand(command, out, err), 0) << err;
        return out;
    }
    fs::path file(const std::string& name) const { return m_folder / name; }
};

TEST_F(BatchSummaryFormats, TheNameChoosesTheFormatAndEveryFormatHoldsTheSameTable) {
    std::string err;
    for (const char* name : {"s.xls", "s.XLSX", "s.csv"}) {
        ASSERT_EQ(batch({"--sheet", "1", "--summary", file(name).string(), kProfiles}, err), 0)
            << err;
    }
    // The same cells, value for value, in all three (xlrd for Excel 97).
    const std::string table = python(
        "import sys, csv, xlrd, openpyxl\n"
        "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
        "print(s.name, [s.row_values(r) for r in range(s.nrows)])\n"
        "b = openpyxl.load_workbook(sys.argv[2])\n"
        "print(b.sheetnames[0], [[c.value if isinstance(c.value, str) else float(c.value)\n"
        "                         for c in r] for r in b.worksheets[0].iter_rows()])\n"
        "rows = list(csv.reader(open(sys.argv[3], newline='', encoding='utf-8')))\n"
        "print('Smry', [rows[0]] + [[float(v) for v in r] for r in rows[1:]])\n",
        {file("s.xls"), file("s.XLSX"), file("s.csv")});
    const size_t first = table.find('\n'), second = table.find('\n', first + 1);
    ASSERT_NE(second, std::string::npos) << table;
    const std::string excel97 = table.substr(0, first);
    EXPECT_EQ(excel97.rfind("Smry [['Age', 'Curve 1', 'Curve 2', 'Difference', 'Difference (W)', "
                            "'Cutoff', 'Cutoff (W)'], [100.0, ",
                            0),
              0u)
        << excel97;
    EXPECT_EQ(table.substr(first + 1, second - first - 1), excel97);
    EXPECT_EQ(table.substr(second + 1), excel97 + "\n");

    // Gnumeric reads the .xlsx too, every cell in its column (it needs each cell's reference).
    std::string out;
    ASSERT_EQ(runCommand("ssconvert " + quoted(file("s.XLSX").string()) + " " +
                             quoted(file("g.csv").string()),
                         out, err),
              0)
        << err;
    EXPECT_EQ(
        python("import sys, csv, math\n"
               "ours = list(csv.reader(open(sys.argv[1], newline='')))\n"
               "gnum = list(csv.reader(open(sys.argv[2], newline='')))\n"
               "same = len(ours) == len(gnum) and ours[0] == gnum[0] and all(\n"
               "    len(a) == len(b) and all(math.isclose(float(x), float(y), rel_tol=1e-14)\n"
               "                             for x, y in zip(a, b))\n"
               "    for a, b in zip(ours[1:], gnum[1:]))\n"
               "print(len(gnum), same)\n",
               {file("s.csv"), file("g.csv")}),
        "11 True\n");

    // --excel5 writes .xls only: with another name it is a command-line error, and no file.
    EXPECT_EQ(batch({"--excel5", "--summary", file("e.xlsx").string(), kProfiles}, err), 2);
    EXPECT_NE(err.find("ends in .xlsx"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(file("e.xlsx")));
}

// Every row a sheet holds: a .csv profile of 1,048,575 data rows below its heading gives a
// summary of 1,048,576 rows in .csv and in .xlsx.
TEST_F(BatchSummaryFormats, AMillionRowSheetGivesAMillionRowSummary) {
    constexpr int kRows = 1048576;
    {
        std::ofstream csv(file("profile.csv"), std::ios::binary);
        csv << "Age,Y1,Y2\n";
        for (int row = 2; row <= kRows; ++row) {
            csv << row << ',' << (row % 997) * 0.25 << ',' << (row % 991) * 0.25 << '\n';
        }
    }
    std::string err;
    for (const char* name : {"big.csv", "big.xlsx"}) {
        ASSERT_EQ(batch({"--summary", file(name).string(), file("profile.csv").string()}, err), 0)
            << err;
    }
    const std::string counts = python(
        "import sys, re, zipfile\n"
        "n = sum(1 for _ in open(sys.argv[1], newline=''))\n"
        "z = zipfile.ZipFile(sys.argv[2])\n"
        "sheet = [p for p in z.namelist() if p.startswith('xl/worksheets/sheet')][0]\n"
        "tail = z.open(sheet).read()[-4000:].decode()\n"
        "print(n, re.findall(r'<row r=\"(\\d+)\"', tail)[-1])\n",
        {file("big.csv"), file("big.xlsx")});
    EXPECT_EQ(counts, std::to_string(kRows) + " " + std::to_string(kRows) + "\n");
}

}  // namespace
