// kestrel-batch --unmix and --nmf on the shipped grain-age workbook: the fits' file against
// linear programmes solved by scipy on the workbook's ages, the end-members' workbook read by
// openpyxl, and the refusals of options that do not go together.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/BatchProcess.h"

namespace {

using kestrel::batchtest::Outcome;
using kestrel::batchtest::readAll;

const std::string kBook = KESTREL_SOURCE_DIR "/data/samples/GrainAges.xls";

class BatchUnmixing : public kestrel::batchtest::BatchProgramTest {
  protected:
    std::string path(const std::string& name) const { return (m_folder / name).string(); }
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();  // RFC 4180 ends lines CRLF
        lines.push_back(line);
    }
    return lines;
}

TEST_F(BatchUnmixing, WritesTheFitsAndTheEndMembers) {
    const Outcome outcome =
        run({"--ages", "--unmix", "DZ01", "--sources", "DZ02,DZ03,DZ05", "--bootstrap", "40",
             "--seed", "9", "--unmix-out", path("fits.csv"), "--nmf", "auto", "--nmf-out",
             path("members.xlsx"), kBook});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.lines().front().rfind(
                  "unmixing \"DZ01\" into 3 sources by D, V and profiles, 40 bootstrap resamples; "
                  "end-members of 8 samples: k = ",
                  0),
              0u)
        << outcome.out;
    const std::vector<std::string> rows = linesOf(readAll(path("fits.csv")));
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[0], "Fit,Item,Estimate,Lower,Upper");
    const char* expected[] = {"D,DZ02,",        "D,DZ03,",        "D,DZ05,",
                              "D,value,",       "V,DZ02,",        "V,DZ03,",
                              "V,DZ05,",        "V,value,",       "profiles,DZ02,",
                              "profiles,DZ03,", "profiles,DZ05,", "profiles,value,"};
    for (size_t r = 1; r < rows.size(); ++r) {
        EXPECT_EQ(rows[r].rfind(expected[r - 1], 0), 0u) << rows[r];
        EXPECT_EQ(std::count(rows[r].begin(), rows[r].end(), ','), 4) << rows[r];
        EXPECT_EQ(rows[r].find(",,"), std::string::npos) << "an interval is missing: " << rows[r];
    }
    const Outcome oracle =
        python("unmixing_batch_oracle.py",
               {kBook, "DZ01", "DZ02,DZ03,DZ05", path("fits.csv"), path("members.xlsx")});
    ASSERT_EQ(oracle.status, 0) << oracle.err;
    std::istringstream said(oracle.out);
    double dGap = 1, vGap = 1, recomputedGap = 1, weightsGap = 1, membersGap = 1;
    std::string sheets, word;
    int memberRows = 0, weightRows = 0, residualRows = 0;
    said >> dGap >> vGap >> recomputedGap >> word >> sheets >> word >> weightsGap >> membersGap >>
        word >> memberRows >> weightRows >> residualRows;
    EXPECT_LT(dGap, 1e-9);
    EXPECT_LT(vGap, 1e-9);
    EXPECT_LT(recomputedGap, 1e-12);
    EXPECT_EQ(sheets, "End-members|Weights|Residual_by_k");
    EXPECT_LT(weightsGap, 1e-12);
    EXPECT_LT(membersGap, 1e-12);
    EXPECT_GT(memberRows, 100);
    EXPECT_EQ(weightRows, 9);    // heading and 8 samples
    EXPECT_EQ(residualRows, 7);  // heading and k = 2..7 (below the 8 samples)

    // Without a bootstrap the intervals stay empty; the same seed gives the same file.
    ASSERT_EQ(run({"--ages", "--unmix", "DZ01", "--sources", "DZ02,DZ03", "--fit", "d",
                   "--bootstrap", "0", "--unmix-out", path("plain.csv"), kBook})
                  .status,
              0);
    const std::vector<std::string> plain = linesOf(readAll(path("plain.csv")));
    ASSERT_EQ(plain.size(), 4u);
    EXPECT_EQ(plain[3].substr(plain[3].size() - 2), ",,");
    ASSERT_EQ(run({"--ages", "--unmix", "DZ01", "--sources", "DZ02,DZ03,DZ05", "--bootstrap", "40",
                   "--seed", "9", "--unmix-out", path("again.csv"), kBook})
                  .status,
              0);
    EXPECT_EQ(readAll(path("again.csv")), readAll(path("fits.csv")));
}

TEST_F(BatchUnmixing, RefusesOptionsThatDoNotGoTogether) {
    const auto said = [this](std::vector<std::string> args, int status) {
        args.push_back(kBook);
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, status) << outcome.err;
        return outcome.err;
    };
    EXPECT_NE(said({"--unmix", "DZ01", "--sources", "DZ02,DZ03", "--unmix-out", "u.csv"}, 2)
                  .find("--unmix needs --ages"),
              std::string::npos);
    EXPECT_NE(said({"--ages", "--sources", "DZ02,DZ03"}, 2).find("--sources needs --unmix SINK"),
              std::string::npos);
    EXPECT_NE(
        said({"--ages", "--unmix", "DZ01", "--sources", "DZ02,DZ03", "--unmix-out", "u.txt"}, 2)
            .find("--unmix-out writes .csv or .xlsx, not u.txt"),
        std::string::npos);
    EXPECT_NE(said({"--ages", "--unmix", "DZ01", "--sources", "DZ02", "--unmix-out", "u.csv"}, 2)
                  .find("--sources takes two or more sample names"),
              std::string::npos);
    EXPECT_NE(said({"--ages", "--unmix", "DZ01", "--sources", "DZ02,DZ03", "--fit", "w",
                    "--unmix-out", "u.csv"},
                   2)
                  .find("--fit takes d, v or profiles (a list, or all), not \"w\""),
              std::string::npos);
    EXPECT_NE(said({"--ages", "--nmf", "auto", "--nmf-out", "n.csv"}, 2)
                  .find("--nmf-out writes .xlsx, not n.csv"),
              std::string::npos);
    EXPECT_NE(said({"--ages", "--nmf", "3", "--nmf-out", "n.xlsx", "--mda", "m.csv"}, 2)
                  .find("--mda does not go with --unmix or --nmf"),
              std::string::npos);
    EXPECT_NE(
        said({"--ages", "--unmix", "DZ01", "--sources", "DZ02,DZ99", "--unmix-out", "u.csv"}, 1)
            .find("no sample is named \"DZ99\""),
        std::string::npos);
    EXPECT_NE(
        said({"--ages", "--unmix", "DZ01", "--sources", "DZ02,DZ01", "--unmix-out", "u.csv"}, 1)
            .find("Sample \"DZ01\" is the sink and cannot be one of its own sources"),
        std::string::npos);
}

}  // namespace
