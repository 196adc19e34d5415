// Printing a graph into a PDF printer, the missing printer, which graph the Print button
// prints, and the Print button's visibility across page switches.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <memory>

#include "engine/KestrelError.h"
#include "output/GraphPrint.h"
#include "output/ProbabilityGraphs.h"
#include "sheet/widgets/QtUserInteraction.h"
#include "tests/output/GraphTestData.h"
#include "tests/support/ScriptedUserInteraction.h"

using namespace kestrel;
using kestrel::testsupport::ScriptedUserInteraction;
using kestrel::testsupport::Shown;

namespace {

int pdfPageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QString text = QString::fromLatin1(file.readAll());
    return static_cast<int>(text.count(QRegularExpression("/Type\\s*/Page(?![s\\w])")));
}

/// The first page of a PDF as an image, drawn by Ghostscript; a null image when it could not be
/// drawn.
QImage pdfPageImage(const QString& pdf, const QString& png) {
    EXPECT_TRUE(QFileInfo::exists("/usr/bin/gs")) << "Ghostscript is missing (scripts/deps.sh)";
    const std::string command =
        "/usr/bin/gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=png16m -r60 "
        "-sOutputFile='" +
        png.toStdString() + "' '" + pdf.toStdString() + "'";
    if (std::system(command.c_str()) != 0) return {};
    return QImage(png);
}

/// Bounding box of the pixels that are not white.
QRect inkedArea(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).lightness() < 240) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

int pixelsLike(const QImage& image, bool (*test)(const QColor&)) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += test(image.pixelColor(x, y)) ? 1 : 0;
    }
    return count;
}

class GraphPrintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        chart1->resize(1000, 600);
        chart2->resize(900, 700);
        fillGraphs(*chart1, *chart2, testdata::twoPeakProfile());
    }
    QTemporaryDir folder;
    std::unique_ptr<QCustomPlot> chart1{createCumulativeProbabilityGraph(nullptr)};
    std::unique_ptr<QCustomPlot> chart2{createProbabilityGraph(nullptr)};
    ScriptedUserInteraction ui;
};

}  // namespace

TEST_F(GraphPrintTest, OnePageWhoseDrawingIsTheGraphInItsProportions) {
    ui.printerPdfPath = folder.filePath("printed.pdf");
    printGraph(*chart1, ui);
    const auto printers = ui.shownOf(Shown::Printer);
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].text, "Chart1");
    ASSERT_EQ(pdfPageCount(ui.printerPdfPath), 1);

    const QImage page = pdfPageImage(ui.printerPdfPath, folder.filePath("page.png"));
    ASSERT_FALSE(page.isNull()) << "Ghostscript did not draw the printed page";
    EXPECT_GT(page.width(), page.height()) << "a wide graph is printed in landscape";
    const QRect drawing = inkedArea(page);
    EXPECT_NEAR(double(drawing.width()) / drawing.height(), 1000.0 / 600.0, 0.06);
    // Scaled to fill the page's width within its 15 mm margins (a page at least 279 mm wide).
    EXPECT_GT(drawing.width(), page.width() * 0.85);
    EXPECT_GT(drawing.height(), page.height() * 0.6);
    // The graph's own marks: the blue dotted curve and the red window difference.
    EXPECT_GT(pixelsLike(page,
                         [](const QColor& c) {
                             return c.blue() > 180 && c.red() < 120 && c.green() < 120;
                         }),
              20);
    EXPECT_GT(
        pixelsLike(
            page, [](const QColor& c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }),
        20);
}

// The real printer lookup on a system without printers (see qt_gtest_main.cpp).
TEST_F(GraphPrintTest, WithoutAPrinterTheUserGetsAnError) {
    QtUserInteraction system;
    try {
        printGraph(*chart2, system);
        FAIL() << "printing without a printer succeeded";
    } catch (const KestrelError& e) {
        EXPECT_STREQ(e.what(),
                     "No printer is installed: add a printer in the system settings to print "
                     "the graph");
    }
}

TEST_F(GraphPrintTest, ThePrintButtonPrintsTheGraphInFrontOnly) {
    QTabWidget pages;
    auto addPage = [&pages](const char* name, const char* caption) {
        auto* page = new QWidget;
        page->setObjectName(name);
        pages.addTab(page, caption);
        return page;
    };
    QWidget* sheets = addPage("tsSpreadsheets", "Spreadsheets");
    QWidget* graph = addPage("tsGraph", "Cumulative Probability Graph");
    QWidget* histogram = addPage("tsHistogram", "Probability Graph");
    QPushButton print("Print");
    QObject::connect(&pages, &QTabWidget::currentChanged, &print,
                     [&] { print.setVisible(printButtonVisibleFor(pages.currentWidget())); });
    pages.show();
    print.show();
    print.hide();

    pages.setCurrentWidget(graph);
    EXPECT_TRUE(print.isVisible());
    pages.setCurrentWidget(sheets);
    EXPECT_FALSE(print.isVisible());
    pages.setCurrentWidget(histogram);
    EXPECT_TRUE(print.isVisible());
    EXPECT_FALSE(printButtonVisibleFor(nullptr));

    ui.printerPdfPath = folder.filePath("front.pdf");
    printGraphInFront(histogram, *chart1, *chart2, ui);
    printGraphInFront(sheets, *chart1, *chart2, ui);
    const auto printers = ui.shownOf(Shown::Printer);
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].text, "Chart2");
    EXPECT_EQ(pdfPageCount(ui.printerPdfPath), 1);
}
