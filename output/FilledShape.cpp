// Closed shapes in plot coordinates, each painted as one polygon.
#include "output/FilledShape.h"

#include <limits>

namespace kestrel {

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
