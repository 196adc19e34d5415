// Axis titles that fit their axis: a long title where there is room, a shorter one where the
// plot is small (a narrow panel, an 800x480 screen), instead of a title cut at both ends.
#pragma once

#include <QStringList>

class QCPAxis;

namespace kestrel {

/// @brief Gives `axis` its titles, longest first; after every layout of its plot (on screen and
/// for images alike) it shows the longest that fits along the axis, the last one when none does.
void setFittedLabel(QCPAxis& axis, const QStringList& longestFirst);

/// @brief The longest title given to `axis` by setFittedLabel (what a large plot shows), else its
/// label.
QString fullLabel(const QCPAxis& axis);

}  // namespace kestrel
