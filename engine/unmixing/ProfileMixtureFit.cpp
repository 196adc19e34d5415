// Least-squares mixtures of profiles by a primal active-set method.
#include "engine/unmixing/ProfileMixtureFit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace kestrel {
namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

std::vector<double> unitSum(std::vector<double> profile) {
    const double sum = std::accumulate(profile.begin(), profile.end(), 0.0);
    if (sum > 0.0) {
        for (double& v : profile) v /= sum;
    }
    return profile;
}

// The weights z of the free set that minimise the objective with sum z = 1 (the others held at
// 0), and the multiplier nu of that equality: [G_FF 1; 1' 0] [z; nu] = [c_F; 1].
VectorXd equalityMinimum(const MatrixXd& g, const VectorXd& c, const std::vector<int>& free,
                         double& nu) {
    const Eigen::Index f = static_cast<Eigen::Index>(free.size());
    MatrixXd kkt = MatrixXd::Zero(f + 1, f + 1);
    VectorXd rhs(f + 1);
    for (Eigen::Index a = 0; a < f; ++a) {
        for (Eigen::Index b = 0; b < f; ++b) kkt(a, b) = g(free[a], free[b]);
        kkt(a, f) = kkt(f, a) = 1.0;
        rhs(a) = c(free[a]);
    }
    rhs(f) = 1.0;
    const VectorXd solution = kkt.completeOrthogonalDecomposition().solve(rhs);
    nu = solution(f);
    return solution.head(f);
}

// The vertex (one source alone) of least objective: a feasible start.
int bestVertex(const MatrixXd& g, const VectorXd& c) {
    int best = 0;
    for (int i = 1; i < c.size(); ++i) {
        if (0.5 * g(i, i) - c(i) < 0.5 * g(best, best) - c(best)) best = i;
    }
    return best;
}

double pearsonSquared(const std::vector<double>& a, const std::vector<double>& b) {
    const double n = static_cast<double>(a.size());
    const double meanA = std::accumulate(a.begin(), a.end(), 0.0) / n;
    const double meanB = std::accumulate(b.begin(), b.end(), 0.0) / n;
    double ab = 0.0, aa = 0.0, bb = 0.0;
    for (size_t r = 0; r < a.size(); ++r) {
        ab += (a[r] - meanA) * (b[r] - meanB);
        aa += (a[r] - meanA) * (a[r] - meanA);
        bb += (b[r] - meanB) * (b[r] - meanB);
    }
    return aa > 0.0 && bb > 0.0 ? ab * ab / (aa * bb) : 0.0;
}

}  // namespace

std::vector<double> simplexQuadraticMinimum(const std::vector<double>& gram,
                                            const std::vector<double>& cIn) {
    const int m = static_cast<int>(cIn.size());
    const MatrixXd g = Eigen::Map<const MatrixXd>(gram.data(), m, m).transpose();
    const VectorXd c = Eigen::Map<const VectorXd>(cIn.data(), m);
    const double tolerance = 1e-13 * std::max(1.0, g.cwiseAbs().maxCoeff());
    VectorXd w = VectorXd::Zero(m);
    std::vector<int> free{bestVertex(g, c)};
    w(free.front()) = 1.0;
    // Each step either adds a weight (the objective falls strictly) or removes one that reached
    // 0; the bound only guards against rounding cycling on degenerate problems.
    for (int step = 0; step < 100 * (m + 1); ++step) {
        double nu = 0.0;
        const VectorXd z = equalityMinimum(g, c, free, nu);
        if (z.minCoeff() >= 0.0) {
            for (size_t a = 0; a < free.size(); ++a) w(free[a]) = z(static_cast<Eigen::Index>(a));
            const VectorXd mu = (g * w - c).array() + nu;
            int entering = -1;
            for (int i = 0; i < m; ++i) {
                if (std::find(free.begin(), free.end(), i) != free.end()) continue;
                if (mu(i) < -tolerance && (entering < 0 || mu(i) < mu(entering))) entering = i;
            }
            if (entering < 0) break;
            free.push_back(entering);
            continue;
        }
        // Move towards z until the first free weight reaches 0, and hold that one at 0.
        double alpha = 1.0;
        size_t blocking = 0;
        for (size_t a = 0; a < free.size(); ++a) {
            const double from = w(free[a]), to = z(static_cast<Eigen::Index>(a));
            if (to < 0.0 && from / (from - to) < alpha) {
                alpha = from / (from - to);
                blocking = a;
            }
        }
        for (size_t a = 0; a < free.size(); ++a)
            w(free[a]) += alpha * (z(static_cast<Eigen::Index>(a)) - w(free[a]));
        w(free[blocking]) = 0.0;
        free.erase(free.begin() + static_cast<std::ptrdiff_t>(blocking));
    }
    std::vector<double> weights(static_cast<size_t>(m));
    double sum = 0.0;
    for (int i = 0; i < m; ++i) sum += weights[static_cast<size_t>(i)] = std::max(0.0, w(i));
    for (double& v : weights) v /= sum;
    return weights;
}

SourceMixture fitProfileMixture(const std::vector<double>& sink,
                                const std::vector<std::vector<double>>& sources) {
    const std::vector<double> target = unitSum(sink);
    std::vector<std::vector<double>> scaled;
    for (const auto& source : sources) scaled.push_back(unitSum(source));
    const size_t m = scaled.size();
    std::vector<double> gram(m * m), c(m);
    for (size_t a = 0; a < m; ++a) {
        c[a] = std::inner_product(scaled[a].begin(), scaled[a].end(), target.begin(), 0.0);
        for (size_t b = a; b < m; ++b) {
            gram[a * m + b] = gram[b * m + a] =
                std::inner_product(scaled[a].begin(), scaled[a].end(), scaled[b].begin(), 0.0);
        }
    }
    SourceMixture fit{simplexQuadraticMinimum(gram, c), 0.0};
    std::vector<double> mixture(target.size(), 0.0);
    for (size_t a = 0; a < m; ++a) {
        for (size_t r = 0; r < mixture.size(); ++r) mixture[r] += fit.proportions[a] * scaled[a][r];
    }
    fit.value = pearsonSquared(target, mixture);
    return fit;
}

}  // namespace kestrel
