// The process-wide shared state record: settings fields, working values and the calculation's
// arrays, exchanged by every window, dialog and the calculation.
#pragma once

#include "engine/ProfileData.h"
#include "ui/SettingsFields.h"

/// @brief The one record all windows and the calculation read and write directly.
struct SharedState : kestrel::SettingsFields, kestrel::ProfileData {};

namespace kestrel {

/// @brief The process-wide shared state (static lifetime).
SharedState& sharedState();

/// @brief Returns the record to its state at program start: every number 0, every text and
/// array empty, ProgramVersion "1.0.0.0". For tests that start a fresh main window.
void resetSharedState();

}  // namespace kestrel
