// The grain-ages path without wrong answers or lost work, through the real windows offscreen on
// workbooks written by openpyxl: the uncertainties' sheet, the two-profile settings a grain-ages
// run leaves alone, the layout of a new workbook, window widths, a grid that leaves grains out,
// saving the summary by the typed extension, and the recent workbooks of ages.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "app/GrainAgesDialog.h"
#include "app/KR_chng.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/ManyResultsPage.h"
#include "app/ProgramPaths.h"
#include "engine/KestrelError.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::sharedState;
using kestrel::testsupport::readAll;
using kestrel::testsupport::Shown;

// Runs python3 with `script` and the arguments; gives its standard output.
std::string python(const std::string& script, const QStringList& arguments = {}) {
    QProcess process;
    process.start("/usr/bin/python3",
                  QStringList{"-c", QString::fromStdString(script)} + arguments);
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

// Writes an .xlsx with openpyxl: `sheets` is a Python literal, a list of (name, rows).
void writeXlsx(const QString& path, const std::string& sheets) {
    python("import sys, openpyxl\nb = openpyxl.Workbook(); b.remove(b.active)\nfor name, rows in " +
               sheets + ":\n    s = b.create_sheet(name)\n    for r in rows: s.append(r)\n" +
               "b.save(sys.argv[1])\n",
           {path});
}

// Two samples, A and B, with their 1-sigma uncertainties on sheet "Errors".
const char* const kAgesAndErrors =
    "[('Ages', [['A', 'B'], [100, 150], [200, 250], [300, 350], [400, 420], [500, 640]]),"
    " ('Errors', [['A', 'B'], [5, 6], [5, 6], [5, 6], [5, 6], [5, 6]]),"
    " ('Notes', [['made by hand']])]";

class GrainAgesTrust : public kestrel::testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->show();
    }

    static void ok(QDialog& dialog) {
        QPushButton* button = dynamic_cast<GrainAgesDialog*>(&dialog)
                                  ? dynamic_cast<GrainAgesDialog&>(dialog).bbOK
                                  : dynamic_cast<TfmSheetImport&>(dialog).bbImport;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Opens `book` as grain ages, lets `act` set the dialog, and presses OK.
    void openAges(const QString& book, const std::function<void(GrainAgesDialog&)>& act = {}) {
        m_ui.openAnswers.push_back(kestrel::FileChoice{book, 1});
        m_ui.modalActions.push_back([act](QDialog& dialog) {
            if (act) act(dynamic_cast<GrainAgesDialog&>(dialog));
            ok(dialog);
        });
        m_form->OpenGrainAges1Click();
    }

    QString messageAfter(const std::function<void()>& action) {
        m_ui.clear();
        action();
        const auto messages = m_ui.shownOf(Shown::Message);
        return messages.empty() ? QString() : messages.back().text;
    }

    std::unique_ptr<TForm1> m_form;
};

TEST_F(GrainAgesTrust, TheUncertaintiesSheetIsNeverAnotherSheetNorTheAgesSheet) {
    const QString book = m_dir.filePath("ages.xlsx"), bare = m_dir.filePath("bare.xlsx"),
                  negative = m_dir.filePath("negative.xlsx");
    writeXlsx(book, kAgesAndErrors);
    writeXlsx(bare, "[('Ages', [['A', 'B'], [100, 150], [200, 250], [300, 350]])]");
    writeXlsx(negative,
              "[('Ages', [['A', 'B'], [100, 150], [200, 250], [300, 350]]),"
              " ('Errors', [['A', 'B'], [5, 6], [-5, 6], [0, 6]])]");

    GrainAgesDialog dialog({}, book, "100", m_ui, nullptr);
    dialog.cbUncertainties->setCurrentIndex(dialog.cbUncertainties->findData("sheet"));
    EXPECT_EQ(dialog.cbErrorsSheet->currentText(), "Errors") << "untouched: the sheet after";
    dialog.cbSheetName->setCurrentText("Errors");
    EXPECT_EQ(dialog.cbErrorsSheet->currentText(), "Notes") << "still never the ages sheet";
    dialog.cbSheetName->setCurrentText("Ages");
    dialog.cbProfile->setCurrentText("PDP");
    dialog.cbErrorsSheet->setCurrentText("Ages");
    EXPECT_EQ(messageAfter([&] { ok(dialog); }),
              "The uncertainties cannot come from the ages sheet \"Ages\": choose the sheet that "
              "holds them");
    dialog.cbErrorsSheet->setCurrentText("Errors");

    // Another workbook without that sheet: said in red, refused with kestrel-batch's words.
    const QString missing = "The workbook has no sheet named \"Errors\" for the uncertainties";
    m_ui.openAnswers.push_back(kestrel::FileChoice{bare, 1});
    dialog.bbWorkbookClick();
    EXPECT_EQ(dialog.cbErrorsSheet->currentText(), "Errors");
    EXPECT_EQ(dialog.previewNote(), missing);
    EXPECT_TRUE(dialog.lPreviewNote->styleSheet().contains("#a00000"));
    EXPECT_EQ(messageAfter([&] { ok(dialog); }), missing);
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    // And the next one, whose Errors sheet holds a negative uncertainty, is read and checked.
    m_ui.openAnswers.push_back(kestrel::FileChoice{negative, 1});
    dialog.bbWorkbookClick();
    EXPECT_TRUE(messageAfter([&] { ok(dialog); }).contains("A3"))
        << m_ui.shown.back().text.toStdString();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(GrainAgesTrust, AGrainAgesRunLeavesTheProfileSettingsAndANewWorkbookGetsItsLayout) {
    // An ordinary Open of rows 2 to 11, window 300.
    const QString profiles = m_dir.filePath("profiles.csv");
    std::string csv = "Age,Y1,Y2\n";
    for (int r = 2; r <= 11; ++r) csv += std::to_string(r * 10) + ",1," + std::to_string(r) + "\n";
    kestrel::testsupport::writeAll(profiles, csv);
    const auto scriptImport = [&](const QString& to) {
        m_ui.openAnswers.push_back(kestrel::FileChoice{profiles, 1});
        m_ui.modalActions.push_back([to](QDialog& dialog) {
            auto& import = dynamic_cast<TfmSheetImport&>(dialog);
            import.eFromRow->setText("2");
            import.eToRow->setText(to);
            import.eAgeWindowWidthStr->setText("300");
            ok(dialog);
        });
    };
    scriptImport("11");
    m_form->Open1Click();
    ASSERT_TRUE(m_form->bbSave->isEnabled());

    // Grain ages in rows, though the choices kept say columns: the layout follows the headings.
    const QString rows = m_dir.filePath("rows.xlsx");
    writeXlsx(rows,
              "[('Grains', [['Sample', 'Age', '1s'], ['N1', 100, 4], ['N2', 150, 3],"
              " ['N1', 110, 2], ['N2', 250, 5], ['N1', 300, 5], ['N2', 330, 5]])]");
    sharedState().GrainAgesChoices = kestrel::GrainAgesFields{};
    openAges(rows, [](GrainAgesDialog& dialog) {
        EXPECT_EQ(dialog.cbLayout->currentData().toString(), "rows");
        // Read as columns, its Age and 1s columns would be compared as two samples.
        dialog.cbLayout->setCurrentIndex(dialog.cbLayout->findData("columns"));
        dialog.updatePreview();
        EXPECT_EQ(dialog.previewNote(),
                  "Row 1 of sheet \"Grains\" heads Sample (or Name) and Age columns, one row per "
                  "grain: read it as one row per grain");
        dialog.cbLayout->setCurrentIndex(dialog.cbLayout->findData("rows"));
        dialog.updatePreview();
        dialog.eAgeWindowWidth->setText("-5");
        EXPECT_EQ(dialog.previewNote().left(9), "N1 (n = 3");
    });
    EXPECT_EQ(m_ui.shownOf(Shown::Message).back().text, "Age window width must be above 0");
    openAges(rows, [](GrainAgesDialog& dialog) { dialog.eAgeWindowWidth->setText("50"); });
    ASSERT_EQ(sharedState().AgeWindowWidth, 50.0) << "the pair is compared with its own window";

    // The next ordinary Open proposes what was last set for profiles, not the pair's rows.
    m_ui.modalActions.push_back([](QDialog& dialog) {
        auto& import = dynamic_cast<TfmSheetImport&>(dialog);
        EXPECT_EQ(import.eToRow->text(), "11");
        EXPECT_EQ(import.eAgeWindowWidthStr->text(), "300");
        EXPECT_EQ(import.eY2ColStr->text(), "C");
    });
    m_form->Open1Click();  // cancelled: the pair on show keeps its own
    EXPECT_EQ(sharedState().AgeWindowWidth, 50.0);
    m_form->close();
    const std::string written = readAll(settingsPath());
    EXPECT_NE(written.find("To Row=11\n"), std::string::npos) << written;
    EXPECT_NE(written.find("Age window width=300\n"), std::string::npos) << written;
    EXPECT_NE(written.find("[Grain ages]"), std::string::npos);
    EXPECT_NE(written.find("Age window width=50\n"), std::string::npos) << "its own section";
}

TEST_F(GrainAgesTrust, WindowWidthsOfZeroOrLessAreRefusedNamingTheField) {
    const QString profiles = m_dir.filePath("p.csv");
    kestrel::testsupport::writeAll(profiles, "Age,Y1,Y2\n10,1,2\n20,3,1\n30,1,1\n");
    for (const char* width : {"0", "-5"}) {
        m_ui.openAnswers.push_back(kestrel::FileChoice{profiles, 1});
        m_ui.modalActions.push_back([width](QDialog& dialog) {
            auto& import = dynamic_cast<TfmSheetImport&>(dialog);
            import.eToRow->setText("4");
            import.eAgeWindowWidthStr->setText(width);
            ok(dialog);
            EXPECT_TRUE(import.isVisible());
        });
        EXPECT_EQ(messageAfter([&] { m_form->Open1Click(); }), "Age window width must be above 0");
    }
    m_ui.openAnswers.push_back(kestrel::FileChoice{profiles, 1});
    m_ui.modalActions.push_back([](QDialog& dialog) {
        dynamic_cast<TfmSheetImport&>(dialog).eToRow->setText("4");
        dynamic_cast<TfmSheetImport&>(dialog).eAgeWindowWidthStr->setText("100");
        ok(dialog);
    });
    m_form->Open1Click();
    ASSERT_TRUE(m_form->bbSave->isEnabled());
    m_ui.modalActions.push_back([](QDialog& dialog) {
        auto& edit = dynamic_cast<TfmChangeSettings&>(dialog);
        edit.eAgeWindowWidthStr->setText("-0.5");
        QTest::mouseClick(edit.bbOK, Qt::LeftButton);
        EXPECT_TRUE(edit.isVisible());
    });
    EXPECT_EQ(messageAfter([&] { m_form->bbEditClick(); }), "Age window width must be above 0");
}

TEST_F(GrainAgesTrust, AGridThatLeavesGrainsOutIsSaidInTheNoteAndTheLog) {
    const QString book = m_dir.filePath("ages.xlsx");
    writeXlsx(book, kAgesAndErrors);
    openAges(book, [](GrainAgesDialog& dialog) {
        dialog.eGridFrom->setText("150");
        dialog.eGridTo->setText("450");
        dialog.eGridStep->setText("1");
        dialog.updatePreview();
        EXPECT_TRUE(dialog.previewNote().endsWith(
            "The grid (150 to 450) leaves out grains that its profiles cannot show: 2 of A's 5, "
            "1 of B's 5; the grain tests keep them"))
            << dialog.previewNote().toStdString();
    });
    const QStringList log = m_form->Memo1->toPlainText().split('\n');
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log[1],
              "The grid (150 to 450) leaves out grains that its profiles cannot show: 2 of A's 5, "
              "1 of B's 5; the grain tests keep them");
    // The grain tests keep every grain.
    EXPECT_TRUE(m_form->lSampleSizes->text().startsWith("Sample sizes: 5 and 5 grains"))
        << m_form->lSampleSizes->text().toStdString();
}

TEST_F(GrainAgesTrust, ASavedSummaryIsWhatItsNameSaysAndNeverTheWorkbookOfAges) {
    const QString book = m_dir.filePath("Namib_ages.xlsx");
    writeXlsx(book, kAgesAndErrors);
    sharedState().DataExportPath = kestrel::dataFolder();
    openAges(book);
    ASSERT_TRUE(m_form->bbSave->isEnabled());
    const auto save = [&](const QString& name, int entry) {
        m_ui.saveAnswers.push_back(kestrel::FileChoice{m_dir.filePath(name), entry});
        m_form->Saveas1Click();
    };
    save("first.xls", 3);
    const kestrel::FileDialogSetup chooser = m_ui.shownOf(Shown::SaveChooser).front().chooser;
    EXPECT_EQ(chooser.proposedName, "Namib_ages_summary.XLS");
    EXPECT_EQ(chooser.initialFolder, m_dir.path()) << "the workbook's folder, not the data folder";

    // Each typed extension gives its format, whatever the entry; no extension, the entry's.
    save("N1_N2_summary.xlsx", 1);
    save("styped.csv", 3);
    save("five.xls", 2);
    save("plain", 3);
    const std::string read = python(
        "import sys, csv, openpyxl, xlrd\n"
        "d = sys.argv[1]\n"
        "print(openpyxl.load_workbook(d + '/N1_N2_summary.xlsx').sheetnames[0])\n"
        "print(next(csv.reader(open(d + '/styped.csv')))[0])\n"
        "print(open(d + '/styped_windows.csv').readline().split(',')[0])\n"
        "print(xlrd.open_workbook(d + '/first.xls').biff_version)\n"
        "print(xlrd.open_workbook(d + '/five.xls').biff_version)\n"
        "import zipfile\nprint('xl/workbook.xml' in zipfile.ZipFile(d + '/plain').namelist())\n",
        {m_dir.path()});
    EXPECT_EQ(read, "Smry\nAge\nFirst\n80\n70\nTrue\n") << read;

    // Saving over the workbook the ages came from is refused; the workbook is untouched.
    const std::string before = readAll(book);
    m_ui.saveAnswers.push_back(kestrel::FileChoice{book, 3});
    EXPECT_THROW(m_form->Saveas1Click(), kestrel::KestrelError);
    EXPECT_EQ(readAll(book), before);
}

TEST_F(GrainAgesTrust, AWorkbookOfAgesReopensFromRecentWorkbooksThroughItsDialog) {
    const QString book = m_dir.filePath("ages.xlsx");
    writeXlsx(book, kAgesAndErrors);
    openAges(book);
    const QList<QAction*> entries = m_form->RecentWorkbooks1->actions();
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.front()->text(), "&1 " + book + "  (grain ages)");
    m_ui.clear();
    entries.front()->trigger();
    ASSERT_EQ(m_ui.shownOf(Shown::Modal).size(), 1u);
    EXPECT_EQ(m_ui.shownOf(Shown::Modal)[0].text, "Open grain ages");
    EXPECT_TRUE(m_ui.shownOf(Shown::OpenChooser).empty()) << "straight to the workbook";

    // File > Export profiles... writes every sample's profile with its bandwidth, as
    // kestrel-batch's --profiles-out file does; a name without an extension takes the entry's.
    m_ui.saveAnswers.push_back(kestrel::FileChoice{m_dir.filePath("all_profiles"), 2});
    m_form->ExportProfiles1Click();
    EXPECT_EQ(m_ui.shownOf(Shown::SaveChooser).back().chooser.proposedName, "ages_profiles.csv");
    const std::string read = python(
        "import sys, openpyxl\nrows = list(openpyxl.load_workbook(sys.argv[1]).active.values)\n"
        "print(rows[0], rows[1][0], len(rows[1]), len(rows) > 100)\n",
        {m_dir.filePath("all_profiles.xlsx")});
    EXPECT_EQ(read, "('Age', 'A', 'B') Bandwidth 3 True\n") << read;

    m_form->close();
    EXPECT_NE(readAll(settingsPath()).find("Recent1=" + book.toStdString()), std::string::npos);
}

}  // namespace

namespace {

// Whether every axis title of `chart` (the colour scale's too) fits along its axis.
bool titlesFit(QCustomPlot& chart) {
    chart.replot();
    for (QCPLayoutElement* element : chart.plotLayout()->elements(true)) {
        QList<QCPAxis*> axes;
        if (auto* rect = qobject_cast<QCPAxisRect*>(element)) axes = rect->axes();
        if (auto* scale = qobject_cast<QCPColorScale*>(element)) axes = {scale->axis()};
        for (QCPAxis* axis : axes) {
            const QRect rect = axis->axisRect()->rect();
            const int room = axis->orientation() == Qt::Horizontal ? rect.width() : rect.height();
            if (QFontMetrics(axis->labelFont()).horizontalAdvance(axis->label()) > room)
                return false;
        }
    }
    return true;
}

TEST_F(GrainAgesTrust, NothingIsCutAt800x480) {
    const QString book = m_dir.filePath("ages.xlsx");
    python(std::string("import subprocess, sys\nsubprocess.run(['/usr/bin/python3', '") +
               KESTREL_SOURCE_DIR +
               "/tests/tools/batch_ages_fixture.py', sys.argv[1]], "
               "check=True, capture_output=True)\n",
           {book});
    m_form->resize(800, 480);
    openAges(book, [](GrainAgesDialog& dialog) {
        dialog.resize(800, 480);
        dialog.chkAllSamples->setChecked(true);
        dialog.updatePreview();
        QApplication::processEvents();
        // The note, every sample's line long, stays below the preview's age axis.
        const auto* note = dialog.findChild<QWidget*>("PreviewNoteScroll");
        ASSERT_NE(note, nullptr);
        const QRect preview(dialog.Preview->mapTo(&dialog, QPoint()), dialog.Preview->size());
        EXPECT_GE(note->mapTo(&dialog, QPoint()).y(), preview.bottom()) << "no overlap";
        EXPECT_TRUE(titlesFit(*dialog.Preview));
    });
    ASSERT_TRUE(
        m_form->PageControl1->isTabVisible(m_form->PageControl1->indexOf(m_form->tsManyProfiles)));
    QApplication::processEvents();
    auto* scroll = m_form->findChild<QScrollArea*>("ManyScroll");
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->verticalScrollBar()->maximum(), 0) << "the graphs fit, unscrolled";
    EXPECT_TRUE(titlesFit(*m_form->ManyResults->MdsMap));
    EXPECT_TRUE(titlesFit(*m_form->ManyResults->HeatMap));
    m_form->ManyResults->tcGraphs->setCurrentWidget(m_form->ManyResults->Shepard);
    QApplication::processEvents();
    EXPECT_TRUE(titlesFit(*m_form->ManyResults->Shepard));
}

}  // namespace
