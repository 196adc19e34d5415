// Save summary as: the proposed name, the dialog set-up, the export folder, both formats
// written and read back, cancel, and a failed write over an existing file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"
#include "output/SummarySave.h"
#include "sheet/core/SpreadsheetCore.h"
#include "tests/support/ScriptedUserInteraction.h"
#include "ui/SettingsFields.h"

using namespace kestrel;
using kestrel::testsupport::ScriptedUserInteraction;
using kestrel::testsupport::Shown;

namespace {

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

/// A small summary sheet "Smry": a heading row of texts and two rows of numbers.
void fillSummary(SpreadsheetCore& sheet) {
    sheet.SetSheetName(1, "Smry");
    const char* headings[] = {"Age", "Curve 1", "Curve 2", "Difference"};
    for (int col = 1; col <= 4; ++col) {
        sheet.SetRow(1);
        sheet.SetCol(col);
        sheet.SetText(headings[col - 1]);
        for (int row = 2; row <= 3; ++row) {
            sheet.SetRow(row);
            sheet.SetNumber(row * 100.0 + col + 0.125);
        }
    }
}

/// What python3-xlrd, a reader unrelated to ours, sees: "<biff version> <sheet> <C3> <A1>", or
/// an empty text when python3 or xlrd is missing.
QString readByXlrd(const QString& path) {
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c",
                  "import sys, xlrd\n"
                  "b = xlrd.open_workbook(sys.argv[1])\n"
                  "s = b.sheet_by_index(0)\n"
                  "print(b.biff_version, s.name, s.cell_value(2, 2), s.cell_value(0, 0))",
                  path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) return {};
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

class SummarySaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        state.DataExportPath = folder.path().toStdString();
        state.WorkbookFileName = "Profiles.xls";
        fillSummary(summary);
    }
    void TearDown() override { kestrel::testing::failWritesAfter(-1); }
    QString pathOf(const QString& name) const { return folder.filePath(name); }
    void answer(const QString& path, int filter) {
        ui.saveAnswers.push_back(FileChoice{path, filter});
    }

    QTemporaryDir folder;
    SettingsFields state;
    SpreadsheetCore summary;
    ScriptedUserInteraction ui;
    int selectedFilter = 1;
};

}  // namespace

TEST(SummarySaveNames, ProposedNameDropsTheExtensionAndAppendsSummary) {
    EXPECT_EQ(proposedSummaryName("Profiles.xls"), "Profiles_summary");
    // Whatever the extension's length: "data._summary" became "data.xlsx" in the chooser.
    EXPECT_EQ(proposedSummaryName("data.xlsx"), "data_summary");
    EXPECT_EQ(proposedSummaryName("Namib_ages.xlsx"), "Namib_ages_summary");
    EXPECT_EQ(proposedSummaryName("run.2.csv"), "run.2_summary");
    EXPECT_EQ(proposedSummaryName("a.xl"), "a_summary");
    EXPECT_EQ(proposedSummaryName("Profiles"), "Profiles_summary");
    EXPECT_EQ(proposedSummaryName("ab"), "_summary");
    EXPECT_EQ(proposedSummaryName(""), "_summary");
    EXPECT_EQ(proposedSummaryName("Größe.xls"), "Größe_summary");
    EXPECT_EQ(proposedSummaryName("Kurve.€€€€"), "Kurve_summary");
}

TEST(SummarySaveNames, ExportFolderAndFileTypeCode) {
    EXPECT_EQ(exportFolderOf("/home/ann/results/Profiles_summary.XLS"), "/home/ann/results");
    EXPECT_EQ(exportFolderOf("/Profiles_summary.XLS"), "/");
    EXPECT_EQ(exportFolderOf("/data//x.XLS"), "/data");
    EXPECT_EQ(exportFolderOf("x.XLS"), "");
    EXPECT_EQ(fileTypeForSaveFilter(1), 11);
    EXPECT_EQ(fileTypeForSaveFilter(2), 4);
    EXPECT_EQ(fileTypeForSaveFilter(3), 51);
    EXPECT_EQ(fileTypeForSaveFilter(4), 6);
    EXPECT_EQ(fileTypeForSaveFilter(0), 11);
    EXPECT_EQ(fileTypeForSaveFilter(5), 11);
    // A typed extension names the format, whatever the entry; .xls keeps the Excel 5 entry.
    EXPECT_EQ(fileTypeForSavedName("/r/N1_N2_summary.xlsx", 1), 51);
    EXPECT_EQ(fileTypeForSavedName("/r/styped.CSV", 3), 6);
    EXPECT_EQ(fileTypeForSavedName("/r/s.xls", 3), 11);
    EXPECT_EQ(fileTypeForSavedName("/r/s.xls", 2), 4);
    EXPECT_EQ(fileTypeForSavedName("/r/s.summary", 4), 6);
    EXPECT_EQ(fileTypeForSavedName("/r/s", 2), 4);
}

TEST_F(SummarySaveTest, DialogIsSetUpFromTheExportFolderAndWorkbookName) {
    EXPECT_FALSE(saveSummary(summary, state, selectedFilter, ui, nullptr));
    const auto choosers = ui.shownOf(Shown::SaveChooser);
    ASSERT_EQ(choosers.size(), 1u);
    const FileDialogSetup& setup = choosers[0].chooser;
    EXPECT_EQ(setup.filters,
              (QStringList{"Excel 97 (*.XLS *.xls)", "Excel 5 (*.XLS *.xls)",
                           "Excel workbook (*.xlsx)", "Text, comma separated (*.csv)"}));
    EXPECT_EQ(setup.filterSuffixes, (QStringList{"XLS", "XLS", "xlsx", "csv"}));
    EXPECT_EQ(setup.selectedFilter, 1);
    EXPECT_EQ(setup.initialFolder, folder.path());
    EXPECT_EQ(setup.proposedName, "Profiles_summary.XLS");
    EXPECT_EQ(setup.defaultSuffix, "XLS");
    EXPECT_TRUE(setup.confirmOverwrite);
    EXPECT_EQ(summarySaveDialogSetup("/x", "data.xlsx", 7).selectedFilter, 1);
}

TEST_F(SummarySaveTest, CancelWritesNothingAndChangesNothing) {
    state.DataExportPath = "/somewhere/else";
    selectedFilter = 2;
    EXPECT_FALSE(saveSummary(summary, state, selectedFilter, ui, nullptr));
    EXPECT_EQ(state.DataExportPath, "/somewhere/else");
    EXPECT_EQ(selectedFilter, 2);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(SummarySaveTest, BothFormatsAreWrittenAndReadBack) {
    ASSERT_TRUE(QDir(folder.path()).mkdir("out"));
    const QString excel97 = pathOf("out/Profiles_summary.XLS");
    const QString excel5 = pathOf("Profiles_summary5.XLS");
    answer(excel97, 1);
    answer(excel5, 2);

    ASSERT_TRUE(saveSummary(summary, state, selectedFilter, ui, nullptr));
    EXPECT_EQ(state.DataExportPath, pathOf("out").toStdString());
    EXPECT_EQ(selectedFilter, 1);
    // The next save starts in the folder of this one, with the same entry.
    ASSERT_TRUE(saveSummary(summary, state, selectedFilter, ui, nullptr));
    const auto choosers = ui.shownOf(Shown::SaveChooser);
    ASSERT_EQ(choosers.size(), 2u);
    EXPECT_EQ(choosers[1].chooser.initialFolder, pathOf("out"));
    EXPECT_EQ(state.DataExportPath, folder.path().toStdString());
    EXPECT_EQ(selectedFilter, 2);
    EXPECT_EQ(summarySaveDialogSetup(state.DataExportPath, "x.xls", selectedFilter).selectedFilter,
              2);

    for (const auto& [path, code] :
         {std::pair{excel97, int16_t{11}}, std::pair{excel5, int16_t{4}}}) {
        SCOPED_TRACE(path.toStdString());
        SpreadsheetCore back;
        int16_t fileType = 0;
        back.ReadWorkbook(path.toStdString(), fileType);
        EXPECT_EQ(fileType, code);
        EXPECT_EQ(back.SheetName(1), "Smry");
        back.SetRow(1);
        back.SetCol(4);
        EXPECT_EQ(back.Text(), "Difference");
        back.SetRow(3);
        back.SetCol(2);
        EXPECT_EQ(back.Number(), 302.125);
    }
    // An empty answer: /usr/bin/python3 with python3-xlrd is missing (scripts/deps.sh).
    EXPECT_EQ(readByXlrd(excel97).toStdString(), "80 Smry 303.125 Age");
    // BIFF5 and BIFF7 (Excel 5 and Excel 95) share one record format; xlrd may name either.
    const QString oracle5 = readByXlrd(excel5);
    EXPECT_TRUE(oracle5 == "50 Smry 303.125 Age" || oracle5 == "70 Smry 303.125 Age")
        << oracle5.toStdString();
}

TEST_F(SummarySaveTest, AFailedWriteKeepsTheOldFileButRemembersTheFolder) {
    ASSERT_TRUE(QDir(folder.path()).mkdir("keep"));
    const QString path = pathOf("keep/Profiles_summary.XLS");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the summary saved last week");
    }
    answer(path, 1);
    kestrel::testing::failWritesAfter(100);
    EXPECT_THROW(saveSummary(summary, state, selectedFilter, ui, nullptr), KestrelError);
    kestrel::testing::failWritesAfter(-1);
    EXPECT_EQ(contentsOf(path), "the summary saved last week");
    EXPECT_EQ(QDir(pathOf("keep")).entryList(QDir::Files), QStringList{"Profiles_summary.XLS"});
    EXPECT_EQ(state.DataExportPath, pathOf("keep").toStdString());
}

// The two formats of today's programs, read back by python3-openpyxl and Python's csv module:
// the same sheet, headers and full double values; a failed flush keeps the old file.
TEST_F(SummarySaveTest, XlsxAndCsvAreWrittenWithFullPrecisionAndReadBackByOtherPrograms) {
    summary.SetRow(3);
    summary.SetCol(3);
    summary.SetNumber(1.0 / 3.0);
    const QString xlsx = pathOf("Profiles_summary.xlsx"), csv = pathOf("Profiles_summary.csv");
    answer(xlsx, 3);
    answer(csv, 4);
    ASSERT_TRUE(saveSummary(summary, state, selectedFilter, ui, nullptr));
    ASSERT_TRUE(saveSummary(summary, state, selectedFilter, ui, nullptr));
    EXPECT_EQ(selectedFilter, 4);

    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c",
                  "import sys, csv, openpyxl\n"
                  "b = openpyxl.load_workbook(sys.argv[1])\n"
                  "s = b.worksheets[0]\n"
                  "print(b.sheetnames, [[c.value for c in r] for r in s.iter_rows()])\n"
                  "rows = list(csv.reader(open(sys.argv[2], newline='', encoding='utf-8')))\n"
                  "print(rows[0], [[float(v) for v in r] for r in rows[1:]])\n",
                  xlsx, csv});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split('\n');
    ASSERT_GE(lines.size(), 2);
    // Python's repr of 1/3: the shortest text that reads back as the same double.
    const std::string rows =
        "[[201.125, 202.125, 203.125, 204.125], "
        "[301.125, 302.125, 0.3333333333333333, 304.125]]";
    const std::string headers = "['Age', 'Curve 1', 'Curve 2', 'Difference']";
    EXPECT_EQ(lines[0].toStdString(), "['Smry'] [" + headers + ", " + rows.substr(1));
    EXPECT_EQ(lines[1].toStdString(), headers + " " + rows);

    answer(xlsx, 3);
    kestrel::testing::failFlushes(true);
    EXPECT_THROW(saveSummary(summary, state, selectedFilter, ui, nullptr), KestrelError);
    kestrel::testing::failFlushes(false);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"Profiles_summary.csv", "Profiles_summary.xlsx"}));
    SpreadsheetCore back;
    int16_t fileType = 0;
    back.ReadWorkbook(xlsx.toStdString(), fileType);
    back.SetRow(3);
    back.SetCol(3);
    EXPECT_EQ(back.Number(), 1.0 / 3.0) << "the earlier file is whole";
}

TEST_F(SummarySaveTest, TheWorkbookTheProfilesCameFromIsNeverOverwritten) {
    const QString workbook = pathOf("data.xlsx");
    {
        QFile source(workbook);
        ASSERT_TRUE(source.open(QIODevice::WriteOnly));
        source.write("the user's profiles");
    }
    state.WorkbookPath = workbook.toStdString();
    answer(workbook, 3);  // what the chooser makes of "data._summary" on the .xlsx entry
    try {
        saveSummary(summary, state, selectedFilter, ui, nullptr);
        ADD_FAILURE() << "saving over the source workbook must be refused";
    } catch (const KestrelError& e) {
        EXPECT_NE(std::string(e.what()).find("the workbook the profiles were read from"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(contentsOf(workbook), "the user's profiles");
}
