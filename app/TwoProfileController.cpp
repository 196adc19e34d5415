// The two-profile workflow's commands: Open, a pair of columns from elsewhere, Edit and Save.
// The calculation itself is in TwoProfileCalculation.cpp.
#include "app/TwoProfileController.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "app/CalculationProgress.h"
#include "app/CriticalValueTableModel.h"
#include "app/DepositionalAgeController.h"
#include "app/GrainAgesChoices.h"
#include "app/GrainAgesController.h"
#include "app/KR_chng.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/ProgramPaths.h"
#include "app/RecentWorkbooks.h"
#include "app/WindowGeometry.h"
#include "output/SummarySave.h"
#include "sheet/core/Workbook.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "ui/UserInteraction.h"

namespace kestrel {

namespace {

// Columns of the summary spreadsheet that Open empties before a new calculation.
constexpr int kSummaryColumnsEmptiedByOpen = 30;

}  // namespace

TwoProfileController::TwoProfileController(TForm1& window, UserInteraction& ui, SharedState& state)
    : m_window(window), m_ui(ui), m_state(state) {}

void TwoProfileController::open(const QString& workbookToLoad) {
    SharedState& state = m_state;
    // The dialog proposes the rows, columns and window last set for profiles, not those of the
    // grain-ages pair that may be loaded; Cancel gives that pair its own back.
    const std::optional<TwoProfileSettings> agesPair =
        m_window.grainAges().giveBackTwoProfileSettings();
    bool confirmed = false;
    bool taken = false;
    int16_t fileType = kFileTypeExcel97;
    {
        TfmSheetImport dialog(state, m_ui, &m_window);
        if (!workbookToLoad.isEmpty()) dialog.setWorkbookToLoad(workbookToLoad);
        dialog.setSampleSizesNote(sampleSizesLine(m_nextOpenPair));
        applyStoredGeometry(dialog, state.SheetLeft, state.SheetTop, state.SheetHeight,
                            state.SheetWidth);
        confirmed = m_ui.runModal(dialog) == QDialog::Accepted;
        if (confirmed) {
            state.SheetLeft = dialog.x();
            state.SheetTop = dialog.y();
            state.SheetHeight = dialog.height();
            state.SheetWidth = dialog.width();
            // The workbook the dialog has just read, when the file is still what it read, is
            // the one a new read would give: it moves over instead.
            taken = m_window.SprdSheetSource->TakeWorkbookFrom(*dialog.SprdSheet,
                                                               state.WorkbookPath, fileType);
        }
    }
    if (!confirmed) {
        if (agesPair) m_window.grainAges().retakeTwoProfileSettings(*agesPair);
        return;
    }
    // Only a range the dialog has read is worth giving the results on show up for: a refused or
    // cancelled Open leaves them, and Save, as they were.
    m_window.Memo1->clear();
    m_window.hideWorkbookAndResults();

    if (!taken) m_window.SprdSheetSource->ReadWorkbook(state.WorkbookPath, fileType);
    // A pair from Compare many keeps its own sample sizes through later Edits; any other Open
    // goes back to the stored setting.
    m_pairInUse = m_nextOpenPair;
    m_window.grainAges().closePair();
    prepareOpenedWorkbook();
    calculate();
    // Only a workbook that opened goes on the list: a range the calculation refused has thrown
    // past this point.
    rememberRecentWorkbook(state.RecentWorkbooks, state.WorkbookPath);
    forgetRecentWorkbook(state.RecentAgesWorkbooks, state.WorkbookPath);
    m_window.updateRecentWorkbooksMenu();
    finishOpenedWorkbook();
}

void TwoProfileController::openColumnPair(const ProfileColumnPair& pair) {
    m_window.grainAges().restoreTwoProfileSettings();
    m_state.AgeColStr = pair.ageColumn.toStdString();
    m_state.Y1ColStr = columnLetters(pair.firstColumn);
    m_state.Y2ColStr = columnLetters(pair.secondColumn);
    m_state.FromRowStr = std::to_string(pair.fromRow);
    m_state.ToRowStr = std::to_string(pair.toRow);
    // The pair is tested with its own grain counts, or by the classic rule without them: the
    // counts of Options > Sample sizes belong to some other pair of profiles.
    m_nextOpenPair = PairSampleSizes{pair.grains};
    m_window.openWorkbook(pair.workbookPath);
    m_nextOpenPair.reset();
}

void TwoProfileController::compareBuiltSheet(const std::string& workbookPath, int sheet,
                                             const TwoProfileSettings& range) {
    const QFileInfo file(QFile::decodeName(QByteArray::fromStdString(workbookPath)));
    m_state.WorkbookPath = workbookPath;
    m_state.WorkbookFileName = QFile::encodeName(file.fileName()).toStdString();
    m_state.DataImportPath = QFile::encodeName(file.absolutePath()).toStdString() + "/";
    m_state.SheetIndex = sheet;
    setSettings(range);
    m_pairInUse.reset();
    prepareOpenedWorkbook();
    calculate();
    finishOpenedWorkbook();
}

TwoProfileSettings TwoProfileController::settings() const {
    return twoProfileSettingsOf(m_state);
}

void TwoProfileController::setSettings(const TwoProfileSettings& settings) {
    restoreTwoProfileSettings(settings, m_state);
}

void TwoProfileController::prepareOpenedWorkbook() {
    m_window.SprdSheetSource->setVisible(true);
    m_window.SprdSheetSource->SetViewScale(70);
    m_window.SprdSheetSource->SetRow(1);
    m_window.SprdSheetSource->SetCol(1);
    m_window.SprdSheetTarget->setVisible(true);
    m_window.Edit1->setEnabled(true);
    m_window.bbEdit->setEnabled(true);
    m_window.Calculate1->setEnabled(true);
    m_window.bbCalculate->setEnabled(true);
    emptySummaryForOpen();
}

void TwoProfileController::finishOpenedWorkbook() {
    // Stopped with Esc: the workbook is open and nothing else, as after a range that failed.
    if (CalculationProgress::of(m_window, *m_window.sbMain).cancelled()) return;

    m_window.SprdSheetTarget->SetRow(1);
    m_window.SprdSheetTarget->SetCol(1);
    m_window.SprdSheetTarget->ShowCurrentCell();
    m_window.bbPrintGraph->setVisible(true);
    m_window.cdsKS.setFilterOn(false);
    m_window.dsKS->refresh();
}

void TwoProfileController::emptySummaryForOpen() {
    // Rows 1 to ToRow (the last sheet row of the data, not the row count), 30 columns.
    // Rows past the sheet's end hold nothing; the calculation reports such a range itself.
    const int32_t lastRow = std::min(m_state.ToRow, kMaxSheetRows);
    if (lastRow < 1) return;
    m_window.SprdSheetTarget->ClearBlock(1, 1, lastRow, kSummaryColumnsEmptiedByOpen, 1);
}

void TwoProfileController::edit() {
    if (!runChangeSettings(m_state, m_ui, &m_window)) {
        m_ui.showWarning(&m_window, "Incorrect value entered");
        m_window.bbCalculate->setEnabled(false);
        m_window.bbSave->setEnabled(false);
        m_window.bbPrintGraph->setEnabled(false);
        m_window.Saveas1->setEnabled(false);
        m_window.Calculate1->setEnabled(false);
        return;
    }
    calculate();
}

void TwoProfileController::saveSummary() {
    // Profiles built from grain ages go with the summary, so a reader can redraw them.
    const std::optional<ProfilesTable> profiles = m_window.grainAges().pairProfiles();
    // And the Depositional age page's table, when it holds the estimates of these ages.
    const std::optional<SummarySheet> depositional = m_window.depositionalAge().summarySheet();
    kestrel::saveSummary(*m_window.SprdSheetTarget, m_state, m_saveFilter, m_ui, &m_window,
                         &m_window.windowsTableRows(), profiles ? &*profiles : nullptr,
                         dataFolder(), depositional ? &*depositional : nullptr);
}

}  // namespace kestrel
