// What keeps a result from being silently wrong, driven through the real window offscreen: a
// range past the data or an empty profile column is refused with the previous results kept,
// empty profile cells are said, the sample sizes in use are shown where the results are read,
// and tables show their texts whole.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include "app/CompareManyDialog.h"
#include "app/KR_main.h"
#include "app/ManyResultsPage.h"
#include "engine/KestrelError.h"
#include "engine/comparison/WindowsTable.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::sharedState;
using kestrel::testsupport::Shown;

class MainWindowTrust : public kestrel::testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->show();
    }

    // Sheet "samples" of samples.csv: row 1 names, row 2 grain counts, ages and four profiles
    // in rows 3 to 42; `emptyY1Rows` leaves those cells of column B empty.
    QString writeSamples(const std::vector<int>& emptyY1Rows = {}) {
        const QString path = m_dir.filePath("samples.csv");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray text = "Age,North,South,East,West\n,120,95,80,60\n";
        for (int row = 3; row <= 42; ++row) {
            const int k = row - 2;
            const bool empty =
                std::find(emptyY1Rows.begin(), emptyY1Rows.end(), row) != emptyY1Rows.end();
            text += QByteArray::number(k * 10) + ',' +
                    (empty ? QByteArray() : QByteArray::number((k * 7) % 23)) + ',' +
                    QByteArray::number((k * 5) % 31) + ',' + QByteArray::number(k % 9) + ',' +
                    QByteArray::number(40 - k) + '\n';
        }
        file.write(text);
        return path;
    }

    // The user opens `workbook` with these rows and profile columns and presses OK; the dialog's
    // sample sizes line is kept in m_dialogSampleSizes.
    void scriptImport(const QString& workbook, const QString& to, const QString& y1 = "B",
                      const QString& y2 = "C") {
        m_ui.openAnswers.push_back(kestrel::FileChoice{workbook, 6});
        m_ui.modalActions.push_back([=, this](QDialog& dialog) {
            auto& import = dynamic_cast<TfmSheetImport&>(dialog);
            m_dialogSampleSizes = import.lSampleSizes->text();
            import.eFromRow->setText("3");
            import.eToRow->setText(to);
            import.eAgeColStr->setText("A");
            import.eY1ColStr->setText(y1);
            import.eY2ColStr->setText(y2);
            import.eAgeWindowWidthStr->setText("100");
            QTest::mouseClick(import.bbImport, Qt::LeftButton);
        });
    }

    QString openRefused(const QString& workbook, const QString& to, const QString& y2 = "C") {
        // The dialog refuses the rows and stays open; the user then cancels it.
        m_ui.clear();
        scriptImport(workbook, to, "B", y2);
        m_form->Open1Click();
        const auto messages = m_ui.shownOf(Shown::Message);
        return messages.empty() ? "no error" : messages.back().text;
    }

    QLabel* statusNote(const QString& start) const {
        for (QLabel* label : m_form->sbMain->findChildren<QLabel*>()) {
            if (label->isVisibleTo(m_form.get()) && label->text().startsWith(start)) return label;
        }
        return nullptr;
    }

    std::unique_ptr<TForm1> m_form;
    QString m_dialogSampleSizes;
};

TEST_F(MainWindowTrust, ARangePastTheDataIsRefusedNamingTheFirstEmptyAgeAndKeepsTheResults) {
    const QString workbook = writeSamples();
    scriptImport(workbook, "42");
    m_form->Open1Click();
    const std::vector<double> ages = sharedState().AgeData, difference = sharedState().Difference;
    const auto windows = m_form->windowsTableRows();
    const QString log = m_form->Memo1->toPlainText();
    const int summaryRows = m_form->SprdSheetTarget->MaxRow();
    ASSERT_EQ(ages.size(), 41u);

    // To row 2,000 rows past the last filled row, as a To row kept from a longer workbook.
    EXPECT_EQ(openRefused(workbook, "2042"),
              "Cell A43 of sheet \"samples\" is empty: the data end before row 43 (Find end of "
              "file sets To row to the last filled row).");
    EXPECT_EQ(sharedState().AgeData, ages) << "no age 0 drawn back to probability 1";
    EXPECT_EQ(sharedState().Difference, difference);
    EXPECT_EQ(m_form->windowsTableRows().size(), windows.size());
    EXPECT_EQ(m_form->Memo1->toPlainText(), log) << "the log of the results kept";
    // The results on show stay whole and can still be saved: graph pages, windows, summary.
    EXPECT_TRUE(m_form->PageControl1->isTabVisible(1) && m_form->PageControl1->isTabVisible(2));
    EXPECT_TRUE(m_form->PageControl1->isTabVisible(4)) << "the Windows page";
    EXPECT_FALSE(m_form->SprdSheetTarget->isHidden());
    EXPECT_EQ(m_form->SprdSheetTarget->MaxRow(), summaryRows);
    EXPECT_TRUE(m_form->bbSave->isEnabled() && m_form->Saveas1->isEnabled());
}

TEST_F(MainWindowTrust, AnEmptyYColumnAgainstAFullOneIsRefusedInsteadOfDOfOne) {
    const QString workbook = writeSamples();
    EXPECT_EQ(openRefused(workbook, "42", "F"),
              "Column F of sheet \"samples\" (Y data (2)) holds no number in rows 3 to 42: check "
              "the Y data (2) column and the rows.");
    EXPECT_TRUE(m_form->windowsTableRows().empty()) << "no D = 1, no \"yes\"";
}

TEST_F(MainWindowTrust, EmptyProfileCellsAreSaidUnderTheLogsFirstLineAndInTheStatusBar) {
    scriptImport(writeSamples({5, 9}), "42");
    m_form->Open1Click();
    const QStringList log = m_form->Memo1->toPlainText().split('\n');
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log[1], "2 empty profile cells read as 0 (column B: 2)");
    EXPECT_EQ(log.filter("empty profile").size(), 1);
    EXPECT_TRUE(log[2].startsWith(QString::number(m_form->windowsTableRows().at(1).first) + " "))
        << "the windows' lines follow";
    ASSERT_NE(statusNote("2 empty profile cells"), nullptr);
    EXPECT_EQ(sharedState().Y1Data[3], 0.0);

    // A workbook without empty cells: no such line, no such note.
    scriptImport(writeSamples(), "42");
    m_form->Open1Click();
    EXPECT_FALSE(m_form->Memo1->toPlainText().contains("empty"));
    EXPECT_EQ(statusNote("2 empty profile cells"), nullptr);
}

TEST_F(MainWindowTrust, TheSampleSizesInUseShowAboveTheWindowsAndInTheImportDialog) {
    const QString workbook = writeSamples();
    scriptImport(workbook, "42");
    m_form->Open1Click();
    EXPECT_EQ(m_dialogSampleSizes, "Sample sizes: the number of rows (classic rule)");
    EXPECT_EQ(m_form->lSampleSizes->text(), "Sample sizes: the number of rows (classic rule)");

    sharedState().Grains = kestrel::GrainCounts{120, 95};
    scriptImport(workbook, "42");
    m_form->Open1Click();
    const QString stored = "Sample sizes: 120 and 95 grains (Options > Sample sizes...)";
    EXPECT_EQ(m_dialogSampleSizes, stored);
    EXPECT_EQ(m_form->lSampleSizes->text(), stored);

    // Compare many with its Grains row: the pair East and West keeps its own 80 and 60, not
    // the stored 120 and 95, through the Open and a later Edit.
    const auto compareMany = [&](const QString& grainsRow) {
        m_ui.modalActions.push_back([=](QDialog& dialog) {
            auto& many = dynamic_cast<CompareManyDialog&>(dialog);
            many.eFromRow->setText("3");
            many.eToRow->setText("42");
            many.eColumns->setText("B:E");
            many.eGrainsRow->setText(grainsRow);
            QTest::mouseClick(many.bbOK, Qt::LeftButton);
        });
        m_form->CompareMany1Click();
        m_ui.modalActions.push_back([this](QDialog& dialog) {
            auto& import = dynamic_cast<TfmSheetImport&>(dialog);
            m_dialogSampleSizes = import.lSampleSizes->text();
            import.eToRow->setText("42");
            QTest::mouseClick(import.bbImport, Qt::LeftButton);
        });
        m_form->ManyResults->choosePair(2, 3);
        QTest::mouseClick(m_form->ManyResults->bbCompareTwo, Qt::LeftButton);
    };
    compareMany("2");
    const QString pair = "Sample sizes: 80 and 60 grains (the Grains row of Compare many)";
    EXPECT_EQ(m_dialogSampleSizes, pair);
    EXPECT_EQ(m_form->lSampleSizes->text(), pair);
    ASSERT_FALSE(m_form->windowsTableRows().empty());
    EXPECT_EQ(m_form->windowsTableRows()[0].n1, 80);
    EXPECT_EQ(m_form->windowsTableRows()[0].n2, 60);
    ASSERT_NE(statusNote("Sample sizes: 80 and 60 grains"), nullptr);

    // Without a Grains row the pair is tested by the classic rule, and the line says why.
    compareMany("");
    EXPECT_EQ(m_form->lSampleSizes->text(),
              "Sample sizes: the number of rows (classic rule; Compare many had no Grains row)");
    EXPECT_EQ(m_form->windowsTableRows()[0].n1, 40);
    EXPECT_EQ(sharedState().Grains, (kestrel::GrainCounts{120, 95})) << "the setting is kept";

    // An ordinary Open goes back to the setting.
    scriptImport(workbook, "42");
    m_form->Open1Click();
    EXPECT_EQ(m_form->lSampleSizes->text(), stored);
}

TEST_F(MainWindowTrust, TablesSizeTheirColumnsToTheirTextHeadingsIncluded) {
    scriptImport(writeSamples(), "42");
    m_form->Open1Click();
    const auto fits = [](QTableView* view, int rows, int columns) {
        const QAbstractItemModel* model = view->model();
        const QFontMetrics metrics(view->font());
        const QFontMetrics headingMetrics(view->horizontalHeader()->font());
        for (int c = 0; c < columns; ++c) {
            int widest =
                headingMetrics.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString());
            for (int r = 0; r < std::min(rows, model->rowCount()); ++r) {
                widest = std::max(widest,
                                  metrics.horizontalAdvance(model->index(r, c).data().toString()));
            }
            EXPECT_GE(view->columnWidth(c), widest) << "column " << c;
        }
    };
    fits(m_form->WindowsGrid, m_form->WindowsGrid->model()->rowCount(),
         m_form->WindowsGrid->model()->columnCount());
    // The summary's headings ("Difference (W)", "Cutoff (W)") and numbers in row 1 and below.
    fits(m_form->SprdSheetTarget->bodyView(), 41, 7);
}

}  // namespace
