// Drawing, hit testing and ranges of the per-point coloured line series.
#include "output/ColouredLineSeries.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestrel {

namespace {

bool isFinitePoint(const QPointF& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

/// @brief Liang-Barsky clipping of the segment a + t (b - a), t in [0, 1], to `rect`. Returns
/// false when no part of it lies inside; otherwise narrows t0..t1 to the visible part.
bool clipSegment(const QPointF& a, const QPointF& b, const QRectF& rect, double& t0, double& t1) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    if (!std::isfinite(dx) || !std::isfinite(dy)) return false;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - rect.left(), rect.right() - a.x(), a.y() - rect.top(),
                         rect.bottom() - a.y()};
    t0 = 0;
    t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    return true;
}

/// @brief Length of one repeat of the pen's dash pattern, in pen widths; 0 for a solid pen.
double dashPeriod(const QPen& pen) {
    if (pen.style() == Qt::SolidLine || pen.style() == Qt::NoPen) return 0;
    double period = 0;
    for (double part : pen.dashPattern()) period += part;
    return period;
}

/// @brief Collects the visible segments into polylines of one colour and draws each with the
/// dash offset that the line has travelled so far, so patterns run on across polylines.
class PolylinePainter {
  public:
    PolylinePainter(QCPPainter* painter, const QPen& pen) : m_painter(painter), m_pen(pen) {
        m_pen.setCapStyle(Qt::FlatCap);
        m_pen.setJoinStyle(Qt::RoundJoin);
        m_unit = std::max(m_pen.widthF(), 1.0);
        m_period = dashPeriod(m_pen);
    }

    /// @brief Whether the pen draws a pattern, whose offset follows the length travelled.
    bool dashed() const { return m_period > 0; }

    /// @brief Adds the segment a-b in `colour`. `travelled` is the line's length before a.
    void addSegment(const QPointF& a, const QPointF& b, const QColor& colour, double travelled,
                    const QRectF& visible) {
        double t0 = 0, t1 = 1;
        if (!clipSegment(a, b, visible, t0, t1)) {
            flush();
            return;
        }
        const QPointF d = b - a;
        const QPointF start = a + t0 * d;
        const QPointF end = a + t1 * d;
        const bool continues = !m_line.isEmpty() && m_openEnd && t0 == 0 && colour == m_colour;
        if (!continues) {
            flush();
            m_colour = colour;
            m_offset = travelled + t0 * std::hypot(d.x(), d.y());
            m_line.append(start);
        }
        // Vertices closer than a pixel to the last one drawn change nothing visible but cost
        // stroking time; the last of them is kept so a run still ends at its true point.
        if (continues && QCPVector2D(end - m_line.last()).lengthSquared() < kMinStepSquared) {
            m_pending = end;
            m_hasPending = true;
        } else {
            m_line.append(end);
            m_hasPending = false;
        }
        m_openEnd = t1 == 1;
    }

    void flush() {
        if (m_hasPending) m_line.append(m_pending);
        m_hasPending = false;
        if (m_line.size() >= 2) {
            QPen pen = m_pen;
            pen.setColor(m_colour);
            if (m_period > 0) pen.setDashOffset(std::fmod(m_offset / m_unit, m_period));
            m_painter->setPen(pen);
            m_painter->drawPolyline(m_line.constData(), static_cast<int>(m_line.size()));
        }
        m_line.clear();
        m_openEnd = false;
    }

  private:
    QCPPainter* m_painter;
    QPen m_pen;
    double m_unit = 1;
    double m_period = 0;
    QList<QPointF> m_line;
    QColor m_colour;
    double m_offset = 0;
    bool m_openEnd = false;
    QPointF m_pending;
    bool m_hasPending = false;
    static constexpr double kMinStepSquared = 0.5 * 0.5;
};

}  // namespace

ColouredLineSeries::ColouredLineSeries(QCPAxis* keyAxis, QCPAxis* valueAxis)
    : QCPAbstractPlottable(keyAxis, valueAxis) {
    setPen(QPen(Qt::black));
    setBrush(Qt::NoBrush);
    setSelectable(QCP::stNone);
}

void ColouredLineSeries::addPoint(double x, double y, const QString& label, const QColor& colour) {
    m_points.push_back(ColouredPoint{x, y, label, colour});
}

void ColouredLineSeries::reserve(int count) {
    if (count > 0) m_points.reserve(static_cast<size_t>(count));
}

void ColouredLineSeries::draw(QCPPainter* painter) {
    if (!mKeyAxis || !mValueAxis || m_points.size() < 2 || mPen.style() == Qt::NoPen) return;
    applyDefaultAntialiasingHint(painter);
    painter->setBrush(Qt::NoBrush);
    // Segments are clipped to a little more than the axis rect, so far-off values never reach
    // the paint engine as huge coordinates; the painter's own clip trims the rest.
    const double margin = mPen.widthF() + 2;
    const QRectF visible = QRectF(clipRect()).adjusted(-margin, -margin, margin, margin);

    PolylinePainter lines(painter, mPen);
    QPointF previous = coordsToPixels(m_points[0].x, m_points[0].y);
    double travelled = 0;
    for (size_t k = 1; k < m_points.size(); ++k) {
        const QPointF current = coordsToPixels(m_points[k].x, m_points[k].y);
        if (!isFinitePoint(previous) || !isFinitePoint(current)) {
            lines.flush();
        } else {
            lines.addSegment(previous, current, m_points[k].colour, travelled, visible);
            if (lines.dashed()) {
                const double length =
                    std::hypot(current.x() - previous.x(), current.y() - previous.y());
                if (std::isfinite(length)) travelled += length;
            }
        }
        previous = current;
    }
    lines.flush();
}

void ColouredLineSeries::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const {
    applyDefaultAntialiasingHint(painter);
    QPen pen = mPen;
    pen.setCapStyle(Qt::FlatCap);
    painter->setPen(pen);
    const double y = rect.center().y();
    painter->drawLine(QLineF(rect.left(), y, rect.right(), y));
}

int ColouredLineSeries::pointNear(const QPointF& pos) const {
    if (!mKeyAxis || !mValueAxis || !mParentPlot) return -1;
    const double tolerance = mParentPlot->selectionTolerance();
    double best = tolerance * tolerance;
    int bestIndex = -1;
    for (size_t k = 0; k < m_points.size(); ++k) {
        const QPointF p = coordsToPixels(m_points[k].x, m_points[k].y);
        if (!isFinitePoint(p)) continue;
        const double distance = QCPVector2D(p - pos).lengthSquared();
        if (distance <= best) {
            best = distance;
            bestIndex = static_cast<int>(k);
        }
    }
    return bestIndex;
}

double ColouredLineSeries::selectTest(const QPointF& pos, bool onlySelectable,
                                      QVariant* details) const {
    if ((onlySelectable && mSelectable == QCP::stNone) || m_points.empty()) return -1;
    if (!mKeyAxis || !mValueAxis) return -1;
    if (!mKeyAxis->axisRect()->rect().contains(pos.toPoint())) return -1;

    double best = std::numeric_limits<double>::infinity();
    int bestIndex = -1;
    const QCPVector2D target(pos);
    QPointF previous = coordsToPixels(m_points[0].x, m_points[0].y);
    if (isFinitePoint(previous)) {
        best = target.distanceSquaredToLine(QCPVector2D(previous), QCPVector2D(previous));
        bestIndex = 0;
    }
    for (size_t k = 1; k < m_points.size(); ++k) {
        const QPointF current = coordsToPixels(m_points[k].x, m_points[k].y);
        if (isFinitePoint(previous) && isFinitePoint(current)) {
            const double d =
                target.distanceSquaredToLine(QCPVector2D(previous), QCPVector2D(current));
            if (d < best) {
                best = d;
                bestIndex = static_cast<int>(k);
            }
        }
        previous = current;
    }
    if (bestIndex < 0) return -1;
    if (details) details->setValue(QCPDataSelection(QCPDataRange(bestIndex, bestIndex + 1)));
    return std::sqrt(best);
}

namespace {

bool inSignDomain(double v, QCP::SignDomain domain) {
    if (!std::isfinite(v)) return false;
    if (domain == QCP::sdNegative) return v < 0;
    if (domain == QCP::sdPositive) return v > 0;
    return true;
}

void widen(QCPRange& range, bool& found, double v) {
    if (!found) {
        range = QCPRange(v, v);
        found = true;
    } else {
        range.lower = std::min(range.lower, v);
        range.upper = std::max(range.upper, v);
    }
}

}  // namespace

QCPRange ColouredLineSeries::getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain_) const {
    QCPRange range;
    foundRange = false;
    for (const auto& p : m_points) {
        if (inSignDomain(p.x, inSignDomain_)) widen(range, foundRange, p.x);
    }
    return range;
}

QCPRange ColouredLineSeries::getValueRange(bool& foundRange, QCP::SignDomain inSignDomain_,
                                           const QCPRange& inKeyRange) const {
    const bool restrictKeys = inKeyRange != QCPRange();
    QCPRange range;
    foundRange = false;
    for (const auto& p : m_points) {
        if (restrictKeys && !(p.x >= inKeyRange.lower && p.x <= inKeyRange.upper)) continue;
        if (inSignDomain(p.y, inSignDomain_)) widen(range, foundRange, p.y);
    }
    return range;
}

}  // namespace kestrel
