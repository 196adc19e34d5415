// The sheets of depositional ages and of age components: one row per sample and method (or per
// sample and component), written as kestrel-batch's --mda and --components-out files, as the
// window's exported table and as the sheet "Depositional age" of a summary workbook.
#pragma once

#include <string>
#include <vector>

#include "engine/density/GrainSample.h"
#include "engine/depositional/DepositionalAges.h"
#include "engine/depositional/MixtureComponents.h"
#include "sheet/core/CellSink.h"

namespace kestrel {

inline constexpr const char* kDepositionalSheetName = "Depositional age";
inline constexpr const char* kComponentsSheetName = "Components";

/// @brief Row 1 "Sample,Grains,Method,Age,Minus,Plus,MSWD,Used"; then, for each sample in
/// order, one row per estimate in its order: the sample's name and grain count, the method's
/// name, and the numbers, a cell left empty where the estimate has none (Age, Minus and Plus of a
/// method that found nothing; the MSWD of a method without one). `estimates[s]` belongs to
/// `samples[s]`.
void sendDepositionalSheet(const std::vector<GrainSample>& samples,
                           const std::vector<std::vector<DepositionalEstimate>>& estimates,
                           CellSink& sink);

/// @brief Writes the sheet to `path` (.csv or .xlsx by its extension), atomically.
void writeDepositionalFile(const std::string& path, const std::vector<GrainSample>& samples,
                           const std::vector<std::vector<DepositionalEstimate>>& estimates);

/// @brief Row 1 "Sample,Component,Age,Minus,Plus,Proportion"; then each sample's components by
/// age, numbered from 1, Minus and Plus the distances to the 95% limits.
void sendComponentsSheet(const std::vector<GrainSample>& samples,
                         const std::vector<MixtureFit>& fits, CellSink& sink);

/// @brief Writes the components sheet to `path` (.csv or .xlsx by its extension), atomically.
void writeComponentsFile(const std::string& path, const std::vector<GrainSample>& samples,
                         const std::vector<MixtureFit>& fits);

}  // namespace kestrel
