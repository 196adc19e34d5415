// Synthetic grain ages for the shipped sample workbook of ages: eight detrital zircon samples
// drawn from a few age populations, with 1-sigma uncertainties. Not measured data.
#pragma once

#include <string>
#include <vector>

#include "engine/density/GrainSample.h"
#include "sheet/core/SpreadsheetCore.h"

namespace kestrel::samples {

/// @brief Eight samples "DZ01" ... "DZ08" of 60 to 120 grains each, ages in Ma rounded to 0.1,
/// 1-sigma uncertainties (about 1.5 % of the age plus 4 Ma) likewise. Each sample mixes the
/// populations of its source area (Variscan, Pan-African, Grenvillian, Palaeoproterozoic,
/// Archaean ages): DZ01-DZ04 share one source and DZ05-DZ08 another, DZ04 and DZ08 with a
/// little of the other source's as well. The same numbers on every platform: the ages come
/// from a fixed linear congruential generator and no library function.
std::vector<GrainSample> sampleGrainAges();

/// @brief A workbook of three sheets: "Ages" (row 1 the sample names, each column one sample's
/// ages downwards), "Errors" (the 1-sigma uncertainties in the same places) and "Grains" (one
/// row per grain: Sample, Age, 1s under a heading row, the samples one after the other).
/// "Ages" is the sheet active in the file.
void fillGrainAgesWorkbook(SpreadsheetCore& book, const std::vector<GrainSample>& samples);

}  // namespace kestrel::samples
