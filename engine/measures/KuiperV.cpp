// Kuiper's V of two cumulative curves.
#include "engine/measures/KuiperV.h"

#include <cmath>

namespace kestrel {

double kuiperVOfProfiles(const PreparedProfile& a, const PreparedProfile& b) {
    double up = 0.0, down = 0.0;
    bool notANumber = false;
    for (size_t k = 1; k < a.curve.size(); ++k) {
        const double gap = a.curve[k] - b.curve[k];
        notANumber |= gap != gap;
        up = gap > up ? gap : up;
        down = -gap > down ? -gap : down;
    }
    return notANumber ? std::nan("") : up + down;
}

}  // namespace kestrel
