// The Many profiles page through the real window, offscreen: 30 profiles in four tight families
// read from a .csv file by File > Compare many..., then the map's shape, its names, the heat map's
// colour scale, the chosen pair on all three views and the tooltips of both graphs.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <set>

#include "app/CompareManyDialog.h"
#include "app/KR_main.h"
#include "app/ManyResultsPage.h"
#include "engine/ClassicalMds.h"
#include "output/MatrixHeatMap.h"
#include "tests/app/ClusteredProfiles.h"
#include "tests/app/MainWindowFixture.h"

namespace {

constexpr int kSamples = kestrel::testsupport::kClusteredSamples;

class ManyProfilesPage : public kestrel::testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->resize(1500, 950);
        m_form->show();
        kestrel::testsupport::compareClusteredProfiles(*m_form, m_ui,
                                                       m_dir.filePath("families.csv"));
        m_page = m_form->ManyResults;
        ASSERT_TRUE(m_page->results().matrix);
        ASSERT_EQ(m_page->results().matrix->names.size(), size_t(kSamples));
    }

    // Lays the window out at this size and draws both graphs.
    void showAt(int width, int height) {
        m_form->resize(width, height);
        QCoreApplication::processEvents();
        m_page->MdsMap->replot();
        m_page->HeatMap->replot();
    }

    QPoint pointPixel(int sample) const {
        const auto& p = m_page->results().map.points[size_t(sample)];
        return QPointF(m_page->MdsMap->xAxis->coordToPixel(p[0]),
                       m_page->MdsMap->yAxis->coordToPixel(p[1]))
            .toPoint();
    }

    static QString tipAt(QWidget& widget, QPoint at) {
        QHelpEvent help(QEvent::ToolTip, at, widget.mapToGlobal(at));
        QCoreApplication::sendEvent(&widget, &help);
        return QToolTip::text();
    }

    std::unique_ptr<TForm1> m_form;
    kestrel::ManyResultsPage* m_page = nullptr;
};

TEST_F(ManyProfilesPage, IsReadableAndShowsTheChosenPairEverywhere) {
    QCustomPlot& map = *m_page->MdsMap;
    QCustomPlot& heat = *m_page->HeatMap;
    const auto& D = m_page->results().matrix->D();
    const auto name = [&](int s) {
        return QString::fromStdString(m_page->results().matrix->names[size_t(s)]);
    };

    for (const QSize size : {QSize(800, 480), QSize(1500, 950)}) {
        SCOPED_TRACE(QString("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        showAt(size.width(), size.height());
        EXPECT_GE(map.width(), heat.width());
        const QRect area = map.axisRect()->rect();
        EXPECT_LE(std::abs(area.width() - area.height()), 2) << "a square plot";
        const double xScale = map.xAxis->range().size() / area.width();
        const double yScale = map.yAxis->range().size() / area.height();
        EXPECT_NEAR(xScale / yScale, 1.0, 0.005) << "one scale on both axes";

        // Names: inside the plot, never on one another nor on a point; a hidden one is named by its
        // tooltip.
        std::vector<QRectF> boxes;
        int sample = 0;  // the labels are in sample order
        for (int i = 0; i < map.itemCount(); ++i) {
            auto* label = qobject_cast<QCPItemText*>(map.item(i));
            if (!label) continue;
            EXPECT_EQ(label->text(), name(sample));
            if (!label->visible()) {
                EXPECT_TRUE(tipAt(map, pointPixel(sample)).contains(name(sample)));
            } else {
                const QRectF box(label->topLeft->pixelPosition(),
                                 label->bottomRight->pixelPosition());
                EXPECT_TRUE(QRectF(area).contains(box)) << label->text().toStdString();
                for (const QRectF& other : boxes) EXPECT_FALSE(other.intersects(box));
                for (int s = 0; s < kSamples; ++s) EXPECT_FALSE(box.contains(pointPixel(s)));
                boxes.push_back(box);
            }
            ++sample;
        }
        EXPECT_EQ(sample, kSamples);
        if (size.width() > 1000) {
            EXPECT_GE(boxes.size(), size_t(kSamples * 2 / 3)) << "most names shown";
        }
    }

    // The colour scale runs from 0 to the largest D.
    double largest = 0;
    for (int i = 0; i < kSamples; ++i)
        for (int j = 0; j < kSamples; ++j) largest = std::max(largest, D.at(i, j));
    ASSERT_LT(largest, 0.9);
    auto* colours = qobject_cast<QCPColorMap*>(heat.plottable(0));
    ASSERT_TRUE(colours && colours->colorScale());
    EXPECT_EQ(colours->dataRange().lower, 0.0);
    EXPECT_EQ(colours->dataRange().upper, largest);
    EXPECT_TRUE(colours->colorScale()->label().contains("largest"));

    // Two clicks on the map choose two samples of different families; the heat map frames
    // their two cells and the table highlights its two cells, and only those.
    const auto alone = [&](int s) {
        for (int other = 0; other < kSamples; ++other) {
            const QPoint d = pointPixel(other) - pointPixel(s);
            if (other != s && d.x() * d.x() + d.y() * d.y() < 100) return false;
        }
        return true;
    };
    int a = 0;
    while (a < kSamples && !alone(a)) ++a;
    int b = a + 1;
    while (b < kSamples && (!alone(b) || b % 4 == a % 4)) ++b;
    int c = b + 1;
    while (c < kSamples && !alone(c)) ++c;
    ASSERT_LT(c, kSamples) << "three points, two of different families, clear of the others";
    QTest::mouseClick(&map, Qt::LeftButton, {}, pointPixel(a));
    QTest::mouseClick(&map, Qt::LeftButton, {}, pointPixel(b));
    ASSERT_EQ(m_page->chosenSamples(), (std::vector<int>{a, b}));
    const std::vector<int32_t> order = kestrel::orderByFirstAxis(m_page->results().map);
    std::set<std::pair<int, int>> framed;
    for (int i = 0; i < heat.itemCount(); ++i) {
        auto* frame = qobject_cast<QCPItemRect*>(heat.item(i));
        if (!frame || !frame->visible()) continue;
        const QPointF centre =
            (frame->topLeft->pixelPosition() + frame->bottomRight->pixelPosition()) / 2;
        framed.insert(kestrel::heatMapPairAt(heat, order, centre.x(), centre.y()));
    }
    EXPECT_EQ(framed, (std::set<std::pair<int, int>>{{a, b}, {b, a}}));
    const QAbstractItemModel& table = *m_page->MatrixGrid->model();
    int highlighted = 0;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.columnCount(); ++c) {
            if (!table.data(table.index(r, c), Qt::BackgroundRole).isValid()) continue;
            ++highlighted;
            const QString row = table.headerData(r, Qt::Vertical).toString();
            const QString col = table.headerData(c, Qt::Horizontal).toString();
            EXPECT_TRUE((row == name(a) && col == name(b)) || (row == name(b) && col == name(a)));
        }
    }
    EXPECT_EQ(highlighted, 2);

    // Tooltips through the real events: a point names its sample and D to the chosen partner;
    // a cell names its pair and D. Moving the mouse within the point keeps the tip up.
    const auto placeOf = [&](int s) {
        return double(std::find(order.begin(), order.end(), s) - order.begin());
    };
    const QPoint cell(int(heat.xAxis->coordToPixel(placeOf(b))),
                      int(heat.yAxis->coordToPixel(placeOf(a))));
    const QString cellTip = tipAt(heat, cell);
    EXPECT_TRUE(cellTip.startsWith(name(a) + " and " + name(b))) << cellTip.toStdString();
    EXPECT_TRUE(cellTip.contains("D = " + QLocale().toString(D.at(a, b), 'g', 10)));

    const QString pointTip = tipAt(map, pointPixel(c));
    EXPECT_TRUE(pointTip.startsWith(name(c))) << pointTip.toStdString();
    EXPECT_TRUE(pointTip.contains(
        QString("D to %1 = %2").arg(name(a), QLocale().toString(D.at(c, a), 'f', 4))));
    QMouseEvent move(QEvent::MouseMove, pointPixel(c) + QPoint(1, 0),
                     map.mapToGlobal(pointPixel(c) + QPoint(1, 0)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&map, &move);
    QTest::qWait(500);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text().toStdString(), pointTip.toStdString());
}

}  // namespace
