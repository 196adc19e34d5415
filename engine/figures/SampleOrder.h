// The order in which a figure stacks its samples: as read, along the map's first axis, or as
// typed.
#pragma once

#include <string>
#include <vector>

#include "engine/density/GrainSample.h"

namespace kestrel {

/// @brief The samples' indices ordered as "workbook" (as read), "map" (along the first axis of
/// the classical map of the samples' KS D, the first sample at the axis's low end; ties as
/// read) or a typed list of names separated by commas, those not named following in the order
/// read. Throws KestrelError for a typed name no sample has, or named twice, and as
/// compareSamples does for the map.
std::vector<size_t> sampleOrder(const std::vector<GrainSample>& samples, const std::string& order);

/// @brief The indices ordered along the first axis of `firstAxis` (one value per sample),
/// ties as read.
std::vector<size_t> orderAlongAxis(const std::vector<double>& firstAxis);

}  // namespace kestrel
