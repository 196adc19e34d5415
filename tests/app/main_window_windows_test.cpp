// The windows table page and Options > Sample sizes..., driven as a user would on the offscreen
// platform: the table follows the log, sorts, copies and is saved after "Smry"; grain counts
// are checked, drive the cutoffs of the next calculation, show in the status bar and are kept
// in the settings file's section "Sample sizes" only while they are set.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "app/KR_chng.h"
#include "app/KR_main.h"
#include "app/SampleSizesDialog.h"
#include "engine/KsTwoSample.h"
#include "engine/comparison/WindowMeasures.h"
#include "engine/comparison/WindowsTable.h"
#include "sheet/core/CsvWriter.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::sharedState;
using kestrel::testsupport::Shown;

// The ten-row worked example in rows 2 to 11 of sheet "Profiles".
const QString kWorkbook = QStringLiteral(KESTREL_TEST_DATA_DIR "/batch/profiles.xls");

class MainWindowWindows : public kestrel::testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->show();
    }

    void open() {
        m_ui.openAnswers.push_back(kestrel::FileChoice{kWorkbook, 1});
        m_ui.modalActions.push_back([](QDialog& dialog) {
            auto& import = dynamic_cast<TfmSheetImport&>(dialog);
            import.cbSheetName->setCurrentText("Profiles");
            import.eFromRow->setText("2");
            import.eToRow->setText("11");
            import.eAgeWindowWidthStr->setText("300");
            QTest::mouseClick(import.bbImport, Qt::LeftButton);
        });
        m_form->Open1Click();
    }

    // The user enters each pair in turn, pressing OK after each.
    void sampleSizes(const std::vector<std::pair<QString, QString>>& entries) {
        m_ui.modalActions.push_back([=](QDialog& dialog) {
            auto& sizes = dynamic_cast<TfmSampleSizes&>(dialog);
            for (const auto& [first, second] : entries) {
                sizes.eGrains1->setText(first);
                sizes.eGrains2->setText(second);
                QTest::mouseClick(sizes.bbOK, Qt::LeftButton);
            }
        });
        m_form->SampleSizes1Click();
    }

    void recalculate() {
        m_ui.modalActions.push_back([](QDialog& dialog) {
            QTest::mouseClick(dynamic_cast<TfmChangeSettings&>(dialog).bbOK, Qt::LeftButton);
        });
        m_form->bbEditClick();
    }

    QStringList logLines() const {
        return m_form->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    QString cell(int row, int column) const {
        const auto* model = m_form->WindowsGrid->model();
        return model->data(model->index(row, column)).toString();
    }
    QString pythonOut(const QString& script, const QString& file) {
        QProcess python;
        python.start("/usr/bin/python3", {"-c", script, file});
        EXPECT_TRUE(python.waitForFinished(30000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
    }

    std::unique_ptr<TForm1> m_form;
};

TEST_F(MainWindowWindows, ThePageListsTheLoggedWindowsSortsCopiesAndIsSavedAfterSmry) {
    EXPECT_EQ(m_form->PageControl1->indexOf(m_form->tsWindows), 4) << "after the log's page";
    EXPECT_FALSE(m_form->PageControl1->isTabVisible(4)) << "no results yet";
    open();
    EXPECT_TRUE(m_form->PageControl1->isTabVisible(4));
    const QStringList log = logLines();
    ASSERT_EQ(log.size(), 2);
    ASSERT_EQ(m_form->WindowsGrid->model()->rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        const QStringList pieces = log[row].split(' ', Qt::SkipEmptyParts);
        EXPECT_EQ(cell(row, 0), pieces[0]);
        EXPECT_EQ(cell(row, 2), pieces[2]);
        EXPECT_EQ("n=" + cell(row, 4), pieces[4]);
        EXPECT_EQ(cell(row, 5), cell(row, 4)) << "classic rule: n1 is the number of rows";
        EXPECT_EQ(cell(row, 11), "exact");
    }
    for (QLabel* label : m_form->statusBar()->findChildren<QLabel*>()) {
        EXPECT_FALSE(label->isVisible() && label->text().contains("grains"));
    }

    // Copy with nothing selected: every row under the headings, numbers in full precision.
    m_form->copyWindowsTable();
    const QStringList copied = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(copied.size(), 3);
    EXPECT_EQ(copied[0],
              "First\tFirst age\tLast\tLast age\tRows\tn1\tn2\tD\tCritical value\tp\t"
              "Beyond\tMethod");
    const auto& rows = m_form->windowsTableRows();
    EXPECT_TRUE(
        copied[1].startsWith("1\t100\t10\t1000\t10\t10\t10\t" +
                             QString::fromStdString(kestrel::shortestNumberText(rows[0].d))))
        << copied[1].toStdString();

    // A click on "D" sorts by D, largest first on the second click.
    m_form->WindowsGrid->sortByColumn(7, Qt::DescendingOrder);
    const int largest = rows[0].d > rows[1].d ? 0 : 1;
    EXPECT_EQ(cell(0, 0), QString::number(rows[static_cast<size_t>(largest)].first));

    // Saved: "Smry" then "Windows" (read by xlrd); a .csv summary gets NAME_windows.csv.
    const QString xls = m_dir.filePath("s_summary.xls");
    m_ui.saveAnswers.push_back(kestrel::FileChoice{xls, 1});
    m_form->Saveas1Click();
    EXPECT_EQ(pythonOut("import sys, xlrd\n"
                        "b = xlrd.open_workbook(sys.argv[1])\n"
                        "w = b.sheet_by_index(1)\n"
                        "print(b.sheet_names(), b.sheet_by_index(0).nrows, w.nrows,\n"
                        "      w.row_values(0)[9], w.row_values(1)[:3])\n",
                        xls),
              "['Smry', 'Windows'] 11 3 p [1.0, 100.0, 10.0]");
    const QString csv = m_dir.filePath("s_summary.csv");
    m_ui.saveAnswers.push_back(kestrel::FileChoice{csv, 4});
    m_form->Saveas1Click();
    EXPECT_TRUE(kestrel::testsupport::readAll(csv).rfind("Age,Curve 1", 0) == 0);
    EXPECT_EQ(kestrel::testsupport::readAll(m_dir.filePath("s_summary_windows.csv")).substr(0, 12),
              "First,First ");
}

TEST_F(MainWindowWindows, GrainCountsAreCheckedUsedByTheNextCalculationShownAndKept) {
    QList<QAction*> options;
    for (QAction* menu : m_form->menuBar()->actions()) {
        if (menu->text() == "&Options") options = menu->menu()->actions();
    }
    ASSERT_EQ(options.size(), 4);
    EXPECT_EQ(options[2], m_form->SampleSizes1) << "after the two threshold items";
    EXPECT_EQ(options[3], m_form->WindowsMeasures1);
    EXPECT_EQ(m_form->SampleSizes1->text(), "&Sample sizes...");

    open();
    const QStringList classicLog = logLines();
    // A bad entry: a plain message naming the field, the dialog open; then good ones.
    sampleSizes({{"0", "95"}, {"120", ""}, {"120", "95"}});
    const auto messages = m_ui.shownOf(Shown::Message);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[0].text.startsWith("Incorrect value entered for Grains in profile 1"));
    EXPECT_TRUE(messages[1].text.startsWith("Incorrect value entered for Grains in profile 2"));
    ASSERT_TRUE(sharedState().Grains.has_value());
    EXPECT_EQ(*sharedState().Grains, (kestrel::GrainCounts{120, 95}));
    EXPECT_EQ(logLines(), classicLog) << "no recalculation until the next Open or Edit";

    recalculate();
    const QStringList log = logLines();
    ASSERT_EQ(log.size(), 4);
    const double whole = kestrel::ksTwoSampleCriticalValue(120, 95, kestrel::kComparisonAlpha);
    EXPECT_TRUE(log[2].endsWith("n=10    Cutoff = " + QLocale().toString(whole, 'f', 3)))
        << log[2].toStdString();
    EXPECT_EQ(m_form->windowsTableRows().front().n1, 120);
    EXPECT_EQ(m_form->windowsTableRows().front().criticalValue, whole);
    EXPECT_EQ(sharedState().Cutoff[1], whole);
    bool noted = false;
    for (QLabel* label : m_form->statusBar()->findChildren<QLabel*>()) {
        noted = noted || (label->isVisible() && label->text() == "Sample sizes: 120 and 95 grains");
    }
    EXPECT_TRUE(noted) << "the status bar says grain counts are in use";

    // Kept in a section of their own; both fields emptied, the section goes.
    m_form->close();
    const std::string written = kestrel::testsupport::readAll(settingsPath());
    EXPECT_NE(written.find("[Sample sizes]\nGrains in profile 1=120\nGrains in profile 2=95\n"),
              std::string::npos)
        << written;
    kestrel::resetSharedState();
    m_form = std::make_unique<TForm1>(m_ui);
    m_form->show();
    ASSERT_TRUE(sharedState().Grains.has_value());
    EXPECT_EQ(sharedState().Grains->n2, 95);
    sampleSizes({{"", " "}});
    EXPECT_FALSE(sharedState().Grains.has_value());
    m_form->close();
    EXPECT_EQ(kestrel::testsupport::readAll(settingsPath()).find("Sample sizes"),
              std::string::npos);

    // A value the dialog would refuse, in the file: a warning, and the classic rule.
    writeSettings("[Sample sizes]\nGrains in profile 1=120\nGrains in profile 2=many\n");
    kestrel::resetSharedState();
    m_ui.clear();
    m_form = std::make_unique<TForm1>(m_ui);
    m_form->show();
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_TRUE(warnings()[0].text.contains("Grains in profile 2"));
    EXPECT_FALSE(sharedState().Grains.has_value());
}

}  // namespace

// Options > Other measures in the windows table: the five columns after the twelve (each the
// window's own measure, as kestrel-batch's table checked against numpy has them), kept in the
// settings file; off, the table is as before.
TEST_F(MainWindowWindows, OtherMeasuresAddTheirColumnsWhileTheOptionIsOn) {
    open();
    const QAbstractItemModel& table = *m_form->WindowsGrid->model();
    EXPECT_EQ(table.columnCount(), 12);
    m_form->WindowsMeasures1->setChecked(true);
    open();
    ASSERT_EQ(table.columnCount(), 17);
    QStringList headings;
    for (int c = 12; c < 17; ++c) headings << table.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headings, QStringList({"Kuiper V", "Similarity", "Likeness", "R²", "W2"}));
    std::vector<kestrel::WindowsTableRow> rows = m_form->windowsTableRows();
    const auto shown = rows.front().measures;
    kestrel::fillWindowMeasures(rows, kestrel::sharedState(), kestrel::parseMeasureList("all"));
    EXPECT_EQ(rows.front().measures, shown);
    m_form->WriteSettings();
    EXPECT_NE(kestrel::testsupport::readAll(settingsPath()).find("[Measures]\nWindows table=all\n"),
              std::string::npos);
    m_form->WindowsMeasures1->setChecked(false);
    open();
    EXPECT_EQ(table.columnCount(), 12);
}
