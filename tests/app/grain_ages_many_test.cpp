// The Many profiles page from grain ages through the real window, offscreen: samples that do not
// read left out and said, Kuiper's p of the grains against Stephens' formula in numpy, each
// sample's grains, the stress judged in words, and the status bar's two-sample grains.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <sstream>

#include "app/GrainAgesDialog.h"
#include "app/KR_main.h"
#include "app/ManyResultsPage.h"
#include "engine/NumberText.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::Measure;

class GrainAgesMany : public kestrel::testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->resize(1200, 800);
        m_form->show();
    }

    // The 16-sample workbook of tests/tools/batch_ages_fixture.py, and its pairs (i j D P V KP).
    void writeFixtureBook() {
        m_book = m_dir.filePath("ages.xlsx");
        QProcess process;
        process.start("/usr/bin/python3",
                      {KESTREL_SOURCE_DIR "/tests/tools/batch_ages_fixture.py", m_book});
        process.waitForFinished(120000);
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        std::istringstream fixture(process.readAllStandardOutput().toStdString());
        std::string word;
        double skipped = 0;
        fixture >> word >> skipped >> skipped >> word >> skipped;
        for (Pair pair;
             fixture >> word >> pair.i >> pair.j >> pair.d >> pair.p >> pair.v >> pair.kp;)
            m_pairs.push_back(pair);
        ASSERT_EQ(m_pairs.size(), 120u);
    }

    // Opens the dialog on m_book, lets `act` work in it, then OK.
    void openAges(const std::function<void(GrainAgesDialog&)>& act) {
        m_ui.openAnswers.push_back(kestrel::FileChoice{m_book, 1});
        m_ui.modalActions.push_back([act](QDialog& dialog) {
            auto& ages = dynamic_cast<GrainAgesDialog&>(dialog);
            act(ages);
            QTest::mouseClick(ages.bbOK, Qt::LeftButton);
        });
        m_form->OpenGrainAges1Click();
    }

    kestrel::ManyResultsPage& page() { return *m_form->ManyResults; }

    struct Pair {
        int i = 0, j = 0;
        double d = 0, p = 0, v = 0, kp = 0;
    };
    QString m_book;
    std::vector<Pair> m_pairs;
    std::unique_ptr<TForm1> m_form;
};

TEST_F(GrainAgesMany, SamplesThatDoNotReadAreLeftOutAndSaid) {
    m_book = m_dir.filePath("bad.csv");
    kestrel::testsupport::writeAll(m_book,
                                   "N1,N4,N2,N5,N3\n100,120,150,300,130\n200,n.d.,250,,210\n"
                                   "300,140,350,,330\n250,160,270,,290\n");
    QString note;
    QStringList offered;
    openAges([&](GrainAgesDialog& d) {
        d.eBandwidth->setText("30");
        d.updatePreview();
        note = d.previewNote();
        for (int i = 0; i < d.cbFirstSample->count(); ++i) offered << d.cbFirstSample->itemText(i);
        d.chkAllSamples->setChecked(true);
    });
    EXPECT_TRUE(
        note.contains("N4 is left out: Cell B3 of sheet \"bad\" holds \"n.d.\", which "
                      "is not a number; N5 is left out: Sample \"N5\" (column D of sheet "
                      "\"bad\") has 1 age: a sample needs at least 2"))
        << note.toStdString();
    EXPECT_EQ(offered, (QStringList{"N1", "N2", "N3"}));

    // "all" compares the three that read; the page's note names the others, its tooltip says why.
    ASSERT_TRUE(page().results().matrix);
    EXPECT_EQ(page().results().matrix->names, (std::vector<std::string>{"N1", "N2", "N3"}));
    EXPECT_TRUE(page().lNote->text().endsWith(
        " Left out, as they do not read: N4, N5 (hover here for why)."))
        << page().lNote->text().toStdString();
    EXPECT_EQ(page().lNote->toolTip(),
              "N4: Cell B3 of sheet \"bad\" holds \"n.d.\", which is not a number\n"
              "N5: Sample \"N5\" (column D of sheet \"bad\") has 1 age: a sample needs at least 2");
}

TEST_F(GrainAgesMany, KuiperPOfTheGrainsInThePairLineTheTooltipsAndTheSavedMatrix) {
    writeFixtureBook();
    openAges([](GrainAgesDialog& d) { d.chkAllSamples->setChecked(true); });
    page().chooseMeasure(Measure::KuiperV);
    const Pair& pair = m_pairs[16];  // S02 and S04
    ASSERT_EQ(pair.i * 100 + pair.j, 103);
    page().choosePair(pair.i, pair.j);
    EXPECT_EQ(page().lPair->text(),
              QString("S02 and S04: Kuiper V = %1, p = %2")
                  .arg(QLocale().toString(pair.v, 'f', 4), QLocale().toString(pair.kp, 'g', 4)));
    const QAbstractItemModel& table = *page().MatrixGrid->model();
    const QString tip = table.data(table.index(pair.i, pair.j), Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.endsWith("\np = " + QLocale().toString(pair.kp, 'g', 6))) << tip.toStdString();

    const QString saved = m_dir.filePath("matrix.csv");
    m_ui.saveAnswers.push_back(kestrel::FileChoice{saved, 1});
    QTest::mouseClick(page().bbSaveMatrix, Qt::LeftButton);
    std::istringstream lines(kestrel::testsupport::readAll(saved));
    std::vector<std::string> block;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Kuiper p,", 0) == 0 || !block.empty()) block.push_back(line);
        if (block.size() == 17) break;
    }
    ASSERT_EQ(block.size(), 17u);
    for (const Pair& p : m_pairs) {
        std::istringstream cells(block[static_cast<size_t>(p.i) + 1]);
        std::string cell;
        for (int c = 0; c <= p.j + 1; ++c) std::getline(cells, cell, ',');
        EXPECT_NEAR(std::stod(cell), p.kp, 1e-12 * p.kp + 1e-300) << p.i << "," << p.j;
    }
}

TEST_F(GrainAgesMany, GrainCountsTheStressInWordsAndNoTwoSampleSizesOnThePage) {
    writeFixtureBook();
    openAges([](GrainAgesDialog& d) { d.cbSecondSample->setCurrentText("S02"); });
    auto* sizes = m_form->findChild<QLabel*>("SampleSizesNote");
    ASSERT_TRUE(sizes);
    EXPECT_TRUE(sizes->isVisible());
    EXPECT_EQ(sizes->text(), "Sample sizes: 75 and 106 grains");

    openAges([](GrainAgesDialog& d) { d.chkAllSamples->setChecked(true); });
    EXPECT_EQ(m_form->PageControl1->currentWidget(), m_form->tsManyProfiles);
    EXPECT_FALSE(sizes->isVisible()) << "the two samples' grains are not the page's";
    m_form->PageControl1->setCurrentWidget(m_form->tsWindows);
    EXPECT_TRUE(sizes->isVisible()) << "back on the two samples' results";

    const QAbstractItemModel& table = *page().MatrixGrid->model();
    EXPECT_EQ(table.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "S02 (106)");
    EXPECT_EQ(table.headerData(0, Qt::Vertical, Qt::ToolTipRole).toString(), "S01 (75 grains)");
    EXPECT_TRUE(table.data(table.index(0, 1), Qt::ToolTipRole)
                    .toString()
                    .startsWith("S01 (75 grains) and S02 (106 grains)\nD = "));
    page().copyMatrix();  // names alone, as a reader of the copy wants them
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("\tS01\tS02\t"));
    EXPECT_TRUE(QApplication::clipboard()->text().contains("\nS16\t"));

    // Kruskal's scale, as written: up to 0.025 excellent, 0.05 good, 0.1 fair, 0.2 poor.
    const auto judged = [](double stress) {
        const char* word = stress <= 0.025  ? "excellent"
                           : stress <= 0.05 ? "good"
                           : stress <= 0.1  ? "fair"
                           : stress <= 0.2  ? "poor"
                                            : "very poor";
        return QString("stress-1 %1 (%2, by Kruskal's scale).")
            .arg(QString::fromStdString(kestrel::formatFixed(stress, 4)), word);
    };
    for (const bool nonmetric : {false, true}) {
        page().chkNonmetric->setChecked(nonmetric);
        const QString note = page().lNote->text();
        EXPECT_TRUE(note.contains(judged(*page().mapView().map.stress1))) << note.toStdString();
    }
}

}  // namespace
