// The real main window on the offscreen platform: start state, settings and geometry at show
// and close, the critical value table load, Exit, About, and the comma-locale round trip.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "app/CriticalValueTableModel.h"
#include "app/KR_About.h"
#include "app/KR_main.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::sharedState;
using kestrel::testsupport::MainWindowTest;
using kestrel::testsupport::readAll;
using kestrel::testsupport::Shown;
using kestrel::testsupport::writeAll;

TEST_F(MainWindowTest, AfterStartOnlyOpenExitOptionsAndAboutRespond) {
    writeSettings();
    TForm1 form(m_ui);
    form.show();

    EXPECT_TRUE(m_ui.shown.empty()) << "a good settings file and table give no message";
    EXPECT_EQ(form.windowTitle(), "Compare two probability distributions");
    for (QAction* action :
         {form.Open1, form.Exit1, form.Minimumpeakheight1, form.Baselinepeakheight1, form.About1}) {
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    }
    EXPECT_TRUE(form.bbImport->isVisible() && form.bbImport->isEnabled());
    EXPECT_TRUE(form.bbExit->isVisible() && form.bbExit->isEnabled());
    EXPECT_FALSE(form.Edit1->isEnabled());
    EXPECT_FALSE(form.bbEdit->isEnabled());
    EXPECT_FALSE(form.Calculate1->isVisible());
    EXPECT_FALSE(form.bbCalculate->isEnabled());
    EXPECT_FALSE(form.bbCalculate->isVisible());
    EXPECT_FALSE(form.Saveas1->isEnabled());
    EXPECT_FALSE(form.bbSave->isEnabled());
    EXPECT_TRUE(form.bbSave->isVisible());
    EXPECT_FALSE(form.bbPrintGraph->isVisible());
    EXPECT_FALSE(form.bbGraph->isVisible());
    EXPECT_TRUE(form.SprdSheetSource->isHidden());
    EXPECT_TRUE(form.SprdSheetTarget->isHidden());
    EXPECT_EQ(form.PageControl1->currentWidget(), form.tsSprdSheets);
    EXPECT_TRUE(form.PageControl1->isTabVisible(0));
    EXPECT_FALSE(form.PageControl1->isTabVisible(1));
    EXPECT_FALSE(form.PageControl1->isTabVisible(2));
    EXPECT_FALSE(form.PageControl1->isTabVisible(3));

    // The menu bar a user sees: Calculate is hidden, Edit is there but disabled.
    QStringList visibleMenus;
    for (QAction* action : form.menuBar()->actions()) {
        if (action->isVisible()) visibleMenus << action->text();
    }
    EXPECT_EQ(visibleMenus, QStringList({"&File", "&Edit", "&Options", "&Help"}));

    // Four status panels of 100, 50, 50 and 50 pixels, left to right.
    int lastX = -1;
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(form.panel(i), nullptr);
        EXPECT_EQ(form.panel(i)->width(), i == 0 ? 100 : 50);
        EXPECT_GT(form.panel(i)->x(), lastX);
        lastX = form.panel(i)->x();
    }
    EXPECT_EQ(form.panel(4), nullptr);
}

TEST_F(MainWindowTest, ShowReadsSettingsAppliesGeometryAndLoadsTheTable) {
    writeSettings(
        "[Form positions]\nMain Left=20\nMain Top=30\nMain Height=0x190\n"
        "Main Width=600\n[Input fields]\nFrom Row=abc\n");
    TForm1 form(m_ui);
    form.show();

    EXPECT_TRUE(m_ui.shown.empty());
    EXPECT_EQ(sharedState().IniBaseName, "kestrel_app_tests");
    EXPECT_EQ(sharedState().FromRowStr, "abc");  // accepted without a message
    EXPECT_EQ(form.pos(), QPoint(20, 30));
    EXPECT_EQ(form.size(), QSize(600, 400));

    EXPECT_TRUE(form.cdsKS.isOpen());
    EXPECT_EQ(form.cdsKS.rows().size(), 5u);
    EXPECT_DOUBLE_EQ(form.cdsKS.lookup(10), 0.7);  // first matching row in file order
    // The developer grid shows the table's rows formatted, following its filter.
    form.dsKS->refresh();
    ASSERT_EQ(form.DBGrid1->model()->rowCount(), 2);
    EXPECT_EQ(form.DBGrid1->model()->index(0, 0).data().toString(), "0.05");
    EXPECT_EQ(form.DBGrid1->model()->index(1, 0).data().toString(), "0.01");
    EXPECT_EQ(form.DBGrid1->model()->index(1, 2).data().toString(), "0.8000");
    form.cdsKS.setFilterOn(false);
    form.dsKS->refresh();
    EXPECT_EQ(form.DBGrid1->model()->rowCount(), 5);
}

TEST_F(MainWindowTest, MissingTableWarnsOnceWithThePathAndLookupsGiveZero) {
    writeAll(settingsPath(), "[File Paths]\nClient dataset path=" +
                                 m_dir.filePath("nowhere").toStdString() + "/\n");
    TForm1 form(m_ui);
    form.show();
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_EQ(warnings()[0].text, "Unable to load critical values from " +
                                      m_dir.filePath("nowhere") + "//KolmogorovSmirnov.cds");
    EXPECT_TRUE(form.isVisible()) << "the window opens all the same";
    EXPECT_EQ(form.cdsKS.lookup(10), 0.0);
    EXPECT_EQ(form.DBGrid1->model()->rowCount(), 0);
}

TEST_F(MainWindowTest, FirstStartCreatesTheSettingsFileOnClose) {
    ASSERT_FALSE(QFile::exists(settingsPath()));
    {
        TForm1 form(m_ui);
        form.show();
        // No file: the default table folder is the program's data folder.
        EXPECT_EQ(sharedState().ClientDatasetPath, kestrel::dataFolder());
        form.move(40, 50);
        form.resize(640, 420);
        sharedState().ToRowStr = "12";
        form.Exit1->trigger();
        EXPECT_FALSE(form.isVisible());
        EXPECT_FALSE(form.cdsKS.isOpen()) << "the table is closed on close";
    }
    const std::string text = readAll(settingsPath());
    for (const char* line :
         {"[File Paths]", "[Input fields]", "[Profile subdivision parameters]", "[Form positions]",
          "To Row=12\n", "Minimum Peak Height=10.00\n", "Baseline Peak Height=2.00\n",
          "Main Left=40\n", "Main Top=50\n", "Main Height=420\n", "Main Width=640\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
}

TEST_F(MainWindowTest, ExitButtonAndCloseBoxBothWriteTheSettings) {
    writeSettings("[Profile subdivision parameters]\nMinimum Peak Height=abc\n");
    {
        TForm1 form(m_ui);
        form.show();
        ASSERT_EQ(warnings().size(), 1u);
        EXPECT_EQ(warnings()[0].text, "Incorrect Minimum Peak Height from .ini file");
        QTest::mouseClick(form.bbExit, Qt::LeftButton);
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_NE(readAll(settingsPath()).find("Minimum Peak Height=10.00\n"), std::string::npos);

    m_ui.clear();
    kestrel::resetSharedState();
    TForm1 again(m_ui);
    again.show();
    EXPECT_TRUE(m_ui.shown.empty()) << "the value written back reads without a warning";
    sharedState().AgeColStr = "D";
    EXPECT_TRUE(again.close());  // the close box
    EXPECT_NE(readAll(settingsPath()).find("Age Column=D\n"), std::string::npos);
}

TEST_F(MainWindowTest, FailedSettingsWriteIsReportedAndTheWindowStillCloses) {
    writeSettings();
    const std::string before = readAll(settingsPath());
    TForm1 form(m_ui);
    form.show();
    kestrel::testing::failWritesAfter(0);
    EXPECT_TRUE(form.close());
    kestrel::testing::failWritesAfter(-1);
    EXPECT_FALSE(form.isVisible());
    const auto errors = m_ui.shownOf(Shown::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text,
              "Unable to write to " + settingsPath() + ": No space left on device.");
    EXPECT_EQ(readAll(settingsPath()), before);
}

TEST_F(MainWindowTest, PeakHeightsSurviveARestartInACommaLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_EQ(QLocale().decimalPoint(), ",");
    writeSettings(
        "[Profile subdivision parameters]\nMinimum Peak Height=7.456\n"
        "Baseline Peak Height=1.5\n");
    for (int start = 0; start < 2; ++start) {
        kestrel::resetSharedState();
        TForm1 form(m_ui);
        form.show();
        EXPECT_TRUE(warnings().empty()) << "start " << start;
        EXPECT_EQ(sharedState().MinPeakHeightStr, "7.46");
        EXPECT_DOUBLE_EQ(sharedState().MinPeakHeight, start == 0 ? 7.456 : 7.46);
        EXPECT_EQ(sharedState().BaselinePeakHeightStr, "1.50");
        form.close();
    }
    QLocale::setDefault(previous);
    EXPECT_NE(readAll(settingsPath()).find("Minimum Peak Height=7.46\n"), std::string::npos);
}

TEST_F(MainWindowTest, AboutBoxShowsNameAndVersionAndClosesWithOk) {
    writeSettings();
    TForm1 form(m_ui);
    form.show();
    bool inspected = false;
    m_ui.modalActions.push_back([&](QDialog& dialog) {
        auto* box = dynamic_cast<TAboutBox*>(&dialog);
        ASSERT_NE(box, nullptr);
        inspected = true;
        EXPECT_EQ(box->windowTitle(), "About Kestrel");
        EXPECT_EQ(box->size(), QSize(342, 270));
        EXPECT_EQ(box->ProgramIcon->size(), QSize(181, 129));
        EXPECT_EQ(box->ProductName->text(), "Kestrel");
        EXPECT_TRUE(box->ProductName->font().bold());
        EXPECT_EQ(box->Version->text(), "Version 1.0.0.0");
        EXPECT_TRUE(box->Version->font().italic());
        EXPECT_TRUE(box->Comments->wordWrap());
        EXPECT_TRUE(box->Comments->text().startsWith(
            "Compare two probability distributions using the Kolmogorov-Smirnov method."));
        EXPECT_TRUE(box->OKButton->isDefault());
        QTest::keyClick(box, Qt::Key_Return);  // the default button
        EXPECT_EQ(box->result(), QDialog::Accepted);
    });
    form.About1->trigger();
    EXPECT_TRUE(inspected);
    ASSERT_EQ(m_ui.shownOf(Shown::Modal).size(), 1u);
}

TEST_F(MainWindowTest, StoredGeometryFarOffTheScreensIsBroughtBack) {
    writeSettings(
        "[Form positions]\nMain Left=2000000000\nMain Top=-2000000000\n"
        "Main Height=2147483647\nMain Width=-5\n");
    TForm1 form(m_ui);
    form.show();
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(form.frameGeometry()));
    EXPECT_LE(form.height(), screen.height());
    EXPECT_GE(form.width(), 1);
}

}  // namespace
