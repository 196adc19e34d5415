// Age components by maximum likelihood: the finite mixture of Galbraith and Green (1990), after
// Galbraith (2005) chapter 6 (cited in full in MixtureComponents.h), fitted by the EM algorithm
// from several starts. EM creeps where components overlap, so its steps are extrapolated by
// SQUAREM (R. Varadhan and C. Roland (2008), "Simple and globally convergent methods for
// accelerating the convergence of any EM algorithm", Scandinavian Journal of Statistics 35,
// 335-353), every extrapolation kept only when it raises the likelihood, and the best start is
// taken the last of the way by Newton's method on the observed information.
#include "engine/depositional/MixtureComponents.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>

#include "engine/KestrelError.h"

namespace kestrel {

namespace {

constexpr double kLogSqrtTwoPi = 0.91893853320467274178;  // ln sqrt(2 pi)
constexpr double kZ95 = 1.95996398454005423552;           // the normal's 97.5% quantile

// The grains on the log scale: z = ln age, its weight 1/x^2 (x = sigma / age) and the normal
// density's constant -ln x - ln sqrt(2 pi).
struct LogGrains {
    std::vector<double> z, weight, logConstant;
    size_t size() const { return z.size(); }
};

LogGrains logGrains(const GrainSample& sample) {
    LogGrains g;
    for (size_t i = 0; i < sample.ages.size(); ++i) {
        const double x = sample.sigmas[i] / sample.ages[i];
        g.z.push_back(std::log(sample.ages[i]));
        g.weight.push_back(1.0 / (x * x));
        g.logConstant.push_back(-std::log(x) - kLogSqrtTwoPi);
    }
    return g;
}

// The k log-scale means and proportions.
struct Mixture {
    std::vector<double> mu, p;
    size_t size() const { return mu.size(); }
};

// The E step: the grains' posterior weights of the components (row-major, n x k) into `w`, and
// lnL at `m`. Terms more than 40 below a grain's largest are nil to double precision and are
// not exponentiated.
double posteriorWeights(const LogGrains& g, const Mixture& m, std::vector<double>& w) {
    const size_t k = m.size();
    w.resize(g.size() * k);
    std::vector<double> logP(k);
    for (size_t j = 0; j < k; ++j) logP[j] = std::log(m.p[j]);
    double lnL = 0.0;
    for (size_t i = 0; i < g.size(); ++i) {
        double* row = &w[i * k];
        double top = -std::numeric_limits<double>::infinity();
        for (size_t j = 0; j < k; ++j) {
            const double d = g.z[i] - m.mu[j];
            row[j] = logP[j] - 0.5 * d * d * g.weight[i];
            top = std::max(top, row[j]);
        }
        double sum = 0.0;
        for (size_t j = 0; j < k; ++j) {
            row[j] = row[j] - top < -40.0 ? 0.0 : std::exp(row[j] - top);
            sum += row[j];
        }
        for (size_t j = 0; j < k; ++j) row[j] /= sum;
        lnL += top + std::log(sum) + g.logConstant[i];
    }
    return lnL;
}

// The M step: each mean the weighted mean of the log ages by w_ij / x_i^2, each proportion the
// mean of w_ij. A component that no grain claims keeps its mean.
Mixture maximiseGiven(const LogGrains& g, const std::vector<double>& w, const Mixture& m) {
    const size_t k = m.size();
    Mixture next = m;
    std::vector<double> claims(k, 0.0), weights(k, 0.0), sums(k, 0.0);
    for (size_t i = 0; i < g.size(); ++i) {
        for (size_t j = 0; j < k; ++j) {
            const double c = w[i * k + j];
            claims[j] += c;
            weights[j] += c * g.weight[i];
            sums[j] += c * g.weight[i] * g.z[i];
        }
    }
    for (size_t j = 0; j < k; ++j) {
        if (weights[j] > 0.0) next.mu[j] = sums[j] / weights[j];
        next.p[j] = claims[j] / static_cast<double>(g.size());
    }
    return next;
}

// One EM step from `m`: the next mixture, and lnL at `m` into `lnL`.
Mixture emStep(const LogGrains& g, const Mixture& m, std::vector<double>& w, double* lnL) {
    *lnL = posteriorWeights(g, m, w);
    return maximiseGiven(g, w, m);
}

// SQUAREM's extrapolation theta0 - 2 a r + a^2 v with its step length a = -|r| / |v| (at most
// -1), over means and proportions together; false when a proportion leaves [0, 1].
bool extrapolate(const Mixture& m0, const Mixture& m1, const Mixture& m2, Mixture* out) {
    const auto along = [&](auto member, double a, bool* inside) {
        std::vector<double> next((m0.*member).size());
        double rr = 0.0, vv = 0.0;
        for (size_t j = 0; j < next.size(); ++j) {
            const double x0 = (m0.*member)[j], x1 = (m1.*member)[j], x2 = (m2.*member)[j];
            const double r = x1 - x0, v = x2 - 2.0 * x1 + x0;
            rr += r * r;
            vv += v * v;
            next[j] = x0 - 2.0 * a * r + a * a * v;
            if (inside) *inside = *inside && next[j] >= 0.0 && next[j] <= 1.0;
        }
        return std::make_pair(next, std::make_pair(rr, vv));
    };
    const auto [rrMu, vvMu] = along(&Mixture::mu, 0.0, nullptr).second;
    const auto [rrP, vvP] = along(&Mixture::p, 0.0, nullptr).second;
    if (vvMu + vvP == 0.0) return false;
    const double a = std::min(-std::sqrt((rrMu + rrP) / (vvMu + vvP)), -1.0);
    bool inside = true;
    out->mu = along(&Mixture::mu, a, nullptr).first;
    out->p = along(&Mixture::p, a, &inside).first;
    return inside;
}

struct Converged {
    Mixture mixture;
    double lnL = -std::numeric_limits<double>::infinity();
};

// EM, accelerated, until lnL changes by less than `tolerance` of itself from one cycle to the
// next, or for at most `cycles` cycles.
Converged converge(const LogGrains& g, Mixture m, double tolerance, int cycles) {
    std::vector<double> w;
    double previous = -std::numeric_limits<double>::infinity();
    for (int cycle = 0; cycle < cycles; ++cycle) {
        double lnL0 = 0.0, lnL1 = 0.0, lnLx = 0.0;
        const Mixture m1 = emStep(g, m, w, &lnL0);
        const Mixture m2 = emStep(g, m1, w, &lnL1);
        Mixture jumped;
        Mixture next = m2;
        if (extrapolate(m, m1, m2, &jumped)) {
            const Mixture settled = emStep(g, jumped, w, &lnLx);
            if (lnLx >= lnL1) next = settled;
        }
        if (std::fabs(lnL0 - previous) <= tolerance * std::fabs(lnL0)) return {m, lnL0};
        previous = lnL0;
        m = std::move(next);
    }
    return {m, posteriorWeights(g, m, w)};
}

Mixture evenly(std::vector<double> mu) {
    Mixture m;
    m.p.assign(mu.size(), 1.0 / static_cast<double>(mu.size()));
    m.mu = std::move(mu);
    return m;
}

// The log ages' quantiles at (j + shift) / k, j = 0 .. k-1.
std::vector<double> quantiles(const std::vector<double>& sorted, size_t k, double shift) {
    std::vector<double> mu;
    const double last = static_cast<double>(sorted.size() - 1);
    for (size_t j = 0; j < k; ++j) {
        const double at =
            std::clamp((static_cast<double>(j) + shift) / static_cast<double>(k), 0.0, 1.0) * last;
        const size_t below = static_cast<size_t>(at);
        const size_t above = std::min(below + 1, sorted.size() - 1);
        mu.push_back(sorted[below] +
                     (at - static_cast<double>(below)) * (sorted[above] - sorted[below]));
    }
    return mu;
}

// A fit of one component fewer, with a new component at the grain it explains worst.
Mixture withWorstGrain(const LogGrains& g, const Mixture& fewer) {
    std::vector<double> w;
    double worst = std::numeric_limits<double>::infinity();
    size_t at = 0;
    for (size_t i = 0; i < g.size(); ++i) {
        double density = 0.0;
        for (size_t j = 0; j < fewer.size(); ++j) {
            const double d = g.z[i] - fewer.mu[j];
            density += fewer.p[j] * std::exp(-0.5 * d * d * g.weight[i] + g.logConstant[i]);
        }
        if (density < worst) {
            worst = density;
            at = i;
        }
    }
    Mixture m = fewer;
    const double k = static_cast<double>(fewer.size() + 1);
    for (double& p : m.p) p *= (k - 1.0) / k;
    m.mu.push_back(g.z[at]);
    m.p.push_back(1.0 / k);
    return m;
}

// Where EM begins for k components: the log ages' quantiles, centred and shifted either way,
// means evenly over their range, and (given a fit of k - 1) that fit with one component more.
std::vector<Mixture> startsOf(const LogGrains& g, size_t k, const Mixture* fewer) {
    std::vector<double> sorted = g.z;
    std::sort(sorted.begin(), sorted.end());
    std::vector<Mixture> starts;
    for (const double shift : {0.5, 0.25, 0.75})
        starts.push_back(evenly(quantiles(sorted, k, shift)));
    std::vector<double> even;
    for (size_t j = 0; j < k; ++j)
        even.push_back(sorted.front() + (sorted.back() - sorted.front()) *
                                            (static_cast<double>(j) + 0.5) /
                                            static_cast<double>(k));
    starts.push_back(evenly(even));
    if (fewer) starts.push_back(withWorstGrain(g, *fewer));
    return starts;
}

// One grain's score s (the derivatives of ln f by mu_1 .. mu_k, then p_1 .. p_k-1 with
// p_k = 1 - the others) and the second derivatives of f over f, into `curvature` (upper block
// only: the mixed terms of means and proportions).
void grainDerivatives(const LogGrains& g, size_t i, const Mixture& m, Eigen::VectorXd& score,
                      Eigen::MatrixXd& curvature) {
    const size_t k = m.size(), last = k - 1;
    std::vector<double> logTerm(k), share(k), d(k);
    double top = -std::numeric_limits<double>::infinity();
    for (size_t j = 0; j < k; ++j) {
        const double e = g.z[i] - m.mu[j];
        d[j] = e * g.weight[i];  // d ln N_j / d mu_j
        logTerm[j] = -0.5 * e * e * g.weight[i];
        top = std::max(top, std::log(m.p[j]) + logTerm[j]);
    }
    double sum = 0.0;
    for (size_t j = 0; j < k; ++j) sum += std::exp(std::log(m.p[j]) + logTerm[j] - top);
    const double logF = top + std::log(sum);
    for (size_t j = 0; j < k; ++j) share[j] = std::exp(logTerm[j] - logF);  // N_j / f
    const auto at = [](size_t j) { return static_cast<Eigen::Index>(j); };
    curvature.setZero();
    for (size_t j = 0; j < k; ++j) {
        const double w = m.p[j] * share[j];  // the grain's posterior weight of component j
        score(at(j)) = w * d[j];
        curvature(at(j), at(j)) = w * (d[j] * d[j] - g.weight[i]);
        if (j == last) break;
        score(at(k + j)) = share[j] - share[last];
        curvature(at(j), at(k + j)) = share[j] * d[j];
        curvature(at(last), at(k + j)) = -share[last] * d[last];
    }
}

// The gradient of lnL in (mu_1 .. mu_k, p_1 .. p_k-1) and the observed information, the sum
// over grains of s s' - f''/f.
struct Curvature {
    Eigen::VectorXd gradient;
    Eigen::MatrixXd information;
};

Curvature curvatureAt(const LogGrains& g, const Mixture& m) {
    const Eigen::Index size = 2 * static_cast<Eigen::Index>(m.size()) - 1;
    Curvature c{Eigen::VectorXd::Zero(size), Eigen::MatrixXd::Zero(size, size)};
    Eigen::MatrixXd curvature(size, size);
    Eigen::VectorXd score(size);
    for (size_t i = 0; i < g.size(); ++i) {
        grainDerivatives(g, i, m, score, curvature);
        c.gradient += score;
        c.information += score * score.transpose();
        c.information -= Eigen::MatrixXd(curvature.selfadjointView<Eigen::Upper>());
    }
    return c;
}

// The mixture moved by `step` in (mu, p_1 .. p_k-1); false when a proportion leaves [0, 1].
bool moved(const Mixture& m, const Eigen::VectorXd& step, Mixture* out) {
    const size_t k = m.size();
    *out = m;
    double others = 0.0;
    for (size_t j = 0; j < k; ++j) out->mu[j] += step(static_cast<Eigen::Index>(j));
    for (size_t j = 0; j + 1 < k; ++j) {
        out->p[j] += step(static_cast<Eigen::Index>(k + j));
        others += out->p[j];
        if (!(out->p[j] >= 0.0 && out->p[j] <= 1.0)) return false;
    }
    out->p[k - 1] = 1.0 - others;
    return out->p[k - 1] >= 0.0;
}

// Newton's steps from an EM fit near the maximum, where EM creeps along ridges of overlapping
// components but the quadratic is good: each step halved until it raises lnL. True when lnL is
// within 1e-12 of itself of the maximum; false when the information is singular there
// (components that coincide) or no step helps.
bool polish(const LogGrains& g, Converged& c) {
    std::vector<double> w;
    for (int iteration = 0; iteration < 50; ++iteration) {
        const Curvature curvature = curvatureAt(g, c.mixture);
        const Eigen::LLT<Eigen::MatrixXd> llt(curvature.information);
        if (llt.info() != Eigen::Success) return false;
        Eigen::VectorXd step = llt.solve(curvature.gradient);
        // Half the Newton decrement: how far below the quadratic's maximum lnL is.
        if (0.5 * curvature.gradient.dot(step) <= 1e-12 * std::fabs(c.lnL)) return true;
        bool better = false;
        for (int halving = 0; halving < 20 && !better; ++halving, step *= 0.5) {
            Mixture next;
            if (!moved(c.mixture, step, &next)) continue;
            const double lnL = posteriorWeights(g, next, w);
            if (lnL >= c.lnL) {
                c = {std::move(next), lnL};
                better = true;
            }
        }
        if (!better) return false;
    }
    return false;
}

// Each start climbed by EM until it settles near a maximum, the best then to the maximum by
// Newton's method, or by more EM where that cannot go.
Converged bestOfStarts(const LogGrains& g, size_t k, const Mixture* fewer) {
    Converged best;
    for (Mixture& start : startsOf(g, k, fewer)) {
        Converged c = converge(g, std::move(start), 1e-7, 60);
        if (c.lnL > best.lnL) best = std::move(c);
    }
    if (!polish(g, best)) best = converge(g, best.mixture, 1e-12, 2000);
    return best;
}

// The standard errors of the means from the inverse of the observed information; where that is
// singular (components that coincide, or one that no grain claims), each mean's error given the
// others.
std::vector<double> meanStandardErrors(const LogGrains& g, const Mixture& m) {
    const Eigen::Index k = static_cast<Eigen::Index>(m.size()), size = 2 * k - 1;
    const Eigen::MatrixXd information = curvatureAt(g, m).information;
    std::vector<double> se(m.size(), std::numeric_limits<double>::quiet_NaN());
    const Eigen::LLT<Eigen::MatrixXd> llt(information);
    for (Eigen::Index j = 0; j < k; ++j) {
        const double own = information(j, j) > 0.0 ? 1.0 / information(j, j) : -1.0;
        const double variance =
            llt.info() == Eigen::Success ? llt.solve(Eigen::VectorXd::Unit(size, j))(j) : own;
        if (variance > 0.0) se[static_cast<size_t>(j)] = std::sqrt(variance);
    }
    return se;
}

MixtureFit fitOf(const LogGrains& g, const Converged& c) {
    const std::vector<double> se = meanStandardErrors(g, c.mixture);
    MixtureFit fit;
    for (size_t j = 0; j < c.mixture.size(); ++j) {
        const double mu = c.mixture.mu[j];
        fit.components.push_back(AgeComponent{std::exp(mu), std::exp(mu - kZ95 * se[j]),
                                              std::exp(mu + kZ95 * se[j]), c.mixture.p[j]});
    }
    std::sort(fit.components.begin(), fit.components.end(),
              [](const AgeComponent& a, const AgeComponent& b) { return a.age < b.age; });
    const double k = static_cast<double>(c.mixture.size());
    fit.logLikelihood = c.lnL;
    fit.bic = -2.0 * c.lnL + (2.0 * k - 1.0) * std::log(static_cast<double>(g.size()));
    return fit;
}

std::string sampleText(const GrainSample& sample) {
    return "Sample \"" + sample.name + "\": ";
}

// The checks the fit needs even of a sample that skipped checkDepositionalSample.
void requireGrains(const GrainSample& sample) {
    if (sample.ages.empty() || sample.sigmas.size() != sample.ages.size())
        throw KestrelError(sampleText(sample) +
                           "age components need grains, each with an uncertainty");
}

}  // namespace

MixtureFit fitMixture(const GrainSample& sample, int k) {
    requireGrains(sample);
    const size_t n = sample.ages.size();
    if (k < 1 || static_cast<size_t>(k) > n)
        throw KestrelError(sampleText(sample) + std::to_string(k) +
                           " age components cannot be fitted to " + std::to_string(n) +
                           (n == 1 ? " grain" : " grains") + " (from 1 to " + std::to_string(n) +
                           " can)");
    const LogGrains g = logGrains(sample);
    return fitOf(g, bestOfStarts(g, static_cast<size_t>(k), nullptr));
}

MixtureFit fitMixtureAuto(const GrainSample& sample) {
    requireGrains(sample);
    const LogGrains g = logGrains(sample);
    const size_t most = std::min<size_t>(kMaxAutoComponents, g.size());
    MixtureFit best;
    Converged fewer;
    for (size_t k = 1; k <= most; ++k) {
        fewer = bestOfStarts(g, k, k > 1 ? &fewer.mixture : nullptr);
        MixtureFit fit = fitOf(g, fewer);
        if (k == 1 || fit.bic < best.bic) best = std::move(fit);
    }
    best.bicAtLargestK = best.components.size() == most && most < g.size();
    return best;
}

double mixtureLogLikelihood(const GrainSample& sample, const std::vector<double>& logMeans,
                            const std::vector<double>& proportions) {
    requireGrains(sample);
    std::vector<double> w;
    return posteriorWeights(logGrains(sample), Mixture{logMeans, proportions}, w);
}

}  // namespace kestrel
