// Hostile inputs for the number texts, the comparison and the critical value table, checked by
// the same properties as their fuzz targets; and every input those fuzzers found, replayed.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "engine/KestrelError.h"
#include "tests/fuzz/CriticalValueTableChecks.h"
#include "tests/fuzz/NumberTextChecks.h"
#include "tests/fuzz/ProfileComparisonChecks.h"

namespace {

namespace fs = std::filesystem;
using kestrel::fuzz::InvariantBroken;

// Runs `check` on every input kept for `target`; the folder must exist (it holds a README).
void replay(const std::string& target, const std::function<void(std::string_view)>& check) {
    const fs::path folder = fs::path(KESTREL_TEST_DATA_DIR) / "fuzz-regressions" / target;
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        try {
            check(bytes);
        } catch (const InvariantBroken& broken) {
            ADD_FAILURE() << target << "/" << entry.path().filename().string() << ": "
                          << broken.what();
        }
    }
}

std::string bytesOf(const std::vector<double>& values) {
    std::string out(values.size() * sizeof(double), '\0');
    std::memcpy(out.data(), values.data(), out.size());
    return out;
}

// A raw-mode comparison input: thresholds, then n rows of (age, y1, y2), all arbitrary doubles.
std::string rawProfile(double minPeak, double baseline, double width,
                       const std::vector<std::array<double, 3>>& rows) {
    std::string bytes(1, '\x01');
    bytes += bytesOf({minPeak, baseline, width});
    const uint16_t n = static_cast<uint16_t>(rows.size() - 1);
    bytes += std::string{static_cast<char>(n & 0xFF), static_cast<char>(n >> 8)};
    for (const auto& row : rows) bytes += bytesOf({row[0], row[1], row[2]});
    return bytes;
}

}  // namespace

TEST(HostileNumberTexts, EdgesOfBothGrammarsAgreeWithTheCLibrary) {
    const std::string texts[] = {"",
                                 " ",
                                 "-",
                                 "+",
                                 "$",
                                 "0x",
                                 "x",
                                 "-$80000000",
                                 "$80000000",
                                 "0x7fffffff",
                                 "2147483648",
                                 "-2147483648",
                                 "00000000000000000000000000000000000007",
                                 "1e400",
                                 "-1e400",
                                 "1e-400",
                                 "4.9e-324",
                                 "2.4703282292062328e-324",
                                 "1.7976931348623158e308",
                                 "1.7976931348623159e308",
                                 ".",
                                 ".e1",
                                 "1.e1",
                                 " 1 ",
                                 "1\t",
                                 std::string("\0"
                                             "1",
                                             2),
                                 "٣",
                                 "9999999999999999999999999999999999999999",
                                 "0x1p3",
                                 "nan",
                                 "inf",
                                 "1e+",
                                 "e5"};
    for (const std::string& text : texts) {
        EXPECT_NO_THROW(kestrel::fuzz::checkWholeNumber(text)) << '"' << text << '"';
        EXPECT_NO_THROW(kestrel::fuzz::checkRealNumber(text)) << '"' << text << '"';
    }
    for (double v : {0.125, 0.005, 2.675, -0.5, 1e15, -1e-300, 5e-324, 1234.567, 0.995}) {
        for (int d = 0; d <= 6; ++d) {
            EXPECT_NO_THROW(kestrel::fuzz::checkFormatFixed(v, d)) << v << " to " << d;
        }
    }
    replay("fuzz_number_text", kestrel::fuzz::checkNumberTexts);
}

TEST(HostileProfiles, NonFiniteNegativeAndExtremeValuesKeepTheWindowsInBounds) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double big = std::numeric_limits<double>::max();
    struct Case {
        const char* what;
        std::string input;
    };
    const std::vector<Case> cases = {
        {"NaN everywhere", rawProfile(nan, nan, nan, {{nan, nan, nan}, {nan, nan, nan}})},
        {"infinite values and thresholds",
         rawProfile(-inf, inf, -inf, {{0, inf, -inf}, {1, 0, 0}, {2, inf, inf}})},
        {"values that overflow the totals",
         rawProfile(1, 2, 0, {{0, big, big}, {1, big, big}, {2, 0, 0}, {3, big, 0}})},
        {"negative values and ages running backwards",
         rawProfile(0, 5, 10, {{100, -3, 4}, {50, 20, -20}, {0, 1, 1}, {-50, 0, 30}})},
        {"a single row", rawProfile(0, 1, 0, {{7, 11, 0}})},
        {"a NaN age never ends a window",
         rawProfile(10, 2, 100, {{0, 0, 0}, {nan, 15, 15}, {nan, 0, 0}, {nan, 20, 0}})},
    };
    for (const Case& c : cases) {
        try {
            kestrel::fuzz::checkProfileComparison(c.input);
        } catch (const InvariantBroken& broken) {
            ADD_FAILURE() << c.what << ": " << broken.what();
        }
    }
    // The longest range a sheet can hold, in the exact (quantized) mode: every curve property.
    std::string longest(1 + 4 + 2, '\0');
    longest[1] = 40, longest[2] = 8, longest[3] = 0x20;       // peak 10, baseline 2, width 8
    longest[5] = static_cast<char>(0x87), longest[6] = 0x13;  // 4999 + 1 rows
    for (int k = 0; k < 5000; ++k) {
        const int y = (k % 400) < 30 ? 200 : k % 7;
        longest += {static_cast<char>(k % 3), static_cast<char>(y), static_cast<char>(k % 5)};
    }
    EXPECT_NO_THROW(kestrel::fuzz::checkProfileComparison(longest));
    replay("fuzz_profile_comparison", kestrel::fuzz::checkProfileComparison);
}

TEST(HostileTables, MalformedLinesFailTheLoadAndStoredRowsRoundTrip) {
    const char* texts[] = {
        "",
        "Alpha,n,CritValue",
        "\xEF\xBB\xBF"
        "Alpha,n,CritValue\r\n0.05,1,1\r\n\r\n",
        "alpha,n,critvalue\n0.05,1,1\n",
        "Alpha,n,CritValue\n0.05,2147483648,1\n",
        "Alpha,n,CritValue\n0.05,-2147483648,1e-320\n0.05,$7FFFFFFF,-0\n",
        "Alpha,n,CritValue\n0.05,1,1,\n",
        "Alpha,n,CritValue\n0.05,1\n",
        "Alpha,n,CritValue\n1e999,1,1\n",
        "Alpha,n,CritValue\n0.05, 1,1\n0.05,1 ,1\n",
        "Alpha,n,CritValue\n\t \n0.01,5,0.8\n0.05,5,0.7\n",
        "Alpha,n,CritValue\n0.05,1,nan\n",
    };
    for (const char* text : texts) {
        try {
            kestrel::fuzz::checkCriticalValueTable(text);
        } catch (const InvariantBroken& broken) {
            ADD_FAILURE() << '"' << text << "\": " << broken.what();
        } catch (const kestrel::KestrelError& error) {
            ADD_FAILURE() << '"' << text << "\": saved text refused: " << error.what();
        }
    }
    replay("fuzz_critical_value_table", kestrel::fuzz::checkCriticalValueTable);
}
