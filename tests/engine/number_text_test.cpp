// The whole-number and real-number rules and fixed-decimal formatting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/NumberText.h"

using kestrel::formatFixed;
using kestrel::parseRealNumber;
using kestrel::parseWholeNumber;

TEST(WholeNumber, DecimalWithLeadingSpacesAndSign) {
    EXPECT_EQ(parseWholeNumber("42"), 42);
    EXPECT_EQ(parseWholeNumber("   7"), 7);
    EXPECT_EQ(parseWholeNumber("-15"), -15);
    EXPECT_EQ(parseWholeNumber("+15"), 15);
    EXPECT_EQ(parseWholeNumber("007"), 7);
}

TEST(WholeNumber, HexadecimalAfterDollarXOr0x) {
    EXPECT_EQ(parseWholeNumber("0x400"), 1024);
    EXPECT_EQ(parseWholeNumber("0X400"), 1024);
    EXPECT_EQ(parseWholeNumber("x1F"), 31);
    EXPECT_EQ(parseWholeNumber("X1f"), 31);
    EXPECT_EQ(parseWholeNumber("$ff"), 255);
    EXPECT_EQ(parseWholeNumber("-$10"), -16);
    EXPECT_EQ(parseWholeNumber("$7FFFFFFF"), 2147483647);
}

TEST(WholeNumber, RejectsWhatIsNotAWholeNumber) {
    for (const char* text : {"", " ", "-", "+", "12 ", "1.0", "1e2", "abc", "wide", "$", "0x", "x",
                             "$fg", "1,000", "--1", "\t5"}) {
        EXPECT_FALSE(parseWholeNumber(text).has_value()) << '"' << text << '"';
    }
}

TEST(WholeNumber, MustFitSigned32Bits) {
    EXPECT_EQ(parseWholeNumber("2147483647"), 2147483647);
    EXPECT_EQ(parseWholeNumber("-2147483648"), INT32_MIN);
    EXPECT_FALSE(parseWholeNumber("2147483648").has_value());
    EXPECT_FALSE(parseWholeNumber("-2147483649").has_value());
    EXPECT_FALSE(parseWholeNumber("$80000000").has_value());
    EXPECT_FALSE(parseWholeNumber("99999999999999999999999").has_value());
}

TEST(RealNumber, AcceptsDigitsFractionAndExponent) {
    EXPECT_EQ(parseRealNumber("10.0"), 10.0);
    EXPECT_EQ(parseRealNumber("1e1"), 10.0);
    EXPECT_EQ(parseRealNumber("1E2"), 100.0);
    EXPECT_EQ(parseRealNumber(" 7"), 7.0);
    EXPECT_EQ(parseRealNumber("-2.5e-1"), -0.25);
    EXPECT_EQ(parseRealNumber("+3."), 3.0);
    EXPECT_EQ(parseRealNumber(".5"), 0.5);
    EXPECT_EQ(parseRealNumber("0.1"), 0.1);  // correctly rounded, to the last bit
    EXPECT_EQ(parseRealNumber("1e-400"), 0.0);
}

TEST(RealNumber, RejectsCommaTrailingCharactersAndOverflow) {
    for (const char* text : {"", " ", "100,0", "50a", "1e", "1e+", "e5", ".", "-", "1.0 ", "1..0",
                             "nan", "inf", "0x10", "1e400", "--1"}) {
        EXPECT_FALSE(parseRealNumber(text).has_value()) << '"' << text << '"';
    }
}

TEST(FixedFormat, RoundsHalfAwayFromZero) {
    EXPECT_EQ(formatFixed(10, 2), "10.00");
    EXPECT_EQ(formatFixed(0.5, 2), "0.50");
    EXPECT_EQ(formatFixed(1234.567, 2), "1234.57");
    EXPECT_EQ(formatFixed(7.456, 2), "7.46");
    EXPECT_EQ(formatFixed(0.125, 2), "0.13");  // an exact binary tie rounds away from zero
    EXPECT_EQ(formatFixed(-0.125, 2), "-0.13");
    EXPECT_EQ(formatFixed(2.675, 2), "2.67");  // 2.675 is stored just below the tie
    EXPECT_EQ(formatFixed(9.9999, 3), "10.000");
    EXPECT_EQ(formatFixed(-12.5, 3), "-12.500");
    EXPECT_EQ(formatFixed(123456789.0, 3), "123456789.000");
    EXPECT_EQ(formatFixed(-0.0001, 2), "0.00");
    EXPECT_EQ(formatFixed(0.5, 3, ","), "0,500");
    EXPECT_EQ(formatFixed(1e300, 0).size(), 301u);
}

// Reference: round the full exact expansion by hand.
static std::string referenceFixed(double v, int decimals) {
    std::vector<char> buffer(1500);
    std::snprintf(buffer.data(), buffer.size(), "%.1100f", std::fabs(v));
    std::string exact(buffer.data());
    const size_t point = exact.find('.');
    std::string digits = exact.substr(0, point) + exact.substr(point + 1, decimals);
    if (exact[point + 1 + decimals] >= '5') {
        int j = static_cast<int>(digits.size()) - 1;
        while (j >= 0 && digits[j] == '9') digits[j--] = '0';
        if (j < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[j];
    }
    std::string result = digits.substr(0, digits.size() - decimals);
    if (decimals > 0) result += "." + digits.substr(digits.size() - decimals);
    if (v < 0 && digits.find_first_not_of('0') != std::string::npos) result.insert(0, "-");
    return result;
}

TEST(FixedFormat, AgreesWithTheExactExpansionOnTiesAndRandomValues) {
    std::vector<double> values;
    for (int i = -2000; i <= 2000; ++i) values.push_back(i / 8.0);  // many exact ties
    for (int i = 0; i < 2000; ++i) values.push_back(i * 0.001 + 0.0005);
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (int i = 0; i < 5000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        double v;
        uint64_t bits = state;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v)) values.push_back(v);
        values.push_back(static_cast<double>(state >> 11) / 1e6 - 4e6);
    }
    for (double v : values) {
        for (int d : {0, 2, 3}) ASSERT_EQ(formatFixed(v, d), referenceFixed(v, d)) << v << " " << d;
    }
}
