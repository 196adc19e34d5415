// What both grain-age layouts share: reading an age or uncertainty cell, turning an uncertainty
// into 1σ in age units, headings, and the checks on the finished samples.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/density/GrainSample.h"
#include "sheet/core/GrainAges.h"
#include "sheet/core/Workbook.h"

namespace kestrel::grainages {

/// @brief "Cell B7 of sheet \"Ages\"".
std::string cellName(const Worksheet& sheet, int32_t row, int32_t col);
/// @brief "column B of sheet \"Ages\"".
std::string columnName(const Worksheet& sheet, int32_t col);

/// @brief A refusal that concerns one sample alone (its ages or its name), which a reader asked
/// to set unusable samples aside records instead of refusing the workbook.
class SampleError : public KestrelError {
  public:
    using KestrelError::KestrelError;
};

/// @brief Whether the cell holds nothing: absent, Empty, or text of spaces only.
bool isBlank(const Cell* cell);
/// @brief Whether a non-blank cell reads as a number (a number, or text by the real-number rule).
bool isNumber(const Cell& cell);
/// @brief The number of a non-blank cell; anything else is refused naming the cell.
double readNumber(const Worksheet& sheet, int32_t row, int32_t col, const Cell& cell);

/// @brief readNumber() for an age: what does not read is the sample's own fault (SampleError).
double readAge(const Worksheet& sheet, int32_t row, int32_t col, const Cell& cell);

/// @brief A heading or sample name as written: trimmed text, a number's shortest text, ""
/// for a blank cell.
std::string cellLabel(const Cell* cell);
/// @brief Whether `heading` is one of `names`, ASCII letters compared in any case.
bool headingIs(std::string_view heading, std::span<const std::string_view> names);

/// @brief How uncertainties are written and what the profile needs of them.
struct UncertaintyRule {
    int sigmaLevel = 1;
    bool relative = false;
    bool required = false;
};
/// @brief The 1σ in age units of the uncertainty `value` read from the cell at (row, col) for
/// `age`; refused naming the cell when the profile needs it positive and it is not.
double oneSigma(const UncertaintyRule& rule, double age, double value, const Worksheet& sheet,
                int32_t row, int32_t col);

/// @brief Refuses a sample with fewer than 2 ages, naming it and the column it came from
/// (SampleError).
void requireTwoAges(const GrainSample& sample, const Worksheet& sheet, int32_t col);

/// @brief A label and the cell it was read from.
struct LabelCell {
    std::string label;
    int32_t row = 0, col = 0;
};
/// @brief Each label written more than once (blank labels skipped), with the message naming
/// its first two cells, in the order their second cells come.
std::vector<UnusableSample> repeatedLabels(const std::vector<LabelCell>& labels,
                                           const Worksheet& sheet, std::string_view what);
/// @brief Refuses the first label written twice, naming both cells; blank labels are skipped.
void refuseRepeatedLabels(const std::vector<LabelCell>& labels, const Worksheet& sheet,
                          std::string_view what);

}  // namespace kestrel::grainages
