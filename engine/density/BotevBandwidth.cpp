// The diffusion (Botev) bandwidth, as kde.m computes it: binned ages, their cosine transform,
// and the fixed-point equation t = xi gamma^[7](t) solved by kde.m's search for a bracket.
#include "engine/density/BotevBandwidth.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <complex>
#include <numbers>
#include <unsupported/Eigen/FFT>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/density/NormalKernels.h"

namespace kestrel {
namespace {

constexpr int kMeshPoints = 1 << 14;
constexpr int kStages = 7;  // l, the number of functionals of the fixed point
constexpr double kPi = std::numbers::pi;

// The histogram of the ages over the mesh points as bin edges, as MATLAB's histc gives it:
// bin k holds the ages in [x_k, x_k+1), the last bin the ages equal to the last point.
std::vector<double> meshCounts(const std::vector<double>& ages, double low, double spacing) {
    const int n = kMeshPoints;
    const auto point = [&](int k) { return low + static_cast<double>(k) * spacing; };
    std::vector<double> counts(n, 0.0);
    for (double age : ages) {
        if (age < point(0) || age > point(n - 1)) continue;
        int k = static_cast<int>(std::clamp(std::floor((age - low) / spacing), 0.0, n - 1.0));
        while (k > 0 && age < point(k)) --k;
        while (k < n - 1 && age >= point(k + 1)) ++k;
        counts[k] += 1.0;
    }
    return counts;
}

// kde.m's dct1d: weight .* fft([even entries; odd entries reversed]), real part.
std::vector<double> cosineTransform(const std::vector<double>& data) {
    const int n = static_cast<int>(data.size());
    std::vector<std::complex<double>> reordered(n);
    for (int m = 0; m < n / 2; ++m) {
        reordered[m] = data[2 * m];
        reordered[n / 2 + m] = data[n - 1 - 2 * m];
    }
    std::vector<std::complex<double>> spectrum;
    Eigen::FFT<double> fft;
    fft.fwd(spectrum, reordered);
    std::vector<double> a(n);
    a[0] = spectrum[0].real();
    for (int k = 1; k < n; ++k) {
        const double angle = static_cast<double>(k) * kPi / (2.0 * n);
        // Re(2 exp(-i angle) * F) = 2 (cos(angle) Re F + sin(angle) Im F)
        a[k] = 2.0 * (std::cos(angle) * spectrum[k].real() + std::sin(angle) * spectrum[k].imag());
    }
    return a;
}

// t - xi gamma^[l](t) with its sums' terms I^s a2 precomputed for s = 2 .. l.
class FixedPoint {
  public:
    FixedPoint(const std::vector<double>& a, double distinctAges) : m_n(distinctAges) {
        const int n = static_cast<int>(a.size());
        m_exponents.resize(n - 1);
        for (auto& terms : m_terms) terms.resize(n - 1);
        for (int k = 1; k < n; ++k) {
            const double squared = static_cast<double>(k) * k;  // I_k
            const double a2 = (a[k] / 2.0) * (a[k] / 2.0);
            m_exponents[k - 1] = squared * kPi * kPi;
            // I^s a2 for s = 2 .. l, each from the one before.
            double term = squared * squared * a2;
            for (int s = 2; s <= kStages; ++s, term *= squared) m_terms[s - 2][k - 1] = term;
        }
    }

    double operator()(double t) const {
        double f = functional(kStages, t);
        for (int s = kStages - 1; s >= 2; --s) {
            double oddProduct = 1.0;  // 1 * 3 * 5 ... (2s - 1)
            for (int j = 1; j <= 2 * s - 1; j += 2) oddProduct *= j;
            const double k0 = oddProduct / std::sqrt(2.0 * kPi);
            const double c = (1.0 + std::pow(0.5, s + 0.5)) / 3.0;
            const double time = std::pow(2.0 * c * k0 / m_n / f, 2.0 / (3.0 + 2.0 * s));
            f = functional(s, time);
        }
        return t - std::pow(2.0 * m_n * std::sqrt(kPi) * f, -2.0 / 5.0);
    }

  private:
    // 2 pi^(2s) sum I^s a2 exp(-I pi^2 t); the terms past an exponent of 746 are exactly 0.
    // exp(-k^2 c) follows from its neighbour, exp(-(k+1)^2 c) = exp(-k^2 c) exp(-(2k+1) c),
    // and the second factor from its own by exp(-2c): two products a term instead of an exp,
    // with a fresh exp every kAnchor terms so that rounding cannot build up (below 1e-13).
    double functional(int s, double t) const {
        constexpr size_t kAnchor = 64;
        const std::vector<double>& terms = m_terms[s - 2];
        const double c = kPi * kPi * t;
        const double step = std::exp(-2.0 * c);
        double sum = 0.0, e = 0.0, ratio = 0.0;
        for (size_t i = 0; i < terms.size(); ++i) {
            const double exponent = m_exponents[i] * t;
            if (exponent > 746.0) break;
            if (i % kAnchor == 0) {
                const double k = static_cast<double>(i + 1);
                e = std::exp(-exponent);
                ratio = std::exp(-(2.0 * k + 1.0) * c);
            }
            sum += terms[i] * e;
            e *= ratio;
            ratio *= step;
        }
        return 2.0 * std::pow(kPi, 2 * s) * sum;
    }

    double m_n;
    std::vector<double> m_exponents;  // I pi^2
    std::array<std::vector<double>, kStages - 1> m_terms;
};

// Brent's root finder (zeroin) on [a, b] with f(a), f(b) of opposite signs (or one zero), to
// the precision of doubles (tolerance 2 eps |b|, as MATLAB's fzero).
template <class F>
double brentRoot(const F& f, double a, double b, double fa, double fb) {
    double c = a, fc = fa, d = b - a, e = d;
    for (int iteration = 0; iteration < 500; ++iteration) {
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol = 2.0 * DBL_EPSILON * std::fabs(b);
        const double m = 0.5 * (c - b);
        if (std::fabs(m) <= tol || fb == 0.0) break;
        if (std::fabs(e) < tol || std::fabs(fa) <= std::fabs(fb)) {
            d = e = m;  // bisection
        } else {
            double s = fb / fa, p, q;
            if (a == c) {  // secant
                p = 2.0 * m * s;
                q = 1.0 - s;
            } else {  // inverse quadratic interpolation
                const double qa = fa / fc, r = fb / fc;
                p = s * (2.0 * m * qa * (qa - r) - (b - a) * (r - 1.0));
                q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0)
                q = -q;
            else
                p = -p;
            s = e;
            e = d;
            if (2.0 * p < 3.0 * m * q - std::fabs(tol * q) && p < std::fabs(0.5 * s * q)) {
                d = p / q;
            } else {
                d = e = m;
            }
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tol ? d : (m > 0.0 ? tol : -tol);
        if (b == a) b = std::nextafter(a, c);  // tol 0 at b = 0: still move
        fb = f(b);
        if ((fb > 0.0) == (fc > 0.0)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
    }
    return b;
}

// Brent's minimiser (localmin, as MATLAB's fminbnd) of g on [a, b], to sqrt(eps) |x| + 1e-20.
template <class G>
double brentMinimum(const G& g, double a, double b) {
    const double golden = 0.5 * (3.0 - std::sqrt(5.0));
    const double relative = std::sqrt(DBL_EPSILON);
    double x = a + golden * (b - a), w = x, v = x;
    double gx = g(x), gw = gx, gv = gx;
    double d = 0.0, e = 0.0;
    for (int iteration = 0; iteration < 500; ++iteration) {
        const double middle = 0.5 * (a + b);
        const double tol = relative * std::fabs(x) + 1e-20;
        const double tol2 = 2.0 * tol;
        if (std::fabs(x - middle) <= tol2 - 0.5 * (b - a)) break;
        double p = 0.0, q = 0.0, r = 0.0;
        if (std::fabs(e) > tol) {  // a parabola through x, w, v
            r = (x - w) * (gx - gv);
            q = (x - v) * (gx - gw);
            p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0) p = -p;
            q = std::fabs(q);
            r = e;
            e = d;
        }
        if (std::fabs(p) < std::fabs(0.5 * q * r) && p > q * (a - x) && p < q * (b - x)) {
            d = p / q;
            const double u = x + d;
            if (u - a < tol2 || b - u < tol2) d = x < middle ? tol : -tol;
        } else {  // golden section
            e = (x < middle ? b : a) - x;
            d = golden * e;
        }
        const double u = std::fabs(d) >= tol ? x + d : (d > 0.0 ? x + tol : x - tol);
        const double gu = g(u);
        if (gu <= gx) {
            (u < x ? b : a) = x;
            v = w;
            gv = gw;
            w = x;
            gw = gx;
            x = u;
            gx = gu;
        } else {
            (u < x ? a : b) = u;
            if (gu <= gw || w == x) {
                v = w;
                gv = gw;
                w = u;
                gw = gu;
            } else if (gu <= gv || v == x || v == w) {
                v = u;
                gv = gu;
            }
        }
    }
    return x;
}

}  // namespace

BotevEstimate botevEstimate(const GrainSample& sample) {
    checkGrainAges(sample);
    const std::vector<double>& ages = sample.ages;
    std::vector<double> sorted = ages;
    std::sort(sorted.begin(), sorted.end());
    const auto distinct =
        static_cast<int64_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
    if (distinct < 2)
        throw KestrelError(sampleLabel(sample) +
                           " needs at least two different ages for the Botev bandwidth; type a "
                           "bandwidth instead");
    const double minimum = sorted.front(), maximum = sorted[distinct - 1];
    const double range = maximum - minimum;
    const double low = minimum - range / 10.0, high = maximum + range / 10.0;
    const double meshRange = high - low;
    if (!std::isfinite(meshRange))
        throw KestrelError(sampleLabel(sample) +
                           ": the ages lie too far apart for the Botev bandwidth");
    const double spacing = meshRange / (kMeshPoints - 1);
    // Mesh points that a double cannot tell apart (ages very close for their size).
    if (!(spacing > 0.0) || spacing < std::ldexp(std::max(std::fabs(low), std::fabs(high)), -50))
        throw KestrelError(sampleLabel(sample) +
                           ": the ages differ too little for their size for the Botev "
                           "bandwidth; type a bandwidth instead");

    std::vector<double> counts = meshCounts(ages, low, spacing);
    const auto n = static_cast<double>(distinct);
    double total = 0.0;
    for (double& count : counts) total += (count /= n);
    for (double& count : counts) count /= total;
    const FixedPoint equation(cosineTransform(counts), n);

    // kde.m's root: the first interval [0, tol] with a sign change, tol doubling up to 0.1.
    const double clamped = std::clamp(n, 50.0, 1050.0);
    double tol = 1e-12 + 0.01 * (clamped - 50.0) / 1000.0;
    const double atZero = equation(0.0);
    BotevEstimate estimate;
    for (;;) {
        const double atTol = equation(tol);
        if ((atZero <= 0.0 && atTol >= 0.0) || (atZero >= 0.0 && atTol <= 0.0)) {
            estimate.scaledTime = brentRoot(equation, 0.0, tol, atZero, atTol);
            estimate.rootFound = true;
            break;
        }
        tol = std::min(2.0 * tol, 0.1);
        if (tol == 0.1) {
            estimate.scaledTime =
                brentMinimum([&](double t) { return std::fabs(equation(t)); }, 0.0, 0.1);
            break;
        }
    }
    estimate.meshRange = meshRange;
    estimate.distinctAges = distinct;
    estimate.bandwidth = std::sqrt(estimate.scaledTime) * meshRange;
    if (!(estimate.bandwidth > 0.0) || !std::isfinite(estimate.bandwidth))
        throw KestrelError(sampleLabel(sample) +
                           ": the Botev bandwidth cannot be estimated from its ages; type a "
                           "bandwidth instead");
    return estimate;
}

double botevBandwidth(const GrainSample& sample) {
    return botevEstimate(sample).bandwidth;
}

}  // namespace kestrel
