// Saylor's cross-correlation coefficient.
#include "engine/measures/CrossCorrelation.h"

namespace kestrel {

double crossCorrelationOfProfiles(const PreparedProfile& a, const PreparedProfile& b) {
    if (a.centredNorm == 0.0 || b.centredNorm == 0.0) return 0.0;
    double sum = 0.0;
    for (size_t k = 0; k < a.centred.size(); ++k) sum += a.centred[k] * b.centred[k];
    const double r = sum / (a.centredNorm * b.centredNorm);
    return r * r;
}

}  // namespace kestrel
