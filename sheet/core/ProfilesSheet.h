// The sheet "Profiles": the age grid and the profiles built on it from grain ages, one column
// each, so that a reader can redraw them. Written as kestrel-batch's profiles file, shown
// beside the ages in the window and saved after "Windows" in a summary workbook.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "engine/density/DensityProfiles.h"
#include "engine/density/GrainSample.h"
#include "sheet/core/CellSink.h"
#include "sheet/core/Workbook.h"

namespace kestrel {

inline constexpr const char* kProfilesSheetName = "Profiles";

/// @brief The columns of the sheet: "Age" and the ages, then each profile under its name.
/// Every profile is as long as `ages`.
struct ProfilesTable {
    std::span<const double> ages;
    std::vector<std::string> names;
    std::vector<std::span<const double>> profiles;
    /// Each profile's kernel bandwidth in age units, for a row "Bandwidth" under the names;
    /// empty: no such row (profiles without one, and the sheets the window reads from row 2).
    std::vector<double> bandwidths = {};
};

/// @brief Row 1 "Age" and the names; then, given bandwidths, the row "Bandwidth" and each
/// profile's bandwidth; then one row per age, the age and each profile's value.
void sendProfilesSheet(const ProfilesTable& table, CellSink& sink);

/// @brief The same cells as a worksheet named `sheetName` (without the bandwidths: the window
/// compares two of its columns from row 2).
Worksheet profilesWorksheet(const ProfilesTable& table, const std::string& sheetName);

/// @brief "Profiles", or "Profiles (2)", "Profiles (3)" ... when the workbook has a sheet of
/// that name already (names compared without regard to case, as spreadsheet programs do).
std::string freeProfilesSheetName(const Workbook& book);

/// @brief Writes every sample's profile, with each one's bandwidth when the profiles have them,
/// as the sheet "Profiles" to `path` (.csv or .xlsx), atomically: kestrel-batch's profiles file
/// and the window's File > Export profiles.
void writeProfilesFile(const std::string& path, const std::vector<GrainSample>& samples,
                       const DensityProfiles& profiles);

}  // namespace kestrel
