// Two-sample Kolmogorov-Smirnov tail probabilities and critical values: the lattice-path count
// for small samples, the Kolmogorov limit with the finite-size correction for large ones.
#include "engine/KsTwoSample.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

#include "engine/KsDistribution.h"

namespace kestrel {
namespace {

// A statistic within this many lattice steps of a lattice point is taken as that point: D comes
// from sums of doubles and may miss its attainable value by a few units in the last place.
constexpr double kLatticeSlack = 1e-7;

// Below this lambda the alternating series converges too slowly; the Jacobi form is used.
constexpr double kJacobiBelow = 1.18;

int64_t lcmOf(int64_t n1, int64_t n2) {
    return n1 / std::gcd(n1, n2) * n2;
}

// sqrt(en) + 0.12 + 0.11 / sqrt(en): the finite-size correction of the limiting distribution.
double correctedScale(int64_t n1, int64_t n2) {
    const double a = static_cast<double>(n1), b = static_cast<double>(n2);
    const double root = std::sqrt(a * b / (a + b));
    return root + 0.12 + 0.11 / root;
}

// The lattice index of d: the smallest h with h / lcm >= d, within the slack.
int64_t latticeIndex(int64_t lcm, double d) {
    const double scaled = std::ceil(d * static_cast<double>(lcm) - kLatticeSlack);
    return static_cast<int64_t>(std::clamp(scaled, 0.0, static_cast<double>(lcm) + 1));
}

// The share of paths to every cell of one column that has left the band |i*ng - j*mg| < h,
// kept in a single column (cells outside the band hold 1: every path there has left it).
// m >= n; the columns run over i = 0..m, a column's cells over j = 0..n.
class PathBand {
  public:
    PathBand(int64_t m, int64_t n, int64_t h)
        : m_n(n),
          m_h(h),
          m_mg(m / std::gcd(m, n)),
          m_ng(n / std::gcd(m, n)),
          m_share(static_cast<size_t>(n) + 1, 1.0) {}

    // Share of the paths to (i, n) that have left the band, after column i; false when the
    // column has no cell inside the band (every path has left it).
    bool advance(int64_t i) {
        // Inside: i*ng - h < j*mg < i*ng + h.
        const int64_t lo = std::max<int64_t>(0, floorDiv(i * m_ng - m_h, m_mg) + 1);
        const int64_t hi = std::min(m_n, ceilDiv(i * m_ng + m_h, m_mg) - 1);
        if (lo > hi) return false;
        // Cells the band left behind are outside now.
        for (int64_t j = m_lo; j < lo && j <= m_n; ++j) m_share[static_cast<size_t>(j)] = 1.0;
        const double di = static_cast<double>(i);
        for (int64_t j = lo; j <= hi; ++j) {
            const size_t at = static_cast<size_t>(j);
            if (i == 0 && j == 0) {
                m_share[at] = 0.0;
                continue;
            }
            const double below = j == 0 ? 0.0 : m_share[at - 1];
            const double dj = static_cast<double>(j);
            m_share[at] = (di * m_share[at] + dj * below) / (di + dj);
        }
        m_lo = lo;
        return true;
    }

    double last() const { return m_share.back(); }

  private:
    static int64_t floorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
    static int64_t ceilDiv(int64_t a, int64_t b) { return -floorDiv(-a, b); }

    int64_t m_n, m_h, m_mg, m_ng;
    int64_t m_lo = 0;
    std::vector<double> m_share;
};

double pathCountTail(int64_t n1, int64_t n2, int64_t h) {
    const int64_t m = std::max(n1, n2), n = std::min(n1, n2);
    PathBand band(m, n, h);
    for (int64_t i = 0; i <= m; ++i) {
        if (!band.advance(i)) return 1.0;
    }
    return band.last();
}

// The lambda at which the limiting tail falls to alpha (the tail decreases in lambda).
double kolmogorovQuantile(double alpha) {
    double lo = 0.0, hi = 10.0;
    for (int step = 0; step < 200 && hi - lo > 1e-15; ++step) {
        const double mid = 0.5 * (lo + hi);
        (kolmogorovTail(mid) > alpha ? lo : hi) = mid;
    }
    return hi;
}

// Smallest lattice index whose tail is at most alpha, searched from the asymptotic estimate
// outwards and then halved: each tail costs a pass over the band.
int64_t exactCriticalIndex(int64_t n1, int64_t n2, double alpha) {
    const int64_t lcm = lcmOf(n1, n2);
    const auto qualifies = [&](int64_t h) { return ksTwoSampleExactTail(n1, n2, h) <= alpha; };
    if (!qualifies(lcm)) return 0;
    const double estimate = kolmogorovQuantile(alpha) / correctedScale(n1, n2);
    int64_t probe = std::clamp<int64_t>(std::llround(estimate * static_cast<double>(lcm)), 1, lcm);
    int64_t lo = 0, hi = lcm;  // tail(lo) > alpha, tail(hi) <= alpha
    int64_t step = std::max<int64_t>(1, lcm / 100);
    if (qualifies(probe)) {
        hi = probe;
        while (hi - step > 0 && qualifies(hi - step)) {
            hi -= step;
            step *= 2;
        }
        lo = std::max<int64_t>(0, hi - step);
    } else {
        lo = probe;
        while (lo + step < lcm && !qualifies(lo + step)) {
            lo += step;
            step *= 2;
        }
        hi = std::min(lcm, lo + step);
    }
    while (hi - lo > 1) {
        const int64_t mid = lo + (hi - lo) / 2;
        (qualifies(mid) ? hi : lo) = mid;
    }
    return hi;
}

}  // namespace

const char* ksMethodName(KsMethod method) {
    return method == KsMethod::Exact ? "exact" : "asymptotic";
}

KsMethod ksMethodFor(int64_t n1, int64_t n2) {
    // n1 * n2 compared without overflow for any sizes up to int64's range.
    return n1 <= kExactCellLimit / std::max<int64_t>(n2, 1) ? KsMethod::Exact
                                                            : KsMethod::Asymptotic;
}

double kolmogorovTail(double lambda) {
    if (!(lambda > 0)) return std::isnan(lambda) ? lambda : 1.0;
    constexpr double pi = std::numbers::pi;
    double sum = 0.0;
    if (lambda < kJacobiBelow) {
        // P(K <= lambda) = sqrt(2 pi) / lambda * sum exp(-(2j - 1)^2 pi^2 / (8 lambda^2)).
        for (int j = 1; j <= 20; ++j) {
            const double odd = 2.0 * j - 1;
            sum += std::exp(-odd * odd * pi * pi / (8 * lambda * lambda));
        }
        return std::clamp(1.0 - std::sqrt(2 * pi) / lambda * sum, 0.0, 1.0);
    }
    double sign = 1.0;
    for (int j = 1; j <= 100; ++j) {
        const double term = std::exp(-2.0 * j * j * lambda * lambda);
        sum += sign * term;
        if (term < 1e-300) break;
        sign = -sign;
    }
    return std::clamp(2 * sum, 0.0, 1.0);
}

double ksTwoSampleExactTail(int64_t n1, int64_t n2, int64_t h) {
    const int64_t lcm = lcmOf(n1, n2);
    if (h <= 0) return 1.0;
    if (h > lcm) return 0.0;
    // Equal sizes: the closed form of the critical value table's generator.
    if (n1 == n2) return ksTailProbability(static_cast<int32_t>(n1), static_cast<int32_t>(h));
    return pathCountTail(n1, n2, h);
}

KsProbability ksTwoSampleTail(int64_t n1, int64_t n2, double d) {
    const KsMethod method = ksMethodFor(n1, n2);
    if (std::isnan(d)) return {d, method};
    if (method == KsMethod::Asymptotic) return {kolmogorovTail(correctedScale(n1, n2) * d), method};
    const int64_t lcm = lcmOf(n1, n2);
    return {ksTwoSampleExactTail(n1, n2, latticeIndex(lcm, d)), method};
}

double ksTwoSampleCriticalValue(int64_t n1, int64_t n2, double alpha) {
    if (ksMethodFor(n1, n2) == KsMethod::Asymptotic) {
        return kolmogorovQuantile(alpha) / correctedScale(n1, n2);
    }
    if (n1 == n2) return ksCriticalValue(static_cast<int32_t>(n1), alpha);
    const int64_t h = exactCriticalIndex(n1, n2, alpha);
    if (h == 0) return 1.0;
    return static_cast<double>(h) / static_cast<double>(lcmOf(n1, n2));
}

}  // namespace kestrel
