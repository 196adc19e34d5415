// Families of Gaussian-peak profiles with deterministic jitter.
#include "tools/samples/ManyProfiles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/samples/Lcg.h"

namespace kestrel::samples {
namespace {

struct Peak {
    double centre, width, height;  // age units, age units (standard deviation), profile units
};

constexpr double kLastAge = 4000;
constexpr int kFamilies = 4;

// Each family shares a peak near 1100 and differs in the others.
const std::array<std::vector<Peak>, kFamilies> kFamilyPeaks{{
    {{350, 40, 12}, {1100, 60, 28}, {2700, 70, 36}},
    {{1100, 60, 30}, {1850, 35, 22}, {2750, 80, 20}},
    {{600, 50, 25}, {1100, 60, 14}, {3400, 60, 30}},
    {{1100, 60, 10}, {2100, 90, 34}, {3500, 50, 15}},
}};

// One sample's peaks: its family's, moved by up to +-60 age units and scaled by 0.7 to 1.3.
std::vector<Peak> samplePeaks(int32_t sample, Lcg& jitter) {
    std::vector<Peak> peaks = kFamilyPeaks[static_cast<size_t>(sample % kFamilies)];
    for (Peak& p : peaks) {
        p.centre += 120 * (jitter.next() - 0.5);
        p.height *= 0.7 + 0.6 * jitter.next();
    }
    return peaks;
}

double valueAt(const std::vector<Peak>& peaks, double age, double noise) {
    double sum = 0.1 + 0.8 * noise;
    for (const Peak& p : peaks) {
        const double z = (age - p.centre) / p.width;
        sum += p.height * std::exp(-0.5 * z * z);
    }
    return std::round(std::max(0.0, sum) * 1000) / 1000;
}

std::string sampleName(int32_t sample) {
    char name[32];
    std::snprintf(name, sizeof name, "S%02d-%c", sample + 1, 'A' + sample % kFamilies);
    return name;
}

}  // namespace

void fillManyProfilesSheet(SpreadsheetCore& book, int32_t profiles, int32_t rows) {
    book.SetSheet(1);
    book.SetSheetName(1, "Samples");
    book.SetRow(1);
    book.SetCol(1);
    book.SetText("Age");
    Lcg jitter(20260407u);
    std::vector<std::vector<Peak>> peaks;
    for (int32_t s = 0; s < profiles; ++s) {
        book.SetCol(s + 2);
        book.SetText(sampleName(s));
        peaks.push_back(samplePeaks(s, jitter));
    }
    Lcg noise(19990921u);
    std::vector<double> values(static_cast<size_t>(profiles) + 1);
    for (int32_t r = 0; r < rows; ++r) {
        const double age = rows == 1 ? 0.0 : std::round(kLastAge * r / (rows - 1) * 1000) / 1000;
        values[0] = age;
        for (int32_t s = 0; s < profiles; ++s) {
            values[static_cast<size_t>(s) + 1] =
                valueAt(peaks[static_cast<size_t>(s)], age, noise.next());
        }
        book.SetRowNumbers(r + 2, 1, values);
    }
    book.SetRow(1);
    book.SetCol(1);
}

}  // namespace kestrel::samples
