// The colours of the samples in every figure: Paul Tol's "muted" qualitative scheme, chosen
// to stay distinct for colour-blind readers (P. Tol (2021), "Colour schemes", SRON technical
// note SRON/EPS/TN/09-002), and a sequential scheme for ordered categories such as age bins.
#pragma once

#include <QColor>
#include <Qt>
#include <cstddef>

namespace kestrel {

/// The samples one colour cycle tells apart; a sample after them takes the cycle's colour
/// again with another line style (sampleLineStyle).
inline constexpr size_t kSampleColours = 9;

/// @brief The colour of the sample at `index` in the order read: the same in every figure.
QColor sampleColour(size_t index);

/// @brief Solid for the first colour cycle, then dashed, dotted, dash-dotted, and so on again.
Qt::PenStyle sampleLineStyle(size_t index);

/// @brief The colour of category `index` of `count` ordered ones, dark to light along a
/// colour-blind-safe sequential scheme (viridis).
QColor orderedColour(size_t index, size_t count);

}  // namespace kestrel
