// The sheet import dialog driven as a user would, offscreen, with real workbooks on disk and
// the scripted user answering its file chooser and reading its messages.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "engine/KestrelError.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "tests/support/ScriptedUserInteraction.h"

using kestrel::FileChoice;
using kestrel::SettingsFields;
using kestrel::testsupport::ScriptedUserInteraction;
using kestrel::testsupport::Shown;

namespace {

const QString kImportDir = QStringLiteral(KESTREL_TEST_DATA_DIR "/import");

FileChoice fixture(const QString& name, int filterIndex = 1) {
    return FileChoice{kImportDir + "/" + name, filterIndex};
}

std::vector<std::string> texts(const std::vector<Shown>& shown) {
    std::vector<std::string> result;
    for (const auto& s : shown) result.push_back(s.text.toStdString());
    return result;
}

std::vector<std::string> sheetList(const QComboBox* list) {
    std::vector<std::string> names;
    for (int i = 0; i < list->count(); ++i) names.push_back(list->itemText(i).toStdString());
    return names;
}

class SheetImport : public ::testing::Test {
  protected:
    void SetUp() override {
        state.FromRowStr = "2";
        state.ToRowStr = "40";
        state.AgeColStr = "A";
        state.Y1ColStr = "B";
        state.Y2ColStr = "C";
        state.AgeWindowWidthStr = "50";
        state.DataImportPath = "/no/such/start/folder/";
        state.WorkbookFileName = "earlier.xls";
        state.ToRow = 77;
    }

    /// Shows a fresh dialog; its first show opens the chooser, answered with `firstChoice`.
    void showDialog(std::optional<FileChoice> firstChoice) {
        ui.openAnswers.push_back(std::move(firstChoice));
        dialog = std::make_unique<TfmSheetImport>(state, ui);
        dialog->show();
    }

    void chooseSheet(const QString& name) {
        dialog->cbSheetName->setCurrentIndex(dialog->cbSheetName->findText(name));
    }

    /// Fills the fields as typed, clicks OK and returns the messages it showed.
    std::vector<std::string> clickOk(const QString& from, const QString& to, const QString& age,
                                     const QString& y1, const QString& y2, const QString& width) {
        dialog->eFromRow->setText(from);
        dialog->eToRow->setText(to);
        dialog->eAgeColStr->setText(age);
        dialog->eY1ColStr->setText(y1);
        dialog->eY2ColStr->setText(y2);
        dialog->eAgeWindowWidthStr->setText(width);
        ui.clear();
        QTest::mouseClick(dialog->bbImport, Qt::LeftButton);
        return texts(ui.shownOf(Shown::Message));
    }

    bool shown(const QWidget* widget) const { return widget->isVisibleTo(dialog.get()); }

    SettingsFields state;
    ScriptedUserInteraction ui;
    std::unique_ptr<TfmSheetImport> dialog;
};

}  // namespace

TEST_F(SheetImport, CancelledChooserOnFirstShowLeavesOnlyTheSheetGroupCancelAndOpen) {
    showDialog(std::nullopt);

    const auto choosers = ui.shownOf(Shown::OpenChooser);
    ASSERT_EQ(choosers.size(), 1u);
    const kestrel::FileDialogSetup& setup = choosers[0].chooser;
    EXPECT_EQ(setup.title, "Open");
    EXPECT_EQ(setup.filters,
              QStringList({"Excel 97/Excel 8 (*.XLS *.xls)", "Excel 5 and 7/95 (*.XLS *.xls)",
                           "Excel workbook (*.xlsx *.xlsm)", "OpenDocument spreadsheet (*.ods)",
                           "Text, comma separated (*.csv)",
                           "All workbooks (*.XLS *.xls *.xlsx *.xlsm *.ods *.csv)"}));
    EXPECT_EQ(setup.selectedFilter, 6) << "every workbook shows at first";
    EXPECT_EQ(setup.initialFolder, "/no/such/start/folder/");
    EXPECT_EQ(setup.defaultSuffix, "XLS");

    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(shown(dialog->gbDefineSheet));
    EXPECT_TRUE(shown(dialog->bbCancel));
    EXPECT_TRUE(shown(dialog->bbOpenSheet));
    EXPECT_FALSE(shown(dialog->bbImport));
    EXPECT_FALSE(shown(dialog->SprdSheet));
    EXPECT_FALSE(shown(dialog->gbDefineRows));
    EXPECT_FALSE(shown(dialog->gbDefineFields));
    EXPECT_EQ(dialog->cbSheetName->currentText(), "Sheet1");
    // The fields come from the settings; nothing was chosen, so nothing was stored.
    EXPECT_EQ(dialog->eFromRow->text(), "2");
    EXPECT_EQ(dialog->eToRow->text(), "40");
    EXPECT_EQ(dialog->eAgeColStr->text(), "A");
    EXPECT_EQ(dialog->eAgeWindowWidthStr->text(), "50");
    EXPECT_EQ(state.DataImportPath, "/no/such/start/folder/");
    EXPECT_EQ(state.WorkbookFileName, "earlier.xls");
}

TEST_F(SheetImport, ControlsCaptionsAndLayout) {
    showDialog(fixture("profiles.xls"));
    dialog->resize(700, 600);
    QApplication::processEvents();

    EXPECT_EQ(dialog->windowTitle(), "Import spreadsheet");
    EXPECT_EQ(dialog->bbCancel->text(), "Cancel");
    EXPECT_EQ(dialog->bbOpenSheet->text(), "&Open");
    EXPECT_EQ(dialog->bbImport->text(), "OK");
    EXPECT_TRUE(dialog->bbImport->isDefault());
    EXPECT_EQ(dialog->sbFindLastRow->toolTip(), "Find end of file");
    EXPECT_EQ(dialog->gbDefineSheet->title(), "Define sheet from which to import");
    EXPECT_EQ(dialog->gbDefineRows->title(), "Define rows to import");
    EXPECT_EQ(dialog->gbDefineFields->title(), "Define fields");
    EXPECT_TRUE(dialog->cbSheetName->isEditable());

    auto labelIn = [](const QWidget* group, const QString& text) -> const QLabel* {
        for (const QLabel* label : group->findChildren<QLabel*>()) {
            if (label->text() == text) return label;
        }
        return nullptr;
    };
    for (const char* text :
         {"From row", "To row", "Number of rows is based on finding", "values in the Age column"}) {
        EXPECT_NE(labelIn(dialog->gbDefineRows, text), nullptr) << text;
    }
    for (const char* text :
         {"Column", "Age column", "Y data (1)", "Y data (2)", "Time window", "age units"}) {
        EXPECT_NE(labelIn(dialog->gbDefineFields, text), nullptr) << text;
    }

    // Button bar on top, Cancel left, OK right; then the preview; the sheet group left of the
    // rows group; the fields below them. Positions compared in the dialog's coordinates.
    auto at = [this](const QWidget* w) { return w->mapTo(dialog.get(), QPoint(0, 0)); };
    EXPECT_LT(at(dialog->bbCancel).x(), at(dialog->bbOpenSheet).x());
    EXPECT_LT(at(dialog->bbOpenSheet).x(), at(dialog->bbImport).x());
    EXPECT_EQ(at(dialog->bbCancel).y(), at(dialog->bbImport).y());
    EXPECT_LT(at(dialog->bbImport).y(), at(dialog->SprdSheet).y());
    EXPECT_LT(at(dialog->SprdSheet).y(), at(dialog->gbDefineSheet).y());
    EXPECT_EQ(at(dialog->gbDefineSheet).y(), at(dialog->gbDefineRows).y());
    EXPECT_LT(at(dialog->gbDefineSheet).x(), at(dialog->gbDefineRows).x());
    EXPECT_LT(at(dialog->gbDefineRows).y(), at(dialog->gbDefineFields).y());
    const QLabel* note1 = labelIn(dialog->gbDefineRows, "Number of rows is based on finding");
    const QLabel* note2 = labelIn(dialog->gbDefineRows, "values in the Age column");
    EXPECT_LT(at(note1).y(), at(note2).y());
    EXPECT_LT(at(dialog->sbFindLastRow).x(), at(note1).x());
    EXPECT_LT(at(dialog->eToRow).x(), at(dialog->sbFindLastRow).x());
}

TEST_F(SheetImport, OpenLoadsTheWorkbookListsItsSheetsAndStoresWhereItCameFrom) {
    showDialog(fixture("profiles.xls"));

    EXPECT_EQ(state.DataImportPath, (kImportDir + "/").toStdString());
    EXPECT_EQ(state.WorkbookFileName, "profiles.xls");
    EXPECT_EQ(state.WorkbookPath, (kImportDir + "/profiles.xls").toStdString());
    // The sheet active in the file is selected.
    EXPECT_EQ(state.SheetIndex, 2);
    EXPECT_EQ(sheetList(dialog->cbSheetName),
              std::vector<std::string>({"Notes", "Profiles", "EmptyAge", "Blanks"}));
    EXPECT_EQ(dialog->cbSheetName->currentIndex(), 1);
    EXPECT_EQ(dialog->cbSheetName->currentText(), "Profiles");
    // Each sheet's entry starts at the rows the preview shows for it.
    EXPECT_EQ(state.SheetLastRows, std::vector<int32_t>({3, 45, 10, 7}));

    EXPECT_TRUE(shown(dialog->bbImport));
    EXPECT_TRUE(shown(dialog->SprdSheet));
    EXPECT_TRUE(shown(dialog->gbDefineRows));
    EXPECT_TRUE(shown(dialog->gbDefineFields));
    EXPECT_EQ(dialog->SprdSheet->ViewScale(), 70);
    EXPECT_EQ(dialog->SprdSheet->Sheet(), 2);
    EXPECT_EQ(dialog->SprdSheet->Row(), 1);
    EXPECT_EQ(dialog->SprdSheet->Col(), 1);
    EXPECT_EQ(dialog->SprdSheet->FixedRows(), 1);
    // Filling the list is no choice of a sheet: no scan ran and the fields kept their texts.
    EXPECT_EQ(dialog->eToRow->text(), "40");
    EXPECT_EQ(state.ToRow, 77);
    EXPECT_TRUE(ui.shownOf(Shown::Warning).empty());

    // The next chooser starts in the folder of this workbook.
    dialog->bbOpenSheetClick();
    EXPECT_EQ(ui.shownOf(Shown::OpenChooser).back().chooser.initialFolder, kImportDir + "/");
}

TEST_F(SheetImport, CancellingTheChooserAfterALoadKeepsWorkbookSheetsAndFields) {
    showDialog(fixture("profiles.xls"));
    chooseSheet("Blanks");
    dialog->eFromRow->setText("3");
    const std::vector<int32_t> lastRows = state.SheetLastRows;

    QTest::mouseClick(dialog->bbOpenSheet, Qt::LeftButton);  // no answer queued: cancelled

    EXPECT_EQ(ui.shownOf(Shown::OpenChooser).size(), 2u);
    EXPECT_EQ(dialog->SprdSheet->NumSheets(), 4);
    EXPECT_EQ(dialog->SprdSheet->Sheet(), 4);
    EXPECT_EQ(sheetList(dialog->cbSheetName).size(), 4u);
    EXPECT_EQ(dialog->cbSheetName->currentText(), "Blanks");
    EXPECT_EQ(state.SheetIndex, 4);
    EXPECT_EQ(state.SheetLastRows, lastRows);
    EXPECT_EQ(state.WorkbookFileName, "profiles.xls");
    EXPECT_EQ(dialog->eFromRow->text(), "3");
    EXPECT_EQ(dialog->eToRow->text(), "7");
    EXPECT_TRUE(shown(dialog->bbImport));
    EXPECT_TRUE(shown(dialog->gbDefineFields));
}

TEST_F(SheetImport, FindEndCountsTheFilledAgeCellsFromRowTwo) {
    showDialog(fixture("profiles.xls"));
    dialog->eFromRow->setText("30");  // the scan starts at row 2 whatever the From row

    QTest::mouseClick(dialog->sbFindLastRow, Qt::LeftButton);
    EXPECT_EQ(dialog->eToRow->text(), "40");  // rows 43 to 45 lie beyond the empty row 41
    EXPECT_EQ(state.ToRow, 40);
    EXPECT_EQ(state.SheetLastRows[1], 41);
    EXPECT_EQ(state.SheetLastRows[2], 10);  // other sheets untouched

    // Choosing a sheet scans it and fits the preview to the rows found.
    chooseSheet("EmptyAge");  // A2 empty, A3:A5 filled
    EXPECT_EQ(state.SheetIndex, 3);
    EXPECT_EQ(dialog->SprdSheet->Sheet(), 3);
    EXPECT_EQ(dialog->eToRow->text(), "0");
    EXPECT_EQ(state.ToRow, 0);
    EXPECT_EQ(state.SheetLastRows[2], 1);
    EXPECT_EQ(dialog->SprdSheet->MaxRow(), 10);

    chooseSheet("Blanks");  // a cell of blanks only counts as filled
    EXPECT_EQ(dialog->eToRow->text(), "7");
    EXPECT_EQ(state.SheetLastRows[3], 8);
    EXPECT_EQ(dialog->SprdSheet->MaxRow(), 8);

    chooseSheet("Profiles");
    EXPECT_EQ(dialog->eToRow->text(), "40");
    EXPECT_EQ(dialog->SprdSheet->MaxRow(), 41);
    EXPECT_EQ(dialog->SprdSheet->Row(), 1);
    EXPECT_EQ(dialog->SprdSheet->Col(), 1);
    EXPECT_TRUE(ui.shownOf(Shown::Warning).empty());
}

TEST_F(SheetImport, FindEndWithoutAnAgeColumnWarnsAndLeavesTheTableEntry) {
    showDialog(fixture("profiles.xls"));
    for (const char* age : {"", "   ", "1"}) {
        ui.clear();
        dialog->eAgeColStr->setText(age);
        QTest::mouseClick(dialog->sbFindLastRow, Qt::LeftButton);
        EXPECT_EQ(texts(ui.shownOf(Shown::Warning)),
                  std::vector<std::string>({"Error reading data for main variable grade"}))
            << "Age column \"" << age << "\"";
        EXPECT_EQ(dialog->eToRow->text(), "");
        EXPECT_EQ(state.ToRow, 0);
        EXPECT_EQ(state.SheetLastRows[1], 45);
    }

    // Choosing a sheet still fits the preview, to the entry the load gave it.
    ui.clear();
    chooseSheet("Notes");
    EXPECT_EQ(ui.shownOf(Shown::Warning).size(), 1u);
    EXPECT_EQ(state.SheetIndex, 1);
    EXPECT_EQ(dialog->SprdSheet->MaxRow(), 3);
}

TEST_F(SheetImport, TypingInTheSheetListChoosesOnlyAWholeSheetName) {
    showDialog(fixture("profiles.xls"));
    QLineEdit* typed = dialog->cbSheetName->lineEdit();
    typed->clear();
    QTest::keyClicks(typed, "emptyag");
    EXPECT_EQ(state.SheetIndex, 2);
    EXPECT_EQ(dialog->eToRow->text(), "40");  // no scan yet
    QTest::keyClicks(typed, "e");
    EXPECT_EQ(state.SheetIndex, 3);
    EXPECT_EQ(dialog->SprdSheet->Sheet(), 3);
    EXPECT_EQ(dialog->eToRow->text(), "0");

    // A name of no sheet keeps the sheet chosen before, also for OK, which reads that sheet's
    // rows: its Age column is empty, so the range is refused and the dialog stays open.
    typed->clear();
    QTest::keyClicks(typed, "Nowhere");
    EXPECT_EQ(state.SheetIndex, 3);
    const auto messages = clickOk("2", "5", "A", "B", "C", "50");
    EXPECT_EQ(state.SheetIndex, 3);
    EXPECT_EQ(dialog->SprdSheet->Sheet(), 3);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].starts_with("Cell A2 of sheet \"EmptyAge\" is empty")) << messages[0];
    EXPECT_NE(dialog->result(), QDialog::Accepted);
}

TEST_F(SheetImport, PickingTheSheetAlreadyShownRunsTheSheetChoice) {
    showDialog(fixture("profiles.xls"));
    QComboBox* list = dialog->cbSheetName;
    const int shownEntry = list->currentIndex();
    ASSERT_GE(shownEntry, 0);
    const auto pickInPopup = [&](int entry) {
        list->showPopup();
        QAbstractItemView* view = list->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(entry, 0)).center());
    };
    dialog->eToRow->setText("99");
    pickInPopup(shownEntry);
    EXPECT_NE(dialog->eToRow->text(), "99") << "Find end ran for the entry already shown";

    // Typing a name and Enter choose as before, once.
    list->lineEdit()->clear();
    QTest::keyClicks(list->lineEdit(), "emptyage");
    QTest::keyClick(list->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(state.SheetIndex, 3);
    EXPECT_EQ(dialog->eToRow->text(), "0");
}

TEST_F(SheetImport, OkChecksRowsWidthAndColumnsInOrder) {
    showDialog(fixture("profiles.xls"));
    struct Case {
        const char *from, *to, *age, *y1, *y2, *width;
        const char* message;  // nullptr: accepted
    };
    const Case cases[] = {
        {"", "", "", "", "", "", "Incorrect value entered for From row"},
        {"2 ", "40", "A", "B", "C", "50", "Incorrect value entered for From row"},
        {"2", "", "", "", "", "", "Incorrect value entered for To row"},
        {"2", "x", "A", "B", "C", "50", "Incorrect value entered for To row"},
        {"6", "5", "A", "B", "C", "50", "Incorrect values entered for rows to import"},
        {"6", "5", "", "", "", "", "Incorrect values entered for rows to import"},
        {"2", "40", "A", "B", "C", "100,0", "Incorrect value entered for Age window width"},
        {"2", "40", "A", "B", "C", "", "Incorrect value entered for Age window width"},
        {"2", "40", "", "", "", "50", "Incorrect value entered for Age column"},
        {"2", "40", "A", "   ", "", "50", "Incorrect value entered for Y data (1)"},
        {"2", "40", "A", "B", "", "50", "Incorrect value entered for Y data (2)"},
        {"5", "5", "A", "B", "C", "50", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("From \"") + c.from + "\" To \"" + c.to + "\" width \"" + c.width +
                     "\" columns \"" + c.age + "\" \"" + c.y1 + "\" \"" + c.y2 + "\"");
        const auto messages = clickOk(c.from, c.to, c.age, c.y1, c.y2, c.width);
        if (c.message) {
            EXPECT_EQ(messages, std::vector<std::string>({c.message}));
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_NE(dialog->result(), QDialog::Accepted);
        } else {
            EXPECT_TRUE(messages.empty());
            EXPECT_FALSE(dialog->isVisible());
            EXPECT_EQ(dialog->result(), QDialog::Accepted);
        }
    }
    EXPECT_EQ(state.FromRow, 5);
    EXPECT_EQ(state.ToRow, 5);
}

TEST_F(SheetImport, OkStoresUpperCasedTextsAndTheNumbersRead) {
    showDialog(fixture("profiles.xls"));
    // Every text and number is stored before the rows are read; column AB holds no number, so
    // the range is then refused as the calculation would refuse it.
    const auto messages = clickOk("$a", "0x1e", "b ", " b", "ab", "1e2");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].starts_with("Column AB of sheet")) << messages[0];
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(state.FromRowStr, "$A");
    EXPECT_EQ(state.ToRowStr, "0X1E");
    EXPECT_EQ(state.AgeColStr, "B ");
    EXPECT_EQ(state.Y1ColStr, " B");
    EXPECT_EQ(state.Y2ColStr, "AB");
    EXPECT_EQ(state.AgeWindowWidthStr, "1E2");
    EXPECT_EQ(state.FromRow, 10);
    EXPECT_EQ(state.ToRow, 30);
    EXPECT_EQ(state.AgeCol, 2);
    EXPECT_EQ(state.Y1Col, 2);
    EXPECT_EQ(state.Y2Col, 28);
    EXPECT_DOUBLE_EQ(state.AgeWindowWidth, 100.0);
    EXPECT_EQ(state.SheetIndex, 2);
}

TEST_F(SheetImport, AFailedCheckKeepsWhatWasStoredBeforeItThroughACancel) {
    showDialog(fixture("profiles.xls"));
    chooseSheet("Blanks");
    state.AgeWindowWidth = 12.5;
    EXPECT_EQ(clickOk("3", "9", "d", "e", "f", "1,5"),
              std::vector<std::string>({"Incorrect value entered for Age window width"}));
    QTest::mouseClick(dialog->bbCancel, Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    EXPECT_EQ(state.SheetIndex, 4);
    EXPECT_EQ(state.FromRowStr, "3");
    EXPECT_EQ(state.ToRowStr, "9");
    EXPECT_EQ(state.AgeColStr, "D");
    EXPECT_EQ(state.AgeWindowWidthStr, "1,5");
    EXPECT_EQ(state.FromRow, 3);
    EXPECT_EQ(state.ToRow, 9);
    EXPECT_DOUBLE_EQ(state.AgeWindowWidth, 12.5);  // its text did not read
    EXPECT_EQ(state.AgeCol, 0);                    // never reached

    // The next dialog shows the texts typed, upper-cased.
    showDialog(std::nullopt);
    EXPECT_EQ(dialog->eAgeColStr->text(), "D");
    EXPECT_EQ(dialog->eY2ColStr->text(), "F");
    EXPECT_EQ(dialog->eAgeWindowWidthStr->text(), "1,5");
}

TEST_F(SheetImport, RunModalEndsWithOkOnlyWhenTheChecksPass) {
    ui.openAnswers.push_back(fixture("profiles.xls"));
    ui.modalActions.push_back([](QDialog& shownDialog) {
        auto& import = static_cast<TfmSheetImport&>(shownDialog);
        import.eToRow->setText("20");
        QTest::mouseClick(import.bbImport, Qt::LeftButton);
    });
    TfmSheetImport accepted(state, ui);
    EXPECT_EQ(ui.runModal(accepted), QDialog::Accepted);
    EXPECT_EQ(state.ToRow, 20);
    EXPECT_EQ(state.WorkbookPath, (kImportDir + "/profiles.xls").toStdString());

    for (auto close : std::vector<std::function<void(QDialog&)>>{
             [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
             [](QDialog& d) { d.close(); },
             [](QDialog& d) {
                 QTest::mouseClick(static_cast<TfmSheetImport&>(d).bbCancel, Qt::LeftButton);
             },
         }) {
        ui.openAnswers.push_back(fixture("profiles.xls"));
        ui.modalActions.push_back(close);
        TfmSheetImport rejected(state, ui);
        EXPECT_EQ(ui.runModal(rejected), QDialog::Rejected);
    }
}

TEST_F(SheetImport, AnUnreadableWorkbookThrowsAndLeavesTheDialogAsItWas) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString broken = folder.filePath("broken.xls");
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // Binary data: text would be read as a .csv workbook whatever the name.
        file.write(
            QByteArray("\x7F"
                       "ELF\x02\x01\x01\0\0\0 not a workbook",
                       25));
    }

    // Before any workbook: the controls stay hidden.
    showDialog(std::nullopt);
    ui.openAnswers.push_back(FileChoice{broken, 1});
    try {
        dialog->bbOpenSheetClick();
        ADD_FAILURE() << "binary data read as a workbook";
    } catch (const kestrel::KestrelError& error) {
        EXPECT_NE(std::string(error.what()).find("broken.xls"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(shown(dialog->bbImport));
    EXPECT_FALSE(shown(dialog->gbDefineFields));
    EXPECT_EQ(state.WorkbookFileName, "earlier.xls");
    EXPECT_EQ(state.DataImportPath, (folder.path() + "/").toStdString());

    // After a workbook: it stays, with its list, table and sheet.
    ui.openAnswers.push_back(fixture("profiles.xls"));
    dialog->bbOpenSheetClick();
    chooseSheet("EmptyAge");
    const std::vector<int32_t> lastRows = state.SheetLastRows;
    ui.openAnswers.push_back(FileChoice{broken, 2});
    EXPECT_THROW(dialog->bbOpenSheetClick(), kestrel::KestrelError);
    EXPECT_EQ(state.WorkbookFileName, "profiles.xls");
    EXPECT_EQ(state.WorkbookPath, (kImportDir + "/profiles.xls").toStdString());
    EXPECT_EQ(state.SheetIndex, 3);
    EXPECT_EQ(state.SheetLastRows, lastRows);
    EXPECT_EQ(sheetList(dialog->cbSheetName).size(), 4u);
    EXPECT_EQ(dialog->SprdSheet->NumSheets(), 4);
    EXPECT_TRUE(shown(dialog->bbImport));
    EXPECT_EQ(state.DataImportPath, (folder.path() + "/").toStdString());
}

TEST_F(SheetImport, WorkbooksOfEveryFormatLoadThroughTheirFilters) {
    const QString folder = QStringLiteral(KESTREL_TEST_DATA_DIR "/workbooks/");
    showDialog(FileChoice{folder + "openpyxl_types.xlsx", 3});
    EXPECT_EQ(sheetList(dialog->cbSheetName),
              (std::vector<std::string>{"Numbers", "Texte & more", "Active"}));
    EXPECT_EQ(state.SheetIndex, 3) << "the sheet active in the file";
    ui.openAnswers.push_back(FileChoice{folder + "formulas.ods", 6});
    dialog->bbOpenSheetClick();
    EXPECT_EQ(state.WorkbookFileName, "formulas.ods");
    EXPECT_EQ(state.SheetIndex, 2);
    ui.openAnswers.push_back(FileChoice{folder + "quotes.csv", 5});
    dialog->bbOpenSheetClick();
    EXPECT_EQ(sheetList(dialog->cbSheetName), (std::vector<std::string>{"quotes"}));
    EXPECT_EQ(state.SheetLastRows, (std::vector<int32_t>{6}));
}

TEST_F(SheetImport, TheLastRowTableCoversEverySheetPastTheTenth) {
    showDialog(fixture("many_sheets.xls"));
    ASSERT_EQ(state.SheetLastRows.size(), 12u);
    EXPECT_EQ(state.SheetLastRows[11], 15);
    chooseSheet("S12");
    EXPECT_EQ(state.SheetIndex, 12);
    EXPECT_EQ(dialog->eToRow->text(), "15");
    EXPECT_EQ(state.SheetLastRows[11], 16);
    EXPECT_EQ(dialog->SprdSheet->MaxRow(), 16);
    EXPECT_EQ(state.SheetLastRows[10], 14);
    EXPECT_TRUE(clickOk("2", "15", "A", "A", "A", "5").empty());
    EXPECT_EQ(state.SheetIndex, 12);
}

TEST_F(SheetImport, TheExcel5FilterLoadsExcel5WorkbooksOfOtherPrograms) {
    const QString corpus = QStringLiteral(KESTREL_XLS_CORPUS_DIR);
    struct Case {
        const char* file;
        const char* sheet;
        const char* lastRow;  // Age column A filled from row 2 to this row
    };
    for (const Case& c : {Case{"calamine__biff5_write.xls", "SheetJS", "4"},
                          Case{"libxls__biff5-label-records.xls", "worksheet1", "17"}}) {
        const QString path = corpus + "/" + c.file;
        if (!QFile::exists(path)) GTEST_SKIP() << "xls corpus not found: " << path.toStdString();
        SCOPED_TRACE(c.file);
        showDialog(FileChoice{path, 2});
        EXPECT_EQ(state.WorkbookFileName, c.file);
        EXPECT_EQ(sheetList(dialog->cbSheetName), std::vector<std::string>({c.sheet}));
        QTest::mouseClick(dialog->sbFindLastRow, Qt::LeftButton);
        EXPECT_EQ(dialog->eToRow->text(), c.lastRow);
    }
}

TEST_F(SheetImport, FindEndScansAFullLengthAgeColumn) {
    showDialog(std::nullopt);
    kestrel::SpreadsheetWidget& preview = *dialog->SprdSheet;
    preview.SetCol(1);
    for (int row = 2; row <= 65536; ++row) {
        preview.SetRow(row);
        preview.SetNumber(row * 0.5);
    }
    state.SheetIndex = 1;
    state.SheetLastRows.assign(1, 1);
    dialog->eAgeColStr->setText("a");
    QTest::mouseClick(dialog->sbFindLastRow, Qt::LeftButton);
    EXPECT_EQ(dialog->eToRow->text(), "65536");
    EXPECT_EQ(state.SheetLastRows[0], 65537);
}
