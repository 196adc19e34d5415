// The main window: menu, command buttons, the spreadsheet and graph pages, the hidden developer
// page and the status bar, with the handlers of every command.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/CriticalValueTable.h"
#include "output/GraphExportCommand.h"

class QAction;
class QCustomPlot;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTableView;

namespace kestrel {
struct GrainAgesSource;
struct WindowsTableRow;
class WindowsTableModel;
class CriticalValueTableModel;
class DepositionalAgeController;
class DepositionalAgePage;
class DistributionsController;
class DistributionsPage;
class EndMembersPage;
class UnmixingController;
class UnmixingPage;
class GrainAgesController;
class ManyProfilesController;
class ManyResultsPage;
class SpreadsheetWidget;
class TwoProfileController;
class UserInteraction;
}  // namespace kestrel

/// @brief The program's one main window. Everything that waits for a person goes through the
/// UserInteraction given to it, so tests drive this very window. Each workflow (two profiles,
/// many profiles, grain ages) is a controller with its own state; the handlers delegate to it.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit TForm1(kestrel::UserInteraction& ui, QWidget* parent = nullptr);
    ~TForm1() override;

    // Button bar.
    QFrame* Panel1;
    QPushButton* bbExit;
    QPushButton* bbImport;
    QPushButton* bbEdit;
    QPushButton* bbCalculate;
    QPushButton* bbSave;
    QPushButton* bbPrintGraph;
    QPushButton* bbGraph;

    // Pages.
    QTabWidget* PageControl1;
    QWidget* tsSprdSheets;
    QWidget* tsGraph;
    QWidget* tsHistogram;
    QWidget* tsDeveloper;
    QSplitter* Splitter1;
    QGroupBox* gbSourceSpreadsheet;
    QGroupBox* gbSummarySpreadsheet;
    kestrel::SpreadsheetWidget* SprdSheetSource;
    kestrel::SpreadsheetWidget* SprdSheetTarget;
    QCustomPlot* Chart1;
    QCustomPlot* Chart2;
    QTableView* DBGrid1;
    QPushButton* Button1;
    QPlainTextEdit* Memo1;
    QWidget* tsWindows;       // "Windows": the windows table, after the log's page
    QTableView* WindowsGrid;  // sortable; Copy (Ctrl+C, right-click) copies the selection
    QLabel* lSampleSizes;     // above the table: the sample sizes its tests used
    QAction* CopyWindows1;

    QStatusBar* sbMain;
    /// @brief Status panel 0..3 from the left (100, 50, 50 and 50 pixels wide).
    QLabel* panel(int index) const;

    // Menu.
    QAction* Open1;
    QAction* OpenGrainAges1;  // "Open grain ages...": profiles built from single-grain ages
    QAction* Saveas1;
    QAction* Exit1;
    QAction* Edit1;  // the top-level Edit menu: its enabled state governs the menu
    QAction* Edit2;  // the menu's one item
    QAction* Calculate1;
    QAction* Minimumpeakheight1;
    QAction* Baselinepeakheight1;
    QAction* SampleSizes1;      // Options > "Sample sizes...", after the two thresholds
    QAction* WindowsMeasures1;  // Options > "Other measures in the windows table", checkable
    QAction* About1;
    // File menu, after the items above.
    QAction* ExportGraph1;     // "Export graph...": the graph in front
    QAction* ExportProfiles1;  // "Export profiles...": every profile built from grain ages
    QAction* PrintGraph1;      // "Print graph": as the Print button, available when it is
    QMenu* RecentWorkbooks1;   // "Recent workbooks": the last eight opened, latest first
    QAction* CompareMany1;     // "Compare many...": every pair of many profile columns
    QWidget* tsManyProfiles;   // "Many profiles": its results, a page shown once there are some
    kestrel::ManyResultsPage* ManyResults;
    QAction* DepositionalAge1 =
        nullptr;  // "Depositional age...": every sample of the grain ages in use
    QWidget* tsDepositionalAge =
        nullptr;  // "Depositional age": its results, shown once there are some
    kestrel::DepositionalAgePage* DepositionalAges = nullptr;
    QAction* Distributions1 = nullptr;   // "Distributions...": the figures of every sample
    QWidget* tsDistributions = nullptr;  // "Distributions": the figures, shown once drawn
    kestrel::DistributionsPage* Distributions = nullptr;
    QWidget* tsUnmixing = nullptr;  // "Unmixing": a sink's sources, shown once unmixed
    kestrel::UnmixingPage* Unmixing = nullptr;
    QWidget* tsEndMembers = nullptr;  // "End-members": every sample's end-members
    kestrel::EndMembersPage* EndMembers = nullptr;

    /// @brief The critical value table: created open and empty, loaded when the window is shown.
    kestrel::CriticalValueTable cdsKS;
    kestrel::CriticalValueTableModel* dsKS;

    // Handlers.
    void FormShow();
    void FormClose();
    void Open1Click();
    void bbExitClick();
    void About1Click();
    void bbEditClick();
    void Minimumpeakheight1Click();
    void Baselinepeakheight1Click();
    /// @brief Options > Sample sizes...: grain counts for the next calculation (no recalculation).
    void SampleSizes1Click();
    /// @brief The rows of the windows table of the last calculation, in log order.
    const std::vector<kestrel::WindowsTableRow>& windowsTableRows() const;
    /// @brief Copies the selected cells of the windows table (all of it when none is selected)
    /// with their column headings, tab-separated, numbers in full precision.
    void copyWindowsTable();
    /// @brief The calculation: reads the chosen rows, compares the profiles, logs every window,
    /// fills the graphs and writes the summary table.
    void Calculate1Click();
    void Saveas1Click();
    void bbPrintGraphClick();
    /// @brief The user switched pages: Print is shown on the graph pages only.
    void PageControl1Change();
    void bbGraphClick();
    void Button1Click();
    void ReadSettings();
    void WriteSettings();

    /// @brief Open with `path` (a workbook file) in place of the file chooser's choice: the
    /// import dialog shows with that workbook loaded, then everything runs as for Open. A path
    /// that is no file is refused with a warning.
    void openWorkbook(const QString& path);
    /// @brief A recent workbooks entry was chosen: Open with it, or, when the file is gone,
    /// a warning and the entry leaves the list.
    void openRecentWorkbook(const QString& path);
    /// @brief The program's arguments: the first that is not an option names a workbook, which
    /// is opened (openWorkbook()) once the event loop runs. Relative to the current folder.
    void openFromCommandLine(const QStringList& arguments);
    /// @brief Export graph...: the graph of the page in front, through exportGraphAsChosen().
    void exportGraphInFront();
    /// @brief File > Compare many...: the dialog, then every pair of the chosen columns compared,
    /// mapped and shown on the Many profiles page.
    void CompareMany1Click();
    /// @brief "Compare these two": Open on the workbook of the last Compare many, with its Age
    /// column and rows and these two columns as Y data (1) and Y data (2).
    void compareTwoColumns(int32_t firstColumn, int32_t secondColumn);
    /// @brief "Save matrix...": the matrices and the map as .csv or .xlsx.
    void saveManyMatrix();
    /// @brief File > Open grain ages...: the dialog on the last workbook of ages (else the file
    /// chooser first), then the two chosen samples compared from their profiles with their
    /// grains as sample sizes, or every sample compared by its grains on the Many profiles page.
    void OpenGrainAges1Click();
    /// @brief File > Depositional age...: every sample of the grain ages in use (opened first
    /// when there are none) estimated and shown on the Depositional age page.
    void DepositionalAge1Click();
    /// @brief File > Distributions...: every sample of the grain ages in use (opened first when
    /// there are none) drawn on the Distributions page.
    void Distributions1Click();
    /// File > Export profiles...: every sample's profile as built from its grain ages, with its
    /// bandwidth, to a .csv or .xlsx file (kestrel-batch's --profiles-out file).
    void ExportProfiles1Click();
    /// The grain ages behind the results on show (a pair, or the Many profiles page), if any.
    const kestrel::GrainAgesSource* agesSourceInUse() const;

    // The workflows, and what the window does for them.
    kestrel::TwoProfileController& twoProfile() { return *m_twoProfile; }
    kestrel::ManyProfilesController& manyProfiles() { return *m_manyProfiles; }
    kestrel::GrainAgesController& grainAges() { return *m_grainAges; }
    kestrel::DepositionalAgeController& depositionalAge() { return *m_depositionalAge; }
    kestrel::DistributionsController& distributions() { return *m_distributions; }
    kestrel::UnmixingController& unmixing() { return *m_unmixing; }
    /// @brief Both spreadsheets and the graph tabs hidden, Calculate and Save disabled: the
    /// state in which the start and Open leave the results until a calculation.
    void hideWorkbookAndResults();
    void setGraphTabsVisible(bool visible);
    void showPage(QWidget* page);
    void showEmptyCellsNote(const QString& note);
    /// @brief The grains of the two compared samples in the status bar; empty: none.
    void setSampleSizesNote(const QString& note);
    void updateRecentWorkbooksMenu();
    void reportMissingCriticalValues();
    kestrel::WindowsTableModel& windowsModel() { return *m_windowsModel; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void createMenu();
    QFrame* createButtonBar();
    QWidget* createSpreadsheetPage();
    QWidget* createDeveloperPage();
    QWidget* createWindowsPage();
    void createSampleSizesNote();
    void createStatusBar();
    void connectCommands();
    void loadCriticalValueTable();
    void addShortcuts();
    void addGraphExport();
    void exportGraph(QCustomPlot& chart);
    void updateExportGraphEnabled();
    void updatePrintGraphEnabled();
    void addCompareMany();
    void addGrainAges();
    void addDepositionalAge();
    void addDistributions();
    void addUnmixing();
    /// Shows the grains of the two compared samples, unless the Many profiles page is in view.
    void showSampleSizesNote();
    QLabel* m_emptyCellsNote = nullptr;  // "N empty profile cells read as 0 (...)" when there are

    kestrel::UserInteraction& m_ui;
    std::unique_ptr<kestrel::TwoProfileController> m_twoProfile;
    std::unique_ptr<kestrel::ManyProfilesController> m_manyProfiles;
    std::unique_ptr<kestrel::GrainAgesController> m_grainAges;
    std::unique_ptr<kestrel::DepositionalAgeController> m_depositionalAge;
    std::unique_ptr<kestrel::DistributionsController> m_distributions;
    std::unique_ptr<kestrel::UnmixingController> m_unmixing;
    kestrel::WindowsTableModel* m_windowsModel = nullptr;
    QLabel* m_sampleSizesNote = nullptr;  // "Sample sizes: N1 and N2 grains" while they are used
    QList<QLabel*> m_panels;
    bool m_shown = false;
    bool m_pageChangeByCommand = false;  // page switches made by commands skip PageControl1Change
    kestrel::GraphExportChoices m_graphExport;  // folder, format and resolution of this run
};
