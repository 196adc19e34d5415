// Normal deviates that are the same on every platform from the same seed, for YDZ's draws.
//
// Uniform 64-bit words by splitmix64 (S. Vigna, after G. L. Steele, D. Lea and C. H. Flood
// (2014), "Fast splittable pseudorandom number generators", OOPSLA): the state starts at the
// seed; each word adds 0x9E3779B97F4A7C15 to the state and returns
// z ^ (z >> 31) of z = (y ^ (y >> 27)) * 0x94D049BB133111EB, y = (x ^ (x >> 30)) *
// 0xBF58476D1CE4E5B9, x the state (all arithmetic modulo 2^64). A word w gives the uniform
// u = (w >> 11) 2^-53 in [0, 1). Normals come in pairs by the polar method (G. Marsaglia and
// T. A. Bray (1964), "A convenient method for generating normal variables", SIAM Review 6,
// 260-264), which needs no sine or cosine: from two successive uniforms, v1 = 2 u1 - 1 and
// v2 = 2 u2 - 1 (both exact); the pair is drawn again (from the next two uniforms) unless
// 0 < q = v1^2 + v2^2 < 1; then f = sqrt(-2 ln(q) / q) gives first v1 f, then v2 f.
#pragma once

#include <cmath>
#include <cstdint>

namespace kestrel {

/// @brief The stream of normal deviates (mean 0, sd 1) of one seed, as the header defines it.
class NormalDraws {
  public:
    explicit NormalDraws(uint64_t seed) : m_state(seed) {}

    double next() {
        if (m_hasSecond) {
            m_hasSecond = false;
            return m_second;
        }
        double v1 = 0.0, v2 = 0.0, q = 0.0;
        do {
            v1 = 2.0 * uniform() - 1.0;
            v2 = 2.0 * uniform() - 1.0;
            q = v1 * v1 + v2 * v2;
        } while (!(q > 0.0 && q < 1.0));
        const double f = std::sqrt(-2.0 * std::log(q) / q);
        m_second = v2 * f;
        m_hasSecond = true;
        return v1 * f;
    }

  private:
    uint64_t word() {
        m_state += 0x9E3779B97F4A7C15ULL;
        uint64_t z = m_state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(word() >> 11) * 0x1.0p-53; }

    uint64_t m_state;
    double m_second = 0.0;
    bool m_hasSecond = false;
};

}  // namespace kestrel
