// The critical value table generator and the table the build ships.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/CriticalValueTable.h"
#include "engine/KsDistribution.h"
#include "tests/support/ReflectionSumOracle.h"

namespace {

namespace fs = std::filesystem;

const std::string kGenerator = std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-critvalues";

int runGenerator(const std::string& arguments) {
    const int raw = std::system((kGenerator + " " + arguments + " 2>/dev/null").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace

TEST(ShippedTable, HoldsEverySampleSizeASheetCanHoldInOrderWithExactValues) {
    const std::string path = kestrel::criticalValueTablePath(KESTREL_BUILD_DATA_DIR);
    kestrel::CriticalValueTable table;
    table.load(path);
    const auto& rows = table.rows();
    ASSERT_EQ(rows.size(), 1048576u);
    for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].n, static_cast<int32_t>(i + 1));
        ASSERT_EQ(rows[i].Alpha, 0.05);
        ASSERT_GT(rows[i].CritValue, 0.0);
        ASSERT_LE(rows[i].CritValue, 1.0);
        // Each value is a whole number of steps of 1/n.
        const double steps = rows[i].CritValue * rows[i].n;
        ASSERT_NEAR(steps, std::round(steps), 1e-9) << "n=" << rows[i].n;
    }
    EXPECT_EQ(table.lookup(1), 1.0);
    EXPECT_EQ(table.lookup(3), 1.0);
    EXPECT_EQ(table.lookup(10), 0.7);
    EXPECT_EQ(table.lookup(20), 0.45);
    EXPECT_EQ(table.lookup(22), 9.0 / 22);
    EXPECT_EQ(table.lookup(40), 0.325);
    // Past the old end of the table up to the sheet limit, against the reflection sum.
    for (const int32_t n : {65536, 65537, 70000, 329806, 777777, 1048576}) {
        const int32_t k = kestrel::testsupport::ReflectionSumOracle(n).criticalCount(0.05);
        EXPECT_EQ(table.lookup(n), static_cast<double>(k) / n) << "n=" << n;
    }
    EXPECT_EQ(table.lookup(1048577), 0.0);
}

TEST(Generator, OptionsChooseRangeAndLevelAndBadOptionsFail) {
    const fs::path path =
        fs::temp_directory_path() / ("kestrel-critvalues-" + std::to_string(::getpid()) + ".cds");
    ASSERT_EQ(runGenerator("--alpha 0.01 --from 5 --to 12 --output " + path.string()), 0);
    kestrel::CriticalValueTable table;
    table.load(path.string());
    ASSERT_EQ(table.rows().size(), 8u);
    EXPECT_EQ(table.rows().front().n, 5);
    EXPECT_EQ(table.rows().front().Alpha, 0.01);
    // At 1 % the smallest samples cannot reject: P(D = 1) = 2 / C(10, 5) > 0.01 for n = 5.
    EXPECT_EQ(table.lookup(5), 1.0);
    EXPECT_EQ(table.lookup(10), 0.8);

    // A level the computation cannot tell from a tail probability is refused, not guessed:
    // P(D >= 11/100) itself, written exactly.
    char alpha[32];
    const auto written =
        std::to_chars(alpha, alpha + sizeof alpha - 1, kestrel::ksTailProbability(100, 11));
    *written.ptr = '\0';
    EXPECT_EQ(runGenerator(std::string("--alpha ") + alpha + " --from 99 --to 100 --output " +
                           path.string()),
              1);
    table.load(path.string());
    EXPECT_EQ(table.rows().size(), 8u) << "a refused run leaves the file as it was";
    EXPECT_EQ(runGenerator("--alpha 0.58 --from 100 --to 100 --output " + path.string()), 0);

    EXPECT_EQ(runGenerator("--alpha 1.5 --output " + path.string()), 2);
    EXPECT_EQ(runGenerator("--from 10 --to 9 --output " + path.string()), 2);
    EXPECT_EQ(runGenerator("--to 20"), 2);
    EXPECT_EQ(runGenerator("--to 20 --output " + (path.parent_path() / "no" / "t.cds").string()),
              1);
    fs::remove(path);
}
