// Guessing the grain-age layout from the headings.
#include "sheet/core/AgesLayoutGuess.h"

#include <array>
#include <string_view>

#include "sheet/core/GrainAgeCells.h"

namespace kestrel {

AgesLayout guessAgesLayout(const Worksheet& sheet, int32_t headingRow) {
    constexpr std::array<std::string_view, 2> kSample = {"Sample", "Name"};
    constexpr std::array<std::string_view, 1> kAge = {"Age"};
    if (headingRow < 1 || headingRow > sheet.lastRow()) return AgesLayout::Columns;
    bool sample = false, age = false;
    for (int32_t col = 1; col <= sheet.lastCol(); ++col) {
        const std::string heading = grainages::cellLabel(sheet.cell(headingRow, col));
        sample = sample || grainages::headingIs(heading, kSample);
        age = age || grainages::headingIs(heading, kAge);
    }
    return sample && age ? AgesLayout::Rows : AgesLayout::Columns;
}

}  // namespace kestrel
