// A closed shape in plot coordinates drawn as one filled polygon: a stacked profile, its
// histogram, a confidence band. One shape is one path in an SVG or PDF.
#pragma once

#include <qcustomplot.h>

#include <vector>

namespace kestrel {

class FilledShape : public QCPAbstractPlottable {
  public:
    FilledShape(QCPAxis* keyAxis, QCPAxis* valueAxis);

    /// @brief The outline, (age, value) points in order; the shape closes itself. Points whose
    /// key the key axis cannot show (not above 0 on a logarithmic axis) are left out.
    void setOutline(std::vector<QPointF> outline);
    const std::vector<QPointF>& outline() const { return m_outline; }

    double selectTest(const QPointF& pos, bool onlySelectable,
                      QVariant* details = nullptr) const override;
    QCPRange getKeyRange(bool& foundRange,
                         QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange& inKeyRange = QCPRange()) const override;

  protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

  private:
    std::vector<QPointF> m_outline;
};

}  // namespace kestrel
