// kestrel-batch end to end: the built program run as a process on committed workbooks, its
// window log, its messages and exit status, and its summary workbook read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/CriticalValueTable.h"
#include "engine/NumberText.h"
#include "engine/ProfileComparison.h"
#include "sheet/core/ProfileSheet.h"
#include "sheet/core/SpreadsheetCore.h"
#include "tests/tools/BatchProcess.h"

namespace {

namespace fs = std::filesystem;

const std::string kProgram = std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-batch";
const std::string kProfiles = std::string(KESTREL_TEST_DATA_DIR) + "/batch/profiles.xls";

using kestrel::batchtest::Outcome;
using kestrel::batchtest::quoted;
using kestrel::batchtest::readAll;

// The first or the last line of a run's window log; a run that printed none fails the test
// here, with its error, instead of reading past an empty log.
std::string logLine(const Outcome& outcome, bool last) {
    const std::vector<std::string> lines = outcome.lines();
    if (lines.empty()) {
        ADD_FAILURE() << "no window log; status " << outcome.status << ", error: " << outcome.err;
        return {};
    }
    return last ? lines.back() : lines.front();
}

class Batch : public kestrel::batchtest::ScratchFolderTest {
  protected:
    Outcome run(const std::vector<std::string>& args) {
        std::string command = quoted(kProgram);
        for (const auto& arg : args) command.append(" ").append(quoted(arg));
        return kestrel::batchtest::runCommand(command, m_folder);
    }
    // A failure: status 1, nothing on standard output after the error, one line on standard
    // error that holds `message`, and no summary file.
    void expectFailure(const std::vector<std::string>& args, const std::string& message) {
        std::vector<std::string> withSummary = args;
        withSummary.insert(withSummary.begin(), {"--summary", summaryPath()});
        const Outcome outcome = run(withSummary);
        EXPECT_EQ(outcome.status, 1) << outcome.err;
        EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_FALSE(fs::exists(summaryPath()));
    }
    std::string summaryPath() const { return (m_folder / "out_summary.xls").string(); }
};

}  // namespace

TEST_F(Batch, WorkedExampleLogWithTheShippedTable) {
    const Outcome outcome = run({"--sheet", "1", "--window", "300", kProfiles});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.lines(),
              (std::vector<std::string>{"1   100.000     10   1000.000    n=10    Cutoff = 0.700",
                                        "2   200.000     6   600.000    n=5    Cutoff = 1.000"}));
    EXPECT_EQ(logLine(run({"--sheet=1", "--window=1000", kProfiles}), true),
              "2   200.000     10   1000.000    n=9    Cutoff = 0.667");
    // From row 3 on, the positions count from row 3 and the ages follow.
    EXPECT_EQ(
        logLine(run({"--sheet", "1", "--from", "3", "--to", "7", "--window", "500", kProfiles}),
                false),
        "1   200.000     5   600.000    n=5    Cutoff = 1.000");
}

TEST_F(Batch, ActiveSheetFoundEndColumnsNegativeAndLongAges) {
    // Sheet "Shifted" is active in the file; its Age column E ends at row 9.
    const Outcome outcome = run({"--age", "e", "--y1", " G", "--y2", "h ", "--window", "200",
                                 "--min-peak", "1e1", kProfiles});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(
        outcome.lines(),
        (std::vector<std::string>{"1   -250.500     8   1234700.000    n=8    Cutoff = 0.750",
                                  "1   -250.500     4   125.000    n=4    Cutoff = 1.000",
                                  "6   1234567.500     8   1234700.000    n=3    Cutoff = 1.000"}));
}

TEST_F(Batch, SummaryWorkbookReadsBackInBothFormats) {
    for (const bool excel5 : {false, true}) {
        std::vector<std::string> args{"--sheet",   "1",           "--window", "300",
                                      "--summary", summaryPath(), kProfiles};
        if (excel5) args.insert(args.begin(), "--excel5");
        const Outcome outcome = run(args);
        ASSERT_EQ(outcome.status, 0) << outcome.err;

        kestrel::SpreadsheetCore summary;
        int16_t fileType = 0;
        summary.ReadWorkbook(summaryPath(), fileType);
        EXPECT_EQ(fileType, excel5 ? kestrel::kFileTypeExcel5 : kestrel::kFileTypeExcel97);
        EXPECT_EQ(summary.SheetName(1), "Smry");
        EXPECT_EQ(summary.workbook().sheets[0].lastRow(), 11);
        EXPECT_EQ(summary.workbook().sheets[0].lastCol(), 7);
        summary.SetRow(1);
        summary.SetCol(5);
        EXPECT_EQ(summary.Text(), "Difference (W)");
        // Column by column against hand-known values: ages, the whole-range cutoff everywhere,
        // the window 2..6 with its cutoff 1, zeros outside it.
        for (int row = 2; row <= 11; ++row) {
            summary.SetRow(row);
            summary.SetCol(1);
            EXPECT_EQ(summary.Number(), 100.0 * (row - 1));
            summary.SetCol(6);
            EXPECT_EQ(summary.Number(), 0.7);
            summary.SetCol(7);
            const bool inWindow = row >= 3 && row <= 7;
            EXPECT_EQ(summary.Number(), inWindow ? 1.0 : 0.0) << row;
            summary.SetCol(5);
            if (inWindow) {
                EXPECT_GT(summary.Number(), 0.0) << row;
            } else {
                EXPECT_EQ(summary.Number(), 0.0) << row;
            }
        }
        summary.SetRow(5);
        summary.SetCol(2);
        EXPECT_DOUBLE_EQ(summary.Number(), 20 / (31 + 1e-9));
        summary.SetCol(5);
        EXPECT_DOUBLE_EQ(summary.Number(), 20 / (27 + 1e-9) - 13 / (19 + 1e-9));
        fs::remove(summaryPath());
    }
}

TEST_F(Batch, EntriesAreCheckedWithTheDialogsMessages) {
    expectFailure({"--from", "x", kProfiles}, "Incorrect value entered for From row");
    expectFailure({"--to", "", kProfiles}, "Incorrect value entered for To row");
    expectFailure({"--from", "6", "--to", "5", kProfiles},
                  "Incorrect values entered for rows to import");
    expectFailure({"--window", "100,0", kProfiles}, "Incorrect value entered for Age window width");
    expectFailure({"--window", "0", kProfiles}, "Age window width must be above 0: \"0\"");
    expectFailure({"--window", "-5", kProfiles}, "Age window width must be above 0");
    expectFailure({"--min-peak", "ten", kProfiles}, "Incorrect Minimum Peak Height entered");
    expectFailure({"--baseline", "2 ", kProfiles}, "Incorrect Baseline Peak Height entered");
    expectFailure({"--y1", "1", kProfiles}, "Y data (1)");
    expectFailure({"--age", "", kProfiles}, "Age column");
    expectFailure({"--sheet", "4", kProfiles}, "sheets 1 to 3");
    // Find end on sheet 1 with an empty column D: no rows at all.
    expectFailure({"--sheet", "1", "--age", "D", kProfiles}, "is empty at row 2");
    expectFailure({"--from", "0", "--to", "3", kProfiles}, "Row 0");
}

TEST_F(Batch, FileProblemsAreOneLineAndLeaveNoSummary) {
    expectFailure({(m_folder / "missing.xls").string()}, "missing.xls");
    // Comma-separated text is a workbook now; binary bytes of no known format are not.
    const fs::path notWorkbook = m_folder / "binary.xls";
    std::ofstream(notWorkbook, std::ios::binary) << std::string("\0\x01\x02\x03binary", 10);
    expectFailure({notWorkbook.string()}, "binary.xls: its content is not a workbook");
    expectFailure({"--sheet", "3", kProfiles}, "Cell B5 of sheet \"Bad\"");

    // A summary that cannot be written, and one that would overwrite the input.
    Outcome outcome =
        run({"--sheet", "1", "--summary", (m_folder / "no" / "s.xls").string(), kProfiles});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("s.xls"), std::string::npos) << outcome.err;
    const fs::path copy = m_folder / "copy.xls";
    fs::copy_file(kProfiles, copy);
    outcome = run({"--sheet", "1", "--summary", copy.string(), copy.string()});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(readAll(copy), readAll(kProfiles));
}

TEST_F(Batch, RangesPastTheDataAndEmptyColumnsAreRefusedEmptyCellsSaidDecimalCommasRead) {
    // The worked example's profiles, halved so that they need decimals, as .csv text.
    const double y1[] = {0, 1, 4, 15, 6, 1, 0, 0, 3, 1}, y2[] = {0, 1, 3, 9, 5, 1, 1, 0, 2, 0};
    const auto write = [&](const std::string& name, char separator, bool decimalComma,
                           int emptyRow) {
        std::ostringstream text;
        text << "Age" << separator << "Y1" << separator << "Y2\n";
        for (int k = 0; k < 10; ++k) {
            const auto number = [&](double v) {
                std::string t = kestrel::formatFixed(v / 2, 1);
                if (decimalComma) std::replace(t.begin(), t.end(), '.', ',');
                return t;
            };
            text << 100 * (k + 1) << separator << (k + 2 == emptyRow ? "" : number(y1[k]))
                 << separator << number(y2[k]) << "\n";
        }
        std::ofstream(m_folder / name) << text.str();
        return (m_folder / name).string();
    };
    const std::vector<std::string> args = {"--window", "300", "--min-peak", "5", "--baseline", "1"};
    const auto runOn = [&](const std::string& workbook, const std::string& summary) {
        std::vector<std::string> all = args;
        all.insert(all.end(), {"--to", "11", "--summary",
                               (m_folder / (summary + "_summary.csv")).string(), workbook});
        return run(all);
    };
    const Outcome dots = runOn(write("dots.csv", ',', false, 0), "dots");
    ASSERT_EQ(dots.status, 0) << dots.err;
    ASSERT_EQ(dots.lines().size(), 2u) << dots.out;
    // Decimal commas in a ";" file: the same log and the same summary, byte for byte.
    const Outcome commas = runOn(write("commas.csv", ';', true, 0), "commas");
    ASSERT_EQ(commas.status, 0) << commas.err;
    EXPECT_EQ(commas.out, dots.out);
    EXPECT_EQ(readAll(m_folder / "commas_summary.csv"), readAll(m_folder / "dots_summary.csv"));

    // An empty profile cell reads as 0 and is said under the first line; the rest is unchanged.
    const Outcome gap = runOn(write("gap.csv", ',', false, 2), "gap");
    ASSERT_EQ(gap.status, 0) << gap.err;
    EXPECT_EQ(gap.lines(), (std::vector<std::string>{dots.lines()[0],
                                                     "1 empty profile cell read as 0 (column B: 1)",
                                                     dots.lines()[1]}));
    EXPECT_EQ(readAll(m_folder / "gap_summary.csv"), readAll(m_folder / "dots_summary.csv"));

    // To row 2,000 rows past the data; a Y column with nothing in it.
    const std::string dotsFile = (m_folder / "dots.csv").string();
    expectFailure({"--to", "2011", dotsFile},
                  "Cell A12 of sheet \"dots\" is empty: the data end before row 12");
    expectFailure({"--to", "11", "--y2", "D", dotsFile},
                  "Column D of sheet \"dots\" (Y data (2)) holds no number in rows 2 to 11");
}

TEST_F(Batch, MissingTableWarnsAndGivesZeroCutoffs) {
    const std::string table = (m_folder / "none.cds").string();
    const Outcome outcome = run({"--sheet", "1", "--window", "300", "--table", table, kProfiles});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.err.find("Unable to load critical values from " + table), std::string::npos);
    EXPECT_EQ(outcome.lines().at(0), "1   100.000     10   1000.000    n=10    Cutoff = 0.000");
    EXPECT_EQ(outcome.lines().at(1), "2   200.000     6   600.000    n=5    Cutoff = 0.000");
}

TEST_F(Batch, CommandLineProblemsAndHelp) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--sheet", "--age", "--y1", "--y2", "--from", "--to", "--window",
                               "--min-peak", "--baseline", "--table", "--summary", "--excel5"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"--colour", "red", kProfiles}).status, 2);
    EXPECT_EQ(run({kProfiles, kProfiles}).status, 2);
    EXPECT_EQ(run({kProfiles, "--window"}).status, 2);
    // A flag given a value is refused, not read as the flag.
    const Outcome valued = run({"--excel5=no", "--summary", summaryPath(), kProfiles});
    EXPECT_EQ(valued.status, 2);
    EXPECT_NE(valued.err.find("--excel5 takes no value"), std::string::npos) << valued.err;
    EXPECT_FALSE(fs::exists(summaryPath()));
    // After "--" every argument is the workbook, whatever it looks like.
    const Outcome ended = run({"--", "--help"});
    EXPECT_EQ(ended.status, 1);
    EXPECT_NE(ended.err.find("Cannot read --help: the file does not exist"), std::string::npos)
        << ended.err;
}

// Width and height from a PNG's header chunk, or {0, 0} when the bytes are no PNG.
static std::pair<uint32_t, uint32_t> pngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        bytes.compare(12, 4, "IHDR") != 0) {
        return {0, 0};
    }
    auto be32 = [&](size_t at) {
        uint32_t v = 0;
        for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    return {be32(16), be32(20)};
}

TEST_F(Batch, GraphImagesGoIntoAFolderMadeWhenMissing) {
    const std::string sample = std::string(KESTREL_SOURCE_DIR) + "/data/samples/Profiles97.xls";
    const fs::path graphs = m_folder / "graphs";
    fs::create_directories(graphs);
    Outcome outcome = run({"--graphs", graphs.string(), sample});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");  // Qt's own notes stay out of a script's error stream
    EXPECT_GE(outcome.lines().size(), 2u);
    const std::string chart1 = readAll(graphs / "Chart1.png"),
                      chart2 = readAll(graphs / "Chart2.png");
    EXPECT_EQ(pngSize(chart1), (std::pair<uint32_t, uint32_t>{1000, 600}));
    EXPECT_EQ(pngSize(chart2), (std::pair<uint32_t, uint32_t>{1000, 600}));
    EXPECT_NE(chart1, chart2);
    EXPECT_EQ(std::distance(fs::directory_iterator(graphs), {}), 2);

    // A folder that does not exist is made, with its parents.
    const fs::path made = m_folder / "new" / "graphs";
    outcome = run({"--graphs", made.string(), sample});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(fs::is_regular_file(made / "Chart1.png"));
    EXPECT_TRUE(fs::is_regular_file(made / "Chart2.png"));
    // A file of that name: one line, nothing compared, no summary, the file as it was.
    std::ofstream(m_folder / "taken") << "mine";
    expectFailure({"--graphs", (m_folder / "taken").string(), sample},
                  "The graphs folder " + (m_folder / "taken").string() + " cannot be made");
    EXPECT_EQ(run({"--graphs", (m_folder / "taken").string(), sample}).out, "");
    EXPECT_EQ(readAll(m_folder / "taken"), "mine");
}

TEST_F(Batch, GraphsAsVectorDrawingsForPapersAndSlides) {
    const std::string sample = std::string(KESTREL_SOURCE_DIR) + "/data/samples/Profiles97.xls";
    const fs::path graphs = m_folder / "graphs";
    fs::create_directories(graphs);
    for (const std::string format : {"svg", "pdf"}) {
        const Outcome outcome =
            run({"--graphs", graphs.string(), "--graph-format", format, sample});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.err, "");
    }
    // The SVG is a drawing of lines, not a picture; each graph's PDF is one page of its layout.
    for (const char* chart : {"Chart1", "Chart2"}) {
        const std::string svg = readAll(graphs / (std::string(chart) + ".svg"));
        EXPECT_NE(svg.find("<svg"), std::string::npos);
        EXPECT_NE(svg.find("viewBox=\"0 0 1000 600\""), std::string::npos) << chart;
        EXPECT_GT(std::count(svg.begin(), svg.end(), '\n'), 100) << chart;
        EXPECT_EQ(svg.find("<image"), std::string::npos) << chart;
        const auto info = kestrel::batchtest::runCommand(
            "pdfinfo " + (graphs / (std::string(chart) + ".pdf")).string(), m_folder);
        EXPECT_NE(info.out.find("Pages:           1"), std::string::npos) << info.out;
        EXPECT_NE(info.out.find("750 x 450 pts"), std::string::npos) << info.out;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(graphs), {}), 4);

    // Refused on the command line (exit 2), before anything is read or written.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--graph-format", "svg", sample},
          std::vector<std::string>{"--graphs", graphs.string(), "--graph-format", "gif", sample}}) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 2) << outcome.err;
        EXPECT_NE(outcome.err.find("--graph-format"), std::string::npos) << outcome.err;
    }
}

// Every run pays for the libraries the program needs at start: Qt (graph images) and libgsf,
// GLib and libxml2 (.xlsx and .ods) come from plugins, loaded only by the runs that use them
// (the graph and matrix tests run both plugins).
TEST_F(Batch, StartsWithoutTheLibrariesOnlySomeRunsNeed) {
    const Outcome outcome =
        kestrel::batchtest::runCommand("readelf -d " + quoted(kProgram), m_folder);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::vector<std::string> needed;
    for (const std::string& line : outcome.lines()) {
        if (line.find("(NEEDED)") != std::string::npos) needed.push_back(line);
    }
    EXPECT_FALSE(needed.empty()) << outcome.out;
    for (const std::string& line : needed) {
        for (const char* library : {"Qt6", "glib", "gobject", "gio", "gsf", "xml2", "icu"}) {
            EXPECT_EQ(line.find(library), std::string::npos) << line;
        }
    }
}
