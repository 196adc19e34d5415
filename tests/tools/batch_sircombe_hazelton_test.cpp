// kestrel-batch --measure sh: the Sircombe-Hazelton distance of grain ages with their
// uncertainties against numpy's computation from the paper's definition, and the samples it
// has no value for.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/BatchProcess.h"

namespace {

using kestrel::batchtest::Outcome;
using kestrel::batchtest::readAll;

class BatchSircombeHazelton : public kestrel::batchtest::BatchProgramTest {};

TEST_F(BatchSircombeHazelton, AgreesWithNumpyAndRefusesAgesWithoutUncertainties) {
    const std::string book = (m_folder / "ages.xlsx").string();
    ASSERT_EQ(python("batch_ages_fixture.py", {book}).status, 0);

    // One row per grain with its 1s: 16 samples, 120 pairs.
    const std::string matrix = (m_folder / "sh.csv").string();
    const std::string profiles = (m_folder / "profiles.csv").string();
    const Outcome sh = run({"--ages", "--matrix", "--sheet", "3", "--layout", "rows", "--measure",
                            "sh", "--matrix-out", matrix, "--profiles-out", profiles, book});
    ASSERT_EQ(sh.status, 0) << sh.err;
    EXPECT_NE(sh.out.find("MDS of Sircombe-Hazelton: axis 1 holds"), std::string::npos) << sh.out;
    const Outcome oracle = python("sircombe_hazelton_oracle.py", {book, profiles, matrix});
    ASSERT_EQ(oracle.status, 0) << oracle.err;
    std::istringstream in(oracle.out);
    std::string word;
    int pairs = 0;
    double closedForm = 1, quadrature = 1;
    in >> word >> pairs >> word >> closedForm >> word >> quadrature;
    EXPECT_EQ(pairs, 120);
    EXPECT_LT(closedForm, 1e-12) << oracle.out;
    EXPECT_LT(quadrature, 1e-9) << oracle.out;

    // One column per sample without the errors sheet: sh named is refused, "all" leaves it out.
    const Outcome refused = run({"--ages", "--matrix", "--sheet", "1", "--measure", "d,sh", book});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Sircombe-Hazelton needs grain ages with each grain's "
                               "uncertainty: S01 has none"),
              std::string::npos)
        << refused.err;
    const std::string all = (m_folder / "all.csv").string();
    ASSERT_EQ(
        run({"--ages", "--matrix", "--sheet", "1", "--measure", "all", "--matrix-out", all, book})
            .status,
        0);
    EXPECT_EQ(readAll(all).find("Sircombe-Hazelton"), std::string::npos);
    EXPECT_NE(readAll(all).find("\nW2,"), std::string::npos);
    ASSERT_EQ(run({"--ages", "--matrix", "--sheet", "1", "--errors", "sheet:Errors", "--measure",
                   "all", "--matrix-out", all, book})
                  .status,
              0);
    EXPECT_NE(readAll(all).find("\nSircombe-Hazelton,S01,"), std::string::npos);

    // Profile columns have no grains to measure, nor do the windows of two profiles.
    const Outcome columns =
        run({"--matrix", "--columns", "B:D", "--from", "3", "--measure", "sh", profiles});
    EXPECT_EQ(columns.status, 1);
    EXPECT_NE(columns.err.find("Sircombe-Hazelton needs grain ages"), std::string::npos)
        << columns.err;
    const Outcome windows = run({"--windows", "w.csv", "--measure", "sh", profiles});
    EXPECT_EQ(windows.status, 2);
    EXPECT_NE(windows.err.find("Sircombe-Hazelton compares grain ages"), std::string::npos)
        << windows.err;
}

}  // namespace
