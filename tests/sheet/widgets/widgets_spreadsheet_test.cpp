// The grid widget on the offscreen platform: shape, frozen heading band, zoom, scrolling to the
// current cell, and gathering many cell changes into one repaint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "sheet/widgets/CellDelegate.h"
#include "sheet/widgets/SheetTableModel.h"
#include "sheet/widgets/SpreadsheetWidget.h"

using kestrel::SpreadsheetWidget;

namespace {

std::string cellText(const QAbstractItemModel* model, int row, int col) {
    return model->data(model->index(row, col)).toString().toStdString();
}

QString header(const QAbstractItemModel* model, Qt::Orientation orientation, int section) {
    return model->headerData(section, orientation).toString();
}

bool cellInViewport(const QTableView* view, const QModelIndex& index) {
    return view->viewport()->rect().contains(view->visualRect(index));
}

const std::string kTestData = KESTREL_TEST_DATA_DIR;

/// Half a unit of the last digit a number text shows: "5711.57" 0.005, "4E+05" 50000.
double halfUnitOfLastPlace(const QString& text) {
    const qsizetype e = text.indexOf('E');
    const QString mantissa = e < 0 ? text : text.left(e);
    const int exponent = e < 0 ? 0 : text.mid(e + 1).toInt();
    const qsizetype point = mantissa.indexOf('.');
    const int decimals = point < 0 ? 0 : static_cast<int>(mantissa.size() - point - 1);
    return 0.5 * std::pow(10.0, exponent - decimals);
}

}  // namespace

TEST(SpreadsheetWidget, ShowsMaxRowRowsAndLetteredColumnsWithRowOneFrozen) {
    SpreadsheetWidget grid;
    EXPECT_EQ(grid.bodyModel()->rowCount(), 1);
    EXPECT_EQ(grid.headingModel()->rowCount(), 0);
    EXPECT_EQ(grid.bodyModel()->columnCount(), 26);

    grid.SetMaxRow(100);
    grid.SetFixedRows(1);
    grid.SetRow(1);
    grid.SetCol(1);
    grid.SetText("Age");
    grid.SetRow(2);
    grid.SetNumber(1.5);
    grid.SetRow(3);
    grid.SetCol(30);
    grid.SetText("far");
    grid.refreshNow();

    const QAbstractItemModel* heading = grid.headingModel();
    const QAbstractItemModel* body = grid.bodyModel();
    ASSERT_EQ(heading->rowCount(), 1);
    ASSERT_EQ(body->rowCount(), 99);
    EXPECT_EQ(body->columnCount(), 30);
    EXPECT_EQ(heading->columnCount(), 30);
    EXPECT_EQ(header(heading, Qt::Horizontal, 0), "A");
    EXPECT_EQ(header(heading, Qt::Horizontal, 25), "Z");
    EXPECT_EQ(header(heading, Qt::Horizontal, 26), "AA");
    EXPECT_EQ(header(heading, Qt::Horizontal, 29), "AD");
    EXPECT_EQ(header(heading, Qt::Vertical, 0), "1");
    EXPECT_EQ(header(body, Qt::Vertical, 0), "2");
    EXPECT_EQ(header(body, Qt::Vertical, 98), "100");
    EXPECT_EQ(cellText(heading, 0, 0), "Age");
    EXPECT_EQ(cellText(body, 0, 0), "1.5");
    EXPECT_EQ(cellText(body, 1, 29), "far");
    EXPECT_EQ(cellText(body, 5, 5), "");
    EXPECT_EQ(body->data(body->index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(heading->data(heading->index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);

    // The heading band shows the column letters, the body none; row numbers line up.
    EXPECT_FALSE(grid.headingView()->horizontalHeader()->isHidden());
    EXPECT_TRUE(grid.bodyView()->horizontalHeader()->isHidden());
    EXPECT_EQ(grid.headingView()->verticalHeader()->width(),
              grid.bodyView()->verticalHeader()->width());

    // Fewer rows than the heading band wants: the band holds what there is.
    grid.SetFixedRows(3);
    grid.SetMaxRow(2);
    grid.refreshNow();
    EXPECT_EQ(heading->rowCount(), 2);
    EXPECT_EQ(body->rowCount(), 0);
}

TEST(SpreadsheetWidget, GathersCellChangesIntoOneUpdateOnTheNextEventLoopTurn) {
    SpreadsheetWidget grid;
    grid.SetMaxRow(2000);
    grid.refreshNow();
    QSignalSpy resets(grid.bodyModel(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(grid.bodyModel(), &QAbstractItemModel::dataChanged);

    for (int row = 2; row <= 2000; ++row) {
        grid.SetRow(row);
        grid.SetCol(2);
        grid.SetNumber(row * 0.25);
    }
    EXPECT_TRUE(grid.refreshPending());
    EXPECT_EQ(resets.count() + changes.count(), 0);

    QApplication::processEvents();
    EXPECT_FALSE(grid.refreshPending());
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(cellText(grid.bodyModel(), 1998, 1), "499.75");
    EXPECT_EQ(cellText(grid.bodyModel(), 1999, 1), "500");

    // A change that widens the sheet reshapes the grid, once.
    grid.SetRow(5);
    grid.SetCol(40);
    grid.SetText("x");
    grid.SetCol(41);
    grid.SetText("y");
    QApplication::processEvents();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(grid.bodyModel()->columnCount(), 41);
}

TEST(SpreadsheetWidget, ShowCurrentCellScrollsToAndSelectsTheCellAtOnce) {
    SpreadsheetWidget grid;
    grid.resize(500, 300);
    grid.show();
    grid.SetFixedRows(1);
    grid.SetMaxRow(65536);
    grid.SetRow(40000);
    grid.SetCol(30);
    grid.SetText("deep");
    grid.ShowCurrentCell();

    // No event loop turn in between: ShowCurrentCell brings the grid up to date itself.
    QTableView* body = grid.bodyView();
    const QModelIndex current = body->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(current.row(), 40000 - 2);
    EXPECT_EQ(current.column(), 29);
    EXPECT_EQ(current.data().toString(), "deep");
    EXPECT_TRUE(body->selectionModel()->isSelected(current));
    EXPECT_TRUE(cellInViewport(body, current));
    // The heading band scrolls sideways with the body.
    EXPECT_GT(body->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(grid.headingView()->horizontalScrollBar()->value(),
              body->horizontalScrollBar()->value());

    // Back to the top-left corner: the frozen row holds the cell, the body is at its top.
    grid.SetRow(1);
    grid.SetCol(1);
    grid.ShowCurrentCell();
    EXPECT_EQ(grid.headingView()->currentIndex(), grid.headingModel()->index(0, 0));
    EXPECT_FALSE(body->selectionModel()->hasSelection());
    EXPECT_EQ(body->verticalScrollBar()->value(), 0);
    EXPECT_EQ(body->horizontalScrollBar()->value(), 0);

    // A column beyond the grid's columns widens the grid instead of selecting nothing.
    grid.SetRow(3);
    grid.SetCol(60);
    grid.ShowCurrentCell();
    EXPECT_EQ(grid.bodyModel()->columnCount(), 60);
    EXPECT_EQ(body->currentIndex(), grid.bodyModel()->index(1, 59));
}

TEST(SpreadsheetWidget, ViewScaleZoomsFontAndCellSizes) {
    SpreadsheetWidget grid;
    grid.SetFixedRows(1);
    grid.SetMaxRow(50);
    grid.refreshNow();
    const int rowAt100 = grid.rowHeight();
    const int columnAt100 = grid.columnWidth();
    const qreal pointsAt100 = grid.bodyView()->font().pointSizeF();
    EXPECT_EQ(grid.bodyView()->verticalHeader()->defaultSectionSize(), rowAt100);
    EXPECT_EQ(grid.bodyView()->columnWidth(3), columnAt100);

    grid.SetViewScale(70);
    grid.refreshNow();
    EXPECT_LT(grid.rowHeight(), rowAt100);
    EXPECT_EQ(grid.columnWidth(), static_cast<int>(std::lround(columnAt100 * 0.7)));
    EXPECT_NEAR(grid.bodyView()->font().pointSizeF(), pointsAt100 * 0.7, 0.01);
    EXPECT_NEAR(grid.headingView()->horizontalHeader()->font().pointSizeF(), pointsAt100 * 0.7,
                0.01);
    EXPECT_EQ(grid.bodyView()->verticalHeader()->sectionSize(10), grid.rowHeight());
    EXPECT_EQ(grid.headingView()->columnWidth(3), grid.columnWidth());
    // The frozen band is exactly the column letters plus one row.
    EXPECT_EQ(grid.headingView()->height(),
              grid.headingView()->horizontalHeader()->height() + grid.rowHeight());

    grid.SetViewScale(200);
    grid.refreshNow();
    EXPECT_GT(grid.rowHeight(), rowAt100);
}

TEST(SpreadsheetWidget, ColumnWidthsAndSidewaysScrollingStayInStepBetweenTheBands) {
    SpreadsheetWidget grid;
    grid.resize(400, 300);
    grid.show();
    grid.SetFixedRows(1);
    grid.SetMaxRow(30);
    grid.refreshNow();
    grid.headingView()->horizontalHeader()->resizeSection(2, 150);
    EXPECT_EQ(grid.bodyView()->columnWidth(2), 150);
    grid.bodyView()->horizontalScrollBar()->setValue(120);
    EXPECT_EQ(grid.headingView()->horizontalScrollBar()->value(), 120);
    QApplication::processEvents();  // the window settles its layout
    EXPECT_EQ(grid.headingView()->viewport()->width(), grid.bodyView()->viewport()->width());
}

TEST(SpreadsheetWidget, FollowsALoadedWorkbookAndTheActiveSheet) {
    SpreadsheetWidget grid;
    int16_t fileType = kestrel::kFileTypeExcel97;
    grid.ReadWorkbook(kTestData + "/import/profiles.xls", fileType);
    // Loading reshapes the grid at once, to the active sheet of the file.
    ASSERT_EQ(grid.Sheet(), 2);
    EXPECT_EQ(grid.bodyModel()->rowCount() + grid.headingModel()->rowCount(), 45);
    EXPECT_EQ(grid.bodyModel()->columnCount(), 30);
    EXPECT_EQ(cellText(grid.bodyModel(), 1, 29), "far right");

    grid.SetSheet(1);
    EXPECT_TRUE(grid.refreshPending());
    grid.refreshNow();
    EXPECT_EQ(grid.bodyModel()->rowCount(), 3);
    EXPECT_EQ(grid.bodyModel()->columnCount(), 26);
    EXPECT_EQ(cellText(grid.bodyModel(), 1, 0), "Ages in ka");
}

// 65,536 cells set one by one are shown at once, by one change of the grid's model, and the last
// is scrolled to and zoomed (the time this takes is scripts/bench.sh's).
TEST(SpreadsheetWidget, ScrollsAndZoomsOnA65536RowSheet) {
    SpreadsheetWidget grid;
    grid.resize(600, 400);
    grid.show();
    grid.SetFixedRows(1);
    grid.SetMaxRow(65536);
    QSignalSpy resets(grid.bodyModel(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(grid.bodyModel(), &QAbstractItemModel::dataChanged);
    for (int row = 1; row <= 65536; ++row) {
        grid.SetRow(row);
        grid.SetCol(1);
        grid.SetNumber(row);
    }
    EXPECT_TRUE(grid.refreshPending());
    EXPECT_EQ(resets.count() + changes.count(), 0);
    grid.SetRow(65536);
    grid.ShowCurrentCell();
    EXPECT_EQ(resets.count() + changes.count(), 1);
    QApplication::processEvents();
    grid.SetViewScale(70);
    grid.refreshNow();
    grid.repaint();
    EXPECT_EQ(grid.bodyView()->currentIndex().data().toString(), "65536");
    EXPECT_TRUE(cellInViewport(grid.bodyView(), grid.bodyView()->currentIndex()));
}

// What a cell shows, as the grid's own delegate prepares it for painting at the cell's size.
QString paintedText(const SpreadsheetWidget& grid, int row, int col) {
    struct Delegate : kestrel::CellDelegate {
        using kestrel::CellDelegate::initStyleOption;
    } delegate;
    QTableView* view = grid.bodyView();
    const QModelIndex index = view->model()->index(row, col);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.font = view->font();
    delegate.initStyleOption(&option, index);
    return option.text;
}

TEST(SpreadsheetWidget, ShowsNumbersAtTheEdgesOfThePlainFormAndTextAtUtf8Boundaries) {
    SpreadsheetWidget grid;
    grid.resize(600, 400);
    grid.show();
    grid.SetMaxRow(10);
    const std::vector<std::pair<double, QString>> numbers = {
        {1e15, "1E+15"},  {-1e15, "-1E+15"},     {999999999999999.0, "999999999999999"},
        {1e-4, "0.0001"}, {9.99e-5, "9.99E-05"}, {123456789012345.0, "123456789012345"}};
    for (size_t i = 0; i < numbers.size(); ++i) {
        grid.SetRow(static_cast<int>(i) + 1);
        grid.SetCol(1);
        grid.SetNumber(numbers[i].first);
    }
    // U+007F U+0080 U+07FF U+0800 U+FFFF U+10000 U+10FFFF.
    const std::string edges =
        "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    grid.SetRow(1);
    grid.SetCol(2);
    grid.SetText(edges);
    grid.refreshNow();
    grid.bodyView()->setColumnWidth(0, 200);

    for (size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(paintedText(grid, static_cast<int>(i), 0), numbers[i].second);
    }
    const char32_t codePoints[] = {0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF};
    EXPECT_EQ(grid.bodyModel()->data(grid.bodyModel()->index(0, 1)).toString(),
              QString::fromUcs4(codePoints, 7));
}

TEST(CellDelegate, NumbersRoundToTheirCellWidthWithoutChangingMagnitude) {
    QFont font = QApplication::font();
    const QFontMetricsF metrics(font);
    auto widthOf = [&](const char* text) {
        return static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
    };
    EXPECT_EQ(kestrel::fitNumberText(5711.571428571, font, 1000), "5711.571428571");
    EXPECT_EQ(kestrel::fitNumberText(5711.571428571, font, widthOf("5711.57")), "5711.57");
    EXPECT_EQ(kestrel::fitNumberText(5711.571428571, font, widthOf("5712")), "5712");
    EXPECT_EQ(kestrel::fitNumberText(0.00916381944, font, widthOf("0.0092")), "0.0092");
    // An integer part that does not fit turns to exponent form, never to fewer digits.
    EXPECT_EQ(kestrel::fitNumberText(400000, font, widthOf("4E+05")), "4E+05");
    EXPECT_EQ(kestrel::fitNumberText(-123456.789, font, widthOf("-123457")), "-123457");
    EXPECT_EQ(kestrel::fitNumberText(-123456.789, font, widthOf("-1E+05")), "-1E+05");
    EXPECT_EQ(kestrel::fitNumberText(0.0004, font, widthOf("0")), "#");

    for (double value :
         {0.00916381944, 5711.571428571, 400000.0, -123456.789, 1.5e-7, 1e20, -0.5, 2.0 / 3.0}) {
        int previousLength = 0;
        for (int width = 2; width <= 160; width += 3) {
            const QString text = kestrel::fitNumberText(value, font, width);
            SCOPED_TRACE(std::to_string(value) + " in " + std::to_string(width) +
                         " px: " + text.toStdString());
            EXPECT_GE(text.size(), previousLength);  // more room never shows less
            previousLength = static_cast<int>(text.size());
            if (text.startsWith('#')) continue;
            EXPECT_LE(metrics.horizontalAdvance(text), width);
            const auto shown = kestrel::parseRealNumber(text.toStdString());
            ASSERT_TRUE(shown.has_value());
            EXPECT_LE(std::fabs(*shown - value), halfUnitOfLastPlace(text) * (1 + 1e-9));
        }
    }
}

// A large workbook loads on a thread of its own: timers and painting go on meanwhile, clicks
// and keys wait, and a file that cannot be read still fails with its message.
TEST(SpreadsheetWidget, KeepsTheEventLoopTurningWhileALargeWorkbookLoads) {
    const std::string path = ::testing::TempDir() + "/large_load.csv";
    {
        std::ofstream out(path, std::ios::binary);
        out << "Age,Y1,Y2\n";
        for (int k = 1; k <= 300000; ++k) out << k << ',' << k % 97 << ',' << k % 89 << '\n';
    }
    kestrel::SpreadsheetWidget sheet;
    sheet.show();
    bool reading = false, firedWhileReading = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { firedWhileReading |= reading; });
    ticker.start(1);
    int16_t fileType = 11;
    reading = true;
    sheet.ReadWorkbook(path, fileType);
    reading = false;
    EXPECT_TRUE(firedWhileReading);
    EXPECT_EQ(sheet.MaxRow(), 300001);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    const std::string missing = path + ".missing";
    EXPECT_THROW(sheet.ReadWorkbook(missing, fileType), kestrel::KestrelError);
    EXPECT_EQ(sheet.MaxRow(), 300001);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    std::remove(path.c_str());
}
