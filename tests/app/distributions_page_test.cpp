// The Distributions page through the real window, offscreen: the sample workbook's profiles,
// peaks and bins against the engine's for the same grains, a choice that only redraws against
// one that builds the profiles again (counted), a band that does not read said and nothing
// redrawn, the figure and the tables exported, the choices kept in the settings file; and a
// workbook of profiles from the Many profiles page drawn as the stacked figure alone.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "app/CompareManyDialog.h"
#include "app/DistributionsPage.h"
#include "app/GrainAgesDialog.h"
#include "app/KR_main.h"
#include "app/ManyResultsPage.h"
#include "engine/density/DensityProfiles.h"
#include "engine/figures/AgeBins.h"
#include "engine/figures/ProfilePeaks.h"
#include "output/FilledShape.h"
#include "sheet/core/GrainAges.h"
#include "sheet/core/WorkbookReader.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using namespace kestrel;
using kestrel::testsupport::readAll;
using kestrel::testsupport::writeAll;

const QString kSampleAges = KESTREL_SOURCE_DIR "/data/samples/GrainAges.xls";

std::vector<GrainSample> sampleAges() {
    WorkbookFormat format;
    const Workbook book = readAnyWorkbookFile(kSampleAges.toStdString(), format);
    GrainAgesRequest request;
    request.errors = ErrorsPlace::Sheet;
    request.errorsSheet = "Errors";
    return readGrainAges(book, request).samples;
}

int filledShapes(QCustomPlot& chart) {
    int shapes = 0;
    for (int i = 0; i < chart.plottableCount(); ++i)
        shapes += dynamic_cast<FilledShape*>(chart.plottable(i)) != nullptr;
    return shapes;
}

void typeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

class DistributionsPageTest : public testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        newForm();
    }
    void newForm() {
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->resize(1200, 800);
        m_form->show();
    }
    void openSampleAges() {
        m_ui.openAnswers.push_back(FileChoice{kSampleAges, 1});
        m_ui.modalActions.push_back([](QDialog& dialog) {
            auto& ages = dynamic_cast<GrainAgesDialog&>(dialog);
            ages.cbUncertainties->setCurrentIndex(ages.cbUncertainties->findData("sheet"));
            QTest::mouseClick(ages.bbOK, Qt::LeftButton);
        });
    }
    DistributionsPage& page() { return *m_form->Distributions; }
    std::unique_ptr<TForm1> m_form;
};

TEST_F(DistributionsPageTest, AgesDrawnRedrawnOnChoicesExportedAndKept) {
    openSampleAges();
    m_form->Distributions1->trigger();
    ASSERT_TRUE(page().filled());
    EXPECT_EQ(m_form->PageControl1->currentWidget(), m_form->tsDistributions);
    const std::vector<GrainSample> samples = sampleAges();
    ASSERT_EQ(samples.size(), 8u);

    // Each sample's KDE profile and histogram; its peaks and bins as the engine finds them.
    EXPECT_EQ(filledShapes(*page().StackedFigure), 16);
    const DensityProfiles profiles = buildDensityProfiles(samples, DensityOptions{});
    const std::vector<double> edges = parseBinEdges("0,300,600,1000,1300,2000,4500");
    int peakRows = 0;
    for (size_t s = 0; s < samples.size(); ++s) {
        const auto peaks = findProfilePeaks(profiles.ages, profiles.profiles[s], samples[s].ages);
        ASSERT_EQ(page().peaks()[s].size(), peaks.size());
        for (size_t p = 0; p < peaks.size(); ++p) {
            EXPECT_EQ(page().peaks()[s][p].age, peaks[p].age);
            EXPECT_EQ(page().peaks()[s][p].grains, peaks[p].grains);
        }
        peakRows += static_cast<int>(peaks.size());
        EXPECT_EQ(page().binCounts()[s].counts, countInBins(samples[s].ages, edges).counts);
    }
    // The tables are filled when their tabs come to the front.
    page().tcFigures->setCurrentIndex(3);
    EXPECT_EQ(page().PeaksGrid->model()->rowCount(), peakRows);
    page().tcFigures->setCurrentIndex(2);
    EXPECT_EQ(page().BinsGrid->model()->rowCount(), 8);
    page().tcFigures->setCurrentIndex(0);

    // A bin width of 0 only redraws (no histograms); PDP builds the profiles again.
    const int builds = page().profileBuilds();
    typeInto(page().eBinWidth, "0");
    EXPECT_EQ(filledShapes(*page().StackedFigure), 8);
    EXPECT_EQ(page().profileBuilds(), builds);
    page().cbProfile->setCurrentIndex(page().cbProfile->findData("PDP"));
    EXPECT_EQ(page().profileBuilds(), builds + 1);

    // A band with its ends swapped is said at the top; the figure stays as it was.
    const int items = page().StackedFigure->itemCount();
    typeInto(page().eBands, "Grenville:1300-1000");
    EXPECT_TRUE(page().lProblem->isVisible());
    EXPECT_NE(page().lProblem->text().indexOf("has its ends swapped"), -1);
    EXPECT_EQ(page().StackedFigure->itemCount(), items);
    typeInto(page().eBands, "Grenville:1000-1300");
    EXPECT_FALSE(page().lProblem->isVisible());
    EXPECT_EQ(page().StackedFigure->itemCount(), items + 2) << "the band and its label";

    // A DKW band for the first sample: its shape behind the eight curves.
    page().tcFigures->setCurrentIndex(1);
    page().lwBands->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(page().CumulativeFigure->graphCount(), 8);
    EXPECT_EQ(filledShapes(*page().CumulativeFigure), 1);

    // The stacked figure as SVG at the typed width, and the peaks table.
    const QString svg = m_dir.filePath("stacked.svg");
    m_ui.saveAnswers.push_back(FileChoice{svg, 1});
    typeInto(page().eFigureWidth, "120");
    page().tcFigures->setCurrentIndex(0);
    QTest::mouseClick(page().bbExportFigure, Qt::LeftButton);
    const std::string drawing = readAll(svg);
    const size_t width = drawing.find("<svg width=\"");
    ASSERT_NE(width, std::string::npos) << drawing.substr(0, 400);
    EXPECT_NEAR(std::stod(drawing.substr(width + 12)), 120.0, 0.3) << "mm, to the pixel";
    for (const GrainSample& sample : samples)
        EXPECT_NE(drawing.find(">" + sample.name + "</text>"), std::string::npos) << sample.name;
    const QString peaksFile = m_dir.filePath("peaks.csv");
    m_ui.saveAnswers.push_back(FileChoice{peaksFile, 1});
    page().tcFigures->setCurrentIndex(3);
    QTest::mouseClick(page().bbExportTable, Qt::LeftButton);
    EXPECT_EQ(readAll(peaksFile).rfind("Sample,Peak,Age,Height,Grains\r\n", 0), 0u);

    // Ages without uncertainties cannot give a PDP: said, and drawn by KDE; asking for a PDP
    // again keeps the KDE profiles and says why.
    DistributionsData bare;
    bare.subject = "bare";
    for (const GrainSample& sample : samples)
        bare.samples.push_back({sample.name, sample.ages, {}});
    page().tcFigures->setCurrentIndex(0);
    page().showData(bare);
    EXPECT_TRUE(page().lProblem->isVisible());
    EXPECT_NE(page().lProblem->text().indexOf("drawn by KDE"), -1)
        << page().lProblem->text().toStdString();
    EXPECT_EQ(page().cbProfile->currentData().toString(), "KDE");
    EXPECT_EQ(filledShapes(*page().StackedFigure), 8);
    page().cbProfile->setCurrentIndex(page().cbProfile->findData("PDP"));
    EXPECT_EQ(page().cbProfile->currentData().toString(), "KDE");
    EXPECT_TRUE(page().lProblem->isVisible());
    page().cbProfile->setCurrentIndex(page().cbProfile->findData("PDP"));

    // The choices are kept in their own section and come back with the next window.
    m_form->close();
    const std::string written = readAll(settingsPath());
    EXPECT_NE(written.find("[Distributions]"), std::string::npos) << written;
    EXPECT_NE(written.find("Bin width=0"), std::string::npos) << written;
    EXPECT_NE(written.find("Profile=PDP"), std::string::npos) << written;
    newForm();
    openSampleAges();
    m_form->Distributions1->trigger();
    EXPECT_EQ(page().cbProfile->currentData().toString(), "PDP");
    EXPECT_EQ(page().eBands->text(), "Grenville:1000-1300");
}

TEST_F(DistributionsPageTest, ProfilesFromTheManyPageDrawTheStackedFigureAlone) {
    const QString book = m_dir.filePath("profiles.csv");
    std::string text = "Age,North,South,East\n";
    for (int k = 0; k <= 40; ++k)
        text += std::to_string(100 + 10 * k) + "," + std::to_string((k * 7) % 23) + "," +
                std::to_string((k * 5) % 31) + "," + std::to_string(k % 9) + "\n";
    writeAll(book, text);
    m_ui.openAnswers.push_back(FileChoice{book, 1});
    m_ui.modalActions.push_back([](QDialog& dialog) {
        auto& import = dynamic_cast<TfmSheetImport&>(dialog);
        import.eFromRow->setText("2");
        import.eToRow->setText("42");
        import.eAgeColStr->setText("A");
        import.eY1ColStr->setText("B");
        import.eY2ColStr->setText("C");
        QTest::mouseClick(import.bbImport, Qt::LeftButton);
    });
    m_form->Open1Click();
    m_ui.modalActions.push_back([](QDialog& dialog) {
        QTest::mouseClick(dynamic_cast<CompareManyDialog&>(dialog).bbOK, Qt::LeftButton);
    });
    m_form->CompareMany1Click();
    QTest::mouseClick(m_form->ManyResults->bbDistributions, Qt::LeftButton);
    ASSERT_TRUE(page().filled());
    EXPECT_FALSE(page().data().fromAges);
    EXPECT_EQ(filledShapes(*page().StackedFigure), 3) << "profiles, no histograms";
    for (int tab : {1, 2, 3}) EXPECT_FALSE(page().tcFigures->isTabVisible(tab));
    EXPECT_NE(page().lNote->text().indexOf("holds no grains"), -1);
    // The grid is the Age column; each profile scaled to its highest point.
    const auto* north = dynamic_cast<FilledShape*>(page().StackedFigure->plottable(0));
    ASSERT_NE(north, nullptr);
    EXPECT_EQ(north->outline()[1].x(), 100.0);
    EXPECT_EQ(north->outline()[north->outline().size() - 2].x(), 500.0);
}

}  // namespace
