// Uniforms and normal deviates that are the same on every platform from the same seed, each
// found from its own place in a stream of words, for YDZ's draws.
//
// Words by splitmix64 (S. Vigna, after G. L. Steele, D. Lea and C. H. Flood (2014), "Fast
// splittable pseudorandom number generators", OOPSLA): the k-th word (k = 1, 2, ...) of the
// stream of a seed is z ^ (z >> 31) of z = (y ^ (y >> 27)) * 0x94D049BB133111EB,
// y = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9, x = seed + k * 0x9E3779B97F4A7C15 (all modulo 2^64).
// A word w gives the uniform u = ((w >> 11) + 1/2) 2^-53, strictly inside (0, 1), and the
// normal deviate Phi^-1(u) by M. J. Wichura (1988), "Algorithm AS 241: the percentage points of
// the normal distribution", Applied Statistics 37, 477-484 (PPND16, about 1e-16 relative).
#pragma once

#include <cstdint>

namespace kestrel {

/// @brief The k-th word (k >= 1) of the splitmix64 stream of `seed`.
inline uint64_t splitmixWord(uint64_t seed, uint64_t k) {
    uint64_t z = seed + k * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

/// @brief The uniform in (0, 1) of a word: ((w >> 11) + 1/2) 2^-53.
inline double openUniform(uint64_t word) {
    return (static_cast<double>(word >> 11) + 0.5) * 0x1.0p-53;
}

/// @brief Phi^-1(p) for p in (0, 1), by AS 241 (PPND16).
double normalQuantile(double p);

}  // namespace kestrel
