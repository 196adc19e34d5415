// The fixed-bandwidth Gaussian kernel density estimate.
#include "engine/density/Kde.h"

#include <cmath>

#include "engine/KestrelError.h"
#include "engine/density/NormalKernels.h"

namespace kestrel {

void checkBandwidth(double bandwidth) {
    if (!(bandwidth > 0.0) || !std::isfinite(bandwidth))
        throw KestrelError("The bandwidth must be a number above 0 (it is " +
                           messageNumber(bandwidth) + ")");
}

std::vector<double> kdeProfile(const GrainSample& sample, const AgeGrid& grid, double h) {
    checkGrainAges(sample);
    checkBandwidth(h);
    std::vector<double> profile(static_cast<size_t>(ageGridRows(grid)), 0.0);
    for (double age : sample.ages) addNormalKernel(profile, grid.from, grid.step, age, h);
    return profile;
}

}  // namespace kestrel
