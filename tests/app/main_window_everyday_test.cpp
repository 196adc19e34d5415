// The main window's everyday conveniences, driven on the offscreen platform as a user would:
// keyboard shortcuts, Export graph from the File menu and the graphs' context menus, the recent
// workbooks, a workbook dropped on the window and one named on the command line.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/KR_main.h"
#include "engine/KestrelError.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::sharedState;
using kestrel::testsupport::readAll;
using kestrel::testsupport::Shown;

const QString kWorkbook = QStringLiteral(KESTREL_TEST_DATA_DIR "/batch/profiles.xls");

class MainWindowEveryday : public kestrel::testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        startWindow();
    }

    void startWindow() {
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->show();
    }

    // The user confirms the import dialog with sheet "Profiles", rows 2..11, columns A, B, C.
    // `loaded` receives the workbook the dialog showed when it came up.
    void scriptImportOk(QString* loaded = nullptr) {
        m_ui.modalActions.push_back([loaded](QDialog& dialog) {
            auto& import = dynamic_cast<TfmSheetImport&>(dialog);
            if (loaded && import.cbSheetName->count() > 0) {
                *loaded = QString::fromStdString(sharedState().WorkbookPath);
            }
            import.cbSheetName->setCurrentText("Profiles");
            import.eFromRow->setText("2");
            import.eToRow->setText("11");
            import.eAgeColStr->setText("A");
            import.eY1ColStr->setText("B");
            import.eY2ColStr->setText("C");
            import.eAgeWindowWidthStr->setText("300");
            QTest::mouseClick(import.bbImport, Qt::LeftButton);
        });
    }

    void openWith(const QString& workbook) {
        m_ui.openAnswers.push_back(kestrel::FileChoice{workbook, 1});
        scriptImportOk();
        m_form->Open1Click();
        ASSERT_EQ(m_form->PageControl1->currentWidget(), m_form->tsGraph);
    }

    QString copyOfWorkbook(const QString& name) {
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(kWorkbook, path));
        return path;
    }

    QStringList recentEntries() const {
        QStringList entries;
        for (QAction* entry : m_form->RecentWorkbooks1->actions()) {
            if (!entry->data().isNull()) entries << entry->text();  // not "Clear list"
        }
        return entries;
    }

    QStringList modalTitles() const {
        QStringList titles;
        for (const Shown& shown : m_ui.shownOf(Shown::Modal)) titles << shown.text;
        return titles;
    }

    std::unique_ptr<TForm1> m_form;
};

TEST_F(MainWindowEveryday, ShortcutsAreShownInTheMenusAndRunTheirCommands) {
    QStringList file;
    for (QAction* item : m_form->menuBar()->actions().at(0)->menu()->actions()) {
        file << item->text() +
                    (item->shortcut().isEmpty() ? "" : "\t" + item->shortcut().toString());
    }
    EXPECT_EQ(file,
              QStringList({"&Open\tCtrl+O", "Open gra&in ages...\tCtrl+Shift+O",
                           "&Recent workbooks", "", "Save summary &as\tCtrl+S", "Export &graph...",
                           "Export pro&files...", "&Print graph\tCtrl+P", "", "Compare &many...",
                           "&Depositional age...", "Dis&tributions...", "", "E&xit\tCtrl+Q"}));
    EXPECT_EQ(m_form->Edit2->text() + "\t" + m_form->Edit2->shortcut().toString(), "&Edit\tCtrl+E");
    EXPECT_EQ(m_form->About1->text() + "\t" + m_form->About1->shortcut().toString(), "&About\tF1");

    m_form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    QTest::keyClick(m_form.get(), Qt::Key_F1);
    QTest::keyClick(m_form.get(), Qt::Key_E, Qt::ControlModifier);  // Edit is not yet available
    QTest::keyClick(m_form.get(), Qt::Key_S, Qt::ControlModifier);  // nor is Save
    QTest::keyClick(m_form.get(), Qt::Key_P, Qt::ControlModifier);  // nor Print
    EXPECT_EQ(modalTitles(), QStringList{"About Kestrel"});
    EXPECT_TRUE(m_ui.shownOf(Shown::SaveChooser).empty());
    EXPECT_TRUE(m_ui.shownOf(Shown::Printer).empty());

    m_ui.clear();
    m_ui.openAnswers.push_back(kestrel::FileChoice{kWorkbook, 1});
    scriptImportOk();
    QTest::keyClick(m_form.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(modalTitles(), QStringList{"Import spreadsheet"});
    ASSERT_EQ(m_form->PageControl1->currentWidget(), m_form->tsGraph) << "Open ran to its end";

    m_ui.clear();
    m_ui.printerPdfPath = m_dir.filePath("printed.pdf");
    // Keys go to the active window: the main window is active again once the import dialog has
    // gone, which the platform may report a moment later.
    m_form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    QTest::keyClick(m_form.get(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(m_form.get(), Qt::Key_P, Qt::ControlModifier);
    // Last: an Edit that is not confirmed disables Save and Print.
    QTest::keyClick(m_form.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(modalTitles(), QStringList{"Change calculation settings"});
    EXPECT_EQ(m_ui.shownOf(Shown::SaveChooser).size(), 1u);
    ASSERT_EQ(m_ui.shownOf(Shown::Printer).size(), 1u);
    EXPECT_EQ(m_ui.shownOf(Shown::Printer).at(0).text, "Chart1");

    QTest::keyClick(m_form.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(m_form->isVisible());
    EXPECT_TRUE(QFile::exists(settingsPath())) << "Exit wrote the settings";
}

TEST_F(MainWindowEveryday, ExportGraphActsOnTheGraphInFrontOrTheGraphClicked) {
    EXPECT_FALSE(m_form->ExportGraph1->isEnabled()) << "no graph yet";
    openWith(kWorkbook);
    const std::string summaryFolder = sharedState().DataExportPath;
    ASSERT_TRUE(m_form->ExportGraph1->isEnabled());

    // File menu, the cumulative graph in front: an SVG.
    m_ui.saveAnswers.push_back(kestrel::FileChoice{m_dir.filePath("front.svg"), 2});
    m_form->ExportGraph1->trigger();
    ASSERT_EQ(m_ui.shownOf(Shown::SaveChooser).size(), 1u);
    EXPECT_EQ(m_ui.shownOf(Shown::SaveChooser).at(0).chooser.proposedName,
              "profiles_cumulative.png");
    EXPECT_TRUE(readAll(m_dir.filePath("front.svg")).find("<title>Chart1</title>") !=
                std::string::npos);

    // The probability graph brought to the front by the user.
    m_form->PageControl1->setCurrentWidget(m_form->tsHistogram);
    m_ui.saveAnswers.push_back(kestrel::FileChoice{m_dir.filePath("front.pdf"), 3});
    m_form->ExportGraph1->trigger();
    ASSERT_EQ(m_ui.shownOf(Shown::SaveChooser).size(), 2u);
    EXPECT_EQ(m_ui.shownOf(Shown::SaveChooser).at(1).chooser.proposedName,
              "profiles_probability.svg");
    EXPECT_TRUE(readAll(m_dir.filePath("front.pdf")).rfind("%PDF", 0) == 0);

    // A graph's context menu: "Show all", then "Export graph..." for that graph.
    QStringList entries;
    QTimer::singleShot(0, [&entries] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* action : menu->actions()) entries << action->text();
        menu->actions().last()->trigger();
        menu->close();
    });
    m_ui.saveAnswers.push_back(std::nullopt);
    emit m_form->Chart2->customContextMenuRequested(QPoint(100, 100));
    EXPECT_EQ(entries, QStringList({"Show all", "", "Export graph..."}));
    ASSERT_EQ(m_ui.shownOf(Shown::SaveChooser).size(), 3u);
    EXPECT_EQ(m_ui.shownOf(Shown::SaveChooser).at(2).chooser.proposedName,
              "profiles_probability.pdf");
    EXPECT_EQ(m_ui.shownOf(Shown::SaveChooser).at(2).chooser.initialFolder, m_dir.path());

    m_form->PageControl1->setCurrentWidget(m_form->tsSprdSheets);
    EXPECT_FALSE(m_form->ExportGraph1->isEnabled()) << "no graph in front";
    EXPECT_EQ(sharedState().DataExportPath, summaryFolder) << "the summary keeps its folder";
}

TEST_F(MainWindowEveryday, RecentWorkbooksAreKeptInASectionOfTheirOwn) {
    EXPECT_FALSE(m_form->RecentWorkbooks1->menuAction()->isEnabled());
    const QString first = copyOfWorkbook("first & one.xls");
    QString second = copyOfWorkbook("second.xls");
    openWith(first);
    openWith(second);
    openWith(first);
    EXPECT_EQ(recentEntries(),
              QStringList({"&1 " + QString(first).replace("&", "&&"), "&2 " + second}));
    EXPECT_TRUE(m_form->RecentWorkbooks1->menuAction()->isEnabled());
    // A workbook whose rows are refused did not open: it stays off the list.
    const QString refused = m_dir.filePath("Profiles.csv");
    {
        QFile csv(refused);
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write("Age,Y1,Y2\n");
        for (int row = 2; row <= 11; ++row) csv.write(row == 5 ? "4,n/a,1\n" : "4,1,1\n");
    }
    m_ui.openAnswers.push_back(kestrel::FileChoice{refused, 6});
    scriptImportOk();
    m_form->Open1Click();  // the dialog refuses the rows and stays open; the user cancels
    EXPECT_EQ(recentEntries(),
              QStringList({"&1 " + QString(first).replace("&", "&&"), "&2 " + second}));
    m_form->close();
    const std::string written = readAll(settingsPath());
    const std::string section = "[Recent workbooks]\nFile1=" + first.toStdString() +
                                "\nFile2=" + second.toStdString() + "\n";
    EXPECT_NE(written.find(section), std::string::npos) << written;
    EXPECT_EQ(written.find("[Recent workbooks]"), written.rfind("[")) << "the last section";

    // The next start: choosing an entry opens that workbook in the import dialog at once.
    kestrel::resetSharedState();
    m_ui.clear();
    startWindow();
    ASSERT_EQ(recentEntries().size(), 2);
    QString loaded;
    scriptImportOk(&loaded);
    m_form->RecentWorkbooks1->actions().at(1)->trigger();
    EXPECT_TRUE(m_ui.shownOf(Shown::OpenChooser).empty());
    EXPECT_EQ(loaded, second);
    EXPECT_EQ(recentEntries(),
              QStringList({"&1 " + second, "&2 " + QString(first).replace("&", "&&")}));

    // A workbook that has gone: a warning, and the entry leaves the list (and the file).
    QFile::remove(first);
    QFile::remove(second);
    m_form->RecentWorkbooks1->actions().at(1)->trigger();
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_EQ(warnings().at(0).text, "The workbook " + first +
                                         " no longer exists; it has been removed from the "
                                         "recent workbooks.");
    m_form->RecentWorkbooks1->actions().at(0)->trigger();
    EXPECT_TRUE(recentEntries().isEmpty());
    EXPECT_FALSE(m_form->RecentWorkbooks1->menuAction()->isEnabled());
    EXPECT_EQ(modalTitles(), QStringList{"Import spreadsheet"}) << "no Open for a missing file";
    m_form->close();
    EXPECT_EQ(readAll(settingsPath()).find("Recent workbooks"), std::string::npos);

    // "Clear list", the submenu's last entry, empties it and its section.
    startWindow();
    openWith(second = copyOfWorkbook("second.xls"));
    const QList<QAction*> items = m_form->RecentWorkbooks1->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_TRUE(items.at(1)->isSeparator());
    EXPECT_EQ(items.at(2)->text(), "Clear list");
    items.at(2)->trigger();
    EXPECT_TRUE(m_form->RecentWorkbooks1->actions().isEmpty());
    EXPECT_FALSE(m_form->RecentWorkbooks1->menuAction()->isEnabled());
    m_form->close();
    EXPECT_EQ(readAll(settingsPath()).find("Recent workbooks"), std::string::npos);
}

TEST_F(MainWindowEveryday, DroppedOrNamedWorkbookStartsOpenWithIt) {
    EXPECT_TRUE(m_form->acceptDrops());
    // Only local files are taken.
    QMimeData web;
    web.setUrls({QUrl("https://example.org/profiles.xls")});
    QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_form.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());

    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(kWorkbook)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QString loaded;
    scriptImportOk(&loaded);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_form.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    QTRY_COMPARE(modalTitles(), QStringList{"Import spreadsheet"});
    EXPECT_TRUE(m_ui.shownOf(Shown::OpenChooser).empty()) << "the dropped file, not the chooser";
    EXPECT_EQ(loaded, kWorkbook);
    EXPECT_EQ(m_form->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts).size(), 2)
        << "the calculation ran as after Open";

    // On the command line, relative to the current folder; options are passed over.
    m_ui.clear();
    const QString before = QDir::currentPath();
    QDir::setCurrent(QFileInfo(kWorkbook).absolutePath());
    loaded.clear();
    scriptImportOk(&loaded);
    m_form->openFromCommandLine({"kestrel", "--verbose", "profiles.xls"});
    QDir::setCurrent(before);
    QTRY_COMPARE(modalTitles(), QStringList{"Import spreadsheet"});
    EXPECT_EQ(loaded, kWorkbook);

    m_ui.clear();
    m_form->openFromCommandLine({"kestrel", m_dir.filePath("missing.xls")});
    QTRY_COMPARE(warnings().size(), 1u);
    EXPECT_EQ(warnings().at(0).text,
              "Cannot open " + m_dir.filePath("missing.xls") + ": there is no such file.");
    EXPECT_TRUE(modalTitles().isEmpty());
}

}  // namespace
