// The numbers behind the distribution figures against scipy and numpy (figures_oracle.py):
// the peaks of real-looking KDE and PDP profiles (rows and grain counts), grains per age bin,
// the DKW band's half-width, and the refusals of bins and bands that do not read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/density/DensityProfiles.h"
#include "engine/figures/AgeBands.h"
#include "engine/figures/AgeBins.h"
#include "engine/figures/CumulativeBand.h"
#include "engine/figures/ProfilePeaks.h"
#include "engine/figures/SampleOrder.h"
#include "tests/engine/CommandOutput.h"

namespace {

using kestrel::GrainSample;

std::string oracle(const std::string& arguments) {
    return kestrel::testsupport::commandOutput("/usr/bin/python3 '" KESTREL_SOURCE_DIR
                                               "/tests/engine/figures/figures_oracle.py' " +
                                               arguments);
}

// Detrital samples: grains from a few age populations, 1-3% uncertainties, some ages repeated
// (so the profiles can have flat tops and ties at bin edges).
std::vector<GrainSample> detritalSamples() {
    std::mt19937_64 random(29);
    std::vector<GrainSample> samples;
    const std::vector<std::vector<double>> families{
        {320, 1050, 1850}, {560, 1000, 2700}, {300, 600, 2500, 2600}};
    for (size_t s = 0; s < 6; ++s) {
        GrainSample sample{"S" + std::to_string(s + 1), {}, {}};
        const auto& centres = families[s % families.size()];
        for (int g = 0; g < 60 + 40 * static_cast<int>(s); ++g) {
            const double centre = centres[static_cast<size_t>(g) % centres.size()];
            double age = std::normal_distribution<double>(centre, centre * 0.04)(random);
            if (g % 17 == 0) age = 600.0;  // on a bin edge
            sample.ages.push_back(age);
            sample.sigmas.push_back(age *
                                    std::uniform_real_distribution<double>(0.01, 0.03)(random));
        }
        samples.push_back(sample);
    }
    return samples;
}

std::string joined(const std::vector<double>& values) {
    std::ostringstream text;
    text.precision(17);
    for (size_t i = 0; i < values.size(); ++i) text << (i ? "," : "") << values[i];
    return text.str();
}

TEST(ProfilePeaks, MatchScipyFindPeaksAndDirectGrainCounts) {
    const std::vector<GrainSample> samples = detritalSamples();
    for (kestrel::DensityKind kind : {kestrel::DensityKind::Kde, kestrel::DensityKind::Pdp}) {
        kestrel::DensityOptions options;
        options.kind = kind;
        const kestrel::DensityProfiles profiles = kestrel::buildDensityProfiles(samples, options);
        std::vector<std::vector<double>> shown = profiles.profiles;
        // A flat top of four rows, counted once at its lower middle row.
        shown[0][100] = shown[0][101] = shown[0][102] = shown[0][103] = 150.0;
        std::string name = std::filesystem::temp_directory_path() / "kestrel-peaks-XXXXXX";
        close(mkstemp(name.data()));
        {
            std::ofstream file(name);
            for (size_t s = 0; s < samples.size(); ++s)
                file << "grid," << joined(profiles.ages) << "\nprofile," << joined(shown[s])
                     << "\nages," << joined(samples[s].ages) << "\n";
        }
        std::istringstream expected(oracle("peaks " + name + " 0,5,40"));
        for (double threshold : {0.0, 5.0, 40.0}) {
            size_t total = 0;
            for (size_t s = 0; s < samples.size(); ++s) {
                const auto peaks =
                    kestrel::findProfilePeaks(profiles.ages, shown[s], samples[s].ages, threshold);
                std::ostringstream got;
                got << "peaks";
                for (const kestrel::ProfilePeak& peak : peaks) {
                    got << " " << peak.row << ":" << peak.grains;
                    EXPECT_EQ(peak.age, profiles.ages[peak.row]);
                    EXPECT_GE(peak.height, threshold);
                }
                std::string line;
                ASSERT_TRUE(std::getline(expected, line)) << "the oracle did not answer";
                EXPECT_EQ(got.str(), line) << samples[s].name << " threshold " << threshold;
                total += peaks.size();
            }
            EXPECT_GT(total, samples.size()) << "too few peaks to judge";
        }
        std::filesystem::remove(name);
    }
}

TEST(AgeBins, CountAsNumpyHistogramWithTheLastBinClosed) {
    const std::vector<double> edges = kestrel::parseBinEdges("0, 300,600,1000,1300,2000,2600");
    std::string name = std::filesystem::temp_directory_path() / "kestrel-bins-XXXXXX";
    close(mkstemp(name.data()));
    std::vector<std::string> got;
    {
        std::ofstream file(name);
        for (const GrainSample& sample : detritalSamples()) {
            std::vector<double> ages = sample.ages;
            ages.insert(ages.end(), {2600.0, 2600.0001, -5.0, 0.0});  // last edge, beyond, below
            file << joined(ages) << "\n";
            const kestrel::BinCounts counts = kestrel::countInBins(ages, edges);
            std::ostringstream line;
            for (int count : counts.counts) line << count << " ";
            line << counts.outside;
            got.push_back(line.str());
            EXPECT_EQ(counts.grains, static_cast<int>(ages.size()));
        }
    }
    std::istringstream expected(oracle("bins " + joined(edges) + " " + name));
    for (const std::string& line : got) {
        std::string oracleLine;
        ASSERT_TRUE(std::getline(expected, oracleLine)) << "the oracle did not answer";
        EXPECT_EQ(line, oracleLine);
    }
    std::filesystem::remove(name);
    EXPECT_EQ(kestrel::binLabel(0, 300), "0-300");
    EXPECT_EQ(kestrel::binLabel(2.5, 10), "2.5-10");
}

TEST(CumulativeBand, DkwHalfWidthSolvesItsInequalityAndStepsAreRightContinuous) {
    for (int n : {1, 20, 75, 1000}) {
        EXPECT_NEAR(kestrel::dkwHalfWidth(n), std::stod(oracle("dkw " + std::to_string(n))), 1e-14)
            << n;
    }
    const kestrel::CumulativeSteps steps = kestrel::cumulativeSteps({5, 1, 3, 3, 9});
    EXPECT_EQ(steps.ages, (std::vector<double>{1, 3, 5, 9}));
    EXPECT_EQ(steps.shares, (std::vector<double>{0.2, 0.6, 0.8, 1.0}));
}

TEST(FigureChoices, RefusalsNameWhatDoesNotRead) {
    const auto refusal = [](auto parse) -> std::string {
        try {
            parse();
        } catch (const kestrel::KestrelError& error) {
            return error.what();
        }
        return "accepted";
    };
    EXPECT_EQ(refusal([] { kestrel::parseBinEdges("0,600,300"); }),
              "The bin edges must ascend: 300 follows 600");
    EXPECT_EQ(refusal([] { kestrel::parseBinEdges("0,300,300"); }),
              "The bin edges must ascend: 300 follows 300");
    EXPECT_NE(refusal([] { kestrel::parseBinEdges("0,abc"); }).find("\"abc\" is not a number"),
              std::string::npos);
    EXPECT_EQ(refusal([] { kestrel::parseBinEdges("100"); }),
              "The bins need at least two edges, e.g. 0,300,600,1000");
    EXPECT_EQ(refusal([] {
                  kestrel::parseAgeBands("Grenville:1300-1000");
              }).find("The age band \"Grenville:1300-1000\" has its ends swapped"),
              0u);
    EXPECT_NE(refusal([] { kestrel::parseAgeBands("Grenville:1000"); }).find("has no range"),
              std::string::npos);
    const auto bands = kestrel::parseAgeBands("Grenville:1000-1300, Pan-African:500-650,10-20");
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[1].label, "Pan-African");
    EXPECT_EQ(bands[1].low, 500);
    EXPECT_EQ(bands[2].label, "");
    EXPECT_EQ(bands[2].high, 20);
    const std::vector<GrainSample> samples = detritalSamples();
    EXPECT_EQ(kestrel::sampleOrder(samples, "S3, S1"), (std::vector<size_t>{2, 0, 1, 3, 4, 5}));
    EXPECT_EQ(refusal([&] { kestrel::sampleOrder(samples, "S3,S9"); }),
              "No sample is named \"S9\"; the order names samples as the workbook does");
    EXPECT_EQ(refusal([&] { kestrel::sampleOrder(samples, "S3,S3"); }),
              "The sample \"S3\" is named twice in the order");
}

}  // namespace
