// Zooming and panning a shown graph with the mouse, and getting back to the whole graph.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>
#include <memory>

#include "output/ProbabilityGraphs.h"
#include "tests/output/GraphTestData.h"

using namespace kestrel;

namespace {

void sendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, buttons,
                      modifiers);
    QApplication::sendEvent(&widget, &event);
}

void drag(QWidget& widget, QPoint from, QPoint to, Qt::MouseButton button,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    sendMouse(widget, QEvent::MouseButtonPress, from, button, button, modifiers);
    sendMouse(widget, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button, modifiers);
    sendMouse(widget, QEvent::MouseMove, to, Qt::NoButton, button, modifiers);
    sendMouse(widget, QEvent::MouseButtonRelease, to, button, Qt::NoButton, modifiers);
}

class GraphNavigationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        chart.reset(createProbabilityGraph(nullptr));
        std::unique_ptr<QCustomPlot> other(createCumulativeProbabilityGraph(nullptr));
        chart->resize(1000, 600);
        chart->show();
        fillGraphs(*other, *chart, testdata::twoPeakProfile());
        ASSERT_EQ(chart->xAxis->range(), QCPRange(0, 3000));
    }
    QPoint pixelOf(double age, double probability) const {
        return QPoint(qRound(chart->xAxis->coordToPixel(age)),
                      qRound(chart->yAxis->coordToPixel(probability)));
    }
    std::unique_ptr<QCustomPlot> chart;
};

}  // namespace

TEST_F(GraphNavigationTest, LeftDragZoomsIntoTheRectangleAndDoubleClickShowsAll) {
    drag(*chart, pixelOf(500, 0.8), pixelOf(1000, 0.2), Qt::LeftButton);
    EXPECT_NEAR(chart->xAxis->range().lower, 500, 10);
    EXPECT_NEAR(chart->xAxis->range().upper, 1000, 10);
    EXPECT_NEAR(chart->xAxis2->range().lower, 500, 10);
    EXPECT_NEAR(chart->yAxis->range().lower, 0.2, 0.01);
    EXPECT_NEAR(chart->yAxis->range().upper, 0.8, 0.01);
    // The peak height scale zooms along with the probability scale.
    EXPECT_NEAR(chart->yAxis2->range().upper, 80, 1);

    sendMouse(*chart, QEvent::MouseButtonDblClick, pixelOf(700, 0.5), Qt::LeftButton,
              Qt::LeftButton);
    EXPECT_EQ(chart->xAxis->range(), QCPRange(0, 3000));
    EXPECT_EQ(chart->yAxis->range(), QCPRange(0, 1.05));
    EXPECT_EQ(chart->yAxis2->range(), QCPRange(0, 105));
}

TEST_F(GraphNavigationTest, MiddleOrCtrlDragPansAllAxesTogether) {
    drag(*chart, pixelOf(1000, 0.5), pixelOf(500, 0.5), Qt::MiddleButton);
    EXPECT_NEAR(chart->xAxis->range().lower, 500, 5);
    EXPECT_NEAR(chart->xAxis->range().upper, 3500, 5);
    EXPECT_NEAR(chart->xAxis2->range().lower, 500, 5);
    EXPECT_NEAR(chart->yAxis->range().lower, 0, 0.005);

    drag(*chart, pixelOf(1000, 0.5), pixelOf(1000, 0.4), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_NEAR(chart->xAxis->range().lower, 500, 5);
    EXPECT_NEAR(chart->yAxis->range().lower, 0.1, 0.005);
    EXPECT_NEAR(chart->yAxis2->range().lower, 10, 0.5);

    // A refill shows the whole graph again.
    std::unique_ptr<QCustomPlot> other(createCumulativeProbabilityGraph(nullptr));
    fillGraphs(*other, *chart, testdata::twoPeakProfile(101));
    EXPECT_EQ(chart->xAxis->range(), QCPRange(0, 1000));
    EXPECT_EQ(chart->yAxis->range(), QCPRange(0, 1.05));
}

TEST_F(GraphNavigationTest, ShowAllInTheContextMenuAndAPointTooltip) {
    drag(*chart, pixelOf(500, 0.8), pixelOf(1000, 0.2), Qt::LeftButton);
    ASSERT_LT(chart->xAxis->range().size(), 1000);
    QString menuEntries;
    QTimer::singleShot(0, [&menuEntries] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* action : menu->actions()) menuEntries += action->text();
        menu->actions().first()->trigger();
        menu->close();
    });
    emit chart->customContextMenuRequested(pixelOf(700, 0.5));
    EXPECT_EQ(menuEntries, "Show all");
    EXPECT_EQ(chart->xAxis->range(), QCPRange(0, 3000));

    // Hovering over the point of position 61 (age 600) of "Curve 1" names it.
    const QPoint onPoint(qRound(chart->xAxis->coordToPixel(600)),
                         qRound(chart->yAxis2->coordToPixel(graphSeries(*chart, 0)->point(60).y)));
    sendMouse(*chart, QEvent::MouseMove, onPoint, Qt::NoButton, Qt::NoButton);
    EXPECT_TRUE(QToolTip::text().startsWith("Curve 1, position 61\nAge 600\n"))
        << QToolTip::text().toStdString();
    QToolTip::hideText();
}
