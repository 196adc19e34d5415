// Percentiles and the mode of a Gaussian kernel density, for YDZ's drawn youngest ages.
#include "engine/depositional/KernelDensityMode.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

namespace {

constexpr int kGridPoints = 512;
constexpr double kReach = 8.0;  // bandwidths beyond which a kernel adds nothing

struct Grid {
    double low, high, step;
    double at(int r) const { return r == kGridPoints - 1 ? high : low + r * step; }
};

// The density (not normalised) at x and its first three derivatives, exactly, for Halley's
// method on its slope. The values come in no order, so the cut at 8 bandwidths is a select,
// not a branch the processor would mispredict.
struct Derivatives {
    double density, first, second, third;
};

Derivatives derivativesAt(std::span<const double> values, double bandwidth, double x) {
    const double inverse = 1.0 / bandwidth;
    double sumK = 0.0, sumZ = 0.0, sumZ2 = 0.0, sumZ3 = 0.0;
    for (const double v : values) {
        const double z = (x - v) * inverse;
        const double k = z * z <= kReach * kReach ? std::exp(-0.5 * z * z) : 0.0;
        sumK += k;
        sumZ += z * k;
        sumZ2 += z * z * k;
        sumZ3 += z * z * z * k;
    }
    return {sumK, -sumZ * inverse, (sumZ2 - sumK) * inverse * inverse,
            -(sumZ3 - 3.0 * sumZ) * inverse * inverse * inverse};
}

// The values spread linearly onto a mesh of `perStep` cells to a grid step, and the kernel
// read on it, so that the density at a grid point is a short weighted sum.
class Mesh {
  public:
    Mesh(std::span<const double> values, double bandwidth, const Grid& grid, int perStep)
        : m_perStep(perStep) {
        const int cells = (kGridPoints - 1) * perStep;
        const double step = grid.step / perStep;
        const int reach = static_cast<int>(std::ceil(kReach * bandwidth / step));
        for (int d = 0; d <= reach; ++d) {
            const double z = d * step / bandwidth;
            m_kernel.push_back(std::exp(-0.5 * z * z));
        }
        // The mass is held with `reach` empty cells either side, so that reading it needs no
        // bounds.
        m_mass.assign(static_cast<size_t>(cells + 1 + 2 * reach), 0.0);
        double* mass = m_mass.data() + reach;
        for (const double v : values) {
            const double t = std::clamp((v - grid.low) / step, 0.0, static_cast<double>(cells));
            const int j = std::min(static_cast<int>(t), cells - 1);
            mass[j] += 1.0 - (t - j);
            mass[j + 1] += t - j;
        }
        // Binning moves each value by less than a step; the kernel's curvature bounds what
        // that changes. Kernels cut at 8 bandwidths and rounding are counted too, generously.
        const double n = static_cast<double>(values.size());
        m_error = n * (step / bandwidth) * (step / bandwidth) / 8.0 +
                  n * std::exp(-0.5 * kReach * kReach) + n * 1e-12;
    }

    /// The density at grid point r, within error() of the exact one.
    double at(int r) const {
        const int reach = static_cast<int>(m_kernel.size()) - 1;
        const double* mass = m_mass.data() + reach + r * m_perStep;
        const double* kernel = m_kernel.data();
        // Four sums side by side: one alone would wait on its own additions.
        double sums[4] = {mass[0] * kernel[0], 0.0, 0.0, 0.0};
        int d = 1;
        for (; d + 3 <= reach; d += 4)
            for (int u = 0; u < 4; ++u) sums[u] += kernel[d + u] * (mass[d + u] + mass[-(d + u)]);
        for (; d <= reach; ++d) sums[0] += kernel[d] * (mass[d] + mass[-d]);
        return (sums[0] + sums[1]) + (sums[2] + sums[3]);
    }
    double error() const { return m_error; }

  private:
    int m_perStep;
    std::vector<double> m_mass, m_kernel;
    double m_error = 0.0;
};

// The grid points of `points` that can hold the highest exact density, by the mesh: any point
// whose mesh value is below the highest by more than twice the mesh's error cannot.
std::vector<int> mightBeHighest(const Mesh& mesh, const std::vector<int>& points) {
    std::vector<double> values;
    for (const int r : points) values.push_back(mesh.at(r));
    const double highest = *std::max_element(values.begin(), values.end());
    std::vector<int> kept;
    for (size_t k = 0; k < points.size(); ++k)
        if (values[k] >= highest - 2.0 * mesh.error()) kept.push_back(points[k]);
    return kept;
}

// The highest grid point of the exact density (the lowest of equals) and the density's
// derivatives there. A coarse mesh (the grid itself) rules out most points, a fine one (sixteen
// cells a step) all but a few, which are read exactly.
struct HighestPoint {
    int row;
    Derivatives at;
};

HighestPoint highestGridPoint(std::span<const double> values, double bandwidth, const Grid& grid) {
    std::vector<int> points(kGridPoints);
    for (int r = 0; r < kGridPoints; ++r) points[static_cast<size_t>(r)] = r;
    points = mightBeHighest(Mesh(values, bandwidth, grid, 1), points);
    if (points.size() > 1) points = mightBeHighest(Mesh(values, bandwidth, grid, 16), points);
    HighestPoint best{points.front(), derivativesAt(values, bandwidth, grid.at(points.front()))};
    for (size_t k = 1; k < points.size(); ++k) {
        const Derivatives d = derivativesAt(values, bandwidth, grid.at(points[k]));
        if (d.density > best.at.density) best = {points[k], d};
    }
    return best;
}

// The root of the slope next to grid point r, the highest: on the side where the density
// rises from r, since the neighbour there is no higher. Halley's method (the slope's root,
// converging cubically from a grid point, so three readings of the values mostly do), kept
// inside the bracket by bisection. At the end of the grid, with the density falling inwards,
// the end itself.
double refineMode(std::span<const double> values, double bandwidth, const Grid& grid,
                  const HighestPoint& highest) {
    double x = grid.at(highest.row);
    Derivatives d = highest.at;
    if (d.first == 0.0) return x;
    const int side = d.first > 0.0 ? highest.row + 1 : highest.row - 1;
    if (side < 0 || side >= kGridPoints) return x;
    // The slope is above 0 at `rising` and below at `falling`, whichever side each lies.
    double rising = d.first > 0.0 ? x : grid.at(side);
    double falling = d.first > 0.0 ? grid.at(side) : x;
    const double tolerance = 1e-13 * (std::fabs(x) + grid.step);
    for (int iteration = 0; iteration < 100; ++iteration) {
        const double lo = std::min(rising, falling), hi = std::max(rising, falling);
        const double denominator = 2.0 * d.second * d.second - d.first * d.third;
        double next = denominator != 0.0 ? x - 2.0 * d.first * d.second / denominator : x;
        if (std::fabs(next - x) <= tolerance) return next;
        // Halley's error cubes at each step (on the scale of the bandwidth, over which the
        // density bends): after a step of 1e-5 bandwidths what is left is near 1e-15 of one.
        const bool halley = next > lo && next < hi;
        if (halley && std::fabs(next - x) <= 1e-5 * bandwidth) return next;
        if (!halley) next = 0.5 * (lo + hi);
        if (hi - lo <= tolerance) return next;
        x = next;
        d = derivativesAt(values, bandwidth, x);
        if (d.first == 0.0) return x;
        (d.first > 0.0 ? rising : falling) = x;
    }
    return x;
}

}  // namespace

std::vector<double> percentilesOf(std::vector<double>& values, std::span<const double> percents) {
    std::vector<double> result;
    const size_t n = values.size();
    size_t sortedUpTo = 0;  // values[0, sortedUpTo) lie at or below all the others
    for (const double p : percents) {
        if (p == 0.0 || p == 100.0) {  // the extremes by one pass, no partial sort
            result.push_back(p == 0.0 ? *std::min_element(values.begin(), values.end())
                                      : *std::max_element(values.begin(), values.end()));
            continue;
        }
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
    return refineMode(values, bandwidth, grid, highestGridPoint(values, bandwidth, grid));
}

}  // namespace kestrel
