// Exporting a graph as PNG, SVG and PDF, checked by reading the files back (Qt's image reader,
// an XML reader, poppler's pdfinfo), and the Export graph command's dialogs and memory.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>
#include <map>

#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"
#include "output/GraphExport.h"
#include "output/GraphExportCommand.h"
#include "output/PngResolutionDialog.h"
#include "output/ProbabilityGraphs.h"
#include "tests/output/GraphTestData.h"
#include "tests/support/ScriptedUserInteraction.h"
#include "ui/SettingsFields.h"

using namespace kestrel;
using kestrel::testsupport::ScriptedUserInteraction;
using kestrel::testsupport::Shown;

namespace {

constexpr int kRows = 31;

// A stroked line of the SVG: the style of the group it is drawn in and its number of points.
struct SvgLine {
    QString stroke;
    double width = 0;
    bool dashed = false;
    int points = 0;
};

struct SvgContent {
    QString viewBox;
    QStringList texts;
    std::vector<SvgLine> lines;
    int images = 0;
};

SvgContent readSvg(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    SvgContent content;
    std::vector<SvgLine> groups{SvgLine{}};
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == u"g") groups.pop_back();
        if (!xml.isStartElement()) continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"svg") content.viewBox = a.value("viewBox").toString();
        if (xml.name() == u"g") {
            SvgLine style = groups.back();
            if (a.hasAttribute("stroke")) style.stroke = a.value("stroke").toString();
            if (a.hasAttribute("stroke-width")) style.width = a.value("stroke-width").toDouble();
            style.dashed =
                a.hasAttribute("stroke-dasharray") || (style.dashed && !a.hasAttribute("stroke"));
            groups.push_back(style);
        }
        if (xml.name() == u"polyline" || xml.name() == u"path") {
            SvgLine line = groups.back();
            const QString points = a.value(xml.name() == u"path" ? "d" : "points").toString();
            line.points = static_cast<int>(points.split(' ', Qt::SkipEmptyParts).size());
            content.lines.push_back(line);
        }
        if (xml.name() == u"text") content.texts << xml.readElementText().trimmed();
        if (xml.name() == u"image") ++content.images;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return content;
}

// The points drawn with one series' pen (colour, width, dotted or dashed), all lines together.
int pointsDrawnWith(const SvgContent& svg, const char* colour, double width, bool dashed) {
    int points = 0;
    for (const SvgLine& line : svg.lines) {
        if (line.stroke == colour && line.width == width && line.dashed == dashed) {
            points += line.points;
        }
    }
    return points;
}

QString pdfInfo(const QString& path) {
    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", {path});
    EXPECT_TRUE(pdfinfo.waitForFinished(30000)) << "pdfinfo (poppler-utils) must be installed";
    EXPECT_EQ(pdfinfo.exitCode(), 0) << pdfinfo.readAllStandardError().toStdString();
    return QString::fromUtf8(pdfinfo.readAllStandardOutput());
}

int inkedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += qGray(image.pixel(x, y)) < 160;
    }
    return count;
}

class GraphExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        chart1.reset(createCumulativeProbabilityGraph(nullptr));
        chart2.reset(createProbabilityGraph(nullptr));
        // On screen the graph is 800 x 500 pixels.
        chart1->resize(800, 500);
        chart2->resize(640, 480);
        fillGraphs(*chart1, *chart2, testdata::twoPeakProfile(kRows, 100.0));
    }
    void TearDown() override { kestrel::testing::failWritesAfter(-1); }

    std::string path(const char* name) const { return m_dir.filePath(name).toStdString(); }

    QTemporaryDir m_dir;
    std::unique_ptr<QCustomPlot> chart1, chart2;
};

TEST_F(GraphExportTest, PngIsDrawnAtTheChosenResolutionInTheOnScreenProportions) {
    exportGraph(*chart1, path("c.png"), GraphFormat::Png);
    QImage image(m_dir.filePath("c.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(2500, 1563)) << "800 x 500 screen pixels at 300 of 96 dpi";
    EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 300, 0.5);
    EXPECT_EQ(chart1->size(), QSize(800, 500)) << "the graph on screen keeps its size";

    // Text and lines grow with the resolution as the whole drawing does: a 192 dpi image
    // scaled down to half is inked about as much as the 96 dpi one.
    exportGraph(*chart1, path("c.png"), GraphFormat::Png, 192);
    const QImage halved = QImage(m_dir.filePath("c.png"))
                              .scaled(800, 500, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    exportGraph(*chart1, path("c.png"), GraphFormat::Png, 96);
    image.load(m_dir.filePath("c.png"));
    EXPECT_EQ(image.size(), QSize(800, 500));
    EXPECT_NEAR(static_cast<double>(inkedPixels(halved)) / inkedPixels(image), 1.0, 0.2);
    // At screen resolution the image is what the screen shows: the curves in their colours.
    int red = 0, blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            blue += c.blue() > 200 && c.red() < 60 && c.green() < 60;
        }
    }
    EXPECT_GT(red, 50);
    EXPECT_GT(blue, 50);
}

TEST_F(GraphExportTest, SvgIsAVectorDrawingOfAllSixSeries) {
    exportGraph(*chart1, path("c.svg"), GraphFormat::Svg);
    const SvgContent svg = readSvg(m_dir.filePath("c.svg"));
    EXPECT_EQ(svg.viewBox, "0 0 800 500");
    EXPECT_EQ(svg.images, 0) << "no embedded picture: every line is a path";
    for (const char* title : {"Curve 1", "Curve 2", "Difference", "Difference (W)",
                              "K-S > critical", "K-S > critical (W)"}) {
        EXPECT_TRUE(svg.texts.contains(title)) << title;
    }
    // Each series' own pen draws its legend entry; the curves also draw every point.
    EXPECT_GE(pointsDrawnWith(svg, "#0000ff", 1, true), kRows) << "Curve 1, blue dotted";
    EXPECT_GE(pointsDrawnWith(svg, "#008000", 1, false), kRows) << "Curve 2, green";
    EXPECT_GE(pointsDrawnWith(svg, "#800080", 2, true), 2) << "Difference, purple dashed";
    EXPECT_GE(pointsDrawnWith(svg, "#808080", 2, false), 2) << "Difference (W), gray";
    EXPECT_GE(pointsDrawnWith(svg, "#800080", 2, false), 2) << "K-S > critical, purple";
    EXPECT_GE(pointsDrawnWith(svg, "#ff0000", 3, false), 2) << "K-S > critical (W), red";
    // The window above its cutoff: "Difference (W)" points drawn red at the width of its pen.
    EXPECT_GE(pointsDrawnWith(svg, "#ff0000", 2, false), 2);
}

TEST_F(GraphExportTest, PdfIsOnePageInTheOnScreenProportions) {
    exportGraph(*chart2, path("p.pdf"), GraphFormat::Pdf);
    const QString info = pdfInfo(m_dir.filePath("p.pdf"));
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
    // 640 x 480 screen pixels are 480 x 360 points.
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+480 x 360 pts")))
        << info.toStdString();
}

TEST_F(GraphExportTest, FailuresNameTheFileAndKeepTheOldOne) {
    QFile old(m_dir.filePath("c.svg"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older drawing");
    old.close();
    kestrel::testing::failWritesAfter(100);
    try {
        exportGraph(*chart1, path("c.svg"), GraphFormat::Svg);
        FAIL() << "a failed write must be reported";
    } catch (const KestrelError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot write " + path("c.svg") + ": No space left on device");
    }
    kestrel::testing::failWritesAfter(-1);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "an older drawing");
    old.close();

    const std::string missing = path("no/such/folder/c.pdf");
    try {
        exportGraph(*chart1, missing, GraphFormat::Pdf);
        FAIL() << "wrote into a missing folder";
    } catch (const KestrelError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
    try {
        exportGraph(*chart1, path("c.png"), GraphFormat::Png, 5000);
        FAIL() << "an image of 5000 dpi is refused";
    } catch (const KestrelError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot export the graph to " + path("c.png") +
                                             ": the resolution must be 50 to 1200 dpi, not 5000");
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"c.svg"});
}

TEST_F(GraphExportTest, CommandProposesNamesAsksResolutionAndRemembersTheChoices) {
    ScriptedUserInteraction ui;
    SettingsFields state;
    state.WorkbookFileName = "Profiles.v2.xls";
    state.WorkbookPath = path("Profiles.v2.xls");
    state.DataExportPath = "/summaries";
    GraphExportChoices choices;

    // First export: PNG, the resolution lowered to 150 dpi in the dialog.
    ui.saveAnswers.push_back(FileChoice{m_dir.filePath("first.png"), 1});
    ui.modalActions.push_back([](QDialog& dialog) {
        auto& resolution = dynamic_cast<PngResolutionDialog&>(dialog);
        EXPECT_EQ(resolution.sbResolution->value(), 300);
        EXPECT_EQ(resolution.lImageSize->text(), "2500 × 1563 pixels");
        resolution.sbResolution->setValue(150);
        EXPECT_EQ(resolution.lImageSize->text(), "1250 × 781 pixels");
        dialog.accept();
    });
    EXPECT_TRUE(exportGraphAsChosen(*chart1, state, choices, ui, nullptr));
    const FileDialogSetup first = ui.shownOf(Shown::SaveChooser).at(0).chooser;
    EXPECT_EQ(first.filters,
              QStringList({"PNG image (*.png)", "SVG drawing (*.svg)", "PDF document (*.pdf)"}));
    EXPECT_EQ(first.filterSuffixes, QStringList({"png", "svg", "pdf"}));
    EXPECT_EQ(first.selectedFilter, 1);
    EXPECT_EQ(first.initialFolder, "/summaries") << "the summary's folder to begin with";
    EXPECT_EQ(first.proposedName, "Profiles.v2_cumulative.png");
    EXPECT_TRUE(first.confirmOverwrite);
    EXPECT_EQ(QImage(m_dir.filePath("first.png")).size(), QSize(1250, 781));

    // Second: the probability graph; a typed ".svg" wins over the PNG entry; no resolution asked.
    ui.clear();
    ui.saveAnswers.push_back(FileChoice{m_dir.filePath("second.svg"), 1});
    EXPECT_TRUE(exportGraphAsChosen(*chart2, state, choices, ui, nullptr));
    const FileDialogSetup second = ui.shownOf(Shown::SaveChooser).at(0).chooser;
    EXPECT_EQ(second.initialFolder, m_dir.path()) << "the last export's folder";
    EXPECT_EQ(second.proposedName, "Profiles.v2_probability.png");
    EXPECT_TRUE(ui.shownOf(Shown::Modal).empty());
    EXPECT_EQ(readSvg(m_dir.filePath("second.svg")).viewBox, "0 0 640 480");

    // Third: SVG is now the remembered format; the PNG resolution dialog is cancelled.
    ui.clear();
    ui.saveAnswers.push_back(FileChoice{m_dir.filePath("third"), 1});
    EXPECT_FALSE(exportGraphAsChosen(*chart1, state, choices, ui, nullptr));
    const FileDialogSetup third = ui.shownOf(Shown::SaveChooser).at(0).chooser;
    EXPECT_EQ(third.selectedFilter, 2);
    EXPECT_EQ(third.proposedName, "Profiles.v2_cumulative.svg");
    EXPECT_EQ(ui.shownOf(Shown::Modal).size(), 1u);
    EXPECT_FALSE(QFile::exists(m_dir.filePath("third")));

    // Never over the workbook the profiles came from.
    QFile workbook(QString::fromStdString(state.WorkbookPath));
    ASSERT_TRUE(workbook.open(QIODevice::WriteOnly));
    workbook.write("profiles");
    workbook.close();
    ui.saveAnswers.push_back(FileChoice{workbook.fileName(), 3});
    EXPECT_THROW(exportGraphAsChosen(*chart1, state, choices, ui, nullptr), KestrelError);
    ASSERT_TRUE(workbook.open(QIODevice::ReadOnly));
    EXPECT_EQ(workbook.readAll(), "profiles");
}

}  // namespace
