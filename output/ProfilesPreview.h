// The preview of profiles built from grain ages: every drawn sample's profile over the age
// grid, in a colour of its own, on a plain graph.
#pragma once

#include <QStringList>
#include <span>
#include <vector>

class QCustomPlot;

namespace kestrel {

/// @brief Draws each profile (as long as `ages`) against `ages` on `plot`, replacing what it
/// showed: the first two in the two profiles' colours of the comparison's graphs (blue, green),
/// more in further distinct colours; the Age axis below, "Profile (% of highest)" left from 0 to
/// just above 100; a legend of `labels` while there are at most four profiles. No profiles:
/// an empty graph. Does not replot.
void drawProfilesPreview(QCustomPlot& plot, std::span<const double> ages,
                         const std::vector<std::span<const double>>& profiles,
                         const QStringList& labels);

}  // namespace kestrel
