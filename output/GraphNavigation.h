// Mouse navigation of a graph: rectangle zoom, panning, wheel zoom, back to the whole graph,
// and a tooltip naming the point under the mouse.
#pragma once

#include <qcustomplot.h>

#include <QObject>
#include <QPoint>
#include <array>
#include <functional>

namespace kestrel {

/// @brief Installs itself on `chart` (and is owned by it):
/// - left-drag zooms into the dragged rectangle (QCustomPlot's zoom selection rectangle);
/// - middle-drag or Ctrl+left-drag pans;
/// - the wheel zooms about the mouse;
/// - double-click, or "Show all" in the context menu, calls `showAll`; the context menu then
///   lists the chart's own actions (QWidget::addAction), after a separator.
class GraphNavigation : public QObject {
  public:
    GraphNavigation(QCustomPlot& chart, std::function<void()> showAll);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool startsPan(const QMouseEvent& event) const;
    void panTo(const QPoint& position);
    void showPointTip(const QMouseEvent& event);
    void showContextMenu(const QPoint& position);

    QCustomPlot& m_chart;
    std::function<void()> m_showAll;
    bool m_panning = false;
    bool m_showsTip = false;  // the tooltip on screen is a point's, shown by showPointTip()
    QPoint m_panStart;
    std::array<QCPRange, 4> m_panRanges;
};

}  // namespace kestrel
