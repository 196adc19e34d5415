// Zoom, pan, "Show all" and the point tooltip of a graph.
#include "output/GraphNavigation.h"

#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>

#include "output/ColouredLineSeries.h"

namespace kestrel {

namespace {

std::array<QCPAxis*, 4> axesOf(QCustomPlot& chart) {
    return {chart.xAxis, chart.yAxis, chart.xAxis2, chart.yAxis2};
}

}  // namespace

GraphNavigation::GraphNavigation(QCustomPlot& chart, std::function<void()> showAll)
    : QObject(&chart), m_chart(chart), m_showAll(std::move(showAll)) {
    QCPAxisRect* rect = chart.axisRect();
    const QList<QCPAxis*> horizontal{chart.xAxis, chart.xAxis2};
    const QList<QCPAxis*> vertical{chart.yAxis, chart.yAxis2};
    rect->setRangeZoomAxes(horizontal, vertical);
    rect->setRangeDragAxes(horizontal, vertical);
    chart.setInteractions(QCP::iRangeZoom);
    chart.setSelectionRectMode(QCP::srmZoom);
    chart.setMouseTracking(true);
    chart.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&chart, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { showContextMenu(position); });
    connect(&chart, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent*) { m_showAll(); });
    chart.installEventFilter(this);
}

bool GraphNavigation::startsPan(const QMouseEvent& event) const {
    return event.button() == Qt::MiddleButton ||
           (event.button() == Qt::LeftButton && (event.modifiers() & Qt::ControlModifier));
}

bool GraphNavigation::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_chart) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto& mouse = static_cast<QMouseEvent&>(*event);
            if (startsPan(mouse)) {
                m_panning = true;
                m_panStart = mouse.position().toPoint();
                const auto axes = axesOf(m_chart);
                for (size_t i = 0; i < axes.size(); ++i) m_panRanges[i] = axes[i]->range();
                return true;
            }
            // The right button belongs to the context menu, never to the zoom rectangle.
            return mouse.button() == Qt::RightButton;
        }
        case QEvent::MouseMove: {
            auto& mouse = static_cast<QMouseEvent&>(*event);
            if (m_panning) {
                panTo(mouse.position().toPoint());
                return true;
            }
            if (mouse.buttons() == Qt::NoButton) showPointTip(mouse);
            return mouse.buttons() == Qt::RightButton;
        }
        case QEvent::MouseButtonRelease: {
            auto& mouse = static_cast<QMouseEvent&>(*event);
            if (m_panning) {
                m_panning = false;
                return true;
            }
            return mouse.button() == Qt::RightButton;
        }
        default:
            return false;
    }
}

void GraphNavigation::panTo(const QPoint& position) {
    const auto axes = axesOf(m_chart);
    for (size_t i = 0; i < axes.size(); ++i) {
        QCPAxis* axis = axes[i];
        axis->setRange(m_panRanges[i]);
        const bool horizontal = axis->orientation() == Qt::Horizontal;
        const double from = axis->pixelToCoord(horizontal ? m_panStart.x() : m_panStart.y());
        const double to = axis->pixelToCoord(horizontal ? position.x() : position.y());
        axis->setRange(m_panRanges[i].lower + from - to, m_panRanges[i].upper + from - to);
    }
    m_chart.replot(QCustomPlot::rpQueuedReplot);
}

void GraphNavigation::showPointTip(const QMouseEvent& event) {
    const QPointF position = event.position();
    for (int i = 0; i < m_chart.plottableCount(); ++i) {
        auto* series = qobject_cast<ColouredLineSeries*>(m_chart.plottable(i));
        if (!series) continue;
        const int index = series->pointNear(position);
        if (index < 0) continue;
        const ColouredPoint& point = series->point(index);
        const QLocale locale;
        QToolTip::showText(event.globalPosition().toPoint(),
                           tr("%1, position %2\nAge %3\nValue %4")
                               .arg(series->name(), point.label, locale.toString(point.x, 'g', 10),
                                    locale.toString(point.y, 'g', 6)),
                           &m_chart);
        m_showsTip = true;
        return;
    }
    // Only the tip shown here: the owner of the graph may show its own (QEvent::ToolTip), and
    // hiding it on every move of the mouse would take it away 300 ms after it appeared.
    if (m_showsTip) QToolTip::hideText();
    m_showsTip = false;
}

void GraphNavigation::showContextMenu(const QPoint& position) {
    QMenu menu(&m_chart);
    menu.addAction(tr("Show all"), [this] { m_showAll(); });
    // Commands the owner of the graph gave it (Export graph...) follow navigation.
    if (!m_chart.actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(m_chart.actions());
    }
    menu.exec(m_chart.mapToGlobal(position));
}

}  // namespace kestrel
