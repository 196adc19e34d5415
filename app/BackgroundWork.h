// A long calculation run on a worker thread while the window shows its progress and listens
// for Esc.
#pragma once

#include <functional>

namespace kestrel {

class CalculationProgress;

/// @brief Told how far the work has gone (0 to 1); returns false once the user asked it to
/// stop. Safe to call from any thread.
using WorkReport = std::function<bool(double fraction)>;

/// @brief Runs `work` on a thread of its own while this thread moves `progress` along and
/// handles the window's events. Returns when the work is done, true when Esc was pressed (the
/// work was then told to stop through its report, and waited for); rethrows what the work
/// threw. `progress` must have begun.
bool runInBackground(CalculationProgress& progress, const std::function<void(WorkReport)>& work);

}  // namespace kestrel
