// The Open grain ages dialog's choices read into what the ages reader and the profiles need,
// with the field to correct when one does not read, and the profiles built from them.
#pragma once

#include <string>
#include <variant>

#include "engine/density/DensityProfiles.h"
#include "sheet/core/GrainAges.h"
#include "sheet/core/ProfilesSheet.h"
#include "sheet/core/Workbook.h"
#include "ui/SettingsFields.h"

namespace kestrel {

/// @brief What the choices ask of the reader and of the profiles.
struct GrainAgesPlan {
    GrainAgesRequest request;
    DensityOptions density;
};

/// @brief The dialog fields a choice can be refused for.
enum class GrainAgesField { Sheet, HeadingRow, ErrorsSheet, Bandwidth, GridFrom, GridTo, GridStep };

/// @brief A choice that does not read: the field to correct and what is wrong with it.
struct GrainAgesRefusal {
    GrainAgesField field;
    std::string message;
};

/// @brief The plan for `choices` on `book`, or the first field that does not read: a sheet the
/// workbook lacks, a heading row that is no row number, a bandwidth that is not a number above
/// 0 (empty: each sample's own), a grid with some of its From, To and Step but not all (all
/// empty: the automatic grid) or one that is no number, To not above From, Step not above 0.
std::variant<GrainAgesPlan, GrainAgesRefusal> planGrainAges(const GrainAgesFields& choices,
                                                            const Workbook& book);

/// @brief The ages read and every sample's profile built on one grid.
struct GrainAgesBuilt {
    GrainAges ages;
    DensityProfiles profiles;
};

/// @brief Everything a comparison from grain ages was made of: the workbook as read (its full
/// path as the file system spells it), the choices, and the ages and profiles built.
struct GrainAgesSource {
    std::string workbookPath;
    Workbook workbook;
    GrainAgesFields choices;
    GrainAgesBuilt built;
};

/// @brief Reads the ages and builds the profiles as `plan` says; throws KestrelError naming the
/// cell, the sample or the setting at fault.
GrainAgesBuilt buildGrainAges(const Workbook& book, const GrainAgesPlan& plan);

/// @brief The grid's ages and the profiles of `samples` (indices into the source's samples)
/// under their names, for a sheet "Profiles"; the spans point into `source`.
ProfilesTable profilesTableOf(const GrainAgesSource& source, const std::vector<size_t>& samples);

/// @brief The samples' names alone, read as the plan says but without the uncertainties of
/// another sheet and without requiring any; empty when the sheet holds no samples that read.
std::vector<std::string> grainSampleNames(const Workbook& book, const GrainAgesPlan& plan);

}  // namespace kestrel
