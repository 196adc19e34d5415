// Gehrels' Similarity.
#include "engine/measures/Similarity.h"

namespace kestrel {

double similarityOfProfiles(const PreparedProfile& a, const PreparedProfile& b) {
    double sum = 0.0;
    for (size_t k = 0; k < a.rootShares.size(); ++k) sum += a.rootShares[k] * b.rootShares[k];
    return sum;
}

}  // namespace kestrel
