// The youngest grains in the orders the youngest-grain estimators read them, and the cluster
// rule of W. R. Dickinson and G. E. Gehrels (2009), "Use of U-Pb ages of detrital zircons to
// infer maximum depositional ages of strata", Earth and Planetary Science Letters 288, 115-125,
// shared by YC1s(2+), YC2s(3+) and Y3Zo.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/density/GrainSample.h"

namespace kestrel {

/// @brief The grains in order of a + k s (k sigmas above the age; k = 0: by age), ties by the
/// age and then by the order read. The estimators read the young end only, so the order is
/// sorted only as far as it is read (a partial sort, its reach doubled when passed).
class GrainsByUpperAge {
  public:
    GrainsByUpperAge(const GrainSample& sample, double k);

    size_t size() const { return m_keyed.size(); }
    /// The index (into the sample) of the grain at `position` of the order.
    size_t at(size_t position) {
        sortBeyond(position);
        return m_keyed[position].index;
    }
    /// The indices of `count` grains from `first` on in the order.
    std::vector<size_t> indices(size_t first, size_t count);

  private:
    struct Keyed {
        double upper, age;
        size_t index;
    };
    void sortBeyond(size_t position) {
        if (position >= m_sorted) sortTo(position);
    }
    void sortTo(size_t position);

    std::vector<Keyed> m_keyed;
    size_t m_sorted = 0;  ///< m_keyed[0, m_sorted) is in order, and below the rest
};

/// @brief The youngest cluster of at least `minimum` grains overlapping at k sigma, in the
/// order of a + k s; empty when there is none. A cluster starts at a grain i of that order and
/// takes the grains right after it, without a gap, whose a - k s lies below i's a + k s.
std::vector<size_t> youngestCluster(const GrainSample& sample, double k, size_t minimum);

/// @brief The index of the youngest single grain: the smallest a + s, the first read of equals.
size_t youngestSingleGrainIndex(const GrainSample& sample);

}  // namespace kestrel
