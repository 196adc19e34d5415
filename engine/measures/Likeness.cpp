// Satkoski's Likeness.
#include "engine/measures/Likeness.h"

#include <cmath>

namespace kestrel {

double likenessOfProfiles(const PreparedProfile& a, const PreparedProfile& b) {
    double sum = 0.0;
    for (size_t k = 0; k < a.shares.size(); ++k) sum += std::fabs(a.shares[k] - b.shares[k]);
    return 1.0 - sum / 2.0;
}

}  // namespace kestrel
