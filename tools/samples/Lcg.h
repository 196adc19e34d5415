// The pseudo-random numbers of the sample workbooks: Numerical Recipes' 32-bit linear
// congruential generator, the same sequence on every platform and compiler.
#pragma once

#include <cstdint>

namespace kestrel::samples {

class Lcg {
  public:
    explicit Lcg(uint32_t seed) : m_state(seed) {}
    /// @brief The next number, in [0, 1).
    double next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state / 4294967296.0;
    }

  private:
    uint32_t m_state;
};

}  // namespace kestrel::samples
