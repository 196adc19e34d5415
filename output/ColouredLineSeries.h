// A line series whose points keep their append order and carry a colour each: the segment
// from point k-1 to point k is drawn in point k's colour.
#pragma once

#include <qcustomplot.h>

#include <QColor>
#include <QString>
#include <vector>

namespace kestrel {

/// @brief One appended point: x is an age, y a value on the series' vertical axis.
struct ColouredPoint {
    double x = 0;
    double y = 0;
    QString label;
    QColor colour;
};

/// @brief A plain polyline series (no markers). Points are never sorted, so a curve can run
/// backwards along the age axis. The series' own pen gives the legend colour, the line style
/// and the width; each segment takes the colour of its later point. Dotted and dashed patterns
/// run on across colour changes. Points with a non-finite x or y break the line.
class ColouredLineSeries : public QCPAbstractPlottable {
    Q_OBJECT
  public:
    ColouredLineSeries(QCPAxis* keyAxis, QCPAxis* valueAxis);

    /// @brief Removes every point.
    void clear() { m_points.clear(); }
    /// @brief Appends a point at the end of the point list.
    void addPoint(double x, double y, const QString& label, const QColor& colour);
    void reserve(int count);

    int pointCount() const { return static_cast<int>(m_points.size()); }
    /// @brief The point at 0-based index `index`; the index must be below pointCount().
    const ColouredPoint& point(int index) const { return m_points.at(static_cast<size_t>(index)); }

    double selectTest(const QPointF& pos, bool onlySelectable,
                      QVariant* details = nullptr) const override;
    QCPRange getKeyRange(bool& foundRange,
                         QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange& inKeyRange = QCPRange()) const override;

    /// @brief The index of the point nearest to `pos` (pixels) within the plot's selection
    /// tolerance, or -1.
    int pointNear(const QPointF& pos) const;

  protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

  private:
    std::vector<ColouredPoint> m_points;
};

}  // namespace kestrel
