// Closed shapes in plot coordinates, each painted as one polygon.
#include "output/FilledShape.h"

#include <cmath>
#include <limits>

namespace kestrel {
namespace {

// Each run of points within one pixel column kept as its first, lowest, highest and last point:
// the outline drawn is the same to the pixel.
QPolygonF withinPixels(const QPolygonF& polygon) {
    QPolygonF kept;
    kept.reserve(polygon.size());
    qsizetype first = 0;
    while (first < polygon.size()) {
        qsizetype last = first;
        while (last + 1 < polygon.size() &&
               std::floor(polygon[last + 1].x()) == std::floor(polygon[first].x()))
            ++last;
        if (last - first < 4) {
            for (qsizetype i = first; i <= last; ++i) kept << polygon[i];
        } else {
            qsizetype low = first, high = first;
            for (qsizetype i = first; i <= last; ++i) {
                if (polygon[i].y() < polygon[low].y()) low = i;
                if (polygon[i].y() > polygon[high].y()) high = i;
            }
            kept << polygon[first];
            if (low != first && low != last && low < high) kept << polygon[low];
            if (high != first && high != last) kept << polygon[high];
            if (low != first && low != last && low > high) kept << polygon[low];
            kept << polygon[last];
        }
        first = last + 1;
    }
    return kept;
}

}  // namespace

FilledShape::FilledShape(QCPAxis* keyAxis, QCPAxis* valueAxis)
    : QCPAbstractPlottable(keyAxis, valueAxis) {
    setSelectable(QCP::stNone);
}

void FilledShape::setOutline(std::vector<QPointF> outline) {
    m_outline = std::move(outline);
}

double FilledShape::selectTest(const QPointF&, bool, QVariant*) const {
    return -1;
}

QCPRange FilledShape::getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain) const {
    QCPRange range(std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest());
    foundRange = false;
    for (const QPointF& point : m_outline) {
        if (inSignDomain == QCP::sdPositive && point.x() <= 0) continue;
        if (inSignDomain == QCP::sdNegative && point.x() >= 0) continue;
        range.lower = std::min(range.lower, point.x());
        range.upper = std::max(range.upper, point.x());
        foundRange = true;
    }
    return range;
}

QCPRange FilledShape::getValueRange(bool& foundRange, QCP::SignDomain inSignDomain,
                                    const QCPRange&) const {
    QCPRange range(std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest());
    foundRange = false;
    for (const QPointF& point : m_outline) {
        if (inSignDomain == QCP::sdPositive && point.y() <= 0) continue;
        if (inSignDomain == QCP::sdNegative && point.y() >= 0) continue;
        range.lower = std::min(range.lower, point.y());
        range.upper = std::max(range.upper, point.y());
        foundRange = true;
    }
    return range;
}

void FilledShape::draw(QCPPainter* painter) {
    QCPAxis* keys = keyAxis();
    QCPAxis* values = valueAxis();
    if (!keys || !values || m_outline.size() < 3) return;
    const bool logKeys = keys->scaleType() == QCPAxis::stLogarithmic;
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(m_outline.size()));
    for (const QPointF& point : m_outline) {
        if (logKeys && !(point.x() > 0)) continue;
        polygon << QPointF(keys->coordToPixel(point.x()), values->coordToPixel(point.y()));
    }
    // On screen and in images, points closer than a pixel add nothing but time; a drawing keeps
    // every point for the reader who zooms in.
    if (!painter->modes().testFlag(QCPPainter::pmVectorized)) polygon = withinPixels(polygon);
    if (polygon.size() < 3) return;
    applyDefaultAntialiasingHint(painter);
    painter->setPen(pen());
    painter->setBrush(brush());
    painter->drawPolygon(polygon);
}

void FilledShape::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const {
    painter->setPen(pen());
    painter->setBrush(brush());
    painter->drawRect(rect.adjusted(1, 3, -1, -3));
}

}  // namespace kestrel
