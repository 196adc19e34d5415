// The tables behind the distribution figures: every sample's profile peaks, and its grains per
// age bin; written as kestrel-batch's --peaks-out and --bins-out files and as the window's
// exported tables.
#pragma once

#include <string>
#include <vector>

#include "engine/figures/AgeBins.h"
#include "engine/figures/ProfilePeaks.h"
#include "sheet/core/CellSink.h"

namespace kestrel {

inline constexpr const char* kPeaksSheetName = "Peaks";
inline constexpr const char* kBinsSheetName = "Bins";

/// @brief Row 1 "Sample,Peak,Age,Height,Grains"; then each sample's peaks, numbered from 1 the
/// youngest, Height in per cent of its highest point. `peaks[s]` belongs to `names[s]`.
void sendPeaksSheet(const std::vector<std::string>& names,
                    const std::vector<std::vector<ProfilePeak>>& peaks, CellSink& sink);

/// @brief Writes the peaks sheet to `path` (.csv or .xlsx by its extension), atomically.
void writePeaksFile(const std::string& path, const std::vector<std::string>& names,
                    const std::vector<std::vector<ProfilePeak>>& peaks);

/// @brief Row 1 "Sample,Grains", then for each bin of `edges` "LOW-HIGH" (its grains) and
/// "LOW-HIGH %" (per cent of all the sample's grains); one row per sample. `counts[s]` belongs
/// to `names[s]`.
void sendBinsSheet(const std::vector<std::string>& names, const std::vector<double>& edges,
                   const std::vector<BinCounts>& counts, CellSink& sink);

/// @brief Writes the bins sheet to `path` (.csv or .xlsx by its extension), atomically.
void writeBinsFile(const std::string& path, const std::vector<std::string>& names,
                   const std::vector<double>& edges, const std::vector<BinCounts>& counts);

}  // namespace kestrel
