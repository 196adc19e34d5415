// The grain-ages reader on files on disk: an .xlsx written by openpyxl (whose own reading of the
// file is the oracle) and .csv files written here, in both layouts, and every refusal's message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core_writer_support.h"
#include "engine/KestrelError.h"
#include "sheet/core/GrainAges.h"
#include "sheet/core/WorkbookReader.h"

using kestrel::AgesLayout;
using kestrel::ErrorsPlace;
using kestrel::GrainAges;
using kestrel::GrainAgesRequest;
using kestrel::GrainSample;
using kestrel::Workbook;
using kestrel::writertest::TempDir;

namespace {

struct OracleSample {
    std::vector<double> ages, errors;
    int64_t emptyCells = 0;
};

// "C N1 1 12.5:0.3 ..." lines of grain_ages_fixture.py, keyed by "C N1"; `rowsOrder` keeps the
// R samples in the order printed.
struct Oracle {
    std::map<std::string, OracleSample> samples;
    std::vector<std::string> rowsOrder;
};

Oracle parseOracle(const std::string& text) {
    Oracle oracle;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string layout, name, pair;
        fields >> layout >> name;
        OracleSample& sample = oracle.samples[layout + " " + name];
        if (layout == "C") fields >> sample.emptyCells;
        if (layout == "R") oracle.rowsOrder.push_back(name);
        while (fields >> pair) {
            const size_t colon = pair.find(':');
            sample.ages.push_back(std::strtod(pair.substr(0, colon).c_str(), nullptr));
            sample.errors.push_back(std::strtod(pair.substr(colon + 1).c_str(), nullptr));
        }
    }
    return oracle;
}

struct XlsxFixture {
    TempDir dir;
    Workbook book;
    Oracle oracle;
};

const XlsxFixture& xlsxFixture() {
    static XlsxFixture* fixture = [] {
        auto* f = new XlsxFixture;
        const std::string path = f->dir.file("grains.xlsx");
        const auto run = kestrel::writertest::runCommand("/usr/bin/python3 '" KESTREL_SOURCE_DIR
                                                         "/tests/sheet/grain_ages_fixture.py' '" +
                                                         path + "'");
        EXPECT_EQ(run.exitCode, 0) << "the oracle (/usr/bin/python3 with python3-openpyxl) "
                                      "failed: "
                                   << run.err;
        f->oracle = parseOracle(run.out);
        kestrel::WorkbookFormat format;
        f->book = kestrel::readAnyWorkbookFile(path, format);
        return f;
    }();
    return *fixture;
}

int sheetIndex(const Workbook& book, const std::string& name) {
    for (size_t i = 0; i < book.sheets.size(); ++i) {
        if (book.sheets[i].name() == name) return static_cast<int>(i) + 1;
    }
    ADD_FAILURE() << "no sheet " << name;
    return 0;
}

void expectOracle(const GrainSample& sample, const OracleSample& expected) {
    EXPECT_EQ(sample.ages, expected.ages) << sample.name;
    EXPECT_EQ(sample.sigmas, expected.errors) << sample.name;
}

// A .csv file of `text` read back as the workbook of one sheet "x".
Workbook csvBook(const TempDir& dir, const std::string& text) {
    const std::string path = dir.file("x.csv");
    kestrel::writertest::writeBytes(path, text);
    kestrel::WorkbookFormat format;
    return kestrel::readAnyWorkbookFile(path, format);
}

std::string refusal(const Workbook& book, const GrainAgesRequest& request) {
    try {
        const GrainAges ages = kestrel::readGrainAges(book, request);
        return "read " + std::to_string(ages.samples.size()) + " samples";
    } catch (const kestrel::KestrelError& e) {
        return e.what();
    }
}

std::string csvRefusal(const std::string& text, const GrainAgesRequest& request) {
    TempDir dir;
    return refusal(csvBook(dir, text), request);
}

}  // namespace

TEST(GrainAges, BothLayoutsOfAnXlsxReadAsOpenpyxlReadsThemAndAgree) {
    const XlsxFixture& f = xlsxFixture();
    ASSERT_EQ(f.oracle.samples.size(), 6u);

    GrainAgesRequest byColumns;
    byColumns.errors = ErrorsPlace::Sheet;
    byColumns.errorsSheet = "errors";  // sheet names match without case
    const GrainAges columns = kestrel::readGrainAges(f.book, byColumns);
    ASSERT_EQ(columns.samples.size(), 3u);
    int64_t emptyCells = 0;
    for (const GrainSample& sample : columns.samples) {
        const OracleSample& expected = f.oracle.samples.at("C " + sample.name);
        expectOracle(sample, expected);
        emptyCells += expected.emptyCells;
    }
    EXPECT_EQ(columns.samples[0].name, "N1");
    EXPECT_EQ(columns.samples[2].name, "N3");
    EXPECT_EQ(columns.emptyCellsSkipped, emptyCells);
    EXPECT_EQ(emptyCells, 1);

    GrainAgesRequest byRows;
    byRows.sheet = sheetIndex(f.book, "Grains");
    byRows.layout = AgesLayout::Rows;
    const GrainAges rows = kestrel::readGrainAges(f.book, byRows);
    ASSERT_EQ(rows.samples.size(), f.oracle.rowsOrder.size());
    for (size_t i = 0; i < rows.samples.size(); ++i) {
        EXPECT_EQ(rows.samples[i].name, f.oracle.rowsOrder[i]);
        expectOracle(rows.samples[i], f.oracle.samples.at("R " + rows.samples[i].name));
        // The same grains in the other layout give the same sample.
        const auto same =
            std::find_if(columns.samples.begin(), columns.samples.end(),
                         [&](const GrainSample& c) { return c.name == rows.samples[i].name; });
        ASSERT_NE(same, columns.samples.end()) << rows.samples[i].name;
        EXPECT_EQ(rows.samples[i].ages, same->ages);
        EXPECT_EQ(rows.samples[i].sigmas, same->sigmas);
    }
    EXPECT_EQ(rows.emptyCellsSkipped, 0);

    // Chosen columns come in the order given; without errors there are no sigmas.
    GrainAgesRequest chosen;
    chosen.columns = {3, 1};
    const GrainAges two = kestrel::readGrainAges(f.book, chosen);
    ASSERT_EQ(two.samples.size(), 2u);
    EXPECT_EQ(two.samples[0].name, "N3");
    EXPECT_EQ(two.samples[0].ages, f.oracle.samples.at("C N3").ages);
    EXPECT_TRUE(two.samples[0].sigmas.empty());
    EXPECT_EQ(two.samples[1].name, "N1");
}

TEST(GrainAges, UncertaintiesBesideOrInAColumnAreHalvedFrom2SigmaAndTurnedFromPerCent) {
    TempDir dir;
    // A title above the headings; N1 is shorter than N2, N2 has a negative age.
    const Workbook beside = csvBook(dir,
                                    "Zircon U-Pb,,,\n"
                                    "N1,N1 err,N2,N2 err\n"
                                    "100,4,-200,3\n"
                                    ",,400,8\n"
                                    "300,6,500,10\n"
                                    ",,600,12\n");
    GrainAgesRequest request;
    request.headingRow = 2;
    request.errors = ErrorsPlace::Beside;
    struct Case {
        int sigmaLevel;
        bool relative;
        std::vector<double> n1, n2;
    };
    for (const Case& c :
         {Case{1, false, {4, 6}, {3, 8, 10, 12}}, Case{2, false, {2, 3}, {1.5, 4, 5, 6}},
          Case{1, true, {4, 18}, {6, 32, 50, 72}}, Case{2, true, {2, 9}, {3, 16, 25, 36}}}) {
        request.sigmaLevel = c.sigmaLevel;
        request.relative = c.relative;
        const GrainAges read = kestrel::readGrainAges(beside, request);
        ASSERT_EQ(read.samples.size(), 2u);
        EXPECT_EQ(read.samples[0].name, "N1");
        EXPECT_EQ(read.samples[0].ages, (std::vector<double>{100, 300}));
        EXPECT_EQ(read.samples[0].sigmas, c.n1) << c.sigmaLevel << "σ " << c.relative;
        EXPECT_EQ(read.samples[1].name, "N2");
        EXPECT_EQ(read.samples[1].ages, (std::vector<double>{-200, 400, 500, 600}));
        EXPECT_EQ(read.samples[1].sigmas, c.n2) << c.sigmaLevel << "σ " << c.relative;
        EXPECT_EQ(read.emptyCellsSkipped, 1);
    }

    // Rows layout with columns given by number under headings it would not know.
    const Workbook rows = csvBook(dir,
                                  "run 7,,,\n"
                                  "id,who,Ma,2se\n"
                                  "z1,S1,100,4\n"
                                  "z2,S2,-200,3\n"
                                  ",,,\n"
                                  "z3,S1,300,6\n"
                                  "z4,S2,,\n"
                                  "z5,S2,400,8\n");
    GrainAgesRequest given;
    given.layout = AgesLayout::Rows;
    given.headingRow = 2;
    given.sampleCol = 2;
    given.ageCol = 3;
    given.errorCol = 4;
    given.sigmaLevel = 2;
    const GrainAges read = kestrel::readGrainAges(rows, given);
    ASSERT_EQ(read.samples.size(), 2u);
    EXPECT_EQ(read.samples[0].name, "S1");
    EXPECT_EQ(read.samples[0].ages, (std::vector<double>{100, 300}));
    EXPECT_EQ(read.samples[0].sigmas, (std::vector<double>{2, 3}));
    EXPECT_EQ(read.samples[1].ages, (std::vector<double>{-200, 400}));
    EXPECT_EQ(read.samples[1].sigmas, (std::vector<double>{1.5, 4}));
    EXPECT_EQ(read.emptyCellsSkipped, 1);

    // Unless the profile needs them, uncertainties of zero or below are kept as they are.
    GrainAgesRequest loose;
    loose.errors = ErrorsPlace::Beside;
    const GrainAges kept = kestrel::readGrainAges(csvBook(dir, "N1,e\n1,-0.5\n2,0\n"), loose);
    EXPECT_EQ(kept.samples.at(0).sigmas, (std::vector<double>{-0.5, 0}));
}

TEST(GrainAges, RefusalsNameTheCellOrTheSample) {
    const XlsxFixture& f = xlsxFixture();
    GrainAgesRequest odd;
    odd.sheet = sheetIndex(f.book, "Odd");
    for (const auto& [col, message] : std::vector<std::pair<int32_t, std::string>>{
             {1, "Cell A3 of sheet \"Odd\" holds \"TRUE\", which is not a number"},
             {2, "Cell B3 of sheet \"Odd\" holds \"#N/A\", which is not a number"},
             {3, "Cell C3 of sheet \"Odd\" holds \"n/a\", which is not a number"}}) {
        odd.columns = {col};
        EXPECT_EQ(refusal(f.book, odd), message);
    }

    GrainAgesRequest short_;
    short_.errors = ErrorsPlace::Sheet;
    short_.errorsSheet = "ErrorsShort";
    short_.columns = {3};
    EXPECT_EQ(refusal(f.book, short_),
              "Sheet \"ErrorsShort\" has no column headed \"N3\" in row 1 for the uncertainties of "
              "column C of sheet \"Ages\"");
    short_.columns = {1};
    EXPECT_EQ(refusal(f.book, short_),
              "Cell B5 of sheet \"ErrorsShort\" holds no uncertainty for the age in A5 of sheet "
              "\"Ages\"");
    short_.columns = {2};
    EXPECT_EQ(refusal(f.book, short_),
              "Cell A3 of sheet \"ErrorsShort\" holds \"n/a\", which is not a number");
    short_.uncertaintiesRequired = true;
    EXPECT_EQ(refusal(f.book, short_),
              "Cell A2 of sheet \"ErrorsShort\" holds the uncertainty 0, which gives no positive "
              "1σ: the profile needs a positive uncertainty for every grain");
    short_.errorsSheet = "Nope";
    EXPECT_EQ(refusal(f.book, short_),
              "The workbook has no sheet named \"Nope\" for the uncertainties");

    GrainAgesRequest columns;
    columns.headingRow = 2;
    EXPECT_EQ(csvRefusal("title\n\n3\n4\n", columns),
              "Sheet \"x\" holds no sample of grain ages below row 2");
    columns.headingRow = 1;
    EXPECT_EQ(csvRefusal("N1,N2\n1,2\n3,\n", columns),
              "Sample \"N2\" (column B of sheet \"x\") has 1 age: a sample needs at least 2");
    EXPECT_EQ(csvRefusal("N1,N2,N1\n1,2,3\n3,4,5\n", columns),
              "The sample name \"N1\" is used twice: cells A1 and C1 of sheet \"x\"");
    columns.uncertaintiesRequired = true;
    EXPECT_EQ(csvRefusal("N1\n1\n2\n", columns),
              "The profile needs an uncertainty for every grain: say where they are (a sheet of "
              "their own, or the column right of each age column)");
    columns.errors = ErrorsPlace::Beside;
    EXPECT_EQ(csvRefusal("N1,e\n1,0.1\n2,\n", columns),
              "Cell B3 of sheet \"x\" holds no uncertainty for the age in A3 of sheet \"x\"");
    EXPECT_EQ(csvRefusal("N1,e\n1,0.1\n2,-0.1\n", columns),
              "Cell B3 of sheet \"x\" holds the uncertainty -0.1, which gives no positive 1σ: the "
              "profile needs a positive uncertainty for every grain");
    columns.relative = true;  // 5 per cent of an age of 0 is no uncertainty either
    EXPECT_EQ(csvRefusal("N1,e\n0,5\n2,1\n", columns),
              "Cell B2 of sheet \"x\" holds the uncertainty 5, which gives no positive 1σ: the "
              "profile needs a positive uncertainty for every grain");

    GrainAgesRequest rows;
    rows.layout = AgesLayout::Rows;
    EXPECT_EQ(csvRefusal("Name,Age\n,\n", rows),
              "Sheet \"x\" holds no sample of grain ages below row 1");
    EXPECT_EQ(csvRefusal("Sample,Ages\nA,1\n", rows),
              "Row 1 of sheet \"x\" has no Age column: none of its headings is Age");
    EXPECT_EQ(csvRefusal("Grain,Age\nA,1\n", rows),
              "Row 1 of sheet \"x\" has no Sample column: none of its headings is Sample or Name");
    EXPECT_EQ(csvRefusal("Name,Age\nA,1\n,2\n", rows),
              "Cell A3 of sheet \"x\" names no sample for the age in B3");
    EXPECT_EQ(csvRefusal("Name,Age,1s\nA,1,0.1\nB,2,0.1\nA,3,0.1\n", rows),
              "Sample \"B\" (column A of sheet \"x\") has 1 age: a sample needs at least 2");
    EXPECT_EQ(csvRefusal("Name,Age,Sigma\nA,1,x\n", rows),
              "Cell C2 of sheet \"x\" holds \"x\", which is not a number");
    EXPECT_EQ(csvRefusal("Name,Age,Sigma\nA,1,\n", rows),
              "Cell C2 of sheet \"x\" holds no uncertainty for the age in B2");
    rows.uncertaintiesRequired = true;
    EXPECT_EQ(csvRefusal("Name,Age,Note\nA,1,x\n", rows),
              "Row 1 of sheet \"x\" has no uncertainty column: none of its headings is "
              "Uncertainty, Error, Err, Sigma, 1σ, 1s, 2σ or 2s");
    rows.sampleCol = 16385;
    EXPECT_EQ(csvRefusal("Name,Age\nA,1\nA,2\n", rows),
              "The Sample column 16385 lies outside the sheet: columns count from 1 to 16384");
    rows.sampleCol.reset();
    rows.sigmaLevel = 3;
    EXPECT_EQ(csvRefusal("Name,Age,1s\nA,1,1\nA,2,1\n", rows),
              "Uncertainties are 1σ or 2σ, not 3σ");
}

// Two headings a role may take, the first wins; a note below a column's last age is no skipped
// cell; the errors sheet's headings are looked for in the heading row.
TEST(GrainAges, TheFirstMatchingHeadingWinsAndCellsBelowTheLastAgeAreNotSkipped) {
    TempDir dir;
    GrainAgesRequest rows;
    rows.layout = AgesLayout::Rows;
    const GrainAges byRows = kestrel::readGrainAges(
        csvBook(dir, "Sample,Name,Age\nS1,z1,100\nS1,z2,200\nS2,z3,150\nS2,z4,250\n"), rows);
    ASSERT_EQ(byRows.samples.size(), 2u);
    EXPECT_EQ(byRows.samples[0].name, "S1");
    EXPECT_EQ(byRows.samples[0].ages, (std::vector<double>{100.0, 200.0}));
    EXPECT_EQ(byRows.samples[1].name, "S2");
    EXPECT_EQ(byRows.samples[1].ages, (std::vector<double>{150.0, 250.0}));

    const GrainAges byColumns = kestrel::readGrainAges(
        csvBook(dir, "A,B\n100,150\n200,250\n,\nmean 150,\n"), GrainAgesRequest{});
    ASSERT_EQ(byColumns.samples.size(), 2u);
    EXPECT_EQ(byColumns.samples[0].ages, (std::vector<double>{100.0, 200.0}));
    EXPECT_EQ(byColumns.samples[1].ages, (std::vector<double>{150.0, 250.0}));
    EXPECT_EQ(byColumns.emptyCellsSkipped, 0);

    // Headings in row 2 under a title, on the errors sheet too (there in another order).
    Workbook titled = csvBook(dir, "Namib ages\nA,B\n100,150\n200,250\n");
    Workbook errors = csvBook(dir, "1-sigma, Ma\nB,A\n3,1\n4,2\n");
    errors.sheets[0].setName("Errors");
    titled.sheets.push_back(errors.sheets[0]);
    GrainAgesRequest onSheet;
    onSheet.headingRow = 2;
    onSheet.errors = ErrorsPlace::Sheet;
    onSheet.errorsSheet = "Errors";
    const GrainAges withErrors = kestrel::readGrainAges(titled, onSheet);
    ASSERT_EQ(withErrors.samples.size(), 2u);
    EXPECT_EQ(withErrors.samples[0].sigmas, (std::vector<double>{1.0, 2.0}));
    EXPECT_EQ(withErrors.samples[1].sigmas, (std::vector<double>{3.0, 4.0}));
}
