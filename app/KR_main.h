// The main window: menu, command buttons, the spreadsheet and graph pages, the hidden developer
// page and the status bar, with the handlers of every command.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <cstdint>

#include "engine/CriticalValueTable.h"

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
class CriticalValueTableModel;
class SpreadsheetWidget;
class UserInteraction;
}  // namespace kestrel

/// @brief The program's one main window. Everything that waits for a person goes through the
/// UserInteraction given to it, so tests drive this very window.
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

    QStatusBar* sbMain;
    /// @brief Status panel 0..3 from the left (100, 50, 50 and 50 pixels wide).
    QLabel* panel(int index) const;

    // Menu.
    QAction* Open1;
    QAction* Saveas1;
    QAction* Exit1;
    QAction* Edit1;  // the top-level Edit menu: its enabled state governs the menu
    QAction* Edit2;  // the menu's one item
    QAction* Calculate1;
    QAction* Minimumpeakheight1;
    QAction* Baselinepeakheight1;
    QAction* About1;

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

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void createMenu();
    QFrame* createButtonBar();
    QWidget* createSpreadsheetPage();
    QWidget* createDeveloperPage();
    void createStatusBar();
    void connectCommands();
    void loadCriticalValueTable();
    /// @brief Both spreadsheets and the graph tabs hidden, Calculate and Save disabled: the
    /// state in which the start and Open leave the results until a calculation.
    void hideWorkbookAndResults();
    void setGraphTabsVisible(bool visible);
    void showPage(QWidget* page);
    void emptySummaryForOpen();
    void appendWindowLine(int32_t first, double firstAge, int32_t last, double lastAge,
                          double cutoff);
    void showProgress(int panelIndex, int32_t position);
    void finishCalculation();
    void reportMissingCriticalValues();
    void showWholeSummary();

    kestrel::UserInteraction& m_ui;
    QList<QLabel*> m_panels;
    bool m_shown = false;
    bool m_pageChangeByCommand = false;  // page switches made by commands skip PageControl1Change
    int m_saveFilter = 1;                // filter entry of the last confirmed save of this run
    QElapsedTimer m_statusClock;
    qint64 m_lastStatusRepaint = -1;  // ms on m_statusClock; -1 before the first repaint
};
