// The main window and a critical value table that lacks sizes: every size a calculation missed
// is said once, in the window log after the calculation's own lines and in one warning.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/KR_main.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::testsupport::Shown;
using kestrel::testsupport::writeAll;

// Sheet 1 "Profiles": ten rows (ages 100..1000). Rows 2-11 with a time window of 1000 give the
// whole range (n=10) and one window of positions 2..10 (n=9).
const QString kWorkbook = QStringLiteral(KESTREL_TEST_DATA_DIR "/batch/profiles.xls");

class MainWindowCriticalValues : public kestrel::testsupport::MainWindowTest {
  protected:
    // The user opens the workbook and confirms rows 2..`to`, columns A, B, C and the width.
    void openRows(TForm1& form, const QString& to, const QString& width) {
        m_ui.openAnswers.push_back(kestrel::FileChoice{kWorkbook, 1});
        m_ui.modalActions.push_back([=](QDialog& dialog) {
            auto& import = dynamic_cast<TfmSheetImport&>(dialog);
            import.cbSheetName->setCurrentText("Profiles");
            import.eFromRow->setText("2");
            import.eToRow->setText(to);
            import.eAgeColStr->setText("A");
            import.eY1ColStr->setText("B");
            import.eY2ColStr->setText("C");
            import.eAgeWindowWidthStr->setText(width);
            QTest::mouseClick(import.bbImport, Qt::LeftButton);
        });
        form.Open1Click();
    }
    static QStringList logLines(const TForm1& form) {
        return form.Memo1->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    QString tablePath() const { return tableFolder() + "/KolmogorovSmirnov.cds"; }
};

TEST_F(MainWindowCriticalValues, EachMissingSizeIsLoggedAndWarnedOncePerCalculation) {
    writeSettings();  // the table holds sizes 10, 11, 5 and 6
    TForm1 form(m_ui);
    form.show();
    ASSERT_TRUE(m_ui.shown.empty());

    openRows(form, "11", "1000");
    EXPECT_EQ(logLines(form),
              QStringList({"1   100.000     10   1000.000    n=10    Cutoff = 0.700",
                           "2   200.000     10   1000.000    n=9    Cutoff = 0.000",
                           "no critical value for 9 rows in " + tablePath()}));
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_EQ(warnings()[0].text, "no critical value for 9 rows in " + tablePath());

    // The next calculation reports its own missing sizes, the whole range's first.
    m_ui.clear();
    openRows(form, "9", "1000");
    const QString missing8 = "no critical value for 8 rows in " + tablePath();
    const QString missing7 = "no critical value for 7 rows in " + tablePath();
    EXPECT_EQ(logLines(form), QStringList({"1   100.000     8   800.000    n=8    Cutoff = 0.000",
                                           "2   200.000     8   800.000    n=7    Cutoff = 0.000",
                                           missing8, missing7}));
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_EQ(warnings()[0].text, missing8 + "\n" + missing7);

    // Sizes the table holds: no word about it.
    m_ui.clear();
    openRows(form, "11", "300");
    EXPECT_TRUE(m_ui.shownOf(Shown::Warning).empty());
    EXPECT_EQ(logLines(form).size(), 2);
}

TEST_F(MainWindowCriticalValues, ATableThatCouldNotBeLoadedIsReportedOnlyAtTheStart) {
    writeAll(settingsPath(),
             "[File Paths]\nClient dataset path=" + m_dir.filePath("nowhere").toStdString() + "\n");
    TForm1 form(m_ui);
    form.show();
    ASSERT_EQ(warnings().size(), 1u);
    m_ui.clear();

    openRows(form, "11", "1000");
    EXPECT_TRUE(warnings().empty());
    EXPECT_EQ(logLines(form),
              QStringList({"1   100.000     10   1000.000    n=10    Cutoff = 0.000",
                           "2   200.000     10   1000.000    n=9    Cutoff = 0.000"}));
}

}  // namespace
