// The measures beyond D against numpy written from their definitions
// (tests/engine/measures_oracle.py): skewed, disjoint, identical and all-zero profiles and a
// family of detrital-like ones, with ascending and with shuffled ages; Wasserstein-2 of age
// lists; the matrix of every measure and its refusals.
#include "engine/measures/Measures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>

#include "engine/KestrelError.h"
#include "engine/comparison/MeasureMatrix.h"
#include "engine/measures/GrainMatrix.h"
#include "engine/measures/Kuiper.h"
#include "engine/measures/KuiperV.h"
#include "engine/measures/SampleDistance.h"
#include "engine/measures/Wasserstein.h"
#include "tests/engine/CommandOutput.h"

namespace {

using kestrel::Measure;

std::string oracle(const std::string& mode, const std::string& path) {
    const std::string command = "/usr/bin/python3 '" KESTREL_SOURCE_DIR
                                "/tests/engine/measures_oracle.py' " +
                                mode + " '" + path + "'";
    return kestrel::testsupport::commandOutput(command);
}

// A folder of its own, removed with it.
struct ScratchDir {
    std::filesystem::path path;
    ScratchDir() {
        std::string name = (std::filesystem::temp_directory_path() / "kestrel-measures-XXXXXX");
        path = mkdtemp(name.data());
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    std::string filePath(const char* name) const { return (path / name).string(); }
};

struct Profiles {
    std::vector<double> ages;
    std::vector<std::vector<double>> columns;
};

// 300 rows: a skewed and a symmetric peak, two profiles with no row in common, a copy, a
// profile of zeros and eight detrital-like mixtures.
Profiles testProfiles() {
    Profiles p;
    const int rows = 300;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> centre(20, 280), width(3, 30), weight(0.2, 1);
    p.columns.assign(6, std::vector<double>(rows, 0.0));
    for (int r = 0; r < rows; ++r) {
        const double age = 100 + 2.5 * r;
        p.ages.push_back(age);
        p.columns[0][r] = r < 40 ? 0 : std::exp(-(r - 40) / 25.0);
        p.columns[1][r] = std::exp(-std::pow((r - 150) / 30.0, 2));
        p.columns[2][r] = r < 140 ? std::exp(-std::pow((r - 70) / 20.0, 2)) : 0;
        p.columns[3][r] = r >= 160 ? std::exp(-std::pow((r - 230) / 20.0, 2)) : 0;
        p.columns[4][r] = p.columns[1][r];
    }
    for (int s = 0; s < 8; ++s) {
        std::vector<double> column(rows, 0.0);
        for (int peak = 0; peak < 3; ++peak) {
            const double c = centre(random), w = width(random), h = weight(random);
            for (int r = 0; r < rows; ++r) column[r] += h * std::exp(-std::pow((r - c) / w, 2));
        }
        p.columns.push_back(column);
    }
    return p;
}

std::string writeCsv(const ScratchDir& dir, const char* name, const Profiles& p) {
    const std::string path = dir.filePath(name);
    std::ofstream out(path);
    out.precision(17);
    out << "Age";
    for (size_t c = 0; c < p.columns.size(); ++c) out << ",P" << c;
    out << "\n";
    for (size_t r = 0; r < p.ages.size(); ++r) {
        out << p.ages[r];
        for (const auto& column : p.columns) out << "," << column[r];
        out << "\n";
    }
    return path;
}

void expectAgreement(const Profiles& p, const std::string& oracleText) {
    const std::vector<size_t> order = kestrel::ascendingAgeOrder(p.ages);
    std::vector<double> sorted;
    for (const size_t r : order) sorted.push_back(p.ages[r]);
    std::vector<kestrel::PreparedProfile> prepared;
    for (const auto& column : p.columns) prepared.push_back(kestrel::prepareProfile(column, order));
    std::istringstream lines(oracleText);
    int pairs = 0;
    for (std::string line; std::getline(lines, line); ++pairs) {
        std::istringstream in(line);
        size_t i = 0, j = 0;
        in >> i >> j;
        for (const kestrel::MeasureInfo& info : kestrel::allMeasures()) {
            if (!info.ofProfiles) continue;  // a measure of grain ages alone
            std::string text;
            in >> text;
            const double expected = std::stod(text);
            const double got = info.ofProfiles(prepared[i], prepared[j], sorted);
            SCOPED_TRACE(std::string(info.name) + " of " + std::to_string(i) + ", " +
                         std::to_string(j));
            if (std::isnan(expected)) {
                EXPECT_TRUE(std::isnan(got)) << got;
            } else {
                EXPECT_NEAR(got, expected, 1e-12 * std::max(1.0, std::fabs(expected)));
            }
        }
    }
    EXPECT_EQ(pairs, static_cast<int>(p.columns.size() * (p.columns.size() - 1) / 2));
}

TEST(Measures, AgreeWithNumpyOnEveryKindOfProfile) {
    ScratchDir dir;
    const Profiles p = testProfiles();
    expectAgreement(p, oracle("profiles", writeCsv(dir, "p.csv", p)));
    // The rows shuffled: the distributions over the ages are the same, the curves are not.
    Profiles shuffled = p;
    std::vector<size_t> rows(p.ages.size());
    for (size_t r = 0; r < rows.size(); ++r) rows[r] = (r * 7) % rows.size();
    for (size_t r = 0; r < rows.size(); ++r) {
        shuffled.ages[r] = p.ages[rows[r]];
        for (size_t c = 0; c < p.columns.size(); ++c)
            shuffled.columns[c][r] = p.columns[c][rows[r]];
    }
    expectAgreement(shuffled, oracle("profiles", writeCsv(dir, "s.csv", shuffled)));

    // What the special profiles give, as the measures' headers say.
    const std::vector<size_t> order = kestrel::ascendingAgeOrder(p.ages);
    const auto prepared = [&](size_t c) { return kestrel::prepareProfile(p.columns[c], order); };
    const auto value = [&](Measure m, size_t a, size_t b) {
        return kestrel::measureInfo(m).ofProfiles(prepared(a), prepared(b), p.ages);
    };
    EXPECT_NEAR(value(Measure::Similarity, 1, 4), 1.0, 1e-8);
    EXPECT_NEAR(value(Measure::Likeness, 1, 4), 1.0, 1e-15);
    EXPECT_NEAR(value(Measure::CrossCorrelation, 1, 4), 1.0, 1e-15);
    EXPECT_EQ(value(Measure::Wasserstein2, 1, 4), 0.0);
    EXPECT_EQ(value(Measure::Similarity, 2, 3), 0.0);
    EXPECT_NEAR(value(Measure::Likeness, 2, 3), 0.0, 1e-8);
    EXPECT_NEAR(value(Measure::KuiperV, 2, 3), 1.0, 1e-8);
    EXPECT_EQ(value(Measure::CrossCorrelation, 5, 1), 0.0) << "a profile of zeros";
}

TEST(Measures, Wasserstein2OfAgeListsAgreesWithNumpy) {
    ScratchDir dir;
    std::mt19937 random(5);
    std::vector<std::vector<double>> samples;
    for (const int n : {7, 30, 45, 45}) {
        std::normal_distribution<double> age(n * 10.0, 40.0);
        std::vector<double> sample;
        for (int k = 0; k < n; ++k) sample.push_back(std::round(age(random)));  // ties, too
        samples.push_back(sample);
    }
    const std::string path = dir.filePath("ages.csv");
    std::ofstream out(path);
    out.precision(17);
    out << "A,B,C,D\n";
    for (size_t r = 0; r < 45; ++r) {
        for (size_t s = 0; s < samples.size(); ++s) {
            out << (s ? "," : "") << (r < samples[s].size() ? std::to_string(samples[s][r]) : "");
        }
        out << "\n";
    }
    out.close();
    std::istringstream lines(oracle("ages", path));
    int pairs = 0;
    for (size_t i = 0, j = 0; lines >> i >> j; ++pairs) {
        double expected = 0;
        lines >> expected;
        auto a = samples[i], b = samples[j];
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        EXPECT_NEAR(kestrel::wasserstein2OfAges(a, b), expected, 1e-12 * expected) << i << j;
    }
    EXPECT_EQ(pairs, 6);
}

TEST(Measures, MatrixOfEveryMeasureAndItsRefusals) {
    const Profiles p = testProfiles();
    kestrel::ProfileSamples samples;
    samples.NumRows = static_cast<int32_t>(p.ages.size());
    samples.ages.assign(1, 0.0);
    samples.ages.insert(samples.ages.end(), p.ages.begin(), p.ages.end());
    for (size_t c = 0; c < p.columns.size(); ++c) {
        samples.names.push_back("P" + std::to_string(c));
        std::vector<double> values{0.0};
        values.insert(values.end(), p.columns[c].begin(), p.columns[c].end());
        samples.values.push_back(values);
    }
    samples.grains = std::vector<int32_t>(p.columns.size(), 50);
    kestrel::ProfileMatrix matrix = kestrel::compareAllPairs(samples);
    const auto all = kestrel::parseMeasureList("all");
    try {
        kestrel::addProfileMeasures(matrix, samples, all);
        FAIL() << "W2 of a profile of zeros";
    } catch (const kestrel::KestrelError& e) {
        EXPECT_STREQ(e.what(),
                     "W2 has no value for P5: the profile is all zeros and holds no mass "
                     "to move");
    }
    matrix.measures.resize(1);  // D alone
    kestrel::addProfileMeasures(matrix, samples, kestrel::parseMeasureList("v,s,r2"));
    ASSERT_EQ(matrix.measures.size(), 4u);
    const auto& v = matrix.measures[1];
    ASSERT_TRUE(v.p);
    const std::vector<size_t> order = kestrel::ascendingAgeOrder(p.ages);
    const auto a = kestrel::prepareProfile(p.columns[6], order);
    const auto b = kestrel::prepareProfile(p.columns[9], order);
    EXPECT_EQ(v.values.at(6, 9), kestrel::kuiperVOfProfiles(a, b));
    EXPECT_EQ(v.p->at(6, 9), kestrel::kuiperP(50, 50, v.values.at(6, 9)));
    EXPECT_EQ(matrix.measures[2].values.at(3, 3), 1.0) << "a likeness of a profile with itself";
    const kestrel::SquareMatrix d = kestrel::dissimilaritiesOf(matrix, Measure::Similarity);
    EXPECT_EQ(d.at(6, 9), 1.0 - matrix.measures[2].values.at(6, 9));
    EXPECT_EQ(d.at(2, 2), 0.0);
    EXPECT_EQ(kestrel::dissimilaritiesOf(matrix, Measure::KsD).values, matrix.D().values);

    samples.ages.clear();
    EXPECT_THROW(kestrel::addProfileMeasures(matrix, samples, {Measure::Wasserstein2}),
                 kestrel::KestrelError);
    EXPECT_THROW(kestrel::parseMeasureList("d,ks"), kestrel::KestrelError);
    EXPECT_EQ(kestrel::parseMeasureList("w2,d,w2").size(), 2u);
}

// Kuiper's tail probability by Stephens' formula for an effective size `ne`.
double stephensKuiperP(double ne, double v) {
    const double root = std::sqrt(ne), lambda = (root + 0.155 + 0.24 / root) * v;
    double sum = 0.0;
    for (int j = 1; j <= 100; ++j) {
        const double jj = double(j) * j;
        sum += 2.0 * (4.0 * jj * lambda * lambda - 1.0) * std::exp(-2.0 * jj * lambda * lambda);
    }
    return sum;
}

std::string refusal(const std::function<void()>& work) {
    try {
        work();
    } catch (const kestrel::KestrelError& e) {
        return e.what();
    }
    return "(accepted)";
}

// What the oracles' profiles do not reach: a negative value, two different grain counts, a
// sample against itself, an empty list, a value that is not a number.
TEST(Measures, NegativeValuesGrainCountsDiagonalsAndRefusals) {
    // Age,P1,P2 / 100,2,1 / 200,-1,1 / 300,2,1: the negative row is no share of Similarity.
    const std::vector<double> ages{100.0, 200.0, 300.0};
    const std::vector<size_t> order = kestrel::ascendingAgeOrder(ages);
    const auto p1 = kestrel::prepareProfile(std::vector<double>{2.0, -1.0, 2.0}, order);
    const auto p2 = kestrel::prepareProfile(std::vector<double>{1.0, 1.0, 1.0}, order);
    EXPECT_NEAR(kestrel::measureInfo(Measure::Similarity).ofProfiles(p1, p2, ages),
                2.0 * std::sqrt(2.0 / 9.0), 1e-9);

    // Age,P1,P2 / 1,1,2 / 2,1,1 / 3,1,1 / 4,1,0 with 30 and 60 grains: ne = 30 * 60 / 90 = 20.
    kestrel::ProfileSamples samples;
    samples.names = {"P1", "P2"};
    samples.NumRows = 4;
    samples.ages = {0.0, 1.0, 2.0, 3.0, 4.0};
    samples.values = {{0.0, 1.0, 1.0, 1.0, 1.0}, {0.0, 2.0, 1.0, 1.0, 0.0}};
    samples.grains = std::vector<int32_t>{30, 60};
    kestrel::ProfileMatrix matrix;
    kestrel::addProfileMeasures(matrix, samples, {Measure::KuiperV});
    ASSERT_EQ(matrix.measures.size(), 1u);
    const double v = matrix.measures[0].values.at(0, 1);
    EXPECT_NEAR(v, 0.25, 1e-8);
    ASSERT_TRUE(matrix.measures[0].p);
    EXPECT_NEAR(matrix.measures[0].p->at(0, 1), stephensKuiperP(20.0, v), 1e-12);
    EXPECT_NEAR(matrix.measures[0].p->at(1, 0), 0.5796852054011022, 1e-9);
    // Every measure's diagonal holds what it gives for a profile and itself, which no other
    // profile is less dissimilar to.
    kestrel::ProfileMatrix every;
    std::vector<Measure> ofProfiles;
    for (const kestrel::MeasureInfo& info : kestrel::allMeasures())
        if (info.ofProfiles) ofProfiles.push_back(info.measure);
    kestrel::addProfileMeasures(every, samples, ofProfiles);
    const std::vector<double> rowAges(samples.ages.begin() + 1, samples.ages.end());
    const auto self = kestrel::prepareProfile(
        std::vector<double>(samples.values[1].begin() + 1, samples.values[1].end()),
        kestrel::ascendingAgeOrder(rowAges));
    for (const kestrel::MeasureMatrix& m : every.measures) {
        const kestrel::MeasureInfo& info = kestrel::measureInfo(m.measure);
        EXPECT_NEAR(m.values.at(1, 1), info.ofProfiles(self, self, rowAges), 1e-8) << info.name;
        const kestrel::SquareMatrix d = kestrel::dissimilaritiesOf(every, m.measure);
        EXPECT_NEAR(d.at(1, 1), 0.0, 1e-8) << info.name;
        EXPECT_GT(d.at(0, 1), d.at(1, 1)) << info.name;
    }

    // The grain tests of a sample against itself: D and V 0, p 1.
    const kestrel::ProfileMatrix grains = kestrel::compareAllGrainPairs(
        {{"A", {1.0, 2.0, 3.0}, {}}, {"B", {2.5, 4.0}, {}}, {"C", {0.5, 9.0, 7.0, 3.0}, {}}});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(grains.D().at(i, i), 0.0);
        EXPECT_EQ(grains.p()->at(i, i), 1.0);
        EXPECT_EQ(grains.find(Measure::KuiperV)->values.at(i, i), 0.0);
    }

    EXPECT_EQ(refusal([] { kestrel::parseMeasureList(""); }),
              "Give at least one measure: d, v, s, l, r2, w2, sh or all");
    EXPECT_EQ(refusal([] { kestrel::parseMeasureList("d,"); }), "(accepted)");
    EXPECT_EQ(refusal([] { kestrel::parseMeasureList(","); }),
              "Unknown measure \"\": give d, v, s, l, r2, w2 or sh, separated by commas, or all");
    // A value that is not a number cannot be walked past: refused, never a walk without end.
    const auto nan = kestrel::prepareProfile(std::vector<double>{1.0, NAN, 1.0}, order);
    EXPECT_NE(refusal([&] {
                  kestrel::wasserstein2OfProfiles(nan, p2, ages);
              }).find("W2 could not be computed"),
              std::string::npos);
    const std::vector<double> one{1.0}, notANumber{NAN};
    EXPECT_NE(
        refusal([&] { kestrel::sortedSampleGaps(notANumber, one); }).find("could not be compared"),
        std::string::npos);
}

}  // namespace
