// One profile made ready for the measures that compare profiles: its shares and cumulative
// curve by the comparison's own convention, and the derived values each measure needs, made
// once per profile however many pairs it enters.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace kestrel {

/// @brief The profile's values v_1..v_n over the rows of a range, prepared. Shares are
/// f_k = v_k / (1e-9 + v_1 + ... + v_n), the totals of the two-profile comparison (sums in row
/// order), so the curve is the comparison's curve bit for bit; a profile of zeros has shares of
/// 0 and a curve of 0 (it holds no mass).
struct PreparedProfile {
    std::vector<double> shares;  ///< f_k, row order
    /// F_k = f_1 + ... + f_k as the comparison sums it, counted from 1 as its arrays are
    /// (entry 0 is 0): n + 1 entries.
    std::vector<double> curve;
    std::vector<double> rootShares;  ///< sqrt(f_k)
    std::vector<double> centred;     ///< f_k - mean(f)
    double centredNorm = 0.0;        ///< sqrt(sum (f_k - mean)^2)
    /// The values as a distribution over the ages in ascending order: cumulative masses
    /// v_1 + ... + v_k over the total (the last exactly 1) in the order `ageOrder` gives; empty
    /// for a profile without mass.
    std::vector<double> ageCumulative;
    bool hasMass = false;  ///< some value is not 0
};

/// @brief Prepares `values` (n >= 1 values, row order). `ageOrder` lists the rows (0-based) by
/// ascending age, ties in row order (ascendingAgeOrder()).
PreparedProfile prepareProfile(std::span<const double> values, std::span<const size_t> ageOrder);

/// @brief The rows (0-based) of `ages` in ascending order of age, equal ages in row order.
std::vector<size_t> ascendingAgeOrder(std::span<const double> ages);

}  // namespace kestrel
