// kestrel-batch --mda and --components over every sample of grain ages: the files against the
// workbook's ages (read by openpyxl), the same answers from both layouts, reproducible draws, and
// the refusals of what cannot be estimated.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/BatchProcess.h"

namespace {

using kestrel::batchtest::Outcome;
using kestrel::batchtest::quoted;
using kestrel::batchtest::readAll;

class BatchDepositional : public kestrel::batchtest::BatchProgramTest {
  protected:
    std::string path(const std::string& name) const { return (m_folder / name).string(); }
};

// The field of one column of a .csv row: "YDZ" rows' ages, say.
std::vector<std::string> rowsOf(const std::string& text, const std::string& method) {
    std::vector<std::string> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find("," + method + ",") != std::string::npos) rows.push_back(line);
    return rows;
}

TEST_F(BatchDepositional, EstimatesEverySampleFromEitherLayoutReproducibly) {
    const std::string book = path("ages.xlsx");
    ASSERT_EQ(python("batch_ages_fixture.py", {book}).status, 0);
    const Outcome columns =
        run({"--ages", "--errors", "sheet:Errors", "--mda", path("mda.csv"), "--components", "auto",
             "--components-out", path("comp.csv"), book});
    ASSERT_EQ(columns.status, 0) << columns.err;
    EXPECT_EQ(columns.lines().front().rfind("16 samples, ", 0), 0u) << columns.out;
    const Outcome oracle =
        python("depositional_batch_oracle.py", {book, path("mda.csv"), path("comp.csv")});
    ASSERT_EQ(oracle.status, 0) << oracle.err << oracle.out;
    std::istringstream said(oracle.out);
    std::string word;
    int rows = 0;
    double worst = 1;
    said >> word >> rows >> word >> worst;
    EXPECT_EQ(rows, 160);
    EXPECT_LT(worst, 1e-12) << oracle.out;

    // One row per grain (sheet 3) gives the same file, byte for byte; .xlsx holds the same sheet.
    ASSERT_EQ(
        run({"--ages", "--sheet", "3", "--layout", "rows", "--mda", path("rows.csv"), book}).status,
        0);
    EXPECT_EQ(readAll(path("rows.csv")), readAll(path("mda.csv")));
    ASSERT_EQ(run({"--ages", "--errors", "sheet:Errors", "--mda", path("mda.xlsx"), book}).status,
              0);
    const Outcome sheet = kestrel::batchtest::runCommand(
        "/usr/bin/python3 -c " +
            quoted("import openpyxl, sys; b = openpyxl.load_workbook(sys.argv[1]); "
                   "print(b.sheetnames, b.active.max_row, b.active.max_column)") +
            " " + quoted(path("mda.xlsx")),
        m_folder);
    EXPECT_EQ(sheet.out, "['Depositional age'] 161 8\n") << sheet.err;

    // YDZ's draws follow the seed: the same seed the same ages, another seed other ages, and
    // nothing else changes.
    ASSERT_EQ(run({"--ages", "--errors", "sheet:Errors", "--mda", path("seed.csv"), "--seed", "7",
                   "--mda-methods", "ysg,ydz", book})
                  .status,
              0);
    const std::string seeded = readAll(path("seed.csv"));
    ASSERT_EQ(run({"--ages", "--errors", "sheet:Errors", "--mda", path("seed.csv"), "--seed", "7",
                   "--mda-methods", "ysg,ydz", book})
                  .status,
              0);
    EXPECT_EQ(readAll(path("seed.csv")), seeded);
    EXPECT_NE(rowsOf(seeded, "YDZ"), rowsOf(readAll(path("mda.csv")), "YDZ"));
    EXPECT_EQ(rowsOf(seeded, "YSG"), rowsOf(readAll(path("mda.csv")), "YSG"));
}

TEST_F(BatchDepositional, SaysWhatItCannotEstimateAndWhy) {
    // Rows layout, by hand: A has no 2-sigma cluster of three; B has an age of 0; C has one grain.
    const std::string book = path("few.csv");
    std::ofstream(book) << "Sample,Age,1s\n"
                           "A,100,1\nA,200,1\nA,300,1\nA,400,1\n"
                           "B,0,1\nB,50,2\nB,52,2\n"
                           "C,10,1\n";
    const Outcome kept = run({"--ages", "--layout", "rows", "--mda", path("few_mda.csv"), book});
    ASSERT_EQ(kept.status, 0) << kept.err;
    EXPECT_NE(kept.err.find("sample \"C\" is left out"), std::string::npos) << kept.err;
    EXPECT_NE(kept.err.find("Sample \"B\": grain 1 has an age that is not above 0 (the sample is "
                            "left out)"),
              std::string::npos)
        << kept.err;
    EXPECT_NE(kept.err.find("sample \"A\": YC2s(3+) finds nothing: "), std::string::npos)
        << kept.err;
    const std::string file = readAll(path("few_mda.csv"));
    EXPECT_NE(file.find("\nA,4,YC2s(3+),,,,,0\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\nA,4,YSG,100,1.96,1.96,,1\r\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("\nB,"), std::string::npos) << file;

    const Outcome strict =
        run({"--ages", "--layout", "rows", "--strict", "--mda", path("x.csv"), book});
    EXPECT_EQ(strict.status, 1);
    EXPECT_FALSE(std::filesystem::exists(path("x.csv")));

    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals{
        {{"--ages", "--mda", "x.csv", book}, "need the grains' uncertainties"},
        {{"--mda", "x.csv", book}, "--mda needs --ages"},
        {{"--ages", "--layout", "rows", "--mda", "x.txt", book}, "--mda writes .csv or .xlsx"},
        {{"--ages", "--layout", "rows", "--mda", "x.csv", "--mla-parameters", "5", book},
         "--mla-parameters takes 3 or 4, not \"5\""},
        {{"--ages", "--layout", "rows", "--mda", "x.csv", "--mda-methods", "ysg,zz", book},
         "--mda-methods takes ysg, yc1s, yc2s, y3za, y3zo, ysp, ypp, tau, ydz or mla"},
        {{"--ages", "--layout", "rows", "--mda", "x.csv", "--seed", "-1", book},
         "--seed takes a whole number"},
        {{"--ages", "--layout", "rows", "--components", "auto", book},
         "--components K|auto and --components-out FILE go together"},
        {{"--ages", "--layout", "rows", "--components", "0", "--components-out", "c.csv", book},
         "--components takes a number of components from 1 up, or auto"},
        {{"--ages", "--layout", "rows", "--seed", "3", book}, "--seed needs --mda FILE"},
        {{"--ages", "--layout", "rows", "--mda", "x.csv", "--matrix", book}, "leave out --matrix"},
    };
    for (const auto& [args, message] : refusals) {
        const Outcome refused = run(args);
        EXPECT_EQ(refused.status, 2) << message;
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
}

}  // namespace
