// The results of a many-profile comparison as a file: the D matrix, the p matrix and the MDS
// coordinates, as blocks of one .csv sheet or as the sheets "D", "p" and "MDS" of a workbook.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/NearestNeighbours.h"
#include "engine/comparison/ProfileMatrix.h"
#include "sheet/core/CellSink.h"

namespace kestrel {

/// @brief The note that stands where p-values would be when no grain counts were given.
inline constexpr const char* kNoPValuesNote =
    "No p-values: they need the number of grains behind each profile (a grains row or one "
    "grain count per profile)";

/// @brief The file-type code of a matrix file named `path`: kFileTypeCsv for .csv, kFileTypeXlsx
/// for .xlsx (either case); throws KestrelError for any other name.
int16_t matrixFileTypeOf(const std::string& path);

/// @brief One sheet "Matrix": the D block (an empty cell and the names, then per sample its name
/// and its D values), an empty row, the p block headed "p" when there are p-values, an empty
/// row, and the MDS block headed "MDS", "Axis 1", "Axis 2" (per sample its name and two
/// coordinates) ending with the row "Share of variance" and the two shares.
///
/// Given `neighbours` (one per sample, by the map's measure), the MDS block gains the columns
/// "Nearest" and "Second nearest" naming each sample's two closest; given `stress` (the map's
/// stress-1), the row "Stress-1" follows the shares. Without them the block is as above.
void sendMatrixSheet(const ProfileMatrix& matrix, const MdsMap& map, CellSink& sink,
                     const std::vector<NearestNeighbours>& neighbours = {},
                     std::optional<double> stress = std::nullopt);

/// @brief Three sheets: "D" and "p" laid out as the D block (sheet "p" holds kNoPValuesNote in
/// A1 when there are no p-values), "MDS" as the MDS block; a matrix of grain ages has the sheets
/// "Kuiper V" and "Kuiper p" before "MDS" (and the one-sheet layout their blocks, headed so,
/// after p).
/// The other measures asked for follow, a sheet (or block) each named by the measure ("Kuiper
/// V" with "Kuiper p" after it when there are grain counts, "Similarity", "Likeness", "R²",
/// "W2"), before "MDS". `neighbours` and `stress` as for sendMatrixSheet().
void sendMatrixSheets(const ProfileMatrix& matrix, const MdsMap& map, CellSink& sink,
                      const std::vector<NearestNeighbours>& neighbours = {},
                      std::optional<double> stress = std::nullopt);

/// @brief Writes the results to `path` atomically, as one sheet for .csv and three for .xlsx.
/// `neighbours` and `stress` as for sendMatrixSheet(). Throws KestrelError naming the file when
/// it cannot be written.
void writeMatrixFile(const std::string& path, const ProfileMatrix& matrix, const MdsMap& map,
                     const std::vector<NearestNeighbours>& neighbours = {},
                     std::optional<double> stress = std::nullopt);

}  // namespace kestrel
