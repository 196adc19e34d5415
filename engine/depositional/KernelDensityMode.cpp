// Percentiles and the mode of a Gaussian kernel density, for YDZ's drawn youngest ages.
#include "engine/depositional/KernelDensityMode.h"

#include <algorithm>
#include <cmath>

#include "engine/depositional/SlopeRoot.h"

namespace kestrel {

namespace {

constexpr int kGridPoints = 512;
constexpr int kMeshPerStep = 8;
constexpr double kReach = 8.0;  // bandwidths beyond which a kernel adds nothing

struct Grid {
    double low, high, step;
    double at(int r) const { return r == kGridPoints - 1 ? high : low + r * step; }
};

// The density (not normalised) at x, exactly.
double densityAt(std::span<const double> values, double bandwidth, double x) {
    double sum = 0.0;
    for (const double v : values) {
        const double z = (x - v) / bandwidth;
        if (std::fabs(z) <= kReach) sum += std::exp(-0.5 * z * z);
    }
    return sum;
}

void slopeAt(std::span<const double> values, double bandwidth, double x, double& first,
             double& second) {
    first = second = 0.0;
    for (const double v : values) {
        const double z = (x - v) / bandwidth;
        if (std::fabs(z) > kReach) continue;
        const double k = std::exp(-0.5 * z * z);
        first -= z / bandwidth * k;
        second += (z * z - 1.0) / (bandwidth * bandwidth) * k;
    }
}

// The density at every grid point from the values spread linearly onto the finer mesh.
std::vector<double> meshDensity(std::span<const double> values, double bandwidth,
                                const Grid& grid) {
    const int cells = (kGridPoints - 1) * kMeshPerStep;
    const double meshStep = grid.step / kMeshPerStep;
    std::vector<double> mass(static_cast<size_t>(cells) + 1, 0.0);
    for (const double v : values) {
        const double t = std::clamp((v - grid.low) / meshStep, 0.0, static_cast<double>(cells));
        const int j = std::min(static_cast<int>(t), cells - 1);
        mass[static_cast<size_t>(j)] += 1.0 - (t - j);
        mass[static_cast<size_t>(j) + 1] += t - j;
    }
    const int reach = static_cast<int>(std::ceil(kReach * bandwidth / meshStep));
    std::vector<double> kernel(static_cast<size_t>(reach) + 1);
    for (int d = 0; d <= reach; ++d) {
        const double z = d * meshStep / bandwidth;
        kernel[static_cast<size_t>(d)] = std::exp(-0.5 * z * z);
    }
    std::vector<double> density(kGridPoints, 0.0);
    for (int r = 0; r < kGridPoints; ++r) {
        const int centre = r * kMeshPerStep;
        const int from = std::max(0, centre - reach), to = std::min(cells, centre + reach);
        double sum = 0.0;
        for (int m = from; m <= to; ++m)
            sum += mass[static_cast<size_t>(m)] * kernel[static_cast<size_t>(std::abs(m - centre))];
        density[static_cast<size_t>(r)] = sum;
    }
    return density;
}

// The highest grid point of the exact density: only those the mesh cannot rule out are read.
int highestGridPoint(std::span<const double> values, double bandwidth, const Grid& grid) {
    const std::vector<double> mesh = meshDensity(values, bandwidth, grid);
    const double meshStep = grid.step / kMeshPerStep;
    const double n = static_cast<double>(values.size());
    // Binning error, kernels cut at 8 bandwidths, and rounding, all counted generously.
    const double error = n * (meshStep / bandwidth) * (meshStep / bandwidth) / 8.0 +
                         n * std::exp(-0.5 * kReach * kReach) + n * 1e-12;
    const double highest = *std::max_element(mesh.begin(), mesh.end());
    int best = -1;
    double bestValue = 0.0;
    for (int r = 0; r < kGridPoints; ++r) {
        if (mesh[static_cast<size_t>(r)] < highest - 2.0 * error) continue;
        const double value = densityAt(values, bandwidth, grid.at(r));
        if (best < 0 || value > bestValue) best = r, bestValue = value;
    }
    return best;
}

}  // namespace

std::vector<double> percentilesOf(std::vector<double>& values, std::span<const double> percents) {
    std::vector<double> result;
    const size_t n = values.size();
    size_t sortedUpTo = 0;  // values[0, sortedUpTo) lie at or below all the others
    for (const double p : percents) {
        const double position = p / 100.0 * static_cast<double>(n - 1);
        const auto k = std::min(static_cast<size_t>(position), n - 1);
        const auto from = values.begin() + static_cast<std::ptrdiff_t>(sortedUpTo);
        std::nth_element(from, values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
        const double lower = values[k];
        const double upper =
            k + 1 < n ? *std::min_element(values.begin() + static_cast<std::ptrdiff_t>(k) + 1,
                                          values.end())
                      : lower;
        result.push_back(lower + (position - static_cast<double>(k)) * (upper - lower));
        sortedUpTo = k;
    }
    return result;
}

double silvermanBandwidth(double sd, double iqr, size_t n) {
    const double spread = iqr > 0.0 ? std::min(sd, iqr / 1.34) : sd;
    return 0.9 * spread * std::pow(static_cast<double>(n), -0.2);
}

double kernelDensityMode(std::span<const double> values, double bandwidth, double low,
                         double high) {
    if (!(high > low)) return low;
    const Grid grid{low, high, (high - low) / (kGridPoints - 1)};
    const int r = highestGridPoint(values, bandwidth, grid);
    const auto slope = [&](double x, double& first, double& second) {
        slopeAt(values, bandwidth, x, first, second);
    };
    return slopeRoot(slope, grid.at(std::max(r - 1, 0)), grid.at(r),
                     grid.at(std::min(r + 1, kGridPoints - 1)),
                     1e-13 * (std::fabs(grid.at(r)) + grid.step));
}

}  // namespace kestrel
