// kestrel-batch's windows table and grain counts: without them every output of the sample
// workbooks is what the program wrote before they existed (digests in
// tests/data/batch/classic_outputs.sha256); the table follows the log and its p-values agree
// with scipy; grain counts change the cutoffs and are checked with clear messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/BatchProcess.h"

namespace {

namespace fs = std::filesystem;
using kestrel::batchtest::quoted;

const std::string kProgram = std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-batch";
const std::string kTable = std::string(KESTREL_BUILD_DATA_DIR) + "/KolmogorovSmirnov.cds";
const std::string kSamples = std::string(KESTREL_BUILD_DATA_DIR) + "/samples/";

class BatchWindows : public kestrel::batchtest::ScratchFolderTest {
  protected:
    kestrel::batchtest::Outcome batch(const std::vector<std::string>& args) {
        std::string command = quoted(kProgram) + " --table " + quoted(kTable);
        for (const auto& arg : args) command += " " + quoted(arg);
        return kestrel::batchtest::runCommand(command, m_folder);
    }
    std::string python(const std::string& script, const std::vector<std::string>& args) {
        std::string command = "/usr/bin/python3 -c " + quoted(script);
        for (const auto& arg : args) command += " " + quoted(arg);
        const auto outcome = kestrel::batchtest::runCommand(command, m_folder);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return outcome.out;
    }
    std::string sha256(const fs::path& file) {
        const auto outcome =
            kestrel::batchtest::runCommand("sha256sum " + quoted(file.string()), m_folder);
        return outcome.out.substr(0, 64);
    }
    std::string path(const std::string& name) const { return (m_folder / name).string(); }
};

std::map<std::string, std::string> classicDigests() {
    std::map<std::string, std::string> digests;
    std::ifstream in(std::string(KESTREL_TEST_DATA_DIR) + "/batch/classic_outputs.sha256");
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        digests[line.substr(66)] = line.substr(0, 64);
    }
    return digests;
}

TEST_F(BatchWindows, WithoutTheNewOptionsEveryOutputIsAsBeforeAndWorkbooksGainTheWindowsSheet) {
    const auto digests = classicDigests();
    ASSERT_EQ(digests.size(), 8u);
    for (const std::string name : {"Profiles97", "Profiles95"}) {
        const fs::path graphs = m_folder / ("graphs-" + name);
        fs::create_directories(graphs);
        const auto run = batch({"--summary", path(name + ".csv"), "--graphs", graphs.string(),
                                kSamples + name + ".xls"});
        ASSERT_EQ(run.status, 0) << run.err;
        std::ofstream(path(name + ".log"), std::ios::binary) << run.out;
        EXPECT_EQ(sha256(path(name + ".log")), digests.at(name + ".log"));
        EXPECT_EQ(sha256(path(name + ".csv")), digests.at(name + ".csv"));
        EXPECT_EQ(sha256(graphs / "Chart1.png"), digests.at(name + "-Chart1.png"));
        EXPECT_EQ(sha256(graphs / "Chart2.png"), digests.at(name + "-Chart2.png"));
        // The log stays as it is when the windows table is asked for too.
        const auto withWindows =
            batch({"--windows", path(name + "-w.csv"), kSamples + name + ".xls"});
        EXPECT_EQ(withWindows.out, run.out);

        // Workbooks: "Smry" first and cell for cell the .csv summary, then "Windows" as the
        // --windows file (read by xlrd and openpyxl, not by us).
        for (const char* type : {".xls", ".xlsx"}) {
            ASSERT_EQ(batch({"--summary", path(name + type), kSamples + name + ".xls"}).status, 0);
        }
        EXPECT_EQ(python("import sys, csv, xlrd, openpyxl\n"
                         "def rows(f):\n"
                         "    return [[v if i == 0 or c > 9 else float(v) for c, v in\n"
                         "             enumerate(r)] for i, r in enumerate(csv.reader(open(f)))]\n"
                         "smry, wins = rows(sys.argv[1]), rows(sys.argv[2])\n"
                         "b = xlrd.open_workbook(sys.argv[3])\n"
                         "x = [[s.row_values(r) for r in range(s.nrows)] for s in b.sheets()]\n"
                         "o = openpyxl.load_workbook(sys.argv[4])\n"
                         "y = [[[c.value if isinstance(c.value, str) else float(c.value)\n"
                         "       for c in r] for r in s.iter_rows()] for s in o.worksheets]\n"
                         "print(b.sheet_names(), o.sheetnames, x == [smry, wins], y == x)\n",
                         {path(name + ".csv"), path(name + "-w.csv"), path(name + ".xls"),
                          path(name + ".xlsx")}),
                  "['Smry', 'Windows'] ['Smry', 'Windows'] True True\n");
        // A .csv summary holds one sheet: the windows table goes beside it.
        EXPECT_EQ(kestrel::batchtest::readAll(path(name + "_windows.csv")),
                  kestrel::batchtest::readAll(path(name + "-w.csv")));
    }
}

// The table row by row against the log, and each p-value against scipy's for its n1, n2, D.
const char* const kCheckTable = R"(
import sys, csv, math
from scipy import stats
from scipy.stats import _stats_py
log = [l.split() for l in open(sys.argv[1])]
rows = list(csv.DictReader(open(sys.argv[2])))
assert [r['First'] for r in rows] == [l[0] for l in log]
assert [r['Last'] for r in rows] == [l[2] for l in log]
assert ['n=' + r['Rows'] for r in rows] == [l[4] for l in log]
assert ['%.3f' % float(r['Critical value']) for r in rows] == [l[7] for l in log]
for r in rows:
    n1, n2, d, p = int(r['n1']), int(r['n2']), float(r['D']), float(r['p'])
    assert r['Beyond'] == ('yes' if d > float(r['Critical value']) else 'no'), r
    g = math.gcd(n1, n2); lcm = n1 // g * n2
    if r['Method'] == 'exact':
        assert n1 * n2 <= 10_000_000, r
        h = math.ceil(d * lcm - 1e-7)
        ok, _, want = _stats_py._attempt_exact_2kssamp(n1, n2, g, h / lcm, 'two-sided')
        assert not ok or abs(p - want) <= 1e-10 * want + 1e-300, (r, want)
    else:
        assert r['Method'] == 'asymptotic' and n1 * n2 > 10_000_000, r
        en = round(n1 * n2 / (n1 + n2))
        assert abs(p - stats.kstwo.sf(d, en)) <= 0.15 / math.sqrt(en) + 1e-3, r
print(len(rows), rows[0]['n1'], rows[0]['n2'])
)";

TEST_F(BatchWindows, TheTableFollowsTheLogUnderBothRulesWithScipysPValues) {
    const std::string workbook = kSamples + "Profiles97.xls";
    const auto classic = batch({"--windows", path("c.csv"), workbook});
    ASSERT_EQ(classic.status, 0) << classic.err;
    std::ofstream(path("c.log")) << classic.out;
    EXPECT_EQ(python(kCheckTable, {path("c.log"), path("c.csv")}), "5 4001 4001\n");

    const auto grains = batch(
        {"--grains", "120,95", "--windows", path("g.csv"), "--summary", path("g.xls"), workbook});
    ASSERT_EQ(grains.status, 0) << grains.err;
    std::ofstream(path("g.log")) << grains.out;
    EXPECT_EQ(python(kCheckTable, {path("g.log"), path("g.csv")}), "5 120 95\n");
    // The grain rule's critical values are those of the summary's Cutoff columns.
    EXPECT_EQ(python("import sys, csv, xlrd\n"
                     "w = list(csv.DictReader(open(sys.argv[1])))\n"
                     "s = xlrd.open_workbook(sys.argv[2]).sheet_by_index(0)\n"
                     "cut = set(s.col_values(5)[1:]); cutw = set(s.col_values(6)[1:]) - {0.0}\n"
                     "print(cut == {float(w[0]['Critical value'])},\n"
                     "      cutw == {float(r['Critical value']) for r in w[1:]})\n",
                     {path("g.csv"), path("g.xls")}),
              "True True\n");
    EXPECT_NE(grains.out, classic.out);
}

TEST_F(BatchWindows, BadGrainCountsAreRefusedNamingTheFieldAndWriteNothing) {
    const std::string workbook = kSamples + "Profiles97.xls";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"0,95", "Grains in profile 1"},
        {"120,1000001", "Grains in profile 2"},
        {"120", "--grains"},
        {"120,95,3", "--grains"},
        {",", "--grains"},
        {"12a,95", "Grains in profile 1"}};
    for (const auto& [value, named] : cases) {
        const auto run = batch({"--grains", value, "--windows", path("w.csv"), workbook});
        EXPECT_EQ(run.status, 1) << value;
        EXPECT_NE(run.err.find(named), std::string::npos) << value << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << value;
        EXPECT_FALSE(fs::exists(path("w.csv"))) << value;
    }
}

}  // namespace
