// Synthetic profile pairs: Gaussian peaks on a low noisy baseline.
#include "tools/samples/SampleProfiles.h"

#include <algorithm>
#include <cmath>

#include "tools/samples/Lcg.h"

namespace kestrel::samples {
namespace {

struct Peak {
    double centre, width, height;  // age units, age units (standard deviation), profile units
};

// Shared by both profiles except the fourth, which profile 2 has later and lower: the windows
// around the other peaks agree, the one around the fourth does not.
constexpr Peak kPeaks[] = {
    {350, 40, 12}, {1100, 60, 28}, {1850, 35, 18}, {2700, 70, 36}, {3500, 50, 9},
};
constexpr Peak kShiftedPeak = {2790, 80, 30};
constexpr int kShiftedIndex = 3;
constexpr double kLastAge = 4000;

double peakSum(double age, bool second) {
    double sum = 0;
    for (int i = 0; i < static_cast<int>(std::size(kPeaks)); ++i) {
        const Peak& p = second && i == kShiftedIndex ? kShiftedPeak : kPeaks[i];
        const double z = (age - p.centre) / p.width;
        sum += p.height * std::exp(-0.5 * z * z);
    }
    return sum;
}

double roundedValue(double value) {
    return std::round(std::max(0.0, value) * 1000) / 1000;
}

std::vector<ProfileRow> profilesAt(const std::vector<double>& ages) {
    Lcg noise1(20240611u), noise2(19870402u);
    std::vector<ProfileRow> rows;
    rows.reserve(ages.size());
    for (double age : ages) {
        // Baseline noise between 0.1 and 0.9: well below the default baseline height of 2.
        const double y1 = peakSum(age, false) + 0.1 + 0.8 * noise1.next();
        const double y2 = peakSum(age, true) + 0.1 + 0.8 * noise2.next();
        rows.push_back({age, roundedValue(y1), roundedValue(y2)});
    }
    return rows;
}

}  // namespace

std::vector<ProfileRow> sampleProfiles(double ageStep) {
    std::vector<double> ages;
    for (int i = 0; i * ageStep <= kLastAge; ++i) ages.push_back(i * ageStep);
    return profilesAt(ages);
}

std::vector<ProfileRow> sampleProfilesOfLength(int32_t rows) {
    std::vector<double> ages;
    ages.reserve(static_cast<size_t>(std::max(rows, 0)));
    for (int32_t i = 0; i < rows; ++i) {
        ages.push_back(rows == 1 ? 0.0 : std::round(kLastAge * i / (rows - 1) * 1000) / 1000);
    }
    return profilesAt(ages);
}

void fillProfileSheet(SpreadsheetCore& book, const std::vector<ProfileRow>& rows) {
    book.SetSheet(1);
    book.SetSheetName(1, "Profiles");
    const char* headers[] = {"Age", "Y data (1)", "Y data (2)"};
    book.SetRow(1);
    for (int col = 1; col <= 3; ++col) {
        book.SetCol(col);
        book.SetText(headers[col - 1]);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        book.SetRow(static_cast<int>(i) + 2);
        const double values[] = {rows[i].age, rows[i].y1, rows[i].y2};
        for (int col = 1; col <= 3; ++col) {
            book.SetCol(col);
            book.SetNumber(values[col - 1]);
        }
    }
    book.SetRow(1);
    book.SetCol(1);
}

}  // namespace kestrel::samples
