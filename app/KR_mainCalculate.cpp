// The calculation command of the main window: rows in, comparison with its window log and
// status progress, graphs and summary table out.
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <utility>

#include "app/CalculationProgress.h"
#include "app/CriticalValueTableModel.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "engine/ProfileComparison.h"
#include "engine/SummaryTable.h"
#include "output/ProbabilityGraphs.h"
#include "sheet/core/ProfileSheet.h"
#include "sheet/widgets/SpreadsheetWidget.h"

using kestrel::sharedState;

namespace {

// The status bar is the only sign of progress; repainting it for every examined position would
// cost more than the comparison itself, so it is repainted at most this often.
constexpr qint64 kStatusRepaintIntervalMs = 15;

// How the bar divides a calculation: reading the rows, comparing them, writing the summary
// table; drawing the graphs and grids takes the rest.
constexpr double kReadShare = 0.3;
constexpr double kCompareShare = 0.2;
constexpr double kSummaryShare = 0.4;

// The most rows a sheet's grid can have.
constexpr int64_t kMaxSummaryGridRows = 1048576;

}  // namespace

void TForm1::Calculate1Click() {
    kestrel::CalculationProgress& progress = kestrel::CalculationProgress::of(*this, *sbMain);
    const kestrel::CalculationProgressScope running(progress);
    const int logLinesBefore = Memo1->document()->blockCount();
    const bool logWasEmpty = Memo1->document()->isEmpty();
    try {
        calculateInto(progress);
    } catch (const kestrel::CalculationCancelled&) {
        // Nothing the user sees has changed but the log and the status: both go back.
        progress.markCancelled();
        removeLogLinesAfter(logWasEmpty ? 0 : logLinesBefore);
        cdsKS.takeMissingSizes();
        for (int i = 0; i < 3; ++i) panel(i)->clear();
        sbMain->repaint();
    }
}

void TForm1::calculateInto(kestrel::CalculationProgress& progress) {
    SharedState& state = sharedState();
    SprdSheetSource->SetSheet(state.SheetIndex);
    SprdSheetSource->SetViewScale(70);

    // Every row is read and compared before anything shown changes: a range that holds a cell
    // which is no number, or an Esc while the rows are compared, leaves the previous results,
    // summary, graphs and Save as they were.
    const kestrel::ProfileRange range{state.FromRow, state.ToRow, state.AgeCol, state.Y1Col,
                                      state.Y2Col};
    const double rows = std::max<double>(1.0, static_cast<double>(state.ToRow) - state.FromRow + 1);
    kestrel::ProfileData next;
    const kestrel::EmptyProfileCells empty = kestrel::readProfileRows(
        *SprdSheetSource, range, next,
        [&](int32_t done) { progress.advance(kReadShare * done / rows, true); });
    QString emptyNote = QString::fromStdString(empty.note());
    if (emptyNote.isEmpty()) emptyNote = agesSkippedNote();
    const QString gridNote = agesGridNote();

    kestrel::ComparisonHooks hooks;
    hooks.criticalValue = [this](int32_t sampleSize) { return cdsKS.lookup(sampleSize); };
    if (const auto grains = grainsInUse()) {
        hooks.windowCriticalValue = kestrel::grainCriticalValues(*grains);
    }
    bool firstLine = true;
    hooks.windowEvaluated = [&](const kestrel::ProfileWindow& window, double firstAge,
                                double lastAge) {
        appendWindowLine(window.first, firstAge, window.last, lastAge, window.cutoff);
        // Empty profile cells read as 0 are said right under the whole range's line.
        if (std::exchange(firstLine, false)) {
            if (!emptyNote.isEmpty()) Memo1->appendPlainText(emptyNote);
            if (!gridNote.isEmpty()) Memo1->appendPlainText(gridNote);
        }
    };
    int calls = 0;
    hooks.progress = [&](int panelIndex, int32_t position) {
        showProgress(panelIndex, position);
        // Twice per position: the clock is looked at only now and then.
        if (++calls % 1024 == 0)
            progress.advance(kReadShare + kCompareShare * position / rows, true);
    };
    m_statusClock.start();
    m_lastStatusRepaint = -1;
    const kestrel::SubdivisionParameters parameters{state.MinPeakHeight, state.BaselinePeakHeight,
                                                    state.AgeWindowWidth};
    const auto windows = kestrel::compareProfiles(next, parameters, hooks);

    static_cast<kestrel::ProfileData&>(state) = std::move(next);
    showEmptyCellsNote(emptyNote);
    showWindowsTable(windows);
    kestrel::prepareSummarySheet(*SprdSheetTarget);
    finishCalculation(progress);
}

void TForm1::removeLogLinesAfter(int lines) {
    QTextCursor cursor(Memo1->document());
    if (lines > 0) {
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor, lines - 1);
        cursor.movePosition(QTextCursor::EndOfBlock);
    }
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TForm1::finishCalculation(kestrel::CalculationProgress& progress) {
    panel(1)->clear();
    panel(2)->clear();
    sbMain->repaint();
    Saveas1->setEnabled(true);
    bbSave->setEnabled(true);
    // New graphs can be printed: an Edit that ended without OK disabled Print, and nothing else
    // would ever enable it again in this run.
    bbPrintGraph->setEnabled(true);
    bbGraphClick();
    setGraphTabsVisible(true);
    const double rows = std::max<double>(1.0, sharedState().NumRows);
    const double done = kReadShare + kCompareShare;
    progress.advance(done, false);
    kestrel::writeSummaryTable(*SprdSheetTarget, sharedState(), [&](int32_t written) {
        progress.advance(done + kSummaryShare * written / rows, false);
    });
    showWholeSummary();
    // The table's headings and numbers whole, not "Differe..." (once per calculation).
    SprdSheetTarget->fitColumnsToContents(static_cast<int>(kestrel::summaryHeaders().size()));
    showPage(tsGraph);

    // Both spreadsheets at their first data row, under the frozen heading row.
    SprdSheetSource->SetFixedRows(1);
    SprdSheetSource->SetRow(2);
    SprdSheetSource->SetCol(1);
    SprdSheetSource->ShowCurrentCell();
    SprdSheetTarget->SetRow(2);
    SprdSheetTarget->SetCol(1);
    SprdSheetTarget->ShowCurrentCell();

    panel(0)->clear();
    sbMain->repaint();
    // The grid of the table shows the rows of the last lookup, as the filter is left on.
    dsKS->refresh();
    reportMissingCriticalValues();
}

void TForm1::showWholeSummary() {
    // The summary sheet's grid shows exactly the table: every row of it, and no empty rows left
    // over from a longer earlier table.
    const int tableRows = static_cast<int>(
        std::min<int64_t>(static_cast<int64_t>(sharedState().NumRows) + 1, kMaxSummaryGridRows));
    SprdSheetTarget->SetMaxRow(tableRows);
}

void TForm1::appendWindowLine(int32_t first, double firstAge, int32_t last, double lastAge,
                              double cutoff) {
    const std::string separator = QLocale().decimalPoint().toStdString();
    Memo1->appendPlainText(QString::fromStdString(
        kestrel::windowLogLine(first, firstAge, last, lastAge, cutoff, separator)));
}

void TForm1::showProgress(int panelIndex, int32_t position) {
    QLabel* label = panel(panelIndex);
    if (!label) return;
    label->setText(QString::number(position));
    // A new stretch (panel 2) is always shown, so the last text of every search is seen.
    const qint64 now = m_statusClock.elapsed();
    if (panelIndex == 2 || m_lastStatusRepaint < 0 ||
        now - m_lastStatusRepaint >= kStatusRepaintIntervalMs) {
        sbMain->repaint();
        m_lastStatusRepaint = now;
    }
}

void TForm1::bbGraphClick() {
    kestrel::fillGraphs(*Chart1, *Chart2, sharedState());
}
