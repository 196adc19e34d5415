// The minimum age model of Galbraith and Laslett (1993), after Galbraith (2005) section 6.11 and
// Vermeesch (2021) (the papers are cited in full in MinimumAgeModel.h): its log-likelihood with an
// analytic gradient, maximised over bounded parameters from several starts by NLopt's
// low-storage BFGS, and the maximum likelihood age (MLA) row of the depositional table.
#include "engine/depositional/MinimumAgeModel.h"

#include <nlopt.h>

#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>
#include <type_traits>

#include "engine/KestrelError.h"
#include "engine/depositional/DepositionalEstimators.h"

namespace kestrel {

namespace {

constexpr double kLogSqrtTwoPi = 0.91893853320467274178;  // ln sqrt(2 pi)
constexpr double kLogSqrtPi = 0.57236494292470008707;     // ln sqrt(pi)
constexpr double kZ95 = 1.95996398454005423552;           // the normal's 97.5% quantile

// The grains on the log scale: z = ln age, x = sigma / age (the relative uncertainty).
struct LogGrains {
    std::vector<double> z, x, invX, xx, logX;
    double zMin = 0.0, zMax = 0.0;
    double xMin = 0.0, xMedian = 0.0, xYoungest = 0.0;
};

LogGrains logGrains(const GrainSample& sample) {
    LogGrains g;
    const size_t n = sample.ages.size();
    for (size_t i = 0; i < n; ++i) {
        const double x = sample.sigmas[i] / sample.ages[i];
        g.z.push_back(std::log(sample.ages[i]));
        g.x.push_back(x);
        g.invX.push_back(1.0 / x);
        g.xx.push_back(x * x);
        g.logX.push_back(std::log(x));
    }
    const auto [zMin, zMax] = std::minmax_element(g.z.begin(), g.z.end());
    g.zMin = *zMin;
    g.xYoungest = g.x[static_cast<size_t>(zMin - g.z.begin())];
    g.zMax = *zMax;
    std::vector<double> x = g.x;
    std::nth_element(x.begin(), x.begin() + static_cast<long>(n / 2), x.end());
    g.xMedian = x[n / 2];
    g.xMin = *std::min_element(x.begin(), x.end());
    return g;
}

// ln(1 - Phi(t)), the log of the standard normal's upper tail, exact far into the tail where
// erfc itself underflows (t beyond about 37): there the asymptotic series of erfc, whose seventh
// term is below 1e-15 of the first from erfc's argument 25 on.
double logUpperTail(double t) {
    const double y = t * M_SQRT1_2;
    if (y < 25.0) return std::log(0.5 * std::erfc(y));
    const double r = 0.5 / (y * y);
    const double series =
        1.0 -
        r * (1.0 -
             3.0 * r * (1.0 - 5.0 * r * (1.0 - 7.0 * r * (1.0 - 9.0 * r * (1.0 - 11.0 * r)))));
    return -y * y - std::log(y) - kLogSqrtPi - M_LN2 + std::log(series);
}

// The model's parameters on the log scale; with 3 parameters mu equals gamma.
struct Parameters {
    double gamma = 0.0, mu = 0.0, sigma = 0.0, pi = 0.0;
};

// The derivatives of lnL by gamma, mu, sigma and pi, each treated as free.
using Gradient = std::array<double, 4>;

// ln(e^a + e^b) for a >= b, where b may be -infinity.
double logAddOrdered(double a, double b) {
    return a - b > 40.0 ? a : a + std::log1p(std::exp(b - a));
}

// What every grain's term shares at one point of the parameters.
struct Shared {
    Parameters p;
    double ss, invSigma, u, logTailU, millsU, logPi, logOneMinusPi;

    explicit Shared(const Parameters& at) : p(at) {
        ss = p.sigma * p.sigma;
        invSigma = 1.0 / p.sigma;
        u = (p.gamma - p.mu) * invSigma;
        logTailU = logUpperTail(u);
        millsU = std::exp(-0.5 * u * u - kLogSqrtTwoPi - logTailU);
        logPi = std::log(p.pi);
        logOneMinusPi = std::log1p(-p.pi);
    }
};

// One grain's contribution: ln f_i, and the derivatives of ln f_i added to `gradient` when given.
double grainTerm(const LogGrains& g, size_t i, const Shared& c, Gradient* gradient) {
    const Parameters& p = c.p;
    const double z = g.z[i], invX = g.invX[i], xx = g.xx[i];
    const double vv = c.ss + xx, v = std::sqrt(vv), invV = 1.0 / v;
    const double a = (z - p.gamma) * invX;
    const double logA = -0.5 * a * a - g.logX[i] - kLogSqrtTwoPi;
    const double b = (z - p.mu) * invV;
    const double logN = -0.5 * b * b - 0.5 * std::log(vv) - kLogSqrtTwoPi;
    // The truncation at gamma of the grain's posterior, a normal of mean mu0 and spread sigma0:
    // t = (gamma - mu0) / sigma0.
    const double t = (c.ss * (p.gamma - z) + xx * (p.gamma - p.mu)) * c.invSigma * invX * invV;
    // Far below the truncation the tail is 1 to double precision.
    const bool farBelow = t < -9.0;
    const double logTailT = farBelow ? 0.0 : logUpperTail(t);
    const double logB = logN + logTailT - c.logTailU;
    const double l1 = c.logPi + logA, l2 = c.logOneMinusPi + logB;
    // Most grains lie far above gamma, where the minimum's share of them is nil.
    const bool onlyAbove = l1 - l2 < -40.0;
    const double logF = onlyAbove ? l2 : l1 > l2 ? logAddOrdered(l1, l2) : logAddOrdered(l2, l1);
    if (!gradient) return logF;
    const double atMinimum = onlyAbove ? 0.0 : std::exp(l1 - logF);  // posterior weight of gamma
    const double above = 1.0 - atMinimum;
    // The derivatives of ln(1 - Phi(t)) are -(the Mills ratio) times those of t.
    const double millsT = farBelow ? 0.0 : std::exp(-0.5 * t * t - kLogSqrtTwoPi - logTailT);
    const double dTdGamma = v * c.invSigma * invX;
    const double dTdMu = -xx * dTdGamma / vv;
    const double dTdSigma = 2.0 * (p.gamma - z) * invX * invV - t * (vv + c.ss) * c.invSigma / vv;
    Gradient& d = *gradient;
    d[0] += atMinimum * a * invX + above * (-millsT * dTdGamma + c.millsU * c.invSigma);
    d[1] += above * (b * invV - millsT * dTdMu - c.millsU * c.invSigma);
    d[2] +=
        above * ((b * b - 1.0) * p.sigma / vv - millsT * dTdSigma - c.millsU * c.u * c.invSigma);
    // d ln f / d pi = (A - B) / f, from the posterior weights while pi is inside (0, 1).
    if (p.pi > 0.0 && p.pi < 1.0)
        d[3] += atMinimum / p.pi - above / (1.0 - p.pi);
    else
        d[3] += std::exp(logA - logF) - std::exp(logB - logF);
    return logF;
}

// lnL at `p`, and its derivatives by gamma, mu, sigma and pi when `gradient` is given.
double logLikelihood(const LogGrains& g, const Parameters& p, Gradient* gradient) {
    const Shared shared(p);
    Gradient d{};  // summed here, where the compiler can keep it in registers
    double sum = 0.0;
    for (size_t i = 0; i < g.z.size(); ++i) sum += grainTerm(g, i, shared, gradient ? &d : nullptr);
    if (gradient) *gradient = d;
    return sum;
}

// The optimizer's variables: (gamma', ln sigma, pi) with 3 parameters, (gamma', mu - gamma,
// ln sigma, pi) with 4, where gamma' = (gamma - the youngest log age) / the median uncertainty:
// gamma moves on the scale of the grains' uncertainties, however precise they are, and
// mu >= gamma is a bound.
struct Model {
    const LogGrains& grains;
    int parameters;
    long evaluations = 0;

    size_t size() const { return static_cast<size_t>(parameters); }
    size_t logSigmaIndex() const { return size() - 2; }
    size_t piIndex() const { return size() - 1; }
    double scale() const { return grains.xMedian; }
    double variableOfGamma(double gamma) const { return (gamma - grains.zMin) / scale(); }

    Parameters at(const double* y) const {
        Parameters p;
        p.gamma = grains.zMin + y[0] * scale();
        p.mu = parameters == 3 ? p.gamma : p.gamma + y[1];
        p.sigma = std::exp(y[logSigmaIndex()]);
        p.pi = y[piIndex()];
        return p;
    }

    // lnL at y, and its gradient by the variables into `grad` when given.
    double value(const double* y, double* grad) {
        ++evaluations;
        const Parameters p = at(y);
        Gradient d{};
        const double lnL = logLikelihood(grains, p, grad ? &d : nullptr);
        if (grad) {
            grad[0] = (d[0] + d[1]) * scale();  // mu moves with gamma in either parametrisation
            if (parameters == 4) grad[1] = d[1];
            grad[logSigmaIndex()] = p.sigma * d[2];
            grad[piIndex()] = d[3];
        }
        return lnL;
    }
};

double nloptObjective(unsigned, const double* y, double* grad, void* data) {
    const double lnL = static_cast<Model*>(data)->value(y, grad);
    return std::isfinite(lnL) ? lnL : -std::numeric_limits<double>::max();
}

// The box the maximum is sought in: gamma from 2 sigma below the youngest grain to the oldest,
// sigma from a hundredth of the most precise grain's uncertainty (where the spread of the older
// grains has vanished into their uncertainties) to three times the log ages' range.
struct Box {
    std::vector<double> lower, upper;
};

Box boxOf(const Model& m) {
    const LogGrains& g = m.grains;
    const double range = std::max(g.zMax - g.zMin, g.xMedian);
    Box box;
    box.lower = {m.variableOfGamma(g.zMin - 2.0 * g.xYoungest)};
    box.upper = {std::max(m.variableOfGamma(g.zMax), 1e-3)};
    if (m.parameters == 4) {
        box.lower.push_back(0.0);
        box.upper.push_back(range);
    }
    box.lower.push_back(std::log(0.01 * g.xMin));
    box.upper.push_back(std::log(3.0 * range));
    box.lower.push_back(0.0);
    box.upper.push_back(1.0);
    return box;
}

double clampTo(const Box& box, size_t i, double value) {
    return std::clamp(value, box.lower[i], box.upper[i]);
}

// Where the climbs begin: sigma at the log ages' standard deviation, mu at their mean, and
// (gamma, pi) at (the youngest grain, 0.1), (the tenth percentile, 0.1) and (the tenth
// percentile, 0.5). On 160 detrital samples of 100 and 1,000 grains these three reached the
// best maximum of 24 starts every time; a fourth at (the youngest grain, 0.5) added nothing.
std::vector<std::vector<double>> startsOf(const Model& m, const Box& box) {
    const LogGrains& g = m.grains;
    std::vector<double> sorted = g.z;
    std::sort(sorted.begin(), sorted.end());
    const double n = static_cast<double>(sorted.size());
    const double mean = std::accumulate(sorted.begin(), sorted.end(), 0.0) / n;
    double squares = 0.0;
    for (double z : sorted) squares += (z - mean) * (z - mean);
    const double spread = std::sqrt(squares / n);
    const double youngest = sorted.front(), tenth = sorted[static_cast<size_t>(0.1 * (n - 1))];
    std::vector<std::vector<double>> starts;
    for (const auto& [gamma, pi] : {std::pair{youngest, 0.1}, {tenth, 0.1}, {tenth, 0.5}}) {
        std::vector<double> y{clampTo(box, 0, m.variableOfGamma(gamma))};
        if (m.parameters == 4) y.push_back(clampTo(box, 1, mean - gamma));
        y.push_back(clampTo(box, m.logSigmaIndex(), std::log(std::max(spread, 1e-300))));
        y.push_back(pi);
        starts.push_back(y);
    }
    return starts;
}

struct Climb {
    std::vector<double> y;
    double lnL = -std::numeric_limits<double>::infinity();
};

// One local maximisation from `y` by NLopt's low-storage BFGS with bounds and the analytic
// gradient.
Climb climb(Model& m, const Box& box, std::vector<double> y, double tolerance) {
    using Optimizer = std::unique_ptr<std::remove_pointer_t<nlopt_opt>, void (*)(nlopt_opt)>;
    Optimizer opt(nlopt_create(NLOPT_LD_LBFGS, static_cast<unsigned>(m.size())), nlopt_destroy);
    nlopt_set_lower_bounds(opt.get(), box.lower.data());
    nlopt_set_upper_bounds(opt.get(), box.upper.data());
    nlopt_set_max_objective(opt.get(), nloptObjective, &m);
    nlopt_set_ftol_rel(opt.get(), tolerance);
    nlopt_set_xtol_rel(opt.get(), tolerance);
    nlopt_set_maxeval(opt.get(), 1000);
    Climb result;
    double lnL = 0.0;
    nlopt_optimize(opt.get(), y.data(), &lnL);
    result.lnL = m.value(y.data(), nullptr);
    result.y = std::move(y);
    return result;
}

// The maximum on the face pi = 1, where every grain belongs to the minimum and lnL is that of
// one population: gamma at the weighted mean of the log ages (sigma and mu then play no part).
std::vector<double> onePopulation(const Model& m, const Box& box, std::vector<double> y) {
    double weights = 0.0, sum = 0.0;
    for (size_t i = 0; i < m.grains.z.size(); ++i) {
        const double w = m.grains.invX[i] * m.grains.invX[i];
        weights += w;
        sum += w * m.grains.z[i];
    }
    y[0] = clampTo(box, 0, m.variableOfGamma(sum / weights));
    y[m.piIndex()] = 1.0;
    return y;
}

// The best of the climbs from every start, climbed again to a tight tolerance. The climbs from
// the starts need only tell the basins apart (1e-5 of lnL, hundredths of a unit for a thousand
// grains), the last one finds the top. Samples of one
// population have their maximum on the edge pi = 1, which is found in closed form rather than
// approached ever more slowly.
Climb globalMaximum(Model& m, const Box& box) {
    std::vector<std::vector<double>> starts = startsOf(m, box);
    Climb best;
    for (std::vector<double>& start : starts) {
        Climb c = climb(m, box, start, 1e-5);
        if (c.lnL > best.lnL) best = std::move(c);
    }
    std::vector<double> edge = onePopulation(m, box, starts.front());
    const double edgeLnL = m.value(edge.data(), nullptr);
    if (edgeLnL > best.lnL) best = Climb{std::move(edge), edgeLnL};
    Climb polished = climb(m, box, best.y, 1e-13);
    return polished.lnL >= best.lnL ? polished : best;
}

// Which variables rest on a bound of the box: within 1e-4 of it (pi within 1e-6).
std::vector<bool> onBounds(const Model& m, const Box& box, const std::vector<double>& y) {
    std::vector<bool> at(y.size());
    for (size_t i = 0; i < y.size(); ++i) {
        const double near = i == m.piIndex() ? 1e-6 : 1e-4;
        at[i] = y[i] - box.lower[i] < near || box.upper[i] - y[i] < near;
    }
    return at;
}

// The Hessian of lnL in the optimizer's variables by central differences of the analytic
// gradient (one-sided for pi at 0 or 1, where the model ends).
Eigen::MatrixXd hessianAt(Model& m, const std::vector<double>& y) {
    const size_t n = m.size();
    Eigen::MatrixXd h(n, n);
    std::vector<double> up(n), down(n);
    for (size_t j = 0; j < n; ++j) {
        const double step = j == m.piIndex() ? 1e-5 : 1e-4;
        std::vector<double> above = y, below = y;
        above[j] += step;
        below[j] -= step;
        if (j == m.piIndex()) {
            above[j] = std::min(above[j], 1.0);
            below[j] = std::max(below[j], 0.0);
        }
        m.value(above.data(), up.data());
        m.value(below.data(), down.data());
        for (size_t i = 0; i < n; ++i) h(i, j) = (up[i] - down[i]) / (above[j] - below[j]);
    }
    return 0.5 * (h + h.transpose());
}

// The standard error of gamma from the inverse of -H over the variables off the bounds; when
// that is not positive definite, from gamma's own curvature (the others held), and `definite`
// false. NaN when even that is flat.
double gammaStandardError(const Eigen::MatrixXd& h, const std::vector<bool>& bound,
                          bool* definite) {
    std::vector<Eigen::Index> free{0};
    for (size_t i = 1; i < bound.size(); ++i)
        if (!bound[i]) free.push_back(static_cast<Eigen::Index>(i));
    const Eigen::MatrixXd information = -h(free, free);
    const Eigen::LLT<Eigen::MatrixXd> llt(information);
    if (llt.info() == Eigen::Success) {
        const Eigen::MatrixXd covariance =
            llt.solve(Eigen::MatrixXd::Identity(information.rows(), information.cols()));
        if (covariance(0, 0) > 0.0 && std::isfinite(covariance(0, 0))) {
            *definite = true;
            return std::sqrt(covariance(0, 0));
        }
    }
    *definite = false;
    return -h(0, 0) > 0.0 ? 1.0 / std::sqrt(-h(0, 0)) : std::numeric_limits<double>::quiet_NaN();
}

// Why the fit is degenerate, in words; empty when it is not.
std::string degeneracyOf(const Model& m, const Box& box, const std::vector<double>& y,
                         const std::vector<bool>& bound, bool definite) {
    const size_t s = m.logSigmaIndex(), pi = m.piIndex();
    const std::string degenerate = "the fit is degenerate: ";
    if (bound[s] && y[s] - box.lower[s] < box.upper[s] - y[s])
        return degenerate + "sigma tends to 0 (the grains look like one population)";
    if (bound[pi] && y[pi] > 0.5)
        return degenerate +
               "pi tends to 1 (every grain looks like part of the youngest population)";
    if (bound[pi]) return degenerate + "pi tends to 0 (no grains sit at the minimum)";
    if (bound[s]) return degenerate + "sigma grows without bound";
    if (bound[0] && y[0] < box.upper[0])
        return degenerate +
               "gamma falls below the youngest grain (no distinct youngest population)";
    if (bound[0]) return degenerate + "gamma rests on the oldest grain's age";
    if (!definite) return degenerate + "the likelihood is flat around its maximum";
    return {};
}

std::string sampleText(const GrainSample& sample) {
    return "Sample \"" + sample.name + "\": ";
}

// The checks the model needs even of a sample that skipped checkDepositionalSample.
void requireGrains(const GrainSample& sample, int parameters) {
    if (parameters != 3 && parameters != 4)
        throw KestrelError(sampleText(sample) +
                           "the minimum age model has 3 or 4 parameters, not " +
                           std::to_string(parameters));
    if (sample.ages.size() < 2 || sample.sigmas.size() != sample.ages.size())
        throw KestrelError(sampleText(sample) +
                           "the minimum age model needs two or more grains, each with an "
                           "uncertainty");
}

}  // namespace

MinimumAgeFit fitMinimumAgeModel(const GrainSample& sample, int parameters) {
    requireGrains(sample, parameters);
    const LogGrains grains = logGrains(sample);
    Model model{grains, parameters};
    const Box box = boxOf(model);
    const Climb best = globalMaximum(model, box);
    const Parameters p = model.at(best.y.data());
    const std::vector<bool> bound = onBounds(model, box, best.y);
    bool definite = false;
    const double se =
        model.scale() * gammaStandardError(hessianAt(model, best.y), bound, &definite);

    MinimumAgeFit fit;
    fit.parameters = parameters;
    fit.gamma = p.gamma;
    fit.mu = p.mu;
    fit.sigma = p.sigma;
    fit.pi = p.pi;
    fit.logLikelihood = best.lnL;
    fit.age = std::exp(p.gamma);
    fit.seGamma = se;
    fit.lower = std::exp(p.gamma - kZ95 * se);
    fit.upper = std::exp(p.gamma + kZ95 * se);
    fit.note = degeneracyOf(model, box, best.y, bound, definite);
    fit.degenerate = !fit.note.empty();
    return fit;
}

double minimumAgeLogLikelihood(const GrainSample& sample, int parameters, double gamma, double mu,
                               double sigma, double pi) {
    requireGrains(sample, parameters);
    const Parameters p{gamma, parameters == 3 ? gamma : mu, sigma, pi};
    return logLikelihood(logGrains(sample), p, nullptr);
}

DepositionalEstimate maximumLikelihoodAge(const GrainSample& sample, const DepositionalOptions& o) {
    const MinimumAgeFit fit = fitMinimumAgeModel(sample, o.mlaParameters);
    DepositionalEstimate estimate;
    estimate.method = DepositionalMethod::Mla;
    estimate.age = fit.age;
    if (std::isfinite(fit.seGamma)) {
        estimate.minus = fit.age - fit.lower;
        estimate.plus = fit.upper - fit.age;
    }
    estimate.used = sample.ages.size();
    estimate.degenerate = fit.degenerate;
    estimate.reason = fit.note;
    return estimate;
}

}  // namespace kestrel
