// Greedy label placement: candidate boxes around each point, the first that is free wins.
#include "output/MapLabels.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace kestrel {
namespace {

// The eight boxes touching the point, in the order map makers prefer them: upper right first.
std::vector<QRectF> besideThePoint(QPointF p, QSizeF size, double gap) {
    const double d = gap * 0.71;
    QRectF box(QPointF(), size);
    std::vector<QRectF> boxes;
    const auto add = [&](auto place) {
        place(box);
        boxes.push_back(box);
    };
    add([&](QRectF& b) { b.moveBottomLeft(p + QPointF(d, -d)); });
    add([&](QRectF& b) { b.moveCenter(p + QPointF(gap + size.width() / 2, 0)); });
    add([&](QRectF& b) { b.moveTopLeft(p + QPointF(d, d)); });
    add([&](QRectF& b) { b.moveBottomRight(p + QPointF(-d, -d)); });
    add([&](QRectF& b) { b.moveCenter(p + QPointF(-gap - size.width() / 2, 0)); });
    add([&](QRectF& b) { b.moveTopRight(p + QPointF(-d, d)); });
    add([&](QRectF& b) { b.moveCenter(p + QPointF(0, -gap - size.height() / 2)); });
    add([&](QRectF& b) { b.moveCenter(p + QPointF(0, gap + size.height() / 2)); });
    return boxes;
}

// Boxes `distance` pixels out from the point in sixteen directions.
std::vector<QRectF> onARing(QPointF p, QSizeF size, double distance) {
    std::vector<QRectF> boxes;
    for (int k = 0; k < 16; ++k) {
        const double angle = k * std::numbers::pi / 8;
        const double ux = std::cos(angle), uy = -std::sin(angle);
        QRectF box(QPointF(), size);
        box.moveCenter(
            p + QPointF(ux * (distance + size.width() / 2), uy * (distance + size.height() / 2)));
        boxes.push_back(box);
    }
    return boxes;
}

// Points with more neighbours within `radius` pixels come first: they have the fewest free places.
std::vector<size_t> crowdedFirst(const std::vector<QPointF>& points, double radius) {
    std::vector<int> neighbours(points.size(), 0);
    for (size_t i = 0; i < points.size(); ++i) {
        for (size_t j = 0; j < points.size(); ++j) {
            const QPointF d = points[i] - points[j];
            if (i != j && QPointF::dotProduct(d, d) < radius * radius) ++neighbours[i];
        }
    }
    std::vector<size_t> order(points.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return neighbours[a] > neighbours[b]; });
    return order;
}

}  // namespace

std::vector<std::optional<LabelPlace>> placeLabels(const std::vector<QPointF>& points,
                                                   const std::vector<QSizeF>& sizes,
                                                   const QRectF& area, double pointRadius,
                                                   double reach) {
    std::vector<QRectF> taken;
    for (const QPointF& p : points) {
        taken.emplace_back(p - QPointF(pointRadius, pointRadius),
                           QSizeF(2 * pointRadius, 2 * pointRadius));
    }
    const auto isFree = [&](const QRectF& box) {
        return area.contains(box) && std::none_of(taken.begin(), taken.end(), [&](const QRectF& t) {
                   return t.intersects(box);
               });
    };
    std::vector<std::optional<LabelPlace>> places(points.size());
    const double gap = pointRadius + 1;
    for (const size_t i : crowdedFirst(points, 40)) {
        if (i >= sizes.size()) continue;
        std::vector<QRectF> boxes = besideThePoint(points[i], sizes[i], gap);
        const size_t nearCount = boxes.size();
        for (double distance = gap + 8; distance <= reach; distance += 10) {
            const std::vector<QRectF> ring = onARing(points[i], sizes[i], distance);
            boxes.insert(boxes.end(), ring.begin(), ring.end());
        }
        const auto free = std::find_if(boxes.begin(), boxes.end(), isFree);
        if (free == boxes.end()) continue;
        const bool leader = static_cast<size_t>(free - boxes.begin()) >= nearCount;
        places[i] = LabelPlace{*free, leader};
        taken.push_back(*free);
    }
    return places;
}

}  // namespace kestrel
