// Synthetic detrital zircon samples: grain ages drawn from mixtures of Gaussian populations.
#include "tools/samples/SampleGrainAges.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/samples/Lcg.h"

namespace kestrel::samples {
namespace {

struct Population {
    double centre, spread, weight;  // Ma, Ma (standard deviation), share of the grains
};

// Two source areas; the mixed samples add a fifth of the other area's grains.
const std::vector<Population> kSourceA = {
    {320, 15, 0.15}, {600, 40, 0.30}, {1050, 60, 0.35}, {1850, 70, 0.20}};
const std::vector<Population> kSourceB = {
    {560, 30, 0.20}, {1000, 50, 0.15}, {2050, 80, 0.30}, {2700, 60, 0.35}};
constexpr int kSamples = 8;
constexpr int kFewestGrains = 60;
constexpr int kMostGrains = 120;

// A standard normal draw as the sum of twelve uniform ones less six: exact arithmetic only, so
// that no platform's exp or log changes an age.
double normalDraw(Lcg& random) {
    double sum = -6.0;
    for (int i = 0; i < 12; ++i) sum += random.next();
    return sum;
}

const Population& drawPopulation(const std::vector<Population>& source, Lcg& random) {
    const double u = random.next();
    double below = 0;
    for (const Population& p : source) {
        below += p.weight;
        if (u < below) return p;
    }
    return source.back();
}

double tenths(double value) {
    return std::round(value * 10) / 10;
}

GrainSample drawSample(int index, Lcg& random) {
    GrainSample sample;
    char name[16];  // room for any int, as the compiler checks
    std::snprintf(name, sizeof name, "DZ%02d", index + 1);
    sample.name = name;
    const bool second = index >= kSamples / 2;
    const bool mixed = index % (kSamples / 2) == kSamples / 2 - 1;
    const int grains =
        kFewestGrains + static_cast<int>(random.next() * (kMostGrains - kFewestGrains + 1));
    for (int g = 0; g < grains; ++g) {
        const bool other = mixed && random.next() < 0.2;
        const auto& source = second != other ? kSourceB : kSourceA;
        const Population& p = drawPopulation(source, random);
        const double age = std::max(1.0, tenths(p.centre + p.spread * normalDraw(random)));
        sample.ages.push_back(age);
        sample.sigmas.push_back(tenths((0.015 * age + 4.0) * (0.8 + 0.4 * random.next())));
    }
    return sample;
}

void setText(SpreadsheetCore& book, int row, int col, const std::string& text) {
    book.SetRow(row);
    book.SetCol(col);
    book.SetText(text);
}

void setNumber(SpreadsheetCore& book, int row, int col, double value) {
    book.SetRow(row);
    book.SetCol(col);
    book.SetNumber(value);
}

}  // namespace

std::vector<GrainSample> sampleGrainAges() {
    Lcg random(20261208u);
    std::vector<GrainSample> samples;
    for (int s = 0; s < kSamples; ++s) samples.push_back(drawSample(s, random));
    return samples;
}

void fillGrainAgesWorkbook(SpreadsheetCore& book, const std::vector<GrainSample>& samples) {
    book.SetSheetName(1, "Ages");
    book.AppendSheet(Worksheet("Errors"));
    book.AppendSheet(Worksheet("Grains"));
    for (int s = 0; s < static_cast<int>(samples.size()); ++s) {
        const GrainSample& sample = samples[static_cast<size_t>(s)];
        for (int sheet = 1; sheet <= 2; ++sheet) {
            book.SetSheet(sheet);
            setText(book, 1, s + 1, sample.name);
            const auto& values = sheet == 1 ? sample.ages : sample.sigmas;
            for (size_t g = 0; g < values.size(); ++g) {
                setNumber(book, static_cast<int>(g) + 2, s + 1, values[g]);
            }
        }
    }
    book.SetSheet(3);
    const char* headings[] = {"Sample", "Age", "1s"};
    for (int col = 1; col <= 3; ++col) setText(book, 1, col, headings[col - 1]);
    int row = 2;
    for (const GrainSample& sample : samples) {
        for (size_t g = 0; g < sample.ages.size(); ++g, ++row) {
            setText(book, row, 1, sample.name);
            setNumber(book, row, 2, sample.ages[g]);
            setNumber(book, row, 3, sample.sigmas[g]);
        }
    }
    book.SetSheet(1);
    book.SetRow(1);
    book.SetCol(1);
}

}  // namespace kestrel::samples
