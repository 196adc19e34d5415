// The two-profile calculation: rows in, comparison with its window log and status progress,
// windows table, graphs and summary table out.
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <utility>

#include "app/CalculationProgress.h"
#include "app/CriticalValueTableModel.h"
#include "app/GrainAgesController.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/TwoProfileController.h"
#include "app/WindowsTableModel.h"
#include "engine/ProfileComparison.h"
#include "engine/SummaryTable.h"
#include "engine/comparison/WindowMeasures.h"
#include "engine/comparison/WindowsTable.h"
#include "output/ProbabilityGraphs.h"
#include "sheet/core/ProfileSheet.h"
#include "sheet/widgets/SpreadsheetWidget.h"

namespace kestrel {

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

void TwoProfileController::calculate() {
    CalculationProgress& progress = CalculationProgress::of(m_window, *m_window.sbMain);
    const CalculationProgressScope running(progress);
    const int logLinesBefore = m_window.Memo1->document()->blockCount();
    const bool logWasEmpty = m_window.Memo1->document()->isEmpty();
    try {
        calculateInto(progress);
    } catch (const CalculationCancelled&) {
        // Nothing the user sees has changed but the log and the status: both go back.
        progress.markCancelled();
        removeLogLinesAfter(logWasEmpty ? 0 : logLinesBefore);
        m_window.cdsKS.takeMissingSizes();
        for (int i = 0; i < 3; ++i) m_window.panel(i)->clear();
        m_window.sbMain->repaint();
    }
}

void TwoProfileController::calculateInto(CalculationProgress& progress) {
    SharedState& state = m_state;
    m_window.SprdSheetSource->SetSheet(state.SheetIndex);
    m_window.SprdSheetSource->SetViewScale(70);

    // Every row is read and compared before anything shown changes: a range that holds a cell
    // which is no number, or an Esc while the rows are compared, leaves the previous results,
    // summary, graphs and Save as they were.
    const ProfileRange range{state.FromRow, state.ToRow, state.AgeCol, state.Y1Col, state.Y2Col};
    const double rows = std::max<double>(1.0, static_cast<double>(state.ToRow) - state.FromRow + 1);
    ProfileData next;
    const EmptyProfileCells empty =
        readProfileRows(*m_window.SprdSheetSource, range, next,
                        [&](int32_t done) { progress.advance(kReadShare * done / rows, true); });
    QString emptyNote = QString::fromStdString(empty.note());
    if (emptyNote.isEmpty()) emptyNote = m_window.grainAges().skippedNote();
    const QString gridNote = m_window.grainAges().gridNote();

    ComparisonHooks hooks;
    hooks.criticalValue = [this](int32_t sampleSize) { return m_window.cdsKS.lookup(sampleSize); };
    if (const auto grains = grainsInUse()) {
        hooks.windowCriticalValue = grainCriticalValues(*grains);
    }
    bool firstLine = true;
    hooks.windowEvaluated = [&](const ProfileWindow& window, double firstAge, double lastAge) {
        appendWindowLine(window.first, firstAge, window.last, lastAge, window.cutoff);
        // Empty profile cells read as 0 are said right under the whole range's line.
        if (std::exchange(firstLine, false)) {
            if (!emptyNote.isEmpty()) m_window.Memo1->appendPlainText(emptyNote);
            if (!gridNote.isEmpty()) m_window.Memo1->appendPlainText(gridNote);
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
    const SubdivisionParameters parameters{state.MinPeakHeight, state.BaselinePeakHeight,
                                           state.AgeWindowWidth};
    const auto windows = compareProfiles(next, parameters, hooks);

    static_cast<ProfileData&>(state) = std::move(next);
    m_window.showEmptyCellsNote(emptyNote);
    showWindowsTable(windows);
    prepareSummarySheet(*m_window.SprdSheetTarget);
    finishCalculation(progress);
}

void TwoProfileController::removeLogLinesAfter(int lines) {
    QTextCursor cursor(m_window.Memo1->document());
    if (lines > 0) {
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor, lines - 1);
        cursor.movePosition(QTextCursor::EndOfBlock);
    }
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TwoProfileController::finishCalculation(CalculationProgress& progress) {
    m_window.panel(1)->clear();
    m_window.panel(2)->clear();
    m_window.sbMain->repaint();
    m_window.Saveas1->setEnabled(true);
    m_window.bbSave->setEnabled(true);
    // New graphs can be printed: an Edit that ended without OK disabled Print, and nothing else
    // would ever enable it again in this run.
    m_window.bbPrintGraph->setEnabled(true);
    m_window.bbGraphClick();
    m_window.setGraphTabsVisible(true);
    const double rows = std::max<double>(1.0, m_state.NumRows);
    const double done = kReadShare + kCompareShare;
    progress.advance(done, false);
    writeSummaryTable(*m_window.SprdSheetTarget, m_state, [&](int32_t written) {
        progress.advance(done + kSummaryShare * written / rows, false);
    });
    showWholeSummary();
    // The table's headings and numbers whole, not "Differe..." (once per calculation).
    m_window.SprdSheetTarget->fitColumnsToContents(static_cast<int>(summaryHeaders().size()));
    m_window.showPage(m_window.tsGraph);

    // Both spreadsheets at their first data row, under the frozen heading row.
    m_window.SprdSheetSource->SetFixedRows(1);
    m_window.SprdSheetSource->SetRow(2);
    m_window.SprdSheetSource->SetCol(1);
    m_window.SprdSheetSource->ShowCurrentCell();
    m_window.SprdSheetTarget->SetRow(2);
    m_window.SprdSheetTarget->SetCol(1);
    m_window.SprdSheetTarget->ShowCurrentCell();

    m_window.panel(0)->clear();
    m_window.sbMain->repaint();
    // The grid of the table shows the rows of the last lookup, as the filter is left on.
    m_window.dsKS->refresh();
    m_window.reportMissingCriticalValues();
}

void TwoProfileController::showWholeSummary() {
    // The summary sheet's grid shows exactly the table: every row of it, and no empty rows left
    // over from a longer earlier table.
    const int tableRows = static_cast<int>(
        std::min<int64_t>(static_cast<int64_t>(m_state.NumRows) + 1, kMaxSummaryGridRows));
    m_window.SprdSheetTarget->SetMaxRow(tableRows);
}

void TwoProfileController::appendWindowLine(int32_t first, double firstAge, int32_t last,
                                            double lastAge, double cutoff) {
    const std::string separator = QLocale().decimalPoint().toStdString();
    m_window.Memo1->appendPlainText(
        QString::fromStdString(windowLogLine(first, firstAge, last, lastAge, cutoff, separator)));
}

void TwoProfileController::showProgress(int panelIndex, int32_t position) {
    QLabel* label = m_window.panel(panelIndex);
    if (!label) return;
    label->setText(QString::number(position));
    // A new stretch (panel 2) is always shown, so the last text of every search is seen.
    const qint64 now = m_statusClock.elapsed();
    if (panelIndex == 2 || m_lastStatusRepaint < 0 ||
        now - m_lastStatusRepaint >= kStatusRepaintIntervalMs) {
        m_window.sbMain->repaint();
        m_lastStatusRepaint = now;
    }
}

std::optional<GrainCounts> TwoProfileController::grainsInUse() const {
    if (const auto grains = m_window.grainAges().pairGrains()) return grains;
    return m_pairInUse ? m_pairInUse->grains : m_state.Grains;
}

QString TwoProfileController::sampleSizesLine(const std::optional<PairSampleSizes>& pair) const {
    const std::optional<GrainCounts> grains = pair ? pair->grains : m_state.Grains;
    if (!grains) {
        return pair ? "Sample sizes: the number of rows (classic rule; Compare many had no "
                      "Grains row)"
                    : "Sample sizes: the number of rows (classic rule)";
    }
    return QString("Sample sizes: %1 and %2 grains (%3)")
        .arg(grains->n1)
        .arg(grains->n2)
        .arg(pair ? "the Grains row of Compare many" : "Options > Sample sizes...");
}

void TwoProfileController::showWindowsTable(const std::vector<ProfileWindow>& windows) {
    const SharedState& state = m_state;
    const std::optional<GrainCounts> grains = grainsInUse();
    std::vector<WindowsTableRow> rows = buildWindowsTable(state, windows, grains);
    m_window.grainAges().fillGrainColumns(rows);
    if (state.WindowsMeasures) fillWindowMeasures(rows, state, parseMeasureList("all"));
    m_window.windowsModel().setRows(std::move(rows));
    const QString agesLine = m_window.grainAges().sampleSizesLine();
    m_window.lSampleSizes->setText(!agesLine.isEmpty() ? agesLine : sampleSizesLine(m_pairInUse));
    // Once per calculation, headings included: no column cuts its own text.
    m_window.WindowsGrid->horizontalHeader()->setResizeContentsPrecision(-1);
    m_window.WindowsGrid->resizeColumnsToContents();
    // The rule of the results on screen: grain counts are said, the classic rule is not.
    m_window.setSampleSizesNote(
        grains ? QString("Sample sizes: %1 and %2 grains").arg(grains->n1).arg(grains->n2)
               : QString());
}

}  // namespace kestrel
