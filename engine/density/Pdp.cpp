// The probability density plot: one normal kernel per grain, of the grain's own uncertainty.
#include "engine/density/Pdp.h"

#include <cmath>
#include <string>

#include "engine/KestrelError.h"
#include "engine/density/NormalKernels.h"

namespace kestrel {

void checkPdpSample(const GrainSample& sample) {
    checkGrainAges(sample);
    if (sample.sigmas.size() != sample.ages.size())
        throw KestrelError(sampleLabel(sample) +
                           " has no 1-sigma uncertainties; a probability density plot needs "
                           "one for every grain");
    for (size_t i = 0; i < sample.sigmas.size(); ++i) {
        const double sigma = sample.sigmas[i];
        if (!(sigma > 0.0) || !std::isfinite(sigma))
            throw KestrelError(sampleLabel(sample) + ": grain " + std::to_string(i + 1) +
                               " has a 1-sigma uncertainty of " + messageNumber(sigma) +
                               "; a probability density plot needs every one above 0");
    }
}

std::vector<double> pdpProfile(const GrainSample& sample, const AgeGrid& grid) {
    checkPdpSample(sample);
    std::vector<double> profile(static_cast<size_t>(ageGridRows(grid)), 0.0);
    for (size_t i = 0; i < sample.ages.size(); ++i)
        addNormalKernel(profile, grid.from, grid.step, sample.ages[i], sample.sigmas[i]);
    return profile;
}

}  // namespace kestrel
