// The sheets of unmixing: the fits of a sink's sources (kestrel-batch's --unmix-out, the
// window's exported table) and the end-members of many samples (--nmf-out).
#pragma once

#include <string>
#include <vector>

#include "engine/unmixing/NmfEndMembers.h"
#include "engine/unmixing/Unmixing.h"
#include "sheet/core/CellSink.h"

namespace kestrel {

inline constexpr const char* kUnmixingSheetName = "Unmixing";
inline constexpr const char* kEndMembersSheetName = "End-members";
inline constexpr const char* kWeightsSheetName = "Weights";
inline constexpr const char* kResidualByKSheetName = "Residual by k";

/// @brief Row 1 "Fit,Item,Estimate,Lower,Upper"; then for each estimate in order one row per
/// source (Item its name, Estimate its proportion) and one row with Item "value" (the fit's D,
/// V or R2). Fit is the fit's name ("D", "V", "profiles"); Lower and Upper are the bootstrap's
/// 2.5 and 97.5 percentiles, empty without a bootstrap (an empty
/// text in Upper, so that a .csv row still has five fields).
void sendUnmixingSheet(const std::vector<std::string>& sources, const UnmixingResult& result,
                       CellSink& sink);

/// @brief Writes the unmixing sheet to `path` (.csv or .xlsx by its extension), atomically.
void writeUnmixingFile(const std::string& path, const std::vector<std::string>& sources,
                       const UnmixingResult& result);

/// @brief The end-members' sheets of `fit`: "End-members" (Age, then EM1 ... EMk, each at unit
/// sum) and "Weights" (Sample, EM1 ... EMk summing to 1, Residual: the sample's own); with
/// `byK` not empty, also "Residual by k" (k, Residual), one row per fit.
void sendEndMembersWorkbook(const std::vector<double>& ages,
                            const std::vector<std::string>& samples, const NmfFit& fit,
                            const std::vector<NmfFit>& byK, CellSink& sink);

/// @brief Writes the end-members' workbook to `path` (.xlsx), atomically.
void writeEndMembersFile(const std::string& path, const std::vector<double>& ages,
                         const std::vector<std::string>& samples, const NmfFit& fit,
                         const std::vector<NmfFit>& byK);

}  // namespace kestrel
