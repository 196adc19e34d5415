// The two-profile comparison of the main window: Open on a workbook, Edit of its rows and
// columns, the calculation with its log, windows table, graphs and summary, and Save.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/TwoProfileSettings.h"
#include "engine/SampleSizes.h"

class TForm1;
struct SharedState;

namespace kestrel {

class CalculationProgress;
class UserInteraction;
struct ProfileWindow;

/// @brief Two profile columns of a workbook, chosen elsewhere (a pair on the Many profiles
/// page), with their own grain counts when there are any.
struct ProfileColumnPair {
    QString workbookPath, ageColumn;
    int32_t fromRow = 0, toRow = 0;
    int32_t firstColumn = 0, secondColumn = 0;
    std::optional<GrainCounts> grains;
};

/// @brief The two-profile workflow. It alone writes the comparison's rows, columns and window
/// into the shared state; the window's handlers delegate to it.
class TwoProfileController {
  public:
    TwoProfileController(TForm1& window, UserInteraction& ui, SharedState& state);

    /// @brief Open: the import dialog (on `workbookToLoad` when given), then the calculation.
    void open(const QString& workbookToLoad);
    /// @brief Open on `pair`'s workbook with its Age column, rows and two columns as Y data.
    void openColumnPair(const ProfileColumnPair& pair);
    /// @brief Compares two columns of a sheet the window has put into the source spreadsheet:
    /// the workbook, the sheet and `range` become the comparison's, then as Open does.
    void compareBuiltSheet(const std::string& workbookPath, int sheet,
                           const TwoProfileSettings& range);
    /// @brief Edit: the settings dialog, then the calculation again.
    void edit();
    /// @brief Reads the chosen rows, compares the profiles, logs every window, fills the graphs
    /// and writes the summary table.
    void calculate();
    /// @brief Save summary as, with the profiles built from grain ages when they are in use.
    void saveSummary();

    /// @brief The rows, columns and age window as the shared state holds them.
    TwoProfileSettings settings() const;
    /// @brief Puts `settings` into the shared state.
    void setSettings(const TwoProfileSettings& settings);

  private:
    /// Sample sizes of a pair chosen on the Many profiles page: its own grain counts from the
    /// Grains row, or none (the classic rule), never the ones of Options > Sample sizes.
    struct PairSampleSizes {
        std::optional<GrainCounts> grains;
    };

    /// What Open and a grain-ages pair do once the source spreadsheet holds the workbook, before
    /// the calculation (the spreadsheets shown, the commands enabled, the summary emptied) and
    /// after it (both spreadsheets at their top, unless Esc stopped it).
    void prepareOpenedWorkbook();
    void finishOpenedWorkbook();
    void emptySummaryForOpen();
    void calculateInto(CalculationProgress& progress);
    void finishCalculation(CalculationProgress& progress);
    void removeLogLinesAfter(int lines);
    void showWholeSummary();
    void appendWindowLine(int32_t first, double firstAge, int32_t last, double lastAge,
                          double cutoff);
    void showProgress(int panelIndex, int32_t position);
    void showWindowsTable(const std::vector<ProfileWindow>& windows);
    /// @brief The grain counts the next calculation uses: the pair's, else the stored setting.
    std::optional<GrainCounts> grainsInUse() const;
    /// @brief "Sample sizes: ..." for `pair` (or the stored setting when it is empty).
    QString sampleSizesLine(const std::optional<PairSampleSizes>& pair) const;

    TForm1& m_window;
    UserInteraction& m_ui;
    SharedState& m_state;
    std::optional<PairSampleSizes> m_nextOpenPair;  // for the Open that "Compare these two" runs
    std::optional<PairSampleSizes> m_pairInUse;     // for the calculations of that Open's results
    int m_saveFilter = 1;  // filter entry of the last confirmed save of this run
    QElapsedTimer m_statusClock;
    qint64 m_lastStatusRepaint = -1;  // ms on m_statusClock; -1 before the first repaint
};

}  // namespace kestrel
