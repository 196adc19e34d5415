// The main window's commands driven as a user would, on the offscreen platform: Open with the
// real import dialog and a real workbook (written by xlwt), the calculation's results in the
// summary, log, status bar and controls, Cancel, Edit, page switches, Save and Print.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "app/CompareManyDialog.h"
#include "app/CriticalValueTableModel.h"
#include "app/KR_chng.h"
#include "app/KR_main.h"
#include "app/ManyResultsPage.h"
#include "engine/KestrelError.h"
#include "output/ProbabilityGraphs.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::sharedState;
using kestrel::testsupport::Shown;

// Sheet 1 "Profiles": the ten-row worked example (ages 100..1000 in A, profiles in B and C,
// rows 2 to 11). Sheet 3 "Bad": "n/a" in B5.
const QString kWorkbook = QStringLiteral(KESTREL_TEST_DATA_DIR "/batch/profiles.xls");

class MainWindowCommands : public kestrel::testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->show();
        ASSERT_TRUE(m_ui.shown.empty());
    }

    // The user picks the workbook, the sheet, rows, columns and width, and presses OK.
    void scriptImport(const QString& sheet, const QString& from, const QString& to,
                      const QString& width, QPoint movedTo = {},
                      const QString& workbook = kWorkbook) {
        m_ui.openAnswers.push_back(kestrel::FileChoice{workbook, 1});
        m_ui.modalActions.push_back([=](QDialog& dialog) {
            auto& import = dynamic_cast<TfmSheetImport&>(dialog);
            import.cbSheetName->setCurrentText(sheet);
            import.eFromRow->setText(from);
            import.eToRow->setText(to);
            import.eAgeColStr->setText("a");
            import.eY1ColStr->setText("B");
            import.eY2ColStr->setText("c");
            import.eAgeWindowWidthStr->setText(width);
            if (!movedTo.isNull()) import.move(movedTo);
            QTest::mouseClick(import.bbImport, Qt::LeftButton);
        });
    }

    // The user confirms Edit with these rows.
    void editRows(const QString& from, const QString& to) {
        m_ui.modalActions.push_back([=](QDialog& dialog) {
            auto& change = dynamic_cast<TfmChangeSettings&>(dialog);
            change.eFromRow->setText(from);
            change.eToRow->setText(to);
            QTest::mouseClick(change.bbOK, Qt::LeftButton);
        });
    }

    QStringList logLines() const {
        return m_form->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts);
    }

    std::unique_ptr<TForm1> m_form;
};

TEST_F(MainWindowCommands, OpenImportsCalculatesAndShowsTheResults) {
    // A text beyond the summary's cleared block, in the last data row and in the row after.
    auto& target = *m_form->SprdSheetTarget;
    target.SetRow(11);
    target.SetCol(25);
    target.SetText("stale");
    target.SetRow(12);
    target.SetText("kept");

    scriptImport("Profiles", "2", "11", "300", QPoint(70, 80));
    m_form->Open1Click();
    EXPECT_TRUE(m_ui.shownOf(Shown::Message).empty());
    EXPECT_TRUE(m_ui.shownOf(Shown::Warning).empty());
    EXPECT_EQ(sharedState().SheetLeft, 70) << "the confirmed dialog's place is kept";
    EXPECT_EQ(sharedState().SheetTop, 80);
    EXPECT_EQ(target.Row(), 1) << "the summary is scrolled to its first cell";
    EXPECT_EQ(target.Col(), 1);

    // The window log: the whole range, then the one window 2..6 with its own sample size.
    EXPECT_EQ(logLines(), QStringList({"1   100.000     10   1000.000    n=10    Cutoff = 0.700",
                                       "2   200.000     6   600.000    n=5    Cutoff = 0.500"}));

    // The summary sheet "Smry": headers, one row per position, the window's cutoff only inside.
    EXPECT_EQ(target.SheetName(1), "Smry");
    EXPECT_GE(target.MaxRow(), 11) << "the grid shows every row of the table";
    target.SetRow(1);
    target.SetCol(7);
    EXPECT_EQ(target.Text(), "Cutoff (W)");
    for (int k = 1; k <= 10; ++k) {
        target.SetRow(k + 1);
        target.SetCol(1);
        EXPECT_DOUBLE_EQ(target.Number(), 100.0 * k);
        target.SetCol(6);
        EXPECT_DOUBLE_EQ(target.Number(), 0.7);
        target.SetCol(7);
        EXPECT_DOUBLE_EQ(target.Number(), k >= 2 && k <= 6 ? 0.5 : 0.0) << "position " << k;
    }
    target.SetRow(12);
    target.SetCol(1);
    EXPECT_EQ(target.Text(), "") << "nothing is written below the table";
    target.SetRow(11);
    target.SetCol(25);
    EXPECT_EQ(target.Text(), "") << "Open empties rows 1 to To Row, columns 1 to 30";
    target.SetRow(12);
    EXPECT_EQ(target.Text(), "") << "nothing of an earlier content stays in the summary";

    // Controls as a confirmed Open leaves them.
    EXPECT_FALSE(m_form->SprdSheetSource->isHidden());
    EXPECT_FALSE(m_form->SprdSheetTarget->isHidden());
    EXPECT_TRUE(m_form->Edit1->isEnabled() && m_form->bbEdit->isEnabled());
    EXPECT_TRUE(m_form->bbCalculate->isEnabled());  // (a hidden QAction always reads disabled)
    EXPECT_TRUE(m_form->Saveas1->isEnabled() && m_form->bbSave->isEnabled());
    EXPECT_TRUE(m_form->bbPrintGraph->isVisible());
    EXPECT_TRUE(m_form->PageControl1->isTabVisible(1));
    EXPECT_TRUE(m_form->PageControl1->isTabVisible(2));
    EXPECT_FALSE(m_form->PageControl1->isTabVisible(3));
    EXPECT_EQ(m_form->PageControl1->currentWidget(), m_form->tsGraph);
    EXPECT_EQ(m_form->SprdSheetSource->FixedRows(), 1);
    EXPECT_EQ(m_form->SprdSheetSource->ViewScale(), 70);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m_form->panel(i)->text(), "") << "panel " << i;

    // The graphs hold the ten positions; the table's filter is off again.
    EXPECT_EQ(kestrel::graphSeries(*m_form->Chart1, 0)->pointCount(), 10);
    EXPECT_FALSE(m_form->cdsKS.filterOn());
    EXPECT_EQ(m_form->DBGrid1->model()->rowCount(), 5);
}

TEST_F(MainWindowCommands, CancelledOpenKeepsTheResultsOnShow) {
    scriptImport("Profiles", "2", "11", "300");
    m_form->Open1Click();
    ASSERT_TRUE(m_form->Edit1->isEnabled());
    const int sheetLeft = sharedState().SheetLeft;

    m_ui.openAnswers.push_back(kestrel::FileChoice{kWorkbook, 1});
    m_ui.modalActions.push_back([](QDialog& dialog) {
        auto& import = dynamic_cast<TfmSheetImport&>(dialog);
        import.move(300, 300);
        QTest::mouseClick(import.bbCancel, Qt::LeftButton);
    });
    m_form->Open1Click();

    // Nothing is given up for an Open that read no rows: log, sheets, graphs and Save stay.
    EXPECT_EQ(sharedState().SheetLeft, sheetLeft) << "a cancelled dialog's place is not kept";
    EXPECT_FALSE(m_form->Memo1->toPlainText().isEmpty());
    EXPECT_FALSE(m_form->SprdSheetSource->isHidden());
    EXPECT_FALSE(m_form->SprdSheetTarget->isHidden());
    EXPECT_TRUE(m_form->PageControl1->isTabVisible(1));
    EXPECT_TRUE(m_form->PageControl1->isTabVisible(2));
    EXPECT_TRUE(m_form->Saveas1->isEnabled() && m_form->bbSave->isEnabled());
    EXPECT_TRUE(m_form->bbCalculate->isEnabled());
    EXPECT_TRUE(m_form->Edit1->isEnabled() && m_form->bbEdit->isEnabled());
    EXPECT_TRUE(m_form->bbPrintGraph->isVisible()) << "Print keeps its former state";
}

TEST_F(MainWindowCommands, FailuresEndTheCommandWithTheStateReachedSoFar) {
    // A cell that is no number: the dialog's OK reads the rows as the calculation would,
    // refuses them naming the cell and stays open, so nothing is calculated.
    scriptImport("Bad", "2", "6", "100");
    m_form->Open1Click();
    ASSERT_EQ(m_ui.shownOf(Shown::Message).size(), 1u);
    const std::string refusal = m_ui.shownOf(Shown::Message)[0].text.toStdString();
    EXPECT_NE(refusal.find("B5"), std::string::npos) << refusal;
    EXPECT_FALSE(m_form->bbSave->isEnabled());
    EXPECT_FALSE(m_form->PageControl1->isTabVisible(1));

    // A workbook that vanishes between the dialog and the load: the controls stay as Open's
    // first steps left them.
    const QString copy = m_dir.filePath("vanishing.xls");
    ASSERT_TRUE(QFile::copy(kWorkbook, copy));
    m_ui.openAnswers.push_back(kestrel::FileChoice{copy, 1});
    m_ui.modalActions.push_back([&](QDialog& dialog) {
        auto& import = dynamic_cast<TfmSheetImport&>(dialog);
        import.cbSheetName->setCurrentText("Profiles");
        QFile::remove(copy);
        QTest::mouseClick(import.bbImport, Qt::LeftButton);
    });
    EXPECT_THROW(m_form->Open1Click(), kestrel::KestrelError);
    EXPECT_TRUE(m_form->SprdSheetSource->isHidden());
    EXPECT_FALSE(m_form->bbCalculate->isEnabled());
}

TEST_F(MainWindowCommands, ASavedSummaryHoldsExactlyTheCurrentCalculation) {
    // 300 rows, then an Edit down to 50: the saved workbook has the header and 50 rows, none of
    // the earlier 300 below them, as read by xlrd, a reader unrelated to ours.
    const QString samples = QStringLiteral(KESTREL_SOURCE_DIR "/data/samples/Profiles97.xls");
    scriptImport("Profiles", "2", "301", "100", {}, samples);
    m_form->Open1Click();
    editRows("2", "51");
    m_form->bbEditClick();
    EXPECT_EQ(m_form->SprdSheetTarget->MaxRow(), 51) << "the grid shows the table, no more";

    const QString saved = m_dir.filePath("profiles_summary.xls");
    m_ui.saveAnswers.push_back(kestrel::FileChoice{saved, 1});
    m_form->Saveas1Click();
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c",
                  "import sys, xlrd\n"
                  "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                  "print(s.name, s.nrows, s.ncols, '%.6f' % s.cell_value(50, 0))\n",
                  saved});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    m_form->SprdSheetSource->SetSheet(1);
    m_form->SprdSheetSource->SetRow(51);
    m_form->SprdSheetSource->SetCol(1);
    EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
              QString("Smry 51 7 %1").arg(m_form->SprdSheetSource->Number(), 0, 'f', 6));
}

TEST_F(MainWindowCommands, AFailedEditLeavesThePreviousResultsWholeAndUsable) {
    scriptImport("Profiles", "2", "11", "300");
    m_form->Open1Click();
    auto& target = *m_form->SprdSheetTarget;
    const QStringList logBefore = logLines();

    // Row 1 holds the heading "Age", which is no number.
    editRows("1", "11");
    try {
        m_form->bbEditClick();
        FAIL() << "a heading read as a number must raise an error";
    } catch (const kestrel::KestrelError& error) {
        EXPECT_NE(std::string(error.what()).find("A1"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(m_form->bbSave->isEnabled() && m_form->Saveas1->isEnabled());
    EXPECT_EQ(logLines(), logBefore);
    EXPECT_EQ(sharedState().NumRows, 10);
    EXPECT_EQ(kestrel::graphSeries(*m_form->Chart1, 0)->pointCount(), 10);
    for (int row = 1; row <= 11; ++row) {
        target.SetRow(row);
        target.SetCol(1);
        EXPECT_NE(target.Text(), "") << "summary row " << row << " is whole";
    }
    target.SetCol(4);
    target.SetRow(11);
    EXPECT_DOUBLE_EQ(target.Number(), sharedState().Difference[10]);
}

TEST_F(MainWindowCommands, EditRecalculatesOrDisablesTheResultCommands) {
    scriptImport("Profiles", "2", "11", "300");
    m_form->Open1Click();

    m_ui.modalActions.push_back([](QDialog& dialog) {
        auto& change = dynamic_cast<TfmChangeSettings&>(dialog);
        change.eAgeWindowWidthStr->setText("500");
        QTest::mouseClick(change.bbOK, Qt::LeftButton);
    });
    m_form->bbEditClick();
    // The log keeps the earlier lines and gets the new ones: window 2..7 with width 500.
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[3], "2   200.000     7   700.000    n=6    Cutoff = 0.450");

    m_ui.modalActions.push_back([](QDialog& dialog) { dialog.reject(); });
    m_form->bbEditClick();
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_EQ(warnings()[0].text, "Incorrect value entered");
    EXPECT_FALSE(m_form->bbPrintGraph->isEnabled());
    EXPECT_FALSE(m_form->bbSave->isEnabled() || m_form->Saveas1->isEnabled());
    EXPECT_FALSE(m_form->bbCalculate->isEnabled());
    EXPECT_TRUE(m_form->Edit1->isEnabled());
    EXPECT_EQ(logLines().size(), 4) << "no recalculation";

    // A later confirmed Edit draws new graphs, and they can be printed again.
    m_ui.modalActions.push_back([](QDialog& dialog) {
        QTest::mouseClick(dynamic_cast<TfmChangeSettings&>(dialog).bbOK, Qt::LeftButton);
    });
    m_form->bbEditClick();
    EXPECT_TRUE(m_form->bbPrintGraph->isEnabled());
    EXPECT_TRUE(m_form->bbSave->isEnabled() && m_form->Saveas1->isEnabled());
}

TEST_F(MainWindowCommands, ToRowFarPastTheSheetIsAMessageNotAnAllocation) {
    scriptImport("Profiles", "2", "2000000000", "300");
    m_form->Open1Click();
    ASSERT_EQ(m_ui.shownOf(Shown::Message).size(), 1u);
    const std::string refusal = m_ui.shownOf(Shown::Message)[0].text.toStdString();
    EXPECT_NE(refusal.find("2000000000"), std::string::npos) << refusal;
    EXPECT_FALSE(m_form->bbSave->isEnabled()) << "no results from a refused range";
}

TEST_F(MainWindowCommands, PrintFollowsTheUsersPageSwitches) {
    scriptImport("Profiles", "2", "11", "300");
    m_form->Open1Click();
    auto* tabs = m_form->PageControl1->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(m_form->PageControl1->currentWidget(), m_form->tsSprdSheets);
    EXPECT_FALSE(m_form->bbPrintGraph->isVisible());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    EXPECT_EQ(m_form->PageControl1->currentWidget(), m_form->tsHistogram);
    EXPECT_TRUE(m_form->bbPrintGraph->isVisible());

    // Print sends the graph in front to the printer, named after it.
    m_ui.printerPdfPath = m_dir.filePath("printed.pdf");
    QTest::mouseClick(m_form->bbPrintGraph, Qt::LeftButton);
    ASSERT_EQ(m_ui.shownOf(Shown::Printer).size(), 1u);
    EXPECT_EQ(m_ui.shownOf(Shown::Printer)[0].text, "Chart2");
    EXPECT_GT(QFile(m_ui.printerPdfPath).size(), 0);
}

TEST_F(MainWindowCommands, SaveWritesTheSummaryWorkbookAndRemembersTheFolder) {
    scriptImport("Profiles", "2", "11", "300");
    m_form->Open1Click();
    const QString saved = m_dir.filePath("out/profiles_summary.xls");
    QDir().mkpath(m_dir.filePath("out"));
    m_ui.saveAnswers.push_back(kestrel::FileChoice{saved, 2});
    QTest::mouseClick(m_form->bbSave, Qt::LeftButton);
    ASSERT_EQ(m_ui.shownOf(Shown::SaveChooser).size(), 1u);
    EXPECT_EQ(m_ui.shownOf(Shown::SaveChooser)[0].chooser.proposedName, "profiles_summary.XLS");
    EXPECT_EQ(sharedState().DataExportPath, m_dir.filePath("out").toStdString());

    kestrel::SpreadsheetCore back;
    int16_t fileType = kestrel::kFileTypeExcel97;
    back.ReadWorkbook(saved.toStdString(), fileType);
    EXPECT_EQ(fileType, kestrel::kFileTypeExcel5);
    EXPECT_EQ(back.SheetName(1), "Smry");
    back.SetRow(11);
    back.SetCol(1);
    EXPECT_DOUBLE_EQ(back.Number(), 1000.0);

    // The next save starts with the entry chosen last.
    m_ui.saveAnswers.push_back(std::nullopt);
    m_form->Saveas1->trigger();
    EXPECT_EQ(m_ui.shownOf(Shown::SaveChooser)[1].chooser.selectedFilter, 2);
}

}  // namespace

// A long calculation shows its bar past 200 ms and hides it at the end; Esc while the rows are
// read or compared stops it and leaves the earlier results, log and table lookups as they were.
TEST_F(MainWindowCommands, ALongCalculationShowsItsProgressAndEscLeavesTheEarlierResults) {
    constexpr int kRows = 500000;
    const QString path = m_dir.filePath("long.csv");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray text = "Age,Y1,Y2\n";
        for (int k = 1; k <= kRows; ++k) {
            text += QByteArray::number(k) + ',' + QByteArray::number(k % 97) + ',' +
                    QByteArray::number((k * 7) % 89) + '\n';
        }
        file.write(text);
    }
    scriptImport("long", "2", "11", "300", {}, path);
    m_form->Open1Click();
    const QStringList logBefore = logLines();
    ASSERT_EQ(sharedState().NumRows, 10);
    auto* bar = m_form->findChild<QProgressBar*>("pbCalculation");

    editRows("2", QString::number(kRows + 1));
    QTimer::singleShot(0, m_form.get(), [&] {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(m_form.get(), &esc);
    });
    m_form->bbEditClick();
    EXPECT_EQ(logLines(), logBefore);
    EXPECT_EQ(sharedState().NumRows, 10);
    EXPECT_EQ(kestrel::graphSeries(*m_form->Chart1, 0)->pointCount(), 10);
    EXPECT_EQ(m_form->SprdSheetTarget->workbook().sheets[0].lastRow(), 11);
    EXPECT_TRUE(m_form->bbSave->isEnabled());

    bool barShown = false;
    QTimer::singleShot(210, m_form.get(), [&] { barShown = bar && bar->isVisible(); });
    m_form->Calculate1Click();
    EXPECT_TRUE(barShown);
    ASSERT_TRUE(bar);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(sharedState().NumRows, kRows);
    EXPECT_EQ(m_form->SprdSheetTarget->workbook().sheets[0].lastRow(), kRows + 1);
}

// File > Compare many... on the loaded workbook: every numeric column right of Age is offered,
// a bad column list is refused with the Open message, each pair's D is the two-profile run's
// largest Difference to the bit, and "Compare these two" opens that pair the ordinary way.
TEST_F(MainWindowCommands, CompareManyOffersTheColumnsAndLeadsBackToAnOrdinaryOpen) {
    const QString path = m_dir.filePath("four.csv");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray text = "Age,North,South,East,West\n";
        for (int k = 1; k <= 60; ++k) {
            text += QByteArray::number(k * 10) + ',' + QByteArray::number((k * 7) % 23) + ',' +
                    QByteArray::number((k * 5) % 31) + ',' + QByteArray::number(k % 9) + ',' +
                    QByteArray::number(60 - k) + '\n';
        }
        file.write(text);
    }
    scriptImport("four", "2", "61", "100", {}, path);
    m_form->Open1Click();
    const std::vector<double> difference = sharedState().Difference;
    const double largestBC = *std::max_element(difference.begin() + 1, difference.end());

    m_ui.modalActions.push_back([](QDialog& dialog) {
        auto& many = dynamic_cast<CompareManyDialog&>(dialog);
        EXPECT_EQ(many.eColumns->text(), "B:E");
        many.eColumns->setText("B,%");
        QTest::mouseClick(many.bbOK, Qt::LeftButton);  // refused: "%" names no column
        EXPECT_TRUE(many.isVisible());
        many.eColumns->setText("B:E");
        QTest::mouseClick(many.bbOK, Qt::LeftButton);
    });
    m_form->CompareMany1Click();
    const auto messages = m_ui.shownOf(kestrel::testsupport::Shown::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("Incorrect value entered for Profile columns"))
        << messages[0].text.toStdString();
    const auto& results = m_form->ManyResults->results();
    ASSERT_TRUE(results.matrix);
    EXPECT_EQ(results.matrix->names, (std::vector<std::string>{"North", "South", "East", "West"}));
    EXPECT_EQ(results.matrix->D().at(0, 1), largestBC);
    EXPECT_EQ(results.matrix->D().at(1, 0), largestBC);
    EXPECT_EQ(results.matrix->D().at(2, 2), 0.0);
    EXPECT_EQ(m_form->PageControl1->currentWidget(), m_form->tsManyProfiles);

    // The pair East and West, compared as Open compares two profiles.
    m_ui.modalActions.push_back([](QDialog& dialog) {
        auto& import = dynamic_cast<TfmSheetImport&>(dialog);
        EXPECT_EQ(import.eY1ColStr->text(), "D");
        EXPECT_EQ(import.eY2ColStr->text(), "E");
        QTest::mouseClick(import.bbImport, Qt::LeftButton);
    });
    m_form->ManyResults->choosePair(2, 3);
    QTest::mouseClick(m_form->ManyResults->bbCompareTwo, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(sharedState().NumRows, 60);
    const std::vector<double>& de = sharedState().Difference;
    EXPECT_EQ(*std::max_element(de.begin() + 1, de.end()), results.matrix->D().at(2, 3));
}
