// kestrel-batch --figure, --peaks-out and --bins-out over every sample of grain ages: the
// stacked figure's SVG holding each sample's filled profile and name, the PDF a real document,
// the tables' exact columns, and the refusals of what does not read.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/BatchProcess.h"

namespace {

using kestrel::batchtest::Outcome;
using kestrel::batchtest::quoted;
using kestrel::batchtest::readAll;

class BatchFigures : public kestrel::batchtest::BatchProgramTest {
  protected:
    std::string path(const std::string& name) const { return (m_folder / name).string(); }
    void SetUp() override {
        BatchProgramTest::SetUp();
        ASSERT_EQ(python("batch_ages_fixture.py", {path("ages.xlsx")}).status, 0);
    }
    Outcome figures(std::vector<std::string> args) {
        args.insert(args.begin(), {"--ages", "--errors", "sheet:Errors"});
        args.push_back(path("ages.xlsx"));
        return run(args);
    }
};

size_t occurrences(const std::string& text, const std::string& needle) {
    size_t count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

// The groups of the SVG filled at the profiles' opacity whose first element is a path.
size_t filledProfilePaths(const std::string& svg) {
    size_t count = 0;
    const std::string fill = "fill-opacity=\"0.588235\"";
    for (size_t at = svg.find(fill); at != std::string::npos; at = svg.find(fill, at + 1)) {
        const size_t next = svg.find('<', svg.find('>', at));
        count += svg.compare(next, 5, "<path") == 0;
    }
    return count;
}

TEST_F(BatchFigures, DrawsEverySampleAndWritesTheTablesExactly) {
    const Outcome drawn =
        figures({"--figure", "stacked", "--figure-out", path("s.svg"), "--bands",
                 "Grenville:1000-1300", "--peaks-out", path("peaks.csv"), "--order", "map"});
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_EQ(drawn.lines().front().rfind("16 samples: figure ", 0), 0u) << drawn.out;
    const std::string svg = readAll(path("s.svg"));
    // One filled profile per sample (its own colour, the profile's opacity), one name each,
    // the band's label; text stays text.
    EXPECT_EQ(filledProfilePaths(svg), 16u);
    for (int s = 1; s <= 16; ++s) {
        const std::string name = (s < 10 ? "S0" : "S") + std::to_string(s);
        EXPECT_EQ(occurrences(svg, ">" + name + "</text>"), 1u) << name;
    }
    EXPECT_NE(svg.find(">Grenville</text>"), std::string::npos);

    const std::string peaks = readAll(path("peaks.csv"));
    EXPECT_EQ(peaks.rfind("Sample,Peak,Age,Height,Grains\r\n", 0), 0u) << peaks.substr(0, 80);
    // Each sample's highest peak is 100 per cent high.
    size_t highest = 0;
    std::istringstream peakRows(peaks);
    for (std::string row; std::getline(peakRows, row);) {
        const size_t height = row.find(",100,");
        highest += height != std::string::npos && row.find(',', height + 5) == std::string::npos;
    }
    EXPECT_EQ(highest, 16u);

    ASSERT_EQ(figures({"--figure", "bins", "--figure-out", path("b.pdf"), "--bins",
                       "0,300,600,1000,1300,2000,2600", "--bins-out", path("bins.csv")})
                  .status,
              0);
    EXPECT_EQ(readAll(path("b.pdf")).rfind("%PDF-", 0), 0u);
    const Outcome text =
        kestrel::batchtest::runCommand("pdftotext " + quoted(path("b.pdf")) + " -", m_folder);
    EXPECT_NE(text.out.find("1300-2000"), std::string::npos) << text.err;
    std::istringstream bins(readAll(path("bins.csv")));
    std::string line;
    std::getline(bins, line);
    EXPECT_EQ(line,
              "Sample,Grains,0-300,0-300 %,300-600,300-600 %,600-1000,600-1000 %,1000-1300,"
              "1000-1300 %,1300-2000,1300-2000 %,2000-2600,2000-2600 %\r");
    // Ages past 2600 leave a sample's counts short of its grains, and the shares of 100.
    int rows = 0, short_ = 0;
    while (std::getline(bins, line)) {
        std::vector<double> cells;
        std::stringstream fields(line.substr(line.find(',') + 1));
        for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(std::stod(cell));
        double counted = 0, shares = 0;
        for (size_t c = 1; c + 1 < cells.size(); c += 2) {
            counted += cells[c];
            shares += cells[c + 1];
            EXPECT_NEAR(cells[c + 1], 100.0 * cells[c] / cells[0], 1e-12);
        }
        EXPECT_LE(counted, cells[0]);
        short_ += counted < cells[0];
        EXPECT_NEAR(shares, 100.0 * counted / cells[0], 1e-9);
        ++rows;
    }
    EXPECT_EQ(rows, 16);
    EXPECT_GT(short_, 0) << "the edges should leave some old grains out";
    EXPECT_NE(figures({"--bins", "0,300,2600", "--bins-out", path("b2.csv")})
                  .err.find("grains lie outside the bins"),
              std::string::npos);
}

TEST_F(BatchFigures, RefusesWhatDoesNotReadByItsName) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals{
        {{"--figure", "bins", "--figure-out", "b.svg", "--bins", "0,600,300"},
         "--bins: The bin edges must ascend: 300 follows 600"},
        {{"--figure", "stacked", "--figure-out", "s.svg", "--bands", "Grenville:1300-1000"},
         "has its ends swapped: the low end comes first"},
        {{"--figure", "pie", "--figure-out", "s.svg"},
         "--figure takes stacked, cumulative or bins, not \"pie\""},
        {{"--figure", "stacked"}, "--figure KIND and --figure-out FILE go together"},
        {{"--figure", "stacked", "--figure-out", "s.jpg"},
         "--figure-out writes .svg, .pdf or .png"},
        {{"--figure", "bins", "--figure-out", "b.svg"}, "need --bins EDGES"},
        {{"--figure", "stacked", "--figure-out", "s.svg", "--dkw", "all"},
         "--dkw needs --figure cumulative"},
        {{"--figure", "stacked", "--figure-out", "s.svg", "--figure-width", "20"},
         "--figure-width takes 40 to 1000 mm, not \"20\""},
        {{"--peaks-out", "p.csv", "--mda", "m.csv"}, "leave out --mda and --components"},
    };
    for (const auto& [args, message] : refusals) {
        const Outcome refused = figures(args);
        EXPECT_EQ(refused.status, 2) << message;
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
    const Outcome unknown =
        figures({"--figure", "stacked", "--figure-out", path("s.svg"), "--order", "S01,S99"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("No sample is named \"S99\""), std::string::npos) << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(path("s.svg")));
    EXPECT_NE(run({"--figure", "stacked", "--figure-out", "s.svg", path("ages.xlsx")})
                  .err.find("--figure needs --ages"),
              std::string::npos);
}

}  // namespace
