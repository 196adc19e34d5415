// The settings of the two-profile comparison that a grain-ages pair borrows while it is loaded:
// rows, columns and age window. They are set aside when a pair of grain-age samples takes the
// shared state, and come back for the next ordinary Open and for the settings file, so a
// grain-ages run never leaves its rows or its window width to a workbook of profiles.
#pragma once

#include <cstdint>
#include <string>

#include "ui/SettingsFields.h"

namespace kestrel {

struct TwoProfileSettings {
    std::string FromRowStr, ToRowStr, AgeColStr, Y1ColStr, Y2ColStr, AgeWindowWidthStr;
    int32_t FromRow = 0, ToRow = 0, AgeCol = 0, Y1Col = 0, Y2Col = 0;
    double AgeWindowWidth = 0;
};

/// @brief The two-profile settings as `fields` hold them.
TwoProfileSettings twoProfileSettingsOf(const SettingsFields& fields);

/// @brief Puts `settings` back into `fields`.
void restoreTwoProfileSettings(const TwoProfileSettings& settings, SettingsFields& fields);

}  // namespace kestrel
