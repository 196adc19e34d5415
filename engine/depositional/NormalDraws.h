// Normal deviates that are the same on every platform from the same seed, for YDZ's draws.
//
// Uniform 64-bit words by splitmix64 (S. Vigna, after G. L. Steele, D. Lea and C. H. Flood
// (2014), "Fast splittable pseudorandom number generators", OOPSLA): the state starts at the
// seed; each word adds 0x9E3779B97F4A7C15 to the state and returns
// z ^ (z >> 31) of z = (y ^ (y >> 27)) * 0x94D049BB133111EB, y = (x ^ (x >> 30)) *
// 0xBF58476D1CE4E5B9, x the state (all arithmetic modulo 2^64). A word w gives the uniform
// u = (w >> 11) 2^-53 in [0, 1). Normals come in pairs by Box and Muller (1958) from two
// successive uniforms u1, u2: r = sqrt(-2 ln(1 - u1)), first r cos(2 pi u2), then
// r sin(2 pi u2).
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
        const double u1 = uniform(), u2 = uniform();
        const double r = std::sqrt(-2.0 * std::log(1.0 - u1));
        const double angle = 2.0 * 3.141592653589793 * u2;
        m_second = r * std::sin(angle);
        m_hasSecond = true;
        return r * std::cos(angle);
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
