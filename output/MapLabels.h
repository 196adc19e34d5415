// Placing the names of a map's points so that no two overlap, none covers a point and all stay
// inside the plot: next to the point where there is room, else further out with a leader line,
// else not at all (the point's tooltip still names it).
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>
#include <vector>

namespace kestrel {

/// @brief Where one name goes: its box in pixels and whether it is far enough from its point to
/// need a leader line. No value: no room anywhere near its point.
struct LabelPlace {
    QRectF box;
    bool leader = false;
};

/// @brief Places a box of `sizes[i]` pixels for each point `points[i]` (pixels) inside `area`,
/// greedily, the most crowded points first: the eight places touching the point first, then
/// rings further out up to `reach` pixels. Boxes never overlap one another nor the discs of
/// `pointRadius` pixels around any point.
std::vector<std::optional<LabelPlace>> placeLabels(const std::vector<QPointF>& points,
                                                   const std::vector<QSizeF>& sizes,
                                                   const QRectF& area, double pointRadius,
                                                   double reach = 80);

}  // namespace kestrel
