// An oracle for exact two-sample Kolmogorov-Smirnov critical values at any sample size, built
// independently of the engine: the reflection sum with each binomial ratio taken as a direct
// product of factors in long double (no logarithms, no Stirling series).
#pragma once

#include <cstdint>
#include <vector>

namespace kestrel::testsupport {

class ReflectionSumOracle {
  public:
    /// @brief Prepares the ratios C(2n, n - m) / C(2n, n) for n values per sample.
    explicit ReflectionSumOracle(int32_t n) : m_n(n) {
        // C(2n, n - m) / C(2n, n) = prod_{i=0}^{m-1} (n - i) / (n + 1 + i). A ratio below 1e-40
        // cannot move a probability compared at double precision, so the list stops there.
        long double ratio = 1;
        m_ratios.push_back(ratio);
        for (int32_t m = 1; m <= n && ratio > 1e-40L; ++m) {
            ratio *= static_cast<long double>(n - (m - 1)) / static_cast<long double>(n + m);
            m_ratios.push_back(ratio);
        }
    }

    /// @brief P(D >= k/n) = 2 * sum_{j >= 1} (-1)^(j+1) * C(2n, n - j*k) / C(2n, n).
    long double tail(int32_t k) const {
        if (k <= 0) return 1;
        long double sum = 0;
        long double sign = 1;
        for (size_t m = static_cast<size_t>(k); m < m_ratios.size(); m += static_cast<size_t>(k)) {
            sum += sign * m_ratios[m];
            sign = -sign;
        }
        return 2 * sum;
    }

    /// @brief The smallest k in 1..n with P(D >= k/n) <= alpha, 0 when none (the tail does not
    /// grow with k, so a binary search finds it).
    int32_t criticalCount(double alpha) const {
        if (tail(m_n) > alpha) return 0;
        int32_t low = 1, high = m_n;
        while (low < high) {
            const int32_t middle = low + (high - low) / 2;
            if (tail(middle) <= alpha)
                high = middle;
            else
                low = middle + 1;
        }
        return low;
    }

  private:
    int32_t m_n;
    std::vector<long double> m_ratios;  // index m: C(2n, n - m) / C(2n, n)
};

}  // namespace kestrel::testsupport
