// Reading single-grain ages (and their uncertainties) from a workbook into one list per sample,
// from either of the two layouts laboratories publish: one column per sample, or one row per
// grain.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/density/GrainSample.h"
#include "sheet/core/Workbook.h"

namespace kestrel {

enum class AgesLayout {
    Columns,  // a heading row names the samples, each column holds one sample's ages downwards
    Rows,     // one grain a row: Sample, Age and optionally Uncertainty columns
};

/// Where the columns layout finds the uncertainties.
enum class ErrorsPlace {
    None,
    Sheet,   // a second sheet of the same shape, its columns matched to the ages by heading
    Beside,  // the column right of each age column
};

/// @brief What to read. Sheets, rows and columns count from 1.
struct GrainAgesRequest {
    int sheet = 1;  // the sheet of the ages
    AgesLayout layout = AgesLayout::Columns;
    int32_t headingRow = 1;
    ErrorsPlace errors = ErrorsPlace::None;  // rows layout: not None asks for the column
    std::string errorsSheet;                 // its name, with ErrorsPlace::Sheet
    int sigmaLevel = 1;                      // the uncertainties are 1σ or 2σ (2σ is halved)
    bool relative = false;                   // uncertainties in per cent of the age
    bool uncertaintiesRequired = false;      // every grain needs a positive uncertainty (PDP)
    std::vector<int32_t> columns;            // columns layout: empty = every headed column
    std::optional<int32_t> sampleCol, ageCol, errorCol;  // rows layout: empty = by heading
    /// A sample that does not read (fewer than 2 ages, an age that is not a number, a name used
    /// twice) is set aside in GrainAges::unusable rather than refusing the whole workbook.
    bool setAsideUnusable = false;
};

/// @brief A sample set aside, with the message a whole-workbook read refuses it with.
struct UnusableSample {
    std::string name;
    std::string reason;
};

/// @brief The samples in the order of their columns (columns layout) or of their first row
/// (rows layout), and the empty cells skipped between the heading and the last age of a column
/// or in the Age column of a row that names a sample.
struct GrainAges {
    std::vector<GrainSample> samples;
    int64_t emptyCellsSkipped = 0;
    std::vector<UnusableSample> unusable;  // with setAsideUnusable, in the samples' order
};

/// @brief Reads the grain ages of `book` as `request` says. Ages may be any real numbers;
/// numbers stored as text are read by the real-number rule. Columns layout: a column's ages
/// run from below the heading down to its last number; ErrorsPlace::Sheet takes each age's
/// uncertainty from the same row of the errors sheet's column with the same heading (in the same
/// heading row); with ErrorsPlace::Beside the age columns are every other column. Rows layout: the
/// columns are found by their headings (any case, trimmed): Sample or Name; Age; Uncertainty,
/// Error, Err, Sigma, 1σ, 1s, 2σ or 2s; the uncertainty column is read when there is one. Throws
/// KestrelError naming the cell for an age or uncertainty that is not a number, an age without its
/// uncertainty, an uncertainty that gives no positive 1σ when uncertaintiesRequired, no sample at
/// all, a sample with fewer than 2 ages, a sample name used twice, missing uncertainties that were
/// asked for, and a heading row without the Sample or Age column. With setAsideUnusable, the
/// samples refused for their own ages or name are listed in `unusable` instead and the others
/// read; when none is left, the first one's reason is thrown.
GrainAges readGrainAges(const Workbook& book, const GrainAgesRequest& request);

}  // namespace kestrel
