// One sample of dated grains (for example U-Pb zircon ages in Ma): what a laboratory measured,
// before any profile is made of it.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

/// @brief A sample's name, its grain ages (age units, any real numbers, in the order read) and,
/// when the workbook gives them, each age's 1-sigma uncertainty in age units (already halved
/// from 2 sigma and turned from per cent into age units); `sigmas` is empty or as long as
/// `ages`.
struct GrainSample {
    std::string name;
    std::vector<double> ages;
    std::vector<double> sigmas;
};

}  // namespace kestrel
