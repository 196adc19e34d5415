// The samples the depositional tests fit, written to a .csv, and the Python oracle
// (likelihood_oracle.py) that fits them with scipy: its answer as rows of numbers.
#pragma once

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/density/GrainSample.h"
#include "tests/engine/CommandOutput.h"

namespace kestrel::testsupport {

/// @brief `grains` ages around each of `ages` in turn (by `shares` of the grains), each scattered
/// by its own 1-sigma of `relative` of the age (uniform in [relative, 2 relative]), and with
/// a share `older` of ages spread over 1.5 to 20 times the youngest; `scatter` below 1 scatters
/// the ages less than their uncertainties say.
inline GrainSample populations(const std::string& name, int grains, const std::vector<double>& ages,
                               const std::vector<double>& shares, double relative, double older,
                               unsigned seed, double scatter = 1.0) {
    std::mt19937_64 random(seed);
    std::normal_distribution<double> unit(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    GrainSample sample{name, {}, {}};
    for (int i = 0; i < grains; ++i) {
        double age = ages.back(), u = uniform(random), cumulative = 0.0;
        for (size_t j = 0; j < ages.size(); ++j)
            if (u < (cumulative += shares[j])) {
                age = ages[j];
                break;
            }
        if (uniform(random) < older) age = ages.front() * (1.5 + 18.5 * uniform(random));
        const double x = relative * (1.0 + uniform(random));
        sample.ages.push_back(age * std::exp(scatter * x * unit(random)));
        sample.sigmas.push_back(x * sample.ages.back());
    }
    return sample;
}

/// @brief The oracle's answer about `sample` (written to a scratch .csv of "age,sigma" lines)
/// for `mode` and its `arguments`: one vector of numbers per line.
inline std::vector<std::vector<double>> likelihoodOracle(const GrainSample& sample,
                                                         const std::string& mode,
                                                         const std::string& arguments = "") {
    std::string folder =
        (std::filesystem::temp_directory_path() / "kestrel-likelihood-XXXXXX").string();
    const std::filesystem::path dir = mkdtemp(folder.data());
    const std::string path = (dir / "sample.csv").string();
    {
        std::ofstream out(path);
        out.precision(17);
        for (size_t i = 0; i < sample.ages.size(); ++i)
            out << sample.ages[i] << ',' << sample.sigmas[i] << '\n';
    }
    const std::string text = commandOutput("/usr/bin/python3 '" KESTREL_SOURCE_DIR
                                           "/tests/engine/depositional/likelihood_oracle.py' " +
                                           mode + " '" + path + "' " + arguments + " 2>/dev/null");
    std::filesystem::remove_all(dir);
    std::vector<std::vector<double>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream numbers(line);
        rows.emplace_back();
        for (std::string word; numbers >> word;)
            rows.back().push_back(std::strtod(word.c_str(), nullptr));
    }
    return rows;
}

}  // namespace kestrel::testsupport
