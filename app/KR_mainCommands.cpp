// The main window's commands that open, edit, prompt, save and print.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

#include "app/CalculationProgress.h"
#include "app/CriticalValueTableModel.h"
#include "app/GrainAgesChoices.h"
#include "app/KR_chng.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/ProgramPaths.h"
#include "app/RecentWorkbooks.h"
#include "app/WindowGeometry.h"
#include "output/GraphPrint.h"
#include "output/SummarySave.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "ui/UserInteraction.h"

using kestrel::sharedState;

namespace {

// Columns of the summary spreadsheet that Open empties before a new calculation.
constexpr int kSummaryColumnsEmptiedByOpen = 30;

}  // namespace

void TForm1::Open1Click() {
    runOpen(QString());
}

void TForm1::runOpen(const QString& workbookToLoad) {
    SharedState& state = sharedState();
    // The dialog proposes the rows, columns and window last set for profiles, not those of the
    // grain-ages pair that may be loaded; Cancel gives that pair its own back.
    std::optional<kestrel::TwoProfileSettings> agesPair;
    if (m_twoProfileSettings) {
        agesPair = kestrel::twoProfileSettingsOf(state);
        restoreTwoProfileSettings();
    }
    bool confirmed = false;
    bool taken = false;
    int16_t fileType = kestrel::kFileTypeExcel97;
    {
        TfmSheetImport dialog(state, m_ui, this);
        if (!workbookToLoad.isEmpty()) dialog.setWorkbookToLoad(workbookToLoad);
        dialog.setSampleSizesNote(sampleSizesLine(m_nextOpenPair));
        kestrel::applyStoredGeometry(dialog, state.SheetLeft, state.SheetTop, state.SheetHeight,
                                     state.SheetWidth);
        confirmed = m_ui.runModal(dialog) == QDialog::Accepted;
        if (confirmed) {
            state.SheetLeft = dialog.x();
            state.SheetTop = dialog.y();
            state.SheetHeight = dialog.height();
            state.SheetWidth = dialog.width();
            // The workbook the dialog has just read, when the file is still what it read, is
            // the one a new read would give: it moves over instead.
            taken =
                SprdSheetSource->TakeWorkbookFrom(*dialog.SprdSheet, state.WorkbookPath, fileType);
        }
    }
    if (!confirmed) {
        if (agesPair) {
            m_twoProfileSettings = kestrel::twoProfileSettingsOf(state);
            kestrel::restoreTwoProfileSettings(*agesPair, state);
        }
        return;
    }
    // Only a range the dialog has read is worth giving the results on show up for: a refused or
    // cancelled Open leaves them, and Save, as they were.
    Memo1->clear();
    hideWorkbookAndResults();

    if (!taken) SprdSheetSource->ReadWorkbook(state.WorkbookPath, fileType);
    // A pair from Compare many keeps its own sample sizes through later Edits; any other Open
    // goes back to the stored setting.
    m_pairInUse = m_nextOpenPair;
    m_agesInUse.reset();
    prepareOpenedWorkbook();
    Calculate1Click();
    // Only a workbook that opened goes on the list: a range the calculation refused has thrown
    // past this point.
    kestrel::rememberRecentWorkbook(state.RecentWorkbooks, state.WorkbookPath);
    kestrel::forgetRecentWorkbook(state.RecentAgesWorkbooks, state.WorkbookPath);
    updateRecentWorkbooksMenu();
    finishOpenedWorkbook();
}

void TForm1::restoreTwoProfileSettings() {
    if (!m_twoProfileSettings) return;
    kestrel::restoreTwoProfileSettings(*m_twoProfileSettings, sharedState());
    m_twoProfileSettings.reset();
}

void TForm1::prepareOpenedWorkbook() {
    SprdSheetSource->setVisible(true);
    SprdSheetSource->SetViewScale(70);
    SprdSheetSource->SetRow(1);
    SprdSheetSource->SetCol(1);
    SprdSheetTarget->setVisible(true);
    Edit1->setEnabled(true);
    bbEdit->setEnabled(true);
    Calculate1->setEnabled(true);
    bbCalculate->setEnabled(true);
    emptySummaryForOpen();
}

void TForm1::finishOpenedWorkbook() {
    // Stopped with Esc: the workbook is open and nothing else, as after a range that failed.
    if (kestrel::CalculationProgress::of(*this, *sbMain).cancelled()) return;

    SprdSheetTarget->SetRow(1);
    SprdSheetTarget->SetCol(1);
    SprdSheetTarget->ShowCurrentCell();
    bbPrintGraph->setVisible(true);
    cdsKS.setFilterOn(false);
    dsKS->refresh();
}

void TForm1::emptySummaryForOpen() {
    // Rows 1 to ToRow (the last sheet row of the data, not the row count), 30 columns.
    // Rows past the sheet's end hold nothing; the calculation reports such a range itself.
    const int32_t lastRow = std::min(sharedState().ToRow, kestrel::kMaxSheetRows);
    if (lastRow < 1) return;
    SprdSheetTarget->ClearBlock(1, 1, lastRow, kSummaryColumnsEmptiedByOpen, 1);
}

void TForm1::bbEditClick() {
    if (!runChangeSettings(sharedState(), m_ui, this)) {
        m_ui.showWarning(this, "Incorrect value entered");
        bbCalculate->setEnabled(false);
        bbSave->setEnabled(false);
        bbPrintGraph->setEnabled(false);
        Saveas1->setEnabled(false);
        Calculate1->setEnabled(false);
        return;
    }
    Calculate1Click();
}

void TForm1::Minimumpeakheight1Click() {
    Minimumpeakheight1Prompt(sharedState(), m_ui, this);
}

void TForm1::Baselinepeakheight1Click() {
    Baselinepeakheight1Prompt(sharedState(), m_ui, this);
}

void TForm1::Saveas1Click() {
    // Profiles built from grain ages go with the summary, so a reader can redraw them.
    std::optional<kestrel::ProfilesTable> profiles;
    if (const auto pair = agesPairInUse()) {
        profiles = kestrel::profilesTableOf(*m_agesInUse, {pair->first, pair->second});
    }
    kestrel::saveSummary(*SprdSheetTarget, sharedState(), m_saveFilter, m_ui, this,
                         &windowsTableRows(), profiles ? &*profiles : nullptr,
                         kestrel::dataFolder());
}

void TForm1::bbPrintGraphClick() {
    kestrel::printGraphInFront(PageControl1->currentWidget(), *Chart1, *Chart2, m_ui);
}

void TForm1::PageControl1Change() {
    bbPrintGraph->setVisible(kestrel::printButtonVisibleFor(PageControl1->currentWidget()));
}
