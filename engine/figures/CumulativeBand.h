// A sample's empirical cumulative distribution and the Dvoretzky-Kiefer-Wolfowitz band around
// it: A. Dvoretzky, J. Kiefer and J. Wolfowitz (1956), Annals of Mathematical Statistics 27,
// 642-669, with the constant 2 of P. Massart (1990), Annals of Probability 18, 1269-1283, so
// that P(sup |F_n - F| > e) <= 2 exp(-2 n e^2) and the band of confidence 1 - alpha has
// half-width e = sqrt(ln(2 / alpha) / (2 n)).
#pragma once

#include <vector>

namespace kestrel {

/// @brief The DKW band's half-width for `n` grains at confidence 1 - alpha (alpha in (0, 1)).
double dkwHalfWidth(int n, double alpha = 0.05);

/// @brief The empirical cumulative distribution as steps: the distinct ages ascending and,
/// at each, the share of the grains at or below it (right-continuous); 0 before the first.
struct CumulativeSteps {
    std::vector<double> ages;
    std::vector<double> shares;
};

CumulativeSteps cumulativeSteps(std::vector<double> ages);

}  // namespace kestrel
