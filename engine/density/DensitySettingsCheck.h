// The typed settings of the profiles (method, bandwidth, grid) checked once for the Open grain
// ages dialog and for kestrel-batch: the first field that does not read and what is wrong with
// it; each caller words the message as its users know the field.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "engine/density/DensityProfiles.h"

namespace kestrel {

/// @brief The fields a profile setting can be refused for.
enum class DensityField { Bandwidth, GridFrom, GridTo, GridStep };

/// @brief What is wrong with a field.
enum class DensityFault {
    NotAbove0,     ///< Bandwidth: not a number above 0; GridStep: a number not above 0
    NotUsed,       ///< Bandwidth: given for a method that uses none (PDP)
    Missing,       ///< a grid field left empty while the grid is given
    NotANumber,    ///< a grid field that is no number
    NotAboveFrom,  ///< GridTo: not above From
};

/// @brief The settings as typed.
struct DensityTexts {
    DensityKind kind = DensityKind::Kde;
    /// Absent: each sample's own bandwidth.
    std::optional<std::string> bandwidth;
    /// A bandwidth given for a method that uses none: refused (NotUsed) or left unread (the
    /// dialog keeps the field's text for when a kernel method is chosen again).
    bool refuseUnusedBandwidth = true;
    /// From, To and Step in age units; absent: the default grid.
    std::optional<std::array<std::string, 3>> grid;
};

/// @brief A field refused: which one and the message.
struct DensityRefusal {
    DensityField field;
    DensityFault fault;
    std::string message;
};

/// @brief The message for a refused field, in the caller's words.
using DensityWording = std::function<std::string(DensityField, DensityFault)>;

/// @brief The options the texts ask for (commonBandwidth left false), or the first field that
/// does not read, the bandwidth first, then From, To and Step in turn: a bandwidth not a number
/// above 0 or (when refused) given for a method without one; a grid field empty or no number,
/// To not above From, Step not above 0.
std::variant<DensityOptions, DensityRefusal> checkDensityTexts(const DensityTexts& texts,
                                                               const DensityWording& wording);

}  // namespace kestrel
