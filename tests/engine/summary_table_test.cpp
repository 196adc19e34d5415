// The summary table's rows and the window log line.
#include <gtest/gtest.h>

#include "engine/KestrelError.h"
#include "engine/SummaryTable.h"

using kestrel::windowLogLine;

TEST(WindowLogLine, PiecesSpacingAndRounding) {
    EXPECT_EQ(windowLogLine(2, 200, 6, 600, 0.5, "."),
              "2   200.000     6   600.000    n=5    Cutoff = 0.500");
    // Half away from zero on the exact binary value: 0.4375 is exact, 1.0045 lies below.
    EXPECT_EQ(windowLogLine(1, 0.4375, 1, 1.0045, 0.0625, "."),
              "1   0.438     1   1.004    n=1    Cutoff = 0.063");
}

TEST(WindowLogLine, NegativeAgesLongIntegersAndTheUsersSeparator) {
    EXPECT_EQ(windowLogLine(1, -12.5, 3, -0.0001, 0.41, "."),
              "1   -12.500     3   0.000    n=3    Cutoff = 0.410");
    EXPECT_EQ(windowLogLine(10, 1234567.891, 5009, 98765432.1, 0, ","),
              "10   1234567,891     5009   98765432,100    n=5000    Cutoff = 0,000");
}

TEST(SummaryRow, ValuesInColumnOrderAndPositionsOutsideTheRangeRefused) {
    kestrel::ProfileData data;
    data.resize(2);
    data.AgeData[2] = 7;
    data.Curve1[2] = 0.1;
    data.Curve2[2] = 0.2;
    data.Difference[2] = 0.3;
    data.DifferenceW[2] = 0.4;
    data.Cutoff[2] = 0.5;
    data.CutoffW[2] = 0.6;
    EXPECT_EQ(kestrel::summaryRow(data, 2),
              (std::array<double, 7>{7, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6}));
    EXPECT_THROW(kestrel::summaryRow(data, 0), kestrel::KestrelError);
    EXPECT_THROW(kestrel::summaryRow(data, 3), kestrel::KestrelError);
    EXPECT_EQ(kestrel::summaryHeaders(),
              (std::array<std::string, 7>{"Age", "Curve 1", "Curve 2", "Difference",
                                          "Difference (W)", "Cutoff", "Cutoff (W)"}));
}
